// Item_SF: copy, socket count and the save record of the game's item.
#include "scifi/objects/Item_SF.h"

#include "base/File.h"
#include "base/FileRecordReader.h"
#include "world/GameCtrlInterface.h"
#include "world/KI_Strategy.h"
#include "world/WorldCtrl.h"

namespace {

constexpr int64_t kNameBytes = 4;  // the least a String of the record takes: its length

}  // namespace

Item_SF& Item_SF::operator=(const Item_SF& other)
{
    if (this != &other) {
        ItemBase::operator=(other);
        CopyOwnMembers(other);
    }
    return *this;
}

void Item_SF::CopyOwnMembers(const Item_SF& other)
{
    m_SocketedNames.CopyElementsFrom(other.m_SocketedNames);
    m_Strategies.Assign(other.m_Strategies);
    m_Tier = other.m_Tier;
}

void Item_SF::CopyTo(cfDynamicObject* other) const
{
    if (auto* item = dynamic_cast<Item_SF*>(other))
        *item = *this;
    else
        ItemBase::CopyTo(other);
}

int32_t Item_SF::GetSocketCount() const
{
    for (int32_t position = 0; position < GetAbilityCount(); position++) {
        const ItemAbility* ability = GetAbility(position);
        if (ability && ability->type == kSocketAbility)
            return ability->subtype;
    }
    return 0;
}

void Item_SF::Save(File& stream, int32_t flag)
{
    ItemBase::Save(stream, flag);
    stream.WriteInt16(m_SocketedNames.GetSize());
    for (int32_t position = 0; position < m_SocketedNames.GetSize(); position++)
        stream.WriteString(*m_SocketedNames.GetAt(position));
    stream.WriteInt16(m_Strategies.GetSize());
    for (int32_t position = 0; position < m_Strategies.GetSize(); position++)
        stream.WriteString(m_Strategies.GetAt(position)->name);
    stream.WriteInt32(m_Tier);
}

void Item_SF::Load(File& stream, int32_t itemVersion, int32_t extra)
{
    const uint16_t version = stream.GetLastInt16();  // the stream's version, as the engine's part reads it
    ItemBase::Load(stream, itemVersion, extra);
    FileRecordReader in(stream, "Item record cut short");
    m_SocketedNames.DeleteAll();
    m_Strategies.RemoveAll();
    const int32_t names = in.CheckCount("Socketed item name", in.I16(), kNameBytes);
    for (int32_t i = 0; i < names; i++)
        in.Text(*m_SocketedNames.GetBySlot(m_SocketedNames.Add()));
    const int32_t strategies = in.CheckCount("Item strategy", in.I16(), kNameBytes);
    WorldCtrl* world = g_GameCtrl ? g_GameCtrl->GetGameWorld() : nullptr;
    for (int32_t i = 0; i < strategies; i++) {
        String name;
        in.Text(name);
        KI_Strategy* strategy = world ? world->FindStrategyEntry(name.c_str(), false) : nullptr;
        if (!strategy) {
            GameCtrlInterface::ReportWarning("Item load: strategy '%s' unknown", name.c_str());
            continue;
        }
        m_Strategies.Add(strategy);
    }
    m_Tier = version < kTierVersion ? 0 : in.I32();
}
