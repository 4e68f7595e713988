// ItemBase: one item or one stack of equal items: what a creature carries in its inventory, what
// a treasure or a trader hands out, and what an item lying in the world holds. Its effects on a
// character are a list of typed abilities; it may carry effect emitters. The game's own item
// class derives from it. It is not a world element.
//
// The class is split by role:
//   ItemBase.cpp        construction, copy, abilities, stacking, money, keys, potions, name, sounds
//   ItemBaseRecord.cpp  the versioned save record
#pragma once
#include "base/DynaMem.h"
#include "base/String.h"
#include "game/objects/ItemAbility.h"
#include "world/EffectEmitterInfo.h"
#include "world/InventoryItem.h"

#include <cstdint>

class FileRecordReader;

class ItemBase : public InventoryItem {
public:
    static constexpr int32_t kRecordVersion = 275;  // the stream version the record is written at

    // Item classes.
    static constexpr int32_t kClassGeneral = 1;
    static constexpr int32_t kClassWeapon = 2;
    static constexpr int32_t kClassArmour = 3;

    ItemBase();
    ItemBase(const ItemBase& other);
    ItemBase& operator=(const ItemBase& other);
    ~ItemBase() override;

    ItemBase* CreateNew() const override;
    void CopyTo(cfDynamicObject* other) const override;  // an other that is no item is left alone

    void Save(File& stream, int32_t flag) override;
    // A record of an obsolete version, or one cut short, is an error (which throws); the item
    // keeps the fields read so far.
    void Load(File& stream, int32_t itemVersion, int32_t extra) override;

    // The value rounded to the nearest integer, halves away from zero.
    int32_t GetPrice() const;
    int32_t GetMoneyPerItem() const override;
    int32_t GetMoneyValue() const override;
    bool IsKeyOrQuestItem() const;
    bool HasKeyAbility(int32_t keyID) const override;
    bool IsHealthPotion() const { return IsPotion(ItemAbility::kHealth, ItemAbility::kHealthFillRel); }
    bool IsManaPotion() const { return IsPotion(ItemAbility::kMana, ItemAbility::kManaFillRel); }

    // Abilities.
    int32_t GetAbilityCount() const { return m_Abilities.GetSize(); }
    const ItemAbility* GetAbility(int32_t position) const;
    int32_t CountAbilities(int32_t type) const;
    float GetAbilityValue(int32_t type, int32_t subtype) const;  // of the first match; 0 none
    // The controller's weight for an ability type; 0 without a controller.
    static float GetAbilityTypeWeight(int32_t type);
    // The type of the ability whose weight x value is largest (the first of equals); 0, with the
    // outputs untouched, when no product is above 0.
    int32_t GetMainAbility(float& value, int32_t& subtype) const;
    // With merge, an ability of the same type and subtype takes the value (factors of types 21 to
    // 23 combine as factors) and the larger level; otherwise a copy is appended. Returns true.
    bool AddAbility(const ItemAbility& ability, bool merge);
    bool AddAbilitiesOf(const ItemBase* other, bool merge);  // false without other

    int32_t GetEmitterCount() const { return m_Emitters.GetSize(); }
    const EffectEmitterInfo* GetEmitter(int32_t position) const { return m_Emitters.GetAt(position); }
    EffectEmitterInfo* GetEmitter(int32_t position) { return m_Emitters.GetAt(position); }
    EffectEmitterInfo& AddEmitter();

    bool IsSameKind(const InventoryItem& other) const override;

    // The display name: ItemName in the table "Items", column "content".
    wString GetLocalizedName() const;
    // "ItemDrop%i" / "ItemPickup%i" with the item's sound number, through the world; nothing
    // without a controller or with sound number 0.
    void PlayDropSound() const;
    void PlayPickupSound() const;

    String m_ItemName = "NoNameItem";  // key of the display name
    String m_Name2;
    int32_t m_Class = 0;
    int32_t m_SubType = -1;
    float m_Might = 1.0f;
    String m_Snd;
    String m_OnItemUse;   // script event when the item is used
    String m_OnTransfer;  // script event when the item changes hands
    String m_BookText;
    String m_AbilityText;
    String m_Shader;
    int16_t m_EquipmentType = -1;
    int16_t m_BodyPart = 0;
    int32_t m_GameValue3 = 0;
    float m_TreasureProb = 1.0f;  // not saved
    float m_BodyPos[3] = {0.0f, 0.0f, 0.0f};
    float m_BodyPosLeft[3] = {0.0f, 0.0f, 0.0f};
    float m_BodyScale[3] = {1.0f, 1.0f, 1.0f};
    float m_BodyScaleLeft[3] = {1.0f, 1.0f, 1.0f};
    float m_BodyRotAxis[3] = {0.0f, 0.0f, 0.0f};
    float m_BodyRotAxisLeft[3] = {0.0f, 0.0f, 0.0f};
    float m_PicCol[3] = {1.0f, 1.0f, 1.0f};
    float m_BodyRotAngle = 0.0f;  // radians
    float m_BodyRotAngleLeft = 0.0f;
    float m_GameValues[8] = {};   // the game's item data
    String m_Img;
    String m_ImgInfo;
    String m_PictureText;  // not saved
    uint8_t m_MirrorImg = 0;
    uint8_t m_DestroyAfterUse = 1;
    uint8_t m_FlagByte1 = 0;
    uint8_t m_SpecialItem = 0;  // not saved
    uint8_t m_FlagByte2 = 1;
    uint8_t m_QuickSlotItem = 0;
    uint8_t m_NoBoost = 0;  // not saved
    uint8_t m_FlagByte3 = 255;
    uint8_t m_SndDrop = 1;  // sound numbers; 0 none
    uint8_t m_SndPickUp = 0;
    String m_ObjID;  // world object shown when the item lies in the world
    String m_Quest;
    int32_t m_RequiresCharacterClass = 0;
    int16_t m_RequiresLevel = 0;

private:
    bool IsPotion(int32_t type, int32_t fillType) const;
    const ItemAbility* FindAbility(int32_t type) const;  // the first of the type
    void ReadAbilities(FileRecordReader& in, int32_t count, uint16_t version);
    void ReadEmitters(FileRecordReader& in);
    void PlayNumberedSound(const char* format, uint8_t number) const;

    // Mutable: a walk by position may rebuild a list's index of used slots.
    mutable DynaMem<EffectEmitterInfo, 2> m_Emitters;
    mutable DynaMem<ItemAbility, 4> m_Abilities;
};
