// GameCtrl curve functions: the entries of "cfg/functions.cfg" with their modes, loops and
// keywords, names that differ only in case, and reading the file again only when it changed.
#include "game/ctrl/GameCtrl.h"

#include "GameCtrlTestSupport.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

namespace {

int32_t CountFunctions(GameCtrl& ctrl)
{
    int32_t count = 0;
    ctrl.GetFunctions().ResetWalk();
    while (ctrl.GetFunctions().GetNext())
        ++count;
    return count;
}

}  // namespace

TEST(GameCtrlFunctionsTest, EntriesWithModesLoopsAndKeywords)
{
    GameDir dir;
    CopyFixture(dir, "functions.cfg", "cfg/functions.cfg");
    GameCtrl ctrl;  // reads the functions as it is made
    EXPECT_EQ(CountFunctions(ctrl), 5);

    const GameFunction* hp = ctrl.FindGameFunction("HpByLevel");
    ASSERT_NE(hp, nullptr);
    EXPECT_STREQ(hp->name.c_str(), "hpByLevel");  // the first of the two spellings
    EXPECT_EQ(hp->curve.GetNumKeys(), 2);
    EXPECT_EQ(hp->curve.GetMode(), 1);  // no "interpolation": cubic
    EXPECT_EQ(hp->attribute, GameFunction::kLevel);  // "LEVEL"
    EXPECT_EQ(hp->attributeOperation, GameFunction::kMultiply);
    EXPECT_FLOAT_EQ(hp->GetValue(0.0f), 10.0f);
    EXPECT_FLOAT_EQ(hp->GetValue(10.0f), 100.0f);
    EXPECT_EQ(ctrl.FindGameFunction("HPBYLEVEL"), hp);

    const GameFunction* stepped = ctrl.FindGameFunction("stepped");
    ASSERT_NE(stepped, nullptr);
    EXPECT_EQ(stepped->curve.GetMode(), -1);  // "interpolation = 0"
    EXPECT_FLOAT_EQ(stepped->GetValue(15.0f), 2.0f);
    EXPECT_EQ(stepped->attributeOperation, GameFunction::kAdd);

    const GameFunction* linear = ctrl.FindGameFunction("linear");
    ASSERT_NE(linear, nullptr);
    EXPECT_EQ(linear->curve.GetMode(), 0);
    EXPECT_FLOAT_EQ(linear->GetValue(2.5f), 25.0f);
    EXPECT_EQ(linear->attribute, GameFunction::kXP);

    const GameFunction* looped = ctrl.FindGameFunction("looped");
    ASSERT_NE(looped, nullptr);
    EXPECT_TRUE(looped->curve.IsLooping());
    EXPECT_FLOAT_EQ(looped->curve.GetLoopTime(), 10.0f);
    EXPECT_FLOAT_EQ(looped->GetValue(12.5f), 25.0f);  // 2.5 into the next turn
    EXPECT_EQ(looped->attribute, GameFunction::kNone);  // unknown keywords leave the defaults
    EXPECT_EQ(looped->attributeOperation, GameFunction::kMultiply);

    const GameFunction* flat = ctrl.FindGameFunction("flat");
    ASSERT_NE(flat, nullptr);
    EXPECT_FALSE(flat->curve.IsLooping());  // "loopTime = 0"
    EXPECT_EQ(flat->attribute, GameFunction::kMonsterLevel);
    EXPECT_EQ(ctrl.FindGameFunction("none"), nullptr);
    EXPECT_EQ(ctrl.FindGameFunction(""), nullptr);
}

TEST(GameCtrlFunctionsTest, ReadAgainOnlyWhenTheFileChanged)
{
    GameDir dir;
    LogCapture log;
    GameCtrl ctrl;  // no file: nothing, not even a message
    EXPECT_EQ(CountFunctions(ctrl), 0);
    EXPECT_EQ(log.Count("functions"), 0);

    dir.Write("cfg/functions.cfg", "#1\ndesc = \"a\"\nfunc = 0, 1\n");
    ctrl.LoadFunctions();
    const GameFunction* first = ctrl.FindGameFunction("a");
    ASSERT_NE(first, nullptr);
    ctrl.LoadFunctions();  // unchanged: the table stays as it is
    EXPECT_EQ(ctrl.FindGameFunction("a"), first);

    // A changed file (another size, another time) replaces the table.
    dir.Write("cfg/functions.cfg", "#1\ndesc = \"b\"\nfunc = 0, 1, 5, 2\n#2\nfunc = 0, 3\n");
    const auto path = std::filesystem::path(dir("cfg/functions.cfg"));
    std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + std::chrono::seconds(10));
    ctrl.LoadFunctions();
    EXPECT_EQ(ctrl.FindGameFunction("a"), nullptr);
    ASSERT_NE(ctrl.FindGameFunction("b"), nullptr);
    EXPECT_EQ(ctrl.FindGameFunction("b")->curve.GetNumKeys(), 2);
    EXPECT_EQ(log.Count("Empty name string"), 1);  // the entry without a name is skipped
    EXPECT_EQ(CountFunctions(ctrl), 1);
}
