// Element save records: the codes of missing references, the wall that writes no parent, the
// compact form, the version rules of old files, bounded counts, and the light's sample count.
#include "world/WorldElem.h"

#include "base/File.h"
#include "base/Geometry.h"
#include "level/VSD_LightSource.h"
#include "world/WorldTestSupport.h"

#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Saved(WorldElemGridBase& elem, bool compact)
{
    File file;
    file.CreateMemoryFile(0);
    elem.Save(file, compact);
    return Bytes(file.GetMemoryBuffer(), file.GetMemoryBuffer() + file.GetSize());
}

std::unique_ptr<File> Reader(const Bytes& bytes, uint16_t version)
{
    auto file = std::make_unique<File>();
    file->CreateMemoryFile(int32_t(bytes.size()));
    file->Write(bytes.data(), bytes.size());
    file->Seek(0);
    file->SetVersion(version);
    return file;
}

int32_t WordAt(const Bytes& bytes, size_t at)
{
    int32_t value = 0;
    std::memcpy(&value, &bytes[at], 4);
    return value;
}

float FloatAt(const Bytes& bytes, size_t at)
{
    float value = 0;
    std::memcpy(&value, &bytes[at], 4);
    return value;
}

class WorldElemRecordTest : public ::testing::Test {
protected:
    WorldElemRecordTest() { world.SetGrid(8, 8, 64, 64); }
    LevelTestCtrl ctrl;
    GridWorld world;
};

}  // namespace

TEST_F(WorldElemRecordTest, MissingReferencesAreMinusOneAndTheCompactFormStartsWithThePosition)
{
    TestElem elem(ElemType::kElem, 12.0f, 34.0f);
    elem.m_CfgID = "lamp";
    const Bytes full = Saved(elem, false);
    // cfgID (4 + 4), position (8), height, visibility mix, then the parent
    EXPECT_EQ(WordAt(full, 8 + 8 + 8), -1);
    const Bytes compact = Saved(elem, true);
    EXPECT_EQ(FloatAt(compact, 0), 12.0f);
    EXPECT_EQ(FloatAt(compact, 4), 34.0f);
    EXPECT_EQ(WordAt(compact, 16), -1);  // the parent
    // the grid record of the compact form lacks radius and ground height; full-only fields of the
    // element make the rest of the difference
    EXPECT_LT(compact.size() + 8 + 8, full.size());

    TestElem back(ElemType::kElem);
    back.m_Creator = &elem;
    auto file = Reader(full, 275);
    file->Seek(8);  // the level loader reads the cfgID itself
    back.Load(*file, false);
    EXPECT_EQ(file->GetPos(), int32_t(full.size()));
    EXPECT_EQ(back.m_SavedParentRef, 0xFFFFFFFFu);
    EXPECT_EQ(back.m_SavedCreatorRef, 0xFFFFFFFFu);
    EXPECT_EQ(back.m_SavedMasterRef, 0xFFFFFFFFu);
    EXPECT_EQ(back.m_Creator.Get(), nullptr);
    EXPECT_EQ(back.m_PosX, 12.0f);
    back.m_CfgID = "lamp";
    EXPECT_EQ(Saved(back, false), full);
}

TEST_F(WorldElemRecordTest, AWallOnAnElementWritesNoParentAndKeepsIt)
{
    auto* owner = AddTestElem<TestElem>(world, ElemType::kItem, 50.0f, 50.0f);
    VSD_WallIntern* wall = AddTestWall(world, 10, 10, 100, 10);
    owner->AttachChild(wall);
    const Bytes bytes = Saved(*wall, false);
    const size_t parentAt = 4 + wall->m_CfgID.GetLength() + 8 + 8;
    EXPECT_EQ(WordAt(bytes, parentAt), -1);
    EXPECT_EQ(wall->m_Parent.Get(), owner);

    // the wall's record reads back whole, and a save of it gives the same bytes
    VSD_WallIntern back;
    auto file = Reader(bytes, 275);
    file->Seek(4 + wall->m_CfgID.GetLength());
    back.Load(*file, false);
    EXPECT_EQ(file->GetPos(), int32_t(bytes.size()));
    back.m_CfgID = wall->m_CfgID;
    EXPECT_EQ(Saved(back, false), bytes);
}

TEST_F(WorldElemRecordTest, SavedAnglesAreRoundedToTwentyMantissaBits)
{
    const struct {
        uint32_t in;
        uint32_t out;
    } cases[] = {
        {0x3F800001u, 0x3F800000u},  // only the lowest bit above 1.0: exactly 1.0
        {0x3F800004u, 0x3F800008u},  // only bit 2: rounded up to bit 3
        {0x3F7FFFFCu, 0x3F800000u},  // the carry runs into the exponent
    };
    for (const auto& c : cases) {
        float in = 0;
        std::memcpy(&in, &c.in, 4);
        TestElem elem(ElemType::kElem);
        elem.m_Angle = in;
        const Bytes bytes = Saved(elem, true);
        uint32_t out = 0;
        std::memcpy(&out, &bytes[8 + 4 + 4 + 4 + 8 + 4 + 4 + 1], 4);
        EXPECT_EQ(out, c.out) << std::hex << c.in;
    }
}

TEST_F(WorldElemRecordTest, OldFilesFollowTheirVersionRules)
{
    // A compact record of version 250, every field zero but MyRnd: 111 bytes of WorldElemBase
    // (with the old illumination record of versions 192 to 254), 227 bytes of WorldElem before
    // MyRnd (with the two creature values of versions before 269 and the auxiliary record without
    // its last float), MyRnd as a float fraction, then the two pairs of versions 234 and 247.
    Bytes old(111 + 227, 0);
    const float half = 0.5f;
    const uint8_t* bits = reinterpret_cast<const uint8_t*>(&half);
    old.insert(old.end(), bits, bits + 4);
    old.insert(old.end(), 16, 0);
    TestElem back(ElemType::kElem);
    auto file = Reader(old, 250);
    back.Load(*file, true);
    EXPECT_EQ(file->GetPos(), int32_t(old.size()));
    EXPECT_EQ(back.m_MyRnd, 1073741824);
    EXPECT_EQ(back.m_Aux.rangeCopy, back.m_Aux.range);

    const float hostile = 3e9f;  // no fraction: no value that would not fit
    std::memcpy(&old[111 + 227], &hostile, 4);
    auto again = Reader(old, 250);
    back.Load(*again, true);
    EXPECT_EQ(back.m_MyRnd, 0);
}

TEST_F(WorldElemRecordTest, AnEntryListCountBeyondTheBytesLeftIsRefusedBeforeAllocating)
{
    for (int32_t count : {int32_t(0x7FFFFFFF), -1, 2}) {
        File file;
        file.CreateMemoryFile(0);
        file.WriteInt32(count);
        file.WriteInt32(1);
        file.WriteInt8(0);
        file.WriteInt8(0);
        file.WriteFloat(0.0f);
        file.WriteInt32(5);  // one entry's worth of bytes, short of the second
        file.Seek(0);
        EntryListRecord list;
        EXPECT_NE(ErrorOf([&] { list.Load(file); }), "no error") << count;
        EXPECT_TRUE(list.entries.empty()) << count;
    }
}

TEST_F(WorldElemRecordTest, ALightsSampleCountIsAtMostSixteen)
{
    VSD_LightIntern light;
    light.m_SampleCount = 200;
    light.m_IntCurve.SetNumKeys(2);
    const Bytes bytes = Saved(light, false);
    VSD_LightIntern back;
    auto file = Reader(bytes, 275);
    file->Seek(4);  // the empty cfgID
    back.Load(*file, false);
    EXPECT_EQ(file->GetPos(), int32_t(bytes.size()));
    EXPECT_EQ(back.m_SampleCount, VSD_LightIntern::kMaxSamples);
    EXPECT_EQ(back.m_IntCurve.GetNumKeys(), 2);
}

TEST_F(WorldElemRecordTest, AReferenceToAnElementTheTableDoesNotHoldStopsTheSave)
{
    TestElem stray(ElemType::kCreature);  // live, but in no table
    TestElem elem(ElemType::kElem);
    elem.SetCreator(&stray);
    File file;
    file.CreateMemoryFile(0);
    EXPECT_EQ(ErrorOf([&] { elem.Save(file, false); }), "SaveElemPtr: Invalid pointer");
}
