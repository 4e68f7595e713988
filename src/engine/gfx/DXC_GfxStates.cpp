// DXC_Gfx states: every change of device state goes through here. The raw wrappers report a failed
// call in one way; the cached setters keep an unchanged value off the device; the nesting counters
// let nested drawing code suspend the z-buffer or lighting without knowing what the outer code
// set. None of it runs on the server, which has no device.
#include "engine/gfx/DXC_Gfx.h"

#include "platform/D3D9Device.h"

#include <algorithm>
#include <bit>

IDirect3DDevice9& DXC_Gfx::Device()
{
    if (!device)
        Error("No Direct3D device");
    return *device;
}

int DXC_Gfx::SetRenderState(D3DRENDERSTATETYPE state, DWORD value)
{
    lastResult = Device().SetRenderState(state, value);
    if (FAILED(lastResult))
        Error(" SetRenderState (state %i, value: %i failed: %s", int(state), int(value), GetDirectXErrorName(lastResult));
    return 1;
}

DWORD DXC_Gfx::GetRenderState(D3DRENDERSTATETYPE state)
{
    DWORD value = 0;
    lastResult = Device().GetRenderState(state, &value);
    if (FAILED(lastResult))
        Error(" GetRenderState (state %i failed: %s", int(state), GetDirectXErrorName(lastResult));
    return value;
}

int DXC_Gfx::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value)
{
    lastResult = Device().SetTextureStageState(stage, type, value);
    if (FAILED(lastResult))
        Error(" SetTextureStageState failed: %s (stage %i, type %i, value %i)", GetDirectXErrorName(lastResult),
              int(stage), int(type), int(value));
    return 1;
}

int DXC_Gfx::SetSamplerState(DWORD stage, D3DSAMPLERSTATETYPE type, DWORD value)
{
    lastResult = Device().SetSamplerState(stage, type, value);
    if (FAILED(lastResult))
        Error(" SetSamplerState failed: %s (stage %i, type %i, value %i)", GetDirectXErrorName(lastResult),
              int(stage), int(type), int(value));
    return 1;
}

// The cache takes the value before the send, so after a failed send it holds the new value.
void DXC_Gfx::SetCachedRenderState(int32_t& cached, D3DRENDERSTATETYPE state, int32_t value)
{
    if (cached == value)
        return;
    cached = value;
    SetRenderState(state, DWORD(value));
}

void DXC_Gfx::SetCachedRenderState(float& cached, D3DRENDERSTATETYPE state, float value)
{
    if (cached == value)
        return;
    cached = value;
    SetRenderState(state, std::bit_cast<DWORD>(value));
}

int DXC_Gfx::SetClipping(int32_t value)
{
    states.requestedClipping = value;
    return SetRenderState(D3DRS_CLIPPING, DWORD(value));
}

int DXC_Gfx::SetPatchEdgeStyle(int32_t value)
{
    states.requestedPatchEdgeStyle = value;
    return SetRenderState(D3DRS_PATCHEDGESTYLE, DWORD(value));
}

int DXC_Gfx::SetZWriteEnable(int32_t on)
{
    states.requestedZWriteEnable = on;
    SetCachedRenderState(states.zWriteEnable, D3DRS_ZWRITEENABLE, on);
    return 1;
}

int DXC_Gfx::SetStencilEnable(int32_t on)
{
    states.requestedStencilEnable = on;
    SetCachedRenderState(states.stencilEnable, D3DRS_STENCILENABLE, on);
    return 1;
}

int DXC_Gfx::SetStencilOps(DWORD pass, DWORD fail, DWORD zFail)
{
    SetRenderState(D3DRS_STENCILPASS, pass);
    SetRenderState(D3DRS_STENCILFAIL, fail);
    SetRenderState(D3DRS_STENCILZFAIL, zFail);
    return 1;
}

int DXC_Gfx::SetStencilFunc(DWORD function, DWORD reference)
{
    SetCachedRenderState(states.stencilFunc, D3DRS_STENCILFUNC, int32_t(function));
    if (states.stencilRef != int32_t(reference)) {
        SetRenderState(D3DRS_STENCILREF, reference);
        states.stencilRef = int32_t(reference);  // only once the device has it
    }
    return 1;
}

int DXC_Gfx::SetAlphaBlendEnable(int32_t on)
{
    SetCachedRenderState(states.alphaBlendEnable, D3DRS_ALPHABLENDENABLE, on);
    return 1;
}

int DXC_Gfx::SetSpecularEnable(int32_t on)
{
    states.requestedSpecularEnable = on;
    SetCachedRenderState(states.specularEnable, D3DRS_SPECULARENABLE, on);
    return 1;
}

int DXC_Gfx::SetAmbient(uint32_t color)
{
    states.ambient = color;
    return SetRenderState(D3DRS_AMBIENT, color);
}

int DXC_Gfx::SetNormalizeNormals(int32_t on)
{
    SetCachedRenderState(states.normalizeNormals, D3DRS_NORMALIZENORMALS, on);
    return 1;
}

int DXC_Gfx::SetVertexBlend(int32_t mode)
{
    SetCachedRenderState(states.vertexBlend, D3DRS_VERTEXBLEND, mode);
    return 1;
}

int DXC_Gfx::SetIndexedVertexBlend(int32_t on)
{
    if (states.indexedVertexBlend == on)
        return 1;
    if (!states.softwareVertexProcessing && caps.MaxVertexBlendMatrixIndex == 0)
        return 0;  // the hardware cannot, and software processing is off
    SetCachedRenderState(states.indexedVertexBlend, D3DRS_INDEXEDVERTEXBLENDENABLE, on);
    return 1;
}

int DXC_Gfx::SetColorWriteEnable(bool red, bool green, bool blue, bool alpha)
{
    const int32_t mask = (red ? 1 : 0) | (green ? 2 : 0) | (blue ? 4 : 0) | (alpha ? 8 : 0);
    SetCachedRenderState(states.colorWriteMask, D3DRS_COLORWRITEENABLE, mask);
    return 1;
}

HRESULT DXC_Gfx::SetTextureFactor(uint32_t color)
{
    states.textureFactor = color;
    SetRenderState(D3DRS_TEXTUREFACTOR, color);
    return lastResult;
}

int DXC_Gfx::SetTextureFactorAlpha(uint32_t alpha)
{
    states.textureFactor = (states.textureFactor & 0x00FFFFFFu) | (alpha << 24);
    return SetRenderState(D3DRS_TEXTUREFACTOR, states.textureFactor);
}

int DXC_Gfx::EnableFog(int32_t on)
{
    states.fogEnable = on;
    return SetRenderState(D3DRS_FOGENABLE, DWORD(on));
}

int DXC_Gfx::EnableClipPlane(int32_t index, int32_t on)
{
    if (index < 0 || index > 31)
        return 1;  // the mask has no such plane
    const uint32_t bit = 1u << index;
    states.clipPlaneMask = on ? states.clipPlaneMask | bit : states.clipPlaneMask & ~bit;
    if (states.clipPlaneMask != states.clipPlaneMaskSent) {
        SetRenderState(D3DRS_CLIPPLANEENABLE, states.clipPlaneMask);
        states.clipPlaneMaskSent = states.clipPlaneMask;
    }
    return 1;
}

int DXC_Gfx::SetCullMode(int32_t mode)
{
    states.requestedCullMode = mode;  // mirrored views negate it
    if (states.cullMode == mode)
        return 1;
    states.cullMode = mode;
    DWORD cull = D3DCULL_NONE;
    if (mode == -1)
        cull = D3DCULL_CCW;
    else if (mode == 1)
        cull = D3DCULL_CW;
    else if (mode != 0)
        Error("Invalid culling mode");
    return SetRenderState(D3DRS_CULLMODE, cull);
}

int DXC_Gfx::SetAlphaTest(int32_t mode, int32_t reference)
{
    if (states.alphaTestMode == mode && states.alphaRef == reference)
        return 1;
    states.alphaTestMode = mode;
    states.alphaRef = reference;
    SetRenderState(D3DRS_ALPHATESTENABLE, DWORD(mode));
    states.requestedAlphaTestMode = mode;
    states.requestedAlphaRef = reference;
    if (mode != 0) {
        SetRenderState(D3DRS_ALPHAFUNC, mode == 255 ? D3DCMP_EQUAL : D3DCMP_GREATER);
        SetRenderState(D3DRS_ALPHAREF, DWORD(reference));
    }
    return 1;
}

int DXC_Gfx::SetAlphaTestMode(int32_t mode)
{
    return SetAlphaTest(mode, states.requestedAlphaRef);
}

int DXC_Gfx::SetLighting(int32_t on, uint32_t unlitColor)
{
    states.requestedLighting = on;
    states.lightingSuspend = 0;
    if (on == 0)
        states.unlitColor = unlitColor | 0xFF000000u;
    else if (on == 1)
        states.unlitColor = 0xFFFFFFFFu;
    SetCachedRenderState(states.lighting, D3DRS_LIGHTING, on);
    return 1;
}

void DXC_Gfx::CheckStage(int32_t stage)
{
    if (stage < 0 || stage >= DXC_StateCache::kStages)
        Error("Invalid stage: %i", stage);
}

void DXC_Gfx::SetCachedStageState(int32_t stage, int32_t DXC_StageStateCache::*cached, D3DTEXTURESTAGESTATETYPE type,
                                  DWORD value)
{
    CheckStage(stage);
    int32_t& word = states.stages[stage].*cached;
    if (word == int32_t(value))
        return;
    word = int32_t(value);
    SetTextureStageState(DWORD(stage), type, value);
}

void DXC_Gfx::SetStageColorOp(int32_t stage, DWORD value)
{
    SetCachedStageState(stage, &DXC_StageStateCache::colorOp, D3DTSS_COLOROP, value);
}

void DXC_Gfx::SetStageColorArg0(int32_t stage, DWORD value)
{
    SetCachedStageState(stage, &DXC_StageStateCache::colorArg0, D3DTSS_COLORARG0, value);
}

void DXC_Gfx::SetStageColorArg1(int32_t stage, DWORD value)
{
    SetCachedStageState(stage, &DXC_StageStateCache::colorArg1, D3DTSS_COLORARG1, value);
}

void DXC_Gfx::SetStageColorArg2(int32_t stage, DWORD value)
{
    SetCachedStageState(stage, &DXC_StageStateCache::colorArg2, D3DTSS_COLORARG2, value);
}

void DXC_Gfx::SetStageAlphaOp(int32_t stage, DWORD value)
{
    SetCachedStageState(stage, &DXC_StageStateCache::alphaOp, D3DTSS_ALPHAOP, value);
}

void DXC_Gfx::SetStageAlphaArg1(int32_t stage, DWORD value)
{
    SetCachedStageState(stage, &DXC_StageStateCache::alphaArg1, D3DTSS_ALPHAARG1, value);
}

void DXC_Gfx::SetStageAlphaArg2(int32_t stage, DWORD value)
{
    SetCachedStageState(stage, &DXC_StageStateCache::alphaArg2, D3DTSS_ALPHAARG2, value);
}

void DXC_Gfx::SetStageTransformFlags(int32_t stage, DWORD value)
{
    SetCachedStageState(stage, &DXC_StageStateCache::transformFlags, D3DTSS_TEXTURETRANSFORMFLAGS, value);
}

void DXC_Gfx::SetStageTexCoordIndex(int32_t stage, DWORD value)
{
    SetCachedStageState(stage, &DXC_StageStateCache::texCoordIndex, D3DTSS_TEXCOORDINDEX, value);
}

void DXC_Gfx::SetStageConstant(int32_t stage, DWORD value)
{
    CheckStage(stage);
    SetTextureStageState(DWORD(stage), D3DTSS_CONSTANT, value);
}

int DXC_Gfx::SetAddressMode(int32_t mode, int32_t stage, D3DSAMPLERSTATETYPE type, int32_t& cached,
                            int32_t& requested, const char* warning)
{
    requested = mode;
    if (cached == mode)
        return 1;
    lastResult = Device().SetSamplerState(DWORD(stage), type, DWORD(mode));
    if (FAILED(lastResult)) {
        Warning(warning, mode);  // the cache keeps the old mode, so the next call tries again
        return 0;
    }
    cached = mode;
    return 1;
}

int DXC_Gfx::SetTextureAddressU(int32_t mode, int32_t stage)
{
    CheckStage(stage);
    DXC_SamplerStateCache& sampler = states.samplers[stage];
    return SetAddressMode(mode, stage, D3DSAMP_ADDRESSU, sampler.addressU, sampler.requestedU,
                          "Failed to set texture U-adress mode %i");
}

int DXC_Gfx::SetTextureAddressV(int32_t mode, int32_t stage)
{
    CheckStage(stage);
    DXC_SamplerStateCache& sampler = states.samplers[stage];
    return SetAddressMode(mode, stage, D3DSAMP_ADDRESSV, sampler.addressV, sampler.requestedV,
                          "Failed to set texture V-adress mode %i");
}

int DXC_Gfx::SetTextureAddress(int32_t mode, int32_t stage)
{
    SetTextureAddressU(mode, stage);
    SetTextureAddressV(mode, stage);
    return 1;
}

int DXC_Gfx::DisableZBuffer()
{
    if (states.zSuspend == 0) {
        SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
        states.zSuspend = 1;
    } else {
        states.zSuspend++;
    }
    return 1;
}

int DXC_Gfx::EnableZBuffer()
{
    if (states.zSuspend < 1)
        return 1;
    const bool outermost = states.zSuspend == 1;
    states.zSuspend--;
    if (outermost && states.zEnableRestore != 0)
        SetRenderState(D3DRS_ZENABLE, DWORD(states.zEnableRestore));
    return 1;
}

void DXC_Gfx::DisableLighting()
{
    if (states.lightingSuspend != 0) {
        states.lightingSuspend++;
        return;
    }
    states.lighting = 0;
    SetRenderState(D3DRS_LIGHTING, 0);
    states.lightingSuspend = 1;
}

void DXC_Gfx::RestoreLighting()
{
    if (states.lightingSuspend <= 0)
        return;
    const bool outermost = states.lightingSuspend == 1;
    states.lightingSuspend--;
    if (outermost && states.requestedLighting == 1) {
        states.lighting = 1;
        states.unlitColor = 0xFFFFFFFFu;
        SetRenderState(D3DRS_LIGHTING, 1);
    }
}

int DXC_Gfx::ClearDevice(DWORD flags, uint32_t color, float z, DWORD stencil, const D3DRECT* rect, const char* message)
{
    lastResult = Device().Clear(rect ? 1 : 0, rect, flags, color, z, stencil);
    if (FAILED(lastResult))
        Error("%s", message);
    return 1;
}

int DXC_Gfx::Clear(uint32_t color, float z, const D3DRECT* rect)
{
    DWORD flags = D3DCLEAR_TARGET;
    if (states.zBufferBits > 0 && states.targetHasZBuffer)
        flags |= D3DCLEAR_ZBUFFER;
    return ClearDevice(flags, color, z, 0, rect, "Clear failed!");
}

int DXC_Gfx::ClearTarget(uint32_t color, const D3DRECT* rect)
{
    return ClearDevice(D3DCLEAR_TARGET, color, 1.0f, 0, rect, "Clear failed!");
}

int DXC_Gfx::ClearZBuffer(float z, const D3DRECT* rect)
{
    if (!states.targetHasZBuffer)
        Error("Render target has no zbuffer!");
    if (states.zBufferBits == 0)
        return 0;
    return ClearDevice(D3DCLEAR_ZBUFFER, 0, z, 0, rect, "Clear failed!");
}

int DXC_Gfx::ClearStencil(DWORD value, const D3DRECT* rect)
{
    if (!states.stencilAvailable)
        Error("Render target has no zbuffer!");
    return ClearDevice(D3DCLEAR_STENCIL, 0, 0.0f, value, rect, "Clear stencil failed!");
}

void DXC_Gfx::BeginScene()
{
    lastResult = Device().BeginScene();
    if (FAILED(lastResult))
        Error("BeginScene failed: %s", GetDirectXErrorName(lastResult));
    states.inScene = 1;
}

void DXC_Gfx::EndScene()
{
    lastResult = Device().EndScene();
    if (FAILED(lastResult))
        Error("EndScene failed: %s", GetDirectXErrorName(lastResult));
    states.inScene = 0;
}

HRESULT DXC_Gfx::SceneBegin()
{
    BeginScene();
    return lastResult;
}

HRESULT DXC_Gfx::SceneEnd()
{
    EndScene();
    return lastResult;
}

int DXC_Gfx::SetFillMode(int32_t mode, const DXC_PointSpriteParams* params)
{
    states.fillMode = mode;
    states.requestedFillMode = mode;
    if (params)
        pointSprite = *params;
    if (mode == int32_t(D3DFILL_POINT))
        SetPointSpriteParams(pointSprite, false);
    return SetRenderState(D3DRS_FILLMODE, DWORD(mode));
}

int DXC_Gfx::SetPointSpriteParams(DXC_PointSpriteParams& params, bool clampToDevice)
{
    SetCachedRenderState(states.pointSpriteEnable, D3DRS_POINTSPRITEENABLE, params.spriteEnable);
    SetCachedRenderState(states.pointScaleEnable, D3DRS_POINTSCALEENABLE, params.scaleEnable);
    SetCachedRenderState(states.pointSize, D3DRS_POINTSIZE, params.size);
    if (!params.scaleEnable)
        return 1;
    const float limit = clampToDevice ? caps.MaxPointSize : std::min(64.0f, caps.MaxPointSize);
    if (params.maxSize > limit) {
        Warning("Point size max adjusted from %f to %f", double(params.maxSize), double(limit));
        params.maxSize = limit;
    }
    SetCachedRenderState(states.pointSizeMin, D3DRS_POINTSIZE_MIN, params.minSize);
    SetCachedRenderState(states.pointSizeMax, D3DRS_POINTSIZE_MAX, params.maxSize);
    SetCachedRenderState(states.pointScaleA, D3DRS_POINTSCALE_A, params.scaleA);
    SetCachedRenderState(states.pointScaleB, D3DRS_POINTSCALE_B, params.scaleB);
    SetCachedRenderState(states.pointScaleC, D3DRS_POINTSCALE_C, params.scaleC);
    return 1;
}

int DXC_Gfx::SetStreamSource(uint32_t stream, IDirect3DVertexBuffer9* buffer, uint32_t stride)
{
    if (stream >= uint32_t(DXC_StateCache::kStreams))
        Error("Invalid stream: %i", int(stream));
    states.streams[stream] = buffer;
    states.streamStrides[stream] = stride;
    lastResult = Device().SetStreamSource(stream, buffer, 0, stride);
    if (FAILED(lastResult))
        Error("SetStreamSource failed: %s", GetDirectXErrorName(lastResult));
    return 1;
}

void DXC_Gfx::SetHardwareVertexProcessing(int32_t count)
{
    if (!states.mixedVertexProcessing)
        return;
    const int32_t software = count < 1 ? 1 : 0;
    if (software == states.softwareVertexProcessing)
        return;
    lastResult = Device().SetSoftwareVertexProcessing(software);
    if (FAILED(lastResult))
        Error("SetSoftwareVertexProcessing failed: %s", GetDirectXErrorName(lastResult));
    states.softwareVertexProcessing = software;
}

void DXC_Gfx::ResetShaders()
{
    if (states.begunEffect == -1)
        return;
    lastResult = Device().SetPixelShader(nullptr);
    if (FAILED(lastResult))
        Error("SetPixelShader failed: %s", GetDirectXErrorName(lastResult));
    lastResult = Device().SetVertexShader(nullptr);
    if (FAILED(lastResult))
        Error("SetVertexShader failed: %s", GetDirectXErrorName(lastResult));
    states.begunEffect = -1;
    begunEffect = nullptr;
}

void DXC_Gfx::InvalidateStateCache()
{
    const DXC_StateCache unknown;
    DXC_StateCache& c = states;
    c.lighting = c.specularEnable = c.cullMode = c.alphaTestMode = c.alphaRef = c.alphaBlendEnable = -1;
    c.zWriteEnable = c.stencilEnable = c.stencilFunc = c.stencilRef = c.vertexBlend = -1;
    c.indexedVertexBlend = c.normalizeNormals = c.colorWriteMask = c.pointSpriteEnable = c.pointScaleEnable = -1;
    c.pointSize = c.pointSizeMin = c.pointSizeMax = c.pointScaleA = c.pointScaleB = c.pointScaleC = -1.0f;
    for (int32_t s = 0; s < DXC_StateCache::kStages; s++) {
        c.stages[s] = unknown.stages[s];
        c.samplers[s].minFilter = c.samplers[s].magFilter = -1;
        c.samplers[s].addressU = c.samplers[s].addressV = -1;
        c.stageMatrices[s] = unknown.stageMatrices[s];
        c.boundTextures[s] = nullptr;  // a reset leaves no texture bound
        c.boundMapTypes[s] = c.boundCoordIndices[s] = 0;
    }
    c.inScene = 0;
    c.clipPlaneMaskSent = 0xFFFFFFFFu;
    c.renderTargetTexture = nullptr;
    c.depthSurface = nullptr;
    c.begunEffect = -1;
}
