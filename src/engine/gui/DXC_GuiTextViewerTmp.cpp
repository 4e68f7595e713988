// DXC_GuiTextViewerTmp: the entries, their layout into the text block, the hovered entry, the
// reveal, the drawing and the entry tooltip; the two instantiations.
#include "engine/gui/DXC_GuiTextViewerTmp.h"

#include "base/Timer.h"
#include "engine/gfx/DXC_Gfx.h"
#include "engine/gui/DXC_GuiFontScope.h"
#include "engine/gui/DXC_GuiManager.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <vector>

template <class Base>
DXC_GuiTextViewerTmp<Base>::DXC_GuiTextViewerTmp()
{
    this->SetName("DXC_GuiTextViewerTmp");
}

template <class Base> void DXC_GuiTextViewerTmp<Base>::SetOpenState(bool open) { Base::SetOpenState(open); }

template <class Base> void DXC_GuiTextViewerTmp<Base>::SetSize(int32_t width, int32_t height)
{
    int32_t oldWidth, oldHeight;
    this->GetSize(oldWidth, oldHeight);
    DXC_GuiTextViewerBaseTmp<Base>::SetSize(width, height);
    if (width != oldWidth || height != oldHeight)
        layoutDirty = 1;
}

template <class Base> void DXC_GuiTextViewerTmp<Base>::OnOpenChanged(bool open)
{
    DXC_GuiInfoWindowBase::OnOpenChanged(open);
}

template <class Base> void DXC_GuiTextViewerTmp<Base>::Reset()
{
    container.Clear();
    entries.DeleteAll();
    hoveredEntry = -1;
    revealStart = kNoReveal;
    layoutDirty = 1;
    revealSpeed = kDefaultRevealSpeed;
}

template <class Base> void DXC_GuiTextViewerTmp<Base>::SetText(const wString& text)
{
    Reset();
    AddEntry(text);
}

template <class Base> int32_t DXC_GuiTextViewerTmp<Base>::AddLineF(const char16_t* format, ...)
{
    std::vector<char16_t> line(size_t(kMaxFormatted) + 1);
    va_list args;
    va_start(args, format);
    wString::FormatInto(line.data(), kMaxFormatted + 1, format ? format : u"", args);
    va_end(args);
    line[size_t(kMaxFormatted)] = 0;  // a longer text is cut
    return AddEntry(wString(line.data()));
}

template <class Base> int32_t DXC_GuiTextViewerTmp<Base>::AddLineF(const char* format, ...)
{
    std::vector<char> line(size_t(kMaxFormatted) + 1);
    va_list args;
    va_start(args, format);
    const int written = std::vsnprintf(line.data(), line.size(), format ? format : "", args);
    va_end(args);
    if (written < 0)
        line[0] = 0;  // a format that fails gives an empty entry
    return AddEntry(wString(line.data()));
}

template <class Base> int32_t DXC_GuiTextViewerTmp<Base>::AddLine(const wString& text) { return AddEntry(text); }

template <class Base> int32_t DXC_GuiTextViewerTmp<Base>::AddLine(const char* text)
{
    return AddEntry(wString(text ? text : ""));
}

template <class Base> int32_t DXC_GuiTextViewerTmp<Base>::AddEntry(const wString& text, const wString& toolTip)
{
    const int32_t slot = entries.Add();
    layoutDirty = 1;
    TextEntry* entry = entries.GetBySlot(slot);
    if (!entry)
        return -1;  // the list is full
    entry->text = text;
    entry->toolTip = toolTip;
    return entries.GetSize() - 1;
}

template <class Base> wString DXC_GuiTextViewerTmp<Base>::GetLine(int32_t index) const
{
    const TextEntry* entry = GetEntry(index);
    return entry ? entry->text : wString();
}

template <class Base> const DXC_GuiTextEntry* DXC_GuiTextViewerTmp<Base>::GetEntry(int32_t index) const
{
    return const_cast<DynaMem<TextEntry, 256>&>(entries).GetAt(index);
}

template <class Base> void DXC_GuiTextViewerTmp<Base>::SetEntryToolTip(int32_t index, const wString& text)
{
    if (TextEntry* entry = entries.GetAt(index))
        entry->toolTip = text;
}

template <class Base> double DXC_GuiTextViewerTmp<Base>::Now() const
{
    return this->manager ? this->manager->GetTime() : Timer::GetTime();
}

template <class Base> void DXC_GuiTextViewerTmp<Base>::StartReveal(float speed, float width)
{
    revealSpeed = speed;
    fadeWidth = width;
    revealStart = Now();
}

// "No reveal" is -1 alone: a reveal started while the clock reads 0 is a reveal.
template <class Base> bool DXC_GuiTextViewerTmp<Base>::IsRevealComplete(float delay)
{
    if (revealStart == kNoReveal)
        return true;
    if (layoutDirty)
        Layout();
    return (Now() - revealStart - double(delay)) * double(revealSpeed) >= double(CountCharacters());
}

template <class Base> void DXC_GuiTextViewerTmp<Base>::FitHeight(int32_t extra, int32_t minimum, int32_t maximum)
{
    if (layoutDirty)
        Layout();
    int32_t width, height;
    this->GetSize(width, height);
    height = int32_t(std::ceil(textHeight)) + this->insets[this->kInsetTop] + this->insets[this->kInsetBottom] + extra;
    this->SetSize(width, std::max(minimum, std::min(height, maximum)));
}

template <class Base> void DXC_GuiTextViewerTmp<Base>::ScrollTo(float x, float y, float limit)
{
    scrollX = x;
    this->scrollBar.SetValue(std::min(y, limit));
    scrollY = this->scrollBar.GetValue();
}

template <class Base> void DXC_GuiTextViewerTmp<Base>::GetTextArea(int32_t& l, int32_t& t, int32_t& r, int32_t& b)
{
    int32_t width, height;
    this->GetSize(width, height);
    l = this->insets[this->kInsetLeft];
    t = this->insets[this->kInsetTop];
    r = width - this->insets[this->kInsetRight];
    b = height - this->insets[this->kInsetBottom];
    if (this->scrollBar.IsOpen() && this->scrollBar.GetMax() != this->scrollBar.minValue) {
        int32_t barWidth, barHeight;
        this->scrollBar.GetSize(barWidth, barHeight);
        r -= barWidth;
    }
}

template <class Base> DXC_Gfx* DXC_GuiTextViewerTmp<Base>::Graphics() const
{
    return this->gfx ? this->gfx : g_Gfx;
}

template <class Base> DXC_Font* DXC_GuiTextViewerTmp<Base>::ResolveFont() const
{
    if (font)
        return font;
    return this->manager ? this->manager->GetDefaultFont() : nullptr;
}

template <class Base> void DXC_GuiTextViewerTmp<Base>::OnLayoutEntry(int32_t) { entryColour = this->textColour; }

template <class Base> void DXC_GuiTextViewerTmp<Base>::Layout()
{
    DXC_Gfx* graphics = Graphics();
    if (!graphics)
        return;  // nothing to measure with: the layout waits
    // The bar opening or closing changes the width of the text area; a second pass settles it
    // (a narrower area only makes the text longer, so the bar then stays open).
    for (int32_t pass = 0; pass < 2; ++pass) {
        int32_t l, t, r, b;
        GetTextArea(l, t, r, b);
        const int32_t areaWidth = std::max(r - l, 0);
        const int32_t areaHeight = std::max(b - t, 0);
        container.Clear();
        DXC_PrintfOptions options;
        options.wrap = 1;
        options.maxWidth = areaWidth;
        options.maxHeight = areaHeight;
        container.SetOptions(options);
        DXC_PrintfContainer& printer = graphics->GetPrintfContainer();
        float bottom = 0.0f;
        for (int32_t i = 0; i < entries.GetSize(); ++i) {
            TextEntry* entry = entries.GetAt(i);
            if (!entry)
                continue;
            OnLayoutEntry(i);
            DXC_GuiFontScope scope(graphics, ResolveFont(), 0.0f, entryColour);
            const size_t firstLine = container.lines.size();
            printer.LayoutText(container, entry->text.c_str());
            if (container.lines.size() > firstLine) {
                const PrintfLine& first = container.lines[firstLine];
                const PrintfLine& last = container.lines.back();
                entry->top = first.y;
                entry->height = last.y + last.height - first.y;
                bottom = last.y + last.height;
            } else {
                entry->top = bottom;  // an empty entry takes no room
                entry->height = 0.0f;
            }
        }
        // One run of characters for the reveal, across every entry.
        for (PrintfLine& line : container.lines)
            for (PrintfEntity& entity : line.entities)
                entity.textCounter = container.textCounter;
        textHeight = bottom;
        textWidth = 0.0f;
        for (const PrintfLine& line : container.lines)
            textWidth = std::max(textWidth, line.x + line.Width());
        float overflow = textHeight - float(areaHeight);
        textOffsetY = 0.0f;
        if (overflow < 0.0f) {
            textOffsetY = centreVertically ? -overflow * 0.5f : 0.0f;
            overflow = 0.0f;
        }
        const bool wasOpen = this->scrollBar.IsOpen() != 0;
        this->scrollBar.SetMax(overflow);
        this->scrollBar.SetOpenState(overflow > 0.0f);
        if ((this->scrollBar.IsOpen() != 0) == wasOpen)
            break;
    }
    layoutDirty = 0;
}

template <class Base> void DXC_GuiTextViewerTmp<Base>::FindHoveredEntry()
{
    hoveredEntry = -1;
    if (!this->manager || !this->MouseOverFrame())
        return;
    int32_t mx, my;
    this->GetMouseOffset(mx, my);
    int32_t l, t, r, b;
    GetTextArea(l, t, r, b);
    if (mx < l || mx >= r || my < t || my >= b)
        return;
    const float y = float(my - t);
    const float scroll = std::trunc(scrollY);
    for (int32_t i = 0; i < entries.GetSize(); ++i) {
        const TextEntry* entry = entries.GetAt(i);
        if (entry && entry->top - scroll <= y && y < entry->top - scroll + entry->height) {
            hoveredEntry = i;
            return;
        }
    }
}

template <class Base> void DXC_GuiTextViewerTmp<Base>::ApplyReveal()
{
    if (revealStart != kNoReveal && entries.GetSize() > 0) {
        const float n = float((Now() - revealStart) * double(revealSpeed));
        container.SetFadeCounter(container.textCounter);
        container.SetFadeRange(n, n + fadeWidth);
    } else {
        container.SetFadeCounter(-1);
        container.SetFadeRange(PrintfTextBlock::kNoFade, PrintfTextBlock::kNoFade);
    }
}

template <class Base> void DXC_GuiTextViewerTmp<Base>::Render()
{
    if (layoutDirty && this->IsOpen())
        Layout();
    scrollY = this->scrollBar.GetValue();
    if (hoverEnabled)
        FindHoveredEntry();
    int32_t width, height;
    this->GetSize(width, height);
    int32_t barWidth, barHeight;
    this->scrollBar.GetSize(barWidth, barHeight);
    this->scrollBar.SetPos(width - this->insets[this->kInsetRight] / 2 - barWidth, this->insets[this->kInsetTop]);
    ApplyReveal();
    DXC_GuiTextViewerBaseTmp<Base>::Render();
    scrollY = this->scrollBar.GetValue();  // the wheel may have moved it
    DXC_Gfx* graphics = this->gfx;
    if (graphics && graphics->HasDevice() && !container.lines.empty() && this->IsOpen()) {
        int32_t l, t, r, b;
        GetTextArea(l, t, r, b);
        int32_t x, y;
        this->GetAbsPos(x, y);
        container.options.fixedCorner = 1;  // clipped to the text area, wherever the text scrolls
        container.options.fixedX = x + l;
        container.options.fixedY = y + t;
        container.options.maxHeight = std::max(b - t, 0);
        graphics->RenderTextBlock(x + l, y + t, -scrollX, textOffsetY - std::trunc(scrollY), container);
    }
    UpdateEntryToolTip();
}

template <class Base> void DXC_GuiTextViewerTmp<Base>::UpdateEntryToolTip()
{
    const TextEntry* entry = hoveredEntry >= 0 ? entries.GetAt(hoveredEntry) : nullptr;
    if (this->manager && this->IsOpen() && this->MouseOverFrame() && entry && !entry->toolTip.IsEmpty()) {
        if (!infoWindow || infoWindow->GetText() != entry->toolTip)
            SetInfoText(entry->toolTip);
        ShowInfoAtMouse();
        SetInfoWindowOpen(true);
    } else if (infoWindow) {
        SetInfoWindowOpen(false);
    }
}

template <class Base> void DXC_GuiTextViewerTmp<Base>::ShowInfoAtMouse()
{
    if (!infoWindow)
        return;
    FitInfoWindow();
    int32_t mx, my, screenWidth, screenHeight, width, height;
    GetScreenMouse(mx, my);
    GetScreen(screenWidth, screenHeight);
    infoWindow->GetSize(width, height);
    const int32_t x = mx < screenWidth / 2 ? mx : mx - kInfoGap - width;
    const int32_t y = my < screenHeight / 2 ? my + kInfoGap : my - kInfoGap - height;
    infoWindow->SetPos(x, y);
    infoWindow->ClampToScreen();
}

template class DXC_GuiTextViewerTmp<DXC_GuiTexFieldEx>;
template class DXC_GuiTextViewerTmp<DXC_GuiTexFieldScaleable>;
