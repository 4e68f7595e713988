// WorldCtrl: the per-frame update in its fixed order (visibility, the interactive scene, the
// elements of the active blocks, held objects, lights near the view, the countdown, the level's
// call script, the world fade), the presentation step after it (music, messages, sounds), the
// drawing that the server does not do, and the fades of the world and of single elements.
#include "world/WorldCtrl.h"

#include "world/GameCtrlInterface.h"
#include "world/WorldElem.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr float kCompleteFade = 9e9f;  // a frame time that completes every visibility fade at once

}  // namespace

void WorldCtrl::Process(float dt)
{
    GameCtrlInterface& ctrl = GetCtrl();
    m_LastFrameTime = dt;

    // 2. Visibility.
    const int32_t mode = ctrl.GetViewMode();
    if (m_VisibilityRequest) {
        AdjustVisibility();
    } else if (mode == 0 || mode == 2) {
        FadeVisibility(dt);
    } else if (mode == 1) {
        FadeVisibility(kCompleteFade);
    }
    m_VisibilityRequest = 0;

    // 3. The interactive scene, then the camera's effects.
    if (mode == 2) {
        m_InteractiveRunning = 1;
        const bool ended = m_InteractiveScene.Update(dt);
        m_InteractiveRunning = 0;
        if (ended)
            ctrl.ChangeViewMode(0, 0, 1, 1.0f, 1.25f);
    }

    // 4.
    const double now = ctrl.GetGameTime();

    // 5. The elements of the active blocks (every block unless the controller steps only those),
    // row by row. They are taken first, so that one that moves to a later block during its step
    // is not stepped twice, and one deleted meanwhile (its reference gone null) is passed over.
    const bool activeOnly = ctrl.ProcessActiveBlocksOnly();
    std::vector<SmartPtr<WorldElem>> due;
    for (int32_t row = 0; row < m_BlockRows; row++) {
        for (int32_t column = 0; column < m_BlockColumns; column++) {
            if (activeOnly && !IsBlockActive(column, row))
                continue;
            WorldBlock* block = GetBlock(column, row);
            for (int32_t i = 0; i < block->objects.GetSize(); i++)
                due.emplace_back(static_cast<WorldElem*>(block->objects.GetAt(i)));
        }
    }
    for (SmartPtr<WorldElem>& ref : due) {
        WorldElem* elem = ref.Get();
        if (!elem || elem->IsUpdateSkipped())
            continue;
        if (elem->m_TypeCode == ElemType::kProjectile && elem->m_StartValue < 0.0) {
            elem->m_StartValue = 0.0;  // a new shot is stepped from the next frame on
            continue;
        }
        elem->Update(dt);
        if (!ref.Get())
            continue;
        if (elem->m_LifeSpanEnd > 0.0) {
            const double left = elem->m_LifeSpanEnd - now;
            if (left <= 0.0) {
                if (HoldsObj(elem->m_ObjID, elem))
                    DelObj(elem->m_ObjID, 1);
                continue;
            }
            if (left < 1.0 && elem->m_FadeRate == 0.0f)
                FadeOutObject(elem, float(left), true);
        }
        ApplyActForce(*elem, dt);
        if (!ref.Get())
            continue;
        if (elem->m_TypeCode == ElemType::kProjectile) {
            StepProjectile(*elem, dt);
        } else {
            D3DXVECTOR2 reached;
            StepMotion(*elem, reached, dt, 0, nullptr);
        }
        if (ref.Get() && elem->m_RotationSpeed != 0.0f)
            RotateTo(*elem, float(now * elem->m_RotationSpeed) + elem->m_SecondAngle);
    }
    due.clear();
    for (int32_t row = 0; row < m_BlockRows; row++) {
        for (int32_t column = 0; column < m_BlockColumns; column++) {
            if (activeOnly && !IsBlockActive(column, row))
                continue;
            WorldBlock::List& list = GetBlock(column, row)->walls;
            for (int32_t i = 0; i < list.GetSize(); i++)
                static_cast<VSD_WallIntern*>(list.GetAt(i))->UpdateFade(dt);
        }
    }

    // 6. Held objects: in no block, stepped all the same.
    for (int32_t slot = m_HeldObjects.NextUsedSlot(-1); slot >= 0; slot = m_HeldObjects.NextUsedSlot(slot)) {
        SmartPtr<WorldElem>* held = m_HeldObjects.GetBySlot(slot);
        if (held && held->Get())
            held->Get()->Update(dt);
    }

    // 7. Lights near the view, column by column.
    const int32_t reach = ViewReachInBlocks() + 3;
    const int32_t cx = WorldElemGridBase::BlockOf(m_ViewOriginX);
    const int32_t cy = WorldElemGridBase::BlockOf(m_ViewOriginY);
    for (int64_t x = int64_t(cx) - reach; x <= int64_t(cx) + reach; x++) {
        for (int64_t y = int64_t(cy) - reach; y <= int64_t(cy) + reach; y++) {
            WorldBlock* block = GetBlock(int32_t(x), int32_t(y));
            if (!block)
                continue;
            for (int32_t i = 0; i < block->lights.GetSize(); i++) {
                SmartPtr<WorldElem> ref(static_cast<WorldElem*>(block->lights.GetAt(i)));
                WorldElem* light = ref.Get();
                if (!light)
                    continue;
                light->Update(dt);
                if (light->m_LifeSpanEnd > 0.0) {
                    const double left = light->m_LifeSpanEnd - now;
                    if (left <= 0.0) {
                        if (GetLight(light->m_ObjID) == light)
                            DelLight(light->m_ObjID);
                        else
                            LeaveBlock(*light);  // not the level's: its owner lets it go
                        i--;
                        continue;
                    }
                    if (left < 1.0 && light->m_FadeRate == 0.0f)
                        FadeOutObject(light, float(left), true);
                }
                const D3DXVECTOR2 pos = light->GetPos();
                if (std::hypot(pos.x - m_ViewOriginX, pos.y - m_ViewOriginY) <= m_ViewRadius + light->m_Radius)
                    UpdateLightIntensity(*light);
            }
        }
    }

    // 8. The countdown keeps its label for one second after it ran out.
    if (m_CountDownStart > 0.0f) {
        m_CountDownLeft -= dt;
        if (m_CountDownLeft < -1.0f) {
            m_CountDownLeft = -1.0f;
            m_CountDownStart = -1.0f;
            m_CountDownLabel = String();
        }
    }

    // 9. The level's call script, once in a frame that crosses a multiple of its interval.
    if (m_CallInterval > 0.0f && std::trunc(now / m_CallInterval) < std::trunc((now + dt) / m_CallInterval))
        RunScript(m_CallScript, nullptr, 1, 1, "level.cfg:CallScript", 1, 255);

    // 10. The world fade.
    m_FadeLevel = std::clamp(m_FadeLevel + m_FadeRate * dt, 0.0f, 1.0f);
}

// The scene's sounds and the drawn effects are the client's; the music, the messages and the
// world's sounds step with the last frame time.
void WorldCtrl::UpdatePresentation()
{
    UpdateMusic(m_LastFrameTime);
    UpdateTextMessages(m_LastFrameTime);
    UpdateLogMessages(m_LastFrameTime);
    UpdateAmbientSounds(m_LastFrameTime);
    UpdateSounds();
}

void WorldCtrl::Render(int32_t flag) { (void)flag; }

void WorldCtrl::FadeOutWorld(int32_t direction, float duration)
{
    if (direction == 0) {
        if (duration == 0.0f) {
            m_FadeRate = 0.0f;
            m_FadeLevel = 1.0f;
        } else {
            m_FadeRate = 1.0f / duration;
        }
    } else if (duration == 0.0f) {
        m_FadeRate = 0.0f;
        m_FadeLevel = 0.0f;
    } else {
        m_FadeRate = -1.0f / duration;
    }
}

void WorldCtrl::FadeInObject(WorldElemGridBase* elem, float duration, bool restart)
{
    if (!elem)
        return;
    if (restart)
        elem->m_Opacity = 0.0f;
    elem->FadeIn(duration);
    WorldElemBase* base = dynamic_cast<WorldElemBase*>(elem);
    if (!base || !WorldElem::IsValidType(elem->m_TypeCode))
        return;
    base->ForEachChild([&](WorldElemGridBase& child) {
        if (!WorldElem::IsValidType(child.m_TypeCode))
            return;
        if (restart)
            elem->m_Opacity = 0.0f;
        if (child.m_TypeCode == ElemType::kLight)
            child.m_Opacity = 0.0f;
        child.FadeIn(duration);
    });
}

void WorldCtrl::FadeOutObject(WorldElemGridBase* elem, float duration, bool remove)
{
    if (!elem)
        return;
    elem->FadeOut(duration);
    if (remove)
        elem->SetLifeSpanEnd(duration);
    WorldElemBase* base = dynamic_cast<WorldElemBase*>(elem);
    if (!base || !WorldElem::IsValidType(elem->m_TypeCode))
        return;
    base->ForEachChild([&](WorldElemGridBase& child) {
        WorldElem* attached = dynamic_cast<WorldElem*>(&child);
        if (!WorldElem::IsValidType(child.m_TypeCode) ||
            (attached && attached->IsCreatureOrItem() && !attached->FadesWithParent()))
            return;
        child.FadeOut(duration);
        if (remove)
            child.SetLifeSpanEnd(duration);
    });
}
