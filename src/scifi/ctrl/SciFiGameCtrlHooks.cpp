// SciFiGameCtrl: the controller's answers and hooks into the engine: whether the game is active,
// the difficulty, the character taken over, a refused pick-up, the item power factors, the
// disconnection script, revivals, an element's item names and its use query, action damage
// estimates and strategy costs, small helpers of the windows, the start-up and the level change
// with what follows an item into an inventory.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "engine/gui/DXC_GuiManager.h"
#include "game/objects/ItemBase.h"
#include "scifi/input/SciFiInputCtrl.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "scifi/objects/DamageValues_SF.h"
#include "scifi/objects/ItemAbilityType.h"
#include "scifi/objects/Item_SF.h"
#include "world/ActionEntry.h"
#include "world/Inventory.h"
#include "world/KI_Strategy.h"
#include "world/WorldCtrl.h"

#include <algorithm>
#include <cmath>

namespace {

using P = ItemValueParameters;

// Ability type code -> its item power factor.
struct AbilityPower {
    int32_t abilityType;
    int32_t parameter;
};
constexpr AbilityPower kAbilityPowers[] = {
    {16, P::kHitp},          {17, P::kManaMax},        {21, P::kMoveSpeedBonus},   {30, P::kManaRecoverAbs},
    {15, P::kArmour},        {1, P::kDamPhys1},        {29, P::kKnockBack},        {103, P::kShieldMax},
    {105, P::kShieldRecAbs}, {112, P::kDodgeRefillMult}, {114, P::kSkillBonus}, {118, P::kSkillUpgrade},
};

constexpr char kDisconnectScript[] = "#include \"scripts/onDisconnect.c\"\nonDisconnect();";

// Physical damage 1 plus 2 of a set as the creature deals it.
float PhysicalDamage(const DamageValues* damage, WorldElem* creature)
{
    const auto* values = dynamic_cast<const DamageValues_SF*>(damage);
    if (!values)
        return 0.0f;
    return values->physical[0].GetValue(creature) + values->physical[1].GetValue(creature);
}

}  // namespace

bool SciFiGameCtrl::IsGameActive()
{
    if (!IsNormalGameMode())
        return false;
    if (IsListening())
        return true;
    CreatureObj* hero = GetMainChar();
    return hero && !hero->IsDead();
}

void SciFiGameCtrl::SetDifficulty(int32_t difficulty, uint8_t onlyIfChanged, uint8_t setName)
{
    GameServer::SetDifficulty(difficulty, onlyIfChanged, setName);
    if (auto* hero = dynamic_cast<CreatureObj_SF*>(GetMainChar()))
        hero->m_HighestDifficulty = uint8_t(std::max(int32_t(hero->m_HighestDifficulty), difficulty));
}

void SciFiGameCtrl::NotifyNoMana() { PlayWorldSound("NoMana"); }

void SciFiGameCtrl::SetMainCharacter(CreatureObj* creature)
{
    GameServer::SetMainCharacter(creature);
    if (creature) {
        if (creature->m_Inventory)
            creature->m_Inventory->SetCellFilter(&SciFiGameCtrl::IsReservedGridCell);
        creature->m_ControlFlag = 1;
    }
    m_CameraTarget = creature;
    for (GameGuiField* window : {static_cast<GameGuiField*>(&m_CharacterWindow),
                                 static_cast<GameGuiField*>(&m_TradeWindow), static_cast<GameGuiField*>(&m_MiniMapWindow)})
        window->SetCharacter(creature);
}

bool SciFiGameCtrl::PickUpItem(WorldElem* element, CreatureObj* creature)
{
    if (GameServer::PickUpItem(element, creature))
        return true;
    const auto* item = element ? dynamic_cast<const ItemBase*>(element->m_LinkedItem) : nullptr;
    if (item && !item->IsHealthPotion() && !item->IsManaPotion())
        ShowMessage(3.0f, "DB:inventory_full");
    return false;
}

float SciFiGameCtrl::GetAbilityWeight(int32_t abilityType)
{
    for (const AbilityPower& power : kAbilityPowers)
        if (power.abilityType == abilityType)
            return m_ItemValueParameters.powers[power.parameter];
    return 0.0f;
}

void SciFiGameCtrl::OnConnectionLost()
{
    GameServer::OnConnectionLost();
    OnDisconnect();
}

void SciFiGameCtrl::OnDisconnect() { m_World.RunInlineScript(kDisconnectScript, nullptr, 0.0f, 0, "onDisconnect", 0); }

bool SciFiGameCtrl::CanRevive(WorldElem* element)
{
    if (!IsNetworkGame())
        return false;
    auto* creature = dynamic_cast<CreatureObj*>(element);
    return creature && creature != GetMainChar() && creature->IsDead();
}

int32_t SciFiGameCtrl::CollectItemNames(WorldElem* element)
{
    Inventory* inventory = element ? element->m_Inventory : nullptr;
    if (!inventory)
        return 0;
    int32_t count = 0;
    const auto add = [&](InventoryItem* held) {
        auto* item = dynamic_cast<ItemBase*>(held);
        if (item && count < kObjScriptVariables)
            *GetObjScriptText(count++) = item->m_ItemName;
    };
    for (int32_t i = 0; i < inventory->GetCount(); ++i)
        add(inventory->GetItem(i));
    if (auto* creature = dynamic_cast<CreatureObj_SF*>(element))
        for (int32_t slot = 0; slot < 3; ++slot)
            if (Inventory* worn = creature->GetEquipmentInventory(slot); worn && worn->GetCount() > 0)
                add(worn->GetItem(0));
    return count;
}

bool SciFiGameCtrl::IsElementBusy(WorldElem* element)
{
    if (!element)
        return false;
    if (element->m_UsesLeft > 0 || element->HasLinkedObject())
        return true;
    return CanRevive(element);
}

float SciFiGameCtrl::EstimateActionDamage(CreatureObj* creature, ActionEntry* action, WorldElem* target)
{
    (void)target;
    if (!creature || !action)
        return 0.0f;
    const bool sum = action->damageDisplayType == 2;
    const auto combine = [sum](float& total, float value) { total = sum ? total + value : std::max(total, value); };
    float shots = 0.0f;
    for (int32_t i = 0; i < action->shots.GetSize(); ++i) {
        const ActionShot* shot = action->shots.GetAt(i);
        DamageValuesHolder damage;
        if (damage && shot->hitEffects.damage)
            shot->hitEffects.damage->CopyTo(damage.Get());
        combine(shots, PhysicalDamage(damage.Get(), creature));
    }
    float attacks = 0.0f;
    for (int32_t i = 0; i < action->attacks.GetSize(); ++i) {
        ActionAttack* attack = action->attacks.GetAt(i)->Get();
        if (!attack)
            continue;
        DamageValuesHolder damage(nullptr);
        combine(attacks, PhysicalDamage(creature->GetAttackDamageValues(damage, *attack, true), creature));
    }
    return shots + attacks;
}

const KI_StratEntry* SciFiGameCtrl::FirstStrategyEntry(KI_Strategy* strategy)
{
    if (!strategy || strategy->blocks[KI_Strategy::kDefault].entries.GetSize() == 0)
        return nullptr;
    return strategy->blocks[KI_Strategy::kDefault].entries.GetAt(0);
}

bool SciFiGameCtrl::CanAffordStrategy(CreatureObj* creature, KI_Strategy* strategy)
{
    const KI_StratEntry* entry = FirstStrategyEntry(strategy);
    if (!entry || !creature)
        return true;
    const ActionEntry* action = m_World.FindActionEntry(entry->id.c_str(), false);
    return creature->HasMana(action ? float(action->mana) : 0.0f);
}

bool SciFiGameCtrl::ItemStrategyAffordable(CreatureObj* creature, ItemBase* item)
{
    auto* game = dynamic_cast<Item_SF*>(item);
    if (!game || game->GetStrategies().GetSize() == 0)
        return true;
    return CanAffordStrategy(creature, game->GetStrategies().GetAt(0));
}

float SciFiGameCtrl::GetCreatureAttackValue(CreatureObj* creature, int32_t mode, WorldElem* target)
{
    (void)mode;
    const KI_StratEntry* entry = creature ? FirstStrategyEntry(creature->GetDecision()) : nullptr;
    if (!entry || entry->type != KI_StratEntry::kAction)
        return 0.0f;
    return EstimateActionDamage(creature, m_World.FindActionEntry(entry->id.c_str(), false), target);
}

bool SciFiGameCtrl::ElementPassesFilter(WorldElem* element, uint32_t kindMask, int32_t minimumLevel)
{
    if (!element)
        return false;
    auto* creature = dynamic_cast<CreatureObj*>(element);
    if (!creature)
        return true;
    const int32_t party = creature->GetParty();
    const uint32_t kindBits = party >= 0 && party < 32 ? 1u << party : 0u;  // a creature's kind is its party
    if (kindMask != 0 && (kindMask & kindBits) == 0)
        return false;
    return minimumLevel < 1 || creature->GetLevel() >= minimumLevel;
}

SkillTreeEntry* SciFiGameCtrl::GetMainCharSkill(int32_t slot, bool resolveNextLevel, bool allowPlaceholder)
{
    CreatureObj* hero = GetMainChar();
    auto* input = hero ? dynamic_cast<SciFiInputCtrl*>(hero->m_InputCtrl) : nullptr;
    return input ? input->GetSkillSlot(slot, resolveNextLevel, allowPlaceholder) : nullptr;
}

void SciFiGameCtrl::EndSkillSlotEffects(CreatureObj_SF& creature)
{
    if (static_cast<CreatureObj*>(&creature) == GetMainChar())
        EndSkillSlotEffects();
}

String SciFiGameCtrl::FormatValue(float value)
{
    String text;
    if (std::fabs(value) < 5.0f)
        text.Format("%.1f", double(value));
    else
        text.Format("%i", int(std::round(value)));  // std::round: half away from zero
    return text;
}

void SciFiGameCtrl::Init()
{
    if (g_GuiManager)  // the client's: the server makes none
        g_GuiManager->SetMouseEventCallback(OnGuiMouseEvent);
    ShowLoadingProgress(5.0f, 0, 1.0f, 1);
    LoadControls();
    GameServer::Init();
    ShowLoadingProgress(100.0f, 0, 1.0f, 1);
}

CreatureObj* SciFiGameCtrl::ChangeLevel(const char* levelFile, const String& saveDir,
                                        const LevelChangeOptions& options)
{
    if (auto* input = HasInputCtrl(0) ? dynamic_cast<SciFiInputCtrl*>(GetInputCtrl(0)) : nullptr) {
        input->ClearMoveOrder();
        input->ClearAttackOrder();
    }
    if (!options.keepRunningState)
        m_MissionLogWindow.Clear();
    SaveCharacterForMultiplayer();
    CreatureObj* entered = GameServer::ChangeLevel(levelFile, saveDir, options);
    if (entered && options.fromRunningLevel != 0)
        RunLevelEnterScript(entered);
    EndSkillSlotEffects();
    return entered;
}

void SciFiGameCtrl::OnItemAddedToInventory(Inventory* inventory, InventoryItem* item)
{
    auto* hero = dynamic_cast<CreatureObj_SF*>(GetMainChar());
    if (!hero || !IsNetworkGame() || !inventory || inventory->GetOwner() != hero)
        return;
    for (int16_t slot = 0; slot < 3; ++slot)
        if (inventory == hero->GetEquipmentInventory(slot)) {
            SendSetEquipment(hero, slot, item);
            return;
        }
}
