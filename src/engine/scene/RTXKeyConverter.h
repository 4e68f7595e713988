// RTXKeyConverter: how the key lists of the text model export become key tracks: ticks to seconds,
// rotation samples and turn splitting, step keys, the Euler merge and the TCB control quaternions.
#pragma once
#include "base/BezierSpline.h"
#include "platform/D3D9Types.h"
#include "platform/D3DXMath.h"

#include <cstdint>
#include <vector>

class DXC_3dObject;
struct DXC_RotKeyData;

// A float key as the file gives it (times in ticks, tangents per tick until converted); Euler axis
// keys and node float keys keep the file's key flags.
struct RTX_FloatKey {
    float time = 0.0f;
    float value = 0.0f;
    float inTangent = 0.0f;
    float outTangent = 0.0f;
    int32_t flags = 0;
};
using RTX_EulerRotKey = RTX_FloatKey;

struct RTX_ColorKey {
    float time = 0.0f;
    D3DCOLORVALUE value;  // alpha 1
    D3DXVECTOR3 inTangent;
    D3DXVECTOR3 outTangent;
};

// Key flags of the file: bits 7-9 the in-tangent kind, bits 10-12 the out-tangent kind; kind 2 is a
// step (the value holds until the next key).
inline bool IsStepIn(int32_t flags) { return (flags & 0x380) == 0x100; }
inline bool IsStepOut(int32_t flags) { return (flags & 0x1C00) == 0x800; }
inline int32_t WithStepIn(int32_t flags) { return (flags & ~0x380) | 0x100; }
inline int32_t WithStepOut(int32_t flags) { return (flags & ~0x1C00) | 0x800; }

// The file's clock: seconds = (ticks - first frame x ticks per frame) x seconds per tick.
struct RTXTimeBase {
    float firstFrame = 0.0f;
    float ticksPerFrame = 160.0f;
    float secondsPerTick = 1.0f / (160.0f * 30.0f);

    float ToSeconds(float ticks) const { return (ticks - firstFrame * ticksPerFrame) * secondsPerTick; }
};

class RTXKeyConverter {
public:
    // A turn of more pieces than this between two keys is cut to this many (a full turn is 2 pieces).
    static constexpr int32_t kMaxTurnPieces = 256;
    static constexpr int32_t kMaxTrackKeys = 8192;  // colour and float tracks of nodes and materials
    static constexpr float kNoKeyTime = 9e9f;

    // A sample key's angle between pi and 2 pi turns the other way round.
    static float SampleAngle(float angle);
    // Adds a relative turn (axis already negated) read at a time in ticks. After an existing key
    // the turn is split into 1 + |angle| / pi equal pieces at equal steps from the last key's time.
    static void AddTurn(DXC_3dObject& node, float time, const DXC_RotKeyData& turn, uint16_t type);

    // Appends a key to a node or material float track; a stepping key (flags) is preceded by a key
    // at its time holding the previous value with zero tangents when the two values differ. False
    // when the track was full and the key dropped.
    static bool AppendFloatKey(std::vector<RTX_FloatKey>& track, const RTX_FloatKey& key);

    // Tangents scaled by the segment lengths in ticks (the in-tangent by the one before the key,
    // the out-tangent by the one after; a key without such a segment keeps its tangent), then the
    // times to seconds.
    static void ConvertFloatTrack(std::vector<RTX_FloatKey>& track, const RTXTimeBase& base);
    static void ConvertColorTrack(std::vector<RTX_ColorKey>& track, const RTXTimeBase& base);
    // A converted track as a key curve: linear (mode 0) or cubic (mode 1); colours keep alpha 1
    // with tangents of alpha 0.
    static void ToCurve(const std::vector<RTX_FloatKey>& track, bool linear, BezierSpline<float>& curve);
    static void ToCurve(const std::vector<RTX_ColorKey>& track, bool linear, BezierSpline<SplineVector4>& curve);
    // The same for the node's position and scale tracks (as long as the keys came from Bezier
    // keys) and its rotation times; then the control quaternions of the TCB keys.
    static void ConvertNodeTracks(DXC_3dObject& node, const RTXTimeBase& base);
    static void BuildTcbControls(DXC_3dObject& node);

    // Rotation of a node from Euler angles (X, Y, Z) and back: the turns about X, Y and Z applied
    // in this order. Near the poles (|w y - z x| > 0.499) Y is +-pi/2 and X 0.
    static D3DXQUATERNION EulerToQuaternion(const D3DXVECTOR3& angles);
    static D3DXVECTOR3 QuaternionToEuler(const D3DXQUATERNION& q);
    // Merges three Euler axis lists (times in ticks, flags with the steps applied) into rotation
    // keys of the node; an axis without keys keeps the node's static angle. Empties the lists.
    static void MergeEuler(DXC_3dObject& node, std::vector<RTX_EulerRotKey> (&axes)[3]);
};
