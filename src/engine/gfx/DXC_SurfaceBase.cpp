// DXC_SurfaceBase: the off-screen surface (DXC_Surface): construction, release, description,
// locks, the source area, clearing, saving and copies.
#include "engine/gfx/DXC_SurfaceBase.h"

#include "platform/D3D9Device.h"
#include "platform/D3DXImage.h"

#include <algorithm>

DXC_Surface::DXC_Surface()
{
    SetName("DXC_Surface");
    ResetResource();
}

DXC_Surface::~DXC_Surface()
{
    Release();
}

void DXC_Surface::GetRect(int32_t rect[4]) const
{
    for (int i = 0; i < 4; i++)
        rect[i] = sourceArea[i];
}

int DXC_Surface::GetSize(int32_t& w, int32_t& h) const
{
    w = width;
    h = height;
    return 1;
}

void DXC_Surface::Release()
{
    if (surface) {
        // Shared through a manager: only the last holder releases the platform surface, and it
        // releases the manager's, which a device reset may have released already.
        IDirect3DSurface9* held = surface;
        if (resourceManager && resourceId >= 0)
            held = static_cast<IDirect3DSurface9*>(resourceManager->GetResource(resourceId));
        const bool last = !resourceManager || resourceManager->Unacquire(resourceId) == 1;
        if (last && held)
            held->Release();
    }
    surface = nullptr;
    device = nullptr;
    width = height = 0;
    ResetImage();
    ResetResource();
}

void DXC_Surface::Attach(IDirect3DSurface9* made, DXC_ResourceManagerBase* manager, int32_t id)
{
    Release();
    surface = made;
    resourceManager = manager;
    resourceId = manager ? id : -1;
    UpdateDesc();
}

void DXC_Surface::UpdateDesc()
{
    if (!surface)
        return;
    HRESULT result = surface->GetDesc(&desc);
    if (FAILED(result))
        Error("GetDesc failed: %s", GetDirectXErrorName(result));
    width = int32_t(desc.Width);
    height = int32_t(desc.Height);
    sourceArea[0] = sourceArea[1] = 0;
    sourceArea[2] = width;
    sourceArea[3] = height;
    format = desc.Format;
    SetupFormat();
}

int DXC_Surface::Lock(const D3DRECT* rect, DWORD flags)
{
    if (!surface)
        return 0;
    const HRESULT result = surface->LockRect(&lockedBits, rect, flags);
    if (FAILED(result))
        Error("LockRect failed: %s", GetDirectXErrorName(result));
    NoteLock(rect, width, height);
    return 1;
}

int DXC_Surface::Unlock()
{
    if (!surface)
        return 0;
    const HRESULT result = surface->UnlockRect();
    if (FAILED(result))
        Error("UnlockRect failed: %s", GetDirectXErrorName(result));
    locked = 0;
    return 1;
}

int DXC_Surface::SetSourceArea(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    sourceArea[0] = std::min(x1, x2);
    sourceArea[1] = std::min(y1, y2);
    sourceArea[2] = std::max(x1, x2);
    sourceArea[3] = std::max(y1, y2);
    if (sourceArea[0] < 0 || sourceArea[1] < 0 || sourceArea[2] > width || sourceArea[3] > height)
        Error("Source area in DXC_Surface out of surface!");
    return 1;
}

int DXC_Surface::Clear(uint32_t color, const D3DRECT* rect)
{
    if (desc.Pool == D3DPOOL_DEFAULT) {
        if (!device)
            Error("No Direct3D device");
        const HRESULT result = device->ColorFill(surface, rect, color);
        if (FAILED(result)) {
            Error("ColorFill failed: %s", GetDirectXErrorName(result));
        }
        return 1;
    }
    if (rect)
        Error("Clear: rec only valid for D3DPOOL_DEFAULT surfaces");
    const bool lockHere = !locked;
    if (lockHere && !Lock(nullptr, 0))
        return 0;
    for (int32_t y = 0; y < lockedRect[3] - lockedRect[1]; y++)
        for (int32_t x = 0; x < lockedRect[2] - lockedRect[0]; x++)
            PutPixel(x, y, color);
    if (lockHere)
        Unlock();
    return 1;
}

int DXC_Surface::SaveToFile(const char* fileName, uint32_t imageFormat, const D3DRECT* rect)
{
    const HRESULT result = D3DXSaveSurfaceToFileA(fileName, imageFormat, surface, nullptr, rect);
    if (FAILED(result))
        Error("D3DXSaveTextureToFile failed: %s (file:%s)", GetDirectXErrorName(result), fileName ? fileName : "");
    return 1;
}

int DXC_Surface::CopyFrom(DXC_Surface& source, int32_t x, int32_t y, int32_t w, int32_t h)
{
    if (desc.Pool == D3DPOOL_DEFAULT && source.desc.Pool == D3DPOOL_DEFAULT && !IsCompressed() &&
        !source.IsCompressed()) {
        int32_t from[4], point[2] = {x, y};
        source.GetRect(from);
        if (!ClipBlit(from, point, width, height))
            return 1;
        if (!device)
            Error("No Direct3D device");
        const D3DRECT sourceRect{from[0], from[1], from[2], from[3]};
        const D3DRECT target{point[0], point[1], point[0] + from[2] - from[0], point[1] + from[3] - from[1]};
        const HRESULT result = device->StretchRect(source.surface, &sourceRect, surface, &target, D3DTEXF_LINEAR);
        if (FAILED(result))
            Error("StretchRect failed: %s", GetDirectXErrorName(result));
        return 1;
    }
    return StretchFrom(source, x, y, w, h);
}
