// DXC_Gfx built-in font: the pixel font compiled into the program (codes 32 to 95, 5 x 5 pixels
// each) drawn into a 128 x 32 texture, so that text shows without any font file.
#include "engine/gfx/DXC_Gfx.h"

#include "engine/gfx/DXC_Font.h"

#include <cmath>

namespace {

constexpr int32_t kBuiltinFirst = 32;  // space
constexpr int32_t kBuiltinGlyphs = 64;  // up to "_"
constexpr int32_t kGlyphSize = 5;
constexpr int32_t kCellSize = 6;
constexpr int32_t kCellsPerRow = 21;  // the 64th glyph starts a fourth row of cells
constexpr int32_t kBuiltinWidth = 128;
constexpr int32_t kBuiltinHeight = 32;

// One glyph per code, five rows of five pixels each, "X" marked.
constexpr const char* kBuiltinGlyphs5x5[kBuiltinGlyphs] = {
    "     " "     " "     " "     " "     ",  // space
    "  X  " "  X  " "  X  " "     " "  X  ",  // !
    " X X " " X X " "     " "     " "     ",  // quote
    " X X " "XXXXX" " X X " "XXXXX" " X X ",  // #
    " XXXX" "X X  " " XXX " "  X X" "XXXX ",  // $
    "XX  X" "XX X " "  X  " " X XX" "X  XX",  // %
    " XX  " "X  X " " XX X" "X  X " " XX X",  // &
    "  X  " "  X  " "     " "     " "     ",  // apostrophe
    "   X " "  X  " "  X  " "  X  " "   X ",  // (
    " X   " "  X  " "  X  " "  X  " " X   ",  // )
    "X X X" " XXX " "XXXXX" " XXX " "X X X",  // *
    "     " "  X  " " XXX " "  X  " "     ",  // +
    "     " "     " "     " "  X  " " X   ",  // ,
    "     " "     " " XXX " "     " "     ",  // -
    "     " "     " "     " "     " "  X  ",  // .
    "    X" "   X " "  X  " " X   " "X    ",  // /
    "XXXXX" "X   X" "X   X" "X   X" "XXXXX",  // 0
    "  X  " " XX  " "  X  " "  X  " " XXX ",  // 1
    "XXXX " "    X" " XXX " "X    " "XXXXX",  // 2
    "XXXX " "    X" " XXX " "    X" "XXXX ",  // 3
    "X  X " "X  X " "XXXXX" "   X " "   X ",  // 4
    "XXXXX" "X    " "XXXX " "    X" "XXXX ",  // 5
    " XXX " "X    " "XXXX " "X   X" " XXX ",  // 6
    "XXXXX" "    X" "   X " "  X  " "  X  ",  // 7
    " XXX " "X   X" " XXX " "X   X" " XXX ",  // 8
    " XXX " "X   X" " XXXX" "    X" " XXX ",  // 9
    "     " "  X  " "     " "  X  " "     ",  // :
    "     " "  X  " "     " "  X  " " X   ",  // ;
    "   X " "  X  " " X   " "  X  " "   X ",  // <
    "     " "XXXXX" "     " "XXXXX" "     ",  // =
    " X   " "  X  " "   X " "  X  " " X   ",  // >
    " XXX " "X   X" "  XX " "     " "  X  ",  // ?
    " XXX " "X XXX" "X X X" "X XX " " XXX ",  // @
    " XXX " "X   X" "XXXXX" "X   X" "X   X",  // A
    "XXXX " "X   X" "XXXX " "X   X" "XXXX ",  // B
    " XXXX" "X    " "X    " "X    " " XXXX",  // C
    "XXXX " "X   X" "X   X" "X   X" "XXXX ",  // D
    "XXXXX" "X    " "XXXX " "X    " "XXXXX",  // E
    "XXXXX" "X    " "XXXX " "X    " "X    ",  // F
    " XXXX" "X    " "X  XX" "X   X" " XXXX",  // G
    "X   X" "X   X" "XXXXX" "X   X" "X   X",  // H
    " XXX " "  X  " "  X  " "  X  " " XXX ",  // I
    "  XXX" "   X " "   X " "X  X " " XX  ",  // J
    "X   X" "X  X " "XXX  " "X  X " "X   X",  // K
    "X    " "X    " "X    " "X    " "XXXXX",  // L
    "X   X" "XX XX" "X X X" "X   X" "X   X",  // M
    "X   X" "XX  X" "X X X" "X  XX" "X   X",  // N
    " XXX " "X   X" "X   X" "X   X" " XXX ",  // O
    "XXXX " "X   X" "XXXX " "X    " "X    ",  // P
    " XXX " "X   X" "X X X" "X  X " " XX X",  // Q
    "XXXX " "X   X" "XXXX " "X  X " "X   X",  // R
    " XXXX" "X    " " XXX " "    X" "XXXX ",  // S
    "XXXXX" "  X  " "  X  " "  X  " "  X  ",  // T
    "X   X" "X   X" "X   X" "X   X" " XXX ",  // U
    "X   X" "X   X" "X   X" " X X " "  X  ",  // V
    "X   X" "X   X" "X X X" "XX XX" "X   X",  // W
    "X   X" " X X " "  X  " " X X " "X   X",  // X
    "X   X" " X X " "  X  " "  X  " "  X  ",  // Y
    "XXXXX" "   X " "  X  " " X   " "XXXXX",  // Z
    " XXX " " X   " " X   " " X   " " XXX ",  // [
    "X    " " X   " "  X  " "   X " "    X",  // backslash
    " XXX " "   X " "   X " "   X " " XXX ",  // ]
    "  X  " " X X " "X   X" "     " "     ",  // ^
    "     " "     " "     " "     " "XXXXX",  // _
};

uint8_t BlendChannel(uint32_t a, uint32_t b, int32_t shift, float d)
{
    const float from = float((a >> shift) & 0xFF), to = float((b >> shift) & 0xFF);
    return uint8_t(int32_t(from + (to - from) * d));  // truncated toward zero
}

}  // namespace

int DXC_Gfx::CreateBuiltinFont(DXC_Font* font, uint32_t colorA, uint32_t colorB)
{
    font->Release();
    D3DFORMAT format = D3DFMT_A4R4G4B4;
    if (device && CheckTextureFormat(D3DFMT_A8R8G8B8, 0))  // a refusal warns
        format = D3DFMT_A8R8G8B8;
    DXC_Texture& texture = font->MakeTexture();
    CreateTexture(&texture, kBuiltinWidth, kBuiltinHeight, 4, int32_t(format), 1);
    font->AllocateGlyphs(kBuiltinFirst, kBuiltinFirst + kBuiltinGlyphs - 1, 0);
    texture.Lock(nullptr, 0);
    for (int32_t n = 0; n < kBuiltinGlyphs; n++) {
        const int32_t x = n % kCellsPerRow * kCellSize, y = n / kCellsPerRow * kCellSize;
        font->m_Rects[n] = {x, y, x + kGlyphSize, y + kGlyphSize};
        for (int32_t p = 0; p < kGlyphSize * kGlyphSize; p++) {
            const int32_t c = p % kGlyphSize, r = p / kGlyphSize;
            if (x + c >= kBuiltinWidth || y + r >= kBuiltinHeight)
                continue;
            uint32_t color = 0;
            if (kBuiltinGlyphs5x5[n][p] == 'X') {
                // A radial blend from colour A at the top left to colour B at the bottom right.
                const float d = std::sqrt(float(r * r + c * c) * 0.03125f);
                color = 0xFF000000u | uint32_t(BlendChannel(colorA, colorB, 16, d)) << 16 |
                        uint32_t(BlendChannel(colorA, colorB, 8, d)) << 8 | BlendChannel(colorA, colorB, 0, d);
            }
            texture.PutPixel(x + c, y + r, color);
        }
    }
    texture.Unlock();
    font->m_Scale = font->m_BaseSpacing = font->m_ExtraHeight = 1.0f;
    font->m_LineFactor = 0.75f;
    font->m_CapitalsOnly = 1;
    font->m_Reserved = -1;
    char16_t characters[kBuiltinGlyphs];
    for (int32_t n = 0; n < kBuiltinGlyphs; n++)
        characters[n] = char16_t(kBuiltinFirst + n);
    font->SetCharacters(characters, kBuiltinGlyphs);
    return 1;
}
