// DamageValues: copying by type, the record, the holder's factory.
#include "world/DamageValues.h"

#include "base/File.h"
#include "base/FileRecordReader.h"
#include "world/GameCtrlInterface.h"

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

void DamageValues::CopyToHolder(DamageValuesHolder& holder) const
{
    if (DamageValues* made = holder.Renew())
        DamageValues::CopyTo(made);  // the base fields only, whatever the classes
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

DamageValuesHolder::DamageValuesHolder() { Renew(); }

DamageValues* DamageValuesHolder::Renew()
{
    DamageValues* made = g_GameCtrl ? g_GameCtrl->CreateDamageValues() : nullptr;
    m_Values.reset(made);
    return made;
}
