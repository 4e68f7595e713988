// D3DXMeshTest: the memory mesh and the memory textures: creation limits, locks, the attribute sort
// and reference counting.
#include "platform/D3D9MemoryTexture.h"
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
