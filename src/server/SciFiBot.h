// SciFiBot: a headless player that tests a server end to end: the game's controller as a network
// client, which joins, walks its character around its start, attacks the drone once, walks to the
// medkit and picks it up, says a chat line every few seconds and watches what comes back: its
// own lines echoed, the other players moving, the drone's health and the pick-up.
// Everything here runs on the game thread, between the controller's frames.
#pragma once
#include "scifi/ctrl/SciFiGameCtrl.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct D3DXVECTOR2;

class SciFiBot : public SciFiGameCtrl {
public:
    static constexpr double kWalkSeconds = 2.0;      // around the start before the attack
    static constexpr double kChatInterval = 3.0;     // a line this often
    static constexpr double kChatQuietSeconds = 1.5;  // no new line so near the end: it must come back
    static constexpr float kArriveDistance = 12.0f;  // the server's walk ends this near its point
    static constexpr float kCircleRadius = 60.0f;
    static constexpr float kMeleeDistance = 40.0f;   // beside the drone, facing it
    static constexpr float kMovedDistance = 1.0f;    // another player this far from where first seen
    static constexpr float kOrderDistance = 16.0f;   // a walk point this far from the last ordered one
    static constexpr const char* kAttackStrategy = "PlayerMelee";

    // What the bot saw; the goals are met when every part is.
    struct Summary {
        double joinSeconds = -1.0;  // from the connect to the running game; -1 never joined
        int32_t chatSent = 0;
        int32_t chatEchoed = 0;
        int32_t othersMoving = 0;
        float droneHealthChange = 0.0f;  // negative: hurt
        bool attacked = false;
        bool pickUpConfirmed = false;
        bool pickUpMine = false;
        // Taken or killed before this bot was in the game (bots that come later to a running
        // server): that goal cannot be reached, and counts as met.
        bool medkitGoneAtJoin = false;
        bool droneGoneAtJoin = false;
    };

    explicit SciFiBot(const std::string& name);

    // One step of the bot's plan, before the frame; seconds since it joined.
    void Act(double seconds, double lastSeconds, float frameTime);
    const Summary& GetSummary() const { return m_Summary; }
    bool MetGoals(int32_t otherBots) const;
    std::string SummaryLine() const;
    const std::string& GetName() const { return m_Name; }
    void SetJoinSeconds(double seconds) { m_Summary.joinSeconds = seconds; }

private:
    // Orders the walk to the point as a player's click does (0xA001); the server walks the
    // character there. True once the character, as the server reports it, stands there.
    bool WalkTo(CreatureObj& hero, const D3DXVECTOR2& point, float frameTime);
    void OrderWalk(CreatureObj& hero, const D3DXVECTOR2& point);
    bool OrderAttack(CreatureObj& hero, CreatureObj& target);
    void Chat(double seconds, double lastSeconds);
    void WatchOthers(const CreatureObj& hero);
    void WatchPickUp(const CreatureObj& hero);
    CreatureObj* FindDrone();

    enum class Step { kCircle, kToDrone, kAttack, kToMedkit, kDone };
    std::string m_Name;
    Step m_Step = Step::kCircle;
    Summary m_Summary;
    bool m_StartKnown = false;
    float m_StartX = 0.0f, m_StartY = 0.0f;
    float m_DroneHealthFirst = -1.0f;
    int32_t m_MedkitID = -1;
    bool m_Ordered = false;
    bool m_MedkitOrdered = false;
    float m_OrderX = 0.0f, m_OrderY = 0.0f;  // the last walk point ordered
    double m_StepStart = 0.0;
    std::vector<std::u16string> m_LinesSent;
    int32_t m_ChatSeen = 0;  // chat list entries already looked at
    struct Seen {
        float x = 0.0f, y = 0.0f;
        bool moved = false;
    };
    std::map<int32_t, Seen> m_Others;  // object ID: where first seen
};
