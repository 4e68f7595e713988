// RTXLoader materials in the scene: the material list converted to fixed-function materials, the
// materials and maps applied to every mesh (textures, stages, texture matrices, placement
// animation), and the scene's environment map.
#include "engine/scene/RTXLoader.h"

#include "engine/gfx/DXC_Gfx.h"
#include "engine/gfx/DXC_Texture.h"
#include "engine/scene/DXC_3dScene.h"

#include <algorithm>
#include <cmath>

namespace {

D3DCOLORVALUE Opaque(const D3DCOLORVALUE& c, float factor)
{
    return D3DCOLORVALUE{c.r * factor, c.g * factor, c.b * factor, 1.0f};
}

float FiniteOrZero(float v) { return std::isfinite(v) ? v : 0.0f; }

}  // namespace

void RTXLoader::ConvertMaterials(size_t first)
{
    for (size_t i = first; i < m_Materials.size(); i++)
        ConvertMaterial(m_Materials[i]);
    if (m_Materials.empty())
        m_Materials.emplace_back();  // white, as a material is made
}

// Alpha blending follows the material's transparency (a value of 0 or below counts as 0) and its
// transparency curve: a material with neither is drawn opaque.
void RTXLoader::ConvertMaterial(RTX_MaterialInfo& m)
{
    DXC_Material& d = m.material;
    d = DXC_Material();
    d.diffuse = Opaque(m.colors[RTX_DIFFUSE], 1.0f);
    d.ambient = Opaque(m.colors[RTX_AMBIENT], 1.0f);
    d.specular = Opaque(m.colors[RTX_SPECULAR], m.shineStrength);
    d.emissive = Opaque(m.colors[RTX_SELFILLUM], 1.0f);
    d.power = m.shine * 100.0f;
    d.transparency = m.transparency > 0.0f ? m.transparency : 0.0f;
    d.blendType = m.blendKind;
    d.twoSided = m.twoSided;

    // The material's curves run diffuse, ambient, specular, emissive.
    static const int32_t kCurveOfTrack[RTX_COLOR_TRACKS] = {1, 0, 2, 3};
    for (int32_t i = 0; i < RTX_COLOR_TRACKS; i++) {
        RTXKeyConverter::ConvertColorTrack(m.colorTracks[i], m_TimeBase);
        RTXKeyConverter::ToCurve(m.colorTracks[i], m.colorTrackLinear[i] != 0, d.colorCurves[kCurveOfTrack[i]]);
    }
    RTXKeyConverter::ConvertFloatTrack(m.opacityTrack, m_TimeBase);
    RTXKeyConverter::ToCurve(m.opacityTrack, m.opacityTrackLinear != 0, d.transparencyCurve);

    const RTX_ShaderParams& shader = m.shaderParams;
    d.effectFileName = shader.shader;
    for (int32_t i = 0; i < RTX_ShaderParams::kCount; i++) {
        d.floatParams[i].value = shader.floats[i];
        d.floatParams[i].set = shader.floatSet[i];
        d.vectorParams[i].value[0] = shader.vectors[i].x;
        d.vectorParams[i].value[1] = shader.vectors[i].y;
        d.vectorParams[i].value[2] = shader.vectors[i].z;
        d.vectorParams[i].set = shader.vectorSet[i];
    }
    for (RTX_MaterialInfo& sub : m.subMaterials)
        ConvertMaterial(sub);
}

RTX_MaterialInfo* RTXLoader::MaterialAt(int32_t index)
{
    return index >= 0 && size_t(index) < m_Materials.size() ? &m_Materials[size_t(index)] : nullptr;
}

void RTXLoader::ApplyMaterials()
{
    DXC_3dScene& s = *m_Scene;
    for (int32_t i = 0; i < s.meshes.GetSize(); i++) {
        DXC_Mesh& mesh = *s.meshes.GetAt(i);
        const RTX_MeshLoadInfo* info = m_MeshInfos.Find(mesh.objectName);
        if (!info)
            Error("Internal error: no mesh info for mesh '%s'", mesh.GetObjectName());
        ApplyMaterial(mesh, *info);
    }
}

// Entry n of the mesh's materials belongs to sub-mesh n: first the sub-materials in the order the
// faces used them, then the unused ones. A mesh without a material is drawn in its own colour.
void RTXLoader::ApplyMaterial(DXC_Mesh& mesh, const RTX_MeshLoadInfo& info)
{
    const RTX_MeshLoadInfo* geometry = &info;  // a clone's sub-meshes and texture sets are its source's
    if (!mesh.cloneSourceName.IsEmpty())
        if (const RTX_MeshLoadInfo* source = m_MeshInfos.Find(mesh.cloneSourceName))
            geometry = source;
    RTX_MaterialInfo* material = MaterialAt(info.materialIndex);
    if (!material && info.materialIndex >= 0)
        Warning("Invalid material index %i in mesh '%s'", info.materialIndex, mesh.GetObjectName());

    std::vector<RTX_MaterialInfo*> entries;
    const std::vector<int32_t>& ids = geometry->subMeshIds;
    if (material && !material->subMaterials.empty()) {
        std::vector<RTX_MaterialInfo>& subs = material->subMaterials;
        std::vector<uint8_t> used(subs.size(), 0);
        for (int32_t id : ids) {
            const bool known = id >= 0 && size_t(id) < subs.size();  // "NUMSUBMTLS" may exceed the list
            entries.push_back(known ? &subs[size_t(id)] : material);
            if (known)
                used[size_t(id)] = 1;
        }
        for (size_t k = 0; k < subs.size(); k++)
            if (!used[k])
                entries.push_back(&subs[k]);
    } else {
        entries.assign(std::max<size_t>(ids.size(), 1), material);
    }
    mesh.AllocMaterials(int32_t(entries.size()));
    for (size_t n = 0; n < entries.size(); n++) {
        if (entries[n]) {
            ApplyEntry(mesh, int32_t(n), *entries[n], *geometry);
        } else {
            DXC_Material own;
            own.diffuse = own.ambient = Opaque(info.color, 1.0f);
            mesh.SetMaterial(own, int32_t(n));
        }
    }
}

void RTXLoader::ApplyEntry(DXC_Mesh& mesh, int32_t entry, RTX_MaterialInfo& material, const RTX_MeshLoadInfo& info)
{
    if (!material.converted) {
        ConvertMaps(material);
        material.converted = 1;
    }
    DXC_Material result = material.material;
    if (m_LoadTextures) {
        DXC_Texture& texture = mesh.textures[entry];
        for (size_t i = 0; i < material.maps.size(); i++) {
            const RTX_MapInfo& map = material.maps[i];
            texture.SelectStage(int32_t(i));  // a fifth map has no stage: the texture's error
            const String name = m_TextureDir + map.bitmap;
            String path;
            if (m_Gfx->FindTextureFile(name.c_str(), path))
                m_Gfx->LoadTexture(&texture, path.c_str(), 0, -1, -1, 0);
            else
                Warning("Can not open map '%s'", name.c_str());
            if (map.kind == MAP_DIFFUSE)
                result.diffuse = result.ambient = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
            if (texture.GetSequenceLength() > 1)
                texture.SetSequenceParams(FiniteOrZero(1.0f / (map.playbackRate * m_FrameSpeed)),
                                          FiniteOrZero(map.startFrame / m_FrameSpeed), map.endCondition);

            // The record after the load, which gives the stage the loaded image's record.
            DXC_MapInfo& stage = texture.GetCurrentMapInfo();
            stage.mapType = map.kind;
            stage.texCoordIndex = int16_t(TexCoordOfChannel(info, map.channel));
            stage.blendAmount = map.amount;
            stage.mirrorU = map.mirrorU;
            stage.mirrorV = map.mirrorV;
            stage.wrapU = map.tileU;
            stage.wrapV = map.tileV;
            const float finals[RTX_PLACEMENT_TRACKS] = {map.finalUOffset, map.finalVOffset, map.finalUScale,
                                                        map.finalVScale, map.finalWAngle};
            for (int32_t t = 0; t < RTX_PLACEMENT_TRACKS; t++) {
                RTXKeyConverter::ToCurve(map.placement[t], false, stage.animation.curves[t]);
                stage.animation.constants[t] = finals[t];
            }
            texture.SetStageMatrix(D3DXMatrixIsIdentity(&map.textureMatrix) ? nullptr : &map.textureMatrix);
            texture.transformChanged[i] = 0;  // the matrix stands until a placement curve moves it
        }
        texture.SelectStage(0);
    }
    mesh.SetMaterial(result, entry);
}

void RTXLoader::ConvertMaps(RTX_MaterialInfo& material)
{
    for (RTX_MapInfo& map : material.maps) {
        if (map.subMapCount == 0) {
            BuildTextureMatrix(map);
        } else {
            map.finalUOffset = map.uOffset;
            map.finalVOffset = map.vOffset;
            map.finalUScale = map.uTiling;
            map.finalVScale = map.vTiling;
            map.finalWAngle = map.wAngle;
        }
        for (std::vector<RTX_FloatKey>& track : map.placement)
            RTXKeyConverter::ConvertFloatTrack(track, m_TimeBase);
    }
}

// A mirrored axis repeats the texture twice as often, half of it mirrored, so the scale doubles
// and the offset moves back by half a repeat; its placement tracks follow. The matrix scales, then
// turns by minus the W angle about the texture's centre; 2D coordinates take the translation from
// the third row.
void RTXLoader::BuildTextureMatrix(RTX_MapInfo& map)
{
    float uScale = map.uTiling, vScale = map.vTiling;
    float uOffset = map.uOffset, vOffset = map.vOffset;
    auto mirror = [](float& scale, float& offset, std::vector<RTX_FloatKey>& tile, std::vector<RTX_FloatKey>& shift) {
        scale *= 2.0f;
        const float half = 0.5f / scale;
        offset -= half;
        for (RTX_FloatKey& k : tile) {
            k.value *= 2.0f;
            k.inTangent *= 2.0f;
            k.outTangent *= 2.0f;
        }
        for (RTX_FloatKey& k : shift)
            k.value -= half;
    };
    if (map.mirrorU)
        mirror(uScale, uOffset, map.placement[RTX_TILE_U], map.placement[RTX_OFFSET_U]);
    if (map.mirrorV)
        mirror(vScale, vOffset, map.placement[RTX_TILE_V], map.placement[RTX_OFFSET_V]);

    D3DXMATRIX scaling, turn, m;
    D3DXMatrixScaling(&scaling, uScale, vScale, 1.0f);
    D3DXMatrixRotationZ(&turn, -map.wAngle);
    D3DXMatrixMultiply(&m, &scaling, &turn);
    D3DXVECTOR3 t(-0.5f - uOffset, -0.5f + vOffset, 0.0f);
    D3DXVec3TransformCoord(&t, &t, &m);
    m.m[2][0] = t.x + 0.5f;
    m.m[2][1] = t.y + 0.5f;
    m.m[2][2] = 1.0f;
    m.m[2][3] = 0.0f;
    m.m[3][0] = m.m[3][1] = m.m[3][2] = 0.0f;
    m.m[3][3] = 1.0f;
    map.textureMatrix = m;
    map.finalUOffset = uOffset;
    map.finalVOffset = vOffset;
    map.finalUScale = uScale;
    map.finalVScale = vScale;
    map.finalWAngle = map.wAngle;
}

void RTXLoader::LoadEnvironmentMap()
{
    if (!m_LoadTextures || m_EnvironmentMap.IsEmpty())
        return;
    const String name = m_TextureDir + m_EnvironmentMap;
    String path;
    if (!m_Gfx->FindTextureFile(name.c_str(), path)) {
        Warning("Can not open environment texture file %s", name.c_str());
        return;
    }
    if (!m_Scene->environmentTexture)
        m_Scene->environmentTexture = new DXC_Texture();
    m_Gfx->LoadTexture(m_Scene->environmentTexture, path.c_str(), 0, -1, -1, 0);
}
