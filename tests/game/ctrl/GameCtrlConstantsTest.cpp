// GameCtrl constants: the optional constants file, read again only when it changed, the rules
// files that depend on it, and the debug scripts.
#include "game/ctrl/GameCtrl.h"

#include "GameCtrlTestSupport.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

namespace {

// Keeps the "Limit" value of every rules file it is given.
class RulesCtrl : public GameCtrl {
public:
    void LoadGameRules(ConfigFileReader& reader) override
    {
        limit = -1;
        reader.GetInt("Limit", limit);
    }
    int32_t limit = 0;
};

}  // namespace

TEST(GameCtrlConstantsTest, ConstantsAndRulesFiles)
{
    GameDir dir;
    RulesCtrl ctrl;
    LogCapture log;
    ctrl.LoadConstants();  // no file: nothing, not even a message
    EXPECT_EQ(log.Total(), 0u);
    double value = 0;
    EXPECT_FALSE(ctrl.GetConstants().Lookup("MAX", value));

    dir.Write("cfg/constants.cfg", "MAX = 5\nTWICE = MAX\n");
    dir.Write("cfg/rules.cfg", "Limit = TWICE\n");
    ctrl.LoadConstants();
    ASSERT_TRUE(ctrl.GetConstants().Lookup("TWICE", value));
    EXPECT_EQ(value, 5.0);
    ctrl.LoadRulesFile("cfg\\rules.cfg");
    EXPECT_EQ(ctrl.limit, 5);

    // A reader of the game data that depends on the constants is read again once they change.
    ConfigFileReader items;
    items.SetConstantTable(&ctrl.GetConstants());
    dir.Write("cfg/items.cfg", "#1\ndesc = \"x\"\n");
    ASSERT_EQ(items.Load("cfg\\items.cfg"), 0);
    EXPECT_FALSE(items.NeedsReload());
    ctrl.LoadConstants();  // unchanged: not read again
    EXPECT_FALSE(items.NeedsReload());

    Rewrite(dir, "cfg/constants.cfg", "MAX = 12345\nTWICE = MAX\n", 10);
    ctrl.LoadConstants();
    EXPECT_TRUE(items.NeedsReload());
    ctrl.LoadRulesFile("cfg\\rules.cfg");
    EXPECT_EQ(ctrl.limit, 12345);

    // A file that cannot be opened is reported; the rules still run, on the empty reader.
    LogCapture missing;
    EXPECT_EQ(ErrorOf([&] { ctrl.LoadRulesFile("cfg\\none.cfg"); }), "no error");
    EXPECT_EQ(missing.Count("Error:GameCtrl: Can not open 'cfg\\none.cfg'"), 1);
    EXPECT_EQ(ctrl.limit, -1);
}

TEST(GameCtrlConstantsTest, DebugScripts)
{
    GameDir dir;
    GameCtrl ctrl;
    ctrl.LoadDebugScripts();  // no file
    EXPECT_TRUE(ctrl.GetDebugScript(0).IsEmpty());

    dir.Write("cfg/debugScripts.cfg", "script1 = \"a()\"\nscript3 = \"c()\"\nscript9 = \"i()\"\n");
    ctrl.LoadDebugScripts();
    EXPECT_STREQ(ctrl.GetDebugScript(0).c_str(), "a()");
    EXPECT_TRUE(ctrl.GetDebugScript(1).IsEmpty());
    EXPECT_STREQ(ctrl.GetDebugScript(2).c_str(), "c()");
    EXPECT_STREQ(ctrl.GetDebugScript(8).c_str(), "i()");

    Rewrite(dir, "cfg/debugScripts.cfg", "script2 = \"b()\"\n", 10);
    ctrl.LoadDebugScripts();
    EXPECT_TRUE(ctrl.GetDebugScript(0).IsEmpty());  // the first text is emptied before a read
    EXPECT_STREQ(ctrl.GetDebugScript(1).c_str(), "b()");
    EXPECT_STREQ(ctrl.GetDebugScript(2).c_str(), "c()");  // the others keep what the file does not name
}
