// CreatureObj_SF: construction, the reset of the game's state, copy, death and the answers of the
// element table on resources and mana.
#include "scifi/objects/CreatureObj_SF.h"

#include "scifi/input/SciFiInputCtrl.h"
#include "world/GameCtrlInterface.h"

namespace {

// Equipment grids, width x height, of the weapon, head and body slots.
constexpr int32_t kEquipmentGrids[CreatureObj_SF::kEquipmentTypes][2] = {{3, 2}, {2, 2}, {2, 3}};

}  // namespace

CreatureObj_SF::CreatureObj_SF()
{
    CopyName32(this, "CreatureObj_SF");
    for (int32_t type = 0; type < kEquipmentTypes; type++)
        m_Equipment[type].SetGridSize(kEquipmentGrids[type][0], kEquipmentGrids[type][1]);
    for (int32_t& ref : m_PendingElemRefs)
        ref = -1;
    ResetSciFiState();
}

CreatureObj_SF::~CreatureObj_SF() = default;

void CreatureObj_SF::ResetSciFiState()
{
    m_LevelProgress = 0;
    m_HighestDifficulty = 1;
    m_AdvancePoints = 0;
    m_SkillPoints = 0;
    m_Mana = m_Values.maxMana;
    m_ShieldEnergy = m_Values.maxShield;
    m_DodgeEnergy = m_Values.maxDodge;
    m_TimeSinceAction = 1.0f;
    m_ShieldRefill = 0.0f;
    m_ShieldRefillRate = 0.0f;
    m_PoisonTime = 0.0f;
    m_PoisonAccumulator = 0.0f;
    m_Poisoner = nullptr;
    m_PoisonerID = -1;
    m_LastText = String();
    SetInventoryOwners();
}

void CreatureObj_SF::SetInventoryOwners()
{
    if (m_Inventory)
        m_Inventory->SetOwner(this);
    for (Inventory& slot : m_Equipment)
        slot.SetOwner(this);
}

void CreatureObj_SF::CopyFrom(const CreatureObj& src)
{
    CreatureObj::CopyFrom(src);
    if (const auto* from = dynamic_cast<const CreatureObj_SF*>(&src); from && from != this)
        CopySciFiMembers(*from);
    SetInventoryOwners();
}

void CreatureObj_SF::CopySciFiMembers(const CreatureObj_SF& src)
{
    m_ShieldEnergy = src.m_ShieldEnergy;
    m_DodgeEnergy = src.m_DodgeEnergy;
    m_PoisonDamage = src.m_PoisonDamage;
    m_PoisonTime = src.m_PoisonTime;
    m_PoisonAccumulator = src.m_PoisonAccumulator;
    m_Poisoner = src.m_Poisoner.Get();
    m_PoisonerID = src.m_PoisonerID;
    m_AdvancePoints = src.m_AdvancePoints;
    m_SkillPoints = src.m_SkillPoints;
    m_LevelProgress = src.m_LevelProgress;
    m_HighestDifficulty = src.m_HighestDifficulty;
    for (int32_t type = 0; type < kEquipmentTypes; type++) {
        m_Equipment[type].CopyFrom(const_cast<Inventory&>(src.m_Equipment[type]));  // read only
        m_ShownItems[type] = src.m_ShownItems[type];
    }
    m_BaseValues = src.m_BaseValues;
    m_Values = src.m_Values;
    for (int32_t i = 0; i < 3; i++)
        m_Block[i] = src.m_Block[i];
    m_Modifiers = src.m_Modifiers;
    m_SkillBonuses.CopyElementsFrom(src.m_SkillBonuses);
    m_ShieldRefill = src.m_ShieldRefill;
    m_ShieldRefillRate = src.m_ShieldRefillRate;
    m_TimeSinceAction = src.m_TimeSinceAction;
    m_LastText = src.m_LastText;
    m_InflameAccumulator = src.m_InflameAccumulator;
    m_LastHitSource = src.m_LastHitSource;
    m_PendingSummoned = src.m_PendingSummoned;
    for (int32_t i = 0; i < kElemRefs; i++)
        m_PendingElemRefs[i] = src.m_PendingElemRefs[i];
    m_HasPendingRefs = src.m_HasPendingRefs;
}

// A creature that no player controls drops what it carries, unless the game is a network
// client, whose server drops it.
void CreatureObj_SF::Die()
{
    CreatureObj::Die();
    if (IsPlayerCharacter())
        return;
    if (g_GameCtrl && g_GameCtrl->IsNetworkClient())
        return;
    UnequipAll();
    DropInventory(kDropRadius, 0.0f);
}

void CreatureObj_SF::SetMaxHealth(float value)
{
    m_BaseValues.maxHealth = value;
    UpdateValues(false);
}

void CreatureObj_SF::SetMaxMana(float value)
{
    m_BaseValues.maxMana = value;
    UpdateValues(false);
}

bool CreatureObj_SF::HasMana(float cost) { return CreatureObj::HasMana(cost * m_Modifiers.manaCostMultiplier); }

void CreatureObj_SF::UseMana(float cost) { CreatureObj::UseMana(cost * m_Modifiers.manaCostMultiplier); }

void CreatureObj_SF::OnCollisionEvent(WorldElemBase* other, int32_t arg)
{
    SmartPtr<WorldElem> alive(this);
    CreatureObj::OnCollisionEvent(other, arg);
    if (!alive.Get())
        return;
    if (auto* input = dynamic_cast<SciFiInputCtrl*>(m_InputCtrl))
        input->OnElementContact(this, dynamic_cast<WorldElem*>(other));
}
