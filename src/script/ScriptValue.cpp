// ScriptValue: views, conversions and equality of script values.
#include "script/ScriptValue.h"

#include <cmath>

int32_t ScriptValue::DoubleToInt(double value)
{
    // the range check keeps the cast defined; what fails it is the hardware's indefinite value
    if (!(value > -2147483649.0 && value < 2147483648.0))
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

const char* ScriptValue::GetTypeName(int32_t type)
{
    switch (type) {
    case kScriptVoid: return "Void";
    case kScriptInt: return "Int";
    case kScriptFloat: return "Float";
    case kScriptString: return "String";
    case kScriptUnevaluated: return "Unevaluated";
    default: return "Unknown";
    }
}

int32_t ScriptValue::GetIntView() const
{
    if (m_Type == kScriptInt)
        return m_Integer;
    if (m_Type == kScriptFloat)
        return DoubleToInt(m_Number);
    return 0;
}

double ScriptValue::GetNumberView() const
{
    if (m_Type == kScriptInt)
        return m_Integer;
    if (m_Type == kScriptFloat)
        return m_Number;
    return 0.0;
}

void ScriptValue::ConvertFrom(const ScriptValue& source)
{
    switch (m_Type) {
    case kScriptInt:
        m_Integer = source.GetIntView();
        break;
    case kScriptFloat:
        m_Number = source.GetNumberView();
        break;
    case kScriptString:
        if (source.m_Type == kScriptString)
            m_Text = source.m_Text;
        else
            m_Text = "";
        break;
    default:
        break;
    }
}

bool ScriptValue::Equals(const ScriptValue& other) const
{
    if (m_Type != other.m_Type)
        return false;
    switch (m_Type) {
    case kScriptVoid: return true;
    case kScriptInt: return m_Integer == other.m_Integer;
    case kScriptFloat: return m_Number == other.m_Number;
    case kScriptString: return m_Text.IsEqual(other.m_Text);
    default: return false;
    }
}
