// ActionTestSupport: a test controller that records the reports of actions (effects, spells,
// the spells it casts, network action reports) beside the attacks and shots the level test
// controller records, and action entries made in a world for the tests.
#pragma once
#include "world/ActionEntry.h"
#include "world/WorldTestSupport.h"

#include <vector>

class ActionTestCtrl : public LevelTestCtrl {
public:
    void ReportAction(WorldElem*, int32_t code, const char*, WorldElem*, int32_t, float) override
    {
        actionReports.push_back(code);
    }
    void ReportActionEffect(WorldElem*, ActionEffect* effect, int32_t index) override
    {
        effects.push_back(effect);
        effectIndexes.push_back(index);
    }
    void ReportActionSpell(WorldElem*, ActionSpell* spell) override { spells.push_back(spell); }
    void ExecuteSpell(WorldElem*, ActionSpell* spell) override { cast.push_back(spell); }
    bool IsNetworkClient() override { return networkClient; }
    // Movement reports of creatures controlled here.
    void ReportMovement(WorldElem*, int32_t code, float, float, float, WorldElem*) override
    {
        movementReports.push_back(code);
    }
    void ReportRotationValue(WorldElem*, float value) override { rotationReports.push_back(value); }
    std::vector<int32_t> movementReports;
    std::vector<float> rotationReports;

    std::vector<int32_t> actionReports;
    std::vector<ActionEffect*> effects;
    std::vector<int32_t> effectIndexes;
    std::vector<ActionSpell*> spells;
    std::vector<ActionSpell*> cast;
    bool networkClient = false;
};

// A new action entry of the world under a name it does not have yet: duration 1 s, no recharge,
// no cycle, no lock.
inline ActionEntry& AddTestAction(WorldCtrl& world, const char* name)
{
    ActionEntry& entry = *world.GetActionTree().Insert(String(name));
    entry.name = name;
    entry.anicycle = -1;
    entry.freePoint = 0.0f;
    return entry;
}
