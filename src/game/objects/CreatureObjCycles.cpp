// CreatureObj: the two cycle players: setting cycles by type, preparing and measuring cycles of
// the set, rebinding after loading, the per-frame advance with its height motion, the root
// motion that moves and turns the creature, and the pose.
#include "game/objects/CreatureObj.h"

#include "engine/scene/DXC_3dScene.h"
#include "game/objects/AniCycleSet.h"
#include "level/Angle.h"
#include "world/GameCtrlInterface.h"
#include "world/WorldCtrl.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t kKnockDownCycle = 153;
constexpr int32_t kHitBlockCycle = 154;
constexpr int32_t kHitCycle = 130;
constexpr float kNoCycleLength = 1.5f;
constexpr float kPassEnd = 0.999f;  // the end of a pass is read just before the cycle wraps

bool IsSetNumber(int32_t number) { return number >= 0 && number < AniCycleSet::kCycles; }

// The turn of a dummy about the vertical axis, as the measure of a pass reads it.
float PassAngleOf(const DXC_3dObject& dummy)
{
    const D3DXQUATERNION q = dummy.GetWorldRotation();
    return -2.0f * std::atan2(q.z, q.w);
}

}  // namespace

bool CreatureObj::IsWalkingCycle(int32_t number)
{
    switch (number) {
    case 128: case 131: case 132: case 133: case 137: case 138: case 139: case 140: case 148:
        return true;
    default:
        return number >= 155 && number <= 163;
    }
}

void CreatureObj::SetCycleOfType(int32_t type, int32_t number, float speed, bool restart, float length, bool reverse)
{
    if (type < 0 || type >= kCycleTypes)
        Error("Invalid CycleType");
    AC_FadeProperties& player = m_CyclePlayers[type];
    if (number == AC_FadeProperties::kNoCycle) {
        player.Clear();
        return;
    }
    if (!m_AniCycleSet || !IsSetNumber(number))
        return;  // no animation, or nothing of the set to play
    PrepareCycle(number);
    const bool phaseGoesOn =
        type == 0 && IsMainCharacter() && IsWalkingCycle(number) && IsWalkingCycle(player.cycleNumber);
    player.SetCycle(&m_AniCycleSet->GetCycle(number), number, restart, !phaseGoesOn);
    player.SetSpeed(speed);
    if (length > 0.0f)
        player.SetLength(length);
    player.reverse = reverse ? 1 : 0;
}

void CreatureObj::SetCycleLength(float len, int32_t type)
{
    if (type < 0 || type >= kCycleTypes) {
        Warning("Invalid CycleType");  // a script's request: reported and dropped
        return;
    }
    m_CyclePlayers[type].SetLength(len);
}

AniCycle* CreatureObj::GetCycleForNumber(int32_t number)
{
    if (!m_AniCycleSet || !IsSetNumber(number))
        return nullptr;
    AniCycleSet& set = *m_AniCycleSet;
    auto own = [&](int32_t n) { return &set.GetCycle(n); };
    auto ownWithData = [&](int32_t n) { return set.GetCycle(n).HasData() ? &set.GetCycle(n) : nullptr; };
    if (number <= 127 || number == 155 || (number >= 192 && number <= 255))
        return own(number);
    if ((number >= 128 && number <= 130) || (number >= 135 && number <= 147) || (number >= 149 && number <= 153) ||
        number == 166 || number >= 448)
        return own(number);
    switch (number) {
    case 131:
    case 132:
    case 133:
    case 134:
        if (AniCycle* cycle = ownWithData(number))
            return cycle;
        return own(128);
    case 165:
        if (AniCycle* cycle = ownWithData(165))
            return cycle;
        if (AniCycle* cycle = ownWithData(134))
            return cycle;
        return own(128);
    default:
        return nullptr;  // run, hit block, diagonals, slow walk, alternative attacks
    }
}

float CreatureObj::BlendCycleValue(float angle)
{
    const float a = m_CyclePlayers[0].GetSpeedFactor(angle);
    const float b = m_CyclePlayers[1].GetSpeedFactor(angle);
    const float w0 = m_CyclePlayers[0].weight;
    const float w1 = m_CyclePlayers[1].weight;
    if (w0 + w1 == 0.0f)
        return 1.0f;
    const float mix = w1 / (w0 + w1);
    return b * mix + a * (1.0f - mix);
}

void CreatureObj::PrepareCycle(int32_t number)
{
    if (!m_AniCycleSet || !IsSetNumber(number))
        return;
    AniCycle& cycle = m_AniCycleSet->GetCycle(number);
    if (cycle.HasData() || !cycle.Load())
        return;
    if (m_Scene)
        m_Scene->BindAniCycle(cycle, 0);
    MeasureBaseDummy(number);
}

void CreatureObj::MeasureBaseDummy(int32_t number)
{
    if (!m_AniCycleSet || !IsSetNumber(number))
        return;
    AniCycleSet& set = *m_AniCycleSet;
    AniCycle& cycle = set.GetCycle(number);
    AniCyclePlayData& play = set.GetPlayData(number);
    play.baseDummy = -1;
    for (int32_t i = 0; i < cycle.objectTrackCount; i++) {
        if (cycle.objectTracks[i].objectName.EqualsNoCase("BaseDummy")) {
            play.baseDummy = i;
            break;
        }
    }
    const float scale = set.m_ScaleFactor;
    cycle.ScaleAll(scale, scale, scale, 0);
    play.passDx *= scale;
    play.passDy *= scale;
    cycle.SetAniTime(0.0);
    if (play.baseDummy < 0)
        return;
    const DXC_3dObject& dummy = cycle.objectTracks[play.baseDummy];
    cycle.SetAniTime(kPassEnd * cycle.GetAniDuration());
    const D3DXVECTOR3 end = dummy.GetMatrixPosition();
    const float endAngle = PassAngleOf(dummy);
    cycle.SetAniTime(0.0);
    const D3DXVECTOR3 start = dummy.GetMatrixPosition();
    const float startAngle = PassAngleOf(dummy);
    play.passDx = end.x - start.x;
    play.passDy = end.y - start.y;
    play.passRotation = Angle::Diff(startAngle, endAngle);
}

void CreatureObj::PrepareAllCycles()
{
    for (uint16_t word : m_CycleWords) {
        const int16_t value = int16_t(word);
        if (value >= 0)
            PrepareCycle(value);
    }
}

void CreatureObj::RebindAfterLoad()
{
    if (!m_AniCycleSet)
        return;
    for (AC_FadeProperties& player : m_CyclePlayers) {
        const int32_t number = player.cycleNumber;
        if (number <= 0 || !IsSetNumber(number))
            continue;  // players at 0 or below stay unbound
        AniCycle& cycle = m_AniCycleSet->GetCycle(number);
        if (!cycle.HasData() && cycle.Load()) {
            if (m_Scene)
                m_Scene->BindAniCycle(cycle, 0);
            MeasureBaseDummy(number);
        }
        player.RebindCycle(GetCycleForNumber(number));
    }
}

void CreatureObj::ApplyPoseToScene()
{
    if (m_Scene)
        m_Scene->BlendAniCycles(m_PoseCycle, nullptr, 0.0f);
}

float CreatureObj::KnockDownLength()
{
    if (!m_AniCycleSet || !m_AniCycleSet->GetCycle(kKnockDownCycle).HasData())
        return kNoCycleLength;
    return float(m_AniCycleSet->GetCycle(kKnockDownCycle).GetAniDuration());
}

float CreatureObj::HitBlockLength()
{
    if (!m_AniCycleSet)
        return kNoCycleLength;
    for (int32_t number : {kHitBlockCycle, kHitCycle})
        if (m_AniCycleSet->GetCycle(number).HasData())
            return float(m_AniCycleSet->GetCycle(number).GetAniDuration());
    return kNoCycleLength;
}

void CreatureObj::AdvanceCycles(float dt, bool pose)
{
    AC_FadeProperties& base = m_CyclePlayers[0];
    AC_FadeProperties& second = m_CyclePlayers[1];
    if (base.cycleNumber == AC_FadeProperties::kNoCycle)
        base.bound.fadeInTime = second.bound.fadeInTime;
    else if (second.cycleNumber == AC_FadeProperties::kNoCycle)
        second.bound.fadeInTime = base.bound.fadeInTime;

    float h = 0.0f;
    for (AC_FadeProperties& player : m_CyclePlayers) {
        if (player.weight > 0.0f) {
            h += player.GetRootDistance(dt, m_Cycle.heightTrack) * player.weight;
            player.Advance(dt, pose);
        } else {
            player.Advance(dt, false);
        }
    }
    if (m_AniCycleSet) {
        const float height = GetOwnHeight();
        if (h > 0.0f && height < m_AniCycleSet->m_HeightMax)
            SetHeight(std::min(height + h, m_AniCycleSet->m_HeightMax));
        else if (h < 0.0f && height > m_AniCycleSet->m_HeightMin)
            SetHeight(std::max(height + h, m_AniCycleSet->m_HeightMin));
    }
    m_Cycle.poseDirty = 1;
}

void CreatureObj::BlendPoseCycle(float mix)
{
    // A player that never played a cycle has no pose to give: the other poses alone.
    const DXC_AniCycle& live0 = m_CyclePlayers[0].liveCycle;
    const DXC_AniCycle& live1 = m_CyclePlayers[1].liveCycle;
    auto sameNodes = [](const DXC_AniCycle& a, const DXC_AniCycle& b) {
        return a.objectMapCount == b.objectMapCount && a.meshMapCount == b.meshMapCount;
    };
    const DXC_AniCycle* first = live0.HasData() ? &live0 : (live1.HasData() ? &live1 : nullptr);
    if (!first)
        return;
    const DXC_AniCycle* second = first == &live0 && live1.HasData() && sameNodes(live0, live1) ? &live1 : nullptr;
    if (!sameNodes(m_PoseCycle, *first) || !m_PoseCycle.HasData())
        first->Clone(m_PoseCycle, 0);
    m_PoseCycle.Blend(*first, second, second ? mix : 0.0f, nullptr, -1, 0.0f, 1.0f);
}

void CreatureObj::ApplyCycleMotion(float dt)
{
    CreatureCycleValues& c = m_Cycle;
    const AC_FadeProperties& p0 = m_CyclePlayers[0];
    const AC_FadeProperties& p1 = m_CyclePlayers[1];
    if (c.poseDirty) {
        c.poseDirty = 0;
        const float w0 = p0.weight;
        const float w1 = p1.weight;
        if (m_Frozen) {
            c.rootDx = c.rootDy = c.rootRotationDelta = c.rootRotation = 0.0f;
        } else {
            const D3DXVECTOR3 scale = GetScale();
            const float dx = (w0 * p0.rootDelta[0] + w1 * p1.rootDelta[0]) * scale.x;
            const float dy = -(w0 * p0.rootDelta[1] + w1 * p1.rootDelta[1]) * scale.y;
            const float angle = GetAngle();
            const float cs = std::cos(angle);
            const float sn = std::sin(angle);
            c.rootDx = dx * cs - dy * sn;
            c.rootDy = dx * sn + dy * cs;
            c.rootRotationDelta = w0 * p0.rotationDelta + w1 * p1.rotationDelta;
            c.rootRotation = w0 * p0.rotation + w1 * p1.rotation;
        }
        if (w0 + w1 != 0.0f)
            BlendPoseCycle(w1 / (w0 + w1));
    }
    WorldCtrl* world = m_World;
    if (c.rootDx != 0.0f || c.rootDy != 0.0f) {
        if (world)
            world->MoveBy(*this, c.rootDx, c.rootDy, dt, 1, nullptr, nullptr, false);
        c.rootDx = c.rootDy = 0.0f;
    }
    if (c.rootRotationDelta != 0.0f) {
        if (world)
            world->RotateBy(*this, c.rootRotationDelta);
        else
            SetAngle(GetOwnAngle() + c.rootRotationDelta);
        c.rootRotationDelta = 0.0f;
    }
}
