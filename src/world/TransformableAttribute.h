// TransformableAttribute: a float value that may be bound to a game function by name; an empty
// name makes it a plain float. AttributePair holds two of them (a minimum and a maximum).
// Holders keep the function's name, never the function: a reload of the functions replaces them.
#pragma once
#include "base/String.h"

struct TransformableAttribute {
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
    bool HasFunction() const { return !functionName.IsEmpty(); }

    float value = 0.0f;
    String functionName;
};

struct AttributePair {
    TransformableAttribute attributes[2];
};
