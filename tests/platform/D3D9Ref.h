// D3D9Ref: a stand-in Direct3D object that a test holds, released when the test lets it go; and
// the plain windowed device that tests of the device's resources make.
#pragma once
#include "platform/D3D9Adapter.h"
#include "platform/D3D9Object.h"

#include <memory>

struct D3D9Releaser {
    void operator()(D3D9Object* object) const { object->Release(); }
};
template <class T> using D3D9Ref = std::unique_ptr<T, D3D9Releaser>;

// A device in a window of the display's size and format, without a depth surface.
inline HRESULT MakeWindowedDevice(IDirect3D9& adapter, IDirect3DDevice9** device)
{
    D3DPRESENT_PARAMETERS p;
    p.Windowed = 1;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    return adapter.CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &p, device);
}
