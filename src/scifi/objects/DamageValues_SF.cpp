// DamageValues_SF: the rules of the game's damage sets: scaling, the records, the conversions
// between the two variants, the evaluation for a creature and the image.
#include "scifi/objects/DamageValues_SF.h"

#include "base/ByteReader.h"
#include "base/File.h"
#include "base/FileRecordReader.h"
#include "world/DamageValuesImage.h"

#include <type_traits>

namespace {

float RawOf(const TransformableAttribute& attribute) { return attribute.GetRawValue(); }
float RawOf(float value) { return value; }
void SetRaw(TransformableAttribute& attribute, float value) { attribute.SetValue(value); }
void SetRaw(float& field, float value) { field = value; }

// A copy into a set of the same variant takes every field; one into the other variant converts
// (Other::AssignFrom); any other set takes the engine's part.
template <class Other, class Set> void CopySet(const Set& from, cfDynamicObject* other)
{
    using Same = DamageValues_SF_Template<std::remove_cvref_t<decltype(from.physical[0])>>;
    if (other == &from)
        return;
    if (auto* to = dynamic_cast<Same*>(other)) {
        from.CopyValuesTo(*to);
        to->physical[0] = from.physical[0];
        to->physical[1] = from.physical[1];
    } else if (auto* converted = dynamic_cast<Other*>(other)) {
        converted->AssignFrom(from);
    } else {
        from.DamageValues::CopyTo(other);
    }
}

}  // namespace

template <class Physical> float DamageValues_SF_Template<Physical>::GetPhysical(int32_t index) const
{
    return RawOf(physical[index & 1]);
}

template <class Physical> void DamageValues_SF_Template<Physical>::SetPhysical(int32_t index, float value)
{
    SetRaw(physical[index & 1], value);
}

template <class Physical> void DamageValues_SF_Template<Physical>::Scale(float factor)
{
    SetPhysical(0, GetPhysical(0) * factor);
    SetPhysical(1, GetPhysical(1) * factor);
    poison *= factor;
}

template <class Physical> void DamageValues_SF_Template<Physical>::SetValue(float value) { SetPhysical(0, value); }

template <class Physical> float DamageValues_SF_Template<Physical>::GetValue() const { return GetPhysical(0); }

template <class Physical> bool DamageValues_SF_Template<Physical>::IsZero() const
{
    return GetPhysical(0) == 0.0f && GetPhysical(1) == 0.0f;
}

template <class Physical> void DamageValues_SF_Template<Physical>::SaveValues(File& file) const
{
    for (const float* value : Values())
        file.WriteFloat(*value);
}

template <class Physical> void DamageValues_SF_Template<Physical>::LoadValues(FileRecordReader& in)
{
    for (float* value : Values())
        *value = in.F32();
}

template <class Physical> void DamageValues_SF_Template<Physical>::Save(File& file) const { SaveValues(file); }

template <class Physical> void DamageValues_SF_Template<Physical>::Load(FileRecordReader& in) { LoadValues(in); }

template <class Physical> void DamageValues_SF_Template<Physical>::Reset()
{
    DamageValues::Reset();
    for (float* value : Values())
        *value = 0.0f;
}

template <class Physical> void DamageValues_SF_Template<Physical>::FillImage(DamageValuesImage& image) const
{
    image.SetEngineFields(*this);
    const auto values = Values();
    for (int32_t i = 0; i < kValues; i++)
        image.rulesValues[i] = *values[size_t(i)];
    image.physical[0] = GetPhysical(0);
    image.physical[1] = GetPhysical(1);
}

template class DamageValues_SF_Template<TransformableAttribute>;
template class DamageValues_SF_Template<float>;

void DamageValues_SF::CopyTo(cfDynamicObject* other) const { CopySet<DamageValues_SF_Clean>(*this, other); }

void DamageValues_SF::Save(File& file) const
{
    DamageValues::Save(file);
    physical[0].Save(file);
    physical[1].Save(file);
    SaveValues(file);
}

void DamageValues_SF::Load(FileRecordReader& in)
{
    DamageValues::Load(in);
    const bool withNames = in.GetFile().GetVersion() >= kFunctionNamesVersion;
    for (TransformableAttribute& attribute : physical) {
        if (withNames) {
            attribute.Load(in);
        } else {
            attribute.value = in.F32();
            attribute.functionName.Release();
        }
    }
    LoadValues(in);
}

void DamageValues_SF::Reset()
{
    DamageValues::Reset();
    physical[0].Clear();
    physical[1].Clear();
}

DamageValues* DamageValues_SF::Evaluate(DamageValuesHolder& out, WorldElem* creature) const
{
    DamageValues* made = out.Renew();
    if (!made)
        return nullptr;
    CopyTo(made);
    if (auto* plain = dynamic_cast<DamageValues_SF*>(made)) {
        for (int32_t i = 0; i < 2; i++) {
            plain->physical[i].SetValue(physical[i].GetValue(creature));
            plain->physical[i].functionName.Release();
        }
    }
    return made;
}

void DamageValues_SF::AssignFrom(const DamageValues_SF_Clean& clean)
{
    clean.CopyValuesTo(*this);
    physical[0].SetValue(clean.physical[0]);
    physical[1].SetValue(clean.physical[1]);
}

void DamageValues_SF_Clean::CopyTo(cfDynamicObject* other) const { CopySet<DamageValues_SF>(*this, other); }

void DamageValues_SF_Clean::Save(File& file) const
{
    DamageValues::Save(file);
    file.WriteFloat(physical[0]);
    file.WriteFloat(physical[1]);
    SaveValues(file);
}

void DamageValues_SF_Clean::Load(FileRecordReader& in)
{
    DamageValues::Load(in);
    physical[0] = in.F32();
    physical[1] = in.F32();
    LoadValues(in);
}

void DamageValues_SF_Clean::Reset()
{
    DamageValues::Reset();
    physical[0] = 0.0f;
    physical[1] = 0.0f;
}

void DamageValues_SF_Clean::AssignFrom(const DamageValues_SF& values)
{
    values.CopyValuesTo(*this);
    physical[0] = values.physical[0].GetRawValue();
    physical[1] = values.physical[1].GetRawValue();
}

void DamageValues_SF_Clean::WriteImage(ByteWriter& out) const
{
    DamageValuesImage image;
    FillImage(image);
    image.Write(out);
}

bool DamageValues_SF_Clean::ReadImage(ByteReader& in)
{
    DamageValuesImage image;
    image.Read(in);
    if (in.Failed())
        return false;
    FromImage(image);
    return true;
}

void DamageValues_SF_Clean::FromImage(const DamageValuesImage& image)
{
    image.GetEngineFields(*this);
    const auto values = Values();
    for (int32_t i = 0; i < kValues; i++)
        *values[size_t(i)] = image.rulesValues[i];
    physical[0] = image.physical[0];
    physical[1] = image.physical[1];
}
