// ItemMightTransformFunction: the might transform of a value.
#include "scifi/ctrl/ItemMightTransformFunction.h"

float ItemMightTransformFunction::Apply(float value, float x) const
{
    const float rel = mightRel.GetNumKeys() > 0 ? float(mightRel.Evaluate(x)) : 0.0f;
    const float abs = mightAbs.GetNumKeys() > 0 ? float(mightAbs.Evaluate(x)) : 0.0f;
    return abs + (rel + 1.0f) * value;
}
