// GameCtrl: the keys of a world-object entry applied to an element made from it: names, sizes,
// flags, scripts, paths, children, inventory, items, gold, sounds and forces.
#include "game/ctrl/GameCtrl.h"

#include "base/GameOptions.h"
#include "game/objects/SceneObject.h"
#include "level/VSD_LightSource.h"
#include "level/WorldElemKind.h"
#include "world/ActionEntry.h"
#include "world/Inventory.h"
#include "world/InventoryItem.h"
#include "game/objects/ItemBase.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr float kDegToRad = 0.0174533f;
constexpr int32_t kMaxText = 1024;  // raw value texts: at most 1023 characters
constexpr int32_t kAddItems = 32;
constexpr int32_t kRiddleItems = 16;
constexpr int32_t kAlwaysTriedChildren = 4;  // from the fifth on the first gap ends the children
constexpr int32_t kSoundAmbient = 0;
constexpr int32_t kSoundRandom = 1;

// The world scale factor: lengths of world-object entries are given at the scale of 3D objects.
float WorldScale() { return g_Options.itemScale; }

bool IsEffectKind(int32_t kind) { return kind >= WorldElemKind::kEffect && kind < WorldElemKind::kEffect + 100; }

// A value text of at most 1023 characters; false when the key is absent.
bool ReadText(ConfigFileReader& reader, const char* key, String& out, int32_t entry, int32_t index = -1)
{
    char text[kMaxText] = {};
    if (reader.GetValueText(key, text, sizeof text, entry, index) != ConfigFileReader::kFound)
        return false;
    out = text;
    return true;
}

std::vector<InventoryItem*> ItemsOf(const WorldElem& elem)
{
    std::vector<InventoryItem*> items;
    if (Inventory* inventory = elem.m_Inventory)
        for (int32_t i = 0; i < inventory->GetCount(); ++i)
            items.push_back(inventory->GetItem(i));
    return items;
}

// The item a key just added as an entry of its own; null when it went into a stack.
InventoryItem* NewItem(const WorldElem& elem, const std::vector<InventoryItem*>& before)
{
    for (InventoryItem* item : ItemsOf(elem))
        if (item && std::find(before.begin(), before.end(), item) == before.end())
            return item;
    return nullptr;
}

}  // namespace

void GameCtrl::LoadWorldObjects(WorldElem& elem, int32_t entry, const WorldObjectCreateParams& params)
{
    ConfigFileReader& reader = m_WorldObjectReader;
    WorldObjectValues& values = elem.m_ObjValues;
    const float scale = WorldScale();

    // Names.
    values.desc = String();
    if (reader.GetString("desc", values.desc, entry) == ConfigFileReader::kFound)
        elem.SetName(wString(values.desc));
    String name;
    if (reader.GetString("name", name, entry) == ConfigFileReader::kFound)
        elem.SetName(wString(name));
    ReadText(reader, "EditName", values.editName, entry);
    String info;
    if (ReadText(reader, "InfoTxt", info, entry))
        elem.SetInfoText(info);
    reader.GetString("worldID", elem.m_WorldID, entry);
    ReadFlagKey(reader, "DoNotSave", elem.m_DoNotSave, entry);

    // Sizes, in the world's scale.
    const auto readLength = [&](const char* key, float& target) {
        float value = 0.0f;
        if (!ConfigFileReader::Found(reader.GetFloat(key, value, entry)))
            return false;
        target = value * scale;
        return true;
    };
    if (readLength("size", values.size))
        elem.m_Radius = values.size;
    if (readLength("MovementSize", values.movementSize))
        elem.m_BodyRadius = values.movementSize;
    else if (!elem.IsCreature()) {  // a creature keeps the movement size of its definition
        values.movementSize = values.size;
        elem.m_BodyRadius = values.size;
    }
    ReadByteKey(reader, "CanMoveThroughFlags", elem.m_CanMoveThrough, entry);
    if (!readLength("UseSize", values.useSize))
        values.useSize = values.size;
    elem.m_ReachRadius = values.useSize;
    bool offsetEditorPos = false;
    if (ConfigFileReader::Found(reader.GetBool("OffsetEditorPos", offsetEditorPos, entry)))
        values.offsetEditorPos = offsetEditorPos ? 1 : 0;
    if (!readLength("vsize", values.visSize))
        values.visSize = values.size;
    if (SceneObject* scene = dynamic_cast<SceneObject*>(&elem))
        scene->m_ViewMargin = values.visSize;
    float height = 0.0f;
    if (readLength("height", height))
        elem.SetHeight(height);
    ReadByteKey(reader, "AlwaysOnGround", values.alwaysOnGround, entry);
    reader.GetFloat("HeightToFlyAbove", values.heightToFlyAbove, entry);
    int32_t startOnGround = 0;
    if (ConfigFileReader::Found(reader.GetInt("StartOnGround", startOnGround, entry)))
        values.startHeight = startOnGround != 0 ? -9e9f : 9e9f;
    float sortClass = 0.0f;
    if (ConfigFileReader::Found(reader.GetFloat("SortClass", sortClass, entry)))
        values.sortClass = int16_t(int32_t(sortClass));
    for (int32_t i = 0; i < WorldObjectValues::kScriptFloats; ++i)
        reader.GetFloat("ScriptFloat", values.scriptFloats[i], entry, i + 1);
    reader.GetString("ScriptString", values.scriptString, entry);
    reader.GetFloat("SortDistOff", values.sortDistOff, entry);
    ReadFlagKey(reader, "NoCollisions", elem.m_NoCollisions, entry);
    reader.GetVector3("SortPos", values.sortPos, entry);
    const bool hasPos = ConfigFileReader::Found(reader.GetVector3("Pos", values.pos, entry));
    float autoPos = 0.0f;
    if (!hasPos && elem.IsCreatureOrItem() && !params.keepPosition &&
        ConfigFileReader::Found(reader.GetFloat("autoPos", autoPos, entry)) && autoPos != 0.0f) {
        const D3DXVECTOR3 offset = elem.GetCenterOffset();
        values.pos[0] = -offset.x;
        values.pos[1] = -offset.y;
        values.pos[2] = -offset.z;
    }
    reader.GetFloat("BackDraw", values.backDraw, entry);

    // Flags and state.
    ReadFlagKey(reader, "solid", elem.m_Solid, entry);
    elem.m_BlocksShots = elem.m_Solid;
    ReadFlagKey(reader, "SolidForProjectiles", elem.m_BlocksShots, entry);
    float lifespan = 0.0f;
    if (ConfigFileReader::Found(reader.GetFloat("lifespan", lifespan, entry)) && lifespan > 0.0f)
        elem.SetLifeSpanEnd(lifespan);  // from now on, in game time
    reader.GetFloat("opacity", elem.m_Opacity, entry);
    float number = 0.0f;
    if (ConfigFileReader::Found(reader.GetFloat("pickUp", number, entry)))
        values.pickUp = number > 0.0f ? 1 : 0;
    if (ConfigFileReader::Found(reader.GetFloat("party", number, entry)))
        elem.SetParty(int32_t(std::round(number)));
    if (ConfigFileReader::Found(reader.GetFloat("active", number, entry)))
        elem.m_IgnoreInQueries = number == 0.0f ? 1 : 0;
    reader.GetInt("acRndStart", values.acRndStart, entry);
    float acStart = 0.0f;
    if (ConfigFileReader::Found(reader.GetFloat("acStart", acStart, entry))) {
        values.acStart = double(acStart);
        values.acRndStart = 0;
    }
    // The automatic action is the element's own, which its common step repeats.
    reader.GetString("AutoAction", elem.m_AutoAction, entry);
    reader.GetInt("AutoActionCount", elem.m_AutoActionCount, entry);
    if (values.acRndStart != 0 && !elem.m_AutoAction.IsEmpty()) {
        const ActionEntry* action = m_World.FindActionEntry(elem.m_AutoAction.c_str(), true);
        values.acStart = double(action->duration * m_World.GetGameRandom().NextFloat());
    }

    // The path.
    ReadFlagKey(reader, "RotateWithPath", values.rotateWithPath, entry);
    ReadFlagKey(reader, "LocalPathCoords", values.localPathCoords, entry);
    reader.GetFloat("alpha", values.alpha, entry);
    if (ConfigFileReader::Found(reader.GetFloat("LoopPathEndTime", values.loopPathEndTime, entry)))
        values.loopPath = 1;
    if (ConfigFileReader::Found(reader.GetInt("PathInterpolation", values.pathInterpolation, entry)))
        values.pathInterpolation -= 1;
    reader.GetFloat("PathMoveSpd", elem.m_PathMotion.speed, entry);
    reader.GetFloat("PathStartTime", values.pathStartTime, entry);
    if (ConfigFileReader::Found(reader.GetFloat("PathGotoTime", elem.m_PathMotion.gotoTime, entry)))
        elem.m_PathMotion.stopAtTarget = 1;
    ReadMovePath(reader, elem.m_PathMotion.curve, "MovePath", entry, values.desc.c_str());
    elem.m_PathMotion.time = values.pathStartTime;
    elem.m_PathMotion.faceDirection = values.rotateWithPath;

    if (params.createChildren || params.createEffectChildren)
        LoadWorldObjectChildren(elem, entry, params);

    reader.GetString("onUse", elem.m_OnUse, entry);
    reader.GetString("onCollision", elem.m_OnCollision, entry);
    reader.GetString("onDamage", elem.m_OnDamage, entry);
    reader.GetString("OnInventoryTransfer", elem.m_MoreTexts[0], entry);
    reader.GetString("onInit", elem.m_OnInit, entry);
    String handler;
    if (ConfigFileReader::Found(reader.GetString("onUpdate", handler, entry)))
        elem.SetUpdateHandler(handler);
    ReadText(reader, "DlgPic", values.dlgPic, entry);

    LoadWorldObjectInventory(elem, entry);

    int32_t uses = 0;
    if (ConfigFileReader::Found(reader.GetInt("uses", uses, entry)))
        elem.m_UsesLeft = int16_t(uses);
    if (elem.IsCreature() && ConfigFileReader::Found(reader.GetFloat("CanEquip", number, entry)))
        values.canEquip = number > 0.0f ? 1 : 0;
    reader.GetString("sndAmbi", elem.m_Sounds[kSoundAmbient], entry);
    reader.GetString("sndUse", elem.m_Sounds[WorldElem::kUseSound], entry);
    reader.GetString("sndRand", elem.m_Sounds[kSoundRandom], entry);
    reader.GetFloatPair("sndRandInterval", values.sndRandInterval, entry);
    FindSound(elem.m_Sounds);
    reader.GetInt("EffBy", values.effBy, entry);

    // Motion and forces.
    float friction[2];
    if (ConfigFileReader::Found(reader.GetFloatPair("friction", friction, entry))) {
        elem.m_Deceleration = friction[0];
        elem.m_Drag = friction[1];
    }
    reader.GetFloat("ConstantRotation", values.constantRotation, entry);
    reader.GetFloat("spdRot", values.spdRot, entry);
    reader.GetFloat("mass", elem.m_Mass, entry);
    ActForce& force = elem.m_ActForce;
    reader.GetFloat("ActForce", force.strength, entry);
    if (ConfigFileReader::Found(reader.GetFloat("ActForceMaxDist", force.maxDist, entry)))
        force.maxSideDist = force.maxDist;
    reader.GetFloat("ActForceMaxDistY", force.maxSideDist, entry);
    reader.GetInt("ActForceFlags", force.flags, entry);
    bool flag = false;
    if (ConfigFileReader::Found(reader.GetBool("ActForceDirection", flag, entry)))
        force.directed = flag ? 1 : 0;
    if (ConfigFileReader::Found(reader.GetBool("ActForcePushOutside", flag, entry)))
        force.pushOutside = flag ? 1 : 0;
    reader.GetFloatPair("ActForceAttenuation", force.attenuation, entry);
    reader.GetShort("SpecialMark", values.specialMark, entry);
    ReadFlagKey(reader, "RedirectDamageToParent", elem.m_ForwardDamageToParent, entry);
    reader.GetFloatPair("TargetPivot", values.targetPivot, entry);
    ReadNetSync(reader, elem.m_NetSync, entry);
    if (elem.m_NetSync == 1 && !elem.m_WorldID.IsEmpty())
        elem.m_NetSync = 2;  // an element scripts address by name keeps its whole state in step
}

void GameCtrl::LoadWorldObjectChildren(WorldElem& elem, int32_t entry, const WorldObjectCreateParams& params)
{
    ConfigFileReader& reader = m_WorldObjectReader;
    const float scale = WorldScale();
    for (int32_t k = 1;; ++k) {
        String childName;
        if (!ConfigFileReader::Found(reader.GetString("child", childName, entry, k))) {
            if (k <= kAlwaysTriedChildren)
                continue;
            break;
        }
        if (childName.IsEmpty())
            continue;
        const int32_t childEntry = FindWorldObjectTypeIndex(childName.c_str());
        if (childEntry < 0)
            Error("WrldObject '%s' does not exist", elem.m_ObjValues.desc.c_str());
        const bool effect = IsEffectKind(ReadItemType(childEntry));
        if (effect ? !params.createEffectChildren : !params.createChildren)
            continue;
        if (params.networkClient && !effect) {
            uint8_t netSync = 2;
            int32_t value = 0;
            if (ConfigFileReader::Found(reader.GetInt("NetSync", value, entry, k)))
                netSync = uint8_t(value);
            String childWorldID;
            if (netSync == 1 && ConfigFileReader::Found(reader.GetString("worldID", childWorldID, entry, k)) &&
                !childWorldID.IsEmpty())
                netSync = 2;
            if (netSync == 2)
                continue;  // the server sends it
        }
        float pos[3] = {0.0f, 0.0f, 0.0f};
        reader.GetVector3("childPos", pos, entry, k);
        float angle = 0.0f;
        if (ConfigFileReader::Found(reader.GetFloat("childAngle", angle, entry, k)))
            angle *= kDegToRad;
        WorldObjectCreateParams childParams = params;
        childParams.childFlag = 1;
        childParams.hasPosition = 0;
        childParams.owner = nullptr;
        childParams.rotation = 0.0f;
        WorldElem* child = CreateWorldObjectFromEntry(childEntry, childParams);
        if (!child)
            continue;
        elem.AttachChild(child);
        child->SetPos(pos[0] * scale, pos[1] * scale);
        child->SetHeight(child->GetOwnHeight() + pos[2] * scale);
        child->SetAngle(angle);
        if (child->IsCreatureOrItem()) {
            float childScale[3];
            if (ConfigFileReader::Found(reader.GetVector3("childScale", childScale, entry, k)))
                if (SceneObject* scene = dynamic_cast<SceneObject*>(child))
                    scene->SetScale(childScale[0], childScale[1], childScale[2], false, true);
            String bone;
            if (ConfigFileReader::Found(reader.GetString("childAttachToBone", bone, entry, k)))
                if (SceneObject* parent = dynamic_cast<SceneObject*>(&elem))
                    parent->AttachChildToBone(child, bone.c_str(), pos[0] * scale, pos[1] * scale, pos[2] * scale);
        } else if (VSD_LightSource* light = dynamic_cast<VSD_LightSource*>(child)) {
            float colour[3];
            if (ConfigFileReader::Found(reader.GetVector3("childLightCol", colour, entry, k)))
                for (int32_t i = 0; i < 3; ++i)
                    light->m_Colour[i] = uint8_t(std::clamp(colour[i], 0.0f, 1.0f) * 255.0f);
            reader.GetFloat("childLightInt", light->m_Intensity, entry, k);
            m_World.SetupLight(light->m_ObjID);
        }
    }
}

// "invSize" as columns and rows gives a grid, as one number a list of that many places; both
// are bounded so that an entry cannot ask for a huge inventory.
void GameCtrl::ReadInventoryKeys(ConfigFileReader& reader, WorldElem& elem, int32_t entry,
                                 const char* unknownTypeFormat)
{
    const String desc = reader.GetDescOfEntry(entry);
    int32_t grid[2] = {0, 0};
    int32_t places = 0;
    if (ConfigFileReader::Found(reader.GetIntPair("invSize", grid, entry))) {
        const int64_t cells = int64_t(grid[0]) * int64_t(grid[1]);
        if (grid[0] >= 1 && grid[1] >= 1 && cells > kMaxInventoryCells)
            Error("Inventory size %i x %i of '%s' exceeds %i places", grid[0], grid[1], desc.c_str(),
                  int32_t(kMaxInventoryCells));
        elem.CreateGridInventory(grid[0], grid[1]);  // below 1 on a side: no grid
    } else if (ConfigFileReader::Found(reader.GetInt("invSize", places, entry)) && places > 0) {
        if (places > kMaxInventoryCells)
            Error("Inventory size %i of '%s' exceeds %i places", places, desc.c_str(), int32_t(kMaxInventoryCells));
        elem.CreateInventory(places);
    }
    String type;
    if (elem.m_Inventory && ConfigFileReader::Found(reader.GetString("invType", type, entry)) && !type.IsEmpty()) {
        const int32_t code = ParseObjectType(type);
        if (code == 0)
            Error(unknownTypeFormat, desc.c_str());
        elem.m_Inventory->SetType(code);
    }
}

void GameCtrl::LoadWorldObjectInventory(WorldElem& elem, int32_t entry)
{
    ConfigFileReader& reader = m_WorldObjectReader;
    ReadInventoryKeys(reader, elem, entry, "Unknown inventory type for object: '%s'");

    // The item of the key with that index; found tells whether the key was there.
    const auto addItem = [&](const char* key, int32_t index, bool& found) {
        char name[64];
        std::snprintf(name, sizeof name, "%s%i", key, index);
        const std::vector<InventoryItem*> before = ItemsOf(elem);
        found = false;
        AddItemToObject(reader, name, entry, elem, found);
        return found ? NewItem(elem, before) : nullptr;
    };
    bool found = true;
    for (int32_t i = 1; i <= kAddItems && found; ++i)
        addItem("addItem", i, found);
    found = true;
    for (int32_t i = 1; i <= kAddItems && found; ++i)
        if (ItemBase* item = dynamic_cast<ItemBase*>(addItem("addItemNL", i, found)))
            item->m_FlagByte2 = 0;  // the flag that items added by "addItem" keep
    for (int32_t i = 1; i <= kRiddleItems; ++i)
        if (InventoryItem* item = addItem("addRiddleItem", i, found))
            item->m_GridPos = i - 1;  // the riddle slot
    int32_t gold = 0;
    if (ConfigFileReader::Found(reader.GetInt("addGold", gold, entry)) && gold != 0) {
        if (!elem.m_Inventory)
            elem.CreateInventory(Inventory::kDefaultMaxItems);
        elem.AddGold(gold);
    }
}
