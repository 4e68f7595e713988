// WorldElem: the timed parts of an action entry as an element fires them (attacks, effects,
// shots, spells), shared by a creature's action and an element's automatic action.
#include "world/WorldElem.h"

#include "world/ActionEntry.h"
#include "world/GameCtrlInterface.h"
#include "world/WorldCtrl.h"

#include <cmath>

bool WorldElem::FireActionParts(ActionEntry& entry, float t, float dt, float scale)
{
    SmartPtr<WorldElem> alive(this);  // a part's script may end the element
    for (int32_t i = 0; i < entry.attacks.GetSize(); i++) {
        DynActionAttack* holder = entry.attacks.GetAt(i);
        ActionAttack* attack = holder ? holder->Get() : nullptr;
        if (attack && PartFires(attack->point * scale, t, dt)) {
            PerformActionAttack(*attack);
            if (!alive.Get())
                return false;
        }
    }
    int32_t emitterIndex = 0;
    for (int32_t i = 0; i < entry.effects.GetSize(); i++) {
        ActionEffect* effect = entry.effects.GetAt(i);
        if (!effect)
            continue;
        if (PartFires(effect->point * scale, t, dt)) {
            ExecuteActionEffect(*effect, emitterIndex);
            if (!alive.Get())
                return false;
        }
        if (effect->emitters.GetSize() > 0)
            emitterIndex++;
    }
    for (int32_t i = 0; i < entry.shots.GetSize(); i++) {
        ActionShot* shot = entry.shots.GetAt(i);
        if (!shot || !PartFires(shot->point * scale, t, dt))
            continue;
        D3DXVECTOR2 target;
        const bool aimed = GetActionShotTarget(entry, target);
        CallShotScript(shot, nullptr, aimed ? &target : nullptr);
        if (!alive.Get())
            return false;
    }
    for (int32_t i = 0; i < entry.spells.GetSize(); i++) {
        ActionSpell* spell = entry.spells.GetAt(i);
        if (!spell || !PartFires(spell->point * scale, t, dt))
            continue;
        if (g_GameCtrl) {
            g_GameCtrl->ExecuteSpell(this, spell);
            if (!alive.Get())
                return false;
            g_GameCtrl->ReportActionSpell(this, spell);
        }
        PostInlineScript(spell->callScript, "SPELL:CallScript");
    }
    return true;
}

void WorldElem::PerformActionAttack(ActionAttack& attack)
{
    if (g_GameCtrl)
        g_GameCtrl->ReportAttack(this);
    if (m_World && !attack.callScript.IsEmpty())
        m_World->RunScript(attack.callScript, this, 1, 1, "ATTACK:CallScript", 1, 255);
}

void WorldElem::ExecuteActionEffect(ActionEffect& effect, int32_t index)
{
    if (g_GameCtrl)
        g_GameCtrl->ReportActionEffect(this, &effect, index);
    PostInlineScript(effect.callScript, "EFFECT:CallScript");
    const D3DXVECTOR2 pos = GetPos();
    if (effect.quake[0] > 0.0f && m_World) {
        DynaMem<EarthQuakeEntry, 8>& quakes = m_World->GetEarthQuakes();
        EarthQuakeEntry& quake = *quakes.GetBySlot(quakes.Add());
        quake.x = pos.x;
        quake.y = pos.y;
        quake.strength = effect.quake[0];
        quake.frequency = effect.quake[1];
        quake.duration = effect.quake[2];
    }
    // The visual effects (the random one of the list, the placed or attached one) are made by
    // the world's effect creation, which makes none on the server.
    if (effect.object.IsEmpty() || !g_GameCtrl)
        return;
    const float a = GetAngle();
    const float c = std::cos(a);
    const float s = std::sin(a);
    const float* p = effect.objectPos;
    WorldElemGridBase* made = effect.isChild
                                  ? g_GameCtrl->CreateWorldObject(effect.object.c_str(), pos.x, pos.y, a, GetHeight())
                                  : g_GameCtrl->CreateWorldObject(effect.object.c_str(), pos.x + p[0] * c - p[1] * s,
                                                                  pos.y + p[0] * s + p[1] * c, a, GetHeight() + p[2]);
    auto* object = dynamic_cast<WorldElem*>(made);
    if (!object)
        return;
    if (object->IsCreatureOrItem())
        object->MultiplyScale(effect.objectScale[0], effect.objectScale[1], effect.objectScale[2]);
    if (effect.isChild) {
        AttachChild(object);
        object->SetPosNoGround(p[0], p[1]);
        object->SetHeight(p[2]);
        object->SetAngle(0.0f);
    } else {
        object->SetAngle(a);
    }
    if (effect.objectLifeSpan > 0.0f && object->IsActiveType())
        object->SetLifeSpan(effect.objectLifeSpan);
}
