// SciFiGameCtrl: which game windows exclude each other and pause the game, the heads-up display,
// the item information on mouse-over, the highlight of the element under the pointer and the
// object dragged with the pointer. The server constructs the windows but never opens one, so
// nothing here changes its state.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/GameOptions.h"
#include "engine/gui/DXC_GuiManager.h"
#include "engine/gui/InputState.h"
#include "game/ctrl/StateManager.h"
#include "game/objects/CreatureObj.h"
#include "game/objects/ItemBase.h"

#include <cstdint>

void SciFiGameCtrl::ToggleGameWindow(DXC_GuiField& window, DXC_GuiField& other1, DXC_GuiField& other2)
{
    if (m_PauseMenu.IsOpen() || m_TradeWindow.IsOpen())
        return;
    other1.SetOpenState(false);
    other2.SetOpenState(false);
    m_ChatWindow.SetActive(false);
    if (!other1.IsOpen() && !other2.IsOpen())
        window.ToggleOpen();
}

void SciFiGameCtrl::ToggleCharacterWindow() { ToggleGameWindow(m_CharacterWindow, m_SkillTreeWindow, m_MissionLogWindow); }

void SciFiGameCtrl::ToggleSkillTreeWindow() { ToggleGameWindow(m_SkillTreeWindow, m_MissionLogWindow, m_CharacterWindow); }

void SciFiGameCtrl::ToggleMissionLogWindow() { ToggleGameWindow(m_MissionLogWindow, m_SkillTreeWindow, m_CharacterWindow); }

void SciFiGameCtrl::CloseSheetWindows()
{
    m_SkillTreeWindow.SetOpenState(false);
    m_CharacterWindow.SetOpenState(false);
    m_MissionLogWindow.SetOpenState(false);
}

// The pause menu and the game's pause go together; over the options the key closes only them.
void SciFiGameCtrl::TogglePauseMenu()
{
    CloseSheetWindows();
    m_ChatWindow.SetActive(false);
    if (m_OptionsWindow.IsOpen()) {
        m_OptionsWindow.ToggleOpen();
        return;
    }
    m_PauseMenu.ToggleOpen();
    TogglePause();
}

// The game is paused exactly while the help is open, whatever paused it before.
void SciFiGameCtrl::ToggleHelp()
{
    CloseSheetWindows();
    m_ChatWindow.SetActive(false);
    m_HelpWindow.ToggleOpen();
    if ((m_HelpWindow.IsOpen() != 0) != (GetPauseFlag() != 0))
        TogglePause();
}

void SciFiGameCtrl::CloseGameWindows()
{
    if (m_PauseMenu.IsOpen())
        return;
    CloseSheetWindows();
    m_TradeWindow.Close(0);
}

void SciFiGameCtrl::StartTrade(WorldElem* partner)
{
    if (m_TradeWindow.IsOpen())
        return;
    CloseSheetWindows();
    m_TradeWindow.Open(partner);
}

void SciFiGameCtrl::CloseItemInfoWindows()
{
    for (ItemInfoGui& box : m_ItemInfoBoxes)
        box.SetOpenState(false);
}

void SciFiGameCtrl::ShowHud()
{
    m_HudMainBar.SetOpenState(true);
    m_MiniMapWindow.SetOpenState(true);
    m_ChatWindow.SetOpenState(true);
    m_OverlayField.SetOpenState(true);
    m_HudShown = 1;
}

void SciFiGameCtrl::ResetGuiState(int32_t flag)
{
    if (m_PauseMenu.IsOpen() && IsPaused())
        TogglePauseMenu();
    GameServer::ResetGuiState(flag);
    m_MiniMapWindow.SetOpenState(m_HudShown != 0);
}

bool SciFiGameCtrl::IsInGameState() const
{
    const StateManager* stateManager = GetStateManager();
    return stateManager && stateManager->GetState() == kStateGame;
}

void SciFiGameCtrl::HandleGuiInput()
{
    if (g_GuiManager)
        g_GuiManager->UpdateViewport();
    UpdateGui();  // records whether the game was paused
    if (IsInGameState())
        m_MiniMapWindow.SetOpenState(m_HudShown != 0 && GetViewMode() != 3);
}

void SciFiGameCtrl::PlayGuiClick(int32_t kind)
{
    if (kind == 0 || kind == 1)
        m_World.PlaySound("GuiClick", 0.0f, false, true);
}

void SciFiGameCtrl::HoverItem(ItemBase* item, int32_t x, int32_t y)
{
    m_ItemHoveredThisFrame = 1;
    const bool dragging = g_GuiManager && g_GuiManager->GetDragObject();
    const bool atOnce = (m_Keys && m_Keys->IsKeyDown(InputState::kLeftShift)) || s_ItemInfoAlways;
    if (atOnce) {
        m_HoveredItem = item;
        m_HoverStart[0] = x;
        m_HoverStart[1] = y;
        m_HoverWait = double(g_Options.mouseOverDelay);
    }
    if (item && m_HoveredItem.Get() == item) {
        if (m_HoverWait >= double(g_Options.mouseOverDelay) && !dragging) {
            ItemInfoGui& box = m_ItemInfoBoxes[0];
            // Items carry no owner yet, and the comparison with the worn item comes with the box's
            // contents.
            box.SetItem(item, true, nullptr);
            box.SetOpenState(true);
            box.SetPos(x, y);
            box.BringToFront(true);
            return;
        }
        const int64_t dx = x - m_HoverStart[0], dy = y - m_HoverStart[1];
        const int64_t distance = g_Options.mouseOverDelayInt;
        if (!dragging && dx * dx + dy * dy <= distance * distance) {
            m_HoverWait += double(g_LastFrameTime);
            return;
        }
    }
    m_HoveredItem = item;
    m_HoverStart[0] = x;
    m_HoverStart[1] = y;
    m_HoverWait = 0.0;
}

// 0 no highlight, 1 the plain one, 2 a fallen body that can be raised, 3 an attack target.
int32_t SciFiGameCtrl::GetHighlightKind(WorldElem* element)
{
    if (!element || element != m_PointedElement.Get())
        return 0;
    CreatureObj* hero = GetMainChar();
    if (!element->IsCreature()) {
        const bool pickable = element->m_TypeCode == ElemType::kItem && element->m_ObjValues.pickUp != 0;
        if (pickable && m_HighlightAttackTarget && hero && hero->IsEnemyOf(element, true) != 0)
            return 3;
        return 1;
    }
    if (element->GetParty() < 0)
        return 0;
    if (CanRaiseFallen(element))
        return 2;
    const bool hostile = hero && element->IsEnemyOf(hero, true) != 0;
    if (!m_HighlightAttackTarget)
        return hostile ? 0 : 1;
    return hostile ? 3 : 1;
}

// A dead creature that the hero's active skill is made to work on.
bool SciFiGameCtrl::CanRaiseFallen(WorldElem* element)
{
    if (!element->IsDead())
        return false;
    const SkillTreeEntry* skill = GetMainCharSkill(1, false, false);
    return skill && skill->highlightDeadMonsters;
}

bool SciFiGameCtrl::IsEscapeBlocked()
{
    if (g_GuiManager && g_GuiManager->GetDragObject())
        return true;
    if (s_EscapeOverride)
        return false;
    CreatureObj* hero = GetMainChar();
    return (!hero || hero->IsDead()) && IsInGameState() && m_PauseMenu.IsOpen();
}

// The client's key pass acts on the request (see HandleClientKeys).
void SciFiGameCtrl::RequestPauseMenu() { m_PauseRequested = true; }

bool SciFiGameCtrl::IsInputBlocked() { return m_DialogWindow.IsOpen() != 0; }

void SciFiGameCtrl::OpenDialogWindow() { m_DialogWindow.Open(1); }

bool SciFiGameCtrl::IsSubWindowShown() { return m_TextViewer.IsOpen() != 0; }

bool SciFiGameCtrl::CanActOnKeys() { return !IsSubWindowShown() && !m_ChatWindow.IsActive(); }

void SciFiGameCtrl::DropDraggedObject()
{
    if (!g_GuiManager)
        return;
    g_GuiManager->SetDragIcon(nullptr, false, nullptr, 1.0f);
    g_GuiManager->SetDragObject(nullptr, nullptr, nullptr);
    m_PointerInventory.Clear(true);
}

ItemBase* SciFiGameCtrl::TakeDraggedItem(bool remove)
{
    if (m_PointerInventory.GetCount() < 1)
        return nullptr;
    auto* item = dynamic_cast<ItemBase*>(m_PointerInventory.GetItem(0));
    if (item && remove)
        m_PointerInventory.RemoveItem(0, -1, false);
    return item;
}
