// D3D9Types: the Direct3D 9 result codes with their names, the format, pool and usage codes and the
// plain records that engine code names; no device exists.
#pragma once
#include <cstdint>

using HRESULT = int32_t;
using DWORD = uint32_t;

constexpr HRESULT MakeD3DResult(uint32_t code)
{
    return static_cast<HRESULT>(0x88760000u | code);
}

constexpr HRESULT S_OK = 0;
constexpr HRESULT D3D_OK = 0;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT D3DERR_OUTOFVIDEOMEMORY = MakeD3DResult(380);
constexpr HRESULT D3DERR_WASSTILLDRAWING = MakeD3DResult(540);
constexpr HRESULT D3DERR_DRIVERINTERNALERROR = MakeD3DResult(2087);
constexpr HRESULT D3DERR_NOTFOUND = MakeD3DResult(2150);
constexpr HRESULT D3DERR_MOREDATA = MakeD3DResult(2151);
constexpr HRESULT D3DERR_DEVICELOST = MakeD3DResult(2152);
constexpr HRESULT D3DERR_DEVICENOTRESET = MakeD3DResult(2153);
constexpr HRESULT D3DERR_NOTAVAILABLE = MakeD3DResult(2154);
constexpr HRESULT D3DERR_INVALIDDEVICE = MakeD3DResult(2155);
constexpr HRESULT D3DERR_INVALIDCALL = MakeD3DResult(2156);
constexpr HRESULT D3DERR_DRIVERINVALIDCALL = MakeD3DResult(2157);
constexpr HRESULT D3DXERR_CANNOTMODIFYINDEXBUFFER = MakeD3DResult(2900);
constexpr HRESULT D3DXERR_INVALIDMESH = MakeD3DResult(2901);
constexpr HRESULT D3DXERR_INVALIDDATA = MakeD3DResult(2905);

constexpr bool FAILED(HRESULT result) { return result < 0; }

// Name of a result code for the messages that report a failed call ("SetViewPort failed: %s");
// "Unknown" for a code without a name.
const char* GetDirectXErrorName(HRESULT result);

// Pixel formats (D3DFORMAT); the DXT formats are four-character codes.
constexpr uint32_t MakeFourCC(char a, char b, char c, char d)
{
    return uint32_t(uint8_t(a)) | (uint32_t(uint8_t(b)) << 8) | (uint32_t(uint8_t(c)) << 16) |
           (uint32_t(uint8_t(d)) << 24);
}
using D3DFORMAT = uint32_t;
constexpr D3DFORMAT D3DFMT_UNKNOWN = 0;
constexpr D3DFORMAT D3DFMT_A8R8G8B8 = 21;
constexpr D3DFORMAT D3DFMT_X8R8G8B8 = 22;
constexpr D3DFORMAT D3DFMT_R5G6B5 = 23;
constexpr D3DFORMAT D3DFMT_A1R5G5B5 = 25;
constexpr D3DFORMAT D3DFMT_DXT1 = MakeFourCC('D', 'X', 'T', '1');
constexpr D3DFORMAT D3DFMT_DXT2 = MakeFourCC('D', 'X', 'T', '2');
constexpr D3DFORMAT D3DFMT_DXT3 = MakeFourCC('D', 'X', 'T', '3');
constexpr D3DFORMAT D3DFMT_DXT4 = MakeFourCC('D', 'X', 'T', '4');
constexpr D3DFORMAT D3DFMT_DXT5 = MakeFourCC('D', 'X', 'T', '5');

// Memory pools (D3DPOOL) and usage bits.
constexpr uint32_t D3DPOOL_DEFAULT = 0;
constexpr uint32_t D3DPOOL_MANAGED = 1;
constexpr uint32_t D3DPOOL_SYSTEMMEM = 2;
constexpr uint32_t D3DPOOL_SCRATCH = 3;
constexpr uint32_t D3DUSAGE_RENDERTARGET = 0x1;
constexpr uint32_t D3DUSAGE_DYNAMIC = 0x200;

// Capability bits that texture loading reads.
constexpr uint32_t D3DPTEXTURECAPS_POW2 = 0x2;
constexpr uint32_t D3DPTEXTURECAPS_MIPMAP = 0x4000;
constexpr uint32_t D3DCAPS2_DYNAMICTEXTURES = 0x20000000;
// Texture filter bits that the game options read.
constexpr uint32_t D3DPTFILTERCAPS_MINFANISOTROPIC = 0x00000400;
constexpr uint32_t D3DPTFILTERCAPS_MAGFANISOTROPIC = 0x04000000;

// The part of the device capabilities record the engine reads. Without a device it stays zero:
// no power-of-two restriction, no mipmaps, no dynamic textures.
struct D3DCAPS9 {
    uint32_t Caps2 = 0;
    uint32_t TextureCaps = 0;
    uint32_t MaxTextureBlendStages = 0;
    uint32_t MaxSimultaneousTextures = 0;
    uint32_t TextureFilterCaps = 0;
    uint32_t PixelShaderVersion = 0;  // D3DPS_VERSION(major, minor): 0xFFFF0000 | major << 8 | minor
};

// The image description of a file as the image loader reports it.
struct D3DXIMAGE_INFO {
    uint32_t Width = 0;
    uint32_t Height = 0;
    uint32_t Depth = 0;
    uint32_t MipLevels = 0;
    D3DFORMAT Format = D3DFMT_UNKNOWN;
    uint32_t ResourceType = 0;
    uint32_t ImageFileFormat = 0;
};

// A locked rectangle of pixels: bytes per row and the first pixel.
struct D3DLOCKED_RECT {
    int32_t Pitch = 0;
    void* pBits = nullptr;
};

struct D3DSURFACE_DESC {
    D3DFORMAT Format = D3DFMT_UNKNOWN;
    uint32_t Pool = D3DPOOL_DEFAULT;
    uint32_t Usage = 0;
    uint32_t Width = 0;
    uint32_t Height = 0;
};

struct D3DCOLORVALUE {
    float r = 0.0f, g = 0.0f, b = 0.0f, a = 0.0f;
};

// The Direct3D 9 light record, 104 bytes.
struct D3DLIGHT9 {
    uint32_t Type = 0;  // 1 point, 2 spot, 3 directional
    D3DCOLORVALUE Diffuse, Specular, Ambient;
    float Position[3] = {};
    float Direction[3] = {};
    float Range = 0.0f;
    float Falloff = 0.0f;
    float Attenuation0 = 0.0f, Attenuation1 = 0.0f, Attenuation2 = 0.0f;
    float Theta = 0.0f;  // inner cone angle
    float Phi = 0.0f;    // outer cone angle
};
static_assert(sizeof(D3DLIGHT9) == 104, "laid out as Direct3D's light record");

// One range of faces and vertices that share an attribute (sub-material) in an extended mesh.
struct D3DXATTRIBUTERANGE {
    uint32_t AttribId = 0;
    uint32_t FaceStart = 0;
    uint32_t FaceCount = 0;
    uint32_t VertexStart = 0;
    uint32_t VertexCount = 0;
};

