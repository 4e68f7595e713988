// KI_ActionData: the record's saved form and its old layout, the comparison of decisions, the
// parameter block's action ID, and the AI's targets.
#include "game/objects/KI_ActionData.h"

#include "base/File.h"
#include "world/WorldTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

KI_ActionData Filled()
{
    KI_ActionData data;
    data.task = 3;
    data.secondCode = 4;
    data.actionName = "Slash";
    data.thirdCode = 5;
    data.firstValue = 1.5f;
    data.params.kind = 0;
    data.params.actionName = "Slash";
    data.params.base = 2.0f;
    data.params.spread = 0.5f;
    data.params.third = 7.0f;
    data.params.secondText = "second";
    data.params.values181[0] = 11;
    data.params.values181[1] = 12;
    data.vectors[1][0] = 9.0f;
    data.values[2] = 6.0f;
    data.flags[1] = 0;
    data.vectors[3][1] = -2.0f;
    data.fifthValue = 8.0f;
    data.secondName = "follow";
    return data;
}

}  // namespace

TEST(KI_ActionDataTest, ResetRecordsAreEqualAndEachComparedFieldCounts)
{
    KI_ActionData a;
    KI_ActionData b;
    a.task = 7;
    a.secondName = "x";
    a.Reset();
    EXPECT_TRUE(a.Equals(b));
    EXPECT_EQ(a.flags[0], 1);

    const struct {
        const char* name;
        void (*change)(KI_ActionData&);
        bool equal;
    } cases[] = {
        {"second name", [](KI_ActionData& d) { d.secondName = "other"; }, false},
        {"action name", [](KI_ActionData& d) { d.actionName = "other"; }, false},
        {"first vector", [](KI_ActionData& d) { d.vectors[0][1] = 1.0f; }, false},
        {"third of the values", [](KI_ActionData& d) { d.values[2] = 1.0f; }, false},
        {"second flag", [](KI_ActionData& d) { d.flags[1] = 0; }, false},
        {"third code", [](KI_ActionData& d) { d.thirdCode = 1; }, true},
        {"second of the values", [](KI_ActionData& d) { d.values[1] = 1.0f; }, true},
        {"third vector", [](KI_ActionData& d) { d.vectors[2][0] = 1.0f; }, true},
        {"fifth value", [](KI_ActionData& d) { d.fifthValue = 1.0f; }, true},
        {"parameter block", [](KI_ActionData& d) { d.params.kind = 0; }, true},
    };
    for (const auto& c : cases) {
        KI_ActionData changed;
        c.change(changed);
        EXPECT_EQ(changed.Equals(b), c.equal) << c.name;
    }
}

TEST(KI_ActionDataTest, SavedRecordReadsBackAndOldFilesKeepTheSecondText)
{
    const KI_ActionData source = Filled();
    File file;
    file.CreateMemoryFile(0);
    source.Save(file);
    const int32_t newSize = file.GetSize();

    file.Seek(0);
    KI_ActionData back;
    back.Load(file);
    EXPECT_EQ(file.GetPos(), newSize);
    EXPECT_TRUE(back.Equals(source));
    EXPECT_EQ(back.thirdCode, 5);
    EXPECT_EQ(back.params.base, 2.0f);
    EXPECT_EQ(back.params.spread, 0.5f);  // read as the third of its group
    EXPECT_EQ(back.params.third, 7.0f);
    EXPECT_STREQ(back.params.secondText.c_str(), "second");
    EXPECT_EQ(back.savedTargetRef, 0xFFFFFFFFu);

    // Before version 181 the block ends after its group of three.
    File old;
    old.CreateMemoryFile(0);
    KI_ActionData withoutText = source;
    withoutText.params.secondText = "";
    withoutText.params.values181[0] = withoutText.params.values181[1] = 0;
    withoutText.Save(old);
    // cut the block's tail out: its empty text (4 bytes) and two values (8 bytes), after the
    // record's head (codes, "Slash", first value: 25 bytes) and the block's fields (65 bytes)
    std::vector<uint8_t> bytes(old.GetMemoryBuffer(), old.GetMemoryBuffer() + old.GetSize());
    const size_t tail = 25 + 65;
    bytes.erase(bytes.begin() + long(tail), bytes.begin() + long(tail) + 12);
    File reader;
    reader.CreateMemoryFile(int32_t(bytes.size()));
    reader.Write(bytes.data(), bytes.size());
    reader.Seek(0);
    reader.SetVersion(180);
    KI_ActionData kept;
    kept.params.secondText = "before";
    kept.params.values181[0] = 41;
    kept.params.values181[1] = 42;
    kept.Load(reader);
    EXPECT_EQ(reader.GetPos(), int32_t(bytes.size()));
    EXPECT_STREQ(kept.params.secondText.c_str(), "before");
    EXPECT_EQ(kept.params.values181[0], 41);
    EXPECT_EQ(kept.params.values181[1], 42);
    EXPECT_STREQ(kept.secondName.c_str(), "follow");
}

TEST(KI_ActionDataTest, TargetsOfElementsFollowThemAndFixedOnesStay)
{
    LevelTestCtrl ctrl;
    GridWorld world;
    world.SetGrid(8, 8, 64, 64);
    auto* elem = AddTestElem<TestElem>(world, ElemType::kCreature, 100.0f, 50.0f);
    elem->SetAngle(1.5707964f);

    AITarget target;
    target.elem = elem;
    target.offset = {10.0f, 0.0f};
    const D3DXVECTOR2 pos = target.GetPos();
    EXPECT_NEAR(pos.x, 100.0f, 1e-4f);
    EXPECT_NEAR(pos.y, 60.0f, 1e-4f);
    EXPECT_TRUE(target.IsValid());

    AITarget fixed;
    fixed.fixed = true;
    fixed.point = {1.0f, 2.0f};
    fixed.offset = {3.0f, 4.0f};
    EXPECT_EQ(fixed.GetPos().x, 4.0f);
    EXPECT_EQ(fixed.GetPos().y, 6.0f);
    EXPECT_TRUE(fixed.IsValid());

    world.DelObj(elem->m_ObjID, 0);
    EXPECT_FALSE(target.IsValid());

    KI_ActionData data;
    data.savedTargetRef = 0x04000000u;  // element 0, gone
    data.ResolveTarget(world);
    EXPECT_EQ(data.target.Get(), nullptr);
}
