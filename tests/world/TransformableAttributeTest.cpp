// TransformableAttribute: a plain float without a name or a controller, the controller's game
// function with one, the arithmetic, and its record.
#include "world/TransformableAttribute.h"

#include "base/FileRecordReader.h"
#include "level/LevelTestSupport.h"

#include "support/ByteBuilder.h"

#include <gtest/gtest.h>

TEST(TransformableAttributeTest, GameFunctionAppliesOnlyWithNameAndController)
{
    TransformableAttribute plain(3.0f);
    TransformableAttribute named(3.0f);
    named.functionName = "double";
    const float parameter = 0.5f;
    EXPECT_EQ(named.GetValue(nullptr), 3.0f);  // no controller
    EXPECT_EQ(named.GetValueFor(&parameter), 3.0f);
    {
        LevelTestCtrl ctrl;
        WorldElem creature;
        EXPECT_EQ(plain.GetValue(&creature), 3.0f);
        EXPECT_TRUE(ctrl.functionElements.empty());  // no name: the controller is not asked
        EXPECT_EQ(named.GetValue(&creature), 6.0f);
        EXPECT_EQ(named.GetValueFor(&parameter), 6.5f);
        EXPECT_EQ(ctrl.functionElements, std::vector<WorldElem*>{&creature});
        EXPECT_EQ(named.GetRawValue(), 3.0f);
    }
}

TEST(TransformableAttributeTest, ArithmeticCopyAndClear)
{
    TransformableAttribute a;
    EXPECT_EQ(a.GetRawValue(), 0.0f);
    a.SetValue(2.0f).MulValue(3.0f);
    a.AddValue(1.0f);
    a.DivValue(2.0f);
    EXPECT_EQ(a.GetRawValue(), 3.5f);
    a.functionName = "f";
    TransformableAttribute b;
    b = a;
    EXPECT_EQ(b.GetRawValue(), 3.5f);
    EXPECT_TRUE(b.functionName == "f");
    b.Clear();
    EXPECT_EQ(b.GetRawValue(), 0.0f);
    EXPECT_TRUE(b.functionName.IsEmpty());
}

TEST(TransformableAttributeTest, RecordIsValueThenName)
{
    TransformableAttribute a(1.25f);
    a.functionName = "gold";
    File out;
    out.CreateMemoryFile(0);
    a.Save(out);
    const ByteBuilder golden = ByteBuilder().F32(1.25f).Str("gold");
    EXPECT_EQ(BytesOf(out), golden.bytes);

    File in;
    golden.Into(in);
    FileRecordReader reader(in, "cut short");
    TransformableAttribute b;
    b.Load(reader);
    EXPECT_EQ(b.GetRawValue(), 1.25f);
    EXPECT_TRUE(b.functionName == "gold");
}
