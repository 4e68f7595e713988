// DXC_Plane: plane normalisation and transformation, matrix sums and scaling, rectangle clamping.
#include "engine/gfx/DXC_Plane.h"

#include <algorithm>
#include <cmath>

void DXC_Plane::Normalize()
{
    const float lengthSquared = a * a + b * b + c * c;
    if (!(lengthSquared > 0.0f))
        return;
    const float factor = 1.0f / std::sqrt(lengthSquared);
    a *= factor;
    b *= factor;
    c *= factor;
    d *= factor;
}

void DXC_Plane::Transform(DXC_Plane& out, const DXC_Plane& plane, const D3DXMATRIX& matrix)
{
    D3DXMATRIX transposed, inverse;
    D3DXMatrixTranspose(&transposed, &matrix);
    if (!D3DXMatrixInverse(&inverse, nullptr, &transposed))
        return;
    const D3DXVECTOR4 in(plane.a, plane.b, plane.c, plane.d);
    D3DXVECTOR4 result;
    D3DXVec4Transform(&result, &in, &inverse);
    out = DXC_Plane(result.x, result.y, result.z, result.w);
}

void DXC_Matrix::Add(const D3DXMATRIX& other)
{
    for (int row = 0; row < 4; row++)
        for (int col = 0; col < 4; col++)
            m[row][col] += other.m[row][col];
}

void DXC_Matrix::Scale(D3DXMATRIX& out, float factor) const
{
    for (int row = 0; row < 4; row++)
        for (int col = 0; col < 4; col++)
            out.m[row][col] = m[row][col] * factor;
}

int32_t DXC_IntersectRect(const RECT& bounds, RECT& rect)
{
    if (rect.left >= bounds.right || rect.top >= bounds.bottom || rect.right <= bounds.left ||
        rect.bottom <= bounds.top)
        return 0;
    rect.left = std::clamp(rect.left, bounds.left, bounds.right);
    rect.right = std::clamp(rect.right, bounds.left, bounds.right);
    rect.top = std::clamp(rect.top, bounds.top, bounds.bottom);
    rect.bottom = std::clamp(rect.bottom, bounds.top, bounds.bottom);
    return 1;
}
