// ScriptVariablesGame: the game-wide script variables as one record of "game.sv": "fTmp", "iTmp"
// and "sTmp", the stories and the game's script scope. It holds none of them: the controller's
// stores are the only copy, and this class reads them where the controller keeps them.
#pragma once
#include <cstdint>

class File;
class GameCtrl;

class ScriptVariablesGame {
public:
    static constexpr int32_t kSavedTexts = 32;  // of the 256 "sTmp" texts

    explicit ScriptVariablesGame(GameCtrl& ctrl) : m_Ctrl(ctrl) {}

    // The record (layout in ScriptVariablesGame.cpp).
    void Save(File& file);
    // Back to the values of a new game: "fTmp" and "iTmp" 0, every "sTmp" text empty, the object
    // variables -1 and every story's value 0 (the stories stay, with their names); with
    // clearScope the game's script scope loses its variables too.
    void Reset(uint8_t clearScope);

private:
    GameCtrl& m_Ctrl;
};
