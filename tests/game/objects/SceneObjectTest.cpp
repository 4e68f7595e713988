// SceneObject: scale and mirror, grid cells and attaching, variation slots, bone children,
// emitters and fading, the radius of the scene, the bone limit and the placement bracket.
#include "game/objects/SceneObject.h"

#include "engine/gfx/DXC_Gfx.h"
#include "game/objects/SceneMeshSet.h"
#include "game/objects/SceneObjectTestSupport.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"
#include "world/WorldTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

TEST(SceneObjectTest, Defaults)
{
    TestSceneObject obj;
    EXPECT_EQ(obj.m_TypeCode, ElemType::kElem);
    EXPECT_EQ(obj.m_Colour, 0xFF000000u);
    EXPECT_EQ(obj.m_ColourB, 0xFF000000u);
    EXPECT_EQ(obj.m_Illumination.colour, 0xFF000000u);
    EXPECT_EQ(obj.m_FloorAlignWeight, 255);
    EXPECT_EQ(obj.m_SettingFloat, -1.0f);
    EXPECT_EQ(obj.m_DistanceSetting, 128.0f);
    EXPECT_EQ(obj.m_TiltAxis.z, 1.0f);
    EXPECT_EQ(obj.m_SettingByte6, 1);
    EXPECT_EQ(obj.GetExtraRotation(), 0.0f);
    EXPECT_EQ(obj.GetShader(), nullptr);
    EXPECT_EQ(SceneObject::s_BoneLimit, 26);
    EXPECT_FALSE(obj.CheckVisibility());  // no scene
    EXPECT_FALSE(obj.IsOnScreen());
    EXPECT_EQ(obj.ComputeRadius(), 32.0f);
}

TEST(SceneObjectTest, ScaleKeepsSignsApart)
{
    const struct {
        bool adjust;
        float radius;
    } kCases[] = {{false, 32.0f}, {true, 64.0f}};
    for (const auto& c : kCases) {
        TestSceneObject obj;
        obj.SetScale(-2.0f, 1.0f, 1.0f, false, c.adjust);
        EXPECT_EQ(obj.m_Scale[0], 2.0f);
        EXPECT_EQ(obj.m_Scale[1], 1.0f);
        EXPECT_EQ(obj.m_Mirror[0], -1.0f);
        EXPECT_EQ(obj.m_Mirror[1], 1.0f);
        EXPECT_EQ(obj.m_Radius, c.radius);
    }
    // Shrinking follows too, by the larger of the two horizontal changes.
    TestSceneObject obj;
    obj.SetScale(4.0f, 2.0f, 1.0f, false, false);
    obj.SetScale(-1.0f, -1.0f, 1.0f, false, true);
    EXPECT_EQ(obj.m_Radius, 16.0f);
}

TEST(SceneObjectTest, InheritedScaleAndMirror)
{
    auto* parent = new TestSceneObject;  // owned by the world
    auto* child = new TestSceneObject;
    LevelTestCtrl ctrl;
    GridWorld world;
    world.SetGrid(20, 12, 64, 64);
    world.AddObj(parent, 0, false);
    world.AddObj(child, 0, false);
    parent->m_TypeCode = ElemType::kItem;
    parent->SetScale(-2.0f, 3.0f, 1.0f, false, false);
    child->SetScale(0.5f, -1.0f, 2.0f, false, false);
    parent->AttachChild(child);
    EXPECT_EQ(child->GetScale().x, 0.5f);  // not inherited without the flag
    child->m_InheritParentTransform = 1;
    EXPECT_EQ(child->GetScale().x, 1.0f);
    EXPECT_EQ(child->GetScale().y, 3.0f);
    EXPECT_EQ(child->GetMirror().x, -1.0f);
    EXPECT_EQ(child->GetMirror().y, -1.0f);
    parent->m_TypeCode = ElemType::kElem;  // only creatures and items hand theirs on
    EXPECT_EQ(child->GetScale().y, 1.0f);
}

TEST(SceneObjectTest, GridCellsAndAttaching)
{
    LevelTestCtrl ctrl;
    GridWorld world;
    world.SetGrid(20, 12, 64, 64);  // 3 x 2 blocks
    auto* obj = new TestSceneObject;
    obj->m_PosX = -100.0f;
    obj->m_PosY = 100.0f;
    world.AddObj(obj, 0, false);
    EXPECT_EQ(obj->m_CellX, 0);  // truncated, then divided toward zero
    EXPECT_EQ(obj->m_CellY, 0);
    EXPECT_EQ(world.GetBlock(0, 0)->objects.GetSize(), 1);

    obj->SetPos(-600.0f, 100.0f);
    EXPECT_EQ(obj->m_CellIndex, -1);
    EXPECT_EQ(world.GetBlock(0, 0)->objects.GetSize(), 0);
    obj->SetPos(700.0f, 600.0f);
    EXPECT_EQ(obj->m_CellIndex, 4);
    EXPECT_EQ(world.GetBlock(1, 1)->objects.GetSize(), 1);

    // Attaching an attached element attaches its topmost ancestor; children change cells along.
    auto* top = new TestSceneObject;
    auto* middle = new TestSceneObject;
    world.AddObj(top, 0, false);
    world.AddObj(middle, 0, false);
    top->AttachChild(middle);
    obj->AttachChild(middle);
    EXPECT_EQ(top->m_Parent.Get(), obj);
    EXPECT_EQ(middle->m_Parent.Get(), top);
    EXPECT_EQ(middle->m_CellIndex, 4);
    obj->SetPos(100.0f, 100.0f);
    EXPECT_EQ(top->m_CellIndex, 0);
    EXPECT_EQ(middle->m_CellIndex, 0);

    obj->m_CfgID = "crate";
    EXPECT_EQ(ErrorOf([&] { obj->AttachChild(obj); }), "crate: Object can not attach itself");
    LogCapture log;
    middle->DetachFromParent();
    EXPECT_EQ(middle->m_Parent.Get(), nullptr);
    middle->DetachFromParent();  // free already: nothing
    EXPECT_EQ(log.Count("Object for detachment not found!"), 0);
}

TEST(SceneObjectTest, VariationSlots)
{
    LogCapture log;
    TestSceneObject obj;
    obj.m_CfgID = "guard";
    obj.SetMeshVariation(1, 99);
    EXPECT_EQ(log.Count("Invalid mesh variation number: 99 for 'guard'"), 1);
    EXPECT_EQ(obj.GetMeshVariation(1), 99);
    obj.SetMeshVariation(2, -1);
    obj.SetTextureVariation(9, 98);
    EXPECT_EQ(log.Count("Invalid"), 1);
    obj.SetTextureVariation(3, -2);
    EXPECT_EQ(log.Count("Invalid texture variation number: -2 for 'guard'"), 1);

    obj.SetMeshVariation(5, 7);  // no mesh slot 5
    EXPECT_EQ(obj.GetMeshVariation(5), -1);
    obj.SetTextureVariation(5, 7);
    EXPECT_EQ(obj.GetTextureVariation(5), 7);
    obj.SetMeshVariation(0, 3);
    obj.SetMeshVariation(10, 3);
    EXPECT_EQ(obj.GetMeshVariation(10), -1);

    // Storage positions: slot 3 keeps its mesh number at position 4, its texture number at 3.
    obj.SetMeshVariation(3, 11);
    obj.SetTextureVariation(3, 12);
    EXPECT_EQ(obj.m_RequestedVariations[4], 11);
    EXPECT_EQ(obj.m_RequestedVariations[SceneObject::kSlots + 3], 12);
    EXPECT_EQ(obj.m_RequestedVariations[3], 0);  // mesh position 3 is never used

    EXPECT_EQ(obj.GetActiveMeshVariation(1), 0);
    obj.CommitMeshVariations();
    for (int32_t i = 0; i < SceneObject::kVariations; i++)
        EXPECT_EQ(obj.m_ActiveVariations[i], obj.m_RequestedVariations[i]) << i;
}

TEST(SceneObjectTest, ShaderNames)
{
    TestSceneObject obj;
    obj.SetShader("glow", true);
    obj.SetShader("plain", false);
    EXPECT_EQ(obj.m_OverrideShaderName, String("glow"));
    EXPECT_EQ(obj.m_ShaderName, String("plain"));
    EXPECT_EQ(obj.GetShader(), nullptr);  // no shader ever resolves without a device
}

TEST(SceneObjectTest, BoneChildrenFollowTheirBone)
{
    LevelTestCtrl ctrl;
    GridWorld world;
    world.SetGrid(20, 12, 64, 64);
    DXC_3dScene scene;
    scene.SetObjectName("guard.3sc");
    AddNode(scene, "Hand", Translation(10.0f, 20.0f, 30.0f));
    auto* obj = new TestSceneObject;
    auto* free = new TestSceneObject;
    auto* held = new TestSceneObject;
    for (TestSceneObject* e : {obj, free, held})
        world.AddObj(e, 0, false);
    obj->SetScene(&scene);
    obj->SetPos(100.0f, 50.0f);
    obj->SetHeight(5.0f);

    {
        LogCapture log;
        obj->AttachChildToBone(free, "hand", 0.0f, 0.0f, 0.0f);  // letter case counts
        EXPECT_EQ(log.Count("Bone 'hand' not found in mesh object guard.3sc"), 1);
        EXPECT_EQ(obj->m_BoneChildren.GetSize(), 0);
    }
    obj->AttachChildToBone(free, "Hand", 1.0f, 2.0f, 3.0f);
    obj->AttachChild(held);
    obj->AttachChildToBone(held, "Hand", 1.0f, 2.0f, 3.0f);

    // The bone point (11, 22, 33); the scene's y runs against the world's.
    obj->UpdateBoneChildren();
    EXPECT_FLOAT_EQ(free->GetPos().x, 111.0f);
    EXPECT_FLOAT_EQ(free->GetPos().y, 28.0f);
    EXPECT_FLOAT_EQ(free->GetHeight(), 38.0f);
    EXPECT_FLOAT_EQ(held->m_PosX, 11.0f);
    EXPECT_FLOAT_EQ(held->m_PosY, -22.0f);
    EXPECT_FLOAT_EQ(held->m_Height, 33.0f);
    EXPECT_FLOAT_EQ(held->GetPos().y, 28.0f);  // the same place through the parent

    // Turned by a quarter: (x, -y) turned by +90 degrees is (22, 11).
    obj->SetAngle(1.5707963f);
    obj->UpdateBoneChildren();
    EXPECT_NEAR(free->GetPos().x, 122.0f, 1e-3f);
    EXPECT_NEAR(free->GetPos().y, 61.0f, 1e-3f);
    EXPECT_NEAR(held->GetPos().x, 122.0f, 1e-3f);
    EXPECT_NEAR(held->GetPos().y, 61.0f, 1e-3f);

    // The points go back where they came from.
    const D3DXVECTOR3 local = obj->WorldToLocal(122.0f, 61.0f, 7.0f);
    EXPECT_NEAR(local.x, 11.0f, 1e-3f);
    EXPECT_NEAR(local.y, 22.0f, 1e-3f);
    EXPECT_EQ(local.z, 7.0f);

    // A child that is gone leaves the list.
    world.DelObj(free->m_ObjID, 0);
    obj->UpdateBoneChildren();
    EXPECT_EQ(obj->m_BoneChildren.GetSize(), 1);
}

TEST(SceneObjectTest, TiltTurnsPointsAboutTheModelCentre)
{
    TestSceneObject obj;
    obj.SetPos(10.0f, 0.0f);
    obj.m_ModelCentre = D3DXVECTOR3(0.0f, 0.0f, 5.0f);
    obj.m_TiltAxis = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
    obj.m_TiltAngle = 1.5707963f;
    const D3DXVECTOR3 w = obj.LocalToWorld(0.0f, 0.0f, 15.0f);  // 10 above the centre
    EXPECT_NEAR(w.x, 20.0f, 1e-3f);  // tipped over towards +x
    EXPECT_NEAR(w.y, 0.0f, 1e-3f);
    EXPECT_NEAR(w.z, 5.0f, 1e-3f);
    const D3DXVECTOR3 back = obj.WorldToLocal(w.x, w.y, w.z);
    EXPECT_NEAR(back.x, 0.0f, 1e-3f);
    EXPECT_NEAR(back.z, 15.0f, 1e-3f);
}

TEST(SceneObjectTest, PeriodicAndLimitedEmitters)
{
    LevelTestCtrl ctrl;
    TestSceneObject obj;
    EffectEmitterInfo& periodic = obj.AddEmitter();
    periodic.randomEmission = 0;
    periodic.rate = 2.0f;
    EffectEmitterInfo& limited = obj.AddEmitter();
    limited.randomEmission = 0;
    limited.rate = 0.0f;  // never fires
    limited.lifeTime = 1.0f;

    std::vector<double> fired;
    for (int32_t frame = 1; frame <= 6; frame++) {
        ctrl.gameTime = frame * 0.3;
        obj.Update(0.3f);
        if (obj.m_Emitters.GetAt(0)->emitting)
            fired.push_back(ctrl.gameTime);
        EXPECT_FALSE(obj.m_Emitters.GetAt(1)->emitting);
        if (frame == 3) {
            EXPECT_FALSE(obj.m_Emitters.GetAt(1)->lifeOver);
            EXPECT_NEAR(obj.m_Emitters.GetAt(1)->lifeTime, 0.1f, 1e-5f);
        }
    }
    // the frames that pass 0.5, 1.0 and 1.5 s: those ending at 0.6, 1.2 and 1.5 s
    ASSERT_EQ(fired.size(), 3u);
    EXPECT_NEAR(fired[0], 0.6, 1e-9);
    EXPECT_NEAR(fired[1], 1.2, 1e-9);
    EXPECT_NEAR(fired[2], 1.5, 1e-9);
    EXPECT_TRUE(obj.m_Emitters.GetAt(1)->lifeOver);
    EXPECT_EQ(obj.m_Emitters.GetAt(1)->lifeTime, 0.0f);

    obj.UpdateEmitterPositions();  // the expired one leaves
    EXPECT_EQ(obj.m_Emitters.GetSize(), 1);
}

TEST(SceneObjectTest, FadeWhileHidingThePlayer)
{
    TestSceneObject obj;
    obj.m_FadeTarget = 1;
    obj.Update(0.2f);
    EXPECT_EQ(obj.m_FadeValue, 0.0f);  // strength 0: no fading
    obj.m_FadeStrength = 0.5f;
    obj.Update(0.2f);
    EXPECT_NEAR(obj.m_FadeValue, 0.4f, 1e-6f);
    obj.Update(0.4f);
    EXPECT_EQ(obj.m_FadeValue, 1.0f);
    EXPECT_EQ(obj.GetOpacity(), 1.0f);  // the fade needs a scene
    DXC_3dScene scene;
    obj.SetScene(&scene);
    EXPECT_NEAR(obj.GetOpacity(), 0.5f, 1e-6f);
    obj.m_FadeTarget = 0;
    obj.Update(1.0f);
    EXPECT_EQ(obj.m_FadeValue, 0.0f);
}

TEST(SceneObjectTest, RadiusOfTheScene)
{
    DXC_3dScene scene;
    D3DXMATRIX turn, world;
    D3DXMatrixRotationZ(&turn, 1.5707963f);
    const D3DXMATRIX move = Translation(10.0f, 0.0f, 0.0f);
    D3DXMatrixMultiply(&world, &turn, &move);
    AddBoxMesh(scene, "body", D3DXVECTOR3(-1, -2, 0), D3DXVECTOR3(3, 4, 5), world);
    AddBoxMesh(scene, "hat", D3DXVECTOR3(-1, -1, 0), D3DXVECTOR3(1, 1, 1), Translation(0, 0, 9));

    TestSceneObject obj;
    obj.SetScene(&scene);
    obj.SetScale(-2.0f, 1.0f, 1.0f, false, false);
    obj.m_PosX = 5.0f;

    // Independently: a box corner (x, y) turned a quarter is (-y, x), moved by 10, scaled by
    // (-2, 1) and moved by the stored position.
    float expected = 0.0f;
    for (float x : {-1.0f, 3.0f})
        for (float y : {-2.0f, 4.0f}) {
            const float wx = (-y + 10.0f) * -2.0f + 5.0f;
            const float wy = x;
            expected = std::max(expected, std::hypot(wx, wy));
        }
    EXPECT_NEAR(obj.ComputeRadius(), expected, 1e-3f);  // the hat lies within
}

TEST(SceneObjectTest, BoneLimitAndPlacementBracket)
{
    DXC_3dScene scene;
    scene.SetObjectName("troll.3sc");
    DXC_Mesh& body = AddBoxMesh(scene, "body", D3DXVECTOR3(), D3DXVECTOR3(1, 1, 1), Translation(0, 0, 0));
    DXC_Mesh& arm = AddBoxMesh(scene, "arm", D3DXVECTOR3(), D3DXVECTOR3(1, 1, 1), Translation(0, 0, 0));
    for (int32_t i = 0; i < 27; i++)
        body.bones.Add();
    for (int32_t i = 0; i < 26; i++)
        arm.bones.Add();

    LogCapture log;
    TestSceneObject obj;
    obj.CheckBoneCount();  // no scene: nothing
    obj.SetScene(&scene);
    obj.CheckBoneCount();
    EXPECT_EQ(log.Count("Mesh 'body' has too many (27) bones (File: 'troll.3sc')"), 1);
    EXPECT_EQ(log.Count("too many"), 1);

    obj.SetScale(-2.0f, 1.0f, 3.0f, false, false);
    obj.SetPos(40.0f, 50.0f);
    obj.SetTransformation(7.0f, false);
    EXPECT_EQ(scene.position.x, 40.0f);
    EXPECT_EQ(scene.position.z, 7.0f);
    EXPECT_EQ(scene.scale.x, 2.0f);
    EXPECT_EQ(scene.extraScale.x, -1.0f);
    obj.SetTransformationCleanUp();
    EXPECT_EQ(scene.extraScale.x, 1.0f);  // the mirror taken out again
    EXPECT_EQ(log.Count("SetTransformation"), 0);
    obj.SetTransformationCleanUp();
    EXPECT_EQ(log.Count("invalid SetTransformationCleanUp"), 1);
    obj.SetTransformation(7.0f, false);
    obj.SetTransformation(7.0f, false);
    EXPECT_EQ(log.Count("multiple SetTransformation"), 1);
    EXPECT_FALSE(obj.IsOnScreen());  // no device, no frustum
}

TEST(SceneObjectTest, CopiesShareTheSceneNotTheBoneChildren)
{
    DXC_3dScene scene;
    AddNode(scene, "Hand", Translation(0, 0, 0));
    TestSceneObject obj;
    TestSceneObject child;
    obj.SetScene(&scene);
    obj.AddEmitter().rate = 3.0f;
    obj.AttachChildToBone(&child, "Hand", 0, 0, 0);
    obj.SetScale(2.0f, 2.0f, 2.0f, false, false);
    obj.m_Illumination.notIllumBy = "sun";

    TestSceneObject copy(obj);
    EXPECT_EQ(copy.GetScene(), &scene);
    EXPECT_EQ(copy.m_Scale[0], 2.0f);
    EXPECT_EQ(copy.m_Emitters.GetSize(), 1);
    EXPECT_EQ(copy.m_Emitters.GetAt(0)->rate, 3.0f);
    EXPECT_EQ(copy.m_BoneChildren.GetSize(), 0);
    EXPECT_EQ(copy.m_Illumination.notIllumBy, String("sun"));

    copy.Reset();
    EXPECT_EQ(copy.GetScene(), nullptr);
    EXPECT_EQ(copy.m_Emitters.GetSize(), 0);
    EXPECT_EQ(copy.m_Scale[0], 1.0f);
}

TEST(SceneObjectTest, MeshVariationsShowOnePartPerList)
{
    DXC_Gfx gfx;
    gfx.SetDedicatedMode(1);
    g_Gfx = &gfx;
    DXC_3dScene scene;
    scene.SetObjectName("guard.3sc");
    SceneMeshSet set;
    set.lastIndex = 1;
    DXC_Mesh* parts[4];
    for (int32_t i = 0; i < 4; i++) {
        parts[i] = &AddBoxMesh(scene, "part", D3DXVECTOR3(), D3DXVECTOR3(1, 1, 1), Translation(0, 0, 0));
        parts[i]->AllocMaterials(2);
    }
    set.parts[0] = {parts[0], parts[1]};  // slot 1
    set.parts[1] = {parts[2], parts[3]};  // slot 2
    set.textures[1].push_back(std::make_unique<SceneTextureEntry>());
    set.textures[1][0]->diffuse = "missing_legs.dds";
    set.textures[1][0]->maps[2] = "missing_bump.dds";

    LogCapture log;
    TestSceneObject obj;
    obj.SetScene(&scene);
    obj.m_MeshSet = &set;
    obj.SetMeshVariation(1, 1);
    obj.SetMeshVariation(2, 0);
    obj.SetTextureVariation(1, 5);  // beyond the slot's entries: the part keeps its texture
    obj.CommitMeshVariations();
    obj.ApplyMeshVariations();
    EXPECT_EQ(parts[0]->meshActive, 0u);
    EXPECT_EQ(parts[1]->meshActive, 1u);
    EXPECT_EQ(parts[2]->meshActive, 1u);
    EXPECT_EQ(parts[3]->meshActive, 0u);
    EXPECT_FALSE(parts[1]->textures[0].IsValid());
    EXPECT_TRUE(parts[2]->textures[0].IsValid());  // the grey stand-in
    EXPECT_EQ(log.Count("Exchangeable diffuse texture 'missing_legs.dds' not found (scene:guard.3sc)"), 1);
    EXPECT_EQ(log.Count("Exchangeable texture 'missing_bump.dds' not found (scene:guard.3sc)"), 1);

    obj.ApplyMeshVariations();  // the entry has its texture now: no second lookup
    EXPECT_EQ(log.Count("not found"), 2);
    g_Gfx = nullptr;
}
