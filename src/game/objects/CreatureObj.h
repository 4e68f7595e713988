// CreatureObj: the world element of type 4, every player character and monster: a scene object
// with vital values, an action and a movement under force priorities, timed influences, two
// animation cycle players, an AI intention stack and strategy, summoned creatures and its save
// record. The game's rules derive their own creature from it and the controller's factory makes
// it; levels fill it by cloning a template of the creature configuration.
//
//   CreatureObj.cpp          construction, reset, destruction, copy and clone, summoning, mana,
//                            the speed factors and the small answers
//   CreatureObjRecord.cpp    the save record and the action state's saved form
//   CreatureObjStrategy.cpp  the strategy record's operations, the lock list, timed values, the
//                            summon limit, the attack script
//   CreatureObjEffects.cpp   effect types: names, masks, immunity bits, the influence list
//   CreatureObjCycles.cpp    the two cycle players: setting, preparing and rebinding cycles,
//                            their per-frame advance, root motion and pose
//   CreatureObjCycleChoice.cpp  the cycle chooser, speeds by movement mode and direction,
//                            position elements
//   CreatureObjActions.cpp   starting, running, finishing and stopping actions; bored actions
//   CreatureObjMovement.cpp  the movement table: setting, stopping and carrying out movements,
//                            jumps and dodges, the walking cycle from the movement vector
//   CreatureObjAIHooks.cpp   the strategy, the AI's per-frame timers and its current intention
//   CreatureObjIntentions.cpp  the AI strategy runner: the intention stack, starting strategy
//                            entries, applying and carrying out intentions, the per-frame
//                            update, death and the conversation turns
//   CreatureObjQueries.cpp   small queries: radius, body points, line of sight, free directions,
//                            pushes, combo codes, sounds, the AI stack, decision and state
//   CreatureObjOrientation.cpp  facing, view angle and turn direction, goal, reference point,
//                            ground offset, turn factor
//   CreatureObjSteps.cpp     the movement steps: walking, circling, base-dummy animations
//   CreatureObjInfluences.cpp  adding, removing and counting down influences, the hit reaction
//   CreatureObjVitals.cpp    health, refills, mana costs, experience and levels, potions, items
//   CreatureObjDamage.cpp    damage intake, targets, the enemy test, blood and attack warnings
//   CreatureObjDeath.cpp     attack damage, received and taken damage, death, blast collisions
#pragma once
#include "base/DynaMem.h"
#include "base/SmartPtr.h"
#include "base/String.h"
#include "engine/scene/DXC_AniCycle.h"
#include "game/objects/AC_FadeProperties.h"
#include "game/objects/CreatureActionState.h"
#include "game/objects/CreatureCycleValues.h"
#include "game/objects/CreatureInfluence.h"
#include "game/objects/CreatureMotionValues.h"
#include "game/objects/CreatureStats.h"
#include "game/objects/CreatureStrategyData.h"
#include "game/objects/HitRecord.h"
#include "game/objects/KI_ActionData.h"
#include "game/objects/MobData.h"
#include "game/objects/SceneObject.h"

#include <cstdint>
#include <memory>
#include <vector>

class ActionAttack;
class DXC_3dObject;
class ActionEffect;
class AniCycle;
class AniCycleSet;
class ActionEntry;
class ActionEntryBase;
class ActionSpell;
class DamageValuesHolder;
class Inventory;
class DamageValues;
class File;
class InventoryItem;
class KI_Strategy;
class WorldCtrl;

class CreatureObj : public SceneObject {
public:
    static constexpr uint16_t kRecordVersion = 275;  // the stream version the record is written at
    static constexpr int32_t kElemRefs = 16;
    static constexpr uint8_t kControlFlagUnset = 255;
    static constexpr float kUnlimitedMana = 8999999488.0f;  // 9e9 as an f32
    static constexpr int32_t kInputModeAI = 3;  // the mode of an input controller run by the AI

    // Effect types of influences (names in CreatureObjEffects.cpp).
    enum EffectType {
        kEffectNone = 0,
        kEffectStun = 1,
        kEffectHit = 2,
        kEffectHitBlocking = 3,
        kEffectKnockDown = 4,
        kEffectInvisible = 5,
        kEffectFreeze = 6,
        kEffectSlow = 7,
        kEffectWeaponPoison = 8,
        kEffectWeaponWeaken = 9,
        kEffectBlastKnockDown = 10,
        kEffectInflame = 11,
        kEffectMagicArmour1 = 12,
        kEffectMagicArmour2 = 13,
        kEffectMagicArmour3 = 14,
        kEffectWeaken = 15,
        kEffectForce = 16,
        kEffectPartyConvert = 17,
        kEffectShadowRun = 18,
        kEffectShield = 19,
        kEffectComboReplace = 20,
        kEffectItem = 21,
    };

    // The speed factor of the main character ("MainCharMovementSpeed" of the game rules), and of
    // the creatures of parties other than 1 (the difficulty's "monsterMoveSpd").
    static inline float s_MainCharSpeedFactor = 1.0f;
    static inline float s_OtherPartySpeedFactor = 1.0f;
    // The fade rate of an invisible creature becoming visible again (a game constant).
    static inline float s_InvisibleFadeInRate = 1.2f;

    CreatureObj();
    // The copy of the creature's state (clones of templates), its damage values of their class.
    CreatureObj(const CreatureObj& other);
    CreatureObj& operator=(const CreatureObj& other);
    // Reset first: the intention stack, inventory, item and references go.
    ~CreatureObj() override;

    // SceneObject::CopyFrom, then every creature member; the damage values are made anew of the
    // source's class.
    virtual void CopyFrom(const CreatureObj& src) { *this = src; }

    // Operations of the element and the scene object that the creature answers.
    int32_t IsEnemyOf(WorldElemBase* other, bool mutual) override;
    bool OnUse(int32_t flag, int32_t userID, int32_t arg) override;
    void Reset() override;
    int32_t GetLevel() override { return m_Level; }
    bool IsDead() override { return m_Dead != 0; }
    // The party a party conversion (influence 17) gives, else its own.
    int32_t GetParty() override;
    bool IsLootable() override;
    float GetAlertRadius() override { return m_AlertRadius; }
    // After a saved level is whole: the targets and influence sources the record named.
    void RestoreWallChildren() override;

    // Operations the creature adds, in their order.
    virtual bool IsMainCharacter() { return m_MainCharacter != 0; }
    virtual uint32_t GetTintColour() { return m_TintColour; }
    virtual void SetBlockedFlagA(uint8_t flag) { m_BlockedFlagA = flag; }
    virtual void SetBlockedFlagB(uint8_t flag) { m_BlockedFlagB = flag; }
    virtual InventoryItem* FindInventoryItem(const char* name);
    virtual InventoryItem* GetInventoryItem(int32_t position);
    // The main character is driven by its input controller, every other creature by the AI.
    virtual bool IsAIControlled();
    virtual void SetPair(float x, float y)
    {
        m_Pair[0] = x;
        m_Pair[1] = y;
    }
    virtual D3DXVECTOR2 GetPair() { return D3DXVECTOR2(m_Pair[0], m_Pair[1]); }
    virtual int32_t GetControlFlag();
    virtual void EmptyHook() {}
    virtual void UpdateExtra(float dt) { (void)dt; }
    // 1 in view mode 1; else (1 - slow) x speed factor, times the main character's factor or,
    // for parties other than 1, the other parties' factor.
    virtual float GetSpeedFactor();
    virtual float GetAnimSpeedFactor();
    virtual bool IsInConversation();
    virtual void* GetEquipmentEntry(int32_t n)
    {
        (void)n;
        return nullptr;
    }
    virtual void ForwardZero() { OnWeaponEffectChanged(0); }
    virtual int32_t GetWeaponClass() { return 0; }  // unarmed
    virtual void UnequipAll() {}
    virtual void UpdateDamageValues() {}
    // The creature gained levels (the game's creature reacts).
    virtual void OnLevelGain(int32_t levels) { (void)levels; }
    // The main character has arrived in a level that has finished loading; the game's creature
    // takes up what it carries from level to level.
    virtual void OnLevelEntered() {}
    virtual float GetSpeedScale() { return 1.0f; }
    virtual void AddMana(float amount);
    virtual float GetMaxHealth() { return 100.0f; }
    virtual float GetMaxMana() { return 100.0f; }
    virtual void SetEffectValueA(float value) { (void)value; }
    virtual void SetEffectValueB(float value) { (void)value; }
    // Unlimited mana (the main character on a network game server) pays any cost up to 9e9 and
    // tells the controller instead of spending.
    virtual bool HasMana(float cost);
    virtual void UseMana(float cost);
    virtual void PayActionCost(int32_t manaCost) { UseMana(float(manaCost)); }
    // Reset of other, the copy, the item and inventory settings, other's inventory notice.
    virtual void CloneInto(CreatureObj& other);
    virtual void OnWeaponEffectChanged(int32_t value) { (void)value; }
    virtual void NoOpFour() {}
    virtual void SelectActiveItem() {}
    // The creature uses an item of its main inventory (the main character's item use, with flag
    // 1); false when it does not carry the item.
    virtual bool UseItem(InventoryItem* item, int32_t a, int32_t flag);

    // Summoned creatures: dead and vanished entries leave the list.
    void CleanSummonedList();
    // The count after appending c.
    int32_t AddSummoned(CreatureObj* c);
    // The main character only while its summoned count plus count stays within the limit, the
    // game option "MaxSummonedMonsters".
    bool CanSummon(int32_t count);

    // Strategy, locks and timed values (CreatureObjStrategy.cpp).
    // Strategy timer 0, no timed values; the intention stack emptied.
    void ResetCurrentAction();
    // Locks of at most that priority go; the force priorities follow.
    void RemoveForcedActions(int32_t priority);
    void AddForcedAction(int32_t priority, float time, uint32_t lockFlags);
    void RecomputeForcePriorities();
    // Appended when the time is above 0.
    void AddTimedValue(int32_t level, float time);
    void RecomputeTimedLevel() { m_Strategy.RecomputeTimedLevel(); }
    // The attack's controller report and "ATTACK:CallScript" inline script; the damage step comes
    // with the creature's damage.
    void RunAttackScript(ActionAttack& attack);
    // The strategy of that name becomes the current decision (CreatureObjAIHooks.cpp); with
    // storeAsDefault the name becomes the default strategy name. None for an empty name; an
    // unknown name is "Strategy entry '%s' not found".
    void SetStrategy(const String& name, bool storeAsDefault = false);

    // Effect types (CreatureObjEffects.cpp). Names compare without regard to case.
    static int32_t GetEffectTypeByName(const char* name);
    static String GetEffectTypeName(int32_t type);
    static uint32_t GetEffectTypeBit(int32_t type);
    static uint32_t GetEffectImmunityBit(int32_t type);
    uint32_t GetActiveEffectMask();
    void EndInfluenceVisual(int32_t type);
    // The slot of the first entry (in used order) whose first field equals key; -1 none.
    template <class T, int N, int F> static int32_t FindListEntry(DynaMem<T, N, F>& list, int32_t key)
    {
        for (int32_t position = 0; position < list.GetSize(); position++) {
            T* entry = list.GetAt(position);
            if (entry && FirstField(*entry) == key)
                return list.GetUsedSlot(position);
        }
        return -1;
    }

    // Animation cycles (CreatureObjCycles.cpp, CreatureObjCycleChoice.cpp). Cycle type 0 is the
    // base player, 1 the second; other types are "Invalid CycleType".
    static constexpr int32_t kCycleTypes = 2;
    // The chooser: a request (walk, hit, an attack, bored ...) becomes a cycle the set has. True
    // when a cycle was set or kept; an unknown number or type is reported and dropped.
    bool SetAniCycle(int32_t number, int32_t type, bool backwards, bool force);
    void PlayDeathCycle();
    // A creature controlled by input sets it at once; otherwise the third request in a row does.
    bool RequestCycleRepeated(int32_t number);
    float GetForwardSpeed();
    float GetSideSpeed();
    float GetBackwardSpeed();
    // The speed for moving along (x, y): the ellipse of the forward (or backward) and side speed.
    float GetSpeedInDirection(float x, float y, float dt);
    float GetSpeedFor(float dx, float dy, float dt) override { return GetSpeedInDirection(dx, dy, dt); }
    float GetTurnCycleSpeed();
    void BindCycleSet(AniCycleSet* set);
    AniCycleSet* GetAniCycleSet() const { return m_AniCycleSet; }
    // Both players advance; the second's height curve lifts the creature within the set's range.
    void AdvanceCycles(float dt, bool pose);
    void ResolvePositionElements();
    void SetCycleOfType(int32_t type, int32_t number, float speed, bool restart, float length, bool reverse);
    void SetCycleLength(float len, int32_t type);
    AniCycle* GetCycleForNumber(int32_t number);
    float BlendCycleValue(float angle);
    void PrepareCycle(int32_t number);
    void MeasureBaseDummy(int32_t number);
    void PrepareAllCycles();
    void RebindAfterLoad();
    void ApplyPoseToScene();
    float KnockDownLength();
    float HitBlockLength();
    // The root motion of both players moves and turns the creature; the pose cycle is blended.
    void ApplyCycleMotion(float dt);
    // Both players' live poses into the pose cycle, the second's share being mix.
    void BlendPoseCycle(float mix);
    static bool IsWalkingCycle(int32_t number);

    // Actions (CreatureObjActions.cpp): one action at a time under the force priorities.
    // Codes: -1 none, 0 idle, 6 an action entry by name, 8 block, 17 bored, 25 base-dummy
    // animation. StartAction answers 0 refused, 1 started or unchanged, -1 not paid (stopped).
    static constexpr int32_t kActionNone = -1;
    static constexpr int32_t kActionIdle = 0;
    static constexpr int32_t kActionEntry = 6;
    static constexpr int32_t kActionBlock = 8;
    static constexpr int32_t kActionBored = 17;
    static constexpr int32_t kActionBaseDummy = 25;
    static constexpr int32_t kAttackLockPriority = 5;
    static constexpr float kComboWindow = 0.3f;  // seconds after an action that a repeat resumes it
    // Set by every change of the main character's action; the input side reads and clears it.
    static inline bool s_ActionChanged = false;
    int32_t StartAction(int32_t code, const String& name, WorldElem* target, int32_t priority, float param);
    // Runs the action for one frame; an invalid action met here is reported and stops.
    void DoAction(float dt);
    void ClearAction();
    void FinishAction();
    bool StartBoredAction();
    // The common stop step: back to no action, the cycles with it.
    void StopAction();
    void ExecuteActionEffect(ActionEffect& effect, int32_t index) { WorldElem::ExecuteActionEffect(effect, index); }
    void PerformActionAttack(ActionAttack& attack) override { RunAttackScript(attack); }
    // Shots of an "AnyDirection" entry aim at the last enemy, when there is one.
    bool GetActionShotTarget(ActionEntry& entry, D3DXVECTOR2& target) override;
    int32_t m_BoredSet = -1;  // the bored cycle set the chooser plays: -1 none, 0 idle, 1 block

    // Save record (CreatureObjRecord.cpp), after the scene object's.
    void SaveCreature(File& file, bool transferOnly);
    void LoadCreature(File& file, uint16_t version, bool transferOnly);
    // The scene object's record, then the creature's: the whole engine record of a creature.
    void Save(File& file, bool compact) override;
    void Load(File& file, bool compact) override;
    // The action state's saved form; the targets by object ID, resolved after loading.
    void SaveActionState(File& file);
    void LoadActionState(File& file);

    // Movement (CreatureObjMovement.cpp): one movement at a time under the movement lock.
    // Codes 6, 7, 8, 17 and codes outside -1 .. 27 cannot be carried out and are refused.
    static constexpr int32_t kMoveNone = -1;
    static constexpr int32_t kMoveWalk = 3;
    static constexpr int32_t kMoveToTarget = 4;  // after an element
    static constexpr int32_t kMoveToPoint = 5;
    static constexpr int32_t kMoveJump = 9;
    static constexpr int32_t kMoveDodge = 13;
    static constexpr int32_t kMoveBaseDummy = 25;
    static constexpr int32_t kMoveWalkNoTurn = 27;
    static constexpr int32_t kJumpLockPriority = 7;
    static constexpr int32_t kDodgeLockPriority = 15;
    static bool IsMoveCodeValid(int32_t code);
    bool SetMoveType(int32_t code, float x, float y, float speed, WorldElem* target, int32_t priority, float time,
                     const D3DXVECTOR2* vecA = nullptr, const D3DXVECTOR2* vecB = nullptr);
    void StopMovement(int32_t code) { SetMoveType(code, 0.0f, 0.0f, 0.0f, nullptr, 0, 0.0f); }
    void DoMovement(float dt);
    bool Jump(int32_t dir);
    // The evasive step in a direction 0 to 3; the game's creature pays for it first.
    virtual bool Dodge(int32_t dir);
    void SetAniCycleFromMoveVect(float dx, float dy);
    void UpdateMoveCycle(float dx, float dy, float turn, float dt);
    void ChooseMoveCycleVector(const D3DXVECTOR2& oldPos, float turn, float dt, const D3DXVECTOR2& move,
                               const D3DXVECTOR2& push);
    // Approaching the move target element; arrived, it turns to it and raises the first blocked flag.
    void FollowTargetStep(float dt, bool arriveOnly);
    uint8_t m_Arrived = 0;
    // The lateral offset of the serpentine approach at distance r with (amplitude, wavelength).
    float SerpentineOffset(float r, float amplitude, float wavelength);
    // The AI's timers with the randomised reassessment, and the top intention (or none).
    static constexpr float kOffScreenReassess = 10.0f;
    void UpdateAITimers(float dt);
    void GetCurrentActionData(KI_ActionData& out);
    // The AI strategy runner (CreatureObjIntentions.cpp): the intention stack (at most 16
    // records held before a push is refused), starting strategy entries, applying and carrying
    // out the top intention, finishing it, death and the turns of a conversation.
    static constexpr int32_t kMaxIntentions = 16;
    static constexpr float kAimLeadSpeedLimit = 250.0f;  // a target is led as if no faster
    static String GetIntentionName(int32_t code);
    // 1 when an intention was set or queued (or the entry's priority is too low to start), 0
    // when the entry could not be carried out and the caller may choose again.
    int32_t StartStrategyEntry(const KI_StratEntry& entry, WorldElem* target, bool queued, const D3DXVECTOR2* position);
    int32_t PushIntention(const KI_ActionData& record, float timeLimit, int32_t priority, bool toBottom);
    int32_t SetIntention(const KI_ActionData& record, float timeLimit, int32_t priority);
    void UpdateAI(int32_t flag);
    void ExecuteIntention(float dt);
    void RunFinishScript();
    // The current intention's finish script alone (a creature handed to another input runs it).
    void RunStrategyFinishScript();
    virtual void FrameUpdate(float dt);
    void Update(float dt) override { FrameUpdate(dt); }
    void Die() override;
    // The action names of the strategy's six event blocks: the entries that name an action entry
    // (the other deeds are built in).
    void CollectActionNames(std::vector<String>& names) override;
    int32_t TurnForConversation(bool begin, WorldElem* speaker, bool rememberAngle, bool turnBack);
    // The point at which a shot of speed shotSpeed from from meets a target at targetPos moving
    // with velocity (limited to the lead speed limit); the target's position when it cannot.
    static D3DXVECTOR2 AimLeadPoint(const D3DXVECTOR2& from, const D3DXVECTOR2& targetPos, D3DXVECTOR2 velocity,
                                    float shotSpeed);
    float m_IntentionTime = 0.0f;  // seconds since the current intention was set
    float m_HalfSecondSample[3] = {0.0f, 0.0f, 0.0f};  // position and angle at the AI's last half-second tick
    float m_IdlePriorityTime = 0.0f;  // runs while no movement lock holds
    // Small queries (CreatureObjQueries.cpp).
    static constexpr int32_t kBodyPoints = 22;
    float GetRadius() override;
    DXC_3dObject* FindBone(int32_t number);
    static int32_t MapComboAction(int32_t code, bool alt);
    static float RoundHundredth(float x);
    bool CanSeeCached(WorldElem* target);
    void AddPush(float x, float y);
    bool IsSlowOrSpecialMode() const { return m_MovementMode == -1 || m_MovementMode == -2; }
    bool IsDodging() const { return m_ActionState.moveCode >= 13 && m_ActionState.moveCode <= 16; }
    bool IsBaseDummyMove() const { return m_ActionState.actionCode == kActionBlock || m_ActionState.moveCode == 24; }
    // What the world asks: the movement code and the force priorities (a kill waits while the
    // movement's is 101 or more).
    int32_t GetMoveType() override { return m_ActionState.moveCode; }
    int32_t GetMovementForcePriority() override { return m_ActionState.movePriority; }
    int32_t GetActionForcePriority() const { return m_ActionState.actionPriority; }
    void SetAIState(int32_t state);
    int8_t m_SightCache = -1;  // -1 unknown, else the last line-of-sight answer
    double m_SightTime = 0.0;
    float m_SightTargetPos[2] = {0.0f, 0.0f};
    float m_Push[2] = {0.0f, 0.0f};
    float m_PushResistance = 1.0f;
    // One weight per helper object (bone) of the scene, in its order; 0 without the weights.
    void SetupBones(bool weights);
    std::vector<float> m_BoneWeights;
    float m_PrevMoveVect[2] = {0.0f, 0.0f};
    float m_StandingTime = 0.0f;
    float m_AngularVelocity = 0.0f;
    uint8_t m_Moved = 0;

    // Orientation, goal and ground (CreatureObjOrientation.cpp). The facing is the element angle
    // (the parent's added when attached) plus the angle offset.
    float GetAngle() const override;
    void SetAngle(float angle) override;
    // Facing, goal angle, turn and view angles all at once, without a turn.
    void SetAngleImmediate(float angle);
    float GetViewAngle();
    // The view angle follows a turn only once it stops or changes direction; the current angle.
    float UpdateTurnDirection();
    void SetMoveSpeed(float v);
    void SetMoveTargetAndSpeed(float x, float y, float v);
    // A main character on a network client that is no server.
    bool IsClientControlled();
    // While the goal position or, there, the goal angle is not yet reached.
    bool IsGoalOpen();
    // The reference offset turned by the element's angle, added to its position.
    D3DXVECTOR2 GetReferencePoint(WorldElem* elem);
    // Keeps the drawn body from jumping on steps: the offset follows the ground change smoothly.
    void SmoothGroundOffset(float dt);
    // base x the cycles' speed factor at the angle of (dx, dy) to the facing x the attack's and the
    // creature's turn curves x (1 - shield); a base of 0 or less unchanged.
    float GetTurnFactor(float base, float dx, float dy);
    // Whether a client-controlled creature sends its move speed to the server.
    static inline bool s_SyncRotationValues = false;  // the network's synchronisation switch
    CreatureMotionValues m_Motion;

    // Movement steps (CreatureObjSteps.cpp).
    // Towards the move target: moves unless noMove or the wanted direction lies behind (a
    // decision that allows any direction moves anyway), turns, chooses the walking cycle.
    void MoveStep(float dt, bool updateCycle, bool noMove);
    // A step 30 units along the direction to the move target element turned by angle.
    void CircleTargetStep(float dt, float angle);
    // Both fade cycles start again in their channels.
    void RestartFadeCycles();
    // The named animation carries the creature along its "BaseDummy" track: action 25, movement
    // 25 and a lock of priority 1000 for its duration (100 s looping). turn is added to the
    // facing; false when the animation cannot be read.
    static constexpr int32_t kBaseDummyCycle = 191;  // the last of the further cycles
    static constexpr int32_t kBaseDummyPriority = 1000;
    bool BaseDummy(const char* fileName, float startFrame, float endFrame, float speed, bool loop, float turn);

    // Queries of the AI, the scripts and the game's creature (CreatureObjQueries.cpp).
    bool IsLineClearTo(float x, float y);
    int16_t FloorLayer() const;
    // An offset from (x, y) near the direction (dx, dy) turned by at most maxAngle that the
    // creature can walk along; see the definition for the rule.
    D3DXVECTOR2 FindFreeDirection(float x, float y, float dx, float dy, float maxAngle, float margin);
    bool IsInActionRange(float a, float b);
    void PlayHitSounds(const char* name);
    void PlayFootstep();
    String m_HitSound;                // the creature's own hit sound; empty none
    String m_GroundSounds[8];         // footsteps by ground material 1 to 8
    // The AI stack: its top is the last entry.
    KI_ActionData* GetTopAction();
    bool IsTopActionRunning();
    int32_t GetTopActionValue();
    void SetTopActionPair(int32_t a, int32_t b);
    bool CountDownTopAction(float dt);
    void TakeTopActionState();
    bool CanBeInterrupted();
    void CheckAttackStatePoint(float dt);
    // The decision: the strategy the creature follows now, its interval and timer.
    void SetDecision(KI_Strategy* decision);
    KI_Strategy* GetDecision() const { return m_Strategy.strategy; }
    // The decision lets the creature walk in any direction, not only ahead.
    bool GetDecisionFlag() const;
    InventoryItem* FilterItem(InventoryItem* item);
    void DrawColourBlock(uint32_t flags) { (void)flags; }  // client drawing
    uint8_t GetHeightFlag() const { return m_Motion.heightFlag; }

    DamageValues* GetDamageValues() const { return m_DamageValues.get(); }
    const CreatureStrategyData& GetStrategyData() const { return m_Strategy; }
    CreatureStrategyData& GetStrategyData() { return m_Strategy; }
    DynaMem<SmartPtr<WorldElem>, 4>& GetSummoned() { return m_Summoned; }

    // Influences and hit reactions (CreatureObjInfluences.cpp). params.x is the strength and
    // params.y the time in seconds. A priority of -1 never drives the movement; the start
    // reactions of stun, hit and knock-down give their own when none is given.
    static constexpr int32_t kStunPriority = 9;
    static constexpr int32_t kHitPriority = 10;
    static constexpr int32_t kHitBlockingPriority = 8;
    static constexpr int32_t kKnockDownPriority = 11;
    static constexpr int32_t kForcedRemovePriority = 5;
    static constexpr int32_t kKnockDownCycleNumber = 153;
    static inline float s_SlowValue = 0.5f;      // the slow amount of a slow influence (a game constant)
    static inline float s_InvisibleFadeOut = 1.2f;  // seconds an invisible creature takes to fade out
    void AddInfluence(int32_t type, const InfluenceParams& params, int32_t priority = -1, bool extend = false);
    void RemoveInfluence(int32_t type);
    virtual void UpdateInfluences(float dt);
    void ClearInfluences();
    void KnockDown(float time);
    // A hit that reached the creature: its reactions, then the direct damage with the causer.
    virtual void OnHit(const HitRecord& hit, const D3DXVECTOR2& hitPos, WorldElem* causer, int32_t killerID);
    // The first entry of the type (with a minimum strength above 0, only stronger ones), or with
    // strongest the one of the largest strength; its parameters into out when given.
    bool IsInfluenced(int32_t type, float minStrength, InfluenceParams* out, bool strongest);
    // The knock-down time factor of the creature's cycle set ("acKnockDownFreePoint"; 1 without).
    float KnockDownTimeFactor();

    // Health, mana, experience and potions (CreatureObjVitals.cpp).
    float GetHealth() const { return m_Health; }
    // A change of more than 0.5 is reported to the controller first.
    void SetHealth(float health);
    void RefillHealthToMax();
    void RefillHealth(float amount, float seconds, bool add);
    float GetMana();
    bool HasManaForAction(const char* actionName);
    void RefillManaToMax();
    void RefillMana(float amount, float seconds);
    // A refill over a positive time queued: while one runs, the new amount's rate spreads it over
    // the running one's remaining time plus its own.
    static void QueueRefill(float& left, float& rate, float amount, float seconds);
    int32_t GetExperience() const { return int32_t(m_Experience); }
    void SetExperience(float experience);
    void SetCharacterLevel(int32_t level);
    virtual void AddExperience(float amount, bool direct);
    void GainLevel();
    // The experience this creature's death gives the killer (killerID -2: the killer element).
    void GiveKillExperience(float amount, int32_t killerID, WorldElem* killer);
    virtual bool CanUseItem(InventoryItem* item);
    // Units of the item the creature may pick up: what its main inventory has room for; the
    // game's creature limits what it carries of some items.
    virtual int32_t GetCarryLimit(InventoryItem& item);
    virtual void ApplyPotion(InventoryItem* item);
    // The item at the index of the inventory is used: its script, the potion, the use count.
    void UseItem(Inventory* inventory, int32_t index);
    void ApplyMonsterDamageScaling(float& value);
    // Whether the creature's costs are the controller's (the main character on a network server).
    bool HasUnlimitedMana();

    // Damage intake, targets and the enemy test (CreatureObjDamage.cpp).
    static constexpr int32_t kTargetSlotBase = 101;
    void DamageDirect(float damage, WorldElem* attacker, int32_t blocked, int32_t showFlag, int32_t silent,
                      int32_t killerID);
    // The creature's damage values scaled by its damage factor (and its type's level curve) into out.
    void GetDamageValues(DamageValuesHolder& out) override;
    virtual void ApplyDamageFactorScript(const String& script, float& factor);
    virtual void ScaleByDamageFactorScript(const String& script, DamageValues* damage);
    void SpawnBloodEffect(float strength);
    // The kill's coloured log line: the killer's (with the experience it earned) when given, else
    // the plain "killed" line of a kill reported from elsewhere (code -2: the server).
    void AddKillLogMessage(WorldElem* killer, int32_t code);
    uint32_t GetAttackSerial() override { return uint32_t(m_AttackID); }
    WorldElem* GetTargetByID(int32_t id);
    void SetLastEnemy(WorldElem* enemy);
    void ReAssessAI(int32_t level);
    void WarnAttackTargets(ActionEntry& entry);
    // The creature's "onAction" handlers run with the name of the action starting (an action
    // entry's, "Block", "Jump", "Dodge"); the controller keeps the name for them.
    void OnActionEvent(const char* name);
    // The "onAction" handler text, by key or script; it runs while it is not empty.
    void SetActionHandler(const String& text);
    WorldElem* GetCurrentTarget() override { return m_LastEnemy.Get(); }

    // Attack damage, received and taken damage, death (CreatureObjDeath.cpp).
    // The creature's damage values with the attack's six modifier pairs, into out.
    DamageValues* GetAttackDamage(DamageValuesHolder& out, ActionAttack& attack);
    // The damage set of a hit of the attack, into out: the engine's is GetAttackDamage; the
    // game's creature builds its own from the attack's coefficients (scale: its physical
    // amounts by them).
    virtual DamageValues* GetAttackDamageValues(DamageValuesHolder& out, ActionAttack& attack, bool scale)
    {
        (void)scale;
        return GetAttackDamage(out, attack);
    }
    void DealAttackDamage(ActionAttack& attack, WorldElem* target);
    // The world's damage operation of a creature: the received damage (killer ID in arg).
    int32_t OnDamage(DamageValues* damage, WorldElem* attacker, int32_t arg, const D3DXVECTOR2* direction,
                     const char* source, int32_t arg2, const D3DXVECTOR2* position = nullptr) override;
    void ReceiveDamage(DamageValues* damage, WorldElem* causer, const D3DXVECTOR2* hitPos, int32_t killerID);
    // The protection step: the engine's hit carries the damage values as they are (amount 1
    // unused, 2 the knock-down time, 3 and 4 stun strength and time, the further values slow and
    // freeze time); the game's rules resolve them against the creature's protection.
    virtual HitRecord ResolveProtection(const DamageValues& damage);
    // What a received hit does once it has passed the checks (receiving, dying, shield,
    // conversation, friendly fire): here the protection step and the hit reaction; the game's
    // creature applies its own rules. hitPos is where the hit came from.
    virtual void ApplyHit(DamageValues* damage, WorldElem* causer, const D3DXVECTOR2& hitPos, int32_t killerID);
    // The causer may change the damage it deals (the game's creature does).
    virtual void ModifyIncomingDamage(DamageValues* damage) { (void)damage; }
    virtual void TakeDamage(float amount, WorldElem* causer, int32_t blocked, int32_t showFlag, int32_t silent,
                            int32_t killerID);
    virtual void AddHealth(float delta);
    void Kill(WorldElem* killer, int32_t killerID);
    static constexpr float kKillLogTime = 4.0f;
    void OnCollisionEvent(WorldElemBase* other, int32_t arg) override;
    // The kill and damage experience, through their game functions when named.
    float GetKillExperience();
    float GetDamageExperience();
    // The game's creature gives a summoned creature the spell's bonuses.
    virtual void ApplySummonBonuses(const ActionSpell& spell, CreatureObj& caster)
    {
        (void)spell;
        (void)caster;
    }
    // One element the attack area holds, with its distance value (0 at the centre line).
    struct AreaHit {
        WorldElem* elem = nullptr;
        float distance = 0.0f;
    };
    // The world's attack-area query: the elements along direction (its length the area's length)
    // within the width, reaching ratio times that length, in the order they are hit.
    virtual void FindAttackTargets(const D3DXVECTOR2& origin, const D3DXVECTOR2& direction, float width, float ratio,
                                   std::vector<AreaHit>& out);
    float m_LastBloodTime = -1.0f;
    float m_DamageFactor = 1.0f;
    int32_t m_AttackID = 0;        // the id of the area attack this element deals; 0 none
    int32_t m_IncomingAttack = 0;  // an attack is on its way (WarnAttackTargets)
    SmartPtr<WorldElem> m_Attacker;
    uint8_t m_Dying = 0;           // killed: no further damage until it has died
    uint8_t m_CopyTargets = 0;     // summoned creatures take over its target references

    // Members, in declaration order.
    float m_Health = 50.0f;
    float m_Mana = 0.0f;
    int32_t m_Level = 1;
    int32_t m_PendingLevelUps = 0;
    int32_t m_HighestLevel = 1;
    float m_CreatureValueA = 1000.0f;
    float m_AlertRadius = 0.0f;  // 0: alerts nobody
    float m_CreatureValueC = -1.0f;
    float m_CreatureValueD = -1.0f;
    String m_CreatureTextA;
    String m_CreatureTextB;
    String m_ActionScript;  // holds the "onAction" handlers
    int32_t m_OnActionCount = 0;
    SmartPtr<WorldElem> m_ExperienceReceiver;
    int32_t m_NoExperience = 0;
    float m_Experience = 0.0f;
    float m_VitalValues[3] = {0.0f, 1.0f, 0.0f};
    float m_ManaRefillLeft = 0.0f;
    float m_HealthRefillLeft = 0.0f;
    float m_ManaRefillRate = 0.0f;
    float m_HealthRefillRate = 0.0f;
    float m_PairValueA = 5.0f;
    String m_PairTextA;
    float m_PairValueB = 0.0f;
    String m_PairTextB;
    float m_HitValue = 0.1f;
    float m_HitRepeatWindow = 0.5f;
    float m_VitalValuesB[2] = {0.0f, 0.0f};
    int32_t m_MainCharacter = 0;
    float m_CycleValues[3] = {0.0f, 0.0f, 0.0f};
    int32_t m_ActionSerial = 1;
    uint8_t m_VitalFlags[3] = {1, 0, 1};
    int32_t m_AttackCycleStarted = 0;
    int32_t m_KeepMovingInAction = 0;
    const void* m_SoundSet = nullptr;  // game data: the jump and dodge sound names
    float m_VitalValueC = 0.0f;
    uint8_t m_Dead = 0;
    uint8_t m_AIFlag = 1;
    float m_DeathTime = 0.0f;
    float m_MaxValues[4] = {100.0f, 100.0f, 100.0f, 100.0f};
    float m_JumpFrontSpeed = 0.0f;
    float m_JumpSideSpeed = 0.0f;
    float m_JumpBackSpeed = 0.0f;
    float m_DodgeSpeed = 0.0f;
    float m_IdleTime = 9999.0f;
    float m_BoredDelay = 1.0f;
    float m_CycleValueB = 0.0f;
    int32_t m_CycleNumbers[2] = {-1, -1};
    int32_t m_MovementMode = 1;  // -2 slow walk, -1 run, 0 and above normal
    uint8_t m_ControlFlag = kControlFlagUnset;
    float m_AIAngle = 3.1415927f;
    int32_t m_ActionRestart = 0;
    int32_t m_MovementDone = 0;
    int32_t m_AIValues[2] = {0, 0};
    CreatureActionState m_ActionState;
    uint8_t m_BlockedFlagA = 0;
    uint8_t m_BlockedFlagB = 0;
    uint8_t m_BlockedFlagC = 0;
    uint8_t m_ActionFinished = 0;
    float m_TimeWithoutAction = 0.0f;
    float m_AIInterval = 0.5f;
    int32_t m_HitMark = 0;
    float m_AIValueB = 0.0f;
    ActionEntry* m_LastAttackEntry = nullptr;  // game data: the last action entry started (combos)
    float m_LastAttackTime = -1.0f;
    DynaMem<CreatureInfluence, 4> m_Influences;
    float m_SlowAmount = 0.0f;
    float m_SpeedFactor = 1.0f;
    float m_FactorB = 1.0f;
    float m_FactorC = 1.0f;
    float m_ShieldStrength = 0.0f;
    uint8_t m_Frozen = 0;
    uint8_t m_Invisible = 0;
    uint8_t m_Weakened = 0;
    uint32_t m_ImmunityMask = 0;
    float m_FreezeTimeFactor = 1.0f;
    float m_StunTimeFactor = 1.0f;
    uint32_t m_AIMasks[4] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
    DynaMem<KI_ActionData, 4> m_AIActions;  // the intention stack
    SmartPtr<MobData> m_MobData;
    // Script built-ins: the front angle (radians) and the flying flag that scripts read and set.
    float m_AngleFront = 0.0f;
    uint8_t m_IsFlying = 0;
    String m_DefaultStrategyName;
    CreatureStrategyData m_Strategy;
    int32_t m_AITargetSlot = -1;
    float m_AITimer = -1.0f;
    float m_AIValuesC[2] = {0.0f, 0.0f};
    float m_Pair[2] = {0.0f, 0.0f};
    float m_AIValueD = -1.0f;
    SmartPtr<WorldElem> m_LastEnemy;
    SmartPtr<WorldElem> m_ElemRefs[kElemRefs];
    String m_ElemNames[kElemRefs];
    DynaMem<SmartPtr<WorldElem>, 4> m_Summoned;
    DynaPtrList<WorldElemBase*, 2> m_ElemList;
    int32_t m_AIState = 0;
    int32_t m_PreviousAIState = -1;
    uint8_t m_ReassessFlag = 1;
    float m_AITimers[2] = {0.0f, 0.0f};
    SmartPtr<WorldElem> m_TargetElem;
    float m_TargetValues[3] = {0.0f, 0.0f, 0.0f};
    float m_CycleValuesC[2] = {0.0f, 0.0f};
    AC_FadeProperties m_CyclePlayers[2];  // base (type 0) and second (type 1)
    const void* m_CreatureType = nullptr;  // game data: cycle set and time factors
    DXC_AniCycle m_PoseCycle;
    DXC_AniCycle m_SpareCycle;
    uint16_t m_CycleWords[10] = {1, 1, 1, 1, 1, 1, 65535, 65535, 65535, 65535};
    int32_t m_CycleIndex = -1;
    std::unique_ptr<uint8_t[]> m_Buffer;  // owned, freed with the creature
    float m_MoveDelta[2] = {0.0f, 0.0f};
    float m_AIFurther[8] = {0.0f, 1000.0f, 0.0f, 0.0f, 10.0f, 20.0f, 0.0f, 0.0f};
    uint32_t m_TintColour = 0xFFFFFFFFu;
    CreatureStats m_Stats;  // the stat block of its creature entry
    // Animation: the cycle set (game data) and what the chooser and movement read.
    AniCycleSet* m_AniCycleSet = nullptr;
    CreatureCycleValues m_Cycle;
    // Script built-ins: the damage taken (not marked silent) since the AI last reassessed, which
    // the game's damage step sums and "GetTotalDamageSinceLastAIReassess" reads.
    float m_RecentDamageSum = 0.0f;
    // The AI event record that the AI's next decision reads and then clears; the damage and
    // targeting code and the scripts ("SetAIEvent") raise its events.
    struct AIEvents {
        uint8_t attacked = 0;
        SmartPtr<WorldElem> attacker;
        uint8_t hit = 0;
        uint8_t hardHit = 0;
        uint8_t lostTarget = 0;
        float value = 0.0f;
    };
    AIEvents m_AIEvents;
    // What the AI runner and decision keep on the creature.
    struct AIRunState {
        int32_t currentPriority = -1;  // entries below it are not started; -1 none
        int32_t strategyID = 0;
        int32_t lastStrategyID = 0;
        int32_t decisionCounter = 0;   // the sequence of decision mode 2
        uint8_t forcedReassess = 0;
        uint8_t applyPending = 0;
        uint8_t alerted = 0;           // an enemy has been spotted
        uint8_t halted = 0;            // neither decides nor moves
        uint8_t deathMarker = 0;       // Die ran
        int32_t weaponState = 0;       // -1 and -2 sheathed
        double lastDecisionTime = 0.0;  // game time
        float conversationAngle = 0.0f;
        float lastEnemyPos[2] = {0.0f, 0.0f};
        float lastTargetPos[2] = {0.0f, 0.0f};
        float attackRadius = 0.0f;      // 0: the strategy's
        float attackRadiusBack = 0.0f;
    };
    AIRunState m_AIRun;
    // The AI's re-assessments and enemy searches, which the system page shows.
    static inline int32_t s_ReassessCount = 0;
    static inline int32_t s_EnemySearchCount = 0;

private:
    // The creature defaults of the member table (construction and reset).
    void SetCreatureDefaults();
    void CopyCreature(const CreatureObj& other);
    // Death with the damage share of the hit that caused it (one grant of kill experience).
    void KillWithShare(WorldElem* killer, int32_t killerID, float damageShare);
    void LogKill(WorldElem* killer);
    wString KilledText();  // "killed" and the creature's name, coloured for the log
    // The influence's and the intention's first field, for FindListEntry.
    static int32_t FirstField(const CreatureInfluence& entry) { return entry.type; }
    static int32_t FirstField(const CreatureForcedAction& entry) { return entry.priority; }
    static int32_t FirstField(const CreatureTimedValue& entry) { return entry.level; }

    std::unique_ptr<DamageValues> m_DamageValues;  // made by the controller's factory
};
