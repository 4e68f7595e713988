// DXC_GuiTextViewerScl: a scrollable text window with a close button, and the small windows of
// the game built like it: the error window, the pop-up message, the message box, the subtitle
// window and the selection menu. So far their lines; laying out and drawing the text come with
// the text viewer frame.
#pragma once
#include "base/DynaMem.h"
#include "base/String.h"
#include "engine/gui/DXC_GuiField.h"

#include <cstdint>

class DXC_GuiTextViewerScl : public virtual DXC_GuiField {
public:
    DXC_GuiTextViewerScl();

    // Empties the lines; the display values go back to theirs of a fresh text (-1.0 and 10.0).
    virtual void Clear();
    void AddLine(const char* text);
    void AddLine(const wString& text);
    // A printf-style line of at most kMaxFormattedLine characters (the rest is cut); a format that
    // fails gives an empty line. The line's position.
    static constexpr int32_t kMaxFormattedLine = 8191;
    int32_t AddLineF(const char* format, ...) __attribute__((format(printf, 2, 3)));

    int32_t GetNumLines() const { return m_Lines.GetSize(); }
    // The line at a position (0 the first), empty beyond the last.
    wString GetLine(int32_t position);
    bool IsChanged() const { return m_Changed != 0; }

protected:
    DynaMem<wString, 256> m_Lines;
    double m_ScrollTarget = -1.0;
    uint8_t m_Changed = 0;
    float m_ShowTime = 10.0f;
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

// Shows one subtitle line for a time. The game's subtitles drive it step by step: opacity, the
// formatted text emptied, start time and display limit, the line, then the timed display at a
// rate of characters per second.
class SubTitleGui : public DXC_GuiTextViewerScl {
public:
    SubTitleGui() { SetName("SubTitleGui"); }

    void ShowLine(const wString& line, float seconds);
    float GetDisplayTime() const { return m_DisplayTime; }

    void SetAlpha(float alpha) { m_Alpha = alpha; }
    float GetAlpha() const { return m_Alpha; }
    // The lines go too; the formatted text is what the lines added since.
    void ClearFormattedText()
    {
        Clear();
        m_FormattedText = wString();
    }
    void AddFormattedLine(const wString& text)
    {
        AddLine(text);
        m_FormattedText += text;
    }
    // Characters of the formatted text: what the reading time is measured by.
    int32_t GetTextCount() const { return m_FormattedText.TextLength(); }
    void SetStartTime(double seconds) { m_StartTime = seconds; }
    double GetStartTime() const { return m_StartTime; }
    void SetDisplayLimit(float seconds) { m_DisplayLimit = seconds; }
    float GetDisplayLimit() const { return m_DisplayLimit; }
    // Shows the text at rate characters per second for at most limit seconds.
    void StartDisplay(float rate, float limit)
    {
        m_Rate = rate;
        m_DisplayLimit = limit;
        m_DisplayTime = rate > 0.0f ? float(GetTextCount()) / rate : 0.0f;
        SetOpenState(true);
    }
    float GetRate() const { return m_Rate; }
    // The fade after a line: the pause that follows it.
    void SetFadeTime(float seconds) { m_FadeTime = seconds; }
    float GetFadeTime() const { return m_FadeTime; }

private:
    float m_DisplayTime = 0.0f;
    float m_Alpha = 1.0f;
    wString m_FormattedText;
    double m_StartTime = 0.0;
    float m_DisplayLimit = 10.0f;
    float m_Rate = 0.0f;
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
