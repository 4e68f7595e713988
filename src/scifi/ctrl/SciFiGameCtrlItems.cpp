// SciFiGameCtrl: the game's item definitions: "cfg\items.cfg" with its item functions, the game's
// own keys of an item entry, the money value of an item without one, the names of the equipment
// slots and the lists of treasure items by equipment type.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/File.h"
#include "base/Log.h"
#include "base/Math.h"
#include "base/UndoOnError.h"
#include "scifi/objects/ItemAbilityType.h"
#include "scifi/objects/Item_SF.h"
#include "world/WorldCtrl.h"

#include <algorithm>

namespace {

const char* const kItemsFile = "cfg\\items.cfg";
constexpr int32_t kMaxSockets = 3;

struct EquipmentName {
    const char* name;
    int16_t code;
};

const EquipmentName kEquipmentTypes[] = {
    {"all", 100},           {"none", -1},           {"weapon", 0},          {"head", 1},
    {"body", 2},            {"potion1", 102},       {"potion2", 103},       {"weapon_socket", 200},
    {"head_socket", 201},   {"body_socket", 202},   {"gold", 101},
};

// The equipment type of each treasure item list; list 0 takes every treasure item.
const int16_t kListTypes[SciFiGameCtrl::kTreasureItemLists] = {100, 0, 1, 2, 102, 103, 200, 201, 202};

struct AbilityKey {
    const char* key;
    int32_t type;
    int32_t subtype;
    bool percent;  // the file gives p percent: the value is 1 + p * 0.01
    bool derived;  // a missing key may be derived from the base item through "<key>Func"
};

namespace T = ItemAbilityType;

// Read first, in this order.
const AbilityKey kAbilityKeys[] = {
    {"damPhys1", T::kDamPhys, 0, false, true},
    {"damPhys2", T::kDamPhys, 1, false, true},
    {"damPhys1Bonus", T::kDamPhysBonus, 0, true, true},
    {"damPhys2Bonus", T::kDamPhysBonus, 1, true, true},
    {"damPhys1WeaponBonus", T::kDamPhysWeaponBonus, 0, true, true},
    {"damPhys2WeaponBonus", T::kDamPhysWeaponBonus, 1, true, true},
    {"armour", T::kArmour, 0, false, true},
    {"defPhys", T::kDefPhys, -1, false, true},
    {"defPhys1", T::kDefPhys, 0, false, true},
    {"defPhys2", T::kDefPhys, 1, false, true},
    {"defPhysRel1", T::kDefPhysRel, 0, false, true},
    {"defPhysRel2", T::kDefPhysRel, 1, false, true},
    {"damReflect1", T::kDamReflect, 0, false, true},
    {"damReflect2", T::kDamReflect, 1, false, true},
    {"SkillBonus", T::kSkillBonus, 0, false, true},
    {"FillShieldInsteadOfMana", T::kFillShieldInsteadOfMana, 0, false, true},
    {"ManaShield", T::kManaShield, 0, false, true},
    {"DodgeRefillMultiplier", T::kDodgeRefillMultiplier, 0, false, true},
    {"ManaCostMultiplier", T::kManaCostMultiplier, 0, false, true},
    {"ManaMaxMultiplier", T::kManaMaxMultiplier, 0, false, true},
};

// Read after "Tier"; only the poison damages and the plain poison defence may be derived.
const AbilityKey kFloatKeys[] = {
    {"damPoison1", T::kDamPoison, 0, false, true},
    {"damPoison2", T::kDamPoison, 1, false, true},
    {"defPoison", T::kDefPoison, -1, false, true},
    {"defPoison1", T::kDefPoison, 0, false, false},
    {"defPoison2", T::kDefPoison, 1, false, false},
    {"DodgeEnergyMax", T::kDodgeEnergyMax, 0, false, false},
    {"manaLeech", T::kManaLeech, 0, false, false},
    {"healthLeech", T::kHealthLeech, 0, false, false},
    {"ShieldEnergy", T::kShieldEnergy, 0, false, false},
    {"ShieldEnergyMax", T::kShieldEnergyMax, 0, false, false},
    {"ShieldRecoverAbs", T::kShieldRecoverAbs, 0, false, false},
    {"ShieldRecoverRel", T::kShieldRecoverRel, 0, false, false},
};

}  // namespace

void SciFiGameCtrl::LoadGeneralItems()
{
    LoadItemFunctions();
    int64_t size = -1;
    File file;
    if (file.Open(kItemsFile, true, 0, false))
        size = file.GetSize();
    file.Close();
    if (!m_ItemTable.empty() && size == m_ItemsFileSize)
        return;
    ShowLoadingProgress(76.0f, 0, 1.0f, 1);
    m_ItemTable.clear();
    m_ItemImages.clear();
    m_ItemReader.SetDescKey("desc");
    if (m_ItemReader.Load(kItemsFile) != 0)
        Error("%s", m_ItemReader.GetErrorText());
    Log::Write("item.cfg files loaded");

    // Every record exists before the first is read, so that base items are found by name.
    const int32_t count = m_ItemReader.GetNumEntries();
    m_ItemTable.resize(size_t(count));
    for (std::shared_ptr<ItemBase>& item : m_ItemTable)
        item.reset(CreateItem());
    ShowLoadingProgress(88.0f, 0, 1.0f, 1);
    // A faulty entry ends the load with an error; no half-read table or list stays behind.
    UndoOnError guard([this] {
        m_ItemTable.clear();
        for (ItemList& list : m_TreasureItemLists)
            list.Clear();
    });
    for (ItemList& list : m_TreasureItemLists)
        list.Clear();
    for (int32_t entry = 0; entry < count; ++entry) {
        ItemBase& item = *m_ItemTable[size_t(entry)];
        LoadItems(m_ItemReader, entry, item, true);
        if (item.m_SpecialItem || item.m_QuestItem || !(item.m_TreasureProb > 0.0f) || item.m_Desc.IsEmpty())
            continue;
        m_TreasureItemLists[0].AddEntry(item.m_TreasureProb, item.m_Desc);
        for (int32_t list = 1; list < kTreasureItemLists; ++list)
            if (item.m_EquipmentType == kListTypes[list])
                m_TreasureItemLists[list].AddEntry(item.m_TreasureProb, item.m_Desc);
    }
    guard.Done();
    m_ItemsFileSize = size;
    Log::Write("General Items loaded");
}

// In this order; a key that is missing or 0 adds no ability.
void SciFiGameCtrl::ReadItemKeys(ConfigFileReader& reader, int32_t entry, ItemBase& item, ItemBase* base,
                                 bool complete)
{
    GameServer::ReadItemKeys(reader, entry, item, base, complete);
    for (const AbilityKey& key : kAbilityKeys)
        ReadItemAbility(reader, item, key.key, entry, key.type, key.subtype, key.percent, base);
    Item_SF* own = dynamic_cast<Item_SF*>(&item);
    if (own)
        reader.GetInt("Tier", own->m_Tier, entry);
    for (const AbilityKey& key : kFloatKeys)
        ReadItemAbility(reader, item, key.key, entry, key.type, key.subtype, key.percent, key.derived ? base : nullptr);

    float transform[2] = {1.0f, 0.0f};  // a lone factor scales without an addend
    if (reader.FindKeyLine("valueTransform", entry) >= 0) {
        reader.GetFloatPair("valueTransform", transform, entry);
        item.m_Value.SetValue(float(RoundFloatToInt(transform[0] * item.m_Value.GetRawValue() + transform[1])));
    }
    if (item.m_DimX == 0)
        item.m_DimX = 1;
    if (item.m_DimY == 0)
        item.m_DimY = 1;

    // WeaponStrategy1, 2, ... up to the first missing key.
    String name;
    for (int32_t index = 1; reader.GetString("WeaponStrategy", name, entry, index) == ConfigFileReader::kFound;
         ++index) {
        if (name.IsEmpty() || !own)
            continue;
        KI_Strategy* strategy = m_World.FindStrategyEntry(name.c_str(), false);
        if (strategy)
            own->GetStrategies().Add(strategy);
        else
            Warning("Unknown weapon strategy '%s' in item '%s'", name.c_str(), item.m_Desc.c_str());
    }
    int32_t sockets = 0;
    if (reader.GetInt("sockets", sockets, entry) == ConfigFileReader::kFound && sockets != 0) {
        ItemAbility ability;
        ability.type = T::kSockets;
        ability.subtype = std::clamp(sockets, 0, kMaxSockets);
        item.AddAbility(ability, false);
    }
    ReadItemAbility(reader, item, "AlwaysRechargeShield", entry, T::kAlwaysRechargeShield, 0, false, nullptr);

    // The money value: the entry's own, else (items of the table only) one derived from the base
    // item or the value formula, rounded.
    if (FindAttributeFunction(reader, item.m_Value, "value", entry) || !complete)
        return;
    String function;
    float money = 0.0f;
    if (base && reader.GetString("valueFunc", function, entry) == ConfigFileReader::kFound)
        money = ApplyGameFunctionToItem(base->m_Value.GetRawValue(), function.c_str(), base, &item);
    else
        money = CalcItemValue(item);
    item.m_Value.SetValue(float(RoundFloatToInt(money)));
}

int16_t SciFiGameCtrl::GetEquipmentType(const String& name, bool report)
{
    for (const EquipmentName& type : kEquipmentTypes)
        if (name.EqualsNoCase(type.name))
            return type.code;
    if (report)
        Error("Unknown equipment type: '%s'", name.c_str());
    return -1;
}

int32_t SciFiGameCtrl::GetTreasureClass(const String& name) { return GetEquipmentType(name, false); }

float SciFiGameCtrl::CalcItemValue(const ItemBase& item)
{
    int32_t ignored = 0;
    const float value = m_ItemValueParameters.CalcItemValue(item, ignored);
    if (ignored > 0)
        Warning("Item '%s': physical damage of a subtype other than 0 or 1 adds nothing to its value",
                item.m_Desc.c_str());
    return value;
}

ItemList* SciFiGameCtrl::GetTreasureItemList(int32_t index)
{
    return index >= 0 && index < kTreasureItemLists ? &m_TreasureItemLists[index] : nullptr;
}
