// VSD_WallIntern: the wall's save record, after the WorldElemBase record. A wall writes no parent
// (its parent comes back through the element that carries it); the group owner is an element
// code kept raw until the level loader resolves it.
//
//   from  field
//   255   illumination: u8 constant, u8 fixed flag, 3 f32 direction, u32 colour, String
//         6 f32: heights 1 and 2, height offsets 1 and 2, the two wall values
//         i16 semi-permeable direction, i16 bridge layer (the second of the pair first)
//         u8 solid
//         4 String: use script, use sound, failed-use script, leave script
//         f32 opacity (4 raw bytes)
//         i16 wall type, i16 description id (the second of the pair first)
//         u8 mirror, u8 reach-through, u8 blocks action forces
//         full: u8 two-sided, u8 obstruct fade-out, [263: ElemCode group owner]
//         u8 alpha threshold, u8 light fall-off approximation
//         full: u8 network sync
//         u8 light semi-permeable
//         i16 use state, f32 use size (4 raw bytes)
//         u8 see-through [<250: u8 two-sided]
//         u16 door, u16 key needed
//         u8 fade when seen from behind, u8 obstructs visibility
//   177   String collision filter name
//   179   4 i32 filter parties
//   202   u8 link to parent
//   233   full: i32 use side
//   235   u8 use through parent
//   259   3 f32 bounding box additions
#include "level/VSD_WallIntern.h"

#include "base/File.h"
#include "base/FileRecordReader.h"
#include "world/ElemCode.h"

namespace {
constexpr const char* kCutShort = "Error reading from savegame";
}  // namespace

void VSD_WallIntern::Save(File& file, bool compact)
{
    SmartPtr<WorldElemBase> parent = m_Parent;  // the wall writes no parent and keeps its own
    m_Parent = nullptr;
    WorldElemBase::Save(file, compact);
    m_Parent = parent.Get();

    SaveIllumination(file);
    const float geometry[6] = {m_Height1, m_Height2, m_HeightOffset1, m_HeightOffset2, m_WallValue1, m_WallValue2};
    file.WriteFloats(geometry, 6);
    file.WriteInt16(m_SemiPerm);
    file.WriteInt16(m_Bridge);
    file.WriteInt8(m_Solid);
    file.WriteString(m_OnUse);
    file.WriteString(m_SndUse);
    file.WriteString(m_OnFailedUse);
    file.WriteString(m_OnLeave);
    file.WriteFloat(m_WallOpacity);
    file.WriteInt16(m_WallType);
    file.WriteInt16(m_DescID);
    file.WriteInt8(m_MirrorX);
    file.WriteInt8(m_CanReachThrough);
    file.WriteInt8(m_BlocksActForce);
    if (!compact) {
        file.WriteInt8(m_TwoSided);
        file.WriteInt8(m_ObstructFadeOut);
        file.WriteInt32(ElemCode::Of(m_GroupOwner.Get()));
    }
    file.WriteInt8(m_AlphaThreshold);
    file.WriteInt8(m_LightFalloffApprox);
    if (!compact)
        file.WriteInt8(m_NetSync);
    file.WriteInt8(m_LightSemiPerm);
    file.WriteInt16(m_UseState);
    file.WriteFloat(m_UseSize);
    file.WriteInt8(m_CanSeeThrough);
    file.WriteInt16(m_Door);
    file.WriteInt16(m_NeedKey);
    file.WriteInt8(m_FadeOutIfViewedFromBack);
    file.WriteInt8(m_VisibilityObstruct);
    file.WriteString(m_EffByID);
    for (int32_t party : m_EffByParty)
        file.WriteInt32(party);
    file.WriteInt8(m_LinkToParent);
    if (!compact)
        file.WriteInt32(m_UseSide);
    file.WriteInt8(m_UseThroughParent);
    file.WriteFloats(m_BoundBoxAdd, 3);
}

void VSD_WallIntern::Load(File& file, bool compact)
{
    const uint16_t version = file.GetVersion();
    WorldElemBase::Load(file, compact);
    FileRecordReader in(file, kCutShort);
    if (version >= 255)
        LoadIllumination(in);
    float geometry[6];
    in.Floats(geometry, 6);
    m_Height1 = geometry[0];
    m_Height2 = geometry[1];
    m_HeightOffset1 = geometry[2];
    m_HeightOffset2 = geometry[3];
    m_WallValue1 = geometry[4];
    m_WallValue2 = geometry[5];
    m_SemiPerm = in.I16();
    m_Bridge = in.I16();
    m_Solid = in.U8();
    in.Text(m_OnUse);
    in.Text(m_SndUse);
    in.Text(m_OnFailedUse);
    in.Text(m_OnLeave);
    m_WallOpacity = in.F32();
    m_WallType = in.I16();
    m_DescID = in.I16();
    m_MirrorX = in.U8();
    m_CanReachThrough = in.U8();
    m_BlocksActForce = in.U8();
    if (!compact) {
        m_TwoSided = in.U8();
        m_ObstructFadeOut = in.U8();
        if (version >= 263) {
            m_SavedGroupRef = in.U32();
            m_GroupOwner = nullptr;
        }
    }
    m_AlphaThreshold = in.U8();
    m_LightFalloffApprox = in.U8();
    if (!compact)
        m_NetSync = in.U8();
    m_LightSemiPerm = in.U8();
    m_UseState = in.I16();
    m_UseSize = in.F32();
    m_CanSeeThrough = in.U8();
    if (version < 250)
        m_TwoSided = in.U8();
    m_Door = in.U16();
    m_NeedKey = in.U16();
    m_FadeOutIfViewedFromBack = in.U8();
    m_VisibilityObstruct = in.U8();
    if (version >= 177)
        in.Text(m_EffByID);
    if (version >= 179)
        for (int32_t& party : m_EffByParty)
            party = in.I32();
    if (version >= 202)
        m_LinkToParent = in.U8();
    if (!compact && version >= 233)
        m_UseSide = uint16_t(in.I32());
    if (version >= 235)
        m_UseThroughParent = in.U8();
    if (version >= 259)
        in.Floats(m_BoundBoxAdd, 3);
}
