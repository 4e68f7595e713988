// DXC_Gfx material stages: the stages of a texture (diffuse, reflection, specular, light,
// self-illumination, normal and opacity maps) become device stages with their colour and alpha
// programs, coordinate indices, transforms and addressing. Every state goes through the caches, so
// the same texture set up twice in a row sends nothing the second time.
#include "engine/gfx/DXC_Gfx.h"

#include "engine/gfx/DXC_ShaderEffect.h"
#include "platform/D3D9Device.h"

#include <algorithm>

namespace {

bool TexturesDiffuse(int32_t source) { return source == 1 || source == -1; }  // texture times diffuse

uint32_t GreyOf(float amount)
{
    const uint32_t g = uint32_t(std::clamp(amount, 0.0f, 1.0f) * 255.0f + 0.5f);
    return 0xFF000000u | (g << 16) | (g << 8) | g;
}

uint32_t AddressOf(uint8_t mirror, uint8_t wrap)
{
    if (mirror)
        return D3DTADDRESS_MIRROR;
    return wrap ? D3DTADDRESS_WRAP : D3DTADDRESS_CLAMP;
}

// The device stages the set-up may use: those the device blends, at most the cache's eight.
int32_t DeviceStageCount(const D3DCAPS9& caps)
{
    return std::min<int32_t>(int32_t(caps.MaxTextureBlendStages), DXC_StateCache::kStages);
}

}  // namespace

IDirect3DTexture9* DXC_Gfx::StageImage(const DXC_Texture& texture, int32_t i, bool reflectionMaps)
{
    const int32_t type = texture.stages[i].mapType;
    if (type == MAP_NONE || (!reflectionMaps && type != MAP_DIFFUSE))
        return nullptr;
    if (texture.frameCount > 0 && texture.sequenceStage == i && texture.frameTextures && texture.currentFrame >= 0 &&
        texture.currentFrame < texture.frameCount)
        return texture.frameTextures[texture.currentFrame];
    return texture.stageTextures[i];
}

void DXC_Gfx::BindStageTexture(int32_t stage, IDirect3DTexture9* texture)
{
    CheckStage(stage);
    if (states.boundTextures[stage] == texture)
        return;
    lastResult = Device().SetTexture(DWORD(stage), texture);
    if (FAILED(lastResult))
        Error("SetTexture failed: %s", GetDirectXErrorName(lastResult));
    states.boundTextures[stage] = texture;
}

void DXC_Gfx::SetTintFactor()
{
    SetTextureFactor(states.tintColor | (uint32_t(currentBlendAlpha) << 24));
}

int DXC_Gfx::SetMaterialStages(DXC_Texture* texture, int32_t stage, bool skipEffectCheck)
{
    extraStages = 0;
    const int32_t deviceStages = DeviceStageCount(caps);
    if (stage < -1 || stage >= deviceStages)
        Error("Invalid stage: %i", stage);
    if (!texture || !texture->IsValid()) {
        if (stage >= 0) {
            BindStageTexture(stage, nullptr);
        } else {
            for (int32_t d = 0; d < deviceStages; d++) {
                BindStageTexture(d, nullptr);
                if (d > 0) {
                    SetStageColorOp(d, D3DTOP_DISABLE);
                    continue;
                }
                SetStageColorOp(0, D3DTOP_SELECTARG2);
                SetUnlitStageArg2(0);
                SetStageAlphaOp(0, D3DTOP_SELECTARG1);
                SetStageAlphaArg1(0, D3DTA_DIFFUSE);
            }
        }
        currentTexture = nullptr;
        return 1;
    }
    SetAlphaTest(texture->alphaFlag ? int32_t(D3DCMP_GREATER) : 0, states.requestedAlphaRef);
    if (stage >= 0) {  // the texture's first stage into that one device stage
        BindStageTexture(stage, StageImage(*texture, 0, allowMapTypes2And6));
        return 1;
    }
    std::fill(std::begin(states.boundMapTypes), std::end(states.boundMapTypes), MAP_NONE);
    const bool effectDraws = !skipEffectCheck && activeEffect && activeEffect->IsValid();
    int32_t nextFree = 0;  // the first device stage no texture stage took
    for (int32_t i = 0; i < DXC_Texture::kStages; i++) {
        const int32_t d = i + extraStages;
        if (d >= deviceStages)
            break;
        const DXC_MapInfo& map = texture->stages[i];
        IDirect3DTexture9* image = StageImage(*texture, i, allowMapTypes2And6);
        if (!image) {
            if (d == 0) {
                if (states.tintColor != 0) {
                    SetStageColorOp(0, D3DTOP_MULTIPLYADD);
                    SetStageColorArg0(0, D3DTA_DIFFUSE);
                    SetStageColorArg1(0, D3DTA_TFACTOR);
                    SetUnlitStageArg2(0);
                    SetTintFactor();
                } else {
                    SetStageColorOp(0, D3DTOP_SELECTARG2);
                    SetUnlitStageArg2(0);
                }
                BindStageTexture(0, nullptr);
                nextFree = 1;
            } else if (d == 1) {
                SetStageColorOp(1, D3DTOP_DISABLE);
            }
            break;  // an empty stage ends the texture's stages
        }
        const int32_t coordIndex = std::max<int32_t>(map.texCoordIndex, 0);
        SetStageTexCoordIndex(d, DWORD(coordIndex));
        const int32_t before = extraStages;
        if (!effectDraws)
            SetStageProgram(*texture, i, d, image);
        const int32_t taken = extraStages - before;  // the extra device stages of this stage
        for (int32_t s = d; s <= d + taken; s++) {
            if (s != d)
                SetStageTexCoordIndex(s, DWORD(coordIndex));
            if (!map.transformActive)
                SetTextureTransform(nullptr, s);
            else if (states.stages[s].transformFlags != int32_t(D3DTTFF_COUNT3) ||
                     !(states.stageMatrices[s] == map.textureMatrix))
                SetTextureTransform(&map.textureMatrix, s);
            SetTextureAddressU(int32_t(AddressOf(map.mirrorU, map.wrapU)), s);
            SetTextureAddressV(int32_t(AddressOf(map.mirrorV, map.wrapV)), s);
        }
        BindStageTexture(d, image);
        states.boundMapTypes[d] = map.mapType;
        states.boundCoordIndices[d] = map.texCoordIndex;
        nextFree = d + taken + 1;
    }
    if (nextFree < deviceStages) {
        SetStageAlphaOp(nextFree, D3DTOP_DISABLE);
        SetStageColorOp(nextFree, D3DTOP_DISABLE);
    }
    currentTexture = texture;
    return 1;
}

// Takes an extra device stage after d when the device has one; false (nothing taken) otherwise.
bool DXC_Gfx::TakeExtraStage(int32_t d, int32_t count)
{
    if (d + count >= DeviceStageCount(caps))
        return false;
    extraStages += count;
    return true;
}

void DXC_Gfx::SetStageProgram(const DXC_Texture& texture, int32_t i, int32_t d, IDirect3DTexture9* image)
{
    const DXC_MapInfo& map = texture.stages[i];
    const bool tint = states.tintColor != 0;
    const bool modulates = TexturesDiffuse(renderSources[d]);
    switch (map.mapType) {
    case MAP_DIFFUSE:
        if (i == 0) {
            SetDiffuseStage0(modulates, tint);
            return;
        }
        SetLaterDiffuseStage(texture, d, modulates, tint, image);
        return;
    case MAP_REFLECTION:
        if (i != 0)
            Error("Reflection map in stage other than zero!");
        SetReflectionStage0(texture, tint);
        return;
    case MAP_SPECULAR:
    case MAP_SELFILLUM:
    case MAP_LIGHT:
    case MAP_NORMAL:
        SetStageColorOp(d, map.mapType == MAP_LIGHT    ? D3DTOP_MODULATE
                           : map.mapType == MAP_NORMAL ? D3DTOP_BUMPENVMAP
                                                       : D3DTOP_ADD);
        SetStageColorArg1(d, D3DTA_CURRENT);
        SetStageColorArg2(d, D3DTA_TEXTURE);
        SetStageAlphaOp(d, D3DTOP_SELECTARG1);  // a colour stage may not run with its alpha disabled
        SetStageAlphaArg1(d, D3DTA_CURRENT);
        return;
    case MAP_OPACITY:
        SetStageColorOp(d, D3DTOP_SELECTARG1);
        SetStageColorArg1(d, D3DTA_CURRENT);
        SetStageAlphaOp(d, D3DTOP_MODULATE);
        SetStageAlphaArg1(d, D3DTA_CURRENT);
        SetStageAlphaArg2(d, D3DTA_TEXTURE);
        if (d + 1 < DeviceStageCount(caps)) {
            SetStageAlphaOp(d + 1, D3DTOP_DISABLE);
            SetStageColorOp(d + 1, D3DTOP_DISABLE);
        }
        return;
    default:
        Error("Texture of type 'eNone' !");
    }
}

void DXC_Gfx::SetDiffuseStage0(bool modulates, bool tint)
{
    if (!tint) {
        if (modulates) {
            SetStageColorOp(0, D3DTOP_MODULATE);
            SetStageColorArg1(0, D3DTA_TEXTURE);
        } else {
            SetStageColorOp(0, D3DTOP_SELECTARG2);
        }
        SetUnlitStageArg2(0);
        SetBlendMode(blendMode, requestedBlendAlpha, 0);
        return;
    }
    if (modulates) {
        // (texture + tint) x diffuse: the product needs a second device stage, taken as an extra
        // one so that a later texture stage does not overwrite it.
        SetStageColorOp(0, D3DTOP_ADD);
        SetStageColorArg1(0, D3DTA_TEXTURE);
        SetStageColorArg2(0, D3DTA_TFACTOR);
        if (TakeExtraStage(0, 1)) {
            SetStageColorOp(1, D3DTOP_MODULATE);
            SetStageColorArg1(1, D3DTA_CURRENT);
            SetStageColorArg2(1, D3DTA_DIFFUSE);
            SetStageAlphaOp(1, D3DTOP_SELECTARG1);
            SetStageAlphaArg1(1, D3DTA_CURRENT);
            if (2 < DeviceStageCount(caps)) {
                SetStageAlphaOp(2, D3DTOP_DISABLE);
                SetStageColorOp(2, D3DTOP_DISABLE);
            }
        }
    } else {
        SetStageColorOp(0, D3DTOP_ADD);
        SetStageColorArg1(0, D3DTA_TFACTOR);
        SetStageColorArg2(0, D3DTA_DIFFUSE);
    }
    SetStageTexCoordIndex(0, 0);
    SetBlendMode(blendMode, requestedBlendAlpha, 0);
    SetTintFactor();
}

void DXC_Gfx::SetLaterDiffuseStage(const DXC_Texture& texture, int32_t d, bool modulates, bool tint,
                                   IDirect3DTexture9* image)
{
    const int32_t first = texture.stages[0].mapType;
    if (first != MAP_DIFFUSE && first != MAP_REFLECTION)
        Error("More than one diffuse map requires a diffuse map at stage 0");
    if (first == MAP_DIFFUSE) {  // (first + this) x diffuse
        SetStageColorOp(0, D3DTOP_SELECTARG1);
        SetStageColorArg1(0, D3DTA_TEXTURE);
        SetStageColorOp(d, D3DTOP_ADD);
        SetStageColorArg1(d, D3DTA_CURRENT);
        SetStageColorArg2(d, D3DTA_TEXTURE);
        SetStageAlphaOp(d, D3DTOP_SELECTARG1);
        SetStageAlphaArg1(d, D3DTA_TEXTURE);
        if (TakeExtraStage(d, 1)) {
            SetStageColorOp(d + 1, D3DTOP_MODULATE);
            SetStageColorArg1(d + 1, D3DTA_CURRENT);
            SetStageColorArg2(d + 1, D3DTA_DIFFUSE);
            SetStageAlphaOp(d + 1, D3DTOP_SELECTARG1);
            SetStageAlphaArg1(d + 1, D3DTA_CURRENT);
        }
        return;
    }
    if (!tint) {  // the reflection plus this map lit
        if (modulates) {
            SetStageColorOp(d, D3DTOP_MULTIPLYADD);
            SetStageColorArg0(d, D3DTA_CURRENT);
            SetStageColorArg1(d, D3DTA_TEXTURE);
        } else {
            SetStageColorOp(d, D3DTOP_ADD);
            SetStageColorArg1(d, D3DTA_CURRENT);
        }
        SetUnlitStageArg2(d);
        if (d + 1 < DeviceStageCount(caps))
            SetStageColorOp(d + 1, D3DTOP_DISABLE);
        SetStageAlphaOp(d, D3DTOP_SELECTARG1);
        SetStageAlphaArg1(d, D3DTA_TEXTURE);
        SetBlendMode(blendMode, requestedBlendAlpha, d);
        return;
    }
    if (modulates) {
        SetStageColorOp(d, D3DTOP_MULTIPLYADD);
        SetStageColorArg0(d, D3DTA_CURRENT);
        SetStageColorArg1(d, D3DTA_TFACTOR);
        SetUnlitStageArg2(d);
        SetStageAlphaOp(d, D3DTOP_SELECTARG1);
        SetStageAlphaArg1(d, D3DTA_CURRENT);
        if (TakeExtraStage(d, 1)) {
            SetStageColorOp(d + 1, D3DTOP_MULTIPLYADD);
            SetStageColorArg0(d + 1, D3DTA_CURRENT);
            SetStageColorArg1(d + 1, D3DTA_TEXTURE);
            SetUnlitStageArg2(d + 1);
            SetStageAlphaOp(d + 1, D3DTOP_SELECTARG1);
            SetStageAlphaArg1(d + 1, D3DTA_TEXTURE);
            BindStageTexture(d + 1, image);  // its program reads the texture too
        }
    } else {
        SetStageColorOp(d, D3DTOP_MULTIPLYADD);
        SetStageColorArg0(d, D3DTA_CURRENT);
        SetStageColorArg1(d, D3DTA_DIFFUSE);
        SetStageColorArg2(d, D3DTA_TFACTOR);
    }
    SetBlendMode(blendMode, requestedBlendAlpha, d);
    SetTintFactor();
}

void DXC_Gfx::SetReflectionStage0(const DXC_Texture& texture, bool tint)
{
    const bool nextEmpty = texture.stages[1].mapType == MAP_NONE;  // stage 0 is never the last of four
    SetStageAlphaOp(0, D3DTOP_SELECTARG1);
    SetStageAlphaArg1(0, D3DTA_DIFFUSE);
    if (!nextEmpty) {  // the reflection itself; the next diffuse stage adds its lit map to it
        SetStageColorOp(0, D3DTOP_SELECTARG1);
        SetStageColorArg1(0, D3DTA_TEXTURE);
        return;
    }
    const float amount = texture.stages[0].blendAmount;
    if (amount >= kOpaqueReflection) {
        SetStageColorOp(0, D3DTOP_MODULATE);
        SetStageColorArg1(0, D3DTA_TEXTURE);
        SetUnlitStageArg2(0);
        if (tint && TakeExtraStage(0, 1)) {
            SetStageColorOp(1, D3DTOP_MULTIPLYADD);
            SetStageColorArg0(1, D3DTA_CURRENT);
            SetStageColorArg1(1, D3DTA_TFACTOR);
            SetStageColorArg2(1, D3DTA_DIFFUSE);
            SetStageAlphaOp(1, D3DTOP_SELECTARG1);
            SetStageAlphaArg1(1, D3DTA_CURRENT);
            SetTintFactor();
        } else if (1 < DeviceStageCount(caps)) {
            SetStageAlphaOp(1, D3DTOP_DISABLE);
        }
        return;
    }
    const uint32_t grey = GreyOf(amount);
    if ((caps.PrimitiveMiscCaps & D3DPMISCCAPS_PERSTAGECONSTANT) && TakeExtraStage(0, 1)) {
        SetStageColorOp(0, D3DTOP_MODULATE);
        SetStageColorArg1(0, D3DTA_TEXTURE);
        SetUnlitStageArg2(0);
        SetStageColorOp(1, D3DTOP_LERP);
        SetStageColorArg0(1, D3DTA_CONSTANT);
        SetStageColorArg1(1, D3DTA_CURRENT);
        SetUnlitStageArg2(1);
        SetStageConstant(1, grey);
        SetStageAlphaOp(1, D3DTOP_SELECTARG1);
        SetStageAlphaArg1(1, D3DTA_CURRENT);
        return;
    }
    if (!TakeExtraStage(0, 2)) {  // too few stages to weight it: drawn as an opaque reflection
        SetStageColorOp(0, D3DTOP_MODULATE);
        SetStageColorArg1(0, D3DTA_TEXTURE);
        SetUnlitStageArg2(0);
        return;
    }
    SetStageColorOp(0, D3DTOP_MODULATE);
    SetStageColorArg1(0, D3DTA_TEXTURE);
    SetStageColorArg2(0, D3DTA_TFACTOR);
    SetStageColorOp(1, D3DTOP_ADD);
    SetStageColorArg1(1, D3DTA_CURRENT);
    SetStageColorArg2(1, D3DTA_TFACTOR | D3DTA_COMPLEMENT);
    SetStageColorOp(2, D3DTOP_MODULATE);
    SetStageColorArg1(2, D3DTA_CURRENT);
    SetUnlitStageArg2(2);
    for (int32_t s = 1; s <= 2; s++) {
        SetStageAlphaOp(s, D3DTOP_SELECTARG1);
        SetStageAlphaArg1(s, D3DTA_CURRENT);
    }
    SetTextureFactor(grey);  // after the unlit argument, which may have put its colour there
}
