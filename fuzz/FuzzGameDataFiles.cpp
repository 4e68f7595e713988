// FuzzGameDataFiles: arbitrary bytes as one of the game data files the controller reads by name,
// in a copy of the sample game with its level entered. The first byte picks the file: the
// experience table, the sound table, the debug scripts, the 3D-object table with every sample
// object made from it, the creature table with the sample's creatures built from it, or a texture
// list (".ifl") loaded as a texture. A damaged file ends in the system's error; what a creation
// made goes again, and the sample's own file is put back after each input.
#include "FuzzSampleGame.h"
#include "FuzzTarget.h"

#include "engine/gfx/DXC_Texture.h"
#include "world/WorldCtrl.h"

#include <iterator>
#include <string>

namespace {

const char* const kSampleLevel = "levels\\sample\\sample.cfg";
const char* const kObjects[] = {"Crate", "GoldCoins", "Lamp", "HealingArea", "MedkitItem"};
const char* const kCreatures[] = {"Hero", "Drone"};

class DataCtrl : public Fuzz::SampleCtrl {
public:
    // Makes each named object at the middle of the room and removes what was made.
    void MakeAndRemove(const char* const* names, size_t count)
    {
        for (size_t i = 0; i < count; ++i) {
            Fuzz::GuardedWithScenes([&] {
                const D3DXVECTOR2 at(1280.0f, 1280.0f);
                WorldElem* made = CreateWorldObject(names[i], nullptr, true, true, true, false, 0.0f, &at, 0.0f, nullptr, -1);
                if (made && GetWorld().HoldsObj(made->m_ObjID, made))
                    GetWorld().DelObj(made->m_ObjID, 1);
            });
        }
    }
};

DataCtrl& Ctrl()
{
    static DataCtrl& ctrl = []() -> DataCtrl& {
        DataCtrl& loaded = Fuzz::LoadedCtrl<DataCtrl>();
        loaded.ChangeLevel(kSampleLevel, String(), LevelChangeOptions());
        return loaded;
    }();
    return ctrl;
}

// A file, the loader that reads it and the elements made from what it read.
struct DataFile {
    const char* name;
    void (GameCtrl::*load)();
    const char* const* made;
    size_t madeCount;
};
const DataFile kFiles[] = {
    {"cfg/experience.cfg", &GameCtrl::LoadExperience, nullptr, 0},
    {"cfg/sounds.cfg", &GameCtrl::LoadSounds, nullptr, 0},
    {"cfg/debugScripts.cfg", &GameCtrl::LoadDebugScripts, nullptr, 0},  // the sample has none
    {"cfg/3dobjs.cfg", &GameCtrl::Open3dObjs, kObjects, std::size(kObjects)},
    {"cfg/3dCreatures.cfg", &GameCtrl::LoadCreatureDefinitions, kCreatures, std::size(kCreatures)},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > (1 << 16))
        return 0;
    DataCtrl& ctrl = Ctrl();
    Fuzz::SampleGameCopy& game = Fuzz::SampleGame();
    const size_t pick = data[0] % (std::size(kFiles) + 1);
    if (pick == std::size(kFiles)) {  // a texture list
        game.Write("meshes/fuzz.ifl", data + 1, size - 1);
        DXC_Texture texture;
        Fuzz::GuardedWithScenes([&] { g_Gfx->LoadTexture(&texture, "meshes\\fuzz.ifl", 0, 0, 0, 0); });
        return 0;
    }
    const DataFile& file = kFiles[pick];
    game.Write(file.name, data + 1, size - 1);
    Fuzz::Guarded([&] { (ctrl.*file.load)(); });
    ctrl.MakeAndRemove(file.made, file.madeCount);
    game.Restore(file.name);
    Fuzz::Guarded([&] { (ctrl.*file.load)(); });
    return 0;
}
