// DamageValuesImage: the engine's fields of the image and its bytes.
#include "world/DamageValuesImage.h"

#include "base/ByteReader.h"
#include "world/DamageValues.h"

void DamageValuesImage::SetEngineFields(const DamageValues& values)
{
    for (int32_t i = 0; i < DamageValues::kDamageKinds; i++)
        damage[i] = values.damage[i];
    enabled = values.enabled;
    extraFlag = values.extraFlag;
    valueA = values.valueA;
    valueB = values.valueB;
}

void DamageValuesImage::GetEngineFields(DamageValues& values) const
{
    for (int32_t i = 0; i < DamageValues::kDamageKinds; i++)
        values.damage[i] = damage[i];
    values.enabled = enabled;
    values.extraFlag = extraFlag;
    values.valueA = valueA;
    values.valueB = valueB;
}

void DamageValuesImage::Write(ByteWriter& out) const
{
    out.WriteU32(classWord);
    for (float amount : damage)
        out.WriteFloat(amount);
    out.WriteU8(enabled);
    out.WriteU8(extraFlag);
    out.WriteU16(0);
    out.WriteFloat(valueA);
    out.WriteFloat(valueB);
    for (float value : rulesValues)
        out.WriteFloat(value);
    for (float amount : physical)
        out.WriteFloat(amount);
}

void DamageValuesImage::Read(ByteReader& in)
{
    classWord = in.ReadU32();
    for (float& amount : damage)
        amount = in.ReadFloat();
    enabled = in.ReadU8();
    extraFlag = in.ReadU8();
    in.Skip(2);
    valueA = in.ReadFloat();
    valueB = in.ReadFloat();
    for (float& value : rulesValues)
        value = in.ReadFloat();
    for (float& amount : physical)
        amount = in.ReadFloat();
}
