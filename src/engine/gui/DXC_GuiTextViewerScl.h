// DXC_GuiTextViewerScl: a framed, scrollable text window with a close button, and the small
// windows of the game built like it for now: the error window, the pop-up message, the message
// box, the subtitle window and the selection menu. Their text is the text viewer's entry list.
#pragma once
#include "base/String.h"
#include "engine/gui/DXC_CloseButtonField.h"
#include "engine/gui/DXC_GuiScaleableText.h"

#include <cstdint>

class DXC_GuiTextViewerScl : public DXC_GuiScaleableText, public virtual DXC_CloseButtonField {
public:
    DXC_GuiTextViewerScl();
    ~DXC_GuiTextViewerScl() override;

    void Render() override;
};

class ErrorMsgGui : public DXC_GuiTextViewerScl {
public:
    ErrorMsgGui() { SetName("ErrorMsgGui"); }
};

class PopUpMessageGui : public DXC_GuiTextViewerScl {
public:
    PopUpMessageGui() { SetName("PopUpMessageGui"); }
};

class MessageBoxGui : public DXC_GuiTextViewerScl {
public:
    MessageBoxGui() { SetName("MessageBoxGui"); }
};

// Shows one subtitle line, revealed letter by letter. The game's subtitles drive it step by
// step: opacity, the entries emptied, start time and display limit (the reveal's start and
// speed), the line, then the reveal at a rate of characters per second.
class SubTitleGui : public DXC_GuiTextViewerScl {
public:
    static constexpr float kFadeWidth = 10.0f;  // characters fading in at the reveal's edge

    SubTitleGui() { SetName("SubTitleGui"); }

    // The line alone, revealed over the seconds.
    void ShowLine(const wString& line, float seconds);
    float GetDisplayTime() const { return m_DisplayTime; }

    void SetAlpha(float alpha) { m_Alpha = alpha; }
    float GetAlpha() const { return m_Alpha; }
    // The entries go, and with them the formatted text.
    void ClearFormattedText()
    {
        Reset();
        m_FormattedText = wString();
    }
    void AddFormattedLine(const wString& text)
    {
        AddLine(text);
        m_FormattedText += text;
    }
    // Characters of the formatted text: what the reading time is measured by.
    int32_t GetTextCount() const { return m_FormattedText.TextLength(); }
    void SetStartTime(double seconds) { SetRevealStart(seconds); }
    double GetStartTime() const { return GetRevealStart(); }
    void SetDisplayLimit(float seconds) { SetRevealSpeed(seconds); }
    float GetDisplayLimit() const { return GetRevealSpeed(); }
    // The reveal at rate characters per second with fadeWidth characters fading in; the text
    // takes its count over the rate to show.
    void StartDisplay(float rate, float width)
    {
        m_DisplayTime = rate > 0.0f ? float(GetTextCount()) / rate : 0.0f;
        StartReveal(rate, width);
        SetOpenState(true);
    }
    float GetRate() const { return GetRevealSpeed(); }
    // The fade after a line: the pause that follows it.
    void SetFadeTime(float seconds) { m_FadeTime = seconds; }
    float GetFadeTime() const { return m_FadeTime; }

private:
    float m_DisplayTime = 0.0f;
    float m_Alpha = 1.0f;
    wString m_FormattedText;
    float m_FadeTime = 0.0f;
};

// The entries a waiting script offers the player, under a title.
class SelectMenu : public DXC_GuiTextViewerScl {
public:
    SelectMenu() { SetName("SelectMenu"); }

    void SetTitle(const wString& text) { m_Title = text; }
    const wString& GetTitle() const { return m_Title; }

private:
    wString m_Title;
};
