// ShaderEntry: one entry of the game's shader configuration: a shader effect with eight fixed float
// and eight fixed vector parameters (each applied only when enabled), a game-time and an opacity
// parameter, and the values the shader loader reads for it. World elements and level lights select
// entries; before an element is drawn its entry's fixed parameters are applied to the effect.
#pragma once
#include "engine/gfx/DXC_ShaderEffect.h"

#include <cstdint>

class ShaderEntry : public DXC_ShaderEffect {
public:
    static constexpr int32_t kParams = 8;

    ShaderEntry() { SetName("ShaderEntry"); }

    // Finds every parameter by name ("fParam%i", "vParam%i" for 1 to 8, "GAMETIME", "OPACITY"),
    // clears the enable flags, and tells the effect whether to keep the device state.
    void LookupParams();
    // Sets every enabled parameter that the effect has, then commits.
    void ApplyParams();
    void SetGameTime(double gameTime);  // the controller's current game time

    D3DXHANDLE m_FloatHandles[kParams] = {};
    D3DXHANDLE m_VectorHandles[kParams] = {};
    D3DXHANDLE m_GameTimeHandle = nullptr;
    D3DXHANDLE m_OpacityHandle = nullptr;
    float m_FloatValues[kParams] = {};
    uint8_t m_FloatEnabled[kParams] = {};
    float m_VectorValues[kParams][3] = {};
    uint8_t m_VectorEnabled[kParams] = {};
    int32_t m_Technique = -1;
    uint8_t m_Valid = 1;            // cleared when the effect does not validate
    int32_t m_RestoreStates = 3;    // "RestoreStates"
    int32_t m_Rank = 0;             // "rank"
    uint8_t m_Transparent = 0;      // "transparent"
};
