// GameCtrl: the 3D objects of "cfg\3dobjs.cfg": the prototype of an entry built on first request
// and its copies, the shader keys of an entry, one world instance for a world object entry, the
// graphics keys of a world object entry.
#include "game/ctrl/GameCtrl.h"

#include "base/Color.h"
#include "base/GameOptions.h"
#include "engine/gfx/DXC_Gfx.h"
#include "engine/scene/DXC_3dScene.h"
#include "engine/scene/DXC_AniCycle.h"
#include "game/objects/ItemObj.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

constexpr int32_t kLoadFlags = 0x20;        // names, transforms, keys and bones: no geometry
constexpr int32_t kLoadFlagSysMem = 0x10;   // "sysmem"
constexpr int32_t kMaxFileName = 256;       // "sFile" is read as at most this many characters

float Sign(float value) { return value < 0.0f ? -1.0f : 1.0f; }

// A colour of three floats in 0..1 as 0xAARRGGBB with the given alpha.
uint32_t PackColour(const float rgb[3], uint32_t alpha)
{
    return (Color::FromFloats(rgb[0], rgb[1], rgb[2]) & 0x00FFFFFFu) | (alpha << 24);
}

// What every loaded scene gets before it is shown: flag 1 on all parts, the default scene
// parameters and no camera.
void PrepareScene(DXC_3dScene& scene)
{
    scene.SetFlagOnAll(1);
    scene.SetRenderOptions(DXC_3dScene::DefaultSceneParams());
    scene.SetActiveCamera(-1);
}

DXC_Gfx& Gfx(ErrorClass& reporter, const char* file)
{
    if (!g_Gfx)
        reporter.Error("No graphics object to load '%s'", file);
    return *g_Gfx;
}

// The entry's scene: with "LoadOnNetworkServer" the file's nodes, bones and keys (never its
// geometry) and the back scene; otherwise only the animation range, which is what the server
// needs to run the object's animation.
void Load3dObjScene(ErrorClass& reporter, ConfigFileReader& reader, int32_t entry, ItemObj& object, const char* file)
{
    DXC_3dScene& scene = *object.m_OwnedScene;
    int32_t sysMem = 0;
    reader.GetInt("sysmem", sysMem, entry);
    const int32_t flags = kLoadFlags | (sysMem != 0 ? kLoadFlagSysMem : 0);
    uint8_t withGeometry = 0;
    GameCtrl::ReadFlagKey(reader, "LoadOnNetworkServer", withGeometry, entry);
    if (!withGeometry) {
        DXC_AniCycle cycle;
        Gfx(reporter, file).ReadSceneFileHeader(&cycle, file, -1.0f, -1.0f);
        scene.SetRangeOnAll(float(cycle.GetAniDuration()));
        return;
    }
    Gfx(reporter, file).LoadScene(&scene, file, flags);
    String backFile;
    if (reader.GetString("sFileBack", backFile, entry) == ConfigFileReader::kFound) {
        auto back = std::make_shared<DXC_3dScene>();
        g_Gfx->LoadScene(back.get(), backFile.c_str(), flags);
        PrepareScene(*back);
        object.m_BackScene = back;
    }
    if (scene.FindMesh("FloorObject", true))
        object.m_FloorObject = 2;
    object.CheckBoneCount();
    object.m_SceneEntry = entry;
    PrepareScene(scene);
}

}  // namespace

// The prototype is built completely before it enters the table, so a scene that fails to load
// leaves the slot empty and frees what was made so far.
ItemObj* GameCtrl::Load3dObjs(int32_t entry, bool makeCopy)
{
    if (entry < 0 || size_t(entry) >= m_3dObjPrototypes.size() || m_3dObjUseStamps.size() != m_3dObjPrototypes.size())
        Error("3dObj entry %i out of range (%i entries)", entry, int32_t(m_3dObjPrototypes.size()));
    m_3dObjUseStamps[size_t(entry)] = ++m_3dObjUseCounter;

    String desc = "*unknown*";
    m_3dObjReader.GetString("desc", desc, entry);
    char file[kMaxFileName + 1] = {};
    if (m_3dObjReader.GetValueText("sFile", file, sizeof file, entry) != ConfigFileReader::kFound)
        Error("3dObj '%s' (nr %i) without 'sFile' entry", desc.c_str(), entry);

    std::shared_ptr<ItemObj>& slot = m_3dObjPrototypes[size_t(entry)];
    if (!slot) {
        auto object = std::make_shared<ItemObj>();
        auto scene = std::make_shared<DXC_3dScene>();
        object->m_RenderData = std::make_shared<ObjRenderData>();
        object->m_3dObjIndex = entry;
        object->m_SceneFile = wString(file);
        object->m_OwnedScene = scene;
        object->SetScene(scene.get());

        Load3dObjScene(*this, m_3dObjReader, entry, *object, file);

        float scale = 1.0f;
        m_3dObjReader.GetFloat("scale", scale, entry);  // read, but only the signs of "scale3d" count
        float scale3d[3];
        if (m_3dObjReader.GetVector3("scale3d", scale3d, entry) == ConfigFileReader::kFound)
            for (int32_t i = 0; i < 3; ++i)
                object->m_Mirror[i] = Sign(scale3d[i]);
        const float itemScale = g_Options.itemScale;
        for (float& s : object->m_Scale)
            s *= itemScale;

        m_3dObjReader.GetString("CenterObj", object->m_RenderData->centerObj, entry);
        m_3dObjReader.GetVector3("CenterPos", object->m_RenderData->centerPos, entry);
        Read3dObjShaderParams(m_3dObjReader, *object, entry);

        float size = 32.0f;
        m_3dObjReader.GetFloat("size", size, entry);
        object->m_Radius = size * itemScale;
        float height = 0.0f;
        if (m_3dObjReader.GetFloat("height", height, entry) == ConfigFileReader::kFound)
            object->SetHeight(height * itemScale);

        float closed = 0.0f;
        float open = scene->aniRange;  // the scene's animation end time
        float cycleOn = 0.0f;
        m_3dObjReader.GetFloat("acSpd", object->m_AniSpeed, entry);
        m_3dObjReader.GetFloat("acPoint1", open, entry);
        m_3dObjReader.GetFloat("acPoint0", closed, entry);
        if (m_3dObjReader.GetFloat("acCycle", cycleOn, entry) == ConfigFileReader::kFound)
            object->m_LoopAni = cycleOn != 0.0f ? 1 : 0;
        int32_t randomStart = 0;
        if (m_3dObjReader.GetInt("acRndStart", randomStart, entry) == ConfigFileReader::kFound)
            object->m_RandomStart = randomStart != 0 ? 1 : 0;
        float start = 0.0f;
        if (m_3dObjReader.GetFloat("acStart", start, entry) == ConfigFileReader::kFound) {
            object->m_AniStart = double(start);
            object->m_RandomStart = 0;
        }
        m_3dObjReader.GetFloat("BackDraw", object->m_BackDraw, entry);
        float solid = 0.0f;
        if (m_3dObjReader.GetFloat("solid", solid, entry) == ConfigFileReader::kFound)
            object->SetSolid(solid > 0.0f ? 1 : 0);
        m_3dObjReader.GetFloat("opacity", object->m_Opacity, entry);
        object->m_ClosedTime = closed;
        object->m_OpenTime = open;
        object->SetAniTime(float(object->m_AniStart));

        slot = object;
    }
    if (!makeCopy)
        return slot.get();

    auto copy = std::make_unique<ItemObj>(*slot);
    if (slot->m_RandomStart) {
        const float r = m_World.GetGameRandom().NextFloat();
        copy->m_AniStart = double(slot->m_ClosedTime + r * (slot->m_OpenTime - slot->m_ClosedTime));
        copy->SetAniTime(float(copy->m_AniStart));
    }
    return copy.release();
}

void GameCtrl::Read3dObjShaderParams(ConfigFileReader& reader, ItemObj& object, int32_t entry)
{
    String shader;
    if (reader.GetString("shader", shader, entry) == ConfigFileReader::kFound)
        object.SetShader(shader, false);
    if (!object.m_RenderData)
        object.m_RenderData = std::make_shared<ObjRenderData>();
    ObjRenderData& data = *object.m_RenderData;
    for (int32_t i = 0; i < ObjRenderData::kShaderParams; ++i)
        if (reader.GetFloat("fParam", data.floatParams[i], entry, i + 1) == ConfigFileReader::kFound)
            data.floatParamSet[i] = 1;
    for (int32_t i = 0; i < ObjRenderData::kShaderParams; ++i)
        if (reader.GetVector3("vParam", data.vectorParams[i], entry, i + 1) == ConfigFileReader::kFound)
            data.vectorParamSet[i] = 1;
    ReadByteKey(reader, "AlphaThreshold", object.m_Graphics.alphaThreshold, entry);
    reader.GetVector3("ShadowDir", object.m_Graphics.shadowDir, entry);
}

ItemObj* GameCtrl::Create3dObjInstance(int32_t objEntry, int32_t worldObjEntry, int32_t unused, bool addToWorld)
{
    (void)unused;
    std::unique_ptr<ItemObj> object(Load3dObjs(objEntry, true));
    object->m_World = &m_World;
    ReadNetSync(m_WorldObjectReader, object->m_NetSync, worldObjEntry);
    if (addToWorld && m_World.AddObj(object.get(), 1, true) < 0)
        return nullptr;
    return object.release();  // the world's now, when added
}

void GameCtrl::Read3dObjGraphics(ItemObj& object, int32_t entry)
{
    ConfigFileReader& reader = m_WorldObjectReader;
    ObjGraphics& look = object.m_Graphics;
    float scale = 1.0f;
    reader.GetFloat("scale", scale, entry);
    for (float& s : object.m_Scale)
        s *= scale;
    float scale3d[3];
    if (reader.GetVector3("scale3d", scale3d, entry) == ConfigFileReader::kFound)
        for (int32_t i = 0; i < 3; ++i) {
            object.m_Mirror[i] *= Sign(scale3d[i]);
            object.m_Scale[i] *= std::fabs(scale3d[i]);
        }
    for (float& s : object.m_Scale)
        s *= g_Options.itemScale;
    const float f = std::sqrt((object.m_Scale[0] * object.m_Scale[0] + object.m_Scale[1] * object.m_Scale[1]) * 0.5f);
    object.m_ViewMargin *= f;
    object.m_Radius *= f;
    object.m_BodyRadius *= f;

    reader.GetVector3("DiffCol", look.diffuse, entry);
    reader.GetVector3("SpecCol", look.specular, entry);
    reader.GetVector3("AmbCol", look.ambient, entry);
    reader.GetVector3("EmiCol", look.emissive, entry);
    float rgb[3];
    if (reader.GetVector3("ColAdd", rgb, entry) == ConfigFileReader::kFound)
        look.colourAdd = PackColour(rgb, 0);
    // Only the entry's own shader counts, not one of the file it depends on.
    ConfigFileReader* linked = reader.GetLinkedReader();
    reader.SetLinkedReader(nullptr);
    String shader;
    const int32_t shaderFound = reader.GetString("shader", shader, entry);
    reader.SetLinkedReader(linked);
    if (shaderFound == ConfigFileReader::kFound)
        object.SetShader(shader, false);

    reader.GetInt("BlendType", look.blendType, entry);
    ReadByteKey(reader, "NoTransparency", look.noTransparency, entry);
    ReadByteKey(reader, "AlphaThreshold", look.alphaThreshold, entry);
    reader.GetVector3("ShadowDir", look.shadowDir, entry);
    look.shadowSize = object.m_Radius;
    reader.GetFloat("ShadowSize", look.shadowSize, entry);
    const bool hasShadowTexture = look.shadowTexSize > 0.0f;
    if (!hasShadowTexture && reader.GetFloat("ShadowTexSize", look.shadowTexSize, entry) == ConfigFileReader::kFound)
        look.shadowTexSize = std::min(look.shadowTexSize, m_MaxShadowTexSize);
    reader.GetInt("CastShadow", look.castShadow, entry);
    look.shadowColour = m_World.GetOptions().shadowColour | 0xFF000000u;
    if (reader.GetVector3("ShadowCol", rgb, entry) == ConfigFileReader::kFound)
        look.shadowColour = PackColour(rgb, 255);
    reader.GetVector3("RotAxis", look.rotAxis, entry);
    ReadAngleKey(reader, "RotAngle", look.rotAngle, entry);
    if (reader.GetFloat("vsize", object.m_ViewMargin, entry) != ConfigFileReader::kFound)
        object.m_ViewMargin = object.ComputeRadius();
    float range[2];
    m_PendingRandomScale = 1.0f;
    if (reader.GetFloatPair("rndScale", range, entry) == ConfigFileReader::kFound)
        m_PendingRandomScale = float(Random::Range(range[0], range[1]));
    ReadFlagKey(reader, "visible", object.m_Visible, entry);
    ReadShortKey(reader, "highlight", object.m_HighlightMode, entry);
    ReadByteKey(reader, "TerrainAlign", object.m_FloorAlignMode, entry);
    reader.GetFloat("ClickSize", look.clickSize, entry);
    float strength = 0.0f;  // 0..1, kept as a byte
    if (reader.GetFloat("TerrainAlignStrength", strength, entry) == ConfigFileReader::kFound && !std::isnan(strength))
        object.m_FloorAlignWeight = uint8_t(std::round(std::clamp(strength, 0.0f, 1.0f) * 255.0f));
    reader.GetFloat("FadeOutIfInView", look.fadeOutIfInView, entry);
    ReadShortKey(reader, "floor", object.m_FloorObject, entry);
    ReadByteKey(reader, "EnvironmentObject", look.environmentObject, entry);
    ReadFlagKey(reader, "canClimb", look.canClimb, entry);
    ReadFlagKey(reader, "FadeOutWithParent", look.fadeOutWithParent, entry);
    ReadFlagKey(reader, "TransformWithParent", object.m_InheritParentTransform, entry);
    reader.GetInt("billboard", look.billboard, entry);
    ReadFlagKey(reader, "LightFalloffApprox", look.lightFalloffApprox, entry);
    ReadFlagKey(reader, "DiscoverFadeOut", look.discoverFadeOut, entry);
    reader.GetFloat("LightingVSize3DFactor", look.lightingVSize3DFactor, entry);
    if (object.m_TypeCode == ElemType::kItem)
        ReadFlagKey(reader, "SimulateCreature", look.simulateCreature, entry);
    ReadIllumination(reader, object.m_Illumination, entry);
}
