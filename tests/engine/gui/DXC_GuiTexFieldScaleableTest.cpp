// DXC_GuiTexFieldScaleable: the nine rectangles of a frame (read back from each picture's quad),
// overlapping corners, the middle's alpha and blending, a frame with nothing to draw, the tooltip
// frame copied by a frame without middle picture, the minimum size; ToolTipSkin::FitToPictures.
#include "engine/gui/DXC_GuiTexFieldScaleable.h"

#include "support/GuiScreen.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using Rect = std::array<int32_t, 4>;

// A frame at (100, 50) on the screen with nine pictures of different sizes: corners 16 x 12,
// 20 x 12, 16 x 14, 20 x 14; edges with the thicknesses 6 (top), 5 (right), 7 (bottom), 4 (left).
class GuiFrameTest : public ::testing::Test {
protected:
    GuiFrameTest()
    {
        const int32_t sizes[DXC_GuiTexFieldScaleable::kPieces][2] = {{16, 12}, {20, 12}, {16, 14}, {20, 14}, {8, 6},
                                                                     {5, 8},   {8, 7},   {4, 8},   {8, 8}};
        for (int32_t i = 0; i < DXC_GuiTexFieldScaleable::kPieces; ++i)
            screen.device.Gfx().CreateTexture(&pictures[i], sizes[i][0], sizes[i][1], 4, -1, 1);
        for (int32_t i = 0; i < 4; ++i) {
            skin.corners[i] = &pictures[i];
            skin.edges[i] = &pictures[4 + i];
        }
        skin.middle = &pictures[8];
        skin.middleMode = 1;
        skin.FitToPictures();
        window.SetRect(100, 50, 500, 400);
        frame.SetPos(0, 0);
        window.AddChild(&frame);
        screen.manager.AddWindow(&window);
    }
    Rect Drawn(int32_t piece) { return LastQuadRect(frame.GetFramePicture(piece)); }

    GuiScreen screen;
    DXC_Texture pictures[DXC_GuiTexFieldScaleable::kPieces];
    ToolTipSkin skin;
    DXC_GuiField window;
    DXC_GuiTexFieldScaleable frame;
};

}  // namespace

TEST_F(GuiFrameTest, FitToPicturesGivesOffsetsAndInsets)
{
    EXPECT_EQ(skin.cornerOffsets[0][0], 0);
    EXPECT_EQ(skin.cornerOffsets[0][1], 0);
    EXPECT_EQ(skin.cornerOffsets[1][0], 20);
    EXPECT_EQ(skin.cornerOffsets[1][1], 0);
    EXPECT_EQ(skin.cornerOffsets[2][0], 0);
    EXPECT_EQ(skin.cornerOffsets[2][1], 14);
    EXPECT_EQ(skin.cornerOffsets[3][0], 20);
    EXPECT_EQ(skin.cornerOffsets[3][1], 14);
    EXPECT_EQ((std::array<int32_t, 4>{skin.edgeOffsets[0], skin.edgeOffsets[1], skin.edgeOffsets[2],
                                      skin.edgeOffsets[3]}),
              (std::array<int32_t, 4>{0, 5, 7, 0}));
    EXPECT_EQ((std::array<int32_t, 4>{skin.insets[0], skin.insets[1], skin.insets[2], skin.insets[3]}),
              (std::array<int32_t, 4>{6, 5, 7, 4}));
    EXPECT_EQ(skin.middleMode, 1);  // untouched
}

// The nine rectangles of a 200 x 100 frame with an outer margin of (3, 2), and of a frame
// narrower than its two top corners, whose top edge runs backwards (nothing is clamped).
TEST_F(GuiFrameTest, DrawsTheNinePiecesAtTheirRectangles)
{
    struct Case {
        int32_t width, height, marginX, marginY;
        Rect expected[DXC_GuiTexFieldScaleable::kPieces];
    } cases[] = {
        {200, 100, 3, 2,
         {{97, 48, 113, 60}, {283, 48, 303, 60}, {97, 138, 113, 152}, {283, 138, 303, 152},  // corners
          {113, 48, 283, 54}, {298, 60, 303, 138}, {113, 145, 283, 152}, {97, 60, 101, 138},  // edges
          {104, 56, 295, 143}}},                                                             // middle
        {30, 100, 0, 0,
         {{100, 50, 116, 62}, {110, 50, 130, 62}, {100, 136, 116, 150}, {110, 136, 130, 150},
          {116, 50, 110, 56}, {125, 62, 130, 136}, {116, 143, 110, 150}, {100, 62, 104, 136},
          {104, 56, 125, 143}}},
    };
    frame.SetFrame(skin);
    for (const Case& c : cases) {
        frame.SetSize(c.width, c.height);
        frame.SetOuterMargin(c.marginX, c.marginY);
        screen.device.Journal().Clear();
        screen.manager.Render(false, true);
        EXPECT_EQ(QuadsDrawn(screen.device.Journal()), 9);
        for (int32_t i = 0; i < DXC_GuiTexFieldScaleable::kPieces; ++i)
            EXPECT_EQ(Drawn(i), c.expected[i]) << c.width << " piece " << i;
    }
    frame.SetDrawFrame(false);
    screen.device.Journal().Clear();
    screen.manager.Render(false, true);
    EXPECT_EQ(QuadsDrawn(screen.device.Journal()), 0);
}

// Alpha 255 leaves the blending alone; another alpha draws the middle with mode 7 and that alpha,
// then sets mode 9.
TEST_F(GuiFrameTest, TheMiddlesAlphaBlendsOnlyBelowOpaque)
{
    frame.SetFrame(skin);
    frame.SetSize(200, 100);
    DXC_Gfx& gfx = screen.device.Gfx();
    gfx.SetBlendMode(3, 0, 0);
    frame.DrawFrame();
    EXPECT_EQ(gfx.GetBlendMode(), 3);

    frame.SetFrameAlpha(128);
    screen.device.Journal().Clear();
    frame.DrawFrame();
    EXPECT_EQ(gfx.GetBlendMode(), 9);
    // The texture factor's alpha when the first piece, the middle, was drawn.
    uint32_t factorAtMiddle = 0;
    for (const D3D9Call& call : screen.device.Journal().GetCalls()) {
        if (call.op == D3D9Op::DrawPrimitive)
            break;
        if (call.op == D3D9Op::SetRenderState && call.Arg(0) == uint32_t(D3DRS_TEXTUREFACTOR))
            factorAtMiddle = call.Arg(1);
    }
    EXPECT_EQ(factorAtMiddle >> 24, 128u);
}

// Nothing to draw is no fault: no pictures and an empty tooltip frame.
TEST_F(GuiFrameTest, AFrameWithoutPicturesDrawsNothing)
{
    frame.SetSize(200, 100);
    screen.manager.SetToolTipSkin(ToolTipSkin());
    screen.device.Journal().Clear();
    screen.manager.Render(false, true);
    EXPECT_EQ(QuadsDrawn(screen.device.Journal()), 0);
    EXPECT_FALSE(frame.GetFramePicture(DXC_GuiTexFieldScaleable::kMiddle).IsValid());
}

// A frame without middle picture takes the tooltip frame when first drawn, keeping its own
// margin; one with its own middle keeps its pictures.
TEST_F(GuiFrameTest, AFrameWithoutMiddleCopiesTheTooltipFrame)
{
    screen.manager.SetToolTipSkin(skin);
    frame.SetSize(200, 100);
    frame.SetOuterMargin(3, 2);
    DXC_GuiTexFieldScaleable own;
    DXC_Texture ownMiddle;
    screen.device.Gfx().CreateTexture(&ownMiddle, 32, 32, 4, -1, 1);
    own.SetFrame(ToolTipSkin{.middle = &ownMiddle});
    window.AddChild(&own);
    screen.manager.Render(false, true);
    EXPECT_TRUE(frame.GetFramePicture(DXC_GuiTexFieldScaleable::kMiddle).IsValid());
    EXPECT_EQ(frame.GetOffset(2), 20);
    EXPECT_EQ(frame.GetOffset(9), 5);
    EXPECT_EQ(frame.GetMiddleInset(DXC_GuiTexFieldScaleable::kInsetLeft), 4);
    EXPECT_EQ(frame.GetMiddleMode(), 1);
    EXPECT_EQ(Drawn(DXC_GuiTexFieldScaleable::kTopLeft), (Rect{97, 48, 113, 60}));
    EXPECT_FALSE(own.GetFramePicture(DXC_GuiTexFieldScaleable::kTopLeft).IsValid());
    int32_t w, h;
    own.GetFramePicture(DXC_GuiTexFieldScaleable::kMiddle).GetDrawSizeInt(w, h);
    EXPECT_EQ(w, 32);
    window.RemoveChild(&own);
}

// With the minimum-size flag a frame is never smaller than its corners need.
TEST_F(GuiFrameTest, TheMinimumSizeKeepsTheCornersApart)
{
    frame.SetFrame(skin);
    frame.SetMinimumSize(true);
    int32_t w, h;
    frame.SetSize(10, 10);
    frame.GetSize(w, h);
    EXPECT_EQ(w, 36);  // 16 + 20
    EXPECT_EQ(h, 26);  // 12 + 14
    frame.SetSize(300, 5);
    frame.GetSize(w, h);
    EXPECT_EQ(w, 300);
    EXPECT_EQ(h, 26);
}
