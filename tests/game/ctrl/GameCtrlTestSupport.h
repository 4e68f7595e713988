// GameCtrlTestSupport: what the controller's tests share: a reader opened on a text, and a game
// directory of its own that is current while it lives.
#pragma once
#include "base/ConfigFileReader.h"
#include "base/GameOptions.h"
#include "base/Log.h"
#include "engine/scene/DXC_3dScene.h"
#include "game/ctrl/Difficulty.h"
#include "game/ctrl/GameCtrl.h"
#include "game/objects/CreatureObj.h"
#include "world/WorldCtrl.h"

#include "support/FixtureRoot.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

// The text opened as a configuration file.
inline void OpenText(ConfigFileReader& reader, const std::string& text)
{
    ASSERT_EQ(reader.OpenMemory(text.data(), int32_t(text.size())), 0);
}

// A fresh game directory, current while it lives. The log is written once before, so that its
// file stays where the test program started.
class GameDir : public TempDir {
public:
    GameDir()
    {
        Log::Write("game directory %s", Path().c_str());
        m_Current = std::make_unique<ScopedCurrentDir>(Path());
    }

private:
    std::unique_ptr<ScopedCurrentDir> m_Current;
};

// The fixture file of this folder's fixtures.
inline std::string CtrlFixture(const char* name) { return std::string(SERVER_FIXTURES) + "/game/ctrl/" + name; }

// Copies a fixture into the game directory.
inline void CopyFixture(const GameDir& dir, const char* fixture, const char* name)
{
    const std::vector<uint8_t> bytes = TempDir::ReadAll(CtrlFixture(fixture));
    ASSERT_FALSE(bytes.empty()) << fixture;
    dir.Write(name, std::string(bytes.begin(), bytes.end()));
}

// Rewrites a file with a modification time of its own, so that a reader sees the change even
// within the second of its last read.
inline void Rewrite(const GameDir& dir, const char* name, const char* text, int seconds)
{
    dir.Write(name, text);
    std::filesystem::last_write_time(dir(name), std::filesystem::last_write_time(dir(name)) +
                                                    std::chrono::seconds(seconds));
}

// The game configuration's text and the program-wide options as the test found them, given back
// when it ends.
class ScopedGameConfig {
public:
    ScopedGameConfig() : m_Options(g_Options)
    {
        const ConfigFileReader& config = GetGameConfig();
        if (config.GetTextLength() > 0)
            m_Saved.assign(config.GetText(), size_t(config.GetTextLength()));
    }
    ~ScopedGameConfig()
    {
        GetGameConfig().OpenMemory(m_Saved.data(), int32_t(m_Saved.size()));
        g_Options = m_Options;
    }
    ScopedGameConfig(const ScopedGameConfig&) = delete;
    ScopedGameConfig& operator=(const ScopedGameConfig&) = delete;

    void Load(const std::string& text) { OpenText(GetGameConfig(), text); }

private:
    std::string m_Saved;
    GameOptions m_Options;
};

// The difficulty record as a test found it, given back when it ends.
class ScopedDifficulty {
public:
    ScopedDifficulty() : m_Saved(g_Difficulty) {}
    ~ScopedDifficulty() { g_Difficulty = m_Saved; }

private:
    Difficulty m_Saved;
};

// A controller with its world, which the options and rules write to.
class WorldGameCtrl : public GameCtrl {
public:
    WorldCtrl& World() { return GetWorld(); }
};

// A creature whose scene holds bones of the given names, for the weights that tables give them.
class BonedCreature {
public:
    explicit BonedCreature(std::initializer_list<const char*> bones)
    {
        for (const char* name : bones)
            m_Scene.objects.GetBySlot(m_Scene.objects.Add())->SetObjectName(name);
        creature.SetScene(&m_Scene);
    }
    float Weight(size_t bone) const { return creature.m_BoneWeights.at(bone); }

private:
    DXC_3dScene m_Scene;  // outlives the creature

public:
    CreatureObj creature;
};
