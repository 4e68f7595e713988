// CreatureInfluence: one timed effect on a creature (stun, freeze, slow, shield, an item's effect
// ...): its type, its parameters (InfluenceParams) and its priority. The creature keeps a list of
// them; the effect type names, masks and immunity bits are the creature's (CreatureObjEffects.cpp).
#pragma once
#include "base/SmartPtr.h"
#include "world/WorldElem.h"

#include <cstdint>

class File;
class ItemBase;

// What travels with an influence: a position it acts from or towards (for an item influence the
// strength 1.0 and a value), a value, the source element and two further values (for an item
// influence the second holds the item record). In memory only; the creature's save writes it.
class InfluenceParams {
public:
    static constexpr uint16_t kItemIDVersion = 234;  // saves from it on name the item

    InfluenceParams() = default;
    InfluenceParams(const InfluenceParams&) = default;
    // A strength (or amount) and a time, from a source element when given.
    InfluenceParams(float strength, float time, WorldElem* source = nullptr) : x(strength), y(time), target(source) {}
    InfluenceParams& operator=(const InfluenceParams&) = default;

    void InitPos(float px, float py);
    // The target is held by a smart pointer, so it may end before the influence does.
    void InitObject(float px, float py, WorldElem* element, int32_t intValue);
    // x 1.0, y the value, no target, the item of that ID as the controller's item table has it.
    void InitItem(const char* itemID, float value);
    ItemBase* GetItem() const { return item; }

    // x f32, the value i32, y f32, the target's element code i32 (kept in the first further
    // value and as the pending target, resolved once the level is loaded); from version 234 the
    // item's ID String (empty: no item). The item's picture is not made.
    void Load(File& file, uint16_t version);
    void Save(File& file) const;

    float x = 0.0f;
    float y = 0.0f;
    int32_t value = 0;
    SmartPtr<WorldElem> target;
    int32_t further[2] = {0, 0};
    ItemBase* item = nullptr;     // game data, not owned
    int32_t pendingTarget = -1;   // the target's element code from a save, -1 none
};

class CreatureInfluence {
public:
    // The type i32, the parameters, the priority i32.
    void Load(File& file, uint16_t version);
    void Save(File& file) const;

    int32_t type = 0;
    InfluenceParams params;
    int32_t priority = 0;
};
