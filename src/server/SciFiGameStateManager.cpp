// SciFiGameStateManager: the server's states on the game controller.
#include "server/SciFiGameStateManager.h"

#include "base/Log.h"
#include "server/SciFiGameServer.h"

#include <atomic>

namespace {

std::atomic<bool> g_StopRequested{false};  // set from a signal handler

}  // namespace

SciFiGameStateManager::SciFiGameStateManager(SciFiGameServer& ctrl) : m_Ctrl(ctrl)
{
    CopyName32(this, "SciFiGameStateManager");
}

void SciFiGameStateManager::OnSkippedTime(double seconds)
{
    m_Ctrl.OnSkippedTime(seconds);
    if (m_Ctrl.IsNetworkGame())
        m_Ctrl.AdvanceGameTime(float(seconds));
}

void SciFiGameStateManager::OnDeactivate() { m_Ctrl.HaltSounds(); }

void SciFiGameStateManager::OnActivate()
{
    m_Ctrl.ContinueSounds();
    m_Ctrl.GetWorld().ClearSounds();
}

void SciFiGameStateManager::EnterState(int32_t state)
{
    if (state == kStateGame)
        m_Ctrl.EnterGameState();
    else if (state == kStateEndOfGame)
        SetState(kStateQuit);  // the server shows no end screen
}

void SciFiGameStateManager::LeaveState(int32_t state)
{
    if (state == kStateGame)
        m_Ctrl.LeaveGameState();
    else if (state == kStateEndOfGame)
        m_Ctrl.DeleteInputCtrls();
}

void SciFiGameStateManager::Update(double step)
{
    if (IsStopRequested() && m_State != kStateQuit) {
        SetState(kStateQuit);
        return;
    }
    if (m_UpdatesLeft == 0) {
        SetState(kStateQuit);
        return;
    }
    ++m_UpdateCount;
    if (m_State == kStateGame)
        m_Ctrl.UpdateGameState(step);
    else if (m_State == kStateEndOfGame)
        m_Ctrl.UpdateEndOfGame(step);
    if (m_UpdatesLeft > 0 && --m_UpdatesLeft == 0 && m_State != kStateQuit)
        SetState(kStateQuit);
}

void SciFiGameStateManager::Draw()
{
    if (m_State == kStateGame)
        m_Ctrl.DrawGameState();
    else if (m_State == kStateEndOfGame)
        m_Ctrl.DrawEndOfGame();
}

void SciFiGameStateManager::RequestStop() { g_StopRequested.store(true); }

bool SciFiGameStateManager::IsStopRequested() { return g_StopRequested.load(); }

void SciFiGameStateManager::ClearStopRequest() { g_StopRequested.store(false); }

SciFiGameStateManager& StateManagerHolder::Create(SciFiGameServer& ctrl)
{
    m_StateManager.reset();
    m_StateManager = std::make_unique<SciFiGameStateManager>(ctrl);
    return *m_StateManager;
}
