// WorldCtrl: the log messages and the timed text messages the players are shown, and the
// translation of texts through the localisation database.
#include "world/WorldCtrl.h"

#include "base/LocalText.h"
#include "base/Utf8.h"
#include "world/GameCtrlInterface.h"

#include <algorithm>
#include <cstdarg>
#include <string>

namespace {

int32_t g_TextMessageSequence = 0;  // the whole program numbers its text messages

// The text as UTF-8 for a lookup; units that do not convert become blanks.
String ToLookupText(const char16_t* text)
{
    String narrow;
    if (!Utf8::FromUtf16(text, narrow))
        narrow = String(text);
    return narrow;
}

bool StartsWithDB(const wString& text) { return text.StartsWith(u"DB:"); }

}  // namespace

void WorldCtrl::AddLogMessage(const wString& text, float duration, bool noDuplicate)
{
    wString shown = text;
    if (StartsWithDB(text)) {
        uint8_t found = 0;
        wString gui = GetCtrl().GetGuiDBText("logmsg", ToLookupText(text.c_str() + 3).c_str(), &found);
        if (found)
            shown = gui;
    }
    if (noDuplicate) {
        for (int32_t i = 0; i < m_LogMessages.GetSize(); i++)
            if (m_LogMessages.GetAt(i)->text == shown)
                return;
    }
    LogMessageData* entry = m_LogMessages.GetBySlot(m_LogMessages.Add());
    entry->text = shown;
    entry->time = duration * 2.0f;
}

void WorldCtrl::ShowTextMessageByKey(float duration, const wString& key)
{
    // The newest message is the last in the order of showing.
    if (TextMessage* newest = m_TextMessages.GetAt(m_TextMessages.GetSize() - 1); newest && newest->key == key) {
        newest->time = std::max(newest->time, duration);
        return;
    }
    GameCtrlInterface& ctrl = GetCtrl();
    wString text;
    uint8_t found = 0;
    if (!StartsWithDB(key))
        text = ctrl.GetGuiDBText("message", ToLookupText(key.c_str()).c_str(), &found);
    if (!found) {
        text = StartsWithDB(key) ? key : wString(u"DB:") + key;
        ctrl.DBGetField(text, "Messages", "content");
    }
    ctrl.ProcessText(text);
    TextMessage* entry = m_TextMessages.GetBySlot(m_TextMessages.Add());
    entry->key = key;
    entry->text = text;
    entry->time = duration;
    entry->sequence = ++g_TextMessageSequence;
    m_TextMessages.Sort();
}

void WorldCtrl::ShowTextMessage(float duration, const char16_t* format, ...)
{
    wString text;
    va_list args;
    va_start(args, format);
    text.FormatV(format ? format : u"", args);
    va_end(args);
    if (text.TextLength() >= kTextMessageChars)
        text = std::u16string(text.c_str(), kTextMessageChars - 1).c_str();
    ShowTextMessageByKey(duration, text);
}

void WorldCtrl::UpdateTextMessages(float dt)
{
    TextMessage* first = m_TextMessages.GetAt(0);
    if (!first)
        return;
    first->time -= dt;
    if (first->time <= 0.0f) {
        m_TextMessages.Delete(m_TextMessages.GetUsedSlot(0));
        m_TextMessages.Sort();  // the index rebuilt after a deletion follows the slots, not the order
    }
}

// Each log message counts down by itself; without this a server, which draws none of them, would
// keep every message of the game.
void WorldCtrl::UpdateLogMessages(float dt)
{
    for (int32_t slot = m_LogMessages.NextUsedSlot(-1); slot >= 0; slot = m_LogMessages.NextUsedSlot(slot)) {
        LogMessageData* entry = m_LogMessages.GetBySlot(slot);
        if (entry && (entry->time -= dt) <= 0.0f)
            m_LogMessages.Delete(slot);
    }
}

wString WorldCtrl::TranslateText(const wString& text)
{
    if (text.IsEmpty())
        return wString();
    wString result = text;
    if (text.StartsWith(u"SELECT") || StartsWithDB(text)) {
        wString answer;
        if (LocalText::Get().Translate(ToLookupText(text.c_str()).c_str(), answer))
            result = answer;
    }
    GetCtrl().ProcessText(result);
    return result;
}

void WorldCtrl::ClearMessages()
{
    m_TextMessages.DeleteAll();
    m_Subtitle.text = String();
    m_LogMessages.DeleteAll();
}
