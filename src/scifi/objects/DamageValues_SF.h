// DamageValues_SF: the game's damage value sets. To the engine's part they add two physical
// amounts, poison with its duration, weakening, the blast knock-down value, health and mana
// leech and the inflame pair. DamageValues_SF, which the controller's factory makes, binds each
// physical amount to an optional game function (a TransformableAttribute); DamageValues_SF_Clean
// holds plain amounts, as an evaluated set does and as the damage report and the damage event
// carry it (the 72-byte DamageValuesImage). Both share their fields and rules through
// DamageValues_SF_Template; engine code reaches them only through DamageValues' virtuals.
#pragma once
#include "world/DamageValues.h"
#include "world/TransformableAttribute.h"

#include <array>
#include <cstdint>

class ByteReader;
class ByteWriter;

// The mark of the game's damage family.
class DamageValues_SF_Base : public DamageValues {};

template <class Physical> class DamageValues_SF_Template : public DamageValues_SF_Base {
public:
    static constexpr int32_t kValues = 8;  // poison ... inflame, as saved and imaged

    // The physical amounts 1 and 2 and the poison, by factor; the engine's amounts, the poison
    // time and the rest stay.
    void Scale(float factor) override;
    // Physical amount 1 (its raw value).
    void SetValue(float value) override;
    float GetValue() const override;
    // Both physical amounts exactly 0.
    bool IsZero() const override;
    // The eight values alone (f32 each); the concrete classes write their whole record.
    void Save(File& file) const override;
    void Load(FileRecordReader& in) override;
    // The engine's reset, then the eight values 0.
    void Reset() override;
    // The whole image: the engine's fields, the eight values and the raw physical amounts.
    void FillImage(DamageValuesImage& image) const override;

    float GetPhysical(int32_t index) const;  // raw, index 0 or 1
    void SetPhysical(int32_t index, float value);

    // The eight values in their saved order.
    std::array<float*, kValues> Values() { return {&poison, &poisonTime, &weaken, &blastKnockDown,
                                                   &healthLeech, &manaLeech, &inflame[0], &inflame[1]}; }
    std::array<const float*, kValues> Values() const
    {
        return {&poison, &poisonTime, &weaken, &blastKnockDown, &healthLeech, &manaLeech, &inflame[0], &inflame[1]};
    }
    // The engine's part and the eight values into another set of the family.
    template <class Other> void CopyValuesTo(DamageValues_SF_Template<Other>& to) const
    {
        DamageValues::CopyTo(static_cast<cfDynamicObject*>(&to));
        const auto from = Values();
        const auto into = to.Values();
        for (int32_t i = 0; i < kValues; i++)
            *into[size_t(i)] = *from[size_t(i)];
    }

    float poison = 0.0f;          // "damPoison"
    float poisonTime = 0.0f;      // "damPoisonTime", seconds
    float weaken = 0.0f;          // "weaken"
    float blastKnockDown = 0.0f;  // no key: set when an attack's set is built
    float healthLeech = 0.0f;     // "healthLeech"
    float manaLeech = 0.0f;       // "manaLeech"
    float inflame[2] = {0.0f, 0.0f};  // "inflame", two numbers
    Physical physical[2] = {};        // "damPhys1", "damPhys2" (with "_func" for a game function)

protected:
    void SaveValues(File& file) const;
    void LoadValues(FileRecordReader& in);
};

class DamageValues_SF_Clean;

class DamageValues_SF : public DamageValues_SF_Template<TransformableAttribute> {
public:
    // Save streams older than this hold no function names of the physical amounts.
    static constexpr uint16_t kFunctionNamesVersion = 239;

    cfDynamicObject* CreateNew() const override { return new DamageValues_SF; }
    // The engine's part, the eight values and both physical attributes (value and name); a clean
    // target gets the raw amounts.
    void CopyTo(cfDynamicObject* other) const override;
    // The engine's record (25 bytes), physical 1 and 2 each as f32 and its function name
    // (String), then the eight values (f32): the names only from version 239.
    void Save(File& file) const override;
    void Load(FileRecordReader& in) override;
    // The engine's reset and both attributes cleared; the eight values stay.
    void Reset() override;
    // A set from the controller's factory holding this one's values, with the physical amounts
    // read through their game functions for the creature and no function names left.
    DamageValues* Evaluate(DamageValuesHolder& out, WorldElem* creature) const override;

    // The engine's part and the eight values; the physical values become the attributes' values,
    // their names stay.
    void AssignFrom(const DamageValues_SF_Clean& clean);
};

class DamageValues_SF_Clean : public DamageValues_SF_Template<float> {
public:
    static constexpr int32_t kRecordBytes = 65;

    cfDynamicObject* CreateNew() const override { return new DamageValues_SF_Clean; }
    void CopyTo(cfDynamicObject* other) const override;
    // The engine's record (25 bytes), physical 1 and 2 (f32), the eight values (f32).
    void Save(File& file) const override;
    void Load(FileRecordReader& in) override;
    // The engine's reset and both physical amounts 0; the eight values stay.
    void Reset() override;

    // The engine's part and the eight values; each physical amount the attribute's raw value.
    void AssignFrom(const DamageValues_SF& values);

    // The 72-byte image (DamageValuesImage); the class word is 0.
    void WriteImage(ByteWriter& out) const;
    // The whole set from an image; false, the set unchanged, when the image is short.
    bool ReadImage(ByteReader& in);
    void FromImage(const DamageValuesImage& image);
};
