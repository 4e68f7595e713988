// DXC_ShaderEffect: a shader effect shared through the effect manager, with its parameter table:
// handles by name or semantic, the eight numbered float and vector parameters ("fParam%i",
// "vParam%i") with their values at load time, setters that report failures, and the commit.
// Effects are only compiled where a device exists; without one a material's effect stays empty,
// and an effect a caller made in memory can be taken over (Initialise).
#pragma once
#include "engine/gfx/DXC_ResourceBase.h"
#include "platform/D3DXEffect.h"

#include <cstdint>

class DXC_Gfx;

// The record shared by everyone who loaded the same effect: the effect and what was found in it
// when it was taken over.
struct DXC_EffectRecord {
    static constexpr int32_t kNumberedParams = 8;

    ID3DXEffect* effect = nullptr;  // one reference, the record's
    D3DXHANDLE floatParams[kNumberedParams] = {};
    float floatDefaults[kNumberedParams] = {};
    D3DXHANDLE vectorParams[kNumberedParams] = {};
    D3DXVECTOR4 vectorDefaults[kNumberedParams];
    int32_t parameterCount = 0;
    int32_t techniqueCount = 0;
    uint8_t disabled = 0;  // no technique can run
};

class DXC_ShaderEffect : public DXC_ResourceBase {
public:
    static constexpr int32_t kNumberedParams = DXC_EffectRecord::kNumberedParams;

    DXC_ShaderEffect() { SetName("DXC_ShaderEffect"); }
    ~DXC_ShaderEffect() override { Release(); }
    DXC_ShaderEffect(const DXC_ShaderEffect&) = delete;
    DXC_ShaderEffect& operator=(const DXC_ShaderEffect&) = delete;

    // Takes over an effect (and its one reference) in place of the present one: finds the numbered
    // parameters and keeps their values, counts parameters and techniques, and selects the first
    // technique. With gfx the record is entered under key in its effect manager, so that others
    // can share it; without, it is this object's alone. Returns whether a technique can run.
    bool Initialise(DXC_Gfx* gfx, ID3DXEffect* made, const char* key);
    bool IsValid() const { return effect != nullptr && !effect->disabled; }
    // Shares other's effect: one more reference in its manager.
    void ShareFrom(const DXC_ShaderEffect& other);
    // Gives the reference back; the last one frees the record and its effect.
    void Release();

    D3DXHANDLE GetParameterByName(const char* name) const;
    D3DXHANDLE GetParameterBySemantic(const char* semantic) const;
    // Errors "Can not SetParameter :%s" when the effect refuses.
    void SetFloat(D3DXHANDLE parameter, float value);
    void SetVector4(D3DXHANDLE parameter, float x, float y, float z, float w);
    void SetVector3(D3DXHANDLE parameter, float x, float y, float z) { SetVector4(parameter, x, y, z, z); }
    // Numbered parameter n (1 to 8); false, with nothing set, for another n or a parameter the
    // effect lacks. The vector's fourth component is 0.
    bool SetFloatParam(float value, int32_t n);
    bool SetVectorParam(float x, float y, float z, int32_t n);
    // Sends the changed parameters; only between the begin and the end of drawing.
    void CommitChanges();
    void SetSaveState(bool flag) { saveState = flag ? 1 : 0; }
    bool GetSaveState() const { return saveState != 0; }

    DXC_EffectRecord* effect = nullptr;  // shared; none without a device or a taken-over effect
    DXC_Gfx* gfx = nullptr;
    int32_t currentTechnique = -1;
    uint8_t runInitPasses = 1;
    uint8_t saveState = 1;  // the effect keeps the device state around drawing
    uint8_t inDrawing = 0;
    uint8_t unreadFlag = 1;
    uint8_t restoreParams = 1;  // after drawing the numbered parameters return to their load-time values
    uint8_t resetTexCoords = 1;
};
