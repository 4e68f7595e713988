// DXC_InteractiveScene: a scripted 3D scene that runs in place of the game view (menus, cut
// scenes). The scene's cameras, dummies and meshes become scene objects that its script moves,
// shows and animates; mouse pushes and clicks on them call script functions named after them.
// It must be initialised with a graphics object and a mouse before a scene loads; on the
// dedicated server it never is, and a load is refused with "Not initialized".
// DXC_InteractiveSceneHalvetor is the world's own scene, which adds nothing.
//
// The class is split by role:
//   DXC_InteractiveScene.cpp        construction, initialisation, loading, restarting, the scene
//                                   objects and their timing, clearing, the error prefix
//   DXC_InteractiveSceneFrame.cpp   the frame step: cursor, picking, mouse events, drawing, the
//                                   built-in cursor
//   DXC_InteractiveSceneScript.cpp  the script: loading it, the built-in functions, the owner's
//                                   hooks, delayed calls and log messages
#pragma once
#include "base/DynaMem.h"
#include "base/ErrorClass.h"
#include "base/SearchTree.h"
#include "base/String.h"
#include "engine/gfx/DXC_Texture.h"
#include "engine/scene/DXC_3dScene.h"
#include "script/ScriptReader.h"
#include "script/ScriptValue.h"

#include <cstdint>

class DXC_Gfx;
class MouseState;

// Drives an animation time. Advancing by dt moves the time by speed x dt (a step of exactly 0
// changes nothing); with loop set it wraps into the span, else it is held within it. A looping
// record whose span is empty (start equal to end) has nowhere to run: it stays at its start.
struct DXC_IntSceTiming {
    float time = 0.0f;
    float start = 0.0f;
    float end = 0.0f;
    float speed = 1.0f;
    uint8_t loop = 0;

    void Advance(float dt);
};

// The scene object the script sees: inserted into the hierarchy as the new parent of the object
// it controls, so that moving it moves that object with its own animation intact.
class DXC_IntSceHelper : public DXC_3dObject {
public:
    DXC_IntSceHelper() { DXC_Base::SetName("DXC_IntSceHelper"); }

    bool ControlsMesh() const { return object && object->IsMesh(); }

    DXC_IntSceTiming objectTiming;  // the controlled object's animation time
    DXC_IntSceTiming ownTiming;     // this object's own; no script call changes it
    int32_t id = -1;                // slot in the scene's object list
    int32_t depth = 0;              // ancestors above it
    uint8_t active = 1;             // inactive objects are not picked
    DXC_3dObject* object = nullptr;
    uint8_t savedVisibility = 0;    // the mesh's active word was 1 when it was bound
};

// A script function call due at a scene time.
struct CallScriptFunctionArgumentList {
    String name;
    float dueTime = 0.0f;
    DynaMem<ScriptValue, 4> arguments;
};

class DXC_InteractiveScene : public ErrorClass {
public:
    static constexpr int32_t kMaxLogMessages = 128;  // shown at once; every one goes to the log
    static constexpr float kLogMessageSeconds = 10.0f;
    static constexpr int32_t kMouseButtons = 8;

    struct LogMessage {
        String text;
        float timeLeft = 0.0f;
        int32_t sequence = 0;
        bool operator<(const LogMessage& other) const { return sequence > other.sequence; }  // newest first
    };

    // The owner's additions to the script: what the built-ins do not know goes to them.
    using ReadVariableHook = ScriptValue* (*)(ScriptValue* result, const char* name);
    using FunctionHook = ScriptValue* (*)(ScriptValue* result, const char* name, ScriptValue* arguments,
                                          int32_t count);
    using WriteVariableHook = void (*)(const char* name, ScriptValue* value);

    DXC_InteractiveScene();
    ~DXC_InteractiveScene() override;
    DXC_InteractiveScene(const DXC_InteractiveScene&) = delete;
    DXC_InteractiveScene& operator=(const DXC_InteractiveScene&) = delete;

    // Every error names the scene file: "file:'%s':" in front.
    [[noreturn]] void Error(const char* format, ...) override __attribute__((format(printf, 2, 3)));

    // --- owner side (DXC_InteractiveScene.cpp) ---
    // Binds the graphics object and the mouse; the client's interface set-up calls it, never the
    // server. Until then Load refuses.
    void Initialize(DXC_Gfx* gfx, MouseState* mouse);
    // Unbinds both and forgets the cursor settings; the first step of destruction.
    void Clear();
    // Loads a scene file and starts its script; "Not initialized" without a graphics object.
    void Load(const char* fileName);
    // Starts the loaded scene over without reading the file again.
    void Restart();
    const String& GetFileName() const { return m_FileName; }
    // One frame: the scene time advances; returns the exit flag.
    bool Update(float dt);
    void Draw();
    // Calls a function of the scene's script with count arguments (null when none), the result
    // into result when given; false when the scene is not initialised or the script has no such
    // function.
    bool CallScriptFunction(const char* name, ScriptValue* arguments, int32_t count, ScriptValue* result);
    // The owner enables the scene and shows it when it starts one.
    void Enable(bool on) { m_Enabled = on ? 1 : 0; }
    void Show(bool on) { m_Shown = on ? 1 : 0; }
    bool IsEnabled() const { return m_Enabled != 0; }
    bool IsShown() const { return m_Shown != 0; }
    void RequestExit() { m_Exit = 1; }
    bool IsInitialized() const { return m_Initialized != 0; }
    float GetSceneTime() const { return m_SceneTime; }
    void SetExternalCursor(bool on) { m_ExternalCursor = on ? 1 : 0; }
    void SetCursorPos(float x, float y);
    void GetCursorPos(float& x, float& y) const { x = m_CursorPos[0]; y = m_CursorPos[1]; }
    bool IsCursorInside() const { return m_CursorInside != 0; }
    bool IsCursorEnabled() const { return m_CursorEnabled != 0; }
    void SetLogDisabled(bool on) { m_LogDisabled = on ? 1 : 0; }
    void SetMirror(bool on) { m_Mirror = on ? 1 : 0; }
    // 0 none, 1 the built-in cross; taken at the next load when no cursor picture is loaded.
    void SetCursorType(int32_t type) { m_CursorType = type; }
    void SetHooks(ReadVariableHook read, FunctionHook function, WriteVariableHook write);

    // What the script and the owner can read back.
    float GetSceneSize() const { return m_SceneSize; }
    const D3DXVECTOR3& GetSceneCentre() const { return m_SceneCentre; }
    DXC_3dScene& GetScene() { return m_Scene; }
    int32_t GetObjectCount() { return m_Objects.GetSize(); }
    DXC_IntSceHelper* GetObject(int32_t id) { return m_Objects.GetBySlot(id); }  // null for none
    DXC_IntSceHelper* FindObject(const char* name);  // null for none
    DXC_IntSceHelper* GetDragObject() const { return m_DragObject; }
    int32_t GetPressedObject(int32_t button) const { return m_PressedObject[button]; }
    const String& GetScriptText() const { return m_ScriptText; }
    int32_t GetLogMessageCount() { return m_LogMessages.GetSize(); }
    const LogMessage* GetLogMessage(int32_t position) { return m_LogMessages.GetAt(position); }  // newest first
    int32_t GetDelayedCallCount() { return m_DelayedCalls.GetSize(); }
    const DXC_Texture& GetCursorTexture() const { return m_CursorTexture; }

    // --- script side (DXC_InteractiveSceneScript.cpp) ---
    // The scene whose script runs; the callbacks act on it.
    static DXC_InteractiveScene* GetCurrent() { return s_Current; }
    void LoadScript();
    // No name: the script's top level from its start; a name: that function without arguments.
    void RunScript(const char* functionName = nullptr);
    void AddLogMessage(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void AgeLogMessages(float dt);
    void DrawLogMessages();
    void RunDueCalls();

protected:
    // --- DXC_InteractiveScene.cpp ---
    void ResetRunState();
    void BuildSceneObjects();
    void RestoreSceneObjects();
    void DeleteSceneObjects();
    void SetTimingSpans();
    void AddDefaultLights();
    void CentreCursor();

    // --- DXC_InteractiveSceneFrame.cpp ---
    void CreateCursor(int32_t type);
    // Camera and projection of the scene (Draw's first step).
    void SetupCamera();
    // The scene object whose mesh is nearest along the pick ray through the viewport point, with
    // the hit point in scene space; null for none.
    DXC_IntSceHelper* Pick(float x, float y, D3DXVECTOR3& hit);
    void HandlePush(int32_t button);
    void HandleRelease(int32_t button);
    void CallPlainEvent(const char* name, int32_t button);
    void CallObjectEvent(const char* prefix, DXC_IntSceHelper& object, int32_t button, const D3DXVECTOR3& hit);
    void DrawDragObject();

    // --- DXC_InteractiveSceneScript.cpp ---
    static ScriptValue* ScriptFunctionCallback(ScriptValue* result, const char* name, ScriptValue* arguments,
                                               int32_t count);
    static ScriptValue* ReadVariableCallback(ScriptValue* result, const char* name, int32_t index);
    static void WriteVariableCallback(const char* name, int32_t index, ScriptValue* value);
    // A built-in of the scene: true when handled, result set.
    bool CallBuiltin(ScriptValue& result, const char* name, ScriptValue* arguments, int32_t count);
    DXC_IntSceHelper& ObjectArgument(const ScriptValue& argument);
    void MakeCurrent() { s_Current = this; }

    static DXC_InteractiveScene* s_Current;

    DXC_Gfx* m_Gfx = nullptr;
    DXC_3dScene m_Scene;  // before the scene objects: they go first
    MouseState* m_Mouse = nullptr;
    DXC_Texture m_CursorTexture;
    String m_FileName;
    String m_ScriptText;
    float m_SceneTime = 0.0f;
    int32_t m_LogCounter = 0;
    float m_SceneSize = 0.0f;
    float m_CursorPos[2] = {0.0f, 0.0f};
    float m_LastMouse[2] = {0.0f, 0.0f};
    int32_t m_Viewport[4] = {0, 0, 0, 0};  // left, top, right, bottom
    uint8_t m_Initialized = 0;
    uint8_t m_ExternalCursor = 0;
    uint8_t m_CursorInside = 0;
    uint8_t m_CursorEnabled = 0;
    uint8_t m_Mirror = 1;
    int32_t m_CursorType = 0;
    uint8_t m_ReportUnknowns = 0;
    uint8_t m_LogDisabled = 0;
    int32_t m_PressedObject[kMouseButtons] = {-1, -1, -1, -1, -1, -1, -1, -1};
    D3DXVECTOR3 m_SceneCentre{0.0f, 0.0f, 0.0f};
    SearchTree<DXC_IntSceHelper*> m_Names;  // the first object of a name keeps it
    DynaMemSort<DXC_IntSceHelper, 64> m_Objects;
    DynaMemSort<LogMessage, kMaxLogMessages> m_LogMessages;
    DynaMem<CallScriptFunctionArgumentList, 32> m_DelayedCalls;
    ScriptReader m_Script;
    ReadVariableHook m_ReadHook = nullptr;
    FunctionHook m_FunctionHook = nullptr;
    WriteVariableHook m_WriteHook = nullptr;
    DXC_IntSceHelper* m_DragObject = nullptr;
    float m_DragScale = 1.0f;
    float m_DragDistance = 100.0f;
    uint8_t m_Exit = 0;
    uint8_t m_Enabled = 0;
    uint8_t m_Shown = 0;
};

class DXC_InteractiveSceneHalvetor : public DXC_InteractiveScene {};
