// SciFiGameCtrl: construction, and the controller's answers on the pointer and on multiplayer
// games.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "engine/gui/InputState.h"
#include "engine/gui/MouseState.h"
#include "game/scriptfuncs/ScriptGame.h"
#include "scifi/ctrl/SciFiRules.h"
#include "world/WorldCtrl.h"

#include <algorithm>

// The members hold their initial values by now; the steps after them keep their order.
SciFiGameCtrl::SciFiGameCtrl() : m_Keys(&g_InputState), m_Mouse(&g_MouseState)
{
    CopyName32(this, "SciFiGameCtrl");
    // The one controller of the program: its rules start from their defaults.
    g_SciFiRules = SciFiRules();

    std::fill(std::begin(m_QuickSlots), std::end(m_QuickSlots), nullptr);
    GetSettings().compressSavegames = 1;
    m_ControlType = 1;
    m_AllowMoveAndAttack = false;
    m_World.SetEntryTableSize(kWorldEntryTable);
    WorldCtrl::SetMaxMoveSubSteps(kMaxMoveSubSteps);
    m_CameraYaw = 0.0f;
    m_CameraPitch = 0.7853982f;
    m_ClickTolerance = 20.0f;
    m_PointerItemShown = false;
    m_HighlightAttackTarget = false;
    m_MultiplayerGame = false;
    m_ScreenshotPrefix = "Korva_scrshot";

    // The game's windows are made closed and stay so until the client sets its GUI up.
    DXC_GuiField* plainFields[] = {&m_OverlayField, &m_TextViewer, &m_MenuScreens.frame};
    for (DXC_GuiField* field : plainFields)
        field->SetOpenState(false);

    ScriptGame::Install(*this);  // every script module of the world reaches the built-ins
    g_GameCtrl = this;
}

SciFiGameCtrl::~SciFiGameCtrl() = default;

bool SciFiGameCtrl::GetMousePosition(D3DXVECTOR2& position)
{
    (void)position;
    return false;
}

bool SciFiGameCtrl::IsMultiplayerGame(bool flagOnly) const
{
    if (m_MultiplayerGame || flagOnly)
        return m_MultiplayerGame;
    // The connection test only reads; the engine declares it without const.
    return const_cast<SciFiGameCtrl*>(this)->IsNetworkGame();
}
