// D3D9Types: the Direct3D 9 result codes with their names, and the codes, states and plain records
// that the graphics layer and the stand-in adapter and device share. Values that files or the
// engine's numbered modes rely on are those of the platform the game was made for; the others are
// our own, used consistently by the stand-in.
#pragma once
#include <cstdint>

class Window;

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
constexpr bool SUCCEEDED(HRESULT result) { return result >= 0; }

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
constexpr D3DFORMAT D3DFMT_R8G8B8 = 20;
constexpr D3DFORMAT D3DFMT_A8R8G8B8 = 21;
constexpr D3DFORMAT D3DFMT_X8R8G8B8 = 22;
constexpr D3DFORMAT D3DFMT_R5G6B5 = 23;
constexpr D3DFORMAT D3DFMT_X1R5G5B5 = 24;
constexpr D3DFORMAT D3DFMT_A1R5G5B5 = 25;
constexpr D3DFORMAT D3DFMT_A4R4G4B4 = 26;
constexpr D3DFORMAT D3DFMT_A8 = 28;
constexpr D3DFORMAT D3DFMT_L8 = 50;
constexpr D3DFORMAT D3DFMT_A8L8 = 51;
constexpr D3DFORMAT D3DFMT_D16 = 80;
constexpr D3DFORMAT D3DFMT_D32 = 81;    // 32-bit depth
constexpr D3DFORMAT D3DFMT_D24S8 = 82;  // 24-bit depth over an 8-bit stencil in the low byte
constexpr D3DFORMAT D3DFMT_INDEX16 = 90;
constexpr D3DFORMAT D3DFMT_INDEX32 = 91;
constexpr D3DFORMAT D3DFMT_DXT1 = MakeFourCC('D', 'X', 'T', '1');
constexpr D3DFORMAT D3DFMT_DXT2 = MakeFourCC('D', 'X', 'T', '2');
constexpr D3DFORMAT D3DFMT_DXT3 = MakeFourCC('D', 'X', 'T', '3');
constexpr D3DFORMAT D3DFMT_DXT4 = MakeFourCC('D', 'X', 'T', '4');
constexpr D3DFORMAT D3DFMT_DXT5 = MakeFourCC('D', 'X', 'T', '5');

// Resource types (D3DRESOURCETYPE).
constexpr uint32_t D3DRTYPE_SURFACE = 1;
constexpr uint32_t D3DRTYPE_TEXTURE = 2;
constexpr uint32_t D3DRTYPE_VERTEXBUFFER = 3;
constexpr uint32_t D3DRTYPE_INDEXBUFFER = 4;

// Memory pools (D3DPOOL), usage bits and lock flags.
constexpr uint32_t D3DPOOL_DEFAULT = 0;
constexpr uint32_t D3DPOOL_MANAGED = 1;
constexpr uint32_t D3DPOOL_SYSTEMMEM = 2;
constexpr uint32_t D3DPOOL_SCRATCH = 3;
constexpr uint32_t D3DUSAGE_RENDERTARGET = 0x1;
constexpr uint32_t D3DUSAGE_DEPTHSTENCIL = 0x2;
constexpr uint32_t D3DUSAGE_WRITEONLY = 0x4;
constexpr uint32_t D3DUSAGE_SOFTWAREPROCESSING = 0x8;
constexpr uint32_t D3DUSAGE_DYNAMIC = 0x200;
constexpr uint32_t D3DLOCK_READONLY = 0x1;
constexpr uint32_t D3DLOCK_DISCARD = 0x2;
constexpr uint32_t D3DLOCK_NOOVERWRITE = 0x4;

// Device creation and presentation.
constexpr uint32_t D3D_SDK_VERSION = 32;
constexpr uint32_t D3DADAPTER_DEFAULT = 0;
constexpr uint32_t D3DDEVTYPE_HAL = 1;
constexpr uint32_t D3DDEVTYPE_REF = 2;
constexpr uint32_t D3DCREATE_SOFTWARE_VERTEXPROCESSING = 0x1;
constexpr uint32_t D3DCREATE_HARDWARE_VERTEXPROCESSING = 0x2;
constexpr uint32_t D3DCREATE_MIXED_VERTEXPROCESSING = 0x4;
constexpr uint32_t D3DMULTISAMPLE_NONE = 0;
constexpr uint32_t D3DMULTISAMPLE_NONMASKABLE = 1;
constexpr uint32_t D3DSWAPEFFECT_DISCARD = 1;
constexpr uint32_t D3DPRESENT_INTERVAL_DEFAULT = 0;
constexpr uint32_t D3DPRESENT_INTERVAL_ONE = 1;
constexpr uint32_t D3DPRESENT_INTERVAL_TWO = 2;
constexpr uint32_t D3DPRESENT_INTERVAL_THREE = 3;
constexpr uint32_t D3DPRESENT_INTERVAL_FOUR = 4;
constexpr uint32_t D3DPRESENT_INTERVAL_IMMEDIATE = 0x100;
constexpr uint32_t D3DPRESENTFLAG_LOCKABLE_BACKBUFFER = 0x1;
constexpr uint32_t D3DBACKBUFFER_TYPE_MONO = 0;
constexpr uint32_t D3DSGR_NO_CALIBRATION = 0;
constexpr uint32_t D3DSGR_CALIBRATE = 1;

// Clears, draws and vertex formats. The vertex format bits are those stored in scene files.
constexpr uint32_t D3DCLEAR_TARGET = 0x1;
constexpr uint32_t D3DCLEAR_ZBUFFER = 0x2;
constexpr uint32_t D3DCLEAR_STENCIL = 0x4;
using D3DPRIMITIVETYPE = uint32_t;
constexpr D3DPRIMITIVETYPE D3DPT_POINTLIST = 1;
constexpr D3DPRIMITIVETYPE D3DPT_LINELIST = 2;
constexpr D3DPRIMITIVETYPE D3DPT_LINESTRIP = 3;
constexpr D3DPRIMITIVETYPE D3DPT_TRIANGLELIST = 4;
constexpr D3DPRIMITIVETYPE D3DPT_TRIANGLESTRIP = 5;
constexpr D3DPRIMITIVETYPE D3DPT_TRIANGLEFAN = 6;
constexpr uint32_t D3DFVF_XYZ = 0x002;
constexpr uint32_t D3DFVF_XYZRHW = 0x004;
constexpr uint32_t D3DFVF_NORMAL = 0x010;
constexpr uint32_t D3DFVF_PSIZE = 0x020;
constexpr uint32_t D3DFVF_DIFFUSE = 0x040;
constexpr uint32_t D3DFVF_SPECULAR = 0x080;
constexpr uint32_t D3DFVF_TEX1 = 0x100;
constexpr uint32_t D3DFVF_LASTBETA_UBYTE4 = 0x1000;

// Capability bits.
constexpr uint32_t D3DDEVCAPS_HWTRANSFORMANDLIGHT = 0x1;
constexpr uint32_t D3DCAPS2_FULLSCREENGAMMA = 0x1;
constexpr uint32_t D3DCAPS2_CANCALIBRATEGAMMA = 0x2;
constexpr uint32_t D3DCAPS2_DYNAMICTEXTURES = 0x20000000;
constexpr uint32_t D3DPRASTERCAPS_MIPMAPLODBIAS = 0x1;
constexpr uint32_t D3DPMISCCAPS_PERSTAGECONSTANT = 0x8000;
constexpr uint32_t D3DPTEXTURECAPS_POW2 = 0x2;
constexpr uint32_t D3DPTEXTURECAPS_MIPMAP = 0x4000;
constexpr uint32_t D3DPTFILTERCAPS_MINFANISOTROPIC = 0x00000400;
constexpr uint32_t D3DPTFILTERCAPS_MAGFANISOTROPIC = 0x04000000;

// The device capabilities record. Without a device the graphics object keeps it zero: no
// power-of-two restriction, no mipmaps, no dynamic textures.
struct D3DCAPS9 {
    uint32_t DeviceType = 0;
    uint32_t Caps2 = 0;
    uint32_t DevCaps = 0;
    uint32_t PrimitiveMiscCaps = 0;
    uint32_t RasterCaps = 0;
    uint32_t TextureCaps = 0;
    uint32_t TextureFilterCaps = 0;
    uint32_t MaxTextureWidth = 0;
    uint32_t MaxTextureHeight = 0;
    uint32_t MaxTextureBlendStages = 0;
    uint32_t MaxSimultaneousTextures = 0;
    uint32_t MaxActiveLights = 0;
    uint32_t MaxUserClipPlanes = 0;
    uint32_t MaxVertexBlendMatrices = 0;
    uint32_t MaxVertexBlendMatrixIndex = 0;
    float MaxPointSize = 0.0f;
    uint32_t MaxStreams = 0;
    uint32_t NumSimultaneousRTs = 0;
    uint32_t VertexShaderVersion = 0;
    uint32_t PixelShaderVersion = 0;  // D3DPS_VERSION(major, minor): 0xFFFF0000 | major << 8 | minor
};

// Render states (D3DRENDERSTATETYPE); D3DRS_COUNT bounds the table of the stand-in device.
enum D3DRENDERSTATETYPE : uint32_t {
    D3DRS_ZENABLE = 1,
    D3DRS_FILLMODE,
    D3DRS_ZWRITEENABLE,
    D3DRS_ALPHATESTENABLE,
    D3DRS_SRCBLEND,
    D3DRS_DESTBLEND,
    D3DRS_CULLMODE,
    D3DRS_ZFUNC,
    D3DRS_ALPHAREF,
    D3DRS_ALPHAFUNC,
    D3DRS_ALPHABLENDENABLE,
    D3DRS_FOGENABLE,
    D3DRS_SPECULARENABLE,
    D3DRS_FOGCOLOR,
    D3DRS_FOGTABLEMODE,
    D3DRS_FOGSTART,
    D3DRS_FOGEND,
    D3DRS_FOGDENSITY,
    D3DRS_RANGEFOGENABLE,
    D3DRS_STENCILENABLE,
    D3DRS_STENCILFAIL,
    D3DRS_STENCILZFAIL,
    D3DRS_STENCILPASS,
    D3DRS_STENCILFUNC,
    D3DRS_STENCILREF,
    D3DRS_TEXTUREFACTOR,
    D3DRS_CLIPPING,
    D3DRS_LIGHTING,
    D3DRS_AMBIENT,
    D3DRS_FOGVERTEXMODE,
    D3DRS_NORMALIZENORMALS,
    D3DRS_VERTEXBLEND,
    D3DRS_CLIPPLANEENABLE,
    D3DRS_POINTSIZE,
    D3DRS_POINTSIZE_MIN,
    D3DRS_POINTSPRITEENABLE,
    D3DRS_POINTSCALEENABLE,
    D3DRS_POINTSCALE_A,
    D3DRS_POINTSCALE_B,
    D3DRS_POINTSCALE_C,
    D3DRS_POINTSIZE_MAX,
    D3DRS_INDEXEDVERTEXBLENDENABLE,
    D3DRS_COLORWRITEENABLE,
    D3DRS_PATCHEDGESTYLE,
    D3DRS_COUNT
};

// Texture-stage states (D3DTEXTURESTAGESTATETYPE) and sampler states (D3DSAMPLERSTATETYPE).
enum D3DTEXTURESTAGESTATETYPE : uint32_t {
    D3DTSS_COLOROP = 1,
    D3DTSS_COLORARG0,
    D3DTSS_COLORARG1,
    D3DTSS_COLORARG2,
    D3DTSS_ALPHAOP,
    D3DTSS_ALPHAARG1,
    D3DTSS_ALPHAARG2,
    D3DTSS_TEXCOORDINDEX,
    D3DTSS_TEXTURETRANSFORMFLAGS,
    D3DTSS_CONSTANT,
    D3DTSS_COUNT
};
enum D3DSAMPLERSTATETYPE : uint32_t {
    D3DSAMP_ADDRESSU = 1,
    D3DSAMP_ADDRESSV,
    D3DSAMP_MAGFILTER,
    D3DSAMP_MINFILTER,
    D3DSAMP_MIPFILTER,
    D3DSAMP_MIPMAPLODBIAS,
    D3DSAMP_MAXANISOTROPY,
    D3DSAMP_COUNT
};

// Transforms (D3DTRANSFORMSTATETYPE): view, projection, the texture transforms of eight stages and
// the table of 256 world matrices.
using D3DTRANSFORMSTATETYPE = uint32_t;
constexpr D3DTRANSFORMSTATETYPE D3DTS_VIEW = 1;
constexpr D3DTRANSFORMSTATETYPE D3DTS_PROJECTION = 2;
constexpr D3DTRANSFORMSTATETYPE D3DTS_TEXTURE0 = 8;  // stage n is D3DTS_TEXTURE0 + n
constexpr D3DTRANSFORMSTATETYPE D3DTS_WORLDMATRIX(uint32_t index) { return 256 + index; }
constexpr D3DTRANSFORMSTATETYPE D3DTS_WORLD = D3DTS_WORLDMATRIX(0);

// State values. The numbered modes of the engine send these.
constexpr uint32_t D3DZB_FALSE = 0;
constexpr uint32_t D3DZB_TRUE = 1;
constexpr uint32_t D3DFILL_POINT = 1;
constexpr uint32_t D3DFILL_WIREFRAME = 2;
constexpr uint32_t D3DFILL_SOLID = 3;
constexpr uint32_t D3DCULL_NONE = 1;
constexpr uint32_t D3DCULL_CW = 2;
constexpr uint32_t D3DCULL_CCW = 3;
constexpr uint32_t D3DCMP_NEVER = 1;
constexpr uint32_t D3DCMP_LESS = 2;
constexpr uint32_t D3DCMP_EQUAL = 3;
constexpr uint32_t D3DCMP_LESSEQUAL = 4;
constexpr uint32_t D3DCMP_GREATER = 5;
constexpr uint32_t D3DCMP_NOTEQUAL = 6;
constexpr uint32_t D3DCMP_GREATEREQUAL = 7;
constexpr uint32_t D3DCMP_ALWAYS = 8;
constexpr uint32_t D3DBLEND_ZERO = 1;
constexpr uint32_t D3DBLEND_ONE = 2;
constexpr uint32_t D3DBLEND_SRCCOLOR = 3;
constexpr uint32_t D3DBLEND_INVSRCCOLOR = 4;
constexpr uint32_t D3DBLEND_SRCALPHA = 5;
constexpr uint32_t D3DBLEND_INVSRCALPHA = 6;
constexpr uint32_t D3DBLEND_INVDESTCOLOR = 10;
constexpr uint32_t D3DSTENCILOP_KEEP = 1;
constexpr uint32_t D3DSTENCILOP_ZERO = 2;
constexpr uint32_t D3DSTENCILOP_REPLACE = 3;
constexpr uint32_t D3DSTENCILOP_INCR = 4;
constexpr uint32_t D3DSTENCILOP_DECR = 5;
constexpr uint32_t D3DFOG_NONE = 0;
constexpr uint32_t D3DFOG_EXP = 1;
constexpr uint32_t D3DFOG_EXP2 = 2;
constexpr uint32_t D3DFOG_LINEAR = 3;
constexpr uint32_t D3DVBF_DISABLE = 0;
constexpr uint32_t D3DPATCHEDGE_DISCRETE = 0;
constexpr uint32_t D3DTOP_DISABLE = 1;
constexpr uint32_t D3DTOP_SELECTARG1 = 2;
constexpr uint32_t D3DTOP_SELECTARG2 = 3;
constexpr uint32_t D3DTOP_MODULATE = 4;
constexpr uint32_t D3DTOP_ADD = 7;
constexpr uint32_t D3DTOP_BUMPENVMAP = 22;
constexpr uint32_t D3DTOP_MULTIPLYADD = 25;  // arg0 + arg1 x arg2
constexpr uint32_t D3DTOP_LERP = 26;         // arg0 x arg1 + (1 - arg0) x arg2
constexpr uint32_t D3DTA_DIFFUSE = 0;
constexpr uint32_t D3DTA_CURRENT = 1;
constexpr uint32_t D3DTA_TEXTURE = 2;
constexpr uint32_t D3DTA_TFACTOR = 3;
constexpr uint32_t D3DTA_CONSTANT = 6;     // the stage's own constant colour
constexpr uint32_t D3DTA_COMPLEMENT = 0x10;  // modifier: 1 - the argument
constexpr uint32_t D3DTTFF_DISABLE = 0;
constexpr uint32_t D3DTTFF_COUNT2 = 2;
constexpr uint32_t D3DTTFF_COUNT3 = 3;
constexpr uint32_t D3DTTFF_PROJECTED = 256;  // the coordinates are divided by their last one
constexpr uint32_t D3DTSS_TCI_CAMERASPACEPOSITION = 0x00020000;  // texture coordinates from view space
constexpr uint32_t D3DTEXF_NONE = 0;
constexpr uint32_t D3DTEXF_POINT = 1;
constexpr uint32_t D3DTEXF_LINEAR = 2;
constexpr uint32_t D3DTEXF_ANISOTROPIC = 3;
constexpr uint32_t D3DTADDRESS_WRAP = 1;
constexpr uint32_t D3DTADDRESS_MIRROR = 2;
constexpr uint32_t D3DTADDRESS_CLAMP = 3;

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

// A locked rectangle of pixels: bytes per row (per row of 4 x 4 blocks for DXT) and the first pixel.
struct D3DLOCKED_RECT {
    int32_t Pitch = 0;
    void* pBits = nullptr;
};

struct D3DSURFACE_DESC {
    D3DFORMAT Format = D3DFMT_UNKNOWN;
    uint32_t Type = D3DRTYPE_SURFACE;
    uint32_t Usage = 0;
    uint32_t Pool = D3DPOOL_DEFAULT;
    uint32_t MultiSampleType = D3DMULTISAMPLE_NONE;
    uint32_t MultiSampleQuality = 0;
    uint32_t Width = 0;
    uint32_t Height = 0;
};

struct D3DVERTEXBUFFER_DESC {
    D3DFORMAT Format = D3DFMT_UNKNOWN;
    uint32_t Type = D3DRTYPE_VERTEXBUFFER;
    uint32_t Usage = 0;
    uint32_t Pool = D3DPOOL_DEFAULT;
    uint32_t Size = 0;
    uint32_t FVF = 0;
};

struct D3DINDEXBUFFER_DESC {
    D3DFORMAT Format = D3DFMT_INDEX16;
    uint32_t Type = D3DRTYPE_INDEXBUFFER;
    uint32_t Usage = 0;
    uint32_t Pool = D3DPOOL_DEFAULT;
    uint32_t Size = 0;
};

// A rectangle of pixels: left, top, right and bottom; right and bottom lie outside it.
struct D3DRECT {
    int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

struct POINT {
    int32_t x = 0, y = 0;
};

struct D3DDISPLAYMODE {
    uint32_t Width = 0;
    uint32_t Height = 0;
    uint32_t RefreshRate = 0;
    D3DFORMAT Format = D3DFMT_UNKNOWN;
};

struct D3DPRESENT_PARAMETERS {
    uint32_t BackBufferWidth = 0;  // 0 in a window: the display's width
    uint32_t BackBufferHeight = 0;
    D3DFORMAT BackBufferFormat = D3DFMT_UNKNOWN;  // unknown in a window: the display's format
    uint32_t BackBufferCount = 0;                 // 0 counts as 1
    uint32_t MultiSampleType = D3DMULTISAMPLE_NONE;
    uint32_t MultiSampleQuality = 0;
    uint32_t SwapEffect = 0;
    Window* hDeviceWindow = nullptr;
    int32_t Windowed = 0;
    int32_t EnableAutoDepthStencil = 0;
    D3DFORMAT AutoDepthStencilFormat = D3DFMT_UNKNOWN;
    uint32_t Flags = 0;
    uint32_t FullScreen_RefreshRateInHz = 0;
    uint32_t PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
};

struct D3DDEVICE_CREATION_PARAMETERS {
    uint32_t AdapterOrdinal = 0;
    uint32_t DeviceType = 0;
    Window* hFocusWindow = nullptr;
    uint32_t BehaviorFlags = 0;
};

struct D3DCOLORVALUE {
    float r = 0.0f, g = 0.0f, b = 0.0f, a = 0.0f;
};

// The fixed-function material: four colours and the specular power.
struct D3DMATERIAL9 {
    D3DCOLORVALUE Diffuse, Ambient, Specular, Emissive;
    float Power = 0.0f;
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

// Three tables of 256 16-bit values: the display's red, green and blue response.
struct D3DGAMMARAMP {
    uint16_t red[256] = {};
    uint16_t green[256] = {};
    uint16_t blue[256] = {};
};

// One range of faces and vertices that share an attribute (sub-material) in an extended mesh.
struct D3DXATTRIBUTERANGE {
    uint32_t AttribId = 0;
    uint32_t FaceStart = 0;
    uint32_t FaceCount = 0;
    uint32_t VertexStart = 0;
    uint32_t VertexCount = 0;
};
