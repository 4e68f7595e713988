// MissionLogGui: the mission log: its entries (a kind, 0 news, 1 mission, 2 item, 3 book, and
// the key of its text) and the selected one; so far a closed field that draws nothing.
#pragma once
#include "base/String.h"
#include "game/gui/GameGuiField.h"

#include <cstdint>
#include <vector>

class File;

class MissionLogGui : public GameGuiField {
public:
    struct Entry {
        int32_t kind = 0;
        String key;
    };

    explicit MissionLogGui(bool createChildren = true) : GameGuiField("MissionLogGui", createChildren) {}

    void AddEntry(int32_t kind, const String& key) { m_Entries.push_back(Entry{kind, key}); }
    // Every entry goes; none is selected.
    void Clear()
    {
        m_Entries.clear();
        m_Selected = -1;
    }
    int32_t GetEntryCount() const { return int32_t(m_Entries.size()); }
    const Entry& GetEntry(int32_t index) const { return m_Entries[size_t(index)]; }
    int32_t GetSelected() const { return m_Selected; }
    // The log's block of "game.sv" (MissionLogGuiSave.cpp).
    void Save(File& file) const;

private:
    std::vector<Entry> m_Entries;
    int32_t m_Selected = -1;
};
