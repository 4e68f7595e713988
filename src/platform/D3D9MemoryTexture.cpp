// D3D9MemoryTexture: creation, locking and reference counting of the memory surfaces and textures.
#include "platform/D3D9MemoryTexture.h"

#include <cstddef>

namespace {

uint32_t BytesPerPixel(D3DFORMAT format)
{
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
        return 4;
    case D3DFMT_R5G6B5:
    case D3DFMT_A1R5G5B5:
        return 2;
    default:
        return 0;
    }
}

bool ValidSize(uint32_t width, uint32_t height)
{
    return width > 0 && height > 0 && width <= kMaxMemoryImageSide && height <= kMaxMemoryImageSide;
}

MemoryImageLevel MakeLevel(uint32_t width, uint32_t height, D3DFORMAT format, uint32_t pool, uint32_t usage)
{
    MemoryImageLevel level;
    level.desc.Format = format;
    level.desc.Pool = pool;
    level.desc.Usage = usage;
    level.desc.Width = width;
    level.desc.Height = height;
    level.pitch = int32_t(width * BytesPerPixel(format));
    level.pixels.assign(std::size_t(level.pitch) * height, 0);
    return level;
}

}  // namespace

HRESULT MemoryImageLevel::Lock(D3DLOCKED_RECT* rect, DWORD)
{
    if (!rect || locked)
        return D3DERR_INVALIDCALL;
    locked = true;
    rect->Pitch = pitch;
    rect->pBits = pixels.data();
    return D3D_OK;
}

HRESULT MemoryImageLevel::Unlock()
{
    if (!locked)
        return D3DERR_INVALIDCALL;
    locked = false;
    return D3D_OK;
}

uint32_t IDirect3DSurface9::Release()
{
    uint32_t left = --m_References;
    if (left == 0)
        delete this;
    return left;
}

HRESULT IDirect3DSurface9::GetDesc(D3DSURFACE_DESC* desc) const
{
    if (!desc)
        return D3DERR_INVALIDCALL;
    *desc = m_Level.desc;
    return D3D_OK;
}

HRESULT IDirect3DSurface9::LockRect(D3DLOCKED_RECT* locked, const void* rect, DWORD flags)
{
    if (rect)
        return D3DERR_INVALIDCALL;
    return m_Level.Lock(locked, flags);
}

uint32_t IDirect3DTexture9::Release()
{
    uint32_t left = --m_References;
    if (left == 0)
        delete this;
    return left;
}

HRESULT IDirect3DTexture9::GetLevelDesc(uint32_t level, D3DSURFACE_DESC* desc) const
{
    if (!desc || level >= m_Levels.size())
        return D3DERR_INVALIDCALL;
    *desc = m_Levels[level].desc;
    return D3D_OK;
}

HRESULT IDirect3DTexture9::LockRect(uint32_t level, D3DLOCKED_RECT* locked, const void* rect, DWORD flags)
{
    if (rect || level >= m_Levels.size())
        return D3DERR_INVALIDCALL;
    return m_Levels[level].Lock(locked, flags);
}

HRESULT IDirect3DTexture9::UnlockRect(uint32_t level)
{
    if (level >= m_Levels.size())
        return D3DERR_INVALIDCALL;
    return m_Levels[level].Unlock();
}

HRESULT CreateMemorySurface(uint32_t width, uint32_t height, D3DFORMAT format, uint32_t pool,
                            IDirect3DSurface9** surface)
{
    if (!surface)
        return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (!ValidSize(width, height) || BytesPerPixel(format) == 0)
        return D3DERR_INVALIDCALL;
    IDirect3DSurface9* made = new IDirect3DSurface9();
    made->m_Level = MakeLevel(width, height, format, pool, 0);
    *surface = made;
    return D3D_OK;
}

HRESULT CreateMemoryTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, D3DFORMAT format,
                            uint32_t pool, IDirect3DTexture9** texture)
{
    if (!texture)
        return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (!ValidSize(width, height) || BytesPerPixel(format) == 0)
        return D3DERR_INVALIDCALL;
    IDirect3DTexture9* made = new IDirect3DTexture9();
    for (uint32_t w = width, h = height;; w = w > 1 ? w / 2 : 1, h = h > 1 ? h / 2 : 1) {
        made->m_Levels.push_back(MakeLevel(w, h, format, pool, usage));
        if (made->m_Levels.size() == levels || (w == 1 && h == 1))
            break;
    }
    *texture = made;
    return D3D_OK;
}
