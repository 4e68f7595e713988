// WorldCtrl: the action and strategy entries by name, which the game data loaders fill and the
// creatures, items and scripts look up.
#include "world/WorldCtrl.h"

ActionEntry* WorldCtrl::FindActionEntry(const char* name, bool report)
{
    ActionEntry* entry = name ? m_ActionTree.Find(name) : nullptr;
    if (!entry && report)
        Error("Action entry '%s' not found", name ? name : "");
    return entry;
}

KI_Strategy* WorldCtrl::FindStrategyEntry(const char* name, bool report)
{
    KI_Strategy* entry = name ? m_StrategyTree.Find(name) : nullptr;
    if (!entry && report)
        Error("Strategy entry '%s' not found", name ? name : "");
    return entry;
}

float WorldCtrl::GetActionEntryValue(const char* name) { return FindActionEntry(name, true)->GetFirstStepValue(); }
