// FuzzLevelChange: a level change to the sample map in a copy of the sample game, with arbitrary
// bytes in the first of its inputs that the first byte picks: the level description file, a
// placed object's property text (asked before the object's description, as the level's placed
// objects are read) for each object type, or the level's stored state (".ld") that a return to
// the level reads. A damaged input ends in the system's error; the next change starts from an
// emptied world.
#include "FuzzSampleGame.h"
#include "FuzzTarget.h"

#include "base/ConfigFileReader.h"
#include "world/WorldCtrl.h"

#include <filesystem>

namespace {

const char* const kSampleLevel = "levels\\sample\\sample.cfg";
const char* const kStateDir = "save\\fuzz\\";

class LevelCtrl : public Fuzz::SampleCtrl {
public:
    // Every object type made at the middle of the room with the text asked first; what was made
    // goes again.
    void MakeWithText(const uint8_t* text, size_t size)
    {
        ConfigFileReader keys;
        if (keys.OpenMemory(reinterpret_cast<const char*>(text), int32_t(size)) != 0)
            return;
        m_WorldObjectReader.SetLinkedReader(&keys);
        for (int32_t entry = 0; entry < m_WorldObjectReader.GetNumEntries(); ++entry)
            Fuzz::GuardedWithScenes([&] { CreateWorldObjectByIndex(entry, 1280.0f, 1280.0f, 0.5f, 0.0f); });
        m_WorldObjectReader.SetLinkedReader(nullptr);
    }
};

LevelCtrl& Ctrl()
{
    static LevelCtrl& ctrl = []() -> LevelCtrl& {
        LevelCtrl& loaded = Fuzz::LoadedCtrl<LevelCtrl>();
        std::filesystem::create_directories("save/fuzz");
        loaded.ChangeLevel(kSampleLevel, String(), LevelChangeOptions());
        return loaded;
    }();
    return ctrl;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > (1 << 20))
        return 0;
    LevelCtrl& ctrl = Ctrl();
    Fuzz::SampleGameCopy& game = Fuzz::SampleGame();
    switch (data[0] % 3) {
    case 0:
        game.Write("levels/fuzz.cfg", data + 1, size - 1);
        Fuzz::GuardedWithScenes([&] { ctrl.ChangeLevel("levels\\fuzz.cfg", String(), LevelChangeOptions()); });
        break;
    case 1:
        Fuzz::GuardedWithScenes([&] { ctrl.MakeWithText(data + 1, size - 1); });
        break;
    default:
        game.Write("save/fuzz/sample.ld", data + 1, size - 1);
        Fuzz::GuardedWithScenes([&] { ctrl.ChangeLevel(kSampleLevel, String(kStateDir), LevelChangeOptions()); });
        break;
    }
    Fuzz::Guarded([&] { ctrl.GetWorld().DeleteAllObjects(); });
    return 0;
}
