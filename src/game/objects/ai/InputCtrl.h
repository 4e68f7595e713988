// InputCtrl: the driver of a list of world elements, by a player's input (mode 1) or by the AI
// (mode 3): the controlled list with each element's back-reference, nested disabling, the
// per-frame step with the AI pass, and the mobs of AI creatures that share a strategy and an
// enemy. The game controller keeps its controllers in a list and steps each once per frame; the
// game's player controller and the server's controller derive from it.
//
//   InputCtrl.cpp       construction, the controlled list, disabling, the per-frame step and the
//                       AI pass
//   InputCtrlMobs.cpp   mob membership and upkeep, and MobData's own operations
//   InputCtrlDecision.cpp  the AI decision: enemy search, block choice, scoring and the choice
//                       among the candidates
//   InputCtrlIntentionCheck.cpp  whether the running intention goes on, the way around an
//                       obstacle
#pragma once
#include "base/DynaMem.h"
#include "base/ErrorClass.h"
#include "base/SmartPtr.h"
#include "game/objects/MobData.h"
#include "world/InputCtrlBase.h"
#include "world/WorldElem.h"

#include <cstdint>
#include <vector>

class CreatureObj;
class KI_ActionData;
class KI_StratBlock;
class KI_StratEntry;
class KI_Strategy;
class WorldCtrl;

// One candidate of a decision: an entry against a target, with its score.
struct KIProbList {
    float score = 0.0f;
    int32_t secondWord = 0;
    const KI_StratEntry* entry = nullptr;
    WorldElem* target = nullptr;
};

// The signed angle from a to b in radians (negative when b lies clockwise of a); 0 when either
// is the zero vector. The cosine is clamped, so rounding never makes it NaN.
float SignedAngleBetween(const D3DXVECTOR2& a, const D3DXVECTOR2& b);

class InputCtrl : public ErrorClass, public InputCtrlBase {
public:
    static constexpr int32_t kModeNone = 0;
    static constexpr int32_t kModeInput = 1;
    static constexpr int32_t kModeAI = 3;
    static constexpr int32_t kMaxElements = 4096;
    static constexpr int32_t kMaxMobs = 32;

    InputCtrl();
    // Every element lets go of the controller.
    ~InputCtrl() override;
    InputCtrl(const InputCtrl&) = delete;
    InputCtrl& operator=(const InputCtrl&) = delete;

    // The hooks the game's controllers fill; empty here.
    virtual void OnCreatureManaUsed(CreatureObj* creature) { (void)creature; }
    virtual void OnNoMana() {}
    virtual void OnActionManaPaid(float mana) { (void)mana; }
    virtual void OnEnemyKilled(CreatureObj* victim) { (void)victim; }
    virtual void OnDamageDealt(float damage) { (void)damage; }

    // Times, frame counter and disable count to 0, then Clear (a new game).
    virtual void Reset();
    // No mobs, no elements (their back-references cleared), no current element.
    void Clear();
    virtual int32_t SetOwnerNumber(int32_t value)
    {
        m_OwnerNumber = value;
        return value;
    }
    int32_t GetOwnerNumber() const { return m_OwnerNumber; }
    void SetMode(int32_t mode) { m_Mode = mode; }
    int32_t GetMode() override { return m_Mode; }
    void SetWorld(WorldCtrl* world) { m_World = world; }
    WorldCtrl* GetWorld() const { return m_World; }

    // The element's index. One already in this list is the error "Internal error: object added
    // twice to InputCtrl" unless keepIndex is set, which keeps its index; one of another
    // controller leaves that one first.
    int32_t AddObject(WorldElem* elem, bool keepIndex);
    void RemoveControlledCreature(int32_t index) override;
    int32_t FindObject(const WorldElem* elem);
    // A used slot becomes the current one; other indices are ignored.
    void SetControlledObject(int32_t index);
    // The current element when it is a creature; otherwise null, and the index forgets it.
    CreatureObj* GetControlledObject();
    int32_t GetControlledIndex() const { return m_CurrentIndex; }
    WorldElem* GetObjectAt(int32_t index) const;
    int32_t GetNumControlled() const { return m_Elements.GetSize(); }

    // Nested: enabled again after as many Enable as Disable calls. The first Disable with
    // stopCreatures stops the creatures that are on their way (all of them when not the AI's).
    virtual void Disable(bool stopCreatures);
    void Enable();
    // Disabled by count; the AI's controller also while a dialogue runs, unless ignoreDialog.
    bool IsDisabled(bool ignoreDialog);
    int32_t GetDisableCount() const { return m_DisableCount; }

    // The per-frame step: the input's creatures carry out their intentions, the AI thinks, the
    // mobs are kept. Tick runs first each frame for what the game's controllers keep by time.
    virtual void Tick(float dt) { (void)dt; }
    virtual void Update(float dt);
    virtual void ExecuteControlled(float dt);
    void ExecuteAllControlled(float dt);
    virtual void ThinkAll(float dt);
    // The AI's decision (InputCtrlDecision.cpp): one step for the creature; a step deeper than
    // kMaxThinkDepth does nothing, so that failed entries and ended intentions choose again a
    // bounded number of times per frame. Answers 0.
    static constexpr int32_t kMaxThinkDepth = 3;
    static constexpr float kEveryCreatureRange = 1000.0f;  // target kind 4: every creature this near
    static constexpr float kNearViewDistance = 500.0f;     // farther outside the view decides every 3 s
    virtual int32_t Think(CreatureObj* creature, float dt, int32_t depth);
    // The block's entries scored (times scale) against the target, or against every creature in
    // range for target kind 4; candidates appended; the best score (0 when none is positive).
    float EvaluateBlock(KI_StratBlock& block, std::vector<KIProbList>& candidates, CreatureObj* creature,
                        WorldElem* target, float scale);
    // One entry's score for the creature against the target or position; 0 when it does not apply.
    float ScoreEntry(const KI_StratEntry& entry, CreatureObj* creature, WorldElem* target,
                     const D3DXVECTOR2* position);
    // The running intention (InputCtrlIntentionCheck.cpp): 1 while it keeps running, 0 when it
    // ended or changed.
    virtual int32_t CheckIntention(CreatureObj* creature, float dt, int32_t depth);
    int32_t StartFindBetterWay(CreatureObj* creature, const KI_ActionData& record);
    bool IsHalfSecondTick() const { return m_HalfSecondTick != 0; }
    void SetTimeOffset(double offset) { m_TimeOffset = offset; }
    double GetRunningTime() const { return m_RunningTime; }
    uint32_t GetFrameCounter() const { return m_FrameCounter; }

    // Mobs (InputCtrlMobs.cpp).
    void UpdateCreatureMob(WorldElem* creature) override;
    // The mob of that strategy name and enemy, made when there is none; null when all 32 slots
    // are taken.
    MobData* GetOrCreateMob(const String& name, WorldElem* enemy);
    void PurgeMobs();
    void UpdateMobs(float dt);
    MobData* GetMob(int32_t index) const { return m_Mobs.GetBySlot(index); }
    int32_t GetNumMobs() const { return m_Mobs.GetSize(); }
    // The mob key of a creature: the name of the strategy it follows.
    static String GetMobKey(CreatureObj* creature);

protected:
    double m_RunningTime = 0.0;
    double m_TimeOffset = 0.0;
    uint32_t m_FrameCounter = 0;
    int32_t m_DisableCount = 0;
    DynaMem<SmartPtr<WorldElem>, kMaxElements> m_Elements;
    WorldCtrl* m_World = nullptr;
    uint8_t m_HalfSecondTick = 0;
    DynaMem<MobData, kMaxMobs> m_Mobs;
    int32_t m_CurrentIndex = -1;
    int32_t m_OwnerNumber = 0;
    int32_t m_Mode = kModeNone;

private:
    // The creature is on its way to something: its top intention's approach marker is clear.
    static bool IsApproaching(CreatureObj* creature);
    // One creature's share of the AI pass.
    void ThinkCreature(CreatureObj* creature, float dt);
    // Steps 3 to 11 of a decision for a creature with a strategy; false when the step ended
    // without the check of the intention.
    bool Decide(CreatureObj* creature, KI_Strategy& strategy, float dt, int32_t depth);
    // The seconds a creature waits between decisions when none is due.
    float DecisionInterval(CreatureObj* creature, WorldElem* keptEnemy);
    // The candidate that the block's decision mode picks; -1 none.
    int32_t ChooseCandidate(const KI_StratBlock& block, std::vector<KIProbList>& candidates, float best,
                            CreatureObj* creature);
    std::vector<const KI_StratBlock*> m_WarnedDecisionModes;  // each unknown mode is warned once
};
