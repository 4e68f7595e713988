// Item_SF: the game's item: the engine's item with the names of the items socketed into it, the
// attack strategies it gives its wearer and its tier, all saved, loaded and copied with
// the rest of the item. The controller's item factory makes every item of the game as one.
#pragma once
#include "base/DynaMem.h"
#include "base/String.h"
#include "game/objects/ItemBase.h"
#include "scifi/objects/ItemAbilityType.h"

#include <cstdint>

class KI_Strategy;

class Item_SF : public ItemBase {
public:
    static constexpr int32_t kSocketAbility = ItemAbilityType::kSockets;
    static constexpr uint16_t kTierVersion = 271;

    Item_SF() = default;
    Item_SF(const Item_SF& other) : ItemBase(other) { CopyOwnMembers(other); }
    Item_SF& operator=(const Item_SF& other);
    ~Item_SF() override = default;

    Item_SF* CreateNew() const override { return new Item_SF; }
    // The engine's copy, then the names, the strategy pointers and the tier; an engine
    // item as target takes only the engine's part.
    void CopyTo(cfDynamicObject* other) const override;

    // The engine's record, then: i16 socketed name count n, n Strings; i16 strategy count m, m
    // strategy names (String); i32 tier (streams from version 271 on).
    void Save(File& stream, int32_t flag) override;
    // Strategies are found by name in the world of the running game; an unknown one is warned of
    // and skipped. Counts are checked against the bytes left.
    void Load(File& stream, int32_t itemVersion, int32_t extra) override;

    // The subtype of the first ability of type 107; 0 without one.
    int32_t GetSocketCount() const;

    DynaMem<String, 4>& GetSocketedNames() { return m_SocketedNames; }
    DynaPtrList<KI_Strategy*, 4>& GetStrategies() { return m_Strategies; }
    int32_t m_Tier = 0;  // "Tier" of the item file; saved from version 271 on

private:
    void CopyOwnMembers(const Item_SF& other);

    DynaMem<String, 4> m_SocketedNames;
    DynaPtrList<KI_Strategy*, 4> m_Strategies;  // the world's strategies: pointers only
};
