// IlluminatedObject: the copy of the light list and the illumination record of saves.
#include "level/IlluminatedObject.h"

#include "base/File.h"
#include "base/FileRecordReader.h"

void IlluminatedObject::CopyIllumination(const IlluminatedObject& other)
{
    m_IllumValue = other.m_IllumValue;
    m_Lights.DeleteAll();
    for (int32_t slot = other.m_Lights.NextUsedSlot(-1); slot >= 0; slot = other.m_Lights.NextUsedSlot(slot)) {
        const VSD_LightPowerList* entry = other.m_Lights.GetBySlot(slot);
        if (!entry)
            continue;
        VSD_LightPowerList& copy = *m_Lights.GetBySlot(m_Lights.Add());
        copy.light = entry->light.Get();
        for (int32_t i = 0; i < 5; i++)
            copy.values[i] = entry->values[i];
    }
    m_Illumination = other.m_Illumination;
}

void IlluminatedObject::SaveIllumination(File& file) const
{
    file.WriteInt8(m_Illumination.constantIllum);
    file.WriteInt8(m_Illumination.fixedIllum);
    for (float value : m_Illumination.direction)
        file.WriteFloat(value);
    file.WriteInt32(int32_t(m_Illumination.colour));
    file.WriteString(m_Illumination.notIllumBy);
}

void IlluminatedObject::LoadIllumination(FileRecordReader& in)
{
    m_Illumination.constantIllum = in.U8();
    m_Illumination.fixedIllum = in.U8();
    in.Floats(m_Illumination.direction, 3);
    m_Illumination.colour = in.U32();
    in.Text(m_Illumination.notIllumBy);
}
