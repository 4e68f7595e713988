// ItemAbility: one typed effect of an item on a character (health, mana, a key, money, speed
// factors, body textures and meshes, regeneration), as items.cfg and the game's rules give it.
#pragma once
#include "base/String.h"

#include <cstdint>

struct ItemAbility {
    // Types that items.cfg produces; the game's rules add further ones.
    static constexpr int32_t kHealth = 7;
    static constexpr int32_t kMana = 8;
    static constexpr int32_t kKey = 11;  // subtype: the key id
    static constexpr int32_t kHitPoints = 16;
    static constexpr int32_t kManaMax = 17;
    static constexpr int32_t kMoney = 20;  // subtype: money per item of the stack
    static constexpr int32_t kMoveSpeed = 21;    // 21 to 23 are factors: percentage p stored as p * 0.01 + 1
    static constexpr int32_t kCombatSpeed = 22;
    static constexpr int32_t kMagicSpeed = 23;
    static constexpr int32_t kBodyTexture = 25;  // subtype: body slot 1 to 9
    static constexpr int32_t kBodyMesh = 26;
    static constexpr int32_t kKnockback = 29;
    static constexpr int32_t kManaRecoverAbs = 30;
    static constexpr int32_t kHealthRecoverAbs = 31;
    static constexpr int32_t kHealthFillRel = 32;
    static constexpr int32_t kManaFillRel = 33;
    static constexpr int32_t kManaRecoverRel = 34;
    static constexpr int32_t kHealthRecoverRel = 35;

    static bool IsFactor(int32_t type) { return type >= kMoveSpeed && type <= kMagicSpeed; }

    bool operator==(const ItemAbility& other) const
    {
        return type == other.type && subtype == other.subtype && value == other.value && value2 == other.value2 &&
               text1 == other.text1 && level == other.level && text2 == other.text2;
    }
    bool operator!=(const ItemAbility& other) const { return !(*this == other); }

    int32_t type = 0;
    int32_t subtype = 0;  // refines the type: key id, body slot, money per item
    float value = 0.0f;
    float value2 = 0.0f;  // kept, saved and compared; never merged
    String text1;         // in records from stream version 254 on
    int16_t level = 0;    // merged as the larger
    String text2;
};
