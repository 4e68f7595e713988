// DXC_Gfx screen effects: a full-screen pass through a shader effect, the engine's values fed
// into an effect's parameters before it draws, and the refresh of video-source textures.
#include "engine/gfx/DXC_Gfx.h"

#include "base/Random.h"
#include "base/Timer.h"
#include "engine/gfx/DXC_ShaderEffect.h"
#include "engine/gfx/DXC_TextureCatalogue.h"
#include "engine/gfx/DXC_VertexList.h"
#include "platform/D3D9Device.h"

namespace {

void CheckSet(DXC_ShaderEffect& effect, HRESULT result)
{
    if (FAILED(result))
        effect.Error("Can not SetParameter :%s", GetDirectXErrorName(result));
}

}  // namespace

int DXC_Gfx::RenderScreenEffect(DXC_ShaderEffect* effect)
{
    if (!effect)
        effect = defaultScreenEffect;
    if (!effect || !effect->IsValid())
        return 0;
    DXC_ShaderEffect* previous = activeEffect;
    SetActiveEffect(effect);
    const D3DVIEWPORT9 savedViewport = viewport;
    const D3DXMATRIX savedView = viewMatrix, savedProjection = projectionMatrix, savedWorld = worldMatrices[0];
    const int32_t savedCull = GetCullMode();
    const int32_t savedFill = states.fillMode;
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    SetViewMatrix(identity);
    SetProjectionMatrix(identity);
    SetWorldMatrix(identity);
    SetCullMode(0);
    SetFillMode(3);
    int32_t width = 0, height = 0;
    GetScreenSize(width, height);
    SetViewPort(0, 0, width, height, 0.0f, 1.0f);

    // Two triangles over clip space; texel centres on pixel centres.
    auto& list = vertexLists->screenPass;
    const float du = width > 0 ? 0.5f / float(width) : 0.0f, dv = height > 0 ? 0.5f / float(height) : 0.0f;
    const DXC_VertexPosTex corners[4] = {
        {-1, 1, 0, du, dv}, {1, 1, 0, 1 + du, dv}, {-1, -1, 0, du, 1 + dv}, {1, -1, 0, 1 + du, 1 + dv}};
    static constexpr int32_t kOrder[6] = {0, 1, 2, 1, 3, 2};
    DXC_VertexPosTex* v = LockImmediate(list, 6, DXC_VertexList::kTriangleList);
    for (int32_t i = 0; i < 6; i++)
        v[i] = corners[kOrder[i]];
    list.Unlock();
    list.SetVertexCount(6);
    UpdateEffectParameters(effect);
    DrawTriangleList(&list, 0, 6);

    SetBlendMode(blendMode, currentBlendAlpha, blendStage);
    SetViewPort(int32_t(savedViewport.X), int32_t(savedViewport.Y), int32_t(savedViewport.X + savedViewport.Width),
                int32_t(savedViewport.Y + savedViewport.Height), savedViewport.MinZ, savedViewport.MaxZ);
    SetViewMatrix(savedView);
    SetProjectionMatrix(savedProjection);
    SetWorldMatrix(savedWorld);
    SetCullMode(savedCull);
    SetFillMode(savedFill);
    SetActiveEffect(previous);
    return 1;
}

void DXC_Gfx::UpdateEffectParameters(DXC_ShaderEffect* effect)
{
    if (!effect || !effect->effect || !effect->effect->effect)
        return;
    if (effectCaching && parametersEffect == effect && parametersMeshCounter == meshCounter)
        return;
    parametersEffect = effect;
    parametersMeshCounter = meshCounter;
    const DXC_EffectRecord& r = *effect->effect;
    ID3DXEffect& fx = *r.effect;

    const D3DXMATRIX& world = worldMatrices[0];
    const D3DXMATRIX worldView = world * viewMatrix;
    const D3DXMATRIX viewProjection = viewMatrix * projectionMatrix;
    const D3DXMATRIX all = worldView * projectionMatrix;
    D3DXMATRIX viewInverse, worldInverseTranspose;
    D3DXMatrixInverse(&viewInverse, nullptr, &viewMatrix);
    D3DXMatrixInverse(&worldInverseTranspose, nullptr, &world);
    D3DXMatrixTranspose(&worldInverseTranspose, &worldInverseTranspose);
    const std::pair<D3DXHANDLE, const D3DXMATRIX*> matrices[] = {
        {r.world, &world},
        {r.view, &viewMatrix},
        {r.projection, &projectionMatrix},
        {r.worldView, &worldView},
        {r.worldViewProjection, &all},
        {r.viewProjection, &viewProjection},
        {r.viewInverse, &viewInverse},
        {r.worldInverseTranspose, &worldInverseTranspose},
    };
    for (const auto& [handle, matrix] : matrices)
        if (handle)
            CheckSet(*effect, fx.SetMatrix(handle, matrix));
    if (r.viewPosition) {
        D3DXVECTOR3 eye;
        GetCameraPos(eye);
        effect->SetVector4(r.viewPosition, eye.x, eye.y, eye.z, 1.0f);
    }

    const double now = Timer::GetTime();
    if (effectClockStart < 0.0)
        effectClockStart = now;
    const float elapsed = float(now - effectClockStart);
    if (r.time)
        effect->SetFloat(r.time, elapsed);
    if (r.elapsedTime) {
        const float fps = GetFPS();
        effect->SetFloat(r.elapsedTime, fps > 0.0f ? 1.0f / fps : 0.0f);
    }
    if (r.gameTime)
        effect->SetFloat(r.gameTime, timeCallback ? timeCallback() : elapsed);
    if (r.random)
        effect->SetFloat(r.random, float(Random::Float01()));
    if (r.invViewPortDim) {
        int32_t width = 0, height = 0;
        GetScreenSize(width, height);
        effect->SetVector4(r.invViewPortDim, float(width), float(height), width > 0 ? 1.0f / float(width) : 0.0f,
                           height > 0 ? 1.0f / float(height) : 0.0f);
    }

    for (int32_t i = 0; i < r.resourceTextureCount; i++) {
        const char* name = nullptr;
        if (fx.GetString(r.resourceNames[i], &name) != D3D_OK || !name || !name[0])
            continue;
        String entry(name);
        entry += "_FX_";
        if (!catalogue->Contains(entry.c_str()))
            catalogue->AddTexture(entry.c_str(), name, 0, true);
        if (DXC_Texture* texture = LoadCatalogueTexture(entry.c_str()))
            CheckSet(*effect, fx.SetTexture(r.resourceTextures[i], texture->currentTexture));
    }
    if (r.screenCopy)
        CheckSet(*effect, fx.SetTexture(r.screenCopy, GetScreenCopyTexture(false)));
    for (int32_t i = 0; i < 3; i++)
        if (r.screenQuarterBuffers[i])
            CheckSet(*effect, fx.SetTexture(r.screenQuarterBuffers[i], GetScreenBufferTexture(1, i)));
    for (int32_t i = 0; i < 2; i++)
        if (r.screenBuffers[i])
            CheckSet(*effect, fx.SetTexture(r.screenBuffers[i], GetScreenBufferTexture(2, i)));
}

int DXC_Gfx::UpdateVideoSource(int32_t source)
{
    if (source < 0 || source >= kVideoSources)
        Error("Invalid video source nurber in UpdateVideoSource(): %i", source);
    DXC_VideoSource& video = videoSources[source];
    if (!video.update)
        Error("No video source update function set for source %i", source);
    if (!video.texture)
        return 0;
    IDirect3DSurface9* level = nullptr;
    lastResult = video.texture->GetSurfaceLevel(0, &level);
    if (FAILED(lastResult))
        Error("GetSurfaceLevel failed: %s", GetDirectXErrorName(lastResult));
    DXC_Surface frame;  // a temporary wrapper: the level's reference goes with it
    frame.Attach(level, nullptr, 0);
    video.update(frame);
    return 1;
}
