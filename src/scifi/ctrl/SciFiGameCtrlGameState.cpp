// SciFiGameCtrl: one pass of the game state (loads, the frame step, the level events and what
// their codes ask, the player camera, the pointer, the state change, the skill roll-ups), the
// player camera's turn and leaving the game state.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/String.h"
#include "engine/gui/InputState.h"
#include "engine/gui/MouseState.h"
#include "game/ctrl/StateManager.h"
#include "level/Angle.h"
#include "scifi/ctrl/GameStateDebug.h"
#include "world/WorldElem.h"

#include <algorithm>
#include <cmath>

GameStateDebug g_GameStateDebug;

namespace {

// What the level-event step answers.
enum LevelEventCode : int32_t {
    kLevelChanged = 1,
    kNewGameStarted = 2,
    kGameComplete = 3,
    kResetLevelKeep = 4,
    kFurtherStateChange = 5,
    kResetLevel = 6,
};

constexpr float kDebugStep = 0.1f;  // seconds of a single step and of a skipped pass

}  // namespace

void SciFiGameCtrl::UpdateGameState(double elapsed)
{
    GameStateDebug& debug = g_GameStateDebug;
    if (IsPaused())
        return;
    if (debug.singleStepMode)
        elapsed = m_Keys && m_Keys->GetKeyRepeats(kSingleStepKey) > 0 ? kDebugStep : 0.0;
    if (debug.skipMode)
        elapsed = kDebugStep;
    if (m_PendingLoadRequest > 0) {
        LoadGame(0, m_PendingLoadRequest == 2 ? 1 : 0, 0);
        m_PendingLoadRequest = 0;
    }
    if (debug.loadRequestPending) {
        debug.loadRequestPending = 0;
        LoadGame(debug.requestedLoadSlot, 0, 0);
    }
    UpdateFrame(float(elapsed));
    m_FrameFlag = 0;

    if (!GuiSawPause()) {
        switch (ProcessPendingRequests()) {
        case kLevelChanged:
            RequestAutoSave(1);
            return;
        case kNewGameStarted:
            return;
        case kGameComplete:
            FinishCompletedGame();
            break;
        case kResetLevelKeep:
            ResetLevel(1);
            return;
        case kFurtherStateChange:
            break;
        case kResetLevel:
            ResetLevel(0);
            return;
        default:
            UpdateVisibilityMap();
            break;
        }
    }

    UpdatePlayerCamera();
    if (m_Mouse) {
        m_LastPointer[0] = int32_t(m_Mouse->x);
        m_LastPointer[1] = int32_t(m_Mouse->y);
        m_LastPointer[2] = int32_t(m_Mouse->wheel);
    }
    if (IsEndOfGameRequested()) {
        ClearEndOfGameRequest();
        const int32_t kind = GetEndReason();
        if (kind == 0 || kind == 1) {
            if (StateManager* stateManager = GetStateManager())
                stateManager->SetState(kind == 0 ? StateManager::kStateQuit : kStateEndOfGame);
            else
                RequestServerStop();  // a server without a state manager ends its loop
        }
    }
    DXC_GuiField* windows[] = {&m_DialogWindow, &m_SkillTreeWindow, &m_BookWindow,
                               &m_TradeWindow,  &m_MissionLogWindow, &m_CharacterWindow};
    if (GuiSawPause() || std::any_of(std::begin(windows), std::end(windows),
                                     [](DXC_GuiField* window) { return window->IsOpen() != 0; }))
        CloseSkillRollups();
}

// The completed game is kept in save slot 1 as a new game's start; the running game's folders go
// only when that save succeeded, so a failed save loses nothing.
void SciFiGameCtrl::FinishCompletedGame()
{
    if (SaveGame(1, "FIRST_GAME_LEVEL", -1, 0, wString()) == 0) {
        Warning("The completed game could not be saved; its save folders are kept");
        return;
    }
    if (GetSaveMode() == 1)
        return;
    DeleteWorkingSaveFolder();
    for (int32_t type = 0; type <= 2; ++type)
        DeleteSavedLevels(type);
}

void SciFiGameCtrl::UpdatePlayerCamera()
{
    GameStateDebug& debug = g_GameStateDebug;
    const float limit = GetMaxPitch();
    if (!debug.freeCameraMode)
        m_CameraPitch = std::min(m_CameraPitch, kMaxCameraPitch);
    debug.passCameraYaw = m_CameraYaw;
    debug.passCameraPitch = debug.freeCameraMode ? m_CameraPitch : std::min(m_CameraPitch, limit);

    float point[3];
    WorldElem* target = m_CameraTarget.Get();
    if (!debug.freeCameraMode && target) {
        const D3DXVECTOR2 at = target->GetPos();
        point[0] = at.x;
        point[1] = at.y;
        point[2] = target->GetGroundHeight() + target->GetHeight();
    } else {
        point[0] = debug.freeCameraPoint[0];
        point[1] = debug.freeCameraPoint[1];
        if (!debug.fixedTerrainHeightMode) {
            point[2] = m_World.GetFloorHeight(point[0], point[1]);
        } else {
            if (debug.fixedTerrainHeight > 8e9f)
                debug.fixedTerrainHeight = m_World.GetFloorHeight(point[0], point[1]);
            point[2] = debug.fixedTerrainHeight;
        }
    }
    SetCameraTarget(point[0], point[1], point[2], m_CameraDistance, debug.passCameraPitch, debug.passCameraYaw);
    if (m_CameraResetPending) {
        SnapCameraToTarget();
        m_CameraResetPending = 0;
    }
    if (!debug.singleStepMode || debug.freeCameraMode)
        UpdateCamera(g_LastFrameTime);
}

void SciFiGameCtrl::CloseSkillRollups()
{
    for (HUDSkillsRollup& rollup : m_HudSkillRollups)
        rollup.SetOpenState(false);
}

void SciFiGameCtrl::RotateCamera(float step)
{
    step = std::clamp(step, -3.0f, 3.0f);
    const float reference = GameCtrl::GetCameraYaw();
    const float offset = Angle::Diff(reference, m_CameraYaw) + step;
    if (std::fabs(offset) > kCameraYawReach)
        m_CameraYaw = reference + (offset < 0.0f ? -kCameraYawReach : kCameraYawReach);
    else
        m_CameraYaw += step;
}

void SciFiGameCtrl::LeaveGameState()
{
    if (!IsListening() && IsNetworkGame())
        OnLeaveNetworkGame();
    DeleteInputCtrls();
    if (m_Mouse) {
        m_Mouse->onMove = nullptr;
        m_Mouse->userValue = 0;
    }
}

void SciFiGameCtrl::OnSkippedTime(double seconds) { (void)seconds; }

void SciFiGameCtrl::UpdateEndOfGame(double elapsed) { (void)elapsed; }

void SciFiGameCtrl::OnLeaveNetworkGame()
{
    SaveCharacterForMultiplayer();
    Disconnect();
}
