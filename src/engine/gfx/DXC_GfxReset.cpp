// DXC_Gfx reset: presenting a frame with the frame ring it feeds, the wait while the device is
// lost, the release of everything in the default pool, the reset itself, and the render state sent
// again afterwards. None of it runs without a device, so never on the dedicated server.
#include "engine/gfx/DXC_Gfx.h"

#include "base/Timer.h"
#include "engine/gfx/DXC_ShaderEffect.h"
#include "platform/D3D9Device.h"
#include "platform/D3DXEffect.h"

#include <algorithm>

namespace {

constexpr double kFrameSampleInterval = 1.0 / 60.0;
constexpr uint32_t kLostDeviceWaitMs = 20;  // between tests of a lost device
constexpr float kRestoredFieldOfView = 0.7854f;  // radians, 45 degrees

struct MessagePump {
    std::function<void()> pump;
    const void* owner = nullptr;
};

MessagePump& Pump()
{
    static MessagePump s_Pump;
    return s_Pump;
}

template <class Visit> void ForEachRecord(DXC_ResourceManagerBase& manager, Visit visit)
{
    for (int32_t n = 0; n < manager.GetCount(); n++)
        if (DXC_Resource* record = manager.GetEntry(n))
            if (record->resource)
                visit(*record);
}

void NotifyEffects(DXC_ResourceManagerBase& effects, bool lost)
{
    ForEachRecord(effects, [&](DXC_Resource& record) {
        ID3DXEffect* effect = static_cast<DXC_EffectRecord*>(record.resource)->effect;
        if (effect) {
            if (lost)
                effect->OnLostDevice();
            else
                effect->OnResetDevice();
        }
    });
}

}  // namespace

void DXC_Gfx::SetMessagePump(std::function<void()> pump, const void* owner)
{
    MessagePump& current = Pump();
    if (!pump && owner != current.owner)
        return;
    current.pump = std::move(pump);
    current.owner = current.pump ? owner : nullptr;
}

int DXC_Gfx::Present()
{
    if (windowed && window) {  // a resized window needs a back buffer of its new size
        RECT now;
        window->GetClientRect(&now);
        if (now.right - now.left != clientRect.right - clientRect.left ||
            now.bottom - now.top != clientRect.bottom - clientRect.top) {
            ResetDevice(nullptr, -1);
            return 0;
        }
        UpdateWindowRect();
    }
    lastResult = Device().Present(nullptr, nullptr, nullptr, nullptr);

    const double now = Timer::GetTime();
    const DXC_FrameSample& previous = frameRing[(frameRingPos + kFrameRing - 1) % kFrameRing];
    if (frameSamples == 0 || now - previous.time > kFrameSampleInterval) {
        frameRing[frameRingPos] = DXC_FrameSample{frameCounter, now};
        frameRingPos = (frameRingPos + 1) % kFrameRing;
        frameSamples = std::min(frameSamples + 1, kFrameRing);
    }
    lastPresentTime = now;
    frameCounter++;
    trianglesDrawn = 0;
    drawCalls = 0;

    if (SUCCEEDED(lastResult) || lastResult == D3DERR_WASSTILLDRAWING)
        return 1;
    if (lastResult == D3DERR_DRIVERINTERNALERROR)
        Warning("Present failed! %s", GetDirectXErrorName(lastResult));
    else if (lastResult != D3DERR_DEVICELOST)
        Error("Present failed! %s", GetDirectXErrorName(lastResult));
    ResetDevice(nullptr, -1);
    return 0;
}

int DXC_Gfx::ResetDevice(const int32_t* windowRectangle, int32_t vsyncNumber)
{
    IDirect3DDevice9& d = Device();
    // A lost device cannot be reset. The wait takes the window messages that came meanwhile and
    // tests again after a short sleep, so a device that recovers without a message is noticed.
    while ((lastResult = d.TestCooperativeLevel()) == D3DERR_DEVICELOST) {
        if (Pump().pump)
            Pump().pump();
        Timer::Sleep(kLostDeviceWaitMs);
    }

    const float minZ = viewport.MinZ;
    const float maxZ = viewport.MaxZ;
    backBuffer.Release();
    ReleaseDefaultPool();
    ReleaseSurfaceSlots();
    if (windowRectangle)
        for (int32_t i = 0; i < 4; i++)
            windowRect[i] = windowRectangle[i];
    BuildPresentParameters();
    if (vsyncNumber >= 0)
        SetVSync(vsyncNumber);

    lastResult = d.Reset(&presentParameters);
    if (FAILED(lastResult))
        Error("Device Reset failed: %s", GetDirectXErrorName(lastResult));
    NotifyEffects(effectManager, false);
    FetchDeviceSurfaces();
    InvalidateStateCache();
    RestoreRenderState();
    int32_t width = 0;
    int32_t height = 0;
    GetBackBufferSize(width, height);
    SetViewPort(0, 0, width, height, minZ, maxZ);
    return 1;
}

// The records stay with their keys and references; their owners make the resources again when
// they next need them.
void DXC_Gfx::ReleaseDefaultPool()
{
    ForEachRecord(surfaceManager, [](DXC_Resource& record) {
        auto* surface = static_cast<IDirect3DSurface9*>(record.resource);
        D3DSURFACE_DESC desc;
        if (surface->GetDesc(&desc) == D3D_OK && desc.Pool == D3DPOOL_DEFAULT) {
            surface->Release();
            record.resource = nullptr;
        }
    });
    ForEachRecord(textureManager, [&](DXC_Resource& record) {
        auto* texture = static_cast<IDirect3DTexture9*>(record.resource);
        D3DSURFACE_DESC desc;
        if (texture->GetLevelDesc(0, &desc) == D3D_OK && desc.Pool == D3DPOOL_DEFAULT) {
            for (DXC_VideoSource& source : videoSources)  // a dynamic video texture goes too
                if (source.texture == texture)
                    source.texture = nullptr;
            texture->Release();
            record.resource = nullptr;
            textureCount--;
            DXC_Texture::s_DefaultPoolTextures--;
        }
    });
    NotifyEffects(effectManager, true);
}

// The extra buffers, screen textures and the screen copy are made again on demand; an extra depth
// buffer that could not be made is not tried again.
void DXC_Gfx::ReleaseSurfaceSlots()
{
    for (IDirect3DSurface9** slots : {renderTargetSlots, depthStencilSlots})
        for (int32_t i = 0; i < 2; i++) {
            if (slots[i])
                slots[i]->Release();
            slots[i] = nullptr;
        }
    for (IDirect3DTexture9*& texture : screenTextures) {
        if (texture)
            texture->Release();
        texture = nullptr;
    }
    if (screenCopy) {
        screenCopy->Release();
        textureCount--;
    }
    screenCopy = nullptr;
    renderBuffer = depthBuffer = 0;
    if (depthBuffer1State > 0)
        depthBuffer1State = 0;
    states.renderTargetTexture = nullptr;
    states.depthSurface = nullptr;
}

void DXC_Gfx::FetchDeviceSurfaces()
{
    IDirect3DDevice9& d = Device();
    lastResult = d.GetRenderTarget(0, &renderTargetSlots[0]);
    if (FAILED(lastResult))
        Error("Can not retrieve render target: %s", GetDirectXErrorName(lastResult));
    if (presentParameters.EnableAutoDepthStencil) {
        lastResult = d.GetDepthStencilSurface(&depthStencilSlots[0]);
        if (FAILED(lastResult))
            Error("Can not retrieve zbuffer: %s", GetDirectXErrorName(lastResult));
    }
    IDirect3DSurface9* surface = nullptr;
    lastResult = d.GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface);
    if (FAILED(lastResult))
        Error("GetBackBuffer failed: %s", GetDirectXErrorName(lastResult));
    backBuffer.Attach(surface, &surfaceManager, -1);
    UpdateWindowRect();
}

// In the order the device needs them: the fill mode of points applies the point-sprite record
// first. The viewport's cache is forgotten, so the device has it again even when it is unchanged.
void DXC_Gfx::RestoreRenderState()
{
    const DXC_StateCache requested = states;
    const D3DVIEWPORT9 port = viewport;
    ForgetViewPort();
    SetViewPort(int32_t(port.X), int32_t(port.Y), int32_t(port.X + port.Width), int32_t(port.Y + port.Height),
                port.MinZ, port.MaxZ);
    int32_t width = 0;
    int32_t height = 0;
    GetBackBufferSize(width, height);
    SetPerspective(perspectiveNear, perspectiveFar, kRestoredFieldOfView,
                   height > 0 ? float(width) / float(height) : 1.0f);
    SetViewMatrix(viewMatrix);
    SetLighting(requested.requestedLighting, requested.unlitColor);
    SetSpecularEnable(requested.requestedSpecularEnable);
    ApplyBlendRow(requestedBlendMode, requestedBlendAlpha, blendStage);
    SetCullMode(requested.requestedCullMode);
    SetFog(fog);
    EnableFog(requested.fogEnable);
    SetClipping(requested.requestedClipping);
    SetAlphaTest(requested.requestedAlphaTestMode, requested.requestedAlphaRef);
    SetPatchEdgeStyle(requested.requestedPatchEdgeStyle);
    SetMipmapMode(mipmapMode, mipmapLodBias, 0);
    SetFillMode(requested.requestedFillMode);
    SetZWriteEnable(requested.requestedZWriteEnable);
    if (requested.samplers[0].requestedU >= 0)  // never asked for: the device's default stands
        SetTextureAddressU(requested.samplers[0].requestedU, 0);
    if (requested.samplers[0].requestedV >= 0)
        SetTextureAddressV(requested.samplers[0].requestedV, 0);
    SetGammaRamp(&gammaRamp, gammaCalibrate != 0);
    for (int32_t stage = 0; stage < DXC_StateCache::kStages; stage++) {
        if (magFilters[stage] >= 0)
            SetSamplerState(DWORD(stage), D3DSAMP_MAGFILTER, DWORD(magFilters[stage]));
        if (minFilters[stage] >= 0)
            SetSamplerState(DWORD(stage), D3DSAMP_MINFILTER, DWORD(minFilters[stage]));
    }
}
