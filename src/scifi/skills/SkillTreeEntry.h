// SkillTreeEntry: one skill of "cfg\skills.cfg": its kind, texts, the skills it requires and
// excludes, its strategy, icon, level and costs, the item part that a skill entry may carry, its
// update script with its timer and its damage factor scripts. The controller's skill table owns
// the records; the player's input controller holds three of them in its skill slots.
#pragma once
#include "base/String.h"
#include "scifi/objects/Item_SF.h"

#include <cstdint>

class CreatureObj;
class DXC_Texture;
class GameCtrl;
class KI_Strategy;

class SkillTreeEntry {
public:
    static constexpr int32_t kRequiredSkills = 4;
    static constexpr int32_t kEffectLists = 10;  // "Effect1_" .. "Effect10_"

    enum Kind : int32_t { kKindNone = 0, kKindActive = 1, kKindOffensive = 2, kKindDefensive = 3 };

    // The update script's timer: it counts dt down; when it falls below 0 it wraps into the
    // interval and the script runs once for the creature. Nothing for dt of 0 or less.
    void RunUpdate(GameCtrl& ctrl, CreatureObj* creature, float dt);

    int32_t kind = kKindNone;  // "type"
    int32_t id = -1;           // "ID"
    String name;               // the entry's "desc", the table's key
    wString displayName;       // "name", then the database's "content"
    wString info;
    wString furtherText;
    String infoScript;
    String requiredSkills[kRequiredSkills];
    String disallowedSkills[kRequiredSkills];
    String nextLevelSkill;
    KI_Strategy* strategy = nullptr;  // the world's, by name
    SkillTreeEntry* requiredRecords[kRequiredSkills] = {};
    String iconName;
    DXC_Texture* iconImage = nullptr;  // the graphics layer's; none on the server
    int32_t iconPos[2] = {0, 0};       // "IconGuiPos"; (-1, -1) for a "NoSkill" entry
    int32_t requiredLevel = 0;
    int32_t advanceCost = 1;
    bool learned = false;            // the current state
    bool learnedConfigured = false;  // "learned"
    int32_t skillLevel = 1;
    Item_SF item;        // the entry's item keys
    int32_t quickSlot = -1;  // 0 .. 9, -1 none
    int32_t requireLogic = 1;
    bool noSkill = false;
    String updateScript;
    float updateScriptInterval = 1.0f;
    float updateTimer = 0.0f;
    String damageDealFactorScript;     // "damDealFactorScript"
    String damageReceiveFactorScript;  // "damReceiveFactorScript"
    String weaponDamageFactorScript;   // "damWeaponFactorScript"
    int32_t weaponStrategy = 0;        // counted from 0; the file counts from 1
    bool highlightDeadMonsters = false;
    int32_t targetMode = 1;
    int32_t targetFilter = 5;
};
