// D3DXMesh: the extended mesh held in CPU memory, made without a device: vertex, index and
// attribute data with their locks, the attribute table and the in-place attribute sort.
// It counts references like the device's mesh: Release at zero frees it.
#pragma once
#include "platform/D3D9Object.h"
#include "platform/D3D9Types.h"

#include <cstdint>
#include <vector>

constexpr uint32_t D3DXMESH_32BIT = 0x001;         // 32-bit indices instead of 16-bit ones
constexpr uint32_t D3DXMESH_MANAGED = 0x220;       // the usual option of meshes that are read from files
constexpr uint32_t D3DXMESHOPT_ATTRSORT = 0x2000000;

class ID3DXMesh : public D3D9Object {
public:

    uint32_t GetNumFaces() const { return m_FaceCount; }
    uint32_t GetNumVertices() const { return m_VertexCount; }
    uint32_t GetFVF() const { return m_Format; }
    uint32_t GetOptions() const { return m_Options; }
    uint32_t GetNumBytesPerVertex() const { return m_Stride; }

    // Each buffer can be locked once at a time; a second lock or an unlock of an unlocked buffer
    // is D3DERR_INVALIDCALL.
    HRESULT LockVertexBuffer(DWORD flags, void** data);
    HRESULT UnlockVertexBuffer();
    HRESULT LockIndexBuffer(DWORD flags, void** data);  // three indices per face
    HRESULT UnlockIndexBuffer();
    HRESULT LockAttributeBuffer(DWORD flags, DWORD** data);  // one attribute per face
    HRESULT UnlockAttributeBuffer();

    // With a null table only the number of entries is given.
    HRESULT GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* size) const;
    // D3DXMESHOPT_ATTRSORT: faces sorted by attribute (equal attributes keep their order) and the
    // attribute table built; other flags are accepted and change nothing. No buffer may be locked.
    HRESULT OptimizeInplace(DWORD flags);

private:
    friend HRESULT CreateMemoryMesh(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, ID3DXMesh**);
    ID3DXMesh() : D3D9Object(D3D9Kind::Mesh) {}
    ~ID3DXMesh() override = default;
    uint32_t IndexSize() const { return (m_Options & D3DXMESH_32BIT) ? 4 : 2; }
    uint32_t IndexAt(uint32_t face, uint32_t corner) const;

    uint32_t m_FaceCount = 0;
    uint32_t m_VertexCount = 0;
    uint32_t m_Options = 0;
    uint32_t m_Format = 0;
    uint32_t m_Stride = 0;
    std::vector<uint8_t> m_Vertices;
    std::vector<uint8_t> m_Indices;
    std::vector<DWORD> m_Attributes;
    std::vector<D3DXATTRIBUTERANGE> m_AttributeTable;
    bool m_VertexLocked = false;
    bool m_IndexLocked = false;
    bool m_AttributeLocked = false;
};

// Largest face and vertex counts of a memory mesh; 16-bit indices reach 65535 vertices.
constexpr uint32_t kMaxMeshFaces = 1u << 22;
constexpr uint32_t kMaxMeshVertices = 1u << 22;

// A mesh of faces x vertices with vertices of stride bytes (the size the format gives), all data
// cleared to 0. D3DERR_INVALIDCALL for a count of 0 or above the limits, a stride of 0 or above 512
// (no vertex format is larger), or more
// vertices than 16-bit indices reach without D3DXMESH_32BIT.
HRESULT CreateMemoryMesh(uint32_t faces, uint32_t vertices, uint32_t options, uint32_t format, uint32_t stride,
                         ID3DXMesh** mesh);
