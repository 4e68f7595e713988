// CreatureObj: construction, reset, destruction, copy and clone, summoning, mana, the speed
// factors and the small answers.
#include "game/objects/CreatureObj.h"

#include "base/GameOptions.h"
#include "world/DamageValues.h"
#include "world/GameCtrlInterface.h"
#include "world/InputCtrlBase.h"
#include "world/Inventory.h"
#include "world/InventoryItem.h"
#include "world/KI_Strategy.h"

CreatureObj::CreatureObj()
{
    CopyName32(this, "CreatureObj");
    m_TypeCode = ElemType::kCreature;
    m_DamageValues.reset(g_GameCtrl ? g_GameCtrl->CreateDamageValues() : nullptr);
    SetCreatureDefaults();
}

CreatureObj::CreatureObj(const CreatureObj& other) : SceneObject(other)
{
    CopyName32(this, "CreatureObj");
    CopyCreature(other);
}

CreatureObj& CreatureObj::operator=(const CreatureObj& other)
{
    if (this != &other) {
        SceneObject::operator=(other);
        CopyCreature(other);
    }
    return *this;
}

CreatureObj::~CreatureObj() { CreatureObj::Reset(); }

void CreatureObj::Reset()
{
    m_AIActions.DeleteAll();
    SceneObject::Reset();
    if (m_LastEnemy.Get()) {
        m_LastEnemy = nullptr;
        if (m_InputCtrl)
            m_InputCtrl->UpdateCreatureMob(this);
    }
    SetCreatureDefaults();
}

void CreatureObj::SetCreatureDefaults()
{
    m_TypeCode = ElemType::kCreature;
    m_Health = 50.0f;
    m_Mana = 0.0f;
    m_Level = 1;
    m_PendingLevelUps = 0;
    m_HighestLevel = 1;
    m_CreatureValueA = 1000.0f;
    m_AlertRadius = 0.0f;
    m_CreatureValueC = -1.0f;
    m_CreatureValueD = -1.0f;
    m_CreatureTextA = String();
    m_CreatureTextB = String();
    m_ActionScript = String();
    m_OnActionCount = 0;
    m_ExperienceReceiver = nullptr;
    m_NoExperience = 0;
    m_Experience = 0.0f;
    m_VitalValues[0] = 0.0f;
    m_VitalValues[1] = 1.0f;
    m_VitalValues[2] = 0.0f;
    m_ManaRefillLeft = 0.0f;
    m_HealthRefillLeft = 0.0f;
    m_ManaRefillRate = 0.0f;
    m_HealthRefillRate = 0.0f;
    m_PairValueA = 5.0f;
    m_PairTextA = String();
    m_PairValueB = 0.0f;
    m_PairTextB = String();
    m_HitValue = 0.1f;
    m_HitRepeatWindow = 0.5f;
    m_VitalValuesB[0] = m_VitalValuesB[1] = 0.0f;
    m_MainCharacter = 0;
    for (float& value : m_CycleValues)
        value = 0.0f;
    m_ActionSerial = 1;
    m_VitalFlags[0] = 1;
    m_VitalFlags[1] = 0;
    m_VitalFlags[2] = 1;
    m_AttackCycleStarted = 0;
    m_KeepMovingInAction = 0;
    m_SoundSet = nullptr;
    m_VitalValueC = 0.0f;
    m_Dead = 0;
    m_AIFlag = 1;
    m_DeathTime = 0.0f;
    for (float& value : m_MaxValues)
        value = 100.0f;
    m_JumpFrontSpeed = 0.0f;
    m_JumpSideSpeed = 0.0f;
    m_JumpBackSpeed = 0.0f;
    m_DodgeSpeed = 0.0f;
    m_IdleTime = 9999.0f;
    m_BoredDelay = 1.0f;
    m_CycleValueB = 0.0f;
    m_CycleNumbers[0] = m_CycleNumbers[1] = -1;
    m_MovementMode = 1;
    m_ControlFlag = kControlFlagUnset;
    m_AIAngle = 3.1415927f;
    m_ActionRestart = 0;
    m_MovementDone = 0;
    m_AIValues[0] = m_AIValues[1] = 0;
    m_TimeWithoutAction = 0.0f;
    m_AIInterval = 0.5f;
    m_HitMark = 0;
    m_AIValueB = 0.0f;
    m_LastAttackEntry = nullptr;
    m_LastAttackTime = -1.0f;
    m_Influences.DeleteAll();
    m_SlowAmount = 0.0f;
    m_SpeedFactor = 1.0f;
    m_FactorB = 1.0f;
    m_FactorC = 1.0f;
    m_ShieldStrength = 0.0f;
    m_Frozen = 0;
    m_Invisible = 0;
    m_Weakened = 0;
    m_ImmunityMask = 0;
    m_FreezeTimeFactor = 1.0f;
    m_StunTimeFactor = 1.0f;
    for (uint32_t& mask : m_AIMasks)
        mask = 0xFFFFFFFFu;
    m_MobData = nullptr;
    m_AngleFront = 0.0f;  // script built-ins
    m_IsFlying = 0;
    m_RecentDamageSum = 0.0f;
    m_AIEvents = AIEvents();
    m_AIRun = AIRunState();
    m_DefaultStrategyName = String();
    m_Strategy.Reset();
    m_Strategy.name = String();
    m_AITargetSlot = -1;
    m_AITimer = -1.0f;
    m_AIValuesC[0] = m_AIValuesC[1] = 0.0f;
    m_Pair[0] = m_Pair[1] = 0.0f;
    m_AIValueD = -1.0f;
    for (int32_t i = 0; i < kElemRefs; i++) {
        m_ElemRefs[i] = nullptr;
        m_ElemNames[i] = String();
    }
    m_Summoned.DeleteAll();
    m_ElemList.RemoveAll();
    m_AIState = 0;
    m_PreviousAIState = -1;
    m_ReassessFlag = 1;
    m_AITimers[0] = m_AITimers[1] = 0.0f;
    m_TargetElem = nullptr;
    for (float& value : m_TargetValues)
        value = 0.0f;
    m_CycleValuesC[0] = m_CycleValuesC[1] = 0.0f;
    m_CycleIndex = -1;
    m_MoveDelta[0] = m_MoveDelta[1] = 0.0f;
    const float further[8] = {0.0f, 1000.0f, 0.0f, 0.0f, 10.0f, 20.0f, 0.0f, 0.0f};
    for (int32_t i = 0; i < 8; i++)
        m_AIFurther[i] = further[i];
    m_TintColour = 0xFFFFFFFFu;
    m_Cycle = CreatureCycleValues();
    m_Motion = CreatureMotionValues();
    m_HitSound = String();
    for (String& sound : m_GroundSounds)
        sound = String();
    m_LastBloodTime = -1.0f;  // damage intake and death
    m_DamageFactor = 1.0f;
    m_AttackID = 0;
    m_IncomingAttack = 0;
    m_Attacker = nullptr;
    m_Dying = 0;
    m_CopyTargets = 0;
}

void CreatureObj::CopyCreature(const CreatureObj& o)
{
    m_Health = o.m_Health;
    m_Mana = o.m_Mana;
    m_Level = o.m_Level;
    m_PendingLevelUps = o.m_PendingLevelUps;
    m_HighestLevel = o.m_HighestLevel;
    m_CreatureValueA = o.m_CreatureValueA;
    m_AlertRadius = o.m_AlertRadius;
    m_CreatureValueC = o.m_CreatureValueC;
    m_CreatureValueD = o.m_CreatureValueD;
    m_CreatureTextA = o.m_CreatureTextA;
    m_CreatureTextB = o.m_CreatureTextB;
    m_ActionScript = o.m_ActionScript;
    m_OnActionCount = o.m_OnActionCount;
    m_ExperienceReceiver = o.m_ExperienceReceiver;
    m_NoExperience = o.m_NoExperience;
    m_Experience = o.m_Experience;
    for (int32_t i = 0; i < 3; i++) {
        m_VitalValues[i] = o.m_VitalValues[i];
        m_CycleValues[i] = o.m_CycleValues[i];
        m_VitalFlags[i] = o.m_VitalFlags[i];
        m_TargetValues[i] = o.m_TargetValues[i];
    }
    m_ManaRefillLeft = o.m_ManaRefillLeft;
    m_HealthRefillLeft = o.m_HealthRefillLeft;
    m_ManaRefillRate = o.m_ManaRefillRate;
    m_HealthRefillRate = o.m_HealthRefillRate;
    m_PairValueA = o.m_PairValueA;
    m_PairTextA = o.m_PairTextA;
    m_PairValueB = o.m_PairValueB;
    m_PairTextB = o.m_PairTextB;
    m_HitValue = o.m_HitValue;
    m_HitRepeatWindow = o.m_HitRepeatWindow;
    m_MainCharacter = o.m_MainCharacter;
    m_ActionSerial = o.m_ActionSerial;
    m_AttackCycleStarted = o.m_AttackCycleStarted;
    m_KeepMovingInAction = o.m_KeepMovingInAction;
    m_SoundSet = o.m_SoundSet;
    m_VitalValueC = o.m_VitalValueC;
    m_Dead = o.m_Dead;
    m_AIFlag = o.m_AIFlag;
    m_DeathTime = o.m_DeathTime;
    for (int32_t i = 0; i < 4; i++) {
        m_MaxValues[i] = o.m_MaxValues[i];
        m_AIMasks[i] = o.m_AIMasks[i];
    }
    m_JumpFrontSpeed = o.m_JumpFrontSpeed;
    m_JumpSideSpeed = o.m_JumpSideSpeed;
    m_JumpBackSpeed = o.m_JumpBackSpeed;
    m_DodgeSpeed = o.m_DodgeSpeed;
    m_IdleTime = o.m_IdleTime;
    m_BoredDelay = o.m_BoredDelay;
    m_CycleValueB = o.m_CycleValueB;
    for (int32_t i = 0; i < 2; i++) {
        m_VitalValuesB[i] = o.m_VitalValuesB[i];
        m_CycleNumbers[i] = o.m_CycleNumbers[i];
        m_AIValues[i] = o.m_AIValues[i];
        m_AIValuesC[i] = o.m_AIValuesC[i];
        m_Pair[i] = o.m_Pair[i];
        m_AITimers[i] = o.m_AITimers[i];
        m_CycleValuesC[i] = o.m_CycleValuesC[i];
        m_CyclePlayers[i] = o.m_CyclePlayers[i];
        m_MoveDelta[i] = o.m_MoveDelta[i];
    }
    m_MovementMode = o.m_MovementMode;
    m_ControlFlag = o.m_ControlFlag;
    m_AIAngle = o.m_AIAngle;
    m_ActionRestart = o.m_ActionRestart;
    m_MovementDone = o.m_MovementDone;
    m_ActionState = o.m_ActionState;
    m_BlockedFlagA = o.m_BlockedFlagA;
    m_BlockedFlagB = o.m_BlockedFlagB;
    m_BlockedFlagC = o.m_BlockedFlagC;
    m_ActionFinished = o.m_ActionFinished;
    m_TimeWithoutAction = o.m_TimeWithoutAction;
    m_AIInterval = o.m_AIInterval;
    m_HitMark = o.m_HitMark;
    m_AIValueB = o.m_AIValueB;
    m_LastAttackEntry = o.m_LastAttackEntry;
    m_LastAttackTime = o.m_LastAttackTime;
    m_Influences.CopyElementsFrom(o.m_Influences);
    m_SlowAmount = o.m_SlowAmount;
    m_SpeedFactor = o.m_SpeedFactor;
    m_FactorB = o.m_FactorB;
    m_FactorC = o.m_FactorC;
    m_ShieldStrength = o.m_ShieldStrength;
    m_Frozen = o.m_Frozen;
    m_Invisible = o.m_Invisible;
    m_Weakened = o.m_Weakened;
    m_ImmunityMask = o.m_ImmunityMask;
    m_FreezeTimeFactor = o.m_FreezeTimeFactor;
    m_StunTimeFactor = o.m_StunTimeFactor;
    m_AIActions.CopyElementsFrom(o.m_AIActions);
    m_MobData = o.m_MobData;
    m_AngleFront = o.m_AngleFront;  // script built-ins
    m_IsFlying = o.m_IsFlying;
    m_RecentDamageSum = o.m_RecentDamageSum;
    m_AIEvents = o.m_AIEvents;
    m_AIRun = o.m_AIRun;
    m_DefaultStrategyName = o.m_DefaultStrategyName;
    m_Strategy = o.m_Strategy;
    m_AITargetSlot = o.m_AITargetSlot;
    m_AITimer = o.m_AITimer;
    m_AIValueD = o.m_AIValueD;
    m_LastEnemy = o.m_LastEnemy;
    for (int32_t i = 0; i < kElemRefs; i++) {
        m_ElemRefs[i] = o.m_ElemRefs[i];
        m_ElemNames[i] = o.m_ElemNames[i];
    }
    m_Summoned.CopyElementsFrom(o.m_Summoned);
    m_ElemList.Assign(o.m_ElemList);
    m_AIState = o.m_AIState;
    m_PreviousAIState = o.m_PreviousAIState;
    m_ReassessFlag = o.m_ReassessFlag;
    m_TargetElem = o.m_TargetElem;
    m_CreatureType = o.m_CreatureType;
    o.m_PoseCycle.Clone(m_PoseCycle, 1);
    o.m_SpareCycle.Clone(m_SpareCycle, 1);
    for (int32_t i = 0; i < 10; i++)
        m_CycleWords[i] = o.m_CycleWords[i];
    m_CycleIndex = o.m_CycleIndex;
    for (int32_t i = 0; i < 8; i++)
        m_AIFurther[i] = o.m_AIFurther[i];
    m_TintColour = o.m_TintColour;
    m_Stats = o.m_Stats;
    m_AniCycleSet = o.m_AniCycleSet;
    m_Cycle = o.m_Cycle;
    m_Motion = o.m_Motion;
    m_BoneWeights = o.m_BoneWeights;
    m_HitSound = o.m_HitSound;
    m_LastBloodTime = o.m_LastBloodTime;  // damage intake and death
    m_DamageFactor = o.m_DamageFactor;
    m_AttackID = o.m_AttackID;
    m_IncomingAttack = o.m_IncomingAttack;
    m_Attacker = o.m_Attacker;
    m_Dying = o.m_Dying;
    m_CopyTargets = o.m_CopyTargets;
    for (int32_t i = 0; i < 8; i++)
        m_GroundSounds[i] = o.m_GroundSounds[i];
    // The damage values become a new object of the source's class holding its values.
    m_DamageValues.reset(o.m_DamageValues ? o.m_DamageValues->Clone() : nullptr);
}

void CreatureObj::CloneInto(CreatureObj& other)
{
    if (&other == this)
        return;
    other.Reset();
    other.CopyFrom(*this);
    CopyItemsTo(other);
    other.OnInventoryChanged();
}

int32_t CreatureObj::IsEnemyOf(WorldElemBase* other, bool mutual)
{
    KI_Strategy* strategy = m_Strategy.strategy;
    if (!strategy || strategy->enemyParties.GetSize() == 0)
        return WorldElem::IsEnemyOf(other, mutual);
    auto* elem = dynamic_cast<WorldElem*>(other);
    if (elem && strategy->IsEnemyParty(elem->GetParty()))
        return 1;
    return mutual && other ? other->IsEnemyOf(this, false) : 0;
}

bool CreatureObj::OnUse(int32_t flag, int32_t userID, int32_t arg)
{
    WorldElemBase::OnUse(flag, userID, arg);
    return true;
}

bool CreatureObj::IsLootable() { return m_Dead && !IsMainCharacter() && m_Inventory && m_Inventory->GetCount() > 0; }

InventoryItem* CreatureObj::FindInventoryItem(const char* name)
{
    if (!m_Inventory)
        return nullptr;
    const int32_t slot = m_Inventory->FindItemByName(name);
    return slot < 0 ? nullptr : m_Inventory->GetItemBySlot(slot);
}

InventoryItem* CreatureObj::GetInventoryItem(int32_t position)
{
    return m_Inventory ? m_Inventory->GetItem(position) : nullptr;
}

bool CreatureObj::IsAIControlled()
{
    if (!IsMainCharacter())
        return true;
    return m_InputCtrl && m_InputCtrl->GetMode() == kInputModeAI;
}

int32_t CreatureObj::GetControlFlag()
{
    if (m_ControlFlag != kControlFlagUnset)
        return m_ControlFlag;
    return IsAIControlled() ? 1 : 0;
}

float CreatureObj::GetSpeedFactor()
{
    if (g_GameCtrl && g_GameCtrl->GetViewMode() == 1)
        return 1.0f;
    const float factor = (1.0f - m_SlowAmount) * m_SpeedFactor;
    if (IsMainCharacter())
        return factor * s_MainCharSpeedFactor;
    return GetParty() == 1 ? factor : factor * s_OtherPartySpeedFactor;
}

float CreatureObj::GetAnimSpeedFactor()
{
    if (g_GameCtrl && g_GameCtrl->GetViewMode() == 1)
        return 1.0f;
    return 1.0f - m_SlowAmount;
}

bool CreatureObj::IsInConversation() { return g_GameCtrl && g_GameCtrl->IsDialogActive(this); }

void CreatureObj::AddMana(float amount)
{
    m_Mana += amount;
    if (m_Mana <= 0.0f)
        m_Mana = 0.0f;
}

bool CreatureObj::HasMana(float cost)
{
    if (IsMainCharacter() && g_GameCtrl && g_GameCtrl->IsNetworkGameServer())
        return cost <= kUnlimitedMana;
    return m_Mana >= cost;
}

void CreatureObj::UseMana(float cost)
{
    if (IsMainCharacter() && g_GameCtrl && g_GameCtrl->IsNetworkGameServer())
        g_GameCtrl->ReportManaUse(this, cost);
    else
        m_Mana -= cost;
}

void CreatureObj::CleanSummonedList()
{
    for (int32_t slot = m_Summoned.NextUsedSlot(-1); slot >= 0; slot = m_Summoned.NextUsedSlot(slot)) {
        SmartPtr<WorldElem>* entry = m_Summoned.GetBySlot(slot);
        if (entry && (!entry->Get() || entry->Get()->IsDead()))
            m_Summoned.Delete(slot);
    }
}

int32_t CreatureObj::AddSummoned(CreatureObj* c)
{
    CleanSummonedList();
    *m_Summoned.GetBySlot(m_Summoned.Add()) = c;
    return m_Summoned.GetSize();
}

bool CreatureObj::CanSummon(int32_t count)
{
    CleanSummonedList();
    if (!IsMainCharacter())
        return true;
    return m_Summoned.GetSize() + count <= g_Options.maxSummonedMonsters;
}
