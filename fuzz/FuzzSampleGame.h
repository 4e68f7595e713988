// FuzzSampleGame: a copy of the sample game, made once per process and the working directory
// while the process lives (removed at its end), with its game configuration read and the
// graphics object without a device set; and a controller on it with the game data loaded as the
// server's start-up loads it. Inputs rewrite files of the copy, never of the checkout.
#pragma once
#include "FuzzTarget.h"

#include "engine/gfx/DXC_Gfx.h"
#include "game/ctrl/GameCtrl.h"
#include "support/SampleGame.h"
#include "support/TempDir.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace Fuzz {

class SampleGameCopy {
public:
    SampleGameCopy()
    {
        QuietLog();
        CopySampleGame(m_Dir);
        std::filesystem::current_path(m_Dir.Path());
        const std::vector<uint8_t> config = TempDir::ReadAll("cfg/game.cfg");
        GetGameConfig().OpenMemory(reinterpret_cast<const char*>(config.data()), int32_t(config.size()));
        m_Gfx.SetDedicatedMode(1);
        g_Gfx = &m_Gfx;
    }
    ~SampleGameCopy() { g_Gfx = nullptr; }

    // Writes the bytes as a file of the copy (a path with "/"), with a modification time of its
    // own, so that a reader that reloads only changed files reads each input.
    void Write(const std::string& name, const uint8_t* data, size_t size)
    {
        const std::filesystem::path path = m_Dir.Path() / name;
        m_Dir.Write(name, std::string(reinterpret_cast<const char*>(data), size));
        m_Stamp += std::chrono::seconds(2);
        std::filesystem::last_write_time(path, m_Stamp);
    }
    // Puts back the sample game's own file.
    void Restore(const std::string& name)
    {
        const std::filesystem::path from = std::filesystem::path(SERVER_FIXTURES) / ".." / ".." / "gamedata" / name;
        const std::vector<uint8_t> bytes = TempDir::ReadAll(from.string());
        Write(name, bytes.data(), bytes.size());
    }

private:
    TempDir m_Dir;
    DXC_Gfx m_Gfx;
    std::filesystem::file_time_type m_Stamp = std::filesystem::file_time_type::clock::now();
};

inline SampleGameCopy& SampleGame()
{
    static SampleGameCopy copy;
    return copy;
}

// A controller of the sample game with its options, creatures, animations, actions, strategies,
// sounds and items loaded; levels are the caller's.
template <class Ctrl> Ctrl& LoadedCtrl()
{
    static Ctrl* ctrl = [] {
        SampleGame();
        auto* made = new Ctrl;
        made->LoadGameOptions();
        made->LoadCreatureDefinitions();
        made->LoadAniCycleFile();
        made->LoadActions();
        made->LoadStrategies();
        made->LoadSounds();
        made->LoadSampleItems();
        return made;
    }();
    return *ctrl;
}

// The controller the targets use: it loads the sample items as the game's rules do.
class SampleCtrl : public GameCtrl {
public:
    void LoadSampleItems()
    {
        m_ItemReader.SetDescKey("desc");
        if (m_ItemReader.Load("cfg\\items.cfg") != 0)
            Finding("the sample game's items do not load");
        m_ItemTable.clear();
        for (int32_t i = 0; i < m_ItemReader.GetNumEntries(); ++i)
            m_ItemTable.emplace_back(CreateItem());
        for (int32_t i = 0; i < m_ItemReader.GetNumEntries(); ++i)
            LoadItems(m_ItemReader, i, *m_ItemTable[size_t(i)], true);
    }
};

}  // namespace Fuzz
