// InputCtrlBase: what the world asks of the input controller (player input or AI) that drives an
// element: its mode, and letting a controlled element go when the element leaves the world.
// The game's input controllers derive from it.
#pragma once
#include <cstdint>

class WorldElem;

class InputCtrlBase {
public:
    virtual ~InputCtrlBase() = default;

    virtual int32_t GetMode() = 0;  // 1 input, 3 AI
    // Detaches the element of that index: its controller fields are cleared, its slot freed.
    virtual void RemoveControlledCreature(int32_t index) = 0;
    // A creature it drives lost its enemy: its mob is brought up to date (the AI's controller).
    virtual void UpdateCreatureMob(WorldElem* creature) { (void)creature; }
    // The damage its creature took and dealt, for the player's damage sums (the game's player
    // controller keeps them).
    virtual void AddDamageReceived(float amount) { (void)amount; }
    virtual void AddDamageDealt(float amount) { (void)amount; }
};
