// D3DXMesh: creation, buffer locks, the attribute table and the attribute sort of the memory mesh.
#include "platform/D3DXMesh.h"

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

}  // namespace

HRESULT ID3DXMesh::LockVertexBuffer(DWORD, void** data)
{
    return Lock(m_VertexLocked, m_Vertices.data(), data);
}

HRESULT ID3DXMesh::UnlockVertexBuffer()
{
    return Unlock(m_VertexLocked);
}

HRESULT ID3DXMesh::LockIndexBuffer(DWORD, void** data)
{
    return Lock(m_IndexLocked, m_Indices.data(), data);
}

HRESULT ID3DXMesh::UnlockIndexBuffer()
{
    return Unlock(m_IndexLocked);
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

uint32_t ID3DXMesh::IndexAt(uint32_t face, uint32_t corner) const
{
    const uint8_t* p = m_Indices.data() + (size_t(face) * 3 + corner) * IndexSize();
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
    std::vector<uint8_t> indices(m_Indices.size());
    std::vector<DWORD> attributes(m_Attributes.size());
    for (uint32_t i = 0; i < m_FaceCount; i++) {
        std::copy_n(m_Indices.begin() + std::ptrdiff_t(order[i] * faceBytes), faceBytes,
                    indices.begin() + std::ptrdiff_t(i * faceBytes));
        attributes[i] = m_Attributes[order[i]];
    }
    m_Indices.swap(indices);
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
                         ID3DXMesh** mesh)
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
    made->m_Vertices.assign(size_t(vertices) * stride, 0);
    made->m_Indices.assign(size_t(faces) * 3 * made->IndexSize(), 0);
    made->m_Attributes.assign(faces, 0);
    *mesh = made;
    return D3D_OK;
}
