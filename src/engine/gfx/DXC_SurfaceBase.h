// DXC_SurfaceBase: what the two image classes share: format with its pixel converters, size
// queries, the lock state, and software pixel access on a locked image (reading any format, DXT1
// and DXT5 included, writing, lines, stretched copies, the alpha examination); DXC_Surface: an
// off-screen surface that owns its platform surface.
//
// Reading a DXT block follows the engine's own arithmetic, whose channel values callers rely on:
// the colours are widened without repeating their high bits (31 in five bits reads 248), index 2
// of a four-colour block is (2 c0 + c1 + 1) / 3 and index 3 (c0 + 2 c1 + 1) / 3. A DXT1 block
// whose first colour is not above the second is in three-colour mode (index 2 the mean, index 3
// transparent black); a DXT5 pixel takes its alpha from the block's interpolated alpha table. The
// files themselves are encoded and decoded by libsquish (platform/D3DXImage).
#pragma once
#include "base/String.h"
#include "engine/gfx/DXC_ResourceBase.h"
#include "platform/D3D9MemoryTexture.h"

#include <cstdint>

struct SurfaceExtent {
    int32_t width = 0;
    int32_t height = 0;
};

// A stored pixel value from an ARGB colour, or the colour of a stored value.
using PixelCoder = uint32_t (*)(uint32_t);

class DXC_SurfaceBase : public DXC_ResourceBase {
public:
    DXC_SurfaceBase() { SetName("DXC_SurfaceBase"); }

    virtual String GetName() const { return "*unknown*"; }  // the image's file name, for messages
    // The whole image (rect null) or a rectangle; 1 when locked.
    virtual int Lock(const D3DRECT* rect, DWORD flags) = 0;
    virtual int Unlock() = 0;
    virtual void GetRect(int32_t rect[4]) const = 0;  // the area a copy takes from this image
    virtual SurfaceExtent GetExtent() const = 0;
    virtual int GetSize(int32_t& width, int32_t& height) const = 0;
    virtual bool IsValid() const = 0;  // the platform object exists

    // Bytes per pixel and the converters of the format; "Unsupported pixel format! (%i), file %s"
    // for one the engine does not store. The DXT formats keep the bytes per pixel they had.
    void SetupFormat();
    bool IsCompressed() const;

    // Software access to the locked image, in coordinates of the locked rectangle. GetPixel
    // answers 0 outside it; PutPixel writes without a test (callers test).
    int GetPixel(int32_t x, int32_t y, uint32_t& color);
    int PutPixel(int32_t x, int32_t y, uint32_t color);
    // Every point of the line that lies inside the locked rectangle.
    int DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color);
    // 1 when the image has semi-transparent pixels (alpha strictly between 0 and 255), sampled on
    // a grid; examined once and remembered until the image is released.
    int32_t HasTranslucency();
    // The source's area (GetRect) into the rectangle (x, y, width, height) of this image:
    // nearest pixel, or the bilinear blend when shrinking by a factor from 0.5 up to 1.
    int StretchFrom(DXC_SurfaceBase& source, int32_t x, int32_t y, int32_t width, int32_t height);
    // Clips a copy of sourceRect to point within a destination of the size; moves both by what
    // was cut. 0 when nothing remains.
    static int ClipBlit(int32_t sourceRect[4], int32_t point[2], int32_t width, int32_t height);
    // Sorts the corners and clamps them into the image; 1 when an area remains.
    int ClampRect(int32_t rect[4]) const;

    D3DFORMAT format = D3DFMT_UNKNOWN;
    int32_t bytesPerPixel = 0;
    int32_t alphaState = -1;  // -1 not examined, 0 no semi-transparent pixel, 1 some
    uint32_t locked = 0;
    int32_t lockedRect[4] = {};  // left, top, right, bottom
    D3DLOCKED_RECT lockedBits;
    int32_t flag = 0;  // kept for the image's users; nothing here reads it
    PixelCoder encoder = nullptr;
    PixelCoder decoder = nullptr;

protected:
    // Records a lock of the rectangle (null: the whole image of that size).
    void NoteLock(const D3DRECT* rect, int32_t width, int32_t height);
    // Clears what a release empties in the base.
    void ResetImage();

private:
    uint32_t ReadCompressed(int32_t x, int32_t y);
    uint8_t* PixelAt(int32_t x, int32_t y) const;
};

class IDirect3DDevice9;

class DXC_Surface : public DXC_SurfaceBase {
public:
    DXC_Surface();
    ~DXC_Surface() override;
    DXC_Surface(const DXC_Surface&) = delete;
    DXC_Surface& operator=(const DXC_Surface&) = delete;

    int Lock(const D3DRECT* rect, DWORD flags) override;
    int Unlock() override;
    void GetRect(int32_t rect[4]) const override;
    SurfaceExtent GetExtent() const override { return {width, height}; }
    int GetSize(int32_t& w, int32_t& h) const override;
    bool IsValid() const override { return surface != nullptr; }

    // Gives the reference back (the platform surface is released when it was the last, or
    // always when no manager shares it) and empties the surface.
    void Release();
    // Takes a surface made by the caller (its reference), with the manager entry that shares it
    // (none: the surface is this object's alone), and reads its description.
    void Attach(IDirect3DSurface9* made, DXC_ResourceManagerBase* manager, int32_t id);
    // Size, format, converters and the source area from the platform surface.
    void UpdateDesc();
    // Corners sorted; "Source area in DXC_Surface out of surface!" when it leaves the surface.
    int SetSourceArea(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    // The device fills a default-pool surface (a rectangle or all); any other is filled in
    // software, whole only.
    int Clear(uint32_t color, const D3DRECT* rect);
    int SaveToFile(const char* fileName, uint32_t imageFormat, const D3DRECT* rect);
    // The source's source area to (x, y): the device stretches between default-pool surfaces of
    // uncompressed formats, software does every other copy.
    int CopyFrom(DXC_Surface& source, int32_t x, int32_t y, int32_t w, int32_t h);

    int32_t width = 0;
    int32_t height = 0;
    IDirect3DSurface9* surface = nullptr;  // owned
    D3DSURFACE_DESC desc;
    int32_t sourceArea[4] = {};  // x1, y1, x2, y2
    IDirect3DDevice9* device = nullptr;  // the device that made it; not owned
};
