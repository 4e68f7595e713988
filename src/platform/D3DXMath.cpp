// D3DXMath: the D3DX 9 math functions, written from their documented results.
#include "platform/D3DXMath.h"

#include <cmath>

D3DXMATRIX::D3DXMATRIX(float m11, float m12, float m13, float m14, float m21, float m22, float m23, float m24,
                       float m31, float m32, float m33, float m34, float m41, float m42, float m43, float m44)
    : m{{m11, m12, m13, m14}, {m21, m22, m23, m24}, {m31, m32, m33, m34}, {m41, m42, m43, m44}}
{
}

D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX& b) const
{
    D3DXMATRIX r;
    D3DXMatrixMultiply(&r, this, &b);
    return r;
}

D3DXMATRIX& D3DXMATRIX::operator*=(const D3DXMATRIX& b)
{
    D3DXMatrixMultiply(this, this, &b);
    return *this;
}

bool D3DXMATRIX::operator==(const D3DXMATRIX& b) const
{
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++)
            if (m[i][j] != b.m[i][j])
                return false;
    return true;
}

float D3DXVec3Length(const D3DXVECTOR3* v)
{
    return std::sqrt(v->x * v->x + v->y * v->y + v->z * v->z);
}

float D3DXVec3Dot(const D3DXVECTOR3* a, const D3DXVECTOR3* b)
{
    return a->x * b->x + a->y * b->y + a->z * b->z;
}

D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b)
{
    D3DXVECTOR3 r(a->y * b->z - a->z * b->y, a->z * b->x - a->x * b->z, a->x * b->y - a->y * b->x);
    *out = r;
    return out;
}

D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v)
{
    float len = D3DXVec3Length(v);
    if (len == 0.0f)
        *out = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    else
        *out = D3DXVECTOR3(v->x / len, v->y / len, v->z / len);
    return out;
}

D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m)
{
    const float(&a)[4][4] = m->m;
    float w = v->x * a[0][3] + v->y * a[1][3] + v->z * a[2][3] + a[3][3];
    D3DXVECTOR3 r((v->x * a[0][0] + v->y * a[1][0] + v->z * a[2][0] + a[3][0]) / w,
                  (v->x * a[0][1] + v->y * a[1][1] + v->z * a[2][1] + a[3][1]) / w,
                  (v->x * a[0][2] + v->y * a[1][2] + v->z * a[2][2] + a[3][2]) / w);
    *out = r;
    return out;
}

D3DXVECTOR3* D3DXVec3TransformNormal(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m)
{
    const float(&a)[4][4] = m->m;
    D3DXVECTOR3 r(v->x * a[0][0] + v->y * a[1][0] + v->z * a[2][0],
                  v->x * a[0][1] + v->y * a[1][1] + v->z * a[2][1],
                  v->x * a[0][2] + v->y * a[1][2] + v->z * a[2][2]);
    *out = r;
    return out;
}

D3DXVECTOR4* D3DXVec3Transform(D3DXVECTOR4* out, const D3DXVECTOR3* v, const D3DXMATRIX* m)
{
    D3DXVECTOR4 p(v->x, v->y, v->z, 1.0f);
    return D3DXVec4Transform(out, &p, m);
}

D3DXVECTOR4* D3DXVec4Transform(D3DXVECTOR4* out, const D3DXVECTOR4* v, const D3DXMATRIX* m)
{
    const float(&a)[4][4] = m->m;
    D3DXVECTOR4 r;
    float* dst = &r.x;
    for (int j = 0; j < 4; j++)
        dst[j] = v->x * a[0][j] + v->y * a[1][j] + v->z * a[2][j] + v->w * a[3][j];
    *out = r;
    return out;
}

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out)
{
    *out = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    return out;
}

bool D3DXMatrixIsIdentity(const D3DXMATRIX* m)
{
    D3DXMATRIX id;
    D3DXMatrixIdentity(&id);
    return *m == id;
}

D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z)
{
    D3DXMatrixIdentity(out);
    out->m[3][0] = x;
    out->m[3][1] = y;
    out->m[3][2] = z;
    return out;
}

D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float sx, float sy, float sz)
{
    D3DXMatrixIdentity(out);
    out->m[0][0] = sx;
    out->m[1][1] = sy;
    out->m[2][2] = sz;
    return out;
}

D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* out, float angle)
{
    float s = std::sin(angle), c = std::cos(angle);
    *out = D3DXMATRIX(1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* out, float angle)
{
    float s = std::sin(angle), c = std::cos(angle);
    *out = D3DXMATRIX(c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle)
{
    float s = std::sin(angle), c = std::cos(angle);
    *out = D3DXMATRIX(c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationAxis(D3DXMATRIX* out, const D3DXVECTOR3* axis, float angle)
{
    D3DXVECTOR3 n;
    D3DXVec3Normalize(&n, axis);
    float s = std::sin(angle), c = std::cos(angle), d = 1.0f - c;
    *out = D3DXMATRIX(d * n.x * n.x + c, d * n.x * n.y + s * n.z, d * n.x * n.z - s * n.y, 0,
                      d * n.y * n.x - s * n.z, d * n.y * n.y + c, d * n.y * n.z + s * n.x, 0,
                      d * n.z * n.x + s * n.y, d * n.z * n.y - s * n.x, d * n.z * n.z + c, 0, 0, 0, 0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixRotationQuaternion(D3DXMATRIX* out, const D3DXQUATERNION* q)
{
    float x = q->x, y = q->y, z = q->z, w = q->w;  // not normalised: a scaled quaternion scales too
    *out = D3DXMATRIX(1.0f - 2.0f * (y * y + z * z), 2.0f * (x * y + z * w), 2.0f * (x * z - y * w), 0,
                      2.0f * (x * y - z * w), 1.0f - 2.0f * (x * x + z * z), 2.0f * (y * z + x * w), 0,
                      2.0f * (x * z + y * w), 2.0f * (y * z - x * w), 1.0f - 2.0f * (x * x + y * y), 0, 0, 0,
                      0, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b)
{
    D3DXMATRIX r;
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++)
            r.m[i][j] = a->m[i][0] * b->m[0][j] + a->m[i][1] * b->m[1][j] + a->m[i][2] * b->m[2][j] +
                        a->m[i][3] * b->m[3][j];
    *out = r;
    return out;
}

D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* out, const D3DXMATRIX* m)
{
    D3DXMATRIX r;
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++)
            r.m[i][j] = m->m[j][i];
    *out = r;
    return out;
}

// The sixteen cofactors, laid out so that the inverse is cofactor / determinant.
static void Cofactors(const D3DXMATRIX* m, float c[16])
{
    const float(&a)[4][4] = m->m;
    float s0 = a[0][0] * a[1][1] - a[1][0] * a[0][1];
    float s1 = a[0][0] * a[1][2] - a[1][0] * a[0][2];
    float s2 = a[0][0] * a[1][3] - a[1][0] * a[0][3];
    float s3 = a[0][1] * a[1][2] - a[1][1] * a[0][2];
    float s4 = a[0][1] * a[1][3] - a[1][1] * a[0][3];
    float s5 = a[0][2] * a[1][3] - a[1][2] * a[0][3];
    float c5 = a[2][2] * a[3][3] - a[3][2] * a[2][3];
    float c4 = a[2][1] * a[3][3] - a[3][1] * a[2][3];
    float c3 = a[2][1] * a[3][2] - a[3][1] * a[2][2];
    float c2 = a[2][0] * a[3][3] - a[3][0] * a[2][3];
    float c1 = a[2][0] * a[3][2] - a[3][0] * a[2][2];
    float c0 = a[2][0] * a[3][1] - a[3][0] * a[2][1];
    c[0] = a[1][1] * c5 - a[1][2] * c4 + a[1][3] * c3;
    c[1] = -a[0][1] * c5 + a[0][2] * c4 - a[0][3] * c3;
    c[2] = a[3][1] * s5 - a[3][2] * s4 + a[3][3] * s3;
    c[3] = -a[2][1] * s5 + a[2][2] * s4 - a[2][3] * s3;
    c[4] = -a[1][0] * c5 + a[1][2] * c2 - a[1][3] * c1;
    c[5] = a[0][0] * c5 - a[0][2] * c2 + a[0][3] * c1;
    c[6] = -a[3][0] * s5 + a[3][2] * s2 - a[3][3] * s1;
    c[7] = a[2][0] * s5 - a[2][2] * s2 + a[2][3] * s1;
    c[8] = a[1][0] * c4 - a[1][1] * c2 + a[1][3] * c0;
    c[9] = -a[0][0] * c4 + a[0][1] * c2 - a[0][3] * c0;
    c[10] = a[3][0] * s4 - a[3][1] * s2 + a[3][3] * s0;
    c[11] = -a[2][0] * s4 + a[2][1] * s2 - a[2][3] * s0;
    c[12] = -a[1][0] * c3 + a[1][1] * c1 - a[1][2] * c0;
    c[13] = a[0][0] * c3 - a[0][1] * c1 + a[0][2] * c0;
    c[14] = -a[3][0] * s3 + a[3][1] * s1 - a[3][2] * s0;
    c[15] = a[2][0] * s3 - a[2][1] * s1 + a[2][2] * s0;
}

float D3DXMatrixDeterminant(const D3DXMATRIX* m)
{
    float c[16];
    Cofactors(m, c);
    return m->m[0][0] * c[0] + m->m[0][1] * c[4] + m->m[0][2] * c[8] + m->m[0][3] * c[12];
}

D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* out, float* determinant, const D3DXMATRIX* m)
{
    float c[16];
    Cofactors(m, c);
    float det = m->m[0][0] * c[0] + m->m[0][1] * c[4] + m->m[0][2] * c[8] + m->m[0][3] * c[12];
    if (det == 0.0f)
        return nullptr;
    if (determinant)
        *determinant = det;
    float inv = 1.0f / det;
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++)
            out->m[i][j] = c[i * 4 + j] * inv;
    return out;
}

D3DXPLANE* D3DXPlaneNormalize(D3DXPLANE* out, const D3DXPLANE* p)
{
    float len = std::sqrt(p->a * p->a + p->b * p->b + p->c * p->c);
    if (len == 0.0f)
        *out = D3DXPLANE(0.0f, 0.0f, 0.0f, 0.0f);
    else
        *out = D3DXPLANE(p->a / len, p->b / len, p->c / len, p->d / len);
    return out;
}

D3DXMATRIX* D3DXMatrixReflect(D3DXMATRIX* out, const D3DXPLANE* plane)
{
    D3DXPLANE n;
    D3DXPlaneNormalize(&n, plane);
    float a = n.a, b = n.b, c = n.c, d = n.d;
    *out = D3DXMATRIX(1.0f - 2.0f * a * a, -2.0f * a * b, -2.0f * a * c, 0, -2.0f * a * b,
                      1.0f - 2.0f * b * b, -2.0f * b * c, 0, -2.0f * a * c, -2.0f * b * c,
                      1.0f - 2.0f * c * c, 0, -2.0f * a * d, -2.0f * b * d, -2.0f * c * d, 1);
    return out;
}

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* target,
                               const D3DXVECTOR3* up)
{
    D3DXVECTOR3 z = *target - *eye, x, y;
    D3DXVec3Normalize(&z, &z);
    D3DXVec3Cross(&x, up, &z);
    D3DXVec3Normalize(&x, &x);
    D3DXVec3Cross(&y, &z, &x);
    *out = D3DXMATRIX(x.x, y.x, z.x, 0, x.y, y.y, z.y, 0, x.z, y.z, z.z, 0, -D3DXVec3Dot(&x, eye),
                      -D3DXVec3Dot(&y, eye), -D3DXVec3Dot(&z, eye), 1);
    return out;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovY, float aspect, float zNear, float zFar)
{
    const float yScale = 1.0f / std::tan(fovY * 0.5f);
    const float xScale = yScale / aspect;
    const float depth = zFar / (zFar - zNear);
    *out = D3DXMATRIX(xScale, 0, 0, 0, 0, yScale, 0, 0, 0, 0, depth, 1, 0, 0, -zNear * depth, 0);
    return out;
}

D3DXQUATERNION* D3DXQuaternionIdentity(D3DXQUATERNION* out)
{
    *out = D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f);
    return out;
}

float D3DXQuaternionDot(const D3DXQUATERNION* a, const D3DXQUATERNION* b)
{
    return a->x * b->x + a->y * b->y + a->z * b->z + a->w * b->w;
}

float D3DXQuaternionLength(const D3DXQUATERNION* q)
{
    return std::sqrt(D3DXQuaternionDot(q, q));
}

D3DXQUATERNION* D3DXQuaternionRotationAxis(D3DXQUATERNION* out, const D3DXVECTOR3* axis, float angle)
{
    D3DXVECTOR3 n;
    D3DXVec3Normalize(&n, axis);
    float s = std::sin(angle / 2.0f);
    *out = D3DXQUATERNION(s * n.x, s * n.y, s * n.z, std::cos(angle / 2.0f));
    return out;
}

// The rotation a followed by b: the Hamilton product b * a.
D3DXQUATERNION* D3DXQuaternionMultiply(D3DXQUATERNION* out, const D3DXQUATERNION* a, const D3DXQUATERNION* b)
{
    D3DXQUATERNION r(b->w * a->x + b->x * a->w + b->y * a->z - b->z * a->y,
                     b->w * a->y - b->x * a->z + b->y * a->w + b->z * a->x,
                     b->w * a->z + b->x * a->y - b->y * a->x + b->z * a->w,
                     b->w * a->w - b->x * a->x - b->y * a->y - b->z * a->z);
    *out = r;
    return out;
}

D3DXQUATERNION* D3DXQuaternionInverse(D3DXQUATERNION* out, const D3DXQUATERNION* q)
{
    float norm = D3DXQuaternionDot(q, q);
    if (norm == 0.0f) {  // the null quaternion has no inverse; keep it null rather than NaN
        *out = D3DXQUATERNION(0.0f, 0.0f, 0.0f, 0.0f);
        return out;
    }
    *out = D3DXQUATERNION(-q->x / norm, -q->y / norm, -q->z / norm, q->w / norm);
    return out;
}

D3DXQUATERNION* D3DXQuaternionNormalize(D3DXQUATERNION* out, const D3DXQUATERNION* q)
{
    float len = D3DXQuaternionLength(q);
    if (len == 0.0f)
        *out = D3DXQUATERNION(0.0f, 0.0f, 0.0f, 0.0f);
    else
        *out = D3DXQUATERNION(q->x / len, q->y / len, q->z / len, q->w / len);
    return out;
}

// Takes the shorter arc (b is negated through t when the dot product is negative) and falls back
// to linear blending when the two are within 0.001 of each other.
D3DXQUATERNION* D3DXQuaternionSlerp(D3DXQUATERNION* out, const D3DXQUATERNION* a, const D3DXQUATERNION* b,
                                    float t)
{
    float wa = 1.0f - t;
    float wb = t;
    float dot = D3DXQuaternionDot(a, b);
    if (dot < 0.0f) {
        wb = -wb;
        dot = -dot;
    }
    if (1.0f - dot > 0.001f) {
        float theta = std::acos(dot);
        float s = std::sin(theta);
        wa = std::sin(theta * wa) / s;
        wb = std::sin(theta * wb) / s;
    }
    *out = D3DXQUATERNION(wa * a->x + wb * b->x, wa * a->y + wb * b->y, wa * a->z + wb * b->z,
                          wa * a->w + wb * b->w);
    return out;
}

// The axis is the vector part as it stands (not normalised); the null quaternion gives angle pi.
void D3DXQuaternionToAxisAngle(const D3DXQUATERNION* q, D3DXVECTOR3* axis, float* angle)
{
    if (axis)
        *axis = D3DXVECTOR3(q->x, q->y, q->z);
    if (angle) {
        float w = q->w;
        if (w > 1.0f)
            w = 1.0f;  // rounding of a normalised quaternion must not give NaN
        if (w < -1.0f)
            w = -1.0f;
        *angle = 2.0f * std::acos(w);
    }
}
