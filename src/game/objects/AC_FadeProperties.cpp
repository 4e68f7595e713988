// AC_FadeProperties: changing and binding cycles, the per-frame advance with its fade, events
// and root motion, the packed state and the save record.
#include "game/objects/AC_FadeProperties.h"

#include "base/File.h"
#include "base/FileRecordReader.h"
#include "base/Math.h"
#include "game/objects/AniCycleSet.h"
#include "game/objects/PackedFloat16.h"
#include "level/Angle.h"
#include "world/GameCtrlInterface.h"

#include <cmath>

namespace {

constexpr uint16_t kOldAttackNumbering = 224;  // attacks moved from 64 to 192
constexpr int32_t kOldAttackShift = 64;
constexpr uint16_t kRotationAtChangeVersion = 243;
constexpr float kNoCycleFadeTime = 0.1f;  // times the interpolation time factor

// The angle of a dummy's turn about the vertical axis.
float TurnAngleOf(const D3DXQUATERNION& q) { return 2.0f * std::atan2(q.z, q.w); }

}  // namespace

AC_FadeProperties::AC_FadeProperties()
{
    CopyName32(this, "Undefined");
    CopyName32(this, "AC_FadeProperties");
}

AC_FadeProperties::AC_FadeProperties(const AC_FadeProperties& other) : ErrorClass(other) { CopyFrom(other); }

AC_FadeProperties& AC_FadeProperties::operator=(const AC_FadeProperties& other)
{
    CopyFrom(other);
    return *this;
}

void AC_FadeProperties::CopyFrom(const AC_FadeProperties& other)
{
    if (&other == this)
        return;
    sentCycleWord = other.sentCycleWord;
    sentSpeedWord = other.sentSpeedWord;
    cycleNumber = other.cycleNumber;
    other.fadeSource.Clone(fadeSource, 1);
    other.liveCycle.Clone(liveCycle, 1);
    pNextCycle = other.pNextCycle;
    time = other.time;
    fade = other.fade;
    weight = other.weight;
    weightAtChange = other.weightAtChange;
    reverse = other.reverse;
    interpolationTimeFactor = other.interpolationTimeFactor;
    length = other.length;
    speed = other.speed;
    for (int32_t i = 0; i < 2; i++) {
        rootDelta[i] = other.rootDelta[i];
        rootPos[i] = other.rootPos[i];
        rootPosAtChange[i] = other.rootPosAtChange[i];
    }
    rotationDelta = other.rotationDelta;
    rotation = other.rotation;
    rotationAtChange = other.rotationAtChange;
    cycleSet = other.cycleSet;
    bound = other.bound;
    eventFlag = other.eventFlag;
}

void AC_FadeProperties::Init(const AC_BoundCycle& block)
{
    bound = block;
    speed = 1.0f;
    fade = 1.0f;
    time = 0.0f;
    cycleNumber = kNotChosen;
    pNextCycle = const_cast<AniCycle*>(block.cycle);  // the set's cycle, bound to play
    reverse = 0;
    Snapshot();
}

double AC_FadeProperties::Duration() const { return pNextCycle ? pNextCycle->GetAniDuration() : 0.0; }

void AC_FadeProperties::MatchPoseCycles(const DXC_AniCycle& cycle)
{
    if (liveCycle.objectMapCount == cycle.objectMapCount && liveCycle.meshMapCount == cycle.meshMapCount &&
        fadeSource.objectMapCount == cycle.objectMapCount && fadeSource.meshMapCount == cycle.meshMapCount)
        return;
    cycle.Clone(liveCycle, 0);  // the first cycle of a scene gives the pose cycles their nodes
    cycle.Clone(fadeSource, 0);
}

void AC_FadeProperties::Snapshot()
{
    fadeSource << liveCycle;
    weightAtChange = weight;
    rotationAtChange = rotation;
    rootPosAtChange[0] = rootPos[0];
    rootPosAtChange[1] = rootPos[1];
}

void AC_FadeProperties::SetCycle(AniCycle* cycle, int32_t number, bool restart, bool resetTime)
{
    reverse = 0;
    if (cycle && !cycle->HasData() && !(g_GameCtrl && g_GameCtrl->IsNetworkClient()))
        Error("Invalid anicycle in SetCycle()");
    if (!restart && number == cycleNumber && (pNextCycle || number == kNoCycle))
        return;
    speed = 1.0f;
    fade = 1.0f;
    cycleNumber = number;
    pNextCycle = cycle;
    if (cycle && !resetTime)
        time = Math::WrapFloat(time, float(cycle->GetAniDuration()));  // the phase goes on
    else
        time = 0.0f;
    if (cycle && cycle->HasData())
        MatchPoseCycles(*cycle);
    Snapshot();
    if (cycle && weight <= 0.0f)
        weight = 0.001f;  // never invisible
    BindCycleData();
}

void AC_FadeProperties::Clear()
{
    reverse = 0;
    if (cycleNumber == kNoCycle)
        return;
    speed = 1.0f;
    fade = 1.0f;
    cycleNumber = kNoCycle;
    time = 0.0f;
    pNextCycle = nullptr;
    Snapshot();
    BindCycleData();
}

void AC_FadeProperties::BindCycleData()
{
    if (pNextCycle && cycleNumber != kNoCycle && cycleSet && HasValidNumber()) {
        const AniCyclePlayData& play = cycleSet->GetPlayData(cycleNumber);
        length = float(Duration());
        bound.rootModes[0] = play.moveMode;
        bound.rootModes[1] = play.rotMode;
        bound.passDisplacement[0] = play.passDx;
        bound.passDisplacement[1] = play.passDy;
        bound.passRotation = play.passRotation;
        bound.baseDummyIndex = play.baseDummy;
        bound.cycle = pNextCycle;
        bound.fadeInTime = play.fadeInTime * interpolationTimeFactor;
        return;
    }
    bound.rootModes[0] = -1;
    bound.baseDummyIndex = -1;
    bound.passDisplacement[0] = bound.passDisplacement[1] = 0.0f;
    bound.passRotation = 0.0f;
    bound.cycle = nullptr;
    bound.fadeInTime = kNoCycleFadeTime * interpolationTimeFactor;
}

void AC_FadeProperties::RebindCycle(AniCycle* cycle)
{
    pNextCycle = cycle;
    if (!cycle || !cycle->HasData())
        return;
    cycle->SetAniTime(time);
    MatchPoseCycles(*cycle);
    liveCycle << *cycle;
    fadeSource << liveCycle;
    BindCycleData();
}

float AC_FadeProperties::GetSpeedFactor(float angle) const
{
    if (cycleNumber == kNoCycle || cycleNumber == kNotChosen || !pNextCycle || !cycleSet || !HasValidNumber())
        return 1.0f;
    const AniCyclePlayData& play = cycleSet->GetPlayData(cycleNumber);
    float f = 1.0f;
    if (play.speedByDirection.GetNumKeys() > 0)
        f = float(play.speedByDirection.Evaluate(angle * 180.0f * 0.3183099524062959));
    if (play.speedByPhase.GetNumKeys() > 0) {
        const float duration = float(Duration());
        const float phase = duration > 0.0f ? Math::WrapFloat(time, duration) / duration : 0.0f;
        return f * float(play.speedByPhase.Evaluate(phase));
    }
    return f;
}

void AC_FadeProperties::SetLength(float len)
{
    if (!pNextCycle) {
        Warning("pNextCycle=NULL in SetLength");
        return;
    }
    length = len;
    speed = float(Duration() / len);
}

void AC_FadeProperties::SetSpeed(float s)
{
    if (!pNextCycle) {
        Warning("pNextCycle=NULL in SetSpeed");
        return;
    }
    speed = s;
    length = float(Duration() / s);
}

float AC_FadeProperties::GetLength() const { return float(Duration()); }

uint32_t AC_FadeProperties::GetCycleLoop() const { return pNextCycle ? pNextCycle->loop : 0; }

bool AC_FadeProperties::IsFinished() const
{
    if (!pNextCycle || !pNextCycle->HasData() || pNextCycle->loop)
        return false;
    if (reverse)
        return time <= 0.0f;
    return time >= float(Duration());
}

float AC_FadeProperties::FadeCurve(float x)
{
    if (x < 0.0f)
        return 0.0f;
    if (x > 1.0f)
        return 1.0f;
    return ((1.1f - 0.2f * x) * x + 0.1f) * x;
}

void AC_FadeProperties::ReadBaseDummy(float t, bool poseFirst, float pos[2], float& angle) const
{
    if (poseFirst)
        pNextCycle->SetAniTime(t);
    const DXC_3dObject& dummy = pNextCycle->objectTracks[bound.baseDummyIndex];
    const D3DXVECTOR3 p = dummy.GetMatrixPosition();
    const float offset = cycleSet ? cycleSet->m_BaseRotationOffset : 0.0f;
    pos[0] = p.x;
    pos[1] = p.y;
    angle = -(TurnAngleOf(dummy.GetWorldRotation()) - offset);
    const float duration = float(Duration());
    const float covered = (duration > 0.0f && t < duration) ? t / duration : 1.0f;
    if (bound.rootModes[0] == 0) {  // cyclic: the drift of the pass is taken out
        pos[0] -= bound.passDisplacement[0] * covered;
        pos[1] -= bound.passDisplacement[1] * covered;
    }
    if (bound.rootModes[1] == 0)
        angle -= bound.passRotation * covered;
}

void AC_FadeProperties::Advance(float dt, bool pose)
{
    float step = speed * dt;
    if (reverse)
        step = -step;
    eventFlag = 0;

    if (bound.fadeInTime > 0.0f) {
        fade -= dt / bound.fadeInTime;
        if (fade < 0.0f)
            fade = 0.0f;
    } else {
        fade = 0.0f;
    }
    const float f = FadeCurve(fade);

    if (!pNextCycle) {  // fading out
        weight = weightAtChange * f;
        rootDelta[0] = rootDelta[1] = 0.0f;
        rootPos[0] = rootPosAtChange[0] * f;
        rootPos[1] = rootPosAtChange[1] * f;
        rotation = rotationAtChange * f;
        rotationDelta = 0.0f;
        return;
    }

    const float duration = float(Duration());
    if (pose && fade < 0.5f && HasValidNumber() && cycleSet) {
        for (float e : cycleSet->GetPlayData(cycleNumber).eventTimes) {
            if (Math::IsAngleInSweep(e * duration, step, duration, time)) {
                eventFlag = 1;
                break;
            }
        }
    }

    const bool hasDummy = bound.baseDummyIndex >= 0 && bound.baseDummyIndex < pNextCycle->objectTrackCount;
    float oldPos[2] = {0.0f, 0.0f};
    float oldAngle = 0.0f;
    if (hasDummy)
        ReadBaseDummy(time, true, oldPos, oldAngle);

    const float passesBefore = Math::FloorDivFloat(time, duration);
    time += step;

    if (pose && pNextCycle->HasData()) {
        pNextCycle->SetAniTime(time);
        MatchPoseCycles(*pNextCycle);
        liveCycle.Blend(*pNextCycle, &fadeSource, weightAtChange * f, nullptr, -1, 0.0f, 1.0f);
    }
    weight = weightAtChange * f + (1.0f - f);

    if (hasDummy) {
        float newPos[2];
        float newAngle = 0.0f;
        ReadBaseDummy(time, !pose || !pNextCycle->HasData(), newPos, newAngle);
        for (int32_t i = 0; i < 2; i++) {
            rootPos[i] = (1.0f - f) * newPos[i] + f * rootPosAtChange[i];
            rootDelta[i] = bound.rootModes[0] < 0 ? 0.0f : newPos[i] - oldPos[i];
        }
        if (bound.rootModes[1] >= 0)
            rotation = (1.0f - f) * newAngle + f * rotationAtChange;
        rotationDelta = bound.rootModes[1] < 0 ? 0.0f : Angle::Diff(oldAngle, newAngle);
    }

    if (Math::FloorDivFloat(time, duration) != passesBefore && pNextCycle->loop) {
        const float sign = reverse ? -1.0f : 1.0f;
        if (bound.rootModes[0] == 1) {  // accumulating: each pass carries on from the last
            rootDelta[0] += sign * bound.passDisplacement[0];
            rootDelta[1] += sign * bound.passDisplacement[1];
        }
        if (bound.rootModes[1] == 1)
            rotationDelta += sign * bound.passRotation;
    }
}

float AC_FadeProperties::GetRootDistance(float dt, int32_t track) const
{
    if (!pNextCycle || !cycleSet || !HasValidNumber() || track < 0)
        return 0.0f;
    const auto& curves = cycleSet->GetPlayData(cycleNumber).heightCurves;
    if (size_t(track) >= curves.size() || curves[size_t(track)].GetNumKeys() == 0)
        return 0.0f;
    const BezierSpline<float>& curve = curves[size_t(track)];
    return float(curve.Evaluate(time + speed * dt) - curve.Evaluate(time));
}

uint16_t AC_FadeProperties::PackSpeed(float s) { return PackedFloat16::Pack(s); }

void AC_FadeProperties::PackState(uint16_t& cycleWord, uint16_t& speedWord) const
{
    cycleWord = uint16_t(uint32_t(cycleNumber) & 0xFFFFu);
    if (reverse)
        cycleWord |= kBackwardsBit;
    speedWord = PackSpeed(speed);
}

bool AC_FadeProperties::GetStateChange(uint16_t& cycleWord, uint16_t& speedWord)
{
    if (cycleNumber < kNotChosen || cycleNumber > kLastCycle) {
        Warning("Internal Error: invalid NextCycleID: %i", cycleNumber);
        cycleWord = kInvalidCycleWord;
        speedWord = PackSpeed(1.0f);
        return false;
    }
    PackState(cycleWord, speedWord);
    if (cycleWord == sentCycleWord && speedWord == sentSpeedWord)
        return false;
    sentCycleWord = cycleWord;
    sentSpeedWord = speedWord;
    return true;
}

void AC_FadeProperties::Save(File& file) const
{
    file.WriteInt32(cycleNumber);
    file.WriteFloat(time);
    file.WriteFloat(fade);
    file.WriteFloat(weight);
    file.WriteFloat(weightAtChange);
    file.WriteInt32(reverse);
    file.WriteFloat(length);
    file.WriteFloat(speed);
    file.WriteFloat(rootPosAtChange[0]);
    file.WriteFloat(rootPosAtChange[1]);
    file.WriteFloat(rotationAtChange);
    file.WriteFloat(interpolationTimeFactor);
}

void AC_FadeProperties::Load(File& file, uint16_t version)
{
    FileRecordReader in(file, "Cycle player record cut short");
    int64_t number = in.I32();  // wide: the renumbering must not overflow a huge number
    if (version < kOldAttackNumbering && number >= kOldAttackShift)
        number += kOldAttackShift;
    if (number < kNotChosen || number > kLastCycle)
        number = kNoCycle;  // no record of the set may be indexed by it
    cycleNumber = int32_t(number);
    time = in.F32();
    fade = in.F32();
    weight = in.F32();
    weightAtChange = in.F32();
    reverse = in.I32();
    length = in.F32();
    speed = in.F32();
    rootPosAtChange[0] = in.F32();
    rootPosAtChange[1] = in.F32();
    if (version >= kRotationAtChangeVersion)
        rotationAtChange = in.F32();
    interpolationTimeFactor = in.F32();
    pNextCycle = nullptr;  // bound again once the creature's cycles are
    bound.cycle = nullptr;
}
