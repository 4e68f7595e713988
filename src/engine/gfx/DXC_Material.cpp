// DXC_Material: construction, copies, comparison and the animation of colours and transparency.
#include "engine/gfx/DXC_Material.h"

#include "base/Math.h"

namespace {

D3DCOLORVALUE Rgba(float r, float g, float b, float a)
{
    D3DCOLORVALUE c;
    c.r = r;
    c.g = g;
    c.b = b;
    c.a = a;
    return c;
}

bool SameRgb(const D3DCOLORVALUE& a, const D3DCOLORVALUE& b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

}  // namespace

DXC_Material::DXC_Material()
    : diffuse(Rgba(1, 1, 1, 1)), ambient(Rgba(1, 1, 1, 1)), specular(Rgba(1, 1, 1, 1)), emissive(Rgba(0, 0, 0, 1))
{
    for (BezierSpline<SplineVector4>& curve : colorCurves)
        curve.SetMode(1);
    transparencyCurve.SetMode(1);
}

DXC_Material::DXC_Material(const DXC_Material& other) : DXC_Material()
{
    *this = other;
}

D3DCOLORVALUE& DXC_Material::Color(int i)
{
    switch (i) {
    case 0:
        return diffuse;
    case 1:
        return ambient;
    case 2:
        return specular;
    default:
        return emissive;
    }
}

void DXC_Material::InitFromColors(const float colors[12])
{
    *this = DXC_Material();
    for (int i = 0; i < 4; i++)
        Color(i) = Rgba(colors[3 * i], colors[3 * i + 1], colors[3 * i + 2], 1.0f);
}

void DXC_Material::ClearEffectPart()
{
    effect.Release();
    effectFileName = "";
    for (int i = 0; i < kEffectParams; i++) {
        floatParams[i] = DXC_EffectFloatParam();
        vectorParams[i] = DXC_EffectVectorParam();
    }
}

void DXC_Material::AssignPlain(const DXC_Material& other)
{
    for (int i = 0; i < 4; i++)
        Color(i) = other.Color(i);
    power = other.power;
    transparency = other.transparency;
    additiveEmissive = other.additiveEmissive;
    blendType = other.blendType;
    twoSided = other.twoSided;
    passNumber = other.passNumber;
    ClearEffectPart();
}

DXC_Material& DXC_Material::operator=(const DXC_Material& other)
{
    if (&other == this)
        return *this;
    AssignPlain(other);
    for (int i = 0; i < 4; i++)
        colorCurves[i] = other.colorCurves[i];
    transparencyCurve = other.transparencyCurve;
    if (other.effect.IsValid())
        other.effect.CopyTo(effect);
    effectFileName = other.effectFileName;
    for (int i = 0; i < kEffectParams; i++) {
        floatParams[i] = other.floatParams[i];
        vectorParams[i] = other.vectorParams[i];
    }
    return *this;
}

void DXC_Material::AssignAnimationState(const DXC_Material& other)
{
    for (int i = 0; i < 4; i++)
        Color(i) = other.Color(i);
    transparency = other.transparency;
}

void DXC_Material::Animate(double time)
{
    for (int i = 0; i < 4; i++) {
        if (colorCurves[i].GetNumKeys() == 0)
            continue;
        SplineVector4 v = colorCurves[i].EvaluateValue(time);
        Color(i) = Rgba(v.v[0], v.v[1], v.v[2], v.v[3]);
    }
    if (transparencyCurve.GetNumKeys() > 0)
        transparency = ClampFloat(float(transparencyCurve.Evaluate(time)), 0.0f, 1.0f);
}

bool DXC_Material::operator==(const DXC_Material& other) const
{
    for (int i = 0; i < 4; i++)
        if (!SameRgb(Color(i), other.Color(i)) || colorCurves[i].GetNumKeys() != other.colorCurves[i].GetNumKeys())
            return false;
    return power == other.power && transparency == other.transparency &&
           additiveEmissive == other.additiveEmissive && blendType == other.blendType &&
           twoSided == other.twoSided && transparencyCurve.GetNumKeys() == other.transparencyCurve.GetNumKeys() &&
           effectFileName == other.effectFileName;
}

namespace {

D3DCOLORVALUE Product(const D3DCOLORVALUE& a, const D3DCOLORVALUE& b)
{
    return {a.r * b.r, a.g * b.g, a.b * b.b, a.a * b.a};
}

D3DCOLORVALUE Sum(const D3DCOLORVALUE& a, const D3DCOLORVALUE& b)
{
    return {a.r + b.r, a.g + b.g, a.b + b.b, a.a + b.a};
}

}  // namespace

void DXC_Material::Combine(const DXC_Material& a, const DXC_Material& b, DXC_Material& out)
{
    out.diffuse = Product(a.diffuse, b.diffuse);
    out.ambient = Product(a.ambient, b.ambient);
    out.specular = Product(a.specular, b.specular);
    out.emissive = b.additiveEmissive ? Sum(a.emissive, b.emissive) : Product(a.emissive, b.emissive);
    out.power = a.power;
    out.transparency = 1.0f - (1.0f - a.transparency) * (1.0f - b.transparency);
    out.additiveEmissive = a.additiveEmissive;
    out.blendType = a.blendType;
}

void DXC_Material::CopyColors(DXC_Material& out) const
{
    out.diffuse = diffuse;
    out.ambient = ambient;
    out.specular = specular;
    out.emissive = emissive;
    out.transparency = transparency;
    out.passNumber = passNumber;
}
