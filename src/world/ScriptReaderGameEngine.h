// ScriptReaderGameEngine: a script module of the world: one loaded game script, a script reader
// bound to the game, with what the world keeps of it between runs and across a re-entry; and the
// running module, the one whose script or script function runs now.
#pragma once
#include "base/String.h"
#include "script/ScriptReader.h"

#include <cstdint>

class WorldCtrl;

class ScriptReaderGameEngine : public ScriptReader {
public:
    static constexpr int32_t kObjVariables = 256;  // the controller's object script variables
    static constexpr uint8_t kNoRunFlags = 255;

    ScriptReaderGameEngine();

    // The module's error operation: a pending re-entry is dropped (the script will not reach its
    // return), then the world logs the text as a "Script Error" and shows it.
    void ShowError(const String& text) override;
    // Where the module's script stands now, as error texts and caller labels name it:
    // "*inline:RunScript:'<file>',line:<n>*".
    String FormatRunPosition();

    WorldCtrl* GetWorld() const { return m_World; }
    void SetWorld(WorldCtrl* world) { m_World = world; }
    uint8_t GetRunFlags() const { return m_RunFlags; }
    void SetRunFlags(uint8_t flags) { m_RunFlags = flags; }

    int32_t m_SavedObjVariables[kObjVariables];  // the object variables at the re-entry request
    uint8_t m_RunFlags = kNoRunFlags;  // bit 0: the script runs on the game's behalf; nested calls inherit it
    uint8_t m_KeepLoaded = 0;   // a script file stays loaded after its run, to be reset and reused
    uint8_t m_Reenter = 0;      // a re-entry function suspended the script; its reenter event resumes it
    int32_t m_ScriptID = -1;    // the module's slot while it runs
    int32_t m_Context = 0;      // the context value and call mode of the run
    uint8_t m_CallMode = 0;
    uint8_t m_Finished = 0;     // the last run ended (not paused)
    uint8_t m_GlobalFunction = 0;  // a script function of this module runs for another script
    uint8_t m_Active = 0;       // the module's script runs now
    String m_SourceName;        // the script file it was loaded from; empty for inline text

private:
    WorldCtrl* m_World = nullptr;
};

// The module whose script or script function runs now; null when none does.
ScriptReaderGameEngine* GetCurrentScriptModule();

// Makes a module the running one for a scope; the previous one is running again on every way out.
class RunningModuleScope {
public:
    explicit RunningModuleScope(ScriptReaderGameEngine* module);
    ~RunningModuleScope();
    RunningModuleScope(const RunningModuleScope&) = delete;
    RunningModuleScope& operator=(const RunningModuleScope&) = delete;
    ScriptReaderGameEngine* GetPrevious() const { return m_Previous; }

private:
    ScriptReaderGameEngine* m_Previous;
};
