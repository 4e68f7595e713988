// DXC_PrintfContainer layout: the "|" markup, the character steps that build words and lines,
// wrapping at the maximum width, and the alignment of finished lines.
#include "engine/gfx/DXC_PrintfContainer.h"

#include "engine/gfx/DXC_Font.h"
#include "engine/gfx/DXC_Gfx.h"
#include "engine/gfx/DXC_Texture.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t kMaxImageName = 255;

// The value of a digit in base 10 or 16, or -1.
int32_t PrintfDigitValue(char16_t c, int32_t base)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (base == 16 && c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (base == 16 && c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

enum class DigitsRead { Done, TextEnds, NotADigit };

// n digits into out; a character that is not one stays unread.
DigitsRead ReadPrintfDigits(const char16_t*& p, int32_t n, int32_t base, int32_t* out)
{
    for (int32_t i = 0; i < n; i++) {
        if (!*p)
            return DigitsRead::TextEnds;
        out[i] = PrintfDigitValue(*p, base);
        if (out[i] < 0)
            return DigitsRead::NotADigit;
        ++p;
    }
    return DigitsRead::Done;
}

bool IsEmptyText(const PrintfEntity& entity) { return entity.kind != 2 && entity.text.empty(); }

// Entities that count for justification: a trailing empty word does not.
int32_t CountedEntities(const PrintfLine& line)
{
    int32_t n = int32_t(line.entities.size());
    if (n > 0 && IsEmptyText(line.entities.back()))
        n--;
    return n;
}

}  // namespace

struct DXC_PrintfContainer::Layout {
    PrintfTextBlock& block;
    DXC_Font* font = nullptr;
    uint32_t startColor = 0xFFFFFFFFu;
    int32_t startAlignment = 0;
    uint32_t color = 0xFFFFFFFFu;
    float xScale = 1.0f;
    float yScale = 1.0f;
    int32_t alignment = 0;
    bool afterSpace = false;
    bool cursorPlaced = false;
    bool firstCharacter = true;
    bool lineEnded = false;
    float pendingOffset = 0.0f;

    PrintfLine& Line() { return block.lines.back(); }
    PrintfEntity& Entity() { return block.lines.back().entities.back(); }
    float Advance(int32_t glyph) const { return font ? font->GetGlyphAdvance(glyph) * xScale : 0.0f; }
    float Height(int32_t glyph) const { return font ? font->GetGlyphHeight(glyph) * yScale : 0.0f; }
    float SpaceHeight() const { return font ? Height(font->GlyphOf(u' ')) : 0.0f; }
};

void DXC_PrintfContainer::ResetStyle(Layout& layout)
{
    layout.color = layout.startColor;
    layout.xScale = layout.yScale = 1.0f;
    layout.alignment = layout.startAlignment;
}

// A word opened while the current one is still empty takes its place, so that codes in a row
// leave no empty words between the real ones.
void DXC_PrintfContainer::OpenEntity(Layout& layout)
{
    PrintfLine& line = layout.Line();
    if (line.entities.empty() || !IsEmptyText(line.entities.back())) {
        PrintfEntity entity;
        entity.x = line.Width();
        line.entities.push_back(entity);
    }
    PrintfEntity& entity = line.entities.back();
    entity.kind = 1;
    entity.color = layout.color;
    entity.font = layout.font;
    entity.xScale = layout.xScale;
    entity.yScale = layout.yScale;
    entity.textCounter = layout.block.textCounter;
    entity.x += layout.pendingOffset;
    entity.startOffset += layout.pendingOffset;
    layout.pendingOffset = 0.0f;
}

void DXC_PrintfContainer::OpenLine(Layout& layout, bool newParagraph)
{
    PrintfLine line;
    line.alignment = layout.alignment;
    line.newParagraph = newParagraph;
    layout.block.lines.push_back(std::move(line));
    OpenEntity(layout);
}

// The current word goes to a new line of its own; a cursor inside it goes along.
void DXC_PrintfContainer::MoveWordToNewLine(Layout& layout)
{
    PrintfTextBlock& block = layout.block;
    const int32_t oldLine = int32_t(block.lines.size()) - 1;
    const int32_t oldEntity = int32_t(layout.Line().entities.size()) - 1;
    PrintfEntity word = std::move(layout.Entity());
    layout.Line().entities.pop_back();
    PrintfLine line;
    line.alignment = layout.alignment;
    word.x = 0.0f;
    for (char16_t c : word.text)
        line.height = std::max(line.height, layout.font ? layout.font->GetGlyphHeight(layout.font->GlyphOf(c)) *
                                                              word.yScale
                                                        : 0.0f);
    line.entities.push_back(std::move(word));
    block.lines.push_back(std::move(line));
    if (block.cursorLine == oldLine && block.cursorEntity == oldEntity) {
        block.cursorLine = oldLine + 1;
        block.cursorEntity = 0;
    }
}

void DXC_PrintfContainer::AddCharacter(Layout& layout, char16_t c)
{
    PrintfTextBlock& block = layout.block;
    block.charCounter++;
    const int32_t cursorIndex = block.options.cursorIndex;
    if (cursorIndex >= 0 && cursorIndex <= block.charCounter - 1 && !layout.cursorPlaced) {
        block.cursorLine = int32_t(block.lines.size()) - 1;
        block.cursorEntity = int32_t(layout.Line().entities.size()) - 1;
        block.cursorChar = int32_t(layout.Entity().text.size());
        layout.cursorPlaced = true;
    }
    const bool first = layout.firstCharacter;
    layout.firstCharacter = false;
    layout.lineEnded = false;
    if (c == 10) {
        if (first && block.lines.size() == 1)
            layout.Line().height = layout.SpaceHeight();
        OpenLine(layout, true);
        layout.Line().height = layout.SpaceHeight();
        layout.afterSpace = false;
        layout.lineEnded = true;
        return;
    }
    if (layout.font && layout.font->IsCapitalsOnly() && c >= u'a' && c <= u'z')
        c = char16_t(c - u'a' + u'A');
    if (c == 9)
        c = u' ';
    if (c < 33) {
        layout.afterSpace = true;
    } else if (layout.afterSpace) {
        layout.afterSpace = false;
        OpenEntity(layout);
    }
    const int32_t glyph = layout.font ? layout.font->GlyphOf(c) : -1;
    if (glyph < 0)
        return;  // the font has no picture for it
    const float advance = layout.Advance(glyph);
    const DXC_PrintfOptions& options = block.options;
    if (options.wrap && options.maxWidth > 0 && layout.Line().Width() + advance > float(options.maxWidth)) {
        const bool breakHere = (!options.wholeWords && !layout.Entity().text.empty()) ||
                               CountedEntities(layout.Line()) < 2;
        if (breakHere)
            OpenLine(layout, false);
        else if (c != u' ')
            MoveWordToNewLine(layout);
    }
    PrintfLine& line = layout.Line();
    PrintfEntity& entity = layout.Entity();
    if (entity.text.empty() && line.entities.size() == 1 && line.alignment == 0 && entity.x == 0.0f)
        entity.x += layout.font->GetLeftBearing(glyph) * layout.xScale;
    entity.text.push_back(c);
    entity.width += advance;
    line.height = std::max(line.height, layout.Height(glyph));
}

void DXC_PrintfContainer::AddText(Layout& layout, const char16_t* text)
{
    for (const char16_t* p = text; *p; ++p)
        AddCharacter(layout, *p);
}

void DXC_PrintfContainer::AddImage(Layout& layout, const std::u16string& name)
{
    const String narrow(name.c_str());
    DXC_Texture* image = FindImage(narrow.c_str());
    if (!image) {
        wString missing;
        missing.FormatNarrow("<not found:'%s'>", narrow.c_str());
        AddText(layout, missing.c_str());
        return;
    }
    float width = 0.0f, height = 0.0f;
    image->GetDrawSize(width, height);
    PrintfEntity picture;
    picture.kind = 2;
    picture.image = image;
    picture.color = layout.color;
    picture.xScale = layout.xScale;
    picture.yScale = layout.yScale;
    picture.width = width * 0.5f * layout.xScale;
    picture.height = height * 0.5f * layout.yScale;
    picture.textCounter = layout.block.textCounter;
    const DXC_PrintfOptions& options = layout.block.options;
    if (options.wrap && options.maxWidth > 0 && CountedEntities(layout.Line()) > 0 &&
        layout.Line().Width() + picture.width > float(options.maxWidth))
        OpenLine(layout, false);
    PrintfLine& line = layout.Line();
    if (IsEmptyText(line.entities.back())) {
        picture.x = line.entities.back().x;
        line.entities.back() = picture;
    } else {
        picture.x = line.Width();
        line.entities.push_back(picture);
    }
    line.height = std::max(line.height, picture.height);
    OpenEntity(layout);  // the text after it is a word of its own
}

// One code after "|"; false when the text ends inside it.
bool DXC_PrintfContainer::ReadCode(Layout& layout, const char16_t*& p)
{
    const char16_t code = *p;
    if (!code)
        return false;
    ++p;
    int32_t d[6] = {};
    DigitsRead read = DigitsRead::Done;
    switch (code) {
    case u'C':
        if ((read = ReadPrintfDigits(p, 6, 16, d)) == DigitsRead::Done) {
            layout.color = 0xFF000000u | uint32_t(d[0] * 16 + d[1]) << 16 | uint32_t(d[2] * 16 + d[3]) << 8 |
                           uint32_t(d[4] * 16 + d[5]);
            OpenEntity(layout);
        }
        break;
    case u'c':
        if ((read = ReadPrintfDigits(p, 3, 16, d)) == DigitsRead::Done) {
            layout.color = 0xFF000000u | uint32_t(d[0] * 17) << 16 | uint32_t(d[1] * 17) << 8 | uint32_t(d[2] * 17);
            OpenEntity(layout);
        }
        break;
    case u'S':
        if ((read = ReadPrintfDigits(p, 4, 10, d)) == DigitsRead::Done) {
            layout.xScale = float(d[0]) + float(d[1]) / 10.0f;
            layout.yScale = float(d[2]) + float(d[3]) / 10.0f;
            OpenEntity(layout);
        }
        break;
    case u's':
        if ((read = ReadPrintfDigits(p, 2, 10, d)) == DigitsRead::Done) {
            layout.xScale = layout.yScale = float(d[0]) + float(d[1]) / 10.0f;
            OpenEntity(layout);
        }
        break;
    case u'P':
        if ((read = ReadPrintfDigits(p, 3, 10, d)) == DigitsRead::Done) {
            layout.pendingOffset += float(d[0] * 100 + d[1] * 10 + d[2]);
            OpenEntity(layout);
        }
        break;
    case u'p':
        if ((read = ReadPrintfDigits(p, 2, 10, d)) == DigitsRead::Done) {
            layout.pendingOffset += float(d[0] * 10 + d[1]);
            OpenEntity(layout);
        }
        break;
    case u'Z': case u'z': layout.alignment = layout.Line().alignment = 1; break;
    case u'L': case u'l': layout.alignment = layout.Line().alignment = 2; break;
    case u'T': case u't': layout.alignment = layout.Line().alignment = 3; break;
    case u'J': case u'j': layout.alignment = layout.Line().alignment = 4; break;
    case u'N': case u'n': AddCharacter(layout, 10); break;
    case u'R': case u'r':
        ResetStyle(layout);
        layout.Line().alignment = layout.alignment;
        OpenEntity(layout);
        break;
    case u'i': {
        // A name in single quotes; without one (empty, unclosed or too long) the code is dropped
        // and what follows is read as text.
        if (*p != u'\'')
            break;
        const char16_t* end = p + 1;
        while (*end && *end != u'\'' && end - (p + 1) <= kMaxImageName)
            ++end;
        if (*end != u'\'' || end == p + 1)
            break;
        AddImage(layout, std::u16string(p + 1, end));
        p = end + 1;
        break;
    }
    case u'|': AddCharacter(layout, u'|'); break;
    default:
        AddCharacter(layout, u'|');
        AddCharacter(layout, code);
        break;
    }
    return read != DigitsRead::TextEnds;
}

void DXC_PrintfContainer::ReadText(Layout& layout, const char16_t* text)
{
    const bool markup = layout.block.options.markup == 1;
    for (const char16_t* p = text; *p;) {
        const char16_t c = *p++;
        if (c == u'|' && markup) {
            if (!ReadCode(layout, p))
                return;
            continue;
        }
        AddCharacter(layout, c);
    }
}

void DXC_PrintfContainer::FinishLines(PrintfTextBlock& block, int32_t firstLine)
{
    for (size_t i = size_t(std::max(firstLine, 0)); i < block.lines.size(); i++) {
        PrintfLine& line = block.lines[i];
        line.y = (i == 0 ? 0.0f : block.lines[i - 1].Bottom()) + line.gapAbove;
    }
}

RECT DXC_PrintfContainer::LayoutText(PrintfTextBlock& block, const char16_t* text)
{
    RECT rect;
    if (!text || !*text)
        return rect;
    Layout layout{block};
    layout.font = m_Gfx ? m_Gfx->GetFont() : nullptr;
    const uint32_t fontColor = layout.font ? layout.font->GetColor() : 0;
    layout.startColor = (fontColor >> 24) != 0 ? fontColor : 0xFFFFFFFFu;
    layout.startAlignment = block.options.alignment;
    ResetStyle(layout);
    const int32_t firstLine = int32_t(block.lines.size());
    const bool hadLines = firstLine > 0;
    const bool hadCursor = block.cursorLine >= 0;
    layout.cursorPlaced = hadCursor;
    OpenLine(layout, true);
    if (hadLines)
        layout.Line().gapAbove = block.options.textSpacing * layout.yScale;
    ReadText(layout, text);
    const int32_t index = block.options.cursorIndex;
    if (index >= 0 && !layout.cursorPlaced && index >= block.charCounter) {  // the cursor after the last character
        block.cursorLine = int32_t(block.lines.size()) - 1;
        block.cursorEntity = int32_t(layout.Line().entities.size()) - 1;
        block.cursorChar = int32_t(layout.Entity().text.size());
    } else if (index < 0) {
        block.cursorLine = block.cursorEntity = block.cursorChar = -1;
    }
    FinishLines(block, firstLine);
    AlignLines(block, firstLine);
    block.textCounter++;
    return RectOf(block, firstLine, int32_t(block.lines.size()) - 1);
}

void DXC_PrintfContainer::AlignLines(PrintfTextBlock& block, int32_t firstLine)
{
    const int32_t count = int32_t(block.lines.size());
    const float maxWidth = float(block.options.maxWidth);
    for (int32_t i = std::max(firstLine, 0); i < count; i++) {
        PrintfLine& line = block.lines[i];
        const bool last = i == count - 1;
        if (!last && line.alignment != 0 && line.alignment != 2) {
            // Spaces at the end of a broken line would push it off the edge it is aligned to.
            for (int32_t e = int32_t(line.entities.size()) - 1; e >= 0; e--) {
                PrintfEntity& entity = line.entities[size_t(e)];
                if (entity.kind == 2 || entity.text.empty())
                    continue;
                while (!entity.text.empty() && entity.text.back() == u' ') {
                    entity.text.pop_back();
                    entity.width -= entity.font ? entity.font->GetGlyphAdvance(entity.font->GlyphOf(u' ')) *
                                                      entity.xScale
                                                : 0.0f;
                }
                if (block.cursorLine == i && block.cursorEntity == e)  // a cursor among the spaces
                    block.cursorChar = std::min(block.cursorChar, int32_t(entity.text.size()));
                break;
            }
        }
        const float width = line.Width();
        switch (line.alignment) {
        case 1:
            line.x = maxWidth > 0.0f ? (maxWidth - width) / 2.0f : -width / 2.0f;
            break;
        case 3:
            if (maxWidth > 0.0f)
                for (PrintfEntity& entity : line.entities)
                    entity.x += maxWidth - width;
            break;
        case 4: {
            // Every gap grows alike: entity k moves by k x extra / (n - 1), so the last one ends
            // at the maximum width.
            const bool paragraphEnds = !last && block.lines[i + 1].newParagraph;
            const int32_t n = CountedEntities(line);
            const float extra = maxWidth - width;
            if (maxWidth <= 0.0f || last || paragraphEnds || n < 2 || extra <= 0.0f)
                break;
            for (int32_t k = 1; k < n; k++)
                line.entities[size_t(k)].x += float(k) * extra / float(n - 1);
            break;
        }
        default:
            break;
        }
    }
}

RECT DXC_PrintfContainer::RectOf(const PrintfTextBlock& block, int32_t firstLine, int32_t lastLine) const
{
    RECT rect;
    firstLine = std::max(firstLine, 0);
    lastLine = std::min(lastLine, int32_t(block.lines.size()) - 1);
    if (firstLine > lastLine)
        return rect;
    float left = 0.0f, right = 0.0f;
    for (int32_t i = firstLine; i <= lastLine; i++) {
        const PrintfLine& line = block.lines[size_t(i)];
        // An offset before the first word belongs to the text; what alignment moved does not.
        const float start = line.entities.empty() ? 0.0f : line.entities.front().x - line.entities.front().startOffset;
        left = i == firstLine ? line.x + start : std::min(left, line.x + start);
        right = i == firstLine ? line.x + line.Width() : std::max(right, line.x + line.Width());
    }
    rect.left = int32_t(std::floor(left));
    rect.top = int32_t(std::floor(block.lines[size_t(firstLine)].y));
    rect.right = int32_t(std::ceil(right));
    rect.bottom = int32_t(std::ceil(block.lines[size_t(lastLine)].y + block.lines[size_t(lastLine)].height));
    return rect;
}
