// AITestSupport: a world with an AI input controller, strategies made in it and creatures that
// the controller drives, for the tests of the AI decision and the strategy runner.
#pragma once
#include "game/objects/CreatureObj.h"
#include "game/objects/ai/InputCtrl.h"
#include "world/KI_Strategy.h"
#include "world/WorldTestSupport.h"

#include "game/objects/ActionTestSupport.h"

#include <gtest/gtest.h>

class AITest : public ::testing::Test {
protected:
    AITest()
    {
        ctrl.gameWorld = &world;
        input.SetMode(InputCtrl::kModeAI);
        input.SetWorld(&world);
        CreatureObj::s_EnemySearchCount = 0;
        CreatureObj::s_ReassessCount = 0;
    }

    KI_Strategy& AddStrategy(const char* name)
    {
        KI_Strategy& strategy = *world.GetStrategyTree().Insert(String(name));
        strategy.name = name;
        return strategy;
    }

    // An entry of the block, scoring offset (no curves, scores kept within 0..1000).
    static KI_StratEntry& AddEntry(KI_Strategy& strategy, int32_t block, int32_t type, float offset)
    {
        DynaMem<KI_StratEntry, 4>& entries = strategy.blocks[block].entries;
        KI_StratEntry& entry = *entries.GetBySlot(entries.Add());
        entry.type = type;
        entry.owner = &strategy;
        entry.scaleScore[1] = offset;
        entry.scoreMinMax[0] = 0.0f;
        entry.scoreMinMax[1] = 1000.0f;
        return entry;
    }

    // A linear curve through the points (x, y).
    static void SetCurve(BezierSpline<float>& curve, std::initializer_list<std::pair<float, float>> points)
    {
        curve.SetNumKeys(int32_t(points.size()));
        curve.SetMode(0);
        int32_t i = 0;
        for (const auto& [x, y] : points) {
            curve.GetKey(i).time = x;
            curve.GetKey(i).value = y;
            i++;
        }
    }

    // A creature of the world that the AI drives, at (x, y), in a block the players see.
    CreatureObj* AddCreature(float x, float y, const char* strategy)
    {
        CreatureObj* creature = AddTestElem<CreatureObj>(world);
        input.AddObject(creature, false);
        creature->SetPos(x, y);
        creature->m_InActiveCell = 1;
        if (strategy)
            creature->SetStrategy(String(strategy));
        return creature;
    }

    ActionTestCtrl ctrl;
    ScriptWorld world;
    InputCtrl input;
};
