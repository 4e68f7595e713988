// GameCtrl: the game rules of the settings file ("cfg\settings.cfg" unless the game options name
// another): script hooks, the gold item, scale factors, the object, wall and init-script file
// lists, the main characters a player may take, highlight colours and modes, mouse-over timing.
#include "game/ctrl/GameCtrl.h"

#include "base/GameOptions.h"
#include "game/objects/CreatureObj.h"
#include "level/Angle.h"
#include "world/WorldCtrl.h"

#include <cmath>

namespace {

// A colour part of 0..1 as a byte, rounded half away from zero.
uint32_t RoundedByte(float value)
{
    const double scaled = double(value) * 255.0;
    if (!(scaled > 0.0))
        return 0;  // also NaN
    return scaled >= 255.0 ? 255u : uint32_t(std::lround(scaled));
}

// Emptied, then filled from the key's file-list text when the key is there.
void ReadFileList(ConfigFileReader& reader, const char* key, FileList& list)
{
    list.Clear();
    String text;
    if (reader.GetString(key, text) == ConfigFileReader::kFound)
        list.AddFromText(text.c_str());
}

}  // namespace

// The keys in the order they are read; a key that is missing leaves its value unless said.
void GameCtrl::LoadGameRules(ConfigFileReader& reader)
{
    GameOptions& opt = g_Options;
    GameSettings& ctl = m_Settings;
    WorldOptions& worldOpt = m_World.GetOptions();

    reader.GetString("BoostScript", ctl.boostScript);
    reader.GetFloat("MinTimeBetweenBloodEffects", opt.minTimeBetweenBloodEffects);
    reader.GetFloat("ClickPlaneAboveTerrain", worldOpt.clickPlaneAboveTerrain);
    reader.GetFloat("ProjectileTerrainSmoothFactor", opt.projectileTerrainSmoothFactor);
    reader.GetFloat("AttributeDisplayFactor", opt.attributeDisplayFactor);
    reader.GetFloat("AttributeDisplayFactorArmour", opt.attributeDisplayFactorArmour);
    reader.GetFloat("FriendlyFire", ctl.friendlyFire);
    reader.GetString("onHeroLevelUp", ctl.onHeroLevelUp);
    reader.GetString("onFirstUseGui", ctl.onFirstUseGui);
    reader.GetString("onTrade", ctl.onTrade);
    ctl.goldCoinsItemID = "Gold Coins";
    reader.GetString("GoldCoinsItemID", ctl.goldCoinsItemID);
    reader.GetFloat("ItemScale", opt.itemScale);
    reader.GetFloat("CreatureScale", opt.creatureScale);
    reader.GetFloat("WallScale", opt.wallScale);
    reader.GetFloat("LightScale", opt.lightScale);
    reader.GetFloat("NoneRangedLightsIntensityPower", opt.noneRangedLightsIntensityPower);
    float steepness = 0.0f;
    if (reader.GetFloat("MaxTerrainSteepness", steepness) == ConfigFileReader::kFound)
        worldOpt.maxTerrainSteepness = std::tan(steepness * Angle::kDegToRad);
    ReadFileList(reader, "ObjectCfgFiles", m_ObjectCfgFiles);
    ReadFileList(reader, "WallCfgFiles", m_WallCfgFiles);
    ReadFileList(reader, "InitScript", m_InitScripts);
    reader.GetInt("MaxSummonedMonsters", opt.maxSummonedMonsters);
    ctl.mcLight.Release();
    reader.GetString("mcLight", ctl.mcLight);
    reader.GetFloat("MainCharCombatSpeed", opt.mainCharCombatSpeed);
    reader.GetFloat("MainCharMagicSpeed", opt.mainCharMagicSpeed);
    reader.GetFloat("MainCharMovementSpeed", opt.mainCharMovementSpeed);
    CreatureObj::s_MainCharSpeedFactor = opt.mainCharMovementSpeed;

    // Red, green, blue and alpha in 0..1; fewer than four numbers leave the colour.
    float glow[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    if (reader.GetFloatList("HighlightGlowColor", glow, 4) == 4)
        opt.highlightGlowColor = (RoundedByte(glow[3]) << 24) | (RoundedByte(glow[0]) << 16) |
                                 (RoundedByte(glow[1]) << 8) | RoundedByte(glow[2]);
    reader.GetInt("HighlightGlowTexSize", opt.highlightGlowTexSize);
    reader.GetInt("HighlightGlowNrIteration", opt.highlightGlowNrIteration);
    float emissive[3] = {0.0f, 0.0f, 0.0f};
    if (reader.GetVector3("HighLightEmissAddCol", emissive) == ConfigFileReader::kFound)
        for (int32_t i = 0; i < 3; ++i)
            opt.highLightEmissAddCol[i] = emissive[i];
    reader.GetFloat("CycleIntTimeUB", opt.cycleIntTimeUB);
    reader.GetFloat("CycleIntTimeLB", opt.cycleIntTimeLB);

    // MainChar1, MainChar2, ... up to the first gap, each with its skills file; the list is
    // not emptied first.
    for (int32_t n = 1;; ++n) {
        String name;
        if (reader.GetString("MainChar", name, -1, n) != ConfigFileReader::kFound)
            break;
        String skills;
        reader.GetString("MainCharSkillsCfg", skills, -1, n);
        MainCharacterProperty* character = m_MainCharacters.GetBySlot(m_MainCharacters.Add());
        character->name = name;
        character->skillsFile = skills;
    }
    if (reader.GetString("MainChar", m_HeroName) != ConfigFileReader::kFound) {
        const MainCharacterProperty* first = m_MainCharacters.GetAt(0);
        m_HeroName = first ? first->name : String("Hero");
    }

    reader.GetFloat("SpellSlowDown", opt.spellSlowDown);
    for (int32_t i = 0; i < GameSettings::kSpecialMarks; ++i)
        reader.GetString("SpecialMark", ctl.specialMarks[i], -1, i + 1);
    reader.GetString("level", ctl.level);
    reader.GetFloat("MouseOverDelay", opt.mouseOverDelay);
    reader.GetInt("MouseOverDelay", opt.mouseOverDelayInt);
    reader.GetIntPair("MouseOverOffset", opt.mouseOverOffset);
    float angle = 0.0f;
    if (reader.GetFloat("WallFadeOutAngleIfInWall", angle) == ConfigFileReader::kFound)
        opt.wallFadeOutAngleIfInWall = angle * Angle::kDegToRad;

    // Highlight modes: 0 off, 1 on, anything else (a missing key reads 0) as it was.
    for (int32_t d = 0; d < 3; ++d) {
        String key;
        key.Format("Highlight%dMode", int(d));
        int32_t mode = 0;
        reader.GetInt(key.c_str(), mode);
        if (mode == 0 || mode == 1)
            opt.highlightModes[d] = uint8_t(mode);
    }

    LoadCharacterClasses();
}
