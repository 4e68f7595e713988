// DXC_Texture pixels: locking the current mip level of the current texture, clears, copies of
// surfaces and textures into it, the compression of a stage, its mipmaps, and the check that the
// files of its stages are unchanged.
#include "engine/gfx/DXC_Texture.h"

#include "base/File.h"
#include "engine/gfx/DXC_Gfx.h"
#include "platform/D3D9Device.h"
#include "platform/D3D9FormatInfo.h"
#include "platform/D3DXImage.h"

#include <algorithm>

namespace {

// An image locked for a copy: its bits, pitch and the locked rectangle (pixels of the level).
struct LockedView {
    uint8_t* bits;
    int32_t pitch;
    const int32_t* rect;
};

// Locks an image for a copy unless it is locked already; unlocks on leaving what it locked.
class CopyLock {
public:
    CopyLock(DXC_SurfaceBase& image, DWORD flags) : m_Image(image), m_Here(!image.locked)
    {
        if (m_Here)
            image.Lock(nullptr, flags);
    }
    ~CopyLock()
    {
        if (m_Here)
            m_Image.Unlock();
    }
    CopyLock(const CopyLock&) = delete;
    CopyLock& operator=(const CopyLock&) = delete;
    LockedView View() const
    {
        return {static_cast<uint8_t*>(m_Image.lockedBits.pBits), m_Image.lockedBits.Pitch, m_Image.lockedRect};
    }

private:
    DXC_SurfaceBase& m_Image;
    bool m_Here;
};

}  // namespace

IDirect3DDevice9* DXC_Texture::GetDevice() const
{
    if (device)
        return device;
    return currentTexture ? currentTexture->GetOwnerDevice() : nullptr;
}

uint32_t DXC_Texture::CurrentPool() const
{
    return currentTexture ? currentTexture->GetPool() : stageBlocks[currentStage].Pool;
}

int DXC_Texture::Lock(const D3DRECT* rect, DWORD flags)
{
    if (!currentTexture)
        return 0;
    const HRESULT result = currentTexture->LockRect(uint32_t(mipLevel), &lockedBits, rect, flags);
    if (FAILED(result))
        Error("LockRect failed: %s", GetDirectXErrorName(result));
    const SurfaceExtent size = GetExtent();
    NoteLock(rect, size.width, size.height);
    return 1;
}

int DXC_Texture::Lock(D3DLOCKED_RECT& rect, DWORD flags)
{
    if (!Lock(nullptr, flags))
        return 0;
    rect = lockedBits;
    return 1;
}

int DXC_Texture::Unlock()
{
    if (!currentTexture)
        return 0;
    const HRESULT result = currentTexture->UnlockRect(uint32_t(mipLevel));
    if (FAILED(result))
        Error("UnlockRect failed: %s", GetDirectXErrorName(result));
    locked = 0;
    return 1;
}

SurfaceExtent DXC_Texture::GetExtent() const
{
    SurfaceExtent size;
    GetSize(size.width, size.height);
    return size;
}

int DXC_Texture::GetSize(int32_t& width, int32_t& height) const
{
    const int32_t shift = std::clamp(mipLevel, 0, 31);
    width = std::max(pixelWidth >> shift, 1);
    height = std::max(pixelHeight >> shift, 1);
    return 1;
}

IDirect3DSurface9* DXC_Texture::GetSurface()
{
    IDirect3DSurface9* level = nullptr;
    const HRESULT result =
        currentTexture ? currentTexture->GetSurfaceLevel(uint32_t(mipLevel), &level) : D3DERR_INVALIDCALL;
    if (FAILED(result))
        Error("GetSurfaceLevel failed: %s", GetDirectXErrorName(result));
    return level;
}

int DXC_Texture::CreateMipMaps()
{
    if (!currentTexture)
        return 0;
    HRESULT result = D3DXFilterTexture(currentTexture, nullptr, 0, 0);
    if (FAILED(result))
        Error("D3DXFilterTexture failed: %s", GetDirectXErrorName(result));
    result = currentTexture->AddDirtyRect(nullptr);
    if (FAILED(result))
        Error("AddDirtyRect() in CreateMipMaps() failed: %s", GetDirectXErrorName(result));
    mipLevels = int32_t(currentTexture->GetLevelCount());
    return 1;
}

int DXC_Texture::Clear(uint32_t color, const D3DRECT* rect)
{
    if (!currentTexture)
        return 0;
    if (CurrentPool() == D3DPOOL_DEFAULT) {
        IDirect3DSurface9* level = GetSurface();
        IDirect3DDevice9* made = GetDevice();
        const HRESULT result = made ? made->ColorFill(level, rect, color) : D3DERR_INVALIDCALL;
        level->Release();
        if (FAILED(result))
            Error("ColorFill failed: %s", GetDirectXErrorName(result));
        return 1;
    }
    if (rect)
        Error("Clear: rec only valid for D3DPOOL_DEFAULT surfaces");
    if (IsCompressed())  // a pixel write cannot address a compressed block
        Error("Unsupported pixel format! (%i), file %s", int32_t(format), GetName().c_str());
    CopyLock lock(*this, 0);
    for (int32_t y = 0; y < lockedRect[3] - lockedRect[1]; y++)
        for (int32_t x = 0; x < lockedRect[2] - lockedRect[0]; x++)
            PutPixel(x, y, color);
    return 1;
}

int DXC_Texture::DrawSurface(DXC_Surface& surface, int32_t x, int32_t y)
{
    int32_t from[4];
    surface.GetRect(from);
    return CopyInto(surface, surface.surface, from, x, y, "Mismatching pixel formats for DrawSurface()");
}

int DXC_Texture::DrawTexture(DXC_Texture& texture, int32_t x, int32_t y, int32_t sx1, int32_t sy1, int32_t sx2,
                             int32_t sy2)
{
    int32_t from[4] = {sx1, sy1, sx2, sy2};
    if (sx1 == 0 && sy1 == 0 && sx2 == 0 && sy2 == 0) {
        from[2] = texture.GetExtent().width;
        from[3] = texture.GetExtent().height;
    }
    IDirect3DSurface9* level = texture.IsValid() ? texture.GetSurface() : nullptr;
    ReleaseOnExit<IDirect3DSurface9> release(level);
    return CopyInto(texture, level, from, x, y, "Mismatching pixel formats for DrawTexture()");
}

// The source rectangle is clipped to the source image first: a rectangle reaching past it copies
// only what exists. Compressed images move as whole 4 x 4 blocks of one format, so the rectangle
// and the point must lie on block edges (a rectangle may end at the image's own edge).
int DXC_Texture::CopyInto(DXC_SurfaceBase& source, IDirect3DSurface9* sourceSurface, int32_t from[4], int32_t x,
                          int32_t y, const char* mismatch)
{
    if (!currentTexture || !source.IsValid())
        return 0;
    const SurfaceExtent sourceSize = source.GetExtent();
    if (from[0] > from[2])
        std::swap(from[0], from[2]);
    if (from[1] > from[3])
        std::swap(from[1], from[3]);
    x += std::max(0, -from[0]);
    y += std::max(0, -from[1]);
    from[0] = std::max(from[0], 0);
    from[1] = std::max(from[1], 0);
    from[2] = std::min(from[2], sourceSize.width);
    from[3] = std::min(from[3], sourceSize.height);
    if (from[2] <= from[0] || from[3] <= from[1])
        return 1;
    const SurfaceExtent size = GetExtent();
    int32_t point[2] = {x, y};
    if (!ClipBlit(from, point, size.width, size.height))
        return 1;

    const bool compressed = IsCompressed() || source.IsCompressed();
    if (compressed) {
        auto edge = [](int32_t value, int32_t limit) { return value % 4 == 0 || value == limit; };
        const int32_t width = from[2] - from[0], height = from[3] - from[1];
        if (source.format != format || from[0] % 4 || from[1] % 4 || point[0] % 4 || point[1] % 4 ||
            !edge(from[2], sourceSize.width) || !edge(from[3], sourceSize.height) ||
            !edge(point[0] + width, size.width) || !edge(point[1] + height, size.height))
            Error("%s", mismatch);
    }
    if (CurrentPool() == D3DPOOL_DEFAULT) {
        IDirect3DDevice9* made = GetDevice();
        IDirect3DSurface9* level = GetSurface();
        const D3DRECT rect{from[0], from[1], from[2], from[3]};
        const POINT at{point[0], point[1]};
        const HRESULT result = made && sourceSurface ? made->UpdateSurface(sourceSurface, &rect, level, &at)
                                                     : D3DERR_INVALIDCALL;
        level->Release();
        if (FAILED(result))
            Error("UpdateSurface failed: %s", GetDirectXErrorName(result));
        return 1;
    }
    if (CurrentPool() != D3DPOOL_MANAGED)
        Error("Invalid texture pool for DrawSurface()");
    const D3D9FormatInfo* info = FindD3D9Format(format);
    if (!info || (!compressed && source.bytesPerPixel != bytesPerPixel))
        Error("%s", mismatch);

    CopyLock sourceLock(source, D3DLOCK_READONLY);
    CopyLock targetLock(*this, 0);
    const LockedView in = sourceLock.View(), out = targetLock.View();
    const int32_t unit = info->compressed ? 4 : 1;  // pixels per stored unit along each side
    const int32_t unitBytes = int32_t(info->bytes);
    for (int32_t row = 0; row < from[3] - from[1]; row += unit) {
        const int32_t sy = from[1] + row, dy = point[1] + row;
        if (sy < in.rect[1] || sy >= in.rect[3] || dy < out.rect[1] || dy >= out.rect[3])
            continue;  // outside a locked rectangle: nothing read or written
        const int32_t shift = point[0] - from[0];
        const int32_t left = std::max({from[0], in.rect[0], out.rect[0] - shift});
        const int32_t right = std::min({from[2], in.rect[2], out.rect[2] - shift});
        if (right <= left)
            continue;
        const int32_t units = (right - left + unit - 1) / unit;
        const uint8_t* src = in.bits + ptrdiff_t((sy - in.rect[1]) / unit) * in.pitch +
                             ptrdiff_t((left - in.rect[0]) / unit) * unitBytes;
        uint8_t* dst = out.bits + ptrdiff_t((dy - out.rect[1]) / unit) * out.pitch +
                       ptrdiff_t((left + shift - out.rect[0]) / unit) * unitBytes;
        std::copy(src, src + ptrdiff_t(units) * unitBytes, dst);
    }
    return 1;
}

// Every level is converted, not only the first, so that a compressed stage keeps its mipmaps.
// The stage keeps its map record and its file name; only its image changes.
int DXC_Texture::Compress(int32_t mode)
{
    static const D3DFORMAT kFormats[5] = {D3DFMT_DXT1, D3DFMT_DXT2, D3DFMT_DXT3, D3DFMT_DXT4, D3DFMT_DXT5};
    if (mode < 1 || mode > 5)
        Error("Invalid compression mode selected");
    IDirect3DDevice9* made = GetDevice();
    if (!currentTexture || !made)
        Error("Failed to create compressed texture: %s", GetDirectXErrorName(D3DERR_INVALIDCALL));
    DXC_ResourceManagerBase* manager = resourceManager;
    if (!manager && g_Gfx)
        manager = &g_Gfx->GetTextureManager();
    if (!manager)
        Error("Failed to create compressed texture: %s", GetDirectXErrorName(D3DERR_INVALIDCALL));
    const uint32_t pool = currentTexture->GetPool();
    const uint32_t levels = currentTexture->GetLevelCount();
    IDirect3DTexture9* compressed = nullptr;
    HRESULT result = made->CreateTexture(uint32_t(pixelWidth), uint32_t(pixelHeight), levels, 0, kFormats[mode - 1],
                                         pool, &compressed, nullptr);
    if (FAILED(result))
        Error("Failed to create compressed texture: %s", GetDirectXErrorName(result));
    for (uint32_t l = 0; l < levels; l++) {
        IDirect3DSurface9* level = nullptr;
        result = compressed->GetSurfaceLevel(l, &level);
        if (FAILED(result)) {
            compressed->Release();
            Error("GetSurfaceLevel failed: %s", GetDirectXErrorName(result));
        }
        D3DSURFACE_DESC desc;
        currentTexture->GetLevelDesc(l, &desc);
        D3DLOCKED_RECT bits;
        result = currentTexture->LockRect(l, &bits, nullptr, D3DLOCK_READONLY);
        if (SUCCEEDED(result)) {
            const D3DRECT whole{0, 0, int32_t(desc.Width), int32_t(desc.Height)};
            result = D3DXLoadSurfaceFromMemory(level, nullptr, nullptr, bits.pBits, desc.Format, uint32_t(bits.Pitch),
                                               nullptr, &whole, D3DX_DEFAULT, 0);
            currentTexture->UnlockRect(l);
        }
        level->Release();
        if (FAILED(result)) {
            compressed->Release();
            Error("Can not copy to compressed texture: %s", GetDirectXErrorName(result));
        }
    }
    const DXC_MapInfo record = stages[currentStage];
    const String name = stageNames[currentStage];
    const int32_t time = stageTimes[currentStage];
    const bool inSequence = frameCount > 0 && currentStage == sequenceStage;
    FreeCurrent();
    if (!inSequence) {
        stages[currentStage] = record;
        stageNames[currentStage] = name;
        stageTimes[currentStage] = time;
        transformChanged[currentStage] = 1;
    }
    if (pool == D3DPOOL_DEFAULT)
        s_DefaultPoolTextures++;
    resourceManager = manager;
    int32_t* idSlot = nullptr;
    IDirect3DTexture9** textureSlot = nullptr;
    CurrentSlot(idSlot, textureSlot);
    *idSlot = manager->Add(compressed, "", "");
    *textureSlot = compressed;
    RefreshCurrent();
    UpdateDesc();
    return 1;
}

bool DXC_Texture::IsFileUnchanged() const
{
    for (int32_t s = 0; s < kStages; s++)
        if (!stageNames[s].IsEmpty() && File::GetModTime(stageNames[s].c_str()) != uint32_t(stageTimes[s]))
            return false;
    return true;
}
