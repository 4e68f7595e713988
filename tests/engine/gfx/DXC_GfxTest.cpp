// DXC_GfxTest: the device-less graphics object: probes, map types, path check, result-code names,
// resource keys, placeholders, image loading errors, memory meshes, scene ranges and cycles.
#include "engine/gfx/DXC_Gfx.h"

#include "engine/scene/DXC_3dScene.h"
#include "engine/scene/DXC_AniCycle.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

uint32_t PixelAt(IDirect3DTexture9* texture, int x, int y)
{
    D3DLOCKED_RECT locked;
    if (texture->LockRect(0, &locked, nullptr, 0) != D3D_OK)
        return 0;
    const uint8_t* p = static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch + 4 * x;
    const uint32_t value = uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
    texture->UnlockRect(0);
    return value;
}

template <class K> std::vector<float> Times(const K* first)
{
    std::vector<float> times;
    for (const K* k = first; k; k = k->next)
        times.push_back(k->time);
    return times;
}

// Keys at 0.5, 1.0, 1.5 and 2.5 on all three tracks; the rotation turns by 0.1 more each key.
void AddTrack(DXC_3dObject& node)
{
    const float times[4] = {0.5f, 1.0f, 1.5f, 2.5f};
    for (int i = 0; i < 4; i++) {
        DXC_PosKey p;
        p.time = times[i];
        p.data.value = D3DXVECTOR3(times[i], 0, 0);
        node.AddPosKey(p);
        DXC_ScaleKey s;
        s.time = times[i];
        s.data.value = D3DXVECTOR3(1, 1, 1);
        node.AddScaleKey(s);
        DXC_RotKey r;
        r.time = times[i];
        r.data.axis = D3DXVECTOR3(0, 0, 1);
        r.data.angle = 0.1f * float(i + 1);
        node.AddRotKey(r, 0);
    }
    node.BuildKeyTimeTables();
}

}  // namespace

TEST(DXC_Gfx, ConstructionAndMapTypes)
{
    EXPECT_EQ(DXC_Gfx::CheckD3D9(), 1);
    EXPECT_EQ(DXC_Gfx::CheckD3DX9(), 1);
    DXC_Gfx gfx;
    EXPECT_STREQ(gfx.GetName(), "DXC_Gfx");
    EXPECT_EQ(gfx.initialised, 0);
    EXPECT_FALSE(gfx.IsDedicated());
    EXPECT_FLOAT_EQ(gfx.currentMaterial.diffuse.g, 0.9f);
    EXPECT_FLOAT_EQ(gfx.currentMaterial.specular.r, 0.0f);
    for (int32_t type = 0; type <= 7; type++)
        EXPECT_TRUE(gfx.IsMapTypeSupported(type)) << type;
    gfx.AllowMapTypes2And6(false);
    gfx.AllowMapType3(false);
    EXPECT_FALSE(gfx.IsMapTypeSupported(MAP_REFLECTION));
    EXPECT_FALSE(gfx.IsMapTypeSupported(MAP_NORMAL));
    EXPECT_FALSE(gfx.IsMapTypeSupported(MAP_SPECULAR));
    EXPECT_TRUE(gfx.IsMapTypeSupported(MAP_SELFILLUM));
    gfx.SetDedicatedMode(1);
    EXPECT_TRUE(gfx.IsDedicated());
    for (int32_t type = 0; type <= 7; type++)
        EXPECT_EQ(gfx.IsMapTypeSupported(type), type == MAP_DIFFUSE) << type;
}

TEST(DXC_Gfx, PathCheck)
{
    struct Case {
        const char* name;
        bool ok;
    } cases[] = {
        {"models\\creature.3sc", true},
        {"\\\\server\\share\\a.3sc", false},  // network file
        {"c:\\games\\a.3sc", false},          // absolute
        {"/tmp/a.3sc", false},
        {"\\single.3sc", false},  // the root of the drive
        {"'quoted'", true},
        {"", true},
        {"a", true},
        {"\\", true},  // one character
    };
    DXC_Gfx gfx;
    for (const Case& c : cases)
        EXPECT_EQ(gfx.CheckFilePath(c.name), c.ok) << c.name;
}

TEST(DXC_Gfx, ErrorNames)
{
    EXPECT_STREQ(GetDirectXErrorName(D3D_OK), "S_OK");
    EXPECT_STREQ(GetDirectXErrorName(D3DERR_INVALIDCALL), "D3DERR_INVALIDCALL");
    EXPECT_EQ(D3DERR_INVALIDCALL, static_cast<HRESULT>(0x8876086Cu));
    EXPECT_STREQ(GetDirectXErrorName(D3DERR_DEVICELOST), "D3DERR_DEVICELOST");
    EXPECT_STREQ(GetDirectXErrorName(E_OUTOFMEMORY), "E_OUTOFMEMORY");
    EXPECT_STREQ(GetDirectXErrorName(D3DXERR_INVALIDDATA), "D3DXERR_INVALIDDATA");
    EXPECT_STREQ(GetDirectXErrorName(12345), "Unknown");
}

TEST(DXC_Gfx, ResourceKeysAndLookup)
{
    TempDir dir;
    dir.Write("a/tex.tga", "12345");
    dir.Write("b/tex.tga", "abcde");  // same name, same size, another folder
    dir.Write("c/tex.tga", "123");
    ScopedCurrentDir here(dir.Path());
    DXC_Gfx gfx;
    EXPECT_STREQ(gfx.MakeResourceKey("a\\tex.tga").c_str(), "a\\tex.tga_5");
    EXPECT_STREQ(gfx.MakeResourceKey("b\\tex.tga").c_str(), "b\\tex.tga_5");
    EXPECT_STREQ(gfx.MakeResourceKey("c/tex.tga").c_str(), "c\\tex.tga_3");
    EXPECT_STREQ(gfx.MakeResourceKey(".\\a//tex.tga").c_str(), "a\\tex.tga_5");
    EXPECT_STREQ(gfx.MakeResourceKey((dir / "a/tex.tga").c_str()).c_str(), "a\\tex.tga_5");
    EXPECT_STREQ(gfx.MakeResourceKey("nowhere.tga").c_str(), "nowhere.tga_0");

    String found;
    EXPECT_EQ(gfx.ResolveFileName("tex.tga", 7, found, "b\\"), 1);
    EXPECT_STREQ(found.c_str(), "b\\tex.tga");
    EXPECT_EQ(gfx.ResolveFileName("other.tga", 9, found, "b\\"), 0);
    EXPECT_STREQ(found.c_str(), "other.tga");  // unknown: the name itself
    gfx.GetTextureValidator().AddPath("c\\");
    EXPECT_EQ(gfx.FindTextureFile("tex.tga", found), 1);
    EXPECT_STREQ(found.c_str(), "c\\tex.tga");
    EXPECT_EQ(gfx.FindTextureFile("none.tga", found), 0);
}

TEST(DXC_Gfx, PlaceholdersOnTheServer)
{
    TempDir dir;
    dir.Write("a.tga", "image");
    dir.Write("b.tga", "other image");
    DXC_Gfx gfx;
    gfx.SetDedicatedMode(1);
    EXPECT_FALSE(gfx.HasPlaceholderTexture());
    DXC_Texture one, two;
    ASSERT_EQ(gfx.LoadTexture(&one, (dir / "a.tga").c_str(), 0, 0, -1, 0), 1);
    ASSERT_EQ(gfx.LoadTexture(&two, (dir / "b.tga").c_str(), 0, -1, -1, 0), 1);
    IDirect3DTexture9* image = gfx.GetPlaceholderTexture().stageTextures[0];
    EXPECT_EQ(one.stageTextures[0], image);  // made once, shared by both
    EXPECT_EQ(two.stageTextures[0], image);
    EXPECT_EQ(gfx.GetTextureManager().GetCount(), 1);
    EXPECT_EQ(gfx.GetTextureManager().GetReferenceCount(one.stageIds[0]), 3);
    EXPECT_EQ(one.pixelWidth, 8);
    EXPECT_EQ(one.pixelHeight, 8);
    EXPECT_EQ(PixelAt(image, 0, 0), DXC_Gfx::kPlaceholderColor);
    EXPECT_EQ(PixelAt(image, 7, 7), DXC_Gfx::kPlaceholderColor);
    EXPECT_STREQ(one.GetStageFileName(0).c_str(), (dir / "a.tga").c_str());
    one.SelectStage(2);
    gfx.LoadTexture(&one, (dir / "a.tga").c_str(), 0, 0x2000, -1, 0);  // a further stage
    EXPECT_EQ(one.stageTextures[2], image);
    EXPECT_EQ(one.stageTextures[0], image);

    DXC_Surface surface;
    ASSERT_EQ(gfx.LoadSurface(&surface, (dir / "a.tga").c_str(), 0, -1), 1);
    EXPECT_EQ(surface.width, 8);
    EXPECT_EQ(surface.height, 8);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(surface.surface->LockRect(&locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(*static_cast<uint32_t*>(locked.pBits), DXC_Gfx::kPlaceholderColor);
    surface.surface->UnlockRect();
    EXPECT_EQ(DxcErrorOf([&] { gfx.LoadSurface(&surface, (dir / "gone.tga").c_str(), 0, -1); }),
              "Can not open file " + (dir / "gone.tga"));
    EXPECT_FALSE(surface.IsValid());
}

TEST(DXC_Gfx, TextureLoadingErrors)
{
    TempDir dir;
    dir.Write("a.tga", "image");
    const std::string a = dir / "a.tga";
    DXC_Gfx gfx;
    gfx.SetDedicatedMode(1);
    DXC_Texture texture;
    struct Case {
        DXC_Texture* texture;
        std::string name;
        int32_t options;
        std::string message;
    } cases[] = {
        {nullptr, a, 0, "DXC_Texture pointer in LoadTexture is NULL pointer!"},
        {&texture, "", 0, "Invalid file name in LoadTexture"},
        {&texture, ">>Video0", 0, "Invalid video source for texture: -1"},
        {&texture, ">>Video17", 0, "Invalid video source for texture: 16"},
        {&texture, ">>Video99999999999", 0, "Invalid video source for texture: 2147483647"},
        {&texture, ">>Video1", 0, "Invalid video source settings for source 1"},
        {&texture, a, 4, "Wrong texture parameter in LoadTexture!"},
        {&texture, a, 0x2001, "no error"},
        {&texture, dir / "gone.tga", 0, "Can not open file " + (dir / "gone.tga")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DxcErrorOf([&] { gfx.LoadTexture(c.texture, c.name.c_str(), 0, c.options, -1, 0); }), c.message)
            << c.name;

    // A video source with a size gives a texture of that size, shared by name.
    gfx.GetVideoSource(2).width = 16;
    gfx.GetVideoSource(2).height = 4;
    DXC_Texture video, again;
    gfx.LoadTexture(&video, ">>Video3", 0, 0, -1, 0);
    gfx.LoadTexture(&again, ">>Video3", 0, 0, -1, 0);
    EXPECT_EQ(video.stageTextures[0], again.stageTextures[0]);
    EXPECT_EQ(video.videoSource, 2);
    EXPECT_EQ(video.pixelWidth, 16);

    // Image file lists: one frame per line, found beside the list; an empty list is refused.
    dir.Write("anim.ifl", "a.tga\r\n\r\n  a.tga  \n");
    dir.Write("empty.ifl", "\n \n");
    dir.Write("loop.ifl", "loop.ifl\n");
    DXC_Texture frames;
    gfx.LoadTexture(&frames, (dir / "anim.ifl").c_str(), 0, 0, -1, 0);
    EXPECT_EQ(frames.GetSequenceLength(), 2);
    EXPECT_EQ(DxcErrorOf([&] { gfx.LoadTexture(&frames, (dir / "empty.ifl").c_str(), 0, 0, -1, 0); }),
              "Empty texture file list");
    EXPECT_NE(DxcErrorOf([&] { gfx.LoadTexture(&frames, (dir / "loop.ifl").c_str(), 0, 0, -1, 0); }), "no error");

    // Without the dedicated flag and without a device only shared images load.
    DXC_Gfx client;
    DXC_Texture shared, twice;
    EXPECT_NE(DxcErrorOf([&] { client.LoadTexture(&shared, a.c_str(), 0, 0, -1, 0); }).find("D3DXGetImageInfo"),
              std::string::npos);
    IDirect3DTexture9* image = nullptr;
    ASSERT_EQ(CreateMemoryTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &image), D3D_OK);
    const int32_t id = client.GetTextureManager().Add(image, client.MakeResourceKey(a.c_str()).c_str(), a.c_str());
    client.LoadTexture(&shared, a.c_str(), 0, 0, -1, 0);
    client.LoadTexture(&twice, a.c_str(), 0, 0, -1, 0);
    EXPECT_EQ(shared.stageTextures[0], image);
    EXPECT_EQ(client.GetTextureManager().GetReferenceCount(id), 3);
    shared.Release();
    twice.Release();
    EXPECT_EQ(client.GetTextureManager().Unacquire(id), 1);
    image->Release();
}

TEST(DXC_Gfx, MemoryMeshes)
{
    DXC_Gfx gfx;
    DXC_ResourceManager& manager = gfx.GetMeshManager();
    {
        DXC_Mesh mesh;
        mesh.SetObjectName("hull");
        EXPECT_EQ(DxcErrorOf([&] { gfx.CreateMesh(&mesh, 1, 65536, 1, 0x112, 0, 0, 0, 0, 0); }),
                  "Number of vertices too high: 65536 - only 65535 allowed (Mesh: 'hull')");
        EXPECT_NE(DxcErrorOf([&] { gfx.CreateMesh(&mesh, 0, 3, 1, 0x112, 0, 0, 0, 0, 0); }), "no error");
        EXPECT_EQ(DxcErrorOf([&] { gfx.CreateMesh(&mesh, 1, 3, 1, 0x110, 0, 0, 0, 0, 0); }),
                  "Invalid vertex format: 0x110 (Mesh: 'hull')");  // no position
        ASSERT_EQ(gfx.CreateMesh(&mesh, 2, 4, 1, 0x112, 0, 0, 0, 0, 0), 1);
        ASSERT_TRUE(mesh.HasDeviceMesh());
        EXPECT_EQ(mesh.deviceMesh->GetNumBytesPerVertex(), 32u);
        EXPECT_EQ(mesh.layout.vertexStride, 32u);
        EXPECT_EQ(mesh.faceCount, 2);
        EXPECT_EQ(manager.GetCount(), 1);
        EXPECT_EQ(manager.GetResource(mesh.resourceId), mesh.deviceMesh);
        EXPECT_TRUE(mesh.IsAcquired());
        ASSERT_EQ(gfx.CreateMesh(&mesh, 1, 3, 1, 0x002, 0, 0, 0, 0, 0), 1);  // the old one is given back
        EXPECT_EQ(manager.GetCount(), 1);
        EXPECT_EQ(mesh.deviceMesh->GetNumBytesPerVertex(), 12u);
    }
    EXPECT_EQ(manager.GetCount(), 0);  // the mesh gave its reference back when it went
}

TEST(DXC_Gfx, ConvertSceneRange)
{
    DXC_Gfx gfx;
    DXC_3dScene source;
    source.objectName = "creature.3sc";
    DXC_3dObject& root = *source.objects.GetBySlot(source.objects.Add());
    root.SetObjectName("root");
    AddTrack(root);
    DXC_Mesh& body = *source.meshes.GetBySlot(source.meshes.Add());
    body.SetObjectName("body");
    body.parentName = "root";
    body.parent = &root;
    AddTrack(body);

    DXC_3dScene range;
    ASSERT_EQ(gfx.ConvertSceneRange(source, range, 1.0f, 2.0f), 1);
    EXPECT_STREQ(range.objectName.c_str(), "creature.3sc");
    ASSERT_EQ(range.GetObjectCount(), 1);
    ASSERT_EQ(range.GetMeshCount(), 1);
    DXC_3dObject& newRoot = *range.objects.GetAt(0);
    DXC_Mesh& newBody = *range.meshes.GetAt(0);
    const std::vector<float> expected = {0.0f, 0.5f, 1.5f};
    EXPECT_EQ(Times(newRoot.posKeys), expected);
    EXPECT_EQ(Times(newRoot.rotKeys), expected);
    EXPECT_EQ(Times(newRoot.scaleKeys), expected);
    EXPECT_EQ(newRoot.numPosKey, 3);
    EXPECT_EQ(newRoot.numRotKey, 3);
    EXPECT_EQ(newBody.parent, &newRoot);  // linked within the new scene
    EXPECT_FLOAT_EQ(newRoot.aniRange, 1.0f);
    EXPECT_EQ(Times(root.posKeys).size(), 4u);  // the source keeps its keys

    // The rotation at the range's start is the source's at 1.0, and the first key now turns from
    // no rotation: its axis and angle are its whole rotation.
    newRoot.SetAniTime(0.25, 0, 1);
    root.SetAniTime(1.25, 0, 1);
    EXPECT_NEAR(std::fabs(D3DXQuaternionDot(&newRoot.aniRotation, &root.aniRotation)), 1.0f, 1e-5f);
    EXPECT_NEAR(newRoot.aniPosition.x, root.aniPosition.x, 1e-5f);
    const DXC_RotKeyData& first = newRoot.rotKeys->data;
    D3DXQUATERNION fromAxis;
    D3DXQuaternionRotationAxis(&fromAxis, &first.axis, first.angle);
    EXPECT_NEAR(std::fabs(D3DXQuaternionDot(&fromAxis, &first.quaternion)), 1.0f, 1e-5f);

    // A key before the start holds the value there; it moves to 0.
    DXC_3dScene late;
    ASSERT_EQ(gfx.ConvertSceneRange(source, late, 0.75f, 1.75f), 1);
    EXPECT_EQ(Times(late.objects.GetAt(0)->posKeys), (std::vector<float>{0.0f, 0.25f, 0.75f, 1.75f}));
}

TEST(DXC_Gfx, BuildAniCycle)
{
    DXC_Gfx gfx;
    DXC_AniCycle cycle;
    {
        DXC_3dScene scene;
        DXC_3dObject& root = *scene.objects.GetBySlot(scene.objects.Add());
        root.SetObjectName("root");
        AddTrack(root);
        DXC_3dObject& hand = *scene.objects.GetBySlot(scene.objects.Add());
        hand.SetObjectName("hand");
        hand.parentName = "root";
        DXC_Mesh& body = *scene.meshes.GetBySlot(scene.meshes.Add());
        body.SetObjectName("body");
        body.parentName = "hand";
        body.AllocMaterials(2);
        body.materials[1].power = 7.0f;
        AddTrack(body);

        ASSERT_EQ(gfx.BuildAniCycle(scene, cycle, 1.0f, 2.0f), 1);
        EXPECT_EQ(root.posKeys, nullptr);  // taken over: the scene's nodes forget them
        EXPECT_EQ(root.numRotKey, 0);
        EXPECT_EQ(body.scaleKeys, nullptr);
        root.Reset();  // and a reset frees nothing twice
    }
    ASSERT_EQ(cycle.objectTrackCount, 2);
    ASSERT_EQ(cycle.meshTrackCount, 1);
    EXPECT_FLOAT_EQ(cycle.startTime, 0.0f);
    EXPECT_FLOAT_EQ(cycle.endTime, 1.0f);
    const std::vector<float> expected = {0.0f, 0.5f, 1.5f};
    EXPECT_EQ(Times(cycle.objectTracks[0].posKeys), expected);
    EXPECT_EQ(Times(cycle.meshTracks[0].rotKeys), expected);
    EXPECT_EQ(cycle.objectTracks[1].parent, &cycle.objectTracks[0]);
    EXPECT_EQ(cycle.meshTracks[0].parent, &cycle.objectTracks[1]);
    EXPECT_EQ(cycle.meshTracks[0].materialCount, 2);
    EXPECT_EQ(cycle.meshTracks[0].materials[1].power, 7.0f);
    EXPECT_NE(cycle.objectTracks[0].posTimeTable, nullptr);
    cycle.SetAniTime(0.5);
    EXPECT_NEAR(cycle.objectTracks[0].aniPosition.x, 1.5f, 1e-5f);  // the scene's value at 1.5
}
