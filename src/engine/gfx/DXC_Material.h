// DXC_Material: the fixed-function material of a mesh subset: colours, transparency, blend type,
// the key curves that animate them, and the shader effect part that a scene file can preset.
//
// The class is split by role:
//   DXC_Material.cpp      construction, copies, comparison and animation
//   DXC_MaterialFile.cpp  the material record of scene files
#pragma once
#include "base/BezierSpline.h"
#include "base/String.h"
#include "engine/gfx/DXC_ShaderEffect.h"
#include "platform/D3D9Types.h"

#include <cstdint>

class File;

struct DXC_EffectFloatParam {
    float value = 0.0f;
    uint8_t set = 0;
};

struct DXC_EffectVectorParam {
    float value[3] = {};
    uint8_t set = 0;
};

class DXC_Material {
public:
    static constexpr int kEffectParams = 8;

    DXC_Material();
    DXC_Material(const DXC_Material& other);
    DXC_Material& operator=(const DXC_Material& other);

    // Diffuse, ambient, specular and emissive red, green and blue, each with alpha 1.
    void InitFromColors(const float colors[12]);
    // The plain fields of other; this material's effect part is emptied.
    void AssignPlain(const DXC_Material& other);
    // The values that the curves drive (the four colours and the transparency).
    void AssignAnimationState(const DXC_Material& other);
    void Animate(double time);
    // Colours multiplied (the emissive added when b's emissive is additive), a's power, flag and
    // blend type, and the two transparencies combined as two layers.
    static void Combine(const DXC_Material& a, const DXC_Material& b, DXC_Material& out);
    // The four colours, the transparency and the pass number.
    void CopyColors(DXC_Material& out) const;
    // Colours without their alphas, power, transparency, flags, blend type, the key counts of the
    // curves and the effect names; not the pass number.
    bool operator==(const DXC_Material& other) const;
    bool operator!=(const DXC_Material& other) const { return !(*this == other); }

    // The record of the scene file being read (its version comes from the load state).
    void Load(File& file);
    void LoadEffectPart(File& file);
    void Save(File& file) const;

    D3DCOLORVALUE diffuse;
    D3DCOLORVALUE ambient;
    D3DCOLORVALUE specular;
    D3DCOLORVALUE emissive;
    float power = 0.0f;
    float transparency = 0.0f;  // 0 opaque
    uint8_t additiveEmissive = 1;
    int32_t blendType = 0;  // 0 normal, 1 additive, 2 subtractive
    int32_t twoSided = 0;
    int32_t passNumber = 0;
    BezierSpline<SplineVector4> colorCurves[4];  // diffuse, ambient, specular, emissive
    BezierSpline<float> transparencyCurve;
    DXC_ShaderEffect effect;
    String effectFileName;
    DXC_EffectFloatParam floatParams[kEffectParams];
    DXC_EffectVectorParam vectorParams[kEffectParams];

private:
    D3DCOLORVALUE& Color(int i);  // 0 diffuse, 1 ambient, 2 specular, 3 emissive
    const D3DCOLORVALUE& Color(int i) const { return const_cast<DXC_Material*>(this)->Color(i); }
    void ClearEffectPart();
};
