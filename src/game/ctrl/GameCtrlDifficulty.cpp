// GameCtrl: the difficulty entry read into the process-wide difficulty record, with its
// optional script, the engine's monster health and damage factors, and the players' scaling.
#include "game/ctrl/GameCtrl.h"

#include "game/ctrl/Difficulty.h"
#include "game/objects/CreatureObj.h"
#include "script/ScriptReader.h"

#include <memory>

Difficulty g_Difficulty;

namespace {

// A name with a drive or from the root stays as it is; others are read from the language folder.
String InLanguageDir(const String& name, const String& languageDir)
{
    const char* text = name.c_str();
    if (text[0] == '\\' || text[0] == '/' || (text[0] != 0 && text[1] == ':'))
        return name;
    return languageDir + name;
}

}  // namespace

void GameCtrl::LoadDifficulty(ConfigFileReader& reader, int32_t entry)
{
    reader.GetFloat("monsterHealth", g_Difficulty.monsterHealth, entry);
    reader.GetFloat("monsterDamage", g_Difficulty.monsterDamage, entry);
    reader.GetFloat("monsterMoveSpd", g_Difficulty.monsterMoveSpeed, entry);
    CreatureObj::s_OtherPartySpeedFactor = g_Difficulty.monsterMoveSpeed;
    reader.GetFloat("monsterShotSpeed", g_Difficulty.monsterShotSpeed, entry);
    reader.GetFloat("heroHealthRegeneration", g_Difficulty.heroHealthRegeneration, entry);
    const struct {
        const char* key;
        GameFunction& function;
    } functions[] = {{"monsterHealthMultiplayerFunc", g_Difficulty.monsterHealthMultiplayer},
                     {"monsterXPMultiplayerFunc", g_Difficulty.monsterXPMultiplayer}};
    for (const auto& f : functions) {
        String name;
        if (reader.GetString(f.key, name, entry) != ConfigFileReader::kFound || name.IsEmpty())
            continue;
        if (const GameFunction* function = FindGameFunction(name.c_str()))
            f.function = *function;
        else
            Warning("unknown game function '%s'", name.c_str());
    }

    String script;
    if (reader.GetString("runScript", script, entry) != ConfigFileReader::kFound || script.IsEmpty())
        return;
    auto scriptReader = std::make_unique<ScriptReader>();  // released also when the script fails
    scriptReader->SetGameCallbacks(m_ScriptCallbacks);
    if (scriptReader->LoadFile(InLanguageDir(script, m_World.GetLanguageDir()).c_str()) &&
        scriptReader->GetTextLength() > 0)
        scriptReader->Run();
}

float GameCtrl::GetMonsterHealthFactor() { return g_Difficulty.monsterHealth; }

float GameCtrl::GetMonsterDamageFactor() { return g_Difficulty.monsterDamage; }

const GameFunction* GameCtrl::GetExperienceShareFunction()
{
    return g_Difficulty.monsterXPMultiplayer.name.IsEmpty() ? nullptr : &g_Difficulty.monsterXPMultiplayer;
}

float GameCtrl::GetBalanceFactor(int32_t index)
{
    (void)index;
    return 1.0f;
}

float GameCtrl::PlayerShareFactor()
{
    const GameFunction* function = GetPlayerCountFunction();
    return (function ? function->GetValue(float(GetNumPlayers())) : 1.0f) * GetBalanceFactor(0);
}

double GameCtrl::GetCharacterEntryFactor(int32_t mask)
{
    if (mask == 0)
        return 1.0;
    const int32_t characterClass = GetPlayerCharacterEntry(0).characterClass;
    return characterClass > 0 && (characterClass & mask) != 0 ? 1.0 : 0.0;
}

bool GameCtrl::IsPlayerNear(float x, float y, float distance) { return m_World.DistanceOutsideView(x, y) <= distance; }
