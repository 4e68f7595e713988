// FuzzConfigAppend: in a copy of the sample game with its level entered, arbitrary bytes as one of
// two files that the first byte picks. Either a world object file appended after the sample's own
// (as the game's rules list further object files): the list is read again and every entry made
// into an element, then removed. Or the mesh file of the sample's wall kind, made a wall of a
// mesh file: the sample level is entered again, which loads, scales and clones the mesh for each
// wall. A damaged file ends in the system's or the graphics object's error.
#include "FuzzSampleGame.h"
#include "FuzzTarget.h"

#include "world/WorldCtrl.h"

#include <algorithm>
#include <string>

namespace {

constexpr int32_t kMaxEntries = 16;
const char* const kSampleLevel = "levels\\sample\\sample.cfg";
const char* const kAppended = "cfg/fuzzobjects.cfg";
const char* const kWallMesh = "meshes/fuzzwall.rtx";

// The sample's metal wall as a wall of a mesh file; its other kinds stay.
const char* const kWalls = "def_h1 = 200\ndef_SizeU = 256\n"
                           "#wall_metal\ndesc = \"wall_metal\"\ntype = \"filemesh\"\nfile = \"meshes\\fuzzwall.rtx\"\n"
                           "dimensionXZ = 100, 100\n"
                           "#wall_invisible\ndesc = \"wall_invisible\"\ntype = \"nomesh\"\nopacity = 0\n";

class AppendCtrl : public Fuzz::SampleCtrl {
public:
    void MakeEveryEntry()
    {
        const int32_t entries = std::min(m_WorldObjectReader.GetNumEntries(), kMaxEntries);
        for (int32_t entry = 0; entry < entries; ++entry)
            Fuzz::GuardedWithScenes([&] { CreateWorldObjectByIndex(entry, 1280.0f, 1280.0f, 0.0f, 0.0f); });
        Fuzz::Guarded([&] { GetWorld().DeleteAllObjects(); });
    }
};

AppendCtrl& Ctrl()
{
    static AppendCtrl& ctrl = []() -> AppendCtrl& {
        AppendCtrl& loaded = Fuzz::LoadedCtrl<AppendCtrl>();
        Fuzz::SampleGameCopy& game = Fuzz::SampleGame();
        game.Write("cfg/walls.cfg", reinterpret_cast<const uint8_t*>(kWalls), std::char_traits<char>::length(kWalls));
        game.Write(kAppended, nullptr, 0);
        loaded.ChangeLevel(kSampleLevel, String(), LevelChangeOptions());
        loaded.GetObjectCfgFiles().AddFile(String("cfg\\fuzzobjects.cfg"));
        return loaded;
    }();
    return ctrl;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > (1 << 18))
        return 0;
    AppendCtrl& ctrl = Ctrl();
    Fuzz::SampleGameCopy& game = Fuzz::SampleGame();
    if (data[0] % 2 == 0) {
        game.Write(kAppended, data + 1, size - 1);
        bool loaded = false;
        Fuzz::Guarded([&] {
            ctrl.LoadWorldObjectFiles();
            loaded = true;
        });
        if (loaded)
            ctrl.MakeEveryEntry();
        return 0;
    }
    game.Write(kWallMesh, data + 1, size - 1);
    Fuzz::GuardedWithScenes([&] { ctrl.ChangeLevel(kSampleLevel, String(), LevelChangeOptions()); });
    Fuzz::Guarded([&] { ctrl.GetWorld().DeleteAllObjects(); });
    return 0;
}
