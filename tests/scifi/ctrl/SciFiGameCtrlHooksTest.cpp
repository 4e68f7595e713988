// SciFiGameCtrl's small answers: displayed values, factions, the creature filter, the item power
// factors by ability type and the inventory grid of a character taken over.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "scifi/objects/CreatureObj_SF.h"
#include "world/Inventory.h"
#include "world/WorldElem.h"

#include <gtest/gtest.h>

#include <memory>

TEST(SciFiGameCtrlHooksTest, SmallAnswers)
{
    const struct {
        float value;
        const char* text;
    } values[] = {{4.94f, "4.9"}, {4.96f, "5.0"}, {5.5f, "6"}, {-5.5f, "-6"}, {-4.94f, "-4.9"}, {12.4f, "12"}};
    for (const auto& c : values)
        EXPECT_STREQ(SciFiGameCtrl::FormatValue(c.value).c_str(), c.text) << c.value;

    EXPECT_TRUE(SciFiGameCtrl::MatchFactions(100, 100));
    EXPECT_TRUE(SciFiGameCtrl::MatchFactions(3, 100));
    EXPECT_TRUE(SciFiGameCtrl::MatchFactions(4, 4));
    EXPECT_FALSE(SciFiGameCtrl::MatchFactions(3, 4));

    SciFiGameCtrl ctrl;
    EXPECT_FLOAT_EQ(ctrl.GetAbilityWeight(16), ctrl.GetItemPowerWeights()[ItemValueParameters::kHitp]);
    EXPECT_FLOAT_EQ(ctrl.GetAbilityWeight(118), ctrl.GetItemPowerWeights()[ItemValueParameters::kSkillUpgrade]);
    EXPECT_EQ(ctrl.GetAbilityWeight(2), 0.0f);
}

TEST(SciFiGameCtrlHooksTest, CreatureFilter)
{
    SciFiGameCtrl ctrl;
    std::unique_ptr<CreatureObj> creature(ctrl.CreateCreature());
    creature->m_Level = 2;
    creature->m_Party = 1;
    WorldElem crate;
    const struct {
        uint32_t mask;
        int32_t minimumLevel;
        bool passes;
    } cases[] = {{0, 0, true}, {1u << 1, 0, true}, {1u << 2, 0, false}, {0, 2, true}, {1u << 1, 3, false}};
    for (const auto& c : cases)
        EXPECT_EQ(SciFiGameCtrl::ElementPassesFilter(creature.get(), c.mask, c.minimumLevel), c.passes)
            << c.mask << " " << c.minimumLevel;
    EXPECT_TRUE(SciFiGameCtrl::ElementPassesFilter(&crate, 1u << 2, 5));
    EXPECT_FALSE(SciFiGameCtrl::ElementPassesFilter(nullptr, 0, 0));
}
