// DXC_Gfx images: the device's format checks, texture compression, the storage format of loaded
// textures, the maximum texture size, and off-screen surfaces made by the device.
#include "engine/gfx/DXC_Gfx.h"

#include "platform/D3D9Adapter.h"
#include "platform/D3D9Device.h"
#include "platform/D3D9FormatInfo.h"

int DXC_Gfx::CheckTextureFormat(D3DFORMAT format, int32_t mode)
{
    if (!device || !d3d)
        return 0;
    const DWORD usage = mode == 3 ? D3DUSAGE_RENDERTARGET : mode == 5 ? D3DUSAGE_DEPTHSTENCIL : 0;
    D3DDEVICE_CREATION_PARAMETERS creation;
    D3DDISPLAYMODE display;
    device->GetCreationParameters(&creation);
    device->GetDisplayMode(0, &display);
    lastResult = d3d->CheckDeviceFormat(creation.AdapterOrdinal, creation.DeviceType, display.Format, usage,
                                        D3DRTYPE_TEXTURE, format);
    if (FAILED(lastResult)) {
        Warning("Texture format %i mode %i not supported by device", int32_t(format), int32_t(usage));
        return 0;
    }
    return 1;
}

int DXC_Gfx::SetTextureCompression(int32_t level, int32_t minimumSize)
{
    if (level >= 1 && !CheckTextureFormat(D3DFMT_DXT1, 0))
        Error("Texture compression DXT1 not supported by hardware");
    if (level >= 2 && !CheckTextureFormat(D3DFMT_DXT5, 0))
        Error("Texture compression DXT5 not supported by hardware");
    compressionLevel = level;
    compressionMinSize = minimumSize;
    return 1;
}

float DXC_Gfx::BytesPerPixel(D3DFORMAT format)
{
    switch (format) {
    case D3DFMT_DXT1:
        return 0.5f;
    case D3DFMT_DXT2:
    case D3DFMT_DXT3:
    case D3DFMT_DXT4:
    case D3DFMT_DXT5:
        return 1.0f;
    case D3DFMT_R8G8B8:
        return 3.0f;
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
        return 4.0f;
    case D3DFMT_R5G6B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_D16:
        return 2.0f;
    default:
        return 0.0f;
    }
}

bool DXC_Gfx::IsDXTFormat(D3DFORMAT format)
{
    return IsD3D9Compressed(format);
}

uint32_t DXC_Gfx::NextPowerOfTwo(uint32_t n)
{
    return ::NextPowerOfTwo(n);
}

D3DFORMAT DXC_Gfx::ChooseTextureFormat(const D3DXIMAGE_INFO& image) const
{
    const uint64_t texels = uint64_t(NextPowerOfTwo(image.Width)) * NextPowerOfTwo(image.Height);
    if (compressionLevel > 0 && texels >= uint64_t(int64_t(compressionMinSize))) {
        if (IsDXTFormat(image.Format))
            return image.Format;
        const bool alpha = image.Format == D3DFMT_A8R8G8B8 || image.Format == D3DFMT_A1R5G5B5 ||
                           image.Format == D3DFMT_A4R4G4B4;
        return alpha ? D3DFMT_DXT5 : D3DFMT_DXT1;
    }
    if (image.Format == D3DFMT_X1R5G5B5)
        return D3DFMT_R5G6B5;
    if (image.Format == D3DFMT_X8R8G8B8 && backBufferFormat == D3DFMT_R5G6B5)
        return D3DFMT_R5G6B5;
    return D3DFMT_UNKNOWN;
}

bool DXC_Gfx::ExceedsMaxTextureSize(int32_t width, int32_t height) const
{
    return maxTextureSize > 0 && !maxTextureSizeOverride && (width >= maxTextureSize || height >= maxTextureSize);
}

int DXC_Gfx::CreateSurface(DXC_Surface* surface, int32_t width, int32_t height, int32_t format, bool systemMemory)
{
    if (!surface)
        Error("DXC_Surface pointer in CreateSurface is NULL pointer!");
    surface->Release();
    IDirect3DDevice9& made = Device();
    IDirect3DSurface9* created = nullptr;
    lastResult = made.CreateOffscreenPlainSurface(uint32_t(width), uint32_t(height),
                                                  format == -1 ? backBufferFormat : D3DFORMAT(format),
                                                  systemMemory ? D3DPOOL_SYSTEMMEM : D3DPOOL_DEFAULT, &created, nullptr);
    if (FAILED(lastResult))
        Error("CreateOffscreenPlainSurface failed: %s ", GetDirectXErrorName(lastResult));
    const int32_t id = surfaceManager.Add(created, "", "");
    surface->Attach(created, &surfaceManager, id);
    surface->device = &made;
    return 1;
}
