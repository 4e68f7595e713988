// DXC_3dClipObject: segment tests against bounds and triangles, and moving a box through a matrix.
#include "engine/scene/DXC_3dClipObject.h"

#include "base/File.h"
#include "base/Geometry.h"
#include "engine/scene/SceneRecordReader.h"

#include <algorithm>

namespace {

float Axis(const D3DXVECTOR3& v, int i)
{
    return i == 0 ? v.x : i == 1 ? v.y : v.z;
}

}  // namespace

bool SegmentBoxTest(const D3DXVECTOR3& boxMin, const D3DXVECTOR3& boxMax, const D3DXVECTOR3& p0,
                    const D3DXVECTOR3& p1, float r, float* fraction, float* distance)
{
    const D3DXVECTOR3 d = p1 - p0;
    bool any = false;
    float best = 9e9f;
    for (int i = 0; i < 3; i++) {
        for (const D3DXVECTOR3* face : {&boxMin, &boxMax}) {
            const float u = (Axis(*face, i) - Axis(p0, i)) / Axis(d, i);
            if (!(u >= 0.0f && u <= 1.0f))  // also a segment parallel to the face
                continue;
            const D3DXVECTOR3 h = p0 + d * u;
            const int j = (i + 1) % 3, k = (i + 2) % 3;
            if (!distance) {
                bool inside = true;
                for (int other : {j, k})
                    inside = inside && Axis(boxMin, other) - r < Axis(h, other) && Axis(h, other) < Axis(boxMax, other) + r;
                if (!inside)
                    continue;
                if (!fraction)
                    return true;
                if (!any || u < *fraction)
                    *fraction = u;
                any = true;
                continue;
            }
            int below = 0;
            float sum = 0.0f;
            for (int other : {j, k}) {
                for (float excess : {Axis(boxMin, other) - Axis(h, other) - r, Axis(h, other) - Axis(boxMax, other) - r}) {
                    if (excess < 0.0f)
                        below++;
                    else
                        sum += excess;
                }
            }
            if (below == 4) {
                if (fraction)
                    *fraction = u;
                *distance = 0.0f;
                return true;
            }
            best = std::min(best, sum);
        }
    }
    if (distance) {
        *distance = r + best;
        return false;
    }
    return any;
}

float IntersectTriangle(const D3DXVECTOR3& a, const D3DXVECTOR3& b, const D3DXVECTOR3& c, const D3DXVECTOR3& p0,
                        const D3DXVECTOR3& p1)
{
    float t = 0.0f;
    if (Math::IntersectRayTriangle({a, b, c}, {p0, p1 - p0}, t))
        return t;
    return -1.0f;
}

bool DXC_ClipObject::IntersectSegment(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, float r, float* value) const
{
    if (boundsFlags & 1) {
        const float d = float(Math::DistancePointSegment3D({p0, p1}, boundsCentre)) - boundsRadius;
        if (r > d && value)
            *value = d;
    }
    if (!(boundsFlags & 2))
        return false;
    return SegmentBoxTest(boxMin, boxMax, p0, p1, r, value, nullptr);
}

void DXC_ClipObject::TransformBox(const D3DXMATRIX& m)
{
    D3DXVECTOR3 low(9e9f, 9e9f, 9e9f), high(-9e9f, -9e9f, -9e9f);
    for (int corner = 0; corner < 8; corner++) {
        const D3DXVECTOR3 p((corner & 1) ? boxMax.x : boxMin.x, (corner & 2) ? boxMax.y : boxMin.y,
                            (corner & 4) ? boxMax.z : boxMin.z);
        D3DXVECTOR3 q;
        D3DXVec3TransformCoord(&q, &p, &m);
        low = D3DXVECTOR3(std::min(low.x, q.x), std::min(low.y, q.y), std::min(low.z, q.z));
        high = D3DXVECTOR3(std::max(high.x, q.x), std::max(high.y, q.y), std::max(high.z, q.z));
    }
    boxMin = low;
    boxMax = high;
    boundsCentre = (low + high) * 0.5f;
    const D3DXVECTOR3 half = (high - low) * 0.5f;
    boundsRadius = D3DXVec3Length(&half);
}

void DXC_ClipObject::WriteBounds(File& file) const
{
    file.WriteInt32(int32_t(boundsFlags));
    file.WriteFloat(boundsRadius);
    for (const D3DXVECTOR3* v : {&boundsCentre, &boxMin, &boxMax}) {
        file.WriteFloat(v->x);
        file.WriteFloat(v->y);
        file.WriteFloat(v->z);
    }
}

void DXC_ClipObject::ReadBounds(SceneRecordReader& in)
{
    boundsFlags = in.U32();
    boundsRadius = in.F32();
    boundsCentre = in.Vec3();
    boxMin = in.Vec3();
    boxMax = in.Vec3();
}
