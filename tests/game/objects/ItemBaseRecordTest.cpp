// ItemBase record: the bytes of one item written by hand for each layout the reader keeps
// (stream versions 275, 260, 233 and 165 with item version 10), read and checked field by field;
// the writer's bytes equal the hand-written 275 record; obsolete versions, short records and
// lying counts fail cleanly; emitters made at run time are not written; the picture is looked up.
#include "game/objects/ItemBase.h"

#include "level/LevelTestSupport.h"

#include "support/ByteBuilder.h"
#include "support/ErrorOf.h"

#include <gtest/gtest.h>

namespace {

struct Layout {
    uint16_t v;  // stream version
    int32_t i;   // item version
    bool Since(uint16_t streamVersion, int32_t itemVersion) const
    {
        return (i == -1 && v >= streamVersion) || i >= itemVersion;
    }
};

// The record of one rifle in a layout, row by row as the record's table gives them.
// firstClass is the required class of row 14, which row 38 overrides from version 248 on.
std::vector<uint8_t> RifleRecord(Layout l, int16_t abilityCount = 1, int32_t firstClass = 8)
{
    ByteBuilder b;
    b.Str("DB:rifle").Str("").I32(2).I32(4).I32(3).I32(5);
    if (l.v >= 270)
        b.F32(12.5f).Str("price");
    else
        b.I32(12);
    b.I32(1).Str("shot").Str("rifle");
    b.U16(uint16_t(abilityCount)).U16(2).U16(7);
    if (l.v >= 246)
        b.I32(firstClass);
    b.F32s({1.5f, 2.5f}).I32(11);
    b.F32s({1, 1, 1, 1, 1, 1}).F32s({0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f}).Zeros(24).F32s({0.25f, 0.75f});
    b.F32s({1, 1, 1});
    b.I32(11).I32(42).F32(0.0f).F32(0.5f);  // a key ability
    if (l.v >= 238) {
        b.U16(3).Str("t2");
        if (l.v >= 254)
            b.Str("t1");
    } else {
        b.Zeros(4);
    }
    b.F32s({0, 1, 2, 3, 4, 5, 6, 7});
    b.Str("rifle.png").Str("").U8(1).U8(0).Str("obj_rifle").Str("");
    b.Str("chrome").Str("xfer").Str("");
    if (l.Since(166, 8))
        b.Str("ab");
    if (l.v >= 259)
        b.I32(2);
    else
        b.U8(7);  // any non-zero byte reads as 1
    b.U8(4);
    if (l.Since(174, 9))
        b.U8(1);
    if (l.Since(176, 11))
        b.U8(9);
    if (l.v >= 234)
        b.I32(6).U8(2).U8(3);
    else if (l.Since(198, 15))
        b.U8(uint8_t(-3));
    b.U8(0);
    if (l.v >= 265)
        b.F32(2.5f);
    else
        b.I32(2);
    if (l.Since(220, 16))
        b.U8(3).U8(4);
    if (l.v >= 248)
        b.I32(9).U16(12);
    b.U16(1).Str("spark").F32s({1, 2, 3}).F32(4).F32(5).U8(0).F32(6).Str("muzzle");
    if (l.v >= 272)
        b.U8(1);
    return b.bytes;
}

// A stream holding the version, then the record.
void Into(File& file, uint16_t version, const std::vector<uint8_t>& record)
{
    ByteBuilder().U16(version).Append(record).Into(file);
    file.ReadInt16Member();
}

}  // namespace

TEST(ItemBaseRecordTest, EveryLayoutReads)
{
    struct Case {
        Layout layout;
        float value;
        int32_t requiredClass, questItem;
        int16_t level;
        const char* text1;
        const char* abilityText;
        uint8_t quickSlot, flag3;
        int32_t gridPos;
        int8_t dimX;
        float might;
        uint8_t sndDrop;
        int16_t requiredLevel;
        uint8_t combine;
    } cases[] = {
        {{275, -1}, 12.5f, 9, 2, 3, "t1", "ab", 1, 9, 6, 2, 2.5f, 4, 12, 1},
        {{260, -1}, 12.0f, 9, 2, 3, "t1", "ab", 1, 9, 6, 2, 2.0f, 4, 12, 0},
        {{233, -1}, 12.0f, 0, 1, 0, "", "ab", 1, 9, -3, 0, 2.0f, 4, 0, 0},
        {{165, 10}, 12.0f, 0, 1, 0, "", "ab", 1, 255, 0, 0, 2.0f, 1, 0, 0},
    };
    for (const Case& c : cases) {
        LevelTestCtrl ctrl;
        File file;
        Into(file, c.layout.v, RifleRecord(c.layout));
        ItemBase item;
        item.Load(file, c.layout.i, 0);
        const std::string at = "version " + std::to_string(c.layout.v);
        EXPECT_EQ(file.GetRemaining(), 0) << at;
        EXPECT_TRUE(item.m_ItemName == "DB:rifle") << at;
        EXPECT_EQ(item.m_Count, 3) << at;
        EXPECT_EQ(item.m_Value.GetRawValue(), c.value) << at;
        EXPECT_EQ(item.m_Value.functionName.IsEmpty(), c.layout.v < 270) << at;
        EXPECT_EQ(item.m_RequiresCharacterClass, c.requiredClass) << at;
        EXPECT_EQ(item.m_LoadValue[1], 2.5f) << at;
        EXPECT_EQ(item.m_BodyPosLeft[2], 0.5f) << at;
        EXPECT_EQ(item.m_BodyRotAngleLeft, 0.75f) << at;
        ASSERT_EQ(item.GetAbilityCount(), 1) << at;
        const ItemAbility& key = *item.GetAbility(0);
        EXPECT_TRUE(key.type == 11 && key.subtype == 42 && key.value2 == 0.5f) << at;
        EXPECT_EQ(key.level, c.level) << at;
        EXPECT_TRUE(key.text1 == c.text1) << at;
        EXPECT_TRUE(key.text2 == (c.layout.v >= 238 ? "t2" : "")) << at;
        EXPECT_EQ(item.m_GameValues[7], 7.0f) << at;
        EXPECT_EQ(item.m_MirrorImg, 1) << at;
        EXPECT_TRUE(item.m_Shader == "chrome") << at;
        EXPECT_TRUE(item.m_OnTransfer == "xfer") << at;
        EXPECT_TRUE(item.m_AbilityText == c.abilityText) << at;
        EXPECT_EQ(item.m_QuestItem, c.questItem) << at;
        EXPECT_EQ(item.m_FlagByte1, 4) << at;
        EXPECT_EQ(item.m_QuickSlotItem, c.quickSlot) << at;
        EXPECT_EQ(item.m_FlagByte3, c.flag3) << at;
        EXPECT_EQ(item.m_GridPos, c.gridPos) << at;
        EXPECT_EQ(item.m_DimX, c.dimX) << at;
        EXPECT_EQ(item.m_FlagByte2, 0) << at;
        EXPECT_EQ(item.m_Might, c.might) << at;
        EXPECT_EQ(item.m_SndDrop, c.sndDrop) << at;
        EXPECT_EQ(item.m_RequiresLevel, c.requiredLevel) << at;
        ASSERT_EQ(item.GetEmitterCount(), 1) << at;
        EXPECT_TRUE(item.GetEmitter(0)->effectName == "spark") << at;
        EXPECT_TRUE(item.GetEmitter(0)->dummyName == "muzzle") << at;
        EXPECT_EQ(item.GetEmitter(0)->lifeTime, 6.0f) << at;
        EXPECT_EQ(item.GetEmitter(0)->randomEmission, 0) << at;
        EXPECT_EQ(item.m_Combine, c.combine) << at;
        EXPECT_EQ(item.m_Picture, &ctrl.itemPicture) << at;
    }
}

TEST(ItemBaseRecordTest, WriterGivesTheRecordOfTheCurrentVersion)
{
    LevelTestCtrl ctrl;
    const std::vector<uint8_t> golden = RifleRecord({275, -1}, 1, 9);  // the writer writes one class twice
    File in;
    Into(in, 275, golden);
    ItemBase item;
    item.Load(in, -1, 0);
    File out;
    out.CreateMemoryFile(0);
    item.Save(out, 0);
    EXPECT_EQ(BytesOf(out), golden);

    // Loaded again from the old layouts, every item writes the current one.
    File old;
    Into(old, 233, RifleRecord({233, -1}));
    ItemBase upgraded;
    upgraded.Load(old, -1, 0);
    File again;
    again.CreateMemoryFile(0);
    upgraded.Save(again, 0);
    File back;
    Into(back, 275, BytesOf(again));
    ItemBase reread;
    reread.Load(back, -1, 0);
    EXPECT_EQ(back.GetRemaining(), 0);
    EXPECT_TRUE(reread.IsSameKind(upgraded));
    EXPECT_EQ(reread.m_GridPos, -3);
}

TEST(ItemBaseRecordTest, ObsoleteAndDamagedRecordsFail)
{
    LevelTestCtrl ctrl;
    struct Case {
        Layout layout;
        std::vector<uint8_t> record;
        const char* error;  // a part of the message
    } cases[] = {
        {{275, 5}, RifleRecord({275, 5}), "Obsolete file version not supported"},
        // Item version 9 would read shader, onTransfer and AbilityText, but its abilities stop it.
        {{275, 9}, RifleRecord({275, 9}), "Obsolete file version not supported"},
        {{174, -1}, RifleRecord({174, -1}), "Obsolete file version not supported"},
        {{275, -1}, RifleRecord({275, -1}, 32767), "Item ability count 32767 exceeds"},
        {{275, -1}, RifleRecord({275, -1}, -1), "Item ability count -1 exceeds"},
    };
    for (const Case& c : cases) {
        File file;
        Into(file, c.layout.v, c.record);
        ItemBase item;
        const std::string error = ErrorOf([&] { item.Load(file, c.layout.i, 0); });
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        EXPECT_TRUE(item.m_ItemName == "DB:rifle");  // the fields read so far stay
    }

    // Every shorter record fails with an error of the file.
    const std::vector<uint8_t> whole = RifleRecord({275, -1});
    for (size_t length = 0; length < whole.size(); length++) {
        File file;
        Into(file, 275, std::vector<uint8_t>(whole.begin(), whole.begin() + std::ptrdiff_t(length)));
        ItemBase item;
        const std::string error = ErrorOf([&] { item.Load(file, -1, 0); });
        EXPECT_TRUE(error.find("cut short") != std::string::npos || error.find("exceeds") != std::string::npos)
            << length << ": " << error;
    }
}

TEST(ItemBaseRecordTest, RuntimeEmittersAreNotWrittenAndThePictureIsLookedUp)
{
    ItemBase item;
    item.m_Desc = "retired";
    item.AddEmitter().effectName = "kept";
    item.AddEmitter().name = "made at run time";
    item.AddEmitter().runtimeFlag2 = 1;
    item.AddEmitter().lifeOver = 1;
    File out;
    out.CreateMemoryFile(0);
    item.Save(out, 0);

    LevelTestCtrl ctrl;
    ctrl.unknownItems.insert("retired");
    File in;
    Into(in, 275, BytesOf(out));
    ItemBase loaded;
    loaded.m_Picture = &ctrl.itemPicture;
    loaded.Load(in, -1, 0);
    ASSERT_EQ(loaded.GetEmitterCount(), 1);
    EXPECT_TRUE(loaded.GetEmitter(0)->effectName == "kept");
    EXPECT_EQ(loaded.m_Picture, nullptr);  // not in the item table
}
