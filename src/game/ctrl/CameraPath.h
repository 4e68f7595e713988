// CameraPath: the scripted camera path of the game camera: a position track and four value tracks
// (yaw, pitch, distance, roll) of timed keys, their tangents derived from the neighbouring keys on
// first use, and the camera they give at a time.
#pragma once
#include "base/BezierSpline.h"
#include "platform/D3DXMath.h"

#include <cstdint>

// A position key is a key curve over three floats: time, value, in-tangent and out-tangent make
// 40 bytes, the in-tangent stored pointing backwards as every key curve keeps it.
template <> struct SplineValue<D3DXVECTOR3> {
    static constexpr int kCount = 3;
    static float& At(D3DXVECTOR3& value, int i) { return i == 0 ? value.x : i == 1 ? value.y : value.z; }
    static float At(const D3DXVECTOR3& value, int i) { return i == 0 ? value.x : i == 1 ? value.y : value.z; }
};

// One key of the path, or the path's camera at a time.
struct CameraPathKey {
    float time = 0.0f;
    D3DXVECTOR3 position;  // the target point, relative to the path's reference element when it has one
    float yaw = 0.0f;
    float pitch = 0.0f;
    float distance = 0.0f;
    float roll = 0.0f;
};

class CameraPath {
public:
    enum ValueTrack { kYaw = 0, kPitch = 1, kDistance = 2, kRoll = 3, kValueTracks = 4 };

    int32_t GetNumKeys() const { return m_Position.GetNumKeys(); }
    // Every track to count keys: the first min(old, new) keys stay, new keys are zero. The tracks
    // interpolate cubically and must be prepared again.
    void Resize(int32_t count);
    // Frees every track.
    void Clear() { Resize(0); }
    // Key index (0 .. count - 1) of every track; the tangents are derived again before the next use.
    void SetKey(int32_t index, const CameraPathKey& key);
    CameraPathKey GetKey(int32_t index) const;
    bool IsPrepared() const;
    // The camera at time t: before the first key the first, after the last the last; a looped
    // track wraps t by its loop time. A path without keys gives a zero camera.
    CameraPathKey Evaluate(double t);

    BezierSpline<D3DXVECTOR3>& GetPositionTrack() { return m_Position; }
    BezierSpline<float>& GetValueTrack(ValueTrack track) { return m_Values[track]; }

private:
    void Prepare();

    BezierSpline<D3DXVECTOR3> m_Position;
    BezierSpline<float> m_Values[kValueTracks];
    uint8_t m_PositionPrepared = 0;
    uint8_t m_ValuePrepared[kValueTracks] = {};
};
