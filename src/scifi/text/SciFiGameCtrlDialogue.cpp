// SciFiGameCtrl: dialogue lines and on-screen messages with their speech. A dialogue key
// ("DB:" + id) names a row of "Dialogues_<class>" or "Dialogues" (columns "speaker", "text"); its
// speech is "lang\<langdir>dialogues\<id>.ogg", the hero's lines with the class's voice prefix.
// The server has no sound and never draws the dialogue window, but looks every line up all the
// same: the window's open state is what the game asks to see whether a dialogue runs.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/File.h"
#include "game/ctrl/GuiDBText.h"
#include "game/objects/CreatureObj.h"
#include "scifi/text/VoiceClass.h"
#include "world/WorldCtrl.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

constexpr int32_t kMessageChars = 1024;

// "lang\<langdir>dialogues\" + the file.
String DialogueSpeechPath(WorldCtrl& world, const String& file)
{
    String path;
    path.Format("lang\\%sdialogues\\%s", world.GetLanguageDir().c_str(), file.c_str());
    return path;
}

// The field of the key's row, from the class's table first, then the general one; false when
// neither has it.
bool DialogueField(const VoiceClass& voice, const String& key, const char* field, wString& out)
{
    const String classTable = voice.TableName("Dialogues");
    wString text(key.c_str());
    if (!classTable.IsEmpty() && DBGetField(text, classTable.c_str(), field)) {
        out = text;
        return true;
    }
    text = key.c_str();
    if (DBGetField(text, "Dialogues", field)) {
        out = text;
        return true;
    }
    return false;
}

}  // namespace

void SciFiGameCtrl::PlayDialogueLine(const String& key, WorldElem* first, WorldElem* second, int32_t scriptID,
                                     bool speechOnly)
{
    CreatureObj* hero = GetMainChar();
    if (!hero)
        return;  // on the server: until a player has joined
    const VoiceClass voice(hero);
    wString speaker;
    String speechPath;
    if (key.StartsWith("DB:")) {
        DialogueField(voice, key, "speaker", speaker);
        String speechFile(key.c_str() + 3);
        speechFile += ".ogg";
        if (speaker == u"_hero") {
            speaker = GetPlayerName();
            speechFile = voice.VoicedFile(speechFile);
        } else {
            DBGetField(speaker, "Names", "content");  // a speaker without a row keeps its id
        }
        speechPath = DialogueSpeechPath(m_World, speechFile);
    }
    if (speechOnly) {
        if (!speechPath.IsEmpty() && File::Exists(speechPath.c_str()))
            m_World.PlaySpeech(speechPath.c_str(), 1);
        return;
    }
    wString text;
    if (!DialogueField(voice, key, "text", text)) {
        text = key.c_str();
        m_World.TranslateWString(text);
    }
    m_DialogWindow.ShowLine(speaker, text, speechPath, first, second, scriptID);
}

void SciFiGameCtrl::ShowMessage(float duration, const char* format, ...)
{
    char message[kMessageChars];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    ShowWorldMessage(wString(message), duration);
    CreatureObj* hero = GetMainChar();
    if (!hero || std::strncmp(message, "DB:", 3) != 0)
        return;
    String file;
    file.Format("MSG_%s.ogg", message + 3);
    const String path = DialogueSpeechPath(m_World, VoiceClass(hero).VoicedFile(file));
    if (File::Exists(path.c_str()))
        m_World.PlaySpeech(path.c_str(), 1);
}

bool SciFiGameCtrl::IsDialogActive(WorldElem* creature)
{
    (void)creature;  // one dialogue runs at a time, whoever speaks
    return m_DialogWindow.IsOpen() != 0;
}
