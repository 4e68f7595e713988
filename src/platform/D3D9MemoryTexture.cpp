// D3D9MemoryTexture: the images, their locks, the level surfaces of textures, creation without a
// device and the filtering of lower levels.
#include "platform/D3D9MemoryTexture.h"

#include "platform/D3D9FormatInfo.h"
#include "platform/D3D9Journal.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace {

bool ValidSize(uint32_t width, uint32_t height)
{
    return width > 0 && height > 0 && width <= kMaxMemoryImageSide && height <= kMaxMemoryImageSide;
}

// What a device-less image may be: a known format that is not compressed.
bool PlainFormat(D3DFORMAT format)
{
    const D3D9FormatInfo* info = FindD3D9Format(format);
    return info && !info->compressed && format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32;
}

}  // namespace

MemoryImageLevel::MemoryImageLevel(uint32_t width, uint32_t height, D3DFORMAT format, uint32_t usage, uint32_t pool)
{
    desc.Format = format;
    desc.Usage = usage;
    desc.Pool = pool;
    desc.Width = width;
    desc.Height = height;
    const D3D9FormatInfo* info = FindD3D9Format(format);
    if (!info)
        return;
    pitch = int32_t(info->RowPitch(width));
    pixels.assign(size_t(pitch) * info->RowCount(height), 0);
}

HRESULT MemoryImageLevel::Lock(D3DLOCKED_RECT* rect, const D3DRECT* area)
{
    if (!rect || locked || !lockable)
        return D3DERR_INVALIDCALL;
    const D3D9FormatInfo* info = FindD3D9Format(desc.Format);
    if (!info)
        return D3DERR_INVALIDCALL;
    size_t offset = 0;
    if (area) {
        const int32_t w = int32_t(desc.Width), h = int32_t(desc.Height);
        if (area->x1 < 0 || area->y1 < 0 || area->x2 > w || area->y2 > h || area->x1 >= area->x2 ||
            area->y1 >= area->y2)
            return D3DERR_INVALIDCALL;
        if (info->compressed) {  // whole blocks only
            auto edge = [](int32_t v, int32_t size) { return v % 4 == 0 || v == size; };
            if (area->x1 % 4 || area->y1 % 4 || !edge(area->x2, w) || !edge(area->y2, h))
                return D3DERR_INVALIDCALL;
            offset = size_t(area->y1 / 4) * size_t(pitch) + size_t(area->x1 / 4) * info->bytes;
        } else {
            offset = size_t(area->y1) * size_t(pitch) + size_t(area->x1) * info->bytes;
        }
    }
    locked = true;
    rect->Pitch = pitch;
    rect->pBits = pixels.data() + offset;
    return D3D_OK;
}

HRESULT MemoryImageLevel::Unlock()
{
    if (!locked)
        return D3DERR_INVALIDCALL;
    locked = false;
    return D3D_OK;
}

IDirect3DSurface9::IDirect3DSurface9(MemoryImageLevel image, IDirect3DTexture9* texture)
    : D3D9Resource(D3D9Kind::Surface, image.desc.Pool, texture), m_Image(std::move(image)), m_Texture(texture)
{
}

HRESULT IDirect3DSurface9::GetDesc(D3DSURFACE_DESC* desc) const
{
    return JournalCall(Journal(), D3D9Op::GetDesc, {D3D9Arg(this)}, [&] {
        if (!desc)
            return D3DERR_INVALIDCALL;
        *desc = m_Image.desc;
        return D3D_OK;
    });
}

HRESULT IDirect3DSurface9::LockRect(D3DLOCKED_RECT* locked, const D3DRECT* rect, DWORD flags)
{
    return JournalCall(Journal(), D3D9Op::LockRect, {D3D9Arg(this), D3D9Arg(rect), flags}, [&] {
        if (m_Texture && GetPool() == D3DPOOL_DEFAULT && !(m_Image.desc.Usage & D3DUSAGE_DYNAMIC))
            return D3DERR_INVALIDCALL;  // default-pool textures are locked only when made dynamic
        return m_Image.Lock(locked, rect);
    });
}

HRESULT IDirect3DSurface9::UnlockRect()
{
    return JournalCall(Journal(), D3D9Op::UnlockRect, {D3D9Arg(this)}, [&] { return m_Image.Unlock(); });
}

IDirect3DTexture9::IDirect3DTexture9(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                                     D3DFORMAT format, uint32_t pool)
    : D3D9Resource(D3D9Kind::Texture, pool), m_Usage(usage)
{
    for (uint32_t w = width, h = height;; w = w > 1 ? w / 2 : 1, h = h > 1 ? h / 2 : 1) {
        MemoryImageLevel image(w, h, format, usage, pool);
        m_Levels.push_back(new IDirect3DSurface9(std::move(image), this));
        if (m_Levels.size() == levels || (w == 1 && h == 1))
            break;
    }
}

IDirect3DTexture9::~IDirect3DTexture9()
{
    for (IDirect3DSurface9* level : m_Levels)
        delete level;
}

uint64_t IDirect3DTexture9::GetBytes() const
{
    uint64_t bytes = 0;
    for (const IDirect3DSurface9* level : m_Levels)
        bytes += level->m_Image.pixels.size();
    return bytes;
}

HRESULT IDirect3DTexture9::GetLevelDesc(uint32_t level, D3DSURFACE_DESC* desc) const
{
    return JournalCall(Journal(), D3D9Op::GetLevelDesc, {D3D9Arg(this), level}, [&] {
        if (!desc || level >= m_Levels.size())
            return D3DERR_INVALIDCALL;
        *desc = m_Levels[level]->m_Image.desc;
        return D3D_OK;
    });
}

HRESULT IDirect3DTexture9::GetSurfaceLevel(uint32_t level, IDirect3DSurface9** surface)
{
    return JournalCall(Journal(), D3D9Op::GetSurfaceLevel, {D3D9Arg(this), level}, [&] {
        if (!surface || level >= m_Levels.size())
            return D3DERR_INVALIDCALL;
        *surface = m_Levels[level];
        (*surface)->AddRef();
        return D3D_OK;
    });
}

HRESULT IDirect3DTexture9::LockRect(uint32_t level, D3DLOCKED_RECT* locked, const D3DRECT* rect, DWORD flags)
{
    if (level >= m_Levels.size())
        return JournalCall(Journal(), D3D9Op::LockRect, {D3D9Arg(this), D3D9Arg(rect), flags, level},
                           [] { return D3DERR_INVALIDCALL; });
    return m_Levels[level]->LockRect(locked, rect, flags);
}

HRESULT IDirect3DTexture9::UnlockRect(uint32_t level)
{
    if (level >= m_Levels.size())
        return JournalCall(Journal(), D3D9Op::UnlockRect, {D3D9Arg(this), level}, [] { return D3DERR_INVALIDCALL; });
    return m_Levels[level]->UnlockRect();
}

HRESULT IDirect3DTexture9::AddDirtyRect(const D3DRECT* rect)
{
    return JournalCall(Journal(), D3D9Op::AddDirtyRect, {D3D9Arg(this), D3D9Arg(rect)}, [] { return D3D_OK; });
}

HRESULT CreateMemorySurface(uint32_t width, uint32_t height, D3DFORMAT format, uint32_t pool,
                            IDirect3DSurface9** surface)
{
    if (!surface)
        return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (!ValidSize(width, height) || !PlainFormat(format))
        return D3DERR_INVALIDCALL;
    *surface = new IDirect3DSurface9(MemoryImageLevel(width, height, format, 0, pool), nullptr);
    return D3D_OK;
}

HRESULT CreateMemoryTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, D3DFORMAT format,
                            uint32_t pool, IDirect3DTexture9** texture)
{
    if (!texture)
        return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (!ValidSize(width, height) || !PlainFormat(format))
        return D3DERR_INVALIDCALL;
    *texture = new IDirect3DTexture9(width, height, levels, usage, format, pool);
    return D3D_OK;
}

HRESULT D3DXFilterTexture(IDirect3DTexture9* texture, const void*, uint32_t srcLevel, DWORD)
{
    if (!texture || srcLevel >= texture->m_Levels.size())
        return D3DERR_INVALIDCALL;
    for (IDirect3DSurface9* level : texture->m_Levels)
        if (level->GetImage().locked)
            return D3DERR_INVALIDCALL;
    const D3DFORMAT format = texture->m_Levels[srcLevel]->GetImage().desc.Format;
    const D3D9FormatInfo* info = FindD3D9Format(format);
    if (!info || info->depth)
        return D3DERR_INVALIDCALL;
    // A compressed level is filtered block by block, an uncompressed one pixel by pixel.
    const uint32_t unit = info->bytes;
    const bool firstOnly = info->compressed || (unit == 2 && format != D3DFMT_A8L8);
    for (size_t n = srcLevel + 1; n < texture->m_Levels.size(); n++) {
        MemoryImageLevel& above = texture->m_Levels[n - 1]->GetImage();
        MemoryImageLevel& level = texture->m_Levels[n]->GetImage();
        const uint32_t aw = info->compressed ? (above.desc.Width + 3) / 4 : above.desc.Width;
        const uint32_t ah = info->RowCount(above.desc.Height);
        const uint32_t lw = info->compressed ? (level.desc.Width + 3) / 4 : level.desc.Width;
        const uint32_t lh = info->RowCount(level.desc.Height);
        for (uint32_t y = 0; y < lh; y++) {
            for (uint32_t x = 0; x < lw; x++) {
                const uint32_t x0 = std::min(2 * x, aw - 1), x1 = std::min(2 * x + 1, aw - 1);
                const uint32_t y0 = std::min(2 * y, ah - 1), y1 = std::min(2 * y + 1, ah - 1);
                uint8_t* out = level.Row(y) + size_t(x) * unit;
                for (uint32_t b = 0; b < unit; b++) {
                    auto at = [&](uint32_t px, uint32_t py) { return uint32_t(above.Row(py)[size_t(px) * unit + b]); };
                    out[b] = firstOnly ? uint8_t(at(x0, y0))
                                       : uint8_t((at(x0, y0) + at(x1, y0) + at(x0, y1) + at(x1, y1) + 2) / 4);
                }
            }
        }
    }
    return D3D_OK;
}
