// DXC_ShaderEffect passes: the technique and pass tables read from the effect's annotations,
// technique selection and validation, and the drawing brackets with the render-target switches
// that passes ask for.
#include "engine/gfx/DXC_ShaderEffect.h"

#include "engine/gfx/DXC_Gfx.h"
#include "platform/D3D9MemoryTexture.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

// The decimal number after a prefix; 0 when none follows (or it is out of range).
int32_t NumberAfter(const char* text, size_t prefix)
{
    errno = 0;
    const long n = std::strtol(text + prefix, nullptr, 10);
    return errno == 0 && n >= INT_MIN && n <= INT_MAX ? int32_t(n) : 0;
}

uint8_t ColorByte(float c)
{
    return uint8_t(std::clamp(c, 0.0f, 1.0f) * 255.0f + 0.5f);
}

// The numbered buffers a pass may draw into: the name, then the buffer's number from 1.
struct BufferTarget {
    const char* prefix;
    int32_t kind;
    int32_t count;
};
const BufferTarget kBufferTargets[] = {
    {"ScreenBuffer", PASS_TARGET_SCREEN_BUFFER, 2},
    {"ScreenQuarterBuffer", PASS_TARGET_QUARTER_BUFFER, 3},
};

}  // namespace

void DXC_ShaderEffect::ReadRenderTarget(const char* target, DXC_EffectPass& pass)
{
    for (const BufferTarget& buffer : kBufferTargets) {
        const size_t length = std::strlen(buffer.prefix);
        if (std::strncmp(target, buffer.prefix, length) != 0)
            continue;
        const int32_t n = NumberAfter(target, length);
        if (n > buffer.count)
            Error("Not more than %i ScreenBuffer supported", buffer.count);
        if (n >= 1) {  // 0 (or no number) draws into the current target
            pass.targetKind = buffer.kind;
            pass.bufferNumber = n - 1;
        }
        return;
    }
    if (std::strcmp(target, "Initial") == 0)
        pass.targetKind = PASS_TARGET_INITIAL;
    else if (std::strcmp(target, "Custom") == 0)
        pass.targetKind = PASS_TARGET_CUSTOM;
}

void DXC_ShaderEffect::ReadTechniques()
{
    DXC_EffectRecord& r = *effect;
    ID3DXEffect* e = r.effect;
    r.techniques.assign(size_t(std::max(r.techniqueCount, 0)), DXC_EffectTechnique());
    for (int32_t t = 0; t < r.techniqueCount; t++) {
        DXC_EffectTechnique& technique = r.techniques[size_t(t)];
        technique.handle = e->GetTechnique(uint32_t(t));
        D3DXTECHNIQUE_DESC techniqueDesc;
        if (e->GetTechniqueDesc(technique.handle, &techniqueDesc) != D3D_OK)
            continue;
        technique.passCount = int32_t(techniqueDesc.Passes);
        technique.passes.assign(techniqueDesc.Passes, DXC_EffectPass());
        for (int32_t p = 0; p < technique.passCount; p++) {
            DXC_EffectPass& pass = technique.passes[size_t(p)];
            D3DXHANDLE handle = e->GetPass(technique.handle, uint32_t(p));
            const char* target = nullptr;
            if (e->GetString(e->GetAnnotationByName(handle, "RenderTarget"), &target) == D3D_OK && target)
                ReadRenderTarget(target, pass);
            int32_t init = 0;
            if (e->GetInt(e->GetAnnotationByName(handle, "InitPass"), &init) == D3D_OK && init != 0)
                pass.initPass = 1;
            float clear[4] = {0.0f, 0.0f, 0.0f, 1.0f};
            if (e->GetFloatArray(e->GetAnnotationByName(handle, "ClearColor"), clear, 4) == D3D_OK) {
                pass.hasClearColor = 1;
                pass.clearColor = uint32_t(ColorByte(clear[3])) << 24 | uint32_t(ColorByte(clear[0])) << 16 |
                                  uint32_t(ColorByte(clear[1])) << 8 | ColorByte(clear[2]);
            }
            D3DXPASS_DESC passDesc;
            if (e->GetPassDesc(handle, &passDesc) != D3D_OK)
                continue;
            if (!passDesc.pVertexShaderFunction)
                pass.noVertexShader = 1;
            else
                technique.usesVertexShaders = 1;
            technique.usesPixelShaders = passDesc.pPixelShaderFunction ? 1 : 0;
        }
    }
}

bool DXC_ShaderEffect::SetTechnique(int32_t n, bool validate)
{
    if (n < 0) {
        currentTechnique = n;
        return true;
    }
    if (!effect || n >= effect->techniqueCount)
        return false;
    currentTechnique = n;
    const D3DXHANDLE handle = effect->techniques[size_t(n)].handle;
    if (!handle || effect->effect->SetTechnique(handle) != D3D_OK)
        return false;
    return validate ? ValidateTechnique() : true;
}

bool DXC_ShaderEffect::ValidateTechnique()
{
    if (!effect || !effect->effect)
        return false;
    if (gfx && gfx->HasDevice())  // the stages start from their own coordinates
        for (int32_t stage = 0; stage < 6; stage++)
            gfx->SetStageTexCoordIndex(stage, DWORD(stage));
    ID3DXEffect* e = effect->effect;
    if (currentTechnique >= 0)
        return currentTechnique < effect->techniqueCount &&
               e->ValidateTechnique(effect->techniques[size_t(currentTechnique)].handle) == D3D_OK;
    for (int32_t t = 0; t < effect->techniqueCount; t++)
        if (e->ValidateTechnique(effect->techniques[size_t(t)].handle) == D3D_OK) {
            SetTechnique(t, false);
            return true;
        }
    if (effect->techniqueCount > 0)
        SetTechnique(effect->techniqueCount - 1, false);
    return false;
}

const DXC_EffectTechnique* DXC_ShaderEffect::Current() const
{
    if (!effect || currentTechnique < 0 || currentTechnique >= effect->techniqueCount)
        return nullptr;
    return &effect->techniques[size_t(currentTechnique)];
}

bool DXC_ShaderEffect::UsesVertexShaders(int32_t technique)
{
    if (technique < 0 && currentTechnique < 0)
        ValidateTechnique();
    const int32_t t = technique < 0 ? currentTechnique : technique;
    return effect && t >= 0 && t < effect->techniqueCount && effect->techniques[size_t(t)].usesVertexShaders;
}

bool DXC_ShaderEffect::UsesPixelShaders(int32_t technique)
{
    if (technique < 0 && currentTechnique < 0)
        ValidateTechnique();
    const int32_t t = technique < 0 ? currentTechnique : technique;
    return effect && t >= 0 && t < effect->techniqueCount && effect->techniques[size_t(t)].usesPixelShaders;
}

bool DXC_ShaderEffect::PassHasNoVertexShader(int32_t pass) const
{
    const DXC_EffectTechnique* t = Current();
    return t && pass >= 0 && pass < t->passCount && t->passes[size_t(pass)].noVertexShader;
}

void DXC_ShaderEffect::ForgetSavedTarget()
{
    if (savedTarget)
        savedTarget->Release();
    savedTarget = nullptr;
}

void DXC_ShaderEffect::RestoreSavedTarget()
{
    if (!savedTarget)
        return;
    if (gfx)
        gfx->SetRenderTarget(savedTarget, 0);
    ForgetSavedTarget();
}

int32_t DXC_ShaderEffect::Begin()
{
    ForgetSavedTarget();  // left from a pass that was never ended
    if (!effect || !effect->effect)
        return 0;
    uint32_t passes = 0;
    const HRESULT result = effect->effect->Begin(&passes, saveState ? 0 : D3DXFX_DONOTSAVESTATE);
    if (FAILED(result))
        Error("Begin failed: %s", GetDirectXErrorName(result));
    inDrawing = 1;
    return int32_t(passes);
}

bool DXC_ShaderEffect::BeginPass(int32_t p)
{
    if (!effect || !effect->effect)
        return false;
    const HRESULT result = effect->effect->BeginPass(uint32_t(p));
    if (FAILED(result))
        Error("BeginPass failed: %s", GetDirectXErrorName(result));
    const DXC_EffectTechnique* technique = Current();
    if (!technique)
        return true;
    if (p < 0 || p >= technique->passCount)
        return true;
    const DXC_EffectPass& pass = technique->passes[size_t(p)];
    if (!runInitPasses && pass.initPass)
        return false;
    if (gfx && gfx->HasDevice()) {
        switch (pass.targetKind) {
        case PASS_TARGET_INITIAL:
            if (savedTarget)
                gfx->SetRenderTarget(savedTarget, 0);
            break;
        case PASS_TARGET_CUSTOM:
            if (DXC_Texture* custom = gfx->GetRenderTargetTexture(); custom && custom->currentTexture)
                gfx->SetRenderTargetTexture(custom->currentTexture, 0);
            break;
        case PASS_TARGET_QUARTER_BUFFER:
        case PASS_TARGET_SCREEN_BUFFER:
            if (!savedTarget)
                savedTarget = gfx->GetRenderTarget(0);
            gfx->SetRenderTargetTexture(gfx->GetScreenBufferTexture(pass.targetKind, pass.bufferNumber), 0);
            break;
        default:
            break;
        }
        if (pass.hasClearColor)
            gfx->ClearTarget(pass.clearColor, nullptr);
    }
    return true;
}

void DXC_ShaderEffect::EndPass()
{
    if (!effect || !effect->effect)
        return;
    const HRESULT result = effect->effect->EndPass();
    if (FAILED(result))
        Error("EndPass failed: %s", GetDirectXErrorName(result));
    RestoreSavedTarget();
}

void DXC_ShaderEffect::End()
{
    if (!effect || !effect->effect)
        return;
    ID3DXEffect* e = effect->effect;
    const HRESULT result = e->End();
    if (FAILED(result))
        Error("End failed: %s", GetDirectXErrorName(result));
    inDrawing = 0;
    if (restoreParams)
        for (int32_t n = 0; n < kNumberedParams; n++) {
            if (effect->floatParams[n])
                e->SetFloat(effect->floatParams[n], effect->floatDefaults[n]);
            if (effect->vectorParams[n])
                e->SetVector(effect->vectorParams[n], &effect->vectorDefaults[n]);
        }
    runInitPasses = 0;
}
