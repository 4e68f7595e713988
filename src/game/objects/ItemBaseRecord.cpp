// ItemBase: the item's save record, in save games and in the network's item messages. It is
// written at stream version 275; the stream carries its 16-bit version (the last 16-bit value of
// the File) and the reader keeps every older layout it supports. I is the item version argument
// (-1: the stream version V alone decides). Little-endian; a String is an i32 length and the
// characters. A row is absent when its condition fails.
//
//   1 ItemName S            2 second name S          3 class i32            4 SubType i32
//   5 count i32             6 pile i32
//   7 value                 V >= 270: f32 and the function name S; else i32 (name cleared)
//   8 uses i32              9 snd S                  10 desc S
//  11 ability count i16    12 BodyPart i16           13 EquipmentType i16
//  14 RequiresCharacterClass i32 (V >= 246)
//  15 load values A, B f32, third game value i32
//  16 BodyScale, BodyScaleLeft 6 f32   17 BodyPos, BodyPosLeft 6 f32   18 BodyRotAxis, BodyRotAxisLeft 6 f32
//  19 BodyRotAngle, BodyRotAngleLeft 2 f32            20 PicCol 3 f32
//  21 abilities            only when (I = -1 and V >= 175) or I >= 10, else "Obsolete file
//                          version not supported"; V >= 238: i32 type, i32 subtype, f32 value,
//                          f32 value2, i16 level, S text2, and from V 254 on S text1; else 20 bytes:
//                          type, subtype, value, value2, 4 unused
//  22 game values 8 f32    23 img S, imgInfo S       24 mirrorImg u8, DestroyAfterUse u8
//  25 objID S, onItemUse S
//  26 shader S             I = -1 or I >= 7 (else two S skipped)
//  27 onTransfer S         I = -1 or I >= 4
//  28 BookText S
//  29 AbilityText S        (I = -1 and V >= 166) or I >= 8
//  30 QuestItem            V >= 259: i32; else u8, not 0 read as 1
//  31 first flag byte u8
//  32 QuickSlotItem u8     (I = -1 and V >= 174) or I >= 9
//  33 third flag byte u8   (I = -1 and V >= 176) or I >= 11
//  34 grid position        V >= 234: i32, dimX u8, dimY u8; else one i8 when (I = -1 and
//                          V >= 198) or I >= 15, else 0 (dimensions unchanged)
//  35 second flag byte u8
//  36 might                V >= 265: f32; else i32
//  37 sndPickUp u8, sndDrop u8   (I = -1 and V >= 220) or I >= 16
//  38 RequiresCharacterClass i32, RequiresLevel i16   V >= 248 (the later value wins)
//  39 emitter count i16    40 emitters: S effect name, 3 f32 offset, f32 rate, f32 rate2,
//                          u8 random, f32 lifetime, S dummy name
//  41 combine u8           V >= 272; else 0
#include "game/objects/ItemBase.h"

#include "base/File.h"
#include "base/FileRecordReader.h"
#include "world/GameCtrlInterface.h"

namespace {

// Least bytes of one ability or emitter record, for the checks of their counts.
constexpr int64_t kOldAbilityBytes = 20;
constexpr int64_t kAbilityBytes = 22;  // V >= 238; 4 more from 254 on
constexpr int64_t kEmitterBytes = 33;


}  // namespace

void ItemBase::Save(File& stream, int32_t flag)
{
    (void)flag;  // for the game's items
    stream.WriteString(m_ItemName);
    stream.WriteString(m_Name2);
    stream.WriteInt32(m_Class);
    stream.WriteInt32(m_SubType);
    stream.WriteInt32(m_Count);
    stream.WriteInt32(m_Pile);
    m_Value.Save(stream);
    stream.WriteInt32(m_Uses);
    stream.WriteString(m_Snd);
    stream.WriteString(m_Desc);
    stream.WriteInt16(m_Abilities.GetSize());
    stream.WriteInt16(m_BodyPart);
    stream.WriteInt16(m_EquipmentType);
    stream.WriteInt32(m_RequiresCharacterClass);
    stream.WriteFloats(m_LoadValue, 2);
    stream.WriteInt32(m_GameValue3);
    stream.WriteFloats(m_BodyScale, 3);
    stream.WriteFloats(m_BodyScaleLeft, 3);
    stream.WriteFloats(m_BodyPos, 3);
    stream.WriteFloats(m_BodyPosLeft, 3);
    stream.WriteFloats(m_BodyRotAxis, 3);
    stream.WriteFloats(m_BodyRotAxisLeft, 3);
    stream.WriteFloat(m_BodyRotAngle);
    stream.WriteFloat(m_BodyRotAngleLeft);
    stream.WriteFloats(m_PicCol, 3);
    for (int32_t position = 0; position < m_Abilities.GetSize(); position++) {
        const ItemAbility& ability = *m_Abilities.GetAt(position);
        stream.WriteInt32(ability.type);
        stream.WriteInt32(ability.subtype);
        stream.WriteFloat(ability.value);
        stream.WriteFloat(ability.value2);
        stream.WriteInt16(ability.level);
        stream.WriteString(ability.text2);
        stream.WriteString(ability.text1);
    }
    stream.WriteFloats(m_GameValues, 8);
    stream.WriteString(m_Img);
    stream.WriteString(m_ImgInfo);
    stream.WriteInt8(m_MirrorImg);
    stream.WriteInt8(m_DestroyAfterUse);
    stream.WriteString(m_ObjID);
    stream.WriteString(m_OnItemUse);
    stream.WriteString(m_Shader);
    stream.WriteString(m_OnTransfer);
    stream.WriteString(m_BookText);
    stream.WriteString(m_AbilityText);
    stream.WriteInt32(m_QuestItem);
    stream.WriteInt8(m_FlagByte1);
    stream.WriteInt8(m_QuickSlotItem);
    stream.WriteInt8(m_FlagByte3);
    stream.WriteInt32(m_GridPos);
    stream.WriteInt8(m_DimX);
    stream.WriteInt8(m_DimY);
    stream.WriteInt8(m_FlagByte2);
    stream.WriteFloat(m_Might);
    stream.WriteInt8(m_SndPickUp);
    stream.WriteInt8(m_SndDrop);
    stream.WriteInt32(m_RequiresCharacterClass);
    stream.WriteInt16(m_RequiresLevel);
    EffectEmitterInfo::SaveList(stream, m_Emitters);
    stream.WriteInt8(m_Combine);
}

void ItemBase::ReadAbilities(FileRecordReader& in, int32_t count, uint16_t version)
{
    const int64_t least = version >= 254 ? kAbilityBytes + 4 : version >= 238 ? kAbilityBytes : kOldAbilityBytes;
    in.CheckCount("Item ability", count, least);
    m_Abilities.DeleteAll();
    for (int32_t i = 0; i < count; i++) {
        ItemAbility& ability = *m_Abilities.GetBySlot(m_Abilities.Add());
        ability.type = in.I32();
        ability.subtype = in.I32();
        ability.value = in.F32();
        ability.value2 = in.F32();
        if (version >= 238) {
            ability.level = in.I16();
            in.Text(ability.text2);
            if (version >= 254)
                in.Text(ability.text1);
        } else {
            in.Skip(4);
        }
    }
}

void ItemBase::ReadEmitters(FileRecordReader& in)
{
    const int32_t count = in.CheckCount("Item emitter", in.I16(), kEmitterBytes);
    m_Emitters.DeleteAll();
    for (int32_t i = 0; i < count; i++)
        AddEmitter().Load(in);
}

void ItemBase::Load(File& stream, int32_t itemVersion, int32_t extra)
{
    (void)extra;  // for the game's items
    const uint16_t v = stream.GetLastInt16();
    const int32_t i = itemVersion;
    // Rows present from a stream version on when the stream decides, or from an item version on.
    auto since = [&](uint16_t streamVersion, int32_t fromItemVersion) {
        return (i == -1 && v >= streamVersion) || i >= fromItemVersion;
    };
    FileRecordReader in(stream, "Item record cut short");

    in.Text(m_ItemName);
    in.Text(m_Name2);
    m_Class = in.I32();
    m_SubType = in.I32();
    m_Count = in.I32();
    m_Pile = in.I32();
    if (v >= 270) {
        m_Value.Load(in);
    } else {
        m_Value.value = float(in.I32());
        m_Value.functionName.Release();
    }
    m_Uses = in.I32();
    in.Text(m_Snd);
    in.Text(m_Desc);
    const int16_t abilities = in.I16();
    m_BodyPart = in.I16();
    m_EquipmentType = in.I16();
    if (v >= 246)
        m_RequiresCharacterClass = in.I32();
    in.Floats(m_LoadValue, 2);
    m_GameValue3 = in.I32();
    in.Floats(m_BodyScale, 3);
    in.Floats(m_BodyScaleLeft, 3);
    in.Floats(m_BodyPos, 3);
    in.Floats(m_BodyPosLeft, 3);
    in.Floats(m_BodyRotAxis, 3);
    in.Floats(m_BodyRotAxisLeft, 3);
    m_BodyRotAngle = in.F32();
    m_BodyRotAngleLeft = in.F32();
    in.Floats(m_PicCol, 3);
    if (!since(175, 10))
        GameCtrlInterface::ReportError("Obsolete file version not supported");
    ReadAbilities(in, abilities, v);
    in.Floats(m_GameValues, 8);
    in.Text(m_Img);
    in.Text(m_ImgInfo);
    m_MirrorImg = in.U8();
    m_DestroyAfterUse = in.U8();
    in.Text(m_ObjID);
    in.Text(m_OnItemUse);
    if (i == -1 || i >= 7) {
        in.Text(m_Shader);
    } else {
        String skipped;
        in.Text(skipped);
        in.Text(skipped);
    }
    if (i == -1 || i >= 4)
        in.Text(m_OnTransfer);
    in.Text(m_BookText);
    if (since(166, 8))
        in.Text(m_AbilityText);
    m_QuestItem = v >= 259 ? in.I32() : (in.U8() != 0 ? 1 : 0);
    m_FlagByte1 = in.U8();
    if (since(174, 9))
        m_QuickSlotItem = in.U8();
    if (since(176, 11))
        m_FlagByte3 = in.U8();
    if (v >= 234) {
        m_GridPos = in.I32();
        m_DimX = in.I8();
        m_DimY = in.I8();
    } else {
        m_GridPos = since(198, 15) ? in.I8() : 0;
    }
    m_FlagByte2 = in.U8();
    m_Might = v >= 265 ? in.F32() : float(in.I32());
    if (since(220, 16)) {
        m_SndPickUp = in.U8();
        m_SndDrop = in.U8();
    }
    if (v >= 248) {
        m_RequiresCharacterClass = in.I32();
        m_RequiresLevel = in.I16();
    }
    m_Picture = g_GameCtrl ? g_GameCtrl->GetItemPicture(m_Desc.c_str()) : nullptr;
    ReadEmitters(in);
    m_Combine = v >= 272 ? in.U8() : 0;
}
