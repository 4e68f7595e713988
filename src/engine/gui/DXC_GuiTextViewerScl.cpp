// DXC_GuiTextViewerScl: the lines of a text window; the subtitle line.
#include "engine/gui/DXC_GuiTextViewerScl.h"

#include <cstdarg>
#include <cstdio>

DXC_GuiTextViewerScl::DXC_GuiTextViewerScl() { SetName("DXC_GuiTextViewerScl"); }

void DXC_GuiTextViewerScl::Clear()
{
    m_Lines.DeleteAll();
    m_ScrollTarget = -1.0;
    m_Changed = 1;
    m_ShowTime = 10.0f;
}

void DXC_GuiTextViewerScl::AddLine(const char* text) { AddLine(wString(text ? text : "")); }

void DXC_GuiTextViewerScl::AddLine(const wString& text)
{
    const int32_t slot = m_Lines.Add();
    if (slot >= 0)
        *m_Lines.GetBySlot(slot) = text;
    m_Changed = 1;
}

int32_t DXC_GuiTextViewerScl::AddLineF(const char* format, ...)
{
    // A buffer of the call's own: the lines of several threads' pages never share one.
    char line[kMaxFormattedLine + 1];
    va_list args;
    va_start(args, format);
    const int written = std::vsnprintf(line, sizeof line, format ? format : "", args);
    va_end(args);
    if (written < 0)
        line[0] = 0;
    AddLine(line);
    return GetNumLines() - 1;
}

wString DXC_GuiTextViewerScl::GetLine(int32_t position)
{
    const wString* line = m_Lines.GetAt(position);
    return line ? *line : wString();
}

void SubTitleGui::ShowLine(const wString& line, float seconds)
{
    Clear();
    AddLine(line);
    m_DisplayTime = seconds;
    SetOpenState(true);
}
