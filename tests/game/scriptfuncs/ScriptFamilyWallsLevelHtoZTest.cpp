// Walls, lights and level: the wall's item and what it shares, parents of walls, the door state,
// the diffuse light direction, and minimap names that must stay inside the game directory.
#include "ScriptFuncsTestSupport.h"

#include "game/objects/ItemObj.h"
#include "level/VSD_WallIntern.h"

#include <cmath>
#include <cstdio>

namespace {

// A free wall of the sample's wall kind; its wall ID.
int32_t FreeWall(ScriptTestCtrl& ctrl, float x)
{
    VSD_WallEntry entry;
    entry.descId = int16_t(ctrl.FindWallTypeIndex("wall_metal"));
    entry.x1 = int16_t(x);
    entry.y1 = 1000;
    entry.x2 = int16_t(x + 50.0f);
    entry.y2 = 1000;
    return ctrl.GetWorld().ReadWallProperties(entry, 0, 0, 0);
}

}  // namespace

TEST_F(ScriptFuncsTest, WallKeysItemsAndParents)
{
    const int32_t crate = Place("Crate", 1280.0f, 1280.0f);
    auto* item = static_cast<ItemObj*>(Elem(crate));
    const int32_t free = FreeWall(*ctrl, 1000.0f);
    const std::string sw = std::to_string(free), sc = std::to_string(crate);
    VSD_WallIntern* wall = ctrl->GetWorld().GetWall(free, false);
    ASSERT_NE(wall, nullptr);

    // Without an item only the wall changes.
    item->m_KeyNumber = 0;
    Run("SetWallNeedKey(" + sw + ", 4);");
    EXPECT_EQ(wall->m_NeedKey, 4);
    EXPECT_EQ(item->m_KeyNumber, 0);
    ClearRecords();
    Run("SetWallParent(" + sw + ", -1);");  // attached to nothing: nothing happens
    EXPECT_TRUE(ctrl->errors.empty());
    Run("SetWallDoor(" + sw + ", 1);");
    EXPECT_EQ(ErrorsWith("SetWallDoor(): not a door wall"), 1);

    // Parented: the item shares the key and the door state follows.
    const int32_t walls = item->GetWallCount();
    Run("SetWallParent(" + sw + ", " + sc + ");");
    EXPECT_EQ(item->GetWallCount(), walls + 1);
    EXPECT_FLOAT_EQ(wall->m_X1, 1000.0f);  // it keeps its place
    Run("SetWallNeedKey(" + sw + ", 6); SetWallDoor(" + sw + ", 1);");
    EXPECT_EQ(item->m_KeyNumber, 6);
    EXPECT_EQ(item->GetOpenState(), 1);
    Run("SetWallParent(" + sw + ", -1);");
    EXPECT_EQ(item->GetWallCount(), walls);
    EXPECT_EQ(wall->m_Parent.Get(), nullptr);

    ClearRecords();
    const int32_t hero = Place("Hero", 1400.0f, 1280.0f);
    Run("SetWallParent(" + sw + ", " + std::to_string(hero) + ");");
    EXPECT_EQ(ErrorsWith("walls can only be parented to mesh objects"), 1);

    // What goes on to the clients.
    const struct {
        std::string call;
        int32_t sent;
    } cases[] = {
        {"SetWallSolid(" + sw + ", 0)", 2},
        {"SetWallOpacity(" + sw + ", 0.5)", 2},
        {"SetWallCanSeeThrough(" + sw + ", 1)", 0},
        {"SetWallFloat(" + sw + ", 2.0, 2)", 0},
        {"UncoverMap()", 1},
    };
    for (const auto& test : cases) {
        ClearRecords();
        Run(test.call + ";");
        EXPECT_TRUE(ctrl->errors.empty()) << test.call;
        EXPECT_EQ(ctrl->forwarded.size(), test.sent ? 1u : 0u) << test.call;
        if (!ctrl->forwarded.empty()) {
            EXPECT_EQ(ctrl->forwarded[0].count, test.call == "UncoverMap()" ? 0 : test.sent);
        }
    }
    EXPECT_EQ(wall->m_Solid, 0);
    EXPECT_EQ(wall->m_CanSeeThrough, 1);
    EXPECT_EQ(wall->m_ScriptTemp[1], 2.0f);

    Run("RemoveWall(" + sw + "); RemoveWall(" + sw + ");");
    EXPECT_FALSE(ctrl->GetWorld().IsValidWall(free));
    EXPECT_EQ(Eval("IsValidWall(" + sw + ")").m_Integer, 0);
}

TEST_F(ScriptFuncsTest, LevelDiffuseDirection)
{
    const struct {
        float x, y, z;
        float expected[3];
    } cases[] = {
        {0.0f, 0.0f, 2.0f, {0.0f, 0.0f, 1.0f}},
        {0.0f, 0.0f, 0.0f, {0.0f, 0.0f, 1.0f}},  // keeps the one before
        {3.0f, 4.0f, 0.0f, {0.6f, 0.8f, 0.0f}},
    };
    for (const auto& test : cases) {
        char call[128];
        std::snprintf(call, sizeof call, "SetLevelDiffuseCol(0.5, 0.25, 1.0, %.1f, %.1f, %.1f);", test.x, test.y,
                      test.z);
        Run(call);
        const LevelSettings& level = ctrl->GetLevelSettings();
        for (int32_t i = 0; i < 3; i++)
            EXPECT_NEAR(level.diffuseDir[i], test.expected[i], 1e-6f) << call;
        EXPECT_FLOAT_EQ(ctrl->GetWorld().GetLevelDiffuse()[1], 0.25f);
    }
    Run("SetLevelAmbientCol(0.1, 0.2, 0.3);");
    EXPECT_FLOAT_EQ(ctrl->GetWorld().GetLevelSecondColour()[2], 0.3f);
    EXPECT_FLOAT_EQ(ctrl->GetWorld().GetLevelDiffuse()[0], 0.5f);  // the diffuse colour stays
}

TEST_F(ScriptFuncsTest, MiniMapStaysInTheGameDirectory)
{
    // As script literals: a backslash is written twice there.
    const char* refused[] = {"/tmp/minimap.bmp", "..\\\\minimap.bmp", "maps\\\\..\\\\..\\\\minimap.bmp",
                             "c:\\\\minimap.bmp", "maps/../../minimap.bmp"};
    for (const char* name : refused) {
        ClearRecords();
        Run(std::string("SaveMiniMap(\"") + name + "\");");
        EXPECT_EQ(ErrorsWith("Invalid file name in function SaveMiniMap"), 1) << name;
    }

    // The game directory is the current one; the image is removed again.
    ClearRecords();
    Run("SaveMiniMap(\"script_minimap_test.bmp\");");
    EXPECT_TRUE(ctrl->errors.empty());
    std::FILE* image = std::fopen("script_minimap_test.bmp", "rb");
    ASSERT_NE(image, nullptr);
    unsigned char header[26] = {};
    EXPECT_EQ(std::fread(header, 1, sizeof header, image), sizeof header);
    std::fclose(image);
    std::remove("script_minimap_test.bmp");
    EXPECT_EQ(header[0], 'B');
    EXPECT_EQ(header[1], 'M');
    const int32_t width = header[18] | header[19] << 8;
    const int32_t height = header[22] | header[23] << 8;
    EXPECT_EQ(width, ctrl->GetWorld().GetMapWidth());
    EXPECT_EQ(height, ctrl->GetWorld().GetMapHeight());
}
