// D3D9MemoryTexture: surfaces and textures held in plain memory, made without a device: the
// dedicated server's placeholders and whatever the graphics layer creates while no device exists.
// They count references like the device's objects: Release at zero frees them.
#pragma once
#include "platform/D3D9Types.h"

#include <cstdint>
#include <vector>

// One level of pixels with its description; 16- and 32-bit formats only.
struct MemoryImageLevel {
    D3DSURFACE_DESC desc;
    int32_t pitch = 0;
    std::vector<uint8_t> pixels;
    bool locked = false;

    HRESULT Lock(D3DLOCKED_RECT* locked, DWORD flags);
    HRESULT Unlock();
};

class IDirect3DSurface9 {
public:
    uint32_t AddRef() { return ++m_References; }
    uint32_t Release();
    HRESULT GetDesc(D3DSURFACE_DESC* desc) const;
    HRESULT LockRect(D3DLOCKED_RECT* locked, const void* rect, DWORD flags);  // whole surface only
    HRESULT UnlockRect() { return m_Level.Unlock(); }

private:
    friend HRESULT CreateMemorySurface(uint32_t, uint32_t, D3DFORMAT, uint32_t, IDirect3DSurface9**);
    IDirect3DSurface9() = default;
    ~IDirect3DSurface9() = default;
    uint32_t m_References = 1;
    MemoryImageLevel m_Level;
};

class IDirect3DTexture9 {
public:
    uint32_t AddRef() { return ++m_References; }
    uint32_t Release();
    uint32_t GetLevelCount() const { return uint32_t(m_Levels.size()); }
    HRESULT GetLevelDesc(uint32_t level, D3DSURFACE_DESC* desc) const;
    HRESULT LockRect(uint32_t level, D3DLOCKED_RECT* locked, const void* rect, DWORD flags);
    HRESULT UnlockRect(uint32_t level);

private:
    friend HRESULT D3DXFilterTexture(IDirect3DTexture9*, const void*, uint32_t, DWORD);
    friend HRESULT CreateMemoryTexture(uint32_t, uint32_t, uint32_t, uint32_t, D3DFORMAT, uint32_t,
                                       IDirect3DTexture9**);
    IDirect3DTexture9() = default;
    ~IDirect3DTexture9() = default;
    uint32_t m_References = 1;
    std::vector<MemoryImageLevel> m_Levels;
};

// Largest side of a memory surface or texture; the device's limit.
constexpr uint32_t kMaxMemoryImageSide = 8192;

// An off-screen surface of width x height pixels, cleared to 0. D3DERR_INVALIDCALL for a size of
// 0 or above the limit, or a format other than the 16- and 32-bit ones.
HRESULT CreateMemorySurface(uint32_t width, uint32_t height, D3DFORMAT format, uint32_t pool,
                            IDirect3DSurface9** surface);
// A texture with the given number of levels (0: the full chain down to 1 x 1), each half the size
// of the one before, cleared to 0; the same failures as above.
HRESULT CreateMemoryTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, D3DFORMAT format,
                            uint32_t pool, IDirect3DTexture9** texture);

// Fills every level below srcLevel from the one above it, each pixel the mean of the 2 x 2 pixels
// it covers (per byte channel of 32-bit pixels; the odd last row or column of a level repeats; a
// 16-bit level takes the first of the four). D3DERR_INVALIDCALL
// for a level that does not exist or is locked. The palette and the filter are not read.
HRESULT D3DXFilterTexture(IDirect3DTexture9* texture, const void* palette, uint32_t srcLevel, DWORD filter);
