// DXC_Gfx display: the client's set-up of the device (presentation parameters, device,
// capabilities, back-buffer surface, the depth set-up of the state cache) and the release of
// every device object the graphics object holds. The dedicated server makes no device.
#include "engine/gfx/DXC_Gfx.h"

#include "engine/gfx/DXC_Font.h"
#include "engine/gfx/DXC_PrintfContainer.h"
#include "engine/gfx/DXC_TextureCatalogue.h"
#include "engine/gfx/DXC_VertexList.h"
#include "platform/D3D9Device.h"

int DXC_Gfx::InitDisplay(Window* target, const DXC_DisplayMode& mode)
{
    if (device)
        Error("InitDisplay: the device exists already");
    window = target;
    windowed = mode.windowed ? 1 : 0;
    displayWidth = mode.width;
    displayHeight = mode.height;
    refreshRate = mode.refreshRate;
    vsync = mode.vsync;
    backBufferFormat = mode.format;
    zBufferBits = mode.zBufferBits;
    antialiasing = mode.antialiasing;
    // A window shares the desktop's format; full screen sets its own.
    D3DDISPLAYMODE desktop;
    adapterFormat = windowed && SUCCEEDED(d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &desktop)) &&
                            desktop.Format != D3DFMT_UNKNOWN
                        ? desktop.Format
                        : mode.format;
    BuildPresentParameters();

    // Hardware vertex processing where the adapter has it, mixed so that meshes it cannot blend
    // fall back to software.
    D3DCAPS9 adapterCaps;
    lastResult = d3d->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &adapterCaps);
    if (FAILED(lastResult))
        Error("GetDeviceCaps failed: %s", GetDirectXErrorName(lastResult));
    const bool hardware = (adapterCaps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) != 0;
    lastResult = d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                   hardware ? D3DCREATE_MIXED_VERTEXPROCESSING : D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                   &presentParameters, &device);
    if (FAILED(lastResult))
        Error("CreateDevice failed: %s", GetDirectXErrorName(lastResult));
    lastResult = device->GetDeviceCaps(&caps);
    if (FAILED(lastResult))
        Error("GetDeviceCaps failed: %s", GetDirectXErrorName(lastResult));
    FetchDeviceSurfaces();

    initialised = 1;
    InvalidateStateCache();  // the new device's defaults are not what the caches hold
    states.mixedVertexProcessing = hardware ? 1 : 0;
    states.softwareVertexProcessing = device->GetSoftwareVertexProcessing();
    states.zEnableRestore = presentParameters.EnableAutoDepthStencil ? int32_t(D3DZB_TRUE) : 0;
    states.targetHasZBuffer = 1;
    return 1;
}

void DXC_Gfx::ReleaseDeviceObjects()
{
    vertexLists->ReleaseBuffers();
    if (printfContainer)
        printfContainer->ReleaseDeviceObjects();
    if (currentFont == builtinFont.get())
        currentFont = nullptr;
    builtinFont.reset();
    placeholder.Release();
    if (catalogue)
        catalogue->Clear();
    backBuffer.Release();
    ReleaseSurfaceSlots();
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
