// GameCtrl: the stat block of a creature entry read into a creature: level, vital values,
// speeds, combat behaviour, experience, sounds, idle cycles, body variations and idle timing.
#include "game/ctrl/GameCtrl.h"

#include "base/Color.h"
#include "base/Random.h"
#include "world/TransformableAttribute.h"

#include <iterator>

namespace {

constexpr float kDegreesToRadians = 0.017453292f;

// Body slots of the mesh and texture variation keys.
struct BodyKey {
    const char* key;
    int32_t slot;
};
const BodyKey kMeshKeys[] = {{"MeshUpperBody", 1}, {"MeshLowerBody", 2}, {"MeshHead", 4}, {"MeshHands", 3},
                             {"MeshHair", 7},      {"MeshBeard", 6},     {"MeshBelt", 8}, {"MeshEyeGlow", 9}};
const BodyKey kTextureKeys[] = {{"TextureUpperBody", 1}, {"TextureLowerBody", 2}, {"TextureHead", 4},
                                {"TextureHands", 3},     {"TextureBoots", 5},     {"TextureHair", 7},
                                {"TextureBelt", 8},      {"TextureBeard", 6},     {"TextureEyeGlow", 9}};

const char* const kCreatureSoundKeys[] = {"sndDie", "sndHit", "sndSpotEnemy", "sndBlock", "sndMove", "sndBored"};

// A float read as a switch: on when above 0, else off; absent leaves it.
void ReadPositiveFlag(ConfigFileReader& reader, const char* key, uint8_t& flag, int32_t entry)
{
    float value = 0.0f;
    if (reader.GetFloat(key, value, entry) == ConfigFileReader::kFound)
        flag = value > 0.0f ? 1 : 0;
}

// The same for a switch that a block may turn on but never off.
void ReadSwitchOn(ConfigFileReader& reader, const char* key, uint8_t& flag, int32_t entry)
{
    float value = 0.0f;
    if (reader.GetFloat(key, value, entry) == ConfigFileReader::kFound && value > 0.0f)
        flag = 1;
}

// A speed that falls back on another one when the block is complete or the other was given.
void ReadSpeed(ConfigFileReader& reader, const char* key, float& speed, int32_t entry, bool fallback, float other)
{
    if (reader.GetFloat(key, speed, entry) != ConfigFileReader::kFound && fallback)
        speed = other;
}

// A bored cycle number that falls back on another one in a complete block.
void ReadBoredCycle(ConfigFileReader& reader, const char* key, int16_t& cycle, int32_t entry, bool complete,
                    int16_t other)
{
    double number = 0.0;
    if (reader.GetDouble(key, number, entry) == ConfigFileReader::kFound)
        GameCtrl::ReadShortKey(reader, key, cycle, entry);
    else if (complete)
        cycle = other;
}

}  // namespace

void GameCtrl::ReadCreatureKeys(ConfigFileReader& reader, int32_t entry, CreatureObj& creature)
{
    (void)reader;
    (void)entry;
    (void)creature;
}

// Keys in the order the block's values depend on each other; complete makes it a full
// definition in which missing keys take their defaults.
void GameCtrl::LoadCreatureStats(CreatureObj& creature, ConfigFileReader& reader, int32_t entry, bool monsterLevel,
                                 bool complete, bool skipAppearance)
{
    CreatureStats& stats = creature.m_Stats;
    String desc;
    reader.GetString("desc", desc, entry);

    float levelRel = 0.0f;
    int32_t levelAdd = 0;
    int32_t level = 0;
    reader.GetFloat("levelRel", levelRel, entry);
    reader.GetInt("levelAdd", levelAdd, entry);
    if (reader.GetInt("level", level, entry) == ConfigFileReader::kFound) {
        SetCreatureLevel(creature, level + levelAdd);
    } else if (monsterLevel) {
        const int32_t computed = GetMonsterLevel(levelRel) + levelAdd;
        if (computed != 1)
            SetCreatureLevel(creature, computed);
    }

    float attackAndMove = 0.0f;  // on when not 0, also below it
    if (reader.GetFloat("AttackAndMove", attackAndMove, entry) == ConfigFileReader::kFound)
        stats.attackAndMove = attackAndMove != 0.0f ? 1 : 0;
    for (int32_t i = 0; i < CreatureStats::kWeaponAttacks; ++i)
        if (reader.GetInt("WeaponAttack", stats.weaponAttacks[i], entry, i) != ConfigFileReader::kFound)
            break;

    TransformableAttribute hitp(stats.maxHitPoints);
    const bool hasHitp = FindAttributeFunction(reader, hitp, "hitp", entry);
    if (hasHitp)
        stats.maxHitPoints = hitp.GetValue(&creature);

    ReadFlagKey(reader, "BossMonster", stats.bossMonster, entry);
    float colour[3];
    if (reader.GetVector3("GuiColor", colour, entry) == ConfigFileReader::kFound)
        stats.guiColor = Color::FromFloats(colour[0], colour[1], colour[2]);
    ReadFlagKey(reader, "CauseFightMusic", stats.causeFightMusic, entry);
    reader.GetFloat("freezeTimeModify", creature.m_FreezeTimeFactor, entry);
    reader.GetFloat("stunTimeModify", creature.m_StunTimeFactor, entry);
    reader.GetUInt("Immunity", creature.m_ImmunityMask, entry);
    if (monsterLevel && !reader.WasFoundInLinkedReader())  // a linked template has been scaled already
        stats.maxHitPoints = stats.maxHitPoints * m_MonsterHealthFactor + m_MonsterHealthAdd;
    if (reader.GetFloat("mana", stats.maxMana, entry) == ConfigFileReader::kFound)
        creature.m_Mana = stats.maxMana;
    if (reader.GetFloat("health", creature.m_Health, entry) != ConfigFileReader::kFound)
        creature.m_Health = hasHitp ? hitp.GetValue(&creature) : stats.maxHitPoints;
    reader.GetInt("CombatMode", stats.combatMode, entry);
    ReadFlagKey(reader, "ReceiveDamage", stats.receiveDamage, entry);
    reader.GetFloat("AttackModeDuration", stats.attackModeDuration, entry);
    ReadAngleKey(reader, "AngleFront", stats.angleFront, entry);
    ReadCreatureKeys(reader, entry, creature);
    ReadPositiveFlag(reader, "CanEquip", stats.canEquip, entry);
    reader.GetFloat("spdDodge", creature.m_DodgeSpeed, entry);
    reader.GetFloat("spdJump", creature.m_JumpFrontSpeed, entry);
    reader.GetFloat("spdJumpSide", creature.m_JumpSideSpeed, entry);
    reader.GetFloat("spdJumpBack", creature.m_JumpBackSpeed, entry);
    const bool hasMove = reader.GetFloat("spdMove", stats.spdMove, entry) == ConfigFileReader::kFound;
    const bool fallback = complete || hasMove;
    reader.GetFloat("spdMoveSlowWalk", stats.spdMoveSlowWalk, entry);
    ReadSpeed(reader, "spdMoveBack", stats.spdMoveBack, entry, fallback, stats.spdMove);
    ReadSpeed(reader, "spdMoveSide", stats.spdMoveSide, entry, fallback, stats.spdMove);
    ReadSpeed(reader, "spdMoveCombat", stats.spdMoveCombat, entry, fallback, stats.spdMove);
    ReadSpeed(reader, "spdMoveBackCombat", stats.spdMoveBackCombat, entry, fallback, stats.spdMoveBack);
    ReadSpeed(reader, "spdMoveSideCombat", stats.spdMoveSideCombat, entry, fallback, stats.spdMoveSide);
    reader.GetFloat("spdRot", stats.spdRot, entry);
    reader.GetFloat("maxAccel", stats.maxAccel, entry);

    TransformableAttribute experience(stats.expKill);
    if (FindAttributeFunction(reader, experience, "expKill", entry))
        stats.expKill = experience.GetValue(&creature);
    experience = TransformableAttribute(0.0f);
    if (FindAttributeFunction(reader, experience, "expDamage", entry)) {
        const float value = experience.GetValue(&creature);
        stats.expDamage = stats.maxHitPoints > 0.0f ? value / stats.maxHitPoints : 0.0f;  // no hit points: no share
    }

    for (int32_t i = 0; i < int32_t(std::size(kCreatureSoundKeys)); ++i)
        reader.GetString(kCreatureSoundKeys[i], creature.m_Sounds[i], entry);
    FindSound(creature.m_Sounds);

    ReadSwitchOn(reader, "immortal", stats.immortal, entry);
    ReadSwitchOn(reader, "AttackIsMove", stats.attackIsMove, entry);
    reader.GetInt("CastShadow", stats.castShadow, entry);
    ReadFlagKey(reader, "IsFlying", stats.isFlying, entry);
    reader.GetInt("CharacterClass", stats.characterClass, entry);
    reader.GetInt("TradeGold", stats.tradeGold, entry);
    reader.GetFloat("TradeRate", stats.tradeRate, entry);
    reader.GetFloat("opacity", stats.opacity, entry);
    reader.GetFloat("CommRadius", creature.m_AlertRadius, entry);
    String strategy;
    if (reader.GetString("strategy", strategy, entry) == ConfigFileReader::kFound)
        creature.SetStrategy(strategy);
    reader.GetFloat("HardHitTime", stats.hardHitTime, entry);
    reader.GetFloat("AttackRadius", stats.attackRadius, entry);
    reader.GetFloat("AttackRadiusBack", stats.attackRadiusBack, entry);

    if (!skipAppearance) {
        ReadShortKey(reader, "BoredCycleOnDead", stats.boredCycleOnDead, entry);
        reader.GetFloat("HardHit", stats.hardHit, entry);
        ReadShortKey(reader, "BoredCycle", stats.boredCycle, entry);
        ReadShortKey(reader, "BoredCycleDialog", stats.boredCycleDialog, entry);
        ReadShortKey(reader, "BoredCycleStaffDialog", stats.boredCycleStaffDialog, entry);
        ReadBoredCycle(reader, "BoredCycleExhausted", stats.boredCycleExhausted, entry, complete, stats.boredCycle);
        ReadBoredCycle(reader, "BoredCycleVeryExhausted", stats.boredCycleVeryExhausted, entry, complete,
                       stats.boredCycleExhausted);
        ReadBoredCycle(reader, "BoredCycleStaff", stats.boredCycleStaff, entry, complete, stats.boredCycle);
        ReadBoredCycle(reader, "BoredCycleStaffExhausted", stats.boredCycleStaffExhausted, entry, complete,
                       stats.boredCycleStaff);
        ReadBoredCycle(reader, "BoredCycleStaffVeryExhausted", stats.boredCycleStaffVeryExhausted, entry, complete,
                       stats.boredCycleStaffExhausted);
        ReadBoredCycle(reader, "BoredCyclePose", stats.boredCyclePose, entry, complete, stats.boredCycle);
        ReadBoredCycle(reader, "BoredCycleStaffPose", stats.boredCycleStaffPose, entry, complete,
                       stats.boredCycleStaff);

        if (const AniCycleSet* set = GetAniCycleSet(stats.aniCycleSet)) {
            const struct {
                int16_t cycle;
                const char* message;
            } checks[] = {
                {stats.boredCycle, "Invalid bored cycle specified: %i (%s:'%s')"},
                {stats.boredCycleExhausted, "Invalid exhausted bored cycle specified: %i (%s:'%s')"},
                {stats.boredCycleVeryExhausted, "Invalid very exhausted bored cycle specified: %i (%s:'%s')"},
                {stats.boredCycleStaff, "Invalid bored cycle specified: %i (%s:'%s')"},
                {stats.boredCycleStaffExhausted, "Invalid exhausted bored cycle specified: %i (%s:'%s')"},
                {stats.boredCycleStaffVeryExhausted, "Invalid very exhausted bored cycle specified: %i (%s:'%s')"},
            };
            for (const auto& check : checks)
                if (check.cycle - 1 >= set->m_BoredCount)
                    Error(check.message, int32_t(check.cycle), reader.GetFileName(), desc.c_str());
        }

        for (const BodyKey& body : kMeshKeys) {
            int32_t number = 0;
            if (reader.GetInt(body.key, number, entry) == ConfigFileReader::kFound)
                creature.SetMeshVariation(body.slot, number - 1);
        }
        for (const BodyKey& body : kTextureKeys) {
            int32_t number = 0;
            if (reader.GetInt(body.key, number, entry) == ConfigFileReader::kFound)
                creature.SetTextureVariation(body.slot, number - 1);
        }

        float factor = 0.15f;
        reader.GetFloat("acBoredRandFactor", factor, entry);
        AniCycleSet* set = GetAniCycleSet(stats.aniCycleSet);
        const float baseSpeed = set ? set->GetCycle(0).m_Speed : 1.0f;
        stats.boredSpeed = baseSpeed * float(Random::Range(1.0f - factor, 1.0f + factor));
    }

    if (reader.GetFloatPair("sndBoredTime", stats.sndBoredTime, entry) == ConfigFileReader::kFound)
        stats.sndBoredWait = float(Random::Range(0.0f, stats.sndBoredTime[1]));
    ReadBezierSpline1D(reader, "damFactorAngle", entry, stats.damFactorAngle, desc.c_str());
    ReadByteKey(reader, "TerrainAlign", stats.terrainAlign, entry);
    float tolerance = 0.0f;
    if (reader.GetFloat("PathfindingTargetApproachTolerance", tolerance, entry) == ConfigFileReader::kFound)
        stats.pathfindingTolerance = tolerance * kDegreesToRadians;
}

// The creature gets the experience the level needs, and the level that experience reaches.
// Before the experience table is read there are no thresholds: the level is taken as given.
void GameCtrl::SetCreatureLevel(CreatureObj& creature, int32_t level)
{
    if (m_ExperienceTable.GetSize() == 0) {
        creature.m_Level = creature.m_HighestLevel = level;
        return;
    }
    creature.SetCharacterLevel(level);
}

void GameCtrl::SetMonsterHealth(float factor, float add)
{
    m_MonsterHealthFactor = factor;
    m_MonsterHealthAdd = add;
}
