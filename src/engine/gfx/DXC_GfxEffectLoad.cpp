// DXC_Gfx effect loading: shader effect files into shared effects, the effects a scene's
// materials name, and the texture catalogue with the resource textures effects ask for.
#include "engine/gfx/DXC_Gfx.h"

#include "base/File.h"
#include "base/FileName.h"
#include "engine/gfx/DXC_Material.h"
#include "engine/gfx/DXC_ShaderEffect.h"
#include "engine/gfx/DXC_TextureCatalogue.h"
#include "engine/scene/DXC_3dScene.h"
#include "engine/scene/DXC_Mesh.h"

int DXC_Gfx::LoadEffect(DXC_ShaderEffect* effect, const char* fileName, uint32_t compileFlags, bool useEffectPool,
                        bool mustExist)
{
    if (!effect)
        Error("DXC_ShaderEffect pointer in LoadEffect is NULL pointer!");
    effect->Release();
    if (!fileName)
        fileName = "";
    const String key = MakeResourceKey(fileName);
    const int32_t shared = shareByName && !key.IsEmpty() ? effectManager.Acquire(key.c_str()) : -1;
    if (shared >= 0) {
        effect->Attach(this, static_cast<DXC_EffectRecord*>(effectManager.GetResource(shared)), shared);
        BindEffectCatalogueTextures(*effect);
        return 1;
    }
    String text;
    if (!File::Exists(fileName) || !ReadFileToString(text, fileName)) {
        if (mustExist)
            Error("Shader effect file '%s' not found", fileName);
        Warning("Shader effect file '%s' not found", fileName);
        return 0;
    }
    (void)useEffectPool;  // no shared pool is offered: every effect keeps its own parameters
    ID3DXEffect* made = nullptr;
    ID3DXBuffer* errors = nullptr;
    const HRESULT result = device ? D3DXCreateEffect(device, text.c_str(), size_t(text.GetLength()), nullptr,
                                                     nullptr, compileFlags, nullptr, &made, &errors, fileName)
                                  : D3DERR_NOTAVAILABLE;  // effects are compiled only where a device exists
    if (FAILED(result)) {
        String message;
        if (errors && errors->GetBufferSize() > 1)
            message = static_cast<const char*>(errors->GetBufferPointer());
        if (errors)
            errors->Release();
        if (!message.IsEmpty())
            Error("Could not compile effect from file '%s': '%s'\n\n%s", fileName, GetDirectXErrorName(result),
                  message.c_str());
        Error("Could not compile effect from file '%s': '%s'", fileName, GetDirectXErrorName(result));
    }
    if (errors)
        errors->Release();
    if (!effect->Initialise(this, made, key.c_str()))
        Warning("Shader could not be validated for this GPU: '%s'", fileName);
    BindEffectCatalogueTextures(*effect);
    return 1;
}

void DXC_Gfx::BindEffectCatalogueTextures(DXC_ShaderEffect& effect)
{
    DXC_EffectRecord* record = effect.effect;
    if (!record || !record->effect)
        return;
    for (int32_t i = 0; i < record->resourceTextureCount; i++) {
        const char* name = nullptr;
        if (record->effect->GetString(record->resourceNames[i], &name) != D3D_OK || !name || !name[0])
            continue;
        // Entered once under the effect's variant of the name; the texture loads when first drawn.
        String entry(name);
        entry += "_FX_";
        if (!catalogue->Contains(entry.c_str()))
            catalogue->AddTexture(entry.c_str(), name, 0, true);
    }
}

DXC_TextureCatalogue& DXC_Gfx::GetTextureCatalogue()
{
    return *catalogue;
}

DXC_Texture* DXC_Gfx::LoadCatalogueTexture(const char* name)
{
    return catalogue->LoadTexture(name);
}

void DXC_Gfx::BindSceneEffects(DXC_3dScene& scene, const char* directory)
{
    for (int32_t i = 0; i < scene.GetMeshCount(); i++) {
        DXC_Mesh& mesh = *scene.GetMesh(i);
        mesh.hasEffect = 0;
        for (int32_t m = 0; m < mesh.materialCount; m++) {
            DXC_Material& material = mesh.materials[m];
            const String& name = material.effectFileName;
            if (name.IsEmpty())
                continue;
            String found;
            if (!ResolveFileNameAlt(name.c_str(), -1, found, directory)) {
                Warning("DirectX shader effect '%s' not found (for scene '%s')", name.c_str(), scene.GetObjectName());
                continue;
            }
            if (!device)
                continue;  // the server resolves the names and compiles nothing
            LoadEffect(&material.effect, found.c_str(), 0, false, true);
            if (material.effect.effect)
                mesh.hasEffect = 1;
        }
    }
}
