// GameCtrlInterface: the global pointer follows the controller's life, and level code without a
// controller fails cleanly.
#include "world/GameCtrlInterface.h"

#include "level/LevelTestSupport.h"
#include "level/VSD_Viewer.h"

#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <memory>

TEST(GameCtrlInterfaceTest, GlobalPointerFollowsTheController)
{
    EXPECT_EQ(g_GameCtrl, nullptr);
    {
        auto first = std::make_unique<LevelTestCtrl>();
        EXPECT_EQ(g_GameCtrl, first.get());
        auto second = std::make_unique<LevelTestCtrl>();  // the newest is the program's
        EXPECT_EQ(g_GameCtrl, second.get());
        first.reset();  // another's end leaves it alone
        EXPECT_EQ(g_GameCtrl, second.get());
    }
    EXPECT_EQ(g_GameCtrl, nullptr);

    VSD_Viewer viewer;
    EXPECT_EQ(ErrorOf([&] { viewer.LoadLevel("level.vsd", 1, 0); }), "No game controller");
}
