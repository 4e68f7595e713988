// GameCtrl: a subtitle line of the localisation database with its speaker, shown in the subtitle
// window for as long as its speech file plays.
#include "game/ctrl/GameCtrl.h"

#include "base/File.h"
#include "base/GameOptions.h"
#include "base/LocalText.h"
#include "base/SoundFile.h"
#include "base/Utf8.h"
#include "game/ctrl/GuiDBText.h"

#include <algorithm>
#include <vector>

namespace {

constexpr float kMinReadingCharacters = 10.0f;  // a short line stays as long as ten characters

}  // namespace

// Tables "Subtitles_<character>" (the main character's own lines) and "Subtitles", columns id,
// value (the line number), speaker, content. The speech file of a line:
// "lang\<langdir>speech\subtitles\<id>\[<speaker>\]<id>_<line>.ogg", the id without "DB:", no
// speaker folder for the hero or an unnamed speaker.
float GameCtrl::GetSubtitle(const char* id, int32_t line, int32_t show)
{
    if (g_Options.soundMute)
        return 0.0f;
    String character;
    if (CreatureObj* hero = GetMainChar()) {
        character = hero->m_CfgID;
        if (character.StartsWith("ch_"))
            character = String(character.c_str() + 3);
    }
    LocalText::BoundValue idValue;
    idValue.text = id ? id : "";
    LocalText::BoundValue lineValue;
    lineValue.kind = LocalText::BoundValue::kInteger;
    lineValue.integer = line;
    const std::vector<LocalText::BoundValue> values = {idValue, lineValue};
    LocalText& database = LocalText::Get();
    int32_t result = -1;
    if (IsPlainSqlName(character.c_str())) {  // any other name could change the query: the general table
        String sql;
        sql.Format("SELECT speaker,content FROM Subtitles_%s WHERE id=? AND value=?", character.c_str());
        result = database.RunQuery(sql.c_str(), values, 1);
    }
    if (result != 1)
        result = database.RunQuery("SELECT speaker,content FROM Subtitles WHERE id=? AND value=?", values, 1);
    if (result != 1)
        return 0.0f;
    const wString speaker = database.GetResultRows().GetAt(0)->text;
    const wString content = database.GetResultRows().GetAt(1)->text;
    const bool named = !speaker.IsEmpty() && !(speaker == wString(u"hero"));

    String folder(idValue.text.c_str());
    if (folder.StartsWith("DB:"))
        folder = String(folder.c_str() + 3);
    String speechFile;
    speechFile.Format("lang\\%sspeech\\subtitles\\%s\\", m_World.GetLanguageDir().c_str(), folder.c_str());
    if (named) {
        String folderName;  // file names are UTF-8, as the database's texts
        if (!Utf8::FromUtf16(speaker.c_str(), folderName))
            folderName = speaker.ToNarrow();
        speechFile += folderName;
        speechFile += "\\";
    }
    String name;
    name.Format("%s_%i.ogg", folder.c_str(), line);
    speechFile += name;
    const float speechTime = File::Exists(speechFile.c_str()) ? float(SoundFile::GetLength(speechFile.c_str())) : 0.0f;

    wString text;
    if (named) {
        wString shownName = speaker;
        DBGetField(shownName, "Names", "content");
        text = shownName;
        text += u": ";
    }
    text += content;
    if (show) {
        float seconds = speechTime;
        if (seconds <= 0.0f) {
            const float speed = g_Options.dialogTextSpeed > 0.0f ? g_Options.dialogTextSpeed : 25.0f;
            seconds = std::max(float(text.TextLength()), kMinReadingCharacters) / speed;
        }
        m_SubTitleWindow.ShowLine(text, seconds);
    }
    return speechTime;
}
