// D3DXImage: the image side of D3DX over Debian's libraries: image file information, files and
// memory images loaded into surfaces in any format of the stand-in, textures made from files, and
// surfaces saved as files. PNG, BMP, TGA and JPG go through stb_image and stb_image_write; DDS is
// read and written here (DdsFile) with its DXT1 to DXT5 blocks through libsquish.
//
// Conversions: every image passes through 32-bit ARGB. Narrow channels are widened by repeating
// their high bits; a colour key (non-zero) turns the source pixels equal to it into transparent
// black; DXT2 and DXT4 are stored premultiplied by alpha. Scaling takes the nearest pixel with the
// filters none and point and blends the four nearest ones with any other; the mirror bits of a
// filter are accepted and do not change the result.
#pragma once
#include "platform/D3D9Types.h"

#include <cstddef>
#include <cstdint>

class IDirect3DDevice9;
class IDirect3DSurface9;
class IDirect3DTexture9;

// Image file formats (D3DXIMAGE_FILEFORMAT), the numbers the screenshots are asked by.
constexpr uint32_t D3DXIFF_BMP = 0;
constexpr uint32_t D3DXIFF_JPG = 1;
constexpr uint32_t D3DXIFF_TGA = 2;
constexpr uint32_t D3DXIFF_PNG = 3;
constexpr uint32_t D3DXIFF_DDS = 4;

// "Take it from the file" for sizes, level counts and formats; sizes as they are, not rounded up.
constexpr uint32_t D3DX_DEFAULT = 0xFFFFFFFFu;
constexpr uint32_t D3DX_DEFAULT_NONPOW2 = 0xFFFFFFFEu;

// Filters: a kind in the low byte, mirror bits above.
constexpr DWORD D3DX_FILTER_NONE = 1;
constexpr DWORD D3DX_FILTER_POINT = 2;
constexpr DWORD D3DX_FILTER_LINEAR = 3;
constexpr DWORD D3DX_FILTER_TRIANGLE = 4;
constexpr DWORD D3DX_FILTER_BOX = 5;
constexpr DWORD D3DX_FILTER_MIRROR_U = 0x10000;
constexpr DWORD D3DX_FILTER_MIRROR_V = 0x20000;

// Size, format (the file's: A8R8G8B8 for colour with alpha, X8R8G8B8 without, L8 and A8L8 for
// grey, the stored format of a DDS), levels and file format. D3DXERR_INVALIDDATA for a file
// that is not a readable image (a DDS header that does not match its bytes among them),
// D3DERR_NOTFOUND for a file that cannot be read.
HRESULT D3DXGetImageInfoFromFileA(const char* fileName, D3DXIMAGE_INFO* info);
HRESULT D3DXGetImageInfoFromFileInMemory(const void* data, size_t size, D3DXIMAGE_INFO* info);

// The image (the source rectangle of it, or all) into the destination rectangle of the surface
// (or all of it), converted to the surface's format. DXT destinations take whole 4 x 4 blocks.
// The palettes must be null. The info, when given, receives the file's description.
HRESULT D3DXLoadSurfaceFromFileA(IDirect3DSurface9* destination, const void* destinationPalette,
                                 const D3DRECT* destinationRect, const char* fileName, const D3DRECT* sourceRect,
                                 DWORD filter, uint32_t colorKey, D3DXIMAGE_INFO* info);
HRESULT D3DXLoadSurfaceFromFileInMemory(IDirect3DSurface9* destination, const void* destinationPalette,
                                        const D3DRECT* destinationRect, const void* data, size_t size,
                                        const D3DRECT* sourceRect, DWORD filter, uint32_t colorKey,
                                        D3DXIMAGE_INFO* info);
// Pixels in memory (format, pitch and the rectangle to take, which is required) into the surface.
HRESULT D3DXLoadSurfaceFromMemory(IDirect3DSurface9* destination, const void* destinationPalette,
                                  const D3DRECT* destinationRect, const void* source, D3DFORMAT sourceFormat,
                                  uint32_t sourcePitch, const void* sourcePalette, const D3DRECT* sourceRect,
                                  DWORD filter, uint32_t colorKey);

// Why the last refused call of this thread refused its file ("DDS pixels need 4096 bytes, the
// file holds 100"), for the caller's message.
const char* D3DXGetLastImageError();

// A texture made by the device from a file: sizes 0 or D3DX_DEFAULT round the file's up to powers
// of two, D3DX_DEFAULT_NONPOW2 keeps them; levels 0 or D3DX_DEFAULT make the full chain; format
// D3DFMT_UNKNOWN or D3DX_DEFAULT takes the file's. The first level is the image scaled with the
// filter, the lower ones the box filter of the level above (D3DXFilterTexture).
HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice9* device, const char* fileName, uint32_t width,
                                     uint32_t height, uint32_t levels, DWORD usage, D3DFORMAT format, uint32_t pool,
                                     DWORD filter, DWORD mipFilter, uint32_t colorKey, D3DXIMAGE_INFO* info,
                                     void* palette, IDirect3DTexture9** texture);

// The same from a file's bytes in memory.
HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice9* device, const void* data, size_t size, uint32_t width,
                                            uint32_t height, uint32_t levels, DWORD usage, D3DFORMAT format,
                                            uint32_t pool, DWORD filter, DWORD mipFilter, uint32_t colorKey,
                                            D3DXIMAGE_INFO* info, void* palette, IDirect3DTexture9** texture);

// The surface, or a rectangle of it, as a file of one of the formats D3DXIFF_BMP to D3DXIFF_DDS.
// BMP and JPG keep no alpha; a DDS keeps the surface's format (a DXT rectangle in whole blocks).
HRESULT D3DXSaveSurfaceToFileA(const char* fileName, uint32_t fileFormat, IDirect3DSurface9* surface,
                               const void* palette, const D3DRECT* rect);
