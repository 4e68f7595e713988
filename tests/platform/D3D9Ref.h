// D3D9Ref: a stand-in Direct3D object that a test holds, released when the test lets it go.
#pragma once
#include "platform/D3D9Object.h"

#include <memory>

struct D3D9Releaser {
    void operator()(D3D9Object* object) const { object->Release(); }
};
template <class T> using D3D9Ref = std::unique_ptr<T, D3D9Releaser>;
