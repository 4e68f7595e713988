// ScriptVariablesGame: the game-wide script variables as one record of "game.sv": "fTmp", "iTmp"
// and "sTmp", the stories and the game's script scope. It holds none of them: the controller's
// stores are the only copy, and this class reads them where the controller keeps them.
#pragma once
#include "base/String.h"

#include <cstdint>
#include <utility>
#include <vector>

class File;
class GameCtrl;

class ScriptVariablesGame {
public:
    static constexpr int32_t kSavedTexts = 32;  // of the 256 "sTmp" texts
    static constexpr int32_t kTempSlots = 256;

    // The record as read, before anything of the game changed: the scope is checked where it
    // lies and read again from there when the block is applied.
    struct Block {
        float floats[kTempSlots] = {};
        int32_t ints[kTempSlots] = {};
        String texts[kSavedTexts];
        std::vector<std::pair<String, int32_t>> stories;
        int32_t scopePosition = -1;  // of the scope record in the file the block came from
    };

    explicit ScriptVariablesGame(GameCtrl& ctrl) : m_Ctrl(ctrl) {}

    // The record (layout in ScriptVariablesGame.cpp).
    void Save(File& file);
    // Back to the values of a new game: "fTmp" and "iTmp" 0, every "sTmp" text empty, the object
    // variables -1 and every story's value 0 (the stories stay, with their names); with
    // clearScope the game's script scope loses its variables too.
    void Reset(uint8_t clearScope);
    // Reads the record into block and checks the scope record: a record cut short, a count the
    // bytes left cannot hold or a story name the story index cannot take is the file's error.
    static void ReadStoryBlock(File& file, Block& block);
    // The block into the controller's stores, the texts past the saved 32 and the object values
    // cleared, every story first at 0 (a story the game no longer defines is warned of and kept);
    // clearScope empties the game's script scope before its record is read again from file.
    void Apply(const Block& block, File& file, bool clearScope);

private:
    GameCtrl& m_Ctrl;
};
