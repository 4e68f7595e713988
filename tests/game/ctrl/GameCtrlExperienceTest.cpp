// GameCtrl experience: the default table without "cfg\experience.cfg", the levels of the file up to
// the first gap, its factor curve, and a second load.
#include "game/ctrl/GameCtrl.h"

#include "GameCtrlTestSupport.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

namespace {

float Threshold(GameCtrl& ctrl, int32_t level) { return *ctrl.GetExperienceTable().GetAt(level - 1); }

}  // namespace

TEST(GameCtrlExperienceTest, DefaultTableWithoutTheFile)
{
    GameDir dir;
    GameCtrl ctrl;
    LogCapture log;
    ctrl.LoadExperience();
    EXPECT_EQ(log.Total(), 0u);  // silently
    ASSERT_EQ(ctrl.GetExperienceTable().GetSize(), 30);
    EXPECT_FLOAT_EQ(Threshold(ctrl, 1), 0.0f);
    EXPECT_FLOAT_EQ(Threshold(ctrl, 2), 100.0f);
    EXPECT_FLOAT_EQ(Threshold(ctrl, 4), 600.0f);
    EXPECT_FLOAT_EQ(Threshold(ctrl, 30), 43500.0f);
    EXPECT_EQ(ctrl.GetDeltaLevelXPFactorCurve().GetNumKeys(), 0);
}

TEST(GameCtrlExperienceTest, LevelsUpToTheFirstGap)
{
    GameDir dir;
    CopyFixture(dir, "experience.cfg", "cfg/experience.cfg");
    GameCtrl ctrl;
    ctrl.LoadExperience();
    ASSERT_EQ(ctrl.GetExperienceTable().GetSize(), 2);  // "level4" without "level3" is not read
    EXPECT_FLOAT_EQ(Threshold(ctrl, 1), 0.0f);
    EXPECT_FLOAT_EQ(Threshold(ctrl, 2), 250.0f);
    BezierSpline<float>& curve = ctrl.GetDeltaLevelXPFactorCurve();
    ASSERT_EQ(curve.GetNumKeys(), 3);
    EXPECT_FLOAT_EQ(curve.GetKey(2).value, 1.5f);

    ctrl.LoadExperience();  // a second load replaces the table
    EXPECT_EQ(ctrl.GetExperienceTable().GetSize(), 2);
    EXPECT_EQ(curve.GetNumKeys(), 3);
}
