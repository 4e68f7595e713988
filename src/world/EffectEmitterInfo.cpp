// EffectEmitterInfo: the saved fields of an emitter, shared by the scene object and item records.
#include "world/EffectEmitterInfo.h"

#include "base/File.h"
#include "base/FileRecordReader.h"

void EffectEmitterInfo::Save(File& file) const
{
    file.WriteString(effectName);
    file.WriteFloats(offset, 3);
    file.WriteFloat(rate);
    file.WriteFloat(rate2);
    file.WriteInt8(randomEmission);
    file.WriteFloat(lifeTime);
    file.WriteString(dummyName);
}

void EffectEmitterInfo::Load(FileRecordReader& in)
{
    in.Text(effectName);
    in.Floats(offset, 3);
    rate = in.F32();
    rate2 = in.F32();
    randomEmission = in.U8();
    lifeTime = in.F32();
    in.Text(dummyName);
}

void EffectEmitterInfo::SaveList(File& file, DynaMem<EffectEmitterInfo, 2>& emitters)
{
    int32_t saved = 0;
    for (int32_t position = 0; position < emitters.GetSize(); position++)
        saved += emitters.GetAt(position)->IsSaved() ? 1 : 0;
    file.WriteInt16(saved);
    for (int32_t position = 0; position < emitters.GetSize(); position++)
        if (emitters.GetAt(position)->IsSaved())
            emitters.GetAt(position)->Save(file);
}
