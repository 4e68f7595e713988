// SciFiGameCtrl: the game's subtitles. A key "DB:<id>,<value>" names a row of
// "Subtitles_<class>" or "Subtitles" (columns id, value, speaker, content); its speech is
// "lang\<langdir>subtitles\<id>.ogg", the hero's with the class's voice prefix. The line is shown
// in the engine's subtitle window for its speech's length (or a reading time of 25 characters a
// second), and the caller waits that long plus "SubtitlePause". The server shows nothing but
// computes the same times, which its scripts wait on.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/File.h"
#include "base/LocalText.h"
#include "game/ctrl/GuiDBText.h"
#include "game/objects/CreatureObj.h"
#include "scifi/ctrl/GameStateDebug.h"
#include "scifi/ctrl/SciFiRules.h"
#include "scifi/text/VoiceClass.h"
#include "world/WorldCtrl.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr float kReadingCharsPerSecond = 25.0f;
constexpr float kLeastDisplayTime = 0.5f;
constexpr float kDisplayLimit = 10.0f;

// The key's id and value: "DB:intro,2" gives "DB:intro" and 2; without a value part the line
// number stands in. A value that is no whole number is bound as its text.
std::vector<LocalText::BoundValue> SubtitleKey(const char* key, int32_t line, std::string& id)
{
    const std::string text = key ? key : "";
    const size_t comma = text.find(',');
    id = text.substr(0, comma);
    LocalText::BoundValue idValue;
    idValue.text = id;
    LocalText::BoundValue value;
    value.kind = LocalText::BoundValue::kInteger;
    value.integer = line;
    if (comma != std::string::npos) {
        const std::string part = text.substr(comma + 1);
        char* end = nullptr;
        errno = 0;
        const long long number = std::strtoll(part.c_str(), &end, 10);
        if (!part.empty() && end && *end == 0 && errno == 0) {
            value.integer = number;
        } else {
            value.kind = LocalText::BoundValue::kText;
            value.text = part;
        }
    }
    return {idValue, value};
}

}  // namespace

float SciFiGameCtrl::GetSubtitle(const char* id, int32_t line, int32_t show)
{
    (void)show;
    if (g_GameStateDebug.skipMode)
        return 0.0f;
    const VoiceClass voice(GetMainChar());
    std::string lineID;
    const std::vector<LocalText::BoundValue> values = SubtitleKey(id, line, lineID);
    LocalText& database = LocalText::Get();
    int32_t result = 0;
    const String classTable = voice.TableName("Subtitles");
    if (!classTable.IsEmpty()) {
        String sql;
        sql.Format("SELECT speaker,content FROM %s WHERE id=? AND value=?", classTable.c_str());
        result = database.RunQuery(sql.c_str(), values, 1);
    }
    if (result != 1)
        result = database.RunQuery("SELECT speaker,content FROM Subtitles WHERE id=? AND value=?", values, 1);

    wString text;
    float length = 0.0f;
    const int32_t count = result == 1 ? database.GetResultRows().GetSize() : 0;
    if (count > 0) {
        wString speaker = database.GetResultRows().GetAt(0)->text;
        const wString content = database.GetResultRows().GetAt(std::min(count - 1, 1))->text;
        String speechFile(lineID.c_str());
        if (speechFile.StartsWith("DB:"))
            speechFile = String(speechFile.c_str() + 3);
        speechFile += ".ogg";
        if (!speaker.IsEmpty()) {
            if (speaker == u"hero") {
                speaker = GetPlayerName();
                speechFile = voice.VoicedFile(speechFile);
            } else {
                DBGetField(speaker, "Names", "content");
            }
        }
        String speechPath;
        speechPath.Format("lang\\%ssubtitles\\%s", m_World.GetLanguageDir().c_str(), speechFile.c_str());
        if (File::Exists(speechPath.c_str()))
            length = float(WorldCtrl::GetSoundFileLength(speechPath.c_str()));
        if (!speaker.IsEmpty()) {
            text = speaker;
            text += u": ";
        }
        text += content;
    }

    SubTitleGui& window = GetSubTitleWindow();
    window.SetAlpha(1.0f);
    window.ClearFormattedText();
    window.SetStartTime(0.0);
    window.SetDisplayLimit(kDisplayLimit);
    window.AddFormattedLine(text);
    float duration = length;
    if (duration <= 0.0f) {
        duration = float(window.GetTextCount()) / kReadingCharsPerSecond;
        length = duration;
    }
    duration += g_SciFiRules.subtitleFadeOffset;
    if (duration <= kLeastDisplayTime)
        duration = kLeastDisplayTime;
    window.StartDisplay(float(window.GetTextCount()) / duration, SubTitleGui::kFadeWidth);
    window.SetFadeTime(g_SciFiRules.subtitlePause - g_SciFiRules.subtitleFadeOffset);
    return g_SciFiRules.subtitlePause + length;
}
