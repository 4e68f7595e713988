// GameCtrl: world elements made from world-object entries: the class the entry's type selects
// (light, usable 3D object, creature, start and visibility positions, area effects, effect
// objects), its class keys and its hand-over to the world; creatures from their definitions.
#include "game/ctrl/GameCtrl.h"

#include "base/File.h"
#include "base/GameOptions.h"
#include "engine/gfx/DXC_Gfx.h"
#include "engine/scene/DXC_3dScene.h"
#include "game/objects/AreaEffect.h"
#include "game/objects/EventObj.h"
#include "game/objects/ItemObj.h"
#include "level/VSD_FileRecords.h"
#include "level/VSD_LightSource.h"
#include "level/WorldElemKind.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr float kDegToRad = 0.0174533f;
constexpr int32_t kMaxFileName = 256;  // "sFile" is read as at most 255 characters
constexpr int32_t kPivots = 4;
constexpr int32_t kCreatureLoadFlags = 0x20;  // names, transforms, keys and bones

float WorldScale() { return g_Options.itemScale; }

bool InRange(int32_t kind, int32_t first) { return kind >= first && kind < first + 100; }

// The depth of the creation under way, one step per nested call.
class DepthStep {
public:
    explicit DepthStep(int32_t& depth) : m_Depth(depth) { ++m_Depth; }
    ~DepthStep() { --m_Depth; }
    DepthStep(const DepthStep&) = delete;
    DepthStep& operator=(const DepthStep&) = delete;

private:
    int32_t& m_Depth;
};

// What an error leaves of a creation: the element with the children it made goes again, out of
// the world's tables when it had entered them.
class HalfBuilt {
public:
    explicit HalfBuilt(WorldCtrl& world) : m_World(world) {}
    ~HalfBuilt()
    {
        if (!m_Elem)
            return;
        try {
            m_Elem->DeleteChildren(false);
            if (m_ChildrenOnly)
                return;
            if (m_Elem->m_World && m_World.HoldsObj(m_Elem->m_ObjID, m_Elem))
                m_World.DelObj(m_Elem->m_ObjID, 1);
            else if (m_Light >= 0)
                m_World.DelLight(m_Light);
            else
                delete m_Elem;
        } catch (const ErrorMsg&) {
            // already reported; the error that ended the creation is the one that counts
        }
    }
    HalfBuilt(const HalfBuilt&) = delete;
    HalfBuilt& operator=(const HalfBuilt&) = delete;

    void Hold(WorldElem* elem) { m_Elem = elem; }
    void HoldLight(WorldElem* light, int32_t id)
    {
        m_Elem = light;
        m_Light = id;
        m_ChildrenOnly = false;
    }
    // An element that is no one's to delete (a local the world copies) whose children are.
    void HoldChildrenOf(WorldElem* elem)
    {
        m_Elem = elem;
        m_ChildrenOnly = true;
    }
    template <class T> T* Release(T* elem)
    {
        m_Elem = nullptr;
        return elem;
    }

private:
    WorldCtrl& m_World;
    WorldElem* m_Elem = nullptr;
    int32_t m_Light = -1;
    bool m_ChildrenOnly = false;
};

void Place(WorldElem& elem, const WorldObjectCreateParams& params)
{
    if (params.hasPosition)
        elem.SetPos(params.posX, params.posY);
    elem.SetHeight(elem.GetOwnHeight() + params.heightOffset);
    if (params.owner)
        params.owner->AttachChild(&elem);
}

// A new element of the controller's element factory, named after its entry, held by the guard.
EventObj* NewFactoryElement(GameCtrl& ctrl, HalfBuilt& guard, const String& desc)
{
    EventObj* event = ctrl.CreateEventObj();
    if (!event)
        ctrl.Error("No element made for world object '%s'", desc.c_str());
    guard.Hold(event);
    event->m_CfgID = desc;
    event->SetName(wString(desc));
    return event;
}

// The process-wide stamp of creature definition use, which the release of unused data consults.
uint32_t s_CreatureUseCounter = 0;

}  // namespace

WorldElem* GameCtrl::CreateWorldObject(const char* name, uint8_t* result, bool addToWorld, bool withItem,
                                       bool createChildren, bool childFlag, float rotation, const D3DXVECTOR2* pos,
                                       float heightOffset, WorldElem* owner, int32_t levelElement)
{
    const int32_t entry = FindWorldObjectTypeIndex(name);
    if (entry < 0)
        Error("World object '%s' not found", name);
    return CreateWorldObjectByIndex(entry, result, addToWorld, withItem, createChildren, childFlag, rotation, pos,
                                    heightOffset, owner, levelElement);
}

WorldElem* GameCtrl::CreateWorldObjectByIndex(int32_t entry, uint8_t* result, bool addToWorld, bool withItem,
                                              bool createChildren, bool childFlag, float rotation,
                                              const D3DXVECTOR2* pos, float heightOffset, WorldElem* owner,
                                              int32_t levelElement)
{
    WorldObjectCreateParams params;
    params.addToWorld = addToWorld ? 1 : 0;
    params.withItem = withItem ? 1 : 0;
    params.createChildren = createChildren ? 1 : 0;
    params.buildBox = params.createChildren;
    params.childFlag = childFlag ? 1 : 0;
    params.keepPosition = createChildren ? 0 : 1;
    params.createEffectChildren = params.createChildren;
    params.networkClient = 0;
    params.levelElement = levelElement;
    params.rotation = rotation;
    if (pos) {
        params.hasPosition = 1;
        params.posX = pos->x;
        params.posY = pos->y;
    }
    params.heightOffset = heightOffset;
    params.owner = owner;
    WorldElem* elem = CreateWorldObjectFromEntry(entry, params);
    if (result)
        *result = params.result;
    return elem;
}

// The interface's callers hold what they get as elements of the object table; the light table
// owns the lights, so they get none back.
WorldElemGridBase* GameCtrl::CreateWorldObject(const char* typeName, float x, float y, float angle, float height)
{
    const int32_t entry = FindWorldObjectTypeIndex(typeName);
    if (entry < 0)
        Error("World object '%s' not found", typeName);
    return CreateWorldObjectByIndex(entry, x, y, angle, height);
}

WorldElemGridBase* GameCtrl::CreateWorldObjectByIndex(int32_t index, float x, float y, float angle, float height)
{
    const D3DXVECTOR2 pos(x, y);
    WorldElem* elem =
        CreateWorldObjectByIndex(index, nullptr, true, true, true, false, angle, &pos, height, nullptr, -1);
    if (!elem || elem->m_TypeCode == ElemType::kLight)
        return nullptr;  // the light table owns lights: a caller must not delete one
    return elem;
}

WorldElem* GameCtrl::CreateEmptyElement(uint16_t typeCode)
{
    switch (typeCode) {
    case ElemType::kCreature: return CreateCreature();
    case ElemType::kItem: return new ItemObj;
    case ElemType::kEvent: return CreateEventObj();
    default: return GameCtrlInterface::CreateEmptyElement(typeCode);  // projectiles, and none
    }
}

WorldElem* GameCtrl::CreateWorldObjectFromEntry(int32_t entry, WorldObjectCreateParams& params)
{
    ConfigFileReader& reader = m_WorldObjectReader;
    if (entry < 0 || entry >= reader.GetNumEntries())
        Error("World object entry %i out of range (%i entries)", entry, reader.GetNumEntries());
    DepthStep step(m_CreationDepth);
    if (m_CreationDepth > kMaxChildDepth)  // an entry that is its own child, or a cycle of them
        Error("World object '%s' nests children deeper than %i", reader.GetDescOfEntry(entry).c_str(),
              kMaxChildDepth);
    params.result = 0;
    const int32_t kind = ReadItemType(entry);
    if (InRange(kind, WorldElemKind::kLight))
        return CreateLightFromEntry(entry, params);
    if (InRange(kind, WorldElemKind::kObject))
        return CreateUsableObjectFromEntry(entry, params);
    if (InRange(kind, WorldElemKind::kCreature))
        return CreateCreatureElement(entry, params);
    if (kind == WorldElemKind::kStartPos || kind == WorldElemKind::kVisibilityPos)
        return CreatePositionElement(entry, kind, params);
    if (kind == WorldElemKind::kEvent)
        return CreateAreaEffectElement(entry, params);
    if (InRange(kind, WorldElemKind::kEffect)) {
        StartEffectObject(entry, params);
        return nullptr;
    }
    Error("Item nr %i has unknown type %i", entry, kind);
    return nullptr;
}

WorldElem* GameCtrl::CreateLightFromEntry(int32_t entry, WorldObjectCreateParams& params)
{
    ConfigFileReader& reader = m_WorldObjectReader;
    VSD_LightSource light;
    const String desc = reader.GetDescOfEntry(entry);
    light.m_CfgID = desc;
    light.SetName(wString(desc));
    light.SetAngle(params.rotation);
    if (params.hasPosition)
        light.SetPos(params.posX, params.posY);
    // The children hang on this local light until the table's copy takes them over.
    HalfBuilt guard(m_World);
    guard.HoldChildrenOf(&light);
    LoadWorldObjects(light, entry, params);

    const float lightScale = g_Options.lightScale;
    float colour[3];
    if (ConfigFileReader::Found(reader.GetVector3("col", colour, entry)))
        for (int32_t i = 0; i < 3; ++i)
            light.m_Colour[i] = uint8_t(int32_t(std::fmin(std::fmax(colour[i], 0.0f), 1.0f) * 255.0f));
    reader.GetFloat("int", light.m_Intensity, entry);
    float height = 0.0f;
    reader.GetFloat("height", height, entry);
    light.SetHeight(height * lightScale + params.heightOffset);
    float size = 0.0f;
    if (ConfigFileReader::Found(reader.GetFloat("size", size, entry)))
        light.m_Size = size * lightScale;
    int32_t mode = 0;
    if (ConfigFileReader::Found(reader.GetInt("LightUpdate", mode, entry)))
        light.m_UpdateMode = uint16_t(mode);
    if (ConfigFileReader::Found(reader.GetInt("LightCalc", mode, entry)))
        light.m_CalcMode = uint16_t(mode);
    reader.GetVector3("LightDir", light.m_Direction, entry);
    reader.GetFloat("MaxDist", light.m_Range, entry);
    ReadAngleKey(reader, "span", light.m_Span, entry);
    ReadAngleKey(reader, "FallOff", light.m_FallOff, entry);
    reader.GetFloat("SpotSize", light.m_SpotSize, entry);
    reader.GetFloat("specular", light.m_Specular, entry);
    reader.GetFloat("ambient", light.m_Ambient, entry);
    reader.GetFloat("NoneRangedFallOff", light.m_NoneRangedFallOff, entry);
    light.m_PointLightSizeFactor = 300.0f;
    reader.GetFloat("PointLightSizeFactor", light.m_PointLightSizeFactor, entry);
    float number = 0.0f;
    if (ConfigFileReader::Found(reader.GetFloat("directional", number, entry)))
        light.m_LightFlags = uint8_t(number != 0.0f ? light.m_LightFlags | VSD_LightSource::kDirectional
                                                    : light.m_LightFlags & ~VSD_LightSource::kDirectional);
    if (ConfigFileReader::Found(reader.GetFloat("ranged", number, entry)))
        light.m_LightFlags = uint8_t(number > 0.0f ? light.m_LightFlags & ~VSD_LightSource::kNoneRanged
                                                   : light.m_LightFlags | VSD_LightSource::kNoneRanged);
    reader.GetInt("ConstantIllum", light.m_ConstantIllum, entry);
    reader.GetFloat("Flickering", light.m_Flickering, entry);

    const int32_t id = m_World.AddLightToGrid(light);
    if (id < 0)
        return nullptr;
    VSD_LightIntern* placed = m_World.GetLight(id);
    guard.HoldLight(placed, id);
    std::vector<WorldElemGridBase*> children;  // made for the light before the table took its copy
    light.ForEachChild([&](WorldElemGridBase& child) { children.push_back(&child); });
    for (WorldElemGridBase* child : children)
        if (WorldElemBase* elem = dynamic_cast<WorldElemBase*>(child)) {
            elem->DetachFromParent();
            placed->AttachChild(elem);
        }
    float loopTime = 0.0f;
    if (ConfigFileReader::Found(reader.GetFloat("intCurveLoopTime", loopTime, entry))) {
        placed->m_IntCurve.SetLoopTime(loopTime);
        placed->m_IntCurve.SetLoop(loopTime > 0.0f);
    }
    ReadBezierSpline1D(reader, "intCurve", entry, placed->m_IntCurve, "light:intCurve");
    return guard.Release(placed);
}

WorldElem* GameCtrl::CreateUsableObjectFromEntry(int32_t entry, WorldObjectCreateParams& params)
{
    ConfigFileReader& reader = m_WorldObjectReader;
    String desc;
    if (!ConfigFileReader::Found(reader.GetString("desc", desc, entry)))
        Error("World object %i without 'desc' entry", entry);
    String id;
    if (!ConfigFileReader::Found(reader.GetString("id", id, entry)))
        Error("Object %s without 'id' entry", desc.c_str());
    const int32_t objEntry = m_3dObjReader.FindEntryByDesc(id.c_str());
    if (objEntry < 0)
        Error("3dObject '%s' not found (worldobj: '%s')", id.c_str(), desc.c_str());
    ItemObj* object = Create3dObjInstance(objEntry, entry, 0, false);
    HalfBuilt guard(m_World);
    guard.Hold(object);
    object->m_World = nullptr;  // until the table admits it
    object->m_CfgID = desc;
    object->SetName(wString(desc));
    object->SetAngle(params.rotation);
    Place(*object, params);
    LoadWorldObjects(*object, entry, params);
    Read3dObjGraphics(*object, entry);

    float boxScale[2] = {WorldScale(), WorldScale()};
    float scale = 1.0f;
    if (ConfigFileReader::Found(reader.GetFloat("scale", scale, entry)))
        boxScale[0] = boxScale[1] = boxScale[0] * scale;
    float scale3d[3];
    if (ConfigFileReader::Found(reader.GetVector3("scale3d", scale3d, entry))) {
        boxScale[0] *= scale3d[0];
        boxScale[1] *= scale3d[1];
    }
    if (params.withItem)
        ReadObjectItem(*object, entry);
    ReadObjectUseKeys(*object, entry, params);
    if (params.buildBox)
        ReadObjectBox(*object, entry, boxScale);
    if (params.addToWorld && m_World.AddObj(object, 1, true) < 0)
        return nullptr;  // the guard frees it
    return guard.Release(object);
}

void GameCtrl::ReadObjectItem(ItemObj& object, int32_t entry)
{
    ConfigFileReader& reader = m_WorldObjectReader;
    String name;
    if (!ConfigFileReader::Found(reader.GetString("item", name, entry)))
        return;
    const ItemBase* definition = FindItem(name.c_str(), false);
    if (!definition)
        Error("item '%s' not found", name.c_str());
    std::unique_ptr<ItemBase> item(CreateItem());
    definition->CopyTo(item.get());
    LoadItems(reader, entry, *item, false);
    object.SetName(wString(item->m_ItemName));
    if (!item->m_Shader.IsEmpty())
        object.SetShader(item->m_Shader, true);
    delete object.m_LinkedItem;
    object.m_LinkedItem = item.release();
    object.m_LinkFlag = 1;
}

void GameCtrl::ReadObjectUseKeys(ItemObj& object, int32_t entry, const WorldObjectCreateParams& params)
{
    ConfigFileReader& reader = m_WorldObjectReader;
    ObjGraphics& look = object.m_Graphics;
    float glowType = 0.0f;
    if (ConfigFileReader::Found(reader.GetFloat("GlowType", glowType, entry)))
        look.glowType = int16_t(int32_t(glowType + 0.5f));
    float number = 0.0f;
    if (ConfigFileReader::Found(reader.GetFloat("GlowBackDraw", number, entry)))
        look.glowBackDraw = number > 0.0f ? 1 : 0;
    reader.GetFloat("GlowSize", look.glowSize, entry);
    reader.GetVector3("GlowPos", look.glowPos, entry);
    float rgb[3];
    if (ConfigFileReader::Found(reader.GetVector3("GlowCol", rgb, entry)))
        look.glowColour = (look.glowColour & 0xFF000000u) |
                          (uint32_t(std::fmin(std::fmax(rgb[0], 0.0f), 1.0f) * 255.0f) << 16) |
                          (uint32_t(std::fmin(std::fmax(rgb[1], 0.0f), 1.0f) * 255.0f) << 8) |
                          uint32_t(std::fmin(std::fmax(rgb[2], 0.0f), 1.0f) * 255.0f);
    if (ConfigFileReader::Found(reader.GetFloat("GlowAlpha", number, entry)))
        look.glowColour = (look.glowColour & 0x00FFFFFFu) |
                          (uint32_t(std::fmin(std::fmax(number, 0.0f), 1.0f) * 255.0f) << 24);
    reader.GetInt("SpecialEffect", look.specialEffect, entry);

    if (ConfigFileReader::Found(reader.GetFloat("acCycle", number, entry)))
        object.m_LoopAni = number != 0.0f ? 1 : 0;
    look.reverseCycleOnUse = object.m_LoopAni ? 0 : 1;
    ReadFlagKey(reader, "ReverseCycleOnUse", look.reverseCycleOnUse, entry);
    reader.GetFloat("acSpd", object.m_AniSpeed, entry);
    float closed = object.m_ClosedTime;
    float open = object.m_OpenTime;
    reader.GetFloat("acPoint0", closed, entry);
    reader.GetFloat("acPoint1", open, entry);
    object.SetAnimationRange(closed, open, closed);
    int32_t useState = 0;
    reader.GetInt("UseState", useState, entry);
    if (!params.keepPosition)
        ReadFlagKey(reader, "acStartOnInit", look.acStartOnInit, entry);
    ReadFlagKey(reader, "FadeOutWithWallParent", look.fadeOutWithWallParent, entry);
    ReadShortKey(reader, "NeedKey", object.m_KeyNumber, entry);
    reader.GetString("onFailedUse", object.m_FailedUseScript, entry);
    object.SetOpenState(useState, true);
    if (object.m_RandomStart || object.m_ObjValues.acRndStart != 0)
        return;
    float start = 0.0f;
    if (ConfigFileReader::Found(reader.GetFloat("acStart", start, entry)))
        object.SetAniTime(start);
    if (!object.m_LoopAni && !look.acStartOnInit && object.m_AniSpeed > 0.0f)
        object.SetAniSpeed(-object.m_AniSpeed);  // it waits at its start until used
}

void GameCtrl::ReadObjectBox(ItemObj& object, int32_t entry, const float (&boxScale)[2])
{
    ConfigFileReader& reader = m_WorldObjectReader;
    float box[2] = {0.0f, 0.0f};
    if (ConfigFileReader::Found(reader.GetFloatPair("box", box, entry)) && (box[0] != 0.0f || box[1] != 0.0f)) {
        float opacity = 1.0f;
        reader.GetFloat("boxOpacity", opacity, entry);
        uint8_t seeThrough = 0;
        uint8_t reachThrough = 0;
        uint8_t semiPerm = 0;
        ReadFlagKey(reader, "boxCanSeeThrough", seeThrough, entry);
        ReadFlagKey(reader, "boxCanReachThrough", reachThrough, entry);
        ReadFlagKey(reader, "boxSemiPerm", semiPerm, entry);
        bool blocksForce = object.m_Solid != 0;
        bool blocksView = true;
        reader.GetBool("boxBlocksActForce", blocksForce, entry);
        reader.GetBool("boxBlocksVisibility", blocksView, entry);
        float offset[2] = {0.0f, 0.0f};
        reader.GetFloat("boxX", offset[0], entry);
        reader.GetFloat("boxY", offset[1], entry);
        m_World.AddBoxWalls(&object, box[0] * boxScale[0], box[1] * boxScale[1], offset[0] * boxScale[0],
                            offset[1] * boxScale[1], 0.0f, object.m_Solid, seeThrough, -1, semiPerm, reachThrough,
                            blocksForce ? 1 : 0, blocksView ? 1 : 0, object.m_ObjValues.heightToFlyAbove);
        for (int32_t n = 0; n < object.GetWallCount(); ++n)
            if (VSD_WallIntern* wall = object.GetWallRecord(n).wall.Get())
                wall->m_Opacity = opacity;
        object.m_WallsAsCollisionBox = 1;
        object.m_Solid = 0;  // the box blocks in its place
    }
    const D3DXVECTOR2 at = object.GetPos();
    const float c = std::cos(object.GetAngle());
    const float s = std::sin(object.GetAngle());
    for (int32_t k = 1;; ++k) {
        String name;
        if (!ConfigFileReader::Found(reader.GetString("wallChild", name, entry, k)))
            break;
        float start[2] = {0.0f, 0.0f};
        float end[2] = {0.0f, 0.0f};
        reader.GetFloatPair("wallChildStart", start, entry, k);
        reader.GetFloatPair("wallChildEnd", end, entry, k);
        VSD_WallEntry wall;
        wall.descId = int16_t(FindWallTypeIndex(name.c_str()));
        wall.x1 = int16_t(at.x + c * start[0] - s * start[1]);
        wall.y1 = int16_t(at.y + s * start[0] + c * start[1]);
        wall.x2 = int16_t(at.x + c * end[0] - s * end[1]);
        wall.y2 = int16_t(at.y + s * end[0] + c * end[1]);
        const int32_t id = wall.descId < 0 ? -1 : m_World.ReadWallProperties(wall, 1, 0, 0);
        VSD_WallIntern* placed = id < 0 ? nullptr : m_World.GetWall(id, false);
        if (!placed)
            Error("Failed to add wall: '%s'", name.c_str());
        object.AddWall(*placed);
    }
}

WorldElem* GameCtrl::CreateCreatureElement(int32_t entry, WorldObjectCreateParams& params)
{
    ConfigFileReader& reader = m_WorldObjectReader;
    String id;
    if (!ConfigFileReader::Found(reader.GetString("id", id, entry)))
        Error("Creature %i without 'id' entry", entry);
    CreatureObj* creature = CreateCreatureFromEntry(id.c_str(), entry);
    HalfBuilt guard(m_World);
    guard.Hold(creature);
    const String desc = reader.GetDescOfEntry(entry);
    creature->m_CfgID = desc;
    creature->SetName(wString(desc));
    creature->SetAngle(params.rotation);
    if (params.hasPosition)
        creature->SetPos(params.posX, params.posY);
    LoadWorldObjects(*creature, entry, params);
    WorldObjectValues& values = creature->m_ObjValues;
    reader.GetFloat("acWalkSpd", values.walkSpeed, entry);
    reader.GetString("AI_Target", values.aiTarget, entry);
    ReadFlagKey(reader, "InheritAITargets", values.inheritAITargets, entry);
    reader.GetString("onKill", values.onKill, entry);
    reader.GetString("onKill2", values.onKill2, entry);
    String handler;
    if (ConfigFileReader::Found(reader.GetString("onAction", handler, entry)))
        creature->SetActionHandler(handler);
    ReadByteKey(reader, "dead", creature->m_Dead, entry);
    if (params.addToWorld && m_World.AddObj(creature, 1, true) < 0)
        return nullptr;
    Place(*creature, WorldObjectCreateParams{.heightOffset = params.heightOffset, .owner = params.owner});
    return guard.Release(creature);
}

CreatureObj* GameCtrl::CreateCreatureFromEntry(const char* name, int32_t worldObjEntry)
{
    ConfigFileReader& definitions = m_CreatureReader;
    const int32_t definition = definitions.FindEntryByDesc(name);
    if (definition < 0)
        Error("Creature '%s' not found", name);
    const size_t count = size_t(definitions.GetNumEntries());
    if (m_CreatureEntryObjects.size() != count || m_CreatureEntryWords.size() != count) {
        m_CreatureEntryObjects.resize(count);
        m_CreatureEntryWords.resize(count, 0);
    }
    m_CreatureEntryWords[size_t(definition)] = ++s_CreatureUseCounter;
    char file[kMaxFileName] = {};
    if (!ConfigFileReader::Found(definitions.GetValueText("sFile", file, sizeof file, definition)))
        Error("Character entry 'sFile' not found");

    std::shared_ptr<WorldElem>& slot = m_CreatureEntryObjects[size_t(definition)];
    if (!slot) {
        std::shared_ptr<CreatureObj> prototype(CreateCreature());
        BuildCreature(*prototype, definition, file);
        slot = prototype;  // only a complete build becomes the prototype
        ++m_CreatureBuilds;
    }
    CreatureObj& prototype = dynamic_cast<CreatureObj&>(*slot);
    std::unique_ptr<CreatureObj> creature(CreateCreature());
    prototype.CloneInto(*creature);
    ReadNetSync(m_WorldObjectReader, creature->m_NetSync, worldObjEntry);
    creature->SetParty(prototype.GetParty());
    return creature.release();
}

void GameCtrl::BuildCreature(CreatureObj& creature, int32_t definition, const char* sceneFile)
{
    ConfigFileReader& reader = m_CreatureReader;
    const String desc = reader.GetDescOfEntry(definition);
    creature.m_CfgID = desc;
    if (g_Gfx) {  // the skeleton, bones and cycles drive the simulation; no geometry is made
        auto scene = std::make_shared<DXC_3dScene>();
        g_Gfx->LoadScene(scene.get(), sceneFile, kCreatureLoadFlags);
        m_CreatureScenes.push_back(scene);
        creature.SetScene(scene.get());
        creature.CheckBoneCount();
    }
    // Every bone follows the body's turning by its weight; the template starts without a strategy.
    creature.SetupBones(true);
    creature.GetStrategyData().Reset();
    float scale = 1.0f;
    reader.GetFloat("scale", scale, definition);
    float scale3d[3] = {1.0f, 1.0f, 1.0f};
    reader.GetVector3("scale3d", scale3d, definition);
    creature.SetScale(scale * scale3d[0], scale * scale3d[1], scale * scale3d[2], false, false);
    reader.GetVector3("SortPos", creature.m_ObjValues.sortPos, definition);
    float angle = 0.0f;
    if (ConfigFileReader::Found(reader.GetFloat("angle", angle, definition)))
        creature.SetSecondAngle(angle * kDegToRad);
    String text;
    if (ConfigFileReader::Found(reader.GetString("name", text, definition)))
        creature.SetName(wString(text));
    String set;
    if (!ConfigFileReader::Found(reader.GetString("acSet", set, definition)))
        Error("Creature %i without acSet entry", definition);
    WorldObjectValues& values = creature.m_ObjValues;
    reader.GetFloat("acScale", values.aniScale, definition);
    reader.GetFloat("acRot", values.aniRotation, definition);
    creature.m_Stats.aniCycleSet = LoadAniCycleSets(set.c_str());
    creature.m_CreatureType = GetAniCycleSet(creature.m_Stats.aniCycleSet);
    creature.BindCycleSet(GetAniCycleSet(creature.m_Stats.aniCycleSet));  // clones copy the binding
    String shader;
    if (ConfigFileReader::Found(reader.GetString("shader", shader, definition)))
        creature.SetShader(shader, false);
    LoadCreatureStats(creature, reader, definition, true, true, false);
    reader.GetString("CenterObj", values.centerObj, definition);
    reader.GetVector3("CenterPos", values.centerPos, definition);
    static const char* const kEffectKeys[WorldObjectValues::kCreatureEffects] = {
        "EffectSmallDamage", "EffectMediumDamage", "EffectHeavyDamage", "EffectStun",        "EffectBlock",
        "EffectInflamed",    "EffectWeakened",     "EffectStealLife",   "EffectLevelUp",     "EffectShadowRun",
        "EffectPoisonWeapon", "EffectComboReplace", "EffectShield",     "EffectHeal"};
    for (int32_t i = 0; i < WorldObjectValues::kCreatureEffects; ++i)
        reader.GetString(kEffectKeys[i], values.creatureEffects[i], definition);
    reader.GetFloat("ClickPlaneAboveTerrain", values.clickPlaneAboveTerrain, definition);

    ReadInventoryKeys(reader, creature, definition, "Invalid inventory type for creature '%s'");
    const float worldScale = WorldScale();
    float length = 0.0f;
    if (ConfigFileReader::Found(reader.GetFloat("size", length, definition)))
        creature.m_Radius = length * worldScale;
    if (ConfigFileReader::Found(reader.GetFloat("MovementSize", length, definition)))
        creature.m_BodyRadius = length * worldScale;
    if (ConfigFileReader::Found(reader.GetFloat("height", length, definition)))
        creature.SetHeight(length * worldScale);
    ReadFlagKey(reader, "NoCollisions", creature.m_NoCollisions, definition);
    char dialogue[1024] = {};
    if (ConfigFileReader::Found(reader.GetValueText("DlgPic", dialogue, sizeof dialogue, definition)))
        values.dlgPic = dialogue;
    String boneFile;
    if (ConfigFileReader::Found(reader.GetString("BoneWeightTable", boneFile, definition))) {
        if (!File::Exists(boneFile.c_str()))
            Error("Can not open bone weight table file: %s", boneFile.c_str());
        LoadBoneWeightTable(boneFile.c_str(), creature);
    }
    float party = 0.0f;
    if (ConfigFileReader::Found(reader.GetFloat("party", party, definition)))
        creature.SetParty(int32_t(std::round(party)));
}

EventObj* GameCtrl::CreatePositionElement(int32_t entry, int32_t kind, WorldObjectCreateParams& params)
{
    ConfigFileReader& reader = m_WorldObjectReader;
    HalfBuilt guard(m_World);
    EventObj* event = NewFactoryElement(*this, guard, reader.GetDescOfEntry(entry));
    event->SetAngle(params.rotation);
    LoadWorldObjects(*event, entry, params);
    WorldObjectValues& values = event->m_ObjValues;
    if (kind == WorldElemKind::kVisibilityPos) {
        int32_t count = 0;
        if (ConfigFileReader::Found(reader.GetFloatPair("pivot", values.pivots[0], entry)))
            count = 1;
        for (int32_t i = 1; i < kPivots; ++i)
            if (ConfigFileReader::Found(reader.GetFloatPair("pivot", values.pivots[count], entry, i)))
                ++count;
        values.pivotCount = std::max(count, 1);
    }
    values.desc = String();
    event->m_EventKind = kind == WorldElemKind::kStartPos ? 3 : 4;
    event->m_IgnoreInQueries = 1;
    values.effBy = 0;
    event->m_NetSync = 0;
    if (kind == WorldElemKind::kStartPos)
        params.result = 1;
    if (!params.addToWorld)
        return guard.Release(event);
    if (m_World.AddObj(event, 1, true) < 0)
        return nullptr;
    Place(*event, params);
    event->SetAngle(params.rotation);
    return guard.Release(event);
}

EventObj* GameCtrl::CreateAreaEffectElement(int32_t entry, WorldObjectCreateParams& params)
{
    ConfigFileReader& reader = m_WorldObjectReader;
    HalfBuilt guard(m_World);
    EventObj* event = NewFactoryElement(*this, guard, reader.GetDescOfEntry(entry));
    if (params.addToWorld && m_World.AddObj(event, 1, true) < 0)
        return nullptr;
    event->SetAngle(params.rotation);
    LoadWorldObjects(*event, entry, params);
    event->m_EventKind = EventObj::kKindActive;
    AreaEffect area;
    area.event = event;
    ReadAreaEffect(reader, entry, area);
    event->m_ActivationsLeft = area.count;
    event->m_ActivationScript = area.onActivate;
    event->m_ActivatorName = area.effByID;
    if (!area.effByID.IsEmpty())
        event->m_CollisionMask = EventObj::kFilterName;
    for (int32_t i = 0; i < EventObj::kParties; ++i)
        event->m_ActivatorParties[i] = area.effByParty[i];
    event->m_MinInterval = area.activationTime;
    event->m_ActivationDamage = area.damageEnter;
    event->m_DamageRate = area.damagePerTime;
    event->m_TouchActivates = 1;  // an area fires on whoever enters it
    Place(*event, params);
    return guard.Release(event);
}

void GameCtrl::StartEffectObject(int32_t entry, const WorldObjectCreateParams& params)
{
    ConfigFileReader& reader = m_WorldObjectReader;
    String desc;
    if (!ConfigFileReader::Found(reader.GetString("desc", desc, entry)))
        Error("World object %i without 'desc' entry", entry);
    float height = 0.0f;
    reader.GetFloat("height", height, entry);
    float angle = 0.0f;
    ReadAngleKey(reader, "angle", angle, entry);
    String id;
    if (!ConfigFileReader::Found(reader.GetString("id", id, entry)))
        Error("No 'id' entry in effect object '%s'", desc.c_str());
    const float x = params.hasPosition ? params.posX : 0.0f;
    const float y = params.hasPosition ? params.posY : 0.0f;
    m_World.AddEffectEx(0, int32_t(x), int32_t(y), int32_t(params.heightOffset + height),
                        int32_t((params.rotation + angle) / kDegToRad), params.owner ? params.owner->m_ObjID : -1, 0, 0,
                        0);
}
