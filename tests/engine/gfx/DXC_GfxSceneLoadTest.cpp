// DXC_GfxSceneLoadTest: scene files into scenes and animation cycles. One creature model written
// both as a binary scene file and as a text export (tests/fixtures/scene/make_scene_pair.py) must
// load alike; load flags, version and open errors, clone linking, the scene's start time and the
// bounds of old files; cycles over frame ranges from both forms; the register of loaded files, the
// path check and the effect check.
#include "engine/gfx/DXC_Gfx.h"

#include "base/FileList.h"
#include "engine/gfx/DXC_Material.h"
#include "engine/scene/DXC_3dScene.h"
#include "engine/scene/DXC_AniCycle.h"
#include "engine/scene/RTXLoader.h"
#include "support/ErrorOf.h"
#include "support/LoadStateScope.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"
#include "support/FixtureRoot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

const std::string kPair = std::string(SERVER_FIXTURES) + "/scene/pair/";
const std::string kBinary = kPair + "creature.3sc";
const std::string kText = kPair + "creature.rtx";

template <class K> std::vector<float> Times(const K* first)
{
    std::vector<float> times;
    for (const K* k = first; k; k = k->next)
        times.push_back(k->time);
    return times;
}

void ExpectNear(const std::vector<float>& a, const std::vector<float>& b, const char* what)
{
    ASSERT_EQ(a.size(), b.size()) << what;
    for (size_t i = 0; i < a.size(); i++)
        EXPECT_NEAR(a[i], b[i], 1e-5f) << what << " key " << i;
}

void ExpectNear(const D3DXVECTOR3& a, const D3DXVECTOR3& b, const char* what)
{
    EXPECT_NEAR(a.x, b.x, 1e-4f) << what;
    EXPECT_NEAR(a.y, b.y, 1e-4f) << what;
    EXPECT_NEAR(a.z, b.z, 1e-4f) << what;
}

// The same node as the two forms give it: name, kind, parent, static transform, key times, and the
// node's own pose (parents left out) at times inside, between and past its keys.
void ExpectSameNode(DXC_3dObject& a, DXC_3dObject& b)
{
    SCOPED_TRACE(a.objectName.c_str());
    EXPECT_EQ(a.objectName, b.objectName);
    EXPECT_EQ(a.kind, b.kind);
    EXPECT_EQ(a.parentName, b.parentName);
    ExpectNear(a.position, b.position, "position");
    ExpectNear(a.scale, b.scale, "scale");
    EXPECT_FLOAT_EQ(a.aniRange, b.aniRange);
    ExpectNear(Times(a.posKeys), Times(b.posKeys), "position keys");
    ExpectNear(Times(a.rotKeys), Times(b.rotKeys), "rotation keys");
    ExpectNear(Times(a.scaleKeys), Times(b.scaleKeys), "scale keys");
    for (double t : {0.0, 0.3, 1.0, 1.7, 2.5}) {
        a.SetAniTime(t, 0, 1);
        b.SetAniTime(t, 0, 1);
        ExpectNear(a.aniPosition, b.aniPosition, "evaluated position");
        ExpectNear(a.aniScale, b.aniScale, "evaluated scale");
        const float dot = D3DXQuaternionDot(&a.aniRotation, &b.aniRotation);
        EXPECT_NEAR(std::fabs(dot), 1.0f, 1e-5f) << "evaluated rotation at " << t;
    }
}

template <class List> void ExpectSameList(List& a, List& b)
{
    ASSERT_EQ(a.GetSize(), b.GetSize());
    for (int32_t i = 0; i < a.GetSize(); i++)
        ExpectSameNode(*a.GetAt(i), *b.GetAt(i));
}

std::string Name(const DXC_3dObject* node)
{
    return node ? node->objectName.c_str() : "(none)";
}

// The bytes of a fixture with one replacement at an offset, written into the test's directory.
std::string Patched(const TempDir& dir, const std::string& from, size_t offset, const std::vector<uint8_t>& with)
{
    std::vector<uint8_t> bytes = TempDir::ReadAll(from);
    std::copy(with.begin(), with.end(), bytes.begin() + long(offset));
    const std::string name = dir / "patched.3sc";
    TempDir::WriteAll(name, bytes);
    return name;
}

std::vector<uint8_t> FloatBytes(float v)
{
    std::vector<uint8_t> b(4);
    std::memcpy(b.data(), &v, 4);
    return b;
}

}  // namespace

TEST(DXC_GfxSceneLoad, BinaryAndTextExportLoadAlikeWithGeometry)
{
    LoadStateScope scope;
    DXC_Gfx gfx;
    gfx.SetDedicatedMode(1);
    DXC_3dScene binary, text;
    ASSERT_EQ(gfx.LoadScene(&binary, kBinary.c_str(), 0), 1);
    ASSERT_EQ(gfx.LoadScene(&text, kText.c_str(), 0), 1);
    ExpectSameList(binary.objects, text.objects);
    ExpectSameList(binary.meshes, text.meshes);
    int32_t withGeometry = 0;
    for (int32_t i = 0; i < binary.meshes.GetSize(); i++) {
        EXPECT_EQ(binary.meshes.GetAt(i)->HasDeviceMesh(), text.meshes.GetAt(i)->HasDeviceMesh()) << i;
        withGeometry += binary.meshes.GetAt(i)->HasDeviceMesh();
    }
    EXPECT_EQ(withGeometry, binary.meshes.GetSize());
}

TEST(DXC_GfxSceneLoad, BinaryAndTextExportLoadAlike)
{
    LoadStateScope scope;
    DXC_Gfx gfx;
    gfx.SetDedicatedMode(1);
    DXC_3dScene binary, text;
    // Without geometry, as the server loads: the text importer does not read flag 0x20.
    EXPECT_EQ(gfx.LoadScene(&binary, kBinary.c_str(), 0x20), 1);
    DXC_SceneInfo binaryInfo;
    gfx.GetRTXLoader().GetSceneInfo(binaryInfo);  // handed to the importer
    EXPECT_EQ(gfx.LoadScene(&text, kText.c_str(), 0x20), 1);
    DXC_SceneInfo textInfo;
    gfx.GetRTXLoader().GetSceneInfo(textInfo);

    ExpectSameList(binary.objects, text.objects);
    ExpectSameList(binary.meshes, text.meshes);
    EXPECT_EQ(binary.GetObjectCount(), 4);
    EXPECT_EQ(binary.GetMeshCount(), 2);
    for (const DXC_SceneInfo* info : {&binaryInfo, &textInfo}) {
        EXPECT_STREQ(info->soundFile.c_str(), "sound\\creature.ogg");
        EXPECT_STREQ(info->scriptFile.c_str(), "scripts\\creature.scr");
        EXPECT_FLOAT_EQ(info->frameSpeed, 30.0f);
        EXPECT_FLOAT_EQ(info->lastFrame, 60.0f);
    }
    EXPECT_STREQ(binary.GetObjectName(), kBinary.c_str());
    EXPECT_STREQ(text.GetObjectName(), kText.c_str());
    EXPECT_EQ(binary.fileSize, int32_t(TempDir::ReadAll(kBinary).size()));
    EXPECT_EQ(text.fileSize, int32_t(TempDir::ReadAll(kText).size()));

    // The binary scene is linked: parents by name, the clone with the source's data but its own
    // node part.
    EXPECT_EQ(Name(binary.FindObjectByName("Weapon", 1)->parent), "Bone02");
    DXC_Mesh& copy = *binary.FindMesh("BodyCopy", false);
    EXPECT_EQ(Name(copy.parent), "Bone02");
    EXPECT_STREQ(copy.cloneSourceName.c_str(), "Body");
    EXPECT_EQ(copy.numPosKey, 2);
    EXPECT_FALSE(copy.HasDeviceMesh());
    EXPECT_EQ(binary.GetRenderOptions().GetInt(0), 0);
}

TEST(DXC_GfxSceneLoad, LoadFlagsOfBinaryFiles)
{
    LoadStateScope scope;
    DXC_Gfx gfx;
    gfx.SetDedicatedMode(1);
    DXC_3dScene whole, minusOne, bare, colors;
    gfx.LoadScene(&whole, kBinary.c_str(), 0);
    gfx.LoadScene(&minusOne, kBinary.c_str(), -1);
    gfx.LoadScene(&bare, kBinary.c_str(), 0x20);
    gfx.LoadScene(&colors, kBinary.c_str(), 0x08);
    ExpectSameList(whole.objects, minusOne.objects);
    ExpectSameList(whole.objects, bare.objects);
    ExpectSameList(whole.meshes, bare.meshes);

    struct Case {
        DXC_3dScene* scene;
        bool geometry;
        uint32_t format;
    } cases[] = {{&whole, true, 0x112}, {&minusOne, true, 0x112}, {&bare, false, 0x112}, {&colors, true, 0x1D2}};
    for (const Case& c : cases) {
        DXC_Mesh& body = *c.scene->FindMesh("Body", false);
        DXC_Mesh& copy = *c.scene->FindMesh("BodyCopy", false);
        EXPECT_EQ(body.HasDeviceMesh(), c.geometry);
        EXPECT_EQ(copy.HasDeviceMesh(), c.geometry);  // the clone shares the source's
        EXPECT_EQ(copy.deviceMesh, body.deviceMesh);
        EXPECT_EQ(copy.faceCount, c.geometry ? 1 : 0);
        if (c.geometry) {
            EXPECT_EQ(body.layout.vertexFormat, c.format);
        }
        EXPECT_EQ(Name(copy.parent), "Bone02");  // its own node part stays
        ExpectNear(Times(copy.posKeys), {0.0f, 2.0f}, "clone's own keys");
    }
}

TEST(DXC_GfxSceneLoad, OpenAndVersionErrors)
{
    LoadStateScope scope;
    TempDir dir;
    DXC_Gfx gfx;
    DXC_3dScene scene;
    DXC_AniCycle cycle;
    const std::string missing = dir / "none.3sc";
    EXPECT_EQ(DxcErrorOf([&] { gfx.LoadScene(&scene, missing.c_str(), 0); }),
              "Can not open file: '" + missing + "'");
    EXPECT_EQ(DxcErrorOf([&] { gfx.ReadSceneFileHeader(&cycle, missing.c_str(), -1, -1); }),
              "Can not open file: '" + missing + "'");

    struct Case {
        uint8_t version;
        std::string scene, cycle;  // the two loaders word a version too new differently
    } cases[] = {
        {99, "'%s': Obsolete 3sc file version: 99", "'%s': Obsolete 3sc file version: 99"},
        {111, "Unknown 3sc file version: 111 (%s)", "'%s': Unknown 3sc file version: 111"},
    };
    for (const Case& c : cases) {
        const std::string name = Patched(dir, kBinary, 3, {c.version});
        auto expected = [&](std::string text) { return text.replace(text.find("%s"), 2, name); };
        EXPECT_EQ(DxcErrorOf([&] { gfx.LoadScene(&scene, name.c_str(), 0); }), expected(c.scene));
        EXPECT_EQ(DxcErrorOf([&] { gfx.ReadSceneFileHeader(&cycle, name.c_str(), -1, -1); }), expected(c.cycle));
    }
    // Version 110 loads; "3SB" is no binary file but a text export (here one without a node).
    EXPECT_EQ(DxcErrorOf([&] { gfx.LoadScene(&scene, Patched(dir, kBinary, 3, {110}).c_str(), 0x20); }),
              "no error");
    dir.Write("odd.3sc", "3SB*SCENE {\n*SCENE_FRAMESPEED 25\n}\n");
    EXPECT_EQ(gfx.LoadScene(&scene, (dir / "odd.3sc").c_str(), 0), 1);
    DXC_SceneInfo info;
    gfx.GetRTXLoader().GetSceneInfo(info);
    EXPECT_FLOAT_EQ(info.frameSpeed, 25.0f);
    EXPECT_EQ(scene.GetObjectCount(), 0);
}

TEST(DXC_GfxSceneLoad, CloneSourceMatchesOnlyWithItsLetterCase)
{
    LoadStateScope scope;
    TempDir dir;
    DXC_Gfx gfx;
    DXC_3dScene scene;
    // The clone's source name is the second length-prefixed "Body" of the file (the first is the
    // source mesh's own name).
    const std::vector<uint8_t> bytes = TempDir::ReadAll(kBinary);
    const uint8_t body[8] = {4, 0, 0, 0, 'B', 'o', 'd', 'y'};
    auto first = std::search(bytes.begin(), bytes.end(), body, body + 8);
    auto second = std::search(first + 1, bytes.end(), body, body + 8);
    ASSERT_NE(second, bytes.end());
    const std::string name = Patched(dir, kBinary, size_t(second - bytes.begin()) + 4, {'b'});
    for (int32_t flags : {0, 0x20})
        EXPECT_EQ(DxcErrorOf([&] { gfx.LoadScene(&scene, name.c_str(), flags); }),
                  "creature: Clone Mesh 'body' not found");
}

TEST(DXC_GfxSceneLoad, StartTimeAndBoundsOfOldFiles)
{
    LoadStateScope scope;
    TempDir dir;
    DXC_Gfx gfx;
    struct Case {
        const char* what;
        float frameSpeed, firstFrame;
        float rootY;  // the root walks 30 units up y in the first second
    } cases[] = {
        {"first frame 0", 30.0f, 0.0f, 0.0f},
        {"first frame 15", 30.0f, 15.0f, 15.0f},  // the scene starts at 15 / 30 seconds
        {"no frame speed", 0.0f, 15.0f, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> header = FloatBytes(c.frameSpeed);
        const std::vector<uint8_t> first = FloatBytes(c.firstFrame);
        header.insert(header.end(), first.begin(), first.end());
        DXC_3dScene scene;
        gfx.LoadScene(&scene, Patched(dir, kBinary, 4, header).c_str(), 0x20);
        const DXC_3dObject& root = *scene.FindObjectByName("Root", 1);
        ExpectNear(root.aniPosition, D3DXVECTOR3(0, c.rootY, 10), "root at the start time");
    }

    // Version 102 holds no bounds of the scene: they are made from the meshes' boxes and the
    // helper objects' places at the start time.
    for (const char* file : {"creature.3sc", "creature102.3sc"}) {
        DXC_3dScene scene;
        gfx.LoadScene(&scene, (kPair + file).c_str(), 0x20);
        ExpectNear(scene.boxMin, D3DXVECTOR3(0, 0, 10), "box minimum");
        ExpectNear(scene.boxMax, D3DXVECTOR3(2, 7, 15), "box maximum");
        EXPECT_EQ(scene.boundsFlags, std::strcmp(file, "creature.3sc") == 0 ? 2u : 0u) << file;
        if (std::strcmp(file, "creature102.3sc") == 0) {
            ExpectNear(scene.boundsCentre, D3DXVECTOR3(1, 3.5f, 12.5f), "centre");
            EXPECT_NEAR(scene.boundsRadius, std::sqrt(19.5f), 1e-4f);
        }
    }
}

TEST(DXC_GfxSceneLoad, CyclesOverFrameRangesFromBothForms)
{
    LoadStateScope scope;
    TempDir dir;
    DXC_Gfx gfx;
    struct Case {
        float from, to;
        float end;          // the cycle's length in seconds
        float rootKeyTime;  // where the root's key of second 1 lies in the cycle (-1: cut off)
    } cases[] = {
        {-1, -1, 2.0f, 1.0f},         // both negative: the file's whole range
        {15, 45, 1.0f, 0.5f},         // frames 15 to 45 are seconds 0.5 to 1.5
        {-1, 20, 21 / 30.0f, -1.0f},  // one negative frame is taken as it is
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + " to " + std::to_string(c.to));
        DXC_AniCycle binary, text;
        EXPECT_EQ(gfx.ReadSceneFileHeader(&binary, kBinary.c_str(), c.from, c.to), 1);
        EXPECT_EQ(gfx.ReadSceneFileHeader(&text, kText.c_str(), c.from, c.to), 1);
        for (DXC_AniCycle* cycle : {&binary, &text}) {
            EXPECT_FLOAT_EQ(cycle->startTime, 0.0f);
            EXPECT_NEAR(cycle->endTime, c.end, 1e-5f);
            ASSERT_EQ(cycle->objectTrackCount, 4);
            ASSERT_EQ(cycle->meshTrackCount, 2);
            const std::vector<float> root = Times(cycle->objectTracks[0].posKeys);
            if (c.rootKeyTime >= 0) {
                EXPECT_NE(std::find_if(root.begin(), root.end(),
                                       [&](float t) { return std::fabs(t - c.rootKeyTime) < 1e-5f; }),
                          root.end());
            }
        }
        EXPECT_STREQ(binary.GetCycleName(), kBinary.c_str());
        EXPECT_STREQ(text.GetCycleName(), kText.c_str());
        for (int32_t i = 0; i < 4; i++)
            ExpectSameNode(binary.objectTracks[i], text.objectTracks[i]);
        for (int32_t i = 0; i < 2; i++)
            ExpectSameNode(binary.meshTracks[i], text.meshTracks[i]);
    }

    // The cycle is set to time 0, where its root holds its last key at or before the range's
    // start; half a second in it is where the file has it at second 1.
    DXC_AniCycle cycle;
    gfx.ReadSceneFileHeader(&cycle, kBinary.c_str(), 15, 45);
    ExpectNear(cycle.objectTracks[0].aniPosition, D3DXVECTOR3(0, 0, 10), "root at the cycle's start");
    cycle.SetAniTime(0.5);
    ExpectNear(cycle.objectTracks[0].aniPosition, D3DXVECTOR3(0, 30, 10), "root half a second in");
    EXPECT_EQ(Name(cycle.objectTracks[3].parent), "Bone02");  // the tracks are linked within the cycle

    // A long file name is cut to 63 characters; a file without a frame speed has every frame at 0.
    const std::string longName = dir / (std::string(80, 'x') + ".3sc");
    TempDir::WriteAll(longName, TempDir::ReadAll(kBinary));
    gfx.ReadSceneFileHeader(&cycle, longName.c_str(), -1, -1);
    EXPECT_EQ(std::string(cycle.GetCycleName()), longName.substr(0, 63));
    gfx.ReadSceneFileHeader(&cycle, Patched(dir, kBinary, 4, FloatBytes(0.0f)).c_str(), 15, 45);
    EXPECT_EQ(cycle.endTime, 0.0f);
    EXPECT_TRUE(std::isfinite(cycle.objectTracks[0].aniPosition.y));
}

TEST(DXC_GfxSceneLoad, RegisterPathCheckAndEffects)
{
    LoadStateScope scope;
    DXC_Gfx gfx;
    FileList files;
    gfx.loadedFiles = &files;
    gfx.checkLevel = 2;
    gfx.shadersOn = 1;
    LogCapture log;
    DXC_3dScene scene;
    DXC_AniCycle cycle;
    gfx.LoadScene(&scene, kBinary.c_str(), 0x20);
    gfx.ReadSceneFileHeader(&cycle, kText.c_str(), -1, -1);
    EXPECT_GE(files.FindFile(String(kBinary.c_str())), 0);
    EXPECT_GE(files.FindFile(String(kText.c_str())), 0);
    EXPECT_EQ(log.Count("Absolute file path"), 1);  // only the scene loader checks the path

    // An effect that the effect search list does not find is named; the load goes on.
    DXC_Mesh& body = *scene.FindMesh("Body", false);
    body.AllocMaterials(1);
    body.materials[0].effectFileName = "fx\\missing.fx";
    gfx.BindSceneEffects(scene, kPair.c_str());
    EXPECT_EQ(log.Count(("DirectX shader effect 'fx\\missing.fx' not found (for scene '" + kBinary + "')").c_str()), 1);
}
