// GameCtrlLoadingScreenTest: where the loading screen's pictures go: three pictures stacked by
// their heights, the main picture alone over the screen, nothing without one, and the progress
// bar fitted with its aspect into 0.96 of its band.
#include "game/ctrl/GameCtrl.h"

#include <gtest/gtest.h>

#include <array>

namespace {

std::array<int32_t, 4> Rect(const int32_t r[4]) { return {r[0], r[1], r[2], r[3]}; }

}  // namespace

TEST(GameCtrlLoadingScreen, ThreePicturesStackByTheirHeights)
{
    const float top[2] = {1024, 100}, main[2] = {1024, 600}, bottom[2] = {1024, 100}, bar[2] = {500, 50};
    const auto l = GameCtrl::LayoutLoadingScreen(1600, 1200, top, main, bottom, bar, true);
    EXPECT_EQ(Rect(l.top), (std::array<int32_t, 4>{0, 0, 1600, 150}));
    EXPECT_EQ(Rect(l.main), (std::array<int32_t, 4>{0, 150, 1600, 1050}));
    EXPECT_EQ(Rect(l.bottom), (std::array<int32_t, 4>{0, 1050, 1600, 1200}));
    // The band is 150 high: the bar is 144 high (0.96), 1440 wide, centred in it.
    EXPECT_EQ(Rect(l.bar), (std::array<int32_t, 4>{80, 1053, 1520, 1197}));
}

TEST(GameCtrlLoadingScreen, MainPictureAloneOrNothing)
{
    const float none[2] = {0, 0}, main[2] = {1024, 768}, top[2] = {1024, 100};
    const auto single = GameCtrl::LayoutLoadingScreen(800, 600, top, main, none, none, true);  // no bottom
    EXPECT_EQ(Rect(single.main), (std::array<int32_t, 4>{0, 0, 800, 600}));
    EXPECT_EQ(Rect(single.top), (std::array<int32_t, 4>{}));
    EXPECT_EQ(Rect(single.bar), (std::array<int32_t, 4>{}));
    const auto notAsked = GameCtrl::LayoutLoadingScreen(800, 600, top, main, top, none, false);
    EXPECT_EQ(Rect(notAsked.main), (std::array<int32_t, 4>{0, 0, 800, 600}));
    const auto empty = GameCtrl::LayoutLoadingScreen(800, 600, top, none, top, main, true);
    EXPECT_EQ(Rect(empty.main), (std::array<int32_t, 4>{}));
    EXPECT_EQ(Rect(empty.bar), (std::array<int32_t, 4>{}));
}
