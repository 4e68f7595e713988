// DXC_GuiTextViewerScl's formatted lines: the line's position, the cut at 8191 characters and
// the empty line of a format that cannot be written.
#include "engine/gui/DXC_GuiTextViewerScl.h"

#include <gtest/gtest.h>

#include <string>

TEST(DXC_GuiTextViewerSclTest, FormattedLinesAreCutAndNeverFail)
{
    DXC_GuiTextViewerScl viewer;
    const std::string longText(9000, 'x');
    const wchar_t unpaired[] = {wchar_t(0xD800), 0};  // no multibyte form in any locale
    const struct {
        const char* what;
        int32_t index;
        size_t length;
    } lines[] = {
        {"a plain line", viewer.AddLineF("%s: %i", "hits", 12), 8},
        {"a long line", viewer.AddLineF("%s", longText.c_str()), size_t(DXC_GuiTextViewerScl::kMaxFormatted)},
        {"a failed format", viewer.AddLineF("%ls", unpaired), 0},
    };
    for (int32_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(lines[i].what);
        EXPECT_EQ(lines[i].index, i);
        EXPECT_EQ(size_t(viewer.GetLine(i).TextLength()), lines[i].length);
    }
    EXPECT_EQ(viewer.GetLine(0), wString("hits: 12"));
    EXPECT_TRUE(viewer.IsChanged());
}
