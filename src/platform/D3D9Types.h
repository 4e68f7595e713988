// D3D9Types: the Direct3D 9 result codes and plain records that engine code names; no device exists.
#pragma once
#include <cstdint>

using HRESULT = int32_t;

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

struct ID3DXMesh;  // the device's extended mesh; never created on the dedicated server
