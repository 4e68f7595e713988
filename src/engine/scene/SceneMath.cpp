// SceneMath: the scene graph's own rotation conversions, tolerances, easing and matrix wrappers.
#include "engine/scene/SceneMath.h"

#include <cmath>

void QuaternionToAxisAngleSafe(const D3DXQUATERNION& q, D3DXVECTOR3* axis, float* angle)
{
    if (q.x * q.x + q.y * q.y + q.z * q.z > 0.0f) {
        D3DXQuaternionToAxisAngle(&q, axis, angle);
        return;
    }
    if (axis)
        *axis = D3DXVECTOR3(0.0f, 0.0f, 1.0f);
    if (angle)
        *angle = 0.0f;
}

void QuaternionToAxisAngleNorm(const D3DXQUATERNION& q, D3DXVECTOR3* axis, float* angle)
{
    D3DXQUATERNION n;
    D3DXQuaternionNormalize(&n, &q);
    D3DXVECTOR3 a;
    float ang = 0.0f;
    D3DXQuaternionToAxisAngle(&n, &a, &ang);
    float len = D3DXVec3Length(&a);
    if (len > 0.0f)
        a = a / len;
    else {
        a = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
        ang = 0.0f;
    }
    if (axis)
        *axis = a;
    if (angle)
        *angle = ang;
}

D3DXQUATERNION MatrixToQuaternion(const D3DXMATRIX& mat)
{
    const float m11 = mat.m[0][0], m12 = mat.m[0][1], m13 = mat.m[0][2];
    const float m21 = mat.m[1][0], m22 = mat.m[1][1], m23 = mat.m[1][2];
    const float m31 = mat.m[2][0], m32 = mat.m[2][1], m33 = mat.m[2][2];
    const float trace = m11 + m22 + m33;
    D3DXQUATERNION q;
    if (trace + 1.0f > 1e-6f) {
        float r = std::sqrt(trace + 1.0f);
        q = D3DXQUATERNION((m32 - m23) / (2 * r), (m13 - m31) / (2 * r), (m21 - m12) / (2 * r), -r / 2);
    } else if (m11 > m22 && m11 > m33) {
        float r = std::sqrt(m11 + 1.0f - m22 - m33);
        q = D3DXQUATERNION(r / 2, (m21 + m12) / (2 * r), (m31 + m13) / (2 * r), -(m32 - m23) / (2 * r));
    } else if (m33 >= m22) {
        float r = std::sqrt(m33 + 1.0f - m11 - m22);
        q = D3DXQUATERNION((m31 + m13) / (2 * r), (m32 + m23) / (2 * r), r / 2, -(m21 - m12) / (2 * r));
    } else {
        float r = std::sqrt(m22 + 1.0f - m11 - m33);
        q = D3DXQUATERNION((m21 + m12) / (2 * r), r / 2, (m32 + m23) / (2 * r), -(m13 - m31) / (2 * r));
    }
    return q;
}

D3DXMATRIX MatrixViewport(const D3DVIEWPORT9& vp)
{
    D3DXMATRIX m;  // all zero
    m.m[0][0] = static_cast<float>(vp.Width) / 2.0f;
    m.m[1][1] = -static_cast<float>(vp.Height) / 2.0f;
    m.m[2][2] = vp.MaxZ - vp.MinZ;
    m.m[3][0] = static_cast<float>(vp.X) + m.m[0][0];
    m.m[3][1] = static_cast<float>(vp.Y) - m.m[1][1];
    m.m[3][2] = vp.MinZ;
    m.m[3][3] = 1.0f;
    return m;
}

void MatrixNormalizeAxes(D3DXMATRIX* m)
{
    for (int row = 0; row < 3; row++) {
        float* r = m->m[row];
        float len = std::sqrt(r[0] * r[0] + r[1] * r[1] + r[2] * r[2]);
        if (len == 0.0f)
            continue;  // a collapsed axis stays collapsed instead of turning into NaN
        r[0] /= len;
        r[1] /= len;
        r[2] /= len;
    }
}

bool IsNearZero(float x)
{
    return std::fabs(x) < 1e-5f;
}

bool VectorsParallel(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    float la = D3DXVec3Length(&a);
    float lb = D3DXVec3Length(&b);
    if (la != 0.0f)
        return std::fabs(std::fabs(D3DXVec3Dot(&a, &b)) - la * lb) < 1e-5f;
    return lb == 0.0f;
}

D3DXVECTOR3 RotationAxisBetween(const D3DXQUATERNION& q1, const D3DXQUATERNION& q2)
{
    D3DXVECTOR3 d(q2.x - q1.x, q2.y - q1.y, q2.z - q1.z);
    if (D3DXVec3Length(&d) < 1e-5f)
        return D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    D3DXQUATERNION inv, turn;
    D3DXQuaternionInverse(&inv, &q1);
    D3DXQuaternionMultiply(&turn, &inv, &q2);
    return D3DXVECTOR3(turn.x, turn.y, turn.z);
}

float EaseTime(float u, float a, float b)
{
    float s = a + b;
    if (s == 0.0f)
        return u;
    if (s > 1.0f) {
        a /= s;
        b /= s;
    }
    float k = 1.0f / (2.0f - a - b);
    if (u < a)
        return (k / a) * u * u;
    if (u < 1.0f - b)
        return k * (2.0f * u - a);
    float v = 1.0f - u;
    return 1.0f - (k / b) * v * v;
}

DXC_Matrix& DXC_Matrix::MultiplyRotationAxis(const D3DXVECTOR3& axis, float angle)
{
    D3DXMATRIX r;
    D3DXMatrixRotationAxis(&r, &axis, angle);
    D3DXMatrixMultiply(this, this, &r);
    return *this;
}

DXC_Matrix& DXC_Matrix::SetRotationAxis(const D3DXVECTOR3& axis, float angle)
{
    D3DXMatrixRotationAxis(this, &axis, angle);
    return *this;
}

DXC_Matrix& DXC_Matrix::SetRotationQuaternion(const D3DXQUATERNION& q)
{
    D3DXMatrixRotationQuaternion(this, &q);
    return *this;
}

DXC_Matrix& DXC_Matrix::SetTranslation(float x, float y, float z)
{
    D3DXMatrixTranslation(this, x, y, z);
    return *this;
}

DXC_Matrix& DXC_Matrix::ClearTranslation()
{
    m[3][0] = m[3][1] = m[3][2] = 0.0f;
    return *this;
}

DXC_Matrix& DXC_Matrix::SetScaling(float x, float y, float z)
{
    D3DXMatrixScaling(this, x, y, z);
    return *this;
}

DXC_Matrix& DXC_Matrix::SetScaling(float f)
{
    return SetScaling(f, f, f);
}

DXC_Matrix DXC_Matrix::Inverted() const
{
    DXC_Matrix r(*this);
    return r.Invert();
}

DXC_Matrix& DXC_Matrix::Invert(float* determinant)
{
    D3DXMatrixInverse(this, determinant, this);
    return *this;
}

DXC_Matrix& DXC_Matrix::Transpose()
{
    D3DXMatrixTranspose(this, this);
    return *this;
}

DXC_Matrix& DXC_Matrix::SetIdentity()
{
    D3DXMatrixIdentity(this);
    return *this;
}

DXC_Matrix& DXC_Matrix::SetZero()
{
    *this = DXC_Matrix(D3DXMATRIX());
    return *this;
}

float DXC_Matrix::Determinant() const
{
    return D3DXMatrixDeterminant(this);
}

DXC_Matrix& DXC_Matrix::SetReflect(const D3DXPLANE& plane)
{
    D3DXMatrixReflect(this, &plane);
    return *this;
}
