// DXC_InteractiveScene: construction and initialisation, loading and restarting a scene, the scene
// objects that take the place of their objects' parents, their timing, clearing and the errors
// that name the scene file.
#include "engine/gui/DXC_InteractiveScene.h"

#include "base/Math.h"
#include "engine/gfx/DXC_Gfx.h"
#include "engine/gui/MouseState.h"
#include "engine/scene/RTXLoader.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

DXC_InteractiveScene* DXC_InteractiveScene::s_Current = nullptr;

void DXC_IntSceTiming::Advance(float dt)
{
    const float step = speed * dt;
    if (step == 0.0f)
        return;
    time += step;
    if (loop) {
        const float span = std::fabs(end - start);
        time = span > 0.0f ? start + Math::WrapFloat(time - start, span) : start;
    } else if (time < start) {
        time = start;
    } else if (time >= end) {
        time = end;
    }
}

DXC_InteractiveScene::DXC_InteractiveScene()
{
    CopyName32(this, "DXC_InteractiveScene");
    m_Script.SetThreaded(false);  // the scene's script never waits: it runs on the caller's thread
    ResetRunState();
}

DXC_InteractiveScene::~DXC_InteractiveScene()
{
    Clear();
    RestoreSceneObjects();  // they are parents in the scene: they leave it while it still stands
    DeleteSceneObjects();
    if (s_Current == this)
        s_Current = nullptr;
}

void DXC_InteractiveScene::Error(const char* format, ...)
{
    char message[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    ErrorClass::Error("file:'%s':%s", m_FileName.c_str(), message);
}

void DXC_InteractiveScene::Initialize(DXC_Gfx* gfx, MouseState* mouse)
{
    m_Gfx = gfx;
    m_Mouse = mouse;
    m_Initialized = gfx && mouse ? 1 : 0;
}

void DXC_InteractiveScene::Clear()
{
    m_Gfx = nullptr;
    m_Mouse = nullptr;
    m_Initialized = 0;
    m_SceneSize = 0.0f;
    m_Mirror = 1;
    m_CursorType = 0;
    m_CursorEnabled = 0;
    ResetRunState();
}

void DXC_InteractiveScene::ResetRunState()
{
    m_SceneTime = 0.0f;
    m_DragScale = 1.0f;
    m_DragDistance = 100.0f;
    m_Exit = 0;
    m_DragObject = nullptr;
    if (!m_Initialized || m_CursorTexture.IsValid())
        return;
    if (m_CursorType > 0) {
        CreateCursor(m_CursorType);
        m_CursorEnabled = 1;
    } else {
        m_CursorEnabled = 0;
    }
}

void DXC_InteractiveScene::SetCursorPos(float x, float y)
{
    m_CursorPos[0] = x;
    m_CursorPos[1] = y;
    m_LastMouse[0] = x;
    m_LastMouse[1] = y;
}

void DXC_InteractiveScene::SetHooks(ReadVariableHook read, FunctionHook function, WriteVariableHook write)
{
    m_ReadHook = read;
    m_FunctionHook = function;
    m_WriteHook = write;
}

DXC_IntSceHelper* DXC_InteractiveScene::FindObject(const char* name)
{
    DXC_IntSceHelper** found = m_Names.Find(name ? name : "");
    return found ? *found : nullptr;
}

void DXC_InteractiveScene::Load(const char* fileName)
{
    if (!m_Initialized)
        Error("Not initialized");
    ResetRunState();

    m_LogMessages.DeleteAll();
    m_DelayedCalls.DeleteAll();
    RestoreSceneObjects();  // the old objects leave the old scene's hierarchy before it goes
    DeleteSceneObjects();
    m_FileName = fileName ? fileName : "";
    m_ScriptText = "";
    m_Gfx->LoadScene(&m_Scene, m_FileName.c_str(), 0);
    DXC_SceneInfo info;
    m_Gfx->GetRTXLoader().GetSceneInfo(info);  // kept for the scene loaded last, either form
    m_ScriptText = info.scriptFile;

    if (m_Scene.GetBoundsFlags() & 1) {
        m_SceneCentre = m_Scene.GetCentre();
        m_SceneSize = m_Scene.GetRadius();
    } else {
        m_SceneSize = m_Scene.GetBoundingSphere(m_SceneCentre, false, false);
    }
    if (m_Scene.GetLightCount() == 0)
        AddDefaultLights();
    m_Scene.renderFlags = DXC_3dScene::kRenderClear | (m_Mirror ? DXC_3dScene::kRenderMirrored : 0u);
    m_Scene.SetFlagOnAll(0);

    BuildSceneObjects();
    SetTimingSpans();
    LoadScript();
    RunScript();
    CentreCursor();
}

void DXC_InteractiveScene::Restart()
{
    m_LogMessages.DeleteAll();
    m_DelayedCalls.DeleteAll();
    m_Script.Reset();
    ResetRunState();
    if (!m_Initialized || m_FileName.IsEmpty())
        return;  // nothing was loaded: only the run state starts over
    RestoreSceneObjects();
    BuildSceneObjects();
    SetTimingSpans();
    RunScript();
    for (int32_t i = 0; i < m_Objects.GetSize(); i++)
        m_Objects.GetAt(i)->aniFrozen = 0;  // key-frame animation on
    CentreCursor();
}

// Two white directional lights, for scenes that bring none.
void DXC_InteractiveScene::AddDefaultLights()
{
    static const D3DXVECTOR3 kDirections[2] = {{0.0f, -0.5f, -1.0f}, {-1.0f, 1.0f, 0.0f}};
    for (const D3DXVECTOR3& direction : kDirections) {
        DXC_Light& light = *m_Scene.lights.GetBySlot(m_Scene.lights.Add());
        light.SetParams(2.0f, 2.0f, 2.0f, 1.0f, 0.6f, 0.6f, 0.6f, 1.0f, 0.3f, 0.3f, 0.3f, 1.0f, 1.84466e19f);
        light.lightParams.Diffuse.a = 1.0f;
        light.lightParams.Specular.a = 1.0f;
        light.lightParams.Ambient.a = 1.0f;
        D3DXVECTOR3 normal;
        D3DXVec3Normalize(&normal, &direction);
        const float aim[3] = {normal.x, normal.y, normal.z};
        for (int32_t axis = 0; axis < 3; axis++) {
            light.lightParams.Position[axis] = 0.0f;
            light.lightParams.Direction[axis] = aim[axis];
        }
    }
}

void DXC_InteractiveScene::DeleteSceneObjects()
{
    m_Objects.DeleteAll();
    m_Names.Clear();
    m_DragObject = nullptr;
}

// Cameras, then dummies, then meshes, each in the scene's order: the object IDs the script sees.
void DXC_InteractiveScene::BuildSceneObjects()
{
    DeleteSceneObjects();
    auto bind = [&](DXC_3dObject& controlled) {
        const int32_t slot = m_Objects.Add();
        DXC_IntSceHelper& helper = *m_Objects.GetBySlot(slot);
        helper.SetObjectName(controlled.GetObjectName());
        helper.parent = controlled.parent;
        controlled.parent = &helper;
        helper.object = &controlled;
        helper.id = slot;
        if (DXC_IntSceHelper** entry = m_Names.Insert(controlled.objectName))
            *entry = &helper;
        if (controlled.IsMesh())
            helper.savedVisibility = static_cast<DXC_Mesh&>(controlled).meshActive == 1 ? 1 : 0;
    };
    for (int32_t i = 0; i < m_Scene.cameras.GetSize(); i++)
        bind(*m_Scene.cameras.GetAt(i));
    for (int32_t i = 0; i < m_Scene.objects.GetSize(); i++)
        bind(*m_Scene.objects.GetAt(i));
    for (int32_t i = 0; i < m_Scene.meshes.GetSize(); i++)
        bind(*m_Scene.meshes.GetAt(i));

    const int32_t count = m_Objects.GetSize();
    for (int32_t i = 0; i < count; i++) {
        DXC_IntSceHelper& helper = *m_Objects.GetAt(i);
        helper.depth = 0;
        // A parent chain of the file that runs in a circle is counted once round.
        for (DXC_3dObject* up = helper.parent; up && helper.depth <= 2 * count + 1; up = up->parent)
            helper.depth++;
    }
    m_Objects.Sort([](const DXC_IntSceHelper& a, const DXC_IntSceHelper& b) { return a.depth < b.depth; });
}

void DXC_InteractiveScene::RestoreSceneObjects()
{
    for (int32_t i = 0; i < m_Objects.GetSize(); i++) {
        DXC_IntSceHelper& helper = *m_Objects.GetAt(i);
        if (!helper.object)
            continue;
        helper.object->parent = helper.parent;
        if (helper.object->IsMesh())
            static_cast<DXC_Mesh*>(helper.object)->SetActive(helper.savedVisibility);
    }
}

void DXC_InteractiveScene::SetTimingSpans()
{
    for (int32_t i = 0; i < m_Objects.GetSize(); i++) {
        DXC_IntSceTiming& timing = m_Objects.GetAt(i)->objectTiming;
        timing.start = 0.0f;
        timing.end = m_Scene.aniRange;
    }
}

void DXC_InteractiveScene::CentreCursor()
{
    if (!m_Gfx || !m_Mouse)
        return;
    m_LastMouse[0] = m_Mouse->x;
    m_LastMouse[1] = m_Mouse->y;
    m_Gfx->GetViewportRect(m_Viewport);
    m_CursorPos[0] = float(m_Viewport[2] - m_Viewport[0]) * 0.5f;
    m_CursorPos[1] = float(m_Viewport[3] - m_Viewport[1]) * 0.5f;
}
