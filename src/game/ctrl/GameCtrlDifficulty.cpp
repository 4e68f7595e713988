// GameCtrl: the difficulty entry read into the process-wide difficulty record, with its
// optional script, and the engine's monster health and damage factors.
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
