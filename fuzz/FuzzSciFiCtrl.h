// FuzzSciFiCtrl: the game's controller that the creature record targets load into: its factories
// make the creature's damage values and items, and it knows the strategy and the two items the
// seeds' creatures name.
#pragma once
#include "FuzzTarget.h"

#include "scifi/ctrl/SciFiGameCtrl.h"
#include "world/KI_Strategy.h"

namespace Fuzz {

inline SciFiGameCtrl& SciFiCtrl()
{
    static SciFiGameCtrl* ctrl = [] {
        LoadGameConfig();  // the world of a controller needs its language directory
        auto* made = new SciFiGameCtrl;
        made->GetWorld().GetStrategyTree().Insert(String("Guard"))->name = "Guard";
        static const char kItems[] = "#1\ndesc = \"rifle\"\n#2\ndesc = \"medkit\"\n";  // the seeds' items
        made->GetItemReader().SetDescKey("desc");
        made->GetItemReader().OpenMemory(kItems, int32_t(sizeof kItems - 1));
        return made;
    }();
    return *ctrl;
}

}  // namespace Fuzz
