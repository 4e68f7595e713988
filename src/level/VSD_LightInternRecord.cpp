// VSD_LightIntern: a placed light's save record, after the WorldElem record: u16 update mode,
// u16 calculation mode, 3 u8 colour, f32 intensity, specular, none-ranged fall-off, ambient,
// point light size factor, span, range, size, u8 sample count, i32 first value, f32 flickering,
// i32 second value, u8 light flags, 3 f32 direction, [234: the intensity curve], [256: i32
// constant illumination].
#include "level/VSD_LightSource.h"

#include "base/File.h"
#include "base/FileRecordReader.h"

void VSD_LightIntern::Save(File& file, bool compact)
{
    WorldElem::Save(file, compact);
    file.WriteInt16(m_UpdateMode);
    file.WriteInt16(m_CalcMode);
    for (uint8_t channel : m_Colour)
        file.WriteInt8(channel);
    const float values[8] = {m_Intensity, m_Specular, m_NoneRangedFallOff, m_Ambient,
                             m_PointLightSizeFactor, m_Span, m_Range, m_Size};
    file.WriteFloats(values, 8);
    file.WriteInt8(m_SampleCount);
    file.WriteInt32(m_Value1);
    file.WriteFloat(m_Flickering);
    file.WriteInt32(m_Value2);
    file.WriteInt8(m_LightFlags);
    file.WriteFloats(m_Direction, 3);
    m_IntCurve.Save(file);
    file.WriteInt32(m_ConstantIllum);
}

void VSD_LightIntern::Load(File& file, bool compact)
{
    const uint16_t version = file.GetVersion();
    WorldElem::Load(file, compact);
    FileRecordReader in(file, "Error reading from savegame");
    m_UpdateMode = in.U16();
    m_CalcMode = in.U16();
    for (uint8_t& channel : m_Colour)
        channel = in.U8();
    float values[8];
    in.Floats(values, 8);
    m_Intensity = values[0];
    m_Specular = values[1];
    m_NoneRangedFallOff = values[2];
    m_Ambient = values[3];
    m_PointLightSizeFactor = values[4];
    m_Span = values[5];
    m_Range = values[6];
    m_Size = values[7];
    const uint8_t samples = in.U8();
    m_SampleCount = samples > kMaxSamples ? uint8_t(kMaxSamples) : samples;  // the sample table holds 16
    m_Value1 = in.I32();
    m_Flickering = in.F32();
    m_Value2 = in.I32();
    m_LightFlags = in.U8();
    in.Floats(m_Direction, 3);
    if (version >= 234)
        m_IntCurve.Load(file);
    if (version >= 256)
        m_ConstantIllum = in.I32();
}
