// EventObj_SF: the skill an event object applies to the creatures around it, its damage set read
// for the event, and its copy.
#include "scifi/objects/EventObj_SF.h"

#include "base/SmartPtr.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "world/WorldCtrl.h"

#include <vector>

EventObj_SF::EventObj_SF() { CopyName32(this, "EventObj_SF"); }

void EventObj_SF::Update(float dt)
{
    SmartPtr<WorldElem> alive(this);
    EventObj::Update(dt);
    if (!alive.Get() || !m_Skill || !(m_SkillRadius > 0.0f) || !m_World)
        return;
    const double now = GameCtrlInterface::GameTime();
    if (now - m_LastSkillTime <= double(kSkillInterval))
        return;
    m_LastSkillTime = now;
    ApplySkill();
}

// The radius query fills the world's one result list, which a skill's effect may run queries of
// its own over: the creatures are taken first.
void EventObj_SF::ApplySkill()
{
    auto* ctrl = dynamic_cast<SciFiGameCtrl*>(g_GameCtrl);
    if (!ctrl)
        return;
    const D3DXVECTOR2 pos = GetPos();
    const int32_t count = m_World->GetAllObjectsWithinRadius(pos.x, pos.y, m_SkillRadius, nullptr, false);
    const int32_t* ids = m_World->GetResultList();
    std::vector<SmartPtr<WorldElem>> creatures;
    for (int32_t i = 0; ids && i < count; ++i) {
        WorldElem* elem = m_World->GetObjNoCheck(ids[i], false);
        if (elem && elem != this && dynamic_cast<CreatureObj_SF*>(elem) && IsPartyAllowed(elem->GetParty()))
            creatures.emplace_back(elem);
    }
    for (SmartPtr<WorldElem>& elem : creatures)
        if (auto* creature = dynamic_cast<CreatureObj_SF*>(elem.Get()))
            ctrl->ApplySkillEffect(*creature, *m_Skill, this);
}

void EventObj_SF::GetDamageValues(DamageValuesHolder& out)
{
    const DamageValues* own = GetOwnDamageValues();
    if (!own) {
        out.Set(nullptr);
        return;
    }
    own->Evaluate(out, this);
}

void EventObj_SF::CloneInto(EventObj& other)
{
    EventObj::CloneInto(other);
    if (auto* own = dynamic_cast<EventObj_SF*>(&other); own && own != this) {
        own->m_Skill = m_Skill;
        own->m_SkillRadius = m_SkillRadius;
    }
}
