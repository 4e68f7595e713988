// DXC_VertexList: the vertex buffer of an immediate list, its locks and its primitive count.
#include "engine/gfx/DXC_VertexList.h"

#include "platform/D3D9Device.h"

static_assert(sizeof(DXC_TLVertex) == 32 && sizeof(DXC_LVertex) == 28 && sizeof(DXC_PointVertex) == 20 &&
                  sizeof(DXC_VertexPosTex) == 20 && sizeof(MyLVertex) == 16,
              "a vertex record is laid out as its format");

DXC_VertexList::DXC_VertexList()
{
    DXC_Base::SetName("DXC_ListBase");
}

DXC_VertexList::~DXC_VertexList()
{
    ReleaseBuffer();
}

int DXC_VertexList::CreateBuffer(IDirect3DDevice9* device, int32_t count, uint32_t vertexFormat, uint32_t stride,
                                 int32_t kind)
{
    ReleaseBuffer();
    if (!device || count <= 0)
        DXC_Base::Error("Can not create a vertex list of %i vertices", count);
    const HRESULT result = device->CreateVertexBuffer(uint32_t(count) * stride, D3DUSAGE_WRITEONLY, vertexFormat,
                                                      D3DPOOL_MANAGED, &vertexBuffer, nullptr);
    if (FAILED(result))
        DXC_Base::Error("CreateVertexBuffer failed: %s", GetDirectXErrorName(result));
    layout.FromFormat(vertexFormat);
    vertexSize = stride;
    primitiveKind = kind;
    SetVertexCount(count);
    return 1;
}

int DXC_VertexList::Lock(int32_t first, int32_t count, uint32_t flags)
{
    const HRESULT result = vertexBuffer ? vertexBuffer->Lock(uint32_t(first) * vertexSize, uint32_t(count) * vertexSize,
                                                             &lockedData, flags)
                                        : D3DERR_INVALIDCALL;
    if (FAILED(result))
        DXC_Base::Error("Lock failed: %s", GetDirectXErrorName(result));
    locked = 1;
    return 1;
}

int DXC_VertexList::Unlock()
{
    const HRESULT result = vertexBuffer ? vertexBuffer->Unlock() : D3DERR_INVALIDCALL;
    if (FAILED(result))
        DXC_Base::Error("Unlock failed: %s", GetDirectXErrorName(result));
    locked = 0;
    lockedData = nullptr;
    return 1;
}

void DXC_VertexList::UpdatePrimitiveCount()
{
    const int32_t n = vertexCount;
    switch (primitiveKind) {
    case kPointList: primitiveCount = n; break;
    case kLineList: primitiveCount = n / 2; break;
    case kLineStrip: primitiveCount = n - 1; break;
    case kTriangleList: primitiveCount = n / 3; break;
    case kTriangleStrip:
    case kTriangleFan: primitiveCount = n - 2; break;
    default: DXC_Base::Error("Invalid PointList mode selected! (%i)", primitiveKind);
    }
    if (primitiveCount < 0)
        primitiveCount = 0;  // too few vertices for one: nothing to draw, never a negative count
}

void DXC_VertexList::ReleaseBuffer()
{
    if (vertexBuffer) {
        if (locked)
            vertexBuffer->Unlock();
        vertexBuffer->Release();
    }
    vertexBuffer = nullptr;
    lockedData = nullptr;
    locked = 0;
    vertexCount = 0;
    primitiveCount = 0;
    DXC_3dObject::Reset();
}

void DXC_VertexLists::ReleaseBuffers()
{
    for (DXC_VertexList* list : {static_cast<DXC_VertexList*>(&screen[0]), static_cast<DXC_VertexList*>(&screen[1]),
                                 static_cast<DXC_VertexList*>(&world[0]), static_cast<DXC_VertexList*>(&world[1]),
                                 static_cast<DXC_VertexList*>(&screenPass), static_cast<DXC_VertexList*>(&points)})
        list->ReleaseBuffer();
}
