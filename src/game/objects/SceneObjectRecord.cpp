// SceneObject: the save record, written after the element's. The writer always writes the newest
// form; the reader expects a field from the stream version that brought it and otherwise keeps
// its default.
//
//   from  field
//   255   illumination: u8 constant, u8 fixed flag, 3 f32 direction, u32 colour, String
//         scale 3 f32, mirror 3 f32, tilt axis 3 f32, tilt angle f32
//         colour factors first, second, third 3 x 3 f32, colour offset 3 f32
//         colour B u32, colour u32
//         visible u8, setting byte 2 u8, floor object i16, simple visibility u8,
//         orientation mode i32, fade strength f32, global factor f32, animation speed f32,
//         highlight mode i16, setting int i32, setting word i16, setting bytes 5, 6, 3, 4 u8
//   234   inherit parent transform u8
//         requested variations 18 i16 (nine mesh, nine texture numbers)
//   196   override shader name String
//   209   emitters: i16 count, each String effect, 3 f32 offset, f32 rate, f32 second rate,
//         u8 random, f32 lifetime, String dummy name
//   234   optional vector: u8 present, then 3 f32 when present
//   260   bone children (full saves only): i16 count, each i32 ElemCode of the child, String
//         bone name, 3 f32 offset
//   262   setting float f32
#include "game/objects/SceneObject.h"

#include "base/File.h"
#include "base/FileRecordReader.h"
#include "engine/scene/DXC_3dScene.h"
#include "world/ElemCode.h"

namespace {

constexpr uint16_t kIlluminationVersion = 255;
constexpr uint16_t kInheritVersion = 234;
constexpr uint16_t kShaderVersion = 196;
constexpr uint16_t kEmitterVersion = 209;
constexpr uint16_t kOptionalVectorVersion = 234;
constexpr uint16_t kBoneChildVersion = 260;
constexpr uint16_t kSettingFloatVersion = 262;
// Least bytes of one record, for the checks of their counts.
constexpr int64_t kEmitterBytes = 33;
constexpr int64_t kBoneChildBytes = 20;


}  // namespace

void SceneObject::SaveSceneObject(File& file, bool transferOnly)
{
    SaveIllumination(file);
    file.WriteFloats(m_Scale, 3);
    file.WriteFloats(m_Mirror, 3);
    file.WriteFloat(m_TiltAxis.x);
    file.WriteFloat(m_TiltAxis.y);
    file.WriteFloat(m_TiltAxis.z);
    file.WriteFloat(m_TiltAngle);
    file.WriteFloats(m_ColourFactor1, 3);
    file.WriteFloats(m_ColourFactor2, 3);
    file.WriteFloats(m_ColourFactor3, 3);
    file.WriteFloats(m_ColourOffset, 3);
    file.WriteInt32(int32_t(m_ColourB));
    file.WriteInt32(int32_t(m_Colour));
    file.WriteInt8(m_Visible);
    file.WriteInt8(m_SettingByte2);
    file.WriteInt16(m_FloorObject);
    file.WriteInt8(m_SimpleVisibility);
    file.WriteInt32(m_OrientationMode);
    file.WriteFloat(m_FadeStrength);
    file.WriteFloat(m_GlobalFactor);
    file.WriteFloat(m_AniSpeed);
    file.WriteInt16(m_HighlightMode);
    file.WriteInt32(m_SettingInt);
    file.WriteInt16(m_SettingWord);
    file.WriteInt8(m_SettingByte5);
    file.WriteInt8(m_SettingByte6);
    file.WriteInt8(m_SettingByte3);
    file.WriteInt8(m_SettingByte4);
    file.WriteInt8(m_InheritParentTransform);
    for (int16_t number : m_RequestedVariations)
        file.WriteInt16(number);
    file.WriteString(m_OverrideShaderName);

    EffectEmitterInfo::SaveList(file, m_Emitters);

    const bool hasVector = m_OptionalVector[0] != 0.0f || m_OptionalVector[1] != 0.0f || m_OptionalVector[2] != 0.0f;
    file.WriteInt8(hasVector ? 1 : 0);
    if (hasVector)
        file.WriteFloats(m_OptionalVector, 3);

    if (!transferOnly) {
        for (int32_t slot = m_BoneChildren.NextUsedSlot(-1); slot >= 0; slot = m_BoneChildren.NextUsedSlot(slot)) {
            BoneChildInfo* info = m_BoneChildren.GetBySlot(slot);
            if (info && !info->child.Get())
                m_BoneChildren.Delete(slot);
        }
        auto written = [](const BoneChildInfo& info) {
            const WorldElem* child = info.child.Get();
            return !info.keepOutOfSave && info.bone && child && child->m_TypeCode != ElemType::kEffect &&
                   child->m_TypeCode != ElemType::kNone;
        };
        int32_t count = 0;
        for (int32_t position = 0; position < m_BoneChildren.GetSize(); position++)
            count += written(*m_BoneChildren.GetAt(position)) ? 1 : 0;
        file.WriteInt16(count);
        for (int32_t position = 0; position < m_BoneChildren.GetSize(); position++) {
            const BoneChildInfo& info = *m_BoneChildren.GetAt(position);
            if (!written(info))
                continue;
            file.WriteInt32(ElemCode::Of(info.child.Get()));
            file.WriteString(info.boneName);
            file.WriteFloats(info.offset, 3);
        }
    }
    file.WriteFloat(m_SettingFloat);
}

void SceneObject::LoadSceneObject(File& file, uint16_t version, bool transferOnly)
{
    FileRecordReader in(file, "Scene object record cut short");
    if (version >= kIlluminationVersion)
        LoadIllumination(in);
    in.Floats(m_Scale, 3);
    in.Floats(m_Mirror, 3);
    m_TiltAxis.x = in.F32();
    m_TiltAxis.y = in.F32();
    m_TiltAxis.z = in.F32();
    m_TiltAngle = in.F32();
    in.Floats(m_ColourFactor1, 3);
    in.Floats(m_ColourFactor2, 3);
    in.Floats(m_ColourFactor3, 3);
    in.Floats(m_ColourOffset, 3);
    m_ColourB = in.U32();
    m_Colour = in.U32();
    m_Visible = in.U8();
    m_SettingByte2 = in.U8();
    m_FloorObject = in.I16();
    m_SimpleVisibility = in.U8();
    m_OrientationMode = in.I32();
    m_FadeStrength = in.F32();
    m_GlobalFactor = in.F32();
    m_AniSpeed = in.F32();
    m_HighlightMode = in.I16();
    m_SettingInt = in.I32();
    m_SettingWord = in.I16();
    m_SettingByte5 = in.U8();
    m_SettingByte6 = in.U8();
    m_SettingByte3 = in.U8();
    m_SettingByte4 = in.U8();
    if (version >= kInheritVersion)
        m_InheritParentTransform = in.U8();
    for (int16_t& number : m_RequestedVariations)
        number = in.I16();

    String shader;
    if (version >= kShaderVersion)
        in.Text(shader);
    SetShader(shader, true);

    if (version >= kEmitterVersion) {
        const int32_t count = in.CheckCount("Scene object emitter", in.I16(), kEmitterBytes);
        m_Emitters.DeleteAll();
        for (int32_t i = 0; i < count; i++) {
            EffectEmitterInfo& emitter = AddEmitter();
            emitter.Load(in);
            emitter.dummy = m_Scene && !emitter.dummyName.IsEmpty()
                                ? m_Scene->FindObjectByName(emitter.dummyName.c_str(), 1)
                                : nullptr;
        }
    }

    if (version >= kOptionalVectorVersion) {
        if (in.U8() == 1) {
            in.Floats(m_OptionalVector, 3);
        } else {
            for (float& value : m_OptionalVector)
                value = 0.0f;
        }
    }

    if (version >= kBoneChildVersion && !transferOnly) {
        const int32_t count = in.CheckCount("Scene object bone child", in.I16(), kBoneChildBytes);
        m_BoneChildren.DeleteAll();
        for (int32_t i = 0; i < count; i++) {
            // the level loader finds the child by its code and the bone by its name again
            BoneChildInfo& info = *m_BoneChildren.GetBySlot(m_BoneChildren.Add());
            info.savedChildRef = in.I32();
            in.Text(info.boneName);
            in.Floats(info.offset, 3);
            info.keepOutOfSave = 0;
        }
    }
    if (version >= kSettingFloatVersion)
        m_SettingFloat = in.F32();
}

void SceneObject::Save(File& file, bool compact)
{
    WorldElem::Save(file, compact);
    SaveSceneObject(file, compact);
}

void SceneObject::Load(File& file, bool compact)
{
    WorldElem::Load(file, compact);
    LoadSceneObject(file, file.GetVersion(), compact);
}
