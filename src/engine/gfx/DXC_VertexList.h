// DXC_VertexList: a vertex list for immediate drawing: a device vertex buffer that drawing code
// locks, fills and unlocks, its primitive kind and the primitive count derived from its vertices;
// DXC_VertexListTemp types it by its vertex record, and DXC_VertexLists are the graphics object's
// six lists. Buffers exist only where a device does; on the server the lists stay empty.
#pragma once
#include "engine/gfx/DXC_GfxStateCache.h"
#include "engine/scene/DXC_3dObject.h"
#include "engine/scene/VertexLayout.h"
#include "platform/D3D9Types.h"

#include <cstdint>

class IDirect3DDevice9;
class IDirect3DVertexBuffer9;

// Vertex records as the device reads them from a locked buffer; the layout is the format's.
constexpr uint32_t kVertexSecondColor = 0x080;  // format bit of the second (highlight) colour
struct DXC_TLVertex {  // transformed and lit: screen position, 1/w, two colours, one coordinate set
    static constexpr uint32_t kFormat = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | kVertexSecondColor | D3DFVF_TEX1;
    float x, y, z, rhw;
    uint32_t diffuse, highlight;
    float u, v;
};
struct DXC_LVertex {  // lit, in world space
    static constexpr uint32_t kFormat = D3DFVF_XYZ | D3DFVF_DIFFUSE | kVertexSecondColor | D3DFVF_TEX1;
    float x, y, z;
    uint32_t diffuse, highlight;
    float u, v;
};
struct DXC_PointVertex {  // a point sprite of its own size
    static constexpr uint32_t kFormat = D3DFVF_XYZ | D3DFVF_PSIZE | D3DFVF_DIFFUSE;
    float x, y, z, size;
    uint32_t diffuse;
};
struct DXC_VertexPosTex {  // position and one coordinate set, for the screen passes of effects
    static constexpr uint32_t kFormat = D3DFVF_XYZ | D3DFVF_TEX1;
    float x, y, z, u, v;
};
struct MyLVertex {  // lit, without coordinates
    static constexpr uint32_t kFormat = D3DFVF_XYZ | D3DFVF_DIFFUSE;
    float x, y, z;
    uint32_t diffuse;
};

class DXC_VertexList : public DXC_VertexListBase, public DXC_3dObject {
public:
    // Primitive kinds, the device's primitive types.
    static constexpr int32_t kPointList = 1, kLineList = 2, kLineStrip = 3, kTriangleList = 4,
                             kTriangleStrip = 5, kTriangleFan = 6;

    DXC_VertexList();
    ~DXC_VertexList() override;
    DXC_VertexList(const DXC_VertexList&) = delete;
    DXC_VertexList& operator=(const DXC_VertexList&) = delete;

    // A buffer of count vertices of the format and stride in the managed pool, in place of the
    // present one; the list holds count vertices of that kind from now on. Failures are errors.
    int CreateBuffer(IDirect3DDevice9* device, int32_t count, uint32_t vertexFormat, uint32_t stride, int32_t kind);
    // count vertices from first into lockedData; "Lock failed: %s" / "Unlock failed: %s".
    int Lock(int32_t first, int32_t count, uint32_t flags);
    int Unlock();
    bool IsLocked() const { return locked != 0; }
    // From the vertex count by kind; a strip, fan or line strip too short for one primitive has 0.
    void UpdatePrimitiveCount();
    void SetVertexCount(int32_t count)
    {
        vertexCount = count;
        UpdatePrimitiveCount();
    }
    void ReleaseBuffer();
    IDirect3DVertexBuffer9* GetBuffer() const { return vertexBuffer; }

    uint32_t vertexSize = 0;
    IDirect3DVertexBuffer9* vertexBuffer = nullptr;  // one reference
    void* lockedData = nullptr;
    int32_t primitiveKind = kTriangleList;
    int32_t locked = 0;
    int32_t vertexCount = 0;
    int32_t primitiveCount = 0;
    DXC_PointSpriteParams pointSprite{1.0f, 0.0f, 0.0f, 64.0f, 1.0f, 4.0f, 0, 0, 0};
    uint32_t visible = 1;
};

template <class Vertex> class DXC_VertexListTemp : public DXC_VertexList {
public:
    int Create(IDirect3DDevice9* device, int32_t count, int32_t kind)
    {
        return CreateBuffer(device, count, Vertex::kFormat, sizeof(Vertex), kind);
    }
    Vertex* Vertices() const { return static_cast<Vertex*>(lockedData); }  // while locked
};

// The graphics object's lists for immediate drawing.
struct DXC_VertexLists {
    DXC_VertexListTemp<DXC_TLVertex> screen[2];
    DXC_VertexListTemp<DXC_LVertex> world[2];
    DXC_VertexListTemp<DXC_VertexPosTex> screenPass;
    DXC_VertexListTemp<DXC_PointVertex> points;

    void ReleaseBuffers();
};
