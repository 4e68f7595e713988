// Tests of RTXLoader: a hand-written creature export read whole, files cut short or without the
// header, the grammar's errors and the scene information record.
#include "engine/scene/RTXLoader.h"

#include "engine/scene/DXC_AniCycle.h"
#include "engine/scene/RTXLoaderFixture.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

namespace {

const std::string& kFixtures = kRtxFixtures;

class RTXLoaderTest : public RTXLoaderFixture {};

}  // namespace

TEST_F(RTXLoaderTest, CreatureExportFillsTheScene)
{
    LogCapture log;
    const std::string file = kFixtures + "creature.rtx";
    EXPECT_EQ(loader.LoadSceneFile(&scene, file.c_str(), -1), 1);
    EXPECT_STREQ(scene.GetObjectName(), file.c_str());
    EXPECT_EQ(loader.GetVersionMajor(), 2);
    EXPECT_EQ(loader.GetVersionMinor(), 11);

    DXC_SceneInfo info;
    loader.GetSceneInfo(info);
    EXPECT_STREQ(info.soundFile.c_str(), "sound\\creature.ogg");
    EXPECT_STREQ(info.scriptFile.c_str(), "scripts\\creature.scr");
    EXPECT_EQ(info.frameSpeed, 30.0f);
    EXPECT_EQ(info.firstFrame, 0.0f);
    EXPECT_EQ(info.lastFrame, 60.0f);
    EXPECT_STREQ(loader.GetEnvironmentMap().c_str(), "env.tga");
    EXPECT_EQ(scene.ambientColor, 0xFF1A1A1Au);

    // Groups read as the top level; the unknown block and everything in it is passed over; a
    // node without a mesh block is a helper object in its place.
    ASSERT_EQ(scene.GetObjectCount(), 4);
    EXPECT_EQ(Helper(scene, "Root")->kind, OBJ_KIND_HELPER);
    EXPECT_EQ(Helper(scene, "Bone01")->kind, OBJ_KIND_BONE);
    EXPECT_EQ(Helper(scene, "Bone02")->kind, OBJ_KIND_BONE);
    DXC_3dObject* body = Helper(scene, "Body");
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body->kind, OBJ_KIND_HELPER);
    EXPECT_STREQ(body->parentName.c_str(), "Root");
    EXPECT_EQ(body->position, D3DXVECTOR3(0, 0, 5));
    EXPECT_EQ(Helper(scene, "Ghost"), nullptr);
    EXPECT_EQ(Helper(scene, "NotMe"), nullptr);
    EXPECT_EQ(scene.GetMeshCount(), 2);

    // Times: tick 4800 at 30 frames per second and 160 ticks per frame is 1 second.
    DXC_3dObject* root = Helper(scene, "Root");
    ASSERT_EQ(root->numPosKey, 2);
    EXPECT_EQ(root->posKeys->time, 0.0f);
    EXPECT_FLOAT_EQ(root->posKeys->next->time, 1.0f);
    EXPECT_EQ(root->posKeys->next->data.value, D3DXVECTOR3(0, 30, 10));
    EXPECT_EQ(root->aniRange, 2.0f);

    // Bone01: mirrored on X; the key earlier than the one before it is dropped; a sample turn of
    // 3 pi / 2 turns back by pi / 2 about the negated axis.
    DXC_3dObject* bone = Helper(scene, "Bone01");
    EXPECT_STREQ(bone->parentName.c_str(), "Root");
    EXPECT_EQ(bone->extraScale, D3DXVECTOR3(-1, 1, 1));
    EXPECT_EQ(bone->rotationAxis, D3DXVECTOR3(-0.0f, -0.0f, -1.0f));
    ASSERT_EQ(bone->numRotKey, 3);
    EXPECT_FLOAT_EQ(bone->rotKeys->next->time, 0.5f);
    EXPECT_NEAR(bone->LastRotKey()->data.angle, -1.5708f, 1e-4f);
    EXPECT_NEAR(bone->rotKeys->next->data.quaternion.z, -std::sin(1.5708f / 2), 1e-5f);
    EXPECT_NEAR(std::fabs(bone->LastRotKey()->data.quaternion.w), 1.0f, 1e-5f);
    EXPECT_EQ(log.Count("Skipped wrong order rotation key in file: "), 1);

    // Bone02: visibility clamped, and its step key held by an extra key.
    DXC_3dObject* bone2 = Helper(scene, "Bone02");
    EXPECT_EQ(bone2->opacity, 1.0f);
    EXPECT_EQ(bone2->inheritOpacity, 1);
    ASSERT_EQ(bone2->opacityCurve.GetNumKeys(), 3);
    EXPECT_FLOAT_EQ(bone2->opacityCurve.GetKey(1).time, 0.5f);
    EXPECT_EQ(bone2->opacityCurve.GetKey(1).value, 1.0f);
    EXPECT_EQ(bone2->opacityCurve.GetKey(2).value, 0.0f);

    // The skinned hand and its clone.
    DXC_Mesh* hand = Mesh(scene, "Hand");
    ASSERT_NE(hand, nullptr);
    EXPECT_EQ(hand->meshActive, 0u);
    EXPECT_EQ(hand->offsetMatrix.m[3][2], 1.0f);
    EXPECT_EQ(hand->boxMax, D3DXVECTOR3(1, 1, 0));
    ASSERT_EQ(hand->bones.GetSize(), 2);
    const DXC_BoneInfo& b1 = *hand->bones.GetAt(0);
    EXPECT_STREQ(b1.boneName.c_str(), "Bone01");
    EXPECT_EQ(b1.offsetMatrix.m[3][0], 1.0f);  // mesh init x bone init
    EXPECT_EQ(b1.offsetMatrix.m[3][2], 2.0f);
    EXPECT_TRUE(loader.SkinnedMeshRead());
    EXPECT_EQ(log.Count("Invalid weight index: 9"), 1);
    EXPECT_STREQ(Mesh(scene, "HandCopy")->cloneSourceName.c_str(), "Hand");

    // The work tables of the hand.
    const RTX_MeshWork& work = loader.GetMeshWork();
    ASSERT_EQ(work.faceCount, 2);
    EXPECT_EQ(work.faces[0].groupCount, 2);
    EXPECT_EQ(work.faces[0].groups[1], 3);
    EXPECT_EQ(work.faces[0].materialId, 1);
    EXPECT_EQ(work.faces[1].groupCount, 0);  // "*MESH_SMOOTHING" followed by the next keyword
    EXPECT_EQ(work.faces[1].vertices[2], 3);
    EXPECT_EQ(work.channels[0].vertices[0].y, 0.75f);
    EXPECT_EQ(work.channels[1].channel, 3);
    EXPECT_EQ(work.channels[1].faces[5], 0);
    EXPECT_EQ(work.channelSlot, 2);
    EXPECT_EQ(work.vertices[0].weightCount, 1);
    EXPECT_EQ(work.vertices[1].weightCount, 1);  // 0.05 is below the minimum weight
    EXPECT_EQ(work.vertices[1].bones[0], 1);
    EXPECT_EQ(work.maxWeights, 1);

    // Camera, lights and fog.
    ASSERT_EQ(scene.GetCameraCount(), 1);
    EXPECT_EQ(scene.activeCamera, 0);
    const DXC_Camera& cam = *scene.cameras.GetAt(0);
    EXPECT_FLOAT_EQ(cam.fieldOfView, 0.9f);
    EXPECT_STREQ(cam.targetName.c_str(), "Root");
    ASSERT_EQ(scene.GetLightCount(), 2);
    const DXC_Light& lamp = *scene.lights.GetAt(0);
    const LightParams& p = lamp.lightParams;
    EXPECT_EQ(p.Type, 2u);
    EXPECT_EQ(lamp.lightWordB, 0u);
    EXPECT_EQ(p.Diffuse.r, 2.0f);
    EXPECT_EQ(p.Specular.b, 0.5f);
    EXPECT_EQ(p.Ambient.r, 0.0f);
    EXPECT_FLOAT_EQ(p.Theta, 30.0f * 0.017453292f);
    EXPECT_EQ(p.Range, 100.0f);
    EXPECT_FLOAT_EQ(p.Attenuation2, 0.65f / (100.0f * 100.0f * 0.35f));
    EXPECT_EQ(p.Attenuation0, 1.0f);
    EXPECT_EQ(scene.lights.GetAt(1)->lightParams.Type, 1u);
    EXPECT_EQ(log.Count("Unknown light type 'Sunlight' changed to omni"), 1);
    EXPECT_EQ(log.Count("Light aspect other than 1"), 0);

    const SceneParams& params = scene.GetRenderOptions();
    EXPECT_EQ(params.GetInt(0), 0);
    EXPECT_EQ(params.GetInt(5), 1);
    EXPECT_EQ(params.GetInt(11), 1);
    EXPECT_EQ(params.GetFloat(15), 0.008f);
    EXPECT_EQ(scene.backgroundColor, 0xFFFFFFFFu);  // the fog colour
    EXPECT_EQ(log.Count("unexpected end of file"), 0);
}

TEST_F(RTXLoaderTest, MaterialsWithMapsAnimationAndShaderParameters)
{
    const std::string file = kFixtures + "creature.rtx";
    loader.LoadSceneFile(&scene, file.c_str(), 0);
    ASSERT_EQ(loader.GetMaterials().size(), 1u);
    const RTX_MaterialInfo& m = loader.GetMaterials()[0];
    EXPECT_STREQ(m.shaderParams.shader.c_str(), "skin.fx");
    EXPECT_EQ(m.shaderParams.floatSet[1], 1);
    EXPECT_EQ(m.shaderParams.floats[1], 0.75f);
    EXPECT_EQ(m.shaderParams.floatSet[0], 0);
    EXPECT_EQ(m.shaderParams.vectors[0], D3DXVECTOR4(1, 2, 3, 0));
    EXPECT_EQ(m.colors[RTX_DIFFUSE].g, 0.6f);
    EXPECT_EQ(m.colors[RTX_DIFFUSE].a, 1.0f);
    EXPECT_EQ(m.blendKind, 1);
    EXPECT_EQ(m.twoSided, 1);
    EXPECT_EQ(m.subMaterialCount, 2);
    ASSERT_EQ(m.subMaterials.size(), 2u);

    // On the dedicated server only diffuse maps are supported: the bump map is passed over.
    const RTX_MaterialInfo& a = m.subMaterials[0];
    ASSERT_EQ(a.maps.size(), 1u);
    const RTX_MapInfo& map = a.maps[0];
    EXPECT_STREQ(map.bitmap.c_str(), "skin_a.tga");
    EXPECT_EQ(map.channel, 2);
    EXPECT_EQ(map.uTiling, 2.0f);
    EXPECT_EQ(map.mirrorU, 1);
    EXPECT_EQ(map.endCondition, 1);
    ASSERT_EQ(map.placement[RTX_OFFSET_U].size(), 2u);
    EXPECT_EQ(map.placement[RTX_OFFSET_U][1].time, 4800.0f);  // converted when applied to a mesh

    // Opacity keys hold 1 - the value; colour and opacity times are seconds after the list.
    const RTX_MaterialInfo& b = m.subMaterials[1];
    ASSERT_EQ(b.opacityTrack.size(), 2u);
    EXPECT_EQ(b.opacityTrack[1].value, 0.75f);
    EXPECT_FLOAT_EQ(b.opacityTrack[1].time, 0.5f);
    ASSERT_EQ(b.colorTracks[RTX_DIFFUSE].size(), 2u);
    EXPECT_EQ(b.colorTrackLinear[RTX_DIFFUSE], 1);
    EXPECT_FLOAT_EQ(b.colorTracks[RTX_DIFFUSE][1].time, 1.0f);
}

TEST_F(RTXLoaderTest, FileCutShortStillGivesAScene)
{
    LogCapture log;
    const auto bytes = TempDir::ReadAll(kFixtures + "creature.rtx");
    std::string text(bytes.begin(), bytes.end());
    text.resize(text.find("*BOUNDINGBOX_MIN"));  // inside the hand's mesh block
    LoadText(text);
    EXPECT_EQ(log.Count(("Encountered unexpected end of file at pos " + std::to_string(text.size())).c_str()), 1);
    EXPECT_EQ(scene.GetObjectCount(), 4);
    EXPECT_NE(Mesh(scene, "Hand"), nullptr);
    EXPECT_FLOAT_EQ(Helper(scene, "Root")->posKeys->next->time, 1.0f);  // finished as usual
}

TEST_F(RTXLoaderTest, FileWithoutHeaderIsVersionOne)
{
    LoadText("*GEOMOBJECT { *NODE_NAME \"Box\" *PIVOT_TM { *TM_ROW3 1 2 3 } }");
    EXPECT_EQ(loader.GetVersionMajor(), 1);
    EXPECT_EQ(loader.GetVersionMinor(), 0);
    // Version 1 files drop the pivot of nodes that are no clones.
    ASSERT_NE(Helper(scene, "Box"), nullptr);
    EXPECT_TRUE(D3DXMatrixIsIdentity(&Helper(scene, "Box")->offsetMatrix));
    DXC_SceneInfo info;
    loader.GetSceneInfo(info);
    EXPECT_EQ(info.frameSpeed, 30.0f);
    EXPECT_EQ(info.lastFrame, 100.0f);

    // A new load replaces the scene's objects.
    LoadText("*3DSMAX_RTXEXPORT 200 *HELPEROBJECT { *NODE_NAME \"A\" }");
    EXPECT_EQ(scene.GetObjectCount(), 1);
    EXPECT_EQ(loader.GetVersionMajor(), 2);
}

TEST_F(RTXLoaderTest, SceneInformationIsCopiedInAndOut)
{
    DXC_SceneInfo given;
    given.soundFile = "a.ogg";
    given.scriptFile = "b.scr";
    given.frameSpeed = 25.0f;
    given.firstFrame = 5.0f;
    given.lastFrame = 50.0f;
    loader.SetSceneInfo(given);
    DXC_SceneInfo taken;
    loader.GetSceneInfo(taken);
    EXPECT_STREQ(taken.soundFile.c_str(), "a.ogg");
    EXPECT_STREQ(taken.scriptFile.c_str(), "b.scr");
    EXPECT_EQ(taken.frameSpeed, 25.0f);
    EXPECT_EQ(taken.firstFrame, 5.0f);
    EXPECT_EQ(taken.lastFrame, 50.0f);

    // A load starts the record afresh.
    LoadText("*SCENE { *SCENE_FRAMESPEED 0 *SCENE_LASTFRAME 10 } *HELPEROBJECT { *TM_ANIMATION { "
             "*CONTROL_POS_BEZIER { *CONTROL_POS_SAMPLE 160 1 2 3 } } }");
    loader.GetSceneInfo(taken);
    EXPECT_TRUE(taken.soundFile.IsEmpty());
    EXPECT_EQ(taken.frameSpeed, 0.0f);
    EXPECT_EQ(scene.objects.GetAt(0)->posKeys->time, 0.0f);  // no clock: every time is 0
}

TEST_F(RTXLoaderTest, GrammarErrorsEndTheLoad)
{
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"*MATERIAL_LIST { *MATERIAL 1 { } }", "Material in wrong order!"},
        {"*MATERIAL_LIST { *MATERIAL 0 { *SUBMATERIAL 0 { } *SUBMATERIAL 0 { } } }", "Submaterial in wrong order!"},
        {"*GEOMOBJECT { *MESH { *MESH_NUMVERTEX 2 *MESH_VERTEX_LIST { *MESH_VERTEX 1 0 0 0 } } }",
         "Wrong vertex list order!"},
        {"*GEOMOBJECT { *MESH { *MESH_NUMVERTEX 1 *MESH_VERTEX_LIST { *MESH_VERTEX 0 0 0 0 *MESH_VERTEX 1 0 0 0 } } }",
         "Too many vertices"},
        {"*GEOMOBJECT { *MESH { *MESH_NUMVERTEX 3 *MESH_NUMFACES 2 *MESH_FACE_LIST { *MESH_FACE 1: A: 0 B: 1 C: 2 } } }",
         "Wrong face list order!"},
        {"*GEOMOBJECT { *MESH { *MESH_NUMVERTEX 3 *MESH_FACE_LIST { *MESH_FACE 0: A: 0 B: 1 C: 2 } } }", "Too many faces"},
        {"*GEOMOBJECT { *MESH { *MESH_TVERTLIST { *MESH_TVERT 0 0 0 0 } } }", "Too many t-vertices"},
        {"*GEOMOBJECT { *MESH { *MESH_NUMTVERTEX 1 *MESH_TVERTLIST { *MESH_TVERT 1 0 0 0 } } }",
         "Wrong vertex list order!"},
        {"*GEOMOBJECT { *MESH { *MESH_TFACELIST { *MESH_TFACE 0 0 0 0 } } }", "Too many t-faces"},
        {"*GEOMOBJECT { *MESH { *MESH_NUMTVFACES 2 *MESH_TFACELIST { *MESH_TFACE 1 0 0 0 } } }", "Wrong face list order!"},
        {"*GEOMOBJECT { *NODE_NAME \"Box\" *MESH { *MESH_NUMVERTEX 3 *MESH_NUMFACES 1 *MESH_FACE_LIST { "
         "*MESH_FACE 0: A: 0 B: 1 C: 3 } } }",
         "Invalid vertex index 3 in face 0 of mesh 'Box'"},
        {"*GEOMOBJECT { *NODE_NAME \"Box\" *MESH { *MESH_NUMTVERTEX 1 *MESH_NUMTVFACES 1 *MESH_TFACELIST { "
         "*MESH_TFACE 0 0 -1 0 } } }",
         "Invalid texture vertex index -1 in face 0 of mesh 'Box'"},
        {"*GEOMOBJECT { *MESH { *MESH_NUMVERTEX -1 } }", "Invalid vertex count -1"},
        {"*GEOMOBJECT { *MESH { *MESH_NUMFACES 2147483647 } }", "Invalid face count 2147483647"},
        {"*GEOMOBJECT { *MESH { *MESH_NUMTVERTEX 1000 } }", "Invalid t-vertex count 1000"},
    };
    for (const Case& c : cases) {
        const std::string error = ErrorOf([&] { LoadText(c.text); });
        EXPECT_NE(error.find(c.message), std::string::npos) << c.text << " -> " << error;
        EXPECT_NE(error.find("model.rtx: "), std::string::npos) << error;
    }
    const std::string missing = ErrorOf([&] { loader.LoadSceneFile(&scene, dir("none.rtx").c_str(), 0); });
    EXPECT_NE(missing.find("Can not open file"), std::string::npos);
}

TEST_F(RTXLoaderTest, SkinWeights)
{
    LogCapture log;
    std::string weights;
    const float w[6] = {0.5f, 0.3f, 0.3f, 0.2f, 0.9f, 0.4f};
    for (int i = 0; i < 6; i++)
        weights += "*BONE_WEIGHT { *BONE_NAME \"B" + std::to_string(i) + "\" *INDEX_WEIGHT 0 " + std::to_string(w[i]) +
                   " *INDEX_WEIGHT 1 " + std::to_string(w[i]) + " }";
    LoadText("*GEOMOBJECT { *NODE_NAME \"Skin\" *MESH { *MESH_NUMVERTEX 2 *MESH_WEIGHTS { " + weights +
             " *BONE_WEIGHT { *BONE_NAME \"B1\" *INDEX_WEIGHT 1 0.35 } } } }");
    const RTX_VertexWork& v = loader.GetMeshWork().vertices[0];
    // The fifth (0.9) replaces the smallest (0.2, slot 3); the sixth (0.4) one of the two 0.3 of
    // slots 1 and 2: slot 2 does not win a tie, so slot 1.
    EXPECT_EQ(v.weightCount, 4);
    const float expected[4] = {0.5f, 0.4f, 0.3f, 0.9f};
    const uint8_t bones[4] = {0, 5, 2, 4};
    for (int i = 0; i < 4; i++) {
        EXPECT_FLOAT_EQ(v.weights[i], expected[i]) << i;
        EXPECT_EQ(v.bones[i], bones[i]) << i;
    }
    EXPECT_GE(log.Count("More than 4 bones in vertex of object 'Skin'"), 1);  // repeats are folded
    // A bone named again is found, not added; it replaces the smallest weight, 0.3 in slot 2.
    EXPECT_EQ(loader.GetMeshWork().vertices[1].bones[2], 1);
    EXPECT_EQ(loader.GetMeshWork().maxWeights, 4);
}

TEST_F(RTXLoaderTest, HeaderModeBuildsACycleFromTheKeyTracks)
{
    const std::string file = kFixtures + "creature.rtx";
    DXC_AniCycle cycle;
    EXPECT_EQ(loader.LoadScene(&cycle, file.c_str(), -1.0f, -1.0f), 1);
    // The file's own range, 0 to 60 frames at 30 per second. Nodes with a mesh block stay meshes
    // without geometry, so that a scene's meshes find their tracks by name.
    EXPECT_EQ(cycle.startTime, 0.0f);
    EXPECT_FLOAT_EQ(cycle.endTime, 2.0f);
    ASSERT_EQ(cycle.objectTrackCount, 4);
    ASSERT_EQ(cycle.meshTrackCount, 2);
    const DXC_3dObject& root = cycle.objectTracks[0];
    EXPECT_STREQ(root.GetObjectName(), "Root");
    ASSERT_EQ(root.numPosKey, 2);
    EXPECT_FLOAT_EQ(root.posKeys->next->time, 1.0f);
    EXPECT_STREQ(cycle.meshTracks[1].GetObjectName(), "Hand");
    EXPECT_EQ(cycle.meshTracks[1].materialCount, 0);
    DXC_SceneInfo info;
    loader.GetSceneInfo(info);
    EXPECT_EQ(info.lastFrame, 60.0f);

    // A range of frames: 15 to 45 is 0.5 to 1.5 seconds; the root's key at 1 second moves to 0.5.
    DXC_AniCycle part;
    loader.LoadScene(&part, file.c_str(), 15.0f, 45.0f);
    EXPECT_FLOAT_EQ(part.endTime, 1.0f);
    const DXC_3dObject& partRoot = part.objectTracks[0];
    ASSERT_GE(partRoot.numPosKey, 1);
    EXPECT_FLOAT_EQ(DXC_PosKey::Last(partRoot.posKeys)->time, 0.5f);
}

// The five placement tracks give their memory back; an empty map is passed over.
TEST(RTXMapInfo, FreeArraysEmptiesThePlacementTracks)
{
    RTX_MapInfo map;
    for (int32_t t = 0; t < RTX_PLACEMENT_TRACKS; t++)
        map.placement[t].resize(size_t(t + 1));
    map.FreeArrays();
    for (const std::vector<RTX_FloatKey>& track : map.placement) {
        EXPECT_TRUE(track.empty());
        EXPECT_EQ(track.capacity(), 0u);
    }
    map.FreeArrays();
}
