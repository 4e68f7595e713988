// DXC_3dObjectTest: hierarchy composition, the rebuild flag, static rotations and target vectors.
#include "engine/scene/DXC_3dObject.h"
#include "engine/scene/DXC_Camera.h"
#include "engine/scene/DXC_3dScene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

constexpr float kTol = 1e-5f;

void ExpectVec(const D3DXVECTOR3& v, float x, float y, float z, float tol = kTol)
{
    EXPECT_NEAR(v.x, x, tol);
    EXPECT_NEAR(v.y, y, tol);
    EXPECT_NEAR(v.z, z, tol);
}

// Parent turned a quarter about z, scaled by 2 and moved to (10, 0, 0); child at (1, 0, 0).
struct Family {
    DXC_3dObject parent, child;
    Family()
    {
        parent.SetObjectName("parent");
        parent.SetRotation(0, 0, 1, D3DX_PI / 2, 1);
        parent.SetScale(2, 2, 2, 1);
        parent.SetPosition(10, 0, 0, 1);
        child.SetObjectName("child");
        child.SetPosition(1, 0, 0, 1);
        child.parent = &parent;
    }
};

TEST(DXC_3dObject, ChildOfTurnedScaledMovedParent)
{
    struct Case {
        uint32_t pos, rot, scl, mir;
        D3DXVECTOR3 expected;
        D3DXVECTOR3 xAxis;  // where the child's own x axis points
    } cases[] = {
        {1, 1, 1, 1, {10, 2, 0}, {0, 2, 0}},  // whole parent matrix
        {0, 0, 0, 0, {1, 0, 0}, {1, 0, 0}},   // parent ignored
        {1, 0, 0, 0, {11, 0, 0}, {1, 0, 0}},  // follows the translation only
        {0, 1, 0, 0, {0, 1, 0}, {0, 1, 0}},   // turned, not scaled, not moved
        {0, 0, 1, 0, {2, 0, 0}, {2, 0, 0}},   // scaled only
        {0, 0, 0, 1, {1, 0, 0}, {1, 0, 0}},   // mirror alone changes nothing
        {1, 1, 0, 0, {10, 1, 0}, {0, 1, 0}}, {1, 1, 1, 0, {10, 2, 0}, {0, 2, 0}},
    };
    for (const Case& c : cases) {
        Family f;
        f.child.SetInheritance(c.pos, c.rot, c.scl, c.mir);
        f.child.SetAniTime(0.0, 1, 1);
        SCOPED_TRACE(testing::Message() << c.pos << c.rot << c.scl << c.mir);
        ExpectVec(f.child.GetMatrixPosition(), c.expected.x, c.expected.y, c.expected.z);
        const D3DXMATRIX& m = f.child.worldMatrix;
        ExpectVec(D3DXVECTOR3(m.m[0][0], m.m[0][1], m.m[0][2]), c.xAxis.x, c.xAxis.y, c.xAxis.z);
    }
}

TEST(DXC_3dObject, RebuildWorldMultipliesWholeParentWhateverTheFlags)
{
    Family f;
    f.child.SetInheritance(0, 0, 0, 0);
    f.child.aniPosition = D3DXVECTOR3(1, 0, 0);
    f.parent.aniPosition = D3DXVECTOR3(10, 0, 0);
    f.parent.aniScale = D3DXVECTOR3(2, 2, 2);
    D3DXVECTOR3 z(0, 0, 1);
    D3DXQuaternionRotationAxis(&f.parent.aniRotation, &z, D3DX_PI / 2);
    f.child.RebuildWorld(0);
    ExpectVec(f.child.GetMatrixPosition(), 10, 2, 0);
    EXPECT_EQ(f.parent.worldValid, 1u);
    // valid: no rebuild without force
    f.child.aniPosition = D3DXVECTOR3(5, 0, 0);
    f.child.RebuildWorld(0);
    ExpectVec(f.child.GetMatrixPosition(), 10, 2, 0);
    f.child.RebuildWorld(1);
    ExpectVec(f.child.GetMatrixPosition(), 10, 10, 0);
    // world rotation composes up the chain
    f.child.aniRotation = f.parent.aniRotation;
    D3DXQUATERNION w = f.child.GetWorldRotation();
    EXPECT_NEAR(w.z, 1.0f, kTol);  // two quarter turns
}

TEST(DXC_3dObject, RebuildFlagAndEarlyReturn)
{
    DXC_3dObject o;
    o.SetAniTime(1.0, 0, 0);
    EXPECT_EQ(o.transformChanged, 0u);
    o.SetPosition(3, 4, 5, 0);  // only marked
    ExpectVec(o.GetMatrixPosition(), 0, 0, 0);
    EXPECT_EQ(o.transformChanged, 1u);
    o.SetAniTime(1.0, 0, 0);  // same time, but changed: evaluates
    ExpectVec(o.GetMatrixPosition(), 3, 4, 5);
    // unchanged and same time: no work (a scribbled matrix survives)
    o.worldMatrix.m[3][0] = 99;
    o.SetAniTime(1.0, 0, 0);
    EXPECT_EQ(o.worldMatrix.m[3][0], 99);
    o.SetAniTime(1.0, 0, 1);  // forced
    EXPECT_EQ(o.worldMatrix.m[3][0], 3);
    // rebuild set: the matrix follows at once
    o.SetPosition(7, 0, 0, 1);
    ExpectVec(o.GetMatrixPosition(), 7, 0, 0);
    o.aniFrozen = 1;
    o.SetPosition(8, 0, 0, 0);
    o.SetAniTime(2.0, 0, 1);
    ExpectVec(o.GetMatrixPosition(), 7, 0, 0);
}

TEST(DXC_3dObject, StaticRotationsAndScaling)
{
    DXC_3dObject o;
    o.Rotate(0, 0, 1, D3DX_PI / 2, 1);
    EXPECT_NEAR(o.rotationAngle, D3DX_PI / 2, kTol);
    ExpectVec(o.rotationAxis, 0, 0, std::sin(D3DX_PI / 4));  // vector part, not normalised
    o.SetRotationQuaternion(D3DXQUATERNION(0, 0, 2 * std::sin(0.25f), 2 * std::cos(0.25f)), 1);
    ExpectVec(o.rotationAxis, 0, 0, 1);
    EXPECT_NEAR(o.rotationAngle, 0.5f, kTol);

    o.SetAniTime(0, 0, 0);
    o.RotateAxisAngle(D3DXVECTOR3(1, 0, 0), 0.0f, 0);  // no turn, not even a mark
    EXPECT_EQ(o.transformChanged, 0u);

    DXC_3dObject p;
    p.SetPosition(1, 0, 0, 1);
    DXC_PosKey key;
    key.time = 0;
    key.data.value = D3DXVECTOR3(2, 0, 0);
    p.AddPosKey(key);
    p.RotateAxisAngle(D3DXVECTOR3(0, 0, 1), D3DX_PI / 2, 0);
    ExpectVec(p.position, 0, 1, 0);
    ExpectVec(p.posKeys->data.value, 0, 2, 0);
    p.RotateAxisAngle(D3DXVECTOR3(0, 0, 1), D3DX_PI / 2, 1);  // keepPositions
    ExpectVec(p.position, 0, 1, 0);
    p.ScaleWithKeys(2, 3, 4, 0);
    ExpectVec(p.position, 0, 3, 0);
    ExpectVec(p.posKeys->data.value, 0, 6, 0);
    ExpectVec(p.scale, 2, 3, 4);

    DXC_3dObject m;
    m.MirrorY();
    m.MultiplyScale(2, 1, 1);
    m.RebuildLocal();
    EXPECT_EQ(m.worldMatrix.m[1][1], -1);
    EXPECT_EQ(m.worldMatrix.m[0][0], 2);
}

TEST(DXC_3dObject, OpacityInheritsOnlyWhenAsked)
{
    DXC_3dObject parent, child;
    parent.opacity = 0.5f;
    child.opacity = 0.5f;
    child.parent = &parent;
    EXPECT_EQ(child.GetOpacity(), 0.5f);
    child.inheritOpacity = 1;
    EXPECT_EQ(child.GetOpacity(), 0.25f);
}

TEST(DXC_3dObject, ErrorsCarryTheObjectName)
{
    DXC_3dObject o;
    o.SetObjectName("Bip01 Head");
    try {
        o.Error("bad %d", 7);
        FAIL();
    } catch (const DXC_Error& e) {
        EXPECT_STREQ(e.message, "Bip01 Head: bad 7");
        EXPECT_STREQ(e.className, "DXC_3dObject");
    }
}

TEST(DXC_3dObject, DefaultsOfTheClassTree)
{
    DXC_3dObject o;
    EXPECT_STREQ(o.GetObjectName(), "*undefined*");
    EXPECT_EQ(o.aniRange, 100.0f);
    EXPECT_EQ(o.kind, 0);
    EXPECT_TRUE(D3DXMatrixIsIdentity(&o.worldMatrix));
    DXC_Camera cam;
    EXPECT_EQ(cam.kind, 8);
    EXPECT_STREQ(cam.GetName(), "DXC_Camera");
    EXPECT_EQ(cam.fieldOfView, 0.785f);
    DXC_Light light;
    EXPECT_EQ(light.kind, 32);
    EXPECT_EQ(light.lightParams.Falloff, 1.0f);
    light.SetParams(LightParams());
    EXPECT_EQ(light.lightWordA, 0u);
    DXC_Mesh mesh;
    EXPECT_EQ(mesh.kind, 1);
    EXPECT_EQ(mesh.IsMesh(), 1);
    EXPECT_EQ(mesh.extraTextureIndex, -1);
    EXPECT_EQ(mesh.transparency, -1);
    EXPECT_EQ(mesh.texChannelCount, 1);
    DXC_3dScene scene;
    EXPECT_EQ(scene.activeCamera, -1);
    EXPECT_EQ(scene.GetRenderOptions().GetInt(3), -2);
    EXPECT_EQ(scene.GetRenderOptions().GetFloat(15), 0.5f);
    EXPECT_EQ(scene.GetRenderOptions().GetInt(18), 1);
    EXPECT_EQ(scene.colorBlock.GetFloat(11), 1.0f);
    EXPECT_EQ(scene.colorBlock.GetInt(18), 1);
    EXPECT_EQ(scene.ambientColor, 0xFF000000u);
    scene.objects.Add();
    scene.meshes.Add();
    EXPECT_EQ(scene.GetObjectCount(), 1);
    EXPECT_EQ(scene.GetMeshCount(), 1);
    EXPECT_EQ(scene.GetLightCount(), 0);
}

TEST(DXC_Target3dObject, VectorsAndOrientation)
{
    DXC_Camera cam;
    cam.SetPositionNow(1, 2, 3, 1);
    cam.UpdateVectors(1);
    ExpectVec(cam.worldPosition, 1, 2, 3);
    ExpectVec(cam.upVector, 0, 1, 0);
    ExpectVec(cam.direction, 0, 0, -1);
    // with a target: direction points at it, not normalised
    DXC_3dObject target;
    target.SetPosition(1, 2, 13, 1);
    cam.target = &target;
    cam.UpdateVectors(1);
    ExpectVec(cam.direction, 0, 0, 10);
    cam.target = nullptr;

    // an up vector alone does not turn the object
    DXC_Camera c2;
    c2.SetUpVector(0, 0, 5, 0);
    ExpectVec(c2.upVector, 0, 0, 1);
    EXPECT_EQ(c2.rotationAngle, 0.0f);
    // a direction does: looking along +x with +z up
    c2.SetDirection(3, 0, 0, 0);
    ExpectVec(c2.direction, 1, 0, 0);
    c2.RebuildLocal();
    c2.UpdateVectors(0);
    ExpectVec(c2.direction, 1, 0, 0);
    ExpectVec(c2.upVector, 0, 0, 1);
}

}  // namespace
