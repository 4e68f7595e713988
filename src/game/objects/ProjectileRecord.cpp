// Projectile: the save record, written after the element's.
//
//   setting float f32, hit radius f32, range f32, distance flown f32, target speed f32,
//   wobble frequency f32, wobble amplitude f32, base angle f32
//   the shot: its action entry's name String, its index in the entry's shots i32
//   attacker i32 (from version 195 on)
#include "game/objects/Projectile.h"

#include "base/File.h"
#include "base/FileRecordReader.h"
#include "world/ActionEntry.h"
#include "world/WorldCtrl.h"

void Projectile::SaveProjectile(File& file)
{
    for (float value : {m_SettingFloat, m_HitRadius, m_Range, m_DistanceFlown, m_TargetSpeed, m_WobbleFrequency,
                        m_WobbleAmplitude, m_BaseAngle})
        file.WriteFloat(value);
    const ActionEntry* entry = m_Shot ? m_Shot->owner : nullptr;
    file.WriteString(entry ? entry->name : String());
    file.WriteInt32(m_Shot ? m_Shot->index : -1);
    file.WriteInt32(m_Attacker);
}

void Projectile::LoadShot(File& file, uint16_t version)
{
    FileRecordReader in(file, "Projectile record cut short");
    for (float* value : {&m_SettingFloat, &m_HitRadius, &m_Range, &m_DistanceFlown, &m_TargetSpeed,
                         &m_WobbleFrequency, &m_WobbleAmplitude, &m_BaseAngle})
        *value = in.F32();
    String name;
    in.Text(name);
    const int32_t index = in.I32();
    if (version >= kAttackerVersion)
        m_Attacker = in.I32();
    m_Shot = nullptr;
    if (!m_World)
        Error("Action entry '%s' not found", name.c_str());
    ActionEntry* entry = m_World->FindActionEntry(name.c_str(), true);
    if (index < 0 || index >= entry->shots.GetSize() || !entry->shots.GetAt(index))
        Error("Tried to load invalid shot: '%s' / %i", name.c_str(), index);
    m_Shot = entry->shots.GetAt(index);
}

void Projectile::Save(File& file, bool compact)
{
    WorldElem::Save(file, compact);
    SaveProjectile(file);
}

void Projectile::Load(File& file, bool compact)
{
    WorldElem::Load(file, compact);
    LoadShot(file, file.GetVersion());
}
