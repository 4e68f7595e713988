// DialogGui: the dialogue window: the line it shows (speaker, text, speech file), the two
// partners of the dialogue and the script that waits for its end. It draws nothing yet; the
// server's window takes the line all the same, so that the game sees a dialogue running.
#pragma once
#include "base/SmartPtr.h"
#include "base/String.h"
#include "game/gui/GameGuiField.h"

#include <cstdint>

class DialogGui : public GameGuiField {
public:
    static constexpr int32_t kNoScript = -1;

    explicit DialogGui(bool createChildren = true) : GameGuiField("DialogGui", createChildren) {}

    // Opens the window; the flag asks for its opening fade, which comes with its drawing.
    void Open(int32_t fade)
    {
        (void)fade;
        SetOpenState(true);
    }
    // Takes the line and opens the window; the speech plays where sound does.
    void ShowLine(const wString& speaker, const wString& text, const String& speechPath, WorldElem* first,
                  WorldElem* second, int32_t scriptID)
    {
        m_Speaker = speaker;
        m_Text = text;
        m_SpeechPath = speechPath;
        m_Partners[0] = first;
        m_Partners[1] = second;
        m_ScriptID = scriptID;
        Open(1);
    }
    // Ends the dialogue: no partner, no script waits.
    void Close()
    {
        m_Partners[0] = nullptr;
        m_Partners[1] = nullptr;
        m_ScriptID = kNoScript;
        SetOpenState(false);
    }
    const wString& GetSpeaker() const { return m_Speaker; }
    const wString& GetText() const { return m_Text; }
    const String& GetSpeechPath() const { return m_SpeechPath; }
    WorldElem* GetPartner(int32_t index) const { return index >= 0 && index < 2 ? m_Partners[index].Get() : nullptr; }
    int32_t GetScriptID() const { return m_ScriptID; }
    // The dialogue's end was handled: kNoScript when nothing waits any more.
    void SetScriptID(int32_t scriptID) { m_ScriptID = scriptID; }

private:
    wString m_Speaker;
    wString m_Text;
    String m_SpeechPath;
    SmartPtr<WorldElem> m_Partners[2];
    int32_t m_ScriptID = kNoScript;
};
