// RTXLoader tracks: the key lists of a node's "TM_ANIMATION" block (position, rotation, scale, Euler
// rotation and visibility) and the float key lists that nodes and materials share.
#include "engine/scene/RTXLoader.h"

#include "engine/scene/DXC_3dObject.h"

#include <cmath>

namespace {

// A Bezier position or scale key with its step flags: an out-step holds the key and makes the next
// key's in-tangent a step; an in-step holds the key before it.
template <class Key>
void AddBezierKey(Key key, int32_t flags, bool& stepNext, Key* last, void (DXC_3dObject::*add)(const Key&),
                  DXC_3dObject& node)
{
    if (stepNext)
        flags = WithStepIn(flags);
    if (IsStepIn(flags) && last)
        last->type = KEY_HELD;
    key.type = IsStepOut(flags) ? KEY_HELD : KEY_BEZIER;
    stepNext = IsStepOut(flags);
    (node.*add)(key);
}

}  // namespace

bool RTXLoader::ReadTmAnimation(DXC_3dObject& node)
{
    return ReadBlock([&](int32_t keyword) {
        switch (keyword) {
        case RTX_CONTROL_POS_BEZIER:
            return m_Scanner.OpenBlock() && ReadPositionTrack(node);
        case RTX_CONTROL_ROT_TCB:
            return m_Scanner.OpenBlock() && ReadRotationTrack(node);
        case RTX_CONTROL_SCALE_BEZIER:
            return m_Scanner.OpenBlock() && ReadScaleTrack(node);
        case RTX_CONTROL_ROT_EULER:
            return m_Scanner.OpenBlock() && ReadEulerTrack(node);
        case RTX_CONTROL_FLOAT_BEZIER:
            return m_Scanner.OpenBlock() && ReadNodeFloatTrack(node);
        default:
            return true;
        }
    });
}

bool RTXLoader::ReadPositionTrack(DXC_3dObject& node)
{
    bool stepNext = false;
    return ReadBlock([&](int32_t keyword) {
        DXC_PosKey key;
        if (keyword == RTX_CONTROL_POS_SAMPLE) {
            m_Scanner.ReadNumber(key.time);
            m_Scanner.ReadVector(key.data.value);
            key.type = KEY_LINEAR;
            node.AddPosKey(key);
        } else if (keyword == RTX_CONTROL_BEZIER_POS_KEY) {
            int32_t flags = 0;
            m_Scanner.ReadNumber(key.time);
            m_Scanner.ReadVector(key.data.value);
            m_Scanner.ReadVector(key.data.inTangent);
            m_Scanner.ReadVector(key.data.outTangent);
            m_Scanner.ReadInt(flags);
            AddBezierKey(key, flags, stepNext, node.LastPosKey(), &DXC_3dObject::AddPosKey, node);
        }
        return true;
    });
}

bool RTXLoader::ReadScaleTrack(DXC_3dObject& node)
{
    bool stepNext = false;
    return ReadBlock([&](int32_t keyword) {
        DXC_ScaleKey key;
        if (keyword == RTX_CONTROL_SCALE_SAMPLE) {
            D3DXVECTOR3& v = key.data.value;
            m_Scanner.ReadNumber(key.time);
            m_Scanner.ReadVector(v);
            v = D3DXVECTOR3(std::fabs(v.x), std::fabs(v.y), std::fabs(v.z));
            key.type = KEY_LINEAR;
            node.AddScaleKey(key);
        } else if (keyword == RTX_CONTROL_BEZIER_SCALE_KEY) {
            int32_t flags = 0;
            float scaleAxisAndAngle[4];
            m_Scanner.ReadNumber(key.time);
            m_Scanner.ReadVector(key.data.value);
            m_Scanner.ReadNumbers(scaleAxisAndAngle, 4);  // not used
            m_Scanner.ReadVector(key.data.inTangent);
            m_Scanner.ReadVector(key.data.outTangent);
            m_Scanner.ReadInt(flags);
            AddBezierKey(key, flags, stepNext, node.LastScaleKey(), &DXC_3dObject::AddScaleKey, node);
        }
        return true;
    });
}

// Rotation keys are relative turns; one earlier than the key before it in this block is dropped.
bool RTXLoader::ReadRotationTrack(DXC_3dObject& node)
{
    float lastTime = 0.0f;
    return ReadBlock([&](int32_t keyword) {
        if (keyword != RTX_CONTROL_ROT_SAMPLE && keyword != RTX_CONTROL_TCB_ROT_KEY)
            return true;
        float time = 0.0f;
        DXC_RotKeyData turn;
        m_Scanner.ReadNumber(time);
        m_Scanner.ReadVector(turn.axis);
        m_Scanner.ReadNumber(turn.angle);
        uint16_t type = KEY_LINEAR;
        if (keyword == RTX_CONTROL_TCB_ROT_KEY) {
            float tcb[5] = {};
            m_Scanner.ReadNumbers(tcb, 5);
            turn.tension = tcb[0];
            turn.continuity = tcb[1];
            turn.bias = tcb[2];
            turn.easeIn = tcb[3];
            turn.easeOut = tcb[4];
            type = KEY_TCB;
        } else {
            turn.angle = RTXKeyConverter::SampleAngle(turn.angle);
        }
        if (time < lastTime) {
            Warning("Skipped wrong order rotation key in file: %s", m_FileName.c_str());
            return true;
        }
        lastTime = time;
        turn.axis = -turn.axis;
        RTXKeyConverter::AddTurn(node, time, turn, type);
        return true;
    });
}

// Three float blocks, X, Y and Z; after the third they are merged into rotation keys.
bool RTXLoader::ReadEulerTrack(DXC_3dObject& node)
{
    int32_t axis = 0;
    const bool inside = ReadBlock([&](int32_t keyword) {
        if (keyword != RTX_CONTROL_FLOAT_BEZIER || axis >= 3)
            return true;
        if (!m_Scanner.OpenBlock() || !ReadEulerAxis(m_Euler[axis]))
            return false;
        if (++axis == 3)
            RTXKeyConverter::MergeEuler(node, m_Euler);
        return true;
    });
    for (std::vector<RTX_EulerRotKey>& keys : m_Euler)
        keys.clear();  // an incomplete set must not reach the next node
    return inside;
}

bool RTXLoader::ReadEulerAxis(std::vector<RTX_EulerRotKey>& keys)
{
    bool stepNext = false;
    return ReadBlock([&](int32_t keyword) {
        if (keyword != RTX_CONTROL_BEZIER_FLOAT_KEY)
            return true;
        RTX_EulerRotKey key;
        m_Scanner.ReadNumber(key.time);
        m_Scanner.ReadNumber(key.value);
        m_Scanner.ReadNumber(key.inTangent);
        m_Scanner.ReadNumber(key.outTangent);
        m_Scanner.ReadInt(key.flags);
        if (stepNext)
            key.flags = WithStepIn(key.flags);
        if (IsStepIn(key.flags) && !keys.empty())
            keys.back().flags = WithStepOut(keys.back().flags);
        stepNext = IsStepOut(key.flags);
        keys.push_back(key);
        return true;
    });
}

bool RTXLoader::ReadNodeFloatTrack(DXC_3dObject& node)
{
    std::vector<RTX_FloatKey> track;
    bool linearOnly = true;
    const bool inside = ReadFloatKeys(track, false, linearOnly);
    RTXKeyConverter::ConvertFloatTrack(track, m_TimeBase);
    RTXKeyConverter::ToCurve(track, linearOnly, node.opacityCurve);
    return inside;
}

bool RTXLoader::ReadFloatKeys(std::vector<RTX_FloatKey>& track, bool opacity, bool& linearOnly)
{
    bool stepNext = false;
    return ReadBlock([&](int32_t keyword) {
        if (keyword != RTX_CONTROL_FLOAT_KEY && keyword != RTX_CONTROL_BEZIER_FLOAT_KEY)
            return true;
        const bool bezier = keyword == RTX_CONTROL_BEZIER_FLOAT_KEY;
        RTX_FloatKey key;
        m_Scanner.ReadNumber(key.time);
        m_Scanner.ReadNumber(key.value);
        if (bezier) {
            m_Scanner.ReadNumber(key.inTangent);
            m_Scanner.ReadNumber(key.outTangent);
            m_Scanner.ReadInt(key.flags);
            linearOnly = false;
        }
        if (stepNext)
            key.flags = WithStepIn(key.flags);
        stepNext = IsStepOut(key.flags);
        if (opacity) {
            key.value = 1.0f - key.value;
            key.inTangent = -key.inTangent;
            key.outTangent = -key.outTangent;
        }
        if (!RTXKeyConverter::AppendFloatKey(track, key))
            Warning("%s", bezier ? "Not more than 8192 float Bezier keys allowed"
                                 : "Not more than 8192 float bezier keys allowed");
        return true;
    });
}
