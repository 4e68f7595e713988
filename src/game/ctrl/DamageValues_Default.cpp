// DamageValues_Default: copy and record of the engine's damage values.
#include "game/ctrl/DamageValues_Default.h"

#include "base/File.h"
#include "base/FileRecordReader.h"

void DamageValues_Default::CopyTo(cfDynamicObject* other) const
{
    DamageValues::CopyTo(other);
    if (auto* to = dynamic_cast<DamageValues_Default*>(other))
        to->m_DefaultDamage = m_DefaultDamage;
}

void DamageValues_Default::Save(File& file) const
{
    DamageValues::Save(file);
    file.WriteFloat(m_DefaultDamage);
}

void DamageValues_Default::Load(FileRecordReader& in)
{
    DamageValues::Load(in);
    m_DefaultDamage = in.F32();
}
