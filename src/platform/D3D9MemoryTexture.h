// D3D9MemoryTexture: surfaces and textures held in plain memory: the resources that the stand-in
// device makes, and the images made without a device (the dedicated server's placeholders). They
// count references like the device's objects: Release at zero frees them.
//
// The device's rules hold for them: an image is locked once at a time; a level of a default-pool
// texture is locked only when the texture was made for dynamic use; render targets made not
// lockable, depth surfaces and the back buffer are never locked.
#pragma once
#include "platform/D3D9Object.h"
#include "platform/D3D9Types.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// One image of pixels with its description: a surface of its own or one level of a texture. Rows
// lie pitch bytes apart; for the DXT formats a row is a row of 4 x 4 blocks.
struct MemoryImageLevel {
    D3DSURFACE_DESC desc;
    int32_t pitch = 0;
    std::vector<uint8_t> pixels;
    bool locked = false;
    bool lockable = true;

    MemoryImageLevel() = default;
    // Cleared to 0. The format must be one the stand-in knows.
    MemoryImageLevel(uint32_t width, uint32_t height, D3DFORMAT format, uint32_t usage, uint32_t pool);

    uint8_t* Row(uint32_t y) { return pixels.data() + size_t(y) * size_t(pitch); }
    // The whole image, or a rectangle inside it (of whole blocks for DXT).
    HRESULT Lock(D3DLOCKED_RECT* locked, const D3DRECT* rect);
    HRESULT Unlock();
};

class IDirect3DTexture9;

class IDirect3DSurface9 : public D3D9Resource {
public:
    HRESULT GetDesc(D3DSURFACE_DESC* desc) const;
    HRESULT LockRect(D3DLOCKED_RECT* locked, const D3DRECT* rect, DWORD flags);
    HRESULT UnlockRect();
    // The texture of which this is a level; null for a surface of its own.
    IDirect3DTexture9* GetContainerTexture() const { return m_Texture; }
    // The stand-in's own access to the pixels, for the device's copies and for tests.
    MemoryImageLevel& GetImage() { return m_Image; }

private:
    friend class IDirect3DDevice9;
    friend class IDirect3DTexture9;
    friend HRESULT CreateMemorySurface(uint32_t, uint32_t, D3DFORMAT, uint32_t, IDirect3DSurface9**);
    IDirect3DSurface9(MemoryImageLevel image, IDirect3DTexture9* texture);
    ~IDirect3DSurface9() override = default;

    MemoryImageLevel m_Image;
    IDirect3DTexture9* m_Texture;  // the container; not owned
};

class IDirect3DTexture9 : public D3D9Resource {
public:
    uint32_t GetLevelCount() const { return uint32_t(m_Levels.size()); }
    HRESULT GetLevelDesc(uint32_t level, D3DSURFACE_DESC* desc) const;
    // The level as a surface; it counts on this texture's references, so the caller releases it.
    HRESULT GetSurfaceLevel(uint32_t level, IDirect3DSurface9** surface);
    HRESULT LockRect(uint32_t level, D3DLOCKED_RECT* locked, const D3DRECT* rect, DWORD flags);
    HRESULT UnlockRect(uint32_t level);
    HRESULT AddDirtyRect(const D3DRECT* rect);  // the whole memory is always current
    uint32_t GetUsage() const { return m_Usage; }

private:
    friend class IDirect3DDevice9;
    friend HRESULT D3DXFilterTexture(IDirect3DTexture9*, const void*, uint32_t, DWORD);
    friend HRESULT CreateMemoryTexture(uint32_t, uint32_t, uint32_t, uint32_t, D3DFORMAT, uint32_t,
                                       IDirect3DTexture9**);
    // The level chain (levels 0: down to 1 x 1), each level half the size of the one before.
    IDirect3DTexture9(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, D3DFORMAT format,
                      uint32_t pool);
    ~IDirect3DTexture9() override;
    uint64_t GetBytes() const;

    uint32_t m_Usage;
    std::vector<IDirect3DSurface9*> m_Levels;  // owned parts
};

// Largest side of a memory surface or texture; the device's limit.
constexpr uint32_t kMaxMemoryImageSide = 8192;

// An image made without a device: the uncompressed formats only, cleared to 0.
// D3DERR_INVALIDCALL for a size of 0 or above the limit, or a compressed or unknown format.
HRESULT CreateMemorySurface(uint32_t width, uint32_t height, D3DFORMAT format, uint32_t pool,
                            IDirect3DSurface9** surface);
// A texture with the given number of levels (0: the full chain down to 1 x 1); the same failures.
HRESULT CreateMemoryTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, D3DFORMAT format,
                            uint32_t pool, IDirect3DTexture9** texture);

// Fills every level below srcLevel from the one above it: each pixel the mean of the 2 x 2 pixels
// it covers, per byte channel (the odd last row or column of a level repeats); a format whose
// channels straddle bytes (the 16-bit colour formats) takes the first of the four pixels, and a
// DXT level the first of the four blocks. D3DERR_INVALIDCALL for a level that does not exist, a
// locked level or a depth format. The palette and the filter are not read.
HRESULT D3DXFilterTexture(IDirect3DTexture9* texture, const void* palette, uint32_t srcLevel, DWORD filter);
