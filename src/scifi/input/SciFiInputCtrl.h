// SciFiInputCtrl: the input controller of a player's creature. It turns what the player does into
// orders for the creature (walk to a point or an object, attack an object or a position with an
// attack strategy, dodge), keeps the three skill slots, a damage meter (damage dealt per second
// over a sliding window), a no-move counter and play statistics. In a game without network it
// reads the buttons and drives the creature itself; on a client it reads the buttons and leaves
// the driving to the server; on the server the subclass of each remote player feeds it the
// received orders and runs the creature update. The AI's controller is one too, of kind 3: it
// runs the engine's step.
//
//   SciFiInputCtrl.cpp         construction, reset, the orders, the skill slots, the damage
//                              meter, the tick and the frame update with the client's part
//   SciFiInputCtrlControl.cpp  the creature update, the reach of a walk target, starting a
//                              strategy, the dodge vector and the cursor point
//   SciFiInputCtrlNetwork.cpp  the player's commands sent from a client to its server
#pragma once
#include "base/SearchTree.h"
#include "base/SmartPtr.h"
#include "game/objects/ai/InputCtrl.h"

#include <cstdint>
#include <memory>

class CreatureObj;
class CreatureObj_SF;
class InputState;
class ItemBase;
class KI_StratEntry;
class KI_Strategy;
class MouseState;
class SciFiGameCtrl;
class SkillTreeEntry;
struct BindingInputs;

class SciFiInputCtrl : public InputCtrl {
public:
    // Walk orders and attack orders.
    static constexpr int32_t kMoveNone = 0;
    static constexpr int32_t kMoveToPoint = 1;
    static constexpr int32_t kMoveToObject = 2;
    static constexpr int32_t kAttackNone = 0;
    static constexpr int32_t kAttackObject = 3;
    static constexpr int32_t kAttackPosition = 4;
    // Buttons: 0 move, 1 attack, 2 secondary attack, 3 attack switch.
    static constexpr int32_t kButtons = 4;
    static constexpr int32_t kSkillSlots = 3;
    static constexpr double kNoAttackOrder = -9e9;
    static constexpr float kReachMargin = 64.0f;       // beyond a walk target's radius
    static constexpr float kContactStopDistance = 10.0f;
    static constexpr double kCursorSendInterval = 1.0 / 30.0;
    static constexpr float kDefaultDamageWindow = 15.0f;

    // The seven accumulators, the named values and the three counters of a player's play.
    struct PlayStatistics {
        float totalTime = 0.0f;
        float attackTime = 0.0f;
        float moveTime = 0.0f;
        float fourth = 0.0f;
        float damageDealt = 0.0f;
        float damageReceived = 0.0f;
        float seventh = 0.0f;
        SearchTree<float> named;
        int32_t dodges = 0;
        int32_t counters[2] = {0, 0};
    };

    // The damage window is the rules' "DamageDealAverageTime" at two slots a second.
    SciFiInputCtrl();
    ~SciFiInputCtrl() override;

    // Every order, the meter, the buttons and the skill slots cleared, then the engine's reset.
    void Reset() override;
    // The engine's tick, the damage meter's clock, the skill slots' update timers.
    virtual void Tick(float dt);
    // In mode 3 the engine's step; on the hosting server nothing (the server's controller drives
    // its creatures); otherwise the buttons are read, then the client's update in a network game
    // and the creature update in any other.
    void Update(float dt) override;
    // The first Disable clears both orders; then the engine's.
    void Disable(bool stopCreatures) override;
    // An action cost its creature could not pay: the running attack order ends and, for the main
    // character, the player is told.
    void OnNoMana() override;
    void OnDamageDealt(float damage) override { AddDealtDamage(damage); }
    // The play statistics' damage sums, which the creature's damage handling grows.
    void AddDamageReceived(float amount) override { m_Statistics.damageReceived += amount; }
    void AddDamageDealt(float amount) override { m_Statistics.damageDealt += amount; }

    // Orders. Each clears the strategy-started flag and stops the creature's current action.
    void MoveToPoint(float x, float y);
    void MoveToObject(WorldElem* object);
    void AttackObject(WorldElem* target, KI_Strategy* strategy, bool alternate);
    void AttackPosition(float x, float y, KI_Strategy* strategy, bool alternate);
    void ClearMoveOrder();
    void ClearAttackOrder();
    // With a controlled creature, the attack order is cleared.
    void StopAttack();

    // The strategy's first Default entry started for the creature: at the attack point, only
    // turning there (faceOnly), or against the attack target. False when it cannot be afforded;
    // no strategy or an empty Default block is warned of once per order and clears the order.
    bool StartStrategy(CreatureObj* creature, KI_Strategy* strategy, bool atAttackPoint, bool faceOnly);
    virtual bool CanAffordStrategy(CreatureObj* creature, KI_Strategy* strategy);
    virtual bool CanAffordItemStrategy(CreatureObj* creature, ItemBase* item);

    // The creature update: one frame of the orders for the controlled creature (twelve steps,
    // SciFiInputCtrlControl.cpp). The game without network runs it from Update, the server's
    // controller for each remote player.
    void ControlStep(float dt);
    // Within reach of a walk target: nearer than its radius + 64 and either within its use
    // distance or with a free line to the point at use distance on the creature's side.
    bool IsWithinReach(CreatureObj* creature, WorldElem* target);
    // The creature tells of an element it touches: a walk to a point within 10 units of a creature
    // it touched (or of the creature that owns the touched part) ends there.
    void OnElementContact(CreatureObj* creature, WorldElem* element);

    // Skill slots 1 to 3.
    void SetSkillSlot(int32_t slot, SkillTreeEntry* skill, bool force);
    SkillTreeEntry* GetSkillSlot(int32_t slot, bool resolveNextLevel, bool allowPlaceholder);

    // The damage meter: a ring of damage sums, one per time slot of the window.
    void SetDamageWindow(float seconds, int32_t slots);
    void AddDealtDamage(float amount);
    float GetDamagePerSecond() const;
    int32_t GetDamageSlotCount() const { return m_DamageSlots; }
    float GetDamageSlot(int32_t slot) const { return slot >= 0 && slot < m_DamageSlots ? m_DamageRing[slot] : 0.0f; }
    float GetDamageWindow() const { return m_DamageWindow; }
    float GetDamageClock() const { return m_DamageClock; }

    virtual bool IsButtonDown(int32_t button) const;
    void SetButtonDown(int32_t button, bool down)
    {
        if (button >= 0 && button < kButtons)
            m_ButtonDown[button] = down ? 1 : 0;
    }
    // The cursor's ground point at the creature's height or the level's ground height; false
    // without a controlled creature or a pointer to pick with.
    virtual bool GetCursorGroundPoint(D3DXVECTOR2& out, bool atCreatureHeight);
    // The controller's pick-up of the walk target for the creature.
    virtual bool PickUp(CreatureObj* creature, WorldElem* target);
    // A dodge this frame: the "Dodge" key toward the cursor, or a direction key tapped (twice, or
    // once for longer than "DodgeTimeFrame") turned by the camera's heading; (0, 0) for none.
    virtual void GetDodgeVector(D3DXVECTOR2& out, CreatureObj* creature);

    // The key and mouse states a client reads its buttons from: the program's own unless set
    // (null: none). Without devices, as on the server, nothing in them is ever held.
    void SetInputDevices(InputState* keys, const MouseState* mouse)
    {
        m_Keys = keys;
        m_Mouse = mouse;
    }

    float GetNoMoveCounter() const { return m_NoMoveCounter; }
    D3DXVECTOR2 GetLastTargetPosition() const { return D3DXVECTOR2(m_LastTargetPos[0], m_LastTargetPos[1]); }
    int32_t GetMoveOrder() const { return m_MoveKind; }
    int32_t GetAttackOrder() const { return m_AttackKind; }
    D3DXVECTOR2 GetMoveTargetPoint() const { return D3DXVECTOR2(m_MoveTarget[0], m_MoveTarget[1]); }
    WorldElem* GetMoveTargetObject() const { return m_MoveTargetObj.Get(); }
    WorldElem* GetAttackTargetObject() const { return m_AttackTargetObj.Get(); }
    KI_Strategy* GetCurrentStrategy() const { return m_CurrentStrategy; }
    double GetAttackOrderTime() const { return m_AttackOrderTime; }
    double GetLastCursorSendTime() const { return m_LastCursorSendTime; }
    const PlayStatistics& GetStatistics() const { return m_Statistics; }
    // The running game's controller, when it is the game's own.
    static SciFiGameCtrl* GetGameCtrl();

    // The player's commands to the server (SciFiInputCtrlNetwork.cpp; layouts in
    // PlayerCommandCodec.h). Orders, releases, the cursor and dodges go out only from a client in
    // the running game, skill slots from any connected client; elsewhere nothing is sent.
    // An order of kind 1 or 2 carries the current strategy's name; every order marks its button
    // (the kind) as sent, a release clears it.
    bool SendPointOrder(uint32_t kind, float x, float y);  // true when it went out
    bool SendObjectOrder(uint32_t kind, WorldElem* target);
    void SendButtonReleased(int32_t button);
    // At most once per kCursorSendInterval of game time: the ground point under the cursor, or
    // that there is none.
    void SendCursor(bool atCreatureHeight);
    void SendDodge(float x, float y);
    // The slot's skill by name; empty for none or a "NoSkill" placeholder. udp: a change by the
    // player; the game's start sends every slot over TCP.
    void SendSkillSlot(int32_t slot, bool udp);
    bool IsOrderSent(int32_t button) const { return button >= 0 && button < kButtons && m_OrderSent[button] != 0; }

protected:
    // The four buttons from the bindings and the mouse buttons of the control options; all up
    // without devices.
    void ReadButtons();
    // The client's part of the update: release reports, cursor, dodge.
    void ClientUpdate();
    // The orders' shared first steps: strategy-started flag, the creature's action, the walk
    // order of kind with its point and object.
    void GiveMoveOrder(int32_t kind, float x, float y, WorldElem* object);
    bool GiveAttackOrder(int32_t kind, WorldElem* target, float x, float y, KI_Strategy* strategy, bool alternate);
    // The binding queries' view of this frame; false without devices.
    bool MakeBindingInputs(std::unique_ptr<BindingInputs>& out) const;
    // Creature update parts (SciFiInputCtrlControl.cpp).
    void UpdateNoMoveCounter(CreatureObj* creature, float dt);
    void UpdateWalkOrder(CreatureObj_SF* creature, bool moveHeld, bool special, const KI_ActionData& intention,
                         float dt);
    // False when the step ends here.
    bool UpdateAttackOrder(CreatureObj_SF* creature, bool busy, bool forced, bool special,
                           const KI_ActionData& intention);
    void AfterWalk(CreatureObj_SF* creature, bool moveHeld, bool attackHeld);
    double Now() const;

    int32_t m_MoveKind = kMoveNone;
    float m_MoveTarget[2] = {0.0f, 0.0f};
    uint8_t m_MoveResume = 0;
    SmartPtr<WorldElem> m_MoveTargetObj;
    int32_t m_AttackKind = kAttackNone;
    float m_AttackTarget[2] = {0.0f, 0.0f};
    SmartPtr<WorldElem> m_AttackTargetObj;
    KI_Strategy* m_CurrentStrategy = nullptr;  // game data, not owned
    KI_Strategy* m_PrimaryStrategy = nullptr;
    uint8_t m_Alternate = 0;
    uint8_t m_ButtonDown[kButtons] = {0, 0, 0, 0};
    uint8_t m_OrderSent[kButtons] = {0, 0, 0, 0};
    uint8_t m_MoveButtonReleased = 0;
    uint8_t m_AttackButtonReleased = 0;
    uint8_t m_AlternateStarted = 0;
    uint8_t m_StrategyStarted = 0;
    int32_t m_AlternateStartCount = 0;
    float m_LastTargetPos[2] = {0.0f, 0.0f};
    std::unique_ptr<float[]> m_DamageRing;
    int32_t m_DamageSlots = 0;
    float m_DamageWindow = 0.0f;
    float m_DamageClock = 0.0f;
    float m_NoMoveCounter = 0.0f;
    double m_AttackOrderTime = kNoAttackOrder;
    double m_TapTime = -1.0;
    int32_t m_TapDirection[2] = {0, 0};
    SkillTreeEntry* m_SkillSlots[kSkillSlots] = {nullptr, nullptr, nullptr};
    double m_LastCursorSendTime = -1.0;
    PlayStatistics m_Statistics;
    InputState* m_Keys;
    const MouseState* m_Mouse;
    uint8_t m_OrderWarned = 0;  // the running order's faulty strategy has been warned of
    uint8_t m_DodgedThisFrame = 0;
};
