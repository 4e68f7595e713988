// WorldTestSupport: what the world tests share: a world whose grid a test sets directly, an
// element that counts what the world asks of it, and an input controller that records releases.
#pragma once
#include "level/LevelTestSupport.h"
#include "world/InputCtrlBase.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

#include <cstdint>
#include <vector>

using GridWorld = GridViewerOf<WorldCtrl>;

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

class TestInputCtrl : public InputCtrlBase {
public:
    int32_t GetMode() override { return 3; }
    void RemoveControlledCreature(int32_t index) override { removed.push_back(index); }
    std::vector<int32_t> removed;
};
