// CharacterSaveRecord: a "character.sv" as read, held until the whole file has been read and its
// end marker found; only then does the load give it to the character. The creature record is
// checked by loading it into a scratch creature, and read again from its place in the file into
// the character itself.
#pragma once
#include "base/String.h"

#include <cstdint>
#include <vector>

struct CharacterSaveRecord {
    static constexpr uint16_t kOldestVersion = 258;
    static constexpr uint16_t kNewestVersion = 275;
    static constexpr uint16_t kQuickSlotVersion = 264;   // older files have no quick slot names
    static constexpr uint16_t kDifficultyVersion = 266;  // older files give highest difficulty 1
    static constexpr uint16_t kEndMarker = 0x1234;
    static constexpr int32_t kQuickSlots = 10;

    uint16_t version = 0;
    double gameTime = 0.0;
    std::vector<String> learnedSkills;
    String buttonSkills[3];  // in the file's order: buttons 1, 3 and 2
    int32_t advancePoints = 0;
    int32_t skillPoints = 0;
    int8_t levelProgress = 0;
    uint8_t highestDifficulty = 1;
    int32_t creaturePosition = -1;  // of the creature record in the file
    bool hasQuickSlots = false;
    String quickSlots[kQuickSlots];
};
