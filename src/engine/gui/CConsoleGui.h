// CConsoleGui: the console's one-line input window; with it the text bar and the frame of an
// interactive scene. So far what the controller asks of them: the console's text, the bar's fill
// and caption; their input field and drawing come with the widget toolkit.
#pragma once
#include "base/String.h"
#include "engine/gui/DXC_GuiField.h"

#include <algorithm>

class CConsoleGui : public virtual DXC_GuiField {
public:
    CConsoleGui() { SetName("CConsoleGui"); }

    void SetText(const wString& value) { m_Text = value; }
    const wString& GetText() const { return m_Text; }

private:
    wString m_Text;
};

// A horizontal bar that shows a fill fraction with a centred caption.
class BarGui : public virtual DXC_GuiField {
public:
    BarGui() { SetName("BarGui"); }

    void SetValue(float fraction) { m_Value = std::clamp(fraction, 0.0f, 1.0f); }
    float GetValue() const { return m_Value; }
    void SetCaption(const wString& caption) { m_Caption = caption; }
    const wString& GetCaption() const { return m_Caption; }

private:
    float m_Value = 0.0f;
    wString m_Caption;
};

// The frame an interactive scene runs in; it has no behaviour of its own.
class InteractiveRTXGui : public virtual DXC_GuiField {
public:
    InteractiveRTXGui() { SetName("InteractiveRTXGui"); }
};
