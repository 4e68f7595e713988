// DXC_TextureTest: frame sequences over time, stage transforms, shared references through clones,
// set and release, and the texture record of scene files in the current and older versions.
#include "engine/gfx/DXC_Texture.h"

#include "engine/gfx/DXC_Gfx.h"
#include "support/ByteBuilder.h"
#include "support/ErrorOf.h"
#include "support/LoadStateScope.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

// The six fields before the stages of an old texture record.
ByteBuilder OldRecordHead()
{
    ByteBuilder b;
    b.I32(1).F32(0).F32(0.2f).I32(0).F32(1.0f).I32(-1);
    return b;
}

// The platform texture's reference count, read without changing it.
uint32_t References(IDirect3DTexture9* texture)
{
    texture->AddRef();
    return texture->Release();
}

}  // namespace

TEST(DXC_Texture, SequenceFrames)
{
    struct Case {
        int32_t mode;
        float time;
        int32_t frame;
    } cases[] = {
        {1, 0.1f, 0}, {1, 0.3f, 1}, {1, 0.5f, 2}, {1, 0.7f, 3}, {1, 0.9f, 3}, {1, 1.1f, 2}, {1, 1.3f, 1},
        {2, 0.7f, 3}, {2, 5.0f, 3}, {2, -1.0f, 0}, {2, 0.3f, 1},
        {0, 0.9f, 0}, {0, 0.5f, 2}, {0, -0.3f, 3},  // -1.5 truncates to -1, which wraps to 3
    };
    for (const Case& c : cases) {
        DXC_Texture texture;
        texture.AllocSequence(4);
        texture.SetSequenceParams(0.2f, 0.0f, c.mode);
        texture.Update(c.time);
        EXPECT_EQ(texture.currentFrame, c.frame) << c.mode << " " << c.time;
    }
    DXC_Texture frozen;
    frozen.AllocSequence(3);
    frozen.SetSequenceParams(0.0f, 0.0f, 0);  // a frame time of 0 from a file
    EXPECT_EQ(DxcErrorOf([&] { frozen.Update(1.0f); }), "Invalid sequence number");
    EXPECT_EQ(DxcErrorOf([&] { frozen.SelectFrame(3); }), "Invalid sequence number");
    EXPECT_EQ(DxcErrorOf([&] { frozen.SelectStage(4); }), "Invalid texture stage selected: 4");
}

TEST(DXC_Texture, StageTransforms)
{
    DXC_Texture texture;
    texture.stages[1].transformActive = 1;
    texture.Update(0.0f);
    EXPECT_EQ(texture.stages[1].transformActive, 0);  // identity values switch it off
    EXPECT_EQ(texture.transformChanged[1], 0);

    BezierSpline<float>& offsetU = texture.stages[2].animation.curves[0];
    offsetU.SetNumKeys(2);
    offsetU.GetKey(1) = {1.0f, 0.5f, 0.0f, 0.0f};
    texture.stages[2].animation.constants[2] = 2.0f;  // U scale without a curve
    texture.SelectStage(3);
    texture.Update(1.0f);
    EXPECT_EQ(texture.GetCurrentStage(), 3);  // the selection survives the update
    const DXC_MapInfo& stage = texture.stages[2];
    EXPECT_EQ(stage.transformActive, 1);
    EXPECT_FLOAT_EQ(stage.textureMatrix.m[0][0], 2.0f);
    EXPECT_FLOAT_EQ(stage.textureMatrix.m[2][0], -0.5f + 0.5f);  // centre kept, then moved by 0.5
}

TEST(DXC_Texture, SharedReferences)
{
    DXC_Gfx gfx;
    DXC_Texture& placeholder = gfx.GetPlaceholderTexture();
    IDirect3DTexture9* image = placeholder.stageTextures[0];
    DXC_ImageManager& manager = gfx.GetTextureManager();
    const int32_t id = placeholder.stageIds[0];
    EXPECT_EQ(manager.GetReferenceCount(id), 1);
    {
        DXC_Texture a, b, names;
        placeholder.Clone(a, 1, 2);  // one stage, shared
        EXPECT_EQ(manager.GetReferenceCount(id), 2);
        EXPECT_EQ(a.stageTextures[2], image);
        EXPECT_EQ(a.stageIds[2], id);
        a.SelectStage(2);
        EXPECT_TRUE(a.IsValid());
        a.Clone(b, 1, -1);  // the whole texture, shared
        EXPECT_EQ(manager.GetReferenceCount(id), 3);
        a.stageNames[2] = "models\\tex.tga";
        a.Clone(names, 0, -1);  // not shared: names only, no references
        EXPECT_EQ(manager.GetReferenceCount(id), 3);
        EXPECT_EQ(names.stageTextures[2], nullptr);
        EXPECT_EQ(names.stageIds[2], -1);
        EXPECT_STREQ(names.stageNames[2].c_str(), "models\\tex.tga");
        EXPECT_FALSE(names.IsValid());
        EXPECT_EQ(DxcErrorOf([&] { a.Clone(names, 0, 1); }), "Internal error: DXC_Texture::Clone invalid parameters");

        DXC_Texture set;
        EXPECT_EQ(set.SetTexture(&a), 1);
        EXPECT_EQ(manager.GetReferenceCount(id), 4);
        EXPECT_EQ(set.SetTexture(&a), 1);  // already showing it: no further reference
        EXPECT_EQ(manager.GetReferenceCount(id), 4);
        EXPECT_EQ(set.SetTexture(&names), 0);  // not valid: the stage is cleared
        EXPECT_EQ(manager.GetReferenceCount(id), 3);

        DXC_ImageManager otherManager;
        DXC_Texture foreign;
        foreign.resourceManager = &otherManager;
        EXPECT_EQ(DxcErrorOf([&] { foreign.SetTexture(&a); }), "Invalid resource managers for DXC_Texture::SetTexture()");

        a.Release();
        EXPECT_EQ(manager.GetReferenceCount(id), 2);
        EXPECT_FALSE(a.IsValid());
    }
    EXPECT_EQ(manager.GetReferenceCount(id), 1);  // b gave its reference back on destruction
    EXPECT_EQ(References(image), 1u);             // the image itself was never released early

    // The last of two sharers releases the image exactly once.
    IDirect3DTexture9* made = nullptr;
    ASSERT_EQ(CreateMemoryTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &made), D3D_OK);
    made->AddRef();  // the test's own reference, to watch the count
    DXC_Texture first, second;
    first.SetStageTexture(made, &manager, manager.Add(made, "own_0", "own"));
    first.Clone(second, 1, -1);
    EXPECT_STREQ(second.GetName().c_str(), "own");
    first.Release();
    EXPECT_EQ(References(made), 2u);
    second.Release();
    EXPECT_EQ(References(made), 1u);
    made->Release();
}

TEST(DXC_Texture, RecordRoundTrip)
{
    LoadStateScope scope;
    SceneLoadState::Current().version = 110;
    SceneLoadState::Current().loadGeometry = false;
    DXC_Gfx gfx;
    DXC_Texture texture;
    texture.mipLevels = 3;
    texture.startTime = 0.5f;
    texture.frameTime = 0.1f;
    texture.sequenceStage = 2;
    texture.playbackMode = 1;
    texture.recordFloat = 0.75f;
    texture.videoSource = -1;
    texture.stages[0].mapType = MAP_DIFFUSE;
    texture.stages[0].texCoordIndex = -1;
    texture.stages[0].mirrorV = 1;
    texture.stages[0].wrapU = 1;
    texture.stages[1].mapType = MAP_NORMAL;
    texture.stages[1].blendAmount = 0.5f;
    texture.stages[1].animation.curves[4].SetNumKeys(2);
    texture.stages[1].animation.constants[3] = 4.0f;
    texture.stageNames[0] = "tex\\a.tga";
    texture.stageNames[1] = "tex\\a_n.tga";
    File saved;
    saved.CreateMemoryFile(0);
    texture.Save(saved);
    saved.Seek(0);

    DXC_Texture read;
    read.ReadFromScene(saved, gfx);
    EXPECT_EQ(saved.GetRemaining(), 0);
    EXPECT_EQ(read.resourceManager, &gfx.GetTextureManager());
    EXPECT_EQ(read.stages[0].texCoordIndex, -1);
    EXPECT_EQ(read.stages[1].animation.curves[4].GetNumKeys(), 2);
    EXPECT_EQ(read.sequenceStage, 2);
    EXPECT_EQ(read.playbackMode, 1);
    EXPECT_FALSE(read.IsValid());  // nothing is loaded without geometry
    File again;
    again.CreateMemoryFile(0);
    read.Save(again);
    EXPECT_EQ(BytesOf(again), BytesOf(saved));

    for (int32_t cut : {0, 10, 30, 200}) {
        ByteBuilder shortRecord;
        shortRecord.bytes = BytesOf(saved);
        shortRecord.bytes.resize(size_t(cut));
        File file;
        shortRecord.Into(file);
        EXPECT_NE(DxcErrorOf([&] { read.ReadFromScene(file, gfx); }), "no error") << cut;
    }
}

TEST(DXC_Texture, OlderRecords)
{
    LoadStateScope scope;
    SceneLoadState& state = SceneLoadState::Current();
    state.loadGeometry = false;
    state.blendWeight = 0.3f;
    state.stageFlags[0] = 1;
    DXC_Gfx gfx;
    DXC_MapInfo none;
    File animation;
    animation.CreateMemoryFile(0);
    none.WriteAnimation(animation);
    const std::vector<uint8_t> anim = BytesOf(animation);
    struct Stage {
        const char* name;
        int32_t kind;
        int32_t type;
    } stages[4] = {{"a.tga", 1, MAP_DIFFUSE}, {"b.tga", 3, MAP_REFLECTION}, {"", 4, MAP_NONE}, {"d.tga", 8, MAP_SELFILLUM}};
    for (int32_t version : {103, 104, 105, 109}) {
        SCOPED_TRACE(version);
        state.version = version;
        ByteBuilder b = OldRecordHead();
        for (const Stage& s : stages)
            b.Append(anim).Str(s.name).I32(s.kind).I32(0);
        if (version <= 104)
            for (int block = 0; block < 4; block++)
                b.Zeros(80).Str("dropped").Zeros(8);
        File file;
        b.Into(file);
        DXC_Texture texture;
        texture.ReadFromScene(file, gfx);
        EXPECT_EQ(file.GetRemaining(), 0);
        for (int32_t s = 0; s < 4; s++)
            EXPECT_EQ(texture.stages[s].mapType, stages[s].type) << s;
        EXPECT_FLOAT_EQ(texture.stages[1].blendAmount, 0.3f);
        EXPECT_FLOAT_EQ(texture.stages[0].blendAmount, 1.0f);
        EXPECT_EQ(texture.stages[3].mirrorU, 1);
        EXPECT_EQ(texture.stages[3].wrapV, 1);
    }
    // Kind 7 was never a map kind.
    state.version = 105;
    ByteBuilder b = OldRecordHead();
    for (int s = 0; s < 4; s++)
        b.Append(anim).Str("x.tga").I32(7).I32(0);
    File file;
    b.Into(file);
    DXC_Texture texture;
    texture.ReadFromScene(file, gfx);
    EXPECT_EQ(texture.stages[0].mapType, MAP_NONE);
}

TEST(DXC_Texture, LoadsStagesOnTheServer)
{
    LoadStateScope scope;
    TempDir dir;
    dir.Write("models/tex/a.tga", "image");
    dir.Write("models/tex/n.tga", "normals");
    ScopedCurrentDir here(dir.Path());
    SceneLoadState& state = SceneLoadState::Current();
    state.version = 110;
    state.loadGeometry = true;
    state.textureDirectory = "models\\tex\\";
    DXC_Gfx gfx;
    gfx.SetDedicatedMode(1);
    DXC_Texture texture;
    texture.stages[0].mapType = MAP_DIFFUSE;
    texture.stages[1].mapType = MAP_NORMAL;
    texture.stages[2].mapType = MAP_DIFFUSE;
    texture.stageNames[0] = "A.TGA";
    texture.stageNames[1] = "n.tga";
    texture.stageNames[2] = "missing.tga";
    File saved;
    saved.CreateMemoryFile(0);
    texture.Save(saved);
    saved.Seek(0);

    LogCapture log;
    DXC_Texture read;
    read.ReadFromScene(saved, gfx);
    EXPECT_TRUE(gfx.HasPlaceholderTexture());
    EXPECT_EQ(read.stageTextures[0], gfx.GetPlaceholderTexture().stageTextures[0]);
    EXPECT_EQ(read.stages[0].mapType, MAP_DIFFUSE);  // the stage keeps its type through the load
    EXPECT_EQ(read.stageTextures[1], nullptr);       // normal maps are not for the server
    EXPECT_EQ(read.stageTextures[2], nullptr);
    EXPECT_EQ(log.Count("Can not open texture: missing.tga"), 1);
    EXPECT_EQ(read.GetCurrentStage(), 0);
    EXPECT_EQ(read.pixelWidth, 8);
    EXPECT_TRUE(read.IsValid());
}
