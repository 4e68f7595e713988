// FuzzGameSave: arbitrary bytes read as "game.sv" by the load's reader, which reads and checks
// the whole file before anything changes: a refused file is the file's error and leaves the
// controller's script variables, stories and mission log as they were. An accepted file is
// applied, and its script variables written again read back.
#include "FuzzTarget.h"

#include "scifi/ctrl/SciFiGameCtrl.h"
#include "scifi/save/GameSaveRecord.h"
#include "scifi/save/ScriptVariablesGame.h"
#include "script/VariableStack.h"

namespace {

SciFiGameCtrl& Ctrl()
{
    static SciFiGameCtrl* ctrl = [] {
        Fuzz::LoadGameConfig();  // the world of a controller needs its language directory
        return new SciFiGameCtrl;
    }();
    return *ctrl;
}

// What a refused file must not change.
struct Stores {
    int32_t temp;
    float tempFloat;
    int32_t variables;
    int32_t logEntries;
    bool operator==(const Stores& o) const
    {
        return temp == o.temp && tempFloat == o.tempFloat && variables == o.variables && logEntries == o.logEntries;
    }
};

Stores Take(SciFiGameCtrl& ctrl)
{
    return Stores{*ctrl.GetScriptTempInt(7), *ctrl.GetScriptTempFloat(7), ctrl.GetGameVariables().GetVariableCount(),
                  ctrl.GetMissionLog().GetEntryCount()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size > Fuzz::kMaxInput)
        return 0;
    SciFiGameCtrl& ctrl = Ctrl();
    *ctrl.GetScriptTempInt(7) = 4242;
    *ctrl.GetScriptTempFloat(7) = 0.5f;
    ctrl.GetMissionLog().Clear();
    ctrl.GetMissionLog().AddEntry(1, String("before"));
    const Stores before = Take(ctrl);

    File file;
    Fuzz::LoadMemoryFile(file, data, size);
    GameSaveRecord save;
    try {
        ctrl.ReadGameSaveHead(file, save);
    } catch (const ErrorMsg&) {
        if (!(Take(ctrl) == before))
            Fuzz::Finding("a refused game save changed the game");
        return 0;
    }
    try {
        ScriptVariablesGame(ctrl).Apply(save.variables, file, true);
        file.Seek(save.missionLogPosition);
        ctrl.GetMissionLog().Load(file, false);
    } catch (const ErrorMsg& e) {
        Fuzz::Finding(e.message);  // a file read whole applies
    }

    // The variables as applied are written again and read back (the bare controller has no
    // difficulty of 1 .. 3 for a whole file of its own).
    File written;
    written.CreateMemoryFile(0);
    ScriptVariablesGame(ctrl).Save(written);
    written.Seek(0);
    ScriptVariablesGame::Block again;
    try {
        ScriptVariablesGame::ReadStoryBlock(written, again);
    } catch (const ErrorMsg& e) {
        Fuzz::Finding(e.message);  // written variables must read
    }
    for (int32_t i = 0; i < ScriptVariablesGame::kTempSlots; ++i)
        if (again.ints[i] != save.variables.ints[i])
            Fuzz::Finding("an applied \"iTmp\" value was written otherwise");
    return 0;
}
