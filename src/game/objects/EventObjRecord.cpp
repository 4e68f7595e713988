// EventObj: the save record, written after the element's.
//
//   event kind i32, activations left i32, collision filter i32
//   activator name String, touch activates u8, activation script String
//   full saves only: activation damage f32, damage rate f32, the damage values' own record,
//     last activation f32, last damage time f32, minimum interval f32, inner share f32,
//     entry count i32 (0 to 4), entry count x (i32, i32)
//   activator parties 4 x i32
#include "game/objects/EventObj.h"

#include "base/File.h"
#include "base/FileRecordReader.h"

void EventObj::SaveEventObj(File& file, bool transferOnly)
{
    file.WriteInt32(m_EventKind);
    file.WriteInt32(m_ActivationsLeft);
    file.WriteInt32(m_CollisionMask);
    file.WriteString(m_ActivatorName);
    file.WriteInt8(m_TouchActivates);
    file.WriteString(m_ActivationScript);
    if (!transferOnly) {
        file.WriteFloat(m_ActivationDamage);
        file.WriteFloat(m_DamageRate);
        if (const DamageValues* values = m_DamageValues.Get())
            values->Save(file);
        file.WriteFloat(m_LastActivation);
        file.WriteFloat(m_LastDamageTime);
        file.WriteFloat(m_MinInterval);
        file.WriteFloat(m_InnerShare);
        file.WriteInt32(m_EntryCount);
        for (int32_t i = 0; i < m_EntryCount && i < kMaxEntries; i++) {
            file.WriteInt32(m_Entries[i].a);
            file.WriteInt32(m_Entries[i].b);
        }
    }
    for (int32_t party : m_ActivatorParties)
        file.WriteInt32(party);
}

void EventObj::LoadEventObj(File& file, bool transferOnly)
{
    FileRecordReader in(file, "Event object record cut short");
    m_EventKind = in.I32();
    m_ActivationsLeft = in.I32();
    m_CollisionMask = in.I32();
    in.Text(m_ActivatorName);
    m_TouchActivates = in.U8();
    in.Text(m_ActivationScript);
    if (!transferOnly) {
        m_ActivationDamage = in.F32();
        m_DamageRate = in.F32();
        if (DamageValues* values = m_DamageValues.Get())
            values->Load(in);
        m_LastActivation = in.F32();
        m_LastDamageTime = in.F32();
        m_MinInterval = in.F32();
        m_InnerShare = in.F32();
        // The table holds four entries: a count beyond it is a damaged record, not a longer one.
        const int32_t count = in.I32();
        if (count < 0 || count > kMaxEntries)
            file.Error("Event object entry count %i outside 0 to %i", count, kMaxEntries);
        m_EntryCount = count;
        for (int32_t i = 0; i < count; i++) {
            m_Entries[i].a = in.I32();
            m_Entries[i].b = in.I32();
        }
    }
    for (int32_t& party : m_ActivatorParties)
        party = in.I32();
    if (m_EventKind == kKindSpent) {  // a spent event cannot fire again
        m_ActivationsLeft = 0;
        m_LastActivation = 0.0f;
    }
}

void EventObj::Save(File& file, bool compact)
{
    WorldElem::Save(file, compact);
    SaveEventObj(file, compact);
}

void EventObj::Load(File& file, bool compact)
{
    WorldElem::Load(file, compact);
    LoadEventObj(file, compact);
}
