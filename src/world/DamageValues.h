// DamageValues: the set of values a hit carries: four damage amounts, two further values and an
// enabled flag. The game rules derive their own classes and the controller's factory makes the one
// in use, so a copy is made by type (CreateNew, CopyTo) to keep the most derived class.
// DamageValuesHolder owns one such set, made through the controller's factory. RandomizeAmount
// spreads a damage amount around its base.
#pragma once
#include "base/cfDynamicObject.h"
#include "base/cfLeaAllocator.h"

#include <cstddef>
#include <cstdint>
#include <memory>

class DamageValuesHolder;
class File;
class FileRecordReader;
class WorldElem;
struct DamageValuesImage;

class DamageValues : public cfDynamicObject, public cfLeaAllocator {
public:
    static constexpr int32_t kDamageKinds = 4;
    static constexpr int32_t kRecordBytes = 25;  // the base record

    DamageValues() { Reset(); }
    ~DamageValues() override = default;

    // The base fields into other when it is a set of values too.
    void CopyTo(cfDynamicObject* other) const override;
    // A new set of this class holding this one's values; null when the allocation fails.
    DamageValues* Clone() const;
    // A new set from the controller's factory in out, given this one's base fields (amounts, the
    // two flags, the two further values); the new set, null (out emptied) when none is made.
    DamageValues* CopyTo(DamageValuesHolder& out) const;
    // Six (factor, addend) pairs, in the order damage[0..3], valueB, valueA: v := factor v + addend.
    static constexpr int32_t kModifierValues = 12;
    void ApplyModifiers(const float modifiers[kModifierValues]);

    // What the game rules give a meaning: a factor, and the first amount they count.
    virtual void Scale(float factor) = 0;
    virtual void SetValue(float value) = 0;
    virtual float GetValue() const = 0;
    virtual bool IsZero() const = 0;

    // The record: damage[0..3] f32, valueA f32, valueB f32, enabled u8 (25 bytes); derived
    // classes append theirs.
    virtual void Save(File& file) const;
    virtual void Load(FileRecordReader& in);
    // Amounts and values 0, enabled, the extra flag clear.
    virtual void Reset();
    // A set that no longer depends on the creature it is read for, in out (from the controller's
    // factory); the new set, null when none is made. The engine's values depend on no creature:
    // they are the base fields copied (CopyTo above).
    virtual DamageValues* Evaluate(DamageValuesHolder& out, WorldElem* creature) const
    {
        (void)creature;
        return CopyTo(out);
    }
    // The image of the set as an event or a report carries it: the engine's fields here, the
    // game's rules add theirs.
    virtual void FillImage(DamageValuesImage& image) const;

    float damage[kDamageKinds] = {};
    uint8_t enabled = 1;
    uint8_t extraFlag = 0;  // not saved
    float valueA = 0.0f;
    float valueB = 0.0f;
};

class DamageValuesHolder {
public:
    // Asks the controller's factory; empty without a controller or when it makes none.
    DamageValuesHolder();
    // Empty, without asking the factory.
    explicit DamageValuesHolder(std::nullptr_t) {}
    DamageValuesHolder(const DamageValuesHolder&) = delete;
    DamageValuesHolder& operator=(const DamageValuesHolder&) = delete;

    DamageValues* Get() const { return m_Values.get(); }
    DamageValues* operator->() const { return m_Values.get(); }
    explicit operator bool() const { return m_Values != nullptr; }
    // Takes ownership of values (null empties the holder).
    void Set(DamageValues* values) { m_Values.reset(values); }
    // Asks the factory again; when it makes none the holder is left empty.
    DamageValues* Renew();
    // Drops the set held and holds a copy of the other's (of its class), or none.
    void Assign(const DamageValuesHolder& other);
    // The held set's SetValue; nothing without one.
    void ApplyValue(float value)
    {
        if (m_Values)
            m_Values->SetValue(value);
    }

private:
    std::unique_ptr<DamageValues> m_Values;
};

// base x factor spread by r, a draw in [-1, 1]: r >= 0 gives (1 + 3 r^5) m (m to 4m, large values
// rare), r < 0 gives sqrt(-r) m (0 to m); rounded half away from zero. The first form draws r
// from the program-wide generator.
int32_t RandomizeAmount(float base, float factor);
int32_t RandomizeAmount(float base, float factor, float r);
