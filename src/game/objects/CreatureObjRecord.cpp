// CreatureObj: the save record, written after the scene object's, and the saved form of the
// action state. The writer always writes the newest form; the reader expects a field from the
// stream version that brought it and otherwise keeps its default.
//
// Creature record:
//   from  field
//         health f32, level i32, highest level i32, mana f32
//         mana refill left f32, health refill left f32
//   207   mana refill rate f32, health refill rate f32 (older saves: both 10.0)
//  -182   two old 4-byte values, skipped (only saves before 183 hold them)
//   267   tint colour u32, default strategy name String (a name not empty is made current)
//   269   dead u8, death time f32
//
// Action state:
//   move code i32, action code i32, action name String, action time f32, move priority i32,
//   action priority i32, move target 2 f32, move speed f32, action parameter f32, further value
//   f32, move vector A 2 f32, move vector B 2 f32, move target i32 object ID, action target i32
//   object ID (-1 none), lock count i32 (bounded by the bytes left), each lock 12 bytes:
//   priority i32, lock flags u32, time f32
#include "game/objects/CreatureObj.h"

#include "base/File.h"
#include "base/FileRecordReader.h"
#include "world/ElemCode.h"
#include "world/GameCtrlInterface.h"
#include "world/WorldCtrl.h"

namespace {

constexpr uint16_t kRefillRateVersion = 207;
constexpr uint16_t kOldValuesDroppedVersion = 183;
constexpr uint16_t kTintVersion = 267;
constexpr uint16_t kDeathVersion = 269;
constexpr float kOldRefillRate = 10.0f;

int32_t ObjIDOf(const SmartPtr<WorldElem>& ref, int32_t saved)
{
    const WorldElem* elem = ref.Get();
    return elem ? elem->m_ObjID : saved;
}

}  // namespace

void CreatureObj::SaveCreature(File& file, bool transferOnly)
{
    (void)transferOnly;  // the record holds nothing that only a full save keeps
    file.WriteFloat(m_Health);
    file.WriteInt32(m_Level);
    file.WriteInt32(m_HighestLevel);
    file.WriteFloat(m_Mana);
    file.WriteFloat(m_ManaRefillLeft);
    file.WriteFloat(m_HealthRefillLeft);
    file.WriteFloat(m_ManaRefillRate);
    file.WriteFloat(m_HealthRefillRate);
    file.WriteInt32(int32_t(m_TintColour));
    file.WriteString(m_DefaultStrategyName);
    file.WriteInt8(m_Dead);
    file.WriteFloat(m_DeathTime);
}

void CreatureObj::LoadCreature(File& file, uint16_t version, bool transferOnly)
{
    (void)transferOnly;
    FileRecordReader in(file, "Creature record cut short");
    m_Health = in.F32();
    m_Level = in.I32();
    m_HighestLevel = in.I32();
    m_Mana = in.F32();
    m_ManaRefillLeft = in.F32();
    m_HealthRefillLeft = in.F32();
    if (version >= kRefillRateVersion) {
        m_ManaRefillRate = in.F32();
        m_HealthRefillRate = in.F32();
    } else {
        m_ManaRefillRate = kOldRefillRate;
        m_HealthRefillRate = kOldRefillRate;
    }
    if (version < kOldValuesDroppedVersion)
        in.Skip(8);
    if (version >= kTintVersion) {
        m_TintColour = in.U32();
        String name;
        in.Text(name);
        m_DefaultStrategyName = name;
        if (!name.IsEmpty())
            SetStrategy(name);
    }
    if (version >= kDeathVersion) {
        m_Dead = in.U8();
        m_DeathTime = in.F32();
    }
}

void CreatureObj::Save(File& file, bool compact)
{
    SceneObject::Save(file, compact);
    SaveCreature(file, compact);
}

void CreatureObj::Load(File& file, bool compact)
{
    SceneObject::Load(file, compact);
    LoadCreature(file, file.GetVersion(), compact);
}

void CreatureObj::SaveActionState(File& file)
{
    const CreatureActionState& s = m_ActionState;
    file.WriteInt32(s.moveCode);
    file.WriteInt32(s.actionCode);
    file.WriteString(s.actionName);
    file.WriteFloat(s.actionTime);
    file.WriteInt32(s.movePriority);
    file.WriteInt32(s.actionPriority);
    file.WriteFloat(s.moveTarget[0]);
    file.WriteFloat(s.moveTarget[1]);
    file.WriteFloat(s.moveSpeed);
    file.WriteFloat(s.actionParam);
    file.WriteFloat(s.actionValue);
    for (int32_t i = 0; i < 2; i++)
        file.WriteFloat(s.moveVecA[i]);
    for (int32_t i = 0; i < 2; i++)
        file.WriteFloat(s.moveVecB[i]);
    file.WriteInt32(ObjIDOf(s.moveTargetObj, s.savedMoveTargetID));
    file.WriteInt32(ObjIDOf(s.actionTargetObj, s.savedActionTargetID));
    file.WriteInt32(m_ActionState.forcedActions.GetSize());
    for (int32_t position = 0; position < m_ActionState.forcedActions.GetSize(); position++) {
        const CreatureForcedAction& lock = *m_ActionState.forcedActions.GetAt(position);
        file.WriteInt32(lock.priority);
        file.WriteInt32(int32_t(lock.lockFlags));
        file.WriteFloat(lock.time);
    }
}

void CreatureObj::LoadActionState(File& file)
{
    FileRecordReader in(file, "Creature action state cut short");
    CreatureActionState& s = m_ActionState;
    s.moveCode = in.I32();
    s.actionCode = in.I32();
    in.Text(s.actionName);
    s.actionTime = in.F32();
    s.movePriority = in.I32();
    s.actionPriority = in.I32();
    in.Floats(s.moveTarget, 2);
    s.moveSpeed = in.F32();
    s.actionParam = in.F32();
    s.actionValue = in.F32();
    in.Floats(s.moveVecA, 2);
    in.Floats(s.moveVecB, 2);
    s.moveTargetObj = nullptr;
    s.actionTargetObj = nullptr;
    s.savedMoveTargetID = in.I32();
    s.savedActionTargetID = in.I32();
    const int32_t count = in.Count("Forced action", CreatureForcedAction::kRecordBytes);
    for (int32_t i = 0; i < count; i++) {
        CreatureForcedAction& lock = *s.forcedActions.GetBySlot(s.forcedActions.Add());
        lock.priority = in.I32();
        lock.lockFlags = in.U32();
        lock.time = in.F32();
    }
    SetBlockedFlagA(0);
}

void CreatureObj::RestoreWallChildren()
{
    SceneObject::RestoreWallChildren();
    WorldCtrl* world = m_World;
    if (!world)
        return;
    CreatureActionState& s = m_ActionState;
    auto resolve = [world](SmartPtr<WorldElem>& ref, int32_t& savedID) {
        if (savedID != CreatureActionState::kNone)
            ref = world->GetObjNoCheck(savedID, false);
        savedID = CreatureActionState::kNone;
    };
    resolve(s.moveTargetObj, s.savedMoveTargetID);
    resolve(s.actionTargetObj, s.savedActionTargetID);
    // The influences' sources were saved as element codes.
    for (int32_t position = 0; position < m_Influences.GetSize(); position++) {
        InfluenceParams& params = m_Influences.GetAt(position)->params;
        if (params.pendingTarget == ElemCode::kNone)
            continue;
        int32_t kind = 0;
        int32_t id = 0;
        ElemCode::Split(params.pendingTarget, kind, id);
        const bool isElement = kind != ElemType::kLight && kind != ElemType::kWall;
        params.target = isElement ? world->GetObjNoCheck(id, false) : nullptr;
        params.pendingTarget = ElemCode::kNone;
    }
}
