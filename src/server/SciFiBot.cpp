// SciFiBot: the bot's plan, step by step between the controller's frames, and what it watches.
// The walk and the attack go out as a player's orders; the server moves the bot's character by
// them and tells the bot where it is.
#include "server/SciFiBot.h"

#include "base/Log.h"
#include "game/objects/CreatureObj.h"
#include "platform/D3DXMath.h"
#include "scifi/input/SciFiInputCtrl.h"
#include "world/WorldCtrl.h"
#include "world/Inventory.h"
#include "world/WorldElem.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

SciFiBot::SciFiBot(const std::string& name) : m_Name(name)
{
    SetPlayerName(wString(name.c_str()));
}

void SciFiBot::Act(double seconds, double lastSeconds, float frameTime)
{
    CreatureObj* hero = GetMainChar();
    if (GetConnectionState() != eRunningGame || !hero)
        return;
    if (!m_StartKnown) {
        m_StartKnown = true;
        m_StartX = hero->GetPos().x;
        m_StartY = hero->GetPos().y;
        m_Summary.medkitGoneAtJoin = !GetWorld().FindObjectByWorldID("medkit1", nullptr);
        CreatureObj* drone = FindDrone();
        m_Summary.droneGoneAtJoin = !drone || drone->IsDead();
    }
    if (m_MedkitID < 0)
        if (WorldElem* medkit = GetWorld().FindObjectByWorldID("medkit1", nullptr))
            m_MedkitID = medkit->m_ObjID;
    WatchOthers(*hero);
    WatchPickUp(*hero);
    Chat(seconds, lastSeconds);
    CreatureObj* drone = FindDrone();
    if (drone && m_DroneHealthFirst < 0.0f)
        m_DroneHealthFirst = drone->GetHealth();
    if (drone && m_DroneHealthFirst >= 0.0f)
        m_Summary.droneHealthChange = drone->GetHealth() - m_DroneHealthFirst;

    switch (m_Step) {
    case Step::kCircle: {
        const float angle = float(seconds) * 2.0f;  // about a third of a circle a second
        WalkTo(*hero, D3DXVECTOR2(m_StartX + kCircleRadius * std::cos(angle), m_StartY + kCircleRadius * std::sin(angle)),
               frameTime);
        if (seconds >= kWalkSeconds)
            m_Step = Step::kToDrone;
        break;
    }
    case Step::kToDrone:
        if (!drone || drone->IsDead()) {
            m_Step = Step::kToMedkit;  // nothing left to attack
            break;
        }
        if (WalkTo(*hero, D3DXVECTOR2(drone->GetPos().x - kMeleeDistance, drone->GetPos().y), frameTime))
            m_Step = Step::kAttack;
        break;
    case Step::kAttack:
        m_Summary.attacked = drone && OrderAttack(*hero, *drone);
        Log::Write("Bot %s: attack on the drone %s", m_Name.c_str(), m_Summary.attacked ? "ordered" : "refused");
        m_Step = Step::kToMedkit;
        m_StepStart = seconds;
        break;
    case Step::kToMedkit: {
        if (seconds - m_StepStart < 0.5)
            break;  // the blow lands first
        WorldElem* medkit = GetWorld().FindObjectByWorldID("medkit1", nullptr);
        if (!medkit) {
            Log::Write("Bot %s: the medkit is gone", m_Name.c_str());
            m_Step = Step::kDone;  // gone: somebody picked it up
            break;
        }
        // A player's click on the item: the server walks the character there and has the bot
        // take it (0x2700) once it is within reach; the step ends when the medkit is gone.
        if (!m_MedkitOrdered) {
            auto* input = dynamic_cast<SciFiInputCtrl*>(hero->m_InputCtrl);
            if (input) {
                input->MoveToObject(medkit);
                m_MedkitOrdered = input->IsOrderSent(0);
            }
            Log::Write("Bot %s: walk to the medkit %s", m_Name.c_str(), m_MedkitOrdered ? "ordered" : "refused");
        }
        break;
    }
    case Step::kDone: {
        // On around where it ended, so that players who joined later see it move too.
        const float angle = float(seconds) * 2.0f;
        const D3DXVECTOR2 at = hero->GetPos();
        WalkTo(*hero, D3DXVECTOR2(at.x + 20.0f * std::cos(angle), at.y + 20.0f * std::sin(angle)), frameTime);
        break;
    }
    }
}

void SciFiBot::OrderWalk(CreatureObj& hero, const D3DXVECTOR2& point)
{
    auto* input = dynamic_cast<SciFiInputCtrl*>(hero.m_InputCtrl);
    if (!input || (m_Ordered && std::hypot(point.x - m_OrderX, point.y - m_OrderY) < kOrderDistance))
        return;
    if (input->SendPointOrder(0, point.x, point.y)) {
        m_Ordered = true;
        m_OrderX = point.x;
        m_OrderY = point.y;
    }
}

bool SciFiBot::WalkTo(CreatureObj& hero, const D3DXVECTOR2& point, float frameTime)
{
    (void)frameTime;
    OrderWalk(hero, point);
    const D3DXVECTOR2 at = hero.GetPos();
    return std::hypot(point.x - at.x, point.y - at.y) <= kArriveDistance;
}

// The attack as a player's click on the drone: an object order of the primary button with the
// player's melee strategy (0xA002, kind 1).
bool SciFiBot::OrderAttack(CreatureObj& hero, CreatureObj& target)
{
    auto* input = dynamic_cast<SciFiInputCtrl*>(hero.m_InputCtrl);
    if (!input)
        return false;
    input->AttackObject(&target, GetWorld().FindStrategyEntry(kAttackStrategy, false), false);
    return input->IsOrderSent(1);
}

void SciFiBot::Chat(double seconds, double lastSeconds)
{
    // Each line sent is looked for among the lines that came back.
    for (; m_ChatSeen < GetNumChatMessages(); ++m_ChatSeen) {
        const ChatMessage* line = GetChatMessage(m_ChatSeen);
        for (const std::u16string& sent : m_LinesSent)
            if (line->text == wString(sent.c_str()))
                ++m_Summary.chatEchoed;
    }
    const double due = m_Summary.chatSent * kChatInterval + 0.5;
    if (seconds < due || seconds > lastSeconds - kChatQuietSeconds)
        return;
    const std::string text = m_Name + " says hello #" + std::to_string(m_Summary.chatSent + 1);
    m_LinesSent.emplace_back(text.begin(), text.end());
    SendChatLine(wString(text.c_str()));
    ++m_Summary.chatSent;
}

// The other players' characters: creatures of the same kind as the bot's own.
void SciFiBot::WatchOthers(const CreatureObj& hero)
{
    WorldCtrl& world = GetWorld();
    for (int32_t id = world.NextObjID(-1); id >= 0; id = world.NextObjID(id)) {
        auto* creature = dynamic_cast<CreatureObj*>(world.GetObjNoCheck(id, false));
        if (!creature || creature == &hero || creature->m_CfgID != hero.m_CfgID)
            continue;
        const D3DXVECTOR2 at = creature->GetPos();
        auto [seen, first] = m_Others.try_emplace(id, Seen{at.x, at.y, false});
        if (!first && !seen->second.moved && std::hypot(at.x - seen->second.x, at.y - seen->second.y) >= kMovedDistance) {
            seen->second.moved = true;
            ++m_Summary.othersMoving;
        }
    }
}

CreatureObj* SciFiBot::FindDrone()
{
    return dynamic_cast<CreatureObj*>(GetWorld().FindObjectByWorldID("drone1", nullptr));
}

// The server carries a pick-up out and tells every player, whose copy of the element goes into
// the picker's inventory: the medkit gone, in the bot's own inventory or another's.
void SciFiBot::WatchPickUp(const CreatureObj& hero)
{
    if (m_MedkitID < 0 || m_Summary.pickUpConfirmed || GetWorld().GetObjNoCheck(m_MedkitID, false))
        return;
    m_Summary.pickUpConfirmed = true;
    m_Summary.pickUpMine = hero.m_Inventory && hero.m_Inventory->FindItemByName("Medkit") >= 0;
}

bool SciFiBot::MetGoals(int32_t otherBots) const
{
    const Summary& s = m_Summary;
    return s.joinSeconds >= 0.0 && s.chatSent > 0 && s.chatEchoed >= s.chatSent && s.othersMoving >= otherBots &&
           ((s.attacked && s.droneHealthChange < 0.0f) || s.droneGoneAtJoin) &&
           (s.pickUpConfirmed || s.medkitGoneAtJoin);
}

std::string SciFiBot::SummaryLine() const
{
    const Summary& s = m_Summary;
    char line[512];
    std::snprintf(line, sizeof line,
                  "Bot %s: joined in %.3f s, %i of %i chat lines echoed, %i other players seen moving, "
                  "drone health %+.1f%s, pick-up %s",
                  m_Name.c_str(), s.joinSeconds, s.chatEchoed, s.chatSent, s.othersMoving, double(s.droneHealthChange),
                  s.droneGoneAtJoin ? " (gone before the join)" : "",
                  s.pickUpConfirmed ? (s.pickUpMine ? "confirmed (mine)" : "confirmed (another player's)")
                  : s.medkitGoneAtJoin ? "not possible (the medkit was gone before the join)" : "not confirmed");
    return line;
}
