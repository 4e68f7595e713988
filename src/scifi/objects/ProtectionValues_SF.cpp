// ProtectionValues_SF: copy and record of the protection factors.
#include "scifi/objects/ProtectionValues_SF.h"

#include "base/File.h"
#include "base/FileRecordReader.h"

void ProtectionValues_SF::CopyTo(cfDynamicObject* other) const
{
    if (auto* to = dynamic_cast<ProtectionValues_SF*>(other); to && to != this) {
        to->physical[0] = physical[0];
        to->physical[1] = physical[1];
        to->poison = poison;
    }
}

void ProtectionValues_SF::Save(File& file) const
{
    file.WriteFloat(physical[0]);
    file.WriteFloat(physical[1]);
    file.WriteFloat(poison);
}

void ProtectionValues_SF::Load(FileRecordReader& in)
{
    physical[0] = in.F32();
    physical[1] = in.F32();
    poison = in.F32();
}
