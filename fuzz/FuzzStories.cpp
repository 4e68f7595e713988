// FuzzStories: arbitrary text loaded as the stories ("cfg\stories.cfg"), without a localisation
// database, so that every quest line walks to its quoted strings. Errors are the controller's
// reports; every other way out is a finding, and so is a story whose quests are out of order.
#include "FuzzTarget.h"

#include "game/ctrl/GameCtrl.h"

namespace {

constexpr size_t kMaxText = 1 << 14;

// A game directory of this process, current from the first input on.
GameCtrl& Ctrl()
{
    static GameCtrl* ctrl = [] {
        std::filesystem::path dir =
            std::filesystem::temp_directory_path() / ("fuzz-stories-" + std::to_string(std::random_device()()));
        std::filesystem::create_directories(dir / "cfg");
        std::filesystem::current_path(dir);
        Fuzz::LoadGameConfig();
        return new GameCtrl;
    }();
    return *ctrl;
}

void CheckStories(GameCtrl& ctrl)
{
    SearchTree<StoryVariable>& tree = ctrl.GetStories();
    tree.ResetWalk();
    while (StoryVariable* story = tree.GetNext()) {
        if (story->name.IsEmpty())
            Fuzz::Finding("a story without a name");
        for (int32_t position = 1; position < story->quests.GetSize(); position++)
            if (story->quests.GetAt(position)->value < story->quests.GetAt(position - 1)->value)
                Fuzz::Finding("quests out of order");
        bool solved = false;
        const int32_t stage = story->GetQuestStage(false, solved);
        if (stage < -1 || stage >= story->quests.GetSize())
            Fuzz::Finding("a quest stage outside the quests");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size > kMaxText)
        return 0;
    GameCtrl& ctrl = Ctrl();
    std::ofstream("cfg/stories.cfg", std::ios::binary | std::ios::trunc)
        << std::string(reinterpret_cast<const char*>(data), size);
    try {
        ctrl.LoadStories();
        CheckStories(ctrl);
    } catch (const ErrorMsg&) {  // how a malformed line is reported
    }
    return 0;
}
