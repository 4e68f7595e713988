// DXC_Font: the font object, its character map, glyph metrics and copies.
#include "engine/gfx/DXC_Font.h"

#include "engine/gfx/DXC_Texture.h"

#include <algorithm>

DXC_Font::DXC_Font() { SetName("DXC_Font"); }

DXC_Font::~DXC_Font()
{
    Release();
    if (m_Owner)
        delete m_Texture;
}

DXC_Font::DXC_Font(const DXC_Font& other) : DXC_Base(other) { CopyMembers(other); }

DXC_Font& DXC_Font::operator=(const DXC_Font& other)
{
    if (this == &other)
        return *this;
    Release();
    if (m_Owner)
        delete m_Texture;
    DXC_Base::operator=(other);
    CopyMembers(other);
    return *this;
}

void DXC_Font::CopyMembers(const DXC_Font& other)
{
    m_Texture = other.m_Texture;
    m_Rects = other.m_Rects;
    m_SpacingBefore = other.m_SpacingBefore;
    m_SpacingAfter = other.m_SpacingAfter;
    m_Owner = false;
    m_Color = other.m_Color;
    m_Reserved = other.m_Reserved;
    m_FirstCode = other.m_FirstCode;
    m_LastCode = other.m_LastCode;
    m_GlyphCount = other.m_GlyphCount;
    m_Scale = other.m_Scale;
    m_BaseSpacing = other.m_BaseSpacing;
    m_ExtraHeight = other.m_ExtraHeight;
    m_LineFactor = other.m_LineFactor;
    m_CapitalsOnly = other.m_CapitalsOnly;
    m_Characters = other.m_Characters;
    BuildCharMap();
}

void DXC_Font::FreeArrays()
{
    if (m_Owner) {
        delete[] m_Rects;
        delete[] m_SpacingBefore;
        delete[] m_SpacingAfter;
    }
    m_Rects = nullptr;
    m_SpacingBefore = nullptr;
    m_SpacingAfter = nullptr;
    delete[] m_CharMap;
    m_CharMap = nullptr;
    m_LowCode = 99999;
    m_HighCode = 0;
}

int DXC_Font::Release()
{
    if (m_Texture && m_Owner)
        m_Texture->Release();
    FreeArrays();
    m_Color = 0;
    m_FirstCode = -1;
    m_LastCode = -1;
    m_GlyphCount = 0;
    m_Scale = 1.0f;
    m_BaseSpacing = 1.0f;
    m_ExtraHeight = 0.0f;
    m_CapitalsOnly = 0;
    if (!m_Owner) {  // a released copy forgets what it shared and owns what it makes next
        m_Texture = nullptr;
        m_Owner = true;
    }
    return 1;
}

DXC_Texture& DXC_Font::MakeTexture()
{
    if (!m_Texture)
        m_Texture = new DXC_Texture;
    return *m_Texture;
}

void DXC_Font::SetCharacters(const char16_t* text, int32_t length)
{
    m_Characters.Release();
    if (text && length > 0) {
        m_Characters.Alloc(length);
        std::copy(text, text + length, m_Characters.GetBuffer());
        m_Characters.GetBuffer()[length] = 0;
    }
    BuildCharMap();
    m_FirstCode = 0;
    m_LastCode = m_Characters.GetLength();
    m_GlyphCount = m_Characters.GetLength();
}

void DXC_Font::BuildCharMap()
{
    delete[] m_CharMap;
    m_CharMap = nullptr;
    m_LowCode = 99999;
    m_HighCode = 0;
    const int32_t n = m_Characters.GetLength();
    const char16_t* set = m_Characters.c_str();
    if (n <= 0)
        return;
    for (int32_t i = 0; i < n; i++) {
        m_LowCode = std::min(m_LowCode, int32_t(set[i]));
        m_HighCode = std::max(m_HighCode, int32_t(set[i]));
    }
    m_CharMap = new uint16_t[size_t(m_HighCode - m_LowCode + 1)];
    std::fill(m_CharMap, m_CharMap + (m_HighCode - m_LowCode + 1), kNoGlyph);
    for (int32_t i = n - 1; i >= 0; i--)  // backwards, so that the first occurrence wins
        m_CharMap[set[i] - m_LowCode] = uint16_t(i);
}

int32_t DXC_Font::GetGlyph(int32_t code) const
{
    if (!m_CharMap || code < m_LowCode || code > m_HighCode)
        return -1;
    return m_CharMap[code - m_LowCode];
}

bool DXC_Font::HasGlyph(int32_t code) const
{
    const int32_t glyph = GetGlyph(code);
    return glyph >= 0 && glyph != kNoGlyph;
}

int32_t DXC_Font::GlyphOf(int32_t code) const
{
    if (HasCharMap())
        return HasGlyph(code) ? GetGlyph(code) : -1;
    return code >= m_FirstCode && code <= m_LastCode ? code - m_FirstCode : -1;
}

const DXC_GlyphRect* DXC_Font::GetGlyphRect(int32_t glyph) const
{
    return m_Rects && glyph >= 0 && glyph < m_GlyphCount ? &m_Rects[glyph] : nullptr;
}

float DXC_Font::GetGlyphAdvance(int32_t glyph) const
{
    const DXC_GlyphRect* rect = GetGlyphRect(glyph);
    if (!rect || !m_SpacingBefore || !m_SpacingAfter)
        return m_BaseSpacing * m_Scale;
    return (m_BaseSpacing - m_SpacingAfter[glyph] - m_SpacingBefore[glyph] + float(rect->right - rect->left)) *
           m_Scale;
}

float DXC_Font::GetGlyphHeight(int32_t glyph) const
{
    const DXC_GlyphRect* rect = GetGlyphRect(glyph);
    if (!rect)
        return m_ExtraHeight * m_Scale;
    return (float(rect->bottom - rect->top) + m_ExtraHeight) * m_Scale;
}

float DXC_Font::GetLeftBearing(int32_t glyph) const
{
    return GetGlyphRect(glyph) && m_SpacingBefore ? m_SpacingBefore[glyph] * m_Scale : 0.0f;
}

bool DXC_Font::IsLoaded() const { return m_Texture && m_Texture->IsValid(); }

bool DXC_Font::CanDraw(int32_t code) const
{
    if (!IsLoaded())
        return false;
    if (code == 9 || code == 10)
        return true;
    return GlyphOf(code) >= 0;
}

void DXC_Font::FilterText(wString& text) const
{
    char16_t* units = text.GetBuffer();
    if (!units)
        return;
    const int32_t n = text.TextLength();
    int32_t kept = 0;
    for (int32_t i = 0; i < n; i++)
        if (CanDraw(units[i]))
            units[kept++] = units[i];
    text.Resize(kept);
}

int DXC_Font::CopyFrom(const DXC_Font& source)
{
    if (!source.IsLoaded() || source.m_GlyphCount <= 0 || !source.m_Rects)
        return 0;
    Release();
    DXC_Texture* own = m_Texture;
    CopyMembers(source);
    m_Owner = true;
    m_Texture = own;
    const int32_t n = m_GlyphCount;
    m_Rects = new DXC_GlyphRect[size_t(n)];
    m_SpacingBefore = new float[size_t(n)];
    m_SpacingAfter = new float[size_t(n)];
    std::copy(source.m_Rects, source.m_Rects + n, m_Rects);
    for (int32_t i = 0; i < n; i++) {
        m_SpacingBefore[i] = source.m_SpacingBefore ? source.m_SpacingBefore[i] : 0.0f;
        m_SpacingAfter[i] = source.m_SpacingAfter ? source.m_SpacingAfter[i] : 0.0f;
    }
    DXC_Texture& texture = MakeTexture();
    source.m_Texture->Clone(texture, 1, -1);
    texture.UpdateDesc();  // size and pixel format of the shared image, for locks and drawing
    return 1;
}

int DXC_Font::AllocateGlyphs(int32_t firstCode, int32_t lastCode, uint32_t color)
{
    if (!m_Owner) {  // a copy's arrays are its source's: make its own from here on
        m_Rects = nullptr;
        m_SpacingBefore = nullptr;
        m_SpacingAfter = nullptr;
        m_Texture = nullptr;
        m_Owner = true;
    }
    FreeArrays();
    BuildCharMap();
    m_FirstCode = firstCode;
    m_LastCode = lastCode;
    m_Color = color;
    m_GlyphCount = std::max(0, lastCode - firstCode + 1);
    m_Rects = new DXC_GlyphRect[size_t(m_GlyphCount)]();
    m_SpacingBefore = new float[size_t(m_GlyphCount)]();
    m_SpacingAfter = new float[size_t(m_GlyphCount)]();
    return 1;
}

void DXC_Font::ToBuiltinCharset(String& text)
{
    char* bytes = text.GetBuffer();
    if (!bytes)
        return;
    for (char* p = bytes; *p; ++p) {
        if (*p >= 'a' && *p <= 'z')
            *p = char(*p - 'a' + 'A');
        const signed char c = static_cast<signed char>(*p);
        if (c < 32 || c > 95)  // 96 has no glyph either
            *p = '_';
    }
}
