// DXC_GuiField and the windows built on it: the open state, the rectangle, a text window's lines,
// and what the manager forwards while nothing is attached.
#include "engine/gui/DXC_GuiField.h"

#include "engine/gui/CConsoleGui.h"
#include "engine/gui/DXC_GuiManager.h"
#include "engine/gui/DXC_GuiTextViewerScl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(DXC_GuiFieldTest, OpenStateAndRectangle)
{
    struct Field : DXC_GuiField {
        void OnOpenChanged(bool open) override { changes.push_back(open); }
        std::vector<bool> changes;
    } field;
    EXPECT_EQ(field.IsOpen(), 1);
    field.SetOpenState(true);  // already open: nothing
    field.SetOpenState(false);
    field.SetOpenState(false);
    field.SetOpenState(true);
    field.ToggleOpen();
    field.ToggleOpen();
    EXPECT_EQ(field.changes, (std::vector<bool>{false, true, false, true}));

    field.SetSize(100, 50);
    field.SetPos(270, 215);
    int32_t w;
    int32_t h;
    field.GetSize(w, h);
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 50);
    EXPECT_TRUE(field.IsPointInside(270, 215));
    EXPECT_FALSE(field.IsPointInside(370, 215));  // right and bottom are outside
    EXPECT_EQ(std::string(field.GetName()), "DXC_GuiField");
}

TEST(DXC_GuiFieldTest, WindowsAndManager)
{
    ErrorMsgGui errors;
    EXPECT_EQ(std::string(errors.GetName()), "ErrorMsgGui");
    errors.AddLine("first");
    errors.AddLine(wString(u"second"));
    EXPECT_EQ(errors.GetNumLines(), 2);
    EXPECT_EQ(String(errors.GetLine(1)), "second");
    EXPECT_EQ(String(errors.GetLine(2)), "");
    errors.Clear();
    EXPECT_EQ(errors.GetNumLines(), 0);
    EXPECT_TRUE(errors.IsChanged());

    BarGui bar;
    bar.SetValue(1.5f);
    EXPECT_EQ(bar.GetValue(), 1.0f);

    DXC_GuiManager manager;
    EXPECT_EQ(manager.GetRoot().GetManager(), &manager);
    EXPECT_EQ(manager.OnChar('a', 1, 0), nullptr);  // nothing on the focus path takes it
    EXPECT_EQ(manager.FindFieldUnderMouse(), &manager.GetRoot());
    manager.GetRoot().SetOpenState(false);
    EXPECT_EQ(manager.FindFieldUnderMouse(), nullptr);
}
