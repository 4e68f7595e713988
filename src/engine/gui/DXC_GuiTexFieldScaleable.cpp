// DXC_GuiTexFieldScaleable: setting and copying the frame, its minimum size and the drawing of its
// nine pieces; ToolTipSkin's offsets from its pictures.
#include "engine/gui/DXC_GuiTexFieldScaleable.h"

#include "engine/gfx/DXC_Gfx.h"
#include "engine/gui/DXC_GuiManager.h"
#include "engine/gui/DXC_GuiScaleableText.h"
#include "engine/gui/DXC_GuiTexField.h"

#include <algorithm>

namespace {

constexpr int32_t kMiddleAlphaMode = 7;  // the texture's alpha times the given one
constexpr int32_t kMiddleAfterAlphaMode = 9;    // what the GUI draws with otherwise

int32_t WidthOf(const DXC_Texture* texture)
{
    int32_t w = 0, h = 0;
    if (texture)
        texture->GetDrawSizeInt(w, h);
    return w;
}

int32_t HeightOf(const DXC_Texture* texture)
{
    int32_t w = 0, h = 0;
    if (texture)
        texture->GetDrawSizeInt(w, h);
    return h;
}

// A shared copy of the source, or an empty picture without a loaded source.
int CopyPicture(const DXC_Texture* source, DXC_Texture& destination)
{
    if (!source || !source->IsValid()) {
        destination.Release();
        return 0;
    }
    return source->Clone(destination, 1, -1);
}

}  // namespace

void ToolTipSkin::FitToPictures()
{
    const int32_t cornerSizes[4][2] = {{0, 0},
                                       {WidthOf(corners[1]), 0},
                                       {0, HeightOf(corners[2])},
                                       {WidthOf(corners[3]), HeightOf(corners[3])}};
    for (int32_t i = 0; i < 4; ++i) {
        cornerOffsets[i][0] = cornerSizes[i][0];
        cornerOffsets[i][1] = cornerSizes[i][1];
    }
    edgeOffsets[0] = 0;
    edgeOffsets[1] = WidthOf(edges[1]);
    edgeOffsets[2] = HeightOf(edges[2]);
    edgeOffsets[3] = 0;
    insets[0] = HeightOf(edges[0]);
    insets[1] = WidthOf(edges[1]);
    insets[2] = HeightOf(edges[2]);
    insets[3] = WidthOf(edges[3]);
}

void DXC_GuiTexFieldScaleable::CopyFrame(DXC_GuiTexFieldScaleable& destination) const
{
    if (&destination == this || !framePictures[kMiddle].IsValid())
        return;
    for (int32_t i = 0; i < kPieces; ++i)
        CopyPicture(&framePictures[i], destination.framePictures[i]);
    std::copy(std::begin(offsets), std::end(offsets), destination.offsets);
    destination.middleMode = middleMode;
    std::copy(std::begin(middleInsets), std::end(middleInsets), destination.middleInsets);
}

int DXC_GuiTexFieldScaleable::SetCorners(const DXC_Texture* topLeft, int32_t tlx, int32_t tly,
                                         const DXC_Texture* topRight, int32_t trx, int32_t try_,
                                         const DXC_Texture* bottomLeft, int32_t blx, int32_t bly,
                                         const DXC_Texture* bottomRight, int32_t brx, int32_t bry)
{
    const DXC_Texture* pictures[4] = {topLeft, topRight, bottomLeft, bottomRight};
    const int32_t given[8] = {tlx, tly, trx, try_, blx, bly, brx, bry};
    int result = 0;
    for (int32_t i = 0; i < 4; ++i)
        result = CopyPicture(pictures[i], framePictures[kTopLeft + i]);
    std::copy(std::begin(given), std::end(given), offsets);
    return result;
}

int DXC_GuiTexFieldScaleable::SetEdges(const DXC_Texture* topEdge, int32_t topOffset, const DXC_Texture* rightEdge,
                                       int32_t rightOffset, const DXC_Texture* bottomEdge, int32_t bottomOffset,
                                       const DXC_Texture* leftEdge, int32_t leftOffset)
{
    const DXC_Texture* pictures[4] = {topEdge, rightEdge, bottomEdge, leftEdge};
    const int32_t given[4] = {topOffset, rightOffset, bottomOffset, leftOffset};
    int result = 0;
    for (int32_t i = 0; i < 4; ++i)
        result = CopyPicture(pictures[i], framePictures[kTopEdge + i]);
    std::copy(std::begin(given), std::end(given), offsets + 8);
    return result;
}

void DXC_GuiTexFieldScaleable::SetFrame(const ToolTipSkin& skin)
{
    const auto& c = skin.cornerOffsets;
    SetCorners(skin.corners[0], c[0][0], c[0][1], skin.corners[1], c[1][0], c[1][1], skin.corners[2], c[2][0],
               c[2][1], skin.corners[3], c[3][0], c[3][1]);
    SetEdges(skin.edges[0], skin.edgeOffsets[0], skin.edges[1], skin.edgeOffsets[1], skin.edges[2],
             skin.edgeOffsets[2], skin.edges[3], skin.edgeOffsets[3]);
    CopyPicture(skin.middle, framePictures[kMiddle]);
    middleMode = skin.middleMode;
    std::copy(std::begin(skin.insets), std::end(skin.insets), middleInsets);
}

// Opposite corners never overlap: a smaller size is raised to what they need, a larger one kept.
void DXC_GuiTexFieldScaleable::SetSize(int32_t width, int32_t height)
{
    if (minimumSize) {
        const int32_t* o = offsets;
        const int32_t needW = std::max(WidthOf(&framePictures[kTopLeft]) - o[0] + o[2],
                                       WidthOf(&framePictures[kBottomLeft]) - o[4] + o[6]);
        const int32_t needH = std::max(HeightOf(&framePictures[kTopLeft]) - o[1] + o[5],
                                       HeightOf(&framePictures[kTopRight]) - o[3] + o[7]);
        width = std::max(width, needW);
        height = std::max(height, needH);
    }
    DXC_GuiField::SetSize(width, height);
}

void DXC_GuiTexFieldScaleable::DrawMiddle(int32_t x, int32_t y, int32_t width, int32_t height)
{
    DXC_Texture& middle = framePictures[kMiddle];
    if (!middle.IsValid())
        return;
    if (middleMode == 0) {  // a source as large as the field repeats the picture
        middle.SetSourceRect(0.0f, 0.0f, float(width), float(height), false, false);
        middle.SetWrap(1);
    } else {
        middle.SetFullSourceRect();
    }
    const int32_t rect[4] = {x + middleInsets[kInsetLeft], y + middleInsets[kInsetTop],
                             x + width - middleInsets[kInsetRight], y + height - middleInsets[kInsetBottom]};
    if (alpha != 255)
        gfx->SetBlendMode(kMiddleAlphaMode, alpha, 0);
    DXC_GuiTexField::DrawStretched(gfx, middle, rect, DXC_GuiTexField::kWhite);
    if (alpha != 255)
        gfx->SetBlendMode(kMiddleAfterAlphaMode, 0, 0);
}

void DXC_GuiTexFieldScaleable::DrawFrame()
{
    if (!framePictures[kMiddle].IsValid() && manager)
        manager->GetToolTipWindow().CopyFrame(*this);
    if (!gfx || !gfx->HasDevice())
        return;
    int32_t x, y, w, h;
    GetAbsPos(x, y);
    GetSize(w, h);
    const int32_t mx = outerMargin[0], my = outerMargin[1];
    const int32_t* o = offsets;
    DrawMiddle(x, y, w, h);

    // Corners at their own size: left, top of each.
    const int32_t corner[4][2] = {{x - o[0] - mx, y - o[1] - my},
                                  {x + w - o[2] + mx, y - o[3] - my},
                                  {x - o[4] - mx, y + h - o[5] + my},
                                  {x + w - o[6] + mx, y + h - o[7] + my}};
    int32_t size[4][2];
    for (int32_t i = 0; i < 4; ++i) {
        DXC_Texture& picture = framePictures[kTopLeft + i];
        picture.GetDrawSizeInt(size[i][0], size[i][1]);
        const int32_t rect[4] = {corner[i][0], corner[i][1], corner[i][0] + size[i][0], corner[i][1] + size[i][1]};
        DXC_GuiTexField::DrawStretched(gfx, picture, rect, DXC_GuiTexField::kWhite);
    }
    // Edges between the corners, at their own thickness; corners that overlap give a negative
    // length, drawn as it is.
    const int32_t topY = y - o[8] - my;
    const int32_t rightX = x + w - o[9] + mx;
    const int32_t bottomY = y + h - o[10] + my;
    const int32_t leftX = x - o[11] - mx;
    const int32_t edges[4][4] = {
        {corner[0][0] + size[0][0], topY, corner[1][0], topY + HeightOf(&framePictures[kTopEdge])},
        {rightX, corner[1][1] + size[1][1], rightX + WidthOf(&framePictures[kRightEdge]), corner[3][1]},
        {corner[2][0] + size[2][0], bottomY, corner[3][0], bottomY + HeightOf(&framePictures[kBottomEdge])},
        {leftX, corner[0][1] + size[0][1], leftX + WidthOf(&framePictures[kLeftEdge]), corner[2][1]},
    };
    for (int32_t i = 0; i < 4; ++i)
        DXC_GuiTexField::DrawStretched(gfx, framePictures[kTopEdge + i], edges[i], DXC_GuiTexField::kWhite);
}

void DXC_GuiTexFieldScaleable::Render()
{
    if (drawFrame) {
        FollowDrag();
        DrawFrame();
    }
    DXC_GuiField::Render();
}
