// DXC_3dSceneCyclesTest: the road of one creature animation on the pair fixture: cycles read from
// the model's files, bound to a loaded scene by name (missing nodes, hierarchy mismatches and
// their warnings), and the scene posed from one cycle or two blended, with the blending errors.
#include "engine/scene/DXC_3dScene.h"

#include "engine/gfx/DXC_Gfx.h"
#include "engine/gfx/DXC_Material.h"
#include "engine/scene/DXC_AniCycle.h"
#include "support/ErrorOf.h"
#include "support/LoadStateScope.h"
#include "support/LogCapture.h"
#include "support/FixtureRoot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

const std::string kPair = std::string(SERVER_FIXTURES) + "/scene/pair/";
const std::string kBinary = kPair + "creature.3sc";
const std::string kText = kPair + "creature.rtx";

void ExpectNear(const D3DXVECTOR3& a, const D3DXVECTOR3& b, const std::string& what)
{
    EXPECT_NEAR(a.x, b.x, 1e-4f) << what;
    EXPECT_NEAR(a.y, b.y, 1e-4f) << what;
    EXPECT_NEAR(a.z, b.z, 1e-4f) << what;
}

void ExpectPose(const DXC_3dObject& node, const DXC_3dObject& track)
{
    const std::string what = node.objectName.c_str();
    ExpectNear(node.aniPosition, track.aniPosition, what + " position");
    ExpectNear(node.aniScale, track.aniScale, what + " scale");
    EXPECT_NEAR(std::fabs(D3DXQuaternionDot(&node.aniRotation, &track.aniRotation)), 1.0f, 1e-5f) << what;
}

class SceneCycles : public testing::Test {
protected:
    LoadStateScope scope;
    DXC_Gfx gfx;
    DXC_3dScene scene;
    DXC_AniCycle walk;  // the whole file, bound to the scene, at 0.25 seconds
    DXC_AniCycle late;  // frames 15 to 60, bound, at 1 second (second 1.5 of the file)

    void SetUp() override
    {
        gfx.SetDedicatedMode(1);
        gfx.LoadScene(&scene, kBinary.c_str(), 0x20);
        gfx.ReadSceneFileHeader(&walk, kBinary.c_str(), -1, -1);
        gfx.ReadSceneFileHeader(&late, kText.c_str(), 15, 60);
        scene.BindAniCycle(walk, 0);
        scene.BindAniCycle(late, 0);
        walk.SetAniTime(0.25);
        late.SetAniTime(1.0);
    }

    DXC_3dObject& Node(const char* name) { return *scene.FindObjectByName(name, 1); }
    const DXC_3dObject& Track(const DXC_AniCycle& cycle, const char* name) { return *cycle.FindTrack(name, true); }
    std::string Prefix() const { return std::string(scene.GetObjectName()) + ": "; }
};

}  // namespace

TEST_F(SceneCycles, BindingPairsEveryNodeWithItsTrackByName)
{
    ASSERT_EQ(walk.objectMapCount, 4);
    ASSERT_EQ(walk.meshMapCount, 2);
    for (int32_t i = 0; i < scene.GetObjectCount(); i++) {
        EXPECT_EQ(walk.objectMap[i].sceneSlot, scene.objects.GetUsedSlot(i));
        ASSERT_GE(walk.objectMap[i].track, 0);
        EXPECT_EQ(walk.objectTracks[walk.objectMap[i].track].objectName, scene.objects.GetAt(i)->objectName);
    }
    EXPECT_EQ(walk.meshTracks[walk.meshMap[1].track].objectName, scene.GetMesh(1)->objectName);
    // The text export's cycle comes unlinked; binding links its tracks' parents within it.
    EXPECT_EQ(late.FindTrack("Weapon", true)->parent, late.FindTrack("Bone02", true));
    EXPECT_EQ(late.FindTrack("BodyCopy", true)->parent, late.FindTrack("Bone02", true));
}

TEST_F(SceneCycles, MissingAndMismatchingNodesWarnOnlyWhenAsked)
{
    // A dummy and a mesh the cycle has no track for; a dummy whose parent differs from the track's
    // only in letter case; a dummy named as a track but in other letters.
    DXC_3dObject& extra = *scene.objects.GetBySlot(scene.objects.Add());
    extra.SetObjectName("Extra");
    extra.aniPosition = D3DXVECTOR3(7, 8, 9);
    scene.meshes.GetBySlot(scene.meshes.Add())->SetObjectName("Cape");
    Node("Weapon").parentName = "bone02";
    Node("Bone01").SetObjectName("BONE01");
    Node("Bone02").parentName = "BONE01";  // still the parent, by the scene's name of it

    const std::string sceneName = scene.GetObjectName(), cycleName = walk.GetCycleName();
    auto notFound = [&](const char* kind, const char* name) {
        return std::string("Scene ") + kind + " object '" + name + "' in scene '" + sceneName +
               "' not found in anicycle '" + cycleName + "'";
    };
    auto mismatching = [&](const char* name) {
        return std::string("Mismatching object hierarchy (helper object '") + name + "' in scene '" + sceneName +
               "') in anicycle '" + cycleName + "'";
    };
    const std::string missingHelper = notFound("helper", "Extra"), renamedHelper = notFound("helper", "BONE01");
    const std::string mismatch = mismatching("Weapon"), childOfRenamed = mismatching("Bone02");
    const std::string missingMesh = notFound("mesh", "Cape");
    struct Case {
        int32_t flags;
        bool helpers, meshes;
    } cases[] = {{0, false, false}, {1, true, false}, {2, false, true}, {3, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        LogCapture log;
        EXPECT_EQ(scene.BindAniCycle(walk, c.flags), 1);
        EXPECT_EQ(log.Count(missingHelper.c_str()), c.helpers ? 1 : 0);
        EXPECT_EQ(log.Count(renamedHelper.c_str()), c.helpers ? 1 : 0);
        EXPECT_EQ(log.Count(mismatch.c_str()), c.helpers ? 1 : 0);
        EXPECT_EQ(log.Count(childOfRenamed.c_str()), c.helpers ? 1 : 0);
        EXPECT_EQ(log.Count(missingMesh.c_str()), c.meshes ? 1 : 0);
        EXPECT_EQ(log.Count("Warning"), (c.helpers ? 4 : 0) + (c.meshes ? 1 : 0));
    }
    ASSERT_EQ(walk.objectMapCount, 5);
    EXPECT_EQ(walk.objectMap[4].track, -1);
    EXPECT_EQ(walk.objectMap[0].track, 0);
    EXPECT_EQ(walk.objectMap[1].track, -1);  // "BONE01" is not "Bone01"
    EXPECT_EQ(walk.meshMap[2].track, -1);

    // Posing skips what has no track: the extra dummy and the renamed bone keep their pose.
    Node("BONE01").aniPosition = D3DXVECTOR3(-1, -2, -3);
    scene.BlendAniCycles(walk, nullptr, 0.0f);
    ExpectNear(extra.aniPosition, D3DXVECTOR3(7, 8, 9), "the extra dummy");
    ExpectNear(Node("BONE01").aniPosition, D3DXVECTOR3(-1, -2, -3), "the renamed bone");
    ExpectPose(Node("Weapon"), Track(walk, "Weapon"));
}

TEST_F(SceneCycles, BlendWeights)
{
    const char* names[] = {"Root", "Bone01", "Bone02", "Weapon", "Body", "BodyCopy"};
    // Weight 0 (or no second cycle) poses from the first, 1 from the second, and a cycle blended
    // with itself at one half gives itself.
    struct Case {
        const DXC_AniCycle* a;
        const DXC_AniCycle* b;
        float w;
        const DXC_AniCycle* expected;
    } cases[] = {{&walk, nullptr, 0.7f, &walk},
                 {&walk, &late, 0.0f, &walk},
                 {&walk, &late, 1.0f, &late},
                 {&walk, &walk, 0.5f, &walk},
                 {&late, &late, 0.5f, &late}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w));
        EXPECT_EQ(scene.BlendAniCycles(*c.a, c.b, c.w), 1);
        for (const char* name : names)
            ExpectPose(Node(name), Track(*c.expected, name));
        // The matrices follow from the hierarchy, as the cycle's own tracks have them.
        ExpectNear(Node("Weapon").GetMatrixPosition(), Track(*c.expected, "Weapon").GetMatrixPosition(),
                   "weapon's place");
    }

    // Half way: positions and scales mixed, rotations slerped.
    scene.BlendAniCycles(walk, &late, 0.5f);
    const DXC_3dObject &a = Track(walk, "Root"), &b = Track(late, "Root");
    ExpectNear(Node("Root").aniPosition, (a.aniPosition + b.aniPosition) * 0.5f, "root half way");
    D3DXQUATERNION half;
    D3DXQuaternionSlerp(&half, &Track(walk, "Bone01").aniRotation, &Track(late, "Bone01").aniRotation, 0.5f);
    EXPECT_NEAR(std::fabs(D3DXQuaternionDot(&Node("Bone01").aniRotation, &half)), 1.0f, 1e-5f);
    ExpectNear(Node("Bone02").aniScale, (Track(walk, "Bone02").aniScale + Track(late, "Bone02").aniScale) * 0.5f,
               "bone's scale half way");
}

TEST_F(SceneCycles, MeshesTakeTheMaterialStateOfTheNearerCycle)
{
    // One material each: the scene's mesh, walk's track (transparency 0.25) and late's (0.75).
    DXC_Mesh& body = *scene.FindMesh("Body", false);
    body.AllocMaterials(1);
    for (auto [cycle, value] : {std::pair{&walk, 0.25f}, std::pair{&late, 0.75f}}) {
        auto& track = cycle->meshTracks[cycle->meshMap[0].track];  // Body's
        track.AllocMaterials(1);
        track.materials[0].transparency = value;
    }
    struct Case {
        const DXC_AniCycle* b;
        float w;
        uint32_t frozen;
        float expected;
    } cases[] = {{nullptr, 0.9f, 0, 0.25f}, {&late, 0.25f, 0, 0.25f}, {&late, 0.5f, 0, 0.75f}, {&late, 0.75f, 1, 0.5f}};
    for (const Case& c : cases) {
        body.materials[0].transparency = 0.5f;
        body.aniFrozen = c.frozen;
        scene.BlendAniCycles(walk, c.b, c.w);
        EXPECT_FLOAT_EQ(body.materials[0].transparency, c.expected) << c.w;
    }
}

TEST_F(SceneCycles, BlendingErrorsAndWhatTheyLeave)
{
    // Cycles bound to scenes that differ from this one: one more dummy, one more mesh, the same
    // number of dummies in other slots.
    DXC_3dScene bigger, moreMeshes, moved;
    DXC_AniCycle forBigger, forMoreMeshes, forMoved;
    gfx.LoadScene(&bigger, kBinary.c_str(), 0x20);
    bigger.objects.GetBySlot(bigger.objects.Add())->SetObjectName("Extra");
    gfx.LoadScene(&moreMeshes, kBinary.c_str(), 0x20);
    moreMeshes.meshes.GetBySlot(moreMeshes.meshes.Add())->SetObjectName("Cape");
    gfx.LoadScene(&moved, kBinary.c_str(), 0x20);
    moved.objects.GetBySlot(moved.objects.Add())->SetObjectName("Extra");
    moved.objects.Delete(moved.objects.GetUsedSlot(0));
    for (auto [target, cycle] : {std::pair{&bigger, &forBigger}, std::pair{&moreMeshes, &forMoreMeshes},
                                 std::pair{&moved, &forMoved}}) {
        gfx.ReadSceneFileHeader(cycle, kBinary.c_str(), -1, -1);
        target->BindAniCycle(*cycle, 0);
    }
    const std::string names = "'" + std::string(walk.GetCycleName()) + "' and '" + walk.GetCycleName() + "'";
    EXPECT_EQ(DxcErrorOf([&] { scene.BlendAniCycles(walk, &forBigger, 0.5f); }),
              Prefix() + "Number of scene helper objects does not match in animation cycles " + names);
    EXPECT_EQ(DxcErrorOf([&] { scene.BlendAniCycles(walk, &forMoved, 0.5f); }),
              Prefix() + "Scenes do not match in animation cycles " + names);
    // The helper objects are posed before the meshes are checked, and keep their pose.
    Node("Root").aniPosition = D3DXVECTOR3(0, 0, 0);
    EXPECT_EQ(DxcErrorOf([&] { scene.BlendAniCycles(walk, &forMoreMeshes, 0.5f); }),
              Prefix() + "Number of scene mesh objects does not match in animation cycles " + names);
    EXPECT_NE(Node("Root").aniPosition, D3DXVECTOR3(0, 0, 0));
    // Weight 0 takes the first cycle alone and checks nothing of the second.
    EXPECT_EQ(DxcErrorOf([&] { scene.BlendAniCycles(walk, &forBigger, 0.0f); }), "no error");
    ExpectPose(Node("Root"), Track(walk, "Root"));

    // A node deleted after binding is skipped.
    scene.objects.Delete(scene.objects.GetUsedSlot(3));
    EXPECT_EQ(DxcErrorOf([&] { scene.BlendAniCycles(walk, &late, 0.5f); }), "no error");
}
