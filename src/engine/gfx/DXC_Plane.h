// DXC_Plane: the small geometry of the graphics layer: planes normalised and carried through a
// matrix, matrix sums and scaling, vector comparison and the clamp of a rectangle into bounds.
#pragma once
#include "platform/Window.h"
#include "platform/D3DXMath.h"

#include <cstdint>

class DXC_Plane : public D3DXPLANE {
public:
    using D3DXPLANE::D3DXPLANE;

    // (a, b, c) to unit length, d with them; a plane without a normal stays as it is.
    void Normalize();
    // The plane carried by the matrix that carries its points: the plane times the inverse of the
    // matrix's transpose. A matrix without an inverse leaves out unchanged.
    static void Transform(DXC_Plane& out, const DXC_Plane& plane, const D3DXMATRIX& matrix);
};

class DXC_Matrix : public D3DXMATRIX {
public:
    using D3DXMATRIX::D3DXMATRIX;

    void Add(const D3DXMATRIX& other);                         // element by element
    void Scale(D3DXMATRIX& out, float factor) const;           // out = every element times factor
};

class DXC_Vector3 : public D3DXVECTOR3 {
public:
    using D3DXVECTOR3::D3DXVECTOR3;

    bool Differs(const D3DXVECTOR3& other) const { return x != other.x || y != other.y || z != other.z; }
};

// 0 when rect lies wholly outside bounds (touching an edge is outside); otherwise each side of
// rect is clamped into bounds and 1 is returned.
int32_t DXC_IntersectRect(const RECT& bounds, RECT& rect);
