// GameCtrl release of unused data: the limits by memory, the least recently used unused entries
// released first, entries in use never, the three kinds in their own limits, the marks of the 3D
// object files the level's items show, and the releases without a limit.
#include "game/ctrl/GameCtrl.h"

#include "game/ctrl/LoadedDataKind.h"
#include "game/objects/ItemObj.h"
#include "platform/MemoryStatus.h"
#include "world/SoundData.h"

#include "support/LogCapture.h"
#include "support/RecordingSoundDevice.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <vector>

namespace {

// A kind whose entries, stamps and use marks the test sets.
class TableKind : public LoadedDataKind {
public:
    TableKind(int32_t count, bool allLoaded = false)
        : loaded(size_t(count), 1), stamps(size_t(count)), used(size_t(count))
    {
        for (int32_t i = 0; i < count; ++i)
            stamps[size_t(i)] = uint32_t(1000 - i);  // the later the entry, the older
        everyEntryCounts = allLoaded;
    }
    int32_t GetNumEntries() override { return int32_t(loaded.size()); }
    bool IsLoaded(int32_t entry) override { return everyEntryCounts || loaded[size_t(entry)]; }
    uint32_t GetUseStamp(int32_t entry) override { return stamps[size_t(entry)]; }
    void MarkUsed(std::vector<uint8_t>& marks) override
    {
        for (size_t i = 0; i < marks.size(); ++i)
            marks[i] = used[i];
    }
    void Release(int32_t entry) override
    {
        loaded[size_t(entry)] = 0;
        released.insert(entry);
    }
    int32_t Loaded() const
    {
        int32_t n = 0;
        for (uint8_t l : loaded)
            n += l;
        return n;
    }

    std::vector<uint8_t> loaded;
    std::vector<uint32_t> stamps;
    std::vector<uint8_t> used;
    std::set<int32_t> released;
    bool everyEntryCounts = false;
};

// A sound layer that lets every loaded sound go.
class LettingGoDevice : public RecordingSoundDevice {
public:
    bool QuerySound(SoundWord, SoundWord) override { return true; }
};

// A controller whose 3D object files are marked in use by the test.
class MarkedCtrl : public GameCtrl {
public:
    void MarkUsed3dFiles(std::vector<uint8_t>& marks) override
    {
        for (size_t i = 0; i < marks.size(); ++i)
            marks[i] = i < used.size() ? used[i] : 0;
    }
    std::vector<uint8_t> used;
};

// count loaded prototypes with stamps 1, 2, ... and the first inUse of them in use.
void LoadPrototypes(MarkedCtrl& ctrl, size_t count, size_t inUse)
{
    ctrl.Get3dObjPrototypes().assign(count, nullptr);
    ctrl.Get3dObjUseStamps().assign(count, 0);
    for (size_t i = 0; i < count; ++i) {
        ctrl.Get3dObjPrototypes()[i] = std::make_shared<ItemObj>();
        ctrl.Get3dObjUseStamps()[i] = uint32_t(i + 1);
    }
    ctrl.used.assign(count, 0);
    for (size_t i = 0; i < inUse; ++i)
        ctrl.used[i] = 1;
}

int32_t LoadedPrototypes(GameCtrl& ctrl)
{
    int32_t n = 0;
    for (const auto& prototype : ctrl.Get3dObjPrototypes())
        n += prototype != nullptr;
    return n;
}

}  // namespace

TEST(GameCtrlFreeDataTest, LimitsByMemory)
{
    const struct {
        int32_t memoryMB;
        int32_t kept[3];
    } rows[] = {
        {0, {100, 5, 15}},     {599, {100, 5, 15}},   {600, {150, 7, 20}},   {899, {150, 7, 20}},
        {900, {200, 10, 25}},  {1199, {200, 10, 25}}, {1200, {300, 17, 40}}, {64000, {300, 17, 40}},
    };
    for (const auto& row : rows)
        for (int32_t kind = 1; kind <= 3; ++kind)
            EXPECT_EQ(GameCtrl::GetUnusedDataLimit(kind, row.memoryMB), row.kept[kind - 1]) << row.memoryMB;
}

TEST(GameCtrlFreeDataTest, LeastRecentlyUsedUnusedFilesGo)
{
    MarkedCtrl ctrl;
    LoadPrototypes(ctrl, 230, 20);  // the twenty oldest are in use
    Platform::SetTotalPhysicalMemoryMB(1000);  // keeps 200
    ctrl.FreeUnusedData();
    Platform::SetTotalPhysicalMemoryMB(-1);
    EXPECT_EQ(LoadedPrototypes(ctrl), 200);
    for (size_t i = 0; i < 230; ++i)  // the 30 oldest of the unused ones: stamps 21 to 50
        EXPECT_EQ(ctrl.Get3dObjPrototypes()[i] == nullptr, i >= 20 && i < 50) << i;

    LoadPrototypes(ctrl, 230, 20);
    ctrl.FreeUnusedData(1200);  // below the limit: nothing goes, though most are unused
    EXPECT_EQ(LoadedPrototypes(ctrl), 230);

    LoadPrototypes(ctrl, 230, 200);
    ctrl.FreeUnusedData(0);  // keeps 100, but 200 are in use: only the 30 unused go
    EXPECT_EQ(LoadedPrototypes(ctrl), 200);
    for (size_t i = 0; i < 200; ++i)
        EXPECT_NE(ctrl.Get3dObjPrototypes()[i], nullptr) << i;
}

TEST(GameCtrlFreeDataTest, EachKindInItsOwnLimit)
{
    MarkedCtrl ctrl;
    LoadPrototypes(ctrl, 10, 0);
    TableKind records(12);
    records.used[11] = 1;  // the oldest is in use
    records.loaded[0] = 0;  // one never loaded
    TableKind scenes(30, true);  // every scene of the list counts
    ctrl.SetLoadedDataSource(2, &records);
    ctrl.SetLoadedDataSource(3, &scenes);
    ctrl.FreeUnusedData(600);  // 7 records and 20 scenes stay
    EXPECT_EQ(LoadedPrototypes(ctrl), 10);
    EXPECT_EQ(records.Loaded(), 7);
    EXPECT_EQ(records.released, (std::set<int32_t>{7, 8, 9, 10}));  // 11 loaded, 4 too many, the oldest unused
    EXPECT_EQ(scenes.released.size(), 10u);
    EXPECT_EQ(*scenes.released.begin(), 20);

    ctrl.FreeUnused3dObjectRecords();  // no limit: every unused record goes, the one in use stays
    EXPECT_EQ(records.Loaded(), 1);
    EXPECT_EQ(records.loaded[11], 1);
}

TEST(GameCtrlFreeDataTest, SortListHoldsAtMost4096)
{
    MarkedCtrl ctrl;
    TableKind many(4100);
    LogCapture log;
    EXPECT_EQ(ReleaseLeastRecentlyUsed(many, 0, ctrl), LoadedDataKind::kMaxSorted);
    EXPECT_GE(log.Count("Maximum number of data elements reached: 4096"), 1);
    EXPECT_EQ(many.Loaded(), 4);
}

TEST(GameCtrlFreeDataTest, ItemsMarkTheFilesTheyShow)
{
    GameCtrl ctrl;
    const struct {
        int32_t index;
    } shown[] = {{2}, {-1}, {7}, {4}};  // -1: no file; 7 lies outside the table
    for (const auto& s : shown) {
        auto* item = new ItemObj;
        item->m_3dObjIndex = s.index;
        ctrl.GetWorld().AddObj(item, 0, false);
    }
    std::vector<uint8_t> marks(5, 1);
    LogCapture log;
    ctrl.MarkUsed3dFiles(marks);
    EXPECT_EQ(marks, (std::vector<uint8_t>{0, 0, 1, 0, 1}));
    EXPECT_EQ(log.Count("Internal error: invalid m_3dFileID: 7"), 1);
    EXPECT_EQ(log.Count("m_3dFileID: -1"), 0);
}

TEST(GameCtrlFreeDataTest, LoadedSoundsTheLayerLetsGo)
{
    ScopedSoundManager sound;
    GameCtrl ctrl;
    SearchTree<SoundData>& sounds = ctrl.GetWorld().GetSoundRegistry();
    for (const char* name : {"door", "step"}) {
        SoundData* data = sounds.Insert(String(name));
        data->name = name;
        data->loaded = name[0] == 'd';
    }
    ctrl.FreeLoadedSounds();  // the silent layer keeps everything
    EXPECT_EQ(sounds.Find("door")->loaded, 1);

    sound.manager.SetDevice(std::make_unique<LettingGoDevice>());
    ctrl.FreeLoadedSounds();  // forgotten: loaded again when next played
    EXPECT_EQ(sounds.Find("door")->loaded, 0);
    EXPECT_EQ(sounds.Find("step")->loaded, 0);
}
