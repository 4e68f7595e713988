// GameCtrl: the action definitions of "cfg\actions.cfg" (each entry's timing, cost and movement
// keys and its ATTACK, EFFECT, SHOT and SPELL blocks, repeated as the blocks ask) into the world's
// action tree, and the load pattern and key readers that the strategy definitions share.
#include "game/ctrl/GameCtrl.h"

#include "base/Color.h"
#include "base/Log.h"
#include "game/ctrl/ShotRepeat.h"
#include "world/ActionEntry.h"

#include <cctype>
#include <memory>

namespace {

const char* const kActionsFile = "cfg\\actions.cfg";
constexpr float kDegreesToRadians = 0.017453292f;
constexpr int32_t kMaxEffectNames = 16;  // names an EFFECT block may list to pick from

// An RGB triple of 0..1 as a colour with full alpha, when the key is there.
void ReadColour(ConfigFileReader& reader, const char* key, uint32_t& colour, int32_t entry)
{
    float rgb[3];
    if (reader.GetVector3(key, rgb, entry) == ConfigFileReader::kFound)
        colour = Color::FromFloats(rgb[0], rgb[1], rgb[2]);
}

// Empties what a load has built unless it finished: no entry of a broken file stays reachable,
// and the file is read again on the next call.
class DefinitionsLoad {
public:
    DefinitionsLoad(ConfigFileReader& reader, const std::function<void()>& clear) : m_Reader(reader), m_Clear(clear) {}
    ~DefinitionsLoad()
    {
        if (m_Finished)
            return;
        m_Reader.Clear();
        m_Clear();
    }
    DefinitionsLoad(const DefinitionsLoad&) = delete;
    DefinitionsLoad& operator=(const DefinitionsLoad&) = delete;
    void Finish() { m_Finished = true; }

private:
    ConfigFileReader& m_Reader;
    const std::function<void()>& m_Clear;
    bool m_Finished = false;
};

template <class Part> void CopyPart(Part& to, const Part& from) { to = from; }
void CopyPart(ActionShot& to, const ActionShot& from) { to.CopyFrom(from); }  // its damage values are its own

// One entry of the file being read: the controller that reports and reads the shared keys, the
// reader and the entry's number, and the action that receives what is read.
struct ActionEntryRead {
    GameCtrl& ctrl;
    ConfigFileReader& reader;
    int32_t entry;
    ActionEntry& action;

    void ReadEntryKeys();
    // Each block reader runs inside its block: the shared part keys, then its own, then the copies.
    void ReadAttack(ActionAttack& attack);
    void ReadEffect();
    // The names of the "effect" list, one emitter each, placed and timed like the effect.
    void ReadEmitters(ActionEffect& effect);
    void ReadShot();
    void ReadSpell();
    // The shared part keys and the block's repetition count, cut to the limit.
    int32_t ReadRepeat(ActionEntryBase& part, ShotRepeat& repeat, const char* block)
    {
        part.owner = &action;
        ctrl.ReadShotRepeat(part, repeat, reader, entry);
        if (repeat.count <= GameCtrl::kMaxRepeatCount)
            return repeat.count;  // 0 or less: the block stores nothing
        ctrl.Warning("'RepeatCount' %i in block %s of action '%s' cut to %i", repeat.count, block,
                     action.name.c_str(), GameCtrl::kMaxRepeatCount);
        return GameCtrl::kMaxRepeatCount;
    }
    // Appends count copies of the block's part to the list, each with its list position as
    // index and each a step of the action; after each copy advance(copy, k) moves the part on
    // for the next one.
    template <class Part, class Advance>
    void StoreCopies(DynaMem<Part, 4>& list, const Part& part, int32_t count, Advance advance)
    {
        for (int32_t k = 0; k < count; k++) {
            Part& stored = action.AddPart(list);
            const int32_t index = stored.index;
            CopyPart(stored, part);
            stored.index = index;
            action.AddStepOf(stored);
            advance(stored, k);
        }
    }
    void ReadFlag(const char* key, uint8_t& flag) { GameCtrl::ReadFlagKey(reader, key, flag, entry); }
    bool ReadAngle(const char* key, float& radians)
    {
        return GameCtrl::ReadDefinitionAngle(reader, key, radians, entry);
    }
};

void ActionEntryRead::ReadEntryKeys()
{
    String type;
    action.isMagic = reader.GetString("type", type, entry) == ConfigFileReader::kFound && type.EqualsNoCase("magic");
    reader.GetFloat("duration", action.duration, entry);
    reader.GetFloat("FreePoint", action.freePoint, entry);
    reader.GetFloat("HitInterruptPoint", action.hitInterruptPoint, entry);
    int32_t cycle = 0;
    if (reader.GetInt("anicycle", cycle, entry) == ConfigFileReader::kFound) {
        if (cycle < 0 || cycle > 64)
            ctrl.Error("Invalid anicycle in action '%s'", action.name.c_str());
        action.anicycle = cycle - 1;  // 0 in the file: no cycle
    }
    reader.GetInt("mana", action.mana, entry);
    if (reader.GetFloat("fame", action.fame, entry) != ConfigFileReader::kFound)
        action.fame = float(action.mana);
    reader.GetFloat("recharge", action.recharge, entry);
    if (!(action.duration > action.recharge))
        ctrl.Error("'Duration' must be longer than 'recharge' in action '%s'", action.name.c_str());
    reader.GetFloat("CostPoint", action.costPoint, entry);
    reader.GetString("sndAmbi", action.sndAmbi, entry);
    reader.GetInt("AnyDirection", action.anyDirection, entry);
    reader.GetFloat("RepeatPoint", action.repeatPoint, entry);
    reader.GetFloat("WarnEnemyPoint", action.warnEnemyPoint, entry);
    reader.GetFloat("BoneBlendVal", action.boneBlendVal, entry);
    ReadFlag("CanRotate", action.canRotate);
    ReadFlag("CanMove", action.canMove);
    reader.GetFloatPair("CanNotMoveFromToPoint", action.canNotMoveFromToPoint, entry);
    reader.GetFloatPair("CanNotDodgeFromToPoint", action.canNotDodgeFromToPoint, entry);
    reader.GetInt("Immune", action.immune, entry);
    reader.GetInt("DamageDisplayType", action.damageDisplayType, entry);
    reader.GetFloat("DisplayDamagePerSecond", action.displayDamagePerSecond, entry);
    ctrl.ReadBezierSpline1D(reader, "DamFactorAngle", entry, action.damFactorAngle, action.name.c_str());
    ctrl.ReadBezierSpline1D(reader, "DamFactorTime", entry, action.damFactorTime, action.name.c_str());
}

void ActionEntryRead::ReadAttack(ActionAttack& attack)
{
    attack.ResetAttack();
    ShotRepeat repeat;
    const int32_t count = ReadRepeat(attack, repeat, "ATTACK");
    ctrl.ReadDamageEntry(reader, entry, &attack);
    for (int32_t k = 0; k < count; k++) {
        DynActionAttack& stored = *action.attacks.GetBySlot(action.attacks.Add());
        stored.Take(attack);  // a copy of the game's own class
        if (!stored.Get())
            ctrl.Error("Can not copy attack of action '%s'", action.name.c_str());
        stored->index = action.attacks.GetSize() - 1;
        action.AddStepOf(*stored.Get());
        attack.point += repeat.pointOffset;
        attack.direction += repeat.directionOffset;
    }
}

void ActionEntryRead::ReadEffect()
{
    ActionEffect effect;
    ShotRepeat repeat;
    const int32_t count = ReadRepeat(effect, repeat, "EFFECT");
    reader.GetString("effect", effect.effect, entry);
    reader.GetVector3("EffectPos", effect.effectPos, entry);
    reader.GetString("EffectObject", effect.effectObject, entry);
    ReadFlag("IsChild", effect.isChild);
    while (effect.numSnd < ActionEffect::kSounds &&
           reader.GetString("Snd", effect.snd[effect.numSnd], entry, effect.numSnd + 1) == ConfigFileReader::kFound)
        effect.numSnd++;
    reader.GetVector3("quake", effect.quake, entry);
    reader.GetString("object", effect.object, entry);
    reader.GetFloat("ObjectLifeSpan", effect.objectLifeSpan, entry);
    reader.GetVector3("ObjectPos", effect.objectPos, entry);
    reader.GetVector3("ObjectScale", effect.objectScale, entry);
    reader.GetFloat("EmitDuration", effect.emitDuration, entry);
    ReadEmitters(effect);
    StoreCopies(action.effects, effect, count, [&](ActionEffect&, int32_t) {
        effect.point += repeat.pointOffset;
        effect.startOffset[0] += repeat.startOffsetOffset[0];
        effect.startOffset[1] += repeat.startOffsetOffset[1];
    });
}

void ActionEntryRead::ReadEmitters(ActionEffect& effect)
{
    String names[kMaxEffectNames];
    const int32_t count = reader.GetTextList("effect", names, kMaxEffectNames, entry);
    for (int32_t i = 0; i < count; i++) {
        if (names[i].IsEmpty())
            continue;
        EffectEmitterInfo& emitter = effect.emitters.Append();
        emitter.effectName = names[i];
        for (int32_t axis = 0; axis < 3; axis++)
            emitter.offset[axis] = effect.effectPos[axis];
        emitter.lifeTime = effect.emitDuration;
        emitter.dummyName = effect.effectObject;
    }
}

void ActionEntryRead::ReadShot()
{
    ActionShot shot;  // fresh, so that no text of an earlier block stays
    ShotRepeat repeat;
    const int32_t count = ReadRepeat(shot, repeat, "SHOT");
    reader.GetFloat("spdMove", shot.spdMove, entry);
    reader.GetFloat("size", shot.size, entry);
    reader.GetFloat("FriendlySizeFactor", shot.friendlySizeFactor, entry);
    reader.GetString("TraceEffect", shot.traceEffect, entry);
    reader.GetFloat("TraceProb", shot.traceProb, entry);
    reader.GetFloat("TraceWayPerEmit", shot.traceWayPerEmit, entry);
    reader.GetString("HitEffect", shot.hitEffect, entry);
    if (reader.GetString("HitEffectCreature", shot.hitEffectCreature, entry) != ConfigFileReader::kFound)
        shot.hitEffectCreature = shot.hitEffect;
    reader.GetString("ShootEffect", shot.shootEffect, entry);
    reader.GetString("ProjectileEffect", shot.projectileEffect, entry);
    reader.GetString("onHit", shot.onHit, entry);
    reader.GetString("onDamage", shot.onDamage, entry);
    reader.GetString("onInit", shot.onInit, entry);
    reader.GetString("sndCollide", shot.sndCollide, entry);
    reader.GetString("sndAmbi", shot.sndAmbi, entry);
    reader.GetInt("numShots", shot.numShots, entry);
    reader.GetFloat("Width", shot.width, entry);
    ReadAngle("ScatterAngle", shot.scatterAngle);
    reader.GetFloatPair("StartOffsetLocal", shot.startOffsetLocal, entry);
    if (reader.GetFloatPair("StartOffsetLocalShootEffect", shot.startOffsetLocalShootEffect, entry) !=
        ConfigFileReader::kFound) {
        shot.startOffsetLocalShootEffect[0] = shot.startOffsetLocal[0];
        shot.startOffsetLocalShootEffect[1] = shot.startOffsetLocal[1];
    }
    if (reader.GetFloatPair("StartOffsetShootEffect", shot.startOffsetShootEffect, entry) != ConfigFileReader::kFound) {
        shot.startOffsetShootEffect[0] = shot.startOffset[0];
        shot.startOffsetShootEffect[1] = shot.startOffset[1];
    }
    reader.GetFloat("RandomStartOffsetLocalRadius", shot.randomStartOffsetLocalRadius, entry);
    ctrl.ReadHitEffects(reader, entry, &shot.hitEffects);
    reader.GetFloat("height", shot.height, entry);
    reader.GetFloat("mass", shot.mass, entry);
    reader.GetFloat("MaxDist", shot.maxDist, entry);
    reader.GetFloat("DamDist", shot.damDist, entry);
    int16_t nth = 0;
    if (reader.GetShort("LightEveryNthCount", nth, entry) == ConfigFileReader::kFound)
        shot.lightEveryNthCount = uint16_t(nth);
    reader.GetFloat("LghtInt", shot.lghtInt, entry);
    reader.GetFloat("LghtFadeIn", shot.lghtFadeIn, entry);
    reader.GetFloat("LghtHeight", shot.lghtHeight, entry);
    reader.GetFloat("HitLghtHeight", shot.hitLghtHeight, entry);
    reader.GetFloat("HitLghtInt", shot.hitLghtInt, entry);
    reader.GetFloat("HitLghtFadeOut", shot.hitLghtFadeOut, entry);
    ctrl.FindAttributeFunction(reader, shot.pervasive, "pervasive", entry);
    reader.GetUInt("serialNumber", shot.serialNumber, entry);
    ReadFlag("CollideWithShots", shot.collideWithShots);
    ReadAngle("angle", shot.angle);
    ReadAngle("AngleDeviation", shot.angleDeviation);
    ReadColour(reader, "LghtCol", shot.lghtCol, entry);
    ReadColour(reader, "HitLghtCol", shot.hitLghtCol, entry);
    for (int32_t c = 0; c < ActionShot::kChildren; c++) {
        reader.GetString("Child", shot.child[c], entry, c + 1);
        reader.GetFloat("ChildScale", shot.childScale[c], entry, c + 1);
        reader.GetVector3("ChildPos", shot.childPos[c], entry, c + 1);
    }
    if (reader.GetFloatPair("RandomMove", shot.randomMove, entry) == ConfigFileReader::kFound)
        shot.randomMove[0] *= kDegreesToRadians;
    ctrl.FindAttributeFunction(reader, shot.itemDamFactor, "ItemDamFactor", entry);
    ctrl.ReadBezierSpline1D(reader, "DamFactorWay", entry, shot.damFactorWay, action.name.c_str());
    StoreCopies(action.shots, shot, count, [&](ActionShot& stored, int32_t k) {
        if (shot.lightEveryNthCount >= 2 && k % shot.lightEveryNthCount != 0) {
            stored.lghtInt = 0.0f;  // only every n-th shot of the run carries light
            stored.hitLghtInt = 0.0f;
        }
        shot.point += repeat.pointOffset;
        shot.angle += repeat.directionOffset;
        shot.startOffset[0] += repeat.startOffsetOffset[0];
        shot.startOffset[1] += repeat.startOffsetOffset[1];
    });
}

void ActionEntryRead::ReadSpell()
{
    ActionSpell spell;
    ShotRepeat repeat;
    const int32_t count = ReadRepeat(spell, repeat, "SPELL");
    ctrl.ReadHitEffects(reader, entry, &spell.hitEffects);
    reader.GetString("type", spell.type, entry);
    reader.GetString("id", spell.id, entry);
    for (int32_t p = 0; p < ActionSpell::kParams; p++)
        reader.GetFloat("param", spell.param[p], entry, p + 1);
    reader.GetFloatPair("SummonHitpBonus", spell.summonHitpBonus, entry);
    reader.GetFloatPair("SummonSpellpowerBonus", spell.summonSpellpowerBonus, entry);
    reader.GetFloatPair("SummonStrengthBonus", spell.summonStrengthBonus, entry);
    reader.GetFloat("SummonLifeSpanStrengthBonus", spell.summonLifeSpanStrengthBonus, entry);
    reader.GetFloat("SummonLifeSpanSpellpowerBonus", spell.summonLifeSpanSpellpowerBonus, entry);
    reader.GetString("ReplaceCombo", spell.replaceCombo, entry);
    reader.GetString("ReplaceComboWithAction", spell.replaceComboWithAction, entry);
    StoreCopies(action.spells, spell, count, [&](ActionSpell&, int32_t) { spell.point += repeat.pointOffset; });
}

}  // namespace

bool GameCtrl::ReadDefinitionAngle(ConfigFileReader& reader, const char* key, float& radians, int32_t entry)
{
    float degrees = 0.0f;
    if (reader.GetFloat(key, degrees, entry) != ConfigFileReader::kFound)
        return false;
    radians = degrees * kDegreesToRadians;
    return true;
}

bool GameCtrl::ReadDefinitions(ConfigFileReader& reader, const char* file, const char* loader, const char* kind,
                               const std::function<void()>& clear,
                               const std::function<bool(int32_t, const char*)>& readEntry)
{
    // Elements hold pointers into the trees: a reload under them would leave them dangling.
    if (GetWorld().GetNumElements() > 0)
        Error("Internal error: %s() called with world objects present", loader);
    reader.SetConstantTable(&m_Constants);
    if (!reader.NeedsReload())
        return false;
    DefinitionsLoad load(reader, clear);
    clear();
    if (reader.Load(file) != 0)
        Error("%s", reader.GetErrorText());
    for (int32_t entry = 0; entry < reader.GetNumEntries(); entry++) {
        // The entry's own keys are read at its top level: its blocks have keys of the same names.
        reader.BeginBlockRead(entry);
        char desc[ConfigFileReader::kDescSize];
        if (reader.GetValueText("desc", desc, sizeof desc, entry) != ConfigFileReader::kFound)
            Error("%s entry %i without 'desc' entry", kind, entry);
        if (!readEntry(entry, desc))
            Error("Multiple %c%s entry '%s'", std::tolower(static_cast<unsigned char>(kind[0])), kind + 1, desc);
        reader.EndBlockRead();
    }
    load.Finish();
    return true;
}

void GameCtrl::LoadActions()
{
    SearchTree<ActionEntry>& tree = GetWorld().GetActionTree();
    // The game's attack class, made once for the load; every ATTACK block resets it.
    std::unique_ptr<ActionAttack> attack;
    ConfigFileReader& reader = m_ActionReader;
    auto readEntry = [&](int32_t i, const char* desc) {
        ActionEntry* action = tree.Insert(String(desc));
        if (!action)
            return false;
        action->name = desc;
        ActionEntryRead read{*this, reader, i, *action};
        read.ReadEntryKeys();

        String block;
        while (reader.NextBlock(block)) {
            reader.EnterBlock();
            if (block.EqualsNoCase("ATTACK")) {
                if (!attack)
                    attack.reset(CreateActionAttack());
                if (!attack)
                    Error("Can not create attack object");
                read.ReadAttack(*attack);
            } else if (block.EqualsNoCase("EFFECT")) {
                read.ReadEffect();
            } else if (block.EqualsNoCase("SHOT")) {
                read.ReadShot();
            } else if (block.EqualsNoCase("SPELL")) {
                read.ReadSpell();
            } else if (block.c_str()[0] != ';') {  // ";NAME" is a block commented out
                Warning("Unknown block in action.cfg: %s (entry: %s)", block.c_str(), action->name.c_str());
            }
            reader.ExitBlock();
        }
        return true;
    };
    if (ReadDefinitions(reader, kActionsFile, "LoadActions", "Action", [&] { tree.Clear(); }, readEntry))
        Log::Write("Actions loaded");
}
