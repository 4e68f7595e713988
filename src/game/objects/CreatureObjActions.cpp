// CreatureObj: the creature's actions: starting one under the force priorities, running its
// timeline frame by frame (warning, cost, attacks, effects, shots, spells), finishing, repeating
// or interrupting it, and the bored animation.
#include "game/objects/CreatureObj.h"

#include "game/objects/AniCycle.h"
#include "game/objects/AniCycleSet.h"
#include "game/objects/ai/InputCtrl.h"
#include "world/ActionEntry.h"
#include "world/GameCtrlInterface.h"
#include "world/WorldCtrl.h"

#include <algorithm>

namespace {

// An action cost the creature cannot pay: its input controller hears of it (the player's tells
// the player).
void TellNoMana(CreatureObj& creature)
{
    if (auto* input = dynamic_cast<InputCtrl*>(creature.m_InputCtrl))
        input->OnNoMana();
}

constexpr int32_t kFirstAttackCycle = 192;
constexpr int32_t kBoredCycle = 141;
constexpr int32_t kBlockCycle = 143;
constexpr int32_t kShadowRun = CreatureObj::kEffectShadowRun;

}  // namespace

// The length factor of an attack cycle of the creature's type: the attack point that its cycle
// set gives the alternative now playing ("acAttackPoint"), so that the action's parts fire along
// the blow; a set that gives none leaves the timeline as the action record has it.
static float AttackLengthFactor(CreatureObj& creature, int32_t anicycle)
{
    const AniCycleSet* set = creature.GetAniCycleSet();
    if (!set || anicycle < 0 || anicycle >= AniCycleSet::kAttacks)
        return 1.0f;
    const int32_t playing = creature.m_CyclePlayers[1].GetCycleNumber() - kFirstAttackCycle;
    int32_t variant = 0;
    if (playing >= 0 && playing % AniCycleSet::kAttacks == anicycle)
        variant = std::min(playing / AniCycleSet::kAttacks, AniCycleSet::kAttackVariants - 1);
    const float point = set->m_AttackPoints[anicycle][variant];
    return point > 0.0f ? point : 1.0f;
}

// The seconds a cycle of the creature's set plays; 0 without one.
static float CycleDuration(CreatureObj& creature, int32_t number)
{
    AniCycle* cycle = creature.GetCycleForNumber(number);
    return cycle && cycle->HasData() ? float(cycle->GetAniDuration()) : 0.0f;
}

// A network client runs the main character's actions as the server tells it: it reports them.
static bool IsControlledOnClient(CreatureObj& creature)
{
    return g_GameCtrl && g_GameCtrl->IsNetworkClient() && creature.IsMainCharacter();
}

// The AI decides again at once: its decision timer runs out and it re-assesses.
static void RequestReassess(CreatureObj& creature)
{
    creature.m_AITimer = 0.0f;
    creature.m_ReassessFlag = 1;
}

int32_t CreatureObj::StartAction(int32_t code, const String& name, WorldElem* target, int32_t priority, float param)
{
    CreatureActionState& s = m_ActionState;
    if (priority < s.actionPriority)
        return 0;
    if (IsMainCharacter() && code != kActionEntry)
        s_ActionChanged = true;
    if (s.actionCode == kActionNone && code == kActionNone)
        return 1;
    const bool unchanged = code == s.actionCode && m_ActionRestart == 0 && name == s.actionName && param == s.actionParam;
    if (unchanged) {
        m_ActionRestart = 0;
        return 1;
    }
    // The effects of the old action would fade out here (its serial's); the server has none.
    s.actionParam = param;
    s.actionCode = code;
    s.actionName = name;
    s.actionTargetObj = target;
    if (code != kActionEntry)
        m_AttackCycleStarted = 0;
    s.actionTime = 0.0f;
    s.pActionEntry = nullptr;
    m_DamageList.DeleteAll();
    if (code != kActionNone)
        m_ActionSerial++;

    if (IsControlledOnClient(*this)) {
        if (code == kActionEntry && m_World)
            s.pActionEntry = m_World->FindActionEntry(name.c_str(), false);
        g_GameCtrl->ReportAction(this, code, name.c_str(), target, priority, param);
        m_ActionRestart = 0;
        return 1;
    }

    switch (code) {
    case kActionNone:
        SetCycleOfType(1, AC_FadeProperties::kNoCycle, 1.0f, false, 0.0f, false);
        if (m_CyclePlayers[0].GetCycleNumber() == AC_FadeProperties::kNoCycle)
            SetAniCycle(0, 0, false, false);
        break;
    case kActionIdle:
        SetAniCycle(0, 1, false, false);
        break;
    case kActionEntry: {
        ActionEntry* entry = nullptr;
        try {
            if (!m_World)
                Error("Action entry '%s' not found", name.c_str());
            entry = m_World->FindActionEntry(name.c_str(), true);
        } catch (const ErrorMsg&) {
            // Reported; this creature's action stops and the frame goes on.
            StopAction();
            return 0;
        }
        OnActionEvent(name.c_str());
        if (!HasMana(float(entry->mana))) {
            if (IsMainCharacter() && s_ActionChanged)
                TellNoMana(*this);
            StartAction(kActionNone, String(), nullptr, priority, 0.0f);
            if (IsMainCharacter())
                s_ActionChanged = false;
            return -1;
        }
        s_ActionChanged = true;
        s.pActionEntry = entry;
        const float speed = GetAnimSpeedFactor();
        float L = (entry->duration - entry->recharge) / speed;
        const bool played = entry->anicycle >= 0 && entry->anicycle < AniCycleSet::kAttacks &&
                            SetAniCycle(entry->anicycle + kFirstAttackCycle, 1, false, true);
        if (!played) {
            L *= 0.5f;
        } else {
            m_CyclePlayers[1].SetSpeed(speed);
            L *= AttackLengthFactor(*this, entry->anicycle);
        }
        const double now = GameCtrlInterface::GameTime();
        if (m_LastAttackEntry == entry && entry->repeatPoint > 0.0f && m_LastAttackTime >= 0.0f &&
            now - double(m_LastAttackTime) < double(kComboWindow)) {
            L *= entry->repeatPoint;
            s.actionTime = L;
            m_CyclePlayers[1].SetTime(L * m_CyclePlayers[1].speed);
        }
        float freeTime = entry->freePoint * (entry->duration / speed) - s.actionTime;
        if (entry->freePoint >= 1.0f)
            freeTime -= 0.01f;
        if (freeTime > 0.0f) {
            if (m_KeepMovingInAction == 0 && !entry->canMove && !entry->canRotate) {
                StopMovement(kMoveNone);
                AddForcedAction(kAttackLockPriority, freeTime,
                                CreatureForcedAction::kLocksMovement | CreatureForcedAction::kLocksAction);
            } else {
                AddForcedAction(kAttackLockPriority, freeTime, CreatureForcedAction::kLocksAction);
            }
        }
        m_LastAttackTime = float(now);
        m_LastAttackEntry = entry;
        break;
    }
    case kActionBlock:
        if (!m_ActionRestart)
            OnActionEvent("Block");
        StopMovement(kMoveNone);
        SetAniCycle(kBlockCycle, 1, false, false);
        break;
    case kActionBored:
        if (GetWeaponClass() >= 1)
            SetAniCycle(kBoredCycle, 1, m_MovementMode == -1, false);
        else
            SetAniCycle(0, 1, false, false);
        StopMovement(kMoveNone);
        break;
    default:
        break;  // accepted without start work; a frame of it reports the code
    }
    m_ActionRestart = 0;
    return 1;
}

bool CreatureObj::GetActionShotTarget(ActionEntry& entry, D3DXVECTOR2& target)
{
    WorldElem* enemy = m_LastEnemy.Get();
    if (entry.anyDirection == 0 || !enemy)
        return false;
    target = enemy->GetPos();
    return true;
}

void CreatureObj::DoAction(float dt)
{
    CreatureActionState& s = m_ActionState;
    try {
        switch (s.actionCode) {
        case kActionNone:
        case kActionIdle:
            m_IdleTime += dt;
            if (m_IdleTime >= m_BoredDelay && m_BoredSet != 0)
                m_BoredSet = 0;  // idle long enough: the bored cycles
            return;
        case kActionEntry: {
            m_TimeWithoutAction = 0.0f;
            ActionEntry* entry = s.pActionEntry;
            if (!entry)
                Error("Invalid action pointer");
            if (!HasMana(float(entry->mana)))
                RequestReassess(*this);
            const float speed = GetAnimSpeedFactor();
            const float D = entry->duration / speed;
            const float L = (entry->duration - entry->recharge) / speed;
            if (s.actionTime < 0.0f) {
                s.actionTime += dt;
                return;
            }
            m_IdleTime = 0.0f;
            m_LastAttackTime = float(GameCtrlInterface::GameTime());
            // The scale halves without a playable attack cycle, as the start measured it.
            const bool hasCycle = entry->anicycle >= 0 && entry->anicycle < AniCycleSet::kAttacks && m_AniCycleSet &&
                                  m_AniCycleSet->m_AttackVariantCount[entry->anicycle] > 0;
            const float T = hasCycle ? AttackLengthFactor(*this, entry->anicycle) * L : 0.5f * L;
            const float t = s.actionTime;
            const float warn = entry->warnEnemyPoint >= 0.0f ? entry->warnEnemyPoint : std::max(T - 0.5f, 0.0f);
            if (PartFires(warn, t, dt))
                WarnAttackTargets(*entry);  // the creatures in reach re-assess before the blow lands
            if (PartFires(entry->costPoint * T, t, dt)) {
                if (!HasMana(float(entry->mana))) {
                    if (IsMainCharacter()) {
                        SmartPtr<WorldElem> alive(this);
                        TellNoMana(*this);
                        if (!alive.Get() || s.pActionEntry != entry)
                            return;
                    }
                    if (s.actionPriority <= kAttackLockPriority)
                        StopAction();
                    return;  // above the attack lock the action waits at its cost point
                }
                PayActionCost(entry->mana);
                const int32_t slot = FindListEntry(m_Influences, kShadowRun);
                if (slot >= 0) {
                    m_Influences.Delete(slot);
                    EndInfluenceVisual(kShadowRun);
                }
            }
            SmartPtr<WorldElem> alive(this);
            if (!FireActionParts(*entry, t, dt, T) || !alive.Get())
                return;
            if (s.pActionEntry != entry)
                return;  // a part's script changed the action
            s.actionTime += dt;
            if (s.actionTime < D) {
                if (s.actionTime > L && !m_AttackCycleStarted) {
                    m_AttackCycleStarted = 1;
                    SetAniCycle(0, 1, false, false);
                }
                return;
            }
            const bool restartCycle = m_AttackCycleStarted && entry->anicycle >= 0;
            if (entry->repeatPoint <= 0.0f)
                FinishAction();
            else
                m_CyclePlayers[1].SetTime(m_CyclePlayers[1].speed * entry->repeatPoint * T);
            s.actionTime = 0.0f;
            m_ActionFinished = 1;
            if (restartCycle && s.actionCode == kActionEntry) {
                SetCycleOfType(1, entry->anicycle + kFirstAttackCycle, m_CyclePlayers[1].speed, true, 0.0f, false);
                if (m_CyclePlayers[1].GetCycleNumber() == AC_FadeProperties::kNoCycle)
                    Warning("pNextCycle=NULL in SetLength");
                else
                    SetCycleLength(L, 1);
            }
            m_AttackCycleStarted = 0;
            return;
        }
        case kActionBlock: {
            m_TimeWithoutAction = 0.0f;
            s.actionTime += dt;
            m_IdleTime = 0.0f;
            if (m_BoredSet == 0)
                m_BoredSet = 1;
            const float speed = GetAnimSpeedFactor();
            const float cycle = CycleDuration(*this, kBlockCycle);
            const float B = (cycle > 0.0f ? cycle : 1.0f) / speed;
            if (B < s.actionTime && s.actionPriority < 1)
                StopAction();
            return;
        }
        case kActionBored: {
            m_TimeWithoutAction = 0.0f;
            const float full = CycleDuration(*this, m_CyclePlayers[1].GetCycleNumber()) / (1.0f - m_SlowAmount);
            const float half = full * 0.5f;
            if (PartFires(half, s.actionTime, dt))
                m_BoredSet = m_MovementMode == -1 ? 0 : -1;
            s.actionTime += dt;
            if (s.actionTime >= full) {
                RequestReassess(*this);
                if (s.actionPriority < 1)
                    StopAction();
                s.actionTime = 0.0f;
            }
            return;
        }
        case kActionBaseDummy:
            m_TimeWithoutAction = 0.0f;
            return;
        default:
            Error("Invalid action ID: %i", s.actionCode);
        }
    } catch (const ErrorMsg&) {
        // Reported; this creature's action stops and the frame of every other element goes on.
        StopAction();
    }
}

void CreatureObj::StopAction()
{
    CreatureActionState& s = m_ActionState;
    if (IsMainCharacter())
        s_ActionChanged = true;
    if (s.actionCode == kActionNone)
        return;
    // The effects of the action's serial would fade out here; the server has none.
    s.actionParam = 0.0f;
    s.actionCode = kActionNone;
    s.actionName = String();
    s.actionTargetObj = nullptr;
    s.actionTime = 0.0f;
    m_AttackCycleStarted = 0;
    s.pActionEntry = nullptr;
    m_DamageList.DeleteAll();
    if (IsControlledOnClient(*this)) {
        g_GameCtrl->ReportAction(this, kActionNone, "", nullptr, 0, 0.0f);
    } else {
        SetCycleOfType(1, AC_FadeProperties::kNoCycle, 1.0f, false, 0.0f, false);
        if (m_CyclePlayers[0].GetCycleNumber() == AC_FadeProperties::kNoCycle)
            SetAniCycle(0, 0, false, false);
    }
    m_ActionRestart = 0;
}

void CreatureObj::ClearAction()
{
    m_DamageList.DeleteAll();
    RecomputeForcePriorities();
    if (m_ActionState.actionPriority < 1)
        StopAction();
    if (m_ActionState.movePriority < 1)
        StopMovement(CreatureActionState::kMoveStand);
    m_ActionSerial++;
}

void CreatureObj::FinishAction()
{
    CreatureActionState& s = m_ActionState;
    if (s.actionPriority > kAttackLockPriority) {
        s.actionTime = 1e-7f;  // a forced action loops
    } else {
        StopAction();
        RequestReassess(*this);
    }
    m_DamageList.DeleteAll();
    m_ActionSerial++;
}

bool CreatureObj::StartBoredAction()
{
    if (m_ActionState.movePriority >= 1 || m_ActionState.actionPriority >= 1)
        return false;
    if (StartAction(kActionBored, String(), nullptr, 0, 0.0f) != 1)
        return false;
    const float cycle = CycleDuration(*this, m_CyclePlayers[1].GetCycleNumber());
    AddForcedAction(kAttackLockPriority, cycle / (1.0f - m_SlowAmount) * 0.95f,
                    CreatureForcedAction::kLocksMovement | CreatureForcedAction::kLocksAction);
    return true;
}
