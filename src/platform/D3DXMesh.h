// D3DXMesh: the extended mesh: vertex, index and attribute data with their locks, the attribute
// table, the in-place attribute sort and the drawing of one subset. Made without a device (the
// server's scene data) its data is plain CPU memory; made for a device, its vertex and index
// buffers are that device's buffers, placed by the creation options, and DrawSubset goes into the
// device's journal with the face range it draws. The attribute data stays in CPU memory either way.
// It counts references like the device's mesh: Release at zero frees it.
#pragma once
#include "platform/D3D9Object.h"
#include "platform/D3D9Types.h"

#include <cstdint>
#include <vector>

class IDirect3DDevice9;
class IDirect3DIndexBuffer9;
class IDirect3DVertexBuffer9;

// Creation options; each pool and usage option is a vertex-buffer bit and an index-buffer bit.
constexpr uint32_t D3DXMESH_32BIT = 0x001;         // 32-bit indices instead of 16-bit ones
constexpr uint32_t D3DXMESH_VB_SYSTEMMEM = 0x010;
constexpr uint32_t D3DXMESH_VB_MANAGED = 0x020;
constexpr uint32_t D3DXMESH_VB_DYNAMIC = 0x080;
constexpr uint32_t D3DXMESH_IB_SYSTEMMEM = 0x100;
constexpr uint32_t D3DXMESH_IB_MANAGED = 0x200;
constexpr uint32_t D3DXMESH_IB_DYNAMIC = 0x800;
constexpr uint32_t D3DXMESH_VB_SOFTWAREPROCESSING = 0x8000;
constexpr uint32_t D3DXMESH_IB_SOFTWAREPROCESSING = 0x10000;
constexpr uint32_t D3DXMESH_SYSTEMMEM = 0x110;
constexpr uint32_t D3DXMESH_MANAGED = 0x220;       // the usual option of meshes that are read from files
constexpr uint32_t D3DXMESH_DYNAMIC = 0x880;
constexpr uint32_t D3DXMESH_SOFTWAREPROCESSING = 0x18000;
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

    // The device's buffers, each with a reference for the caller; D3DERR_INVALIDCALL for a mesh
    // made without a device, which has none.
    IDirect3DDevice9* GetDevice() const { return m_Device; }
    HRESULT GetVertexBuffer(IDirect3DVertexBuffer9** buffer) const;
    HRESULT GetIndexBuffer(IDirect3DIndexBuffer9** buffer) const;
    // The faces of one attribute: its attribute table entry, or (before the attribute sort) the
    // faces that carry it. Only inside the device's scene and with no buffer locked; a subset
    // without faces draws nothing and succeeds.
    HRESULT DrawSubset(DWORD attribute);

private:
    friend HRESULT CreateMemoryMesh(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, ID3DXMesh**,
                                    IDirect3DDevice9*);
    ID3DXMesh() : D3D9Object(D3D9Kind::Mesh) {}
    ~ID3DXMesh() override;
    uint32_t IndexSize() const { return (m_Options & D3DXMESH_32BIT) ? 4 : 2; }
    uint32_t IndexAt(uint32_t face, uint32_t corner) const;
    uint8_t* IndexData();
    void FaceRange(DWORD attribute, uint32_t& first, uint32_t& count) const;

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
    IDirect3DDevice9* m_Device = nullptr;  // referenced; none for a memory mesh
    IDirect3DVertexBuffer9* m_VertexBuffer = nullptr;  // the device's, in place of m_Vertices
    IDirect3DIndexBuffer9* m_IndexBuffer = nullptr;    // the device's, in place of m_Indices
};

// Largest face and vertex counts of a memory mesh; 16-bit indices reach 65535 vertices.
constexpr uint32_t kMaxMeshFaces = 1u << 22;
constexpr uint32_t kMaxMeshVertices = 1u << 22;

// A mesh of faces x vertices with vertices of stride bytes (the size the format gives), all data
// cleared to 0. D3DERR_INVALIDCALL for a count of 0 or above the limits, a stride of 0 or above 512
// (no vertex format is larger), or more vertices than 16-bit indices reach without D3DXMESH_32BIT.
// With a device the two buffers are made by it: system memory, managed or (neither) the default
// pool, dynamic and software-processing usage as the options ask; the device's refusal is the
// answer.
HRESULT CreateMemoryMesh(uint32_t faces, uint32_t vertices, uint32_t options, uint32_t format, uint32_t stride,
                         ID3DXMesh** mesh, IDirect3DDevice9* device = nullptr);
