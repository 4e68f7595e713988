// D3DXMesh: creation, buffer locks, the attribute table, the attribute sort and subset drawing of
// the mesh.
#include "platform/D3DXMesh.h"

#include "platform/D3D9Device.h"

#include <algorithm>
#include <cstddef>
#include <numeric>

namespace {

HRESULT Lock(bool& locked, void* buffer, void** data)
{
    if (!data || locked)
        return D3DERR_INVALIDCALL;
    locked = true;
    *data = buffer;
    return D3D_OK;
}

HRESULT Unlock(bool& locked)
{
    if (!locked)
        return D3DERR_INVALIDCALL;
    locked = false;
    return D3D_OK;
}

// A device buffer is locked whole, through its own (journaled) lock.
HRESULT LockDeviceBuffer(D3D9MemoryBuffer& buffer, bool& locked, DWORD flags, void** data)
{
    if (!data || locked)
        return D3DERR_INVALIDCALL;
    const HRESULT result = buffer.Lock(0, 0, data, flags);
    if (result == D3D_OK)
        locked = true;
    return result;
}

HRESULT UnlockDeviceBuffer(D3D9MemoryBuffer& buffer, bool& locked)
{
    if (!locked)
        return D3DERR_INVALIDCALL;
    const HRESULT result = buffer.Unlock();
    if (result == D3D_OK)
        locked = false;
    return result;
}

// Pool and usage of one of the mesh's buffers from the options' bits for that buffer.
void PlaceBuffer(uint32_t options, uint32_t systemBit, uint32_t managedBit, uint32_t dynamicBit, uint32_t softwareBit,
                 uint32_t& pool, DWORD& usage)
{
    pool = (options & systemBit) ? D3DPOOL_SYSTEMMEM : (options & managedBit) ? D3DPOOL_MANAGED : D3DPOOL_DEFAULT;
    usage = ((options & dynamicBit) ? D3DUSAGE_DYNAMIC : 0) | ((options & softwareBit) ? D3DUSAGE_SOFTWAREPROCESSING : 0);
}

}  // namespace

ID3DXMesh::~ID3DXMesh()
{
    if (m_VertexBuffer)
        m_VertexBuffer->Release();
    if (m_IndexBuffer)
        m_IndexBuffer->Release();
    if (m_Device)
        m_Device->Release();
}

HRESULT ID3DXMesh::LockVertexBuffer(DWORD flags, void** data)
{
    if (m_VertexBuffer)
        return LockDeviceBuffer(*m_VertexBuffer, m_VertexLocked, flags, data);
    return Lock(m_VertexLocked, m_Vertices.data(), data);
}

HRESULT ID3DXMesh::UnlockVertexBuffer()
{
    if (m_VertexBuffer)
        return UnlockDeviceBuffer(*m_VertexBuffer, m_VertexLocked);
    return Unlock(m_VertexLocked);
}

HRESULT ID3DXMesh::LockIndexBuffer(DWORD flags, void** data)
{
    if (m_IndexBuffer)
        return LockDeviceBuffer(*m_IndexBuffer, m_IndexLocked, flags, data);
    return Lock(m_IndexLocked, m_Indices.data(), data);
}

HRESULT ID3DXMesh::UnlockIndexBuffer()
{
    if (m_IndexBuffer)
        return UnlockDeviceBuffer(*m_IndexBuffer, m_IndexLocked);
    return Unlock(m_IndexLocked);
}

HRESULT ID3DXMesh::GetVertexBuffer(IDirect3DVertexBuffer9** buffer) const
{
    if (!buffer || !m_VertexBuffer)
        return D3DERR_INVALIDCALL;
    m_VertexBuffer->AddRef();
    *buffer = m_VertexBuffer;
    return D3D_OK;
}

HRESULT ID3DXMesh::GetIndexBuffer(IDirect3DIndexBuffer9** buffer) const
{
    if (!buffer || !m_IndexBuffer)
        return D3DERR_INVALIDCALL;
    m_IndexBuffer->AddRef();
    *buffer = m_IndexBuffer;
    return D3D_OK;
}

void ID3DXMesh::FaceRange(DWORD attribute, uint32_t& first, uint32_t& count) const
{
    first = count = 0;
    if (!m_AttributeTable.empty()) {
        for (const D3DXATTRIBUTERANGE& range : m_AttributeTable)
            if (range.AttribId == attribute) {
                first = range.FaceStart;
                count = range.FaceCount;
            }
        return;
    }
    for (uint32_t face = 0; face < m_FaceCount; face++)
        if (m_Attributes[face] == attribute) {
            if (count++ == 0)
                first = face;
        }
}

HRESULT ID3DXMesh::DrawSubset(DWORD attribute)
{
    if (!m_Device)
        return D3DERR_INVALIDCALL;  // a memory mesh has nothing to draw with
    uint32_t first = 0, count = 0;
    FaceRange(attribute, first, count);
    return JournalCall(&m_Device->GetJournal(), D3D9Op::DrawSubset, {attribute, first, count}, [&] {
        if (!m_Device->IsInScene() || m_VertexLocked || m_IndexLocked || m_AttributeLocked)
            return D3DERR_INVALIDCALL;
        m_Device->CountPrimitives(count);
        return D3D_OK;
    });
}

HRESULT ID3DXMesh::LockAttributeBuffer(DWORD, DWORD** data)
{
    void* buffer = nullptr;
    HRESULT result = Lock(m_AttributeLocked, m_Attributes.data(), data ? &buffer : nullptr);
    if (result == D3D_OK)
        *data = static_cast<DWORD*>(buffer);
    return result;
}

HRESULT ID3DXMesh::UnlockAttributeBuffer()
{
    return Unlock(m_AttributeLocked);
}

HRESULT ID3DXMesh::GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* size) const
{
    if (!size)
        return D3DERR_INVALIDCALL;
    if (table)
        std::copy(m_AttributeTable.begin(), m_AttributeTable.end(), table);
    *size = DWORD(m_AttributeTable.size());
    return D3D_OK;
}

uint8_t* ID3DXMesh::IndexData()
{
    return m_IndexBuffer ? m_IndexBuffer->GetData() : m_Indices.data();
}

uint32_t ID3DXMesh::IndexAt(uint32_t face, uint32_t corner) const
{
    const uint8_t* p = const_cast<ID3DXMesh*>(this)->IndexData() + (size_t(face) * 3 + corner) * IndexSize();
    uint32_t value = uint32_t(p[0]) | (uint32_t(p[1]) << 8);
    if (IndexSize() == 4)
        value |= (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
    return value;
}

HRESULT ID3DXMesh::OptimizeInplace(DWORD flags)
{
    if (m_VertexLocked || m_IndexLocked || m_AttributeLocked)
        return D3DERR_INVALIDCALL;
    if (!(flags & D3DXMESHOPT_ATTRSORT))
        return D3D_OK;
    std::vector<uint32_t> order(m_FaceCount);
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&](uint32_t a, uint32_t b) { return m_Attributes[a] < m_Attributes[b]; });
    const size_t faceBytes = size_t(IndexSize()) * 3;
    uint8_t* data = IndexData();
    std::vector<uint8_t> indices(size_t(m_FaceCount) * faceBytes);
    std::vector<DWORD> attributes(m_Attributes.size());
    for (uint32_t i = 0; i < m_FaceCount; i++) {
        std::copy_n(data + order[i] * faceBytes, faceBytes, indices.begin() + std::ptrdiff_t(i * faceBytes));
        attributes[i] = m_Attributes[order[i]];
    }
    std::copy(indices.begin(), indices.end(), data);
    m_Attributes.swap(attributes);

    // One range per run of equal attributes, with the span of the vertices its faces use.
    m_AttributeTable.clear();
    for (uint32_t face = 0; face < m_FaceCount; face++) {
        if (m_AttributeTable.empty() || m_AttributeTable.back().AttribId != m_Attributes[face]) {
            D3DXATTRIBUTERANGE range;
            range.AttribId = m_Attributes[face];
            range.FaceStart = face;
            range.VertexStart = UINT32_MAX;
            m_AttributeTable.push_back(range);
        }
        D3DXATTRIBUTERANGE& range = m_AttributeTable.back();
        range.FaceCount++;
        uint32_t end = range.VertexStart == UINT32_MAX ? 0 : range.VertexStart + range.VertexCount;
        for (uint32_t corner = 0; corner < 3; corner++) {
            uint32_t v = IndexAt(face, corner);
            range.VertexStart = std::min(range.VertexStart, v);
            end = std::max(end, v + 1);
        }
        range.VertexCount = end - range.VertexStart;
    }
    return D3D_OK;
}

HRESULT CreateMemoryMesh(uint32_t faces, uint32_t vertices, uint32_t options, uint32_t format, uint32_t stride,
                         ID3DXMesh** mesh, IDirect3DDevice9* device)
{
    if (!mesh)
        return D3DERR_INVALIDCALL;
    *mesh = nullptr;
    if (faces == 0 || vertices == 0 || faces > kMaxMeshFaces || vertices > kMaxMeshVertices || stride == 0 || stride > 512 ||
        (!(options & D3DXMESH_32BIT) && vertices > 65535))
        return D3DERR_INVALIDCALL;
    ID3DXMesh* made = new ID3DXMesh();
    made->m_FaceCount = faces;
    made->m_VertexCount = vertices;
    made->m_Options = options;
    made->m_Format = format;
    made->m_Stride = stride;
    made->m_Attributes.assign(faces, 0);
    const uint32_t indexBytes = faces * 3 * made->IndexSize();
    if (!device) {
        made->m_Vertices.assign(size_t(vertices) * stride, 0);
        made->m_Indices.assign(indexBytes, 0);
        *mesh = made;
        return D3D_OK;
    }
    device->AddRef();
    made->m_Device = device;
    uint32_t pool = 0;
    DWORD usage = 0;
    PlaceBuffer(options, D3DXMESH_VB_SYSTEMMEM, D3DXMESH_VB_MANAGED, D3DXMESH_VB_DYNAMIC,
                D3DXMESH_VB_SOFTWAREPROCESSING, pool, usage);
    HRESULT result = device->CreateVertexBuffer(vertices * stride, usage, format, pool, &made->m_VertexBuffer, nullptr);
    if (result == D3D_OK) {
        PlaceBuffer(options, D3DXMESH_IB_SYSTEMMEM, D3DXMESH_IB_MANAGED, D3DXMESH_IB_DYNAMIC,
                    D3DXMESH_IB_SOFTWAREPROCESSING, pool, usage);
        result = device->CreateIndexBuffer(indexBytes, usage, made->IndexSize() == 4 ? D3DFMT_INDEX32 : D3DFMT_INDEX16,
                                           pool, &made->m_IndexBuffer, nullptr);
    }
    if (result != D3D_OK) {
        made->Release();
        return result;
    }
    *mesh = made;
    return D3D_OK;
}
