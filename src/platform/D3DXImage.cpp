// D3DXImage: files decoded into 32-bit ARGB, ARGB scaled and encoded into surfaces, surfaces
// decoded and written as files.
#include "platform/D3DXImage.h"

#include "platform/D3D9Device.h"
#include "platform/D3D9FormatInfo.h"
#include "platform/D3D9MemoryTexture.h"
#include "platform/DdsFile.h"

#include <stb_image.h>
#include <stb_image_write.h>
#include <squish.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr size_t kMaxFileBytes = size_t(256) << 20;  // far above any image the game ships

thread_local std::string g_LastError;

HRESULT Refuse(HRESULT result, std::string reason)
{
    g_LastError = std::move(reason);
    return result;
}

struct ArgbImage {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint32_t> pixels;

    ArgbImage() = default;
    ArgbImage(uint32_t w, uint32_t h) : width(w), height(h), pixels(size_t(w) * h, 0) {}
    uint32_t& At(uint32_t x, uint32_t y) { return pixels[size_t(y) * width + x]; }
    uint32_t At(uint32_t x, uint32_t y) const { return pixels[size_t(y) * width + x]; }
};

bool ReadWholeFile(const char* name, std::vector<uint8_t>& out)
{
    FILE* file = name ? std::fopen(name, "rb") : nullptr;
    if (!file)
        return false;
    bool ok = std::fseek(file, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(file) : -1;
    ok = ok && size >= 0 && size_t(size) <= kMaxFileBytes && std::fseek(file, 0, SEEK_SET) == 0;
    if (ok) {
        out.resize(size_t(size));
        ok = std::fread(out.data(), 1, out.size(), file) == out.size();
    }
    std::fclose(file);
    return ok;
}

bool WriteWholeFile(const char* name, const std::vector<uint8_t>& bytes)
{
    FILE* file = std::fopen(name, "wb");
    if (!file)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

int SquishFlags(D3DFORMAT format)
{
    if (format == D3DFMT_DXT1)
        return squish::kDxt1;
    if (format == D3DFMT_DXT2 || format == D3DFMT_DXT3)
        return squish::kDxt3;
    return squish::kDxt5;
}

bool Premultiplied(D3DFORMAT format)
{
    return format == D3DFMT_DXT2 || format == D3DFMT_DXT4;
}

uint32_t FromRgba(const uint8_t* p)
{
    return uint32_t(p[3]) << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
}

void ToRgba(uint32_t argb, uint8_t* p)
{
    p[0] = uint8_t(argb >> 16), p[1] = uint8_t(argb >> 8), p[2] = uint8_t(argb), p[3] = uint8_t(argb >> 24);
}

// Rows of a format in memory (the first width x height pixels) into ARGB.
bool DecodePixels(const uint8_t* bits, uint32_t pitch, D3DFORMAT format, uint32_t width, uint32_t height,
                  ArgbImage& out)
{
    const D3D9FormatInfo* info = FindD3D9Format(format);
    if (!info || info->depth || format == D3DFMT_INDEX16 || format == D3DFMT_INDEX32)
        return false;
    out = ArgbImage(width, height);
    if (!info->compressed) {
        for (uint32_t y = 0; y < height; y++)
            for (uint32_t x = 0; x < width; x++)
                out.At(x, y) = D3D9WidenColor(format, ReadPixelValue(bits + size_t(y) * pitch + size_t(x) * info->bytes,
                                                                    info->bytes));
        return true;
    }
    uint8_t rgba[64];
    for (uint32_t by = 0; by < info->RowCount(height); by++) {
        for (uint32_t bx = 0; bx < (width + 3) / 4; bx++) {
            squish::Decompress(rgba, bits + size_t(by) * pitch + size_t(bx) * info->bytes, SquishFlags(format));
            for (uint32_t i = 0; i < 16; i++) {
                const uint32_t x = bx * 4 + i % 4, y = by * 4 + i / 4;
                if (x < width && y < height)
                    out.At(x, y) = FromRgba(rgba + 4 * i);
            }
        }
    }
    return true;
}

// ARGB into rows of a format at (x0, y0); DXT needs x0 and y0 on block edges.
void EncodePixels(const ArgbImage& image, uint8_t* bits, uint32_t pitch, D3DFORMAT format, uint32_t x0, uint32_t y0)
{
    const D3D9FormatInfo* info = FindD3D9Format(format);
    if (!info->compressed) {
        for (uint32_t y = 0; y < image.height; y++)
            for (uint32_t x = 0; x < image.width; x++)
                WritePixelValue(bits + size_t(y0 + y) * pitch + size_t(x0 + x) * info->bytes, info->bytes,
                                D3D9EncodeColor(format, image.At(x, y)));
        return;
    }
    uint8_t rgba[64];
    for (uint32_t by = 0; by < (image.height + 3) / 4; by++) {
        for (uint32_t bx = 0; bx < (image.width + 3) / 4; bx++) {
            int mask = 0;
            for (uint32_t i = 0; i < 16; i++) {
                const uint32_t x = bx * 4 + i % 4, y = by * 4 + i / 4;
                uint32_t argb = 0;
                if (x < image.width && y < image.height) {
                    argb = image.At(x, y);
                    mask |= 1 << i;
                }
                if (Premultiplied(format)) {
                    const uint32_t a = argb >> 24;
                    auto scale = [a](uint32_t c) { return (c * a + 127) / 255; };
                    argb = a << 24 | scale(argb >> 16 & 0xFF) << 16 | scale(argb >> 8 & 0xFF) << 8 | scale(argb & 0xFF);
                }
                ToRgba(argb, rgba + 4 * i);
            }
            uint8_t* block = bits + size_t(y0 / 4 + by) * pitch + size_t(x0 / 4 + bx) * info->bytes;
            squish::CompressMasked(rgba, mask, block, SquishFlags(format));
        }
    }
}

ArgbImage Crop(const ArgbImage& image, const D3DRECT& r)
{
    ArgbImage out(uint32_t(r.x2 - r.x1), uint32_t(r.y2 - r.y1));
    for (uint32_t y = 0; y < out.height; y++)
        for (uint32_t x = 0; x < out.width; x++)
            out.At(x, y) = image.At(uint32_t(r.x1) + x, uint32_t(r.y1) + y);
    return out;
}

// Nearest pixel for the filters none and point, else the blend of the four nearest.
ArgbImage Scale(const ArgbImage& image, uint32_t width, uint32_t height, DWORD filter)
{
    if (width == image.width && height == image.height)
        return image;
    ArgbImage out(width, height);
    const DWORD kind = filter & 0xFF;
    const bool point = kind == D3DX_FILTER_NONE || kind == D3DX_FILTER_POINT;
    const double fx = double(image.width) / width, fy = double(image.height) / height;
    for (uint32_t y = 0; y < height; y++) {
        for (uint32_t x = 0; x < width; x++) {
            if (point) {
                out.At(x, y) = image.At(std::min(uint32_t(x * fx), image.width - 1),
                                        std::min(uint32_t(y * fy), image.height - 1));
                continue;
            }
            const double sx = std::clamp((x + 0.5) * fx - 0.5, 0.0, double(image.width - 1));
            const double sy = std::clamp((y + 0.5) * fy - 0.5, 0.0, double(image.height - 1));
            const uint32_t x0 = uint32_t(sx), y0 = uint32_t(sy);
            const uint32_t x1 = std::min(x0 + 1, image.width - 1), y1 = std::min(y0 + 1, image.height - 1);
            const double wx = sx - x0, wy = sy - y0;
            uint32_t argb = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                auto c = [&](uint32_t px, uint32_t py) { return double(image.At(px, py) >> shift & 0xFF); };
                const double top = c(x0, y0) * (1 - wx) + c(x1, y0) * wx;
                const double bottom = c(x0, y1) * (1 - wx) + c(x1, y1) * wx;
                argb |= uint32_t(top * (1 - wy) + bottom * wy + 0.5) << shift;
            }
            out.At(x, y) = argb;
        }
    }
    return out;
}

bool Inside(const D3DRECT& r, uint32_t width, uint32_t height)
{
    return r.x1 >= 0 && r.y1 >= 0 && r.x1 < r.x2 && r.y1 < r.y2 && r.x2 <= int64_t(width) && r.y2 <= int64_t(height);
}

D3DRECT Whole(uint32_t width, uint32_t height)
{
    return D3DRECT{0, 0, int32_t(width), int32_t(height)};
}

bool OnBlockEdges(const D3DRECT& r, uint32_t width, uint32_t height)
{
    auto edge = [](int32_t v, uint32_t size) { return v % 4 == 0 || uint32_t(v) == size; };
    return r.x1 % 4 == 0 && r.y1 % 4 == 0 && edge(r.x2, width) && edge(r.y2, height);
}

uint32_t FileFormatOf(const uint8_t* data, size_t size)
{
    if (size >= 4 && data[0] == 0x89 && data[1] == 'P' && data[2] == 'N' && data[3] == 'G')
        return D3DXIFF_PNG;
    if (size >= 2 && data[0] == 'B' && data[1] == 'M')
        return D3DXIFF_BMP;
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xD8)
        return D3DXIFF_JPG;
    return D3DXIFF_TGA;  // the one format without a signature
}

// The description of a file in memory and, when asked, its pixels.
HRESULT DecodeFile(const uint8_t* data, size_t size, D3DXIMAGE_INFO& info, ArgbImage* image)
{
    info = D3DXIMAGE_INFO();
    info.Depth = 1;
    info.ResourceType = D3DRTYPE_TEXTURE;
    if (IsDdsFile(data, size)) {
        DdsHeader header;
        std::string error;
        if (!ReadDdsHeader(data, size, header, error))
            return Refuse(D3DXERR_INVALIDDATA, error);
        info.Width = header.width;
        info.Height = header.height;
        info.MipLevels = header.levels;
        info.Format = header.format;
        info.ImageFileFormat = D3DXIFF_DDS;
        if (image)
            DecodePixels(data + kDdsHeaderSize, FindD3D9Format(header.format)->RowPitch(header.width), header.format,
                         header.width, header.height, *image);
        return D3D_OK;
    }
    int width = 0, height = 0, channels = 0;
    if (size > size_t(INT_MAX) || !stbi_info_from_memory(data, int(size), &width, &height, &channels))
        return Refuse(D3DXERR_INVALIDDATA, std::string("Not a readable image: ") + stbi_failure_reason());
    if (width <= 0 || height <= 0 || uint32_t(width) > kMaxMemoryImageSide || uint32_t(height) > kMaxMemoryImageSide)
        return Refuse(D3DXERR_INVALIDDATA, "Image size out of range: " + std::to_string(width) + " x " +
                                               std::to_string(height));
    info.Width = uint32_t(width);
    info.Height = uint32_t(height);
    info.MipLevels = 1;
    info.Format = channels == 1   ? D3DFMT_L8
                  : channels == 2 ? D3DFMT_A8L8
                  : channels == 3 ? D3DFMT_X8R8G8B8
                                  : D3DFMT_A8R8G8B8;
    info.ImageFileFormat = FileFormatOf(data, size);
    if (!image)
        return D3D_OK;
    uint8_t* rgba = stbi_load_from_memory(data, int(size), &width, &height, &channels, 4);
    if (!rgba)
        return Refuse(D3DXERR_INVALIDDATA, std::string("Image not decoded: ") + stbi_failure_reason());
    *image = ArgbImage(info.Width, info.Height);
    for (size_t i = 0; i < image->pixels.size(); i++)
        image->pixels[i] = FromRgba(rgba + 4 * i);
    stbi_image_free(rgba);
    return D3D_OK;
}

// The image (or its source rectangle) scaled into the rectangle of the surface and encoded.
HRESULT LoadImageIntoSurface(IDirect3DSurface9* destination, const D3DRECT* destinationRect, const ArgbImage& image,
                             const D3DRECT* sourceRect, DWORD filter, uint32_t colorKey)
{
    if (!destination)
        return D3DERR_INVALIDCALL;
    MemoryImageLevel& level = destination->GetImage();
    const D3D9FormatInfo* info = FindD3D9Format(level.desc.Format);
    if (level.locked || !info || info->depth)
        return D3DERR_INVALIDCALL;
    const D3DRECT source = sourceRect ? *sourceRect : Whole(image.width, image.height);
    const D3DRECT target = destinationRect ? *destinationRect : Whole(level.desc.Width, level.desc.Height);
    if (!Inside(source, image.width, image.height) || !Inside(target, level.desc.Width, level.desc.Height))
        return D3DERR_INVALIDCALL;
    if (info->compressed && !OnBlockEdges(target, level.desc.Width, level.desc.Height))
        return D3DERR_INVALIDCALL;
    ArgbImage part = Crop(image, source);
    if (colorKey != 0)
        for (uint32_t& argb : part.pixels)
            if (argb == colorKey)
                argb = 0;
    part = Scale(part, uint32_t(target.x2 - target.x1), uint32_t(target.y2 - target.y1), filter);
    EncodePixels(part, level.pixels.data(), uint32_t(level.pitch), level.desc.Format, uint32_t(target.x1),
                 uint32_t(target.y1));
    return D3D_OK;
}

void AppendBytes(void* context, void* data, int size)
{
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* bytes = static_cast<const uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

const char* D3DXGetLastImageError()
{
    return g_LastError.c_str();
}

HRESULT D3DXGetImageInfoFromFileInMemory(const void* data, size_t size, D3DXIMAGE_INFO* info)
{
    if (!data || !info)
        return D3DERR_INVALIDCALL;
    return DecodeFile(static_cast<const uint8_t*>(data), size, *info, nullptr);
}

HRESULT D3DXGetImageInfoFromFileA(const char* fileName, D3DXIMAGE_INFO* info)
{
    std::vector<uint8_t> bytes;
    if (!info)
        return D3DERR_INVALIDCALL;
    if (!ReadWholeFile(fileName, bytes))
        return Refuse(D3DERR_NOTFOUND, std::string("Can not read ") + (fileName ? fileName : "(null)"));
    return DecodeFile(bytes.data(), bytes.size(), *info, nullptr);
}

HRESULT D3DXLoadSurfaceFromFileInMemory(IDirect3DSurface9* destination, const void* destinationPalette,
                                        const D3DRECT* destinationRect, const void* data, size_t size,
                                        const D3DRECT* sourceRect, DWORD filter, uint32_t colorKey,
                                        D3DXIMAGE_INFO* info)
{
    if (!destination || destinationPalette || !data)
        return D3DERR_INVALIDCALL;
    D3DXIMAGE_INFO described;
    ArgbImage image;
    const HRESULT result = DecodeFile(static_cast<const uint8_t*>(data), size, described, &image);
    if (FAILED(result))
        return result;
    if (info)
        *info = described;
    return LoadImageIntoSurface(destination, destinationRect, image, sourceRect, filter, colorKey);
}

HRESULT D3DXLoadSurfaceFromFileA(IDirect3DSurface9* destination, const void* destinationPalette,
                                 const D3DRECT* destinationRect, const char* fileName, const D3DRECT* sourceRect,
                                 DWORD filter, uint32_t colorKey, D3DXIMAGE_INFO* info)
{
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(fileName, bytes))
        return Refuse(D3DERR_NOTFOUND, std::string("Can not read ") + (fileName ? fileName : "(null)"));
    return D3DXLoadSurfaceFromFileInMemory(destination, destinationPalette, destinationRect, bytes.data(),
                                           bytes.size(), sourceRect, filter, colorKey, info);
}

HRESULT D3DXLoadSurfaceFromMemory(IDirect3DSurface9* destination, const void* destinationPalette,
                                  const D3DRECT* destinationRect, const void* source, D3DFORMAT sourceFormat,
                                  uint32_t sourcePitch, const void* sourcePalette, const D3DRECT* sourceRect,
                                  DWORD filter, uint32_t colorKey)
{
    if (!destination || destinationPalette || sourcePalette || !source || !sourceRect || sourceRect->x1 < 0 ||
        sourceRect->y1 < 0 || sourceRect->x2 <= sourceRect->x1 || sourceRect->y2 <= sourceRect->y1)
        return D3DERR_INVALIDCALL;
    // The rows from the top-left corner down to the rectangle's far corner, then the rectangle.
    ArgbImage image;
    if (!DecodePixels(static_cast<const uint8_t*>(source), sourcePitch, sourceFormat, uint32_t(sourceRect->x2),
                      uint32_t(sourceRect->y2), image))
        return D3DERR_INVALIDCALL;
    return LoadImageIntoSurface(destination, destinationRect, image, sourceRect, filter, colorKey);
}

HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice9* device, const void* data, size_t size, uint32_t width,
                                            uint32_t height, uint32_t levels, DWORD usage, D3DFORMAT format,
                                            uint32_t pool, DWORD filter, DWORD mipFilter, uint32_t colorKey,
                                            D3DXIMAGE_INFO* info, void* palette, IDirect3DTexture9** texture)
{
    if (!device || !texture || palette || !data)
        return D3DERR_INVALIDCALL;
    *texture = nullptr;
    D3DXIMAGE_INFO described;
    ArgbImage image;
    HRESULT result = DecodeFile(static_cast<const uint8_t*>(data), size, described, &image);
    if (FAILED(result))
        return result;
    auto side = [](uint32_t asked, uint32_t file) {
        if (asked == D3DX_DEFAULT_NONPOW2)
            return file;
        return asked == 0 || asked == D3DX_DEFAULT ? NextPowerOfTwo(file) : asked;
    };
    if (levels == D3DX_DEFAULT)
        levels = 0;
    if (format == D3DFMT_UNKNOWN || format == D3DX_DEFAULT)
        format = described.Format;
    IDirect3DTexture9* made = nullptr;
    result = device->CreateTexture(side(width, described.Width), side(height, described.Height), levels, usage, format,
                                   pool, &made, nullptr);
    if (FAILED(result))
        return result;
    IDirect3DSurface9* first = nullptr;
    result = made->GetSurfaceLevel(0, &first);
    if (!FAILED(result)) {
        result = LoadImageIntoSurface(first, nullptr, image, nullptr, filter, colorKey);
        first->Release();
    }
    if (!FAILED(result) && made->GetLevelCount() > 1)
        result = D3DXFilterTexture(made, nullptr, 0, mipFilter);
    if (FAILED(result)) {
        made->Release();
        return result;
    }
    if (info)
        *info = described;
    *texture = made;
    return D3D_OK;
}

HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice9* device, const char* fileName, uint32_t width,
                                     uint32_t height, uint32_t levels, DWORD usage, D3DFORMAT format, uint32_t pool,
                                     DWORD filter, DWORD mipFilter, uint32_t colorKey, D3DXIMAGE_INFO* info,
                                     void* palette, IDirect3DTexture9** texture)
{
    if (!device || !texture || palette)
        return D3DERR_INVALIDCALL;
    *texture = nullptr;
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(fileName, bytes))
        return Refuse(D3DERR_NOTFOUND, std::string("Can not read ") + (fileName ? fileName : "(null)"));
    return D3DXCreateTextureFromFileInMemoryEx(device, bytes.data(), bytes.size(), width, height, levels, usage,
                                               format, pool, filter, mipFilter, colorKey, info, palette, texture);
}

HRESULT D3DXSaveSurfaceToFileA(const char* fileName, uint32_t fileFormat, IDirect3DSurface9* surface,
                               const void* palette, const D3DRECT* rect)
{
    if (!fileName || !surface || palette || fileFormat > D3DXIFF_DDS)
        return D3DERR_INVALIDCALL;
    MemoryImageLevel& level = surface->GetImage();
    const D3D9FormatInfo* info = FindD3D9Format(level.desc.Format);
    const D3DRECT area = rect ? *rect : Whole(level.desc.Width, level.desc.Height);
    if (level.locked || !info || info->depth || !Inside(area, level.desc.Width, level.desc.Height))
        return D3DERR_INVALIDCALL;
    const uint32_t width = uint32_t(area.x2 - area.x1), height = uint32_t(area.y2 - area.y1);
    std::vector<uint8_t> bytes;
    if (fileFormat == D3DXIFF_DDS) {
        // the surface's own format, row by row (block row by block row)
        if (info->compressed && !OnBlockEdges(area, level.desc.Width, level.desc.Height))
            return D3DERR_INVALIDCALL;
        bytes = WriteDdsHeader(DdsHeader{width, height, 1, level.desc.Format});
        const uint32_t firstRow = info->compressed ? uint32_t(area.y1) / 4 : uint32_t(area.y1);
        const size_t offset = info->compressed ? size_t(area.x1 / 4) * info->bytes : size_t(area.x1) * info->bytes;
        for (uint32_t row = 0; row < info->RowCount(height); row++) {
            const uint8_t* from = level.Row(firstRow + row) + offset;
            bytes.insert(bytes.end(), from, from + info->RowPitch(width));
        }
    } else {
        ArgbImage whole;
        DecodePixels(level.pixels.data(), uint32_t(level.pitch), level.desc.Format, level.desc.Width,
                     level.desc.Height, whole);
        const ArgbImage part = Crop(whole, area);
        const int channels = fileFormat == D3DXIFF_BMP || fileFormat == D3DXIFF_JPG ? 3 : 4;
        std::vector<uint8_t> pixels(part.pixels.size() * size_t(channels));
        uint8_t rgba[4];
        for (size_t i = 0; i < part.pixels.size(); i++) {
            ToRgba(part.pixels[i], rgba);
            std::copy(rgba, rgba + channels, pixels.begin() + std::ptrdiff_t(i * size_t(channels)));
        }
        const int w = int(width), h = int(height);
        int written = 0;
        if (fileFormat == D3DXIFF_PNG)
            written = stbi_write_png_to_func(AppendBytes, &bytes, w, h, channels, pixels.data(), w * channels);
        else if (fileFormat == D3DXIFF_BMP)
            written = stbi_write_bmp_to_func(AppendBytes, &bytes, w, h, channels, pixels.data());
        else if (fileFormat == D3DXIFF_TGA)
            written = stbi_write_tga_to_func(AppendBytes, &bytes, w, h, channels, pixels.data());
        else
            written = stbi_write_jpg_to_func(AppendBytes, &bytes, w, h, channels, pixels.data(), 90);
        if (!written)
            return Refuse(E_FAIL, "Image not encoded");
    }
    if (!WriteWholeFile(fileName, bytes))
        return Refuse(E_FAIL, std::string("Can not write ") + fileName);
    return D3D_OK;
}
