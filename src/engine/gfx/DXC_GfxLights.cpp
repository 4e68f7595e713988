// DXC_Gfx lighting state: the current material, the eight lights, the fog, the tint colour and the
// gamma ramp. The graphics object keeps a copy of each: a shader effect that replaces the
// fixed-function pipeline reads lights and material from here, and a device reset sends them again.
#include "engine/gfx/DXC_Gfx.h"

#include "engine/scene/DXC_Light.h"
#include "platform/D3D9Device.h"

#include <algorithm>
#include <bit>

namespace {

constexpr int32_t kLights = 8;
constexpr double kRampScale = 0.003921569;  // 1 / 255

uint32_t ChannelToByte(float value) { return uint32_t(std::clamp(value, 0.0f, 1.0f) * 255.0f + 0.5f); }

}  // namespace

int DXC_Gfx::SetMaterial(const DXC_Material& material)
{
    currentMaterial.diffuse = material.diffuse;
    currentMaterial.ambient = material.ambient;
    currentMaterial.specular = material.specular;
    currentMaterial.emissive = material.emissive;
    currentMaterial.power = material.power;
    if (activeEffect || materialEffect)
        return 1;  // the effect reads the copy
    D3DMATERIAL9 record;
    record.Diffuse = material.diffuse;
    record.Ambient = material.ambient;
    record.Specular = material.specular;
    record.Emissive = material.emissive;
    record.Power = material.power;
    lastResult = Device().SetMaterial(&record);
    if (FAILED(lastResult))
        Error("SetMaterial failed: %s", GetDirectXErrorName(lastResult));
    return 1;
}

int DXC_Gfx::SetMaterialTinted(DXC_Material& material, bool useOverride)
{
    if (diffuseOverride && useOverride) {
        savedDiffuse = material.diffuse;
        material.diffuse = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
    }
    return SetMaterial(material);
}

int DXC_Gfx::SetLight(int32_t index, DXC_Light& light, double time, bool animate)
{
    if (light.lightWordA == 1)
        return 0;  // never given its parameters
    if (index < 0 || index >= kLights)
        Error("Light index >%i", kLights - 1);
    if (animate) {
        light.SetAniTime(time, 1, 0);
        light.UpdateView(nullptr);
    } else {
        for (int i = 0; i < 3; i++) {
            light.lightParams.Position[i] = (&light.worldPosition.x)[i];
            light.lightParams.Direction[i] = (&light.direction.x)[i];
        }
    }
    lights[index] = light.lightParams;
    if (replacementEffect.set && !fixedFunction)
        return 1;  // the effect lights from the table
    lastResult = Device().SetLight(DWORD(index), &lights[index]);
    if (FAILED(lastResult))
        Error("SetLight failed: %s", GetDirectXErrorName(lastResult));
    return 1;
}

int DXC_Gfx::LightEnable(int32_t index, int32_t on)
{
    if (index < 0 || index >= kLights) {
        Error("Light index >%i", kLights - 1);
        return 0;
    }
    if (lightEnabled[index] == on)
        return 1;
    lightEnabled[index] = on;
    if (replacementEffect.set && !fixedFunction)
        return 1;
    lastResult = Device().LightEnable(DWORD(index), on);
    if (FAILED(lastResult))
        Error(" LightEnable failed: %s", GetDirectXErrorName(lastResult));
    return 1;
}

void DXC_Gfx::SetFog(const DXC_Fog& record)
{
    SetRenderState(D3DRS_FOGCOLOR, record.color);
    if (record.vertexFog) {
        SetRenderState(D3DRS_FOGVERTEXMODE, DWORD(record.mode));
        SetRenderState(D3DRS_RANGEFOGENABLE, 1);
    } else {
        SetRenderState(D3DRS_FOGTABLEMODE, DWORD(record.mode));
    }
    if (record.mode == D3DFOG_LINEAR) {
        SetRenderState(D3DRS_FOGSTART, std::bit_cast<DWORD>(record.start));
        SetRenderState(D3DRS_FOGEND, std::bit_cast<DWORD>(record.end));
    } else {
        SetRenderState(D3DRS_FOGDENSITY, std::bit_cast<DWORD>(record.density));
    }
    fog = record;
}

int DXC_Gfx::SetGammaRamp(const D3DGAMMARAMP* ramp, bool calibrate)
{
    if (!(caps.Caps2 & D3DCAPS2_FULLSCREENGAMMA))
        return 0;
    if (ramp)
        gammaRamp = *ramp;
    else
        BuildIdentityGammaRamp(gammaRamp);
    gammaCalibrate = calibrate ? 1 : 0;
    const bool canCalibrate = (caps.Caps2 & D3DCAPS2_CANCALIBRATEGAMMA) != 0;
    Device().SetGammaRamp(0, calibrate && canCalibrate ? D3DSGR_CALIBRATE : D3DSGR_NO_CALIBRATION, &gammaRamp);
    return calibrate && !canCalibrate ? 0 : 1;
}

void DXC_Gfx::BuildIdentityGammaRamp(D3DGAMMARAMP& out)
{
    for (int i = 0; i < 256; i++)
        out.red[i] = out.green[i] = out.blue[i] = uint16_t(double(i) * 65535.0 * kRampScale + 0.5);
}

uint32_t DXC_Gfx::ColorValueToARGB(const D3DCOLORVALUE& color)
{
    return ChannelToByte(color.a) << 24 | ChannelToByte(color.r) << 16 | ChannelToByte(color.g) << 8 |
           ChannelToByte(color.b);
}
