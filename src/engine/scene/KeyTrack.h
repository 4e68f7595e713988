// KeyTrack: key nodes of the position, rotation and scale tracks, their chains, time tables and search.
#pragma once
#include "platform/D3DXMath.h"

#include <cstdint>

class File;

// Position and scale keys: value with the Hermite tangents of its two intervals. The in-tangent is
// stored pointing backwards.
struct DXC_PosKeyData {
    D3DXVECTOR3 value;
    D3DXVECTOR3 inTangent;
    D3DXVECTOR3 outTangent;
};

struct DXC_ScaleKeyData {
    D3DXVECTOR3 value;
    D3DXVECTOR3 inTangent;
    D3DXVECTOR3 outTangent;
};

// Rotation key: the turn from the previous key as axis and angle, the TCB parameters, the absolute
// rotation and the TCB control quaternions.
struct DXC_RotKeyData {
    D3DXVECTOR3 axis;
    float angle = 0.0f;
    float tension = 0.0f;
    float continuity = 0.0f;
    float bias = 0.0f;
    float easeIn = 0.0f;
    float easeOut = 0.0f;
    D3DXQUATERNION quaternion{0.0f, 0.0f, 0.0f, 1.0f};
    D3DXQUATERNION inControl{0.0f, 0.0f, 0.0f, 1.0f};
    D3DXQUATERNION outControl{0.0f, 0.0f, 0.0f, 1.0f};
};

// Interpolation types. Position and scale: linear, Bezier (cubic Hermite), held (and any other
// value). Rotation: 0 and 1 spherical linear, 2 TCB, any other value held.
enum : uint16_t {
    KEY_LINEAR = 0,
    KEY_BEZIER = 1,
    KEY_TCB = 2,
    KEY_HELD = 255,
};

template <class T> struct DXC_KeyBase {
    float time = 0.0f;
    DXC_KeyBase* next = nullptr;
    DXC_KeyBase* prev = nullptr;
    T data{};
    uint16_t type = 0;

    // Inserts a copy of key in time order (after keys of equal time) and returns it. The walk starts
    // at cursor when the new key lies strictly after it; first is updated when the copy becomes first.
    static DXC_KeyBase* InsertSorted(DXC_KeyBase*& first, DXC_KeyBase* cursor, const DXC_KeyBase& key);
    static void FreeChain(DXC_KeyBase* first);
    static DXC_KeyBase* CopyChain(const DXC_KeyBase* first);  // prev links rebuilt
    static DXC_KeyBase* Last(DXC_KeyBase* from);
    static int32_t Count(const DXC_KeyBase* first);
    // Frees key after taking it out of the chain.
    static void Unlink(DXC_KeyBase*& first, DXC_KeyBase* key);
    // From this key along the chain, the last key whose time is at most t (this key itself when
    // the next one lies past t already).
    DXC_KeyBase* FindKey(float t)
    {
        DXC_KeyBase* k = this;
        while (k->next && !(k->next->time > t))
            k = k->next;
        return k;
    }

    // The chain from this key on, as stored in scene files: per key time (f32), type (u16) and data,
    // then a continuation byte (1 another key follows, 0 end). Both return the number of keys.
    int32_t Write(File& file) const;
    // Fills this key and appends the following ones; a chain cut short or longer than kMaxChain keys
    // is an error of the file, and the keys read so far stay linked for their owner to free.
    int32_t Read(File& file);
    static constexpr int32_t kMaxChain = 1 << 20;
};

using DXC_PosKey = DXC_KeyBase<DXC_PosKeyData>;
using DXC_ScaleKey = DXC_KeyBase<DXC_ScaleKeyData>;
using DXC_RotKey = DXC_KeyBase<DXC_RotKeyData>;

template <class T> struct KeyTimeEntry {
    DXC_KeyBase<T>* key = nullptr;
    float time = 0.0f;
};

// Binary search: the last key whose time is at most t, or the first key.
template <class T> DXC_KeyBase<T>* FindKeyByTime(float t, const KeyTimeEntry<T>* table, int32_t count);

// Value of a position or scale track at t, from key k (found by one of the searches above).
// loopRange > 0 makes the last key run back to the first key at loopRange.
D3DXVECTOR3 EvaluateVectorKey(const DXC_PosKey* k, const DXC_PosKey* first, float t, float loopRange);
D3DXVECTOR3 EvaluateVectorKey(const DXC_ScaleKey* k, const DXC_ScaleKey* first, float t, float loopRange);
D3DXQUATERNION EvaluateRotKey(const DXC_RotKey* k, const DXC_RotKey* first, float t, float loopRange);

extern template struct DXC_KeyBase<DXC_PosKeyData>;
extern template struct DXC_KeyBase<DXC_ScaleKeyData>;
extern template struct DXC_KeyBase<DXC_RotKeyData>;
