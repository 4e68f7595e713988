// KI_ActionData: one intention of a creature's AI (its intention stack holds them): the task
// code, the action it names, its parameter block (KI_ActionParams) and the target; its saved
// form and the comparison by which the AI tells whether a decision changed. AITarget: a point
// the AI aims at, an element or a fixed place, with an offset.
#pragma once
#include "base/SmartPtr.h"
#include "base/String.h"
#include "platform/D3DXMath.h"
#include "world/KI_Strategy.h"
#include "world/WorldElem.h"

#include <cstdint>

class File;
class WorldCtrl;

// The parameter block of an action record. Saved form (read order): i32 kind, 2 x 2 f32 vectors,
// 2 values, 4 values, String action name, 3 values read as the first, third and second of their
// group, [181: String second text, 2 i32 values]. Values are 4 raw bytes each.
class KI_ActionParams {
public:
    static constexpr int32_t kConditionSlots = 6;
    static constexpr int32_t kTableEntries = 16;
    static constexpr uint16_t kSecondTextVersion = 181;
    static constexpr int32_t kDefaultKind = 23;  // no action type of ParseAIActionType

    // One entry of the 16-entry table (20 bytes in the AI's own form).
    struct TableEntry {
        int32_t code = 0;
        float values[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    };

    KI_ActionParams() { Reset(); }
    void Reset();
    void Save(File& file) const;
    void Load(File& file);
    // base + a uniform random value in [-spread, spread].
    float GetRandomizedValue() const;
    // 0 unless the kind is 0 ("ACTION"); then the ID of the named action entry of the running
    // game's world, 0 when there is none.
    int32_t GetActionID() const;

    int32_t kind = kDefaultKind;
    float vectors[2][2] = {};
    float values2[2] = {};
    float values4[4] = {};
    String actionName;
    float base = 10.0f;  // the group of three: base value, spread, and a third value
    float spread = 0.0f;
    float third = 0.0f;
    String secondText;
    int32_t values181[2] = {};
    int32_t conditionSlots[kConditionSlots] = {};
    TableEntry table[kTableEntries];
};

// The intention codes of the AI's stack (the first field of KI_ActionData). Codes 2 to 6, 8, 9
// and 11 to 13 are set by scripts and the knock-down and carried as they are.
enum KI_Intention : int32_t {
    kIntentWait = 0,
    kIntentDead = 1,
    kIntentKnockDown = 4,
    kIntentRotateToPos = 7,
    kIntentGotoPos = 10,
    kIntentFindBetterWay = 14,
    kIntentDoAction = 15,
    kIntentGoDoAction = 16,
    kIntentFlee = 17,
    kIntentGotoObj = 18,
    kIntentTeaseAction = 19,
    kIntentDodgeFront = 20,  // 20 to 23: front, back, left, right
    kIntentJumpFront = 24,   // 24 to 27: front, back, left, right
    kIntentGoLeftEnemy = 28,
    kIntentGoRightEnemy = 29,
    kIntentGoBackEnemy = 30,
    kIntentBlock = 31,
    kIntentDrawWeapon = 32,
    kIntentSheathWeapon = 33,
    kIntentRotateToObj = 34,
    kIntentRotateToAngle = 35,
    kIntentGoDirectionEnemy = 36,
};

// The fields of an intention, as the runner uses the record: task the code, secondCode passed
// through, thirdCode the priority, firstValue the turn angle, vectors[0] the target position
// and vectors[1] two further values, values[0] the time limit (-1 none), values[1] the aim
// deviation, values[2] the entry's angle, values[3] the action delay, flags[0] FindBetterWay,
// flags[1] FinishAction, vectors[2] the zig-zag pair, vectors[3] the target-position offset,
// secondName the FinishScript.
class KI_ActionData {
public:
    // Task codes that the use of an item element reads.
    static constexpr int32_t kTaskNone = 0;
    static constexpr int32_t kTaskUsed = 5;
    static constexpr int32_t kTaskKeep = 9;
    static constexpr int32_t kTaskNoInventory = 10;

    KI_ActionData() { Reset(); }
    // Codes 0, values and vectors 0.0, flags 1, target cleared, second name freed, parameters reset.
    void Reset();
    // The record in its read order: i32 task, i32 second code, String action name, i32 third
    // code, f32 first value, the parameter block, 2 x 2 f32 vectors, ElemCode target, 4 f32
    // values, 2 u8 flags, 2 x 2 f32 vectors, f32 fifth value, String second name. The target is
    // kept as its code (savedTargetRef) until ResolveTarget finds it again.
    void Save(File& file) const;
    void Load(File& file);
    void ResolveTarget(WorldCtrl& world);
    // Whether the decision is the same (see the comparison for the fields that take part).
    bool Equals(const KI_ActionData& other) const;

    int32_t task = 0;  // the intention code
    int32_t secondCode = 0;
    String actionName;
    int32_t thirdCode = 0;
    float firstValue = 0.0f;
    KI_ActionParams params;
    float vectors[4][2] = {};  // first and second before the target, third and fourth after the flags
    SmartPtr<WorldElem> target;
    uint32_t savedTargetRef = 0xFFFFFFFFu;
    float values[4] = {};
    uint8_t flags[2] = {1, 1};
    float fifthValue = 0.0f;
    String secondName;
    int32_t sequence = 0;  // compared, never saved

    // What the creature's stack queries read; the AI runner sets them, never saved.
    uint8_t finished = 0;        // the intention is carried out
    int32_t aiState = -1;        // the AI state the intention leads to; below 0 none
    float statePoint = 0.0f;     // the fraction of an attack at which that state is taken
    uint8_t hasStateCurve = 0;   // the intention's entry times its state by a key curve
    int32_t pair[2] = {0, 0};    // two numbers the game's creature keeps with the intention
    // What the runner keeps beside the saved fields, never saved: whether the intention aims at
    // its position rather than its target, the approach marker (clear while an approach must be
    // applied every frame) and the strategy entry the intention came from.
    uint8_t aimAtPosition = 0;
    uint8_t approachMarker = 1;
    KI_StratEntry entry;
};

class AITarget {
public:
    // The element's position, plus the offset turned by its angle when the offset is not zero;
    // a fixed target: the point plus the offset.
    D3DXVECTOR2 GetPos() const;
    // A fixed target always; a gone element never; a dead element only when kept.
    bool IsValid() const;

    SmartPtr<WorldElem> elem;
    bool fixed = false;
    D3DXVECTOR2 point{0.0f, 0.0f};
    D3DXVECTOR2 offset{0.0f, 0.0f};
    uint8_t keep = 0;
};
