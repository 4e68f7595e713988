// D3DXMeshTest: the memory mesh and the memory textures: creation limits, locks, the attribute sort
// and reference counting; the mesh made for a device: its buffers and its subset draws.
#include "platform/D3D9Device.h"
#include "platform/D3D9MemoryTexture.h"
#include "platform/D3D9Ref.h"
#include "platform/D3DXMesh.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(D3DXMesh, CreationLimits)
{
    struct Case {
        uint32_t faces, vertices, options, stride;
        HRESULT expected;
    } cases[] = {
        {1, 3, 0, 12, D3D_OK},
        {0, 3, 0, 12, D3DERR_INVALIDCALL},
        {1, 0, 0, 12, D3DERR_INVALIDCALL},
        {1, 65535, 0, 12, D3D_OK},
        {1, 65536, 0, 12, D3DERR_INVALIDCALL},  // beyond 16-bit indices
        {1, 65536, D3DXMESH_32BIT, 12, D3D_OK},
        {kMaxMeshFaces + 1, 3, 0, 12, D3DERR_INVALIDCALL},
        {1, 3, 0, 0, D3DERR_INVALIDCALL},
        {1, 3, 0, 513, D3DERR_INVALIDCALL},
    };
    for (const Case& c : cases) {
        ID3DXMesh* mesh = reinterpret_cast<ID3DXMesh*>(1);
        EXPECT_EQ(CreateMemoryMesh(c.faces, c.vertices, c.options, 0x112, c.stride, &mesh), c.expected)
            << c.faces << " " << c.vertices;
        EXPECT_EQ(mesh != nullptr, c.expected == D3D_OK);
        if (mesh) {
            EXPECT_EQ(mesh->Release(), 0u);
        }
    }
}

TEST(D3DXMesh, LocksAndAttributeSort)
{
    ID3DXMesh* mesh = nullptr;
    ASSERT_EQ(CreateMemoryMesh(3, 6, D3DXMESH_MANAGED, 0x112, 32, &mesh), D3D_OK);
    EXPECT_EQ(mesh->GetNumBytesPerVertex(), 32u);
    void* vertices = nullptr;
    void* indices = nullptr;
    DWORD* attributes = nullptr;
    ASSERT_EQ(mesh->LockVertexBuffer(0, &vertices), D3D_OK);
    EXPECT_EQ(mesh->LockVertexBuffer(0, &vertices), D3DERR_INVALIDCALL);  // locked once at a time
    ASSERT_EQ(mesh->LockIndexBuffer(0, &indices), D3D_OK);
    ASSERT_EQ(mesh->LockAttributeBuffer(0, &attributes), D3D_OK);
    EXPECT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT), D3DERR_INVALIDCALL);  // not while locked
    const uint16_t faceIndices[9] = {3, 4, 5, 0, 1, 2, 1, 2, 3};
    std::memcpy(indices, faceIndices, sizeof faceIndices);
    attributes[0] = 1;
    attributes[1] = 0;
    attributes[2] = 1;
    EXPECT_EQ(mesh->UnlockAttributeBuffer(), D3D_OK);
    EXPECT_EQ(mesh->UnlockAttributeBuffer(), D3DERR_INVALIDCALL);
    EXPECT_EQ(mesh->UnlockIndexBuffer(), D3D_OK);
    EXPECT_EQ(mesh->UnlockVertexBuffer(), D3D_OK);

    ASSERT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT), D3D_OK);
    DWORD size = 0;
    ASSERT_EQ(mesh->GetAttributeTable(nullptr, &size), D3D_OK);
    ASSERT_EQ(size, 2u);
    D3DXATTRIBUTERANGE table[2];
    mesh->GetAttributeTable(table, &size);
    EXPECT_EQ(table[0].AttribId, 0u);
    EXPECT_EQ(table[0].FaceStart, 0u);
    EXPECT_EQ(table[0].FaceCount, 1u);
    EXPECT_EQ(table[0].VertexStart, 0u);
    EXPECT_EQ(table[0].VertexCount, 3u);
    EXPECT_EQ(table[1].AttribId, 1u);
    EXPECT_EQ(table[1].FaceStart, 1u);
    EXPECT_EQ(table[1].FaceCount, 2u);
    EXPECT_EQ(table[1].VertexStart, 1u);  // faces 3-4-5 and 1-2-3 in their old order
    EXPECT_EQ(table[1].VertexCount, 5u);
    mesh->LockIndexBuffer(0, &indices);
    const uint16_t sorted[9] = {0, 1, 2, 3, 4, 5, 1, 2, 3};
    EXPECT_EQ(std::memcmp(indices, sorted, sizeof sorted), 0);
    mesh->UnlockIndexBuffer();

    EXPECT_EQ(mesh->AddRef(), 2u);
    EXPECT_EQ(mesh->Release(), 1u);
    EXPECT_EQ(mesh->Release(), 0u);
}

struct DeviceOfTypicalAdapter {
    DeviceOfTypicalAdapter()
    {
        IDirect3DDevice9* made = nullptr;
        EXPECT_EQ(MakeWindowedDevice(*adapter, &made), D3D_OK);
        device.reset(made);
    }
    D3D9Ref<IDirect3D9> adapter{CreateAdapter(D3D9AdapterProfile::Typical())};
    D3D9Ref<IDirect3DDevice9> device;  // released before the adapter
};

// Faces 3-4-5, 0-1-2 and 1-2-3 with attributes 1, 0 and 1, sorted: subset 0 is face 0, subset 1
// faces 1 and 2.
void FillAndSort(ID3DXMesh& mesh)
{
    void* indices = nullptr;
    DWORD* attributes = nullptr;
    ASSERT_EQ(mesh.LockIndexBuffer(0, &indices), D3D_OK);
    ASSERT_EQ(mesh.LockAttributeBuffer(0, &attributes), D3D_OK);
    const uint16_t faceIndices[9] = {3, 4, 5, 0, 1, 2, 1, 2, 3};
    std::memcpy(indices, faceIndices, sizeof faceIndices);
    attributes[0] = 1;
    attributes[1] = 0;
    attributes[2] = 1;
    mesh.UnlockAttributeBuffer();
    mesh.UnlockIndexBuffer();
    ASSERT_EQ(mesh.OptimizeInplace(D3DXMESHOPT_ATTRSORT), D3D_OK);
}

TEST(D3DXMesh, DeviceBuffersFollowTheOptions)
{
    DeviceOfTypicalAdapter fixture;
    IDirect3DDevice9* device = fixture.device.get();
    D3D9Journal& journal = device->GetJournal();
    struct Case {
        uint32_t options;
        uint32_t pool;
        DWORD usage;
        HRESULT expected;
    } cases[] = {
        {D3DXMESH_MANAGED, D3DPOOL_MANAGED, 0, D3D_OK},
        {D3DXMESH_SYSTEMMEM | D3DXMESH_SOFTWAREPROCESSING, D3DPOOL_SYSTEMMEM, D3DUSAGE_SOFTWAREPROCESSING, D3D_OK},
        {D3DXMESH_DYNAMIC, D3DPOOL_DEFAULT, D3DUSAGE_DYNAMIC, D3D_OK},
        {D3DXMESH_DYNAMIC | D3DXMESH_MANAGED, D3DPOOL_MANAGED, D3DUSAGE_DYNAMIC, D3DERR_INVALIDCALL},  // refused
    };
    for (const Case& c : cases) {
        const int32_t vertexBuffers = D3D9Object::GetLiveCount(D3D9Kind::VertexBuffer);
        ID3DXMesh* mesh = nullptr;
        ASSERT_EQ(CreateMemoryMesh(2, 4, c.options, 0x112, 32, &mesh, device), c.expected) << c.options;
        const D3D9Call* call = journal.Last(D3D9Op::CreateVertexBuffer);
        ASSERT_NE(call, nullptr);
        EXPECT_EQ(call->Arg(0), 128u);
        EXPECT_EQ(call->Arg(1), c.usage);
        EXPECT_EQ(call->Arg(2), 0x112u);
        EXPECT_EQ(call->Arg(3), c.pool);
        if (!mesh) {
            EXPECT_EQ(D3D9Object::GetLiveCount(D3D9Kind::VertexBuffer), vertexBuffers);
            continue;
        }
        call = journal.Last(D3D9Op::CreateIndexBuffer);
        EXPECT_EQ(call->Arg(0), 12u);
        EXPECT_EQ(call->Arg(2), uint32_t(D3DFMT_INDEX16));
        EXPECT_EQ(call->Arg(3), c.pool);
        EXPECT_EQ(mesh->Release(), 0u);
        EXPECT_EQ(D3D9Object::GetLiveCount(D3D9Kind::VertexBuffer), vertexBuffers);  // the buffers went with it
    }
}

TEST(D3DXMesh, SubsetDrawsAreJournaledWithTheirFaces)
{
    DeviceOfTypicalAdapter fixture;
    IDirect3DDevice9* device = fixture.device.get();
    D3D9Journal& journal = device->GetJournal();
    ID3DXMesh* raw = nullptr;
    ASSERT_EQ(CreateMemoryMesh(3, 6, D3DXMESH_MANAGED, 0x112, 32, &raw, device), D3D_OK);
    D3D9Ref<ID3DXMesh> mesh(raw);
    EXPECT_EQ(mesh->DrawSubset(0), D3DERR_INVALIDCALL);  // outside a scene
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    FillAndSort(*mesh);
    EXPECT_EQ(journal.Count(D3D9Op::Lock), 1);  // the index buffer is the device's; attributes stay in memory
    const uint64_t before = device->GetPrimitivesDrawn();
    EXPECT_EQ(mesh->DrawSubset(1), D3D_OK);
    const D3D9Call* call = journal.Last(D3D9Op::DrawSubset);
    EXPECT_EQ(call->Arg(0), 1u);
    EXPECT_EQ(call->Arg(1), 1u);  // first face
    EXPECT_EQ(call->Arg(2), 2u);  // faces
    EXPECT_EQ(device->GetPrimitivesDrawn(), before + 2);
    EXPECT_EQ(mesh->DrawSubset(7), D3D_OK);  // no such subset: nothing drawn
    EXPECT_EQ(journal.Last(D3D9Op::DrawSubset)->Arg(2), 0u);
    void* vertices = nullptr;
    ASSERT_EQ(mesh->LockVertexBuffer(0, &vertices), D3D_OK);
    EXPECT_EQ(mesh->DrawSubset(0), D3DERR_INVALIDCALL);  // not while a buffer is locked
    mesh->UnlockVertexBuffer();
    device->EndScene();

    IDirect3DVertexBuffer9* buffer = nullptr;
    ASSERT_EQ(mesh->GetVertexBuffer(&buffer), D3D_OK);
    EXPECT_EQ(buffer->GetSize(), 6u * 32u);
    EXPECT_EQ(buffer->Release(), 1u);  // the mesh keeps its own reference

    ID3DXMesh* memory = nullptr;
    ASSERT_EQ(CreateMemoryMesh(1, 3, D3DXMESH_MANAGED, 0x112, 32, &memory), D3D_OK);
    EXPECT_EQ(memory->DrawSubset(0), D3DERR_INVALIDCALL);  // nothing to draw with
    EXPECT_EQ(memory->GetVertexBuffer(&buffer), D3DERR_INVALIDCALL);
    memory->Release();
}

TEST(D3D9MemoryTexture, LevelsLocksAndFormats)
{
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(CreateMemoryTexture(8, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    EXPECT_EQ(texture->GetLevelCount(), 4u);  // 8x4, 4x2, 2x1, 1x1
    D3DSURFACE_DESC desc;
    ASSERT_EQ(texture->GetLevelDesc(3, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 1u);
    EXPECT_EQ(texture->GetLevelDesc(4, &desc), D3DERR_INVALIDCALL);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(locked.Pitch, 32);
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture->UnlockRect(0), D3D_OK);
    EXPECT_EQ(texture->Release(), 0u);

    IDirect3DTexture9* none = nullptr;
    EXPECT_EQ(CreateMemoryTexture(8, 8, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &none), D3DERR_INVALIDCALL);
    EXPECT_EQ(CreateMemoryTexture(0, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &none), D3DERR_INVALIDCALL);
    EXPECT_EQ(CreateMemoryTexture(kMaxMemoryImageSide + 1, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &none),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(none, nullptr);

    IDirect3DSurface9* surface = nullptr;
    ASSERT_EQ(CreateMemorySurface(4, 2, D3DFMT_R5G6B5, D3DPOOL_SCRATCH, &surface), D3D_OK);
    ASSERT_EQ(surface->LockRect(&locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(locked.Pitch, 8);
    EXPECT_EQ(surface->UnlockRect(), D3D_OK);
    EXPECT_EQ(surface->Release(), 0u);
}
