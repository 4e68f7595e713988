// DamageValues: copying by type, modifiers, the record, the holder's factory, the spread of amounts.
#include "world/DamageValues.h"

#include "base/File.h"
#include "base/FileRecordReader.h"
#include "base/Math.h"
#include "base/Random.h"
#include "world/DamageValuesImage.h"
#include "world/GameCtrlInterface.h"

#include <cmath>

void DamageValues::CopyTo(cfDynamicObject* other) const
{
    auto* to = dynamic_cast<DamageValues*>(other);
    if (!to || to == this)
        return;
    for (int32_t i = 0; i < kDamageKinds; i++)
        to->damage[i] = damage[i];
    to->enabled = enabled;
    to->extraFlag = extraFlag;
    to->valueA = valueA;
    to->valueB = valueB;
}

DamageValues* DamageValues::Clone() const
{
    auto* made = static_cast<DamageValues*>(CreateNew());
    if (made)
        CopyTo(made);
    return made;
}

DamageValues* DamageValues::CopyTo(DamageValuesHolder& out) const
{
    DamageValues* made = out.Renew();
    if (made)
        DamageValues::CopyTo(static_cast<cfDynamicObject*>(made));  // the base fields, whatever the classes
    return made;
}

void DamageValues::ApplyModifiers(const float modifiers[kModifierValues])
{
    float* fields[6] = {&damage[0], &damage[1], &damage[2], &damage[3], &valueB, &valueA};
    for (int32_t i = 0; i < 6; i++)
        *fields[i] = modifiers[2 * i] * *fields[i] + modifiers[2 * i + 1];
}

void DamageValues::Save(File& file) const
{
    for (float amount : damage)
        file.WriteFloat(amount);
    file.WriteFloat(valueA);
    file.WriteFloat(valueB);
    file.WriteInt8(enabled);
}

void DamageValues::Load(FileRecordReader& in)
{
    in.Floats(damage, kDamageKinds);
    valueA = in.F32();
    valueB = in.F32();
    enabled = in.U8();
}

void DamageValues::Reset()
{
    for (float& amount : damage)
        amount = 0.0f;
    enabled = 1;
    extraFlag = 0;
    valueA = 0.0f;
    valueB = 0.0f;
}

void DamageValues::FillImage(DamageValuesImage& image) const { image.SetEngineFields(*this); }

DamageValuesHolder::DamageValuesHolder() { Renew(); }

DamageValues* DamageValuesHolder::Renew()
{
    DamageValues* made = g_GameCtrl ? g_GameCtrl->CreateDamageValues() : nullptr;
    m_Values.reset(made);
    return made;
}

void DamageValuesHolder::Assign(const DamageValuesHolder& other)
{
    m_Values.reset();
    if (other.m_Values)
        m_Values.reset(other.m_Values->Clone());
}

int32_t RandomizeAmount(float base, float factor)
{
    return RandomizeAmount(base, factor, float(Random::Range(-1.0f, 1.0f)));
}

int32_t RandomizeAmount(float base, float factor, float r)
{
    const float m = base * factor;
    const float v = r >= 0.0f ? (1.0f + 3.0f * r * r * r * r * r) * m : std::sqrt(-r) * m;
    return RoundFloatToInt(v);
}
