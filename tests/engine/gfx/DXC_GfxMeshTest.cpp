// DXC_GfxMeshTest: building meshes for the device (options, vertex limit, materials), drawing them
// in their material passes with the states they restore, skinning, mirrored and two-sided culling,
// effects that hand passes over, face ranges and vertex lists, and a loaded scene drawn whole.
#include "engine/gfx/DXC_Gfx.h"

#include "engine/gfx/DXC_ShaderEffect.h"
#include "engine/gfx/DXC_VertexList.h"
#include "engine/scene/DXC_3dScene.h"
#include "engine/scene/DXC_Mesh.h"
#include "support/DeviceGfx.h"
#include "support/ErrorOf.h"
#include "support/FixtureRoot.h"
#include "support/LoadStateScope.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr uint32_t kFormat = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;  // 0x112

// One face per material on the device, sorted into subsets 0 to n - 1, named "box".
void BuildMesh(DXC_Gfx& gfx, DXC_Mesh& mesh, int32_t materials, uint32_t format = kFormat)
{
    mesh.SetObjectName("box");
    ASSERT_EQ(gfx.CreateMesh(&mesh, materials, 3 * materials, materials, format, 0, 0, 1, 0, 0), 1);
    mesh.LockAll(0);
    auto* indices = static_cast<uint16_t*>(mesh.lockedIndexData);
    auto* attributes = static_cast<DWORD*>(mesh.lockedAttributeData);
    for (int32_t f = 0; f < materials; f++) {
        for (int32_t c = 0; c < 3; c++)
            indices[3 * f + c] = uint16_t(3 * f + c);
        attributes[f] = DWORD(materials - 1 - f);  // the sort puts them in order
    }
    mesh.UnlockAll();
    mesh.Optimize();
}

std::vector<uint32_t> RenderStates(D3D9Journal& journal, D3DRENDERSTATETYPE state)
{
    std::vector<uint32_t> values;
    for (const D3D9Call& call : journal.CallsOf(D3D9Op::SetRenderState))
        if (call.Arg(0) == state)
            values.push_back(call.Arg(1));
    return values;
}

bool Contains(const std::vector<uint32_t>& values, uint32_t value)
{
    return std::find(values.begin(), values.end(), value) != values.end();
}

// A mesh of n materials built on a typical device, drawn inside a scene.
class DXC_GfxMeshDraw : public ::testing::Test {
protected:
    void Build(int32_t materials)
    {
        BuildMesh(gfx, mesh, materials);
        gfx.BeginScene();
    }
    void TearDown() override
    {
        if (gfx.IsInScene())
            gfx.EndScene();
    }

    DeviceGfx client;
    DXC_Gfx& gfx = client.Gfx();
    D3D9Journal& journal = client.Journal();
    DXC_Mesh mesh;
};

}  // namespace

TEST(DXC_GfxMesh, BuildingChoosesOptionsByVertexProcessing)
{
    struct Case {
        bool mixed;
        int32_t systemMemory, extra;
        uint32_t options;
        uint32_t pool;
    } cases[] = {
        {true, 0, 0, D3DXMESH_MANAGED, D3DPOOL_MANAGED},
        {true, 1, 0, D3DXMESH_SYSTEMMEM, D3DPOOL_SYSTEMMEM},
        {true, 0, int32_t(D3DXMESH_DYNAMIC), D3DXMESH_DYNAMIC, D3DPOOL_DEFAULT},  // no pool bits
        {true, 0, -1, D3DXMESH_MANAGED, D3DPOOL_MANAGED},
        {false, 0, 0, D3DXMESH_SYSTEMMEM | D3DXMESH_SOFTWAREPROCESSING, D3DPOOL_SYSTEMMEM},
    };
    for (const Case& c : cases) {
        D3D9AdapterProfile profile = D3D9AdapterProfile::Typical();
        if (!c.mixed)
            profile.caps.DevCaps &= ~D3DDEVCAPS_HWTRANSFORMANDLIGHT;  // the device is made for software only
        DeviceGfx client(profile);
        DXC_Mesh mesh;
        ASSERT_EQ(client.Gfx().CreateMesh(&mesh, 2, 4, 0, kFormat, c.systemMemory, 0, 0, c.extra, 0), 1);
        EXPECT_EQ(mesh.deviceMesh->GetOptions(), c.options) << c.mixed << " " << c.extra;
        EXPECT_EQ(client.Journal().Last(D3D9Op::CreateVertexBuffer)->Arg(3), c.pool);
        EXPECT_EQ(mesh.layout.selector, c.mixed ? 1u : 0u);
        EXPECT_EQ(client.Gfx().GetMeshManager().GetResource(mesh.resourceId), mesh.deviceMesh);
    }
}

TEST(DXC_GfxMesh, BuildingLimitsAndMaterials)
{
    DeviceGfx client;
    DXC_Gfx& gfx = client.Gfx();
    DXC_Mesh mesh;
    mesh.SetObjectName("hull");
    EXPECT_EQ(DxcErrorOf([&] { gfx.CreateMesh(&mesh, 1, 65536, 1, kFormat, 0, 0, 1, 0, 0); }),
              "Number of vertices too high: 65536 - only 65535 allowed (Mesh: 'hull')");
    EXPECT_EQ(client.Journal().Count(D3D9Op::CreateVertexBuffer), 0);  // before any mesh was made
    ASSERT_EQ(gfx.CreateMesh(&mesh, 1, 65535, 3, kFormat, 0, 0, 1, 0, 0), 1);
    ASSERT_EQ(mesh.materialCount, 3);
    for (int32_t i = 0; i < 3; i++) {
        const DXC_Material& m = mesh.materials[i];
        EXPECT_FLOAT_EQ(m.diffuse.r, 0.9f);
        EXPECT_FLOAT_EQ(m.ambient.b, 0.9f);
        EXPECT_EQ(m.diffuse.a, 1.0f);
        EXPECT_EQ(m.emissive.g, 0.0f);
        EXPECT_EQ(m.emissive.a, 1.0f);
        EXPECT_EQ(m.power, 0.0f);
        EXPECT_EQ(mesh.textures[i].device, &client.Device());
    }
    // Rebuilt without new materials, the count must stay; the refused mesh is not kept.
    EXPECT_EQ(DxcErrorOf([&] { gfx.CreateMesh(&mesh, 1, 3, 2, kFormat, 0, 0, 0, 0, 0); }), "nrMat does not match!");
    EXPECT_FALSE(mesh.HasDeviceMesh());
    ASSERT_EQ(gfx.CreateMesh(&mesh, 1, 3, 3, kFormat, 0, 0, 0, 0, 0), 1);
    EXPECT_EQ(gfx.GetMeshManager().GetCount(), 1);
}

TEST_F(DXC_GfxMeshDraw, PassesTransparencyAndRestoredStates)
{
    Build(3);
    mesh.materials[1].passNumber = 1;
    mesh.materials[2].transparency = 0.5f;
    MakeTextureStages(gfx, mesh.textures[0], {MAP_DIFFUSE});  // its stages set the addressing
    gfx.SetBlendMode(3, 200, 0);
    gfx.SetZWriteEnable(1);
    gfx.SetTextureAddressU(D3DTADDRESS_MIRROR, 0);
    gfx.SetCullMode(-1);
    const int32_t alpha = gfx.GetBlendAlpha();

    struct Case {
        int32_t passMask;
        float opacity;
        std::vector<uint32_t> startIndices;  // of the subsets drawn, in order
    } cases[] = {
        {3, 1.0f, {0, 6, 3}},  // pass 0 (materials 0 and 2), then pass 1
        {1, 1.0f, {0, 6}},
        {2, 1.0f, {3}},
        {3, 0.0f, {}},  // nothing shows
    };
    for (const Case& c : cases) {
        mesh.opacity = c.opacity;
        journal.Clear();
        const int32_t triangles = gfx.trianglesDrawn;
        EXPECT_EQ(gfx.DrawMesh(&mesh, nullptr, nullptr, 0, false, c.passMask, false), 1);
        std::vector<uint32_t> starts;
        for (const D3D9Call& call : journal.CallsOf(D3D9Op::DrawIndexedPrimitive))
            starts.push_back(call.Arg(4));
        EXPECT_EQ(starts, c.startIndices) << c.passMask << " " << c.opacity;
        EXPECT_EQ(gfx.trianglesDrawn - triangles, int32_t(c.startIndices.size()));
        EXPECT_EQ(gfx.GetBlendMode(), 3);
        EXPECT_EQ(gfx.GetBlendAlpha(), alpha);
        EXPECT_EQ(RenderStateOf(client.Device(), D3DRS_ZWRITEENABLE), 1u);
        EXPECT_EQ(SamplerStateOf(client.Device(), 0, D3DSAMP_ADDRESSU), D3DTADDRESS_MIRROR);
        EXPECT_EQ(RenderStateOf(client.Device(), D3DRS_CULLMODE), D3DCULL_CCW);
    }

    // Half transparent at half opacity: drawn three quarters transparent, without z-writes.
    mesh.opacity = 0.5f;
    journal.Clear();
    gfx.DrawMesh(&mesh, nullptr, nullptr, 0, false, 1, false);
    bool quarter = false;
    for (uint32_t factor : RenderStates(journal, D3DRS_TEXTUREFACTOR))
        quarter = quarter || (factor >> 24) == 63;
    EXPECT_TRUE(quarter);
    EXPECT_TRUE(Contains(RenderStates(journal, D3DRS_ZWRITEENABLE), 0));
}

TEST_F(DXC_GfxMeshDraw, MirroredAndTwoSidedCulling)
{
    Build(1);
    gfx.SetCullMode(-1);
    D3DXMATRIX mirror;
    D3DXMatrixScaling(&mirror, -1.0f, 1.0f, 1.0f);
    journal.Clear();
    gfx.DrawMesh(&mesh, &mirror, nullptr, 0, false, 3, false);
    EXPECT_EQ(RenderStates(journal, D3DRS_CULLMODE), (std::vector<uint32_t>{D3DCULL_CW, D3DCULL_CCW}));
    journal.Clear();
    gfx.DrawMesh(&mesh, nullptr, nullptr, 0, false, 3, false);
    EXPECT_TRUE(RenderStates(journal, D3DRS_CULLMODE).empty());  // the next mesh keeps the normal culling
    mesh.materials[0].twoSided = 1;
    journal.Clear();
    gfx.DrawMesh(&mesh, nullptr, nullptr, 0, false, 3, false);
    EXPECT_EQ(RenderStates(journal, D3DRS_CULLMODE), (std::vector<uint32_t>{D3DCULL_NONE, D3DCULL_CCW}));
}

TEST(DXC_GfxMesh, SkinnedMeshesSetOneWorldMatrixPerBone)
{
    for (uint32_t deviceBones : {4u, 2u}) {
        D3D9AdapterProfile profile = D3D9AdapterProfile::Typical();
        profile.caps.MaxVertexBlendMatrices = deviceBones;
        DeviceGfx client(profile);
        DXC_Gfx& gfx = client.Gfx();
        D3D9Journal& journal = client.Journal();
        DXC_Mesh mesh;
        for (const char* name : {"hip", "knee", "foot"}) {
            DXC_BoneInfo bone;
            bone.boneName = name;
            D3DXMatrixIdentity(&bone.offsetMatrix);
            mesh.FindOrAddBone(bone);
        }
        BuildMesh(gfx, mesh, 1, 0x006 | D3DFVF_NORMAL);  // one blend weight
        mesh.vertexBlendMode = mesh.VertexBlendMode(mesh.layout.weightCount);
        D3DXMatrixTranslation(&mesh.worldMatrix, 0.0f, 2.0f, 0.0f);
        gfx.BeginScene();
        LogCapture log;
        journal.Clear();
        D3DXMATRIX world;
        D3DXMatrixTranslation(&world, 5.0f, 0.0f, 0.0f);
        gfx.DrawMesh(&mesh, &world, nullptr, 0, false, 3, false);
        int32_t bonesSet = 0;
        for (const D3D9Call& call : journal.CallsOf(D3D9Op::SetTransform))
            bonesSet += call.Arg(0) >= D3DTS_WORLDMATRIX(0) && call.Arg(0) <= D3DTS_WORLDMATRIX(2);
        EXPECT_EQ(bonesSet, 3);
        EXPECT_EQ(gfx.GetWorldMatrix(2).m[3][0], 5.0f);  // the bone (the mesh's own matrix) then the world
        EXPECT_EQ(gfx.GetWorldMatrix(2).m[3][1], 2.0f);
        EXPECT_EQ(RenderStates(journal, D3DRS_VERTEXBLEND), (std::vector<uint32_t>{mesh.vertexBlendMode, 0}));
        EXPECT_EQ(log.Count("Number of bones too high for hardware vertex blending: 3"), deviceBones < 3 ? 1 : 0);
        gfx.EndScene();
    }
}

TEST_F(DXC_GfxMeshDraw, SubsetAndRangeErrors)
{
    Build(2);
    {
        LogCapture log;
        EXPECT_EQ(gfx.DrawMesh(nullptr, nullptr, nullptr, 0, false, 3, false), 0);
        EXPECT_EQ(log.Count("Pointer to mesh is zero"), 1);
    }
    mesh.attributeTable[1].AttribId = 5;
    EXPECT_EQ(DxcErrorOf([&] { gfx.DrawMeshSubset(&mesh, 1, 0); }),
              "Attribute set for material 1 in mesh 'box' with wrong ID");
    EXPECT_EQ(DxcErrorOf([&] { gfx.DrawMeshSubset(&mesh, 2, 0); }),
              "Attribute set for material 2 in mesh 'box' with wrong ID");
    journal.Clear();
    EXPECT_EQ(gfx.DrawIndexedPrimitive(&mesh, 0, 0, 0), 0);
    EXPECT_EQ(journal.Count(D3D9Op::DrawIndexedPrimitive), 0);
    EXPECT_EQ(gfx.DrawIndexedPrimitive(&mesh, 1, 1, 0), 1);
    const D3D9Call* draw = journal.Last(D3D9Op::DrawIndexedPrimitive);
    EXPECT_EQ(draw->Arg(3), 6u);  // over the mesh's vertices
    EXPECT_EQ(draw->Arg(4), 3u);  // from the second face
    EXPECT_EQ(draw->Arg(5), 1u);
    journal.FailNext(D3D9Op::DrawIndexedPrimitive, 1, D3DERR_INVALIDCALL);
    EXPECT_EQ(DxcErrorOf([&] { gfx.DrawIndexedPrimitive(&mesh, 0, 1, 0); }),
              "DrawIndexedPrimitive failed: D3DERR_INVALIDCALL");

    DXC_VertexListTemp<DXC_TLVertex> list;
    ASSERT_EQ(list.Create(&client.Device(), 6, DXC_VertexList::kTriangleList), 1);
    journal.Clear();
    const int32_t calls = gfx.drawCalls;
    EXPECT_EQ(gfx.DrawTriangleList(&list, 0, -1), 1);
    ASSERT_EQ(journal.Count(D3D9Op::DrawPrimitive), 1);
    EXPECT_EQ(journal.Last(D3D9Op::DrawPrimitive)->Arg(2), 2u);
    EXPECT_EQ(journal.Last(D3D9Op::SetFVF)->Arg(0), DXC_TLVertex::kFormat);
    EXPECT_EQ(gfx.drawCalls, calls + 1);
    EXPECT_EQ(gfx.DrawTriangleList(&list, 0, 0), 1);
    EXPECT_EQ(journal.Count(D3D9Op::DrawPrimitive), 1);
    EXPECT_EQ(DxcErrorOf([&] { gfx.DrawTriangleList(&list, 0, 7); }),
              "Number of elements in DrawTriangleList too high! (7)");
}

// A pass that the effect hands over is drawn by the secondary effect while one is set.
TEST_F(DXC_GfxMeshDraw, EffectPassesAndTheSecondaryEffect)
{
    Build(1);
    auto makeEffect = [](DXC_ShaderEffect& effect, int passes) {
        ID3DXEffect* made = nullptr;
        ASSERT_EQ(CreateMemoryEffect(&made), D3D_OK);
        made->SetTechniqueCount(0);
        ID3DXEffect::Node* technique = made->NewNode(ID3DXEffect::NodeKind::Technique, "t");
        for (int p = 0; p < passes; p++)
            technique->passes.push_back(made->NewNode(ID3DXEffect::NodeKind::Pass, "p" + std::to_string(p)));
        made->AddTechnique(technique);
        effect.Initialise(nullptr, made, nullptr);
        ASSERT_TRUE(effect.IsValid());
    };
    DXC_ShaderEffect primary, secondary;
    makeEffect(primary, 2);
    makeEffect(secondary, 1);
    primary.effect->techniques[0].passes[1].handsOver = 1;
    gfx.SetActiveEffect(&primary);
    journal.Clear();
    EXPECT_EQ(gfx.DrawMeshSubset(&mesh, 0, 0), 1);
    EXPECT_EQ(journal.Count(D3D9Op::DrawSubset), 2);  // a pass without a secondary effect draws itself
    gfx.secondaryEffect = &secondary;
    journal.Clear();
    EXPECT_EQ(gfx.DrawMeshSubset(&mesh, 0, 0), 1);
    EXPECT_EQ(journal.Count(D3D9Op::DrawSubset), 2);
    EXPECT_EQ(gfx.activeEffect, &primary);  // the secondary effect was active for its pass only
    EXPECT_FALSE(primary.effect->effect->IsInDrawing());
    EXPECT_FALSE(secondary.effect->effect->IsInDrawing());
    const D3D9Call* subset = journal.Last(D3D9Op::DrawSubset);
    EXPECT_EQ(subset->Arg(2), 1u);
    gfx.SetActiveEffect(nullptr);
}

// Every subset of a loaded scene is drawn once in its pass; the server's copy of the scene has its
// meshes in memory, without a device.
TEST(DXC_GfxMesh, LoadedSceneDrawsEverySubset)
{
    const std::string file = std::string(SERVER_FIXTURES) + "/scene/pair/creature.3sc";
    LoadStateScope scope;
    DeviceGfx client;
    DXC_Gfx& gfx = client.Gfx();
    DXC_3dScene scene;
    ASSERT_EQ(gfx.LoadScene(&scene, file.c_str(), 0), 1);
    gfx.BeginScene();
    client.Journal().Clear();
    int32_t subsets = 0;
    for (int32_t i = 0; i < scene.meshes.GetSize(); i++) {
        DXC_Mesh* mesh = scene.meshes.GetAt(i);
        ASSERT_TRUE(mesh->HasDeviceMesh());
        EXPECT_EQ(mesh->deviceMesh->GetDevice(), &client.Device());
        subsets += mesh->attributeCount;
        EXPECT_EQ(gfx.DrawMesh(mesh, nullptr, nullptr, 0, false, 3, false), 1);
    }
    EXPECT_GT(subsets, 0);
    EXPECT_EQ(client.Journal().Count(D3D9Op::DrawIndexedPrimitive) + client.Journal().Count(D3D9Op::DrawSubset),
              subsets);
    gfx.EndScene();

    DXC_Gfx server;
    server.SetDedicatedMode(1);
    DXC_3dScene copy;
    ASSERT_EQ(server.LoadScene(&copy, file.c_str(), 0), 1);
    ASSERT_EQ(copy.meshes.GetSize(), scene.meshes.GetSize());
    for (int32_t i = 0; i < copy.meshes.GetSize(); i++) {
        ASSERT_TRUE(copy.meshes.GetAt(i)->HasDeviceMesh());
        EXPECT_EQ(copy.meshes.GetAt(i)->deviceMesh->GetDevice(), nullptr);
        EXPECT_EQ(copy.meshes.GetAt(i)->faceCount, scene.meshes.GetAt(i)->faceCount);
    }
}
