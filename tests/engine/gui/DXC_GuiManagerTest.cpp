// DXC_GuiManager: the global pointer follows the manager, and the drag object keeps at most 127
// characters of its name and is cleared by a null object or name.
#include "engine/gui/DXC_GuiManager.h"

#include <gtest/gtest.h>

#include <string>

TEST(DXC_GuiManagerTest, DragObjectAndGlobalPointer)
{
    EXPECT_EQ(g_GuiManager, nullptr);
    {
        DXC_GuiManager manager;
        EXPECT_EQ(g_GuiManager, &manager);
        int object = 0;
        int source = 0;
        const std::string longName(200, 'n');
        manager.SetDragObject(&object, longName.c_str(), &source);
        EXPECT_EQ(manager.GetDragObject(), &object);
        EXPECT_EQ(manager.GetDragSource(), &source);
        EXPECT_EQ(std::string(manager.GetDragObjectName()), std::string(127, 'n'));
        manager.SetDragObject(&object, nullptr, &source);  // no name: no drag
        EXPECT_EQ(manager.GetDragObject(), nullptr);
        EXPECT_STREQ(manager.GetDragObjectName(), "");
        manager.SetDragIcon(nullptr, false, nullptr, 1.0f);
        EXPECT_EQ(manager.GetDragIcon(), nullptr);
    }
    EXPECT_EQ(g_GuiManager, nullptr);
}
