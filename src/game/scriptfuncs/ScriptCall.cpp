// ScriptCall: the argument tests and readers, element fetches, typed results, forwarding and
// number formatting shared by every built-in script function.
#include "game/scriptfuncs/ScriptCall.h"

#include "game/ctrl/GameCtrl.h"
#include "game/objects/CreatureObj.h"
#include "game/scriptfuncs/ScriptGame.h"
#include "level/VSD_LightSource.h"
#include "level/VSD_WallIntern.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

int32_t g_NumberOfDigits = 2;
uint8_t g_AllowXMove = 1;

ScriptCall::ScriptCall(GameCtrl& ctrl, const char* name, ScriptValue* arguments, int32_t count, int32_t fromNetwork)
    : m_Ctrl(ctrl), m_Name(name ? name : ""), m_Arguments(arguments), m_Count(arguments ? std::max(count, 0) : 0),
      m_FromNetwork(fromNetwork)
{
}

WorldCtrl& ScriptCall::GetWorld() const { return m_Ctrl.GetWorld(); }

bool ScriptCall::Refuse()
{
    m_Ctrl.ScriptError("Invalid arguments in function %s", m_Name);
    return false;
}

bool ScriptCall::NeedCount(int32_t minimum, int32_t maximum)
{
    if (m_Count < minimum || (maximum >= 0 && m_Count > maximum))
        return Refuse();
    return true;
}

bool ScriptCall::NeedInt(int32_t index) { return IsInt(index) ? true : Refuse(); }

bool ScriptCall::NeedString(int32_t index) { return IsString(index) ? true : Refuse(); }

int32_t ScriptCall::TypeOf(int32_t index) const
{
    return index >= 0 && index < m_Count ? m_Arguments[index].m_Type : int32_t(kScriptVoid);
}

int32_t ScriptCall::Int(int32_t index) const
{
    return index >= 0 && index < m_Count ? m_Arguments[index].GetIntView() : 0;
}

double ScriptCall::Float(int32_t index) const
{
    return index >= 0 && index < m_Count ? m_Arguments[index].GetNumberView() : 0.0;
}

const char* ScriptCall::Text(int32_t index) const
{
    return IsString(index) ? m_Arguments[index].m_Text.c_str() : nullptr;
}

String ScriptCall::ScriptText(int32_t index) const
{
    String text(Text(index) ? Text(index) : "");
    ScriptGame::FormatScriptPosition(text);
    return text;
}

WorldElem* ScriptCall::Object(int32_t index) { return GetWorld().GetObjNoCheck(Int(index), true); }

CreatureObj* ScriptCall::Creature(int32_t index)
{
    WorldElem* elem = Object(index);
    return elem && elem->IsCreature() ? static_cast<CreatureObj*>(elem) : nullptr;
}

VSD_WallIntern* ScriptCall::Wall(int32_t index) { return GetWorld().GetWall(Int(index), true); }

WorldElem* ScriptCall::Light(int32_t index)
{
    const int32_t id = Int(index);
    WorldElem* light = id >= 0 ? GetWorld().GetLight(id) : nullptr;
    if (!light)
        Error("Invalid light: %i", id);
    return light;
}

WorldElem* ScriptCall::CountedObject(int32_t minimum, int32_t maximum)
{
    return NeedCount(minimum, maximum) ? Object(0) : nullptr;
}

CreatureObj* ScriptCall::CountedCreature(int32_t minimum, int32_t maximum)
{
    return NeedCount(minimum, maximum) ? Creature(0) : nullptr;
}

VSD_WallIntern* ScriptCall::CountedWall(int32_t minimum, int32_t maximum)
{
    return NeedCount(minimum, maximum) ? Wall(0) : nullptr;
}

void ScriptCall::SetInt(int32_t value)
{
    m_Result.m_Text = String();
    m_Result.m_Number = 0.0;
    m_Result.SetInt(value);
}

void ScriptCall::SetFloat(double value)
{
    m_Result.m_Text = String();
    m_Result.m_Integer = 0;
    m_Result.SetFloat(value);
}

void ScriptCall::SetString(const char* text)
{
    m_Result.m_Number = 0.0;
    m_Result.m_Integer = 0;
    m_Result.SetString(text ? text : "");
}

void ScriptCall::Forward(int32_t count, WorldElem* subject, int32_t checkSubject, int32_t flag)
{
    m_Ctrl.RunScriptFunctionAtClients(m_Name, m_Arguments, std::clamp(count, 0, m_Count), subject, checkSubject, flag);
}

void ScriptCall::Error(const char* format, ...)
{
    String message;
    va_list args;
    va_start(args, format);
    message.FormatV(format, args);
    va_end(args);
    m_Ctrl.ScriptError("%s", message.c_str());
}

void ScriptCall::Warning(const char* format, ...)
{
    String message;
    va_list args;
    va_start(args, format);
    message.FormatV(format, args);
    va_end(args);
    m_Ctrl.ScriptWarning("%s", message.c_str());
}

// The digits are bounded here: the format is built from a number that a script sets.
String ScriptCall::FormatFloat(double value)
{
    char format[16];
    std::snprintf(format, sizeof format, "%%.%if", std::clamp(g_NumberOfDigits, 0, 30));
    char text[512];  // 30 digits after the point of the largest double still fit
    std::snprintf(text, sizeof text, format, value);
    return String(text);
}

String ScriptCall::FormatValue(const ScriptValue& value)
{
    switch (value.m_Type) {
    case kScriptInt: {
        char text[16];
        std::snprintf(text, sizeof text, "%i", value.m_Integer);
        return String(text);
    }
    case kScriptFloat:
        return FormatFloat(value.m_Number);
    case kScriptString:
        return value.m_Text;
    default:
        return String();
    }
}

String ScriptCall::JoinArguments(int32_t first) const
{
    String text;
    for (int32_t i = std::max(first, 0); i < m_Count && text.GetLength() < kTextChars; i++)
        text += FormatValue(m_Arguments[i]);
    if (text.GetLength() > kTextChars)
        text = text.SubString(0, kTextChars);
    return text;
}

void ScriptCall::WriteFloatTemps(int32_t first, const float* values, int32_t count)
{
    for (int32_t i = 0; i < count; i++) {
        if (float* slot = m_Ctrl.GetScriptTempFloat(first + i))
            *slot = values[i];
    }
}

int32_t ScriptCall::WriteObjList(const int32_t* ids, int32_t count)
{
    count = std::clamp(count, 0, WorldCtrl::kResultListSize);
    std::copy(ids, ids + count, GetWorld().GetScriptResultList());
    return count;
}
