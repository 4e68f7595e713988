// WorldElem: the type tests and the party relation.
#include "world/WorldElem.h"

#include <gtest/gtest.h>

TEST(WorldElemTest, TypeTests)
{
    const struct {
        uint16_t code;
        bool valid, active;
    } kCases[] = {{0, true, true}, {4, true, true}, {7, true, false}, {9, false, false}, {65535, false, false}};
    for (const auto& c : kCases) {
        EXPECT_EQ(WorldElem::IsValidType(c.code), c.valid) << c.code;
        EXPECT_EQ(WorldElem::IsActiveType(c.code), c.active) << c.code;
    }
    WorldElem elem;
    EXPECT_EQ(elem.m_TypeCode, ElemType::kElem);
    EXPECT_STREQ(elem.GetClassName(), "WorldElem");
    EXPECT_EQ(elem.m_Name, wString("*nonmame*"));
    elem.m_TypeCode = ElemType::kItem;
    EXPECT_TRUE(elem.IsCreatureOrItem());
    EXPECT_FALSE(elem.IsCreature());
    elem.Reset();
    EXPECT_EQ(elem.m_TypeCode, ElemType::kElem);
    EXPECT_EQ(elem.GetParty(), WorldElem::kPartyFriendlyToAll);
}

TEST(WorldElemTest, PartyRelation)
{
    const struct {
        int32_t other, self, enemy;
    } kCases[] = {
        {-4, -1, 0}, {1, -4, 1}, {-1, -2, 1}, {-2, -1, 1}, {-2, 3, 0}, {3, 3, 0}, {3, 4, 1},
        {-3, 0, 1},  {-3, 2, 0}, {2, -3, 0}, {0, -3, 1},  {-3, -3, 0},
    };
    WorldElem self;
    WorldElem other;
    for (const auto& c : kCases) {
        self.SetParty(c.self);
        other.SetParty(c.other);
        EXPECT_EQ(self.IsEnemyOf(&other, false), c.enemy) << c.other << " " << c.self;
    }
    EXPECT_EQ(self.IsEnemyOf(nullptr, false), 1);
}
