// DXC_PrintfContainer: lays wide text with "|" markup and inline pictures out into lines of
// words (PrintfTextBlock) and draws them as batched glyph quads with the current font. The
// graphics object owns one; its printf-style operations and the text widgets go through it.
//
// The class is split by role:
//   DXC_PrintfContainer.cpp  options and their stack, text blocks, inline pictures, SetText,
//                            GetTextRect, Clear and the release of the device objects
//   DXC_PrintfLayout.cpp     the markup, the character steps, wrapping and AlignLines
//   DXC_PrintfRender.cpp     Render: clipping, the first visible line, fade, cursor, batches
//
// Markup ("|" and one code letter; only while the options' markup flag is 1):
//   |Crrggbb |crgb colour (alpha 255)   |Z centred |L left |T right |J justified  |N line break
//   |R the starting colour, scale and alignment   |Sxxyy x and y scale x.x, y.y  |sxx both
//   |Pddd |pdd move the next word right by so many pixels   |i'name' inline picture   || a "|"
// A code cut by the end of the text ends the text; a character that is not a digit where one is
// due ends the code and is read as text; any other letter after "|" is text, "|" included.
#pragma once
#include "base/DXC_Base.h"
#include "base/String.h"
#include "platform/Window.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class DXC_Font;
class DXC_Gfx;
class DXC_Texture;
class IDirect3DVertexBuffer9;

// The print options, copied whole.
struct DXC_PrintfOptions {
    int32_t alignment = 0;  // 0 none, 1 centred, 2 left, 3 right, 4 justified
    int32_t wrap = 0;       // lines break at the maximum width only when set
    float textSpacing = 0.0f;  // above a text laid out after existing lines, times the y scale
    int32_t wholeWords = 1;    // 1 moves a word that does not fit, 0 breaks inside it
    int32_t maxWidth = 0;      // pixels; 0 unlimited
    int32_t maxHeight = 0;
    int32_t fixedX = 0;  // the corner the clipping measures from, when fixedCorner is set
    int32_t fixedY = 0;
    uint8_t fixedCorner = 0;
    uint16_t cursorChar = 95;  // "_"
    int32_t cursorIndex = -1;  // the cursor stands after that many characters; -1 none
    int32_t markup = 1;
};

// A word with the spaces that follow it (kinds 0 and 1), or an inline picture (kind 2).
struct PrintfEntity {
    int32_t kind = 1;
    std::u16string text;
    uint32_t color = 0xFFFFFFFFu;  // ARGB
    DXC_Font* font = nullptr;
    DXC_Texture* image = nullptr;  // kind 2; not owned
    float xScale = 1.0f;
    float yScale = 1.0f;
    float x = 0.0f;  // in the line
    float width = 0.0f;
    float height = 0.0f;  // kind 2
    int32_t textCounter = 0;  // of the SetText that made it: what the fade picks
    float startOffset = 0.0f;

    float End() const { return x + width; }
};

struct PrintfLine {
    std::vector<PrintfEntity> entities;
    int32_t alignment = 0;
    float x = 0.0f;
    float y = 0.0f;
    float height = 0.0f;
    float spacing = 0.0f;  // to the next line
    float gapAbove = 0.0f;  // the text spacing of a text laid out after earlier lines
    bool newParagraph = false;

    float Width() const { return entities.empty() ? 0.0f : entities.back().End(); }
    float Bottom() const { return y + height + spacing; }
};

// Lines with their options, fade and cursor; a widget keeps its own, the container has one.
struct PrintfTextBlock {
    static constexpr float kNoFade = 8999999488.0f;

    std::vector<PrintfLine> lines;
    DXC_PrintfOptions options;
    float fadeStart = kNoFade;
    float fadeEnd = kNoFade;
    int32_t fadeCounter = -1;  // the text counter whose entities fade
    int32_t textCounter = 0;   // raised by every SetText
    int32_t charCounter = 0;   // characters laid out, for the cursor index
    int32_t cursorLine = -1;   // -1: no cursor
    int32_t cursorEntity = -1;
    int32_t cursorChar = -1;

    void SetOptions(const DXC_PrintfOptions& value) { options = value; }
    void SetFadeRange(float start, float end)
    {
        fadeStart = start;
        fadeEnd = end;
    }
    void SetFadeCounter(int32_t counter) { fadeCounter = counter; }
    // No lines; fade range, counters and cursor back to their starting values.
    void Clear();
    int32_t CountCharacters() const;
};

class DXC_PrintfContainer : public DXC_Base {
public:
    static constexpr int32_t kMaxSavedOptions = 8;
    static constexpr int32_t kBatchQuads = 256;
    static constexpr uint32_t kVertexBytes = 28;  // x, y, z, rhw, diffuse, u, v

    DXC_PrintfContainer();
    ~DXC_PrintfContainer() override;
    DXC_PrintfContainer(const DXC_PrintfContainer&) = delete;
    DXC_PrintfContainer& operator=(const DXC_PrintfContainer&) = delete;

    void SetGfx(DXC_Gfx* gfx) { m_Gfx = gfx; }

    void SetOptions(const DXC_PrintfOptions& options) { m_Options = options; }
    void GetOptions(DXC_PrintfOptions& options) const { options = m_Options; }
    const DXC_PrintfOptions& GetOptions() const { return m_Options; }
    // "SaveOptions() stack overflow" past eight; the slot of the saved copy.
    int32_t SaveOptions();
    void RestoreOptions();  // nothing with an empty stack
    int32_t GetSavedCount() const { return m_SavedCount; }

    // Clears the container's own block, makes it current and lays the text out with the current
    // options; the rectangle of the new lines (all 0 for no text).
    RECT SetText(const char16_t* text);
    // Lays the text out after the block's lines with the block's options (the widgets' road).
    RECT LayoutText(PrintfTextBlock& block, const char16_t* text);
    void SetCurrentBlock(PrintfTextBlock* block) { m_Block = block ? block : &m_OwnBlock; }
    PrintfTextBlock& GetCurrentBlock() { return *m_Block; }
    PrintfTextBlock& GetOwnBlock() { return m_OwnBlock; }
    // Draws the current block with its top-left corner at (x, y).
    void Render(float x, float y);
    // The bounding rectangle of lines first to last (clamped to the block's lines).
    RECT GetTextRect(int32_t firstLine, int32_t lastLine) const;
    void AlignLines(PrintfTextBlock& block, int32_t firstLine = 0);
    void Clear();
    // What the graphics object gives back with its device: pictures, the own block, the buffer.
    void ReleaseDeviceObjects();

    // Glyph quads drawn and batches flushed since construction (for the statistics).
    int32_t GetQuadsDrawn() const { return m_QuadsDrawn; }

private:
    // Layout (DXC_PrintfLayout.cpp).
    struct Layout;
    void ReadText(Layout& layout, const char16_t* text);
    bool ReadCode(Layout& layout, const char16_t*& p);
    void AddCharacter(Layout& layout, char16_t c);
    void AddImage(Layout& layout, const std::u16string& name);
    void AddText(Layout& layout, const char16_t* text);
    void OpenLine(Layout& layout, bool newParagraph);
    void OpenEntity(Layout& layout);
    void MoveWordToNewLine(Layout& layout);
    void ResetStyle(Layout& layout);
    static void FinishLines(PrintfTextBlock& block, int32_t firstLine);
    RECT RectOf(const PrintfTextBlock& block, int32_t firstLine, int32_t lastLine) const;
    // The picture of a name: the catalogue, the cache, or a file loaded into the cache.
    DXC_Texture* FindImage(const char* name);

    // Drawing (DXC_PrintfRender.cpp).
    struct Batch;
    void DrawImage(Batch& batch, const PrintfEntity& entity, float x, float y);
    void EmitGlyph(Batch& batch, const PrintfEntity& entity, int32_t glyph, float x, float y, uint8_t alpha);
    void Flush(Batch& batch);
    void BindFont(Batch& batch, DXC_Font* font);
    void MakeBuffer();

    DXC_Gfx* m_Gfx = nullptr;
    std::vector<std::unique_ptr<DXC_Texture>> m_Images;  // pictures loaded by markup; owned
    std::vector<std::string> m_ImageNames;
    IDirect3DVertexBuffer9* m_Buffer = nullptr;  // kBatchQuads quads; one reference
    PrintfTextBlock m_OwnBlock;
    PrintfTextBlock* m_Block = &m_OwnBlock;
    DXC_PrintfOptions m_Options;
    std::array<DXC_PrintfOptions, kMaxSavedOptions> m_Saved;
    int32_t m_SavedCount = 0;
    int32_t m_QuadsDrawn = 0;
};
