// SceneObject record: the writer's bytes against the layout written by hand, every version gate
// of the reader, and records cut short or with lying counts.
#include "game/objects/SceneObject.h"

#include "game/objects/SceneObjectTestSupport.h"
#include "support/ByteBuilder.h"
#include "support/ErrorOf.h"
#include "world/WorldTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int32_t kChildCode = (10 << 24) | 1;  // a plain element in slot 1

// The record as the format gives it, at a stream version.
std::vector<uint8_t> Record(uint16_t version, bool full)
{
    ByteBuilder b;
    if (version >= 255)
        b.U8(3).U8(1).F32s({0.5f, 0.25f, -1.0f}).I32(int32_t(0x80FF0000u)).Str("sun");
    b.F32s({2, 1, 3}).F32s({-1, 1, 1}).F32s({0, 1, 0}).F32(0.5f);
    b.F32s({1, 2, 3, 4, 5, 6, 7, 8, 9}).F32s({0.125f, 0.25f, 0.375f});
    b.I32(0x11223344).I32(0x55667788);
    b.U8(0).U8(2).U16(5).U8(1).I32(2).F32(0.75f).F32(1.5f).F32(2.0f).U16(2).I32(77).U16(uint16_t(-3));
    b.U8(4).U8(5).U8(6).U8(7);
    if (version >= 234)
        b.U8(1);
    for (int32_t i = 0; i < SceneObject::kVariations; i++)
        b.U16(uint16_t(i - 1));
    if (version >= 196)
        b.Str("glow");
    if (version >= 209)
        b.U16(1).Str("fire").F32s({1, 2, 3}).F32(4.0f).F32(0.0f).U8(0).F32(2.5f).Str("Dummy01");
    if (version >= 234)
        b.U8(1).F32s({7, 8, 9});
    if (version >= 260 && full)
        b.U16(1).I32(kChildCode).Str("Hand").F32s({1, 2, 3});
    if (version >= 262)
        b.F32(0.125f);
    return b.bytes;
}

// An object holding what Record writes.
void Fill(SceneObject& obj)
{
    obj.m_Illumination.constantIllum = 3;
    obj.m_Illumination.fixedIllum = 1;
    obj.m_Illumination.direction[0] = 0.5f;
    obj.m_Illumination.direction[1] = 0.25f;
    obj.m_Illumination.direction[2] = -1.0f;
    obj.m_Illumination.colour = 0x80FF0000u;
    obj.m_Illumination.notIllumBy = "sun";
    obj.SetScale(-2.0f, 1.0f, 3.0f, false, false);
    obj.m_TiltAxis = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
    obj.m_TiltAngle = 0.5f;
    for (int32_t i = 0; i < 3; i++) {
        obj.m_ColourFactor1[i] = float(1 + i);
        obj.m_ColourFactor2[i] = float(4 + i);
        obj.m_ColourFactor3[i] = float(7 + i);
        obj.m_ColourOffset[i] = 0.125f * float(i + 1);
        obj.m_OptionalVector[i] = float(7 + i);
    }
    obj.m_ColourB = 0x11223344u;
    obj.m_Colour = 0x55667788u;
    obj.m_Visible = 0;
    obj.m_SettingByte2 = 2;
    obj.m_FloorObject = 5;
    obj.m_SimpleVisibility = 1;
    obj.m_OrientationMode = 2;
    obj.m_FadeStrength = 0.75f;
    obj.m_GlobalFactor = 1.5f;
    obj.m_AniSpeed = 2.0f;
    obj.m_HighlightMode = 2;
    obj.m_SettingInt = 77;
    obj.m_SettingWord = -3;
    obj.m_SettingByte5 = 4;
    obj.m_SettingByte6 = 5;
    obj.m_SettingByte3 = 6;
    obj.m_SettingByte4 = 7;
    obj.m_InheritParentTransform = 1;
    for (int32_t i = 0; i < SceneObject::kVariations; i++)
        obj.m_RequestedVariations[i] = int16_t(i - 1);
    obj.SetShader("glow", true);
    EffectEmitterInfo& emitter = obj.AddEmitter();
    emitter.effectName = "fire";
    emitter.offset[0] = 1;
    emitter.offset[1] = 2;
    emitter.offset[2] = 3;
    emitter.rate = 4.0f;
    emitter.randomEmission = 0;
    emitter.lifeTime = 2.5f;
    emitter.dummyName = "Dummy01";
    obj.AddEmitter().name = "made at run time";  // never saved
    obj.m_SettingFloat = 0.125f;
}

std::vector<uint8_t> Saved(SceneObject& obj, bool transferOnly)
{
    File file;
    file.CreateMemoryFile(0);
    obj.SaveSceneObject(file, transferOnly);
    return BytesOf(file);
}

}  // namespace

TEST(SceneObjectRecordTest, WriterBytes)
{
    LevelTestCtrl ctrl;
    GridWorld world;
    world.SetGrid(20, 12, 64, 64);
    DXC_3dScene scene;
    AddNode(scene, "Hand", Translation(0, 0, 0));
    auto* obj = new TestSceneObject;
    auto* child = new TestSceneObject;
    auto* gone = new TestSceneObject;
    world.AddObj(obj, 0, false);
    world.AddObj(child, 0, false);
    world.AddObj(gone, 0, false);
    ASSERT_EQ(child->m_ObjID, 1);
    obj->SetScene(&scene);
    Fill(*obj);
    obj->AttachChildToBone(child, "Hand", 1, 2, 3);
    obj->AttachChildToBone(gone, "Hand", 0, 0, 0);
    obj->AttachChildToBone(child, "Hand", 0, 0, 0);
    obj->m_BoneChildren.GetAt(2)->keepOutOfSave = 1;
    world.DelObj(gone->m_ObjID, 0);

    EXPECT_EQ(Saved(*obj, false), Record(275, true));
    EXPECT_EQ(obj->m_BoneChildren.GetSize(), 2);  // the gone child's record went
    EXPECT_EQ(Saved(*obj, true), Record(275, false));

    // A default object writes a zero vector as absent.
    TestSceneObject plain;
    const std::vector<uint8_t> bytes = Saved(plain, true);
    EXPECT_EQ(bytes[bytes.size() - 5], 0);

    // A child that is not in the world under its ID cannot be named.
    TestSceneObject stray;
    obj->AttachChildToBone(&stray, "Hand", 0, 0, 0);
    const std::string error = ErrorOf([&] { Saved(*obj, false); });
    EXPECT_NE(error.find("SaveElemPtr: Invalid pointer"), std::string::npos) << error;
}

TEST(SceneObjectRecordTest, VersionGates)
{
    DXC_3dScene scene;
    DXC_3dObject& dummy = AddNode(scene, "Dummy01", Translation(0, 0, 0));
    for (uint16_t version : {275, 262, 261, 260, 259, 255, 254, 234, 233, 209, 208, 196, 195}) {
        SCOPED_TRACE(version);
        for (bool transferOnly : {false, true}) {
            TestSceneObject obj;
            obj.SetScene(&scene);
            obj.SetShader("old", true);
            File file;
            ByteBuilder{Record(version, !transferOnly)}.Into(file);
            obj.LoadSceneObject(file, version, transferOnly);
            EXPECT_EQ(file.GetRemaining(), 0);

            EXPECT_EQ(obj.m_Illumination.notIllumBy, String(version >= 255 ? "sun" : ""));
            EXPECT_EQ(obj.m_Scale[0], 2.0f);
            EXPECT_EQ(obj.m_Mirror[0], -1.0f);
            EXPECT_EQ(obj.m_ColourFactor2[2], 6.0f);
            EXPECT_EQ(obj.m_Colour, 0x55667788u);
            EXPECT_EQ(obj.m_SettingWord, -3);
            EXPECT_EQ(obj.m_SettingByte4, 7);
            EXPECT_EQ(obj.m_InheritParentTransform, version >= 234 ? 1 : 0);
            EXPECT_EQ(obj.m_RequestedVariations[17], 16);
            EXPECT_EQ(obj.m_OverrideShaderName, String(version >= 196 ? "glow" : ""));
            ASSERT_EQ(obj.m_Emitters.GetSize(), version >= 209 ? 1 : 0);
            if (version >= 209) {
                const EffectEmitterInfo& emitter = *obj.m_Emitters.GetAt(0);
                EXPECT_EQ(emitter.effectName, String("fire"));
                EXPECT_EQ(emitter.lifeTime, 2.5f);
                EXPECT_EQ(emitter.dummy, &dummy);
            }
            EXPECT_EQ(obj.m_OptionalVector[1], version >= 234 ? 8.0f : 0.0f);
            const bool children = version >= 260 && !transferOnly;
            ASSERT_EQ(obj.m_BoneChildren.GetSize(), children ? 1 : 0);
            if (children) {
                EXPECT_EQ(obj.m_BoneChildren.GetAt(0)->savedChildRef, kChildCode);
                EXPECT_EQ(obj.m_BoneChildren.GetAt(0)->boneName, String("Hand"));
                EXPECT_EQ(obj.m_BoneChildren.GetAt(0)->offset[2], 3.0f);
            }
            EXPECT_EQ(obj.m_SettingFloat, version >= 262 ? 0.125f : -1.0f);
        }
    }
}

TEST(SceneObjectRecordTest, DamagedRecordsFailCleanly)
{
    const std::vector<uint8_t> whole = Record(275, true);
    // From the end: the setting float, one bone child (count, code, "Hand", offset), the
    // vector, one emitter (count, "fire", offset, rates, flag, lifetime, "Dummy01").
    const size_t boneCount = whole.size() - 4 - (2 + 4 + 8 + 12);
    const size_t emitterCount = boneCount - 13 - (2 + 8 + 12 + 4 + 4 + 1 + 4 + 11);
    auto patched = [&](size_t at, uint16_t count) {
        std::vector<uint8_t> bytes = whole;
        bytes[at] = uint8_t(count);
        bytes[at + 1] = uint8_t(count >> 8);
        return bytes;
    };
    ASSERT_EQ(whole[emitterCount], 1);  // the counts are where the layout puts them
    ASSERT_EQ(whole[boneCount], 1);
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* error;
    } kCases[] = {
        {"one byte short", std::vector<uint8_t>(whole.begin(), whole.end() - 1), "cut short"},
        {"cut in the illumination", std::vector<uint8_t>(whole.begin(), whole.begin() + 10), "cut short"},
        {"empty", {}, "cut short"},
        {"emitter count lies", patched(emitterCount, 0x7FFF), "Scene object emitter count 32767 exceeds"},
        {"emitter count negative", patched(emitterCount, 0xFFFF), "Scene object emitter count -1 exceeds"},
        {"bone child count lies", patched(boneCount, 2), "Scene object bone child count 2 exceeds"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        TestSceneObject obj;
        File file;
        ByteBuilder{c.bytes}.Into(file);
        const std::string error = ErrorOf([&] { obj.LoadSceneObject(file, 275, false); });
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
}
