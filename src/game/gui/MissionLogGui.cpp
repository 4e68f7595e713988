// MissionLogGui: adding entries, opening the log and its block of the saved game.
#include "game/gui/MissionLogGui.h"

#include "base/File.h"

namespace {

constexpr int32_t kLeastEntryBytes = 8;  // the kind and an empty key's length

}  // namespace

void MissionLogGui::AddEntry(int32_t kind, const String& key)
{
    if (kind == kBook)
        for (const Entry& entry : m_Entries)
            if (entry.kind == kBook && entry.key == key)
                return;
    m_Entries.push_back(Entry{kind, key});
    if (m_Selected == -1)
        m_Selected = GetEntryCount() - 1;
}

void MissionLogGui::SetOpenState(bool open)
{
    if (open && !IsOpen() && m_Selected >= 0)
        m_Selected = -1;
    GameGuiField::SetOpenState(open);
}

void MissionLogGui::Save(File& file) const
{
    file.WriteInt32(m_Selected);
    file.WriteInt32(GetEntryCount());
    for (const Entry& entry : m_Entries) {
        file.WriteInt32(entry.kind);
        file.WriteString(entry.key);
    }
}

void MissionLogGui::Load(File& file, bool skipEntries)
{
    const bool old = file.GetVersion() < kFirstNewEntryVersion;
    int32_t selected = -1;  // an old block has none: its first entry is the new one
    if (!old && !file.ReadInt32(&selected))
        file.Error("mission log: the block ends before its first word");
    int32_t count = 0;
    if (!file.ReadInt32(&count))
        file.Error("mission log: the block ends before its entry count");
    if (count < 0 || count > file.GetRemaining() / kLeastEntryBytes)
        file.Error("mission log: entry count %i exceeds the %i bytes left", count, file.GetRemaining());
    std::vector<Entry> entries(static_cast<size_t>(count));
    for (Entry& entry : entries)
        if (!file.ReadInt32(&entry.kind) || !file.ReadString(entry.key))
            file.Error("mission log: entry %i is cut short", int32_t(&entry - entries.data()));
    if (skipEntries) {
        if (old)
            Clear();  // an old save's log always starts empty
        return;
    }
    Clear();  // only a whole block replaces the log
    m_Selected = selected;
    for (const Entry& entry : entries)
        AddEntry(entry.kind, entry.key);
}
