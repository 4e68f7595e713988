// SciFiGameCtrl: the game's world events: damage to one target (type 11) and to an area (type 1),
// posted by scripts, event objects and the rules and applied in the world update.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "scifi/ctrl/AreaDamageEventRecord.h"
#include "scifi/objects/DamageValues_SF.h"
#include "world/WorldElem.h"
#include "world/WorldEventPayloads.h"

namespace {

// The event's damage in a set of the controller's class: the holder is renewed from the factory
// and given the image's values; it stays empty when the factory makes none.
void TakeDamage(DamageValuesHolder& holder, const DamageValuesImage& image)
{
    if (!holder.Renew())
        return;
    DamageValues_SF_Clean clean;
    clean.FromImage(image);
    clean.CopyTo(holder.Get());
}

}  // namespace

bool SciFiGameCtrl::HandleWorldEvent(const WorldEvent& event)
{
    switch (event.type) {
    case AreaDamageEventRecord::kType:
        ApplyAreaDamageEvent(event);
        break;
    case WorldEventType::kDamage:
        ApplyDamageEvent(event);
        break;
    default:
        Warning("Unknown world event %i!", event.type);
        break;
    }
    return true;  // consumed in every case
}

// A payload of another size than the record's was not posted by the rules: it is dropped whole.
bool SciFiGameCtrl::IsDamagePayloadSized(const WorldEvent& event, int32_t size)
{
    if (event.size == size && event.payload)
        return true;
    Warning("Damage event %i dropped: %i bytes of data, %i expected", event.type, event.size, size);
    return false;
}

void SciFiGameCtrl::ApplyAreaDamageEvent(const WorldEvent& event)
{
    AreaDamageEventRecord record;
    if (!IsDamagePayloadSized(event, AreaDamageEventRecord::kSize) || !record.Read(event))
        return;
    DamageValuesHolder holder(nullptr);
    TakeDamage(holder, record.damage);
    m_World.DamageAll(record.centre[0], record.centre[1], holder.Get(), record.radius, record.causerID,
                      record.reachOffset, 0, nullptr, nullptr, record.lastValue);
}

// A target gone or replaced since the event was posted takes nothing; a causer gone meanwhile
// becomes no causer, so the damage is still dealt. Causer IDs past the element range name no
// element and pass unchecked.
void SciFiGameCtrl::ApplyDamageEvent(const WorldEvent& event)
{
    DamageEventRecord record;
    if (!IsDamagePayloadSized(event, DamageEventRecord::kSize) || !record.Read(event))
        return;
    DamageValuesHolder holder(nullptr);
    TakeDamage(holder, record.damage);
    WorldElem* target = m_World.GetObjByIdentifier(record.target);
    if (!target)
        return;
    int32_t causerID = record.causerID;
    if (uint32_t(causerID) <= uint32_t(WorldCtrl::kMaxCauserID) && !m_World.GetObjByIdentifier(record.causer))
        causerID = -1;
    const D3DXVECTOR2 origin(record.origin[0], record.origin[1]);
    const D3DXVECTOR2 direction(record.direction[0], record.direction[1]);
    m_World.DamageObj(target->m_ObjID, holder.Get(), causerID, &origin, &direction, 0, -2);
}

// The engine's poster with the game's whole image (the set's own FillImage); nothing for a target
// that names no element.
void SciFiGameCtrl::AddDamageEvent(int32_t targetID, int32_t sourceID, const DamageValues* damage, int32_t a,
                                   int32_t b, const D3DXVECTOR2& direction)
{
    if (!m_World.GetObjNoCheck(targetID, false))
        return;
    GameCtrl::AddDamageEvent(targetID, sourceID, damage, a, b, direction);
}
