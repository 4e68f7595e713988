// DXC_ShaderEffect: taking over an effect, sharing and releasing its record, and its parameters.
#include "engine/gfx/DXC_ShaderEffect.h"

#include "base/String.h"
#include "engine/gfx/DXC_Gfx.h"

bool DXC_ShaderEffect::Initialise(DXC_Gfx* owner, ID3DXEffect* made, const char* key)
{
    Release();
    if (!made)
        return false;
    auto* record = new DXC_EffectRecord();
    record->effect = made;
    String name;
    for (int32_t n = 0; n < kNumberedParams; n++) {
        record->floatParams[n] = made->GetParameterByName(nullptr, name.Format("fParam%i", n + 1));
        if (record->floatParams[n])
            made->GetFloat(record->floatParams[n], &record->floatDefaults[n]);
        record->vectorParams[n] = made->GetParameterByName(nullptr, name.Format("vParam%i", n + 1));
        if (record->vectorParams[n])
            made->GetVector(record->vectorParams[n], &record->vectorDefaults[n]);
    }
    record->parameterCount = int32_t(made->GetParameterCount());
    record->techniqueCount = int32_t(made->GetTechniqueCount());
    record->disabled = record->techniqueCount < 1 ? 1 : 0;
    effect = record;
    gfx = owner;
    currentTechnique = record->disabled ? -1 : 0;
    if (owner) {
        resourceManager = &owner->GetEffectManager();
        resourceId = resourceManager->Add(record, key ? key : "", key ? key : "");
    }
    return !record->disabled;
}

void DXC_ShaderEffect::ShareFrom(const DXC_ShaderEffect& other)
{
    if (&other == this)
        return;
    Release();
    if (!other.effect || !other.resourceManager)
        return;
    resourceId = other.resourceManager->Acquire(other.resourceId);
    resourceManager = other.resourceManager;
    effect = other.effect;
    gfx = other.gfx;
    currentTechnique = other.currentTechnique;
    runInitPasses = other.runInitPasses;
    saveState = other.saveState;
    unreadFlag = other.unreadFlag;
    restoreParams = other.restoreParams;
    resetTexCoords = other.resetTexCoords;
}

void DXC_ShaderEffect::Release()
{
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
    runInitPasses = saveState = unreadFlag = restoreParams = resetTexCoords = 1;
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
