// CreatureCombatValues: copy and the two layouts of the record.
#include "scifi/objects/CreatureCombatValues.h"

#include "base/File.h"
#include "base/FileRecordReader.h"

#include <array>

namespace {

// The values of one group of the record, in their order (pointers to const for a const record).
template <class V> auto FirstValues(V& v)  // the old block's order
{
    return std::array{&v.maxMana, &v.maxHealth, &v.maxShield, &v.damPhys[0], &v.damPhys[1], &v.damPoison,
            &v.defPoison, &v.poisonTime, &v.armour, &v.defPhys[0], &v.defPhys[1]};
}

template <class V> auto LastValues(V& v)
{
    return std::array{&v.manaRegenAbs, &v.manaRegenRel, &v.manaLeech, &v.healthLeech, &v.blast, &v.healthRegenAbs,
            &v.healthRegenRel, &v.shieldRegenAbs, &v.shieldRegenRel, &v.maxDodge, &v.dodgeRefill};
}

template <class V> auto FieldFirstValues(V& v)  // the record's order from version 241 on
{
    return std::array{&v.maxMana, &v.maxHealth, &v.maxShield, &v.damPhys[0], &v.defPhys[0], &v.damPhys[1],
            &v.defPhys[1], &v.damPoison, &v.defPoison, &v.poisonTime, &v.armour};
}

}  // namespace

CreatureCombatValues& CreatureCombatValues::operator=(const CreatureCombatValues& other)
{
    if (this == &other)
        return *this;
    const auto copy = [](const auto& to, const auto& from) {
        for (size_t i = 0; i < to.size(); i++)
            *to[i] = *from[i];
    };
    copy(FirstValues(*this), FirstValues(other));
    copy(LastValues(*this), LastValues(other));
    other.protection.CopyTo(&protection);
    return *this;
}

void CreatureCombatValues::Save(File& file) const
{
    for (const float* value : FieldFirstValues(*this))
        file.WriteFloat(*value);
    for (const float* value : LastValues(*this))
        file.WriteFloat(*value);
    protection.Save(file);
}

void CreatureCombatValues::Load(FileRecordReader& in, uint16_t version)
{
    if (version >= kFieldRecordVersion) {
        for (float* value : FieldFirstValues(*this))
            *value = in.F32();
        for (float* value : LastValues(*this))
            *value = in.F32();
        protection.Load(in);
        return;
    }
    for (float* value : FirstValues(*this))
        *value = in.F32();
    in.Skip(4);  // the protection set's class word
    protection.Load(in);
    for (float* value : LastValues(*this))
        *value = in.F32();
}
