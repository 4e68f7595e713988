// CreatureObj_SF: the save record of the game's creature, in level saves, character saves and the
// character a joining client sends. It is written at version 275; the reader keeps every older
// layout and refuses a newer one. With the character flag the rows marked L are left out. A
// String is a u32 length and its characters; every count is checked against the bytes left.
//
//   row  field                                              from   L
//    1   the engine's creature record (element, scene object, creature)
//    2   engine value f32 (CreatureValueA)
//  3-5   poison per second, poison time left, poison accumulator f32
//    6   u8 (VitalFlags[1])
//    7   u8 (VitalFlags[0])                                  189
//    8   immunity bits i32                                   171
//  9-10  freeze and stun time factors f32                    196, 197
//   11   receive-damage flag u8                              181
// 12-14  creature texts A, B and the "onAction" handlers String
//   15   experience f32
// 16-17  skill points, advance points: i32 count, i32 0 (read as their sum)    L
// 18-19  kill and damage experience gain: f32 and function name String (the name
//        from 249 on)
//   20   player-character flag i32
//   21   immortal flag i32
//   22   no-experience value i32
//   23   equipment inventories weapon, head, body (Inventory records)
//   24   base combat values (CreatureCombatValues)
//   25   the creature's own damage values (their record)
//   26   AI action stack: i32 count, each KI_ActionData              L
//   27   last target position 2 f32                                   L
//   28   the action state; its action entry is found again by name    L
//   29   action serial i32                                            L
// 30-32  forward, backward, side speed f32
// 33-37  slow, run forward, run backward, run side, rotation speed f32
//   38   front angle f32
//   39   bored cycle words: 0-1, 6-7, 2-3, 4-5 (u16 each)
//   40   cycle index i16                                     225
//   41   idle time f32                                                L
//   42   strategy record                                              L
//   43   AI re-assess flag u8                                         L
//   44   AI timer f32                                                 L
//   45   keep moving in action i32
//   46   bored delay f32
// 47-48  the movement and the action cycle player (AC_FadeProperties) L
// 49-50  AI values C 2 f32, cycle values C 2 f32                      L
//   51   AI value B f32 (also given to both AI timers after loading)  L
//   52   influences: i32 count, each CreatureInfluence                L
//   53   AI further values 4 and 5 f32
//   54   AI further value 0 f32                                       L
//   55   AI state i32                                                 L
//   56   the damage factor curve over the hit angle (BezierSpline)    L
//   57   u8 (VitalFlags[2])                                           L
//   58   summoned creatures: i32 count, each an element code i32      L
//   59   16 element references, element codes i32                     L
//   60   cycle values 3 f32                                  195
//   61   hit mark i32                                        195
//   62   vital value C f32                                   199 (older: the height)
// 63-64  height-curve flag u8, flying flag u8                233 (older: 0)
// 65-66  die cycle u8, control flag u8                       234 (older: 0, unchanged)
//   67   level progress i8                                   274; 257 without the character flag
//   68   last text String                                    270 (older: empty)
#include "scifi/objects/CreatureObj_SF.h"

#include "base/File.h"
#include "base/FileRecordReader.h"
#include "base/Log.h"
#include "scifi/objects/DamageValues_SF.h"
#include "world/ActionEntry.h"
#include "world/GameCtrlInterface.h"
#include "world/WorldCtrl.h"

#include <memory>

namespace {

constexpr const char* kCutShort = "Creature record cut short";
constexpr uint16_t kNewestStream = 0xFFFF;  // a stream without a version reads as the newest
constexpr uint16_t kFlagBVersion = 189;
constexpr uint16_t kImmunityVersion = 171;
constexpr uint16_t kFreezeFactorVersion = 196;
constexpr uint16_t kStunFactorVersion = 197;
constexpr uint16_t kReceiveDamageVersion = 181;
constexpr uint16_t kGainNameVersion = 249;
constexpr uint16_t kCycleIndexVersion = 225;
constexpr uint16_t kCycleValuesVersion = 195;
constexpr uint16_t kVitalValueVersion = 199;
constexpr uint16_t kFlyingVersion = 233;
constexpr uint16_t kDieCycleVersion = 234;
constexpr uint16_t kProgressVersion = 274;
constexpr uint16_t kLevelProgressVersion = 257;  // level saves only
constexpr uint16_t kLastTextVersion = 270;
// Least bytes of one counted record, for the checks of the counts.
constexpr int64_t kActionDataBytes = 100;
constexpr int64_t kInfluenceBytes = 24;
constexpr int64_t kElemCodeBytes = 4;
// The bored cycle words in the order the record holds them.
constexpr int32_t kBoredWordOrder[8] = {0, 1, 6, 7, 2, 3, 4, 5};

int32_t AddWords(int32_t a, int32_t b) { return int32_t(uint32_t(a) + uint32_t(b)); }  // wraps as the file's sum

}  // namespace

WorldCtrl* CreatureObj_SF::GetLoadWorld()
{
    return m_World ? m_World : (g_GameCtrl ? g_GameCtrl->GetGameWorld() : nullptr);
}

void CreatureObj_SF::Save(File& file, bool characterFlag)
{
    const bool level = !characterFlag;
    CreatureObj::Save(file, characterFlag);
    file.WriteFloat(m_CreatureValueA);
    file.WriteFloat(m_PoisonDamage);
    file.WriteFloat(m_PoisonTime);
    file.WriteFloat(m_PoisonAccumulator);
    file.WriteInt8(m_VitalFlags[1]);
    file.WriteInt8(m_VitalFlags[0]);
    file.WriteInt32(int32_t(m_ImmunityMask));
    file.WriteFloat(m_FreezeTimeFactor);
    file.WriteFloat(m_StunTimeFactor);
    file.WriteInt8(m_Stats.receiveDamage);
    file.WriteString(m_CreatureTextA);
    file.WriteString(m_CreatureTextB);
    file.WriteString(m_ActionScript);
    file.WriteFloat(m_Experience);
    if (level) {
        for (int32_t points : {m_SkillPoints, m_AdvancePoints}) {
            file.WriteInt32(points);
            file.WriteInt32(0);
        }
    }
    file.WriteFloat(m_Stats.expKill);
    file.WriteString(m_PairTextA);
    file.WriteFloat(m_Stats.expDamage);
    file.WriteString(m_PairTextB);
    file.WriteInt32(m_MainCharacter);
    file.WriteInt32(m_Stats.immortal);
    file.WriteInt32(m_NoExperience);
    for (Inventory& slot : m_Equipment)
        slot.Save(file, characterFlag);
    m_BaseValues.Save(file);
    if (const DamageValues* own = GetDamageValues())
        own->Save(file);
    else
        DamageValues_SF().Save(file);  // the layout stays the same without a factory
    if (level) {
        file.WriteInt32(m_AIActions.GetSize());
        for (int32_t position = 0; position < m_AIActions.GetSize(); position++)
            m_AIActions.GetAt(position)->Save(file);
        file.WriteFloats(m_Pair, 2);
        SaveActionState(file);
        file.WriteInt32(m_ActionSerial);
    }
    for (float speed : {m_Cycle.forwardSpeed, m_Cycle.backwardSpeed, m_Cycle.sideSpeed, m_Cycle.slowSpeed,
                        m_Cycle.runForwardSpeed, m_Cycle.runBackwardSpeed, m_Cycle.runSideSpeed,
                        m_Cycle.rotationSpeed})
        file.WriteFloat(speed);
    file.WriteFloat(m_AngleFront);
    for (int32_t word : kBoredWordOrder)
        file.WriteInt16(m_CycleWords[word]);
    file.WriteInt16(m_CycleIndex);
    if (level) {
        file.WriteFloat(m_IdleTime);
        m_Strategy.Save(file);
        file.WriteInt8(m_ReassessFlag);
        file.WriteFloat(m_AITimer);
    }
    file.WriteInt32(m_KeepMovingInAction);
    file.WriteFloat(m_BoredDelay);
    if (level) {
        m_CyclePlayers[0].Save(file);
        m_CyclePlayers[1].Save(file);
        file.WriteFloats(m_AIValuesC, 2);
        file.WriteFloats(m_CycleValuesC, 2);
        file.WriteFloat(m_AIValueB);
        file.WriteInt32(m_Influences.GetSize());
        for (int32_t position = 0; position < m_Influences.GetSize(); position++)
            m_Influences.GetAt(position)->Save(file);
    }
    file.WriteFloat(m_AIFurther[4]);
    file.WriteFloat(m_AIFurther[5]);
    if (level) {
        file.WriteFloat(m_AIFurther[0]);
        file.WriteInt32(m_AIState);
        m_Stats.damFactorAngle.Save(file);
        file.WriteInt8(m_VitalFlags[2]);
        CleanSummonedList();  // the count written is the references that follow
        file.WriteInt32(m_Summoned.GetSize());
        for (int32_t position = 0; position < m_Summoned.GetSize(); position++)
            WorldElem::SaveElemPtr(file, m_Summoned.GetAt(position)->Get());
        for (const SmartPtr<WorldElem>& ref : m_ElemRefs)
            WorldElem::SaveElemPtr(file, ref.Get());
    }
    file.WriteFloats(m_CycleValues, 3);
    file.WriteInt32(m_HitMark);
    file.WriteFloat(m_VitalValueC);
    file.WriteInt8(m_Cycle.heightTrack);
    file.WriteInt8(m_IsFlying);
    file.WriteInt8(m_Cycle.deathVariant);
    file.WriteInt8(m_ControlFlag);
    file.WriteInt8(m_LevelProgress);
    file.WriteString(m_LastText);
}

void CreatureObj_SF::Load(File& file, bool characterFlag)
{
    const uint16_t version = file.GetVersion();
    if (version > kNewestRecord && version != kNewestStream)
        file.Error("Creature record of version %i is newer than %i", version, kNewestRecord);
    CreatureObj::Load(file, characterFlag);
    LoadRows(file, characterFlag);
}

void CreatureObj_SF::LoadRows(File& file, bool characterFlag)
{
    const uint16_t version = file.GetVersion();
    const bool level = !characterFlag;
    FileRecordReader in(file, kCutShort);
    m_CreatureValueA = in.F32();
    m_PoisonDamage = in.F32();
    m_PoisonTime = in.F32();
    m_PoisonAccumulator = in.F32();
    m_VitalFlags[1] = in.U8();
    if (version >= kFlagBVersion)
        m_VitalFlags[0] = in.U8();
    if (version >= kImmunityVersion)
        m_ImmunityMask = in.U32();
    if (version >= kFreezeFactorVersion)
        m_FreezeTimeFactor = in.F32();
    if (version >= kStunFactorVersion)
        m_StunTimeFactor = in.F32();
    if (version >= kReceiveDamageVersion)
        m_Stats.receiveDamage = in.U8();
    in.Text(m_CreatureTextA);
    in.Text(m_CreatureTextB);
    in.Text(m_ActionScript);
    m_Experience = in.F32();
    if (level) {
        m_SkillPoints = AddWords(in.I32(), in.I32());
        m_AdvancePoints = AddWords(in.I32(), in.I32());
    }
    m_Stats.expKill = in.F32();
    if (version >= kGainNameVersion)
        in.Text(m_PairTextA);
    m_Stats.expDamage = in.F32();
    if (version >= kGainNameVersion)
        in.Text(m_PairTextB);
    m_MainCharacter = in.I32();
    m_Stats.immortal = in.I32() != 0 ? 1 : 0;
    m_NoExperience = in.I32();
    for (Inventory& slot : m_Equipment)
        slot.Load(file, -1, true, 0);
    m_BaseValues.Load(in, version);
    if (DamageValues* own = GetDamageValues())
        own->Load(in);
    else
        DamageValues_SF().Load(in);
    if (level) {
        const int32_t actions = in.Count("AI action", kActionDataBytes);
        m_AIActions.DeleteAll();
        for (int32_t i = 0; i < actions; i++) {
            KI_ActionData& action = *m_AIActions.GetBySlot(m_AIActions.Add());  // constructed fresh
            action.Load(file);
        }
        in.Floats(m_Pair, 2);
        LoadActionState(file);
        CreatureActionState& state = m_ActionState;
        WorldCtrl* world = GetLoadWorld();
        state.pActionEntry = state.actionCode == kActionEntry && !state.actionName.IsEmpty() && world
                                 ? world->FindActionEntry(state.actionName.c_str(), true)
                                 : nullptr;
        m_ActionSerial = in.I32();
    }
    for (float* speed : {&m_Cycle.forwardSpeed, &m_Cycle.backwardSpeed, &m_Cycle.sideSpeed, &m_Cycle.slowSpeed,
                         &m_Cycle.runForwardSpeed, &m_Cycle.runBackwardSpeed, &m_Cycle.runSideSpeed,
                         &m_Cycle.rotationSpeed})
        *speed = in.F32();
    m_AngleFront = in.F32();
    for (int32_t word : kBoredWordOrder)
        m_CycleWords[word] = in.U16();
    if (version >= kCycleIndexVersion)
        m_CycleIndex = in.I16();
    if (level) {
        m_IdleTime = in.F32();
        m_Strategy.Load(file, GetLoadWorld());
        m_ReassessFlag = in.U8();
        m_AITimer = in.F32();
    }
    m_KeepMovingInAction = in.I32();
    m_BoredDelay = in.F32();
    if (level) {
        m_CyclePlayers[0].Load(file, version);
        m_CyclePlayers[1].Load(file, version);
        in.Floats(m_AIValuesC, 2);
        in.Floats(m_CycleValuesC, 2);
        m_AIValueB = in.F32();
        const int32_t influences = in.Count("Creature influence", kInfluenceBytes);
        m_Influences.DeleteAll();
        for (int32_t i = 0; i < influences; i++)
            m_Influences.GetBySlot(m_Influences.Add())->Load(file, version);
    }
    m_AIFurther[4] = in.F32();
    m_AIFurther[5] = in.F32();
    if (level) {
        m_AIFurther[0] = in.F32();
        m_AIState = in.I32();
        m_Stats.damFactorAngle.Load(file);
        m_VitalFlags[2] = in.U8();
        const int32_t summoned = in.Count("Summoned creature", kElemCodeBytes);
        m_PendingSummoned.assign(size_t(summoned), -1);
        for (int32_t& code : m_PendingSummoned)
            code = in.I32();
        for (int32_t& code : m_PendingElemRefs)
            code = in.I32();
        m_HasPendingRefs = true;
    }
    if (version >= kCycleValuesVersion) {
        in.Floats(m_CycleValues, 3);
        m_HitMark = in.I32();
    }
    m_VitalValueC = version >= kVitalValueVersion ? in.F32() : GetOwnHeight();
    m_Cycle.heightTrack = version >= kFlyingVersion ? in.U8() : 0;
    m_IsFlying = version >= kFlyingVersion ? in.U8() : 0;
    m_Cycle.deathVariant = version >= kDieCycleVersion ? in.U8() : 0;
    if (version >= kDieCycleVersion)
        m_ControlFlag = in.U8();
    if (version >= kProgressVersion || (level && version >= kLevelProgressVersion))
        m_LevelProgress = in.I8();
    if (version >= kLastTextVersion)
        in.Text(m_LastText);
    else
        m_LastText = String();

    if (level)
        m_AITimers[0] = m_AITimers[1] = m_AIValueB;
    RebindAfterLoad();
    UpdateValues(false);
    OnInventoryChanged();
}

bool CreatureObj_SF::LoadChecked(File& file, bool characterFlag)
{
    std::unique_ptr<CreatureObj_SF> scratch(new CreatureObj_SF);
    try {
        scratch->Load(file, characterFlag);
    } catch (const ErrorMsg& e) {  // a damaged record: the creature stays as it was
        Log::Write("Creature record not loaded: %s", e.message);
        return false;
    }
    CopyFrom(*scratch);
    if (scratch->m_Inventory) {
        if (!m_Inventory)
            CreateInventory(scratch->m_Inventory->GetMaxItems());
        m_Inventory->CopyFrom(*scratch->m_Inventory);
    }
    OnInventoryChanged();
    return true;
}

void CreatureObj_SF::ResolveSavedRefs(WorldCtrl& world)
{
    CreatureObj::ResolveSavedRefs(world);
    if (!m_HasPendingRefs)
        return;
    m_Summoned.DeleteAll();
    for (int32_t code : m_PendingSummoned)
        if (auto* elem = dynamic_cast<WorldElem*>(world.GetElemByCode(code)))
            *m_Summoned.GetBySlot(m_Summoned.Add()) = elem;
    for (int32_t i = 0; i < kElemRefs; i++) {
        m_ElemRefs[i] = dynamic_cast<WorldElem*>(world.GetElemByCode(m_PendingElemRefs[i]));
        m_PendingElemRefs[i] = -1;
    }
    m_PendingSummoned.clear();
    m_HasPendingRefs = false;
}
