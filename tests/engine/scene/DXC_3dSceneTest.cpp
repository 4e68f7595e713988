// DXC_3dSceneTest: lookups, bounds and box tests, linking with its refusals, segment tests over the
// meshes, settings over all nodes, clones without device meshes and the insertion of a scene.
#include "engine/scene/DXC_3dScene.h"

#include "engine/gfx/DXC_Gfx.h"
#include "engine/scene/DXC_AniCycle.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

template <class List> auto& AddTo(List& list, const char* name)
{
    auto& node = *list.GetBySlot(list.Add());
    node.SetObjectName(name);
    return node;
}

// A square of two triangles in the plane z = 0 from (-1, -1) to (1, 1).
void MakeSquare(DXC_Gfx& gfx, DXC_Mesh& mesh)
{
    gfx.CreateMesh(&mesh, 2, 4, 1, 0x002, 0, 0, 0, 0, 0);
    mesh.LockAll(0);
    const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (int n = 0; n < 4; n++)
        mesh.SetVertexPosition(n, D3DXVECTOR3(corners[n][0], corners[n][1], 0));
    const uint16_t faces[6] = {0, 1, 2, 0, 2, 3};
    std::memcpy(mesh.lockedIndexData, faces, sizeof faces);
    mesh.UnlockAll();
    mesh.ComputeBounds();
    mesh.boundsFlags = 3;
}

}  // namespace

TEST(DXC_3dScene, Lookups)
{
    DXC_3dScene scene;
    scene.objectName = "scene";
    AddTo(scene.meshes, "ARM_left");
    AddTo(scene.meshes, "Arm");
    AddTo(scene.objects, "Arm");
    AddTo(scene.objects, "");
    AddTo(scene.cameras, "eye");
    EXPECT_STREQ(scene.FindMesh("arm", true)->GetObjectName(), "ARM_left");
    EXPECT_EQ(scene.FindMesh("arm", false), nullptr);  // exact: letter case counts
    EXPECT_EQ(scene.FindObjectByName("Arm", 1), scene.meshes.GetAt(1));  // meshes first
    EXPECT_EQ(scene.FindObjectByName("ARM", 0), scene.meshes.GetAt(1));
    EXPECT_EQ(scene.FindObjectByName("EYE", 1), nullptr);
    EXPECT_EQ(scene.FindObjectByName(nullptr, 1), scene.objects.GetAt(1));  // a missing name finds the unnamed
    EXPECT_EQ(scene.FindUnparented(), scene.meshes.GetAt(0));
    EXPECT_EQ(DxcErrorOf([&] { scene.GetLightChecked(0); }), "scene: Light number 0 does not exist.");
    EXPECT_EQ(DxcErrorOf([&] { scene.GetCameraChecked(1); }), "scene: Camera number 1 does not exist.");
    EXPECT_EQ(DxcErrorOf([&] { scene.GetObjectChecked(-1); }), "scene: Helper object number -1 does not exist.");
    LogCapture log;
    EXPECT_EQ(scene.SetActiveCamera(0), 1);
    EXPECT_EQ(scene.SetActiveCamera(1), 0);
    EXPECT_EQ(scene.activeCamera, 0);
    EXPECT_EQ(log.Count("Camera nr 1 does not exist"), 1);
}

TEST(DXC_3dScene, BoundsAndBoxTests)
{
    const D3DXVECTOR3 low(0, 0, 0), high(1, 1, 1);
    float fraction = -1, distance = -1;
    // Inside the box a segment crosses no face.
    EXPECT_FALSE(SegmentBoxTest(low, high, D3DXVECTOR3(0.2f, 0.5f, 0.5f), D3DXVECTOR3(0.8f, 0.5f, 0.5f), 0, &fraction, nullptr));
    EXPECT_TRUE(SegmentBoxTest(low, high, D3DXVECTOR3(-1, 0.5f, 0.5f), D3DXVECTOR3(3, 0.5f, 0.5f), 0, &fraction, nullptr));
    EXPECT_FLOAT_EQ(fraction, 0.25f);
    // Nearest mode: passing 2.0 beside the box with r = 0.5.
    EXPECT_FALSE(SegmentBoxTest(low, high, D3DXVECTOR3(-1, 0.5f, 3), D3DXVECTOR3(2, 0.5f, 3), 0.5f, &fraction, &distance));
    EXPECT_FLOAT_EQ(distance, 2.0f);

    DXC_3dScene scene;
    scene.boundsFlags = 3;
    scene.boxMin = D3DXVECTOR3(-1, -1, -1);
    scene.boxMax = D3DXVECTOR3(1, 1, 1);
    scene.boundsRadius = 1.5f;
    EXPECT_EQ(scene.DistanceToBounds(D3DXVECTOR3(0.5f, 0, 0)), 0.0f);
    EXPECT_NEAR(scene.DistanceToBounds(D3DXVECTOR3(4, 0, 0)), 3.0f, 1e-5f);  // the box is farther than the sphere
    D3DXMatrixScaling(&scene.worldMatrix, 2, 2, 2);
    float local = 0, world = 0;
    scene.worldMatrix = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    EXPECT_EQ(scene.IntersectBox(D3DXVECTOR3(-3, 0, 5), D3DXVECTOR3(3, 0, 5), 0.5f, &local), -1.0f);
    D3DXMatrixScaling(&scene.worldMatrix, 2, 2, 2);
    EXPECT_EQ(scene.IntersectBox(D3DXVECTOR3(-6, 0, 10), D3DXVECTOR3(6, 0, 10), 1.0f, &world), -1.0f);
    EXPECT_NEAR(world, 2.0f * local, 1e-4f);  // world units on a scene scaled by 2
    EXPECT_NEAR(scene.IntersectBox(D3DXVECTOR3(-4, 0, 0), D3DXVECTOR3(4, 0, 0), 0.0f, nullptr), 0.25f, 1e-6f);
}

TEST(DXC_3dScene, LinkingAndItsRefusals)
{
    LogCapture log;
    DXC_3dScene scene;
    scene.objectName = "model";
    DXC_3dObject& root = AddTo(scene.objects, "root");
    DXC_3dObject& hand = AddTo(scene.objects, "hand");
    hand.parentName = "root";
    DXC_3dObject& lost = AddTo(scene.objects, "lost");
    lost.parentName = "nowhere";
    AddTo(scene.objects, "");  // an unnamed node is nobody's parent by an empty name
    DXC_Mesh& body = AddTo(scene.meshes, "body");
    body.bones.GetBySlot(body.bones.Add())->boneName = "hand";
    body.bones.GetBySlot(body.bones.Add())->boneName = "tail";
    DXC_Camera& eye = AddTo(scene.cameras, "eye");
    eye.targetName = "hand";
    ASSERT_EQ(scene.LinkObjects(), 1);
    EXPECT_EQ(hand.parent, &root);
    EXPECT_EQ(root.parent, nullptr);
    EXPECT_EQ(body.parent, nullptr);
    EXPECT_EQ(lost.parent, nullptr);
    EXPECT_EQ(body.boneObjects[0], &hand);
    EXPECT_EQ(body.boneObjects[1], nullptr);
    EXPECT_EQ(eye.target, &hand);
    EXPECT_EQ(log.Count("Parent object 'nowhere' not found in scene 'model'. Child: 'lost'"), 1);
    EXPECT_EQ(log.Count("Bone 'tail' not found in scene 'model'. Child: 'body'"), 1);

    root.parentName = "hand";  // root -> hand -> root
    EXPECT_NE(DxcErrorOf([&] { scene.LinkObjects(); }).find("is its own ancestor in scene 'model'"), std::string::npos);
    root.parentName = "";
    hand.parentName = "eye";  // the camera's target hangs below the camera
    EXPECT_EQ(DxcErrorOf([&] { scene.LinkObjects(); }), "model: Object 'eye' is its own target's parent in scene 'model'");
    EXPECT_EQ(eye.target, nullptr);
    scene.SetAniTime(1.0, 1, 1);  // no endless recursion after the refusal
}

TEST(DXC_3dScene, SegmentTestsOverMeshes)
{
    DXC_Gfx gfx;
    DXC_3dScene scene;
    MakeSquare(gfx, AddTo(scene.meshes, "Door_a"));
    DXC_Mesh& wall = AddTo(scene.meshes, "wall");
    MakeSquare(gfx, wall);
    wall.SetPosition(0, 0, -2, 1);  // the mesh node's own matrix does not move its triangles here
    char name[64] = "";
    const D3DXVECTOR3 above(0.2f, 0.3f, 4), below(0.2f, 0.3f, -4);
    EXPECT_NEAR(scene.IntersectSegment(above, below, name, sizeof name, nullptr, false), 0.5f, 1e-6f);
    EXPECT_STREQ(name, "Door_a");
    char prefix[] = "door";
    bool matched = true;
    EXPECT_EQ(scene.IntersectSegment(above, below, prefix, 0, &matched, false), -1.0f);  // letter case counts
    EXPECT_FALSE(matched);
    char exact[] = "Door";
    EXPECT_NEAR(scene.IntersectSegment(above, below, exact, 0, &matched, true), 0.5f, 1e-6f);
    EXPECT_TRUE(matched);
    EXPECT_EQ(scene.IntersectSegment(D3DXVECTOR3(5, 5, 4), D3DXVECTOR3(5, 5, -4), nullptr, 0, nullptr, false), -1.0f);
    EXPECT_EQ(scene.IntersectSegment(D3DXVECTOR3(0, 0, 0), below, nullptr, 0, nullptr, false), 0.0f);  // at the start

    EXPECT_TRUE(scene.HitSegment(above, below, 0.0f));  // no scene bounds: the meshes' bounds
    scene.boundsFlags = 2;
    scene.boxMin = D3DXVECTOR3(5, 5, 5);
    scene.boxMax = D3DXVECTOR3(6, 6, 6);
    EXPECT_FALSE(scene.HitSegment(above, below, 0.0f));  // the scene's bounds decide
}

TEST(DXC_3dScene, SettingsOverAllNodes)
{
    DXC_3dScene scene;
    DXC_3dObject& dummy = AddTo(scene.objects, "dummy");
    DXC_Mesh& mesh = AddTo(scene.meshes, "mesh");
    AddTo(scene.lights, "sun");
    DXC_PosKey key;
    key.time = 0;
    dummy.AddPosKey(key);
    key.time = 10;
    key.data.value = D3DXVECTOR3(10, 0, 0);
    dummy.AddPosKey(key);
    scene.SetFlagOnAll(1);
    scene.SetRangeOnAll(8.0f);
    EXPECT_EQ(scene.lights.GetAt(0)->aniLoop, 1u);
    EXPECT_EQ(mesh.aniRange, 8.0f);
    EXPECT_EQ(scene.aniRange, 8.0f);
    scene.sceneFactor = 0.5f;
    scene.SetAniTime(4.0, 1, 1);
    EXPECT_NEAR(dummy.aniPosition.x, 2.0f, 1e-5f);
    scene.SetAniTime(6.0, 0, 1);  // helper objects only with the parent flag
    EXPECT_NEAR(dummy.aniPosition.x, 2.0f, 1e-5f);

    mesh.transformChanged = 0;
    scene.RotateRoots(0, 0, 1, 0.0f);
    scene.ScaleRoots(1, 1, 1);
    EXPECT_EQ(mesh.transformChanged, 0u);  // nothing to do, nothing touched
    scene.boxMax = D3DXVECTOR3(1, 1, 1);
    scene.ScaleRoots(2, 1, 1);
    EXPECT_EQ(scene.boxMax.x, 2.0f);
    EXPECT_EQ(mesh.scale.x, 2.0f);
    mesh.faceCount = 5;
    EXPECT_EQ(scene.CountFaces(0, 1), 5);
    EXPECT_EQ(scene.CountFaces(1, 0), 0);
}

TEST(DXC_3dScene, ClonesAndInsertion)
{
    LogCapture log;
    DXC_3dScene source;
    source.objectName = "gun";
    DXC_3dObject& grip = AddTo(source.objects, "grip");
    DXC_Mesh& barrel = AddTo(source.meshes, "barrel");
    barrel.parentName = "grip";
    barrel.parent = &grip;
    barrel.boxMax = D3DXVECTOR3(1, 2, 3);
    barrel.AllocMaterials(1);
    barrel.materials[0].power = 3.0f;
    AddTo(source.cameras, "scope").targetName = "grip";

    // Without a device mesh (as on the server) a clone keeps its own node and bounds.
    DXC_Mesh clone;
    clone.SetObjectName("barrel2");
    clone.SetPosition(4, 0, 0, 1);
    clone.boxMax = D3DXVECTOR3(9, 9, 9);
    EXPECT_EQ(barrel.CloneInto(clone, true, false), 0);
    EXPECT_STREQ(clone.GetObjectName(), "barrel2");
    EXPECT_EQ(clone.position.x, 4.0f);
    EXPECT_EQ(clone.boxMax, D3DXVECTOR3(9, 9, 9));
    EXPECT_EQ(clone.materials[0].power, 3.0f);
    EXPECT_STREQ(clone.cloneSourceName.c_str(), "barrel");

    DXC_3dScene target;
    target.objectName = "hand";
    AddTo(target.objects, "grip");
    D3DXMatrixTranslation(&source.worldMatrix, 0, 0, 5);
    ASSERT_EQ(target.Insert3dScene(source, true), 1);
    EXPECT_EQ(log.Count("Insert3dScene: object with name 'grip' already exists in scene 'hand'"), 1);
    ASSERT_EQ(target.GetMeshCount(), 1);
    DXC_Mesh& inserted = *target.meshes.GetAt(0);
    EXPECT_STREQ(inserted.GetObjectName(), "barrel");  // found by name and by hit tests
    EXPECT_EQ(inserted.boxMax, D3DXVECTOR3(1, 2, 3));
    EXPECT_EQ(inserted.parent, target.FindObjectByName("grip", 1));  // within this scene
    EXPECT_EQ(target.cameras.GetAt(0)->target, target.FindObjectByName("grip", 1));
    EXPECT_EQ(target.objects.GetAt(1)->worldMatrix.m[3][2], 5.0f);
}

TEST(DXC_3dScene, CycleClones)
{
    DXC_AniCycle cycle;
    cycle.SetCycleName("walk");
    cycle.endTime = 2.0f;
    cycle.AllocTracks(2, 1);
    cycle.objectTracks[0].SetObjectName("root");
    cycle.objectTracks[1].SetObjectName("leg");
    cycle.objectTracks[1].parentName = "root";
    DXC_PosKey key;
    cycle.objectTracks[1].AddPosKey(key);
    cycle.meshTracks[0].AllocMaterials(2);
    cycle.AllocMaps(2, 1);
    cycle.objectMap[1] = {5, 1};
    DXC_AniCycle copy;
    ASSERT_EQ(cycle.Clone(copy, 1), 1);
    EXPECT_STREQ(copy.GetCycleName(), "walk");
    EXPECT_EQ(copy.endTime, 2.0f);
    EXPECT_EQ(copy.objectTracks[1].parent, &copy.objectTracks[0]);
    EXPECT_EQ(copy.objectTracks[1].numPosKey, 1);
    EXPECT_NE(copy.objectTracks[1].posKeys, cycle.objectTracks[1].posKeys);
    EXPECT_EQ(copy.meshTracks[0].materialCount, 2);
    EXPECT_EQ(copy.objectMap[1].sceneSlot, 5);
    DXC_AniCycle bare;
    cycle.Clone(bare, 0);
    EXPECT_EQ(bare.objectTracks[1].posKeys, nullptr);

    cycle.objectTracks[0].parentName = "leg";  // root -> leg -> root
    DXC_AniCycle looped;
    EXPECT_NE(DxcErrorOf([&] { cycle.Clone(looped, 0); }).find("is its own ancestor"), std::string::npos);
}

TEST(DXC_3dScene, LightPlacement)
{
    DXC_Light light;
    light.SetParams(1, 0.5f, 0.25f, 9, 0, 0, 0, 9, 0.1f, 0.1f, 0.1f, 9, 50);
    EXPECT_EQ(light.lightParams.Type, 3u);
    EXPECT_EQ(light.lightParams.Diffuse.g, 0.5f);
    EXPECT_EQ(light.lightParams.Range, 50.0f);
    EXPECT_EQ(light.lightWordA, 0u);
    light.SetPosition(1, 2, 3, 1);
    D3DXMatrixTranslation(&light.offsetMatrix, 0, 0, 10);
    light.SetAniTime(0.0, 1, 1);  // places the light through its offset
    EXPECT_NEAR(light.lightParams.Position[2], 13.0f, 1e-5f);
    EXPECT_NEAR(light.lightParams.Position[0], 1.0f, 1e-5f);
    EXPECT_NEAR(light.lightParams.Direction[2], -1.0f, 1e-5f);
    D3DXMATRIX view;
    D3DXMatrixTranslation(&view, 0, -2, 0);
    light.UpdateView(&view);
    EXPECT_NEAR(light.lightParams.Position[1], 0.0f, 1e-5f);
}
