// DXC_Material in scene files: the material record, read in every version the scene reader
// accepts and written in the current one.
//
// Material record (little-endian), v = the scene file's version:
//   diffuse, ambient, specular, emissive: 4 f32 each
//   f32 power, i32 two-sided flag, i32 pass number
//   v < 110: i32 dropped;  106 <= v <= 109: i32 legacy value, dropped
//   f32 transparency
//   v >= 2: the four colour curves (52-byte keys) and the transparency curve (BezierSpline form)
//   v < 110: four legacy bytes, dropped
//   u8 additive-emissive flag, i32 blend type
//   effect part: v >= 104: String effect file name; v >= 105 and a name: per parameter (8)
//   u8 flag [f32 value], u8 flag [3 f32 vector]
#include "engine/gfx/DXC_Material.h"

#include "base/File.h"
#include "engine/scene/SceneLoadState.h"

namespace {

void CutShort(File& file)  // throws
{
    file.Error("Material record cut short");
}

void Read(File& file, float& value)
{
    if (!file.ReadFloat(&value))
        CutShort(file);
}

void Read(File& file, int32_t& value)
{
    if (!file.ReadInt32(&value))
        CutShort(file);
}

void Read(File& file, uint8_t& value)
{
    if (!file.ReadInt8(&value))
        CutShort(file);
}

void Read(File& file, D3DCOLORVALUE& c)
{
    Read(file, c.r);
    Read(file, c.g);
    Read(file, c.b);
    Read(file, c.a);
}

void Write(File& file, const D3DCOLORVALUE& c)
{
    file.WriteFloat(c.r);
    file.WriteFloat(c.g);
    file.WriteFloat(c.b);
    file.WriteFloat(c.a);
}

}  // namespace

void DXC_Material::Load(File& file)
{
    const int32_t version = SceneLoadState::Current().version;
    for (int i = 0; i < 4; i++)
        Read(file, Color(i));
    Read(file, power);
    Read(file, twoSided);
    Read(file, passNumber);
    int32_t dropped = 0;
    if (version < 110)
        Read(file, dropped);
    if (version >= 106 && version <= 109)
        Read(file, dropped);  // a legacy value that only these versions carry
    Read(file, transparency);
    if (version >= 2) {
        for (BezierSpline<SplineVector4>& curve : colorCurves)
            curve.Load(file);
        transparencyCurve.Load(file);
    }
    if (version < 110)
        for (int i = 0; i < 4; i++) {
            uint8_t legacy = 0;
            Read(file, legacy);
        }
    Read(file, additiveEmissive);
    Read(file, blendType);
    LoadEffectPart(file);
}

void DXC_Material::LoadEffectPart(File& file)
{
    const int32_t version = SceneLoadState::Current().version;
    for (int i = 0; i < kEffectParams; i++) {
        floatParams[i].set = 0;
        vectorParams[i].set = 0;
    }
    if (version < 104) {
        effectFileName = "";
        return;
    }
    if (!file.ReadString(effectFileName))
        CutShort(file);
    if (version < 105 || effectFileName.IsEmpty())
        return;
    for (int i = 0; i < kEffectParams; i++) {
        Read(file, floatParams[i].set);
        if (floatParams[i].set)
            Read(file, floatParams[i].value);
        Read(file, vectorParams[i].set);
        if (vectorParams[i].set)
            for (float& v : vectorParams[i].value)
                Read(file, v);
    }
}

void DXC_Material::Save(File& file) const
{
    for (int i = 0; i < 4; i++)
        Write(file, Color(i));
    file.WriteFloat(power);
    file.WriteInt32(twoSided);
    file.WriteInt32(passNumber);
    file.WriteFloat(transparency);
    for (const BezierSpline<SplineVector4>& curve : colorCurves)
        curve.Save(file);
    transparencyCurve.Save(file);
    file.WriteInt8(additiveEmissive);
    file.WriteInt32(blendType);
    file.WriteString(effectFileName);
    if (effectFileName.IsEmpty())
        return;
    for (int i = 0; i < kEffectParams; i++) {
        file.WriteInt8(floatParams[i].set);
        if (floatParams[i].set)
            file.WriteFloat(floatParams[i].value);
        file.WriteInt8(vectorParams[i].set);
        if (vectorParams[i].set)
            for (float v : vectorParams[i].value)
                file.WriteFloat(v);
    }
}
