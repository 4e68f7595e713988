// DXC_Font: a bitmap font: one texture holding every glyph, a rectangle and two spacings per
// glyph, the font's scale and colour, and the map from character codes to glyph numbers.
// DXC_Gfx::CreateBuiltinFont (DXC_GfxBuiltinFont.cpp) fills one from the pixel font compiled
// into the program; the text container (DXC_PrintfContainer) draws with it.
#pragma once
#include "base/DXC_Base.h"
#include "base/String.h"

#include <cstdint>

class DXC_Texture;

// A glyph's rectangle in texture pixels; right and bottom exclusive.
struct DXC_GlyphRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

class DXC_Font : public DXC_Base {
public:
    static constexpr uint16_t kNoGlyph = 65535;  // map entry of a code outside the character set

    DXC_Font();
    ~DXC_Font() override;
    // A copy shares the source's texture and glyph arrays without owning them, and keeps its own
    // character set and map.
    DXC_Font(const DXC_Font& other);
    DXC_Font& operator=(const DXC_Font& other);

    // Gives the texture's images back (the texture object stays), frees the glyph arrays and the
    // map; the font shows nothing afterwards. Returns 1.
    int Release();
    // The characters of the font in glyph order; rebuilds the map.
    void SetCharacters(const char16_t* text, int32_t length);
    void BuildCharMap();
    // Removes what the font cannot show; tab and line feed stay.
    void FilterText(wString& text) const;
    // This font becomes a copy of the source with its own arrays, its own texture object sharing
    // the source's images. 0 (nothing copied) for a source without texture or glyphs.
    int CopyFrom(const DXC_Font& source);

    // The map entry of the code, or -1 outside the mapped range.
    int32_t GetGlyph(int32_t code) const;
    bool HasGlyph(int32_t code) const;
    bool HasCharMap() const { return m_CharMap && m_HighCode > m_LowCode; }
    const uint16_t* GetCharMap() const { return m_CharMap; }
    // The glyph the text container draws for a code: by the map, else by the code's distance
    // from the space; -1 for none.
    int32_t GlyphOf(int32_t code) const;
    // Pen advance and height of a glyph, font scale included; a glyph number outside the font
    // gives the base spacing (advance) and the extra height (height).
    float GetGlyphAdvance(int32_t glyph) const;
    float GetGlyphHeight(int32_t glyph) const;
    float GetLeftBearing(int32_t glyph) const;
    const DXC_GlyphRect* GetGlyphRect(int32_t glyph) const;
    bool CanDraw(int32_t code) const;
    bool IsLoaded() const;
    // The code range, the colour word and that many zeroed glyph rectangles and spacings.
    int AllocateGlyphs(int32_t firstCode, int32_t lastCode, uint32_t color);
    // Letters to capitals, then every byte below 32 or above 95 to "_": what the built-in font
    // shows.
    static void ToBuiltinCharset(String& text);

    DXC_Texture* GetTexture() const { return m_Texture; }
    DXC_Texture& MakeTexture();  // the font's own texture object, made on first use
    const wString& GetCharacters() const { return m_Characters; }
    int32_t GetGlyphCount() const { return m_GlyphCount; }
    int32_t GetFirstCode() const { return m_FirstCode; }
    int32_t GetLastCode() const { return m_LastCode; }
    uint32_t GetColor() const { return m_Color; }
    void SetColor(uint32_t color) { m_Color = color; }
    float GetScale() const { return m_Scale; }
    void SetScale(float scale) { m_Scale = scale; }
    // Fonts with capitals only show a to z as A to Z.
    bool IsCapitalsOnly() const { return m_CapitalsOnly != 0; }

    // Filled by the font's maker (CreateBuiltinFont, a font loader).
    DXC_GlyphRect* m_Rects = nullptr;  // m_GlyphCount each
    float* m_SpacingBefore = nullptr;
    float* m_SpacingAfter = nullptr;
    int32_t m_Reserved = 0;  // -1 for the built-in font; nothing reads it
    float m_Scale = 1.0f;
    float m_BaseSpacing = 1.0f;   // added to every glyph's advance
    float m_ExtraHeight = 0.0f;   // added to every glyph's height
    float m_LineFactor = 0.75f;
    int32_t m_CapitalsOnly = 0;

private:
    void FreeArrays();
    void CopyMembers(const DXC_Font& other);

    DXC_Texture* m_Texture = nullptr;  // deleted by the font that owns it
    uint32_t m_Color = 0;              // text colour; alpha 0: white
    int32_t m_FirstCode = -1;
    int32_t m_LastCode = -1;
    int32_t m_GlyphCount = 0;
    bool m_Owner = true;  // false for a copy: texture and glyph arrays are the source's
    wString m_Characters;
    uint16_t* m_CharMap = nullptr;  // (m_HighCode - m_LowCode + 1) entries
    int32_t m_LowCode = 99999;
    int32_t m_HighCode = 0;
};
