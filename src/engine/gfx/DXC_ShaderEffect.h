// DXC_ShaderEffect: a shader effect shared through the effect manager. When an effect is taken
// over its engine parameters are found by semantic once, its techniques and passes are read into
// a table with the render target, clear colour and init flag each pass asks for in its
// annotations, and a technique the device can run is selected; drawing then runs Begin, a
// BeginPass/EndPass pair per pass and End. The eight numbered parameters ("fParam%i", "vParam%i")
// keep their values of load time, to which End puts them back.
//
// The class is split by role:
//   DXC_ShaderEffect.cpp        taking over, sharing, releasing, parameters and setters
//   DXC_ShaderEffectPasses.cpp  the technique and pass tables, technique selection and the
//                               drawing brackets with their render-target switches
// Effects are only compiled where a device exists (DXC_Gfx::LoadEffect); an effect a caller made
// in memory can be taken over as well.
#pragma once
#include "engine/gfx/DXC_ResourceBase.h"
#include "platform/D3DXEffect.h"

#include <cstdint>
#include <vector>

class DXC_Gfx;
class IDirect3DSurface9;

// Where a pass draws: what its "RenderTarget" annotation names.
enum DXC_PassTarget : int32_t {
    PASS_TARGET_CURRENT = 0,
    PASS_TARGET_QUARTER_BUFFER = 1,  // "ScreenQuarterBuffer1" to "ScreenQuarterBuffer3"
    PASS_TARGET_SCREEN_BUFFER = 2,   // "ScreenBuffer1" and "ScreenBuffer2"
    PASS_TARGET_INITIAL = 3,         // "Initial": the target before the first switch
    PASS_TARGET_CUSTOM = 4,          // "Custom": the graphics object's render-target texture
};

struct DXC_EffectPass {
    int32_t targetKind = PASS_TARGET_CURRENT;
    int32_t bufferNumber = 0;  // from 0
    uint8_t initPass = 0;      // runs only in the first drawing after a load or release
    uint8_t noVertexShader = 0;
    uint8_t hasClearColor = 0;
    uint32_t clearColor = 0xFF000000u;
    uint8_t handsOver = 0;  // while the graphics object has a secondary effect, that one draws this pass
};

struct DXC_EffectTechnique {
    int32_t passCount = 0;
    D3DXHANDLE handle = nullptr;
    std::vector<DXC_EffectPass> passes;
    uint8_t usesVertexShaders = 0;
    uint8_t usesPixelShaders = 0;  // the last pass decides
};

// The record shared by everyone who loaded the same effect: the effect and what was found in it
// when it was taken over. Handles are null where the effect has no such parameter.
struct DXC_EffectRecord {
    static constexpr int32_t kNumberedParams = 8;
    static constexpr int32_t kMaxResourceTextures = 16;

    ID3DXEffect* effect = nullptr;  // one reference, the record's

    // By semantic, in this order.
    D3DXHANDLE worldViewProjection = nullptr, worldView = nullptr, world = nullptr, worldInverseTranspose = nullptr;
    D3DXHANDLE view = nullptr, viewInverse = nullptr, projection = nullptr, viewProjection = nullptr;
    D3DXHANDLE viewPosition = nullptr;
    D3DXHANDLE diffuseMap = nullptr, selfIllumMap = nullptr, specularMap = nullptr, lightMap = nullptr;
    D3DXHANDLE opacityMap = nullptr, normalMap = nullptr;
    D3DXHANDLE time = nullptr, gameTime = nullptr, elapsedTime = nullptr, random = nullptr;
    D3DXHANDLE fogStartEnd = nullptr, invViewPortDim = nullptr;
    D3DXHANDLE textureMatrix = nullptr;
    int32_t textureMatrixCount = 0;
    D3DXHANDLE texCoordIndex = nullptr;
    D3DXHANDLE isDiffuseMap = nullptr, isSelfIllumMap = nullptr, isLightMap = nullptr, isSpecularMap = nullptr;
    D3DXHANDLE isNormalMap = nullptr, isOpacityMap = nullptr;

    // Every parameter with a "ResourceName" annotation, in parameter order, with that annotation.
    D3DXHANDLE resourceTextures[kMaxResourceTextures] = {};
    D3DXHANDLE resourceNames[kMaxResourceTextures] = {};
    int32_t resourceTextureCount = 0;

    D3DXHANDLE screenCopy = nullptr;
    D3DXHANDLE screenQuarterBuffers[3] = {};
    D3DXHANDLE screenBuffers[2] = {};
    D3DXHANDLE opacity = nullptr, numBlendWeights = nullptr;
    D3DXHANDLE worldMatrixArray = nullptr;
    int32_t worldMatrixCount = 0;  // the bone matrices the effect takes
    D3DXHANDLE reflectionMapType = nullptr, reflectionMap = nullptr, reflectionMapAmount = nullptr;
    D3DXHANDLE transformReflectionMap = nullptr;
    D3DXHANDLE diffuseMaterial = nullptr, ambientMaterial = nullptr, specularMaterial = nullptr;
    D3DXHANDLE specularPower = nullptr, emissiveMaterial = nullptr;
    D3DXHANDLE numDirectionalLights = nullptr, numOmniLights = nullptr;
    D3DXHANDLE omniLightPosition = nullptr, omniLightDiffCol = nullptr, omniLightSpecCol = nullptr;
    D3DXHANDLE omniLightAmbiCol = nullptr, omniLightAttenuation = nullptr;
    D3DXHANDLE directionalLightDirection = nullptr, directionalLightDiffCol = nullptr;
    D3DXHANDLE directionalLightSpecCol = nullptr, ambientColor = nullptr;

    D3DXHANDLE floatParams[kNumberedParams] = {};
    float floatDefaults[kNumberedParams] = {};
    D3DXHANDLE vectorParams[kNumberedParams] = {};
    D3DXVECTOR4 vectorDefaults[kNumberedParams];

    int32_t parameterCount = 0;
    int32_t techniqueCount = 0;
    uint8_t disabled = 0;  // no technique can run on the device
    std::vector<DXC_EffectTechnique> techniques;
};

class DXC_ShaderEffect : public DXC_ResourceBase {
public:
    static constexpr int32_t kNumberedParams = DXC_EffectRecord::kNumberedParams;

    DXC_ShaderEffect() { SetName("DXC_ShaderEffect"); }
    ~DXC_ShaderEffect() override { Release(); }
    DXC_ShaderEffect(const DXC_ShaderEffect&) = delete;
    DXC_ShaderEffect& operator=(const DXC_ShaderEffect&) = delete;

    // Takes over an effect (and its one reference) in place of the present one: finds the
    // parameters by semantic and the numbered ones with their values, reads the technique and
    // pass tables, and selects a technique the device validates (none: disabled). With gfx the
    // record is entered under key in its effect manager, so that others can share it; without,
    // it is this object's alone. Returns whether a technique can run.
    bool Initialise(DXC_Gfx* gfx, ID3DXEffect* made, const char* key);
    // Shares the record found under id in gfx's effect manager (its reference taken already).
    void Attach(DXC_Gfx* gfx, DXC_EffectRecord* record, int32_t id);
    bool IsValid() const { return effect != nullptr && !effect->disabled; }
    // Releases other and makes it share this effect, with one more reference in the manager;
    // false (other left empty) without a manager.
    bool CopyTo(DXC_ShaderEffect& other) const;
    // Gives the reference back; the last one frees the record and its effect.
    void Release();

    D3DXHANDLE GetParameterByName(const char* name) const;
    D3DXHANDLE GetParameterBySemantic(const char* semantic) const;
    bool GetParameterDesc(D3DXHANDLE parameter, D3DXPARAMETER_DESC& desc) const;
    int32_t GetElementCount(D3DXHANDLE parameter) const;  // -1 when the description cannot be read
    // Errors "Can not SetParameter :%s" ("Can not SetArray :%s") when the effect refuses.
    void SetFloat(D3DXHANDLE parameter, float value);
    void SetVector4(D3DXHANDLE parameter, float x, float y, float z, float w);
    void SetVector3(D3DXHANDLE parameter, float x, float y, float z) { SetVector4(parameter, x, y, z, z); }
    void SetVectorArray(D3DXHANDLE parameter, const D3DXVECTOR4* vectors, int32_t count);
    bool GetInt(D3DXHANDLE parameter, int32_t& out) const;
    // Numbered parameter n (1 to 8); false, with nothing set, for another n or a parameter the
    // effect lacks. The vector's fourth component is 0.
    bool SetFloatParam(float value, int32_t n);
    bool SetVectorParam(float x, float y, float z, int32_t n);
    // Sends the changed parameters; only between the begin and the end of drawing.
    void CommitChanges();
    void SetSaveState(bool flag) { saveState = flag ? 1 : 0; }
    bool GetSaveState() const { return saveState != 0; }
    void SetRunInitPasses(bool flag) { runInitPasses = flag ? 1 : 0; }
    bool GetRunInitPasses() const { return runInitPasses != 0; }

    // Techniques (DXC_ShaderEffectPasses.cpp). SetTechnique: n below 0 selects none (true); n at
    // or past the count changes nothing (false); otherwise n, validated when asked.
    bool SetTechnique(int32_t n, bool validate);
    // With no current technique the first one the device validates becomes current (none: the
    // last one, and false); with one, whether the device validates it.
    bool ValidateTechnique();
    int32_t GetTechnique() const { return currentTechnique; }
    // Technique -1: the current one (validated first when none is current).
    bool UsesVertexShaders(int32_t technique = -1);
    bool UsesPixelShaders(int32_t technique = -1);
    bool PassHasNoVertexShader(int32_t pass) const;  // of the current technique

    // Drawing. Begin gives the pass count; BeginPass false means the caller skips the pass (an
    // init pass after the first drawing); End restores the numbered parameters when asked.
    int32_t Begin();
    bool BeginPass(int32_t pass);
    void EndPass();
    void End();

    DXC_EffectRecord* effect = nullptr;  // shared; none without a device or a taken-over effect
    DXC_Gfx* gfx = nullptr;
    int32_t currentTechnique = -1;
    uint8_t runInitPasses = 1;
    uint8_t saveState = 1;  // the effect keeps the device state around drawing
    uint8_t inDrawing = 0;
    uint8_t subsetMaterial = 1;  // the effect takes the subset's material from the device: it is applied first
    uint8_t restoreParams = 1;  // after drawing the numbered parameters return to their load-time values
    uint8_t resetTexCoords = 1;

private:
    void ReadParameters();
    void ReadTechniques();
    void ReadRenderTarget(const char* target, DXC_EffectPass& pass);  // a pass's "RenderTarget"
    const DXC_EffectTechnique* Current() const;
    void RestoreSavedTarget();  // the render target saved by a pass, back, and forgotten
    void ForgetSavedTarget();

    IDirect3DSurface9* savedTarget = nullptr;  // render target 0 before a pass switched it; one reference
};
