// DXC_3dObject key tracks: insertion, time tables, cropping, reduction and the evaluation at a time.
#include "engine/scene/DXC_3dObject.h"

#include "base/Math.h"
#include "engine/scene/SceneMath.h"

#include <cmath>

namespace {

template <class T>
DXC_KeyBase<T>* FindKey(float t, const KeyTimeEntry<T>* table, int32_t count, DXC_KeyBase<T>* first)
{
    if (table)
        return FindKeyByTime(t, table, count);
    return first ? first->FindKey(t) : nullptr;
}

// Table of the chain, or null for an empty one; a chain that does not hold count keys is reported.
template <class T>
KeyTimeEntry<T>* BuildTable(DXC_3dObject* obj, DXC_KeyBase<T>* first, int32_t count, const char* what)
{
    if (count <= 0 && !first)
        return nullptr;
    // Counted before the table is allocated, so a lying count cannot size it.
    if (count <= 0 || DXC_KeyBase<T>::Count(first) != count)
        obj->Error("Check: %s key numbers don't match", what);
    KeyTimeEntry<T>* table = new KeyTimeEntry<T>[count];
    int32_t i = 0;
    for (DXC_KeyBase<T>* k = first; k; k = k->next, i++) {
        table[i].key = k;
        table[i].time = k->time;
    }
    return table;
}

// Removes the keys outside [start, end]; see CropKeys.
template <class T> int32_t CropChain(DXC_KeyBase<T>*& first, int32_t& count, float start, float end)
{
    int32_t removed = 0;
    DXC_KeyBase<T>* k = first;
    while (k) {
        DXC_KeyBase<T>* next = k->next;
        if (!next) {  // the last key always survives; beyond end it also keeps its time
            if (!(k->time > end))
                k->time -= start;
            break;
        }
        if ((k->time < start && next->time <= start) || k->time > end) {
            DXC_KeyBase<T>::Unlink(first, k);
            count--;
            removed++;
        } else {
            k->time -= start;
        }
        k = next;
    }
    return removed;
}

float Length(const D3DXVECTOR3& v)
{
    return D3DXVec3Length(&v);
}

// One pass of reduction: each key between two others is offered with its neighbours to removable,
// which may move their tangents when it agrees; a removed key leaves its predecessor in place.
template <class T, class Removable>
int32_t ReduceChain(DXC_KeyBase<T>*& first, int32_t& count, Removable removable)
{
    using Key = DXC_KeyBase<T>;
    int32_t removed = 0;
    if (!first)
        return 0;
    Key* p = first;
    Key* k = p->next;
    while (k && k->next) {
        Key* n = k->next;
        if (removable(p, k, n)) {
            Key::Unlink(first, k);
            count--;
            removed++;
        } else {
            p = k;
        }
        k = n;
    }
    return removed;
}

// One pass of reduction over a position or scale chain.
template <class T> int32_t ReduceVectorChain(DXC_KeyBase<T>*& first, int32_t& count)
{
    using Key = DXC_KeyBase<T>;
    return ReduceChain(first, count, [](Key* p, Key* k, Key* n) {
        bool remove = false;
        float u1 = 0.0f, u2 = 0.0f;
        if (p->type == k->type && k->type == n->type) {
            float d1 = k->time - p->time, d2 = n->time - k->time, s = d1 + d2;
            if (s == 0.0f) {
                remove = true;
            } else {
                u1 = d1 / s;
                u2 = d2 / s;
                D3DXVECTOR3 delta = n->data.value - p->data.value;
                if (k->type != KEY_LINEAR && k->type != KEY_BEZIER) {
                    remove = Length(delta) < 1e-5f;
                } else if (Length(p->data.value + delta * u1 - k->data.value) < 1e-5f) {
                    remove = true;
                    if (k->type == KEY_BEZIER) {
                        if (!IsNearZero(u1))
                            remove = VectorsParallel(delta, p->data.outTangent) &&
                                     VectorsParallel(delta, k->data.inTangent);
                        if (remove && !IsNearZero(u2))
                            remove = VectorsParallel(delta, k->data.outTangent) &&
                                     VectorsParallel(delta, n->data.inTangent);
                    }
                }
                if (remove) {
                    if (u1 > 0.0f)
                        p->data.outTangent = p->data.outTangent / u1;
                    if (u2 > 0.0f)
                        n->data.inTangent = n->data.inTangent / u2;
                }
            }
        }
        return remove;
    });
}

D3DXQUATERNION Slerp(const D3DXQUATERNION& a, const D3DXQUATERNION& b, float t)
{
    D3DXQUATERNION r;
    D3DXQuaternionSlerp(&r, &a, &b, t);
    return r;
}

int32_t ReduceRotChain(DXC_RotKey*& first, int32_t& count)
{
    return ReduceChain(first, count, [](DXC_RotKey* p, DXC_RotKey* k, DXC_RotKey* n) {
        DXC_RotKeyData& pd = p->data;
        DXC_RotKeyData& kd = k->data;
        DXC_RotKeyData& nd = n->data;
        bool remove = false;
        if (p->type == k->type && k->type == n->type && nd.angle + kd.angle < 1.5707964f) {
            float d1 = k->time - p->time, d2 = n->time - k->time, s = d1 + d2;
            if (s == 0.0f) {
                remove = true;
            } else {
                float u1 = d1 / s, u2 = d2 / s;
                D3DXVECTOR3 a = kd.axis * kd.angle;
                D3DXVECTOR3 b = nd.axis * nd.angle;
                D3DXVECTOR3 c = a + b;
                if (k->type > KEY_TCB) {
                    remove = Length(c) < 1e-5f;
                } else if (c * u1 - a == D3DXVECTOR3(0, 0, 0)) {
                    remove = true;
                    if (k->type == KEY_TCB) {
                        remove = IsNearZero(kd.easeIn) && IsNearZero(kd.easeOut);
                        if (remove && !IsNearZero(u1))
                            remove = VectorsParallel(c, RotationAxisBetween(pd.quaternion, pd.outControl)) &&
                                     VectorsParallel(c, RotationAxisBetween(kd.quaternion, kd.inControl));
                        if (remove && !IsNearZero(u2))
                            remove = VectorsParallel(c, RotationAxisBetween(kd.quaternion, kd.outControl)) &&
                                     VectorsParallel(c, RotationAxisBetween(nd.quaternion, nd.inControl));
                    }
                }
                if (remove) {
                    if (u1 > 0.0f)
                        pd.outControl = Slerp(pd.quaternion, pd.outControl, 1.0f / u1);
                    if (u2 > 0.0f)
                        nd.inControl = Slerp(nd.quaternion, nd.inControl, 1.0f / u2);
                    nd.angle += kd.angle;
                }
            }
        }
        return remove;
    });
}

// A table built before the insertion is one entry short of the new count; it is dropped, and the
// search walks the chain until the tables are built again.
template <class T> void DropTable(KeyTimeEntry<T>*& table)
{
    delete[] table;
    table = nullptr;
}

}  // namespace

void DXC_3dObject::AddPosKey(const DXC_PosKey& key)
{
    DropTable(posTimeTable);
    posCursor = DXC_PosKey::InsertSorted(posKeys, posCursor, key);
    numPosKey++;
}

void DXC_3dObject::AddScaleKey(const DXC_ScaleKey& key)
{
    DropTable(scaleTimeTable);
    scaleCursor = DXC_ScaleKey::InsertSorted(scaleKeys, scaleCursor, key);
    numScaleKey++;
}

void DXC_3dObject::AddRotKey(const DXC_RotKey& key, int mode)
{
    DropTable(rotTimeTable);
    DXC_RotKey* k = DXC_RotKey::InsertSorted(rotKeys, rotCursor, key);
    rotCursor = k;
    numRotKey++;
    DXC_RotKeyData& d = k->data;
    const DXC_RotKey* p = k->prev;
    auto sameHemisphere = [&]() {
        if (p && D3DXQuaternionDot(&p->data.quaternion, &d.quaternion) < 0.0f)
            d.quaternion = -d.quaternion;
    };
    if (mode == 0) {
        D3DXVec3Normalize(&d.axis, &d.axis);
        D3DXQuaternionRotationAxis(&d.quaternion, &d.axis, d.angle);
        if (p) {
            sameHemisphere();
            D3DXQuaternionMultiply(&d.quaternion, &p->data.quaternion, &d.quaternion);
        }
    } else if (mode == 2) {
        if (p) {
            sameHemisphere();
            D3DXQUATERNION inv, turn;
            D3DXQuaternionInverse(&inv, &p->data.quaternion);
            D3DXQuaternionMultiply(&turn, &inv, &d.quaternion);
            QuaternionToAxisAngleNorm(turn, &d.axis, &d.angle);
        } else {
            QuaternionToAxisAngleNorm(d.quaternion, &d.axis, &d.angle);
        }
    } else {
        sameHemisphere();
    }
}

DXC_PosKey* DXC_3dObject::LastPosKey() const
{
    return DXC_PosKey::Last(posCursor ? posCursor : posKeys);
}

DXC_ScaleKey* DXC_3dObject::LastScaleKey() const
{
    return DXC_ScaleKey::Last(scaleCursor ? scaleCursor : scaleKeys);
}

DXC_RotKey* DXC_3dObject::LastRotKey() const
{
    return DXC_RotKey::Last(rotCursor ? rotCursor : rotKeys);
}

void DXC_3dObject::FreeTimeTables()
{
    DropTable(posTimeTable);
    DropTable(rotTimeTable);
    DropTable(scaleTimeTable);
}

void DXC_3dObject::BuildKeyTimeTables()
{
    FreeTimeTables();
    posTimeTable = BuildTable(this, posKeys, numPosKey, "Pos");
    rotTimeTable = BuildTable(this, rotKeys, numRotKey, "Rot");
    scaleTimeTable = BuildTable(this, scaleKeys, numScaleKey, "Scale");
}

int32_t DXC_3dObject::CropKeys(float start, float end)
{
    const bool hadTables = posTimeTable || rotTimeTable || scaleTimeTable;
    FreeTimeTables();  // they would point at removed keys
    int32_t removed = CropChain(posKeys, numPosKey, start, end);
    removed += CropChain(rotKeys, numRotKey, start, end);
    removed += CropChain(scaleKeys, numScaleKey, start, end);
    posCursor = nullptr;
    rotCursor = nullptr;
    scaleCursor = nullptr;
    if (hadTables)
        BuildKeyTimeTables();
    return removed;
}

int32_t DXC_3dObject::ReduceKeys(int withRotation)
{
    FreeTimeTables();
    int32_t removed = ReduceVectorChain(posKeys, numPosKey);
    removed += ReduceVectorChain(scaleKeys, numScaleKey);
    if (withRotation)
        removed += ReduceRotChain(rotKeys, numRotKey);
    posCursor = nullptr;
    rotCursor = nullptr;
    scaleCursor = nullptr;
    BuildKeyTimeTables();
    return removed;
}

void DXC_3dObject::ForgetTimeTables()
{
    posTimeTable = nullptr;
    rotTimeTable = nullptr;
    scaleTimeTable = nullptr;
}

void DXC_3dObject::ForgetKeys()
{
    posKeys = posCursor = nullptr;
    scaleKeys = scaleCursor = nullptr;
    rotKeys = rotCursor = nullptr;
    numPosKey = numScaleKey = numRotKey = 0;
}

void DXC_3dObject::FreeKeyChains()
{
    DXC_PosKey::FreeChain(posKeys);
    DXC_ScaleKey::FreeChain(scaleKeys);
    DXC_RotKey::FreeChain(rotKeys);
    FreeTimeTables();
    ForgetKeys();
}

void DXC_3dObject::ClearKeys()
{
    FreeKeyChains();
    opacityCurve.SetNumKeys(0);
}

void DXC_3dObject::TakeKeys(DXC_3dObject& from)
{
    if (&from == this)
        return;
    FreeKeyChains();
    posKeys = from.posKeys;
    posCursor = from.posCursor;
    scaleKeys = from.scaleKeys;
    scaleCursor = from.scaleCursor;
    rotKeys = from.rotKeys;
    rotCursor = from.rotCursor;
    posTimeTable = from.posTimeTable;
    rotTimeTable = from.rotTimeTable;
    scaleTimeTable = from.scaleTimeTable;
    numPosKey = from.numPosKey;
    numScaleKey = from.numScaleKey;
    numRotKey = from.numRotKey;
    from.ForgetKeys();
    from.ForgetTimeTables();
}

int DXC_3dObject::SetAniTime(double time, int withParent, int force)
{
    if (aniFrozen)
        return 1;
    if (time == lastAniTime && !transformChanged && !force)
        return 1;

    // A looping node with a range of 0 has nothing to wrap into: it runs as not looping.
    const bool loop = aniLoop && aniRange != 0.0f;
    double wrapped = time;
    if (loop)
        wrapped = Math::WrapDouble(time, std::fabs(aniRange));
    else if (wrapped < 0.0)
        wrapped = 0.0;
    const float t = static_cast<float>(wrapped);
    const float loopRange = (loop && aniRange > 0.0f) ? aniRange : 0.0f;

    if (!posKeys)
        aniPosition = position;
    else
        aniPosition = EvaluateVectorKey(FindKey(t, posTimeTable, numPosKey, posKeys), posKeys, t, loopRange);
    D3DXMatrixTranslation(&translationMatrix, aniPosition.x, aniPosition.y, aniPosition.z);

    if (!scaleKeys)
        aniScale = scale;
    else
        aniScale =
            EvaluateVectorKey(FindKey(t, scaleTimeTable, numScaleKey, scaleKeys), scaleKeys, t, loopRange);
    D3DXMatrixScaling(&scalingMatrix, aniScale.x * extraScale.x, aniScale.y * extraScale.y,
                      aniScale.z * extraScale.z);

    if (!rotKeys) {
        aniRotation = StaticQuaternion();
        D3DXMatrixRotationAxis(&rotationMatrix, &rotationAxis, rotationAngle);
    } else {
        aniRotation = EvaluateRotKey(FindKey(t, rotTimeTable, numRotKey, rotKeys), rotKeys, t, loopRange);
        D3DXMatrixRotationQuaternion(&rotationMatrix, &aniRotation);
    }

    D3DXMatrixMultiply(&worldMatrix, &scalingMatrix, &rotationMatrix);
    D3DXMatrixMultiply(&worldMatrix, &worldMatrix, &translationMatrix);

    if (opacityCurve.GetNumKeys() > 0)
        opacity = ClampFloat(static_cast<float>(opacityCurve.Evaluate(t)), 0.0f, 1.0f);

    lastAniTime = t;
    if (parent) {
        if (withParent)
            parent->SetAniTime(time, 1, 0);
        ComposeParent();
    }
    transformChanged = 0;
    return 1;
}
