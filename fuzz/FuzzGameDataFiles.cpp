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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > (1 << 16))
        return 0;
    DataCtrl& ctrl = Ctrl();
    Fuzz::SampleGameCopy& game = Fuzz::SampleGame();
    const uint8_t* text = data + 1;
    const size_t length = size - 1;
    switch (data[0] % 6) {
    case 0:
        game.Write("cfg/experience.cfg", text, length);
        Fuzz::Guarded([&] { ctrl.LoadExperience(); });
        game.Restore("cfg/experience.cfg");
        break;
    case 1:
        game.Write("cfg/sounds.cfg", text, length);
        Fuzz::Guarded([&] { ctrl.LoadSounds(); });
        game.Restore("cfg/sounds.cfg");
        Fuzz::Guarded([&] { ctrl.LoadSounds(); });
        break;
    case 2:
        game.Write("cfg/debugScripts.cfg", text, length);
        Fuzz::Guarded([&] { ctrl.LoadDebugScripts(); });
        break;
    case 3:
        game.Write("cfg/3dobjs.cfg", text, length);
        Fuzz::Guarded([&] { ctrl.Open3dObjs(); });
        ctrl.MakeAndRemove(kObjects, std::size(kObjects));
        game.Restore("cfg/3dobjs.cfg");
        Fuzz::Guarded([&] { ctrl.Open3dObjs(); });
        break;
    case 4:
        game.Write("cfg/3dCreatures.cfg", text, length);
        Fuzz::Guarded([&] { ctrl.LoadCreatureDefinitions(); });
        ctrl.MakeAndRemove(kCreatures, std::size(kCreatures));
        game.Restore("cfg/3dCreatures.cfg");
        Fuzz::Guarded([&] { ctrl.LoadCreatureDefinitions(); });
        break;
    default: {
        game.Write("meshes/fuzz.ifl", text, length);
        DXC_Texture texture;
        Fuzz::GuardedWithScenes([&] { g_Gfx->LoadTexture(&texture, "meshes\\fuzz.ifl", 0, 0, 0, 0); });
        break;
    }
    }
    return 0;
}
