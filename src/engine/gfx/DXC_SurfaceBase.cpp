// DXC_SurfaceBase: construction, release and the description of an off-screen surface (DXC_Surface).
#include "engine/gfx/DXC_SurfaceBase.h"

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

void DXC_Surface::Release()
{
    if (surface) {
        // shared through a manager: only the last holder releases the platform surface
        const bool last = !resourceManager || resourceManager->Unacquire(resourceId) == 1;
        if (last)
            surface->Release();
    }
    surface = nullptr;
    width = height = 0;
    locked = 0;
    bytesPerPixel = 0;
    alphaState = -1;
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
    bytesPerPixel = (format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8) ? 4 : 2;
}
