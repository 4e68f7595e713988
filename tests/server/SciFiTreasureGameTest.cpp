// The sample game's treasure in the running server: the crates and the drone draw the treasure
// their world-object keys name when the level is made, without a warning, and a killed drone
// drops its gold into the world.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "game/objects/ItemBase.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "world/Inventory.h"
#include "world/WorldCtrl.h"

#include "support/LogCapture.h"
#include "support/SampleServerGame.h"

#include <gtest/gtest.h>

namespace {

class SciFiTreasureGameTest : public SampleServerGame<SciFiGameCtrl> {
protected:
    // Units of the items of that desc lying in the world.
    int32_t UnitsLying(const char* desc)
    {
        WorldCtrl& world = ctrl->GetWorld();
        int32_t units = 0;
        for (int32_t id = world.NextObjID(-1); id >= 0; id = world.NextObjID(id)) {
            WorldElem* elem = world.GetObjNoCheck(id, false);
            if (elem && elem->HasLinkedObject() && elem->m_LinkedItem->m_Desc == desc)
                units += elem->m_LinkedItem->m_Count;
        }
        return units;
    }

    // Units of the items of that desc in the element's inventory.
    static int32_t UnitsHeld(WorldElem& elem, const char* desc)
    {
        int32_t units = 0;
        for (int32_t i = 0; elem.m_Inventory && i < elem.m_Inventory->GetCount(); ++i)
            if (InventoryItem* item = elem.m_Inventory->GetItem(i); item && item->m_Desc == desc)
                units += item->m_Count;
        return units;
    }
};

}  // namespace

TEST_F(SciFiTreasureGameTest, ObjectsDrawTheirTreasureAndAKilledDroneDropsIt)
{
    LogCapture log;
    Start();
    EXPECT_EQ(log.Count("Warning"), 0);
    WorldCtrl& world = ctrl->GetWorld();

    // A crate: its own medkit, one item of the level's first item list (a medkit or 12 coins)
    // and one piece of the "Crate" treasure list (12 coins, a medkit or a weapon).
    for (const char* id : {"crate1", "crate2"}) {
        WorldElem* crate = world.FindObjectByWorldID(id, nullptr);
        ASSERT_NE(crate, nullptr) << id;
        const int32_t medkits = UnitsHeld(*crate, "Medkit");
        const int32_t coins = UnitsHeld(*crate, "Gold Coins");
        const int32_t weapons = UnitsHeld(*crate, "Pulse Rifle") + UnitsHeld(*crate, "Pulse Rifle Mk2");
        EXPECT_GE(medkits, 1) << id;
        EXPECT_EQ(coins % 12, 0) << id;
        EXPECT_EQ(medkits + coins / 12 + weapons, 3) << id;
    }

    // The drone's list gives gold alone: at least its 8 coins.
    auto* drone = dynamic_cast<CreatureObj_SF*>(world.FindObjectByWorldID("drone1", nullptr));
    ASSERT_NE(drone, nullptr);
    const int32_t gold = UnitsHeld(*drone, "Gold Coins");
    EXPECT_GE(gold, 8);
    EXPECT_EQ(UnitsLying("Gold Coins"), 0);
    drone->Die();
    ASSERT_EQ(ErrorOf([&] { DedicatedServer::RunFrames(*ctrl, 30); }), "no error");
    EXPECT_EQ(UnitsLying("Gold Coins"), gold);
    EXPECT_EQ(UnitsHeld(*drone, "Gold Coins"), 0);
    EXPECT_EQ(log.Count("Warning"), 0);
}
