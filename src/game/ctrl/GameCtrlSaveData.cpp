// GameCtrl: the count of unlocked video sequences kept across games in "cfg\gamesavedata.cfg",
// and the list of those sequences for the video menu.
#include "game/ctrl/GameCtrl.h"

#include "base/File.h"
#include "game/ctrl/GuiDBText.h"

#include <cstring>

namespace {

const char* const kSaveDataFile = "cfg\\gamesavedata.cfg";
const char* const kFreshSaveData = "UnlockedVideos=1\r\n";

// The story's sequences in the order it reaches them; the title is the "videos" text of the id.
struct VideoSequence {
    const char* id;
    const char* fileName;
};
const VideoSequence kSequences[GameCtrl::kVideoSequences] = {
    {"seq1", "sequences\\intro.ogv"}, {"seq2", "sequences\\seq2.ogv"}, {"seq3", "sequences\\seq3.ogv"},
    {"seq4", "sequences\\seq4.ogv"},  {"seq5", "sequences\\seq5.ogv"}, {"seq6", "sequences\\seq6.ogv"},
    {"seq7", "sequences\\seq7.ogv"},  {"seq8", "sequences\\outro.ogv"},
};

}  // namespace

// File layout: a name = value configuration file; "UnlockedVideos" is the count.
void GameCtrl::LoadGameSaveData(int32_t count)
{
    if (m_Settings.testChar > 0 || count <= m_UnlockedVideos.GetSize())
        return;
    if (!File::Exists(kSaveDataFile)) {
        ConfigFileReader fresh;
        fresh.OpenMemory(kFreshSaveData, int32_t(std::strlen(kFreshSaveData)));
        if (fresh.SaveAs(kSaveDataFile) != 0)
            Warning("%s", fresh.GetErrorText());
    }
    ConfigFileReader saveData;
    if (saveData.Load(kSaveDataFile) == 0) {
        saveData.SetInt("UnlockedVideos", count);
        if (saveData.Save() != 0)
            Warning("%s", saveData.GetErrorText());
    }
    BuildUnlockedVideos(count);
}

void GameCtrl::BuildUnlockedVideos(int32_t count)
{
    m_UnlockedVideos.DeleteAll();
    if (count < 1 || count > kVideoSequences)
        return;
    for (int32_t i = 0; i < count; ++i) {
        UnlockedVideoStruct* video = m_UnlockedVideos.GetBySlot(m_UnlockedVideos.Add());
        video->fileName = kSequences[i].fileName;
        video->title = GetGuiDBText("videos", kSequences[i].id, nullptr);
    }
}
