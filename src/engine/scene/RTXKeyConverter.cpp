// RTXKeyConverter: rotation turns, step keys, tick-to-second conversion, the Euler merge and the TCB
// control quaternions of the text model export.
#include "engine/scene/RTXKeyConverter.h"

#include "base/BezierSpline.h"
#include "base/Math.h"
#include "engine/scene/DXC_3dObject.h"
#include "engine/scene/SceneMath.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPi = 3.141592f;      // the exporter's own constants
constexpr float kTwoPi = 6.283184f;

D3DXQUATERNION Slerp(const D3DXQUATERNION& a, const D3DXQUATERNION& b, float t)
{
    D3DXQUATERNION r;
    D3DXQuaternionSlerp(&r, &a, &b, t);
    return r;
}

// In-tangents by the segment before a key, out-tangents by the one after (tick times), then the
// times to seconds.
template <class Key> void ConvertTrack(std::vector<Key>& track, const RTXTimeBase& base)
{
    const size_t n = track.size();
    for (size_t i = 0; i < n; i++) {
        track[i].inTangent *= i > 0 ? track[i].time - track[i - 1].time : 1.0f;
        track[i].outTangent *= i + 1 < n ? track[i + 1].time - track[i].time : 1.0f;
    }
    for (Key& k : track)
        k.time = base.ToSeconds(k.time);
}

template <class K> void ScaleChainTangents(K* first)
{
    for (K* k = first; k && (k->type == KEY_BEZIER || k->type == KEY_HELD); k = k->next) {
        if (k->prev)
            k->data.inTangent *= k->time - k->prev->time;
        if (k->next)
            k->data.outTangent *= k->next->time - k->time;
    }
}

template <class K> void ChainToSeconds(K* first, const RTXTimeBase& base)
{
    for (K* k = first; k; k = k->next)
        k->time = base.ToSeconds(k->time);
}

}  // namespace

float RTXKeyConverter::SampleAngle(float angle)
{
    return angle > kPi && angle < kTwoPi ? angle - kTwoPi : angle;
}

void RTXKeyConverter::AddTurn(DXC_3dObject& node, float time, const DXC_RotKeyData& turn, uint16_t type)
{
    DXC_RotKey key;
    key.type = type;
    key.data = turn;
    const DXC_RotKey* last = node.LastRotKey();
    if (!last) {
        key.time = time;
        node.AddRotKey(key, 0);
        return;
    }
    // A huge or undefined angle from the file must not make thousands of keys.
    const float halfTurns = std::fabs(turn.angle) / kPi;
    int32_t pieces = 1;
    if (halfTurns >= 1.0f)
        pieces = halfTurns < float(kMaxTurnPieces - 1) ? 1 + int32_t(halfTurns) : kMaxTurnPieces;
    const float from = last->time;
    key.data.angle = turn.angle / float(pieces);
    for (int32_t k = 1; k <= pieces; k++) {
        key.time = from + float(k) * (time - from) / float(pieces);
        node.AddRotKey(key, 0);
    }
}

bool RTXKeyConverter::AppendFloatKey(std::vector<RTX_FloatKey>& track, const RTX_FloatKey& key)
{
    if (!track.empty()) {
        const RTX_FloatKey& previous = track.back();
        const bool stepping = IsStepIn(key.flags) || IsStepOut(previous.flags);
        if (stepping && previous.value != key.value) {
            if (track.size() >= size_t(kMaxTrackKeys))
                return false;
            RTX_FloatKey hold;
            hold.time = key.time;
            hold.value = previous.value;
            track.push_back(hold);
        }
    }
    if (track.size() >= size_t(kMaxTrackKeys))
        return false;
    track.push_back(key);
    return true;
}

void RTXKeyConverter::ConvertFloatTrack(std::vector<RTX_FloatKey>& track, const RTXTimeBase& base)
{
    ConvertTrack(track, base);
}

void RTXKeyConverter::ConvertColorTrack(std::vector<RTX_ColorKey>& track, const RTXTimeBase& base)
{
    ConvertTrack(track, base);
}

void RTXKeyConverter::ToCurve(const std::vector<RTX_FloatKey>& track, bool linear, BezierSpline<float>& curve)
{
    curve.SetMode(linear ? 0 : 1);
    curve.SetNumKeys(int32_t(track.size()));
    for (size_t i = 0; i < track.size(); i++) {
        BezierSpline<float>::Key& k = curve.GetKey(int32_t(i));
        k.time = track[i].time;
        k.value = track[i].value;
        k.inTangent = track[i].inTangent;
        k.outTangent = track[i].outTangent;
    }
}

void RTXKeyConverter::ToCurve(const std::vector<RTX_ColorKey>& track, bool linear,
                              BezierSpline<SplineVector4>& curve)
{
    curve.SetMode(linear ? 0 : 1);
    curve.SetNumKeys(int32_t(track.size()));
    for (size_t i = 0; i < track.size(); i++) {
        BezierSpline<SplineVector4>::Key& k = curve.GetKey(int32_t(i));
        const RTX_ColorKey& from = track[i];
        k.time = from.time;
        k.value = SplineVector4{{from.value.r, from.value.g, from.value.b, 1.0f}};
        k.inTangent = SplineVector4{{from.inTangent.x, from.inTangent.y, from.inTangent.z, 0.0f}};
        k.outTangent = SplineVector4{{from.outTangent.x, from.outTangent.y, from.outTangent.z, 0.0f}};
    }
}

void RTXKeyConverter::ConvertNodeTracks(DXC_3dObject& node, const RTXTimeBase& base)
{
    ScaleChainTangents(node.posKeys);
    ScaleChainTangents(node.scaleKeys);
    ChainToSeconds(node.posKeys, base);
    ChainToSeconds(node.scaleKeys, base);
    ChainToSeconds(node.rotKeys, base);
    BuildTcbControls(node);
}

void RTXKeyConverter::BuildTcbControls(DXC_3dObject& node)
{
    for (DXC_RotKey* k = node.rotKeys; k; k = k->next) {
        if (k->type != KEY_TCB)
            continue;
        DXC_RotKeyData& d = k->data;
        const D3DXQUATERNION& q = d.quaternion;
        const float t = d.tension;
        if (!k->prev && !k->next) {
            d.inControl = d.outControl = q;
        } else if (!k->prev) {
            d.inControl = q;
            d.outControl = Slerp(q, k->next->data.quaternion, (1.0f - 0.63f * t) * 0.5f);
        } else if (!k->next) {
            d.inControl = Slerp(k->prev->data.quaternion, q, (1.0f + 0.63f * t) * 0.5f);
            d.outControl = q;
        } else {
            const D3DXQUATERNION a = Slerp(q, k->prev->data.quaternion, -1.0f / 3.0f);
            const D3DXQUATERNION b = Slerp(q, k->next->data.quaternion, 1.0f / 3.0f);
            const D3DXQUATERNION c = Slerp(a, b, 0.5f);
            d.inControl = Slerp(q, c, 0.8f * t - 1.0f);
            d.outControl = Slerp(q, c, 1.0f - 0.8f * t);
        }
    }
}

D3DXQUATERNION RTXKeyConverter::EulerToQuaternion(const D3DXVECTOR3& angles)
{
    D3DXQUATERNION q;
    return *Math::QuaternionFromEulerXYZ(&q, angles.x, angles.y, angles.z);
}

D3DXVECTOR3 RTXKeyConverter::QuaternionToEuler(const D3DXQUATERNION& rotation)
{
    D3DXQUATERNION q;
    D3DXQuaternionNormalize(&q, &rotation);
    const float t = q.w * q.y - q.z * q.x;
    if (t > 0.499f)
        return D3DXVECTOR3(0.0f, D3DX_PI / 2, -2.0f * std::atan2(q.x, q.w));
    if (t < -0.499f)
        return D3DXVECTOR3(0.0f, -D3DX_PI / 2, 2.0f * std::atan2(q.x, q.w));
    return D3DXVECTOR3(std::atan2(2.0f * (q.w * q.x + q.y * q.z), 1.0f - 2.0f * (q.x * q.x + q.y * q.y)),
                       std::asin(2.0f * t),
                       std::atan2(2.0f * (q.w * q.z + q.x * q.y), 1.0f - 2.0f * (q.y * q.y + q.z * q.z)));
}

void RTXKeyConverter::MergeEuler(DXC_3dObject& node, std::vector<RTX_EulerRotKey> (&axes)[3])
{
    D3DXQUATERNION rest;
    D3DXQuaternionRotationAxis(&rest, &node.rotationAxis, node.rotationAngle);
    const D3DXVECTOR3 restAngles = QuaternionToEuler(rest);
    float fixed[3] = {restAngles.x, restAngles.y, restAngles.z};

    BezierSpline<float> curves[3];
    int32_t earliest = -1;
    for (int32_t a = 0; a < 3; a++) {
        std::vector<RTX_EulerRotKey>& keys = axes[a];
        std::stable_sort(keys.begin(), keys.end(), [](const RTX_EulerRotKey& x, const RTX_EulerRotKey& y) {
            return x.time < y.time || (!std::isnan(x.time) && std::isnan(y.time));  // undefined times last
        });
        const int32_t n = int32_t(keys.size());
        curves[a].SetMode(1);
        curves[a].SetNumKeys(n);
        for (int32_t i = 0; i < n; i++) {
            BezierSpline<float>::Key& c = curves[a].GetKey(i);
            c.time = keys[size_t(i)].time;
            c.value = keys[size_t(i)].value;
            c.inTangent = keys[size_t(i)].inTangent * (i > 0 ? c.time - keys[size_t(i) - 1].time : 1.0f);
            c.outTangent = keys[size_t(i)].outTangent * (i + 1 < n ? keys[size_t(i) + 1].time - c.time : 1.0f);
        }
        if (n > 0 && (earliest < 0 || keys[0].time < axes[earliest][0].time))
            earliest = a;
    }
    // The resting angles move near the keyed values by whole turns, which leaves their rotation as
    // it is.
    if (earliest >= 0) {
        const float turns = std::round((axes[earliest][0].value - fixed[earliest]) / kTwoPi);
        if (std::isfinite(turns))
            for (float& f : fixed)
                f += turns * kTwoPi;
    }

    struct Merged {
        float time;
        D3DXVECTOR3 angles;
        bool held;
    };
    std::vector<Merged> merged;
    size_t next[3] = {0, 0, 0};
    // Ends when every list is used up, whatever times the keys carry; each pass uses up at least
    // one key (a key whose time does not compare counts as met).
    for (;;) {
        float t = kNoKeyTime;
        bool any = false;
        for (int32_t a = 0; a < 3; a++) {
            if (next[a] >= axes[a].size())
                continue;
            const float at = axes[a][next[a]].time;
            if (!any || at < t)
                t = at;
            any = true;
        }
        if (!any)
            break;
        Merged m{t, D3DXVECTOR3(), false};
        float value[3];
        for (int32_t a = 0; a < 3; a++) {
            const std::vector<RTX_EulerRotKey>& keys = axes[a];
            if (next[a] < keys.size() && !(keys[next[a]].time > t)) {
                value[a] = keys[next[a]].value;
                m.held = m.held || IsStepOut(keys[next[a]].flags);
                next[a]++;
            } else if (keys.empty()) {
                value[a] = fixed[a];
            } else if (next[a] > 0 && IsStepOut(keys[next[a] - 1].flags)) {
                value[a] = keys[next[a] - 1].value;
            } else {
                value[a] = float(curves[a].Evaluate(t));
            }
        }
        m.angles = D3DXVECTOR3(value[0], value[1], value[2]);
        merged.push_back(m);
    }

    D3DXQUATERNION previous;
    for (size_t i = 0; i < merged.size(); i++) {
        const D3DXQUATERNION q = EulerToQuaternion(merged[i].angles);
        D3DXQUATERNION turn = q;
        if (i > 0) {
            D3DXQUATERNION inverse;
            D3DXQuaternionInverse(&inverse, &previous);
            D3DXQuaternionMultiply(&turn, &inverse, &q);
        }
        previous = q;
        DXC_RotKey key;
        key.time = merged[i].time;
        key.type = merged[i].held ? KEY_HELD : KEY_LINEAR;
        QuaternionToAxisAngleNorm(turn, &key.data.axis, &key.data.angle);
        node.AddRotKey(key, 0);
    }
    for (std::vector<RTX_EulerRotKey>& keys : axes)
        keys.clear();
}
