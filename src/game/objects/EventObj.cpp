// EventObj: construction and reset, the activation test with its filter bits and parties, and
// the copy of the event's damage values.
#include "game/objects/EventObj.h"

#include "world/GameCtrlInterface.h"

EventObj::EventObj()
{
    CopyName32(this, "EventObj");
    ResetEventObj();
}

EventObj::~EventObj() = default;

void EventObj::Reset()
{
    WorldElem::Reset();
    ResetEventObj();
}

void EventObj::ResetEventObj()
{
    m_TypeCode = ElemType::kEvent;
    m_CollisionMask = kFilterMainCharacter;
    m_Radius = 32.0f;  // the event's area
    m_Solid = 0;       // a trigger blocks nothing
    m_EventKind = kKindActive;
    m_ActivationsLeft = -1;
    m_TouchActivates = 0;
    m_LastActivation = kNeverActivated;
    m_LastDamageTime = -1.0f;
    m_MinInterval = 0.0f;
    m_ActivationScript = String();
    m_ActivationDamage = 0.0f;
    m_DamageRate = 0.0f;
    m_InnerShare = 0.5f;
    m_ActivatorName = String();
    for (int32_t& party : m_ActivatorParties)
        party = kAnyParty;
    m_EntryCount = 0;
    for (EventEntry& entry : m_Entries)
        entry = EventEntry();
    if (DamageValues* values = m_DamageValues.Get())
        values->Reset();
}

bool EventObj::IsPartyAllowed(int32_t party) const
{
    if (m_ActivatorParties[0] == kAnyParty)
        return true;
    for (int32_t entry : m_ActivatorParties)
        if (entry == party)
            return true;
    return false;
}

bool EventObj::CanActivate(WorldElem* other, bool explicitUse)
{
    if (!explicitUse && !m_TouchActivates)
        return false;
    if (m_EventKind != kKindActive || m_ActivationsLeft == 0)
        return false;
    if (m_MinInterval > 0.0f && GameCtrlInterface::GameTime() - double(m_LastActivation) <= double(m_MinInterval))
        return false;
    if (!other)
        return false;
    // A projectile stands for the creature that shot it.
    WorldElem* activator = other->m_Creator.Get() ? other->m_Creator.Get() : other;
    if (!IsPartyAllowed(activator->GetParty()))
        return false;
    const int32_t filter = m_CollisionMask;
    if (filter == -1)
        return true;
    if (activator->m_TypeCode == ElemType::kCreature) {
        const bool mainCharacter = g_GameCtrl && g_GameCtrl->GetMainChar() == activator;
        if ((filter & kFilterMainCharacter) && mainCharacter)
            return true;
        if ((filter & kFilterOtherCreatures) && !mainCharacter)
            return true;
    } else if (activator->m_TypeCode == ElemType::kProjectile) {
        return (filter & kFilterProjectiles) != 0;
    }
    const wString name(m_ActivatorName.c_str());
    if ((filter & kFilterName) && activator->m_Name.EqualsNoCase(name))
        return true;
    return (filter & kFilterSecondName) && activator->m_SecondName.EqualsNoCase(name);
}

bool EventObj::CanCollideWith(WorldElemBase* other, int32_t explicitUse)
{
    return CanActivate(dynamic_cast<WorldElem*>(other), explicitUse != 0);
}

void EventObj::GetDamageValues(DamageValuesHolder& out)
{
    const DamageValues* own = m_DamageValues.Get();
    out.Set(own ? own->Clone() : nullptr);
}

void EventObj::CopyEventObj(const EventObj& other)
{
    WorldElem::operator=(other);
    m_EventKind = other.m_EventKind;
    m_ActivationsLeft = other.m_ActivationsLeft;
    m_TouchActivates = other.m_TouchActivates;
    m_LastActivation = other.m_LastActivation;
    m_LastDamageTime = other.m_LastDamageTime;
    m_MinInterval = other.m_MinInterval;
    m_ActivationScript = other.m_ActivationScript;
    m_ActivationDamage = other.m_ActivationDamage;
    m_DamageRate = other.m_DamageRate;
    m_InnerShare = other.m_InnerShare;
    m_ActivatorName = other.m_ActivatorName;
    for (int32_t i = 0; i < kParties; i++)
        m_ActivatorParties[i] = other.m_ActivatorParties[i];
    m_EntryCount = other.m_EntryCount;
    for (int32_t i = 0; i < kMaxEntries; i++)
        m_Entries[i] = other.m_Entries[i];
    m_DamageValues.Set(other.m_DamageValues ? other.m_DamageValues->Clone() : nullptr);
}

void EventObj::CloneInto(EventObj& other)
{
    if (&other == this)
        return;
    other.WorldElem::Reset();
    other.CopyEventObj(*this);
    CopyItemsTo(other);
}
