// D3D9Types: the names of the Direct3D and D3DX result codes.
#include "platform/D3D9Types.h"

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
