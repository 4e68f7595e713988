// CreatureObj: the small questions that movement, influences, damage and the AI ask of a
// creature: its radius, its body points, a cached line of sight, pushes, combo action codes and
// its AI state.
#include "game/objects/CreatureObj.h"

#include "base/Random.h"
#include "base/String.h"
#include "engine/scene/DXC_3dScene.h"
#include "world/ActionEntry.h"
#include "world/GameCtrlInterface.h"
#include "world/InputCtrlBase.h"
#include "world/InventoryItem.h"
#include "world/KI_Strategy.h"
#include "world/WorldCtrl.h"

#include <algorithm>
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
// The creature's own line tests meet walls and every element; the free-direction search meets
// walls and elements other than creatures, which step aside by themselves.
constexpr int32_t kLineTestMask = 27;
constexpr int32_t kFreeDirectionMask = 19;
constexpr int32_t kFreeDirectionTries = 5;
constexpr double kHitSoundInterval = 0.2;
constexpr int32_t kIntentionUninterruptible = 17;

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

// The floor a line test of the creature keeps to: a raised floor object's, or the level's.
int16_t CreatureObj::FloorLayer() const { return IsOnFloorObject() ? 1 : 0; }

bool CreatureObj::IsLineClearTo(float x, float y)
{
    if (!m_World)
        return true;
    const D3DXVECTOR2 pos = GetPos();
    return m_World->GetIntersection(pos.x, pos.y, x, y, nullptr, kLineTestMask, false, this, nullptr, FloorLayer(),
                                    WorldCtrl::kNoMinHeight) != 0;
}

D3DXVECTOR2 CreatureObj::FindFreeDirection(float x, float y, float dx, float dy, float maxAngle, float margin)
{
    const float clearance = 1.0f + margin;
    const float reach = std::min(std::sqrt(dx * dx + dy * dy), clearance);
    const float height = m_Motion.heightFlag ? GetOwnHeight() + GetGroundHeight() : 0.0f;
    D3DXVECTOR2 farthest(0.0f, 0.0f);
    D3DXVECTOR2 firstHit(0.0f, 0.0f);
    float farthestDistance = 0.0f;
    for (int32_t attempt = 0; attempt < kFreeDirectionTries; attempt++) {
        const float a = float(Random::Range(-maxAngle, maxAngle));
        const float c = std::cos(a);
        const float s = std::sin(a);
        const D3DXVECTOR2 turned(dx * c - dy * s, dx * s + dy * c);
        D3DXVECTOR2 hit(x + turned.x, y + turned.y);
        if (!m_World ||
            m_World->GetIntersection(x, y, x + turned.x, y + turned.y, &hit, kFreeDirectionMask, false, this, nullptr,
                                     FloorLayer(), height) != 0) {
            // Clear: a point on the turned line, short of its end by the reach.
            const float length = std::sqrt(turned.x * turned.x + turned.y * turned.y);
            const float keep = length > 0.0f ? std::max(length - reach, 0.0f) / length : 0.0f;
            return D3DXVECTOR2(turned.x * keep, turned.y * keep);
        }
        const D3DXVECTOR2 offset(hit.x - x, hit.y - y);
        const float distance = std::sqrt(offset.x * offset.x + offset.y * offset.y);
        if (attempt == 0)
            firstHit = offset;
        if (distance > farthestDistance) {
            farthestDistance = distance;
            farthest = offset;
        }
    }
    if (farthestDistance <= 0.0f)
        return firstHit;
    // Short of the farthest obstacle by the clearance.
    const float keep = std::max(farthestDistance - std::min(farthestDistance, clearance), 0.0f) / farthestDistance;
    return D3DXVECTOR2(farthest.x * keep, farthest.y * keep);
}

bool CreatureObj::IsInActionRange(float a, float b)
{
    const ActionEntry* entry = m_ActionState.pActionEntry;
    WorldElem* target = m_TargetElem.Get();
    if (!entry || !target)
        return false;
    const float range = entry->range;
    const D3DXVECTOR2 d = target->GetPos() - GetPos();
    const float distance = std::sqrt(d.x * d.x + d.y * d.y);
    return range * a > distance && range * b < distance;
}

void CreatureObj::PlayHitSounds(const char* name)
{
    const double now = GameCtrlInterface::GameTime();
    if (now - m_Motion.lastHitSound < kHitSoundInterval)
        return;
    m_Motion.lastHitSound = now;
    PlaySound(name, 0);
    if (!m_HitSound.IsEmpty()) {
        const D3DXVECTOR2 pos = GetPos();
        ::PlaySound(m_HitSound.c_str(), &pos, this, 0);
    }
}

void CreatureObj::PlayFootstep()
{
    if (!m_World)
        return;
    const D3DXVECTOR2 pos = GetPos();
    int32_t material = m_World->GetFloorMaterial(pos.x, pos.y);
    if (material == 0)
        material = 1;
    if (material < 1 || material > 8)
        return;
    const String& sound = m_GroundSounds[material - 1];
    if (!sound.IsEmpty())
        m_World->PlaySoundAt(sound.c_str(), pos.x, pos.y, this, 0);
}

KI_ActionData* CreatureObj::GetTopAction()
{
    const int32_t size = m_AIActions.GetSize();
    return size > 0 ? m_AIActions.GetBySlot(m_AIActions.GetUsedSlot(size - 1)) : nullptr;
}

bool CreatureObj::IsTopActionRunning()
{
    const KI_ActionData* top = GetTopAction();
    return top && !top->finished;
}

int32_t CreatureObj::GetTopActionValue()
{
    const KI_ActionData* top = GetTopAction();
    return top ? top->pair[0] : 0;
}

void CreatureObj::SetTopActionPair(int32_t a, int32_t b)
{
    if (KI_ActionData* top = GetTopAction()) {
        top->pair[0] = a;
        top->pair[1] = b;
    }
}

bool CreatureObj::CountDownTopAction(float dt)
{
    KI_ActionData* top = GetTopAction();
    if (!top)
        return false;
    top->values[0] -= dt;
    return top->values[0] <= 0.0f;
}

void CreatureObj::TakeTopActionState()
{
    const KI_ActionData* top = GetTopAction();
    if (top && top->aiState >= 0)
        SetAIState(top->aiState);
}

bool CreatureObj::CanBeInterrupted()
{
    const KI_ActionData* top = GetTopAction();
    if (!top || m_AIActions.GetLockCount() > 0)
        return true;
    return top->task != kIntentionUninterruptible;
}

void CreatureObj::CheckAttackStatePoint(float dt)
{
    const CreatureActionState& s = m_ActionState;
    const KI_ActionData* top = GetTopAction();
    if (s.actionCode != kActionEntry || !s.pActionEntry || !top)
        return;
    if ((top->params.kind != 15 && top->params.kind != 16) || top->aiState == m_AIState || !top->hasStateCurve)
        return;
    const float animSpeed = GetAnimSpeedFactor();
    if (!(animSpeed > 0.0f))
        return;
    float t = s.pActionEntry->duration / animSpeed * top->statePoint;
    if (top->statePoint >= 1.0f)
        t -= 0.01f;
    if (t <= s.actionTime + dt)
        TakeTopActionState();
}

void CreatureObj::SetDecision(KI_Strategy* decision)
{
    const bool changed = decision != m_Strategy.strategy;
    m_Strategy.strategy = decision;
    if (decision)
        m_Strategy.value = decision->recalcTime;
    m_Strategy.strategyTimer = 0.0f;
    if (changed && m_InputCtrl)
        m_InputCtrl->UpdateCreatureMob(this);
}

bool CreatureObj::GetDecisionFlag() const
{
    return m_Strategy.strategy && m_Strategy.strategy->moveIfOpposingTarget;
}

InventoryItem* CreatureObj::FilterItem(InventoryItem* item)
{
    if (item)
        return item->m_Blocked ? nullptr : item;
    if (g_GameCtrl && g_GameCtrl->GetGlobalGameMode() == 2)
        return g_GameCtrl->GetCurrentItem();
    return nullptr;
}
