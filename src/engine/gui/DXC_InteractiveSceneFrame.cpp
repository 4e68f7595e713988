// DXC_InteractiveScene: the frame step (cursor, timing of the scene objects, mouse events to the
// script), picking along the pick ray, drawing with the drag object and the cursor, and the
// built-in cursor.
#include "engine/gui/DXC_InteractiveScene.h"

#include "engine/gfx/DXC_Gfx.h"
#include "engine/gui/MouseState.h"

#include <algorithm>

namespace {

constexpr float kSceneNearPlane = 1.0f;
constexpr float kSceneFarPlane = 10000.0f;
constexpr float kSceneFieldOfView = 0.7854f;
constexpr float kScenePickLength = 1.0e6f;  // well past the far plane: the ray as a segment
constexpr uint32_t kSceneWhite = 0xFFFFFFFFu;
constexpr int32_t kSceneCursorBlendMode = 9;
constexpr int32_t kSceneCursorSize = 32;
constexpr int32_t kSceneArgbFormat = 21;  // 32-bit ARGB

// An object name as part of a function name: everything but letters and digits becomes '_'.
String SceneEventName(const char* prefix, const char* objectName)
{
    String name(prefix);
    for (const char* c = objectName ? objectName : ""; *c; c++) {
        const bool plain = (*c >= 'A' && *c <= 'Z') || (*c >= 'a' && *c <= 'z') || (*c >= '0' && *c <= '9');
        name += plain ? *c : '_';
    }
    return name;
}

}  // namespace

bool DXC_InteractiveScene::Update(float dt)
{
    m_SceneTime += dt;
    if (!m_Initialized)
        return m_Exit != 0;  // nothing was loaded: the owner's exit request is all there is

    if (!m_ExternalCursor) {
        m_CursorPos[0] += m_Mouse->x - m_LastMouse[0];
        m_CursorPos[1] += m_Mouse->y - m_LastMouse[1];
        m_LastMouse[0] = m_Mouse->x;
        m_LastMouse[1] = m_Mouse->y;
    }
    RunDueCalls();

    m_Gfx->GetViewportRect(m_Viewport);
    m_CursorInside = 1;
    const float width = float(m_Viewport[2] - m_Viewport[0]);
    const float height = float(m_Viewport[3] - m_Viewport[1]);
    const float clampedX = std::clamp(m_CursorPos[0], 0.0f, std::max(width, 0.0f));
    const float clampedY = std::clamp(m_CursorPos[1], 0.0f, std::max(height, 0.0f));
    if (clampedX != m_CursorPos[0] || clampedY != m_CursorPos[1])
        m_CursorInside = 0;
    m_CursorPos[0] = clampedX;
    m_CursorPos[1] = clampedY;

    // Depth order: a scene object's parent is placed before it. Its own time first, as it
    // carries the object it controls.
    for (int32_t i = 0; i < m_Objects.GetSize(); i++) {
        DXC_IntSceHelper& helper = *m_Objects.GetAt(i);
        helper.objectTiming.Advance(dt);
        helper.ownTiming.Advance(dt);
        helper.SetAniTime(helper.ownTiming.time, 1, 0);
        if (helper.object)
            helper.object->SetAniTime(helper.objectTiming.time, 1, 0);
    }

    if (m_CursorEnabled) {
        for (int32_t button = 0; button < 2; button++) {
            if (m_Mouse->WasButtonPressed(button) && m_CursorInside)
                HandlePush(button);
            else if (m_Mouse->WasButtonReleased(button))
                HandleRelease(button);
            if (!m_Mouse->IsButtonDown(button))
                m_PressedObject[button] = -1;
        }
    }
    AgeLogMessages(dt);
    return m_Exit != 0;
}

void DXC_InteractiveScene::SetupCamera()
{
    m_Gfx->GetViewportRect(m_Viewport);
    const int32_t width = m_Viewport[2] - m_Viewport[0];
    const int32_t height = m_Viewport[3] - m_Viewport[1];
    const float aspect = height > 0 ? float(width) / float(height) : 1.0f;
    m_Gfx->SetPerspective(kSceneNearPlane, kSceneFarPlane, kSceneFieldOfView, aspect);
    if (m_Scene.GetCameraCount() > 0) {
        m_Gfx->SetCameraFromObject(*m_Scene.cameras.GetAt(0), &m_Scene.worldMatrix);
        return;
    }
    const D3DXVECTOR3 eye(m_SceneCentre.x, m_SceneCentre.y - 2.8f * m_SceneSize, m_SceneCentre.z);
    m_Gfx->SetCameraLookAt(eye, eye + D3DXVECTOR3(0.0f, 1.0f, 0.0f), D3DXVECTOR3(0.0f, 0.0f, 1.0f));
}

DXC_IntSceHelper* DXC_InteractiveScene::Pick(float x, float y, D3DXVECTOR3& hit)
{
    SetupCamera();
    if (m_Mirror)
        m_Gfx->MirrorProjection();
    D3DXVECTOR3 origin, direction;
    m_Gfx->GetCameraPos(origin);
    m_Gfx->GetPickRayDir(direction, x + float(m_Viewport[0]), y + float(m_Viewport[1]));
    if (m_Mirror)
        m_Gfx->MirrorProjection();  // twice mirrored is the projection it was
    D3DXMATRIX toScene;
    if (!D3DXMatrixInverse(&toScene, nullptr, &m_Scene.worldMatrix))
        return nullptr;
    D3DXVec3TransformCoord(&origin, &origin, &toScene);
    D3DXVec3TransformNormal(&direction, &direction, &toScene);
    if (D3DXVec3Length(&direction) == 0.0f)
        return nullptr;  // no ray passes through the screen
    D3DXVec3Normalize(&direction, &direction);
    const D3DXVECTOR3 end = origin + direction * kScenePickLength;

    DXC_Mesh* nearest = nullptr;
    float nearestDistance = 0.0f;
    for (int32_t i = 0; i < m_Objects.GetSize(); i++) {
        DXC_IntSceHelper& helper = *m_Objects.GetAt(i);
        if (!helper.active || !helper.ControlsMesh())
            continue;
        DXC_Mesh& mesh = static_cast<DXC_Mesh&>(*helper.object);
        // The segment into the mesh's own space, where its vertices are; fractions keep.
        const D3DXMATRIX placed = mesh.offsetMatrix * mesh.worldMatrix;
        D3DXMATRIX toMesh;
        if (!D3DXMatrixInverse(&toMesh, nullptr, &placed))
            continue;
        D3DXVECTOR3 a, b;
        D3DXVec3TransformCoord(&a, &origin, &toMesh);
        D3DXVec3TransformCoord(&b, &end, &toMesh);
        const float t = mesh.IntersectTriangles(a, b, false);
        if (t < 0.0f)
            continue;
        const float distance = t * kScenePickLength;
        if (!nearest || distance < nearestDistance) {
            nearest = &mesh;
            nearestDistance = distance;
        }
    }
    if (!nearest)
        return nullptr;
    hit = origin + direction * nearestDistance;
    DXC_IntSceHelper* found = FindObject(nearest->GetObjectName());
    if (!found)
        Error("Scene object with name '%s' not found", nearest->GetObjectName());
    return found;
}

void DXC_InteractiveScene::HandlePush(int32_t button)
{
    D3DXVECTOR3 hit;
    if (DXC_IntSceHelper* object = Pick(m_CursorPos[0], m_CursorPos[1], hit)) {
        m_PressedObject[button] = object->id;
        CallObjectEvent("MousePush_", *object, button, hit);
    } else {
        m_PressedObject[button] = -1;
        CallPlainEvent("MousePushBgrd", button);
    }
    CallPlainEvent("MousePush", button);
}

void DXC_InteractiveScene::HandleRelease(int32_t button)
{
    D3DXVECTOR3 hit;
    if (DXC_IntSceHelper* object = Pick(m_CursorPos[0], m_CursorPos[1], hit)) {
        const bool click = m_PressedObject[button] == object->id;
        CallObjectEvent("MouseRelease_", *object, button, hit);
        if (click)
            CallObjectEvent("MouseClick_", *object, button, hit);
    } else {
        const bool click = m_PressedObject[button] == -1;
        CallPlainEvent("MouseReleaseBgrd", button);
        if (click)
            CallPlainEvent("MouseClickBgrd", button);
    }
    m_PressedObject[button] = -1;
    CallPlainEvent("MouseRelease", button);
}

void DXC_InteractiveScene::CallPlainEvent(const char* name, int32_t button)
{
    ScriptValue argument;
    argument.SetInt(button);
    MakeCurrent();
    m_Script.CallFunction(name, &argument, 1, nullptr);
}

void DXC_InteractiveScene::CallObjectEvent(const char* prefix, DXC_IntSceHelper& object, int32_t button,
                                           const D3DXVECTOR3& hit)
{
    const String name = SceneEventName(prefix, object.GetObjectName());
    ScriptValue arguments[5];
    arguments[0].SetInt(object.id);
    arguments[1].SetInt(button);
    MakeCurrent();
    if (m_Script.CallFunction(name.c_str(), arguments, 2, nullptr))
        return;
    D3DXMATRIX toObject;
    D3DXVECTOR3 local = hit;
    if (D3DXMatrixInverse(&toObject, nullptr, &object.worldMatrix))
        D3DXVec3TransformCoord(&local, &hit, &toObject);
    arguments[2].SetFloat(local.x);
    arguments[3].SetFloat(local.y);
    arguments[4].SetFloat(local.z);
    MakeCurrent();
    m_Script.CallFunction(name.c_str(), arguments, 5, nullptr);
}

void DXC_InteractiveScene::Draw()
{
    if (!m_Initialized || m_FileName.IsEmpty())
        return;
    SetupCamera();
    m_Gfx->RenderScene(&m_Scene, 0, 0, false);
    if (m_CursorInside && m_DragObject && m_DragObject->ControlsMesh())
        DrawDragObject();
    if (!m_ExternalCursor && m_CursorEnabled && m_CursorTexture.IsValid()) {
        m_Gfx->SetMaterialStages(&m_CursorTexture, -1);
        m_Gfx->SetBlendMode(kSceneCursorBlendMode, 0, 0);
        m_Gfx->DrawTexture(float(m_Viewport[0]) + m_CursorPos[0], float(m_Viewport[1]) + m_CursorPos[1], kSceneWhite,
                           0.0f, 1.0f);
    }
    DrawLogMessages();
}

// The dragged mesh once more at the cursor, at its distance from the camera; its own placement
// is kept for the scene's next frame.
void DXC_InteractiveScene::DrawDragObject()
{
    DXC_Mesh& mesh = static_cast<DXC_Mesh&>(*m_DragObject->object);
    D3DXVECTOR3 camera, direction;
    m_Gfx->GetCameraPos(camera);
    m_Gfx->GetPickRayDir(direction, float(m_Viewport[0]) + m_CursorPos[0], float(m_Viewport[1]) + m_CursorPos[1]);
    if (D3DXVec3Length(&direction) == 0.0f)
        return;
    D3DXVec3Normalize(&direction, &direction);
    const D3DXVECTOR3 at = camera + direction * m_DragDistance;
    D3DXMATRIX placed;
    D3DXMatrixScaling(&placed, m_DragScale, m_DragScale, m_DragScale);
    placed.m[3][0] = at.x;
    placed.m[3][1] = at.y;
    placed.m[3][2] = at.z;
    const D3DXMATRIX saved = mesh.worldMatrix;
    mesh.worldMatrix = placed;
    if (m_Mirror)
        m_Gfx->MirrorProjection();
    m_Gfx->DrawMesh(&mesh, &m_Scene.worldMatrix, nullptr, 0, false, 3, false);
    if (m_Mirror)
        m_Gfx->MirrorProjection();
    mesh.worldMatrix = saved;
}

// Type 1: a two-pixel white cross on transparent black, its hot spot in the middle.
void DXC_InteractiveScene::CreateCursor(int32_t type)
{
    if (type != 1)
        Error("Invalid cursor type: %i", type);
    m_Gfx->CreateTexture(&m_CursorTexture, kSceneCursorSize, kSceneCursorSize, 4, kSceneArgbFormat, 1);
    D3DLOCKED_RECT locked{};
    if (!m_CursorTexture.Lock(locked, 0))
        return;
    auto* bits = static_cast<unsigned char*>(locked.pBits);
    for (int32_t y = 0; y < kSceneCursorSize; y++) {
        auto* row = reinterpret_cast<uint32_t*>(bits + y * locked.Pitch);
        for (int32_t x = 0; x < kSceneCursorSize; x++)
            row[x] = (x == 15 || x == 16 || y == 15 || y == 16) ? kSceneWhite : 0u;
    }
    m_CursorTexture.Unlock();
    m_CursorTexture.SetCenter(16.0f, 16.0f);
}
