// WorldCtrl save games: the level section written, read into a fresh world on the same level and
// written again gives the same bytes, identities and slots; old layouts, a level of another size,
// a type gone from the game data, and damaged or hostile sections.
#include "world/WorldCtrl.h"

#include "base/File.h"
#include "platform/SafeFileReplace.h"
#include "world/ElemCode.h"
#include "world/WorldEventPayloads.h"
#include "world/WorldTestSupport.h"

#include "support/ErrorOf.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// A controller with the factories and object types that a save asks for: "crate" makes items,
// "guard" creatures; empty elements are TestElems of the asked type code.
class SaveTestCtrl : public LevelTestCtrl {
public:
    SaveTestCtrl()
    {
        createObject = [this](const char* name) -> WorldElemGridBase* {
            auto* elem = new TestElem(ElemType::kCreature);
            elem->m_CfgID = name;
            world->AddObj(elem, 0, false);
            return elem;
        };
    }
    WorldElem* CreateEmptyElement(uint16_t typeCode) override
    {
        created.push_back(typeCode);
        return new TestElem(typeCode);
    }
    int32_t FindWorldObjectTypeIndex(const char* name) override
    {
        for (size_t i = 0; i < types.size(); i++)
            if (types[i].first == name)
                return int32_t(i);
        return -1;
    }
    WorldElemGridBase* CreateWorldObjectByIndex(int32_t index, float, float, float, float) override
    {
        initSuspendedAtCreation = world->AreInitScriptsSuspended();
        auto* elem = new TestElem(types[size_t(index)].second);
        elem->m_CfgID = types[size_t(index)].first.c_str();
        world->AddObj(elem, 0, false);
        return elem;
    }
    WorldElem* FindKeptObject(const char* worldID) override
    {
        auto found = kept.find(worldID);
        return found == kept.end() ? LevelTestCtrl::FindKeptObject(worldID) : found->second;
    }
    void SetMainChar(WorldElem* elem) override { mainChar = elem; }

    std::vector<std::pair<std::string, uint16_t>> types{{"crate", ElemType::kItem}, {"guard", ElemType::kCreature}};
    std::map<std::string, WorldElem*> kept;
    std::vector<uint16_t> created;
    bool initSuspendedAtCreation = false;
};

Bytes Contents(File& file) { return Bytes(file.GetMemoryBuffer(), file.GetMemoryBuffer() + file.GetSize()); }

// A memory file holding the bytes, read from the start as the version's layout.
std::unique_ptr<File> Reader(const Bytes& bytes, uint16_t version = WorldCtrl::kSaveVersion)
{
    auto file = std::make_unique<File>();
    file->CreateMemoryFile(int32_t(bytes.size()));
    if (!bytes.empty())
        file->Write(bytes.data(), bytes.size());
    file->Seek(0);
    file->SetVersion(version);
    return file;
}

class WorldCtrlSaveGameTest : public ::testing::Test {
protected:
    WorldCtrlSaveGameTest()
    {
        ctrl.world = &world;
        world.SetGrid(8, 8, 64, 64);
    }

    Bytes Save(WorldCtrl& from)
    {
        File file;
        file.CreateMemoryFile(0);
        from.SaveLevel(file, 0, 0);
        return Contents(file);
    }
    // Loads into a fresh world of the same level; the world stays for the test to look at.
    GridWorld& LoadFresh(const Bytes& bytes, uint16_t version = WorldCtrl::kSaveVersion)
    {
        loaded = std::make_unique<GridWorld>();
        loaded->SetGrid(8, 8, 64, 64);
        ctrl.world = loaded.get();
        auto file = Reader(bytes, version);
        loaded->LoadLevelFromSaveGame(*file, 0, 0);
        return *loaded;
    }
    std::string LoadError(const Bytes& bytes, uint16_t version = WorldCtrl::kSaveVersion)
    {
        return ErrorOf([&] { LoadFresh(bytes, version); });
    }

    // Walls in slots 0 and 2, elements at 0, 2 and 3 (3 carried by 0, made by 2), lights at 1 and 2.
    void BuildWorld()
    {
        AddTestWall(world, 10, 10, 200, 10);
        const int32_t gone = AddTestWall(world, 10, 50, 200, 50)->m_ObjID;
        VSD_WallIntern* third = AddTestWall(world, 10, 90, 200, 120);
        third->m_OnUse = "Open()";
        world.DelWall(gone);
        for (int32_t i = 0; i < 4; i++) {
            auto* elem = AddTestElem<TestElem>(world, i == 1 ? ElemType::kEvent : ElemType::kItem, 40.0f * i, 30.0f);
            elem->m_WorldID.Format("thing%i", i);
            elem->m_Angle = 0.1f * i;
        }
        world.DelObj(1, 0);
        WorldElem* carrier = world.GetObj(0);
        WorldElem* child = world.GetObj(3);
        carrier->AttachChild(child);
        child->SetCreator(world.GetObj(2));
        child->SetMaster(carrier);
        for (int32_t i = 0; i < 3; i++) {
            VSD_LightSource source;
            source.m_PosX = 100.0f + i;
            source.m_PosY = 100.0f;
            source.m_Range = 50.0f;
            world.AddLightToGrid(source);
        }
        world.DelLight(0);
        world.SetCountDown(12.0f, String("bomb"));
        WorldEvent event;
        const uint8_t data[3] = {1, 2, 3};
        SetEventPayload(event, WorldEventType::kScript, data, 3, 4.5);
        world.QueueEvent(event);
        world.MarkVertexVisibility(2, 3, 0.9f, 9, 9);
        world.RevealCoverCell(2, 3);
    }

    SaveTestCtrl ctrl;
    GridWorld world;
    std::unique_ptr<GridWorld> loaded;
};

// The head of a section for a level of that size in the layout of the version, up to (and
// without) the event list.
Bytes SectionHead(int16_t width = 8, int16_t height = 8, uint16_t version = WorldCtrl::kSaveVersion)
{
    File file;
    file.CreateMemoryFile(0);
    file.WriteInt16(width);
    file.WriteInt16(height);
    for (int32_t i = 0; i < 9; i++)
        file.WriteFloat(0.0f);
    file.WriteString(String(""));  // level text
    file.WriteString(String(""));  // music
    if (version >= 236)
        file.WriteInt32(0);  // post-render effects
    else
        file.WriteString(String(""));
    file.WriteFloat(-1.0f);
    file.WriteFloat(-1.0f);
    file.WriteString(String(""));
    const int32_t cells = width * height;
    for (int32_t i = 0; i < (width + 1) * (height + 1) + cells * (version >= 222 ? 2 : 1); i++)
        file.WriteInt8(0);
    return Contents(file);
}

// The same with no events: the wall section follows.
Bytes EmptyHead(int16_t width = 8, int16_t height = 8)
{
    Bytes bytes = SectionHead(width, height);
    bytes.insert(bytes.end(), 4, 0);
    return bytes;
}

void Append(Bytes& bytes, std::initializer_list<int32_t> words)
{
    for (int32_t word : words)
        for (int32_t i = 0; i < 4; i++)
            bytes.push_back(uint8_t(uint32_t(word) >> (8 * i)));
}

}  // namespace

TEST_F(WorldCtrlSaveGameTest, RoundTripKeepsBytesIdentitiesSlotsAndReferences)
{
    BuildWorld();
    const Bytes first = Save(world);
    GridWorld& back = LoadFresh(first);
    EXPECT_EQ(Save(back), first);

    EXPECT_TRUE(back.IsValidWall(0));
    EXPECT_FALSE(back.IsValidWall(1));
    ASSERT_TRUE(back.IsValidWall(2));
    EXPECT_STREQ(back.GetWallSafe(2)->m_OnUse.c_str(), "Open()");
    EXPECT_EQ(back.GetWallSafe(2)->m_ObjID, 2);
    EXPECT_FLOAT_EQ(back.GetWallSafe(2)->m_Y2, 120.0f);
    for (int32_t id : {0, 2, 3}) {
        WorldElem* elem = back.GetObjNoCheck(id, false);
        ASSERT_NE(elem, nullptr) << id;
        EXPECT_EQ(elem->m_ObjID, id);
        EXPECT_EQ(elem->m_MyRnd, world.GetObj(id)->m_MyRnd);
        EXPECT_STREQ(elem->m_WorldID.c_str(), world.GetObj(id)->m_WorldID.c_str());
    }
    EXPECT_EQ(back.GetObjNoCheck(1, false), nullptr);
    WorldElem* child = back.GetObj(3);
    EXPECT_EQ(child->m_Parent.Get(), back.GetObj(0));
    EXPECT_EQ(child->m_Creator.Get(), back.GetObj(2));
    EXPECT_EQ(child->m_Master.Get(), back.GetObj(0));
    EXPECT_EQ(back.GetObj(0)->m_Parent.Get(), nullptr);
    EXPECT_EQ(back.GetObj(0)->m_Creator.Get(), nullptr);
    EXPECT_EQ(back.GetLight(0), nullptr);
    ASSERT_NE(back.GetLight(2), nullptr);
    EXPECT_EQ(back.GetLight(2)->m_ObjID, 2);
    EXPECT_FLOAT_EQ(back.GetLight(2)->m_PosX, 102.0f);
    EXPECT_EQ(back.GetCountDown(), 12.0f);
    EXPECT_TRUE(back.IsCoverCellRevealed(2, 3));
    EXPECT_EQ(back.GetEventQueue(0).GetSize(), 1);
}

// Slot numbers up to 2^24 - 1 are valid: a wall, an element and a light stored there come back
// at their slots, and the tables cost the pages those records need, not the whole range of slots.
TEST_F(WorldCtrlSaveGameTest, RecordsAtTheHighestSlotsCostTheirPagesNotTheRange)
{
    BuildWorld();
    const int32_t top = WorldCtrl::kMaxObjID - 1;
    world.MoveWallToID(2, top);
    ASSERT_TRUE(world.MoveObjToID(3, top - 1, true));
    ASSERT_TRUE(world.GetLights().MoveSlot(2, top - 2, true));
    world.GetLight(top - 2)->m_ObjID = top - 2;
    const Bytes bytes = Save(world);

    GridWorld& back = LoadFresh(bytes);
    ASSERT_NE(back.GetWallSafe(top), nullptr);
    EXPECT_EQ(back.GetWallSafe(top)->m_ObjID, top);
    ASSERT_NE(back.GetObjNoCheck(top - 1, false), nullptr);
    EXPECT_EQ(back.GetObj(top - 1)->m_Parent.Get(), back.GetObj(0));
    ASSERT_NE(back.GetLight(top - 2), nullptr);
    EXPECT_FLOAT_EQ(back.GetLight(top - 2)->m_PosX, 102.0f);
    EXPECT_EQ(Save(back), bytes);
    // Three directories of 16 K entries and a few pages: well under a megabyte (a flat table
    // of the range would be 200 MB for each).
    EXPECT_LT(back.TableBytes(), size_t(1) << 20);
    int32_t walked = 0;
    for (int32_t id = back.NextObjID(-1); id >= 0; id = back.NextObjID(id))
        walked++;
    EXPECT_EQ(walked, back.GetNumElements());
}

TEST_F(WorldCtrlSaveGameTest, KeptObjectsAndTheMainCharacterComeBackAtTheirIDs)
{
    auto* hero = AddTestElem<TestElem>(world, ElemType::kCreature, 5.0f, 5.0f);
    hero->m_CfgID = "hero";
    ctrl.mainChar = hero;
    auto* companion = AddTestElem<TestElem>(world, ElemType::kCreature, 9.0f, 9.0f);
    companion->m_DoNotSave = 1;
    companion->m_WorldID = "dog";
    const Bytes bytes = Save(world);

    world.RemoveObj(companion->m_ObjID, false);  // the controller keeps it across the level change
    ctrl.kept["dog"] = companion;
    ctrl.mainChar = nullptr;
    GridWorld& back = LoadFresh(bytes);
    EXPECT_EQ(back.GetObj(1), companion);
    EXPECT_EQ(back.GetNumElements(), 2);
    ASSERT_NE(ctrl.mainChar, nullptr);
    EXPECT_EQ(ctrl.mainChar->m_ObjID, 0);
    EXPECT_STREQ(ctrl.mainChar->m_CfgID.c_str(), "hero");
    back.RemoveObj(1, false);  // the controller's object again
    delete companion;
}

TEST_F(WorldCtrlSaveGameTest, ATypeGoneFromTheGameDataComesBackAsAnEventObject)
{
    auto* crate = AddTestElem<TestElem>(world, ElemType::kItem, 1.0f, 1.0f);
    crate->m_CfgID = "crate";
    auto* barrel = AddTestElem<TestElem>(world, ElemType::kItem, 70.0f, 80.0f);
    barrel->m_CfgID = "barrel";
    barrel->m_WorldID = "b1";
    const Bytes bytes = Save(world);

    LogCapture log;
    GridWorld& back = LoadFresh(bytes);
    EXPECT_TRUE(ctrl.initSuspendedAtCreation);
    EXPECT_FALSE(back.AreInitScriptsSuspended());
    EXPECT_EQ(back.GetObj(0)->m_TypeCode, ElemType::kItem);
    WorldElem* substitute = back.GetObj(1);
    EXPECT_EQ(substitute->m_TypeCode, ElemType::kEvent);
    EXPECT_STREQ(substitute->m_WorldID.c_str(), "b1");
    EXPECT_FLOAT_EQ(substitute->GetPos().x, 70.0f);
    EXPECT_EQ(substitute->m_MyRnd, barrel->m_MyRnd);
    EXPECT_EQ(log.Count("Object 'barrel' not found during save game load"), 1);
}

TEST_F(WorldCtrlSaveGameTest, AnotherMapSizeIsRefusedBeforeAnythingElseIsRead)
{
    Bytes bytes = EmptyHead(9, 8);
    bytes.resize(4);  // nothing after the size: a reader that went on would fail otherwise
    EXPECT_EQ(LoadError(bytes), "Level data does not match vsd ()");
}

TEST_F(WorldCtrlSaveGameTest, OldVersionsAndCountsAreCheckedBeforeAnyObjectIsMade)
{
    struct Case {
        const char* name;
        std::initializer_list<int32_t> tail;
        uint16_t version;
        const char* error;
    };
    const Case cases[] = {
        {"empty lists load", {0, -1, 0, 0, 0}, WorldCtrl::kSaveVersion, "no error"},
        {"obsolete version", {0, -1, 0, 0, 0}, 234, "Internal error: can not load obsolete save game"},
        {"wall count 2^31-1", {0x7FFFFFFF}, WorldCtrl::kSaveVersion, "Invalid savegame"},
        {"negative wall count", {-5}, WorldCtrl::kSaveVersion, "Invalid savegame"},
        {"duplicate element slot", {0, -1, 2, 4, 4, 0, 0, 0, 0, 0}, WorldCtrl::kSaveVersion, "Invalid savegame"},
        {"element slot 2^24", {0, -1, 1, 1 << 24, 0, 0, 0}, WorldCtrl::kSaveVersion, "Invalid savegame"},
        {"light slot -1", {0, -1, 0, 1, -1, 0, 0, 0}, WorldCtrl::kSaveVersion, "Invalid savegame"},
        {"an effect", {0, -1, 0, 0, 1, 0x00091234}, WorldCtrl::kSaveVersion, "Load Effect: todo"},
    };
    for (const Case& c : cases) {
        Bytes bytes = EmptyHead();
        Append(bytes, c.tail);
        ctrl.created.clear();
        EXPECT_EQ(LoadError(bytes, c.version), c.error) << c.name;
        EXPECT_TRUE(ctrl.created.empty()) << c.name;
        EXPECT_EQ(loaded->GetNumElements(), 0) << c.name;
    }
}

TEST_F(WorldCtrlSaveGameTest, DamagedSectionsEndInAnErrorNeverACrash)
{
    BuildWorld();
    const Bytes good = Save(world);
    // cut at every 7th byte, and the bytes after the head zero- and 0xFF-filled
    for (size_t cut = 0; cut < good.size(); cut += 7)
        EXPECT_NE(LoadError(Bytes(good.begin(), good.begin() + cut)), "no error") << cut;
    for (uint8_t fill : {uint8_t(0x00), uint8_t(0xFF)}) {
        Bytes bytes = good;
        for (size_t i = 4; i < bytes.size(); i++)
            bytes[i] = fill;
        LoadError(bytes);  // whatever it says, it says it cleanly
    }
}

TEST_F(WorldCtrlSaveGameTest, ADamagedSaveKeepsTheInitScriptCounterBalanced)
{
    auto* crate = AddTestElem<TestElem>(world, ElemType::kItem, 1.0f, 1.0f);
    crate->m_CfgID = "crate";
    Bytes bytes = Save(world);
    bytes.resize(bytes.size() - 20);  // the crate's record cut short after it was made
    EXPECT_NE(LoadError(bytes), "no error");
    EXPECT_FALSE(loaded->AreInitScriptsSuspended());
}

TEST_F(WorldCtrlSaveGameTest, AWallEndPointBeyondSixteenBitsIsAnInvalidSave)
{
    AddTestWall(world, 10, 10, 200, 10);
    Bytes bytes = Save(world);
    const Bytes head = EmptyHead();
    const size_t firstEnd = head.size() + 4 + 4 + 2;  // count, slot, marker
    const float far = 40000.0f;
    std::memcpy(&bytes[firstEnd], &far, 4);
    EXPECT_EQ(LoadError(bytes), "Invalid savegame");
}

TEST_F(WorldCtrlSaveGameTest, OldEventFlagsAreClearedInsideThePayloadOnly)
{
    Bytes bytes = SectionHead(8, 8, 182);
    Append(bytes, {2});
    auto event = [&](const Bytes& data) {
        bytes.push_back(14);
        bytes.push_back(0);
        bytes.insert(bytes.end(), 8, 0);  // the time
        Append(bytes, {int32_t(data.size())});
        bytes.insert(bytes.end(), data.begin(), data.end());
    };
    event({});  // no data: nothing to clear, nothing written past it
    event({0xFF, 7});
    Append(bytes, {0, -1});
    EXPECT_EQ(LoadError(bytes, 182), "Internal error: can not load obsolete save game");
    auto& queue = loaded->GetEventQueue(0);
    ASSERT_EQ(queue.GetSize(), 2);
    const WorldEvent& second = *queue.GetBySlot(1);
    ASSERT_EQ(second.size, 2);
    EXPECT_EQ(second.payload[0], 0);
    EXPECT_EQ(second.payload[1], 7);
}

namespace {

const char* g_KillStage = nullptr;

void KillAt(const char* stage)
{
    if (std::string(stage) == g_KillStage)
        std::raise(SIGKILL);
}

struct SaveJob {
    WorldCtrl* world;
    std::string name;
};

// The child's save: the level section into a file written in place of the old one.
void SaveInChild(void* context)
{
    SaveJob& job = *static_cast<SaveJob*>(context);
    Platform::SafeFileReplace::SetTestHook(KillAt);
    File file;
    if (!file.CreateReplacing(String(job.name.c_str()), true))
        return;
    job.world->SaveLevel(file, 0, 0);
    file.Commit();
}

}  // namespace

TEST_F(WorldCtrlSaveGameTest, AKilledOrFailedSaveLeavesThePreviousFile)
{
    TempDir dir;
    dir.Write("game.sav", "the previous save");
    BuildWorld();
    SaveJob job{&world, dir("game.sav")};
    for (const char* stage : {Platform::SafeFileReplace::kStageWritten, Platform::SafeFileReplace::kStageSynced}) {
        g_KillStage = stage;
        EXPECT_EQ(Platform::RunInChildProcess(SaveInChild, &job), SIGKILL) << stage;
        EXPECT_EQ(dir.Read("game.sav"), "the previous save") << stage;
    }

    // a killed writer leaves its temporary file behind; a failed one removes its own
    auto files = [&] { return std::distance(std::filesystem::directory_iterator(dir.Path()), {}); };
    const auto filesBefore = files();
    TestElem stray(ElemType::kCreature);  // a reference to an element the table does not hold
    world.GetObj(0)->SetCreator(&stray);
    File file;
    ASSERT_TRUE(file.CreateReplacing(String(dir("game.sav").c_str()), true));
    EXPECT_EQ(ErrorOf([&] { world.SaveLevel(file, 0, 0); }), "SaveElemPtr: Invalid pointer");
    file.Close();
    EXPECT_EQ(dir.Read("game.sav"), "the previous save");
    EXPECT_EQ(files(), filesBefore);

    world.GetObj(0)->SetCreator(nullptr);
    ASSERT_TRUE(file.CreateReplacing(String(dir("game.sav").c_str()), true));
    world.SaveLevel(file, 0, 0);
    EXPECT_TRUE(file.Commit());
    EXPECT_EQ(dir.Read("game.sav").size(), Save(world).size());
}

TEST_F(WorldCtrlSaveGameTest, ANinthEarthquakeGrowsTheListAndNoPostRenderEffectIsListed)
{
    for (int32_t i = 0; i < 9; i++)
        EXPECT_EQ(world.AddEarthQuake(1.0f, 2.0f, 3.0f, 4.0f, 5.0f), i);
    EXPECT_EQ(world.GetEarthQuakes().GetCapacity(), 18);  // 8 + 8 / 4 + 8
    const EarthQuakeEntry& quake = *world.GetEarthQuakes().GetBySlot(8);
    EXPECT_EQ(quake.duration, 3.0f);
    EXPECT_EQ(quake.strength, 4.0f);
    EXPECT_EQ(quake.frequency, 5.0f);
    EXPECT_GE(quake.phase, 0.0f);
    EXPECT_LT(quake.phase, 10.0f);
    EXPECT_FALSE(world.EnablePostRenderEffect("Blur"));
    EXPECT_EQ(world.GetPostRenderEffects().GetSize(), 0);
}

TEST_F(WorldCtrlSaveGameTest, AWallCopiedIntoTheTableKeepsItsLightsRegistered)
{
    VSD_LightSource source;
    VSD_LightIntern& light = *world.GetLight(world.AddLightToGrid(source));
    const int32_t before = light.GetHolderCount();
    {
        VSD_WallIntern model;
        model.m_WallLights[1].push_back({});
        model.m_WallLights[1].back().light = &light;
        model.m_WallLights[1].back().values[0] = 3;
        VSD_WallIntern copy;
        copy = model;
        EXPECT_EQ(light.GetHolderCount(), before + 2);
        ASSERT_EQ(copy.m_WallLights[1].size(), 1u);
        EXPECT_EQ(copy.m_WallLights[1][0].light.Get(), &light);
        EXPECT_EQ(copy.m_WallLights[1][0].values[0], 3);
    }
    EXPECT_EQ(light.GetHolderCount(), before);
}
