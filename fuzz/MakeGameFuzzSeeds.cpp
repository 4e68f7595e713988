// MakeGameFuzzSeeds: seeds whose first byte picks the target's file, followed by the sample game's
// own file or by what the game writes: the level change, the game data files, the configuration
// appends and wall meshes, the localisation lookups and the AI's action records.
#include "MakeGameFuzzSeeds.h"

#include "FuzzSampleGame.h"

#include "base/File.h"
#include "game/objects/KI_ActionData.h"
#include "world/WorldCtrl.h"

#include <filesystem>
#include <string>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Picked(uint8_t pick, const Bytes& bytes)
{
    Bytes seed{pick};
    seed.insert(seed.end(), bytes.begin(), bytes.end());
    return seed;
}

Bytes Picked(uint8_t pick, const std::string& text) { return Picked(pick, Bytes(text.begin(), text.end())); }

Bytes SampleFile(const char* name) { return TempDir::ReadAll(name); }

// The sample level entered, then left with a crate gone and a level variable set: its stored state.
Bytes StoredLevelState()
{
    auto& ctrl = Fuzz::LoadedCtrl<Fuzz::SampleCtrl>();
    ctrl.ChangeLevel("levels\\sample\\sample.cfg", String(), LevelChangeOptions());
    if (WorldElem* crate = ctrl.GetWorld().FindObjectByWorldID("crate1", nullptr))
        ctrl.GetWorld().DelObj(crate->m_ObjID, 1);
    if (ctrl.AddLevelVariable("visits", 1, 1))
        ctrl.FindScriptVariable("visits", 0)->SetInt(3);
    std::filesystem::create_directories("save/current");
    if (!ctrl.SaveLevel(-1))
        Fuzz::Finding("the sample level's state was not written");
    return SampleFile("save/current/sample.ld");
}

void LevelChange(const SeedWriter& put)
{
    put("LevelChange", "desc_sample.cfg", Picked(0, SampleFile("levels/sample/sample.cfg")));
    put("LevelChange", "desc_difficulties.cfg",
        Picked(0, "#easy\nvsdFile = \"levels\\sample\\sample.vsd\"\nname = \"DB:sample\"\n"
                  "#hard\nvsdFile = \"levels\\sample\\sample.vsd\"\nTreasureList = \"levels\\sample\\itemlist.cfg\"\n"
                  "rndSoundName1 = \"ItemDrop1\"\nrndSoundPeriod1 = 5\nOnHeroDie = \"iTmp[1] = 2;\"\n"));
    put("LevelChange", "text_keys.txt",
        Picked(1, "worldID = \"placed1\"\nDoNotSave = 1\nparty = 2\nint = 200\nsize = 32\ncount = 2\n"
                  "child1 = \"Lamp\"\naddItem1 = \"Medkit\"\ninvSize = 2, 2\nbox = 10, 10\n"));
    put("LevelChange", "text_braces.txt", Picked(1, "{\nonActivate = \"iTmp[2] = 1;\"\n}\nitem = \"Medkit\"\n"));
    put("LevelChange", "state_sample.ld", Picked(2, StoredLevelState()));
}

void GameDataFiles(const SeedWriter& put)
{
    put("GameDataFiles", "experience.cfg", Picked(0, SampleFile("cfg/experience.cfg")));
    put("GameDataFiles", "sounds.cfg", Picked(1, SampleFile("cfg/sounds.cfg")));
    put("GameDataFiles", "debugScripts.cfg",
        Picked(2, "script1 = \"iTmp[1] = 1;\"\nscript2 = \"Message(\\\"x\\\", 1);\"\nscript9 = \"\"\n"));
    put("GameDataFiles", "3dobjs.cfg", Picked(3, SampleFile("cfg/3dobjs.cfg")));
    put("GameDataFiles", "3dCreatures.cfg", Picked(4, SampleFile("cfg/3dCreatures.cfg")));
    put("GameDataFiles", "list.ifl", Picked(5, "meshes\\crate.rtx\r\n  wall.dds  \nmissing.dds\nmeshes\\fuzz.ifl\n"));
}

void ConfigAppend(const SeedWriter& put)
{
    put("ConfigAppend", "objects_sample.cfg", Picked(0, SampleFile("cfg/objects.cfg")));
    put("ConfigAppend", "objects_more.cfg",
        Picked(0, "; kinds of a second file\n#Crate\ndesc = \"Crate\"\ntype = \"object\"\nid = \"crate\"\n"
                  "#Beacon\ndesc = \"Beacon\"\ntype = \"light\"\ncol = 0, 1, 0\nint = 100\nchild1 = \"Crate\"\n"));
    put("ConfigAppend", "wall_crate.rtx", Picked(1, SampleFile("meshes/crate.rtx")));
    put("ConfigAppend", "wall_coins.rtx", Picked(1, SampleFile("meshes/coins.rtx")));
}

void LocalTexts(const SeedWriter& put)
{
    put("LocalText", "lookup.txt", Picked(0, "DB_GuiCon:level and 'DB_NamCon:soldier' with \"DB_QstCon:q_first,2\""));
    put("LocalText", "translate.txt", Picked(1, "DB:ItmCon:GoldCoins"));
    put("LocalText", "query.txt", Picked(2, "DB:q_first,1"));
    put("LocalText", "utf8.txt", Picked(3, "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"));
    put("LocalText", "utf16.bin", Picked(4, Bytes{'a', 0, 0xE9, 0, 0xAC, 0x20, 0x3D, 0xD8, 0x00, 0xDE}));
}

void AIActionRecords(const SeedWriter& put)
{
    KI_ActionData data;
    data.task = 3;
    data.actionName = "Attack";
    data.params.kind = 0;
    data.params.actionName = "Heal";
    data.params.secondText = "second";
    data.secondName = "name";
    data.values[1] = 2.5f;
    for (const uint16_t version : {uint16_t(275), uint16_t(180)}) {
        File out;
        out.CreateMemoryFile(0);
        out.SetVersion(version);
        data.Save(out);
        const Bytes record(out.GetMemoryBuffer(), out.GetMemoryBuffer() + out.GetSize());
        Bytes seed{uint8_t(version - 160), 0};
        seed.insert(seed.end(), record.begin(), record.end());
        put("AIActionRecords", "data_" + std::to_string(version), seed);
        File params;
        params.CreateMemoryFile(0);
        params.SetVersion(version);
        data.params.Save(params);
        seed = {uint8_t(version - 160), 1};
        seed.insert(seed.end(), params.GetMemoryBuffer(), params.GetMemoryBuffer() + params.GetSize());
        put("AIActionRecords", "params_" + std::to_string(version), seed);
    }
}

}  // namespace

void MakeGameFuzzSeeds(const SeedWriter& put)
{
    AIActionRecords(put);
    LocalTexts(put);
    Fuzz::SampleGame();  // the working directory from here on
    LevelChange(put);
    GameDataFiles(put);
    ConfigAppend(put);
}
