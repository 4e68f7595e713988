// DXC_Gfx: the graphics object without a device, its path check and the result-code names.
#include "engine/gfx/DXC_Gfx.h"

const char* GetDirectXErrorName(HRESULT result)
{
    struct Name {
        HRESULT code;
        const char* text;
    };
    static const Name kNames[] = {
        {S_OK, "S_OK"},
        {E_NOTIMPL, "E_NOTIMPL"},
        {E_FAIL, "E_FAIL"},
        {E_OUTOFMEMORY, "E_OUTOFMEMORY"},
        {E_INVALIDARG, "E_INVALIDARG"},
        {D3DERR_OUTOFVIDEOMEMORY, "D3DERR_OUTOFVIDEOMEMORY"},
        {D3DERR_WASSTILLDRAWING, "D3DERR_WASSTILLDRAWING"},
        {D3DERR_DRIVERINTERNALERROR, "D3DERR_DRIVERINTERNALERROR"},
        {D3DERR_NOTFOUND, "D3DERR_NOTFOUND"},
        {D3DERR_MOREDATA, "D3DERR_MOREDATA"},
        {D3DERR_DEVICELOST, "D3DERR_DEVICELOST"},
        {D3DERR_DEVICENOTRESET, "D3DERR_DEVICENOTRESET"},
        {D3DERR_NOTAVAILABLE, "D3DERR_NOTAVAILABLE"},
        {D3DERR_INVALIDDEVICE, "D3DERR_INVALIDDEVICE"},
        {D3DERR_INVALIDCALL, "D3DERR_INVALIDCALL"},
        {D3DERR_DRIVERINVALIDCALL, "D3DERR_DRIVERINVALIDCALL"},
        {D3DXERR_CANNOTMODIFYINDEXBUFFER, "D3DXERR_CANNOTMODIFYINDEXBUFFER"},
        {D3DXERR_INVALIDMESH, "D3DXERR_INVALIDMESH"},
        {D3DXERR_INVALIDDATA, "D3DXERR_INVALIDDATA"},
    };
    for (const Name& n : kNames)
        if (n.code == result)
            return n.text;
    return "Unknown";
}

DXC_Gfx::DXC_Gfx()
{
    SetName("DXC_Gfx");
    if (!CheckD3D9())
        Error("Direct3D 9 not available");
    if (!CheckD3DX9())
        Error("D3DX 9 not available");
}

DXC_Gfx::~DXC_Gfx() = default;

int DXC_Gfx::CheckD3D9()
{
    return 1;
}

int DXC_Gfx::CheckD3DX9()
{
    return 1;
}

bool DXC_Gfx::CheckFilePath(const char* fileName)
{
    if (!fileName)
        return true;
    if (fileName[0] == '\\' && fileName[1] == '\\') {
        Warning("Network file accessed: '%s'", fileName);
        return false;
    }
    if ((fileName[0] != 0 && fileName[1] == ':') || fileName[0] == '\'' || fileName[0] == '/') {
        Warning("Absolute file path: '%s'", fileName);
        return false;
    }
    return true;
}
