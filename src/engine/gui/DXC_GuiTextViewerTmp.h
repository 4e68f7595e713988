// DXC_GuiTextViewerTmp: the window of every list of formatted text entries: the frame (its
// template argument) with the text area inside the frame's insets, the vertical scroll bar, the
// entry under the mouse, an entry's tooltip in the info window and a letter-by-letter reveal
// with a soft edge. The entries are laid out into the window's own text block by the graphics
// object's text container; without a graphics object (the dedicated server) entries are kept and
// nothing is measured. Two frames exist, so both instantiations are made once, in
// DXC_GuiTextViewerTmp.cpp.
#pragma once
#include "base/DynaMem.h"
#include "base/String.h"
#include "engine/gfx/DXC_PrintfContainer.h"
#include "engine/gui/DXC_GuiInfoWindowBase.h"
#include "engine/gui/DXC_GuiTexFieldEx.h"
#include "engine/gui/DXC_GuiTexFieldScaleable.h"
#include "engine/gui/DXC_GuiTextViewerBaseTmp.h"

#include <cstdint>

class DXC_Font;
class DXC_Gfx;

// One entry: its text, an optional tooltip and, after layout, its top and height in the laid-out
// text (pixels).
struct DXC_GuiTextEntry {
    wString text;
    wString toolTip;
    float top = 0.0f;
    float height = 0.0f;
};

template <class Base>
class DXC_GuiTextViewerTmp : public DXC_GuiTextViewerBaseTmp<Base>, public DXC_GuiInfoWindowBase {
public:
    using TextEntry = DXC_GuiTextEntry;
    static constexpr int32_t kMaxFormatted = 8191;  // characters of one AddLineF entry
    static constexpr double kNoReveal = -1.0;
    static constexpr float kDefaultRevealSpeed = 10.0f;  // characters per second

    DXC_GuiTextViewerTmp();
    ~DXC_GuiTextViewerTmp() override = default;

    void SetOpenState(bool open) override;
    void SetSize(int32_t width, int32_t height) override;
    void OnOpenChanged(bool open) override;
    void Render() override;
    // Next to the mouse: right of it, or left of it with a gap in the right half of the screen.
    void ShowInfoAtMouse() override;
    // Called with the entry's index before each entry is laid out; selects the font and colour.
    virtual void OnLayoutEntry(int32_t index);

    // No entries, a dirty layout, the reveal off and its speed back to 10.
    void Reset();
    void SetText(const wString& text);
    // The entry's index.
    int32_t AddLineF(const char16_t* format, ...);
    // The same with a narrow printf format (the debug pages, the level statistics).
    int32_t AddLineF(const char* format, ...) __attribute__((format(printf, 2, 3)));
    int32_t AddLine(const wString& text);
    int32_t AddLine(const char* text);
    int32_t AddEntry(const wString& text, const wString& toolTip = wString());
    // The reveal starts now at speed characters per second, the next fadeWidth fading in.
    void StartReveal(float speed, float width);
    bool IsRevealComplete(float delay);
    // The height of the text plus the frame's top and bottom insets plus extra, within minimum to
    // maximum; the width stays.
    void FitHeight(int32_t extra, int32_t minimum, int32_t maximum);
    // The scroll bar to y, at most limit (and the text's overflow).
    void ScrollTo(float x, float y, float limit);
    // Lays the entries out into the text block (runs at the next draw when skipped here).
    void Layout();

    int32_t GetNumLines() const { return entries.GetSize(); }
    // The text of an entry (0 the first), empty beyond the last.
    wString GetLine(int32_t index) const;
    // The first entry's text: the text SetText gave.
    wString GetText() const { return GetLine(0); }
    const TextEntry* GetEntry(int32_t index) const;
    void SetEntryToolTip(int32_t index, const wString& text);
    bool IsChanged() const { return layoutDirty != 0; }
    void MarkChanged() { layoutDirty = 1; }
    int32_t GetHoveredEntry() const { return hoveredEntry; }
    void SetHoverEnabled(bool flag) { hoverEnabled = flag ? 1 : 0; }
    void SetCentreVertically(bool flag) { centreVertically = flag ? 1 : 0; }
    void SetFont(DXC_Font* value) { font = value; }
    double GetRevealStart() const { return revealStart; }
    void SetRevealStart(double seconds) { revealStart = seconds; }
    float GetRevealSpeed() const { return revealSpeed; }
    void SetRevealSpeed(float speed) { revealSpeed = speed; }
    float GetFadeWidth() const { return fadeWidth; }
    float GetTextOffsetY() const { return textOffsetY; }
    float GetTextHeight() const { return textHeight; }
    float GetTextWidth() const { return textWidth; }
    // Characters of the laid-out text.
    int32_t CountCharacters() const { return container.CountCharacters(); }
    PrintfTextBlock& GetTextBlock() { return container; }
    // The text area relative to the field: its size less the insets, and less the scroll bar
    // while the bar is open with a range.
    void GetTextArea(int32_t& l, int32_t& t, int32_t& r, int32_t& b);
    // The GUI's clock with a manager, else the program's timer.
    double Now() const;

protected:
    DXC_Gfx* Graphics() const;
    DXC_Font* ResolveFont() const;
    void FindHoveredEntry();
    void UpdateEntryToolTip();
    // The fade range of the block from the reveal: characters before n shown, the next
    // fadeWidth fading in, the rest hidden; the whole text is one fading run.
    void ApplyReveal();

    DynaMem<TextEntry, 256> entries;
    PrintfTextBlock container;
    float scrollX = 0.0f;
    float scrollY = 0.0f;
    int32_t hoveredEntry = -1;
    uint8_t hoverEnabled = 0;
    uint8_t layoutDirty = 1;
    double revealStart = kNoReveal;
    float revealSpeed = kDefaultRevealSpeed;
    float fadeWidth = 0.0f;
    uint8_t centreVertically = 0;
    DXC_Font* font = nullptr;
    uint32_t entryColour = 0;  // of the entry being laid out; 0 the font's own
    float textOffsetY = 0.0f;
    float textHeight = 0.0f;
    float textWidth = 0.0f;
};

extern template class DXC_GuiTextViewerTmp<DXC_GuiTexFieldEx>;
extern template class DXC_GuiTextViewerTmp<DXC_GuiTexFieldScaleable>;
