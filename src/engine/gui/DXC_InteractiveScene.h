// DXC_InteractiveScene: a scripted 3D scene that runs in place of the game view (menus, cut
// scenes). This holds what its owner drives: the run state, enabling and showing, the frame step
// that reports the end, the named script calls and the exit request. It must be initialised with a graphics device
// before a scene loads; on the dedicated server it never is, and a load is refused.
// DXC_InteractiveSceneHalvetor is the world's own scene, which adds nothing.
#pragma once
#include "base/ErrorClass.h"
#include "base/String.h"
#include "script/ScriptValue.h"

#include <cstdint>

class DXC_InteractiveScene : public ErrorClass {
public:
    DXC_InteractiveScene();

    // Loads a scene file and starts its script; "Not initialized" without a device.
    void Load(const char* fileName);
    void Restart();
    const String& GetFileName() const { return m_FileName; }
    // One frame: the scene time advances; returns the exit flag.
    bool Update(float dt);
    // Calls a function of the scene's script with count arguments (null when none), the result
    // into result when given; false when the scene is not initialised.
    bool CallScriptFunction(const char* name, ScriptValue* arguments, int32_t count, ScriptValue* result);
    // The owner enables the scene and shows it when it starts one.
    void Enable(bool on) { m_Enabled = on ? 1 : 0; }
    void Show(bool on) { m_Shown = on ? 1 : 0; }
    bool IsEnabled() const { return m_Enabled != 0; }
    bool IsShown() const { return m_Shown != 0; }
    void RequestExit() { m_Exit = 1; }
    bool IsInitialized() const { return m_Initialized != 0; }
    float GetSceneTime() const { return m_SceneTime; }

protected:
    void ResetRunState();

    String m_FileName;
    float m_SceneTime = 0.0f;
    uint8_t m_Initialized = 0;
    uint8_t m_Exit = 0;
    uint8_t m_Enabled = 0;
    uint8_t m_Shown = 0;
};

class DXC_InteractiveSceneHalvetor : public DXC_InteractiveScene {};
