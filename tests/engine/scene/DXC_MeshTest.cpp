// DXC_MeshTest: materials and textures of a mesh, bounds, vertex transforms, transparency,
// skinning with bone indices beyond the bones, triangle hits of skinned vertices, bone operations.
#include "engine/scene/DXC_Mesh.h"

#include "engine/gfx/DXC_Gfx.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// One triangle at x = 2 in the plane z = 0, each vertex following bone index (0, 1, 7).
void MakeSkinnedTriangle(DXC_Gfx& gfx, DXC_Mesh& mesh)
{
    gfx.CreateMesh(&mesh, 1, 3, 1, 0x1008 | 0x010, 0, 2, 0, 0, 0);  // 2 betas, the last the indices
    mesh.LockAll(0);
    const float corners[3][2] = {{1, 0}, {3, 0}, {2, 2}};
    for (int n = 0; n < 3; n++) {
        mesh.SetVertexPosition(n, D3DXVECTOR3(corners[n][0], corners[n][1], 0));
        mesh.SetVertexNormal(n, D3DXVECTOR3(0, 0, 1));
        mesh.SetVertexFloat(n, mesh.layout.blendWeightOffset, 1.0f);
        mesh.VertexBytes(n)[mesh.layout.boneIndexOffset] = uint8_t(n == 2 ? 7 : n);
    }
    const uint16_t face[3] = {0, 1, 2};
    std::memcpy(mesh.lockedIndexData, face, sizeof face);
    mesh.UnlockAll();
    for (const char* name : {"a", "b"}) {
        DXC_BoneInfo& bone = *mesh.bones.GetBySlot(mesh.bones.Add());
        bone.boneName = name;
        D3DXMatrixIdentity(&bone.offsetMatrix);
    }
}

}  // namespace

TEST(DXC_Mesh, MaterialsAndTextures)
{
    LogCapture log;
    DXC_Mesh mesh;
    mesh.AllocMaterials(2);
    DXC_Material red;
    red.diffuse.r = 0.5f;
    EXPECT_EQ(mesh.SetMaterial(red, 1), 1);
    EXPECT_EQ(mesh.GetMaterial(1).diffuse.r, 0.5f);
    EXPECT_EQ(mesh.SetMaterial(red, 2), 0);
    EXPECT_EQ(mesh.GetTexture(2), nullptr);
    EXPECT_EQ(log.Count("Invalid material number in SetMaterial!"), 1);
    EXPECT_EQ(log.Count("Invalid texture number in GetTexture!"), 1);
    EXPECT_EQ(DxcErrorOf([&] { mesh.GetMaterial(-1); }), "*undefined*: Wrong material number !");

    DXC_Mesh other;
    other.CopyMaterials(mesh, 1);
    EXPECT_TRUE(other.SameMaterials(mesh));
    other.textures[0].stageNames[0] = "other.tga";
    EXPECT_FALSE(other.SameMaterials(mesh));

    // Material time: a looping mesh wraps it into its range.
    mesh.materials[0].transparencyCurve.SetMode(0);
    mesh.materials[0].transparencyCurve.SetNumKeys(2);
    mesh.materials[0].transparencyCurve.GetKey(1) = {4.0f, 1.0f, 0, 0};
    mesh.SetAniLoop(1);
    mesh.SetAniRange(4.0f);
    mesh.SetAniTime(5.0, 0, 1);
    EXPECT_NEAR(mesh.materials[0].transparency, 0.25f, 1e-6f);
    mesh.transparency = -1;
    EXPECT_EQ(mesh.IsTransparent(), 1);
    mesh.SetActive(0);
    EXPECT_EQ(mesh.IsTransparent(), 0);  // an inactive mesh never counts
    mesh.materials[0].transparency = 0.9f;
    mesh.SetAniTime(6.0, 0, 0);  // inactive: materials keep their time
    EXPECT_EQ(mesh.materials[0].transparency, 0.9f);

    DXC_Mesh plain;
    EXPECT_EQ(plain.IsTransparent(), 0);
    plain.opacity = 0.5f;
    plain.transparency = -1;
    EXPECT_EQ(plain.IsTransparent(), 1);
}

TEST(DXC_Mesh, BoundsAndTransforms)
{
    DXC_Gfx gfx;
    DXC_Mesh mesh;
    MakeSkinnedTriangle(gfx, mesh);
    mesh.ComputeBounds();
    EXPECT_EQ(mesh.boxMin, D3DXVECTOR3(1, 0, 0));
    EXPECT_EQ(mesh.boxMax, D3DXVECTOR3(3, 2, 0));
    EXPECT_EQ(mesh.boundsCentre, D3DXVECTOR3(2, 1, 0));
    EXPECT_NEAR(mesh.boundsRadius, 3.0f, 1e-6f);  // from the origin, not the centre
    D3DXMATRIX turn;
    D3DXMatrixRotationX(&turn, D3DX_PI / 2);
    mesh.TransformVertices(turn);
    mesh.LockAll(0);
    EXPECT_NEAR(mesh.GetVertexPosition(2).z, 2.0f, 1e-5f);
    EXPECT_NEAR(mesh.GetVertexNormal(0).y, -1.0f, 1e-5f);
    mesh.UnlockAll();
    EXPECT_NEAR(mesh.boxMax.z, 2.0f, 1e-5f);
}

TEST(DXC_Mesh, SkinningAndTriangleHits)
{
    DXC_Gfx gfx;
    DXC_Mesh mesh;
    MakeSkinnedTriangle(gfx, mesh);
    DXC_3dObject boneA, boneB;
    D3DXMatrixTranslation(&boneA.worldMatrix, 0, 0, 1);
    D3DXMatrixTranslation(&boneB.worldMatrix, 0, 0, 1);
    mesh.ResetBoneObjects();
    mesh.boneObjects[0] = &boneA;
    mesh.boneObjects[1] = &boneB;
    D3DXMatrixTranslation(&mesh.worldMatrix, 0, 0, 5);
    mesh.LockAll(0);
    D3DXMATRIX blended;
    mesh.GetBlendedMatrix(blended, 0);
    EXPECT_EQ(blended.m[3][2], 1.0f);  // bone a
    mesh.GetBlendedMatrix(blended, 2);
    EXPECT_EQ(blended.m[3][2], 5.0f);  // bone 7 is not there: the mesh's own matrix
    mesh.UnlockAll();

    // The skinned triangle is tilted: z 1 at its base and 5 at its tip.
    const float t = mesh.IntersectTriangles(D3DXVECTOR3(2, 0.5f, 10), D3DXVECTOR3(2, 0.5f, -10), false);
    EXPECT_NEAR(t, 0.5f - 2.0f / 20.0f, 1e-4f);
    EXPECT_EQ(mesh.IntersectTriangles(D3DXVECTOR3(9, 9, 10), D3DXVECTOR3(9, 9, -10), false), -1.0f);
    mesh.boundsFlags = 1;
    mesh.boundsRadius = 0.1f;
    EXPECT_EQ(mesh.IntersectTriangles(D3DXVECTOR3(2, 0.5f, 10), D3DXVECTOR3(2, 0.5f, -10), false), -1.0f);

    EXPECT_EQ(mesh.VertexBlendMode(1), 256u);
    EXPECT_EQ(mesh.VertexBlendMode(4), 3u);
    EXPECT_NE(DxcErrorOf([&] { mesh.VertexBlendMode(5); }).find("Invalid weight number"), std::string::npos);
}

TEST(DXC_Mesh, BoneOperations)
{
    DXC_Mesh mesh;
    DXC_BoneInfo bone;
    bone.boneName = "arm";
    D3DXMatrixTranslation(&bone.fileMatrixA, 1, 2, 3);
    D3DXMatrixScaling(&bone.fileMatrixB, 2, 2, 2);
    D3DXMatrixMultiply(&bone.offsetMatrix, &bone.fileMatrixB, &bone.fileMatrixA);
    EXPECT_EQ(mesh.FindOrAddBone(bone), 0);
    bone.boneName = "leg";
    EXPECT_EQ(mesh.FindOrAddBone(bone), 1);
    bone.boneName = "arm";
    EXPECT_EQ(mesh.FindOrAddBone(bone), 0);
    bone.boneName = "ARM";
    EXPECT_EQ(mesh.FindOrAddBone(bone), 2);  // letter case counts

    const D3DXMATRIX before = mesh.bones.GetAt(0)->offsetMatrix;
    mesh.RotateBones(D3DXVECTOR3(0, 0, 1), 0.5f, 0);
    const DXC_BoneInfo& turned = *mesh.bones.GetAt(0);
    D3DXMATRIX product;
    D3DXMatrixMultiply(&product, &turned.fileMatrixB, &turned.fileMatrixA);
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 4; c++)
            EXPECT_NEAR(product.m[r][c], before.m[r][c], 1e-5f);  // the offset matrix keeps its value
    EXPECT_NEAR(mesh.rotationAngle, 0.5f, 1e-5f);
    const float firstBefore = mesh.bones.GetAt(1)->fileMatrixA.m[0][0];
    mesh.ScaleBones(3, 3, 3);
    const DXC_BoneInfo& scaled = *mesh.bones.GetAt(1);
    EXPECT_NEAR(scaled.fileMatrixA.m[0][0], 3.0f * firstBefore, 1e-5f);  // scaled before the first matrix
    D3DXMatrixMultiply(&product, &scaled.fileMatrixB, &scaled.fileMatrixA);
    EXPECT_EQ(product, scaled.offsetMatrix);

    mesh.AllocMaterials(2);
    mesh.textures[1].stages[2].mapType = MAP_REFLECTION;
    EXPECT_EQ(mesh.GetTextureStageOfKind2(1), 0);  // no extra texture
    mesh.SetExtraTextureIndex(0);
    EXPECT_EQ(mesh.GetTextureStageOfKind2(1), 3);
    EXPECT_EQ(mesh.GetTextureStageOfKind2(2), 0);
}
