// WorldObjectTestSupport: the sample game loaded in the order of the server's start-up, with the
// sample level in its world and the creation tests' own entries beside the sample's.
#pragma once
#include "base/ConfigFileReader.h"
#include "base/Log.h"
#include "game/ctrl/GameCtrl.h"
#include "world/WorldCtrl.h"

#include "support/ErrorOf.h"
#include "support/FixtureRoot.h"
#include "support/GameConfigText.h"
#include "support/ScopedGfx.h"
#include "support/TempDir.h"

#include "GameCtrlTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

class SampleGameCtrl : public GameCtrl {
public:
    // "cfg\items.cfg" into the item table, as the game's rules read it.
    void LoadSampleItems()
    {
        m_ItemReader.SetDescKey("desc");
        ASSERT_EQ(m_ItemReader.Load("cfg\\items.cfg"), 0);
        m_ItemTable.clear();
        for (int32_t i = 0; i < m_ItemReader.GetNumEntries(); ++i)
            m_ItemTable.emplace_back(CreateItem());
        for (int32_t i = 0; i < m_ItemReader.GetNumEntries(); ++i)
            LoadItems(m_ItemReader, i, *m_ItemTable[size_t(i)], true);
    }
    // Places in the world's element table that hold an element.
    int32_t CountElements() { return GetWorld().GetNumElements(); }
};

// Ctrl: the controller class, SampleGameCtrl or one derived from it.
template <class Ctrl> class BasicSampleGame {
public:
    BasicSampleGame()
    {
        const std::vector<uint8_t> config = TempDir::ReadAll(Root() + "/cfg/game.cfg");
        m_Config.Load(std::string(config.begin(), config.end()));
        ctrl = std::make_unique<Ctrl>();
        ctrl->LoadGameOptions();
        ctrl->LoadCreatureDefinitions();
        ctrl->LoadAniCycleFile();
        ctrl->LoadActions();
        ctrl->LoadStrategies();
        ctrl->LoadSounds();
        ctrl->LoadSampleItems();
        level = ErrorOf([&] { ctrl->GetWorld().LoadLevelData("levels\\sample\\sample.vsd", 1, 0); });
    }
    // The creation tests' own entries after the sample's.
    void AddTestEntries()
    {
        ctrl->GetObjectCfgFiles().AddFile(CtrlFixture("worldobjects.cfg").c_str());
        ctrl->LoadWorldObjectFiles();
    }
    // Made at the middle of the room with the flags of placed objects.
    WorldElem* Make(const char* name)
    {
        const D3DXVECTOR2 at(1280.0f, 1280.0f);
        return ctrl->CreateWorldObject(name, nullptr, true, true, true, false, 0.0f, &at, 0.0f, nullptr, -1);
    }
    static std::string Root() { return std::string(SERVER_FIXTURES) + "/../../gamedata"; }

private:
    int m_LogFirst = (Log::Write("sample game at %s", Root().c_str()), 0);  // the log stays where the test started
    ScopedCurrentDir m_Dir{Root()};
    ScopedGfx m_Gfx;
    ScopedGameConfig m_Config;

public:
    std::unique_ptr<Ctrl> ctrl;
    std::string level;  // the level load's error, "no error"
};

using SampleGame = BasicSampleGame<SampleGameCtrl>;
