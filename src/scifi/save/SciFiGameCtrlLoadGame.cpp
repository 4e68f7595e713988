// SciFiGameCtrl: loading a saved game from a save slot, or starting a new one when there is
// none: "game.sv" gives the story and script state, the difficulty, the game time and the
// mission log, then the level is entered and "character.sv" read into the main character.
//
// "game.sv" as it is read (plain, little-endian; a String is an i32 length and its characters):
//   u16     version, at most 275 (older versions are read by their own layout)
//   String  level description file; empty: the start level
//   i32     difficulty                                   from 266; older saves keep the current
//   record  the game-wide script variables (ScriptVariablesGame.cpp): story names must suit
//           the story index, counts are bounded by the bytes left
//   f64     game time in seconds
//   record  the mission log (game/gui/MissionLogGui.cpp)
// Both files of the slot are read whole and checked before anything of the running game
// changes; the level the save names must exist.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/File.h"
#include "base/FileRecordReader.h"
#include "base/GameOptions.h"
#include "base/Log.h"
#include "engine/gui/DXC_GuiManager.h"
#include "platform/FileSystem.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "scifi/save/CharacterSaveRecord.h"
#include "scifi/save/GameSaveRecord.h"
#include "world/WorldCtrl.h"

namespace {

// A hero taken out of the world for the level change is put back or deleted, however the
// change ends: nothing else owns it meanwhile.
class CarriedHero {
public:
    explicit CarriedHero(CreatureObj* hero) : m_Hero(hero) {}
    ~CarriedHero()
    {
        if (m_Hero)
            delete m_Hero;  // the change failed: no level holds it
    }
    CarriedHero(const CarriedHero&) = delete;
    CarriedHero& operator=(const CarriedHero&) = delete;
    CreatureObj* Release()
    {
        CreatureObj* hero = m_Hero;
        m_Hero = nullptr;
        return hero;
    }

private:
    CreatureObj* m_Hero;
};

}  // namespace

bool SciFiGameCtrl::ReadGameSaveHead(File& file, GameSaveRecord& save)
{
    FileRecordReader in(file, "game save cut short");
    save.version = in.U16();
    if (save.version > GameSaveRecord::kNewestVersion)
        file.Error("game save version %u not supported", unsigned(save.version));
    file.SetVersion(save.version);  // the mission log reads its layout by it
    const int32_t levelAt = file.GetPos();
    if (in.I32() < 0)
        file.Error("level name: negative text length");
    file.Seek(levelAt);
    in.Text(save.level);
    save.hasDifficulty = save.version >= GameSaveRecord::kDifficultyVersion;
    if (save.hasDifficulty) {
        save.difficulty = in.I32();
        if (save.difficulty < 1 || save.difficulty > 3)
            file.Error("difficulty %i outside 1 .. 3", save.difficulty);
    }
    ScriptVariablesGame::ReadStoryBlock(file, save.variables);
    if (!file.ReadDouble(&save.gameTime))
        in.CutShort();
    save.missionLogPosition = file.GetPos();
    MissionLogGui scratch(false);  // checked only: the game's log changes after the level change
    scratch.Load(file, false);
    return true;
}

void SciFiGameCtrl::ApplyGameSave(const GameSaveRecord& save, File& file)
{
    if (save.hasDifficulty)
        SetDifficulty(save.difficulty, 1, 1);
    ScriptVariablesGame(*this).Apply(save.variables, file, true);
    SetGameTime(save.gameTime);
}

int32_t SciFiGameCtrl::LoadGame(int32_t slot, int32_t keepPosition, int32_t useCurrentLevel)
{
    Log::Write("Load game");
    CreatureObj* hero = GetMainChar();

    // Paths are taken relative to the game folder, which must be there.
    const wString& gameFolder = GetGameFolder();
    if (!gameFolder.IsEmpty() && !Platform::IsDirectory(String(gameFolder).c_str()))
        Error("Can not set working directory!");

    // Both files are read and checked first: a damaged save changes nothing.
    String dir;
    File characterFile;
    File gameFile;
    bool characterOpen = false;
    bool gameOpen = false;
    CharacterSaveRecord character;
    GameSaveRecord game;
    if (slot != -2 && !IsNetworkGame() && !IsNetworkClient()) {
        dir = GetSavegamePath(slot);
        String reading = InGameFolder(dir + "character.sv");
        try {
            characterOpen = characterFile.Open(reading, true, File::kVirtualFile, false);
            if (characterOpen) {
                ReadCharacterRecord(characterFile, character);
                reading = InGameFolder(dir + "game.sv");
                gameOpen = gameFile.Open(reading, true, File::kVirtualFile, false);
                if (gameOpen) {
                    ReadGameSaveHead(gameFile, game);
                    if (!game.level.IsEmpty() && !File::Exists(InGameFolder(game.level).c_str()))
                        gameFile.Error("level '%s' not found", game.level.c_str());
                }
            }
        } catch (const ErrorMsg& e) {
            Warning("Corrupt file: %s (%s)", reading.c_str(), e.message);
            return 0;
        }
    }
    if (slot >= 0 && !characterOpen && GetSettings().testChar == 0)
        return 0;

    SetCameraTarget(GetCameraTargetPoint().x, GetCameraTargetPoint().y, GetCameraTargetPoint().z,
                    g_Options.maxCamHeight, g_Options.startPitch, m_CameraYaw);
    SnapCameraToTarget();
    for (int32_t n = 0; n < GetNumInputCtrls(); ++n)
        if (InputCtrl* input = GetInputCtrl(n))
            for (int32_t count = input->GetDisableCount(); count > 0; --count)  // disabling nests
                input->Enable();
    const bool hadHero = hero != nullptr;
    const D3DXVECTOR2 heroPos = hero ? hero->GetPos() : D3DXVECTOR2(0.0f, 0.0f);
    const float heroAngle = hero ? hero->GetAngle() : 0.0f;

    if (g_GuiManager) {
        g_GuiManager->SetDragIcon(nullptr, false, nullptr, 1.0f);
        g_GuiManager->SetDragObject(nullptr, nullptr, nullptr);
        m_PointerInventory.Clear(true);
    }
    SetViewMode(0, nullptr);
    ResetGuiState(1);
    GetWorld().ResetLevelEffects();
    GetWorld().SetEntryTableSize(kWorldEntryTable);
    if (GetDebugMode())
        ReloadChanged3dObjs();

    if (slot == -2) {
        SetDifficulty(1, 1, 1);
        StartNewGame(nullptr);
        LoadSkills();
    } else {
        if (!characterOpen) {
            if (GetSettings().testChar <= 0 && slot != -1)
                Error("Error loading from '%s'", dir.c_str());
            StartNewGame(GetLevelDescFile().c_str());
            LoadSkills();
        } else {
            LoadSkills();  // every skill starts unlearned
            String level;
            if (gameOpen) {
                ApplyGameSave(game, gameFile);
                level = game.level;
            } else {
                ResetGameState();  // a character without its game starts the story afresh
            }
            if (level.IsEmpty())
                level = GetStartLevel();
            if (useCurrentLevel)
                level = GetLevelDescFile();
            CreatureObj* entered = nullptr;
            if (slot == 1 && hero) {
                // The quick save keeps the very creature: out of the world for the change, then
                // in the place of the copy the stored level brings.
                hero->DeleteChildren(false);
                if (GetWorld().HoldsObj(hero->m_ObjID, hero))
                    GetWorld().RemoveObj(hero->m_ObjID, true);
                CarriedHero carried(hero);
                entered = ChangeLevel(level.c_str(), dir, LevelChangeOptions());
                if (entered && entered != hero) {  // where the level put its hero
                    hero->SetPos(entered->GetPos().x, entered->GetPos().y);
                    hero->SetAngle(entered->GetAngle());
                    if (GetWorld().HoldsObj(entered->m_ObjID, entered))
                        GetWorld().DelObj(entered->m_ObjID, 1);
                }
                GetWorld().AddObj(carried.Release(), 0, false);
                entered = hero;
            } else {
                entered = ChangeLevel(level.c_str(), dir, LevelChangeOptions());
            }
            if (entered)
                SetMainCharacter(entered);
            if (auto* creature = dynamic_cast<CreatureObj_SF*>(entered)) {
                ApplyCharacterRecord(character, characterFile, *creature);
                if (slot == 1)
                    creature->InvalidateGroundHeight();
            }
            if (gameOpen) {  // the level change empties the log
                gameFile.Seek(game.missionLogPosition);
                m_MissionLogWindow.Load(gameFile, false);
            }
        }
        if (CreatureObj* now = GetMainChar(); now && hadHero && keepPosition) {
            now->SetPos(heroPos.x, heroPos.y);
            now->SetAngle(heroAngle);
        }
    }
    const String& music = GetLevelDescription().music;
    if (!music.IsEmpty())
        PlayMusic(music.c_str(), -1.0f, 1.0f, 1, 0.0f);  // the level's volume, at once
    return 1;
}
