// GameCtrl: the animation cycle sets of "cfg\anicycles.cfg" (opened empty, each read in full when
// a creature first asks for it), the creature definitions of "cfg\3dCreatures.cfg" and the bone
// weight tables of creatures.
#include "game/ctrl/GameCtrl.h"

#include "base/File.h"
#include "base/FileList.h"
#include "base/Log.h"
#include "base/SearchTree.h"
#include "base/TextDataFileReader.h"
#include "base/Timer.h"
#include "engine/gfx/DXC_Gfx.h"
#include "game/objects/AniCycleSet.h"
#include "game/objects/CreatureObj.h"

#include <cctype>

namespace {

const char* const kAniCycleFile = "cfg\\anicycles.cfg";
const char* const kCreatureFile = "cfg\\3dCreatures.cfg";
constexpr int32_t kMaxFootSteps = 1024;
constexpr int32_t kWalkCycle = 128;
constexpr int32_t kDieCycle = 129;
constexpr int32_t kHitCycle = 130;
constexpr int32_t kWalkWeaponCycle = 155;
constexpr int32_t kLastNamedCycle = 164;
constexpr int32_t kFirstAttackCycle = 192;
constexpr int32_t kLastAttackCycle = 448;  // the first extra death cycle is prepared with the attacks

struct NamedCycle {
    const char* key;
    int32_t id;
    uint8_t loop;  // when the key's "Loop" is missing
};

// The named cycles in the order they are read; acDie and acHit fall back (see LoadAniCycleSets).
const NamedCycle kNamedCycles[] = {
    {"acWalk", kWalkCycle, 1},   {"acRun", 148, 1},          {"acLeft", 132, 1},
    {"acRight", 133, 1},         {"acBack", 131, 1},         {"acTurn", 134, 1},
    {"acTurnR", 165, 1},         {"acDie", kDieCycle, 0},    {"acDie2", 448, 0},
    {"acDie3", 449, 0},          {"acDie4", 450, 0},         {"acHit", kHitCycle, 0},
    {"acBlock", 143, 0},         {"acHitBlock", 154, 0},     {"acDodgeLeft", 149, 0},
    {"acDodgeRight", 150, 0},    {"acDrawWeapon", 141, 0},   {"acJumpFW", 144, 0},
    {"acJumpBW", 145, 0},        {"acJumpL", 146, 0},        {"acJumpR", 147, 0},
    {"acStun", 142, 1},          {"acKnockDown", 153, 0},    {"acStunWeapon", 135, 1},
    {"acHitWeapon", 136, 0},     {"acLeftWeapon", 137, 1},   {"acRightWeapon", 138, 1},
    {"acBackWeapon", 140, 1},    {"acTurnWeapon", 139, 1},   {"acDodgeFW", 151, 0},
    {"acDodgeBW", 152, 0},       {"acLeftFW", 156, 1},       {"acRightFW", 157, 1},
    {"acLeftFWWeapon", 158, 1},  {"acRightFWWeapon", 159, 1}, {"acLeftBW", 160, 1},
    {"acRightBW", 161, 1},       {"acLeftBWWeapon", 162, 1}, {"acRightBWWeapon", 163, 1},
    {"acWalkSlow", 164, 1},
};

// The key with its index suffixes: base, sub-key, the first index, "_" and the second.
String CycleKey(const char* base, const char* sub, int32_t index1, int32_t index2)
{
    return ConfigFileReader::MakeKeyName((String(base) + sub).c_str(), index1, index2);
}

void PrepareCycles(AniCycleSet& set, int32_t first, int32_t last)
{
    for (int32_t id = first; id <= last; ++id)
        set.GetCycle(id).Load();
}

}  // namespace

AniCycleSet* GameCtrl::GetAniCycleSet(int32_t index)
{
    if (index < 0 || size_t(index) >= m_AniCycleSets.size())
        return nullptr;
    return m_AniCycleSets[size_t(index)].get();
}

void GameCtrl::LoadAniCycleFile()
{
    if (!m_AniCycleReader.NeedsReload())
        return;
    m_AniCycleSets.clear();
    m_AniCycleReader.SetDescKey("desc");
    if (m_AniCycleReader.Load(kAniCycleFile) != 0)
        Error("%s", m_AniCycleReader.GetErrorText());
    m_AniCycleSets.resize(size_t(m_AniCycleReader.GetNumEntries()));
    for (std::unique_ptr<AniCycleSet>& set : m_AniCycleSets)
        set = std::make_unique<AniCycleSet>();
}

int32_t GameCtrl::LoadAniCycleSets(const char* name)
{
    const double start = Timer::GetTime();
    const int32_t entry = m_AniCycleReader.FindEntryByDesc(name);
    AniCycleSet* set = GetAniCycleSet(entry);
    if (!set) {
        Error("Anicycle '%s' not found", name);
        return -1;
    }
    if (set->m_Loaded)
        return entry;

    set->m_BoredCount = ReadAniCycle(*set, 0, entry, "acBored", 1, AniCycleSet::kBoredCycles, 1, nullptr);
    if (set->m_BoredCount == 0)
        Error("Bored cycle 1 not specified in cycle set '%s'!", name);
    set->GetCycle(0).Load();

    for (const NamedCycle& named : kNamedCycles) {
        if (ReadAniCycle(*set, named.id, entry, named.key, named.loop, 1, 1, nullptr) > 0)
            continue;
        if (named.id == kDieCycle && ReadAniCycle(*set, named.id, entry, "acDie1", named.loop, 1, 1, nullptr) > 0)
            continue;
        if (named.id == kDieCycle || named.id == kHitCycle)
            set->GetCycle(0).CopyTo(set->GetCycle(named.id));
    }
    PrepareCycles(*set, kDieCycle, kLastNamedCycle);

    ReadAniCycle(*set, kWalkWeaponCycle, entry, "acWalkWeapon1", 1, 1, 1, nullptr);
    m_AniCycleReader.GetFloat("acKnockDownFreePoint", set->m_KnockDownFreePoint, entry);
    m_AniCycleReader.GetFloat("acJumpFreePoint", set->m_JumpFreePoint, entry);
    m_AniCycleReader.GetFloat("acDodgeFreePoint", set->m_DodgeFreePoint, entry);
    m_AniCycleReader.GetFloat("acHeightMin", set->m_HeightMin, entry);
    m_AniCycleReader.GetFloat("acHeightMax", set->m_HeightMax, entry);
    ReadAngleKey(m_AniCycleReader, "acTurnTotalAngle", set->m_TurnTotalAngle, entry);

    ReadAniCycle(*set, kFirstAttackCycle, entry, "acAttack", 1, AniCycleSet::kAttacks, AniCycleSet::kAttackVariants,
                 set->m_AttackVariantCount);
    PrepareCycles(*set, kFirstAttackCycle, kLastAttackCycle);

    set->m_Loaded = 1;
    Log::Write("Anicycle set '%s' loaded (%.2f sec)", name, Timer::GetTime() - start);
    return entry;
}

// Cycle first + i + 64 * j takes first index i (1-based in the key, no suffix when only one is
// asked for) and second index j (no suffix for the first; the first missing one ends i). With
// variants the key is an attack's: its own sub-keys, and the count of variants found per attack.
int32_t GameCtrl::ReadAniCycle(AniCycleSet& set, int32_t first, int32_t entry, const char* key, uint8_t loopDefault,
                               int32_t firstCount, int32_t secondCount, int8_t* variants)
{
    ConfigFileReader& reader = m_AniCycleReader;
    int32_t found = 0;
    for (int32_t i = 0; i < firstCount; ++i) {
        const int32_t index1 = firstCount > 1 ? i + 1 : -1;
        int32_t j = 0;
        for (; j < secondCount; ++j) {
            const int32_t index2 = j > 0 ? j : -1;
            String file;
            if (reader.GetString(CycleKey(key, "", index1, index2).c_str(), file, entry) != ConfigFileReader::kFound)
                break;
            if (!File::Exists(file.c_str()))
                Error("Anicycle '%s' not found", file.c_str());
            RegisterLoadedFile(g_Gfx ? g_Gfx->loadedFiles : nullptr, file);

            const int32_t id = first + i + AniCycleSet::kAttacks * j;
            AniCycle& cycle = set.GetCycle(id);
            AniCyclePlayData& play = set.GetPlayData(id);
            auto subKey = [&](const char* sub) { return CycleKey(key, sub, index1, index2); };
            cycle.m_FileName = file;
            reader.GetFloat(subKey("Start").c_str(), cycle.m_StartFrame, entry);
            reader.GetFloat(subKey("End").c_str(), cycle.m_EndFrame, entry);
            reader.GetFloat(subKey("Spd").c_str(), cycle.m_Speed, entry);
            ReadShortKey(reader, subKey("Movement").c_str(), play.moveMode, entry);
            ReadShortKey(reader, subKey("Rotation").c_str(), play.rotMode, entry);
            reader.GetFloat(subKey("Angle").c_str(), cycle.m_Value, entry);  // degrees
            cycle.m_Loop = loopDefault;
            ReadFlagKey(reader, subKey("Loop").c_str(), cycle.m_Loop, entry);
            if (variants) {
                reader.GetFloat(subKey("Point").c_str(), set.m_AttackPoints[i][j], entry);
                continue;
            }
            reader.GetFloat(subKey("IntTime").c_str(), play.fadeInTime, entry);
            ReadBezierSpline1D(reader, subKey("DamFactorAngle").c_str(), entry, play.damageByAngle, file.c_str());
            ReadBezierSpline1D(reader, subKey("DamFactorTime").c_str(), entry, play.damageByTime, file.c_str());
            for (int32_t n = 0;; ++n) {
                String curveKey(key);
                curveKey += "HeightCurve";
                BezierSpline<float> curve;
                if (ReadBezierSpline1D(reader, CycleKey(curveKey.c_str(), "", n > 0 ? n : -1, -1).c_str(), entry,
                                       curve, file.c_str()) == 0)
                    break;
                play.heightCurves.push_back(std::move(curve));
            }
            ReadFloatList(reader, play.eventTimes, subKey("FootSteps").c_str(), entry);
        }
        if (j > 0)
            ++found;
        if (variants)
            variants[i] = int8_t(j);
    }
    return found;
}

void GameCtrl::ReadFloatList(ConfigFileReader& reader, std::vector<float>& list, const char* key, int32_t entry)
{
    list.clear();
    float values[kMaxFootSteps];
    const int32_t count = reader.GetFloatList(key, values, kMaxFootSteps, entry);
    for (int32_t i = 0; i < count && i < kMaxFootSteps; ++i)
        list.push_back(values[i]);
}

void GameCtrl::LoadCreatureDefinitions()
{
    if (!m_CreatureReader.NeedsReload())
        return;
    m_CreatureEntryObjects.clear();
    m_CreatureEntryWords.clear();
    m_CreatureReader.SetDescKey("desc");
    if (m_CreatureReader.Load(kCreatureFile) != 0)
        Error("%s", m_CreatureReader.GetErrorText());
    const size_t count = size_t(m_CreatureReader.GetNumEntries());
    m_CreatureEntryObjects.resize(count);
    m_CreatureEntryWords.assign(count, 0);
    LoadCharacterClasses();
}

// The table is text read token by token: ';' comments out the rest of its line, a quoted bone
// name is followed by its weight (a number or a constant), anything else is passed over. The
// first weight of a bone holds.
void GameCtrl::LoadBoneWeightTable(const char* fileName, CreatureObj& creature)
{
    creature.SetupBones(true);  // the bones the table does not name keep the weight of their name
    TextDataFileReader reader;
    reader.SetConstantTable(&m_Constants);
    reader.Open(fileName, true);
    SearchTree<float> weights;
    while (reader.SkipBlanks() == 0) {
        const char c = reader.PeekChar();
        if (c == ';') {
            reader.FindChar('\n', false);
            continue;
        }
        if (c != '"') {
            String token;
            reader.ReadNextToken(token);
            continue;
        }
        String name;
        if (reader.ReadQuotedString(name) != 0)
            break;
        float weight = 0.0f;
        const bool hasNumber = reader.SkipBlanks() == 0 && reader.PeekChar() != '"' && reader.PeekChar() != ';' &&
                               (std::isalnum(static_cast<unsigned char>(reader.PeekChar())) ||
                                reader.PeekChar() == '-' || reader.PeekChar() == '+' || reader.PeekChar() == '.');
        if (!hasNumber || reader.ReadFloatToken(weight) != 0)
            Error("Missing weight entry in bone weight table in file'%s'", fileName);  // no last weight to fall back on
        if (name.IsEmpty())
            continue;
        if (float* slot = weights.Insert(name))
            *slot = weight;
    }
    DXC_3dScene* scene = creature.GetScene();
    for (int32_t i = 0; scene && i < int32_t(creature.m_BoneWeights.size()); i++)
        if (DXC_3dObject* bone = scene->objects.GetAt(i))
            if (const float* weight = weights.Find(String(bone->GetObjectName())))
                creature.m_BoneWeights[size_t(i)] = *weight;
}
