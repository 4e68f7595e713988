// ServerInputs: the server's input controllers, made when the game state is entered.
#include "server/ServerInputs.h"

#include "base/Log.h"
#include "base/String.h"
#include "game/ctrl/GameCtrl.h"
#include "scifi/input/SciFiInputCtrl.h"

namespace ServerInputs {

bool IsHeroSwitch(const char* argument) { return argument && String(argument).EqualsNoCase("--hero"); }

void Register(GameCtrl& ctrl, bool hero)
{
    if (hero)
        ctrl.AddInputCtrl(new SciFiInputCtrl, GameCtrl::kInputLocal);
    ctrl.AddInputCtrl(new SciFiInputCtrl, GameCtrl::kInputAI);
    Log::Write("AI Input created");
}

}  // namespace ServerInputs
