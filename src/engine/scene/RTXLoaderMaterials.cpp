// RTXLoader materials: the material list with sub-materials, maps and sub-maps, the animation of
// colours, opacity and texture placement, and the shader parameters in material names.
#include "engine/scene/RTXLoader.h"

#include "engine/gfx/DXC_Gfx.h"

namespace {

// Sub-materials and sub-maps nest; deeper than this is no export of ours.
constexpr int32_t kMaxNesting = 32;

// The value of "key = 'value'" inside a material name; empty when the key is missing or not
// written this way.
String ParamValue(const String& name, const char* key)
{
    const int32_t at = name.Find(key);
    if (at < 0)
        return String();
    const char* p = name.c_str() + at + String::ArrayLength(key);
    while (*p == ' ' || *p == '\t')
        p++;
    if (*p++ != '=')
        return String();
    while (*p == ' ' || *p == '\t')
        p++;
    if (*p++ != '\'')
        return String();
    const char* end = p;
    while (*end && *end != '\'')
        end++;
    return *end == '\'' ? String(p, int32_t(end - p)) : String();
}

}  // namespace

void RTXLoader::ParseShaderParams(RTX_MaterialInfo& material)
{
    RTX_ShaderParams& params = material.shaderParams;
    params.shader = ParamValue(material.name, "shader");
    for (int32_t i = 0; i < RTX_ShaderParams::kCount; i++) {
        String key;
        const String f = ParamValue(material.name, key.Format("fParam%i", i + 1));
        if (!f.IsEmpty()) {
            params.floats[i] = TextDataFileReader::ToFloat(TextDataFileReader::ConvertDecimal(f.c_str()));
            params.floatSet[i] = 1;
        }
        const String v = ParamValue(material.name, key.Format("vParam%i", i + 1));
        if (!v.IsEmpty()) {
            float xyz[3] = {};
            v.ParseFloatList(xyz, 3);  // a short list keeps what it gave; the rest stays 0
            params.vectors[i] = D3DXVECTOR4(xyz[0], xyz[1], xyz[2], 0.0f);
            params.vectorSet[i] = 1;
        }
    }
}

// The graphics object's answer; on the dedicated server only diffuse maps pass.
bool RTXLoader::MapKindSupported(int32_t kind) const
{
    return m_Gfx->IsMapTypeSupported(kind);
}

bool RTXLoader::ReadMaterialList()
{
    const size_t first = m_Materials.size();
    const bool inside = ReadBlock([&](int32_t keyword) {
        int32_t index = -1;
        if (keyword == RTX_MATERIAL_COUNT) {
            m_Scanner.ReadInt(index);  // not used
        } else if (keyword == RTX_MATERIAL) {
            m_Scanner.ReadInt(index);
            if (index < 0 || size_t(index) != m_Materials.size())
                Error("Material in wrong order!");
            m_Materials.emplace_back();
            return m_Scanner.OpenBlock() && ReadMaterial(m_Materials.back(), 0);
        }
        return true;
    });
    ConvertMaterials(first);  // also when the file ended inside: the materials read are used
    return inside;
}

bool RTXLoader::ReadMaterial(RTX_MaterialInfo& material, int32_t depth)
{
    if (depth > kMaxNesting)
        Error("Materials nested too deeply");
    return ReadBlock([&](int32_t keyword) {
        int32_t mapKind = 0;
        int32_t testKind = 0;
        switch (keyword) {
        case RTX_MATERIAL_NAME:
            m_Scanner.ReadQuotedString(material.name);
            ParseShaderParams(material);
            break;
        case RTX_MATERIAL_AMBIENT:
        case RTX_MATERIAL_DIFFUSE:
        case RTX_MATERIAL_SPECULAR:
        case RTX_MATERIAL_SELFILLUM_COLOR: {
            const int32_t slot = keyword == RTX_MATERIAL_AMBIENT   ? RTX_AMBIENT
                                 : keyword == RTX_MATERIAL_DIFFUSE ? RTX_DIFFUSE
                                 : keyword == RTX_MATERIAL_SPECULAR ? RTX_SPECULAR
                                                                    : RTX_SELFILLUM;
            D3DXVECTOR3 c;
            m_Scanner.ReadVector(c);
            material.colors[slot] = D3DCOLORVALUE{c.x, c.y, c.z, 1.0f};
            break;
        }
        case RTX_MATERIAL_SHINE:
            m_Scanner.ReadNumber(material.shine);
            break;
        case RTX_MATERIAL_SHINESTRENGTH:
            m_Scanner.ReadNumber(material.shineStrength);
            break;
        case RTX_MATERIAL_TRANSPARENCY:
            m_Scanner.ReadNumber(material.transparency);
            break;
        case RTX_MATERIAL_TRANSPARENCY_TYPE: {
            String type;
            m_Scanner.ReadWord(type);
            if (material.transparency > 0.0f) {
                if (type.EqualsNoCase("Additive"))
                    material.blendKind = 1;
                else if (type.EqualsNoCase("Subtractive"))
                    material.blendKind = 2;
            }
            break;
        }
        case RTX_MATERIAL_TWOSIDED: {
            int32_t value = 1;  // the keyword alone means two-sided
            m_Scanner.ReadInt(value);
            material.twoSided = value != 0 ? 1 : 0;
            break;
        }
        case RTX_NUMSUBMTLS:
            m_Scanner.ReadInt(material.subMaterialCount);
            break;
        case RTX_SUBMATERIAL: {
            int32_t index = -1;
            m_Scanner.ReadInt(index);
            if (index < 0 || size_t(index) != material.subMaterials.size())
                Error("Submaterial in wrong order!");
            material.subMaterials.emplace_back();
            return m_Scanner.OpenBlock() && ReadMaterial(material.subMaterials.back(), depth + 1);
        }
        // Each map kind asks the device for one kind (specular maps ask for the self-illumination kind).
        case RTX_MAP_DIFFUSE:
            mapKind = testKind = 1;
            break;
        case RTX_MAP_REFLECT:
            mapKind = testKind = 2;
            break;
        case RTX_MAP_SPECULAR:
            mapKind = 3;
            testKind = 5;
            break;
        case RTX_MAP_SELFILLUM:
            mapKind = testKind = 5;
            break;
        case RTX_MAP_BUMP:
            mapKind = testKind = 6;
            break;
        case RTX_MAP_OPACITY:
            mapKind = testKind = 7;
            break;
        case RTX_MATERIAL_ANIMATION:
            return m_Scanner.OpenBlock() && ReadMaterialAnimation(material);
        default:
            break;
        }
        if (mapKind == 0 || (testKind != 1 && !MapKindSupported(testKind)))
            return true;  // a refused map's block is passed over
        material.maps.emplace_back();
        material.maps.back().kind = mapKind;
        return m_Scanner.OpenBlock() && ReadMap(material, material.maps.size() - 1, depth);
    });
}

bool RTXLoader::ReadMap(RTX_MaterialInfo& material, size_t mapIndex, int32_t depth)
{
    if (depth > kMaxNesting)
        Error("Maps nested too deeply");
    auto map = [&]() -> RTX_MapInfo& { return material.maps[mapIndex]; };
    return ReadBlock([&](int32_t keyword) {
        switch (keyword) {
        case RTX_BITMAP:
            m_Scanner.ReadQuotedString(map().bitmap);
            break;
        case RTX_MAP_CLASS: {
            String mapClass;
            m_Scanner.ReadQuotedString(mapClass);
            if (mapClass.EqualsNoCase("Bitmap") || mapClass.EqualsNoCase("RGB Multiply"))
                map().mapClass = mapClass;
            else if (m_MessageLevel >= 10)
                Warning("Unknown map class: '%s' in material '%s'", mapClass.c_str(), material.name.c_str());
            break;
        }
        case RTX_MAP_GENERIC: {
            // The first sub-map, and every sub-map of a bitmap, fill this map; others become maps of
            // their own.
            const bool same = map().subMapCount++ == 0 || map().mapClass.EqualsNoCase("Bitmap");
            size_t target = mapIndex;
            if (!same) {
                if (!MapKindSupported(4))
                    break;  // the block is passed over
                material.maps.emplace_back();
                material.maps.back().kind = 4;
                target = material.maps.size() - 1;
            }
            return m_Scanner.OpenBlock() && ReadMap(material, target, depth + 1);
        }
        case RTX_MAP_AMOUNT:
            m_Scanner.ReadNumber(map().amount);
            break;
        case RTX_MAP_CHANNEL:
            m_Scanner.ReadInt(map().channel);
            break;
        case RTX_MAP_SUBNO: {
            int32_t subNumber = 0;
            m_Scanner.ReadInt(subNumber);
            break;
        }
        case RTX_UVW_U_OFFSET:
            m_Scanner.ReadNumber(map().uOffset);
            break;
        case RTX_UVW_V_OFFSET:
            m_Scanner.ReadNumber(map().vOffset);
            break;
        case RTX_UVW_U_TILING:
            m_Scanner.ReadNumber(map().uTiling);
            break;
        case RTX_UVW_V_TILING:
            m_Scanner.ReadNumber(map().vTiling);
            break;
        case RTX_UVW_U_ANGLE:
        case RTX_UVW_V_ANGLE:
            ReadNumberOr(0.0f);
            break;
        case RTX_UVW_W_ANGLE:
            m_Scanner.ReadNumber(map().wAngle);
            break;
        case RTX_UVW_TILE_U:
        case RTX_UVW_TILE_V: {
            String mode;
            m_Scanner.ReadQuotedString(mode);
            const bool u = keyword == RTX_UVW_TILE_U;
            if (mode.EqualsNoCase("Tile"))
                (u ? map().tileU : map().tileV) = 1;
            else if (mode.EqualsNoCase("Mirror"))
                (u ? map().mirrorU : map().mirrorV) = 1;
            break;
        }
        case RTX_TIME_STARTFRAME:
            m_Scanner.ReadNumber(map().startFrame);
            break;
        case RTX_TIME_PLAYBACKRATE:
            m_Scanner.ReadNumber(map().playbackRate);
            break;
        case RTX_TIME_ENDCONDITION: {
            String condition;
            m_Scanner.ReadQuotedString(condition);
            if (condition.EqualsNoCase("loop"))
                map().endCondition = 0;
            else if (condition.EqualsNoCase("pingpong"))
                map().endCondition = 1;
            else if (condition.EqualsNoCase("hold"))
                map().endCondition = 2;
            else
                Warning("Unknown end condition for map time parameter");
            break;
        }
        case RTX_MAP_ANIMATION:
            return m_Scanner.OpenBlock() && ReadMapAnimation(map());
        default:
            break;
        }
        return true;
    });
}

bool RTXLoader::ReadMapAnimation(RTX_MapInfo& map)
{
    static const char* const kAttributes[RTX_PLACEMENT_TRACKS] = {"OffsetU", "OffsetV", "TileU", "TileV", "AngleW"};
    int32_t selected = -1;
    return ReadBlock([&](int32_t keyword) {
        if (keyword == RTX_MAP_ATTRIBUTE) {
            String attribute;
            m_Scanner.ReadQuotedText(attribute);
            for (int32_t i = 0; i < RTX_PLACEMENT_TRACKS; i++)
                if (attribute == kAttributes[i])
                    selected = i;
        } else if (keyword == RTX_CONTROL_FLOAT_BEZIER && selected >= 0) {
            return m_Scanner.OpenBlock() && ReadPlacementKeys(map.placement[selected]);
        }
        return true;
    });
}

// After the 1024th key the rest of the block is passed over.
bool RTXLoader::ReadPlacementKeys(std::vector<RTX_FloatKey>& track)
{
    bool full = false;
    return ReadBlock([&](int32_t keyword) {
        if (keyword != RTX_CONTROL_BEZIER_FLOAT_KEY || full)
            return true;
        if (track.size() + 1 >= size_t(RTX_MapInfo::kMaxPlacementKeys)) {
            Warning("More than 1024 float bezier keys");
            full = true;
            return true;
        }
        RTX_FloatKey key;
        m_Scanner.ReadNumber(key.time);
        m_Scanner.ReadNumber(key.value);
        m_Scanner.ReadNumber(key.inTangent);
        m_Scanner.ReadNumber(key.outTangent);
        track.push_back(key);
        return true;
    });
}

bool RTXLoader::ReadMaterialAnimation(RTX_MaterialInfo& material)
{
    static const char* const kColors[RTX_COLOR_TRACKS] = {"Ambient", "Diffuse", "Specular", "SelfIllumColor"};
    constexpr int32_t kOpacity = RTX_COLOR_TRACKS;
    int32_t selected = -1;
    return ReadBlock([&](int32_t keyword) {
        switch (keyword) {
        case RTX_MATERIAL_ATTRIBUTE: {
            String attribute;
            m_Scanner.ReadQuotedText(attribute);
            selected = attribute.EqualsNoCase("Opacity") ? kOpacity : -1;
            for (int32_t i = 0; i < RTX_COLOR_TRACKS; i++)
                if (attribute.EqualsNoCase(kColors[i]))
                    selected = i;
            return true;
        }
        case RTX_CONTROL_COLOR_BEZIER:
        case RTX_CONTROL_COLOR_LINEAR:
            if (selected < 0 || selected >= RTX_COLOR_TRACKS)
                return true;
            material.colorTrackLinear[selected] = keyword == RTX_CONTROL_COLOR_LINEAR ? 1 : 0;
            return m_Scanner.OpenBlock() && ReadColorKeys(material.colorTracks[selected]);
        case RTX_CONTROL_FLOAT_BEZIER:
        case RTX_CONTROL_FLOAT_LINEAR: {
            if (selected != kOpacity)
                return true;
            bool linearOnly = true;
            const bool inside = m_Scanner.OpenBlock() && ReadFloatKeys(material.opacityTrack, true, linearOnly);
            material.opacityTrackLinear = linearOnly ? 1 : 0;
            return inside;
        }
        default:
            return true;
        }
    });
}

bool RTXLoader::ReadColorKeys(std::vector<RTX_ColorKey>& track)
{
    return ReadBlock([&](int32_t keyword) {
        if (keyword != RTX_CONTROL_POINT3_KEY && keyword != RTX_CONTROL_BEZIER_POINT3_KEY)
            return true;
        RTX_ColorKey key;
        D3DXVECTOR3 value;
        m_Scanner.ReadNumber(key.time);
        m_Scanner.ReadVector(value);
        key.value = D3DCOLORVALUE{value.x, value.y, value.z, 1.0f};
        if (keyword == RTX_CONTROL_BEZIER_POINT3_KEY) {
            m_Scanner.ReadVector(key.inTangent);
            m_Scanner.ReadVector(key.outTangent);
        }
        if (track.size() >= size_t(RTXKeyConverter::kMaxTrackKeys))
            Warning("Not more than 8192 float bezier keys allowed");
        else
            track.push_back(key);
        return true;
    });
}
