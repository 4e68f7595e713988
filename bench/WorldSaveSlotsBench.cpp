// WorldSaveSlotsBench: reading a stored level section whose wall, element and light sit at the
// highest slots (near 2^24), against the same section at low slots. The tables take the pages
// those records need, so both loads stay far below a tenth of a second (the time column is one
// load, without making and freeing the world).
#include "base/File.h"
#include "level/VSD_LightSource.h"
#include "world/WorldCtrl.h"
#include "world/WorldTestSupport.h"
#include "support/GameConfigText.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// Elements of a section come back as test elements of their type.
class SectionCtrl : public LevelTestCtrl {
public:
    WorldElem* CreateEmptyElement(uint16_t typeCode) override { return new TestElem(typeCode); }
};

void SetLevel(GridWorld& world) { world.SetGrid(8, 8, 64, 64); }

// One wall, one item element and one light, moved to the slots below top when top is given.
Bytes Section(SectionCtrl& ctrl, int32_t top)
{
    GridWorld world;
    ctrl.world = &world;
    SetLevel(world);
    const int32_t wall = AddTestWall(world, 10, 10, 200, 10)->m_ObjID;
    const int32_t elem = AddTestElem<TestElem>(world, ElemType::kItem, 40.0f, 30.0f)->m_ObjID;
    VSD_LightSource source;
    source.m_PosX = 100.0f;
    source.m_PosY = 100.0f;
    source.m_Range = 50.0f;
    world.AddLightToGrid(source);
    const int32_t light = world.GetLights().GetUsedSlot(0);
    if (top > 0) {
        world.MoveWallToID(wall, top);
        world.MoveObjToID(elem, top - 1, true);
        world.GetLights().MoveSlot(light, top - 2, true);
        world.GetLight(top - 2)->m_ObjID = top - 2;
    }
    File file;
    file.CreateMemoryFile(0);
    world.SaveLevel(file, 0, 0);
    Bytes bytes(file.GetMemoryBuffer(), file.GetMemoryBuffer() + file.GetSize());
    ctrl.world = nullptr;
    return bytes;
}

void LoadSection(benchmark::State& state, int32_t top)
{
    LoadGameConfigText(DefaultGameConfigText());  // a world needs its language directory
    SectionCtrl ctrl;
    const Bytes bytes = Section(ctrl, top);
    for (auto _ : state) {
        state.PauseTiming();  // the world's own tables are not the load's
        auto world = std::make_unique<GridWorld>();
        SetLevel(*world);
        ctrl.world = world.get();
        File file;
        file.CreateMemoryFile(int32_t(bytes.size()));
        file.Write(bytes.data(), bytes.size());
        file.Seek(0);
        file.SetVersion(WorldCtrl::kSaveVersion);
        state.ResumeTiming();
        world->LoadLevelFromSaveGame(file, 0, 0);
        benchmark::DoNotOptimize(world->GetNumElements());
        state.PauseTiming();
        ctrl.world = nullptr;
        world.reset();
        state.ResumeTiming();
    }
    state.counters["section_bytes"] = double(bytes.size());
}

void BM_LoadSectionAtLowSlots(benchmark::State& state) { LoadSection(state, 0); }
void BM_LoadSectionAtHighestSlots(benchmark::State& state) { LoadSection(state, WorldCtrl::kMaxObjID - 1); }

}  // namespace

BENCHMARK(BM_LoadSectionAtLowSlots)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadSectionAtHighestSlots)->Unit(benchmark::kMillisecond);
