// ItemObj record: the writer's bytes against the layout written by hand, the version gates of the
// reader, times read in reverse, lying wall counts, and the walls found again after a load.
#include "game/objects/ItemObj.h"

#include "support/ByteBuilder.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"
#include "world/WorldTestSupport.h"

#include <gtest/gtest.h>

namespace {

constexpr int32_t kWallCode = (7 << 24) | 2;  // the wall in slot 2

// The record as the format gives it, at a stream version, with one wall of ID 1.
std::vector<uint8_t> Record(uint16_t version, bool full, float closed = 0.5f, float open = 2.5f)
{
    ByteBuilder b;
    if (full)
        b.F32(1.25f);
    b.U16(1).U8(1).F32(closed).F32(open);
    if (version >= 173)
        b.U8(1);
    b.U16(2).U16(9).U8(1);
    if (version >= 163)
        b.U8(1);
    b.Str("Locked()");
    if (version >= 165)
        b.U16(3).I32(12);
    if (full) {
        if (version >= 261)
            b.I32(77);
        b.U16(1).I32(1).F32s({10, 0, 10, 20});
    }
    b.I32(kWallCode);
    return b.bytes;
}

void Load(ItemObj& item, const std::vector<uint8_t>& bytes, uint16_t version, bool full)
{
    File file;
    ByteBuilder{bytes}.Into(file);
    item.LoadItemObj(file, version, !full);
    EXPECT_EQ(file.GetRemaining(), 0);
}

}  // namespace

TEST(ItemObjRecordTest, WriterBytes)
{
    LevelTestCtrl ctrl;
    GridWorld world;
    world.SetGrid(20, 12, 64, 64);
    VSD_WallIntern blank;
    world.InsertWall(blank, 0, 0);
    VSD_WallIntern& wall = *world.GetWall(world.InsertWall(blank, 0, 0));
    VSD_WallIntern& linked = *world.GetWall(world.InsertWall(blank, 0, 0));
    ASSERT_EQ(wall.m_ObjID, 1);
    auto* item = new ItemObj;
    world.AddObj(item, 0, false);
    item->m_OpenState = 1;
    item->m_ToggleOnUse = 1;
    item->m_ClosedTime = 0.5f;
    item->m_OpenTime = 2.5f;
    item->m_LoopAni = 1;
    item->m_RotationKind = 2;
    item->m_KeyNumber = 9;
    item->m_WallsAsCollisionBox = 1;
    item->m_CustomUse = 1;
    item->m_FailedUseScript = "Locked()";
    item->m_Count = 3;
    item->m_IndexSetting = 12;
    item->m_GroupNumber = 77;
    item->AddWall(wall, 10, 0, 10, 20);
    item->SetWallLink(&linked);
    item->m_CurrentAniTime = 1.25f;
    for (bool full : {true, false}) {
        File file;
        file.CreateMemoryFile(0);
        item->SaveItemObj(file, !full);
        EXPECT_EQ(BytesOf(file), Record(275, full)) << full;
    }
}

TEST(ItemObjRecordTest, VersionGates)
{
    for (uint16_t version : {275, 261, 260, 173, 172, 165, 164, 163, 162}) {
        SCOPED_TRACE(version);
        for (bool full : {true, false}) {
            ItemObj item;
            Load(item, Record(version, full), version, full);
            EXPECT_EQ(item.GetOpenState(), 1);
            EXPECT_EQ(item.m_ToggleOnUse, 1);
            EXPECT_EQ(item.m_ClosedTime, 0.5f);
            EXPECT_EQ(item.m_OpenTime, 2.5f);
            EXPECT_EQ(item.m_AniSpeed, 1.0f);
            EXPECT_EQ(item.m_LoopAni, version >= 173 ? 1 : 0);
            EXPECT_EQ(item.m_RotationKind, 2);
            EXPECT_EQ(item.m_KeyNumber, 9);
            EXPECT_EQ(item.m_WallsAsCollisionBox, 1);
            EXPECT_EQ(item.m_CustomUse, version >= 163 ? 1 : 0);
            EXPECT_EQ(item.m_FailedUseScript, String("Locked()"));
            EXPECT_EQ(item.m_Count, version >= 165 ? 3 : 0);
            EXPECT_EQ(item.m_IndexSetting, version >= 165 ? 12 : -1);
            EXPECT_EQ(item.m_GroupNumber, full && version >= 261 ? 77u : 0u);
            EXPECT_EQ(item.m_CurrentAniTime, full ? 1.25f : 0.0f);
            ASSERT_EQ(item.GetSavedWalls().size(), full ? 1u : 0u);
            if (full) {
                EXPECT_EQ(item.GetSavedWalls()[0].wallID, 1);
                EXPECT_EQ(item.GetSavedWalls()[0].y2, 20.0f);
            }
        }
    }
}

TEST(ItemObjRecordTest, ReversedTimesAreSwapped)
{
    ItemObj item;
    Load(item, Record(275, true, 2.5f, 0.5f), 275, true);
    EXPECT_EQ(item.m_ClosedTime, 0.5f);
    EXPECT_EQ(item.m_OpenTime, 2.5f);
    EXPECT_EQ(item.m_AniSpeed, -1.0f);  // the animation runs the other way
}

TEST(ItemObjRecordTest, DamagedRecordsFailCleanly)
{
    const std::vector<uint8_t> whole = Record(275, true);
    const size_t wallCount = whole.size() - 4 - 20 - 2;  // the code, one wall, its count
    const struct {
        uint16_t count;
        size_t cut;
        const char* error;
    } kCases[] = {
        {2, 0, "Item object wall count 2 exceeds the 24 bytes left"},
        {uint16_t(-1), 0, "Item object wall count -1 exceeds"},
        {1, 1, "Item object record cut short"},
    };
    for (const auto& c : kCases) {
        std::vector<uint8_t> bytes = whole;
        bytes[wallCount] = uint8_t(c.count);
        bytes[wallCount + 1] = uint8_t(c.count >> 8);
        bytes.resize(bytes.size() - c.cut);
        ItemObj item;
        File file;
        ByteBuilder{bytes}.Into(file);
        const std::string error = ErrorOf([&] { item.LoadItemObj(file, 275, false); });
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
}

TEST(ItemObjRecordTest, WallsAreFoundAgain)
{
    LevelTestCtrl ctrl;
    GridWorld world;
    world.SetGrid(20, 12, 64, 64);
    VSD_WallIntern blank;
    for (int32_t i = 0; i < 3; i++)
        world.InsertWall(blank, 0, 0);
    auto* item = new ItemObj;
    item->SetPos(100, 100);
    world.AddObj(item, 0, false);
    std::vector<uint8_t> bytes = Record(275, true);
    ByteBuilder more;
    more.U16(3).I32(1).F32s({10, 0, 10, 20}).I32(-1).F32s({0, 0, 0, 0}).I32(9).F32s({0, 0, 0, 0}).I32(kWallCode);
    const size_t wallCount = bytes.size() - 4 - 20 - 2;
    bytes.resize(wallCount);
    bytes.insert(bytes.end(), more.bytes.begin(), more.bytes.end());
    Load(*item, bytes, 275, true);
    EXPECT_EQ(item->GetWallCount(), 0);

    LogCapture log;
    item->RestoreWallChildren();
    ASSERT_EQ(item->GetWallCount(), 1);  // -1 is passed over, 9 names no wall
    EXPECT_EQ(log.Count("Invalid wallID in wallchild savegame"), 1);
    VSD_WallIntern* wall = world.GetWall(1);
    EXPECT_EQ(wall->m_Parent.Get(), item);
    EXPECT_FLOAT_EQ(wall->m_X1, 110.0f);
    EXPECT_FLOAT_EQ(wall->m_Y2, 120.0f);
    EXPECT_EQ(item->GetLinkedWall(), world.GetWall(2));
    EXPECT_TRUE(item->GetSavedWalls().empty());
}
