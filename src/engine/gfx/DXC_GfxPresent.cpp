// DXC_Gfx presentation: the presentation parameters with their fallbacks to what the adapter
// takes, the capability queries, the vertex processing of meshes and the statistics (frame rate,
// texture and mesh memory). On the dedicated server the parameters are never built, and the
// statistics count empty managers.
#include "engine/gfx/DXC_Gfx.h"

#include "engine/scene/RTXLoader.h"
#include "platform/D3D9Adapter.h"
#include "platform/D3D9Device.h"
#include "platform/D3DXMesh.h"

#include <algorithm>
#include <cmath>

namespace {

// The mapping of the synchronisation setting; 0 for a setting that has none.
uint32_t PresentIntervalOf(int32_t setting)
{
    switch (setting) {
    case -1:
    case 1:
        return D3DPRESENT_INTERVAL_ONE;
    case 0:
        return D3DPRESENT_INTERVAL_IMMEDIATE;
    case 2:
        return D3DPRESENT_INTERVAL_TWO;
    case 3:
        return D3DPRESENT_INTERVAL_THREE;
    case 4:
        return D3DPRESENT_INTERVAL_FOUR;
    default:
        return 0;
    }
}

D3DFORMAT DepthFormatOf(int32_t bits)
{
    switch (bits) {
    case 16:
        return D3DFMT_D16;
    case 24:
        return D3DFMT_D24S8;
    case 32:
        return D3DFMT_D32;
    default:
        return D3DFMT_UNKNOWN;
    }
}

// Blend weights in the position part of a vertex format (XYZB1 to XYZB5); with indexed blending
// the last of them carries the indices.
int32_t BlendWeightsOf(uint32_t vertexFormat)
{
    const uint32_t position = vertexFormat & 0x00E;
    int32_t weights = position >= 0x006 ? int32_t(position - 0x004) / 2 : 0;
    if (weights > 0 && (vertexFormat & D3DFVF_LASTBETA_UBYTE4))
        weights--;
    return weights;
}

}  // namespace

void DXC_Gfx::SetVSync(int32_t setting)
{
    const uint32_t interval = PresentIntervalOf(setting);
    if (interval == 0)
        Error("Wrong vsync parameter: %i", setting);
    presentParameters.PresentationInterval = interval;
}

void DXC_Gfx::BuildPresentParameters()
{
    D3DPRESENT_PARAMETERS& p = presentParameters;
    p = D3DPRESENT_PARAMETERS();
    p.BackBufferFormat = backBufferFormat;
    p.BackBufferCount = 1;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.hDeviceWindow = window;
    if (windowed == 0) {
        p.BackBufferWidth = uint32_t(displayWidth);
        p.BackBufferHeight = uint32_t(displayHeight);
        p.Windowed = 0;
        p.FullScreen_RefreshRateInHz = uint32_t(refreshRate);
        SetVSync(vsync);
    } else {  // the device sizes the back buffer to the window
        p.Windowed = 1;
        p.FullScreen_RefreshRateInHz = 0;
        p.PresentationInterval = vsync != 0 ? D3DPRESENT_INTERVAL_ONE : D3DPRESENT_INTERVAL_IMMEDIATE;
    }

    if (zBufferBits != 0 && DepthFormatOf(zBufferBits) == D3DFMT_UNKNOWN)
        Error("Invalid Z-buffer: %i", zBufferBits);
    // Each refused depth format falls back one step; the chain ends at 16 bits.
    while (zBufferBits != 0) {
        const D3DFORMAT depth = DepthFormatOf(zBufferBits);
        const bool taken =
            SUCCEEDED(d3d->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, adapterFormat, D3DUSAGE_DEPTHSTENCIL,
                                             D3DRTYPE_SURFACE, depth)) &&
            SUCCEEDED(d3d->CheckDepthStencilMatch(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, adapterFormat,
                                                  p.BackBufferFormat, depth));
        if (taken) {
            p.EnableAutoDepthStencil = 1;
            p.AutoDepthStencilFormat = depth;
            break;
        }
        if (zBufferBits == 16)
            Error("No depth buffer available");
        zBufferBits = zBufferBits == 32 ? 24 : 16;
    }

    if (antialiasing != 0) {
        DWORD backLevels = 0;
        DWORD depthLevels = ~DWORD(0);
        const bool backTaken =
            SUCCEEDED(d3d->CheckDeviceMultiSampleType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, p.BackBufferFormat,
                                                      p.Windowed, D3DMULTISAMPLE_NONMASKABLE, &backLevels));
        // Without a depth buffer only the back buffer needs to take the samples.
        const bool depthTaken = !p.EnableAutoDepthStencil ||
                                SUCCEEDED(d3d->CheckDeviceMultiSampleType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL,
                                                                          p.AutoDepthStencilFormat, p.Windowed,
                                                                          D3DMULTISAMPLE_NONMASKABLE, &depthLevels));
        if (!backTaken || !depthTaken || std::min(backLevels, depthLevels) < 1) {
            Warning("Full scene anitaliasing not supported");
            antialiasing = 0;
        } else {
            const int32_t best = int32_t(std::min(backLevels, depthLevels)) - 1;
            p.MultiSampleType = D3DMULTISAMPLE_NONMASKABLE;
            if (antialiasing < 0)
                antialiasing = best;
            if (antialiasing > best) {
                Warning("Full scene anitaliasing quality lowered from %i to %i", antialiasing, best);
                antialiasing = best;
            }
            p.MultiSampleQuality = uint32_t(antialiasing);
        }
    }

    states.zBufferBits = p.EnableAutoDepthStencil ? zBufferBits : 0;
    states.stencilAvailable = p.AutoDepthStencilFormat == D3DFMT_D24S8 ? 1 : 0;
    UpdateWindowRect();
}

void DXC_Gfx::UpdateWindowRect()
{
    if (window) {
        WINDOWINFO info;
        window->GetWindowInfo(&info);
        clientRect = info.rcClient;
    } else {  // no window of our own: the display is the client area
        clientRect = RECT();
        clientRect.right = displayWidth;
        clientRect.bottom = displayHeight;
    }
    screenRect = RECT();
    screenRect.right = clientRect.right - clientRect.left;
    screenRect.bottom = clientRect.bottom - clientRect.top;
}

void DXC_Gfx::GetDeviceCaps(D3DCAPS9& out)
{
    if (initialised && device) {
        out = caps;
        return;
    }
    out = D3DCAPS9();
    if (d3d)
        lastResult = d3d->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &out);
}

uint32_t DXC_Gfx::GetPixelShaderVersion()
{
    D3DCAPS9 answer;
    GetDeviceCaps(answer);
    return answer.PixelShaderVersion;
}

int32_t DXC_Gfx::CheckVertexProcessing(uint32_t vertexFormat, int32_t blendIndex, bool needsEffect)
{
    const DXC_ReplacementEffect& effect = replacementEffect;
    int32_t result = 1;
    if (needsEffect) {
        if (!effect.set || !(effect.capabilities & DXC_ReplacementEffect::kCanDraw))
            return 0;
        result = 2;
    }
    if (vertexFormat & D3DFVF_LASTBETA_UBYTE4) {
        if (blendIndex < 0 || !indexedBlending)
            return 0;
        if (effect.set && (effect.capabilities & DXC_ReplacementEffect::kCanSkin)) {
            if (blendIndex > effect.boneLimit)
                return 0;
            result = 2;
        } else if (int64_t(caps.MaxVertexBlendMatrixIndex) < int64_t(blendIndex) + 1 ||
                   (blendIndexLimit >= 0 && blendIndexLimit < blendIndex)) {
            return 0;
        }
    } else if (BlendWeightsOf(vertexFormat) > int32_t(caps.MaxVertexBlendMatrices)) {
        return 0;
    }
    if ((vertexFormat & D3DFVF_PSIZE) && caps.MaxPointSize <= 1.0f)
        return 0;
    if (effect.set && effect.shaderModel == -1)
        result = 2;
    return result;
}

// The oldest sample still within a second of the newest one (the one before it when none is),
// against the newest.
float DXC_Gfx::GetFPS() const
{
    if (frameSamples < 2)
        return 0.0f;
    const int32_t newest = (frameRingPos + kFrameRing - 1) % kFrameRing;
    int32_t oldest = frameSamples < kFrameRing ? 0 : frameRingPos;
    const double now = frameRing[newest].time;
    while ((oldest + 1) % kFrameRing != newest && now - frameRing[oldest].time > 1.0)
        oldest = (oldest + 1) % kFrameRing;
    const double span = now - frameRing[oldest].time;
    if (span <= 0.0)
        return 0.0f;
    return float(double(frameRing[newest].frame - frameRing[oldest].frame) / span);
}

int32_t DXC_Gfx::GetTextureMemory()
{
    double bytes = 0.0;
    for (int32_t n = 0; n < textureManager.GetCount(); n++) {
        const DXC_Resource* record = textureManager.GetEntry(n);
        auto* texture = record ? static_cast<IDirect3DTexture9*>(record->resource) : nullptr;
        if (!texture)
            continue;
        for (uint32_t level = 0; level < texture->GetLevelCount(); level++) {
            D3DSURFACE_DESC desc;
            if (texture->GetLevelDesc(level, &desc) == D3D_OK)
                bytes += double(BytesPerPixel(desc.Format)) * double(desc.Width) * double(desc.Height);
        }
    }
    return int32_t(std::lround(std::min(bytes, 2147483647.0)));
}

int32_t DXC_Gfx::GetMeshMemory()
{
    int64_t bytes = 0;
    for (int32_t n = 0; n < meshManager.GetCount(); n++) {
        const DXC_Resource* record = meshManager.GetEntry(n);
        auto* mesh = record ? static_cast<ID3DXMesh*>(record->resource) : nullptr;
        if (mesh)
            bytes += int64_t(mesh->GetNumVertices()) * mesh->GetNumBytesPerVertex() + int64_t(mesh->GetNumFaces()) * 6;
    }
    return int32_t(std::min<int64_t>(bytes, INT32_MAX));
}

uint32_t DXC_Gfx::GetAvailableTextureMem()
{
    return device ? device->GetAvailableTextureMem() : 0;
}

void DXC_Gfx::GetImporterName(String& out) const
{
    out = rtxLoader->GetEnvironmentMap();
}
