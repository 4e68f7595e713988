// DXC_SurfaceBase: what the two image classes share: format, size queries, lock state and the
// alpha state; DXC_Surface: an off-screen surface that owns its platform surface.
#pragma once
#include "base/String.h"
#include "engine/gfx/DXC_ResourceBase.h"
#include "platform/D3D9MemoryTexture.h"

#include <cstdint>

struct SurfaceExtent {
    int32_t width = 0;
    int32_t height = 0;
};

class DXC_SurfaceBase : public DXC_ResourceBase {
public:
    DXC_SurfaceBase() { SetName("DXC_SurfaceBase"); }

    virtual String GetName() const { return "*unknown*"; }  // the image's file name, for messages
    virtual SurfaceExtent GetExtent() const = 0;
    virtual bool IsValid() const = 0;  // the platform object exists

    D3DFORMAT format = D3DFMT_UNKNOWN;
    int32_t bytesPerPixel = 0;
    int32_t alphaState = -1;  // -1 not examined, 0 no semi-transparent pixel, 1 some
    uint32_t locked = 0;
};

class DXC_Surface : public DXC_SurfaceBase {
public:
    DXC_Surface();
    ~DXC_Surface() override;
    DXC_Surface(const DXC_Surface&) = delete;
    DXC_Surface& operator=(const DXC_Surface&) = delete;

    SurfaceExtent GetExtent() const override { return {width, height}; }
    bool IsValid() const override { return surface != nullptr; }
    void GetRect(int32_t rect[4]) const;

    // Gives the reference back (the platform surface is released when it was the last, or
    // always when no manager shares it) and empties the surface.
    void Release();
    // Takes a surface made by the caller (its reference), with the manager entry that shares it
    // (none: the surface is this object's alone), and reads its description.
    void Attach(IDirect3DSurface9* made, DXC_ResourceManagerBase* manager, int32_t id);
    // Size, format and the source area from the platform surface.
    void UpdateDesc();

    int32_t width = 0;
    int32_t height = 0;
    IDirect3DSurface9* surface = nullptr;  // owned
    D3DSURFACE_DESC desc;
    int32_t sourceArea[4] = {};  // x1, y1, x2, y2
};
