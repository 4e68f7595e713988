// DXC_Gfx display: the client's set-up of the device (presentation parameters, device,
// capabilities, back-buffer surface, the depth set-up of the state cache) and the release of
// every device object the graphics object holds. The dedicated server makes no device.
#include "engine/gfx/DXC_Gfx.h"

#include "platform/D3D9Device.h"

int DXC_Gfx::InitDisplay(Window* target, const DXC_DisplayMode& mode)
{
    if (device)
        Error("InitDisplay: the device exists already");
    D3DFORMAT depth = D3DFMT_UNKNOWN;
    switch (mode.zBufferBits) {
    case 0:
        break;
    case 16:
        depth = D3DFMT_D16;
        break;
    case 24:
        depth = D3DFMT_D24S8;
        break;
    case 32:
        depth = D3DFMT_D32;
        break;
    default:
        Error("Invalid Z-buffer: %i", mode.zBufferBits);
    }
    window = target;
    windowed = mode.windowed ? 1 : 0;
    displayWidth = mode.width;
    displayHeight = mode.height;
    refreshRate = mode.refreshRate;
    vsync = mode.vsync;
    backBufferFormat = mode.format;

    D3DPRESENT_PARAMETERS& p = presentParameters;
    p = D3DPRESENT_PARAMETERS();
    p.BackBufferWidth = uint32_t(mode.width);
    p.BackBufferHeight = uint32_t(mode.height);
    p.BackBufferFormat = mode.format;
    p.BackBufferCount = 1;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.hDeviceWindow = window;
    p.Windowed = windowed;
    p.EnableAutoDepthStencil = depth != D3DFMT_UNKNOWN ? 1 : 0;
    p.AutoDepthStencilFormat = depth;
    p.FullScreen_RefreshRateInHz = windowed ? 0 : uint32_t(mode.refreshRate);
    p.PresentationInterval = mode.vsync ? D3DPRESENT_INTERVAL_ONE : D3DPRESENT_INTERVAL_IMMEDIATE;

    // Hardware vertex processing where the adapter has it, mixed so that meshes it cannot blend
    // fall back to software.
    D3DCAPS9 adapterCaps;
    lastResult = d3d->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &adapterCaps);
    if (FAILED(lastResult))
        Error("GetDeviceCaps failed: %s", GetDirectXErrorName(lastResult));
    const bool hardware = (adapterCaps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) != 0;
    lastResult = d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                   hardware ? D3DCREATE_MIXED_VERTEXPROCESSING : D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                   &p, &device);
    if (FAILED(lastResult))
        Error("CreateDevice failed: %s", GetDirectXErrorName(lastResult));
    lastResult = device->GetDeviceCaps(&caps);
    if (FAILED(lastResult))
        Error("GetDeviceCaps failed: %s", GetDirectXErrorName(lastResult));
    IDirect3DSurface9* surface = nullptr;
    lastResult = device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &surface);
    if (FAILED(lastResult))
        Error("GetBackBuffer failed: %s", GetDirectXErrorName(lastResult));
    backBuffer.Attach(surface, &surfaceManager, -1);

    initialised = 1;
    InvalidateStateCache();  // the new device's defaults are not what the caches hold
    states.mixedVertexProcessing = hardware ? 1 : 0;
    states.softwareVertexProcessing = device->GetSoftwareVertexProcessing();
    states.zBufferBits = mode.zBufferBits;
    states.zEnableRestore = depth != D3DFMT_UNKNOWN ? int32_t(D3DZB_TRUE) : 0;
    states.stencilAvailable = depth == D3DFMT_D24S8 ? 1 : 0;
    states.targetHasZBuffer = 1;
    return 1;
}

void DXC_Gfx::ReleaseDeviceObjects()
{
    placeholder.Release();
    backBuffer.Release();
    for (DXC_VideoSource& source : videoSources)
        source.texture = nullptr;  // the texture manager's entry held it; it goes with the textures
    for (IDirect3DVertexBuffer9*& stream : states.streams)
        stream = nullptr;  // the device held the bound buffers
    if (device)
        device->Release();
    device = nullptr;
    initialised = 0;
    if (d3d)
        d3d->Release();
    d3d = nullptr;
}
