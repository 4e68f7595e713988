// D3D9Device resources: making textures, surfaces and buffers under the adapter's rules, the render
// target and depth slots, and the operations that write pixels: clears, fills and copies.
#include "platform/D3D9Device.h"

#include "platform/D3D9FormatInfo.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr uint64_t kMaxBufferBytes = uint64_t(1) << 28;

bool IsPowerOfTwo(uint32_t v) { return v != 0 && (v & (v - 1)) == 0; }

// The rectangle, or the whole image; false when it does not lie within the image or is empty.
bool AreaOf(const D3DRECT* rect, const D3DSURFACE_DESC& desc, D3DRECT& area)
{
    area = rect ? *rect : D3DRECT{0, 0, int32_t(desc.Width), int32_t(desc.Height)};
    return area.x1 >= 0 && area.y1 >= 0 && area.x1 < area.x2 && area.y1 < area.y2 &&
           area.x2 <= int32_t(desc.Width) && area.y2 <= int32_t(desc.Height);
}

bool Intersect(const D3DRECT& a, const D3DRECT& b, D3DRECT& out)
{
    out = {std::max(a.x1, b.x1), std::max(a.y1, b.y1), std::min(a.x2, b.x2), std::min(a.y2, b.y2)};
    return out.x1 < out.x2 && out.y1 < out.y2;
}

bool Overlap(const D3DRECT& a, const D3DRECT& b)
{
    D3DRECT common;
    return Intersect(a, b, common);
}

// Writes one value of the format's size over an area of an uncompressed image.
void FillArea(MemoryImageLevel& image, const D3DRECT& area, uint32_t value)
{
    const uint32_t bytes = FindD3D9Format(image.desc.Format)->bytes;
    for (int32_t y = area.y1; y < area.y2; y++)
        for (int32_t x = area.x1; x < area.x2; x++)
            WritePixelValue(image.Row(uint32_t(y)) + size_t(x) * bytes, bytes, value);
}

bool HasRenderTargetUsage(IDirect3DSurface9* surface)
{
    const IDirect3DTexture9* texture = surface->GetContainerTexture();
    return ((texture ? texture->GetUsage() : surface->GetImage().desc.Usage) & D3DUSAGE_RENDERTARGET) != 0;
}

}  // namespace

HRESULT IDirect3DDevice9::CheckImage(uint32_t width, uint32_t height, D3DFORMAT format, DWORD usage,
                                     uint32_t resourceType, uint32_t pool) const
{
    const D3DCAPS9& caps = Profile().caps;
    const uint32_t maxWidth = caps.MaxTextureWidth ? caps.MaxTextureWidth : kMaxMemoryImageSide;
    const uint32_t maxHeight = caps.MaxTextureHeight ? caps.MaxTextureHeight : kMaxMemoryImageSide;
    if (width == 0 || height == 0 || width > std::min(maxWidth, kMaxMemoryImageSide) ||
        height > std::min(maxHeight, kMaxMemoryImageSide))
        return D3DERR_INVALIDCALL;
    const D3D9FormatInfo* info = FindD3D9Format(format);
    if (!info || pool > D3DPOOL_SCRATCH)
        return D3DERR_INVALIDCALL;
    const DWORD kinds = usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL | D3DUSAGE_DYNAMIC);
    if ((kinds & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) && pool != D3DPOOL_DEFAULT)
        return D3DERR_INVALIDCALL;  // targets live in device memory
    if (pool == D3DPOOL_SCRATCH)
        return kinds == 0 ? D3D_OK : D3DERR_INVALIDCALL;  // scratch images take any known format
    if ((kinds & D3DUSAGE_DYNAMIC) &&
        (pool == D3DPOOL_MANAGED ||
         (resourceType == D3DRTYPE_TEXTURE && !(caps.Caps2 & D3DCAPS2_DYNAMICTEXTURES))))
        return D3DERR_INVALIDCALL;
    if (resourceType == D3DRTYPE_TEXTURE && (caps.TextureCaps & D3DPTEXTURECAPS_POW2) &&
        !(IsPowerOfTwo(width) && IsPowerOfTwo(height)))
        return D3DERR_INVALIDCALL;
    return m_Adapter->TakesFormat(format, kinds, resourceType) ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT IDirect3DDevice9::CheckMultiSample(D3DFORMAT format, uint32_t type, DWORD quality) const
{
    if (type == D3DMULTISAMPLE_NONE)
        return quality == 0 ? D3D_OK : D3DERR_INVALIDCALL;
    if (type != D3DMULTISAMPLE_NONMASKABLE || quality >= m_Adapter->QualityLevels(format))
        return D3DERR_INVALIDCALL;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::MakeSurface(uint32_t width, uint32_t height, D3DFORMAT format, DWORD usage, uint32_t pool,
                                      uint32_t multiSample, DWORD quality, bool lockable, bool implicit,
                                      IDirect3DSurface9** surface)
{
    MemoryImageLevel image(width, height, format, usage, pool);
    image.lockable = lockable;
    image.desc.MultiSampleType = multiSample;
    image.desc.MultiSampleQuality = quality;
    const uint64_t bytes = image.pixels.size();
    IDirect3DSurface9* made = new IDirect3DSurface9(std::move(image), nullptr);
    if (!Adopt(made, bytes, implicit)) {
        made->Release();
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    *surface = made;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::CreateTexture(uint32_t width, uint32_t height, uint32_t levels, DWORD usage,
                                        D3DFORMAT format, uint32_t pool, IDirect3DTexture9** texture,
                                        void* sharedHandle)
{
    return Call(D3D9Op::CreateTexture, {width, height, levels, usage, format, pool}, [&] {
        if (!texture || sharedHandle)
            return D3DERR_INVALIDCALL;
        *texture = nullptr;
        if (const HRESULT refused = CheckImage(width, height, format, usage, D3DRTYPE_TEXTURE, pool); FAILED(refused))
            return refused;
        uint32_t chain = 1;
        for (uint32_t side = std::max(width, height); side > 1; side /= 2)
            chain++;
        if (levels > chain)
            return D3DERR_INVALIDCALL;
        IDirect3DTexture9* made = new IDirect3DTexture9(width, height, levels, usage, format, pool);
        if (!Adopt(made, made->GetBytes())) {
            made->Release();
            return D3DERR_OUTOFVIDEOMEMORY;
        }
        *texture = made;
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::CreateVertexBuffer(uint32_t length, DWORD usage, DWORD fvf, uint32_t pool,
                                             IDirect3DVertexBuffer9** buffer, void* sharedHandle)
{
    return Call(D3D9Op::CreateVertexBuffer, {length, usage, fvf, pool}, [&] {
        if (!buffer || sharedHandle)
            return D3DERR_INVALIDCALL;
        *buffer = nullptr;
        if (length == 0 || length > kMaxBufferBytes || pool > D3DPOOL_SYSTEMMEM ||
            ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED))
            return D3DERR_INVALIDCALL;
        IDirect3DVertexBuffer9* made = new IDirect3DVertexBuffer9(length, usage, fvf, pool);
        if (!Adopt(made, length)) {
            made->Release();
            return D3DERR_OUTOFVIDEOMEMORY;
        }
        *buffer = made;
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::CreateIndexBuffer(uint32_t length, DWORD usage, D3DFORMAT format, uint32_t pool,
                                            IDirect3DIndexBuffer9** buffer, void* sharedHandle)
{
    return Call(D3D9Op::CreateIndexBuffer, {length, usage, format, pool}, [&] {
        if (!buffer || sharedHandle)
            return D3DERR_INVALIDCALL;
        *buffer = nullptr;
        if (length == 0 || length > kMaxBufferBytes || pool > D3DPOOL_SYSTEMMEM ||
            (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32) ||
            ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED))
            return D3DERR_INVALIDCALL;
        IDirect3DIndexBuffer9* made = new IDirect3DIndexBuffer9(length, usage, format, pool);
        if (!Adopt(made, length)) {
            made->Release();
            return D3DERR_OUTOFVIDEOMEMORY;
        }
        *buffer = made;
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::CreateRenderTarget(uint32_t width, uint32_t height, D3DFORMAT format, uint32_t multiSample,
                                             DWORD multiSampleQuality, int32_t lockable, IDirect3DSurface9** surface,
                                             void* sharedHandle)
{
    return Call(D3D9Op::CreateRenderTarget,
                {width, height, format, multiSample, multiSampleQuality, uint64_t(lockable)}, [&] {
                    if (!surface || sharedHandle)
                        return D3DERR_INVALIDCALL;
                    *surface = nullptr;
                    if (FAILED(CheckImage(width, height, format, D3DUSAGE_RENDERTARGET, D3DRTYPE_SURFACE,
                                          D3DPOOL_DEFAULT)) ||
                        FAILED(CheckMultiSample(format, multiSample, multiSampleQuality)) ||
                        (lockable && multiSample != D3DMULTISAMPLE_NONE))
                        return D3DERR_INVALIDCALL;
                    return MakeSurface(width, height, format, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, multiSample,
                                       multiSampleQuality, lockable != 0, false, surface);
                });
}

HRESULT IDirect3DDevice9::CreateDepthStencilSurface(uint32_t width, uint32_t height, D3DFORMAT format,
                                                    uint32_t multiSample, DWORD multiSampleQuality, int32_t discard,
                                                    IDirect3DSurface9** surface, void* sharedHandle)
{
    return Call(D3D9Op::CreateDepthStencilSurface,
                {width, height, format, multiSample, multiSampleQuality, uint64_t(discard)}, [&] {
                    if (!surface || sharedHandle)
                        return D3DERR_INVALIDCALL;
                    *surface = nullptr;
                    const D3D9FormatInfo* info = FindD3D9Format(format);
                    if (!info || !info->depth ||
                        FAILED(CheckImage(width, height, format, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                          D3DPOOL_DEFAULT)) ||
                        FAILED(CheckMultiSample(format, multiSample, multiSampleQuality)))
                        return D3DERR_INVALIDCALL;
                    return MakeSurface(width, height, format, D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT, multiSample,
                                       multiSampleQuality, false, false, surface);
                });
}

HRESULT IDirect3DDevice9::CreateOffscreenPlainSurface(uint32_t width, uint32_t height, D3DFORMAT format,
                                                      uint32_t pool, IDirect3DSurface9** surface, void* sharedHandle)
{
    return Call(D3D9Op::CreateOffscreenPlainSurface, {width, height, format, pool}, [&] {
        if (!surface || sharedHandle)
            return D3DERR_INVALIDCALL;
        *surface = nullptr;
        const D3D9FormatInfo* info = FindD3D9Format(format);
        if (pool == D3DPOOL_MANAGED || !info || info->depth ||
            FAILED(CheckImage(width, height, format, 0, D3DRTYPE_SURFACE, pool)))
            return D3DERR_INVALIDCALL;
        return MakeSurface(width, height, format, 0, pool, D3DMULTISAMPLE_NONE, 0, true, false, surface);
    });
}

HRESULT IDirect3DDevice9::UpdateSurface(IDirect3DSurface9* source, const D3DRECT* sourceRect,
                                        IDirect3DSurface9* destination, const POINT* destinationPoint)
{
    return Call(D3D9Op::UpdateSurface,
                {D3D9Arg(source), D3D9Arg(sourceRect), D3D9Arg(destination), D3D9Arg(destinationPoint)}, [&] {
                    if (!source || !destination || source == destination)
                        return D3DERR_INVALIDCALL;
                    MemoryImageLevel& from = source->GetImage();
                    MemoryImageLevel& to = destination->GetImage();
                    const D3D9FormatInfo* info = FindD3D9Format(from.desc.Format);
                    D3DRECT area;
                    if (from.desc.Pool != D3DPOOL_SYSTEMMEM || to.desc.Pool != D3DPOOL_DEFAULT ||
                        from.desc.Format != to.desc.Format || info->depth || from.locked || to.locked ||
                        !AreaOf(sourceRect, from.desc, area))
                        return D3DERR_INVALIDCALL;
                    const POINT at = destinationPoint ? *destinationPoint : POINT{};
                    const D3DRECT target{at.x, at.y, at.x + area.x2 - area.x1, at.y + area.y2 - area.y1};
                    D3DRECT inside;
                    if (!AreaOf(&target, to.desc, inside))
                        return D3DERR_INVALIDCALL;
                    const uint32_t block = info->compressed ? 4 : 1;  // compressed images move in whole blocks
                    if (area.x1 % block || area.y1 % block || at.x % block || at.y % block)
                        return D3DERR_INVALIDCALL;
                    const uint32_t rowBytes = info->RowPitch(uint32_t(area.x2 - area.x1));
                    const uint32_t rows = info->RowCount(uint32_t(area.y2 - area.y1));
                    const size_t fromX = info->RowPitch(uint32_t(area.x1)), toX = info->RowPitch(uint32_t(at.x));
                    for (uint32_t r = 0; r < rows; r++) {
                        const uint8_t* in = from.Row(uint32_t(area.y1) / block + r) + fromX;
                        std::copy(in, in + rowBytes, to.Row(uint32_t(at.y) / block + r) + toX);
                    }
                    return D3D_OK;
                });
}

HRESULT IDirect3DDevice9::StretchRect(IDirect3DSurface9* source, const D3DRECT* sourceRect,
                                      IDirect3DSurface9* destination, const D3DRECT* destinationRect, uint32_t filter)
{
    return Call(D3D9Op::StretchRect,
                {D3D9Arg(source), D3D9Arg(sourceRect), D3D9Arg(destination), D3D9Arg(destinationRect), filter}, [&] {
                    if (!source || !destination || filter > D3DTEXF_LINEAR)
                        return D3DERR_INVALIDCALL;
                    MemoryImageLevel& from = source->GetImage();
                    MemoryImageLevel& to = destination->GetImage();
                    const D3D9FormatInfo* in = FindD3D9Format(from.desc.Format);
                    const D3D9FormatInfo* out = FindD3D9Format(to.desc.Format);
                    D3DRECT a, b;
                    if (from.desc.Pool != D3DPOOL_DEFAULT || to.desc.Pool != D3DPOOL_DEFAULT || in->compressed ||
                        out->compressed || from.locked || to.locked || !AreaOf(sourceRect, from.desc, a) ||
                        !AreaOf(destinationRect, to.desc, b) || (source == destination && Overlap(a, b)))
                        return D3DERR_INVALIDCALL;
                    if (in->depth || out->depth) {  // depth moves whole, unscaled, between equal formats
                        if (from.desc.Format != to.desc.Format || sourceRect || destinationRect ||
                            from.desc.Width != to.desc.Width || from.desc.Height != to.desc.Height)
                            return D3DERR_INVALIDCALL;
                        to.pixels = from.pixels;
                        return D3D_OK;
                    }
                    const bool plainToPlain = !HasRenderTargetUsage(source) && !destination->GetContainerTexture();
                    if (!HasRenderTargetUsage(destination) && !plainToPlain)
                        return D3DERR_INVALIDCALL;
                    const int32_t sw = a.x2 - a.x1, sh = a.y2 - a.y1, dw = b.x2 - b.x1, dh = b.y2 - b.y1;
                    for (int32_t y = 0; y < dh; y++) {
                        const uint32_t sy = uint32_t(a.y1 + int64_t(y) * sh / dh);
                        for (int32_t x = 0; x < dw; x++) {
                            const uint32_t sx = uint32_t(a.x1 + int64_t(x) * sw / dw);
                            const uint32_t argb = D3D9DecodeColor(
                                from.desc.Format, ReadPixelValue(from.Row(sy) + size_t(sx) * in->bytes, in->bytes));
                            WritePixelValue(to.Row(uint32_t(b.y1 + y)) + size_t(b.x1 + x) * out->bytes, out->bytes,
                                            D3D9EncodeColor(to.desc.Format, argb));
                        }
                    }
                    return D3D_OK;
                });
}

HRESULT IDirect3DDevice9::ColorFill(IDirect3DSurface9* surface, const D3DRECT* rect, uint32_t color)
{
    return Call(D3D9Op::ColorFill, {D3D9Arg(surface), D3D9Arg(rect), color}, [&] {
        if (!surface)
            return D3DERR_INVALIDCALL;
        MemoryImageLevel& image = surface->GetImage();
        const D3D9FormatInfo* info = FindD3D9Format(image.desc.Format);
        D3DRECT area;
        if (image.desc.Pool != D3DPOOL_DEFAULT || info->compressed || info->depth || image.locked ||
            (surface->GetContainerTexture() && !HasRenderTargetUsage(surface)) || !AreaOf(rect, image.desc, area))
            return D3DERR_INVALIDCALL;
        FillArea(image, area, D3D9EncodeColor(image.desc.Format, color));
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::SetRenderTarget(DWORD index, IDirect3DSurface9* surface)
{
    return Call(D3D9Op::SetRenderTarget, {index, D3D9Arg(surface)}, [&] {
        const uint32_t slots = std::clamp<uint32_t>(Profile().caps.NumSimultaneousRTs, 1, kRenderTargets);
        if (index >= slots || (index == 0 && !surface) || (surface && !HasRenderTargetUsage(surface)))
            return D3DERR_INVALIDCALL;
        Bind(m_RenderTargets[index], surface);
        if (index == 0)
            SetFullViewport();  // a new target gets a viewport over all of it
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::GetRenderTarget(DWORD index, IDirect3DSurface9** surface)
{
    return Call(D3D9Op::GetRenderTarget, {index}, [&] {
        if (!surface || index >= kRenderTargets)
            return D3DERR_INVALIDCALL;
        *surface = m_RenderTargets[index];
        if (!*surface)
            return D3DERR_NOTFOUND;
        (*surface)->AddRef();
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::SetDepthStencilSurface(IDirect3DSurface9* surface)
{
    return Call(D3D9Op::SetDepthStencilSurface, {D3D9Arg(surface)}, [&] {
        if (surface && !(surface->GetImage().desc.Usage & D3DUSAGE_DEPTHSTENCIL))
            return D3DERR_INVALIDCALL;
        Bind(m_DepthSurface, surface);
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::GetDepthStencilSurface(IDirect3DSurface9** surface)
{
    return Call(D3D9Op::GetDepthStencilSurface, {}, [&] {
        if (!surface)
            return D3DERR_INVALIDCALL;
        *surface = m_DepthSurface;
        if (!*surface)
            return D3DERR_NOTFOUND;
        (*surface)->AddRef();
        return D3D_OK;
    });
}

D3DRECT IDirect3DDevice9::ViewportRect() const
{
    return {int32_t(m_Viewport.X), int32_t(m_Viewport.Y), int32_t(m_Viewport.X + m_Viewport.Width),
            int32_t(m_Viewport.Y + m_Viewport.Height)};
}

void IDirect3DDevice9::ClearDepth(DWORD flags, float z, DWORD stencil, const D3DRECT& area)
{
    MemoryImageLevel& image = m_DepthSurface->GetImage();
    const D3D9FormatInfo* info = FindD3D9Format(image.desc.Format);
    D3DRECT inside;
    if (!Intersect(area, {0, 0, int32_t(image.desc.Width), int32_t(image.desc.Height)}, inside))
        return;
    for (int32_t y = inside.y1; y < inside.y2; y++) {
        for (int32_t x = inside.x1; x < inside.x2; x++) {
            uint8_t* at = image.Row(uint32_t(y)) + size_t(x) * info->bytes;
            uint32_t value = ReadPixelValue(at, info->bytes);
            if (image.desc.Format == D3DFMT_D24S8) {  // depth in the high 24 bits, stencil in the low 8
                if (flags & D3DCLEAR_ZBUFFER)
                    value = (value & 0xFF) | uint32_t(std::lround(double(z) * 0xFFFFFF)) << 8;
                if (flags & D3DCLEAR_STENCIL)
                    value = (value & ~0xFFu) | (stencil & 0xFF);
            } else if (flags & D3DCLEAR_ZBUFFER) {
                const double full = image.desc.Format == D3DFMT_D16 ? 65535.0 : 4294967295.0;
                value = uint32_t(std::llround(double(z) * full));
            }
            WritePixelValue(at, info->bytes, value);
        }
    }
}

HRESULT IDirect3DDevice9::Clear(DWORD count, const D3DRECT* rects, DWORD flags, uint32_t color, float z,
                                DWORD stencil)
{
    return Call(D3D9Op::Clear, {count, D3D9Arg(rects), flags, color, D3D9Arg(z), stencil}, [&] {
        const DWORD known = D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL;
        if ((count > 0 && !rects) || flags == 0 || (flags & ~known) || !m_RenderTargets[0])
            return D3DERR_INVALIDCALL;
        if ((flags & D3DCLEAR_ZBUFFER) && (!m_DepthSurface || !(z >= 0.0f && z <= 1.0f)))
            return D3DERR_INVALIDCALL;
        if ((flags & D3DCLEAR_STENCIL) &&
            (!m_DepthSurface || !FindD3D9Format(m_DepthSurface->GetImage().desc.Format)->stencil))
            return D3DERR_INVALIDCALL;
        const D3DRECT viewport = ViewportRect();
        for (DWORD n = 0; n < std::max<DWORD>(count, 1); n++) {
            D3DRECT area = viewport;
            if (count > 0 && !Intersect(viewport, rects[n], area))
                continue;
            if (flags & D3DCLEAR_TARGET)
                for (IDirect3DSurface9* target : m_RenderTargets) {
                    if (!target)
                        continue;
                    MemoryImageLevel& image = target->GetImage();
                    D3DRECT inside;
                    if (Intersect(area, {0, 0, int32_t(image.desc.Width), int32_t(image.desc.Height)}, inside))
                        FillArea(image, inside, D3D9EncodeColor(image.desc.Format, color));
                }
            if (flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL))
                ClearDepth(flags, z, stencil, area);
        }
        return D3D_OK;
    });
}
