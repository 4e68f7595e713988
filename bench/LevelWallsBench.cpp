// LevelWallsBench: loading the level files whose walls multiply as they are made: a wall kind
// that names itself as its child wall (stopped at the depth limit) and long walls on cells too
// large to split them at grid points.
#include "level/LevelTestSupport.h"
#include "level/VSD_Viewer.h"

#include <benchmark/benchmark.h>

namespace {

void LoadLevelFile(benchmark::State& state, const char* name)
{
    LevelFixtureDir dir;
    LevelTestCtrl ctrl;
    ctrl.wallReaderFiles.AddFile("desc\\children.cfg");
    for (auto _ : state) {
        VSD_Viewer viewer;
        viewer.LoadLevel(name, 1, 0);
        benchmark::DoNotOptimize(viewer.GetNumWalls());
    }
}

void BM_LoadSelfNamingChildWall(benchmark::State& state) { LoadLevelFile(state, "children.vsd"); }
void BM_LoadLongWallsOnLargeCells(benchmark::State& state) { LoadLevelFile(state, "large_cells.vsd"); }

}  // namespace

BENCHMARK(BM_LoadSelfNamingChildWall);
BENCHMARK(BM_LoadLongWallsOnLargeCells);
