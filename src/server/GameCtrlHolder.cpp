// GameCtrlHolder: making and releasing the controller.
#include "server/GameCtrlHolder.h"

#include "scifi/ctrl/SciFiGameCtrl.h"

GameCtrlHolder::GameCtrlHolder() = default;

GameCtrlHolder::~GameCtrlHolder() = default;

SciFiGameCtrl& GameCtrlHolder::Create()
{
    m_Ctrl.reset();  // the old controller goes before the new one takes the global pointer
    m_Ctrl = std::make_unique<SciFiGameCtrl>();
    return *m_Ctrl;
}

void GameCtrlHolder::Release() { m_Ctrl.reset(); }
