// FunctionTestCtrl: the game's controller whose one game function, "level", multiplies a value by
// a factor for any element, so that reading an attribute through its function shows.
#pragma once
#include "scifi/ctrl/SciFiGameCtrl.h"

#include <cstring>

class FunctionTestCtrl : public SciFiGameCtrl {
public:
    explicit FunctionTestCtrl(float factor) : m_Factor(factor) {}
    float ApplyGameFunction(float value, const char* name, WorldElem* element) override
    {
        return element && std::strcmp(name, "level") == 0 ? value * m_Factor : value;
    }

private:
    float m_Factor;
};
