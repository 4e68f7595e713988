// KeyTrack: key chains (insertion, copying, freeing), key search and the interpolation of one key.
#include "engine/scene/KeyTrack.h"

#include "base/File.h"
#include "engine/scene/SceneMath.h"

template <class T>
DXC_KeyBase<T>* DXC_KeyBase<T>::InsertSorted(DXC_KeyBase*& first, DXC_KeyBase* cursor, const DXC_KeyBase& key)
{
    DXC_KeyBase* added = new DXC_KeyBase(key);
    added->next = nullptr;
    added->prev = nullptr;
    if (!first) {
        first = added;
        return added;
    }
    DXC_KeyBase* walk = (cursor && key.time > cursor->time) ? cursor : first;
    DXC_KeyBase* last = nullptr;
    while (walk && walk->time <= key.time) {  // equal times stay before the new key
        last = walk;
        walk = walk->next;
    }
    if (walk) {
        added->prev = walk->prev;
        added->next = walk;
        if (walk->prev)
            walk->prev->next = added;
        else
            first = added;
        walk->prev = added;
    } else {
        last->next = added;
        added->prev = last;
    }
    return added;
}

template <class T> void DXC_KeyBase<T>::FreeChain(DXC_KeyBase* first)
{
    while (first) {
        DXC_KeyBase* next = first->next;
        delete first;
        first = next;
    }
}

template <class T> DXC_KeyBase<T>* DXC_KeyBase<T>::CopyChain(const DXC_KeyBase* first)
{
    DXC_KeyBase* head = nullptr;
    DXC_KeyBase* tail = nullptr;
    for (const DXC_KeyBase* k = first; k; k = k->next) {
        DXC_KeyBase* copy = new DXC_KeyBase(*k);
        copy->next = nullptr;
        copy->prev = tail;
        if (tail)
            tail->next = copy;
        else
            head = copy;
        tail = copy;
    }
    return head;
}

template <class T> DXC_KeyBase<T>* DXC_KeyBase<T>::Last(DXC_KeyBase* from)
{
    if (!from)
        return nullptr;
    while (from->next)
        from = from->next;
    return from;
}

template <class T> int32_t DXC_KeyBase<T>::Count(const DXC_KeyBase* first)
{
    int32_t n = 0;
    for (; first; first = first->next)
        n++;
    return n;
}

template <class T> void DXC_KeyBase<T>::Unlink(DXC_KeyBase*& first, DXC_KeyBase* key)
{
    // A chain read from a file has no prev links, so the predecessor is found by walking.
    DXC_KeyBase* before = nullptr;
    for (DXC_KeyBase* k = first; k && k != key; k = k->next)
        before = k;
    if (before)
        before->next = key->next;
    else
        first = key->next;
    if (key->next)
        key->next->prev = before;
    delete key;
}

namespace {

// Key data in file order: the fields as laid out in memory, each a little-endian float.
void DataFloats(DXC_PosKeyData& d, float* (&f)[9])
{
    float* all[9] = {&d.value.x,     &d.value.y,      &d.value.z,      &d.inTangent.x, &d.inTangent.y,
                     &d.inTangent.z, &d.outTangent.x, &d.outTangent.y, &d.outTangent.z};
    for (int i = 0; i < 9; i++)
        f[i] = all[i];
}

void DataFloats(DXC_ScaleKeyData& d, float* (&f)[9])
{
    float* all[9] = {&d.value.x,     &d.value.y,      &d.value.z,      &d.inTangent.x, &d.inTangent.y,
                     &d.inTangent.z, &d.outTangent.x, &d.outTangent.y, &d.outTangent.z};
    for (int i = 0; i < 9; i++)
        f[i] = all[i];
}

void DataFloats(DXC_RotKeyData& d, float* (&f)[21])
{
    float* all[21] = {&d.axis.x,       &d.axis.y,       &d.axis.z,       &d.angle,        &d.tension,
                      &d.continuity,   &d.bias,         &d.easeIn,       &d.easeOut,      &d.quaternion.x,
                      &d.quaternion.y, &d.quaternion.z, &d.quaternion.w, &d.inControl.x,  &d.inControl.y,
                      &d.inControl.z,  &d.inControl.w,  &d.outControl.x, &d.outControl.y, &d.outControl.z,
                      &d.outControl.w};
    for (int i = 0; i < 21; i++)
        f[i] = all[i];
}

template <class T> constexpr int kDataFloats = 9;
template <> constexpr int kDataFloats<DXC_RotKeyData> = 21;

template <class T> void WriteKey(File& file, const DXC_KeyBase<T>& key)
{
    file.WriteFloat(key.time);
    file.WriteInt16(key.type);
    T data = key.data;
    float* f[kDataFloats<T>];
    DataFloats(data, f);
    for (float* v : f)
        file.WriteFloat(*v);
}

template <class T> void ReadKey(File& file, DXC_KeyBase<T>& key)
{
    bool ok = file.ReadFloat(&key.time);
    ok = ok && file.ReadInt16(&key.type);
    float* f[kDataFloats<T>];
    DataFloats(key.data, f);
    for (float* v : f)
        ok = ok && file.ReadFloat(v);
    if (!ok)
        file.Error("key chain cut short");
}

}  // namespace

template <class T> int32_t DXC_KeyBase<T>::Write(File& file) const
{
    int32_t n = 0;
    for (const DXC_KeyBase* k = this; k; k = k->next) {
        if (k != this)
            file.WriteInt8(1);
        WriteKey(file, *k);
        n++;
    }
    file.WriteInt8(0);
    return n;
}

template <class T> int32_t DXC_KeyBase<T>::Read(File& file)
{
    next = nullptr;
    prev = nullptr;
    ReadKey(file, *this);
    int32_t n = 1;
    DXC_KeyBase* tail = this;
    for (;;) {
        uint8_t more = 0;
        if (!file.ReadInt8(&more))
            file.Error("key chain cut short");
        if (!more)
            break;
        if (n >= kMaxChain)
            file.Error("key chain longer than %d keys", kMaxChain);
        DXC_KeyBase* key = new DXC_KeyBase();
        tail->next = key;  // linked first, so the owner frees it if the read fails
        tail = key;
        ReadKey(file, *key);
        n++;
    }
    return n;
}

template struct DXC_KeyBase<DXC_PosKeyData>;
template struct DXC_KeyBase<DXC_ScaleKeyData>;
template struct DXC_KeyBase<DXC_RotKeyData>;

template <class T> DXC_KeyBase<T>* FindKeyByTime(float t, const KeyTimeEntry<T>* table, int32_t count)
{
    if (!table || count <= 0)
        return nullptr;
    int32_t lo = 0;
    int32_t hi = count;
    if (count - 1 <= lo)
        return table[lo].key;
    while (hi - 1 > lo) {
        int32_t mid = (lo + hi) / 2;
        if (t < table[mid].time)
            hi = mid;
        else
            lo = mid;
    }
    return table[lo].key;
}

template DXC_PosKey* FindKeyByTime(float, const KeyTimeEntry<DXC_PosKeyData>*, int32_t);
template DXC_ScaleKey* FindKeyByTime(float, const KeyTimeEntry<DXC_ScaleKeyData>*, int32_t);
template DXC_RotKey* FindKeyByTime(float, const KeyTimeEntry<DXC_RotKeyData>*, int32_t);

namespace {

template <class K> D3DXVECTOR3 Interpolate(const K* k, const K* n, float u)
{
    if (k->type == KEY_BEZIER) {
        float u2 = u * u, u3 = u2 * u;
        float h1 = 2 * u3 - 3 * u2 + 1;
        float h2 = 3 * u2 - 2 * u3;
        float h3 = u3 - 2 * u2 + u;
        float h4 = u3 - u2;
        return k->data.value * h1 + n->data.value * h2 + k->data.outTangent * h3 - n->data.inTangent * h4;
    }
    if (k->type == KEY_LINEAR)
        return k->data.value + (n->data.value - k->data.value) * u;
    return k->data.value;
}

template <class K> D3DXVECTOR3 EvaluateVector(const K* k, const K* first, float t, float loopRange)
{
    if (t < k->time)
        return k->data.value;
    if (k->next)
        return Interpolate(k, k->next, (t - k->time) / (k->next->time - k->time));
    if (loopRange > 0.0f && loopRange > k->time)  // the way back to the first key
        return Interpolate(k, first, (t - k->time) / (loopRange - k->time));
    return k->data.value;
}

D3DXQUATERNION Slerp(const D3DXQUATERNION& a, const D3DXQUATERNION& b, float t)
{
    D3DXQUATERNION r;
    D3DXQuaternionSlerp(&r, &a, &b, t);
    return r;
}

}  // namespace

D3DXVECTOR3 EvaluateVectorKey(const DXC_PosKey* k, const DXC_PosKey* first, float t, float loopRange)
{
    return EvaluateVector(k, first, t, loopRange);
}

D3DXVECTOR3 EvaluateVectorKey(const DXC_ScaleKey* k, const DXC_ScaleKey* first, float t, float loopRange)
{
    return EvaluateVector(k, first, t, loopRange);
}

D3DXQUATERNION EvaluateRotKey(const DXC_RotKey* k, const DXC_RotKey* first, float t, float loopRange)
{
    const DXC_RotKeyData& kd = k->data;
    if (t < k->time)
        return kd.quaternion;
    if (k->next) {
        const DXC_RotKey* n = k->next;
        const DXC_RotKeyData& nd = n->data;
        float u = (t - k->time) / (n->time - k->time);
        if (k->type == KEY_TCB) {
            float ue = EaseTime(u, kd.easeOut, nd.easeIn);
            float s1 = ue * (1.0f + nd.continuity);
            float s3 = 1.0f - (1.0f - ue) * (1.0f + kd.continuity);
            D3DXQUATERNION q1 = Slerp(kd.quaternion, kd.outControl, s1);
            D3DXQUATERNION q2 = Slerp(kd.outControl, nd.inControl, ue);
            D3DXQUATERNION q3 = Slerp(nd.inControl, nd.quaternion, s3);
            D3DXQUATERNION r1 = Slerp(q1, q2, s1);
            D3DXQUATERNION r2 = Slerp(q2, q3, s3);
            return Slerp(r1, r2, ue);
        }
        if (k->type == KEY_LINEAR || k->type == KEY_BEZIER)
            return Slerp(kd.quaternion, nd.quaternion, u);
        return kd.quaternion;
    }
    if (loopRange > 0.0f && loopRange > k->time && k->type <= KEY_TCB)
        return Slerp(kd.quaternion, first->data.quaternion, (t - k->time) / (loopRange - k->time));
    return kd.quaternion;
}
