// InputCtrl: the mobs of its AI creatures (membership, creation, upkeep) and MobData's own
// operations: members, the MobScript timer and the MobScript run.
#include "game/objects/ai/InputCtrl.h"

#include "game/objects/CreatureObj.h"
#include "world/GameCtrlInterface.h"
#include "world/KI_Strategy.h"
#include "world/WorldCtrl.h"

#include <vector>

namespace {

constexpr int32_t kObjScriptVariables = 256;
// The world's script flags that choose by the text: a leading '@' runs on the game's behalf.
constexpr int32_t kFlagsByText = 255;

WorldCtrl* GameWorld() { return g_GameCtrl ? g_GameCtrl->GetGameWorld() : nullptr; }

}  // namespace

String InputCtrl::GetMobKey(CreatureObj* creature)
{
    const KI_Strategy* strategy = creature ? creature->GetDecision() : nullptr;
    return strategy ? strategy->name : String();
}

void InputCtrl::UpdateCreatureMob(WorldElem* elem)
{
    CreatureObj* creature = elem && elem->IsCreature() ? dynamic_cast<CreatureObj*>(elem) : nullptr;
    if (!creature)
        return;
    const String key = GetMobKey(creature);
    WorldElem* enemy = creature->m_LastEnemy.Get();
    MobData* mob = creature->m_MobData.Get();
    if (mob && mob->strategyName == key && mob->enemy.Get() == enemy)
        return;
    if (mob)
        mob->RemoveCreature(creature);
    creature->m_MobData = nullptr;  // a clone may carry its template's mob without being a member
    if (!enemy || key.IsEmpty())
        return;
    if (MobData* joined = GetOrCreateMob(key, enemy))
        joined->AddCreature(creature);
}

// A full mob table is met in the middle of a frame (a creature's enemy changes): the creature
// then fights without a mob instead of the frame ending in an error.
MobData* InputCtrl::GetOrCreateMob(const String& name, WorldElem* enemy)
{
    for (int32_t position = 0; position < m_Mobs.GetSize(); position++) {
        MobData* mob = m_Mobs.GetAt(position);
        if (mob && mob->strategyName == name && mob->enemy.Get() == enemy)
            return mob;
    }
    if (m_Mobs.GetSize() >= kMaxMobs) {
        Warning("Maximum number of mobs reached: %i ('%s' joins none)", kMaxMobs, name.c_str());
        return nullptr;
    }
    WorldCtrl* world = m_World ? m_World : GameWorld();
    KI_Strategy* strategy = world ? world->FindStrategyEntry(name.c_str(), true) : nullptr;
    const int32_t slot = m_Mobs.Add();
    MobData* mob = m_Mobs.GetBySlot(slot);
    mob->strategyName = name;
    mob->strategy = strategy;
    mob->enemy = enemy;
    mob->mobNumber = slot;
    mob->RunMobScript();
    mob->mobScriptTimer = strategy ? strategy->mobScriptInterval : -1.0f;
    return mob;
}

void InputCtrl::PurgeMobs()
{
    for (int32_t slot = m_Mobs.NextUsedSlot(-1); slot >= 0; slot = m_Mobs.NextUsedSlot(slot)) {
        MobData* mob = m_Mobs.GetBySlot(slot);
        if (!mob)
            continue;
        mob->PurgeMembers();
        if (!mob->enemy.Get() || mob->members.GetSize() == 0 || !mob->strategy) {
            mob->Clear();
            m_Mobs.Delete(slot);
        }
    }
}

void InputCtrl::UpdateMobs(float dt)
{
    if (!(dt > 0.0f))
        return;
    PurgeMobs();
    for (int32_t slot = m_Mobs.NextUsedSlot(-1); slot >= 0; slot = m_Mobs.NextUsedSlot(slot))
        if (MobData* mob = m_Mobs.GetBySlot(slot))
            mob->Update(dt);
}

void MobData::AddCreature(CreatureObj* creature)
{
    if (!creature)
        return;
    bool present = false;
    for (int32_t position = 0; position < members.GetSize() && !present; position++) {
        SmartPtr<WorldElem>* member = members.GetAt(position);
        present = member && member->Get() == creature;
    }
    if (!present)
        *members.GetBySlot(members.Add()) = creature;
    creature->m_MobData = this;
}

void MobData::RemoveCreature(CreatureObj* creature)
{
    if (!creature)
        return;
    for (int32_t slot = members.NextUsedSlot(-1); slot >= 0; slot = members.NextUsedSlot(slot)) {
        SmartPtr<WorldElem>* member = members.GetBySlot(slot);
        if (member && member->Get() == creature) {
            members.Delete(slot);
            break;
        }
    }
    if (creature->m_MobData.Get() == this)
        creature->m_MobData = nullptr;
}

void MobData::PurgeMembers()
{
    for (int32_t slot = members.NextUsedSlot(-1); slot >= 0; slot = members.NextUsedSlot(slot)) {
        SmartPtr<WorldElem>* member = members.GetBySlot(slot);
        if (member && !member->Get())
            members.Delete(slot);
    }
}

void MobData::Update(float dt)
{
    if (mobScriptTimer < 0.0f || !strategy || strategy->mobScript.IsEmpty() || !(strategy->mobScriptInterval > 0.0f))
        return;
    mobScriptTimer -= dt;
    if (mobScriptTimer < 0.0f) {
        RunMobScript();
        mobScriptTimer = strategy->mobScriptInterval;
    }
}

// The variables are kept here rather than through the controller's single save slot: a mob is
// made while a creature's strategy changes, which may happen inside an event that holds that slot.
void MobData::RunMobScript()
{
    WorldCtrl* world = GameWorld();
    if (!strategy || strategy->mobScript.IsEmpty() || !world || !g_GameCtrl)
        return;
    std::vector<int32_t> saved(kObjScriptVariables);
    for (int32_t i = 0; i < kObjScriptVariables; i++)
        saved[size_t(i)] = g_GameCtrl->GetObjScriptVariable(i);
    struct Restore {
        const std::vector<int32_t>& values;
        ~Restore()
        {
            if (g_GameCtrl)
                for (int32_t i = 0; i < kObjScriptVariables; i++)
                    g_GameCtrl->SetObjScriptVariable(i, values[size_t(i)]);
        }
    } restore{saved};
    g_GameCtrl->SetObjScriptVariable(0, mobNumber);
    g_GameCtrl->SetObjScriptVariable(1, enemy.Get() ? enemy->m_ObjID : -1);
    world->RunScript(strategy->mobScript, nullptr, 0, 0, "MobScript", 1, kFlagsByText);
}

void MobData::Clear()
{
    for (int32_t slot = members.NextUsedSlot(-1); slot >= 0; slot = members.NextUsedSlot(slot)) {
        SmartPtr<WorldElem>* member = members.GetBySlot(slot);
        CreatureObj* creature = member ? dynamic_cast<CreatureObj*>(member->Get()) : nullptr;
        if (creature && creature->m_MobData.Get() == this)
            creature->m_MobData = nullptr;
    }
    members.DeleteAll();
    mobNumber = -1;
}
