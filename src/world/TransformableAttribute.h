// TransformableAttribute: a float value with the name of a game function. Without a name it is a
// plain float; with one, reading it through GetValue applies that game function of the controller
// (an item's value, a creature's damage taken factor, the game's damage values). AttributePair
// holds two of them (a minimum and a maximum). Holders keep the function's name, never the
// function: a reload of the functions replaces them.
#pragma once
#include "base/String.h"

class File;
class FileRecordReader;
class WorldElem;

class TransformableAttribute {
public:
    TransformableAttribute() = default;
    explicit TransformableAttribute(float v) : value(v) {}

    void Clear()
    {
        value = 0.0f;
        functionName.Release();
    }
    float GetRawValue() const { return value; }
    TransformableAttribute& SetValue(float v)
    {
        value = v;
        return *this;
    }
    void AddValue(float v) { value += v; }
    TransformableAttribute& MulValue(float v)
    {
        value *= v;
        return *this;
    }
    void DivValue(float v) { value /= v; }

    // The value with the named game function applied for the element (null: none); the value
    // itself without a name or without a controller.
    float GetValue(WorldElem* element) const;
    // The same through the controller's form that takes a float parameter.
    float GetValueFor(const float* parameter) const;

    // The record: f32 value, then the function name as a String.
    void Save(File& stream) const;
    void Load(FileRecordReader& in);
    bool HasFunction() const { return !functionName.IsEmpty(); }

    float value = 0.0f;
    String functionName;
};

struct AttributePair {
    TransformableAttribute attributes[2];
};
