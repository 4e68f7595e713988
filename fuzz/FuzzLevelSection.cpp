// FuzzLevelSection: arbitrary bytes as the level part of a save game, read into the world of a
// game controller whose level is empty (0 x 0 cells). The first byte selects the file version
// (160 plus the byte modulo 116), so that the old layouts are read too. A damaged section ends in
// the world's or the file's error; a section that loads is written again. The world is emptied
// after each input.
#include "FuzzTarget.h"

#include "game/ctrl/GameCtrl.h"
#include "level/VSD_WallIntern.h"

#include <vector>

namespace {

GameCtrl& Ctrl()
{
    static GameCtrl* ctrl = [] {
        Fuzz::LoadGameConfig();  // the world of a controller needs its language directory
        return new GameCtrl;
    }();
    return *ctrl;
}

void Empty(WorldCtrl& world)
{
    world.DeleteAllObjects();
    std::vector<int32_t> lights;
    for (int32_t i = 0; i < world.GetLights().GetSize(); i++)
        lights.push_back(world.GetLights().GetUsedSlot(i));
    for (int32_t slot : lights)
        world.DelLight(slot);
    while (world.GetNumWalls() > 0)
        world.DelWall(world.GetWallSlotAt(0));
    world.GetEventQueue(0).DeleteAll();
    world.GetEventQueue(1).DeleteAll();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size < 1 || size > (1 << 20))
        return 0;
    WorldCtrl& world = Ctrl().GetWorld();
    File file;
    Fuzz::LoadMemoryFile(file, data + 1, size - 1);
    file.SetVersion(uint16_t(160 + data[0] % 116));
    bool loaded = false;
    try {
        world.LoadLevelFromSaveGame(file, 0, 0);
        loaded = true;
    } catch (const ErrorMsg&) {  // a damaged section: the load ends with what it read
    }
    if (loaded) {
        File out;
        out.CreateMemoryFile(0);
        try {
            world.SaveLevel(out, 0, 0);
        } catch (const ErrorMsg& error) {
            Fuzz::Finding(error.message);
        }
    }
    Empty(world);
    return 0;
}
