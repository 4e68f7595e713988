// WorldElemRecord: the save records of the grid part, of WorldElemBase and of WorldElem, which
// every wall, light and game object writes first, and the version rules of their readers. The
// writer always writes the newest layout; the stream's version tells the reader which fields an
// older file holds. Element references are written as element codes and kept raw on reading
// until the level loader resolves them.
//
// Grid record: f32 height, f32 visibility mix, ElemCode parent, f32 radius (full only), f64 life
// span end, f32 opacity, f32 fade rate, f32 ground height (full only), u8 floor object flags
// (version 267: an i32, its low byte taken).
// WorldElemBase: String cfgID (full only; read by the level loader), 2 f32 position, the grid
// record, f32 angle (rounded), [<192: i32] [192..254: u8, 12 bytes, 4 bytes, String], String
// worldID, i32 collision mask, String OnCollision, 8 f32 script values, String info text,
// [>=250: u8 keepWithParent].
// WorldElem: see Save below, row by row.
#include "world/WorldElem.h"

#include "base/File.h"
#include "base/FileRecordReader.h"
#include "base/Geometry.h"
#include "world/ElemCode.h"
#include "world/GameCtrlInterface.h"
#include "world/Inventory.h"
#include "world/InventoryItem.h"
#include "world/WorldCtrl.h"

namespace {

constexpr const char* kCutShort = "Error reading from savegame";
constexpr int64_t kEntryBytes = 28;  // i32 and six f32

// The 20-bit mantissa rounding of saved angles and the other rounded values.
void WriteRounded(File& file, float value) { file.WriteFloat(Math::QuantizeFloat(value)); }

void ReadWide(File& file, wString& text)
{
    if (!file.ReadWString(text))
        file.Error("%s", kCutShort);
}

}  // namespace

void WorldElemGridBase::SaveGridPart(File& file, bool compact)
{
    file.WriteFloat(m_Height);
    file.WriteFloat(m_VisibilityMix);
    file.WriteInt32(ElemCode::Of(m_Parent.Get()));
    if (!compact)
        file.WriteFloat(m_Radius);
    file.WriteDouble(m_LifeSpanEnd);
    file.WriteFloat(m_Opacity);
    file.WriteFloat(m_FadeRate);
    if (!compact)
        file.WriteFloat(m_GroundHeight);
    file.WriteInt8(m_FloorObjectFlags);
}

void WorldElemGridBase::LoadGridPart(File& file, bool compact)
{
    FileRecordReader in(file, kCutShort);
    m_Height = in.F32();
    m_VisibilityMix = in.F32();
    m_SavedParentRef = in.U32();
    m_Parent = nullptr;
    if (!compact)
        m_Radius = in.F32();
    if (!file.ReadDouble(&m_LifeSpanEnd))
        in.CutShort();
    m_Opacity = in.F32();
    m_FadeRate = in.F32();
    if (!compact)
        m_GroundHeight = in.F32();
    m_FloorObjectFlags = file.GetVersion() == 267 ? uint8_t(in.U32()) : in.U8();
}

void WorldElemGridBase::SavePos(File& file, bool compact)
{
    file.WriteFloat(m_PosX);
    file.WriteFloat(m_PosY);
    SaveGridPart(file, compact);
}

void WorldElemGridBase::LoadPos(File& file, bool compact)
{
    FileRecordReader in(file, kCutShort);
    float x = in.F32();
    float y = in.F32();
    SetPos(x, y);
    LoadGridPart(file, compact);
}

void WorldElemGridBase::Save(File& file, bool compact) { SavePos(file, compact); }
void WorldElemGridBase::Load(File& file, bool compact) { LoadPos(file, compact); }

void WorldElemBase::Save(File& file, bool compact)
{
    if (!compact)
        file.WriteString(m_CfgID);
    SavePos(file, compact);
    WriteRounded(file, m_Angle);
    file.WriteString(m_WorldID);
    file.WriteInt32(m_CollisionMask);
    file.WriteString(m_OnCollision);
    file.WriteFloats(m_ScriptTemp, kScriptTemps);
    file.WriteString(m_InfoText);
    file.WriteInt8(m_KeepWithParent);
}

void WorldElemBase::Load(File& file, bool compact)
{
    const uint16_t version = file.GetVersion();
    FileRecordReader in(file, kCutShort);
    LoadPos(file, compact);
    SetAngle(in.F32());
    if (version < 192)
        in.Skip(4);
    else if (version <= 254) {  // the old illumination record
        in.Skip(1 + 12 + 4);
        String skipped;
        in.Text(skipped);
    }
    in.Text(m_WorldID);
    m_CollisionMask = in.I32();
    in.Text(m_OnCollision);
    in.Floats(m_ScriptTemp, kScriptTemps);
    in.Text(m_InfoText);
    if (version >= 250)
        m_KeepWithParent = in.U8();
}

void EntryListRecord::Save(File& file) const
{
    file.WriteInt32(int32_t(entries.size()));
    file.WriteInt32(value);
    file.WriteInt8(flagA);
    file.WriteInt8(flagB);
    file.WriteFloat(factor);
    for (const Entry& entry : entries) {
        file.WriteInt32(entry.value);
        file.WriteFloats(entry.values, 6);
    }
}

void EntryListRecord::Load(File& file)
{
    FileRecordReader in(file, kCutShort);
    int32_t n = in.I32();
    value = in.I32();
    flagA = in.U8();
    flagB = in.U8();
    factor = in.F32();
    entries.clear();
    count = 0;
    in.CheckCount("Entry list", n, kEntryBytes);  // before anything is allocated
    entries.resize(size_t(n));
    for (Entry& entry : entries) {
        entry.value = in.I32();
        in.Floats(entry.values, 6);
    }
    count = n;
}

void AuxRecord::Save(File& file, bool compact) const
{
    (void)compact;
    file.WriteFloat(valueA);
    file.WriteFloats(pair, 2);
    file.WriteFloat(range);
    file.WriteInt8(flagA);
    file.WriteInt8(flagB);
    file.WriteInt32(index);
    file.WriteFloat(rangeCopy);
}

void AuxRecord::Load(File& file, bool compact)
{
    (void)compact;
    const uint16_t version = file.GetVersion();
    FileRecordReader in(file, kCutShort);
    valueA = in.F32();
    in.Floats(pair, 2);
    range = in.F32();
    if (version < 244) {  // one 28-byte block: a further float and two bytes of padding
        in.F32();
        flagA = in.U8();
        flagB = in.U8();
        in.Skip(2);
    } else {
        flagA = in.U8();
        flagB = in.U8();
    }
    index = in.I32();
    rangeCopy = version < 273 ? range : in.F32();
}

void WorldElem::SaveElemPtr(File& file, const WorldElemBase* elem) { file.WriteInt32(ElemCode::Of(elem)); }

void WorldElem::Save(File& file, bool compact)
{
    WorldElemBase::Save(file, compact);
    file.WriteWString(m_Name);                          // 1
    file.WriteInt8(m_StateByte1);                       // 2
    file.WriteInt8(m_ForwardDamageToParent);            // 3
    file.WriteInt8(m_StateByte2);                       // 4
    if (!compact) {                                     // 5
        file.WriteString(m_SavedTexts[0]);
        file.WriteString(m_SavedTexts[1]);
    }
    file.WriteString(m_SavedTexts[2]);                  // 6
    file.WriteFloat(m_BodyRadius);                      // 7
    file.WriteFloat(m_ReachRadius);
    file.WriteFloat(m_StateValue1);                     // 8
    file.WriteFloats(m_Pivot, 3);                       // 9
    WriteRounded(file, m_SecondAngle);                  // 10
    file.WriteFloats(m_StateValues3, 3);                // 11
    file.WriteInt16(m_StateShort);                      // 12
    file.WriteFloat(m_StateValue2);                     // 13
    file.WriteFloat(m_ObstructionValue);
    file.WriteInt16(m_UsesLeft);                        // 14
    file.WriteString(m_OnUse);                          // 15
    file.WriteString(m_OnDamage);
    file.WriteString(m_OnInit);
    file.WriteString(m_MoreTexts[0]);                   // 16
    file.WriteString(m_MoreTexts[1]);                   // 17
    if (!compact) {                                     // 18
        file.WriteInt16(m_StateShort2);
        file.WriteInt32(m_StateInt);
    }
    file.WriteInt8(m_Solid);                            // 19
    file.WriteInt8(m_BlocksShots);
    if (!compact) {                                     // 20
        file.WriteInt8(m_InActiveCell);
        file.WriteInt8(m_StateByte3);
    }
    file.WriteInt16(m_AuraEffect);                      // 21
    file.WriteInt8(m_IsAuraEffect);
    file.WriteDouble(m_TimeAdded);                      // 22
    if (!compact)                                       // 23
        file.WriteDouble(m_StartValue);
    file.WriteFloat(float(m_StartValueCurrent));        // 24
    file.WriteInt32(m_StateIndex);                      // 26
    file.WriteInt32(m_Party);
    file.WriteInt8(m_IgnoreInQueries);                  // 27
    file.WriteInt8(m_StateByte4);                       // 29
    WriteRounded(file, m_Perception[0]);                // 30
    WriteRounded(file, m_Perception[3]);
    WriteRounded(file, m_Perception[2]);
    WriteRounded(file, m_Perception[1]);
    WriteRounded(file, m_RotationSpeed);                // 31
    WriteRounded(file, m_Visibility);                   // 32
    file.WriteInt8(m_Inventory ? 1 : 0);                // 33
    if (m_Inventory)
        m_Inventory->Save(file, compact);
    file.WriteInt8(m_LinkedItem ? 1 : 0);               // 34
    if (m_LinkedItem)
        m_LinkedItem->Save(file, compact);
    m_EntryList.Save(file);                             // 35
    file.WriteFloats(m_StatePair1, 2);                  // 36
    file.WriteFloats(m_StatePair2, 2);                  // 37
    for (uint8_t byte : m_StateBytes3)                  // 38
        file.WriteInt8(byte);
    file.WriteFloat(m_StateValue3);                     // 39
    file.WriteFloat(m_VelocityX);                       // 40
    file.WriteFloat(m_VelocityY);
    file.WriteFloat(m_Mass);                            // 41
    m_Aux.Save(file, compact);                          // 42
    file.WriteInt8(m_FadeOutIfInView);                  // 43
    SaveElemPtr(file, m_Creator.Get());                 // 44
    file.WriteInt8(m_GroundMode);                       // 45
    file.WriteString(m_MoreTexts[2]);                   // 46
    file.WriteInt32(m_StateIndex2);                     // 47
    file.WriteInt8(m_LinkFlag);                         // 48
    file.WriteInt32(m_MyRnd);                           // 49
    file.WriteFloats(m_StatePair3, 2);                  // 50
    file.WriteFloats(m_TargetOffset, 2);                // 51
    if (!compact) {
        SaveElemPtr(file, m_Master.Get());              // 52
        file.WriteFloat(m_StateLimit);                  // 53
    }
}

void WorldElem::Load(File& file, bool compact)
{
    const uint16_t version = file.GetVersion();
    WorldElemBase::Load(file, compact);
    FileRecordReader in(file, kCutShort);
    if (version < 219) {                                // 1
        String name;
        in.Text(name);
        m_Name = wString(name);
    } else
        ReadWide(file, m_Name);
    m_StateByte1 = in.U8();                             // 2
    if (version >= 242)                                 // 3
        m_ForwardDamageToParent = in.U8();
    if (version >= 234)                                 // 4
        m_StateByte2 = in.U8();
    if (!compact) {                                     // 5
        in.Text(m_SavedTexts[0]);
        in.Text(m_SavedTexts[1]);
    }
    in.Text(m_SavedTexts[2]);                           // 6
    m_BodyRadius = in.F32();                            // 7
    m_ReachRadius = in.F32();
    if (version >= 234)                                 // 8
        m_StateValue1 = in.F32();
    in.Floats(m_Pivot, 3);                              // 9
    m_SecondAngle = in.F32();                           // 10
    in.Floats(m_StateValues3, 3);                       // 11
    m_StateShort = in.I16();                            // 12
    m_StateValue2 = in.F32();                           // 13
    m_ObstructionValue = in.F32();
    m_UsesLeft = in.I16();                              // 14
    in.Text(m_OnUse);                                   // 15
    in.Text(m_OnDamage);
    in.Text(m_OnInit);
    if (version >= 179)                                 // 16
        in.Text(m_MoreTexts[0]);
    if (version >= 275)                                 // 17
        in.Text(m_MoreTexts[1]);
    m_OnUpdateCount = m_MoreTexts[1].IsEmpty() ? 0 : 1;  // the handler runs again after a load
    if (!compact) {                                     // 18
        m_StateShort2 = in.I16();
        m_StateInt = in.I32();
    }
    m_Solid = in.U8();                                  // 19
    m_BlocksShots = in.U8();
    if (!compact) {                                     // 20
        m_InActiveCell = in.U8();
        m_StateByte3 = in.U8();
    }
    if (version >= 170) {                               // 21
        m_AuraEffect = in.I16();
        m_IsAuraEffect = in.U8();
        if (version < 182)
            m_IsAuraEffect = 0;
    }
    if (!file.ReadDouble(&m_TimeAdded))                 // 22
        in.CutShort();
    if (!compact && !file.ReadDouble(&m_StartValue))    // 23
        in.CutShort();
    if (version >= 240)                                 // 24
        m_StartValueCurrent = in.F32();
    else if (!file.ReadDouble(&m_StartValueCurrent))
        in.CutShort();
    double legacyValue = 0.0;                           // 25
    if (version < 269 && !file.ReadDouble(&legacyValue))
        in.CutShort();
    m_StateIndex = in.I32();                            // 26
    m_Party = in.I32();
    m_IgnoreInQueries = in.U8();                        // 27
    uint8_t legacyByte = version < 269 ? in.U8() : 0;   // 28
    if (version < 269 && IsCreature())
        SetLegacyCreatureValues(legacyValue, legacyByte);
    m_StateByte4 = in.U8();                             // 29
    m_Perception[0] = in.F32();                         // 30
    m_Perception[3] = in.F32();
    m_Perception[2] = in.F32();
    m_Perception[1] = in.F32();
    m_RotationSpeed = in.F32();                         // 31
    m_Visibility = in.F32();                            // 32
    if (in.U8()) {                                      // 33
        if (!m_Inventory) {
            m_Inventory = new Inventory;
            m_Inventory->SetOwner(this);
        }
        m_Inventory->Load(file, -1, true, compact);
    }
    if (in.U8()) {                                      // 34
        if (!m_LinkedItem && g_GameCtrl)
            m_LinkedItem = g_GameCtrl->CreateItem();
        if (!m_LinkedItem)
            Error("Invalid savegame");
        m_LinkedItem->Load(file, -1, compact);
    }
    m_EntryList.Load(file);                             // 35
    in.Floats(m_StatePair1, 2);                         // 36
    in.Floats(m_StatePair2, 2);                         // 37
    for (uint8_t& byte : m_StateBytes3)                 // 38
        byte = in.U8();
    m_StateValue3 = in.F32();                           // 39
    m_VelocityX = in.F32();                             // 40
    m_VelocityY = in.F32();
    m_Mass = in.F32();                                  // 41
    m_Aux.Load(file, compact);                          // 42
    m_FadeOutIfInView = in.U8();                        // 43
    m_SavedCreatorRef = in.U32();                       // 44
    m_Creator = nullptr;
    m_GroundMode = in.U8();                             // 45
    in.Text(m_MoreTexts[2]);                            // 46
    if (version >= 234)                                 // 47
        m_StateIndex2 = in.I32();
    if (version >= 169)                                 // 48
        m_LinkFlag = in.U8();
    if (version >= 251)                                 // 49
        m_MyRnd = in.I32();
    else if (version >= 206) {  // a fraction in [0, 1); anything else would not fit
        const double fraction = in.F32();
        m_MyRnd = fraction >= 0.0 && fraction < 1.0 ? int32_t(fraction * 2147483648.0) : 0;
    }
    if (version >= 234)                                 // 50
        in.Floats(m_StatePair3, 2);
    if (version >= 247)                                 // 51
        in.Floats(m_TargetOffset, 2);
    if (!compact) {
        if (version >= 237) {                           // 52
            m_SavedMasterRef = in.U32();
            m_Master = nullptr;
        }
        if (version >= 267)                             // 53
            m_StateLimit = in.F32();
    }
}
