// GameNetworkNode: the client's handlers of what the server sends in the running game: positions
// with their smoothing, animation cycles, a creature's health, experience, mana, level and blood,
// the clock, and the server's request to disconnect. Each reads the held message unit by unit and
// stops at the first unit it cannot read; elements that do not exist are skipped.
#include "net/GameNetworkNode.h"

#include "base/ByteReader.h"
#include "base/Log.h"
#include "game/objects/CreatureObj.h"
#include "net/GameValueCodec.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"
#include "world/WorldElemGridBase.h"

#include <algorithm>
#include <cmath>
#include <vector>

bool GameNetworkNode::IsPlayerCharacter(const WorldElem* elem)
{
    if (!elem)
        return false;
    if (elem == GetMainChar())
        return true;
    for (int32_t i = 0; i < m_MultiplayerCharacters.GetSize(); ++i)
        if (const SmartPtr<CreatureObj>* character = m_MultiplayerCharacters.GetAt(i); character && character->Get() == elem)
            return true;
    return false;
}

void GameNetworkNode::ApplyPositionUpdate(WorldElem& elem, const NetObjPos& pos, bool interpolate)
{
    if (IsNetworkServer() || !interpolate) {
        elem.SetPos(pos.x, pos.y);
        elem.SetAngle(pos.angle);
        elem.m_NetTargetX = pos.x;
        elem.m_NetTargetY = pos.y;
        elem.m_NetTargetAngle = pos.angle;
        elem.m_NetSmoothTime = 0.0f;
    } else {
        elem.m_NetTargetX = pos.x;
        elem.m_NetTargetY = pos.y;
        elem.m_NetTargetAngle = pos.angle;
        const float frames = IsPlayerCharacter(&elem) ? 1.0f : 3.0f;
        elem.m_NetSmoothTime = frames / m_ServerMaxFPS + m_NetSettings.updateDelay;
        const D3DXVECTOR2 at = elem.GetPos();
        const float dx = pos.x - at.x, dy = pos.y - at.y;
        if (std::sqrt(dx * dx + dy * dy) > 5.0f * float(WorldElemGridBase::kBlockSize)) {
            elem.SetPos(pos.x, pos.y);
            elem.SetAngle(pos.angle);
        }
    }
    if (LogsTraffic(2))
        Log::Write("NetRec: position update: obj:%i x:%i,y%i,a:%2f", elem.m_ObjID, int32_t(std::lround(pos.x)),
                   int32_t(std::lround(pos.y)), double(pos.angle));
}

// 0x0100: NetObjPos units.
void GameNetworkNode::ReceivePositions()
{
    ForEachUnit(NetObjPos::kSize, [&](ByteReader& in) {
        const NetObjPos pos = GameValueCodec::ReadNetObjPos(in);
        if (WorldElem* elem = m_World.GetObjByIdentifier(pos.ref))
            ApplyPositionUpdate(*elem, pos, true);
    });
}

// 0x0900: animation-cycle units, applied without restart.
void GameNetworkNode::ReceiveAnicycles()
{
    ForEachUnit(AnicycleUnit::kSize, [&](ByteReader& in) {
        const AnicycleUnit unit = GameValueCodec::ReadAnicycleUnit(in);
        if (auto* creature = dynamic_cast<CreatureObj*>(m_World.GetObjSafe(unit.objID, nullptr, false)))
            ApplyAnicycleUnit(*creature, unit, false);
    });
}

// 0x2100: ObjRef, f32 health.
void GameNetworkNode::ReceiveSetHealth()
{
    ForEachUnit(GameValueCodec::kObjRefSize + 4, [&](ByteReader& in) {
        const ObjRef ref = GameValueCodec::ReadObjRef(in);
        const float health = in.ReadFloat();
        if (auto* creature = dynamic_cast<CreatureObj*>(m_World.GetObjByIdentifier(ref))) {
            creature->SetHealth(health);
            if (LogsTraffic(1))
                Log::Write("NetRec: SetHealth creature:%i health:%.1f", ref.objID, double(health));
        } else if (LogsTraffic(1))
            Log::Write("NetRec: invalid SetHealth objID:%i", ref.objID);
    });
}

// 0x2400: ObjRef, f32 amount.
void GameNetworkNode::ReceiveGainXp()
{
    ForEachUnit(GameValueCodec::kObjRefSize + 4, [&](ByteReader& in) {
        const ObjRef ref = GameValueCodec::ReadObjRef(in);
        const float amount = in.ReadFloat();
        if (auto* creature = dynamic_cast<CreatureObj*>(m_World.GetObjByIdentifier(ref)))
            creature->AddExperience(amount, true);
        if (LogsTraffic(1))
            Log::Write("NetRec: gain xp:%i", int32_t(std::lround(amount)));
    });
}

// 0x2800: f64 the server's game time, the clock's slew target.
void GameNetworkNode::ReceiveTimeSync()
{
    ForEachUnit(8, [&](ByteReader& in) {
        m_TimeSlewTarget = in.ReadDouble();
        if (LogsTraffic(2))
            Log::Write("NetRec: TimeSync:%.2f", m_TimeSlewTarget);
    });
}

// 0x2900: ObjRef, f32 amount; mana never goes below 0.
void GameNetworkNode::ReceiveSubtractMana()
{
    ForEachUnit(GameValueCodec::kObjRefSize + 4, [&](ByteReader& in) {
        const ObjRef ref = GameValueCodec::ReadObjRef(in);
        const float amount = in.ReadFloat();
        if (auto* creature = dynamic_cast<CreatureObj*>(m_World.GetObjByIdentifier(ref)))
            if (amount > 0.0f)
                creature->UseMana(std::min(amount, creature->GetMana()));
        if (LogsTraffic(1))
            Log::Write("NetRec: Subtract Mana: %.1f", double(amount));
    });
}

// 0x4001: i32 reason.
void GameNetworkNode::ReceiveDisconnectRequest()
{
    ForEachUnit(4, [&](ByteReader& in) {
        const int32_t reason = int32_t(in.ReadU32());
        Log::Write("NetRec: DisconnectRequest %i", reason);
        const wString text(DisconnectReasonText(reason));
        m_World.ShowTextMessage(3.0f, u"%s", text.c_str());
        CloseConnections();
    });
}

// 0x4100: ObjRef, i32 level.
void GameNetworkNode::ReceiveCharLevelChange()
{
    ForEachUnit(GameValueCodec::kObjRefSize + 4, [&](ByteReader& in) {
        const ObjRef ref = GameValueCodec::ReadObjRef(in);
        const int32_t level = int32_t(in.ReadU32());
        if (auto* creature = dynamic_cast<CreatureObj*>(m_World.GetObjByIdentifier(ref))) {
            creature->SetCharacterLevel(level);
            if (LogsTraffic(1))
                Log::Write("NetRec: char level change: creature %i level:%i", ref.objID, level);
        } else if (LogsTraffic(1))
            Log::Write("NetRec: invalid char level change objID:%i", ref.objID);
    });
}

// 0x4500: i32 object ID, u8 strength (255 is full).
void GameNetworkNode::ReceiveBloodEffect()
{
    ForEachUnit(5, [&](ByteReader& in) {
        const int32_t objID = int32_t(in.ReadU32());
        const uint8_t strength = in.ReadU8();
        if (auto* creature = dynamic_cast<CreatureObj*>(m_World.GetObjNoCheck(objID, false)))
            creature->SpawnBloodEffect(float(strength) * 0.003921569f);
        if (LogsTraffic(2))
            Log::Write("NetRec: blood effect:%i", objID);
    });
}
