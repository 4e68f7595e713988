// FuzzPrintfMarkup: text with "|" markup laid out by the text container under options taken from
// the first four bytes (alignment, wrap / whole words / markup flags, maximum width, cursor
// index); the rest is the text, one unit per byte. The lines must stay in order and the cursor
// must point into the block.
#include "FuzzTarget.h"

#include "engine/gfx/DXC_Font.h"
#include "engine/gfx/DXC_Gfx.h"
#include "engine/gfx/DXC_PrintfContainer.h"
#include "support/TenPixelFont.h"

#include <cmath>

namespace {

// The server's graphics object with a font of the printable ASCII characters, 10 pixels each.
DXC_Gfx& FontGfx()
{
    static DXC_Gfx gfx;
    static DXC_Font font;
    static const bool made = [] {
        gfx.SetDedicatedMode(1);
        MakeTenPixelFont(gfx, font);
        return true;
    }();
    (void)made;
    return gfx;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size < 4 || size > (1 << 16))
        return 0;
    DXC_Gfx& gfx = FontGfx();
    DXC_PrintfOptions options;
    options.alignment = data[0] % 5;
    options.wrap = data[1] & 1;
    options.wholeWords = (data[1] >> 1) & 1;
    options.markup = (data[1] >> 2) & 1;
    options.maxWidth = data[2];
    options.cursorIndex = int32_t(data[3]) - 'A';
    gfx.SetPrintfOptions(options);
    std::u16string text(data + 4, data + size);
    text.erase(std::remove(text.begin(), text.end(), u'\0'), text.end());
    DXC_PrintfContainer& container = gfx.GetPrintfContainer();
    container.SetText(text.c_str());
    const PrintfTextBlock& block = container.GetOwnBlock();
    float bottom = 0.0f;
    for (const PrintfLine& line : block.lines) {
        if (!std::isfinite(line.x) || line.y < bottom)
            Fuzz::Finding("a line above the one before it");
        bottom = line.Bottom();
        for (const PrintfEntity& entity : line.entities)
            if (!std::isfinite(entity.x) || entity.width < 0.0f)
                Fuzz::Finding("a word without a place");
    }
    if (block.cursorLine >= 0) {
        if (size_t(block.cursorLine) >= block.lines.size())
            Fuzz::Finding("the cursor past the lines");
        const PrintfLine& line = block.lines[size_t(block.cursorLine)];
        if (block.cursorEntity < 0 || size_t(block.cursorEntity) >= line.entities.size() ||
            block.cursorChar < 0 || size_t(block.cursorChar) > line.entities[size_t(block.cursorEntity)].text.size())
            Fuzz::Finding("the cursor outside its line");
    }
    container.GetTextRect(0, int32_t(block.lines.size()) - 1);
    return 0;
}
