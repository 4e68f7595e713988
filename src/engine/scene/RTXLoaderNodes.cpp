// RTXLoader nodes: the top level, the scene block, meshes, helpers, bones, cameras and lights with their
// transforms, and the fog of the text model export.
#include "engine/scene/RTXLoader.h"

#include "engine/scene/DXC_3dScene.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace {

constexpr float kDegrees = 0.017453292f;                              // radians per degree
const float kUnlimitedRange = std::bit_cast<float>(uint32_t(0x5F7FFF7D));  // 1.84466e19

// Direct3D 9 light types.
constexpr uint32_t kLightPoint = 1;
constexpr uint32_t kLightSpot = 2;
constexpr uint32_t kLightDirectional = 3;

// Render option words that carry the fog (the text loader copies the colour into the background).
constexpr int kParamFogOn = 7;
constexpr int kParamFogColor = 10;

uint32_t ColorByte(float v)
{
    const float b = std::round(v * 255.0f);
    return b > 0.0f ? (b < 255.0f ? uint32_t(b) : 255u) : 0u;  // NaN gives 0
}

}  // namespace

bool RTXLoader::ReadTopLevel()
{
    for (;;) {
        bool inside = true;
        switch (m_Scanner.NextKeyword()) {
        case RTX_END_OF_FILE:
            return true;  // the normal end of the import
        case RTX_EXPORT_HEADER: {
            int32_t version = 0;
            if (m_Scanner.ReadInt(version)) {
                m_VersionMajor = uint8_t(version / 100);
                m_VersionMinor = uint8_t(version % 100);
            }
            break;
        }
        case RTX_SCENE:
            inside = m_Scanner.OpenBlock() && ReadSceneBlock();
            ComputeTimeBase();
            break;
        case RTX_MATERIAL_LIST:
            inside = m_Scanner.OpenBlock() && ReadMaterialList();
            break;
        case RTX_GEOMOBJECT:
            inside = m_Scanner.OpenBlock() && ReadGeomObject();
            break;
        case RTX_GROUP:
            inside = m_Scanner.OpenBlock();  // read on as top level; its closing brace is a stray one
            break;
        case RTX_CAMERAOBJECT:
            inside = m_Scanner.OpenBlock() && ReadCameraObject();
            break;
        case RTX_BONEOBJECT:
            inside = m_Scanner.OpenBlock() && ReadHelperObject(OBJ_KIND_BONE);
            break;
        case RTX_HELPEROBJECT:
        case RTX_TARGETOBJECT:
            inside = m_Scanner.OpenBlock() && ReadHelperObject(OBJ_KIND_HELPER);
            break;
        case RTX_LIGHTOBJECT:
            inside = m_Scanner.OpenBlock() && ReadLightObject();
            break;
        case RTX_ATMOSPHERIC:
            inside = m_Scanner.OpenBlock() && ReadAtmospheric();
            break;
        default:
            break;  // stray closing braces and other keywords
        }
        if (!inside)
            return false;
    }
}

float RTXLoader::ReadNumberOr(float fallback)
{
    float v = fallback;
    return m_Scanner.ReadNumber(v) ? v : fallback;
}

uint32_t RTXLoader::ReadColorBytes()
{
    D3DXVECTOR3 c;
    m_Scanner.ReadVector(c);
    return 0xFF000000u | ColorByte(c.x) << 16 | ColorByte(c.y) << 8 | ColorByte(c.z);
}

bool RTXLoader::ReadSceneBlock()
{
    return ReadBlock([&](int32_t keyword) {
        switch (keyword) {
        case RTX_SCENE_FIRSTFRAME:
            m_Scanner.ReadInt(m_FirstFrame);
            break;
        case RTX_SCENE_LASTFRAME:
            m_Scanner.ReadInt(m_LastFrame);
            break;
        case RTX_SCENE_FRAMESPEED:
            m_Scanner.ReadNumber(m_FrameSpeed);
            break;
        case RTX_SCENE_TICKSPERFRAME:
            m_Scanner.ReadNumber(m_TicksPerFrame);
            break;
        case RTX_SCENE_BACKGROUND_STATIC:
            m_Scene->SetBackgroundColor(ReadColorBytes());
            break;
        case RTX_SCENE_AMBIENT_STATIC:
            m_Scene->ambientColor = ReadColorBytes();
            break;
        case RTX_SCENE_SOUNDFILE:
            m_Scanner.ReadQuotedString(m_Info.soundFile);
            break;
        case RTX_SCENE_SCRIPTFILE:
            m_Scanner.ReadQuotedString(m_Info.scriptFile);
            break;
        case RTX_SCENE_ENVMAP:
            if (!m_Scanner.OpenBlock() || !ReadEnvMapBlock())
                return false;
            LoadEnvironmentMap();
            break;
        default:
            break;
        }
        return true;
    });
}

bool RTXLoader::ReadEnvMapBlock()
{
    return ReadBlock([&](int32_t keyword) {
        if (keyword == RTX_BITMAP)
            m_Scanner.ReadQuotedText(m_EnvironmentMap);
        return true;
    });
}

int32_t RTXLoader::ReadNodeKeyword(int32_t keyword, DXC_3dObject& node)
{
    switch (keyword) {
    case RTX_NODE_NAME: {
        String name;
        if (m_Scanner.ReadQuotedString(name))
            node.SetObjectName(name.c_str());
        return kRead;
    }
    case RTX_NODE_PARENT:
        m_Scanner.ReadQuotedString(node.parentName);
        return kRead;
    case RTX_NODE_VISIBILITY:
        node.opacity = ClampFloat(ReadNumberOr(1.0f), 0.0f, 1.0f);
        return kRead;
    case RTX_NODE_INHERIT_VISIBILITY: {
        int32_t inherit = 0;
        m_Scanner.ReadInt(inherit);
        node.inheritOpacity = inherit != 0 ? 1 : 0;
        return kRead;
    }
    case RTX_NODE_TM: {
        RTX_Transform transform;
        if (!m_Scanner.OpenBlock() || !ReadTransform(transform))
            return kFileEnded;
        ApplyNodeTransform(node, transform);
        return kRead;
    }
    case RTX_PIVOT_TM: {
        RTX_Transform transform;
        if (!m_Scanner.OpenBlock() || !ReadTransform(transform))
            return kFileEnded;
        node.offsetMatrix = transform.rows;
        return kRead;
    }
    case RTX_TM_ANIMATION:
        return m_Scanner.OpenBlock() && ReadTmAnimation(node) ? kRead : kFileEnded;
    default:
        return kNotHandled;
    }
}

bool RTXLoader::ReadTransform(RTX_Transform& t)
{
    const bool inside = ReadBlock([&](int32_t keyword) {
        switch (keyword) {
        case RTX_TM_ROW0:
        case RTX_TM_ROW1:
        case RTX_TM_ROW2:
        case RTX_TM_ROW3: {
            const int32_t row = keyword - RTX_TM_ROW0;
            m_Scanner.ReadNumbers(t.rows.m[row], 3);
            t.rows.m[row][3] = row == 3 ? 1.0f : 0.0f;
            break;
        }
        case RTX_TM_POS:
            m_Scanner.ReadVector(t.position);
            break;
        case RTX_TM_ROTAXIS:
            m_Scanner.ReadVector(t.axis);
            t.axis = -t.axis;
            break;
        case RTX_TM_ROTANGLE:
            m_Scanner.ReadNumber(t.angle);
            break;
        case RTX_TM_SCALE:
            m_Scanner.ReadVector(t.scale);
            break;
        default:
            break;
        }
        return true;
    });
    if (inside)
        MirrorTest(t);
    return inside;
}

// Which axes the rows mirror: the matrix rebuilt from scale, turn and position is compared with the
// rows where each axis's column is largest.
void RTXLoader::MirrorTest(RTX_Transform& t)
{
    D3DXMATRIX s, r, p, m;
    D3DXMatrixScaling(&s, t.scale.x, t.scale.y, t.scale.z);
    D3DXMatrixRotationAxis(&r, &t.axis, t.angle);
    D3DXMatrixTranslation(&p, t.position.x, t.position.y, t.position.z);
    D3DXMatrixMultiply(&m, &s, &r);
    D3DXMatrixMultiply(&m, &m, &p);
    float* sign[3] = {&t.mirror.x, &t.mirror.y, &t.mirror.z};
    for (int32_t column = 0; column < 3; column++) {
        int32_t row = 0;
        for (int32_t i = 1; i < 3; i++)
            if (std::fabs(m.m[i][column]) > std::fabs(m.m[row][column]))
                row = i;
        const float given = t.rows.m[row][column];
        if (given == 0.0f) {
            Warning("Determinant in TM is zero.");
            return;
        }
        if (m.m[row][column] / given < 0.0f)
            *sign[column] = -1.0f;
    }
}

void RTXLoader::ApplyNodeTransform(DXC_3dObject& node, const RTX_Transform& t)
{
    node.baseMatrix = t.rows;
    node.extraScale = t.mirror;
    node.position = t.position;
    node.scale = t.scale;
    node.rotationAxis = t.axis;
    node.rotationAngle = t.angle;
    node.transformChanged = 1;
}

bool RTXLoader::ReadGeomObject()
{
    const int32_t slot = m_Scene->meshes.Add();
    DXC_Mesh& mesh = *m_Scene->meshes.GetBySlot(slot);
    m_MaterialIndex = -1;
    m_MeshColor = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
    m_Work.Clear();
    bool hadMesh = false;
    const bool inside = ReadBlock([&](int32_t keyword) {
        switch (keyword) {
        case RTX_NODE_VISIBLE: {
            int32_t visible = 0;
            m_Scanner.ReadInt(visible);
            mesh.SetActive(visible != 0 ? 1 : 0);
            break;
        }
        case RTX_CLONE:
            m_Scanner.ReadQuotedString(mesh.cloneSourceName);
            break;
        case RTX_MESH:
            if (!mesh.cloneSourceName.IsEmpty())
                break;  // the clone's geometry comes from its source: the block is passed over
            hadMesh = true;
            return !m_FullImport || (m_Scanner.OpenBlock() && ReadMeshBlock(mesh));
        case RTX_MATERIAL_REF:
            m_Scanner.ReadInt(m_MaterialIndex);
            break;
        case RTX_WIREFRAME_COLOR: {
            D3DXVECTOR3 c(1.0f, 1.0f, 1.0f);
            m_Scanner.ReadVector(c);
            m_MeshColor = D3DCOLORVALUE{c.x, c.y, c.z, 1.0f};
            break;
        }
        default:
            return ReadNodeKeyword(keyword, mesh) != kFileEnded;
        }
        return true;
    });
    EndGeomObject(slot, hadMesh);  // also when the file ended inside: what was read stays
    return inside;
}

// Header mode reads no geometry: a node with a mesh block stays a mesh there, so that the meshes of
// the scene a cycle is bound to find their tracks by name.
void RTXLoader::EndGeomObject(int32_t slot, bool hadMesh)
{
    DXC_Mesh* mesh = m_Scene->meshes.GetBySlot(slot);
    const bool clone = !mesh->cloneSourceName.IsEmpty();
    const bool geometry = hadMesh && (!m_FullImport || m_Work.faceCount > 0);
    DXC_3dObject* node = mesh;
    if (!clone && !geometry) {
        DXC_3dObject& helper = *m_Scene->objects.GetBySlot(m_Scene->objects.Add());
        DXC_3dObject::CopyNode(*mesh, helper);
        helper.kind = OBJ_KIND_HELPER;
        m_Scene->meshes.Delete(slot);
        mesh = nullptr;
        node = &helper;
    }
    if (m_VersionMajor == 1 && !clone)
        D3DXMatrixIdentity(&node->offsetMatrix);
    if (!m_FullImport || !mesh)
        return;
    if (clone)
        EnterMeshInfo(*mesh);
    else
        BuildMesh(*mesh);
}

bool RTXLoader::ReadHelperObject(int32_t kind)
{
    DXC_3dObject& helper = *m_Scene->objects.GetBySlot(m_Scene->objects.Add());
    helper.kind = kind;
    return ReadBlock([&](int32_t keyword) { return ReadNodeKeyword(keyword, helper) != kFileEnded; });
}

bool RTXLoader::ReadCameraObject()
{
    DXC_Camera& camera = *m_Scene->cameras.GetBySlot(m_Scene->cameras.Add());
    return ReadBlock([&](int32_t keyword) {
        switch (keyword) {
        case RTX_TARGET_NODE:
            m_Scanner.ReadQuotedString(camera.targetName);
            return true;
        case RTX_CAMERA_SETTINGS:
            return m_Scanner.OpenBlock() && ReadCameraSettings(camera);
        default:
            return ReadNodeKeyword(keyword, camera) != kFileEnded;
        }
    });
}

bool RTXLoader::ReadCameraSettings(DXC_Camera& camera)
{
    return ReadBlock([&](int32_t keyword) {
        if (keyword == RTX_CAMERA_FOV)
            m_Scanner.ReadNumber(camera.fieldOfView);
        return true;
    });
}

bool RTXLoader::ReadLightObject()
{
    DXC_Light& light = *m_Scene->lights.GetBySlot(m_Scene->lights.Add());
    String type;
    const bool inside = ReadBlock([&](int32_t keyword) {
        switch (keyword) {
        case RTX_LIGHT_TYPE:
            m_Scanner.ReadWord(type);
            return true;
        case RTX_LIGHT_USELIGHT: {
            int32_t use = 0;
            m_Scanner.ReadInt(use);
            light.lightWordB = use != 0 ? 1 : 0;
            return true;
        }
        case RTX_LIGHT_SETTINGS:
            return m_Scanner.OpenBlock() && ReadLightSettings(light);
        default:
            return ReadNodeKeyword(keyword, light) != kFileEnded;
        }
    });
    if (!inside)
        return false;
    // The type takes effect at the end of the block; a light without a type word is a point light.
    light.lightParams.Type = kLightPoint;
    if (type.EqualsNoCase("Target") || type.EqualsNoCase("TargetSpot") || type.EqualsNoCase("FreeSpot"))
        light.lightParams.Type = kLightSpot;
    else if (type.EqualsNoCase("Directional") || type.EqualsNoCase("TargetDirectional"))
        light.lightParams.Type = kLightDirectional;
    else if (!type.IsEmpty() && !type.EqualsNoCase("Omni"))
        Warning("Unknown light type '%s' changed to omni", type.c_str());
    return true;
}

// The values take effect in the order of the file: the intensity scales the colour read before it,
// the attenuation end needs the switch read before it.
bool RTXLoader::ReadLightSettings(DXC_Light& light)
{
    LightParams& p = light.lightParams;
    D3DXVECTOR3 color;
    int32_t useAttenuation = 0;
    p.Range = kUnlimitedRange;
    return ReadBlock([&](int32_t keyword) {
        switch (keyword) {
        case RTX_LIGHT_COLOR:
            m_Scanner.ReadVector(color);
            break;
        case RTX_LIGHT_INTENS: {
            const float intensity = ReadNumberOr(0.0f);
            p.Diffuse = D3DCOLORVALUE{color.x * intensity, color.y * intensity, color.z * intensity, 1.0f};
            p.Specular = p.Diffuse;
            p.Ambient = D3DCOLORVALUE{0.0f, 0.0f, 0.0f, 0.0f};
            break;
        }
        case RTX_LIGHT_ASPECT:
            if (std::fabs(ReadNumberOr(1.0f)) != 1.0f)
                Warning("Light aspect other than 1");
            break;
        case RTX_LIGHT_HOTSPOT:
            p.Theta = ReadNumberOr(0.0f) * kDegrees;
            break;
        case RTX_LIGHT_FALLOFF:
            p.Phi = ReadNumberOr(0.0f) * kDegrees;
            break;
        case RTX_LIGHT_TDIST: {
            float distance = ReadNumberOr(0.0f);
            if (!(distance > 0.0f))
                distance = kUnlimitedRange;
            p.Range = std::min(p.Range, distance);
            break;
        }
        case RTX_LIGHT_USEATTN:
            m_Scanner.ReadInt(useAttenuation);
            break;
        case RTX_LIGHT_ATTNSTART:
            ReadNumberOr(0.0f);
            break;
        case RTX_LIGHT_ATTNEND: {
            const float end = std::max(ReadNumberOr(0.0f), 0.0f);
            if (useAttenuation) {
                p.Range = std::min(p.Range, end);
                p.Attenuation2 = 0.65f / (end * end * 0.35f);
                p.Attenuation0 = 1.0f;
            }
            break;
        }
        default:
            break;
        }
        return true;
    });
}

bool RTXLoader::ReadAtmospheric()
{
    return ReadBlock([&](int32_t keyword) { return keyword != RTX_STDFOG || (m_Scanner.OpenBlock() && ReadStdFog()); });
}

bool RTXLoader::ReadStdFog()
{
    return ReadBlock([&](int32_t keyword) {
        if (keyword == RTX_FOG_COLOR) {
            SceneParams params = m_Scene->GetRenderOptions();
            params.SetInt(kParamFogOn, 1);
            params.SetInt(kParamFogColor, int32_t(ReadColorBytes()));
            m_Scene->SetRenderOptions(params);
        }
        return true;
    });
}
