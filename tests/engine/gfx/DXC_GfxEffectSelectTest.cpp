// DXC_GfxEffectSelectTest: the effect slots and their setters, the device calls they stop, and the
// sphere-map coordinates of meshes drawn without an effect.
#include "engine/gfx/DXC_Gfx.h"

#include "engine/gfx/DXC_ShaderEffect.h"
#include "engine/scene/DXC_Mesh.h"
#include "support/DeviceGfx.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

namespace {

// An effect in memory with these parameters, taken over by effect; valid with techniques.
ID3DXEffect* MakeEffect(DXC_ShaderEffect& effect, std::initializer_list<const char*> names, uint32_t techniques = 1)
{
    ID3DXEffect* made = nullptr;
    EXPECT_EQ(CreateMemoryEffect(&made), D3D_OK);
    for (const char* name : names)
        made->AddParameter(name, "");
    made->SetTechniqueCount(techniques);
    effect.Initialise(nullptr, made, nullptr);
    return made;
}

}  // namespace

// Invalid effects clear the slots; a material effect takes the presets its effect has a
// parameter for, vectors with a fourth component of 0.
TEST(DXC_GfxEffectSelect, SlotsTakeValidEffectsAndMaterialPresets)
{
    DXC_Gfx gfx;
    DXC_ShaderEffect valid, disabled, empty;
    ID3DXEffect* made = MakeEffect(valid, {"fParam2", "vParam1"});
    MakeEffect(disabled, {}, 0);

    EXPECT_EQ(gfx.SetActiveEffect(&valid), 1);
    EXPECT_EQ(gfx.activeEffect, &valid);
    for (DXC_ShaderEffect* cleared : {&disabled, &empty, static_cast<DXC_ShaderEffect*>(nullptr)}) {
        gfx.SetActiveEffect(&valid);
        gfx.SetActiveEffect(cleared);
        EXPECT_EQ(gfx.activeEffect, nullptr);
        gfx.SetMaterialEffect(&valid);
        gfx.SetMaterialEffect(cleared);
        EXPECT_EQ(gfx.materialEffect, nullptr);
    }

    DXC_Material presets;
    presets.floatParams[0] = {0.25f, 1};  // no "fParam1": passed over
    presets.floatParams[1] = {0.5f, 1};
    presets.vectorParams[0] = {{1.0f, 2.0f, 3.0f}, 1};
    presets.vectorParams[1] = {{4.0f, 5.0f, 6.0f}, 0};
    gfx.SetMaterialEffect(&valid, &presets);
    EXPECT_EQ(gfx.materialEffect, &valid);
    float value = 0.0f;
    made->GetFloat(made->GetParameterByName(nullptr, "fParam2"), &value);
    EXPECT_EQ(value, 0.5f);
    D3DXVECTOR4 vector;
    made->GetVector(made->GetParameterByName(nullptr, "vParam1"), &vector);
    EXPECT_EQ(vector, D3DXVECTOR4(1.0f, 2.0f, 3.0f, 0.0f));

    gfx.SetSpecularMapEffect(&valid);
    EXPECT_EQ(gfx.specularMapEffect, &valid);
    gfx.SetTimeCallback([] { return 12.5f; });
    ASSERT_NE(gfx.timeCallback, nullptr);
    EXPECT_EQ(gfx.timeCallback(), 12.5f);
}

// While an effect draws, the material is only kept for it; lights go to the device unless a
// replacement effect lights and the fixed-function flag is clear.
TEST(DXC_GfxEffectSelect, EffectsKeepMaterialAndLightsFromTheDevice)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    D3D9Journal& journal = fixture.Journal();
    DXC_ShaderEffect effect;
    MakeEffect(effect, {});
    DXC_Material material;
    material.power = 7.0f;

    gfx.SetMaterialEffect(&effect);
    journal.Clear();
    gfx.SetMaterial(material);
    EXPECT_EQ(journal.Count(D3D9Op::SetMaterial), 0);
    EXPECT_EQ(gfx.currentMaterial.power, 7.0f);
    gfx.SetMaterialEffect(nullptr);
    gfx.SetMaterial(material);
    EXPECT_EQ(journal.Count(D3D9Op::SetMaterial), 1);

    gfx.replacementEffect.set = true;
    gfx.LightEnable(2, 1);
    EXPECT_EQ(journal.Count(D3D9Op::LightEnable), 0);
    gfx.fixedFunction = 1;
    gfx.LightEnable(3, 1);
    EXPECT_EQ(journal.Count(D3D9Op::LightEnable), 1);
}

// Each vertex gets u = s Rx + 0.5, v = s Ry + 0.5 with R the eye vector reflected about the world
// normal and s = 1 / (2.8284 sqrt(Rz^2 + 1)), in the reflection's coordinate set; the other set
// and the vertices of other subsets stay.
TEST(DXC_GfxEffectSelect, SphereMapCoordinatesFollowTheReflection)
{
    DXC_Gfx gfx;
    DXC_Mesh mesh;
    const uint32_t format = D3DFVF_XYZ | D3DFVF_NORMAL | 0x200;  // two coordinate pairs
    gfx.CreateMesh(&mesh, 1, 4, 1, format, 0, 0, 0, 0, 0);
    mesh.SetExtraTextureIndex(1);
    mesh.attributeTable = new D3DXATTRIBUTERANGE[1];
    mesh.attributeTable[0] = {0, 0, 1, 0, 3};
    mesh.attributeCount = 1;
    const D3DXVECTOR3 positions[4] = {{1, 0, 0}, {0, 2, 1}, {-1, -1, 3}, {5, 5, 5}};
    const D3DXVECTOR3 normals[4] = {{0, 0, -1}, {0, 1, -1}, {1, 0, 0}, {0, 0, 1}};
    mesh.LockAll(0);
    for (int n = 0; n < 4; n++) {
        mesh.SetVertexPosition(n, positions[n]);
        mesh.SetVertexNormal(n, normals[n]);
        for (uint32_t k = 0; k < 4; k++)
            mesh.SetVertexFloat(n, mesh.layout.texCoordOffset + 4 * k, -7.0f);
    }
    mesh.UnlockAll();
    D3DXMATRIX world;
    D3DXMatrixTranslation(&world, 0.5f, 0.0f, 4.0f);
    gfx.SetWorldMatrix(world);
    const D3DXVECTOR3 eye(1, 3, -6), target(0, 0, 4), up(0, 1, 0);
    gfx.SetCameraLookAt(eye, target, up);

    gfx.ComputeSphereMapCoords(mesh, 0);
    gfx.ComputeSphereMapCoords(mesh, 1);  // no such subset
    mesh.LockAll(0);
    const uint32_t second = mesh.layout.texCoordOffset + 8;
    for (int n = 0; n < 4; n++) {
        SCOPED_TRACE(n);
        EXPECT_EQ(mesh.GetVertexFloat(n, mesh.layout.texCoordOffset), -7.0f);
        if (n == 3) {
            EXPECT_EQ(mesh.GetVertexFloat(n, second), -7.0f);
            continue;
        }
        const double p[3] = {positions[n].x + 0.5, positions[n].y, positions[n].z + 4.0};
        double e[3] = {p[0] - eye.x, p[1] - eye.y, p[2] - eye.z};
        double nn[3] = {normals[n].x, normals[n].y, normals[n].z};
        const double el = std::sqrt(e[0] * e[0] + e[1] * e[1] + e[2] * e[2]);
        const double nl = std::sqrt(nn[0] * nn[0] + nn[1] * nn[1] + nn[2] * nn[2]);
        double dot = 0.0;
        for (int k = 0; k < 3; k++) {
            e[k] /= el;
            nn[k] /= nl;
            dot += e[k] * nn[k];
        }
        const double r[3] = {2 * dot * nn[0] - e[0], 2 * dot * nn[1] - e[1], 2 * dot * nn[2] - e[2]};
        const double s = 1.0 / (2.8284 * std::sqrt(r[2] * r[2] + 1.0));
        EXPECT_NEAR(mesh.GetVertexFloat(n, second), s * r[0] + 0.5, 1e-5);
        EXPECT_NEAR(mesh.GetVertexFloat(n, second + 4), s * r[1] + 0.5, 1e-5);
    }
    mesh.UnlockAll();
}
