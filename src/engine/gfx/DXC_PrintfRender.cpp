// DXC_PrintfContainer drawing: the clipped area, the first visible line by binary search, fade
// and cursor, and glyph quads in batches of 256 from one vertex buffer.
#include "engine/gfx/DXC_PrintfContainer.h"

#include "engine/gfx/DXC_Font.h"
#include "engine/gfx/DXC_Gfx.h"
#include "engine/gfx/DXC_Texture.h"
#include "platform/D3D9Device.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// A transformed, lit vertex as the device reads it: position, rhw, diffuse, one coordinate pair.
struct PrintfVertex {
    float x, y, z, rhw;
    uint32_t color;
    float u, v;
};
static_assert(sizeof(PrintfVertex) == DXC_PrintfContainer::kVertexBytes);

constexpr DWORD kPrintfFormat = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// Whole pixels minus a quarter, so that point sampling hits each texel's middle.
float SnapToPixel(float value) { return std::round(value) - 0.25f; }

// 1 before the fade range, 0 after it, falling linearly inside it.
float FadeFactor(const PrintfTextBlock& block, int32_t position)
{
    const float t = float(position) + 0.5f;
    if (t < block.fadeStart)
        return 1.0f;
    if (t > block.fadeEnd || block.fadeEnd <= block.fadeStart)
        return 0.0f;
    return 1.0f - (t - block.fadeStart) / (block.fadeEnd - block.fadeStart);
}

uint8_t AlphaOf(float factor) { return uint8_t(std::clamp(std::lround(255.0f * factor), 0L, 255L)); }

}  // namespace

struct DXC_PrintfContainer::Batch {
    std::vector<PrintfVertex> vertices = std::vector<PrintfVertex>(size_t(kBatchQuads) * 6);
    int32_t quads = 0;
    DXC_Font* font = nullptr;  // whose texture stage 0 holds
    float textureWidth = 1.0f;
    float textureHeight = 1.0f;

    void Quad(float x0, float y0, float x1, float y1, float u0, float v0, float u1, float v1, uint32_t color)
    {
        PrintfVertex* v = &vertices[size_t(quads) * 6];
        v[0] = {x0, y0, 0.0f, 1.0f, color, u0, v0};
        v[1] = {x1, y0, 0.0f, 1.0f, color, u1, v0};
        v[2] = {x0, y1, 0.0f, 1.0f, color, u0, v1};
        v[3] = {x1, y0, 0.0f, 1.0f, color, u1, v0};
        v[4] = {x1, y1, 0.0f, 1.0f, color, u1, v1};
        v[5] = {x0, y1, 0.0f, 1.0f, color, u0, v1};
        quads++;
    }
};

void DXC_PrintfContainer::MakeBuffer()
{
    if (m_Buffer)
        return;
    const HRESULT result = m_Gfx->GetDevice()->CreateVertexBuffer(
        uint32_t(kBatchQuads) * 6 * kVertexBytes, D3DUSAGE_WRITEONLY, kPrintfFormat, D3DPOOL_MANAGED, &m_Buffer,
        nullptr);
    if (FAILED(result))
        Error("CreateVertexBuffer failed: %s", GetDirectXErrorName(result));
}

void DXC_PrintfContainer::Flush(Batch& batch)
{
    if (batch.quads == 0)
        return;
    MakeBuffer();
    const uint32_t bytes = uint32_t(batch.quads) * 6 * kVertexBytes;
    void* data = nullptr;
    HRESULT result = m_Buffer->Lock(0, bytes, &data, 0);
    if (FAILED(result))
        Error("Lock failed: %s", GetDirectXErrorName(result));
    std::memcpy(data, batch.vertices.data(), bytes);
    m_Buffer->Unlock();
    IDirect3DDevice9& device = *m_Gfx->GetDevice();
    const uint8_t quadFlag = m_Gfx->GetQuadDrawFlag();
    m_Gfx->SetQuadDrawFlag(0);
    device.SetFVF(kPrintfFormat);
    m_Gfx->SetStreamSource(0, m_Buffer, kVertexBytes);
    result = device.DrawPrimitive(D3DPT_TRIANGLELIST, 0, uint32_t(batch.quads) * 2);
    m_Gfx->SetQuadDrawFlag(quadFlag);
    if (FAILED(result))
        Error("DrawPrimitive failed: %s", GetDirectXErrorName(result));
    m_QuadsDrawn += batch.quads;
    batch.quads = 0;
}

// Glyphs take their colour from the vertices and their shape and alpha from the font texture.
void DXC_PrintfContainer::BindFont(Batch& batch, DXC_Font* font)
{
    if (batch.font == font)
        return;
    Flush(batch);
    batch.font = font;
    DXC_Texture* texture = font ? font->GetTexture() : nullptr;
    m_Gfx->SetMaterialStages(texture, 0);
    m_Gfx->SetStageColorOp(0, D3DTOP_MODULATE);
    m_Gfx->SetStageColorArg1(0, D3DTA_TEXTURE);
    m_Gfx->SetStageColorArg2(0, D3DTA_DIFFUSE);
    m_Gfx->SetStageColorOp(1, D3DTOP_DISABLE);
    m_Gfx->SetBlendMode(9, 255, 0);
    batch.textureWidth = texture && texture->pixelWidth > 0 ? float(texture->pixelWidth) : 1.0f;
    batch.textureHeight = texture && texture->pixelHeight > 0 ? float(texture->pixelHeight) : 1.0f;
}

void DXC_PrintfContainer::EmitGlyph(Batch& batch, const PrintfEntity& entity, int32_t glyph, float x, float y,
                                    uint8_t alpha)
{
    const DXC_GlyphRect* rect = entity.font->GetGlyphRect(glyph);
    if (!rect)
        return;
    const float scale = entity.font->GetScale();
    const float width = float(rect->right - rect->left) * scale * entity.xScale;
    const float height = float(rect->bottom - rect->top) * scale * entity.yScale;
    const float x0 = SnapToPixel(x), y0 = SnapToPixel(y);
    // A hundredth of a texel inside every edge keeps the neighbouring glyph out of the sample.
    const float u0 = (float(rect->left) + 0.01f) / batch.textureWidth;
    const float v0 = (float(rect->top) + 0.01f) / batch.textureHeight;
    const float u1 = (float(rect->left) + 0.01f + float(rect->right - rect->left) - 0.02f) / batch.textureWidth;
    const float v1 = (float(rect->top) + 0.01f + float(rect->bottom - rect->top) - 0.02f) / batch.textureHeight;
    batch.Quad(x0, y0, x0 + width, y0 + height, u0, v0, u1, v1, uint32_t(alpha) << 24 | (entity.color & 0xFFFFFFu));
    if (batch.quads == kBatchQuads)
        Flush(batch);
}

void DXC_PrintfContainer::DrawImage(Batch& batch, const PrintfEntity& entity, float x, float y)
{
    Flush(batch);
    batch.font = nullptr;  // the next word binds its font again
    m_Gfx->SetMaterialStages(entity.image, -1);
    const float x0 = SnapToPixel(x), y0 = SnapToPixel(y);
    batch.Quad(x0, y0, x0 + entity.width, y0 + entity.height, 0.0f, 0.0f, 1.0f, 1.0f, 0xFFFFFFFFu);
    Flush(batch);
}

void DXC_PrintfContainer::Render(float x, float y)
{
    IDirect3DDevice9* device = m_Gfx ? m_Gfx->GetDevice() : nullptr;
    if (!device)
        return;  // the server draws nothing
    const PrintfTextBlock& block = *m_Block;
    const DXC_PrintfOptions& options = block.options;
    D3DVIEWPORT9 port;
    device->GetViewport(&port);
    float area[4] = {float(port.X), float(port.Y), float(port.X + port.Width), float(port.Y + port.Height)};
    const float cornerX = options.fixedCorner ? float(options.fixedX) : x;
    const float cornerY = options.fixedCorner ? float(options.fixedY) : y;
    if (options.maxWidth > 0) {
        area[0] = std::max(area[0], cornerX);
        area[2] = std::min(area[2], cornerX + float(options.maxWidth));
    }
    if (options.maxHeight > 0) {
        area[1] = std::max(area[1], cornerY);
        area[3] = std::min(area[3], cornerY + float(options.maxHeight));
    }
    if (area[2] <= area[0] || area[3] <= area[1] || block.lines.empty())
        return;
    const bool limited = area[0] != float(port.X) || area[1] != float(port.Y) ||
                         area[2] != float(port.X + port.Width) || area[3] != float(port.Y + port.Height);
    if (limited)
        m_Gfx->SetViewPort(int32_t(area[0]), int32_t(area[1]), int32_t(area[2]), int32_t(area[3]), 0.0f, 1.0f);
    const int32_t magFilter = m_Gfx->magFilters[0], minFilter = m_Gfx->minFilters[0];
    const int32_t blendMode = m_Gfx->GetBlendMode(), blendAlpha = m_Gfx->requestedBlendAlpha;
    m_Gfx->SetTextureMode(2, 0);  // point magnification
    m_Gfx->SetTextureMode(4, 0);  // point minification
    m_Gfx->DisableZBuffer();

    // The first line that reaches into the area; lines lie in order of their top.
    const auto first = std::partition_point(block.lines.begin(), block.lines.end(), [&](const PrintfLine& line) {
        return y + line.Bottom() < area[1];
    });
    int32_t fadePosition = 0;  // characters of the fading text before the one drawn
    if (block.fadeCounter >= 0)
        for (auto line = block.lines.begin(); line != first; ++line)
            for (const PrintfEntity& entity : line->entities)
                if (entity.kind != 2 && entity.textCounter == block.fadeCounter)
                    fadePosition += int32_t(entity.text.size());

    Batch batch;
    float factor = 1.0f;
    for (auto line = first; line != block.lines.end() && y + line->y <= area[3]; ++line) {
        const int32_t lineIndex = int32_t(line - block.lines.begin());
        for (size_t e = 0; e < line->entities.size(); e++) {
            const PrintfEntity& entity = line->entities[e];
            const float top = y + line->y;
            float pen = x + line->x + entity.x;
            if (entity.kind == 2) {
                if (entity.image)
                    DrawImage(batch, entity, pen, top);
                continue;
            }
            if (!entity.font)
                continue;
            BindFont(batch, entity.font);
            const bool fading = entity.textCounter == block.fadeCounter;
            if (!fading)
                factor = 1.0f;
            const bool cursorHere = block.cursorLine == lineIndex && block.cursorEntity == int32_t(e);
            for (size_t c = 0; c <= entity.text.size(); c++) {
                if (fading && c < entity.text.size())
                    factor = FadeFactor(block, fadePosition++);
                if (cursorHere && block.cursorChar == int32_t(c)) {
                    const int32_t glyph = entity.font->GlyphOf(options.cursorChar);
                    const DXC_GlyphRect* rect = entity.font->GetGlyphRect(glyph);
                    if (rect && factor > 0.0f)
                        EmitGlyph(batch, entity, glyph,
                                  pen - float(rect->right - rect->left) * entity.xScale / 10.0f,
                                  top + float(rect->bottom - rect->top) * entity.yScale / 10.0f, AlphaOf(factor));
                }
                if (c == entity.text.size() || pen >= area[2])
                    break;
                const int32_t glyph = entity.font->GlyphOf(entity.text[c]);
                if (pen >= area[0] && factor > 0.0f)
                    EmitGlyph(batch, entity, glyph, pen, top, AlphaOf(factor));
                pen += entity.font->GetGlyphAdvance(glyph) * entity.xScale;
            }
        }
    }
    Flush(batch);

    m_Gfx->EnableZBuffer();
    if (blendMode != m_Gfx->GetBlendMode())
        m_Gfx->SetBlendMode(blendMode, blendAlpha, 0);
    if (magFilter >= 0 && m_Gfx->magFilters[0] != magFilter) {
        m_Gfx->magFilters[0] = magFilter;
        m_Gfx->SetSamplerState(0, D3DSAMP_MAGFILTER, DWORD(magFilter));
    }
    if (minFilter >= 0 && m_Gfx->minFilters[0] != minFilter) {
        m_Gfx->minFilters[0] = minFilter;
        m_Gfx->SetSamplerState(0, D3DSAMP_MINFILTER, DWORD(minFilter));
    }
    if (limited)
        m_Gfx->SetViewPort(int32_t(port.X), int32_t(port.Y), int32_t(port.X + port.Width),
                           int32_t(port.Y + port.Height), port.MinZ, port.MaxZ);
}
