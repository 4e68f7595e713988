// FuzzLevelFile: arbitrary bytes loaded as a binary level file by the level viewer, with the
// description files that the seeds name (written once into a directory of the process, which
// becomes the current one) and the game controller answering the viewer. A load either fails with
// the system's error or leaves a level whose every id indexes what it names and whose walls are
// split to their limit, child walls of property texts included.
#include "FuzzTarget.h"

#include "engine/gfx/DXC_Gfx.h"
#include "game/ctrl/GameCtrl.h"
#include "level/VSD_Viewer.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

namespace {

// The seeds name "desc\floor.cfg", "desc/objects.cfg" and "desc\walls.cfg".
constexpr const char* kFloor = "#rock\ndesc = \"rock\"\nfile = \"r.dds\"\n#grass\ndesc = \"grass\"\nfile = \"g.dds\"\n"
                               "#sand\ndesc = \"sand\"\nfile = \"s.dds\"\n";
constexpr const char* kObjects = "#crate\ndesc = \"crate\"\n#lamp\ndesc = \"lamp\"\n#barrel\ndesc = \"barrel\"\n";
constexpr const char* kWalls = "#stone\ndesc = \"stone\"\ntype = \"normal\"\n#fence\ndesc = \"fence\"\ntyp = 2\n"
                               "#door\ndesc = \"door\"\ntyp = 3\nworldID = \"door1\"\n";

struct World {
    std::filesystem::path dir;
    std::unique_ptr<GameCtrl> ctrl;
    std::unique_ptr<DXC_Gfx> gfx;

    World()
    {
        std::random_device random;
        dir = std::filesystem::temp_directory_path() /
              ("fuzz-level-" + std::to_string(random()) + "-" + std::to_string(random()));
        std::filesystem::create_directories(dir / "desc");
        std::ofstream(dir / "desc" / "floor.cfg") << kFloor;
        std::ofstream(dir / "desc" / "objects.cfg") << kObjects;
        std::ofstream(dir / "desc" / "walls.cfg") << kWalls;
        std::filesystem::current_path(dir);
        Fuzz::LoadGameConfig();
        ctrl = std::make_unique<GameCtrl>();
        ctrl->GetObjectCfgFiles().AddFile("desc\\objects.cfg");
        ctrl->GetWallCfgFiles().AddFile("desc\\walls.cfg");
        gfx = std::make_unique<DXC_Gfx>();
    }
    ~World()
    {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
};

void CheckLevel(const VSD_Viewer& viewer)
{
    const size_t cells = size_t(viewer.GetMapWidth()) * size_t(viewer.GetMapHeight());
    const size_t vertices = size_t(viewer.GetMapWidth() + 1) * size_t(viewer.GetMapHeight() + 1);
    if (viewer.GetMapWidth() < 1 || viewer.GetMapHeight() < 1 || viewer.GetCellWidth() < 1 || viewer.GetCellHeight() < 1)
        Fuzz::Finding("a level without cells was accepted");
    if (viewer.GetParcels().size() != cells)
        Fuzz::Finding("parcels do not cover the map");
    if (!viewer.GetHeights().empty() && viewer.GetHeights().size() != vertices)
        Fuzz::Finding("heights do not cover the grid");
    if (viewer.GetFloorVertices().size() != vertices || viewer.GetCentreHeights().size() != vertices)
        Fuzz::Finding("floor vertex records do not cover the grid");
    int32_t rect[4];
    viewer.GetActiveRect(rect);
    if (rect[0] < 0 || rect[1] < 0 || rect[0] > rect[2] || rect[1] > rect[3] || rect[2] >= viewer.GetMapWidth() ||
        rect[3] >= viewer.GetMapHeight())
        Fuzz::Finding("active rectangle outside the map");
    for (const VSD_Parcel& parcel : viewer.GetParcels())
        if (parcel.textureId < -1 || parcel.textureId >= viewer.GetNumFloorTextures())
            Fuzz::Finding("a parcel names no floor texture");
    const int32_t objectKinds = viewer.GetObjectReader() ? viewer.GetObjectReader()->GetNumEntries() : 0;
    for (const VSD_ObjectEntry& object : viewer.GetObjects())
        if (object.kind < -1 || object.kind >= objectKinds)
            Fuzz::Finding("an object names no object kind");
    for (int32_t i = 0; i < viewer.GetNumWalls(); i++) {
        if (const VSD_WallIntern* wall = viewer.GetWallSafe(i)) {
            if (wall->m_DescID < 0 || size_t(wall->m_DescID) >= viewer.GetWallDescs().size())
                Fuzz::Finding("a wall names no wall description");
            if (!(wall->m_HalfLength <= 0.5f * VSD_Viewer::kWallSplitLength))
                Fuzz::Finding("a long wall was not split");
        }
    }
    if (viewer.GetWallChildDepth() != 0)
        Fuzz::Finding("child wall depth not restored");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size > Fuzz::kMaxInput)
        return 0;
    static World world;
    const std::string path = Fuzz::WriteScratchFile(data, size);
    world.gfx->SetDedicatedMode(size > 0 && (data[size - 1] & 1));  // both ways of taking texture ids
    VSD_Viewer viewer(world.gfx.get());
    try {
        viewer.LoadLevel(path.c_str(), 1, 0);
    } catch (const ErrorMsg&) {
        return 0;  // damage reported
    }
    CheckLevel(viewer);
    return 0;
}
