// SciFiScriptTestSupport: the game's controller under the built-ins' harness: the sample game with
// its level, the game's items, a hero and a second creature and a crate placed apart, the calls
// forwarded to the clients and the world events posted recorded, and the records of the two
// damage events read back.
#pragma once
#include "scifi/ctrl/AreaDamageEventRecord.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "world/WorldEventPayloads.h"

#include "game/scriptfuncs/ScriptFuncsTestSupport.h"

#include <string>

// The game's controller loading the sample game's items its own way, with the treasure lists its
// world objects name.
class SciFiSampleCtrl : public SciFiGameCtrl {
public:
    void LoadSampleItems()
    {
        LoadGeneralItems();
        LoadTreasureLists("cfg\\treasure.cfg");
    }
};

using SciFiScriptTestCtrl = BasicScriptTestCtrl<SciFiSampleCtrl>;

class SciFiScriptTest : public BasicScriptFuncsTest<SciFiScriptTestCtrl> {
protected:
    SciFiScriptTest()
    {
        heroID = Place("Hero", 1280.0f, 1280.0f, "hero1");
        otherID = Place("Hero", 1400.0f, 1280.0f, "hero2");
        crateID = Place("Crate", 1280.0f, 1400.0f, "box");
        hero = dynamic_cast<CreatureObj_SF*>(Elem(heroID));
        other = dynamic_cast<CreatureObj_SF*>(Elem(otherID));
        h = std::to_string(heroID);
        o = std::to_string(otherID);
        c = std::to_string(crateID);
    }

    // The one damage event posted since the records were cleared.
    DamageEventRecord PostedDamage()
    {
        DamageEventRecord record;
        EXPECT_EQ(ctrl->events.size(), 1u);
        if (ctrl->events.size() == 1u) {
            EXPECT_EQ(ctrl->events[0].type, WorldEventType::kDamage);
            EXPECT_TRUE(record.Read(RecordedEvent(0)));
        }
        return record;
    }
    AreaDamageEventRecord PostedAreaDamage()
    {
        AreaDamageEventRecord record;
        EXPECT_EQ(ctrl->events.size(), 1u);
        if (ctrl->events.size() == 1u) {
            EXPECT_EQ(ctrl->events[0].type, AreaDamageEventRecord::kType);
            EXPECT_TRUE(record.Read(RecordedEvent(0)));
        }
        return record;
    }
    // The recorded event n as the world keeps it.
    WorldEvent RecordedEvent(size_t n)
    {
        WorldEvent event;
        const auto& recorded = ctrl->events[n];
        SetEventPayload(event, recorded.type, recorded.payload.data(), int32_t(recorded.payload.size()), 0.0);
        return event;
    }

    int32_t heroID = -1, otherID = -1, crateID = -1;
    CreatureObj_SF* hero = nullptr;
    CreatureObj_SF* other = nullptr;
    std::string h, o, c;  // the IDs as script text
};
