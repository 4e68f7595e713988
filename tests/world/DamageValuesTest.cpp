// DamageValues: the 25 bytes of the base record, copies that keep the class, records cut short,
// and the holder that asks the controller's factory.
#include "world/DamageValues.h"

#include "base/FileRecordReader.h"
#include "level/LevelTestSupport.h"
#include "support/ByteBuilder.h"
#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <memory>

TEST(DamageValuesTest, RecordAndReset)
{
    TestDamageValues values;
    File file;
    file.CreateMemoryFile(0);
    values.Save(file);
    EXPECT_EQ(BytesOf(file), ByteBuilder().Zeros(24).U8(1).bytes);  // a reset set

    values.damage[2] = 3.5f;
    values.valueA = 1.0f;
    values.valueB = -2.0f;
    values.enabled = 0;
    values.extraFlag = 1;
    file.CreateMemoryFile(0);
    values.Save(file);
    const std::vector<uint8_t> bytes = ByteBuilder().F32s({0, 0, 3.5f, 0, 1.0f, -2.0f}).U8(0).bytes;
    EXPECT_EQ(BytesOf(file), bytes);

    TestDamageValues loaded;
    loaded.extraFlag = 1;
    ByteBuilder{bytes}.Into(file);
    FileRecordReader in(file, "Damage values cut short");
    loaded.Load(in);
    EXPECT_EQ(loaded.damage[2], 3.5f);
    EXPECT_EQ(loaded.valueB, -2.0f);
    EXPECT_EQ(loaded.enabled, 0);
    EXPECT_EQ(loaded.extraFlag, 1);  // not in the record

    loaded.Reset();
    EXPECT_EQ(loaded.damage[2], 0.0f);
    EXPECT_EQ(loaded.enabled, 1);
    EXPECT_EQ(loaded.extraFlag, 0);

    ByteBuilder{std::vector<uint8_t>(bytes.begin(), bytes.end() - 1)}.Into(file);
    FileRecordReader cut(file, "Damage values cut short");
    EXPECT_NE(ErrorOf([&] { loaded.Load(cut); }).find("Damage values cut short"), std::string::npos);
}

TEST(DamageValuesTest, CloneKeepsClassAndValues)
{
    TestDamageValues values;
    values.SetValue(4.0f);
    values.valueA = 0.5f;
    values.extraFlag = 1;
    std::unique_ptr<DamageValues> copy(values.Clone());
    ASSERT_NE(dynamic_cast<TestDamageValues*>(copy.get()), nullptr);
    EXPECT_EQ(copy->GetValue(), 4.0f);
    EXPECT_EQ(copy->valueA, 0.5f);
    EXPECT_EQ(copy->extraFlag, 1);
}

TEST(DamageValuesTest, HolderAsksTheFactory)
{
    {
        DamageValuesHolder none;  // no controller
        EXPECT_FALSE(none);
    }
    LevelTestCtrl ctrl;
    DamageValuesHolder holder;
    ASSERT_TRUE(holder);
    EXPECT_NE(dynamic_cast<TestDamageValues*>(holder.Get()), nullptr);
    ctrl.makesDamageValues = false;
    EXPECT_EQ(holder.Renew(), nullptr);  // a factory that makes none leaves the holder empty
    EXPECT_FALSE(holder);
}

TEST(DamageValuesTest, ModifiersAssignAndCopyThroughTheHolder)
{
    LevelTestCtrl ctrl;
    TestDamageValues values;
    values.damage[0] = 10.0f;
    values.damage[3] = 2.0f;
    values.valueA = 1.0f;
    values.valueB = 4.0f;
    const float unchanged[DamageValues::kModifierValues] = {1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0};
    values.ApplyModifiers(unchanged);
    EXPECT_EQ(values.damage[0], 10.0f);
    EXPECT_EQ(values.valueB, 4.0f);
    // the fifth pair acts on valueB, the sixth on valueA
    const float modifiers[DamageValues::kModifierValues] = {2, 1, 1, 0, 1, 0, 3, 0, 0.5f, 0, 1, 5};
    values.ApplyModifiers(modifiers);
    EXPECT_EQ(values.damage[0], 21.0f);
    EXPECT_EQ(values.damage[3], 6.0f);
    EXPECT_EQ(values.valueB, 2.0f);
    EXPECT_EQ(values.valueA, 6.0f);

    DamageValuesHolder copy(nullptr);
    EXPECT_FALSE(copy);
    ASSERT_NE(values.CopyTo(copy), nullptr);
    EXPECT_EQ(copy->damage[0], 21.0f);
    DamageValuesHolder other;
    other.Assign(copy);
    EXPECT_NE(other.Get(), copy.Get());
    EXPECT_EQ(other->valueA, 6.0f);
    other.ApplyValue(3.0f);
    EXPECT_EQ(other->GetValue(), 3.0f);
    other.Assign(DamageValuesHolder(nullptr));
    EXPECT_FALSE(other);
}

TEST(DamageValuesTest, RandomizedAmounts)
{
    struct Case {
        float r;
        int32_t amount;
    };
    for (const Case& c : {Case{1.0f, 40}, Case{-1.0f, 10}, Case{0.0f, 10}, Case{-0.25f, 5}, Case{0.5f, 11}})
        EXPECT_EQ(RandomizeAmount(10.0f, 1.0f, c.r), c.amount) << c.r;  // 0.5: (1 + 3/32) 10 rounded
    for (int32_t i = 0; i < 200; i++) {
        const int32_t amount = RandomizeAmount(10.0f, 2.0f);
        EXPECT_GE(amount, 0);
        EXPECT_LE(amount, 80);
    }
}

TEST(DamageValuesTest, CopyToHolderTakesTheBaseFields)
{
    LevelTestCtrl ctrl;
    TestDamageValues values;
    values.damage[3] = 7.0f;
    values.valueB = 1.5f;
    values.enabled = 0;
    values.extraFlag = 1;
    DamageValuesHolder holder;
    holder->damage[0] = 9.0f;
    values.CopyTo(holder);
    ASSERT_TRUE(holder);
    EXPECT_EQ(holder->damage[0], 0.0f);  // a new set
    EXPECT_EQ(holder->damage[3], 7.0f);
    EXPECT_EQ(holder->valueB, 1.5f);
    EXPECT_EQ(holder->enabled, 0);
    EXPECT_EQ(holder->extraFlag, 1);
    ctrl.makesDamageValues = false;
    values.CopyTo(holder);
    EXPECT_FALSE(holder);
}
