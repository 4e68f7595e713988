// SciFiScriptDamage: the game's script built-ins that deal damage and read and set damage values.
// Damage is never dealt inside the call: it is posted as a world event (11 one target, 1 an area)
// that the controller applies in the next world update, so a script that damages the element it
// runs for is not re-entered by that element's own damage script. None of these calls is repeated
// at the clients: the server's damage reaches them as its results.
#include "scifi/script/SciFiScriptFamilies.h"

#include "game/objects/EventObj.h"
#include "scifi/ctrl/AreaDamageEventRecord.h"
#include "scifi/objects/DamageValues_SF.h"
#include "world/ProjectileBase.h"
#include "world/WorldCtrl.h"
#include "world/WorldEvent.h"
#include "world/WorldEventPayloads.h"

#include <iterator>

namespace {

constexpr int32_t kNoSource = -2;

// The record of damage to the first argument's element, from the source ID (below 0: none),
// with the damage values; posted as event 11. The target's lookup reports an ID that names no
// element, which ends the call.
void PostDamageToTarget(ScriptCall& call, int32_t sourceID, const DamageValues_SF_Clean& damage)
{
    DamageEventRecord record;
    record.target.Set(call.Object(0));
    record.causerID = sourceID < 0 ? kNoSource : sourceID;
    if (record.causerID >= 0)
        record.causer.Set(call.GetWorld().GetObjNoCheck(record.causerID, false));
    damage.FillImage(record.damage);
    WorldEvent event;
    record.Write(event);
    call.GetCtrl().AddGameEvent(&event);
}

// The target, the type 0 or 1, the amount (an Int or a Float; anything else 0), an optional
// source ID and an optional flag that becomes the damage's enabled flag.
void DamagePhysical(ScriptCall& call)
{
    if (!call.NeedCount(3, -1))
        return;
    const int32_t source = call.GetCount() >= 4 ? call.Int(3) : kNoSource;
    call.Object(0);  // an unknown target is reported before the type
    const int32_t type = call.Int(1);
    if (type < 0 || type > 1) {
        call.Error("Invalid physical damage type in function %s", call.GetName());
        return;
    }
    DamageValues_SF_Clean damage;
    damage.SetPhysical(type, call.FloatArg(2));
    if (call.GetCount() >= 5)
        damage.enabled = call.Int(4) != 0 ? 1 : 0;
    PostDamageToTarget(call, source, damage);
}

// The target, type 0, the poison per second, its time and an optional source ID.
void DamagePoison(ScriptCall& call)
{
    if (!call.NeedCount(4, -1))
        return;
    const int32_t source = call.GetCount() >= 5 ? call.Int(4) : kNoSource;
    call.Object(0);
    if (call.Int(1) != 0) {
        call.Error("Invalid poison damage type in function %s", call.GetName());
        return;
    }
    DamageValues_SF_Clean damage;
    damage.poison = call.FloatArg(2);
    damage.poisonTime = call.FloatArg(3);
    PostDamageToTarget(call, source, damage);
}

// x, y, the damage, the engine's damage amounts 1 and 2, then optionally the reach offset, the
// radius (the area damage raises one below 1 to 1), the causer ID, the type 0 or 1 and the last
// value handed to each single damage. The reach offset counts only from seven arguments on.
void ExplosionDamagePhys(ScriptCall& call)
{
    if (!call.NeedCount(4, -1))
        return;
    const int32_t count = call.GetCount();
    const int32_t type = count >= 9 ? call.Int(8) : 0;
    if (type < 0 || type > 1) {  // the type indexes the damage's physical pair
        call.Error("Invalid physical damage type in function %s", call.GetName());
        return;
    }
    AreaDamageEventRecord record;
    record.causerID = count >= 8 ? call.Int(7) : -1;
    record.lastValue = count >= 10 ? call.Int(9) : -2;
    record.reachOffset = count >= 7 ? call.FloatArg(5) : 0.0f;
    record.radius = call.FloatArg(6);
    record.centre[0] = call.FloatArg(0);
    record.centre[1] = call.FloatArg(1);
    DamageValues_SF_Clean damage;
    damage.SetPhysical(type, call.FloatArg(2));
    damage.damage[0] = call.FloatArg(3);
    damage.damage[1] = call.FloatArg(4);
    damage.FillImage(record.damage);
    WorldEvent event;
    record.Write(event);
    call.GetCtrl().AddGameEvent(&event);
}

// The damage values an element holds itself: a creature's, an event object's, a projectile's.
DamageValues* OwnDamageValues(WorldElem* elem)
{
    if (!elem)
        return nullptr;
    if (auto* creature = dynamic_cast<CreatureObj*>(elem); creature && elem->IsCreature())
        return creature->GetDamageValues();
    if (auto* event = dynamic_cast<EventObj*>(elem); event && elem->m_TypeCode == ElemType::kEvent)
        return event->GetOwnDamageValues();
    if (auto* projectile = dynamic_cast<ProjectileBase*>(elem); projectile && elem->m_TypeCode == ElemType::kProjectile)
        return projectile->m_Damage.Get();
    return nullptr;
}

// The physical pair of any of the game's sets.
template <class Physical> bool SetPhysicalPair(DamageValues* values, float first, float second)
{
    auto* own = dynamic_cast<DamageValues_SF_Template<Physical>*>(values);
    if (!own)
        return false;
    own->SetPhysical(0, first);
    own->SetPhysical(1, second);
    return true;
}

void SetDamage(ScriptCall& call)
{
    if (!call.NeedCount(3, -1))
        return;
    DamageValues* values = OwnDamageValues(call.Object(0));
    if (!SetPhysicalPair<TransformableAttribute>(values, call.FloatArg(1), call.FloatArg(2)))
        SetPhysicalPair<float>(values, call.FloatArg(1), call.FloatArg(2));
}

// Only a projectile's damage is read: its copy as it would hit now.
void GetPhysDamage(ScriptCall& call)
{
    if (!call.NeedCount(2, 2))
        return;
    call.SetTypeFloat();
    WorldElem* elem = call.Object(0);
    const int32_t type = call.Int(1);
    if (type < 0 || type > 1) {
        call.Error("Invalid magic type in function GetPhysDamage()");
        return;
    }
    if (!elem || elem->m_TypeCode != ElemType::kProjectile)
        return;
    DamageValuesHolder copy(nullptr);
    elem->GetDamageValues(copy);
    if (const auto* values = dynamic_cast<const DamageValues_SF_Base*>(copy.Get())) {
        DamageValuesImage image;
        values->FillImage(image);
        call.SetFloat(image.physical[type]);
    }
}

// The damage being processed: both physical amounts and the poison.
void GetTotalDamage(ScriptCall& call)
{
    if (!call.NeedCount(0, 0))
        return;
    const SciFiGameCtrl& ctrl = SciFiCtrlOf(call);
    call.SetFloat(ctrl.GetCurrentAttackDamage()[0] + ctrl.GetCurrentAttackDamage()[1] + ctrl.GetCurrentAttackValue());
}

}  // namespace

ScriptBuiltinFamily SciFiScriptDamage()
{
    static const ScriptBuiltinEntry entries[] = {
        {"DamagePhysical", DamagePhysical}, {"DamagePoison", DamagePoison},   {"ExplosionDamagePhys", ExplosionDamagePhys},
        {"SetDamage", SetDamage},           {"GetPhysDamage", GetPhysDamage}, {"GetTotalDamage", GetTotalDamage},
    };
    return {entries, std::size(entries)};
}
