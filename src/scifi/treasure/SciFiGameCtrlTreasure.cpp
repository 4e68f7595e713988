// SciFiGameCtrl: treasure. An item of a treasure type near a target level, an element's
// inventory filled from a level's item list, the random skill upgrades of a new item, and one
// piece of treasure of a named treasure list (gold, a named item or an item of a treasure type).
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/ConfigFileReader.h"
#include "game/objects/ItemAbility.h"
#include "game/objects/ItemBase.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "scifi/objects/ItemAbilityType.h"
#include "scifi/treasure/ProbListBase.h"
#include "world/GameRandom.h"
#include "world/Inventory.h"

#include <climits>
#include <cmath>

namespace {

// The treasure types in the order of the controller's treasure item lists.
constexpr int32_t kTreasureTypes[SciFiGameCtrl::kTreasureItemLists] = {100, 0, 1, 2, 102, 103, 200, 201, 202};
constexpr int32_t kGoldKind = 101;
// A draw from a file can ask for any number; more items than an inventory can hold are never
// useful, and the draw stops there.
constexpr int32_t kMaxDrawnItems = 1024;
constexpr int32_t kMaxUpgradeValues = 64;

int32_t TreasureItemListOf(int32_t type)
{
    for (int32_t i = 0; i < SciFiGameCtrl::kTreasureItemLists; ++i)
        if (kTreasureTypes[i] == type)
            return i;
    return -1;
}

// A count from a float, truncated toward zero and kept inside the 32-bit range.
int32_t ClampedCount(double value)
{
    if (!(value > 0.0))
        return 0;
    return value >= double(INT32_MAX) ? INT32_MAX : int32_t(value);
}

bool IsHero(WorldElem& elem)
{
    const auto* creature = dynamic_cast<const CreatureObj_SF*>(&elem);
    return creature && creature->IsPlayerCharacter();
}

}  // namespace

// An item for some classes only is as likely as the share of the players who may use it.
float SciFiGameCtrl::GetItemWeightForPlayers(const ItemBase& item)
{
    return float(GetCharacterEntryFactor(item.m_RequiresCharacterClass));
}

ItemBase* SciFiGameCtrl::CreateTreasureItem(int32_t type, float level, bool useLevelCurve, int32_t prepareArg,
                                           float prepareFactor)
{
    ItemList* list = GetTreasureItemList(TreasureItemListOf(type));
    if (!list)
        Error("Invalid treasure type %i", type);
    const BezierSpline<float>& curve = GetMightProbFunct();
    ItemList candidates;
    const DynaMem<ItemListEntry, 32>& entries = list->entries;
    for (int32_t slot = entries.NextUsedSlot(-1); slot >= 0; slot = entries.NextUsedSlot(slot)) {
        const ItemListEntry& entry = *entries.GetBySlot(slot);
        const ItemBase* item = FindItem(entry.name.c_str(), false);
        if (!item)
            continue;
        const float itemLevel = item->m_Might;
        if (useLevelCurve) {
            const float d = itemLevel - level;
            const int32_t keys = curve.GetNumKeys();
            float weight = 0.0f;
            if (keys > 0 && d >= curve.GetKey(0).time && d <= curve.GetKey(keys - 1).time)
                weight = float(curve.Evaluate(d)) * item->m_TreasureProb;
            weight *= GetItemWeightForPlayers(*item);
            if (weight > 0.0f)
                candidates.AddEntry(weight, entry.name);
        } else if (itemLevel >= level - 0.5f && itemLevel <= level + 0.5f) {
            candidates.AddEntry(GetItemWeightForPlayers(*item), entry.name);
        }
    }
    if (candidates.entries.GetSize() == 0)
        return nullptr;
    ProbListBase pick(candidates);
    const int32_t chosen = pick.PickWeighted();
    if (chosen < 0)
        return nullptr;
    ItemBase* item = ItemFromName(candidates.entries.GetBySlot(chosen)->name.c_str(), false);
    if (item)
        InitNewItem(item, prepareArg, prepareFactor);
    return item;
}

void SciFiGameCtrl::FillFromItemList(WorldElem& elem, int32_t listIndex, float amount, float spread,
                                     float goldAmount, float goldSpread)
{
    ItemList* list = GetItemList(listIndex);
    if (!list) {
        Warning("Invalid itemlist: %i", listIndex);
        return;
    }
    const int32_t entries = list->entries.GetSize();
    if (entries == 0)
        return;
    GameRandom& random = GetWorld().GetGameRandom();
    const double drawn = std::round(double(std::fabs(amount)) + 2.0 * spread * (random.NextFloat() - 0.5));
    int32_t count = drawn >= kMaxDrawnItems ? kMaxDrawnItems : drawn >= 1.0 ? int32_t(drawn) : 0;
    if (count < 1)
        return;
    const bool distinct = amount < 0.0f;
    if (distinct && count > entries)
        count = entries;
    if (!elem.m_Inventory)
        elem.CreateInventory(-1);
    ProbListBase pick(*list);
    pick.Prepare();
    const char* goldName = GetSpecialName(0);
    for (int32_t i = 0; i < count; ++i) {
        const ItemListEntry& entry = distinct ? pick.ExtractRandom() : *list->entries.GetBySlot(pick.PickWeighted());
        if (goldName && entry.name == goldName) {
            const int32_t coins =
                ClampedCount(double(goldAmount) + 2.0 * goldSpread * (random.NextFloat() - 0.5));
            if (coins >= 1)
                elem.AddGold(coins);
            continue;
        }
        ItemBase* item = ItemFromName(entry.name.c_str(), false);
        if (!item)
            continue;
        InitNewItem(item, -1, -1.0f);
        item->m_Count = 1;
        if (!elem.m_Inventory || elem.m_Inventory->AddItem(item) < 0)
            delete item;
    }
}

// The random skill upgrades that the item's definition allows, then the engine's enchantment and
// boost.
void SciFiGameCtrl::InitNewItem(ItemBase* item, int32_t mode, float value)
{
    ConfigFileReader& reader = GetItemReader();
    const int32_t entry = item ? reader.FindEntryByDesc(item->m_Desc.c_str()) : -1;
    if (entry >= 0) {
        GameRandom& random = GetWorld().GetGameRandom();
        for (int32_t line = 1;; ++line) {
            float values[kMaxUpgradeValues];
            String key;
            key.Format("SkillUpgrade%i", line);
            const int32_t n = reader.GetFloatList(key.c_str(), values, kMaxUpgradeValues, entry);
            if (n <= 0)
                break;
            if (n < 3)
                continue;
            int32_t count = int32_t(values[0]);
            const int32_t amount = int32_t(values[n - 1]);
            if (count > n - 2)
                count = n - 2;
            if (amount == 0)
                continue;
            int32_t remaining = n - 2;
            float* candidates = values + 1;
            for (int32_t k = 0; k < count; ++k) {
                const int32_t chosen = random.NextInt() % remaining;
                const int32_t skill = int32_t(std::lround(candidates[chosen]));
                candidates[chosen] = candidates[--remaining];
                if (skill == -1)
                    continue;
                ItemAbility ability;
                ability.type = ItemAbilityType::kSkillUpgrade;
                ability.subtype = skill;
                ability.value = float(amount);
                item->AddAbility(ability, false);
            }
        }
    }
    GameCtrl::InitNewItem(item, mode, value);
}

ItemBase* SciFiGameCtrl::DropTreasure(WorldElem& elem, float chance, const char* listName, float might,
                                      float goldCentre, float goldSpread, bool useLevelCurve, int32_t slotArg,
                                      int32_t prepareArg, float prepareFactor)
{
    (void)slotArg;  // the inventory places an item where it fits
    GameRandom& random = GetWorld().GetGameRandom();
    if (random.NextFloat() > chance)
        return nullptr;
    const String name(listName ? listName : "");
    TreasureList* list = GetTreasureLists().Find(name);
    if (!list)
        Error("Treasure list entry '%s' not found", name.c_str());
    if (!elem.m_Inventory)
        elem.CreateInventory(-1);
    if (might == 0.0f)
        might = list->defaultMight;
    might += GetLevelSettings().itemMight;

    float total = 0.0f;
    for (int32_t slot = list->entries.NextUsedSlot(-1); slot >= 0; slot = list->entries.NextUsedSlot(slot))
        total += list->entries.GetBySlot(slot)->probability;
    const float r = random.NextFloat() * total;
    const TreasureListEntry* picked = nullptr;
    float sum = 0.0f;
    for (int32_t slot = list->entries.NextUsedSlot(-1); slot >= 0 && !picked;
         slot = list->entries.NextUsedSlot(slot)) {
        sum += list->entries.GetBySlot(slot)->probability;
        if (sum >= r)
            picked = list->entries.GetBySlot(slot);
    }
    if (!picked)
        return nullptr;

    ItemBase* item = nullptr;
    if (picked->type < 0) {
        item = ItemFromName(picked->name.c_str(), false);
        if (!item)
            Error("Could not create item '%s' for treasure", picked->name.c_str());
        InitNewItem(item, prepareArg, prepareFactor);
    } else if (picked->type == kGoldKind) {
        if (goldCentre == -1.0f && goldSpread == 0.0f) {
            const float centreBase = list->gold[0], spreadBase = list->gold[1];
            const float centrePerMight = list->goldMight[0], spreadPerMight = list->goldMight[1];
            const ItemMightTransformFunction* value = GetDefaultValueFunction();
            if (!value) {
                goldCentre = centreBase + centrePerMight * might;
                goldSpread = spreadBase + spreadPerMight * might;
            } else {
                const float centreGrowth = value->Apply(centrePerMight, might);
                goldCentre = centreBase + centreGrowth;
                goldSpread = centrePerMight > 0.0f ? spreadBase + centreGrowth * spreadPerMight / centrePerMight
                                                   : spreadBase + value->Apply(spreadPerMight, might);
            }
        }
        const float amount = (goldCentre + (2.0f * random.NextFloat() - 1.0f) * goldSpread) * GetLevelSettings().gold;
        const int32_t coins = ClampedCount(amount);
        if (coins >= 1) {
            elem.AddGold(coins);
            if (IsHero(elem))
                OnGoldReceived(coins, 0);
        }
        return nullptr;
    } else {
        item = CreateTreasureItem(picked->type, might, useLevelCurve, prepareArg, prepareFactor);
    }
    if (!item)
        return nullptr;
    const int32_t placed = elem.m_Inventory ? elem.m_Inventory->AddItem(item) : -1;
    if (placed < 0) {
        delete item;
        return nullptr;
    }
    InventoryItem* held = elem.m_Inventory->GetItemBySlot(placed);
    if (held != item)
        return nullptr;  // it went into a stack of its kind
    if (IsHero(elem))
        OnItemReceived(1, item->GetLocalizedName());
    return item;
}
