// DXC_Gfx blending and stage set-up: drawing code picks numbered blending modes, colour sources,
// mipmap and texture modes, and each number becomes a fixed set of device states through the
// cached setters. Materials combine their own blend type and transparency with the caller's mode.
#include "engine/gfx/DXC_Gfx.h"

#include <bit>

namespace {

constexpr float kByteScale = 0.003921569f;  // 1 / 255

// One row of the blending table: the blend factors, and what the current blend alpha becomes
// (the given alpha, 255, or unchanged).
enum class BlendAlpha { Given, Full, Unchanged };

struct BlendRow {
    DWORD source;
    DWORD destination;
    BlendAlpha alpha;
};

// Modes 2 to 17; mode 8 does not exist and mode 10 is applied as mode 7.
BlendRow RowOf(int32_t mode)
{
    switch (mode) {
    case 2: return {D3DBLEND_ONE, D3DBLEND_INVSRCCOLOR, BlendAlpha::Full};
    case 3: return {D3DBLEND_SRCALPHA, D3DBLEND_ONE, BlendAlpha::Full};
    case 4: return {D3DBLEND_INVDESTCOLOR, D3DBLEND_INVSRCCOLOR, BlendAlpha::Full};
    case 5: return {D3DBLEND_ZERO, D3DBLEND_INVSRCCOLOR, BlendAlpha::Full};
    case 6: return {D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, BlendAlpha::Full};
    case 7: return {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, BlendAlpha::Given};
    case 9: return {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, BlendAlpha::Full};
    case 11: return {D3DBLEND_ZERO, D3DBLEND_INVSRCCOLOR, BlendAlpha::Full};
    case 12: return {D3DBLEND_SRCALPHA, D3DBLEND_ONE, BlendAlpha::Given};
    case 13: return {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, BlendAlpha::Given};
    case 14: return {D3DBLEND_ZERO, D3DBLEND_ONE, BlendAlpha::Unchanged};
    case 15: return {D3DBLEND_ONE, D3DBLEND_ZERO, BlendAlpha::Unchanged};
    case 16: return {D3DBLEND_ONE, D3DBLEND_ONE, BlendAlpha::Unchanged};
    default: return {D3DBLEND_ZERO, D3DBLEND_INVSRCCOLOR, BlendAlpha::Given};  // 17
    }
}

bool IsBlendMode(int32_t mode) { return mode >= 1 && mode <= 17 && mode != 8; }

}  // namespace

int DXC_Gfx::SetBlendMode(int32_t mode, int32_t alpha, int32_t stage)
{
    if (mode == -1)
        mode = 1;
    if (!IsBlendMode(mode)) {
        Error("Invalid Blending mode selected!");
        return 0;
    }
    if (mode == 10) {  // a fade of what is drawn now, kept as mode 7 with the faded alpha
        alpha = int32_t(float(alpha) * float(currentBlendAlpha) * kByteScale);
        mode = 7;
    }
    ApplyBlendRow(mode, alpha, stage);
    return 1;
}

void DXC_Gfx::ApplyBlendRow(int32_t mode, int32_t alpha, int32_t stage)
{
    blendMode = requestedBlendMode = mode;
    requestedBlendAlpha = alpha;
    if (mode == 1) {
        SetAlphaBlendEnable(0);
        currentBlendAlpha = 255;
        return;
    }
    SetAlphaBlendEnable(1);
    switch (mode) {
    case 2:
    case 4:
    case 6:
    case 11:
        SetStageAlphaOp(stage, D3DTOP_SELECTARG1);
        SetStageAlphaArg1(stage, D3DTA_TEXTURE);
        break;
    case 5:
        SetStageAlphaOp(stage, D3DTOP_SELECTARG1);
        SetStageAlphaArg1(stage, D3DTA_TEXTURE);
        SetStageAlphaArg2(stage, D3DTA_DIFFUSE);
        break;
    case 3:
    case 9:
        SetStageAlphaOp(stage, D3DTOP_MODULATE);
        SetStageAlphaArg1(stage, D3DTA_TEXTURE);
        SetStageAlphaArg2(stage, D3DTA_DIFFUSE);
        if (mode == 9)
            SetTextureFactorAlpha(uint32_t(alpha));
        break;
    case 7:
    case 12:
    case 17:
        SetStageAlphaOp(stage, D3DTOP_MODULATE);
        SetStageAlphaArg1(stage, D3DTA_TFACTOR);
        SetStageAlphaArg2(stage, D3DTA_TEXTURE);
        SetTextureFactorAlpha(uint32_t(alpha));
        if (mode == 12 && states.tintColor != 0) {  // the tint colours what the texture gives
            SetStageColorOp(stage, D3DTOP_MODULATE);
            SetStageColorArg1(stage, D3DTA_TEXTURE);
            SetStageColorArg2(stage, D3DTA_DIFFUSE);
            if (stage + 1 < DXC_StateCache::kStages)
                SetStageColorOp(stage + 1, D3DTOP_DISABLE);
        }
        break;
    case 13:
        SetStageAlphaOp(stage, D3DTOP_SELECTARG1);
        SetStageAlphaArg1(stage, D3DTA_TFACTOR);
        SetTextureFactorAlpha(uint32_t(alpha));
        break;
    case 15:
    case 16:
        SetStageAlphaOp(stage, D3DTOP_SELECTARG1);
        SetStageAlphaArg1(stage, D3DTA_TFACTOR);
        SetStageColorOp(stage, D3DTOP_SELECTARG1);
        SetStageColorArg1(stage, D3DTA_TEXTURE);
        if (mode == 15)
            SetTextureFactorAlpha(uint32_t(alpha));
        else
            SetTextureFactor(uint32_t(alpha) & 0xFFu);
        break;
    default:  // 14 leaves the stage alone
        break;
    }
    const BlendRow row = RowOf(mode);
    SetRenderState(D3DRS_SRCBLEND, row.source);
    SetRenderState(D3DRS_DESTBLEND, row.destination);
    if (row.alpha == BlendAlpha::Given)
        currentBlendAlpha = alpha;
    else if (row.alpha == BlendAlpha::Full)
        currentBlendAlpha = 255;
    if (stage + 1 < DXC_StateCache::kStages && states.stages[stage + 1].alphaOp != int32_t(D3DTOP_DISABLE))
        SetStageAlphaOp(stage + 1, D3DTOP_DISABLE);
}

void DXC_Gfx::SetMaterialBlend(const DXC_Material& material, int32_t useMode, int32_t mode, int32_t alpha,
                               int32_t opaqueZWrite)
{
    const int32_t a = int32_t(float(alpha) * (1.0f - material.transparency));
    const bool opaque = material.transparency == 0.0f;
    if (useMode == 0) {
        switch (material.blendType) {
        case 0: ApplyBlendRow(a < 255 ? 13 : 1, a, blendStage); break;
        case 1: ApplyBlendRow(12, a, blendStage); break;
        case 2: ApplyBlendRow(17, a, blendStage); break;
        default: break;  // the blending stays as it is
        }
        SetZWriteEnable(a < 128 ? 0 : opaqueZWrite);
        return;
    }
    switch (material.blendType) {
    case 0:
        if (opaque)
            SetBlendMode(mode, alpha, blendStage);
        else if (mode == 12 || mode == 3)
            ApplyBlendRow(12, a, blendStage);
        else if (mode == 17 || mode == 5)
            ApplyBlendRow(17, a, blendStage);
        else
            ApplyBlendRow(7, a, blendStage);
        SetZWriteEnable(a < 128 ? 0 : opaqueZWrite);
        break;
    case 1:
        if (opaque)
            SetBlendMode(3, 0, 0);
        else
            ApplyBlendRow(12, a, blendStage);
        SetZWriteEnable(0);
        break;
    case 2:
        if (opaque)
            ApplyBlendRow(5, 255, 0);
        else
            ApplyBlendRow(17, a, blendStage);
        SetZWriteEnable(0);
        break;
    default:
        Error("Unknown material blend mode: %i", material.blendType);
    }
}

int DXC_Gfx::SetRenderSource(int32_t source, int32_t stage, uint32_t color)
{
    if (stage < 0 || stage >= DXC_StateCache::kStages)
        Error("Invalid stage: %i", stage);
    switch (source) {
    case 3:
        SetStageColorOp(stage, D3DTOP_SELECTARG2);
        SetStageColorArg2(stage, D3DTA_TFACTOR);
        SetTextureFactor(color);
        break;
    case 2:
        SetStageColorOp(stage, D3DTOP_SELECTARG2);
        SetStageColorArg2(stage, D3DTA_DIFFUSE);
        break;
    case 1:
    case -1:
        SetStageColorOp(stage, D3DTOP_MODULATE);
        SetStageColorArg1(stage, D3DTA_TEXTURE);
        SetStageColorArg2(stage, D3DTA_DIFFUSE);
        break;
    default:
        Error("Invalid render source selected");
        return 0;
    }
    renderSources[stage] = source;
    return 1;
}

// Unlit drawing takes its colour from the texture factor, with the alpha the blending put there.
void DXC_Gfx::SetUnlitStageArg(int32_t stage, void (DXC_Gfx::*setArg)(int32_t, DWORD))
{
    if (states.requestedLighting == 0 && states.unlitColor != 0xFFFFFFFFu) {
        SetTextureFactor((states.unlitColor & 0x00FFFFFFu) | (uint32_t(currentBlendAlpha) << 24));
        (this->*setArg)(stage, D3DTA_TFACTOR);
        return;
    }
    (this->*setArg)(stage, D3DTA_DIFFUSE);
}

void DXC_Gfx::SetUnlitStageArg2(int32_t stage) { SetUnlitStageArg(stage, &DXC_Gfx::SetStageColorArg2); }

void DXC_Gfx::SetUnlitStageArg0(int32_t stage) { SetUnlitStageArg(stage, &DXC_Gfx::SetStageColorArg0); }

int DXC_Gfx::SetMipmapMode(int32_t mode, float lodBias, int32_t stage)
{
    const bool known = mode >= 0 && mode <= 2;
    if (known) {  // a mode refused is not kept, so the restore after a reset cannot fail on it
        mipmapMode = mode;
        mipmapLodBias = lodBias;
    }
    if (!(caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP))
        return 0;
    if (!known) {
        Error("Wrong mipmap mode!");
        return 0;
    }
    SetSamplerState(DWORD(stage), D3DSAMP_MIPFILTER, DWORD(mode));
    if (caps.RasterCaps & D3DPRASTERCAPS_MIPMAPLODBIAS)
        SetSamplerState(DWORD(stage), D3DSAMP_MIPMAPLODBIAS, std::bit_cast<DWORD>(lodBias));
    return 1;
}

int DXC_Gfx::SetTextureMode(int32_t mode, int32_t stage)
{
    if (mode >= 1 && mode <= 6) {
        CheckStage(stage);
        static constexpr DWORD kFilters[6] = {D3DTEXF_LINEAR, D3DTEXF_POINT,       D3DTEXF_LINEAR,
                                              D3DTEXF_POINT,  D3DTEXF_ANISOTROPIC, D3DTEXF_ANISOTROPIC};
        const bool magnification = mode <= 2 || mode == 6;
        const DWORD filter = kFilters[mode - 1];
        (magnification ? magFilters : minFilters)[stage] = int32_t(filter);
        SetSamplerState(DWORD(stage), magnification ? D3DSAMP_MAGFILTER : D3DSAMP_MINFILTER, filter);
        return 1;
    }
    switch (mode) {
    case 7: SetTextureAddress(int32_t(D3DTADDRESS_WRAP), stage); return 1;
    case 8: SetTextureAddress(int32_t(D3DTADDRESS_CLAMP), stage); return 1;
    case 9: SetTextureAddress(int32_t(D3DTADDRESS_MIRROR), stage); return 1;
    case -1: return 1;
    default: return 0;
    }
}
