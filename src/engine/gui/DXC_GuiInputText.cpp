// DXC_GuiInputText: the state, the flag while focused, the caret placed by a click, measuring and
// drawing.
#include "engine/gui/DXC_GuiInputText.h"

#include "base/Timer.h"
#include "engine/gfx/DXC_Font.h"
#include "engine/gfx/DXC_Gfx.h"
#include "engine/gfx/DXC_PrintfContainer.h"
#include "engine/gui/DXC_GuiFontScope.h"
#include "engine/gui/DXC_GuiManager.h"

#include <algorithm>
#include <cmath>

int32_t textInputActive = 0;

DXC_GuiInputText::DXC_GuiInputText()
{
    SetName("DXC_GuiInputText");
    caretTime = Now();
}

DXC_GuiInputText::~DXC_GuiInputText() { textInputActive = 0; }

double DXC_GuiInputText::Now() { return Timer::GetTime(); }

void DXC_GuiInputText::TouchCaret() { caretTime = Now(); }

void DXC_GuiInputText::SetText(const wString& value)
{
    text.assign(value.c_str());
    if (int32_t(text.size()) > maxLength)
        text.resize(size_t(maxLength));
    caret = int32_t(text.size());
    TouchCaret();
}

void DXC_GuiInputText::SetLayout(int32_t capX, int32_t capY, int32_t txtX, int32_t txtY, int32_t txtWidth,
                                 int32_t txtHeight)
{
    captionX = capX;
    captionY = capY;
    textX = txtX;
    textY = txtY;
    textWidth = txtWidth;
    textHeight = txtHeight;
}

void DXC_GuiInputText::Reset(bool keepText)
{
    result = 0;
    if (keepText)
        return;
    text.clear();
    caret = 0;
    TouchCaret();
}

void DXC_GuiInputText::SetMaxLength(int32_t length) { maxLength = std::clamp(length, 0, kMaxLengthLimit); }

void DXC_GuiInputText::SetCaret(int32_t index)
{
    caret = std::clamp(index, 0, int32_t(text.size()));
    TouchCaret();
}

bool DXC_GuiInputText::IsCharAllowed(char16_t c) const
{
    for (const char16_t* p = forbidden.c_str(); *p; ++p)
        if (*p == c)
            return false;
    if (inputMode != 1 && inputMode != 2)
        return true;
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u' ' ||
           c == u'_' || c == u'-';
}

bool DXC_GuiInputText::IsCaretVisible() const
{
    if (focused != 1)
        return false;
    const double seconds = std::floor(Now() - caretTime);
    return std::fmod(seconds, 2.0) == 0.0;
}

void DXC_GuiInputText::OnGotFocus()
{
    DXC_GuiTexField::OnGotFocus();
    textInputActive = 1;
}

void DXC_GuiInputText::OnLostFocus()
{
    DXC_GuiTexField::OnLostFocus();
    textInputActive = 0;
}

DXC_Font* DXC_GuiInputText::ResolveFont() const
{
    if (font)
        return font;
    return manager ? manager->GetDefaultFont() : nullptr;
}

float DXC_GuiInputText::MeasureRange(int32_t from, int32_t to) const
{
    DXC_Font* measured = ResolveFont();
    if (!measured)
        return 0.0f;
    const DXC_GuiFontScope scope(nullptr, measured, scale, 0);
    float width = 0.0f;
    for (int32_t i = std::max(from, 0); i < std::min(to, int32_t(text.size())); ++i)
        width += measured->GetGlyphAdvance(measured->GlyphOf(text[size_t(i)]));
    return width;
}

int32_t DXC_GuiInputText::LineStartBefore(int32_t index) const
{
    for (int32_t i = std::min(index, int32_t(text.size())) - 1; i >= 0; --i)
        if (text[size_t(i)] == kLineBreak)
            return i + 1;
    return 0;
}

int32_t DXC_GuiInputText::LineEndFrom(int32_t index) const
{
    for (int32_t i = std::max(index, 0); i < int32_t(text.size()); ++i)
        if (text[size_t(i)] == kLineBreak)
            return i;
    return int32_t(text.size());
}

int32_t DXC_GuiInputText::FindInLine(int32_t lineStart, float width) const
{
    const int32_t lineEnd = LineEndFrom(lineStart);
    DXC_Font* measured = ResolveFont();
    if (!measured)
        return lineEnd;
    const DXC_GuiFontScope scope(nullptr, measured, scale, 0);
    float prefix = 0.0f;
    for (int32_t i = lineStart; i < lineEnd; ++i) {
        prefix += measured->GetGlyphAdvance(measured->GlyphOf(text[size_t(i)]));
        if (prefix > width)
            return i;
    }
    return lineEnd;
}

// The line under the click counts whole line heights down from the text's origin; the caret goes
// before the character whose prefix passes the click.
DXC_GuiField* DXC_GuiInputText::OnMouse(int32_t button, int32_t event, int32_t x, int32_t y)
{
    DXC_GuiField* handled = DXC_GuiTexField::OnMouse(button, event, x, y);
    if (handled != this || event != kMousePressed || button != 0 || textAlign != kAlignLeft)
        return handled;
    int32_t line = 0;
    if (DXC_Font* measured = ResolveFont()) {
        const DXC_GuiFontScope scope(nullptr, measured, scale, 0);
        const float lineHeight = measured->GetGlyphHeight(measured->GlyphOf(u' '));
        if (lineHeight > 0.0f && y > textY)
            line = int32_t(std::min(std::floor(float(y - textY) / lineHeight), float(kMaxLengthLimit)));
    }
    int32_t lineStart = 0;
    for (int32_t i = 0; i < line; ++i) {
        const int32_t end = LineEndFrom(lineStart);
        if (end >= int32_t(text.size()))
            break;  // below the last line: the last line
        lineStart = end + 1;
    }
    caret = FindInLine(lineStart, float(x - textX));
    TouchCaret();
    return handled;
}

void DXC_GuiInputText::Render()
{
    DXC_GuiTexField::Render();
    if (!IsOpen())
        return;
    uint32_t shownColour = colour;
    DXC_Font* shown = font;
    if (!shown && manager) {
        shown = manager->GetDefaultFont();
        shownColour = manager->GetDefaultTextColour();
    }
    DXC_GuiFontScope scope(gfx, shown, scale, shownColour);
    if (!scope.CanDraw())
        return;
    int32_t x, y;
    GetAbsPos(x, y);
    gfx->SavePrintfOptions();
    DXC_PrintfOptions options;
    options.markup = 0;  // typed text shows as typed, and the caret index counts its characters
    gfx->SetPrintfOptions(options);
    const POINT captionAt{x + captionX, y + captionY};
    if (!caption.IsEmpty()) {
        if (captionAlign == kAlignCentre)
            gfx->PrintfCenteredW(captionAt, u"%s", caption.c_str());
        else if (captionAlign == kAlignRight)
            gfx->PrintfRightW(captionAt, u"%s", caption.c_str());
        else
            gfx->PrintfW(captionAt.x, captionAt.y, u"%s", caption.c_str());
    }
    const bool caretShown = IsCaretVisible();
    if (!text.empty() || caretShown) {
        options.cursorIndex = caretShown ? caret : -1;
        gfx->SetPrintfOptions(options);
        const POINT at{x + textX, y + textY};
        if (textWidth != 0 || textHeight != 0) {
            const RECT area{at.x, at.y, at.x + textWidth, at.y + textHeight};
            if (textAlign == kAlignCentre)
                gfx->PrintfCenteredInRectW(at, area, u"%s", text.c_str());
            else if (textAlign == kAlignRight)
                gfx->PrintfRightInRectW(at, area, u"%s", text.c_str());
            else
                gfx->PrintfInRectW(at, area, u"%s", text.c_str());
        } else if (textAlign == kAlignCentre) {
            gfx->PrintfCenteredW(at, u"%s", text.c_str());
        } else if (textAlign == kAlignRight) {
            gfx->PrintfRightW(at, u"%s", text.c_str());
        } else {
            gfx->PrintfW(at.x, at.y, u"%s", text.c_str());
        }
    }
    gfx->RestorePrintfOptions();
}
