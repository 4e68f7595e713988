// D3D9MemoryTexture: creation, locking and reference counting of the memory surfaces and textures.
#include "platform/D3D9MemoryTexture.h"

#include <algorithm>
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

HRESULT D3DXFilterTexture(IDirect3DTexture9* texture, const void*, uint32_t srcLevel, DWORD)
{
    if (!texture || srcLevel >= texture->m_Levels.size())
        return D3DERR_INVALIDCALL;
    for (const MemoryImageLevel& level : texture->m_Levels)
        if (level.locked)
            return D3DERR_INVALIDCALL;
    const uint32_t bytes = BytesPerPixel(texture->m_Levels[srcLevel].desc.Format);
    for (std::size_t n = srcLevel + 1; n < texture->m_Levels.size(); n++) {
        const MemoryImageLevel& above = texture->m_Levels[n - 1];
        MemoryImageLevel& level = texture->m_Levels[n];
        const uint32_t aw = above.desc.Width, ah = above.desc.Height;
        for (uint32_t y = 0; y < level.desc.Height; y++) {
            for (uint32_t x = 0; x < level.desc.Width; x++) {
                const uint32_t x0 = std::min(2 * x, aw - 1), x1 = std::min(2 * x + 1, aw - 1);
                const uint32_t y0 = std::min(2 * y, ah - 1), y1 = std::min(2 * y + 1, ah - 1);
                auto at = [&](uint32_t px, uint32_t py, uint32_t b) {
                    return uint32_t(above.pixels[std::size_t(py) * std::size_t(above.pitch) + px * bytes + b]);
                };
                for (uint32_t b = 0; b < bytes; b++) {
                    uint8_t& out = level.pixels[std::size_t(y) * std::size_t(level.pitch) + x * bytes + b];
                    if (bytes == 2) {  // 16-bit channels straddle the bytes: the first pixel stands for all
                        out = uint8_t(at(x0, y0, b));
                        continue;
                    }
                    out = uint8_t((at(x0, y0, b) + at(x1, y0, b) + at(x0, y1, b) + at(x1, y1, b) + 2) / 4);
                }
            }
        }
    }
    return D3D_OK;
}
