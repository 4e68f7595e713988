// DXC_3dClipObject: a scene node with bounds; DXC_ClipObject is the bounds record itself, with its
// segment tests.
#pragma once
#include "engine/scene/DXC_3dObject.h"

class SceneRecordReader;

// The 44-byte bounds record of the scene file: sphere and axis-aligned box.
class DXC_ClipObject {
public:
    void ResetBounds() { *this = DXC_ClipObject(); }

    int SetBoundsFlags(uint32_t flags)
    {
        boundsFlags = flags;
        return 1;
    }
    uint32_t GetBoundsFlags() const { return boundsFlags; }
    int SetSphere(float radius, const D3DXVECTOR3* centre)
    {
        boundsRadius = radius;
        if (centre)
            boundsCentre = *centre;
        return 1;
    }
    int SetBox(const D3DXVECTOR3& min, const D3DXVECTOR3& max)
    {
        boxMin = min;
        boxMax = max;
        return 1;
    }
    float GetRadius() const { return boundsRadius; }
    const D3DXVECTOR3& GetCentre() const { return boundsCentre; }
    int GetBox(D3DXVECTOR3& min, D3DXVECTOR3& max) const
    {
        min = boxMin;
        max = boxMax;
        return 1;
    }

    // The segment p0-p1 widened by r against the sphere (bit 0: value gets the distance to it
    // when r reaches it) and the box (bit 1: the answer, value the crossing fraction).
    bool IntersectSegment(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, float r, float* value) const;
    // The box through M: its eight corners' extent, the midpoint as centre, half the diagonal as
    // radius.
    void TransformBox(const D3DXMATRIX& m);
    // The bounds record of the scene file: u32 flags, f32 radius, 3 f32 centre, 3 f32 box minimum,
    // 3 f32 box maximum.
    void WriteBounds(File& file) const;
    void ReadBounds(SceneRecordReader& in);

    uint32_t boundsFlags = 0;  // bit 0 sphere test on, bit 1 box test on
    float boundsRadius = 0.0f;
    D3DXVECTOR3 boundsCentre;
    D3DXVECTOR3 boxMin;
    D3DXVECTOR3 boxMax;
};

class DXC_3dClipObject : public DXC_3dObject, public DXC_ClipObject {};

// The segment p0-p1 widened by r against a box, face by face (x, y, z; min, max). Without a
// distance output: whether it crosses a face (fraction: the smallest crossing). With one: whether
// a crossing lies within r of the face on both other axes, else distance = r + the smallest excess.
bool SegmentBoxTest(const D3DXVECTOR3& boxMin, const D3DXVECTOR3& boxMax, const D3DXVECTOR3& p0,
                    const D3DXVECTOR3& p1, float r, float* fraction, float* distance);
// The ray parameter of the segment's line through the triangle, or -1.0.
float IntersectTriangle(const D3DXVECTOR3& a, const D3DXVECTOR3& b, const D3DXVECTOR3& c, const D3DXVECTOR3& p0,
                        const D3DXVECTOR3& p1);
