// SciFiInputCtrl_server: the server's input controller of one connected player's creature. The
// player's game sends what the player did as the game's own commands (PlayerCommandCodec.h);
// this controller keeps the held buttons, the aim point and the last dodge direction they carry
// and gives the orders to the same creature control that a local player's controller runs, so
// that the server alone moves, aims and acts with the player's creature.
#pragma once
#include "scifi/input/SciFiInputCtrl.h"

#include <cstdint>

namespace PlayerCommandCodec {
struct PlayerCommand;
}  // namespace PlayerCommandCodec

class SciFiInputCtrl_server : public SciFiInputCtrl {
public:
    SciFiInputCtrl_server();

    // One decoded command of the player (0xA001 to 0xA200); false for an id that is none of them.
    // A point the player sent outside the level is taken at the level's edge.
    bool ReadMessage(const PlayerCommandCodec::PlayerCommand& command);

    // The object notification: the controlled creature ends a secondary attack, so the secondary
    // button counts as let go. The controlled creature (null when none).
    CreatureObj* OnObjectNotify(WorldElem* object);
    // The control step alone: nothing local is read on the server.
    void Update(float dt) override;
    // The aim query: the last point the player aimed at, while the player aims.
    bool GetCursorGroundPoint(D3DXVECTOR2& out, bool atCreatureHeight) override;
    // The movement query: the last dodge direction received, once; (0, 0) after it.
    void GetDodgeVector(D3DXVECTOR2& out, CreatureObj* creature) override;
    // A player's input (kind 1) tells the player's client to take the item (0x2700); any other
    // picks up as the game does.
    bool PickUp(CreatureObj* creature, WorldElem* target) override;
    // The player's game has checked the cost before it sent the order.
    bool CanAffordStrategy(CreatureObj* creature, KI_Strategy* strategy) override;
    bool CanAffordItemStrategy(CreatureObj* creature, ItemBase* item) override;

    bool HasAimTarget() const { return m_AimValid != 0; }
    D3DXVECTOR2 GetAimTarget() const { return D3DXVECTOR2(m_AimTarget[0], m_AimTarget[1]); }
    D3DXVECTOR2 GetMovement() const { return D3DXVECTOR2(m_Movement[0], m_Movement[1]); }

private:
    // The point within the controlled creature's level (unchanged without a level).
    void ClampToLevel(float& x, float& y);
    void SetAim(float x, float y);

    float m_AimTarget[2] = {0.0f, 0.0f};
    uint8_t m_AimValid = 0;
    float m_Movement[2] = {0.0f, 0.0f};
};
