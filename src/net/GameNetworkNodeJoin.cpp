// GameNetworkNode: the client's join to a server: the player information, the level load, the
// comparison of the server's object checksums with the local level and the requests for what
// differs, the object syncs that answer them, and the main character handed over at the end.
#include "net/GameNetworkNode.h"

#include "base/ByteReader.h"
#include "base/File.h"
#include "base/Log.h"
#include "game/ctrl/WorldObjectCreateParams.h"
#include "game/objects/CreatureObj.h"
#include "level/VSD_WallIntern.h"
#include "net/GameValueCodec.h"
#include "base/Timer.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

#include <vector>

namespace {

constexpr int32_t kMemoryStep = 4096;
constexpr int32_t kDummyDataBytes = 4;
// Comparison marks: not listed by the server, listed but different, listed and equal.
constexpr int32_t kMarkUnlisted = 0;
constexpr int32_t kMarkDiffers = 1;
constexpr int32_t kMarkMatches = 2;

}  // namespace

void GameNetworkNode::ServiceJoin()
{
    switch (m_ConnectionState) {
    case eConnected:
        if (SendPlayerInfo())
            SetConnectionState(ePlayerInfoSent);
        break;
    case eLevelLoaded:
        if (SendLevelLoaded())
            SetConnectionState(eLevelLoadedReported);
        break;
    case eRunningGame: {
        const double interval = m_NetSettings.dummyDataInterval;
        const double now = Timer::GetTime();
        if (interval > 0.0 && now - m_LastDummyDataTime > interval) {
            m_LastDummyDataTime = now;
            SendDummyData(kDummyDataBytes, false);
        }
        break;
    }
    default:
        break;
    }
}

// 0x4000: u32 version, f32 minimum and maximum frame rate. Accepted in any connected state.
void GameNetworkNode::ReceiveServerInfo(const GamePacketHeader& header)
{
    uint8_t unit[kServerInfoSize];
    if (header.unitSize != kServerInfoSize || ReceivePacketData(unit, 1) != 1)
        return;
    ByteReader in(unit, sizeof unit);
    const uint32_t version = in.ReadU32();
    m_ServerVersion = int32_t(version);
    m_ServerMinFPS = in.ReadFloat();
    m_ServerMaxFPS = in.ReadFloat();
    if (LogsTraffic(1))
        Log::Write("NetRec: server info (ver:%X)", version);
    if (version < kMinServerVersion) {
        CloseConnections();
        m_World.ShowTextMessage(3.0f, u"Can not join server with version %X", version);
    }
}

// 0x0400: char[128] level name, u32 seed, f64 game time, i32 difficulty; the next frame loads it.
void GameNetworkNode::ReceiveLevelLoad(const GamePacketHeader& header)
{
    uint8_t unit[kLevelLoadSize];
    if (header.unitSize != kLevelLoadSize || ReceivePacketData(unit, 1) != 1)
        return;
    ByteReader in(unit, sizeof unit);
    const String name = GameValueCodec::ReadCharFixed(in, int32_t(sizeof m_LevelLoad.levelName));
    std::snprintf(m_LevelLoad.levelName, sizeof m_LevelLoad.levelName, "%s", name.c_str());
    m_LevelLoad.randomSeed = in.ReadU32();
    m_LevelLoad.gameTime = in.ReadDouble();
    m_LevelLoad.difficulty = int32_t(in.ReadU32());
    SetConnectionState(eLoadingLevel);
    m_ObjectChecksums.clear();
    if (LogsTraffic(1))
        Log::Write("NetRec: level load %s", m_LevelLoad.levelName);
}

// 0x1400: f64 game time, i16 difficulty.
void GameNetworkNode::ReceiveGameBasics(const GamePacketHeader& header)
{
    uint8_t unit[kGameBasicsSize];
    if (header.unitSize != kGameBasicsSize || ReceivePacketData(unit, 1) != 1)
        return;
    ByteReader in(unit, sizeof unit);
    m_GameTime = in.ReadDouble();
    SetDifficulty(int16_t(in.ReadU16()), 1, 1);
    m_TimeSlewTarget = -1.0;
    if (LogsTraffic(1))
        Log::Write("NetRec: GameBasics");
}

// 0x0F00: 20-byte units, ObjRef3, u32 checksum, f32 an object's elapsed time. The list is bounded
// by what the server may ask the client to request.
void GameNetworkNode::ReceiveObjectChecksums(const GamePacketHeader& header)
{
    if (header.unitSize != kChecksumSize)
        return;
    if (LogsTraffic(1))
        Log::Write("NetRec: %i ObjectChecksums", int32_t(header.count));
    uint8_t unit[kChecksumSize];
    while (ReceivePacketData(unit, 1) == 1) {
        if (m_ObjectChecksums.size() >= size_t(WorldCtrl::kMaxObjID) * 2)
            continue;
        ByteReader in(unit, sizeof unit);
        ObjectChecksum record;
        record.ref = GameValueCodec::ReadObjRef3(in);
        record.checksum = in.ReadU32();
        record.value = in.ReadFloat();
        m_ObjectChecksums.push_back(record);
    }
}

// 0x0F01: every listed element is compared with its local block; what differs or is missing is
// requested, a local synchronised element the server does not list is removed.
void GameNetworkNode::CompareObjectChecksums()
{
    if (LogsTraffic(1))
        Log::Write("NetRec: ObjectChecksums finished");
    m_NumberOfObjSyncsToReceive = 0;
    m_TotalSyncsRequested = 0;
    m_RequestedSyncList.DeleteAll();
    std::vector<ObjRef3> missing;
    missing.reserve(4096);

    // Walls have no mark of their own: theirs are kept by slot for this comparison.
    std::vector<int32_t> wallMarks(size_t(m_World.GetNumWalls()), kMarkUnlisted);
    std::vector<int32_t> wallSlots(wallMarks.size());
    for (int32_t i = 0; i < int32_t(wallSlots.size()); ++i)
        wallSlots[size_t(i)] = m_World.GetWallSlotAt(i);
    for (int32_t id = m_World.NextObjID(-1); id >= 0; id = m_World.NextObjID(id))
        if (WorldElem* elem = m_World.GetObjNoCheck(id, false))
            elem->m_CompareMark = kMarkUnlisted;

    File file;
    file.CreateMemoryFile(kMemoryStep);
    for (const ObjectChecksum& record : m_ObjectChecksums) {
        WorldElemBase* found = m_World.GetObjByIdentifierChecked(record.ref);
        if (!found) {
            missing.push_back(record.ref);
            continue;
        }
        auto* wall = dynamic_cast<VSD_WallIntern*>(found);
        auto* object = wall ? nullptr : dynamic_cast<WorldElem*>(found);
        if (!wall && !object) {
            Warning("Internal error: none recognized object type in checksum data");
            continue;
        }
        if (object)
            object->m_Age = double(record.value);
        const uint8_t netSync = wall ? wall->m_NetSync : object->m_NetSync;
        int32_t mark = kMarkMatches;
        if (netSync != 0) {
            if (WriteSyncBlock(file, *found, false, false) < 0)
                continue;
            mark = file.GetChecksum() == record.checksum ? kMarkMatches : kMarkDiffers;
        }
        if (object)
            object->m_CompareMark = mark;
        else
            for (size_t i = 0; i < wallSlots.size(); ++i)
                if (m_World.GetWallSafe(wallSlots[i]) == wall)
                    wallMarks[i] = mark;
    }

    bool sent = true;
    const auto request = [&](uint8_t flags, const ObjRef3& ref) {
        sent = sent && SendSyncRequest(flags, ref);
        if (!sent)
            return;
        *m_RequestedSyncList.GetBySlot(m_RequestedSyncList.Add()) = ref;
        ++m_NumberOfObjSyncsToReceive;
    };
    for (const ObjRef3& ref : missing)
        request(kSyncItemCreated, ref);
    for (int32_t id = m_World.NextObjID(-1); sent && id >= 0; id = m_World.NextObjID(id)) {
        WorldElem* elem = m_World.GetObjNoCheck(id, false);
        if (!elem || elem->m_NetSync == 0)
            continue;
        if (elem->m_CompareMark == kMarkUnlisted && elem != GetMainChar()) {
            OnObjectDeleted(id, 0);
            m_World.DelObj(id, 0);
        } else if (elem->m_CompareMark == kMarkDiffers)
            request(0, ObjRef3(elem));
    }
    for (size_t i = 0; sent && i < wallSlots.size(); ++i) {
        VSD_WallIntern* wall = m_World.GetWallSafe(wallSlots[i]);
        if (!wall || wall->m_NetSync == 0)
            continue;
        if (wallMarks[i] == kMarkUnlisted)
            m_World.DelWall(wallSlots[i]);
        else if (wallMarks[i] == kMarkDiffers)
            request(0, ObjRef3(wall));
    }

    SendSyncRequestsDone();
    FinishPacket();
    m_TotalSyncsRequested = m_NumberOfObjSyncsToReceive;
    if (LogsTraffic(1))
        Log::Write("NetSend: %i obj syncs requested", m_TotalSyncsRequested);
    SetConnectionState(eSyncRequested);
    for (int32_t id = m_World.NextObjID(-1); id >= 0; id = m_World.NextObjID(id))
        if (WorldElem* elem = m_World.GetObjNoCheck(id, false))
            elem->m_CompareMark = kMarkUnlisted;
    m_ObjectChecksums.clear();
    if (m_NumberOfObjSyncsToReceive == 0)
        ReportLevelSynced();
}

void GameNetworkNode::ReportLevelSynced()
{
    SetConnectionState(eSynced);
    SendLevelSynced();
    Log::Write("Net: level synced");
    FinishPacket();
}

void GameNetworkNode::AnswerSyncRequest(const ObjRef3& ref)
{
    for (int32_t slot = m_RequestedSyncList.NextUsedSlot(-1); slot >= 0; slot = m_RequestedSyncList.NextUsedSlot(slot))
        if (m_RequestedSyncList.GetBySlot(slot)->Equals(ref)) {
            m_RequestedSyncList.Delete(slot);
            break;
        }
    if (m_NumberOfObjSyncsToReceive <= 0)
        return;
    if (--m_NumberOfObjSyncsToReceive == 0 && m_ConnectionState >= eSyncRequested && m_ConnectionState < eSynced)
        ReportLevelSynced();
}

// 0x1100 and 0x1101: one unit of free length, the 13-byte item (flags, ObjRef3) and the sync data
// block of the element.
bool GameNetworkNode::ReceiveNetworkData_ObjectSync(bool requested)
{
    uint8_t item[kSyncItemSize];
    if (!ReceiveData(item, sizeof item)) {
        Warning("ReceiveNetworkData_ObjectSync failed");
        return false;
    }
    ByteReader in(item, sizeof item);
    uint8_t flags = in.ReadU8();
    const ObjRef3 ref = GameValueCodec::ReadObjRef3(in);
    if (requested && m_ConnectionState == eSyncRequested)
        SetConnectionState(eSyncing);

    File file;
    if (!ReceiveUnitRest(file))
        return false;
    const bool isWall = ref.type == ElemType::kWall;
    SyncBlockHead head;
    if (!ReadSyncBlockHead(file, isWall, head)) {
        Warning("ReceiveNetworkData_ObjectSync failed: block of %i cut short", ref.objID);
        return false;
    }
    if (LogsTraffic(1))
        Log::Write(isWall ? "NetRec: wall sync%s: %i - %s" : "NetRec: obj sync%s: %i - %s",
                   (flags & kSyncItemShort) ? " simple" : "", ref.objID, head.name.c_str());

    WorldElemBase* elem = m_World.GetObjByIdentifierChecked(ref);
    VSD_WallIntern* madeWall = nullptr;
    if (!elem) {
        if (isWall) {
            elem = madeWall = MakeSyncedWall(ref, head, flags);
        } else {
            WorldObjectCreateParams params;
            params.SetDefaults();
            params.networkClient = 1;
            const int32_t entry = FindWorldObjectTypeIndex(head.name.c_str());
            if (entry < 0)
                Error("World object '%s' not found", head.name.c_str());
            WorldElem* made = CreateWorldObjectFromEntry(entry, params);
            if (made && ClaimObjectID(*made, ref.objID, false))
                made->m_MyRnd = int32_t(ref.myRnd);  // later references of the server name it so
            elem = made;
        }
    }
    if (elem && !ApplySyncBlock(file, flags, head, *elem))
        Warning("Internal error: none recognized object type in ReceiveNetworkData_ObjectSync");
    if (madeWall && madeWall->m_LinkToParent && !madeWall->m_Parent.Get()) {
        // A wall that acts for an element arrives with it; alone it would block without an owner.
        Warning("Netsync: Child wall without proper parent");
        m_World.DelWall(ref.objID);
        elem = nullptr;
    }
    if (auto* object = dynamic_cast<WorldElem*>(elem))
        object->m_NetworkSynced = 1;
    if (requested)
        AnswerSyncRequest(ref);
    return true;
}

// A wall the server has and this side does not: made from the level's wall definition of its name
// at the server's ID. The short form carries nothing but the name and the end points, so it needs a
// known name; the full form brings the wall's own state, which a wall of no definition takes.
VSD_WallIntern* GameNetworkNode::MakeSyncedWall(const ObjRef3& ref, const SyncBlockHead& head, uint8_t flags)
{
    if (ref.objID < 0 || ref.objID >= WorldCtrl::kMaxObjID) {
        Warning("Wall sync for invalid wall ID %i dropped", ref.objID);  // checked before a wall is made
        return nullptr;
    }
    const int32_t type = head.name.IsEmpty() ? -1 : FindWallTypeIndex(head.name.c_str());
    VSD_WallEntry entry;
    if ((type < 0 && (flags & kSyncItemShort)) || !entry.SetEnds(head.ends)) {
        Warning("Wall simple sync without valid cfgID received");
        return nullptr;
    }
    int32_t id = -1;
    if (type >= 0) {
        entry.descId = int16_t(type);
        id = m_World.ReadWallProperties(entry, 1, 0, 0);
    } else {
        VSD_WallIntern scratch;
        scratch.m_CfgID = head.name;
        scratch.m_X1 = entry.x1;
        scratch.m_Y1 = entry.y1;
        scratch.m_X2 = entry.x2;
        scratch.m_Y2 = entry.y2;
        id = m_World.InsertWall(scratch, 1, 0);
    }
    if (id < 0)
        return nullptr;
    if (id != ref.objID) {
        if (m_World.IsValidWall(ref.objID))
            m_World.MoveWallToFreeID(ref.objID);  // a wall of this side's own gives way to the server's
        m_World.MoveWallToID(id, ref.objID);
    }
    VSD_WallIntern* wall = m_World.GetWallSafe(ref.objID);
    if (wall)
        wall->m_CfgID = head.name;
    return wall;
}

// 0x1102: 12-byte units, the ObjRef3 of each requested element the server does not have.
void GameNetworkNode::ReceiveNotExisting(const GamePacketHeader& header)
{
    if (header.unitSize != GameValueCodec::kObjRef3Size)
        return;
    uint8_t unit[GameValueCodec::kObjRef3Size];
    while (ReceivePacketData(unit, 1) == 1) {
        ByteReader in(unit, sizeof unit);
        const ObjRef3 ref = GameValueCodec::ReadObjRef3(in);
        if (LogsTraffic(1))
            Log::Write("NetRec: Obj/wall not existing: %i", ref.objID);
        AnswerSyncRequest(ref);
    }
}

// 0x0700: NetObjPos of the character, u32 the value it keeps. The local main character takes the
// server's object ID and place, and the game runs.
void GameNetworkNode::HandleSetMainChar()
{
    uint8_t unit[kSetMainCharSize];
    if (GetReceivedHeader().unitSize != kSetMainCharSize || ReceivePacketData(unit, 1) != 1) {
        Warning("SetMainChar of %i bytes dropped", GetReceivedHeader().unitSize);
        return;
    }
    ByteReader in(unit, sizeof unit);
    const NetObjPos pos = GameValueCodec::ReadNetObjPos(in);
    const uint32_t value = in.ReadU32();
    if (LogsTraffic(1))
        Log::Write("NetRec: set mainchar to objID %i", pos.ref.objID);
    CreatureObj* mainChar = GetMainChar();
    if (!mainChar)
        Error("No main char at NetRec SetMainChar");
    ClaimObjectID(*mainChar, pos.ref.objID, false);
    // The server's check value too: every reference to the character it receives must resolve.
    mainChar->m_MyRnd = int32_t(pos.ref.myRnd);
    mainChar->m_Party = int32_t(value);
    mainChar->SetPos(pos.x, pos.y);
    mainChar->SetAngle(pos.angle);
    OnObjectAdded(mainChar->m_ObjID);
    SetConnectionState(eRunningGame);
}
