// CreatureObj: the small questions that movement, influences, damage and the AI ask of a
// creature: its radius, its body points, a cached line of sight, pushes, combo action codes and
// its AI state.
#include "game/objects/CreatureObj.h"

#include "base/String.h"
#include "engine/scene/DXC_3dScene.h"
#include "world/GameCtrlInterface.h"
#include "world/WorldCtrl.h"

#include <cmath>

namespace {

// The body point names by number; 6 has none.
const char* const kBodyPointNames[CreatureObj::kBodyPoints + 1] = {
    nullptr,           "Bip01 HeadNub",   "Bip01 Neck",      "Bip01 Pelvis",    "Bip01 R Clavicle",
    "Bip01 L Clavicle", nullptr,          "Bip01 R Hand",    "Bip01 L Hand",    "Bip01 R Foot",
    "Bip01 L Foot",    "Bip01 R Upperarm", "Bip01 L Upperarm", "Bip01 R Forearm", "Bip01 L Forearm",
    "Bip01 R Thigh",   "Bip01 L Thigh",   "Bip01 R Calf",    "Bip01 L Calf",    "Bip01 R Finger1",
    "Bip01 L Finger2", "Bip01 Spine1",    "staff_dummy",
};

constexpr float kSightCacheTime = 0.5f;
constexpr float kSightMoveSquared = 10000.0f;

}  // namespace

float CreatureObj::GetRadius()
{
    const float r = SceneObject::GetRadius();
    return IsDead() ? r * 2.0f : r;
}

DXC_3dObject* CreatureObj::FindBone(int32_t number)
{
    if (number < 1 || number > kBodyPoints || !kBodyPointNames[number] || !GetScene())
        return nullptr;
    return GetScene()->FindObjectByName(kBodyPointNames[number], 0);
}

int32_t CreatureObj::MapComboAction(int32_t code, bool alt)
{
    static const int32_t kMapped[8][2] = {{9, 10}, {7, 8}, {4, 5}, {11, 12}, {13, 14}, {15, 16}, {17, 18}, {19, 20}};
    if (code < 23 || code > 30)
        return code;
    return kMapped[code - 23][alt ? 1 : 0];
}

float CreatureObj::RoundHundredth(float x)
{
    return float(std::round(double(x) * 100.0) / 100.0);
}

bool CreatureObj::CanSeeCached(WorldElem* target)
{
    if (!target || !m_World)
        return false;
    const double now = GameCtrlInterface::GameTime();
    const D3DXVECTOR2 pos = target->GetPos();
    const float mx = pos.x - m_SightTargetPos[0];
    const float my = pos.y - m_SightTargetPos[1];
    if (m_SightCache < 0 || now - m_SightTime > double(kSightCacheTime) || mx * mx + my * my > kSightMoveSquared) {
        m_SightCache = m_World->IsLineClearBetween(this, target) ? 1 : 0;
        m_SightTime = now;
        m_SightTargetPos[0] = pos.x;
        m_SightTargetPos[1] = pos.y;
    }
    return m_SightCache != 0;
}

void CreatureObj::AddPush(float x, float y)
{
    if (m_Frozen || !(m_PushResistance > 0.0f))
        return;
    m_Push[0] += x / m_PushResistance;
    m_Push[1] += y / m_PushResistance;
}

void CreatureObj::SetAIState(int32_t state)
{
    if (state == m_AIState)
        return;
    m_PreviousAIState = m_AIState;
    m_AIState = state;
}

// How much each bone follows the body's own turning (looking, aiming): the spine less towards the
// hips, the arms and hands fully; the staff's dummy not at all.
static float BoneWeight(const String& name)
{
    static const struct {
        const char* name;
        float weight;
    } kWeights[] = {
        {"Bip01 Neck", 0.8f},       {"Bip01 Head", 0.7f},       {"Bip01 Spine3", 0.6f},
        {"Bip01 Spine2", 0.5f},     {"Bip01 Spine1", 0.4f},     {"Bip01 Spine", 0.3f},
        {"Bip01 Pelvis", 0.8f},     {"Bip01 L Clavicle", 0.8f}, {"Bip01 R Clavicle", 0.8f},
        {"Bip01 L UpperArm", 0.9f}, {"Bip01 R UpperArm", 0.9f}, {"staff_dummy", 0.0f},
    };
    for (const auto& w : kWeights)
        if (name.EqualsNoCase(w.name))
            return w.weight;
    return 1.0f;  // hands, fingers, the staff's groups and targets and every other bone
}

void CreatureObj::SetupBones(bool weights)
{
    m_BoneWeights.clear();
    DXC_3dScene* scene = GetScene();
    if (!scene)
        return;
    const int32_t count = scene->objects.GetSize();
    m_BoneWeights.assign(size_t(count), 0.0f);
    if (!weights)
        return;
    for (int32_t i = 0; i < count; i++)
        if (DXC_3dObject* bone = scene->objects.GetAt(i))
            m_BoneWeights[size_t(i)] = BoneWeight(String(bone->GetObjectName()));
}
