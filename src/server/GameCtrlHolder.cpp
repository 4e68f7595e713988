// GameCtrlHolder: making and releasing the controller.
#include "server/GameCtrlHolder.h"

#include "server/SciFiGameServer.h"

GameCtrlHolder::GameCtrlHolder() = default;

GameCtrlHolder::~GameCtrlHolder() = default;

SciFiGameServer& GameCtrlHolder::Create()
{
    m_Ctrl.reset();  // the old controller goes before the new one takes the global pointer
    m_Ctrl = std::make_unique<SciFiGameServer>();
    return *m_Ctrl;
}

void GameCtrlHolder::Release() { m_Ctrl.reset(); }
