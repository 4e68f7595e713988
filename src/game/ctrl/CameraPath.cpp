// CameraPath: resizing the five tracks together, their keys, and the tangents that make the
// camera pass smoothly through every key.
#include "game/ctrl/CameraPath.h"

#include "base/KeyTangents.h"

#include <algorithm>

namespace {

// A new key's tangents meet their neighbours' halfway, and an end key keeps its whole interval.
constexpr double kTension = 1.0;

template <class V> void ResizeTrack(BezierSpline<V>& track, int32_t count, const V& zero)
{
    const int32_t kept = std::min(track.GetNumKeys(), count);
    std::vector<typename BezierSpline<V>::Key> keys;
    for (int32_t i = 0; i < kept; ++i)
        keys.push_back(track.GetKey(i));
    track.SetNumKeys(count);
    for (int32_t i = 0; i < track.GetNumKeys(); ++i) {
        if (i < kept) {
            track.GetKey(i) = keys[size_t(i)];
        } else {
            track.GetKey(i).value = zero;
            track.GetKey(i).inTangent = zero;
            track.GetKey(i).outTangent = zero;
        }
    }
    track.SetMode(1);
}

// The tangents of each component from the neighbouring keys.
template <class V> void DeriveTangents(BezierSpline<V>& track)
{
    using Components = SplineValue<V>;
    const int32_t count = track.GetNumKeys();
    for (int c = 0; c < Components::kCount; ++c)
        KeyTangents::Derive(
            count, track.IsLooping(), double(track.GetLoopTime()), kTension,
            [&](int32_t i) { return track.GetKey(i).time; },
            [&](int32_t i) { return double(Components::At(track.GetKey(i).value, c)); },
            [&](int32_t i, double in, double out) {
                Components::At(track.GetKey(i).inTangent, c) = float(in);
                Components::At(track.GetKey(i).outTangent, c) = float(out);
            });
}

}  // namespace

void CameraPath::Resize(int32_t count)
{
    count = std::max(count, 0);
    ResizeTrack(m_Position, count, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    for (BezierSpline<float>& track : m_Values)
        ResizeTrack(track, count, 0.0f);
    m_PositionPrepared = 0;
    std::fill(std::begin(m_ValuePrepared), std::end(m_ValuePrepared), uint8_t(0));
}

void CameraPath::SetKey(int32_t index, const CameraPathKey& key)
{
    if (index < 0 || index >= GetNumKeys())
        return;
    m_Position.GetKey(index).time = key.time;
    m_Position.GetKey(index).value = key.position;
    const float values[kValueTracks] = {key.yaw, key.pitch, key.distance, key.roll};
    for (int32_t t = 0; t < kValueTracks; ++t) {
        m_Values[t].GetKey(index).time = key.time;
        m_Values[t].GetKey(index).value = values[t];
        m_ValuePrepared[t] = 0;
    }
    m_PositionPrepared = 0;
}

CameraPathKey CameraPath::GetKey(int32_t index) const
{
    CameraPathKey key;
    if (index < 0 || index >= GetNumKeys())
        return key;
    key.time = m_Position.GetKey(index).time;
    key.position = m_Position.GetKey(index).value;
    key.yaw = m_Values[kYaw].GetKey(index).value;
    key.pitch = m_Values[kPitch].GetKey(index).value;
    key.distance = m_Values[kDistance].GetKey(index).value;
    key.roll = m_Values[kRoll].GetKey(index).value;
    return key;
}

bool CameraPath::IsPrepared() const
{
    return m_PositionPrepared != 0 &&
           std::all_of(std::begin(m_ValuePrepared), std::end(m_ValuePrepared), [](uint8_t p) { return p != 0; });
}

void CameraPath::Prepare()
{
    if (!m_PositionPrepared) {
        DeriveTangents(m_Position);
        m_PositionPrepared = 1;
    }
    for (int32_t t = 0; t < kValueTracks; ++t) {
        if (!m_ValuePrepared[t]) {
            DeriveTangents(m_Values[t]);
            m_ValuePrepared[t] = 1;
        }
    }
}

CameraPathKey CameraPath::Evaluate(double t)
{
    Prepare();
    CameraPathKey camera;
    camera.time = float(t);
    camera.position = m_Position.EvaluateValue(t);
    camera.yaw = float(m_Values[kYaw].Evaluate(t));
    camera.pitch = float(m_Values[kPitch].Evaluate(t));
    camera.distance = float(m_Values[kDistance].Evaluate(t));
    camera.roll = float(m_Values[kRoll].Evaluate(t));
    return camera;
}
