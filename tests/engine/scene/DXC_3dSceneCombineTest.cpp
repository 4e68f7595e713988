// DXC_3dSceneCombineTest: meshes merged into one (which ones, their vertices in the scene's space,
// mirrored faces turned round), the others with their placement baked in, the limits, and a
// scene without geometry as the server has it.
#include "engine/scene/DXC_3dScene.h"

#include "engine/gfx/DXC_Gfx.h"
#include "engine/gfx/DXC_Material.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

constexpr uint32_t kFormat = 0x112;  // position, normal, one pair

D3DXMATRIX Placement(const DXC_Mesh& mesh)
{
    D3DXMATRIX m;
    D3DXMatrixMultiply(&m, &mesh.offsetMatrix, &mesh.worldMatrix);
    return m;
}

void ExpectSameMatrix(const D3DXMATRIX& a, const D3DXMATRIX& b, const std::string& what)
{
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 4; c++)
            EXPECT_NEAR(a.m[r][c], b.m[r][c], 1e-5f) << what << " [" << r << "][" << c << "]";
}

// A mesh node placed at position with scale and, with a graphics object, a device mesh whose first
// three vertices make the triangle (0,0,0), (1,0,0), (0,1,0) facing +z.
DXC_Mesh& AddMesh(DXC_Gfx* gfx, DXC_3dScene& scene, const char* name, D3DXVECTOR3 position,
                  D3DXVECTOR3 scale = D3DXVECTOR3(1, 1, 1), uint32_t format = kFormat, int32_t vertices = 3)
{
    DXC_Mesh& mesh = *scene.meshes.GetBySlot(scene.meshes.Add());
    mesh.SetObjectName(name);
    mesh.AllocMaterials(1);
    if (gfx) {
        gfx->CreateMesh(&mesh, 1, vertices, 1, format, 0, 0, 0, 0, 0);
        mesh.LockAll(0);
        mesh.SetVertexPosition(1, D3DXVECTOR3(1, 0, 0));
        mesh.SetVertexPosition(2, D3DXVECTOR3(0, 1, 0));
        if (format & 0x010)
            for (int n = 0; n < 3; n++)
                mesh.SetVertexNormal(n, D3DXVECTOR3(0, 0, 1));
        const uint16_t face[3] = {0, 1, 2};
        std::memcpy(mesh.lockedIndexData, face, sizeof face);
        mesh.UnlockAll();
        mesh.ComputeBounds();
    }
    mesh.SetScale(scale.x, scale.y, scale.z, 0);
    mesh.SetPosition(position.x, position.y, position.z, 1);
    return mesh;
}

}  // namespace

TEST(DXC_3dSceneCombine, MeshesOfOneKindBecomeOne)
{
    DXC_Gfx gfx;
    DXC_3dScene scene;
    DXC_Mesh& a = AddMesh(&gfx, scene, "a", D3DXVECTOR3(10, 0, 0));
    AddMesh(&gfx, scene, "mirrored", D3DXVECTOR3(0, 20, 0), D3DXVECTOR3(-1, 1, 1));
    DXC_Mesh& plain = AddMesh(&gfx, scene, "no normals", D3DXVECTOR3(0, 0, 5), D3DXVECTOR3(1, 1, 1), 0x102);
    DXC_Mesh& glass = AddMesh(&gfx, scene, "other material", D3DXVECTOR3(0, 0, 7), D3DXVECTOR3(-2, 1, 1));
    glass.materials[0].transparency = 0.5f;
    DXC_Mesh& off = AddMesh(&gfx, scene, "inactive", D3DXVECTOR3(0, 0, 9));
    off.SetActive(0);
    DXC_3dObject& dummy = *scene.objects.GetBySlot(scene.objects.Add());
    dummy.SetPosition(0, 0, -3, 1);
    glass.parent = &dummy;
    glass.parentName = "dummy";
    scene.SetAniTime(0.0, 1, 1);
    const D3DXMATRIX placements[3] = {Placement(plain), Placement(glass), Placement(off)};

    EXPECT_EQ(scene.CombineMeshes(gfx), 1);
    ASSERT_EQ(scene.GetMeshCount(), 4);
    EXPECT_EQ(scene.FindMesh("mirrored", false), nullptr);

    // The merged mesh: both triangles in the scene's space, the mirrored one turned round.
    ASSERT_EQ(a.vertexCount, 6);
    ASSERT_EQ(a.faceCount, 2);
    a.LockAll(0);
    const D3DXVECTOR3 expected[6] = {{10, 0, 0}, {11, 0, 0}, {10, 1, 0}, {0, 20, 0}, {-1, 20, 0}, {0, 21, 0}};
    for (int n = 0; n < 6; n++) {
        EXPECT_EQ(a.GetVertexPosition(n), expected[n]) << n;
        EXPECT_EQ(a.GetVertexNormal(n), D3DXVECTOR3(0, 0, 1)) << n;  // a mirror in x leaves them
    }
    EXPECT_EQ(a.GetFaceIndex(1, 0), 3);
    EXPECT_EQ(a.GetFaceIndex(1, 1), 5);
    EXPECT_EQ(a.GetFaceIndex(1, 2), 4);
    a.UnlockAll();
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    ExpectSameMatrix(Placement(a), identity, "merged mesh");
    EXPECT_EQ(a.boxMin, D3DXVECTOR3(-1, 0, 0));
    EXPECT_EQ(a.boxMax, D3DXVECTOR3(11, 21, 0));

    // The others stay where they were, their placement in the offset matrix; a mirror stays in the
    // node's own scaling, and the parent's matrix is in already.
    const DXC_Mesh* others[3] = {&plain, &glass, &off};
    for (int i = 0; i < 3; i++) {
        ExpectSameMatrix(Placement(*others[i]), placements[i], others[i]->GetObjectName());
        EXPECT_EQ(others[i]->parent, nullptr);
        EXPECT_EQ(others[i]->extraScale.x, i == 1 ? -1.0f : 1.0f);
    }
    glass.SetAniTime(1.0, 1, 1);
    ExpectSameMatrix(Placement(glass), placements[1], "after an evaluation");
    EXPECT_EQ(scene.boxMin, D3DXVECTOR3(-2, 0, -3));  // made again from the meshes and the dummy
    EXPECT_EQ(scene.boxMax, D3DXVECTOR3(11, 21, 9));
}

TEST(DXC_3dSceneCombine, LimitsAndMeshesWithoutGeometry)
{
    DXC_Gfx gfx;
    {
        // 99 meshes at most go into one; the 101st and 102nd make the next.
        DXC_3dScene scene;
        for (int i = 0; i < 102; i++)
            AddMesh(&gfx, scene, ("m" + std::to_string(i)).c_str(), D3DXVECTOR3(float(i), 0, 0));
        EXPECT_EQ(scene.CombineMeshes(gfx), 100);
        ASSERT_EQ(scene.GetMeshCount(), 2);
        EXPECT_EQ(scene.GetMesh(0)->vertexCount, 300);
        EXPECT_EQ(scene.GetMesh(1)->vertexCount, 6);
    }
    {
        // Two meshes that together pass 65535 vertices, and skinned ones, stay apart.
        DXC_3dScene scene;
        AddMesh(&gfx, scene, "big", D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 1, 1), kFormat, 40000);
        AddMesh(&gfx, scene, "bigger", D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 1, 1), kFormat, 30000);
        AddMesh(&gfx, scene, "skin", D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 1, 1), 0x1116);
        AddMesh(&gfx, scene, "skin too", D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 1, 1), 0x1116);
        EXPECT_EQ(scene.CombineMeshes(gfx), 0);
        EXPECT_EQ(scene.GetMeshCount(), 4);
    }
    {
        // The server loads no geometry: nothing merges, every mesh stays where it was.
        DXC_3dScene scene;
        DXC_Mesh& first = AddMesh(nullptr, scene, "first", D3DXVECTOR3(1, 2, 3));
        DXC_Mesh& second = AddMesh(nullptr, scene, "second", D3DXVECTOR3(4, 5, 6), D3DXVECTOR3(1, -1, 1));
        const D3DXMATRIX before[2] = {Placement(first), Placement(second)};
        scene.boxMax = D3DXVECTOR3(7, 7, 7);
        EXPECT_EQ(scene.CombineMeshes(gfx), 0);
        EXPECT_EQ(scene.GetMeshCount(), 2);
        ExpectSameMatrix(Placement(first), before[0], "first");
        ExpectSameMatrix(Placement(second), before[1], "second");
        EXPECT_EQ(scene.boxMax, D3DXVECTOR3(7, 7, 7));  // nothing merged away: the bounds stay
    }
}
