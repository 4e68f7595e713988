// WorldTestSupport: what the world tests share: a world whose grid a test sets directly, an
// element that counts what the world asks of it, an element that records what its moves meet, and
// an input controller that records releases.
#pragma once
#include "level/LevelTestSupport.h"
#include "world/InputCtrlBase.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

using GridWorld = GridViewerOf<WorldCtrl>;

// A grid world that records the scripts it is asked to run ("label|text"), and lets a test act
// in them.
class ScriptWorld : public GridWorld {
public:
    int32_t RunScript(const String& text, WorldElemBase*, int32_t, int32_t, const char* label, int32_t, int32_t) override
    {
        runs.push_back(std::string(label) + "|" + text.c_str());
        if (onRun)
            onRun();
        return 0;
    }
    std::vector<std::string> runs;
    std::function<void()> onRun;
};

// A wall inserted whole (not split), 100 units high at both ends.
inline VSD_WallIntern* AddTestWall(WorldCtrl& world, float x1, float y1, float x2, float y2)
{
    VSD_WallIntern model;
    model.m_X1 = x1;
    model.m_Y1 = y1;
    model.m_X2 = x2;
    model.m_Y2 = y2;
    model.m_Height1 = 100.0f;
    model.m_Height2 = 100.0f;
    return world.GetWall(world.InsertWall(model, 0, 0), true);
}

// An element made with the arguments and entered into the world.
template <class Elem, class... Args> Elem* AddTestElem(WorldCtrl& world, Args... args)
{
    auto* elem = new Elem(args...);
    world.AddObj(elem, 0, false);
    return elem;
}

// An element of a chosen type code that counts its updates and init events.
class TestElem : public WorldElem {
public:
    explicit TestElem(uint16_t typeCode = ElemType::kElem, float x = 0.0f, float y = 0.0f)
    {
        m_TypeCode = typeCode;
        m_PosX = x;
        m_PosY = y;
    }
    void Update(float dt) override
    {
        updates++;
        lastDt = dt;
    }
    bool OnInitEvent() override
    {
        inits++;
        return true;
    }
    int32_t updates = 0;
    float lastDt = 0.0f;
    int32_t inits = 0;
};

// An element that records its collision events, segments, activations and notices, with the
// answers of a creature, an event object or a projectile as a test sets them.
class MovingElem : public TestElem {
public:
    struct Activation {
        WorldElem* activator;
        bool enteredFromOutside;
        double time;
    };
    MovingElem(uint16_t typeCode, float x, float y, float radius) : TestElem(typeCode, x, y) { m_Radius = radius; }

    void OnCollisionEvent(WorldElemBase* other, int32_t arg) override { collisions.push_back({other, arg}); }
    void SetMoveDirection(const D3DXVECTOR2& direction) override
    {
        segments++;
        moveDirection = direction;
    }
    D3DXVECTOR2 GetMoveDirection() override { return wantedDirection; }
    int32_t Activate(WorldElem* activator, bool enteredFromOutside, double time) override
    {
        activations.push_back({activator, enteredFromOutside, time});
        return activateAnswer;
    }
    bool HoldsProjectiles() override { return holdsProjectiles; }
    void OnReachedTarget() override { reachedTarget++; }
    bool TakeFlightHit(WorldElem& target, bool atStart) override
    {
        flightHits.push_back({&target, atStart});
        return hitsInFlight;
    }
    bool CanStepOverLowObstacles() override { return stepsOver; }
    void OnTurnStart(float) override { turnStarts++; }
    void OnBlockedByAngle() override { blockedByAngle++; }
    void OnBlockedByDistance() override { blockedByDistance++; }
    float GetSpeedFor(float, float, float) override { return speed; }
    float GetStopDistance() override { return stopDistance; }
    void StopMoving() override { stops++; }

    std::vector<std::pair<WorldElemBase*, int32_t>> collisions;
    int32_t segments = 0;
    D3DXVECTOR2 moveDirection;
    D3DXVECTOR2 wantedDirection;
    std::vector<Activation> activations;
    int32_t activateAnswer = 1;
    bool holdsProjectiles = false;
    int32_t reachedTarget = 0;
    std::vector<std::pair<WorldElem*, bool>> flightHits;
    bool hitsInFlight = false;
    bool stepsOver = false;
    int32_t turnStarts = 0;
    int32_t blockedByAngle = 0;
    int32_t blockedByDistance = 0;
    float speed = 0.0f;
    float stopDistance = 0.0f;
    int32_t stops = 0;
};

class TestInputCtrl : public InputCtrlBase {
public:
    int32_t GetMode() override { return 3; }
    void RemoveControlledCreature(int32_t index) override { removed.push_back(index); }
    std::vector<int32_t> removed;
};
