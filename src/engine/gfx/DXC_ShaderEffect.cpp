// DXC_ShaderEffect: taking over an effect and finding its parameters, sharing and releasing its
// record, and the parameter setters.
#include "engine/gfx/DXC_ShaderEffect.h"

#include "base/String.h"
#include "engine/gfx/DXC_Gfx.h"

#include <iterator>

namespace {

// The engine parameters found by semantic, in the record's order.
struct SemanticSlot {
    const char* semantic;
    D3DXHANDLE DXC_EffectRecord::*handle;
};

using R = DXC_EffectRecord;
const SemanticSlot kFirstSemantics[] = {
    {"WORLDVIEWPROJECTION", &R::worldViewProjection},
    {"WORLDVIEW", &R::worldView},
    {"WORLD", &R::world},
    {"WORLDINVERSETRANSPOSE", &R::worldInverseTranspose},
    {"VIEW", &R::view},
    {"VIEWINVERSE", &R::viewInverse},
    {"PROJECTION", &R::projection},
    {"VIEWPROJECTION", &R::viewProjection},
    {"VIEWPOSITION", &R::viewPosition},
    {"DIFFUSEMAP", &R::diffuseMap},
    {"SELFILLUMMAP", &R::selfIllumMap},
    {"SPECULARMAP", &R::specularMap},
    {"LIGHTMAP", &R::lightMap},
    {"OPACITYMAP", &R::opacityMap},
    {"NORMALMAP", &R::normalMap},
    {"TIME", &R::time},
    {"GAMETIME", &R::gameTime},
    {"ELAPSEDTIME", &R::elapsedTime},
    {"RANDOM", &R::random},
    {"FOGSTARTEND", &R::fogStartEnd},
    {"InvViewPortDim", &R::invViewPortDim},
    {"TextureMatrix", &R::textureMatrix},
    {"TEXCOORDINDEX", &R::texCoordIndex},
    {"IsDiffuseMap", &R::isDiffuseMap},
    {"IsSelfIllumMap", &R::isSelfIllumMap},
    {"IsLightMap", &R::isLightMap},
    {"IsSpecularMap", &R::isSpecularMap},
    {"IsNormalMap", &R::isNormalMap},
    {"IsOpacityMap", &R::isOpacityMap},
};

// After the resource textures and the screen buffers.
const SemanticSlot kLaterSemantics[] = {
    {"Opacity", &R::opacity},
    {"NUMBLENDWEIGHTS", &R::numBlendWeights},
    {"WORLDMATRIXARRAY", &R::worldMatrixArray},
    {"REFLECTIONMAPTYPE", &R::reflectionMapType},
    {"REFLECTIONMAP", &R::reflectionMap},
    {"REFLECTIONMAPAMOUNT", &R::reflectionMapAmount},
    {"TransformReflectionMap", &R::transformReflectionMap},
    {"DiffuseMaterial", &R::diffuseMaterial},
    {"AmbientMaterial", &R::ambientMaterial},
    {"SpecularMaterial", &R::specularMaterial},
    {"SpecularPower", &R::specularPower},
    {"EmissiveMaterial", &R::emissiveMaterial},
    {"NumDirectionalLights", &R::numDirectionalLights},
    {"NumOmniLights", &R::numOmniLights},
    {"OmniLightPosition", &R::omniLightPosition},
    {"OmniLightDiffCol", &R::omniLightDiffCol},
    {"OmniLightSpecCol", &R::omniLightSpecCol},
    {"OmniLightAmbiCol", &R::omniLightAmbiCol},
    {"OmniLightAttenuation", &R::omniLightAttenuation},
    {"DirectionalLightDirection", &R::directionalLightDirection},
    {"DirectionalLightDiffCol", &R::directionalLightDiffCol},
    {"DirectionalLightSpecCol", &R::directionalLightSpecCol},
    {"AmbientColor", &R::ambientColor},
};

}  // namespace

bool DXC_ShaderEffect::Initialise(DXC_Gfx* owner, ID3DXEffect* made, const char* key)
{
    Release();
    if (!made)
        return false;
    auto* record = new DXC_EffectRecord();
    record->effect = made;
    effect = record;
    gfx = owner;
    D3DXEFFECT_DESC desc;
    made->GetDesc(&desc);
    record->parameterCount = int32_t(desc.Parameters);
    record->techniqueCount = int32_t(desc.Techniques);
    ReadParameters();
    ReadTechniques();
    // Shared only once read whole: an effect refused on the way stays this object's alone.
    if (owner) {
        resourceManager = &owner->GetEffectManager();
        resourceId = resourceManager->Add(record, key ? key : "", key ? key : "");
    }
    currentTechnique = -1;
    record->disabled = ValidateTechnique() ? 0 : 1;
    return !record->disabled;
}

void DXC_ShaderEffect::ReadParameters()
{
    DXC_EffectRecord& r = *effect;
    ID3DXEffect* e = r.effect;
    for (const SemanticSlot& slot : kFirstSemantics)
        r.*slot.handle = e->GetParameterBySemantic(nullptr, slot.semantic);
    r.textureMatrixCount = r.textureMatrix ? GetElementCount(r.textureMatrix) : 0;

    for (int32_t i = 0; i < r.parameterCount; i++) {
        D3DXHANDLE parameter = e->GetParameter(nullptr, uint32_t(i));
        D3DXHANDLE name = e->GetAnnotationByName(parameter, "ResourceName");
        if (!name)
            continue;
        if (r.resourceTextureCount >= DXC_EffectRecord::kMaxResourceTextures)
            Error("Not more than %i resource textures supported", DXC_EffectRecord::kMaxResourceTextures);
        r.resourceTextures[r.resourceTextureCount] = parameter;
        r.resourceNames[r.resourceTextureCount] = name;
        r.resourceTextureCount++;
    }

    String semantic;
    r.screenCopy = e->GetParameterBySemantic(nullptr, "SCREENCOPY");
    for (int32_t n = 0; n < 3; n++)
        r.screenQuarterBuffers[n] = e->GetParameterBySemantic(nullptr, semantic.Format("SCREENQUARTERBUFFER%i", n + 1));
    for (int32_t n = 0; n < 2; n++)
        r.screenBuffers[n] = e->GetParameterBySemantic(nullptr, semantic.Format("SCREENBUFFER%i", n + 1));
    for (const SemanticSlot& slot : kLaterSemantics)
        r.*slot.handle = e->GetParameterBySemantic(nullptr, slot.semantic);
    r.worldMatrixCount = r.worldMatrixArray ? GetElementCount(r.worldMatrixArray) : 0;

    for (int32_t n = 0; n < kNumberedParams; n++) {
        r.floatParams[n] = e->GetParameterByName(nullptr, semantic.Format("fParam%i", n + 1));
        if (r.floatParams[n])
            e->GetFloat(r.floatParams[n], &r.floatDefaults[n]);
        r.vectorParams[n] = e->GetParameterByName(nullptr, semantic.Format("vParam%i", n + 1));
        if (r.vectorParams[n])
            e->GetVector(r.vectorParams[n], &r.vectorDefaults[n]);
    }
}

void DXC_ShaderEffect::Attach(DXC_Gfx* owner, DXC_EffectRecord* record, int32_t id)
{
    Release();
    gfx = owner;
    effect = record;
    resourceManager = owner ? &owner->GetEffectManager() : nullptr;
    resourceId = id;
}

bool DXC_ShaderEffect::CopyTo(DXC_ShaderEffect& other) const
{
    if (&other == this)
        return resourceManager != nullptr;
    other.Release();
    if (!resourceManager)
        return false;
    other.resourceManager = resourceManager;
    other.resourceId = effect ? resourceManager->Acquire(resourceId) : -1;
    other.effect = effect;
    other.gfx = gfx;
    other.currentTechnique = currentTechnique;
    other.runInitPasses = runInitPasses;
    other.saveState = saveState;
    other.subsetMaterial = subsetMaterial;
    other.restoreParams = restoreParams;
    other.resetTexCoords = resetTexCoords;
    return true;
}

void DXC_ShaderEffect::Release()
{
    ForgetSavedTarget();
    if (effect) {
        // Without a manager the record is this object's alone.
        const bool last = !resourceManager || resourceManager->Unacquire(resourceId) == 1;
        if (last) {
            if (effect->effect)
                effect->effect->Release();
            delete effect;
        }
    }
    effect = nullptr;
    gfx = nullptr;
    currentTechnique = -1;
    runInitPasses = saveState = subsetMaterial = restoreParams = resetTexCoords = 1;
    inDrawing = 0;
    ResetResource();
}

D3DXHANDLE DXC_ShaderEffect::GetParameterByName(const char* name) const
{
    return effect && effect->effect ? effect->effect->GetParameterByName(nullptr, name) : nullptr;
}

D3DXHANDLE DXC_ShaderEffect::GetParameterBySemantic(const char* semantic) const
{
    return effect && effect->effect ? effect->effect->GetParameterBySemantic(nullptr, semantic) : nullptr;
}

bool DXC_ShaderEffect::GetParameterDesc(D3DXHANDLE parameter, D3DXPARAMETER_DESC& desc) const
{
    return effect && effect->effect && effect->effect->GetParameterDesc(parameter, &desc) == D3D_OK;
}

int32_t DXC_ShaderEffect::GetElementCount(D3DXHANDLE parameter) const
{
    D3DXPARAMETER_DESC desc;
    return GetParameterDesc(parameter, desc) ? int32_t(desc.Elements) : -1;
}

void DXC_ShaderEffect::SetFloat(D3DXHANDLE parameter, float value)
{
    const HRESULT result = effect && effect->effect ? effect->effect->SetFloat(parameter, value) : D3DERR_INVALIDCALL;
    if (FAILED(result))
        Error("Can not SetParameter :%s", GetDirectXErrorName(result));
}

void DXC_ShaderEffect::SetVector4(D3DXHANDLE parameter, float x, float y, float z, float w)
{
    const D3DXVECTOR4 value(x, y, z, w);
    const HRESULT result =
        effect && effect->effect ? effect->effect->SetVector(parameter, &value) : D3DERR_INVALIDCALL;
    if (FAILED(result))
        Error("Can not SetParameter :%s", GetDirectXErrorName(result));
}

void DXC_ShaderEffect::SetVectorArray(D3DXHANDLE parameter, const D3DXVECTOR4* vectors, int32_t count)
{
    const HRESULT result = effect && effect->effect && count >= 0
                               ? effect->effect->SetVectorArray(parameter, vectors, uint32_t(count))
                               : D3DERR_INVALIDCALL;
    if (FAILED(result))
        Error("Can not SetArray :%s", GetDirectXErrorName(result));
}

bool DXC_ShaderEffect::GetInt(D3DXHANDLE parameter, int32_t& out) const
{
    return effect && effect->effect && effect->effect->GetInt(parameter, &out) == D3D_OK;
}

bool DXC_ShaderEffect::SetFloatParam(float value, int32_t n)
{
    if (!effect || n < 1 || n > kNumberedParams || !effect->floatParams[n - 1])
        return false;
    SetFloat(effect->floatParams[n - 1], value);
    return true;
}

bool DXC_ShaderEffect::SetVectorParam(float x, float y, float z, int32_t n)
{
    if (!effect || n < 1 || n > kNumberedParams || !effect->vectorParams[n - 1])
        return false;
    SetVector4(effect->vectorParams[n - 1], x, y, z, 0.0f);
    return true;
}

void DXC_ShaderEffect::CommitChanges()
{
    if (inDrawing && effect && effect->effect)
        effect->effect->CommitChanges();
}
