// AniCycle and AniCycleSet: loading needs a file name, availability of cycle numbers, copies.
#include "game/objects/AniCycleSet.h"

#include <gtest/gtest.h>

TEST(AniCycleSetTest, RecordDefaultsAndLoadWithoutFile)
{
    AniCycle cycle;
    EXPECT_EQ(cycle.m_StartFrame, -1.0f);
    EXPECT_EQ(cycle.m_EndFrame, -1.0f);
    EXPECT_EQ(cycle.m_Speed, 1.0f);
    EXPECT_EQ(cycle.m_Loop, 0);
    EXPECT_FALSE(cycle.Load());  // no file name: nothing read, no graphics object asked
    EXPECT_FALSE(cycle.HasData());
}

TEST(AniCycleSetTest, AvailableCycles)
{
    AniCycleSet set;
    EXPECT_FALSE(set.IsCycleAvailable(450));
    set.GetCycle(450).m_FileName = "anim\\die4.3sc";
    set.GetCycle(0).AllocTracks(1, 0);  // track data without a file
    const struct {
        int32_t number;
        bool available;
    } kCases[] = {{450, true}, {0, true}, {451, false}, {-1, false}, {128, false}};
    for (const auto& c : kCases)
        EXPECT_EQ(set.IsCycleAvailable(c.number), c.available) << c.number;
    EXPECT_EQ(set.GetPlayData(7).baseDummy, -1);
    EXPECT_EQ(set.m_ScaleFactor, 1.0f);
    EXPECT_EQ(set.m_RotationFactor, 1.0f);
}

TEST(AniCycleSetTest, CopyFrom)
{
    AniCycleSet source;
    AniCycle& walk = source.GetCycle(128);
    walk.m_FileName = "anim\\walk.3sc";
    walk.m_StartFrame = 3.0f;
    walk.m_Speed = 1.5f;
    walk.m_Loop = 1;
    walk.AllocTracks(2, 0);
    walk.endTime = 1.25f;
    source.GetPlayData(128).passDx = 80.0f;
    source.GetPlayData(128).eventTimes = {0.25f, 0.75f};
    source.GetPlayData(128).speedByPhase.SetNumKeys(2);
    source.m_BoredCount = 3;
    source.m_AttackVariantCount[5] = 2;
    source.m_HeightMax = 40.0f;

    AniCycleSet copy;
    copy.CopyFrom(source);
    const AniCycle& copied = copy.GetCycle(128);
    EXPECT_EQ(copied.m_FileName, String("anim\\walk.3sc"));
    EXPECT_EQ(copied.m_StartFrame, 3.0f);
    EXPECT_EQ(copied.m_Speed, 1.5f);
    EXPECT_EQ(copied.m_Loop, 1);
    EXPECT_EQ(copied.objectTrackCount, 2);
    EXPECT_EQ(copied.endTime, 1.25f);
    EXPECT_NE(copied.objectTracks, walk.objectTracks);  // tracks of its own
    EXPECT_EQ(copy.GetPlayData(128).passDx, 80.0f);
    EXPECT_EQ(copy.GetPlayData(128).eventTimes.size(), 2u);
    EXPECT_EQ(copy.GetPlayData(128).speedByPhase.GetNumKeys(), 2);
    EXPECT_EQ(copy.m_BoredCount, 3);
    EXPECT_EQ(copy.m_AttackVariantCount[5], 2);
    EXPECT_EQ(copy.m_HeightMax, 40.0f);
    EXPECT_FALSE(copy.IsCycleAvailable(129));
}
