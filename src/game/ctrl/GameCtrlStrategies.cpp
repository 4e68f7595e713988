// GameCtrl: the AI strategy definitions of "cfg\strategy.cfg" into the world's strategy tree: per
// strategy its keys and six event blocks, each with its candidate deeds, their per-deed defaults,
// state masks, scores, and target and position rules.
#include "game/ctrl/GameCtrl.h"

#include "base/Log.h"
#include "game/objects/CreatureObj.h"
#include "world/KI_Strategy.h"

#include <algorithm>
#include <iterator>

namespace {

const char* const kStrategyFile = "cfg\\strategy.cfg";
constexpr int32_t kMaxEnemyParties = 256;  // numbers read from one "EnemyParties" list
constexpr float kPi = 3.1415927f;
constexpr float kHalfPi = 1.5707964f;

using enum KI_StratEntry::Deed;

// The event blocks by their names in the file.
const struct {
    const char* name;
    int32_t block;
    KI_StratBlock::Weight weight;
} kEvents[] = {
    {"Default", KI_Strategy::kDefault, KI_StratBlock::kDefault},
    {"OnHit", KI_Strategy::kOnHit, KI_StratBlock::kOnHit},
    {"OnHardHit", KI_Strategy::kOnHardHit, KI_StratBlock::kOnHardHit},
    {"OnAttacked", KI_Strategy::kOnAttacked, KI_StratBlock::kOnAttacked},
    {"OnEnemy", KI_Strategy::kOnEnemy, KI_StratBlock::kOnEnemy},
    {"OnLostTarget", KI_Strategy::kOnLostTarget, KI_StratBlock::kOnLostTarget},
};

// The weights in the order the event block's keys are read.
const KI_StratBlock::Weight kWeightOrder[] = {KI_StratBlock::kOnAttacked, KI_StratBlock::kOnEnemy,
                                              KI_StratBlock::kOnLostTarget, KI_StratBlock::kOnHit,
                                              KI_StratBlock::kOnHardHit, KI_StratBlock::kDefault};

const char* WeightKey(KI_StratBlock::Weight weight)
{
    for (const auto& event : kEvents)
        if (event.weight == weight)
            return event.name;
    return "";
}

// One strategy entry of the file being read: the controller that reports and reads the shared
// keys, the reader and the entry's number, and the strategy that receives what is read.
struct StrategyRead {
    GameCtrl& ctrl;
    ConfigFileReader& reader;
    int32_t entry;
    KI_Strategy& strategy;

    void ReadStrategyKeys();
    // Inside the event block: its keys, then one entry per deed block.
    void ReadEventBlock(KI_StratBlock& block);
    // Inside the deed block, into the template whose code and defaults are set.
    void ReadDeed(KI_StratEntry& deed);
    uint32_t ReadStateMask(const char* key);
    void ReadScores(KI_StratEntry& deed);
    void ReadTarget(KI_StratEntry& deed);
    const char* Name() const { return strategy.name.c_str(); }
    void ReadFlag(const char* key, uint8_t& flag) { GameCtrl::ReadFlagKey(reader, key, flag, entry); }
    bool ReadAngle(const char* key, float& radians)
    {
        return GameCtrl::ReadDefinitionAngle(reader, key, radians, entry);
    }
    bool ReadSpline(const char* key, BezierSpline<float>& spline)
    {
        return ctrl.ReadBezierSpline1D(reader, key, entry, spline, Name()) != 0;
    }
};

void StrategyRead::ReadStrategyKeys()
{
    reader.GetFloat("recalcTime", strategy.recalcTime, entry);
    reader.GetInt("ReassessPrior", strategy.reassessPrior, entry);
    ReadFlag("AlertIfEnemySpot", strategy.alertIfEnemySpot);
    reader.GetFloat("AttackRadius", strategy.attackRadius, entry);
    if (reader.GetFloat("AttackRadiusBack", strategy.attackRadiusBack, entry) != ConfigFileReader::kFound)
        strategy.attackRadiusBack = strategy.attackRadius;
    float parties[kMaxEnemyParties];
    const int32_t count = reader.GetFloatList("EnemyParties", parties, kMaxEnemyParties, entry);
    for (int32_t p = 0; p < count; p++)
        *strategy.enemyParties.GetBySlot(strategy.enemyParties.Add()) = TextFileReaderBase::TruncToInt32(parties[p]);
    reader.GetString("MobScript", strategy.mobScript, entry);
    reader.GetFloat("MobScriptInterval", strategy.mobScriptInterval, entry);
    ReadFlag("MoveForwardOnly", strategy.moveForwardOnly);
    ReadFlag("MoveIfOpposingTarget", strategy.moveIfOpposingTarget);
}

void StrategyRead::ReadEventBlock(KI_StratBlock& block)
{
    reader.GetInt("decision", block.decision, entry);
    for (KI_StratBlock::Weight weight : kWeightOrder)
        reader.GetFloat(WeightKey(weight), block.weights[weight], entry);
    String name;
    while (reader.NextBlock(name)) {
        KI_StratEntry deed;
        deed.owner = &strategy;
        deed.type = ParseAIActionType(name.c_str());
        if (deed.type == KI_StratEntry::kNotADeed) {
            if (name.c_str()[0] != ';')  // ";NAME" is a block commented out
                ctrl.Warning("Unknown block in strategy.cfg: %s", name.c_str());
            reader.SkipBlock();
            continue;
        }
        if (deed.type == kWalkAround) {
            deed.minMaxDist[0] = 30.0f;
            deed.minMaxDist[1] = 200.0f;
            deed.angle = kPi;
        } else if (deed.type == kGoAside) {
            deed.minMaxDist[0] = 80.0f;
            deed.minMaxDist[1] = 100.0f;
        }
        reader.EnterBlock();
        ReadDeed(deed);
        reader.ExitBlock();
        *block.entries.GetBySlot(block.entries.Add()) = deed;
    }
}

void StrategyRead::ReadDeed(KI_StratEntry& deed)
{
    if (reader.GetString("id", deed.id, entry) != ConfigFileReader::kFound &&
        (deed.type == kAction || deed.type == kChangeStrategy))
        ctrl.Error("Missing 'id' entry in strategy '%s'", Name());
    reader.GetString("CallScript", deed.callScript, entry);
    reader.GetString("FinishScript", deed.finishScript, entry);
    deed.requireState = ReadStateMask("RequireState");
    deed.disallowState = ReadStateMask("DisallowState");
    reader.GetInt("RequireID", deed.requireID, entry);
    reader.GetInt("MyID", deed.myID, entry);
    reader.GetInt("MyID2", deed.myID2, entry);
    reader.GetInt("DisallowID", deed.disallowID, entry);
    reader.GetInt("prior", deed.prior, entry);
    ReadFlag("FindBetterWay", deed.findBetterWay);
    ReadFlag("FinishAction", deed.finishAction);
    ReadAngle("AimDeviation", deed.aimDeviation);
    reader.GetFloat("maxForceTime", deed.maxForceTime, entry);
    reader.GetFloat("maxForceTimeRand", deed.maxForceTimeRand, entry);
    ReadFlag("AllowDeadTarget", deed.allowDeadTarget);
    reader.GetFloatPair("ScaleScore", deed.scaleScore, entry);
    ReadScores(deed);
    reader.GetFloatPair("MinMaxDist", deed.minMaxDist, entry);
    if (reader.GetFloatPair("GoZigZag", deed.goZigZag, entry) == ConfigFileReader::kFound)
        deed.goZigZag[0] *= 0.017453292f;
    reader.GetFloat("MaxApproach", deed.maxApproach, entry);
    reader.GetFloat("CalcAimAngle", deed.calcAimAngle, entry);
    if (deed.type == kFlee) {
        if (reader.GetFloat("fleeDist", deed.fleeDist, entry) != ConfigFileReader::kFound)
            deed.fleeDist = 1000.0f;
        if (reader.GetFloat("fleeDistRand", deed.fleeDistRand, entry) != ConfigFileReader::kFound)
            deed.fleeDistRand = 0.0f;
        deed.angle = 0.5235988f;  // 30 degrees
    } else if (deed.type == kAction) {
        reader.GetFloatPair("StartEndAction", deed.startEndAction, entry);
        if (!(deed.startEndAction[0] < deed.startEndAction[1]))
            ctrl.Error("EndAction must be > than StartAction (in strategy '%s')", Name());
        ReadFlag("RandomActionStart", deed.randomActionStart);
        reader.GetFloatPair("ActionDelay", deed.actionDelay, entry);
        reader.GetFloat("TeaseDist", deed.teaseDist, entry);
        reader.GetFloat("TeaseProb", deed.teaseProb, entry);
        ReadFlag("GoDoAction", deed.goDoAction);
        if (!deed.goDoAction)
            deed.findBetterWay = 0;  // it only turns to the target: no way to search
        ReadAngle("MaxAimAngle", deed.maxAimAngle);
    }
    if (deed.type == kGoLeftEnemy)
        deed.angle = -kHalfPi;
    else if (deed.type == kGoRightEnemy)
        deed.angle = kHalfPi;
    else if (deed.type == kGoBackEnemy)
        deed.angle = kPi;
    ReadAngle("angle", deed.angle);
    ReadTarget(deed);
    reader.GetFloatPair("targetPosOff", deed.targetPosOff, entry);
}

// RequireState1, RequireState2, ... up to the first missing number: one bit per state.
uint32_t StrategyRead::ReadStateMask(const char* key)
{
    uint32_t mask = 0;
    String state;
    for (int32_t k = 1; reader.GetString(key, state, entry, k) == ConfigFileReader::kFound; k++) {
        const int32_t type = CreatureObj::GetEffectTypeByName(state.c_str());
        if (type == CreatureObj::kEffectNone)
            ctrl.Error("Unknown strategy state '%s'", state.c_str());
        mask |= CreatureObj::GetEffectTypeBit(type);
    }
    return mask;
}

// A deed scored by any curve or script counts from 0 to 1000 unless it says otherwise.
void StrategyRead::ReadScores(KI_StratEntry& deed)
{
    bool scored = false;
    if (reader.GetString("scoreScript", deed.scoreScript, entry) == ConfigFileReader::kFound) {
        scored = true;
        ReadSpline("scoreScriptTransf", deed.scoreScriptTransf);
    }
    scored |= ReadSpline("scoreDist", deed.scoreDist);
    scored |= ReadSpline("scoreMana", deed.scoreMana);
    scored |= ReadSpline("scoreHealth", deed.scoreHealth);
    scored |= ReadSpline("scoreAimAngle", deed.scoreAimAngle);
    scored |= ReadSpline("scoreEnemyAngle", deed.scoreEnemyAngle);
    scored |= ReadSpline("scoreTargetHealth", deed.scoreTargetHealth);
    for (int32_t v = 0; v < KI_StratEntry::kMobVariables; v++) {
        String key;
        key.Format("scoreMobVariable%i", v + 1);
        scored |= ReadSpline(key.c_str(), deed.scoreMobVariable[v]);
    }
    if (reader.GetFloatPair("scoreMinMax", deed.scoreMinMax, entry) != ConfigFileReader::kFound && scored) {
        deed.scoreMinMax[0] = 0.0f;
        deed.scoreMinMax[1] = 1000.0f;
    }
}

// GOTO and AIM_AT go to their target slot, or else to the position their id names.
void StrategyRead::ReadTarget(KI_StratEntry& deed)
{
    String target;
    if (reader.GetString("target", target, entry) == ConfigFileReader::kFound) {
        deed.target = WorldCtrl::GetTargetSlotByName(target.c_str());
        if (deed.target < 1)
            ctrl.Error("Unknown target id: '%s' in strategy '%s'", target.c_str(), Name());
    }
    if (deed.type != kGoto && deed.type != kAimAt)
        return;
    if (deed.target >= 1) {
        deed.positionID = deed.target;
        return;
    }
    if (deed.id.IsEmpty())
        ctrl.Error("Unknown target in GOTO/AIM_AT block in strategy '%s'", Name());
    const int32_t position = WorldCtrl::GetTargetSlotByName(deed.id.c_str());
    if (position < 1)
        ctrl.Error("Unknown position id: '%s'", deed.id.c_str());
    deed.positionID = position;
    deed.target = position;
}

}  // namespace

void GameCtrl::LoadStrategies()
{
    SearchTree<KI_Strategy>& tree = GetWorld().GetStrategyTree();
    ConfigFileReader& reader = m_StrategyReader;
    auto readEntry = [&](int32_t i, const char* desc) {
        KI_Strategy* strategy = tree.Insert(String(desc));
        if (!strategy)
            return false;
        strategy->name = desc;
        StrategyRead read{*this, reader, i, *strategy};
        read.ReadStrategyKeys();

        String name;
        while (reader.NextBlock(name)) {
            const auto* event = std::find_if(std::begin(kEvents), std::end(kEvents),
                                             [&](const auto& e) { return name.EqualsNoCase(e.name); });
            if (event == std::end(kEvents)) {
                if (name.c_str()[0] != ';')
                    Warning("Unknown block in strategy.cfg: %s", name.c_str());
                reader.SkipBlock();
                continue;
            }
            reader.EnterBlock();
            read.ReadEventBlock(strategy->blocks[event->block]);
            reader.ExitBlock();
        }
        return true;
    };
    if (!ReadDefinitions(reader, kStrategyFile, "LoadStrategies", "Strategy", [&] { tree.Clear(); }, readEntry))
        return;
    Log::Write("Strategies loaded");
    OnStrategiesLoaded();
}

void GameCtrl::OnStrategiesLoaded() {}
