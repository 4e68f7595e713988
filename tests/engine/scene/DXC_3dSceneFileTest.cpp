// DXC_3dSceneFileTest: binary scene files written by the project's writer and read back, with and
// without geometry; older versions from hand-made bytes; damaged files; vertex packing at its
// bounds; the writer's checks and its temporary file.
#include "engine/scene/DXC_3dScene.h"

#include "engine/gfx/DXC_Gfx.h"
#include "engine/scene/SceneFileHeader.h"
#include "support/ByteBuilder.h"
#include "support/ErrorOf.h"
#include "support/LoadStateScope.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kFormat = 0x1218;  // position, 2 betas (the last the bone indices), normal, 2 pairs

template <class K> std::vector<float> Times(const K* first)
{
    std::vector<float> times;
    for (const K* k = first; k; k = k->next)
        times.push_back(k->time);
    return times;
}

void AddKeys(DXC_3dObject& node, float scale)
{
    for (int i = 0; i < 3; i++) {
        DXC_PosKey p;
        p.time = float(i);
        p.type = KEY_BEZIER;
        p.data.value = D3DXVECTOR3(scale * float(i), 1, 2);
        node.AddPosKey(p);
        DXC_RotKey r;
        r.time = float(i) * 0.5f;
        r.data.axis = D3DXVECTOR3(0, 1, 0);
        r.data.angle = 0.25f;
        node.AddRotKey(r, 0);
    }
    DXC_ScaleKey s;
    s.time = 0.0f;
    s.data.value = D3DXVECTOR3(2, 2, 2);
    node.AddScaleKey(s);
}

// A quad of two faces with two materials, bones and texture names.
void FillMesh(DXC_Gfx& gfx, DXC_Mesh& mesh)
{
    mesh.SetObjectName("body");
    mesh.parentName = "root";
    mesh.boundsFlags = 3;
    mesh.boundsRadius = 2.0f;
    mesh.boxMin = D3DXVECTOR3(-1, -1, 0);
    mesh.boxMax = D3DXVECTOR3(1, 1, 0);
    mesh.texChannelCount = 2;
    mesh.AllocMaterials(2);
    mesh.materials[1].power = 5.0f;
    mesh.materials[1].effectFileName = "fx\\skin.fx";
    mesh.textures[0].stages[0].mapType = MAP_DIFFUSE;
    mesh.textures[0].stageNames[0] = "skin.tga";
    mesh.textures[1].stages[1].mapType = MAP_LIGHT;
    mesh.textures[1].stages[1].texCoordIndex = 1;
    mesh.textures[1].stageNames[1] = "light.tga";
    gfx.CreateMesh(&mesh, 2, 4, 2, kFormat, 0, 2, 0, 0, 0);
    mesh.LockAll(0);
    const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (int n = 0; n < 4; n++) {
        mesh.SetVertexPosition(n, D3DXVECTOR3(corners[n][0], corners[n][1], 0));
        mesh.SetVertexFloat(n, mesh.layout.texCoordOffset, 0.25f * float(n));
        mesh.SetVertexFloat(n, mesh.layout.texCoordOffset + 12, 0.5f);
        uint8_t* indices = mesh.VertexBytes(n) + mesh.layout.boneIndexOffset;
        indices[0] = uint8_t(n % 2);
    }
    const uint16_t faces[6] = {0, 1, 2, 0, 2, 3};
    std::memcpy(mesh.lockedIndexData, faces, sizeof faces);
    static_cast<DWORD*>(mesh.lockedAttributeData)[1] = 1;
    mesh.UnlockAll();
    for (const char* name : {"root", "hand"}) {
        DXC_BoneInfo& bone = *mesh.bones.GetBySlot(mesh.bones.Add());
        bone.boneName = name;
        D3DXMatrixTranslation(&bone.fileMatrixA, 1, 2, 3);
        D3DXMatrixScaling(&bone.fileMatrixB, 2, 2, 2);
    }
    AddKeys(mesh, 3.0f);
    mesh.BuildKeyTimeTables();
}

void FillScene(DXC_Gfx& gfx, DXC_3dScene& scene)
{
    scene.objectName = "creature";
    scene.boundsFlags = 2;
    scene.boxMax = D3DXVECTOR3(4, 5, 6);
    scene.ambientColor = 0xFF102030u;
    scene.sceneParams.SetInt(16, 7);
    DXC_3dObject& root = *scene.objects.GetBySlot(scene.objects.Add());
    root.SetObjectName("root");
    root.kind = OBJ_KIND_HELPER;
    root.opacity = 0.5f;
    root.inheritOpacity = 1;
    root.opacityCurve.SetNumKeys(2);
    root.opacityCurve.GetKey(0).value = root.opacityCurve.GetKey(1).value = 0.5f;
    AddKeys(root, 1.0f);
    root.BuildKeyTimeTables();
    DXC_3dObject& hand = *scene.objects.GetBySlot(scene.objects.Add());
    hand.SetObjectName("hand");
    hand.kind = OBJ_KIND_BONE;
    hand.parentName = "root";
    hand.SetInheritance(1, 0, 1, 0);
    FillMesh(gfx, *scene.meshes.GetBySlot(scene.meshes.Add()));
    DXC_Mesh& ghost = *scene.meshes.GetBySlot(scene.meshes.Add());
    ghost.SetObjectName("ghost");
    ghost.AllocMaterials(1);
    ghost.materials[0].transparency = 0.5f;
    ghost.cloneSourceName = "body";
    DXC_Camera& camera = *scene.cameras.GetBySlot(scene.cameras.Add());
    camera.SetObjectName("eye");
    camera.targetName = "hand";
    camera.fieldOfView = 1.0f;
    DXC_Light& light = *scene.lights.GetBySlot(scene.lights.Add());
    light.SetObjectName("sun");
    light.SetParams(1, 0.5f, 0.25f, 0, 0, 0, 0, 0, 0.1f, 0.1f, 0.1f, 0, 100);
    light.lightWordB = 9;
    // As a loaded scene is: the transparency tests cached, lights placed.
    scene.SortMeshesOpaqueFirst();
    scene.SetAniTime(0.0, 1, 0);
}

std::vector<uint8_t> WriteBody(DXC_3dScene& scene)
{
    File file;
    file.CreateMemoryFile(0);
    SceneFileHeader::Write(file, SceneInfoRecord());
    scene.Write(file);
    return BytesOf(file);
}

// Reads a whole file from bytes as the loader does: header, load state, body.
void ReadBytes(const std::vector<uint8_t>& bytes, DXC_3dScene& scene, DXC_Gfx& gfx, bool geometry)
{
    ByteBuilder b;
    b.bytes = bytes;
    File file;
    b.Into(file);
    SceneInfoRecord info;
    int32_t version = 0;
    ASSERT_TRUE(SceneFileHeader::Read(file, info, version, gfx, "test.3sc"));
    SceneLoadState& state = SceneLoadState::Current();
    state.version = version;
    state.loadGeometry = geometry;
    state.postProcess = true;
    scene.Read(file, gfx);
    EXPECT_EQ(file.GetRemaining(), 0);
}

}  // namespace

TEST(DXC_3dSceneFile, RoundTripWithAndWithoutGeometry)
{
    LoadStateScope scope;
    DXC_Gfx gfx;
    DXC_3dScene scene;
    FillScene(gfx, scene);
    const std::vector<uint8_t> written = WriteBody(scene);

    DXC_3dScene read;
    ReadBytes(written, read, gfx, true);
    const std::vector<uint8_t> again = WriteBody(read);
    ASSERT_EQ(again.size(), written.size());
    EXPECT_EQ(std::mismatch(again.begin(), again.end(), written.begin()).first - again.begin(), long(written.size()))
        << "everything the file holds came back";
    ASSERT_EQ(read.GetMeshCount(), 2);
    ASSERT_EQ(read.GetObjectCount(), 2);
    DXC_Mesh& body = *read.FindMesh("body", false);
    ASSERT_TRUE(body.HasDeviceMesh());
    EXPECT_EQ(body.faceCount, 2);
    EXPECT_EQ(body.vertexBlendMode, 1u);  // two weights
    EXPECT_EQ(body.parent, read.FindObjectByName("root", 1));  // linked after reading
    ASSERT_NE(body.boneObjects, nullptr);
    EXPECT_EQ(body.boneObjects[1], read.FindObjectByName("hand", 1));
    EXPECT_EQ(read.cameras.GetAt(0)->target, read.FindObjectByName("hand", 1));
    EXPECT_EQ(read.GetMesh(0), &body);  // opaque first
    EXPECT_EQ(read.opaqueMeshCount, 1);
    EXPECT_EQ(read.sceneParams.GetInt(16), 7);
    EXPECT_EQ(read.sceneParams.GetInt(17), 0);
    EXPECT_EQ(Times(read.FindObjectByName("root", 1)->rotKeys), (std::vector<float>{0.0f, 0.5f, 1.0f}));

    // Load flag 0x20: the same nodes and keys without geometry.
    DXC_3dScene bare;
    ReadBytes(written, bare, gfx, false);
    ASSERT_EQ(bare.GetMeshCount(), 2);
    DXC_Mesh& bareBody = *bare.FindMesh("body", false);
    EXPECT_FALSE(bareBody.HasDeviceMesh());
    EXPECT_EQ(bareBody.GetBoneCount(), 2);
    EXPECT_EQ(bareBody.materialCount, 2);
    EXPECT_EQ(bareBody.materials[1].effectFileName, "fx\\skin.fx");
    EXPECT_STREQ(bareBody.textures[1].stageNames[1].c_str(), "light.tga");
    EXPECT_EQ(Times(bareBody.posKeys), Times(body.posKeys));
    EXPECT_EQ(bareBody.boxMax, body.boxMax);
    const DXC_3dObject& hand = *bare.FindObjectByName("hand", 1);
    EXPECT_EQ(hand.inheritRotation, 0u);
    EXPECT_EQ(hand.inheritScale, 1u);
    EXPECT_FLOAT_EQ(bare.FindObjectByName("root", 1)->opacity, 0.5f);
    EXPECT_EQ(bare.lights.GetAt(0)->lightWordB, 9u);
    EXPECT_FLOAT_EQ(bare.lights.GetAt(0)->lightParams.Range, 100.0f);
    EXPECT_FLOAT_EQ(bare.cameras.GetAt(0)->fieldOfView, 1.0f);
}

TEST(DXC_3dSceneFile, VertexPackingAtItsBounds)
{
    LoadStateScope scope;
    DXC_Gfx gfx;
    DXC_3dScene scene;
    DXC_Mesh& mesh = *scene.meshes.GetBySlot(scene.meshes.Add());
    gfx.CreateMesh(&mesh, 1, 3, 0, 0x1018 | 0x100, 0, 1, 0, 0, 0);  // one weight, indices, normal, one pair
    mesh.LockAll(0);
    mesh.SetVertexNormal(0, D3DXVECTOR3(-1.0f, 1.0f, 0.5f));
    mesh.SetVertexFloat(0, mesh.layout.blendWeightOffset, 1.0f);
    mesh.SetVertexFloat(1, mesh.layout.blendWeightOffset, 0.5f);
    mesh.SetVertexFloat(2, mesh.layout.texCoordOffset, 0.75f);
    const uint16_t face[3] = {0, 1, 2};
    std::memcpy(mesh.lockedIndexData, face, sizeof face);
    mesh.UnlockAll();
    File file;
    file.CreateMemoryFile(0);
    mesh.Write(file);
    const std::vector<uint8_t> bytes = BytesOf(file);
    // The vertices follow V, F and the format; each: 12 position, 8 pair, 6 normal, 2 weight, 4 indices.
    const uint8_t* p = bytes.data();
    const size_t geometry = [&] {
        for (size_t at = 0; at + 12 <= bytes.size(); at++)
            if (ByteReader::DecodeU32(p + at) == 3 && ByteReader::DecodeU32(p + at + 4) == 1 &&
                ByteReader::DecodeU32(p + at + 8) == (0x1018 | 0x100))
                return at + 12;
        return size_t(0);
    }();
    ASSERT_NE(geometry, 0u);
    const uint8_t* v0 = p + geometry;
    EXPECT_EQ(int16_t(ByteReader::DecodeU16(v0 + 20)), -32767);
    EXPECT_EQ(int16_t(ByteReader::DecodeU16(v0 + 22)), 32767);
    EXPECT_EQ(int16_t(ByteReader::DecodeU16(v0 + 24)), 16383);
    EXPECT_EQ(ByteReader::DecodeU16(v0 + 26), 65535);
    EXPECT_EQ(ByteReader::DecodeU16(v0 + 32 + 26), 32767);
    EXPECT_EQ(ByteReader::DecodeFloat(v0 + 64 + 12), 0.75f);

    file.Seek(0);
    SceneLoadState::Current().version = 110;
    SceneLoadState::Current().loadGeometry = true;
    DXC_Mesh read;
    read.Read(file, gfx);
    read.LockAll(0);
    EXPECT_NEAR(read.GetVertexNormal(0).x, -1.0f, 1e-4f);
    EXPECT_NEAR(read.GetVertexFloat(0, read.layout.blendWeightOffset), 1.0f, 1e-4f);
    EXPECT_NEAR(read.GetVertexFloat(1, read.layout.blendWeightOffset), 0.5f, 1e-4f);
    read.UnlockAll();
}

namespace {

// The object record of a node named name in the layout of a version.
ByteBuilder ObjectRecord(const char* name, int32_t version)
{
    ByteBuilder b;
    b.U16(0x1234).I32(OBJ_KIND_HELPER);
    b.F32s({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1});  // base matrix
    b.F32s({1, 1, 1, 5, 6, 7, 1, 1, 1, 0, 0, 1, 0});          // extra scale, position, scale, axis, angle
    b.F32s({1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0});            // offset rows
    b.Str(name).Str("").U8(15).I32(1);
    b.F32(0.5f).U16(0).Zeros(36).U8(0);  // one position key
    b.I32(0).I32(0).I32(1).F32(100.0f);
    if (version >= 108)
        b.F32(0.25f).I32(0).I32(0).U8(0).U8(0).F32(0);
    if (version >= 109)
        b.U8(1);
    return b;
}

// A scene file of one helper object in the layout of a version.
std::vector<uint8_t> OldScene(int32_t version)
{
    ByteBuilder b;
    b.U8('3').U8('S').U8('C').U8(uint8_t(version)).F32(25.0f).F32(1.0f).F32(9.0f).Str("a.ogg").Str("");
    b.Append(ObjectRecord("scene", version).bytes);
    if (version >= 103)
        b.I32(2).F32(1).F32s({0, 0, 0}).F32s({-1, -1, -1}).F32s({1, 1, 1});
    b.I32(int32_t(0xFF000000u)).I32(int32_t(0xFF112233u)).U8(0);
    for (int i = 0; i < (version >= 104 ? 17 : 16); i++)
        b.I32(i);
    b.I32(0).I32(0).I32(1).Append(ObjectRecord("dummy", version).bytes).I32(0);
    return b.bytes;
}

}  // namespace

TEST(DXC_3dSceneFile, OlderVersions)
{
    LoadStateScope scope;
    DXC_Gfx gfx;
    for (int32_t version = 100; version <= 110; version++) {
        SCOPED_TRACE(version);
        DXC_3dScene scene;
        ReadBytes(OldScene(version), scene, gfx, false);
        ASSERT_EQ(scene.GetObjectCount(), 1);
        const DXC_3dObject& dummy = *scene.objects.GetAt(0);
        EXPECT_STREQ(dummy.GetObjectName(), "dummy");
        EXPECT_EQ(dummy.numPosKey, 1);
        EXPECT_EQ(dummy.position, D3DXVECTOR3(5, 6, 7));
        EXPECT_FLOAT_EQ(dummy.opacity, version >= 108 ? 0.25f : 1.0f);
        EXPECT_EQ(dummy.inheritOpacity, version >= 109 ? 1 : 0);
        EXPECT_EQ(scene.boundsFlags, version >= 103 ? 2u : 0u);
        EXPECT_EQ(scene.sceneParams.GetInt(16), version >= 104 ? 16 : 1);
        EXPECT_EQ(scene.backgroundColor, 0xFF112233u);
    }
}

TEST(DXC_3dSceneFile, DamagedFiles)
{
    LoadStateScope scope;
    DXC_Gfx gfx;
    DXC_3dScene scene;
    FillScene(gfx, scene);
    const std::vector<uint8_t> good = WriteBody(scene);
    for (size_t cut = 20; cut < good.size(); cut += 37) {
        std::vector<uint8_t> shortFile(good.begin(), good.begin() + long(cut));
        DXC_3dScene read;
        EXPECT_NE(DxcErrorOf([&] { ReadBytes(shortFile, read, gfx, true); }), "no error") << cut;
    }
    std::vector<uint8_t> badId = OldScene(110);
    const size_t header = 4 + 12 + 4 + 5 + 4;
    badId[header] = 0x35;
    DXC_3dScene read;
    EXPECT_EQ(DxcErrorOf([&] { ReadBytes(badId, read, gfx, false); }), "*undefined*: Invalid file read id, file: ");

    std::vector<uint8_t> lying = OldScene(110);
    const size_t meshCount = lying.size() - ObjectRecord("dummy", 110).bytes.size() - 4 - 4 - 4 - 4;
    ASSERT_EQ(ByteReader::DecodeU32(lying.data() + meshCount), 0u);
    ByteWriter(lying.data() + meshCount, 4).WriteU32(0x7FFFFFFF);
    EXPECT_NE(DxcErrorOf([&] { ReadBytes(lying, read, gfx, false); }).find("Mesh count 2147483647 exceeds"),
              std::string::npos);

    for (int version : {99, 111}) {
        std::vector<uint8_t> bytes = OldScene(110);
        bytes[3] = uint8_t(version);
        ByteBuilder b;
        b.bytes = bytes;
        File file;
        b.Into(file);
        SceneInfoRecord info;
        int32_t got = 0;
        EXPECT_EQ(DxcErrorOf([&] { SceneFileHeader::Read(file, info, got, gfx, "x.3sc"); }),
                  version == 99 ? "'x.3sc': Obsolete 3sc file version: 99" : "Unknown 3sc file version: 111 (x.3sc)");
    }
    ByteBuilder text;
    text.U8('3').U8('S').U8('B').U8(0);
    File file;
    text.Into(file);
    SceneInfoRecord info;
    int32_t got = 0;
    EXPECT_FALSE(SceneFileHeader::Read(file, info, got, gfx, "x.rtx"));  // a text export, not an error
    EXPECT_EQ(file.GetPos(), 0);
}

TEST(DXC_3dSceneFile, WriterChecksAndTemporaryFile)
{
    LoadStateScope scope;
    TempDir dir;
    const std::string name = dir / "model.3sc";
    DXC_Gfx gfx;
    DXC_3dScene scene;
    FillScene(gfx, scene);
    SceneInfoRecord info;
    info.soundFile = "step.ogg";
    ASSERT_EQ(scene.WriteFile(name.c_str(), info), 1);
    const std::vector<uint8_t> good = TempDir::ReadAll(name);
    EXPECT_FALSE(std::filesystem::exists(name + ".tmp"));

    scene.objects.GetAt(0)->numRotKey = 5;  // a count that does not match its chain
    EXPECT_EQ(DxcErrorOf([&] { scene.WriteFile(name.c_str(), info); }), "root: numRotKey does not match actual size");
    EXPECT_EQ(TempDir::ReadAll(name), good);  // the good file is still whole
    scene.objects.GetAt(0)->numRotKey = 3;
    EXPECT_NE(DxcErrorOf([&] { scene.WriteFile((dir / "no/such/dir/m.3sc").c_str(), info); }), "no error");
}

TEST(DXC_3dSceneFile, VertexLayoutsOfEachVersion)
{
    LoadStateScope scope;
    DXC_Gfx gfx;
    struct Case {
        int32_t version;
        uint32_t format;
        int32_t vertexBytes;  // as the version stores one vertex
        int32_t pairs;        // texture pairs that come back
    } cases[] = {
        {100, 0x212, 40, 2},     // the vertex as it lies in memory
        {101, 0x212, 26, 1},     // always one pair
        {101, 0x012, 26, 0},     // one pair even without a set, dropped on reading
        {102, 0x212, 26, 1},     // at most the first pair
        {106, 0x212, 26, 1},
        {107, 0x212, 34, 2},     // every leading pair
        {107, 0x10212, 18, 0},   // a first set of three floats: no pair
        {110, 0x212, 34, 2},
    };
    for (const Case& c : cases) {
        for (bool geometry : {true, false}) {
            SCOPED_TRACE(std::to_string(c.version) + (geometry ? " with geometry" : " without"));
            ByteBuilder b = ObjectRecord("m", c.version);
            b.I32(0).F32(0).F32s({0, 0, 0, 0, 0, 0, 0, 0, 0}).I32(1).I32(1).I32(0);  // bounds, channels, active, transparency
            b.I32(0).Str("").I32(0);                                                 // no materials, no clone, no bones
            b.I32(3).I32(1).I32(int32_t(c.format));
            for (int n = 0; n < 3; n++) {
                ByteBuilder v;
                v.F32s({float(n), 0, 0});
                if (c.version == 100) {
                    v.F32s({0, 0, 1, 0.5f, 0.25f, 0.75f, 1.0f});
                } else {
                    const int pairs = (c.vertexBytes - 18) / 8;
                    for (int i = 0; i < pairs; i++)
                        v.F32(0.5f * float(i + 1)).F32(0.25f);
                    v.U16(0).U16(0).U16(32767);
                }
                ASSERT_EQ(int32_t(v.bytes.size()), c.vertexBytes);
                b.Append(v.bytes);
            }
            b.U16(0).U16(1).U16(2).U16(0).I32(-1);
            File file;
            b.Into(file);
            SceneLoadState::Current().version = c.version;
            SceneLoadState::Current().loadGeometry = geometry;
            DXC_Mesh mesh;
            ASSERT_EQ(DxcErrorOf([&] { mesh.Read(file, gfx); }), "no error");
            EXPECT_EQ(file.GetRemaining(), 0);
            EXPECT_EQ(mesh.HasDeviceMesh(), geometry);
            if (!geometry)
                continue;
            mesh.LockAll(0);
            EXPECT_EQ(mesh.GetVertexPosition(2).x, 2.0f);
            EXPECT_NEAR(mesh.GetVertexNormal(1).z, 1.0f, 1e-4f);
            if (c.pairs >= 1) {
                EXPECT_EQ(mesh.GetVertexFloat(0, mesh.layout.texCoordOffset), 0.5f);
            }
            if (c.pairs >= 2) {
                EXPECT_EQ(mesh.GetVertexFloat(0, mesh.layout.texCoordOffset + 8), c.version == 100 ? 0.75f : 1.0f);
            }
            mesh.UnlockAll();
        }
    }
}
