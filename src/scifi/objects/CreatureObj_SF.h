// CreatureObj_SF: the game's creature; every monster and hero of a running game is one. To the
// engine's creature it adds shield and dodge energy, the poison state, advance and skill points,
// three equipment inventories (weapon, head, body), the base and effective combat values, block
// values and the modifiers of equipment and skills, and its own save record.
//
// The engine's slots it fills under the engine's names:
//   value update            UpdateDamageValues (without shift; UpdateValues takes the flag)
//   GetWeaponKind           GetWeaponClass
//   CanPayMana, PayMana     HasMana, UseMana
//   GetEquipmentInventory   GetEquipmentEntry (the engine's answer is none)
//   put into inventory      WorldElem::PutIntoInventory
//   find, remove and has item by name   WorldElem::FindItemByName, RemoveItemsByName, HasItem
//   dying                   Die
//   CopyFrom                CreatureObj::CopyFrom
//   the grid table's Save and Load   WorldElemGridBase::Save, Load (the flag is the character flag)
//
//   CreatureObj_SF.cpp          construction, reset, copy, the element table's answers, death
//   CreatureObj_SFEquipment.cpp the equipment inventories, items by name, the current attack
//   CreatureObj_SFValues.cpp    the value update and the own damage values
//   CreatureObj_SFRecord.cpp    the save record and its checked load
//   CreatureObj_SFHits.cpp      the attack's damage set, a hit reaching the creature: shields,
//                               defence, blocking, poison, leech and secondary effects
//   CreatureObj_SFDamage.cpp    the damage taken with its log lines, the poison state and the
//                               damage over time, the health state
//   CreatureObj_SFAbilities.cpp used and equipped items' abilities
//   CreatureObj_SFResources.cpp health, mana, shield and dodge energy, their regeneration, points
//   CreatureObj_SFPotions.cpp   the quick potion commands
#pragma once
#include "base/DynaMem.h"
#include "base/SmartPtr.h"
#include "base/String.h"
#include "game/objects/CreatureObj.h"
#include "scifi/objects/CreatureCombatValues.h"
#include "world/Inventory.h"

#include <cstdint>
#include <vector>

class ActionEntry;
class ItemBase;
struct ItemAbility;

// What equipment and skills change beyond the combat values; the value update sets them anew.
struct CreatureModifiers {
    float speed[2] = {1.0f, 1.0f};  // the engine's first and second movement value
    float damageDealt[2] = {1.0f, 1.0f};  // physical damage 1 and 2
    float further[2] = {1.0f, 1.0f};
    float manaShield = 0.0f;
    float manaCostMultiplier = 1.0f;
    float reflect[2] = {0.0f, 0.0f};
    float damageTaken[2] = {1.0f, 1.0f};
    int32_t skillSet = 0;  // a change makes the controller assign the default skill buttons again
    float fillShieldInsteadOfMana = 0.0f;
    float shieldRegenInAction = 0.0f;
};

// One entry of the skill upgrade bonuses that equipment and skills give.
struct SkillBonus {
    int32_t skill = 0;
    int32_t bonus = 0;
};

class CreatureObj_SF : public CreatureObj {
public:
    static constexpr int32_t kEquipmentTypes = 3;  // 0 weapon, 1 head, 2 body
    static constexpr int16_t kFirstNonEquipmentType = 100;
    static constexpr float kDropRadius = 20.0f;
    static constexpr float kLeastSpeedFactor = 0.3f;
    static constexpr int32_t kInfluenceItem = 21;
    static constexpr uint16_t kNewestRecord = 275;  // a newer record's rows are unknown here

    CreatureObj_SF();
    CreatureObj_SF(const CreatureObj_SF&) = delete;
    CreatureObj_SF& operator=(const CreatureObj_SF&) = delete;
    ~CreatureObj_SF() override;

    // The reset of the game's state: points, progress, resources to their maxima, the poison
    // cleared, the inventories owned by the creature.
    void ResetSciFiState();
    // The engine's copy, then the game's members of a game creature; the owners set again.
    void CopyFrom(const CreatureObj& src) override;

    // Equipment (CreatureObj_SFEquipment.cpp).
    Inventory* GetEquipmentInventory(int32_t type);
    void* GetEquipmentEntry(int32_t n) override { return GetEquipmentInventory(n); }
    // The item taken out of the slot without being deleted: 1, or 0 for an empty slot; a type
    // outside 0 to 2 is an error.
    int32_t Unequip(int32_t type);
    // Each slot's first item back into the creature's main inventory.
    void UnequipAll() override;
    // With a positive count a living creature that can equip takes an item of an equipment type
    // below 100 into that slot (count 2: what the slot held goes to the main inventory first);
    // otherwise the engine's put.
    Inventory* PutIntoInventory(InventoryItem* item, int32_t count) override;
    // At most kMaxPotionUnits health potions and as many mana potions ("DB:medi_energy_full" for
    // the main character); 1 for an item a free equipment slot takes.
    static constexpr int32_t kMaxPotionUnits = 9;
    static constexpr float kPotionsFullTime = 3.0f;
    int32_t GetCarryLimit(InventoryItem& item) override;
    // The main inventory first, then the three slots in type order.
    InventoryItem* FindItemByName(const char* name, Inventory** container) override;
    int32_t RemoveItemsByName(const char* name, int32_t count) override;
    // The slots first, then the engine's.
    bool HasItem(const char* name) override;
    // Remembers the equipped items' names and runs the value update without shift.
    void OnInventoryChanged() override;
    ItemBase* GetWeapon();  // the first item of slot 0
    // The kind (0 or 1) of the equipped weapon's class; 0 without a weapon.
    int32_t GetWeaponClass() override;
    // The weapon's strategies give the attack entries; the index is 0 for creatures without an
    // input controller of their own. None without a weapon.
    ActionEntry* GetCurrentAttackEntry();
    bool StartCurrentAttack();

    // The element table's answers (CreatureObj_SF.cpp).
    bool IsPlayerCharacter() const { return m_MainCharacter != 0; }
    void Die() override;
    float GetMaxHealth() override { return m_Values.maxHealth; }
    float GetMaxMana() override { return m_Values.maxMana; }
    float GetMaxHealth(bool effective) const { return effective ? m_Values.maxHealth : m_BaseValues.maxHealth; }
    float GetMaxMana(bool effective) const { return effective ? m_Values.maxMana : m_BaseValues.maxMana; }
    void SetMaxHealth(float value);
    void SetMaxMana(float value);
    bool HasMana(float cost) override;
    void UseMana(float cost) override;
    // The walk's reports that the player's input reads: arrived (the step reached the goal) and
    // a failed walk; and a touched element, which the player's input may stop a walk at.
    void OnBlockedByDistance() override { SetBlockedFlagA(1); }
    void OnMoveFailed() override { SetBlockedFlagB(1); }
    void OnCollisionEvent(WorldElemBase* other, int32_t arg) override;
    // Item abilities (CreatureObj_SFAbilities.cpp). A used item: its abilities in list order
    // onto the base values and the refills.
    void ApplyPotion(InventoryItem* item) override;
    void ApplyItemAbilities(const ItemBase& item);
    // An equipped item onto the effective values and the modifiers (the value update), in two
    // passes: the factors first; an ability that shows as 0 in display units is left out.
    void ApplyEquippedItem(const ItemBase& item);
    // A skill's effect: its item counts as an equipped item for the given seconds, from the
    // last time the same skill reached the creature; the values are updated at once.
    void TakeSkillEffect(ItemBase& skillItem, WorldElem* source, float seconds);
    // The engine's influences; when an item influence ends, the values are updated without it.
    void UpdateInfluences(float dt) override;

    // Hits (CreatureObj_SFHits.cpp).
    // The attack's coefficients over the creature's own damage set: with scale the physical
    // amounts by the attack's factor and bonus and the creature's dealt factors.
    DamageValues* GetAttackDamageValues(DamageValuesHolder& out, ActionAttack& attack, bool scale) override;
    // Reflection, the damage after shields and protection, poison, leech, the secondary effects,
    // then the direct damage.
    void ApplyHit(DamageValues* damage, WorldElem* attacker, const D3DXVECTOR2& source, int32_t tag) override;
    // The physical damage of a hit from direction (dx, dy); the mana and energy shields pay
    // first (the set's physical amounts are scaled by what they leave).
    float ComputeHitDamage(DamageValues& damage, WorldElem* attacker, float dx, float dy);
    // a x e^(-(d / a)(k a d + 1)), 0 for an amount of 0 or below.
    static float DamageFunction(float a, float d, float k);
    float GetDamageReceiveFactor(WorldElem* attacker);
    float GetDamageDealFactor(WorldElem* target);

    // Damage taken, poison and the health state (CreatureObj_SFDamage.cpp).
    // The amount scaled by the difficulty, counted, logged for the players and taken from the
    // health; a lethal hit on a hero during a sequence or a dialogue leaves it at 1.
    void TakeDamage(float amount, WorldElem* attacker, int32_t heavy, int32_t show, int32_t silent,
                    int32_t tag) override;
    // The players' log line of damage dealt to this creature.
    void LogDealtDamage(float amount);
    // A new poison (rate per second, time) into a running one; true when the new one is the
    // stronger, so that its causer becomes the poisoner. A new time or rate of 0 or below
    // changes nothing.
    static bool CombinePoison(float& rate, float& time, float newRate, float newTime);
    // 0 to 4 by the share of health left: 4 full, 0 none (or no maximum).
    int32_t GetHealthState() const;
    void ClearPoison();
    // The first step of the game's per-frame update: the poison and the burning dealt.
    void ApplyDamageOverTime(float dt);

    // Resources, their regeneration and the points (CreatureObj_SFResources.cpp). Health, mana
    // and shield energy are raised only up to their effective maxima; a resource at or above its
    // maximum is left as it is.
    void AddHealth(float delta) override;  // health at 0 or below kills (no attacker, tag -2)
    void AddMana(float amount) override;    // never below 0
    void AddShieldEnergy(float amount);
    void FillShield();
    // An amount given over a time, queued as the engine queues health and mana; over no time at
    // all it is given at once.
    void RefillShield(float amount, float seconds);
    bool HasDodgeEnergy() const;  // one whole charge, with a little tolerance
    void UseDodgeEnergy();
    // The shield recovers only some time after the last action.
    void ResetActionTime() { m_TimeSinceAction = 0.0f; }
    // A dodge costs one charge of dodge energy (a network client leaves the test to its server).
    bool Dodge(int32_t dir) override;
    // A dodge towards (dx, dy): the nearest of the four directions, the facing turned by the rest
    // so that the dodge points there; a network client asks its server.
    bool DodgeTowards(float dx, float dy);
    // The quick potion commands (CreatureObj_SFPotions.cpp): the carried potion that best fits
    // what is missing (maximum - value - pending refill), drunk through the controller's item use
    // for the main character; "DB:DoNotNeedPotion" when nothing is missing.
    void UseHealthPotion();
    void UseManaPotion();
    // A mana potion that fills the shield is worth drinking while the shield lacks energy, even
    // with a full mana pool.
    bool CanUseItem(InventoryItem* item) override;
    int32_t GetAdvancePoints() const { return m_AdvancePoints; }
    int32_t GetSkillPoints() const { return m_SkillPoints; }
    // False, with the "GuiError" message and nothing spent, when the points do not reach the cost.
    bool SpendAdvancePoints(int32_t cost);
    bool SpendSkillPoints(int32_t cost);
    void AddPoints(int32_t advance, int32_t skill);
    // The upgrades of a skill (by its ID) that equipment and skills give; 0 for none.
    int32_t GetSkillUpgrades(int32_t skill);
    void SetPoints(int32_t advance, int32_t skill);
    // A purchase of advance points: the base maximum and the current value grow by the
    // controller's amount, rounded; false, with nothing changed, when the points do not reach it.
    bool BuyHealth() { return BuyResource(0); }
    bool BuyMana() { return BuyResource(1); }
    bool BuyShield() { return BuyResource(2); }
    // A hero's level gain: health and mana at least full, the points of the levels, the
    // "Levelgain" message and the character kept for the multiplayer game.
    void OnLevelGain(int32_t levels) override;
    // The engine's update, the damage over time, then the regeneration of a living creature.
    void FrameUpdate(float dt) override;
    void Regenerate(float dt);

    // The value update (CreatureObj_SFValues.cpp): the effective values from the base values,
    // equipment, skills and influences; with shift a changed maximum moves mana and health by
    // the change.
    void UpdateValues(bool shift);
    void UpdateDamageValues() override { UpdateValues(false); }
    void UpdateOwnDamageValues();

    // The save record (CreatureObj_SFRecord.cpp). With the character flag only the character is
    // kept (rows of the level left out).
    void Save(File& file, bool characterFlag) override;
    void Load(File& file, bool characterFlag) override;
    // The record read into a scratch creature and copied over only when it loaded whole: false,
    // the creature unchanged and the failure logged, for a damaged or unknown record.
    bool LoadChecked(File& file, bool characterFlag);
    // The rows after the engine's record, by the stream's version.
    void LoadRows(File& file, bool characterFlag);
    void ResolveSavedRefs(WorldCtrl& world) override;

    // Members, in their order.
    float m_ShieldEnergy = 0.0f;
    float m_DodgeEnergy = 0.0f;
    float m_PoisonDamage = 0.0f;  // per second
    float m_PoisonTime = 0.0f;    // left
    float m_PoisonAccumulator = 0.0f;
    SmartPtr<WorldElem> m_Poisoner;
    int32_t m_PoisonerID = -1;
    int32_t m_AdvancePoints = 0;
    int32_t m_SkillPoints = 0;
    int8_t m_LevelProgress = 0;
    uint8_t m_HighestDifficulty = 1;
    Inventory m_Equipment[kEquipmentTypes];
    String m_ShownItems[kEquipmentTypes];  // the names last shown as equipped
    CreatureCombatValues m_BaseValues;
    CreatureCombatValues m_Values;  // effective
    float m_Block[3] = {0.0f, 0.0f, 0.0f};  // reduction fraction, absorb amount, angle
    CreatureModifiers m_Modifiers;
    DynaMem<SkillBonus, 4> m_SkillBonuses;  // the SkillUpradeBoniList, emptied by the value update
    float m_ShieldRefill = 0.0f;
    float m_ShieldRefillRate = 0.0f;
    float m_TimeSinceAction = 1.0f;
    String m_LastText;
    float m_InflameAccumulator = 0.0f;  // burning not yet dealt, in whole points
    D3DXVECTOR2 m_LastHitSource = D3DXVECTOR2(0.0f, 0.0f);  // (0, 0): the attacker was out of sight

private:
    void ApplyEquippedAbility(const ItemAbility& ability, int32_t pass);
    void RefillManaOrShield(float mana, float shield, float time, float fill);
    // Among the carried items with one ability of the type, the one whose amount exceeds the need
    // by the least; when none covers it, the largest.
    ItemBase* FindBestPotion(int32_t type, float need) const;
    bool CarriesPotion(bool health) const;
    void UseQuickPotion(bool health, int32_t absoluteType, int32_t relativeType);
    // What the resource lacks, and the maximum a relative potion's fraction is taken against.
    float GetPotionNeed(bool health, float& maximum) const;
    void AddSkillBonus(int32_t skill, int32_t bonus);
    float GetSkillSlotFactor(WorldElem* other, bool received);
    void StartBlastKnockDown(float strength, float damage, WorldElem* attacker);
    void ReactToHit(float amount, WorldElem* attacker, bool heavy, bool show);
    // Whether this creature's owner is hostile to the attacker's.
    bool IsHostileHit(WorldElem* attacker);
    static bool IsHeroCreature(WorldElem* elem);
    bool BuyResource(int32_t resource);
    void SetInventoryOwners();
    // An item out of a slot into the main inventory; without room it is dropped at the creature.
    void TakeBack(InventoryItem* item);
    void CopySciFiMembers(const CreatureObj_SF& src);
    // The world that resolves names while loading: the creature's, else the running game's.
    WorldCtrl* GetLoadWorld();

    // Element references of a loaded record, until the level is whole.
    std::vector<int32_t> m_PendingSummoned;
    int32_t m_PendingElemRefs[kElemRefs];
    bool m_HasPendingRefs = false;
};
