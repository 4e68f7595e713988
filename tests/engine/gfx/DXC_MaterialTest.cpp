// DXC_MaterialTest: the material record in every version the reader accepts, written and read
// back, comparison, copies and the animation of colours and transparency.
#include "engine/gfx/DXC_Material.h"

#include "support/ByteBuilder.h"
#include "support/ErrorOf.h"
#include "support/LoadStateScope.h"

#include <gtest/gtest.h>

namespace {

DXC_Material Sample()
{
    DXC_Material m;
    const float colors[12] = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f, 0.25f, 0.35f, 0.45f};
    m.InitFromColors(colors);
    m.diffuse.a = 0.5f;
    m.power = 12.0f;
    m.transparency = 0.25f;
    m.additiveEmissive = 0;
    m.blendType = 2;
    m.twoSided = 1;
    m.passNumber = 1;
    m.colorCurves[3].SetNumKeys(1);
    m.colorCurves[3].GetKey(0).value = SplineVector4{{0.5f, 0.25f, 0.125f, 1.0f}};
    m.transparencyCurve.SetMode(0);
    m.transparencyCurve.SetNumKeys(2);
    m.transparencyCurve.GetKey(1) = {2.0f, 1.3f, 0.0f, 0.0f};
    m.effectFileName = "fx\\glow.fx";
    m.floatParams[2] = {3.5f, 1};
    m.vectorParams[7] = {{1.0f, 2.0f, 3.0f}, 1};
    return m;
}

void ExpectSame(const DXC_Material& a, const DXC_Material& b)
{
    EXPECT_TRUE(a == b);
    EXPECT_EQ(a.diffuse.a, b.diffuse.a);
    EXPECT_EQ(a.passNumber, b.passNumber);
    EXPECT_EQ(a.colorCurves[3].GetKey(0).value, b.colorCurves[3].GetKey(0).value);
    EXPECT_EQ(a.transparencyCurve.GetMode(), b.transparencyCurve.GetMode());
    for (int i = 0; i < DXC_Material::kEffectParams; i++) {
        EXPECT_EQ(a.floatParams[i].set, b.floatParams[i].set) << i;
        EXPECT_EQ(a.vectorParams[i].set, b.vectorParams[i].set) << i;
        if (a.floatParams[i].set) {
            EXPECT_EQ(a.floatParams[i].value, b.floatParams[i].value) << i;
        }
        if (a.vectorParams[i].set) {
            EXPECT_EQ(a.vectorParams[i].value[2], b.vectorParams[i].value[2]) << i;
        }
    }
}

// The record of Sample() as a file of the version writes it.
std::vector<uint8_t> SampleBytes(int32_t version)
{
    File saved;
    saved.CreateMemoryFile(0);
    Sample().Save(saved);
    const std::vector<uint8_t> current = BytesOf(saved);
    // Split the current record where the older layouts differ: after the pass number (76 bytes),
    // after the transparency (80), after the curves (before the flag byte), after the blend type.
    DXC_Material plain = Sample();
    File curves;
    curves.CreateMemoryFile(0);
    for (const auto& c : plain.colorCurves)
        c.Save(curves);
    plain.transparencyCurve.Save(curves);
    const size_t curveBytes = size_t(curves.GetSize());
    ByteBuilder b;
    b.bytes.assign(current.begin(), current.begin() + 76);
    if (version < 110)
        b.I32(-7);  // dropped
    if (version >= 106 && version <= 109)
        b.I32(42);  // a legacy value
    b.bytes.insert(b.bytes.end(), current.begin() + 76, current.begin() + 80 + long(curveBytes));
    if (version < 110)
        b.U8(1).U8(2).U8(3).U8(4);
    b.bytes.insert(b.bytes.end(), current.begin() + 80 + long(curveBytes), current.begin() + 85 + long(curveBytes));
    if (version >= 104)
        b.Str("fx\\glow.fx");
    if (version >= 105)
        b.Append(std::vector<uint8_t>(current.begin() + 85 + long(curveBytes) + 14, current.end()));
    return b.bytes;
}

}  // namespace

TEST(DXC_Material, RecordOfEveryVersion)
{
    for (int32_t version = 100; version <= 110; version++) {
        SCOPED_TRACE(version);
        LoadStateScope scope(version);
        ByteBuilder bytes;
        bytes.bytes = SampleBytes(version);
        File file;
        bytes.Into(file);
        DXC_Material read;
        read.Load(file);
        EXPECT_EQ(file.GetRemaining(), 0);  // exactly its own bytes
        DXC_Material expected = Sample();
        if (version < 105) {
            for (int i = 0; i < DXC_Material::kEffectParams; i++)
                expected.floatParams[i].set = expected.vectorParams[i].set = 0;
        }
        if (version < 104)
            expected.effectFileName = "";
        ExpectSame(read, expected);
        if (version == 110) {
            File again;
            again.CreateMemoryFile(0);
            read.Save(again);
            EXPECT_EQ(BytesOf(again), bytes.bytes);
        }
    }
}

TEST(DXC_Material, NoEffectNameNoParameters)
{
    LoadStateScope scope(110);
    DXC_Material m = Sample();
    m.effectFileName = "";
    File file;
    file.CreateMemoryFile(0);
    m.Save(file);
    file.Seek(0);
    DXC_Material read;
    read.floatParams[0].set = 1;  // cleared by the reader
    read.Load(file);
    EXPECT_EQ(file.GetRemaining(), 0);
    EXPECT_EQ(read.floatParams[0].set, 0);
    EXPECT_TRUE(read == m);
}

TEST(DXC_Material, DamagedRecords)
{
    LoadStateScope scope(110);
    const std::vector<uint8_t> good = SampleBytes(110);
    for (size_t cut = 0; cut < good.size(); cut += 7) {
        ByteBuilder b;
        b.bytes.assign(good.begin(), good.begin() + long(cut));
        File file;
        b.Into(file);
        DXC_Material m;
        EXPECT_NE(DxcErrorOf([&] { m.Load(file); }), "no error") << cut;
    }
    // A curve count far beyond the bytes left is refused before anything is allocated.
    ByteBuilder lying;
    lying.bytes.assign(good.begin(), good.begin() + 80);
    lying.I32(0x7FFFFFFF).Zeros(16);
    File file;
    lying.Into(file);
    DXC_Material m;
    EXPECT_NE(DxcErrorOf([&] { m.Load(file); }).find("exceeds"), std::string::npos);
}

TEST(DXC_Material, ComparisonCopyAndAnimation)
{
    const DXC_Material a = Sample();
    DXC_Material b = a;
    EXPECT_EQ(b.effectFileName, a.effectFileName);
    EXPECT_EQ(b.transparencyCurve.GetNumKeys(), 2);
    b.diffuse.a = 0.9f;
    b.passNumber = 0;
    EXPECT_TRUE(a == b);  // alphas and the pass number are not compared
    b.emissive.g = 0.0f;
    EXPECT_TRUE(a != b);
    b = a;
    b.colorCurves[0].SetNumKeys(2);  // key counts, not keys
    EXPECT_TRUE(a != b);
    b = a;
    b.effectFileName = "";
    EXPECT_TRUE(a != b);

    DXC_Material plain;
    plain.AssignPlain(a);
    EXPECT_TRUE(plain.effectFileName.IsEmpty());
    EXPECT_EQ(plain.power, 12.0f);

    DXC_Material animated = a;
    animated.Animate(5.0);
    EXPECT_EQ(animated.ambient.g, a.ambient.g);  // no curve: unchanged
    EXPECT_FLOAT_EQ(animated.emissive.r, 0.5f);  // one key: its value at every time
    EXPECT_FLOAT_EQ(animated.emissive.b, 0.125f);
    EXPECT_FLOAT_EQ(animated.transparency, 1.0f);  // 1.3 limited to 1
    animated.Animate(1.0);
    EXPECT_FLOAT_EQ(animated.transparency, 0.65f);

    DXC_Material defaults;
    EXPECT_EQ(defaults.diffuse.r, 1.0f);
    EXPECT_EQ(defaults.emissive.r, 0.0f);
    EXPECT_EQ(defaults.emissive.a, 1.0f);
    EXPECT_EQ(defaults.additiveEmissive, 1);
    EXPECT_EQ(defaults.colorCurves[0].GetMode(), 1);
}
