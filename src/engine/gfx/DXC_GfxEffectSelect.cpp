// DXC_Gfx effect slots: the active, material, fixed-function replacement and specular-map effects,
// the choice among them for a drawn item, and the sphere-map reflection coordinates that meshes
// drawn without an effect need. The slot setters need no device, so the server's callers may
// set them; nothing here is drawn there.
#include "engine/gfx/DXC_Gfx.h"

#include "engine/gfx/DXC_ShaderEffect.h"
#include "engine/scene/DXC_Mesh.h"

#include <cmath>

int DXC_Gfx::SetActiveEffect(DXC_ShaderEffect* effect)
{
    activeEffect = effect && effect->IsValid() ? effect : nullptr;
    if (activeEffect && HasDevice())
        ResetTexCoordIndices(activeEffect, false);  // its stages read the coordinates of their number
    return 1;
}

int DXC_Gfx::SetMaterialEffect(DXC_ShaderEffect* effect, const DXC_Material* presets)
{
    if (!effect || !effect->IsValid()) {
        materialEffect = nullptr;
        return 1;
    }
    materialEffect = effect;
    if (!presets)
        return 1;
    for (int32_t n = 0; n < DXC_Material::kEffectParams; n++) {  // a parameter the effect lacks is passed over
        const DXC_EffectFloatParam& f = presets->floatParams[n];
        if (f.set)
            effect->SetFloatParam(f.value, n + 1);
        const DXC_EffectVectorParam& v = presets->vectorParams[n];
        if (v.set)
            effect->SetVectorParam(v.value[0], v.value[1], v.value[2], n + 1);
    }
    return 1;
}

void DXC_Gfx::SetFixedFunctionShader(DXC_ShaderEffect* effect, uint32_t capabilities)
{
    if (effect && !effect->IsValid())
        Error("Tried to set invalid fixed function shader");
    fixedFunctionShader = effect;
    replacementEffect.set = effect != nullptr;
    replacementEffect.capabilities = capabilities;
    replacementEffect.boneLimit = effect ? effect->effect->worldMatrixCount : 0;
}

DXC_ShaderEffect* DXC_Gfx::SelectEffect(const DXC_VertexListBase& item, bool noPixelShader)
{
    if (overrideEffect)
        return overrideEffect;
    if (materialEffect && materialEffect->IsValid() && !(noPixelShader && materialEffect->UsesPixelShaders()))
        return materialEffect;
    if (activeEffect && activeEffect->IsValid())
        return activeEffect;
    const bool specularMap = currentTexture && currentTexture->HasLoadedType3Map();
    if (!fixedFunction) {
        if (item.layout.selector == 2)  // the mesh was built to be drawn by the replacement effect
            return fixedFunctionShader;
        if (!specularMap)
            return nullptr;
        if (fixedFunctionShader)
            return fixedFunctionShader;
    }
    return specularMap ? specularMapEffect : nullptr;
}

void DXC_Gfx::ResetTexCoordIndices(DXC_ShaderEffect* effect, bool force)
{
    if (!effect)
        return;
    if (effect->resetTexCoords)
        for (int32_t s = 0; s < 6; s++)
            SetStageTexCoordIndex(s, DWORD(s));
    if (!force && !effect->UsesVertexShaders())
        return;
    for (int32_t s = 0; s < 4; s++)  // a vertex shader computes its own coordinates
        if (states.stages[s].transformFlags > 0)
            SetStageTransformFlags(s, D3DTTFF_DISABLE);
}

void DXC_Gfx::ComputeSphereMapCoords(DXC_Mesh& mesh, int32_t subset)
{
    if (subset < 0 || subset >= mesh.attributeCount || !mesh.attributeTable || !mesh.HasDeviceMesh())
        return;
    const VertexLayout& layout = mesh.layout;
    const int32_t set = mesh.extraTextureIndex;  // the reflection's coordinate set
    if (set < 0 || uint32_t(set) >= layout.texSetCount || layout.TexSetFloats(uint32_t(set)) < 2 ||
        !(layout.vertexFormat & D3DFVF_NORMAL))
        return;
    const D3DXATTRIBUTERANGE& range = mesh.attributeTable[subset];
    const int64_t end = int64_t(range.VertexStart) + int64_t(range.VertexCount);
    if (end > mesh.vertexCount)
        return;  // a table that does not fit the vertices is not followed
    const bool lockHere = !mesh.vertexBufferLocked;
    if (lockHere)
        mesh.LockAll(0);
    D3DXVECTOR3 eye;
    GetCameraPos(eye);
    const bool skinned = mesh.GetBoneCount() > 0 && layout.weightCount > 0;
    const uint32_t offset = layout.TexSetOffset(uint32_t(set));
    for (int32_t n = int32_t(range.VertexStart); n < int32_t(end); n++) {
        D3DXMATRIX world = worldMatrices[0];
        if (skinned)
            mesh.GetBlendedMatrix(world, n);  // the last weight is 1 minus the others
        const D3DXVECTOR3 local = mesh.GetVertexPosition(n);
        const D3DXVECTOR3 localNormal = mesh.GetVertexNormal(n);
        D3DXVECTOR3 position, normal, e, unitNormal;
        D3DXVec3TransformCoord(&position, &local, &world);
        D3DXVec3TransformNormal(&normal, &localNormal, &world);
        const D3DXVECTOR3 toVertex = position - eye;
        D3DXVec3Normalize(&e, &toVertex);
        D3DXVec3Normalize(&unitNormal, &normal);
        const D3DXVECTOR3 r = unitNormal * (2.0f * D3DXVec3Dot(&unitNormal, &e)) - e;
        const float s = 1.0f / (2.8284f * std::sqrt(r.z * r.z + 1.0f));
        mesh.SetVertexFloat(n, offset, s * r.x + 0.5f);
        mesh.SetVertexFloat(n, offset + 4, s * r.y + 0.5f);
    }
    if (lockHere)
        mesh.UnlockAll();
}
