// EventObj: the invisible element that stands for a trigger of the level: it fires when a
// suitable element touches or uses it, a limited or unlimited number of times, not more often
// than a minimum interval, optionally dealing damage. Its element type code is 8. The game rules
// derive their own class from it.
//
//   EventObj.cpp        construction, reset, the activation test, the damage values
//   EventObjRecord.cpp  the save record
//   EventObjUpdate.cpp  the per-frame step: area damage, the countdown of a spent event
//   EventObjActivate.cpp  the activation: count, interval, script and damage
#pragma once
#include "base/String.h"
#include "world/DamageValues.h"
#include "world/WorldElem.h"

#include <cstdint>

class File;

// One entry of the event's table: two values the game's events give a meaning.
struct EventEntry {
    int32_t a = 0;
    int32_t b = 0;
};

class EventObj : public WorldElem {
public:
    static constexpr int32_t kMaxEntries = 4;
    static constexpr int32_t kParties = 4;
    static constexpr int32_t kAnyParty = -999;  // in the first party entry: every party
    static constexpr float kNeverActivated = -99999.0f;

    // Event kinds: only an active event can be activated; a spent one counts down instead.
    static constexpr int32_t kKindActive = 1;
    static constexpr int32_t kKindSpent = 4;

    // Activator kinds of the collision filter (-1: any element).
    static constexpr int32_t kFilterMainCharacter = 0x1;
    static constexpr int32_t kFilterOtherCreatures = 0x2;
    static constexpr int32_t kFilterProjectiles = 0x4;
    static constexpr int32_t kFilterName = 0x8;
    static constexpr int32_t kFilterSecondName = 0x10;

    EventObj();
    EventObj(const EventObj&) = delete;
    EventObj& operator=(const EventObj&) = delete;
    ~EventObj() override;

    void Reset() override;
    // The common element step, then the area damage of an active event (every 0.2 s) or the
    // countdown of a spent one.
    void Update(float dt) override;
    static constexpr float kAreaDamageInterval = 0.2f;

    // Whether the other element may activate the event now; explicit is a use, not a touch.
    bool CanActivate(WorldElem* other, bool explicitUse);
    // The collision filter of an event is its activation test.
    bool CanCollideWith(WorldElemBase* other, int32_t explicitUse) override;
    // True when the first party entry admits every party or one of the four equals the party.
    bool IsPartyAllowed(int32_t party) const;
    // A copy of the event's damage values, of their class, into out; out is left empty when the
    // event has none.
    void GetDamageValues(DamageValuesHolder& out) override;
    // Other's element reset, the copy of this event into it (its damage values of their class),
    // then the item and inventory settings.
    virtual void CloneInto(EventObj& other);
    DamageValues* GetOwnDamageValues() const { return m_DamageValues.Get(); }

    // The activation (EventObjActivate.cpp): counted and timed; an event of kind 1 runs its
    // "OnActivate:<name>" script with the activator (allow flag 1 for mode 1, -1 for mode 0, 0
    // otherwise); with mode above 0 and an activation damage an activator takes the event's damage
    // values scaled by it. Nothing on a network client, when used up or within the interval.
    // Answers 1: a mover that activated it goes on.
    int32_t Activate(WorldElem* activator, int32_t mode, float time);
    // The world's activation by a mover that reached the event: mode 1 from outside, 0 inside.
    int32_t Activate(WorldElem* activator, bool enteredFromOutside, double time) override
    {
        return Activate(activator, enteredFromOutside ? 1 : 0, float(time));
    }

    // The record after the element's: transferOnly leaves out the damage, timing and entry
    // fields. An entry count outside 0 to 4 is an error of the file.
    void SaveEventObj(File& file, bool transferOnly);
    void LoadEventObj(File& file, bool transferOnly);
    // The element's record, then the event object's.
    void Save(File& file, bool compact) override;
    void Load(File& file, bool compact) override;

    // Members, in the order of their meaning.
    int32_t m_EventKind = kKindActive;
    int32_t m_ActivationsLeft = -1;  // -1 unlimited, 0 none left
    uint8_t m_TouchActivates = 0;    // 0: only an explicit use activates
    float m_LastActivation = kNeverActivated;  // a spent event counts down in it instead
    float m_LastDamageTime = -1.0f;
    float m_MinInterval = 0.0f;      // seconds; 0 none
    String m_ActivationScript;       // run as "OnActivate:<name>"
    float m_ActivationDamage = 0.0f;
    float m_DamageRate = 0.0f;       // area damage per second
    float m_InnerShare = 0.5f;       // the area damage reaches from (1 - share) to share times the radius
    String m_ActivatorName;          // what the name filters compare with
    int32_t m_ActivatorParties[kParties] = {kAnyParty, kAnyParty, kAnyParty, kAnyParty};
    int32_t m_EntryCount = 0;
    EventEntry m_Entries[kMaxEntries];

private:
    void ResetEventObj();
    void CopyEventObj(const EventObj& other);

    DamageValuesHolder m_DamageValues;
};
