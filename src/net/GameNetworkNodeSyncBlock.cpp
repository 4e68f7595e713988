// GameNetworkNode: the sync data block that carries one wall or object from the server to a
// client: written by the server for its checksums and its sync messages, read and applied by the
// client, so that both sides agree on every byte.
#include "net/GameNetworkNode.h"

#include "base/ByteReader.h"
#include "base/File.h"
#include "game/objects/CreatureObj.h"
#include "game/objects/CreatureSyncData.h"
#include "game/objects/ItemObj.h"
#include "level/VSD_WallIntern.h"
#include "world/WorldElem.h"

namespace {

// Bit 0 of the short state's flags: the element is fading out or gone from view.
constexpr uint8_t kShortFading = 0x01;
constexpr int32_t kPackedMethod = 3;

bool IsFading(const WorldElem& elem) { return !(elem.m_Opacity > 0.0f && elem.m_FadeRate >= 0.0f); }

// The short object state (23 bytes):
//   0  f32  x          4  f32  y          8  f32  own angle   (own values: relative to a parent)
//  12  f32  own height
//  16  u32  party
//  20  u16  open state of an item, else 0
//  22  u8   flags: bit 0 fading out or gone from view
void WriteShortState(File& file, WorldElem& elem)
{
    file.WriteFloat(elem.m_PosX);
    file.WriteFloat(elem.m_PosY);
    file.WriteFloat(elem.m_Angle);
    file.WriteFloat(elem.m_Height);
    file.WriteInt32(int32_t(GameNetworkNode::StateValueOf(elem)));
    const auto* item = dynamic_cast<const ItemObj*>(&elem);
    file.WriteInt16(item ? item->GetOpenState() : 0);
    file.WriteInt8(IsFading(elem) ? kShortFading : 0);
}

bool ApplyShortState(File& file, WorldElem& elem)
{
    float x = 0.0f, y = 0.0f, angle = 0.0f, height = 0.0f;
    int32_t party = 0;
    uint16_t openState = 0;
    uint8_t flags = 0;
    if (!file.ReadFloat(&x) || !file.ReadFloat(&y) || !file.ReadFloat(&angle) || !file.ReadFloat(&height) ||
        !file.ReadInt32(&party) || !file.ReadInt16(&openState) || !file.ReadInt8(&flags))
        return false;
    elem.SetPos(x, y);
    elem.SetAngle(angle);
    elem.SetHeight(height);
    elem.SetParty(party);
    if (auto* item = dynamic_cast<ItemObj*>(&elem))
        item->SetOpenState(openState, false);
    const bool fading = (flags & kShortFading) != 0;
    if (fading && !IsFading(elem))
        elem.FadeOut(WorldElem::kCommonFadeTime);
    else if (!fading && IsFading(elem))
        elem.FadeIn(WorldElem::kCommonFadeTime);
    return true;
}

}  // namespace

uint32_t GameNetworkNode::StateValueOf(const WorldElem& elem) { return uint32_t(elem.m_Party); }

int32_t GameNetworkNode::WriteSyncBlock(File& file, WorldElemBase& elem, bool allowShort, bool compress)
{
    auto* wall = dynamic_cast<VSD_WallIntern*>(&elem);
    auto* object = wall ? nullptr : dynamic_cast<WorldElem*>(&elem);
    if ((wall && elem.m_TypeCode != ElemType::kWall) || (!wall && !object)) {
        Warning("Internal error: none recognized object type in sync data: %i", int32_t(elem.m_TypeCode));
        return -1;
    }
    file.ClearMemory();
    file.WriteInt16Value(uint16_t(kSyncBlockFormat));
    file.WriteString(elem.m_CfgID);
    int32_t form = 0;
    if (wall) {
        const float ends[4] = {wall->m_X1, wall->m_Y1, wall->m_X2, wall->m_Y2};
        file.WriteFloats(ends, 4);
        if (allowShort && wall->m_NetSync < 2 && !elem.m_CfgID.IsEmpty())
            return kSyncItemShort;
    } else if (allowShort && object->m_NetSync == 1) {
        WriteShortState(file, *object);
        form = kSyncItemShort;
        if (auto* creature = dynamic_cast<CreatureObj*>(object)) {
            CreatureSyncData record;
            record.Fill(*creature);
            uint8_t bytes[CreatureSyncData::kSize];
            ByteWriter out(bytes, sizeof bytes);
            record.Write(out);
            file.Write(bytes, sizeof bytes);
            form |= kSyncItemCreature;
        }
        return form;
    }
    elem.Save(file, true);
    if (compress) {
        // The whole block goes into the packed container; the checksum stays the plain block's.
        file.SetCompression(kPackedMethod);
        file.Flush();
        file.SetCompression(0);
    }
    return form;
}

bool GameNetworkNode::ReadSyncBlockHead(File& file, bool wall, SyncBlockHead& head)
{
    if (!file.UnpackOnOpen(kMaxSyncBlockBytes))
        return false;
    if (file.GetRemaining() < 2)
        return false;
    // Kept as the file's version: the saved state's records decide their layout by it.
    const uint16_t format = file.ReadInt16Member();
    if (format != uint16_t(kSyncBlockFormat) || !file.ReadString(head.name))
        return false;
    file.SetVersion(format);
    head.wall = wall;
    if (wall)
        for (float& end : head.ends)
            if (!file.ReadFloat(&end))
                return false;
    return true;
}

bool GameNetworkNode::ApplySyncBlock(File& file, uint8_t& itemFlags, const SyncBlockHead& head, WorldElemBase& elem)
{
    if (head.wall) {
        auto* wall = dynamic_cast<VSD_WallIntern*>(&elem);
        if (!wall)
            return false;
        wall->SetEndPoints(head.ends[0], head.ends[1], head.ends[2], head.ends[3]);
        if (itemFlags & kSyncItemShort)
            return true;
        elem.Load(file, true);
        return true;
    }
    auto* object = dynamic_cast<WorldElem*>(&elem);
    if (!object)
        return false;
    if (!(itemFlags & kSyncItemShort)) {
        elem.Load(file, true);
        return true;
    }
    if (!ApplyShortState(file, *object))
        return false;
    auto* creature = dynamic_cast<CreatureObj*>(object);
    if (!creature)
        return true;
    ByteReader reader(file.GetMemoryBuffer() + file.GetPos(), size_t(file.GetRemaining()));
    if (!ReadCreatureSyncData(reader, itemFlags, *creature)) {
        itemFlags &= uint8_t(~kSyncItemCreature);
        return true;  // the object's own state stands; its creature record is reported and dropped
    }
    file.Seek(file.GetPos() + int32_t(reader.GetPosition()));
    return true;
}
