// SciFiGameCtrl: the balance values of the rules file (the settings file that "cfg\game.cfg"
// names, which asks the game configuration first) and the item chances of a level.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/Color.h"
#include "scifi/ctrl/SciFiRules.h"

namespace {

struct FloatKey {
    const char* key;
    float SciFiRules::*value;
};

// Read in this order, each from the top of the file; a missing key leaves its value.
const FloatKey kBalanceKeys[] = {
    {"SpellWeaken", &SciFiRules::spellWeaken},
    {"DefaultPoisonTime", &SciFiRules::defaultPoisonTime},
    {"DamageFuncFactorA", &SciFiRules::damageFuncFactorA},
    {"ArmourShieldFactor", &SciFiRules::armourShieldFactor},
    {"ShieldRecoverNoActionTime", &SciFiRules::shieldRecoverNoActionTime},
    {"DamageDealAverageTime", &SciFiRules::damageDealAverageTime},
    {"NoMoveCounterMaximum", &SciFiRules::noMoveCounterMaximum},
    {"NoMoveCounterDecreaseFactor", &SciFiRules::noMoveCounterDecreaseFactor},
    {"ActionRememberTime", &SciFiRules::actionRememberTime},
    {"DodgeTimeFrame", &SciFiRules::dodgeTimeFrame},
    {"ItemEnchantProb", &SciFiRules::itemEnchantProb},
    {"ItemBoostProb", &SciFiRules::itemBoostProb},
    {"SubtitlePause", &SciFiRules::subtitlePause},
    {"SubtitleFadeOffset", &SciFiRules::subtitleFadeOffset},
};

}  // namespace

void SciFiGameCtrl::LoadGameRules(ConfigFileReader& reader)
{
    GameCtrl::LoadGameRules(reader);
    SciFiRules& rules = g_SciFiRules;
    for (const FloatKey& key : kBalanceKeys)
        reader.GetFloat(key.key, rules.*key.value);
    reader.GetFloat("ClickTolerance", m_ClickTolerance);
    reader.GetBoolRounded("HighlightAttackTarget", m_HighlightAttackTarget);
    reader.GetString("onPlayerRevive", m_OnPlayerRevive);

    // Tier 0, 1, ... up to the first tier without three numbers; the list is never emptied here.
    float rgb[3] = {0.0f, 0.0f, 0.0f};
    for (int32_t tier = 0; reader.GetVector3("ItemTierColor", rgb, -1, tier) == ConfigFileReader::kFound; ++tier)
        rules.itemTierColors.push_back(Color::FromFloatsTruncated(rgb[0], rgb[1], rgb[2]));
}

void SciFiGameCtrl::LoadLevelSettings(ConfigFileReader& reader, int32_t entry)
{
    GameCtrl::LoadLevelSettings(reader, entry);
    m_LevelItemEnchantProb = g_SciFiRules.itemEnchantProb;
    m_LevelItemBoostProb = g_SciFiRules.itemBoostProb;
    reader.GetFloat("ItemEnchantProb", m_LevelItemEnchantProb, entry);
    reader.GetFloat("ItemBoostProb", m_LevelItemBoostProb, entry);
    SetNewItemChances(m_LevelItemEnchantProb, m_LevelItemBoostProb);
}
