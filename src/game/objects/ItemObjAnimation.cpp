// ItemObj: the animation clock between the closed and the open time, the open state, the
// rotation kind and the per-frame door step that turns the item with its animation.
#include "game/objects/ItemObj.h"

#include "base/Math.h"
#include "engine/scene/DXC_3dScene.h"
#include "world/GameCtrlInterface.h"

#include <algorithm>

float ItemObj::GetAniTime() const
{
    const double raw = (GameCtrlInterface::GameTime() - m_StartValue) * double(m_AniSpeed) + double(m_ClosedTime) +
                       m_AniOffset;
    const float t = float(raw);
    const float length = m_OpenTime - m_ClosedTime;
    if (m_LoopAni && length > 0.0f)
        return m_ClosedTime + Math::WrapFloat(t - m_ClosedTime, length);
    return std::clamp(t, m_ClosedTime, std::max(m_ClosedTime, m_OpenTime));
}

void ItemObj::SetAniTime(float t)
{
    SetClockOffset(t);
    m_CurrentAniTime = GetAniTime();
}

void ItemObj::SetClockOffset(float t)
{
    const double raw = (GameCtrlInterface::GameTime() - m_StartValue) * double(m_AniSpeed) + double(m_ClosedTime);
    m_AniOffset = double(t) - raw;
}

void ItemObj::SetAniSpeed(float speed)
{
    const float t = GetAniTime();
    m_AniSpeed = speed;
    SetAniTime(t);
}

void ItemObj::SetAniLoop(bool loop)
{
    const float t = GetAniTime();
    m_LoopAni = loop ? 1 : 0;
    SetAniTime(t);
}

void ItemObj::SetAnimationRange(float a, float b, float start)
{
    m_ClosedTime = std::min(a, b);
    m_OpenTime = std::max(a, b);
    if (m_AniSpeed < 0.0f)
        m_AniSpeed = -m_AniSpeed;
    SetAniTime(start);
}

void ItemObj::SetRotationKind(int16_t kind)
{
    // Between the two turning kinds the stored time changes sign, so that the unturned angle
    // the door step works out stays the same.
    if (m_RotationKind >= 1 && kind >= 1 && kind != m_RotationKind)
        m_CurrentAniTime = -m_CurrentAniTime;
    m_RotationKind = kind;
}

float ItemObj::TurnAt(float t) const
{
    const float range = m_OpenTime - m_ClosedTime;
    if (!(range > 0.0f))
        return 0.0f;
    if (m_RotationKind == kTurnClockwise)
        return -t / range * kQuarterTurn;
    if (m_RotationKind == kTurnCounterClockwise)
        return t / range * kQuarterTurn;
    return 0.0f;
}

bool ItemObj::SetOpenState(int32_t state, bool jump)
{
    const int16_t wanted = int16_t(((state % 2) + 2) % 2);
    const bool changed = wanted != m_OpenState;
    if (changed) {
        SetAniSpeed(-m_AniSpeed);  // the animation runs the other way from where it stands
        m_OpenState = wanted;
    }
    if (jump) {
        const float target = wanted == 1 ? m_OpenTime : m_ClosedTime;
        if (m_OpenTime - m_ClosedTime > 0.0f) {
            // The turn still missing between the pose of the stored time and that of the target,
            // so that the door step goes on from the right unturned angle: a quarter turn from
            // closed to open, none when the item is there already, back when it closes.
            SetAngle(GetOwnAngle() + TurnAt(target) - TurnAt(m_CurrentAniTime));
        } else if (wanted == 1 && m_RotationKind == kTurnClockwise) {
            SetAngle(GetOwnAngle() - kQuarterTurn);
        } else if (wanted == 1 && m_RotationKind == kTurnCounterClockwise) {
            SetAngle(GetOwnAngle() + kQuarterTurn);
        }
        SetAniTime(target);
    }
    return changed;
}

bool ItemObj::SwitchOpenState(int32_t state, bool jump)
{
    const bool changed = SetOpenState(state, jump);
    const String& sound = m_Sounds[kUseSound];
    if (changed && !sound.IsEmpty() && g_GameCtrl)
        g_GameCtrl->PlayWorldSound(sound.c_str());
    return changed;
}

void ItemObj::UpdateDoor()
{
    float t = m_CurrentAniTime;
    if (m_OpenTime - m_ClosedTime > 0.0f) {
        const float unturned = GetOwnAngle() - TurnAt(m_CurrentAniTime);
        t = GetAniTime();
        if (m_RotationKind == kTurnClockwise || m_RotationKind == kTurnCounterClockwise)
            SetAngle(unturned + TurnAt(t));
        m_CurrentAniTime = t;
    }
    if (!m_Scene || m_BoneChildren.GetSize() == 0)
        return;
    m_Scene->SetAniTime(double(t), 1, 0);
    SetTransformation(GetGroundHeight(), false);
    UpdateBoneChildren();
    SetTransformationCleanUp();
}
