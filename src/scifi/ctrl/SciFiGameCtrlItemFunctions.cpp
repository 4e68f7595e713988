// SciFiGameCtrl: the item functions of "cfg\itemFunctions.cfg" (might functions by name and the
// parameters of the item value formula) and the might transform of a value.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/UndoOnError.h"

namespace {

const char* const kItemFunctionsFile = "cfg\\itemFunctions.cfg";

struct ParameterKey {
    const char* key;
    int32_t index;  // appended to the key when 0 or more
    ItemValueParameters::Attribute attribute;
};

using P = ItemValueParameters;

// Both tables are read in this order from the whole file, outside the entries.
const ParameterKey kValueKeys[] = {
    {"baseValue", -1, P::kBase},
    {"ValueHitp", -1, P::kHitp},
    {"ValueManaMax", -1, P::kManaMax},
    {"ValuespdMoveBonus", -1, P::kMoveSpeedBonus},
    {"ValueManaRecoverAbs", -1, P::kManaRecoverAbs},
    {"ValueArmour", -1, P::kArmour},
    {"ValuedefPhys", -1, P::kDefPhys},
    {"ValuedefMagic", -1, P::kDefMagic},
    {"ValuedefPoison", -1, P::kDefPoison},
    {"ValuedamPhys", 1, P::kDamPhys1},
    {"ValuedamPhys", 2, P::kDamPhys2},
    {"ValuedamPoison", 1, P::kDamPoison},
    {"ValueknockBack", -1, P::kKnockBack},
    {"ValueShieldMax", -1, P::kShieldMax},
    {"ValueShieldRecAbs", -1, P::kShieldRecAbs},
    {"ValueDodgeRefillMult", -1, P::kDodgeRefillMult},
    {"ValueSkillBonus", -1, P::kSkillBonus},
    {"ValueSkillUpgrade", -1, P::kSkillUpgrade},
};

// The base value and the second physical damage have no power key.
const ParameterKey kPowerKeys[] = {
    {"PowerHitp", -1, P::kHitp},
    {"PowerManaMax", -1, P::kManaMax},
    {"PowerspdMoveBonus", -1, P::kMoveSpeedBonus},
    {"PowerManaRecoverAbs", -1, P::kManaRecoverAbs},
    {"PowerArmour", -1, P::kArmour},
    {"PowerdefPhys", -1, P::kDefPhys},
    {"PowerdefMagic", -1, P::kDefMagic},
    {"PowerdefPoison", -1, P::kDefPoison},
    {"PowerdamPhys", -1, P::kDamPhys1},
    {"PowerdamPoison", -1, P::kDamPoison},
    {"PowerknockBack", -1, P::kKnockBack},
    {"PowerShieldMax", -1, P::kShieldMax},
    {"PowerShieldRecAbs", -1, P::kShieldRecAbs},
    {"PowerDodgeRefillMult", -1, P::kDodgeRefillMult},
    {"PowerSkillBonus", -1, P::kSkillBonus},
    {"PowerSkillUpgrade", -1, P::kSkillUpgrade},
};

float MightOf(const ItemBase* item) { return item ? item->m_Might : 0.0f; }

}  // namespace

// Layout: one entry per function, desc = "name", with the key curves mightRel and mightAbs (x, y
// pairs, or "<key>_t" with tangents); the Value and Power keys stand anywhere in the file.
void SciFiGameCtrl::LoadItemFunctions()
{
    ConfigFileReader& reader = m_ItemFunctionConfig;
    if (!reader.NeedsReload())
        return;  // the functions and the parameters stay as they are
    m_DefaultValueFunction = nullptr;
    m_ItemFunctionIndex.Clear();
    reader.SetDescKey("desc");
    if (reader.Load(kItemFunctionsFile) != 0) {
        Warning("Could not open itemFunctions.cfg");
        return;
    }

    // A faulty entry throws; no half-read table stays behind, and the file is read again next time.
    UndoOnError guard([this] {
        m_ItemFunctionIndex.Clear();
        m_ItemFunctionConfig.Clear();
    });
    for (int32_t entry = 0; entry < reader.GetNumEntries(); ++entry) {
        const String name = reader.GetDescOfEntry(entry);
        ItemMightTransformFunction* function = m_ItemFunctionIndex.Insert(name);
        if (!function) {
            Warning("Item function '%s' defined twice in itemFunctions.cfg; the first is kept", name.c_str());
            continue;
        }
        ReadBezierSpline1D(reader, "mightRel", entry, function->mightRel, "itemFunctions.cfg");
        ReadBezierSpline1D(reader, "mightAbs", entry, function->mightAbs, "itemFunctions.cfg");
    }
    guard.Done();
    m_DefaultValueFunction = m_ItemFunctionIndex.Find("value_default");

    m_ItemValueParameters.SetDefaults();
    for (const ParameterKey& key : kValueKeys)
        reader.GetFloat(key.key, m_ItemValueParameters.values[key.attribute], -1, key.index);
    for (const ParameterKey& key : kPowerKeys)
        reader.GetFloat(key.key, m_ItemValueParameters.powers[key.attribute], -1, key.index);
}

ItemMightTransformFunction* SciFiGameCtrl::FindItemFunction(const char* name)
{
    return name && *name ? m_ItemFunctionIndex.Find(name) : nullptr;
}

float SciFiGameCtrl::ApplyItemMightFunction(float value, const String& name, const ItemBase* first,
                                            const ItemBase* second)
{
    const ItemMightTransformFunction* function = FindItemFunction(name.c_str());
    if (!function) {
        Warning("Item might transform function '%s' not found", name.c_str());
        return value;
    }
    return function->Apply(value, MightOf(first) - MightOf(second));
}

float SciFiGameCtrl::ApplyGameFunctionToItem(float value, const char* name, const ItemBase* item,
                                             const ItemBase* derived)
{
    return ApplyItemMightFunction(value, String(name ? name : ""), derived, item);
}
