// GameCtrlInterface: registering the controller as the global one.
#include "world/GameCtrlInterface.h"

GameCtrlInterface* g_GameCtrl = nullptr;

GameCtrlInterface::GameCtrlInterface() { g_GameCtrl = this; }

GameCtrlInterface::~GameCtrlInterface()
{
    if (g_GameCtrl == this)
        g_GameCtrl = nullptr;
}

double GameCtrlInterface::GameTime() { return g_GameCtrl ? g_GameCtrl->GetGameTime() : 0.0; }
