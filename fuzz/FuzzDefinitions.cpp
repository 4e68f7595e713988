// FuzzDefinitions: arbitrary text loaded as the action definitions ("cfg\actions.cfg") and as
// the AI strategy definitions ("cfg\strategy.cfg"). Errors are the controller's reports; every
// other way out is a finding, and so is a loaded part whose index or owner is not its own, or a
// strategy deed that does not belong to its strategy.
#include "FuzzTarget.h"

#include "game/ctrl/GameCtrl.h"
#include "world/ActionEntry.h"
#include "world/KI_Strategy.h"

namespace {

// Blocks of up to 256 copies each: a larger text is a memory test, not a parser test.
constexpr size_t kMaxText = 1 << 13;

// A game directory of this process, current from the first input on; the controller's world
// needs its language directory.
GameCtrl& Ctrl()
{
    static GameCtrl* ctrl = [] {
        std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("fuzz-definitions-" + std::to_string(std::random_device()()));
        std::filesystem::create_directories(dir / "cfg");
        std::filesystem::current_path(dir);
        Fuzz::LoadGameConfig();
        return new GameCtrl;
    }();
    return *ctrl;
}

template <class Part> void CheckParts(DynaMem<Part, 4>& parts, const ActionEntry* action)
{
    for (int32_t position = 0; position < parts.GetSize(); position++)
        if (parts.GetAt(position)->index != position || parts.GetAt(position)->owner != action)
            Fuzz::Finding("an action part with another index or owner");
}

void CheckActions(GameCtrl& ctrl)
{
    SearchTree<ActionEntry>& tree = ctrl.GetWorld().GetActionTree();
    tree.ResetWalk();
    while (ActionEntry* action = tree.GetNext()) {
        CheckParts(action->effects, action);
        CheckParts(action->shots, action);
        CheckParts(action->spells, action);
        for (int32_t position = 0; position < action->attacks.GetSize(); position++) {
            ActionAttack* attack = action->attacks.GetAt(position)->Get();
            if (!attack || attack->index != position || attack->owner != action)
                Fuzz::Finding("an attack with another index or owner");
        }
        if (!(action->duration > action->recharge) || action->anicycle < -1 || action->anicycle > 63)
            Fuzz::Finding("an action that its checks should have refused");
    }
}

void CheckStrategies(GameCtrl& ctrl)
{
    SearchTree<KI_Strategy>& tree = ctrl.GetWorld().GetStrategyTree();
    tree.ResetWalk();
    while (KI_Strategy* strategy = tree.GetNext())
        for (KI_StratBlock& block : strategy->blocks)
            for (int32_t position = 0; position < block.entries.GetSize(); position++) {
                const KI_StratEntry* deed = block.entries.GetAt(position);
                if (deed->owner != strategy || deed->type < 0 || deed->type >= KI_StratEntry::kNotADeed)
                    Fuzz::Finding("a strategy deed of another strategy or of no deed");
            }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size > kMaxText)
        return 0;
    GameCtrl& ctrl = Ctrl();
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const char* name : {"cfg/actions.cfg", "cfg/strategy.cfg"})
        std::ofstream(name, std::ios::binary | std::ios::trunc) << text;
    // A file rewritten within the second keeps its time: the readers are told to read again.
    ctrl.GetActionReader().Clear();
    ctrl.GetStrategyReader().Clear();
    try {
        ctrl.LoadActions();
        CheckActions(ctrl);
    } catch (const ErrorMsg&) {  // how a malformed entry is reported
    }
    try {
        ctrl.LoadStrategies();
        CheckStrategies(ctrl);
    } catch (const ErrorMsg&) {
    }
    return 0;
}
