// DamageValues_SF, DamageValues_SF_Clean, ProtectionValues_SF: the three records as golden bytes
// (tests/fixtures/scifi/make_damage_values_golden.py packs them apart), old streams without
// function names, the 72-byte image, scaling, the physical amount, evaluation for a creature,
// the conversions and the factories of the game's controller.
#include "scifi/objects/DamageValues_SF.h"

#include "base/ByteReader.h"
#include "base/FileRecordReader.h"
#include "FunctionTestCtrl.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "scifi/objects/ProtectionValues_SF.h"
#include "world/DamageValuesImage.h"

#include "support/ByteBuilder.h"
#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

const std::vector<uint8_t> kAttributed = {
    0x00, 0x00, 0x80, 0x3f, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x40, 0x40, 0x00, 0x00, 0x80, 0x40,
    0x00, 0x00, 0xa0, 0x40, 0x00, 0x00, 0xc0, 0x40, 0x00, 0x00, 0x00, 0xe0, 0x40, 0x05, 0x00, 0x00,
    0x00, 0x6c, 0x65, 0x76, 0x65, 0x6c, 0x00, 0x00, 0x00, 0x41, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x10, 0x41, 0x00, 0x00, 0x20, 0x41, 0x00, 0x00, 0x30, 0x41, 0x00, 0x00, 0x40, 0x41, 0x00, 0x00,
    0x50, 0x41, 0x00, 0x00, 0x60, 0x41, 0x00, 0x00, 0x70, 0x41, 0x00, 0x00, 0x80, 0x41,
};
const std::vector<uint8_t> kClean = {
    0x00, 0x00, 0x80, 0x3f, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x40, 0x40, 0x00, 0x00, 0x80, 0x40,
    0x00, 0x00, 0xa0, 0x40, 0x00, 0x00, 0xc0, 0x40, 0x00, 0x00, 0x00, 0xe0, 0x40, 0x00, 0x00, 0x00,
    0x41, 0x00, 0x00, 0x10, 0x41, 0x00, 0x00, 0x20, 0x41, 0x00, 0x00, 0x30, 0x41, 0x00, 0x00, 0x40,
    0x41, 0x00, 0x00, 0x50, 0x41, 0x00, 0x00, 0x60, 0x41, 0x00, 0x00, 0x70, 0x41, 0x00, 0x00, 0x80,
    0x41,
};
const std::vector<uint8_t> kProtection = {
    0x00, 0x00, 0x00, 0x3f, 0x00, 0x00, 0x80, 0x3e, 0x00, 0x00, 0x00, 0x40,
};
const std::vector<uint8_t> kImage = {
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3f, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x40, 0x40,
    0x00, 0x00, 0x80, 0x40, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0xa0, 0x40, 0x00, 0x00, 0xc0, 0x40,
    0x00, 0x00, 0x10, 0x41, 0x00, 0x00, 0x20, 0x41, 0x00, 0x00, 0x30, 0x41, 0x00, 0x00, 0x40, 0x41,
    0x00, 0x00, 0x50, 0x41, 0x00, 0x00, 0x60, 0x41, 0x00, 0x00, 0x70, 0x41, 0x00, 0x00, 0x80, 0x41,
    0x00, 0x00, 0xe0, 0x40, 0x00, 0x00, 0x00, 0x41,
};

// The sets the golden bytes hold (physical 1 named "level" in the attributed one).
template <class Set> void FillKnown(Set& set)
{
    for (int32_t i = 0; i < 4; i++)
        set.damage[i] = float(i + 1);
    set.valueA = 5.0f;
    set.valueB = 6.0f;
    set.enabled = 0;
    set.extraFlag = 1;
    set.SetPhysical(0, 7.0f);
    set.SetPhysical(1, 8.0f);
    float next = 9.0f;
    for (float* value : set.Values())
        *value = next++;
}

template <class Set> void ExpectKnown(const Set& set, uint8_t extraFlag)
{
    for (int32_t i = 0; i < 4; i++)
        EXPECT_EQ(set.damage[i], float(i + 1));
    EXPECT_EQ(set.valueA, 5.0f);
    EXPECT_EQ(set.valueB, 6.0f);
    EXPECT_EQ(set.enabled, 0);
    EXPECT_EQ(set.extraFlag, extraFlag);
    EXPECT_EQ(set.GetPhysical(0), 7.0f);
    EXPECT_EQ(set.GetPhysical(1), 8.0f);
    float next = 9.0f;
    for (const float* value : set.Values())
        EXPECT_EQ(*value, next++);
}

template <class Set> std::vector<uint8_t> Saved(const Set& set)
{
    File file;
    file.CreateMemoryFile(0);
    set.Save(file);
    return BytesOf(file);
}

template <class Set> void LoadInto(Set& set, const std::vector<uint8_t>& bytes, uint16_t version = 0xFFFF)
{
    File file;
    ByteBuilder{bytes}.Into(file);
    file.SetVersion(version);
    FileRecordReader in(file, "Damage values cut short");
    set.Load(in);
}

}  // namespace

TEST(DamageValues_SFTest, RecordsAsGoldenBytes)
{
    DamageValues_SF attributed;
    FillKnown(attributed);
    attributed.physical[0].functionName = "level";
    EXPECT_EQ(Saved(attributed), kAttributed);

    DamageValues_SF_Clean clean;
    FillKnown(clean);
    EXPECT_EQ(Saved(clean), kClean);
    EXPECT_EQ(kClean.size(), size_t(DamageValues_SF_Clean::kRecordBytes));

    ProtectionValues_SF protection;
    protection.physical[0] = 0.5f;
    protection.physical[1] = 0.25f;
    protection.poison = 2.0f;
    File file;
    file.CreateMemoryFile(0);
    protection.Save(file);
    EXPECT_EQ(BytesOf(file), kProtection);
    ProtectionValues_SF loaded;
    ByteBuilder{kProtection}.Into(file);
    FileRecordReader in(file, "Protection cut short");
    loaded.Load(in);
    EXPECT_EQ(loaded.physical[1], 0.25f);
    EXPECT_EQ(loaded.poison, 2.0f);
}

// The extra flag is no part of the record: a loaded set keeps the one it had.
TEST(DamageValues_SFTest, LoadsBackAndOldStreamsHoldNoNames)
{
    DamageValues_SF attributed;
    attributed.Reset();
    LoadInto(attributed, kAttributed);
    ExpectKnown(attributed, 0);
    EXPECT_EQ(attributed.physical[0].functionName, "level");
    EXPECT_TRUE(attributed.physical[1].functionName.IsEmpty());

    DamageValues_SF old;
    old.physical[1].functionName = "stale";
    LoadInto(old, kClean, 238);  // a version-238 stream: the values alone
    ExpectKnown(old, 0);
    EXPECT_TRUE(old.physical[0].functionName.IsEmpty());
    EXPECT_TRUE(old.physical[1].functionName.IsEmpty());

    DamageValues_SF_Clean clean;
    clean.extraFlag = 1;
    LoadInto(clean, kClean);
    ExpectKnown(clean, 1);

    const std::vector<uint8_t> cut(kAttributed.begin(), kAttributed.end() - 1);
    EXPECT_NE(ErrorOf([&] { LoadInto(attributed, cut); }).find("Damage values cut short"), std::string::npos);
}

TEST(DamageValues_SFTest, ImageOfACleanSet)
{
    DamageValues_SF_Clean clean;
    FillKnown(clean);
    uint8_t bytes[DamageValuesImage::kSize + 1] = {};
    ByteWriter out(bytes, DamageValuesImage::kSize);
    clean.WriteImage(out);
    ASSERT_FALSE(out.Failed());
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + DamageValuesImage::kSize), kImage);

    DamageValues_SF_Clean back;
    ByteReader in(kImage.data(), kImage.size());
    ASSERT_TRUE(back.ReadImage(in));
    ExpectKnown(back, 1);

    DamageValues_SF_Clean untouched;
    ByteReader shortImage(kImage.data(), kImage.size() - 1);
    EXPECT_FALSE(untouched.ReadImage(shortImage));
    EXPECT_EQ(untouched.damage[0], 0.0f);
    EXPECT_EQ(untouched.enabled, 1);

    // The attributed set's image carries its raw physical amounts, whatever their functions.
    DamageValues_SF attributed;
    FillKnown(attributed);
    attributed.physical[0].functionName = "level";
    DamageValuesImage image;
    attributed.FillImage(image);
    uint8_t again[DamageValuesImage::kSize] = {};
    ByteWriter outAgain(again, sizeof again);
    image.Write(outAgain);
    EXPECT_EQ(std::vector<uint8_t>(again, again + sizeof again), kImage);
}

TEST(DamageValues_SFTest, ScalePhysicalAmountAndReset)
{
    DamageValues_SF values;
    EXPECT_TRUE(values.IsZero());
    values.SetValue(0.5f);
    EXPECT_FALSE(values.IsZero());
    EXPECT_EQ(values.GetValue(), 0.5f);

    values.SetPhysical(0, 3.0f);
    values.SetPhysical(1, 4.0f);
    values.poison = 5.0f;
    values.poisonTime = 6.0f;
    values.damage[0] = 2.0f;
    values.Scale(2.0f);
    EXPECT_EQ(values.GetPhysical(0), 6.0f);
    EXPECT_EQ(values.GetPhysical(1), 8.0f);
    EXPECT_EQ(values.poison, 10.0f);
    EXPECT_EQ(values.poisonTime, 6.0f);
    EXPECT_EQ(values.damage[0], 2.0f);

    DamageValues_SF_Clean clean;
    clean.SetPhysical(1, 3.0f);
    clean.Scale(2.0f);
    EXPECT_EQ(clean.GetPhysical(1), 6.0f);
    EXPECT_FALSE(clean.IsZero());

    // A reset clears the engine's part and the physical amounts with their names; the eight
    // values are the constructor's to clear.
    values.physical[0].functionName = "level";
    values.Reset();
    EXPECT_TRUE(values.IsZero());
    EXPECT_TRUE(values.physical[0].functionName.IsEmpty());
    EXPECT_EQ(values.damage[0], 0.0f);
    EXPECT_EQ(values.poison, 10.0f);
}

TEST(DamageValues_SFTest, EvaluateConversionsAndFactories)
{
    FunctionTestCtrl ctrl(3.0f);
    WorldElem creature;
    DamageValues_SF values;
    FillKnown(values);
    values.SetPhysical(0, 10.0f);
    values.physical[0].functionName = "level";
    DamageValuesHolder out(nullptr);
    DamageValues* made = values.Evaluate(out, &creature);
    auto* evaluated = dynamic_cast<DamageValues_SF*>(made);
    ASSERT_NE(evaluated, nullptr);
    EXPECT_EQ(out.Get(), made);
    EXPECT_EQ(evaluated->GetPhysical(0), 30.0f);
    EXPECT_TRUE(evaluated->physical[0].functionName.IsEmpty());
    EXPECT_EQ(evaluated->GetPhysical(1), 8.0f);
    EXPECT_EQ(evaluated->poison, 9.0f);
    EXPECT_EQ(values.GetPhysical(0), 10.0f);  // the source stays
    EXPECT_EQ(values.physical[0].functionName, "level");

    // The clean set takes the raw amounts; back, the names stay as they were.
    DamageValues_SF_Clean clean;
    clean.AssignFrom(values);
    EXPECT_EQ(clean.GetPhysical(0), 10.0f);
    EXPECT_EQ(clean.inflame[1], 16.0f);
    clean.SetPhysical(0, 4.0f);
    values.AssignFrom(clean);
    EXPECT_EQ(values.GetPhysical(0), 4.0f);
    EXPECT_EQ(values.physical[0].functionName, "level");

    // Copies keep their class and every field.
    std::unique_ptr<DamageValues> copy(values.Clone());
    auto* same = dynamic_cast<DamageValues_SF*>(copy.get());
    ASSERT_NE(same, nullptr);
    EXPECT_EQ(same->physical[0].functionName, "level");
    EXPECT_EQ(same->manaLeech, values.manaLeech);
    std::unique_ptr<DamageValues> cleanCopy(clean.Clone());
    auto* cleanSame = dynamic_cast<DamageValues_SF_Clean*>(cleanCopy.get());
    ASSERT_NE(cleanSame, nullptr);
    EXPECT_EQ(cleanSame->GetPhysical(0), 4.0f);
    EXPECT_EQ(cleanSame->inflame[1], 16.0f);
    EXPECT_EQ(cleanSame->extraFlag, 1);

    std::unique_ptr<DamageValues> fresh(ctrl.CreateDamageValues());
    auto* game = dynamic_cast<DamageValues_SF*>(fresh.get());
    ASSERT_NE(game, nullptr);
    EXPECT_TRUE(game->IsZero());
    EXPECT_EQ(game->enabled, 1);
    std::unique_ptr<ProtectionValues> protection(ctrl.CreateProtectionValues());
    auto* factors = dynamic_cast<ProtectionValues_SF*>(protection.get());
    ASSERT_NE(factors, nullptr);
    EXPECT_EQ(factors->physical[0], 1.0f);
    EXPECT_EQ(factors->physical[1], 1.0f);
    EXPECT_EQ(factors->poison, 1.0f);
}
