// DXC_Gfx effect binding: begins the effect that draws, and fills the parameters it found by
// semantic at load time from the graphics object's own state: texture matrices and coordinate
// indices, opacity, material and tint, the maps of the current texture with their presence flags,
// the bone matrices and the lights. Runs only where a device draws.
#include "engine/gfx/DXC_Gfx.h"

#include "engine/gfx/DXC_ShaderEffect.h"
#include "engine/scene/DXC_Mesh.h"
#include "platform/D3D9Device.h"

#include <algorithm>

namespace {

constexpr float kChannelScale = 0.003921569f;  // 1 / 255
constexpr int32_t kLights = 8;

D3DXVECTOR4 VectorOf(const D3DCOLORVALUE& c) { return D3DXVECTOR4(c.r, c.g, c.b, c.a); }

D3DXVECTOR4 VectorOf(const float v[3], float w) { return D3DXVECTOR4(v[0], v[1], v[2], w); }

// An ARGB colour as four floats with alpha 1.
D3DXVECTOR4 OpaqueColorOf(uint32_t color)
{
    return D3DXVECTOR4(float((color >> 16) & 0xFF) * kChannelScale, float((color >> 8) & 0xFF) * kChannelScale,
                       float(color & 0xFF) * kChannelScale, 1.0f);
}

// Calls the effect does not offer through its wrapper (matrices, integers, textures) report a
// refusal as its setters do.
void Check(DXC_ShaderEffect& effect, HRESULT result)
{
    if (FAILED(result))
        effect.Error("Can not SetParameter :%s", GetDirectXErrorName(result));
}

}  // namespace

int DXC_Gfx::BeginEffect(DXC_ShaderEffect* effect)
{
    if (!effect || !effect->effect)
        Error("BeginEffect without an effect");
    if (begunEffect) {  // shaders of the last effect stay set where the new one has none
        if (!effect->UsesVertexShaders()) {
            lastResult = Device().SetVertexShader(nullptr);
            if (FAILED(lastResult))
                Error("SetVertexShader failed: %s", GetDirectXErrorName(lastResult));
        }
        if (!effect->UsesPixelShaders()) {
            lastResult = Device().SetPixelShader(nullptr);
            if (FAILED(lastResult))
                Error("SetPixelShader failed: %s", GetDirectXErrorName(lastResult));
        }
    }
    const int32_t passes = effect->Begin();
    begunEffect = effect;
    begunTechnique = effect->currentTechnique;
    begunPasses = passes;
    states.begunEffect = std::max(begunTechnique, 0);  // ResetShaders takes the shaders away again
    return passes;
}

void DXC_Gfx::BindEffectParameters(DXC_ShaderEffect* effect, DXC_Mesh* mesh, int32_t subset)
{
    if (!effect || !effect->effect || !effect->effect->effect)
        return;
    const DXC_EffectRecord& r = *effect->effect;
    ID3DXEffect& fx = *r.effect;
    if (r.textureMatrix) {
        const int32_t n = std::clamp(r.textureMatrixCount, 1, 6);
        D3DXMATRIX matrices[6];
        for (int32_t s = 0; s < n; s++) {
            if (states.stages[s].transformFlags > 0)
                matrices[s] = states.stageMatrices[s];
            else
                D3DXMatrixIdentity(&matrices[s]);
        }
        Check(*effect, r.textureMatrixCount >= 1 ? fx.SetMatrixArray(r.textureMatrix, matrices, uint32_t(n))
                                                 : fx.SetMatrix(r.textureMatrix, &matrices[0]));
    }
    if (r.texCoordIndex) {
        const D3DXVECTOR4 table{float(texCoordTable[0]), float(texCoordTable[1]), float(texCoordTable[2]),
                                float(texCoordTable[3])};
        Check(*effect, fx.SetVector(r.texCoordIndex, &table));
    }
    if (r.opacity)
        effect->SetFloat(r.opacity, float(currentBlendAlpha) * kChannelScale);
    const DXC_Material& m = currentMaterial;
    const D3DXVECTOR4 colors[3] = {VectorOf(m.diffuse), VectorOf(m.ambient), VectorOf(m.specular)};
    const D3DXHANDLE colorHandles[3] = {r.diffuseMaterial, r.ambientMaterial, r.specularMaterial};
    for (int32_t i = 0; i < 3; i++)
        if (colorHandles[i])
            effect->SetVector4(colorHandles[i], colors[i].x, colors[i].y, colors[i].z, colors[i].w);
    if (r.specularPower)
        effect->SetFloat(r.specularPower, m.power);
    if (r.emissiveMaterial) {
        const D3DXVECTOR4 tint = OpaqueColorOf(states.tintColor);
        effect->SetVector4(r.emissiveMaterial, m.emissive.r + tint.x, m.emissive.g + tint.y, m.emissive.b + tint.z,
                           1.0f);
    }
    BindMapParameters(*effect, mesh, subset);
}

void DXC_Gfx::BindMapParameters(DXC_ShaderEffect& effect, DXC_Mesh* mesh, int32_t subset)
{
    const DXC_EffectRecord& r = *effect.effect;
    ID3DXEffect& fx = *r.effect;
    // By map type: the texture's parameter and its flag; type 2 (reflection) has its own.
    const D3DXHANDLE maps[8] = {nullptr, r.diffuseMap, nullptr, r.specularMap, r.lightMap, r.selfIllumMap,
                                r.normalMap, r.opacityMap};
    const D3DXHANDLE flags[8] = {nullptr, r.isDiffuseMap, nullptr, r.isSpecularMap, r.isLightMap, r.isSelfIllumMap,
                                 r.isNormalMap, r.isOpacityMap};
    bool flagged[8] = {};
    if (DXC_Texture* texture = currentTexture) {
        for (int32_t i = 0; i < DXC_Texture::kStages; i++) {
            const DXC_MapInfo& map = texture->stages[i];
            const int32_t type = map.mapType;
            if (type <= MAP_NONE || type > MAP_OPACITY)
                continue;
            IDirect3DTexture9* image = StageImage(*texture, i, true);
            if (type == MAP_REFLECTION) {
                const bool channel = mesh && mesh->GetTextureStageOfKind2(subset) != 0;
                if (r.reflectionMapType)
                    Check(effect, fx.SetBool(r.reflectionMapType, channel ? 1 : 0));
                if (!channel)
                    continue;
                if (r.transformReflectionMap)
                    Check(effect, fx.SetMatrix(r.transformReflectionMap, &reflectionTransform));
                if (r.reflectionMap)
                    Check(effect, fx.SetTexture(r.reflectionMap, image));
                if (r.reflectionMapAmount)
                    effect.SetFloat(r.reflectionMapAmount, map.blendAmount);
                continue;
            }
            if (maps[type])
                Check(effect, fx.SetTexture(maps[type], image));
            if (flags[type])
                Check(effect, fx.SetBool(flags[type], image ? 1 : 0));
            flagged[type] = true;
        }
    }
    for (int32_t type = MAP_DIFFUSE; type <= MAP_OPACITY; type++)
        if (flags[type] && !flagged[type])
            Check(effect, fx.SetBool(flags[type], 0));
}

void DXC_Gfx::BindWorldMatrices(DXC_ShaderEffect* effect, DXC_Mesh& mesh)
{
    if (!effect || !effect->effect || !effect->effect->effect)
        return;
    const DXC_EffectRecord& r = *effect->effect;
    if (effectCaching && matricesBinding.Same(&r, frameCounter, effectPass))
        return;
    matricesBinding = {&r, frameCounter, effectPass};
    ID3DXEffect& fx = *r.effect;
    if (r.numBlendWeights)
        Check(*effect, fx.SetInt(r.numBlendWeights, int32_t(mesh.layout.weightCount)));
    const int32_t bones = mesh.GetBoneCount();
    if (bones > 0 && r.worldMatrixArray && r.worldMatrixCount > 0) {
        // As many as the effect's array holds: more would write past it.
        const int32_t n = std::min({bones, r.worldMatrixCount, kWorldMatrices});
        Check(*effect, fx.SetMatrixArray(r.worldMatrixArray, worldMatrices, uint32_t(n)));
    }
}

void DXC_Gfx::BindLights(DXC_ShaderEffect* effect)
{
    if (!effect || !effect->effect || !effect->effect->effect)
        return;
    const DXC_EffectRecord& r = *effect->effect;
    if (effectCaching && lightsBinding.Same(&r, frameCounter, effectPass))
        return;
    lightsBinding = {&r, frameCounter, effectPass};
    constexpr int32_t kOmni = 6;
    constexpr int32_t kDirectional = 2;
    D3DXVECTOR4 ambient = OpaqueColorOf(states.requestedLighting ? states.ambient : states.unlitColor);
    D3DXVECTOR4 omniPosition[kOmni], omniDiffuse[kOmni], omniSpecular[kOmni], omniAmbient[kOmni], omniAttenuation[kOmni];
    D3DXVECTOR4 direction[kDirectional], directionalDiffuse[kDirectional], directionalSpecular[kDirectional];
    int32_t omni = 0;
    int32_t directional = 0;
    for (int32_t i = 0; i < kLights; i++) {
        if (!lightEnabled[i])
            continue;
        const D3DLIGHT9& light = lights[i];
        if (light.Type == 3) {
            if (directional >= kDirectional)
                continue;  // the effect's arrays hold two
            direction[directional] = VectorOf(light.Direction, 0.0f);
            directionalDiffuse[directional] = VectorOf(light.Diffuse);
            directionalSpecular[directional] = VectorOf(light.Specular);
            ambient = D3DXVECTOR4(ambient.x + light.Ambient.r, ambient.y + light.Ambient.g,
                                  ambient.z + light.Ambient.b, ambient.w);
            directional++;
        } else if (light.Type == 1 || light.Type == 2) {
            if (omni >= kOmni)
                continue;  // and six
            omniPosition[omni] = VectorOf(light.Position, 1.0f);
            omniDiffuse[omni] = VectorOf(light.Diffuse);
            omniSpecular[omni] = VectorOf(light.Specular);
            omniAmbient[omni] = VectorOf(light.Ambient);
            omniAttenuation[omni] = D3DXVECTOR4(light.Attenuation0, light.Attenuation1, light.Attenuation2, 0.0f);
            omni++;
        }
    }
    ID3DXEffect& fx = *r.effect;
    if (r.numDirectionalLights)
        Check(*effect, fx.SetInt(r.numDirectionalLights, directional));
    if (r.numOmniLights)
        Check(*effect, fx.SetInt(r.numOmniLights, omni));
    const struct {
        D3DXHANDLE handle;
        const D3DXVECTOR4* values;
        int32_t count;
    } arrays[] = {
        {r.omniLightPosition, omniPosition, kOmni},
        {r.omniLightDiffCol, omniDiffuse, kOmni},
        {r.omniLightSpecCol, omniSpecular, kOmni},
        {r.omniLightAmbiCol, omniAmbient, kOmni},
        {r.omniLightAttenuation, omniAttenuation, kOmni},
        {r.directionalLightDirection, direction, kDirectional},
        {r.directionalLightDiffCol, directionalDiffuse, kDirectional},
        {r.directionalLightSpecCol, directionalSpecular, kDirectional},
    };
    for (const auto& a : arrays)
        if (a.handle)
            effect->SetVectorArray(a.handle, a.values, a.count);
    if (r.ambientColor)
        effect->SetVector4(r.ambientColor, ambient.x, ambient.y, ambient.z, ambient.w);
}
