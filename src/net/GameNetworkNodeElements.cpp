// GameNetworkNode: the client's handlers of the server's changes to the world's elements: an object
// added (a player's character with its state), objects and walls deleted (some answering the
// join's sync requests), and an element used.
#include "net/GameNetworkNode.h"

#include "base/ByteReader.h"
#include "base/File.h"
#include "base/Log.h"
#include "game/objects/CreatureObj.h"
#include "net/GameValueCodec.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

// 0x0600, one unit of free length: the 151-byte head (NetObjPos, char[128] configuration ID, u32
// the value the object keeps, u8 body flag), then with the flag the object's state.
void GameNetworkNode::ReceiveNetworkData_AddObject(const GamePacketHeader& header)
{
    uint8_t head[kAddObjectHead];
    if (!ReceiveData(head, sizeof head)) {
        Warning("AddObject of %i bytes dropped", header.unitSize);
        return;
    }
    ByteReader in(head, sizeof head);
    const NetObjPos pos = GameValueCodec::ReadNetObjPos(in);
    const String configID = GameValueCodec::ReadCharFixed(in, kConfigIDField);
    const uint32_t value = in.ReadU32();
    const bool withBody = in.ReadU8() != 0;
    if (LogsTraffic(1))
        Log::Write("NetRec: add object %s to objID %i", configID.c_str(), pos.ref.objID);

    WorldElem* elem = CreateWorldObject(configID.c_str(), nullptr, true, true, true, false, 0.0f, nullptr, 0.0f,
                                        nullptr, -1);
    if (!elem || !elem->IsActiveType()) {
        Warning("None WorldElem in ReceiveNetworkData_AddObject: %s", configID.c_str());
        return;
    }
    if (ClaimObjectID(*elem, pos.ref.objID, false))
        elem->m_MyRnd = int32_t(pos.ref.myRnd);  // the server's later references name it so
    elem->m_Party = int32_t(value);
    if (withBody) {
        File state;
        if (!ReceiveUnitRest(state) || !ReadCharacterState(state, *elem))
            Warning("AddObject %i: state of another format ignored", pos.ref.objID);
        auto* creature = dynamic_cast<CreatureObj*>(elem);
        if (creature && creature->IsMainCharacter()) {
            bool kept = false;
            for (int32_t i = 0; i < m_MultiplayerCharacters.GetSize(); ++i)
                kept = kept || m_MultiplayerCharacters.GetAt(i)->Get() == creature;
            if (!kept)
                *m_MultiplayerCharacters.GetBySlot(m_MultiplayerCharacters.Add()) = creature;
            OnCharacterAdded(creature);
        }
    }
    ApplyPositionUpdate(*elem, pos, false);
}

// 0x0A00, 14 bytes: ObjRef3 of the object, u8 remove flag, u8 1 when it answers a sync request.
void GameNetworkNode::ReceiveDeleteObject()
{
    ForEachUnit(kDeleteObjectSize, [&](ByteReader& in) {
        const ObjRef3 ref = GameValueCodec::ReadObjRef3(in);
        const bool remove = in.ReadU8() != 0;
        const bool answers = in.ReadU8() != 0;
        auto* elem = dynamic_cast<WorldElem*>(m_World.GetObjByIdentifierChecked(ref));
        if (elem && elem->IsActiveType()) {
            if (LogsTraffic(1))
                Log::Write("NetRec: delete objID:%i", ref.objID);
            if (auto* creature = dynamic_cast<CreatureObj*>(elem); creature && creature->IsDead())
                OnCreatureRemoved(creature);
            if (auto* creature = dynamic_cast<CreatureObj*>(elem); creature && creature->IsMainCharacter())
                OnCharacterRemoved(creature);
            if (remove && elem->m_Opacity > 0.0f && elem->m_FadeRate < kKeptFadeRate) {
                // Fading out fast: it finishes its fade here, out of the game, and then ends.
                elem->m_IgnoreInQueries = 1;
                elem->SetLifeSpanEnd(elem->m_Opacity / -elem->m_FadeRate);
            } else
                m_World.DelObj(elem->m_ObjID, remove ? 1 : 0);
        } else if (LogsTraffic(1))
            Log::Write("NetRec: invalid delete objID:%i", ref.objID);
        if (answers)
            AnswerSyncRequest(ref);
    });
}

// 0x1800, 13 bytes: ObjRef3 of the wall, u8 1 when it answers a sync request.
void GameNetworkNode::ReceiveDeleteWall()
{
    ForEachUnit(kSyncItemSize, [&](ByteReader& in) {
        const ObjRef3 ref = GameValueCodec::ReadObjRef3(in);
        const bool answers = in.ReadU8() != 0;
        if (answers)
            AnswerSyncRequest(ref);
        WorldElemBase* elem = m_World.GetObjByIdentifierChecked(ref);
        if ((!elem && m_World.GetWallSafe(ref.objID)) || (elem && elem->m_TypeCode == ElemType::kWall)) {
            m_World.DelWall(ref.objID);
            if (LogsTraffic(1))
                Log::Write("NetRec: delete wall ID:%i", ref.objID);
        } else if (LogsTraffic(1))
            Log::Write("NetRec: invalid delete wall:%i", ref.objID);
    });
}

// 0x1500, 21 bytes: ObjRef3 of the used element, ObjRef of the user, u8 parameter.
void GameNetworkNode::ReceiveUseObject()
{
    ForEachUnit(kUseObjectSize, [&](ByteReader& in) {
        const ObjRef3 ref = GameValueCodec::ReadObjRef3(in);
        const ObjRef user = GameValueCodec::ReadObjRef(in);
        const uint8_t param = in.ReadU8();
        if (LogsTraffic(1))
            Log::Write("NetRec: UseObject %i", ref.objID);
        WorldElemBase* used = m_World.GetObjByIdentifierChecked(ref);
        if (!used || (user.objID >= 0 && !m_World.GetObjByIdentifier(user)))
            return;
        used->OnUse(0, user.objID, param);
    });
}
