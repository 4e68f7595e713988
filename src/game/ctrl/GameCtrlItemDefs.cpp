// GameCtrl: the item definitions: one entry of the item file (or a world object entry that
// overrides keys of its item) read into an item, the world object that shows an item on the
// floor, the check of the references between items and world object types, and the items that a
// world object entry puts into an object's inventory.
#include "game/ctrl/GameCtrl.h"

#include "engine/scene/DXC_3dScene.h"
#include "game/objects/ItemObj.h"
#include "level/WorldElemKind.h"
#include "platform/D3DXMath.h"
#include "world/Inventory.h"

#include <cmath>
#include <cstdint>
#include <memory>

namespace {

constexpr int32_t kMaxBaseItemLinks = 100;
constexpr int32_t kMaxImageName = 256;  // "img" is read as at most this many characters

// Items read once per run check their "objID" against the world object types.
bool s_CheckItemObjIDs = true;

struct AttributeKey {
    const char* key;
    int32_t type;
    bool percent;  // the file gives p percent: the value is p * 0.01 + 1
};

const AttributeKey kAttributeKeys[] = {
    {"hitp", ItemAbility::kHitPoints, false},
    {"manaMax", ItemAbility::kManaMax, false},
    {"spdMoveBonus", ItemAbility::kMoveSpeed, true},
    {"spdCombatBonus", ItemAbility::kCombatSpeed, true},
    {"spdMagicBonus", ItemAbility::kMagicSpeed, true},
    {"ManaRecoverAbs", ItemAbility::kManaRecoverAbs, false},
    {"ManaRecoverRel", ItemAbility::kManaRecoverRel, false},
    {"HealthRecoverAbs", ItemAbility::kHealthRecoverAbs, false},
    {"HealthRecoverRel", ItemAbility::kHealthRecoverRel, false},
};

// Keys of the two numbers a, b that add an ability when a > 0: with a subtype, a rounded is the
// subtype; otherwise a is the second value.
struct PairKey {
    const char* key;
    int32_t type;
    bool subtype;
};

const PairKey kPairKeys[] = {
    {"mana", ItemAbility::kMana, true},
    {"manaFillRel", ItemAbility::kManaFillRel, false},
    {"healthFillRel", ItemAbility::kHealthFillRel, false},
    {"health", ItemAbility::kHealth, true},
};

struct SlotKey {
    const char* key;
    int32_t slot;
};

const SlotKey kMeshKeys[] = {
    {"MeshUpperBody", 1}, {"MeshLowerBody", 2}, {"MeshHands", 3}, {"MeshHead", 4},
    {"MeshBeard", 6},     {"MeshHair", 7},      {"MeshBelt", 8},  {"MeshEyeGlow", 9},
};

const SlotKey kTextureKeys[] = {
    {"TextureUpperBody", 1}, {"TextureLowerBody", 2}, {"TextureHands", 3}, {"TextureHead", 4}, {"TextureBoots", 5},
    {"TextureBeard", 6},     {"TextureHair", 7},      {"TextureBelt", 8},  {"TextureEyeGlow", 9},
};

// Rounded half away from zero, held within the integers (NaN: 0).
int32_t RoundHalfAway(float value)
{
    if (!(std::fabs(value) < 2147483520.0f))  // the largest float below 2^31
        return std::isnan(value) ? 0 : value > 0.0f ? INT32_MAX : INT32_MIN;
    return int32_t(std::round(value));
}

void AddAbility(ItemBase& item, int32_t type, int32_t subtype, float value, float value2 = 0.0f)
{
    ItemAbility ability;
    ability.type = type;
    ability.subtype = subtype;
    ability.value = value;
    ability.value2 = value2;
    item.AddAbility(ability, false);
}

// An emitter's position as the item sits on the body: turned about the body axis, moved to the
// body position, then scaled. An axis of zero length turns nothing.
void PlaceEmittersOnBody(ItemBase& item)
{
    const D3DXVECTOR3 axis(item.m_BodyRotAxis[0], item.m_BodyRotAxis[1], item.m_BodyRotAxis[2]);
    D3DXMATRIX rotation;
    D3DXMatrixIdentity(&rotation);
    if (D3DXVec3Length(&axis) > 0.0f)
        D3DXMatrixRotationAxis(&rotation, &axis, item.m_BodyRotAngle);
    D3DXMATRIX translation;
    D3DXMatrixTranslation(&translation, item.m_BodyPos[0], item.m_BodyPos[1], item.m_BodyPos[2]);
    D3DXMATRIX transform;
    D3DXMatrixMultiply(&transform, &rotation, &translation);
    for (int32_t i = 0; i < item.GetEmitterCount(); ++i) {
        EffectEmitterInfo* emitter = item.GetEmitter(i);
        if (!emitter)
            continue;
        const D3DXVECTOR3 offset(emitter->offset[0], emitter->offset[1], emitter->offset[2]);
        D3DXVECTOR3 placed;
        D3DXVec3TransformCoord(&placed, &offset, &transform);
        emitter->offset[0] = placed.x * item.m_BodyScale[0];
        emitter->offset[1] = placed.y * item.m_BodyScale[1];
        emitter->offset[2] = placed.z * item.m_BodyScale[2];
    }
}

}  // namespace

// The base chain is followed through the item table, which holds the items read so far, so a
// base is best defined before the items built on it.
void GameCtrl::LoadItems(ConfigFileReader& reader, int32_t entry, ItemBase& item, bool complete)
{
    if (complete)
        reader.GetString("desc", item.m_Desc, entry);
    if (reader.GetString("ItemName", item.m_ItemName, entry) != ConfigFileReader::kFound && complete)
        item.m_ItemName = String("DB:") + item.m_Desc;

    ItemBase* root = nullptr;
    if (reader.GetString("BaseItem", item.m_BaseItem, entry) == ConfigFileReader::kFound) {
        ItemBase* base = FindItem(item.m_BaseItem.c_str(), false);
        for (int32_t links = 1; base; ++links) {
            if (links > kMaxBaseItemLinks)
                Error("Recursive BaseItem in item %s", item.m_ItemName.c_str());
            root = base;
            base = base->m_BaseItem.IsEmpty() ? nullptr : FindItem(base->m_BaseItem.c_str(), false);
        }
    }

    char image[kMaxImageName + 1] = {};
    const bool hasImage = reader.GetValueText("img", image, sizeof image, entry) == ConfigFileReader::kFound;
    if (hasImage)
        item.m_Img = image;
    else if (complete)
        Error("Missing 'img' entry in item file in entry %i (%s)", entry, item.m_ItemName.c_str());
    if (reader.GetString("imgInfo", item.m_ImgInfo, entry) != ConfigFileReader::kFound && complete)
        item.m_ImgInfo = item.m_Img;

    float number = 0.0f;
    if (reader.GetFloat("mirrorImg", number, entry) == ConfigFileReader::kFound && number != 0.0f)
        item.m_MirrorImg = 1;
    reader.GetString("objID", item.m_ObjID, entry);
    if (reader.GetFloat("SubType", number, entry) == ConfigFileReader::kFound && std::fabs(number) < 2147483648.0f)
        item.m_SubType = int32_t(number);
    else if (complete)
        item.m_SubType = -1;
    String text;
    if (reader.GetString("class", text, entry) == ConfigFileReader::kFound) {
        if (text.EqualsNoCase("weapon"))
            item.m_Class = ItemBase::kClassWeapon;
        else if (text.EqualsNoCase("armour"))
            item.m_Class = ItemBase::kClassArmour;
    } else if (complete) {
        item.m_Class = ItemBase::kClassGeneral;
    }
    reader.GetInt("RequiresCharacterClass", item.m_RequiresCharacterClass, entry);
    ReadShortKey(reader, "RequiresLevel", item.m_RequiresLevel, entry);
    ReadFlagKey(reader, "SpecialItem", item.m_SpecialItem, entry);
    ReadFlagKey(reader, "NoBoost", item.m_NoBoost, entry);
    ReadFlagKey(reader, "QuickSlotItem", item.m_QuickSlotItem, entry);
    reader.GetFloat("might", item.m_Might, entry);
    reader.GetFloat("TreasureProb", item.m_TreasureProb, entry);
    if (reader.GetString("Quest", item.m_Quest, entry) == ConfigFileReader::kFound && !item.m_Quest.IsEmpty())
        item.m_QuestItem = 1;
    int32_t questMode = 0;
    if (reader.GetInt("QuestItem", questMode, entry) == ConfigFileReader::kFound && questMode >= 0 && questMode <= 2)
        item.m_QuestItem = questMode;
    if (reader.FindKeyLine("sndPickUp", entry) >= 0)
        ReadByteKey(reader, "sndPickUp", item.m_SndPickUp, entry);
    else if (root)
        item.m_SndPickUp = root->m_SndPickUp;
    if (reader.FindKeyLine("sndDrop", entry) >= 0)
        ReadByteKey(reader, "sndDrop", item.m_SndDrop, entry);
    else if (root)
        item.m_SndDrop = root->m_SndDrop;
    if (reader.GetString("BodyPart", text, entry) == ConfigFileReader::kFound)
        item.m_BodyPart = int16_t(ParseAttachPoint(text));
    if (reader.GetString("EquipmentType", text, entry) == ConfigFileReader::kFound)
        item.m_EquipmentType = GetEquipmentType(text, true);
    reader.GetVector3("BodyPos", item.m_BodyPos, entry);
    reader.GetVector3("BodyScale", item.m_BodyScale, entry);
    reader.GetVector3("BodyRotAxis", item.m_BodyRotAxis, entry);
    ReadAngleKey(reader, "BodyRotAngle", item.m_BodyRotAngle, entry);
    reader.GetVector3("BodyPosLeft", item.m_BodyPosLeft, entry);
    reader.GetVector3("BodyScaleLeft", item.m_BodyScaleLeft, entry);
    reader.GetVector3("BodyRotAxisLeft", item.m_BodyRotAxisLeft, entry);
    ReadAngleKey(reader, "BodyRotAngleLeft", item.m_BodyRotAngleLeft, entry);
    reader.GetVector3("PicCol", item.m_PicCol, entry);

    for (const AttributeKey& attribute : kAttributeKeys)
        ReadItemAbility(reader, item, attribute.key, entry, attribute.type, 0, attribute.percent, root);

    int32_t money = 0;
    if (reader.GetInt("money", money, entry) == ConfigFileReader::kFound && money != 0)
        AddAbility(item, ItemAbility::kMoney, money, 0.0f);
    for (const PairKey& key : kPairKeys) {
        float pair[2];
        if (reader.GetFloatPair(key.key, pair, entry) != ConfigFileReader::kFound || !(pair[0] > 0.0f))
            continue;
        if (key.subtype)
            AddAbility(item, key.type, RoundHalfAway(pair[0]), pair[1]);
        else
            AddAbility(item, key.type, 0, pair[1], pair[0]);
    }
    if (reader.GetFloat("knockback", number, entry) == ConfigFileReader::kFound && number != 0.0f)
        AddAbility(item, ItemAbility::kKnockback, 0, number);
    int32_t variation = 0;
    for (const SlotKey& key : kMeshKeys)
        if (reader.GetInt(key.key, variation, entry) == ConfigFileReader::kFound)
            AddAbility(item, ItemAbility::kBodyMesh, key.slot, float(variation) - 1.0f);
    for (const SlotKey& key : kTextureKeys)
        if (reader.GetInt(key.key, variation, entry) == ConfigFileReader::kFound)
            AddAbility(item, ItemAbility::kBodyTexture, key.slot, float(variation) - 1.0f);
    if (reader.GetFloat("key", number, entry) == ConfigFileReader::kFound)
        AddAbility(item, ItemAbility::kKey, RoundHalfAway(number), 0.0f);

    if (reader.GetFloat("pile", number, entry) == ConfigFileReader::kFound)
        item.m_Pile = RoundHalfAway(number);
    reader.GetString("BookText", item.m_BookText, entry);
    if (reader.GetInt("uses", item.m_Uses, entry) != ConfigFileReader::kFound && complete && !item.m_BookText.IsEmpty())
        item.m_Uses = -1;  // a book is read without limit
    reader.GetString("snd", item.m_Snd, entry);
    if (reader.GetFloat("DestroyAfterUse", number, entry) == ConfigFileReader::kFound)
        item.m_DestroyAfterUse = number != 0.0f ? 1 : 0;
    reader.GetString("onItemUse", item.m_OnItemUse, entry);
    if (reader.GetString("onDrop", text, entry) == ConfigFileReader::kFound)
        Warning("Obsolete: onDrop found in item: %s", item.m_Desc.c_str());
    if (reader.GetString("onPickUp", text, entry) == ConfigFileReader::kFound)
        Warning("Obsolete: onPickup found in item: %s", item.m_Desc.c_str());
    reader.GetString("shader", item.m_Shader, entry);
    reader.GetString("onTransfer", item.m_OnTransfer, entry);
    reader.GetString("AbilityText", item.m_AbilityText, entry);

    PlaceEmittersOnBody(item);
    int32_t cells = 0;
    if (reader.GetInt("dimX", cells, entry) == ConfigFileReader::kFound)
        item.m_DimX = int8_t(cells);
    if (reader.GetInt("dimY", cells, entry) == ConfigFileReader::kFound)
        item.m_DimY = int8_t(cells);
    item.m_Combine = 0;
    if (reader.GetFloat("combine", number, entry) == ConfigFileReader::kFound)
        item.m_Combine = number != 0.0f ? 1 : 0;

    ReadItemKeys(reader, entry, item, root, complete);
}

// The key's value, or one that the key's function ("<key>Func") derives from the base's ability of
// the same type and subtype when the key is missing; "<key>_func" names the ability's own function.
bool GameCtrl::ReadItemAbility(ConfigFileReader& reader, ItemBase& item, const char* key, int32_t entry, int32_t type,
                               int32_t subtype, bool percent, const ItemBase* base)
{
    ItemAbility ability;
    ability.type = type;
    ability.subtype = subtype;
    reader.GetString((String(key) + "_func").c_str(), ability.text1, entry);
    float value = 0.0f;
    if (reader.GetFloat(key, value, entry) == ConfigFileReader::kFound) {
        if (value == 0.0f)
            return false;
        ability.value = percent ? value * 0.01f + 1.0f : value;
        return item.AddAbility(ability, false);
    }
    String function;
    if (!base || reader.GetString((String(key) + "Func").c_str(), function, entry) != ConfigFileReader::kFound)
        return false;
    float baseValue = base->GetAbilityValue(type, subtype);
    if (!(baseValue > 0.0f))
        return false;
    if (percent)
        baseValue = (baseValue - 1.0f) * 100.0f;
    float result = ApplyGameFunctionToItem(baseValue, function.c_str(), base, &item);
    if (percent)
        result = result * 0.01f + 1.0f;
    if (result == 0.0f)
        return false;
    ability.value = result;
    return item.AddAbility(ability, false);
}

void GameCtrl::ReadItemKeys(ConfigFileReader& reader, int32_t entry, ItemBase& item, ItemBase* base, bool complete)
{
    (void)reader;  // the engine's items have no keys of their own
    (void)entry;
    (void)item;
    (void)base;
    (void)complete;
}

int16_t GameCtrl::GetEquipmentType(const String& name, bool report)
{
    (void)name;
    (void)report;
    return -1;
}

float GameCtrl::ApplyGameFunctionToItem(float value, const char* name, const ItemBase* item, const ItemBase* derived)
{
    (void)derived;  // the engine's functions read the item alone
    const GameFunction* function = FindGameFunction(name);
    if (!function || !item)
        return value;
    float x = 0.0f;
    if (function->attribute == GameFunction::kMight)
        x = item->m_Might;
    else if (function->attribute == GameFunction::kMonsterLevel)
        x = float(GetMonsterLevel(0.5f));
    else
        return value;
    const float y = function->GetValue(x);
    return function->attributeOperation == GameFunction::kAdd ? y + value : y * value;
}

int32_t GameCtrl::GetItemWorldObject(const String& name, DXC_3dScene** scene, DXC_3dScene** backScene, float* scale)
{
    const int32_t entry = FindWorldObjectTypeIndex(name.c_str());
    if (entry < 0)
        Error("World object '%s' not found (from item)", name.c_str());
    String type;
    if (m_WorldObjectReader.GetString("type", type, entry) != ConfigFileReader::kFound) {
        Warning("object %s has no 'type' entry", name.c_str());
        return -1;
    }
    if (!type.EqualsNoCase("object")) {
        Warning("object %s has invalid type %s", name.c_str(), type.c_str());
        return 0;
    }
    if (scale) {
        float uniform = 1.0f;
        m_WorldObjectReader.GetFloat("scale", uniform, entry);
        float axes[3] = {1.0f, 1.0f, 1.0f};
        m_WorldObjectReader.GetVector3("scale3d", axes, entry);
        for (int32_t i = 0; i < 3; ++i)
            scale[i] = uniform * axes[i];
    }
    String id;
    m_WorldObjectReader.GetString("id", id, entry);
    const int32_t objEntry = m_3dObjReader.FindEntryByDesc(id.c_str());
    if (objEntry < 0)
        Error("3dObject '%s' not found (item world object: '%s')", id.c_str(), name.c_str());
    const ItemObj* prototype = Load3dObjs(objEntry, false);
    if (!prototype)
        return -1;
    if (scene)
        *scene = prototype->GetScene();
    if (backScene)
        *backScene = prototype->m_BackScene.get();
    return objEntry;
}

void GameCtrl::CheckItemReferences()
{
    if (s_CheckItemObjIDs) {
        s_CheckItemObjIDs = false;
        for (const std::shared_ptr<ItemBase>& item : m_ItemTable)
            if (item && !item->m_ObjID.IsEmpty() && FindWorldObjectTypeIndex(item->m_ObjID.c_str()) < 0)
                Warning("item.cfg objID reference ('%s') in item '%s' invalid", item->m_ObjID.c_str(),
                        item->m_Desc.c_str());
    }
    for (int32_t entry = 0; entry < m_WorldObjectReader.GetNumEntries(); ++entry) {
        const int32_t kind = ReadItemType(entry);
        String item;
        if (kind < WorldElemKind::kObject || kind >= WorldElemKind::kCreature ||
            m_WorldObjectReader.GetString("item", item, entry) != ConfigFileReader::kFound)
            continue;
        if (m_ItemReader.FindEntryByDesc(item.c_str()) < 0)
            Error("Invalid item specified ('%s') in wrldobj entry '%s'", item.c_str(),
                  m_WorldObjectReader.GetDescOfEntry(entry).c_str());
    }
}

// "key = \"name\", x, y, z" scales the item's body placement; "key = \"name\"" keeps it.
void GameCtrl::AddItemToObject(ConfigFileReader& reader, const char* key, int32_t entry, WorldElem& object,
                               bool& found)
{
    String name;
    float scale[3] = {1.0f, 1.0f, 1.0f};
    if (reader.GetTextAndVector3(key, name, scale, entry) != ConfigFileReader::kFound) {
        scale[0] = scale[1] = scale[2] = 1.0f;
        if (reader.GetString(key, name, entry) != ConfigFileReader::kFound)
            return;
    }
    found = true;
    if (name.IsEmpty())
        return;
    const ItemBase* definition = FindItem(name.c_str(), false);
    if (!definition)
        Error("Tried to add unknown item '%s' to object : '%s'", name.c_str(), reader.GetDescOfEntry(entry).c_str());
    std::unique_ptr<ItemBase> item(CreateItem());
    definition->CopyTo(item.get());
    for (int32_t i = 0; i < 3; ++i) {
        item->m_BodyScale[i] *= scale[i];
        item->m_BodyScaleLeft[i] *= scale[i];
    }
    if (!object.m_Inventory) {
        object.m_Inventory = new Inventory;
        object.m_Inventory->SetOwner(&object);
    }
    if (object.m_Inventory->AddItem(item.get()) >= 0)
        item.release();  // the inventory holds it, or it went into a stack there and is gone
}
