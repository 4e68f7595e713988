// SceneMath: the scene graph's own rotation conversions, tolerances, easing and matrix wrappers.
#pragma once
#include "platform/D3DXMath.h"

// Quaternion -> axis and angle; a quaternion without vector part gives axis (0, 0, 1), angle 0.
void QuaternionToAxisAngleSafe(const D3DXQUATERNION& q, D3DXVECTOR3* axis, float* angle);
// Normalises q first and answers a unit axis; a zero axis stays zero with angle 0.
void QuaternionToAxisAngleNorm(const D3DXQUATERNION& q, D3DXVECTOR3* axis, float* angle);
// Rotation part of a row-vector matrix -> quaternion; the result is the negated form (w <= 0 for
// small turns), which describes the same rotation.
D3DXQUATERNION MatrixToQuaternion(const D3DXMATRIX& m);
D3DXMATRIX MatrixViewport(const D3DVIEWPORT9& vp);
void MatrixNormalizeAxes(D3DXMATRIX* m);  // each of the first three rows to unit length
bool IsNearZero(float x);
bool VectorsParallel(const D3DXVECTOR3& a, const D3DXVECTOR3& b);
// Axis of the turn from q1 to q2 (vector part of inverse(q1) x q2); zero when the two are equal.
D3DXVECTOR3 RotationAxisBetween(const D3DXQUATERNION& q1, const D3DXQUATERNION& q2);
// Ease-in/ease-out of a TCB segment: a = ease-out of the earlier key, b = ease-in of the later one.
float EaseTime(float u, float a, float b);

// A matrix value with the engine's one-line wrappers; each returns the matrix.
struct DXC_Matrix : D3DXMATRIX {
    DXC_Matrix() { D3DXMatrixIdentity(this); }
    DXC_Matrix(const D3DXMATRIX& m) : D3DXMATRIX(m) {}
    DXC_Matrix& MultiplyRotationAxis(const D3DXVECTOR3& axis, float angle);  // M = M x R
    DXC_Matrix& SetRotationAxis(const D3DXVECTOR3& axis, float angle);
    DXC_Matrix& SetRotationQuaternion(const D3DXQUATERNION& q);
    DXC_Matrix& SetTranslation(float x, float y, float z);
    DXC_Matrix& ClearTranslation();
    DXC_Matrix& SetScaling(float x, float y, float z);
    DXC_Matrix& SetScaling(float f);
    DXC_Matrix Inverted() const;                       // a singular matrix gives itself back
    DXC_Matrix& Invert(float* determinant = nullptr);  // a singular matrix is left as it is
    DXC_Matrix& Transpose();
    DXC_Matrix& SetIdentity();
    DXC_Matrix& SetZero();
    float Determinant() const;
    DXC_Matrix& SetReflect(const D3DXPLANE& plane);
};
