// CreatureSyncData: a creature's record against bytes written by hand, the slot words of a
// creature without cycles, reading back (a short record refused whole), and the state set back.
#include "game/objects/CreatureSyncData.h"

#include "game/objects/CreatureObj.h"
#include "support/ByteBuilder.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A creature whose maximum health is not the plain 100.0, so the record shows which it took.
class StrongCreature : public CreatureObj {
public:
    float GetMaxHealth() override { return 120.0f; }
};

std::vector<uint8_t> Written(const CreatureSyncData& record, size_t capacity = CreatureSyncData::kSize)
{
    std::vector<uint8_t> bytes(capacity);
    ByteWriter writer(bytes.data(), bytes.size());
    EXPECT_TRUE(record.Write(writer));
    EXPECT_EQ(writer.GetPosition(), size_t(CreatureSyncData::kSize));
    bytes.resize(writer.GetPosition());
    return bytes;
}

}  // namespace

TEST(CreatureSyncDataTest, FillWritesTheCreatureFieldByField)
{
    StrongCreature creature;
    creature.m_CyclePlayers[0].cycleNumber = 12;
    creature.m_CyclePlayers[0].reverse = 1;
    creature.m_CyclePlayers[0].speed = 1.0f;
    creature.m_CyclePlayers[1].cycleNumber = 300;
    creature.m_CyclePlayers[1].speed = 0.5f;
    creature.m_Health = 37.5f;
    creature.m_Dead = 1;
    creature.m_IsFlying = 1;
    creature.m_Invisible = 3;  // only its lowest bit is carried
    creature.m_TintColour = 0x80FF2010u;
    creature.m_TargetValues[0] = 1.5f;
    creature.m_TargetValues[1] = -2.0f;
    creature.m_TargetValues[2] = 3.25f;

    CreatureSyncData record;
    record.Fill(creature);
    ByteBuilder expected;
    expected.I32(0).U16(0x400C).U16(0x3E00).U16(300).U16(0x3C00);
    expected.F32(37.5f).F32(120.0f).U8(1).U8(0x03).I32(int32_t(0x80FF2010u)).F32s({1.5f, -2.0f, 3.25f});
    EXPECT_EQ(Written(record), expected.bytes);
}

TEST(CreatureSyncDataTest, NewRecordAndCreatureWithoutCycles)
{
    CreatureSyncData fresh;
    ByteBuilder empty;
    empty.I32(0).U16(0xFFFF).U16(0).U16(0xFFFF).U16(0).F32(0.0f).F32(0.0f).U8(0).U8(0);
    empty.I32(int32_t(0xFF000000u)).F32s({0.0f, 0.0f, 0.0f});
    EXPECT_EQ(Written(fresh, 64), empty.bytes);  // 38 bytes whatever room there is

    CreatureObj creature;  // a plain creature: maximum health 100.0
    creature.m_CyclePlayers[1].cycleNumber = AC_FadeProperties::kNotChosen;
    creature.m_CyclePlayers[1].reverse = 1;
    creature.m_CyclePlayers[1].speed = 0.0f;
    CreatureSyncData record;
    record.Fill(creature);
    EXPECT_EQ(record.move.cycleWord, 0xFFFF);
    EXPECT_EQ(record.action.cycleWord, 0xFFFF);  // "not chosen" and reversed: still no cycle
    EXPECT_EQ(record.action.CycleID(), -1);
    EXPECT_FALSE(record.action.Flag());
    EXPECT_EQ(record.action.Speed(), 4.656613e-10f);  // a speed of 0 comes back as the smallest
    EXPECT_EQ(record.maxHealth, 100.0f);
    EXPECT_EQ(record.colour, 0xFFFFFFFFu);

    std::vector<uint8_t> small(CreatureSyncData::kSize - 1);
    ByteWriter tooSmall(small.data(), small.size());
    EXPECT_FALSE(record.Write(tooSmall));
}

TEST(CreatureSyncDataTest, ReadTakesTheWholeRecordOrNothing)
{
    CreatureSyncData sent;
    sent.move.cycleWord = 0x4000 | 450;
    sent.move.speedWord = 0x4B20;  // 100.0
    sent.health = 12.0f;
    sent.maxHealth = 80.0f;
    sent.flags = CreatureSyncData::kInvisibleBit;
    sent.colour = 0x11223344u;
    sent.vector[2] = 7.0f;
    std::vector<uint8_t> bytes = Written(sent);
    bytes[0] = 0xAB;  // the reserved word is not read
    bytes.push_back(0x5A);

    ByteReader reader(bytes.data(), bytes.size());
    CreatureSyncData got;
    ASSERT_TRUE(got.Read(reader));
    EXPECT_EQ(reader.GetPosition(), size_t(CreatureSyncData::kSize));
    EXPECT_EQ(Written(got), Written(sent));
    EXPECT_EQ(got.move.CycleID(), 450);
    EXPECT_TRUE(got.move.Flag());
    EXPECT_EQ(got.move.Speed(), 100.0f);

    ByteReader cut(bytes.data(), CreatureSyncData::kSize - 1);
    CreatureSyncData kept;
    kept.health = 5.0f;
    EXPECT_FALSE(kept.Read(cut));
    EXPECT_TRUE(cut.Failed());
    EXPECT_EQ(kept.health, 5.0f);
    EXPECT_EQ(kept.colour, 0xFF000000u);
}

TEST(CreatureSyncDataTest, ApplyStateSetsColourFlagsAndVector)
{
    CreatureSyncData record;
    record.flags = CreatureSyncData::kFlyingBit | 0xFC;  // unused bits ignored
    record.colour = 0x80402010u;
    record.vector[0] = -1.0f;
    record.vector[1] = 2.0f;
    record.vector[2] = 0.5f;
    record.health = 1.0f;
    CreatureObj creature;
    creature.m_Invisible = 1;
    const float health = creature.GetHealth();
    record.ApplyState(creature);
    EXPECT_EQ(creature.m_TintColour, 0x80402010u);
    EXPECT_EQ(creature.m_IsFlying, 1);
    EXPECT_EQ(creature.m_Invisible, 0);
    EXPECT_EQ(creature.m_TargetValues[0], -1.0f);
    EXPECT_EQ(creature.m_TargetValues[1], 2.0f);
    EXPECT_EQ(creature.m_TargetValues[2], 0.5f);
    EXPECT_EQ(creature.GetHealth(), health);  // health and death reach clients by their own messages
}
