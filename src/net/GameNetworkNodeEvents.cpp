// GameNetworkNode: the client's handlers of the server's timed events: a game function the server
// ran, and a creature's action shot or effect. An event older than the node's maximum event age is
// not carried out late: its time pulls the clock instead, so the client catches up.
#include "net/GameNetworkNode.h"

#include "base/ByteReader.h"
#include "base/Log.h"
#include "game/objects/CreatureObj.h"
#include "net/GameValueCodec.h"
#include "script/ScriptValue.h"
#include "world/ActionEntry.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

#include <vector>

bool GameNetworkNode::IsEventInTime(double eventTime)
{
    if (m_GameTime - eventTime <= double(m_MaxEventAge))
        return true;
    m_TimeSlewTarget = eventTime;
    return false;
}

// 0x1700, one unit of free length: the function's name (String), the 21-byte block (ObjRef3 of the
// subject element, f64 game time of the call, u8 1: however old), then script values to its end.
void GameNetworkNode::ReceiveRunScriptFunction(const GamePacketHeader& header)
{
    ForEachUnit(header.unitSize, [&](ByteReader& in) {
        const String name = GameValueCodec::ReadString(in);
        const ObjRef3 subject = GameValueCodec::ReadObjRef3(in);
        const double time = in.ReadDouble();
        const bool always = in.ReadU8() != 0;
        std::vector<ScriptValue> arguments;
        while (!in.Failed() && in.GetRemaining() > 0) {
            arguments.emplace_back();
            GameValueCodec::ReadScriptValue(in, arguments.back());
        }
        if (in.Failed()) {
            Warning("RunScriptFunction of %i bytes dropped", header.unitSize);
            return;
        }
        if (LogsTraffic(1))
            Log::Write("NetRec: RunScriptFunction %s", name.c_str());
        if (!always && !IsEventInTime(time))
            return;
        if (subject.objID >= 0 && !m_World.GetObjByIdentifierChecked(subject))
            return;
        const ScriptNetworkCallCallback call = GetScriptCallbacks().callFromNetwork;
        if (!call)
            return;
        ScriptValue result;
        call(&result, name.c_str(), arguments.empty() ? nullptr : arguments.data(), int32_t(arguments.size()));
    });
}

// 0x2001 and 0x2003, one unit of free length: the action's name (String), then the block: ObjRef of
// the creature, u32 the part's index, f32 game time; a shot adds f32 x, y of its target point
// (0, 0: none), an effect its u32 argument.
void GameNetworkNode::ReceivePerformAction(const GamePacketHeader& header)
{
    const bool shot = header.id == kMsgPerformActionShot;
    ForEachUnit(header.unitSize, [&](ByteReader& in) {
        const String action = GameValueCodec::ReadString(in);
        const ObjRef ref = GameValueCodec::ReadObjRef(in);
        const uint32_t index = in.ReadU32();
        const float time = in.ReadFloat();
        const float x = shot ? in.ReadFloat() : 0.0f;
        const float y = shot ? in.ReadFloat() : 0.0f;
        const uint32_t argument = shot ? 0 : in.ReadU32();
        if (in.Failed()) {
            Warning("PerformAction of %i bytes dropped", header.unitSize);
            return;
        }
        if (shot ? LogsTraffic(1) : LogsTraffic(2))
            Log::Write(shot ? "NetRec: PerformActionShot %s" : "NetRec: PerformActionEffect %s", action.c_str());
        if (!IsEventInTime(double(time)))
            return;
        auto* creature = dynamic_cast<CreatureObj*>(m_World.GetObjByIdentifier(ref));
        ActionEntry* entry = creature ? m_World.FindActionEntry(action.c_str(), false) : nullptr;
        if (!entry)
            return;
        if (shot && index < uint32_t(entry->shots.GetSize())) {
            const D3DXVECTOR2 target(x, y);
            const bool aimed = x != 0.0f || y != 0.0f;
            creature->CallShotScript(entry->shots.GetAt(int32_t(index)), nullptr, aimed ? &target : nullptr);
        } else if (!shot && index < uint32_t(entry->effects.GetSize()))
            if (ActionEffect* effect = entry->effects.GetAt(int32_t(index)))
                creature->ExecuteActionEffect(*effect, int32_t(argument));
    });
}
