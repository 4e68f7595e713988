// DamageValues_Default: the engine's own damage values, made by the engine controller's factory
// where no game rules supply theirs: the base values and one default damage amount.
#pragma once
#include "world/DamageValues.h"

class DamageValues_Default : public DamageValues {
public:
    DamageValues_Default() = default;

    cfDynamicObject* CreateNew() const override { return new DamageValues_Default; }
    void CopyTo(cfDynamicObject* other) const override;
    void Scale(float factor) override { m_DefaultDamage *= factor; }
    void SetValue(float value) override { m_DefaultDamage = value; }
    float GetValue() const override { return m_DefaultDamage; }
    bool IsZero() const override { return m_DefaultDamage == 0.0f; }
    // The base record, then the default damage f32.
    void Save(File& file) const override;
    void Load(FileRecordReader& in) override;

private:
    float m_DefaultDamage = 0.0f;  // only the constructor clears it; a reset keeps it
};
