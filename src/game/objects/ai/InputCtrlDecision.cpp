// InputCtrl: the AI decision: the interval between decisions, the enemy search, the choice of
// the event block, the scores of its entries and of the cross-weighted blocks, and the choice
// among the candidates by the block's decision mode.
#include "game/objects/ai/InputCtrl.h"

#include "base/GameOptions.h"
#include "base/Random.h"
#include "game/objects/CreatureObj.h"
#include "world/ActionEntry.h"
#include "world/GameCtrlInterface.h"
#include "world/KI_Strategy.h"
#include "world/WorldCtrl.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kRadToDeg = 57.295826f;
constexpr int32_t kEveryCreature = 4;  // target kind: every creature in range
constexpr int32_t kAlwaysReassess = 9999;

float Distance(const D3DXVECTOR2& a, const D3DXVECTOR2& b) { return std::hypot(b.x - a.x, b.y - a.y); }

bool HasKeys(const BezierSpline<float>& curve) { return curve.GetNumKeys() > 0; }

float Curve(const BezierSpline<float>& curve, float x) { return HasKeys(curve) ? float(curve.Evaluate(x)) : 0.0f; }

// The slot kinds of a target: the creature's own target references.
bool IsSlotKind(int32_t kind)
{
    return kind == 1 || kind == 2 || kind == 3 || kind == 5 ||
           (kind >= CreatureObj::kTargetSlotBase && kind < CreatureObj::kTargetSlotBase + CreatureObj::kElemRefs);
}

bool IsUsable(const KI_StratBlock& block)
{
    if (block.entries.GetSize() > 0)
        return true;
    for (float weight : block.weights)
        if (weight != 0.0f)
            return true;
    return false;
}

// The block a cross weight names.
KI_StratBlock& BlockOfWeight(KI_Strategy& strategy, int32_t weight)
{
    switch (weight) {
    case KI_StratBlock::kOnHardHit: return strategy.blocks[KI_Strategy::kOnHardHit];
    case KI_StratBlock::kOnHit: return strategy.blocks[KI_Strategy::kOnHit];
    case KI_StratBlock::kOnAttacked: return strategy.blocks[KI_Strategy::kOnAttacked];
    case KI_StratBlock::kOnEnemy: return strategy.blocks[KI_Strategy::kOnEnemy];
    case KI_StratBlock::kOnLostTarget: return strategy.blocks[KI_Strategy::kOnLostTarget];
    default: return strategy.blocks[KI_Strategy::kDefault];
    }
}

bool CanPerformAction(CreatureObj& creature, const char* name)
{
    WorldCtrl* world = creature.m_World;
    const ActionEntry* action = world ? world->FindActionEntry(name, false) : nullptr;
    return action && creature.HasMana(float(action->mana));
}

}  // namespace

float SignedAngleBetween(const D3DXVECTOR2& a, const D3DXVECTOR2& b)
{
    const float lengths = std::sqrt(a.x * a.x + a.y * a.y) * std::sqrt(b.x * b.x + b.y * b.y);
    if (!(lengths > 0.0f))
        return 0.0f;
    // Rounding can put the cosine of parallel vectors just beyond 1, where acos has no value.
    const float c = std::clamp((a.x * b.x + a.y * b.y) / lengths, -1.0f, 1.0f);
    const float angle = std::acos(c);
    return a.x * b.y - a.y * b.x < 0.0f ? -angle : angle;
}

int32_t InputCtrl::Think(CreatureObj* creature, float dt, int32_t depth)
{
    if (!creature || depth > kMaxThinkDepth)
        return 0;
    KI_ActionData current;
    creature->GetCurrentActionData(current);
    if (creature->IsDead()) {
        if (current.task != kIntentDead) {
            creature->ResetCurrentAction();
            KI_ActionData dead;
            dead.task = kIntentDead;
            creature->SetIntention(dead, -1.0f, 0);
        }
        return 0;
    }
    if (creature->m_AIRun.halted || creature->m_AIRun.deathMarker)
        return 0;
    if (KI_Strategy* strategy = creature->GetDecision())
        if (!Decide(creature, *strategy, dt, depth))
            return 0;
    creature->m_AIEvents = CreatureObj::AIEvents();
    if (CheckIntention(creature, dt, depth) == 0)
        Think(creature, dt, depth + 1);
    return 0;
}

float InputCtrl::DecisionInterval(CreatureObj* creature, WorldElem* keptEnemy)
{
    WorldCtrl* world = creature->m_World;
    const D3DXVECTOR2 pos = creature->GetPos();
    if (!creature->IsInActiveCell() || !world || world->DistanceOutsideView(pos.x, pos.y) > kNearViewDistance)
        return 3.0f;
    const float search = g_Options.timeBetweenAIEnemySearch;
    auto* owner = dynamic_cast<CreatureObj*>(creature->GetCreatorOrSelf());
    if (creature->IsMainCharacter() || (owner && owner->IsMainCharacter()))
        return keptEnemy ? 2.0f * search : search;
    WorldElem* hero = g_GameCtrl ? g_GameCtrl->GetMainChar() : nullptr;
    if (hero && !hero->IsEnemyOf(creature, false))
        return 1.0f;
    const CreatureObj::AIEvents& events = creature->m_AIEvents;
    if (keptEnemy && (!events.hit || events.attacker.Get() == keptEnemy))
        return 2.0f * search;
    return search;
}

bool InputCtrl::Decide(CreatureObj* creature, KI_Strategy& strategy, float dt, int32_t depth)
{
    CreatureObj::AIRunState& ai = creature->m_AIRun;
    const CreatureActionState& state = creature->m_ActionState;
    const bool due = creature->m_ReassessFlag &&
                     ((state.actionPriority <= strategy.reassessPrior && state.movePriority <= strategy.reassessPrior) ||
                      ai.forcedReassess);

    WorldElem* kept = creature->m_LastEnemy.Get();
    if (kept && (kept->IsDead() || !creature->IsEnemyOf(kept, false)))
        kept = nullptr;

    const double now = GameCtrlInterface::GameTime();
    if (!due && now - ai.lastDecisionTime < double(DecisionInterval(creature, kept)))
        return true;

    // The enemy search.
    CreatureObj::s_EnemySearchCount++;
    ai.lastDecisionTime = now;
    WorldCtrl* world = creature->m_World;
    float front = ai.attackRadius > 0.0f ? ai.attackRadius : strategy.attackRadius;
    float back = ai.attackRadiusBack > 0.0f ? ai.attackRadiusBack : strategy.attackRadiusBack;
    if (kept && world && world->IsLineClearBetween(creature, kept)) {
        const float reach = Distance(creature->GetPos(), kept->GetPos()) + 1.0f;
        front = std::max(front, reach);
        back = std::max(back, reach);
    }
    const int32_t foundID = creature->FindNearestEnemyInView(front, back);
    WorldElem* found = foundID >= 0 && world ? world->GetObjNoCheck(foundID, false) : nullptr;
    WorldElem* enemy = nullptr;
    if (found) {
        if (!ai.alerted) {
            if (strategy.alertIfEnemySpot && world)
                world->AlertEnemy(creature, 1, found);
            creature->ReAssessAI(kAlwaysReassess);
            creature->PlaySoundByIndex(3, 0);
        }
        ai.alerted = 1;
        enemy = found;
    } else if (kept) {
        ai.alerted = 1;
        enemy = kept;
    } else {
        ai.alerted = 0;
    }
    creature->SetLastEnemy(enemy);
    if (enemy) {
        const D3DXVECTOR2 at = enemy->GetPos();
        ai.lastEnemyPos[0] = at.x;
        ai.lastEnemyPos[1] = at.y;
    }
    if (!due)
        return true;

    // The block of the event.
    CreatureObj::s_ReassessCount++;
    creature->m_ReassessFlag = 0;
    ai.forcedReassess = 0;
    CreatureObj::AIEvents& events = creature->m_AIEvents;
    WorldElem* attacker = events.attacker.Get();
    KI_StratBlock& defaultBlock = strategy.blocks[KI_Strategy::kDefault];
    KI_StratBlock* chosen = nullptr;
    WorldElem* target = nullptr;
    const auto pick = [&](int32_t block, WorldElem* on) {
        if (chosen || !IsUsable(strategy.blocks[block]))
            return;
        chosen = &strategy.blocks[block];
        target = on;
    };
    if (events.attacked)
        pick(KI_Strategy::kOnAttacked, attacker);
    if (events.hardHit)
        pick(KI_Strategy::kOnHardHit, attacker);
    if (events.hit)
        pick(KI_Strategy::kOnHit, attacker);
    if ((chosen == &strategy.blocks[KI_Strategy::kOnAttacked] || chosen == &strategy.blocks[KI_Strategy::kOnHit]) &&
        !creature->m_LastEnemy.Get() && attacker)
        creature->SetLastEnemy(attacker);
    if (enemy)
        pick(KI_Strategy::kOnEnemy, enemy);
    if (events.lostTarget)
        pick(KI_Strategy::kOnLostTarget, nullptr);
    pick(KI_Strategy::kDefault, nullptr);

    if (chosen) {
        std::vector<KIProbList> candidates;
        float best = 0.0f;
        for (;;) {
            best = EvaluateBlock(*chosen, candidates, creature, target, 1.0f);
            // Named weights, in their fixed order; a weight scales the other block's scores.
            static const int32_t kWeightOrder[] = {KI_StratBlock::kOnHardHit, KI_StratBlock::kOnHit,
                                                   KI_StratBlock::kOnEnemy,   KI_StratBlock::kOnLostTarget,
                                                   KI_StratBlock::kOnAttacked, KI_StratBlock::kDefault};
            for (int32_t weight : kWeightOrder)
                if (chosen->weights[weight] > 0.0f)
                    best = std::max(best, EvaluateBlock(BlockOfWeight(strategy, weight), candidates, creature,
                                                        target, chosen->weights[weight]));
            if (!candidates.empty())
                break;
            if (chosen == &defaultBlock || defaultBlock.entries.GetSize() == 0) {
                creature->UpdateAI(0);  // nothing applies: the present intention goes on
                creature->m_AIEvents = CreatureObj::AIEvents();
                return false;
            }
            chosen = &defaultBlock;
        }
        const int32_t index = ChooseCandidate(*chosen, candidates, best, creature);
        if (index >= 0) {
            const KIProbList& candidate = candidates[size_t(index)];
            if (chosen != &defaultBlock || ai.currentPriority <= candidate.entry->prior) {
                const int32_t started = creature->StartStrategyEntry(*candidate.entry, candidate.target, false, nullptr);
                if (started == 0) {
                    Think(creature, dt, depth + 1);
                    creature->m_AIEvents = CreatureObj::AIEvents();
                    return false;
                }
                ai.decisionCounter++;
            }
        }
    } else if (ai.currentPriority <= 0) {
        creature->ResetCurrentAction();
        KI_ActionData wait;
        creature->SetIntention(wait, -1.0f, 0);
    }
    return true;
}

int32_t InputCtrl::ChooseCandidate(const KI_StratBlock& block, std::vector<KIProbList>& candidates, float best,
                                   CreatureObj* creature)
{
    if (candidates.empty())
        return -1;
    int32_t mode = block.decision;
    if (mode < 0 || mode > 2) {
        if (std::find(m_WarnedDecisionModes.begin(), m_WarnedDecisionModes.end(), &block) ==
            m_WarnedDecisionModes.end()) {
            m_WarnedDecisionModes.push_back(&block);
            Warning("Unknown decision mode %i in strategy '%s': taken as 0", mode, creature->m_Strategy.name.c_str());
        }
        mode = 0;
    }
    if (mode == 2)
        return int32_t(uint32_t(creature->m_AIRun.decisionCounter) % uint32_t(candidates.size()));
    if (mode == 1)
        candidates.erase(std::remove_if(candidates.begin(), candidates.end(),
                                        [&](const KIProbList& c) { return c.score < best; }),
                         candidates.end());
    double sum = 0.0;
    for (const KIProbList& candidate : candidates)
        sum += candidate.score;
    double r = Random::Float01() * sum;
    for (size_t i = 0; i < candidates.size(); i++) {
        r -= candidates[i].score;
        if (r < 0.0)
            return int32_t(i);
    }
    return int32_t(candidates.size()) - 1;
}

float InputCtrl::EvaluateBlock(KI_StratBlock& block, std::vector<KIProbList>& candidates, CreatureObj* creature,
                               WorldElem* target, float scale)
{
    float best = 0.0f;
    WorldCtrl* world = creature->m_World;
    for (int32_t position = 0; position < block.entries.GetSize(); position++) {
        const KI_StratEntry* entry = block.entries.GetAt(position);
        if (!entry)
            continue;
        std::vector<WorldElem*> targets;
        if (entry->target == kEveryCreature) {
            if (!world)
                continue;
            for (int32_t wanted : {1, 0}) {  // hostile and not: every live creature in range
                const int32_t count = world->GetCreaturesInRange(creature, kEveryCreatureRange, wanted);
                const WorldCtrl::ObjectListEntry* list = world->GetObjectList();
                for (int32_t i = 0; i < count; i++)
                    if (std::find(targets.begin(), targets.end(), list[i].elem) == targets.end())
                        targets.push_back(list[i].elem);
            }
            if (targets.empty())
                continue;
        } else {
            targets.push_back(target);
        }
        for (WorldElem* on : targets) {
            const float score = ScoreEntry(*entry, creature, on, nullptr) * scale;
            if (!(score > 0.0f))
                continue;
            if (entry->type == KI_StratEntry::kAction && !CanPerformAction(*creature, entry->id.c_str()))
                continue;
            KIProbList candidate;
            candidate.score = score;
            candidate.entry = entry;
            candidate.target = on;
            candidates.push_back(candidate);
            best = std::max(best, score);
        }
    }
    return best;
}

float InputCtrl::ScoreEntry(const KI_StratEntry& entry, CreatureObj* creature, WorldElem* target,
                            const D3DXVECTOR2* position)
{
    if (entry.prior < creature->m_AIRun.currentPriority)
        return 0.0f;
    if (IsSlotKind(entry.target))
        target = creature->GetTargetByID(entry.target);
    const uint32_t states = creature->GetActiveEffectMask();
    if ((entry.requireState != 0 && (entry.requireState & states) == 0) || (entry.disallowState & states) != 0)
        return 0.0f;
    const int32_t id = creature->m_AIRun.strategyID;
    if ((entry.requireID != 0 && (entry.requireID & id) == 0) || (entry.disallowID & id) != 0)
        return 0.0f;

    float sum = creature->m_World ? creature->m_World->EvaluateStrategyScore(entry, creature, target) : 0.0f;
    const D3DXVECTOR2 pos = creature->GetPos();
    if (entry.type == KI_StratEntry::kGoto && entry.positionID >= CreatureObj::kTargetSlotBase &&
        entry.positionID < CreatureObj::kTargetSlotBase + CreatureObj::kElemRefs) {
        if (WorldElem* named = creature->m_ElemRefs[entry.positionID - CreatureObj::kTargetSlotBase].Get()) {
            float d = Distance(pos, named->GetPos());
            if (named->m_NoCollisions == 0 && creature->m_NoCollisions == 0)
                d -= named->GetRadius() + creature->GetRadius();
            if (d < entry.maxApproach)
                return 0.0f;  // already there
        }
    }
    const float maxHealth = creature->GetMaxHealth();
    const float maxMana = creature->GetMaxMana();
    if (HasKeys(entry.scoreHealth) && maxHealth > 0.0f)
        sum += Curve(entry.scoreHealth, creature->GetHealth() / maxHealth);
    if (HasKeys(entry.scoreMana) && maxMana > 0.0f)
        sum += Curve(entry.scoreMana, creature->GetMana() / maxMana);
    if (target) {
        const D3DXVECTOR2 at = target->GetPos();
        if (HasKeys(entry.scoreAimAngle))
            sum += Curve(entry.scoreAimAngle, SignedAngleBetween(creature->GetDirection(), at - pos) * kRadToDeg);
        if (HasKeys(entry.scoreEnemyAngle))
            sum += Curve(entry.scoreEnemyAngle, SignedAngleBetween(target->GetDirection(), pos - at) * kRadToDeg);
        const float d = Distance(pos, at);
        if (entry.type != KI_StratEntry::kWalkAround && (d < entry.minMaxDist[0] || d > entry.minMaxDist[1]))
            return 0.0f;
        sum += Curve(entry.scoreDist, d);
        if (auto* other = dynamic_cast<CreatureObj*>(target); other && HasKeys(entry.scoreTargetHealth)) {
            const float otherMax = other->GetMaxHealth();
            if (otherMax > 0.0f)
                sum += Curve(entry.scoreTargetHealth, other->GetHealth() / otherMax);
        }
    } else if (position) {
        const float d = Distance(pos, *position);
        if (entry.type != KI_StratEntry::kWalkAround && (d < entry.minMaxDist[0] || d > entry.minMaxDist[1]))
            return 0.0f;
        sum += Curve(entry.scoreDist, d);
    }
    if (const MobData* mob = creature->m_MobData.Get())
        for (int32_t k = 0; k < KI_StratEntry::kMobVariables; k++)
            sum += Curve(entry.scoreMobVariable[k], mob->variables[k]);
    const float score = entry.scaleScore[0] * sum + entry.scaleScore[1];
    return std::clamp(score, entry.scoreMinMax[0], std::max(entry.scoreMinMax[0], entry.scoreMinMax[1]));
}
