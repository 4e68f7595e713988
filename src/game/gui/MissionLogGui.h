// MissionLogGui: the mission log: its entries (a kind, 0 news, 1 mission, 2 item, 3 book, and the
// key of its text), the first entry added since the window was last opened, showing and hiding,
// and its block of the saved game. It draws nothing yet; the server fills it all the same.
#pragma once
#include "base/String.h"
#include "game/gui/GameGuiField.h"

#include <cstdint>
#include <vector>

class File;

class MissionLogGui : public GameGuiField {
public:
    enum Kind : int32_t { kNews = 0, kMission = 1, kItem = 2, kBook = 3 };
    static constexpr uint16_t kFirstNewEntryVersion = 253;  // older saves lack the leading word

    struct Entry {
        int32_t kind = 0;
        String key;
    };

    explicit MissionLogGui(bool createChildren = true) : GameGuiField("MissionLogGui", createChildren) {}

    // A book already in the log is not added again.
    void AddEntry(int32_t kind, const String& key);
    // Every entry goes; none is new.
    void Clear()
    {
        m_Entries.clear();
        m_Selected = -1;
    }
    int32_t GetEntryCount() const { return int32_t(m_Entries.size()); }
    const Entry& GetEntry(int32_t index) const { return m_Entries[size_t(index)]; }
    // The oldest entry added since the window was last opened; -1 none.
    int32_t GetSelected() const { return m_Selected; }
    // Opening the window shows the new entries: none is new afterwards.
    void SetOpenState(bool open) override;

    // The block of "game.sv": i32 first new entry (-1 none; only from version 253 on), i32 count,
    // then per entry i32 kind and the key as a File string. Save always writes the leading word.
    void Save(File& file) const;
    // The entries are added again in file order; skipEntries reads them and drops them (a block
    // older than version 253 still empties the log). A count that the bytes left cannot hold, or a
    // block cut short, is the file's error and leaves the log as it was.
    void Load(File& file, bool skipEntries);

private:
    std::vector<Entry> m_Entries;
    int32_t m_Selected = -1;
};
