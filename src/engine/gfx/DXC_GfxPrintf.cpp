// DXC_Gfx text entry points: formatting into the text buffers, the current font, the print
// options, and the printf-style drawing with its rectangle variants, extents and text blocks.
#include "engine/gfx/DXC_Gfx.h"

#include "engine/gfx/DXC_Font.h"
#include "engine/gfx/DXC_PrintfContainer.h"

#include <cstdio>

namespace {

constexpr uint32_t kBuiltinColorA = 0xFFFFFFFFu;  // white at a glyph's top left
constexpr uint32_t kBuiltinColorB = 0xFFA0A0A0u;  // grey at its bottom right

}  // namespace

DXC_Font* DXC_Gfx::GetBuiltinFont()
{
    if (!builtinFont && device) {
        auto font = std::make_unique<DXC_Font>();
        CreateBuiltinFont(font.get(), kBuiltinColorA, kBuiltinColorB);
        builtinFont = std::move(font);
    }
    return builtinFont.get();
}

int DXC_Gfx::SetFont(DXC_Font* font, float size, uint32_t color)
{
    if (!font || !font->IsLoaded())
        Error("Tried to set invalid font");
    currentFont = font;
    if (size != 0.0f)
        font->SetScale(size);
    if ((color >> 24) > 0)
        font->SetColor(color);
    return 1;
}

DXC_Font* DXC_Gfx::GetFont() { return currentFont ? currentFont : GetBuiltinFont(); }

void DXC_Gfx::SetPrintfOptions(const DXC_PrintfOptions& options) { printfContainer->SetOptions(options); }

void DXC_Gfx::GetPrintfOptions(DXC_PrintfOptions& options) const { printfContainer->GetOptions(options); }

int32_t DXC_Gfx::SavePrintfOptions() { return printfContainer->SaveOptions(); }

void DXC_Gfx::RestorePrintfOptions() { printfContainer->RestoreOptions(); }

int32_t DXC_Gfx::FormatNarrow(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const int32_t length = FormatNarrowV(format, args);
    va_end(args);
    return length;
}

int32_t DXC_Gfx::FormatNarrowV(const char* format, va_list args)
{
    int32_t length = std::vsnprintf(narrowText.get(), size_t(kNarrowTextBytes), format ? format : "", args);
    if (length < 0)
        length = 0;
    if (length >= kNarrowTextBytes) {
        Warning("String too long for Printf()");
        length = kNarrowTextBytes - 1;
    }
    for (int32_t i = 0; i <= length; i++)  // the terminator too
        wideText[size_t(i)] = char16_t(static_cast<unsigned char>(narrowText[size_t(i)]));
    return length;
}

int32_t DXC_Gfx::FormatWideV(const char16_t* format, va_list args)
{
    int32_t length = wString::FormatInto(wideText.get(), kWideTextUnits, format, args);
    if (length >= kWideTextUnits) {
        Warning("String too long for Printf()");
        length = kWideTextUnits - 1;
    }
    return length;
}

int DXC_Gfx::PrintfW(int32_t x, int32_t y, const char16_t* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatWideV(format, args);
    va_end(args);
    printfContainer->SetText(wideText.get());
    printfContainer->Render(float(x), float(y));
    return 1;
}

// The call's options in place of the caller's, pushed and restored around the layout and the
// drawing (none without a position; endAtX draws the text so that it ends at the position).
RECT DXC_Gfx::PrintfWithOptions(const DXC_PrintfOptions& options, const POINT* position, bool endAtX,
                                const char16_t* format, va_list args)
{
    FormatWideV(format, args);
    return PlaceText(options, position, endAtX);
}

RECT DXC_Gfx::PlaceText(const DXC_PrintfOptions& options, const POINT* position, bool endAtX)
{
    printfContainer->SaveOptions();
    printfContainer->SetOptions(options);
    const RECT rect = printfContainer->SetText(wideText.get());
    if (position)
        printfContainer->Render(float(position->x - (endAtX ? rect.right - rect.left : 0)), float(position->y));
    printfContainer->RestoreOptions();
    return rect;
}

RECT DXC_Gfx::PrintfInRect(const POINT& position, const RECT& rect, int32_t alignment, const char16_t* format,
                           va_list args)
{
    DXC_PrintfOptions options = printfContainer->GetOptions();
    options.maxWidth = rect.right - rect.left;
    options.maxHeight = rect.bottom - rect.top;
    options.fixedX = rect.left;
    options.fixedY = rect.top;
    options.fixedCorner = 1;
    if (alignment >= 0)
        options.alignment = alignment;
    return PrintfWithOptions(options, &position, false, format, args);
}

int DXC_Gfx::PrintfInRectW(const POINT& position, const RECT& rect, const char16_t* format, ...)
{
    va_list args;
    va_start(args, format);
    PrintfInRect(position, rect, -1, format, args);
    va_end(args);
    return 1;
}

int DXC_Gfx::PrintfCenteredInRectW(const POINT& position, const RECT& rect, const char16_t* format, ...)
{
    va_list args;
    va_start(args, format);
    PrintfInRect(position, rect, 1, format, args);
    va_end(args);
    return 1;
}

int DXC_Gfx::PrintfRightInRectW(const POINT& position, const RECT& rect, const char16_t* format, ...)
{
    va_list args;
    va_start(args, format);
    PrintfInRect(position, rect, 3, format, args);
    va_end(args);
    return 1;
}

int DXC_Gfx::PrintfCenteredW(const POINT& position, const char16_t* format, ...)
{
    DXC_PrintfOptions options = printfContainer->GetOptions();
    options.alignment = 1;
    va_list args;
    va_start(args, format);
    PrintfWithOptions(options, &position, false, format, args);
    va_end(args);
    return 1;
}

int DXC_Gfx::PrintfRightW(const POINT& position, const char16_t* format, ...)
{
    DXC_PrintfOptions options = printfContainer->GetOptions();
    options.alignment = 2;
    va_list args;
    va_start(args, format);
    PrintfWithOptions(options, &position, true, format, args);
    va_end(args);
    return 1;
}

int DXC_Gfx::GetTextExtentW(POINT& size, int32_t maxWidth, const char16_t* format, ...)
{
    DXC_PrintfOptions options = printfContainer->GetOptions();
    options.maxWidth = maxWidth;
    va_list args;
    va_start(args, format);
    const RECT rect = PrintfWithOptions(options, nullptr, false, format, args);
    va_end(args);
    size.x = rect.right - rect.left;
    size.y = rect.bottom - rect.top;
    return 1;
}

int DXC_Gfx::RenderTextBlock(int32_t x, int32_t y, float fx, float fy, PrintfTextBlock& block)
{
    printfContainer->SetCurrentBlock(&block);
    printfContainer->Render(float(x) + fx, float(y) + fy);
    printfContainer->SetCurrentBlock(nullptr);  // the widget's block may go before the container
    return 1;
}

int DXC_Gfx::LayoutTextW(RECT& rect, PrintfTextBlock& block, const char16_t* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatWideV(format, args);
    va_end(args);
    rect = printfContainer->LayoutText(block, wideText.get());
    return 1;
}

int DXC_Gfx::LayoutText(RECT& rect, PrintfTextBlock& block, const char16_t* text)
{
    rect = printfContainer->LayoutText(block, text);
    return 1;
}

float DXC_Gfx::GetCharWidth(char16_t c)
{
    DXC_Font* font = GetFont();
    return font ? font->GetGlyphAdvance(font->GlyphOf(c)) : 0.0f;
}

int DXC_Gfx::Printf(int32_t x, int32_t y, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatNarrowV(format, args);
    va_end(args);
    printfContainer->SetText(wideText.get());
    printfContainer->Render(float(x), float(y));
    return 1;
}

int DXC_Gfx::PrintfRight(const POINT& position, const char* format, ...)
{
    DXC_PrintfOptions options = printfContainer->GetOptions();
    options.alignment = 2;
    va_list args;
    va_start(args, format);
    FormatNarrowV(format, args);
    va_end(args);
    PlaceText(options, &position, true);
    return 1;
}

int DXC_Gfx::PrintfCentered(const POINT& position, const char* format, ...)
{
    DXC_PrintfOptions options = printfContainer->GetOptions();
    options.alignment = 1;
    va_list args;
    va_start(args, format);
    FormatNarrowV(format, args);
    va_end(args);
    PlaceText(options, &position, false);
    return 1;
}

int DXC_Gfx::GetPrintfSize(POINT& size, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatNarrowV(format, args);
    va_end(args);
    const RECT rect = PlaceText(printfContainer->GetOptions(), nullptr, false);
    size.x = rect.right - rect.left;
    size.y = rect.bottom - rect.top;
    return 1;
}
