// DXC_InteractiveScene: the scene's script. Loading it (a file beside the scene or inline text),
// the three callbacks through which it reaches the scene, the 30 built-in functions, the owner's
// hooks, delayed calls and the short log messages shown on screen.
//
// The script reader's callbacks are plain function pointers without a user value: they act on
// the current scene, which the scene sets before it runs its script's top level and before every
// call into the script.
#include "engine/gui/DXC_InteractiveScene.h"

#include "base/CFileValidator.h"
#include "base/FileName.h"
#include "base/Log.h"
#include "base/Timer.h"
#include "engine/gfx/DXC_Font.h"
#include "engine/gfx/DXC_Gfx.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

constexpr int32_t kSceneMaxScriptFileName = 256;  // a script entry this long or longer is script text
constexpr int32_t kSceneLogX = 4;
constexpr int32_t kSceneLogFirstY = 14;

// Which arguments a built-in takes: at least (or exactly) a count, the first a string or not.
struct SceneBuiltinRule {
    const char* name;
    int32_t count;
    bool exact;
    bool firstString;
};

enum SceneBuiltin : int32_t {
    kSetGlobalSpeed, kSetAniSpeed, kGetAniSpeed, kSetAniTime, kGetAniTime, kSetTimeSpan, kSetDoLoop, kGetDoLoop,
    kSetGlobalDoLoop, kGetSceneObject, kSetScenePos, kSetSceneScale, kSetSceneRot, kSetIsVisible, kGetIsVisible,
    kSetIsActive, kSetGlobalIsActive, kSetGlobalIsVisible, kGetIsActive, kGetSceneTime, kGetComputerTime,
    kLoadCursor, kEnableCursor, kDisableCursor, kSetReportUnknowns, kSetCursorDragObject, kGetCursorDragObject,
    kLogMessage, kCallFunction, kExit, kSceneBuiltinCount
};

// In the order names are compared.
constexpr SceneBuiltinRule kSceneBuiltins[kSceneBuiltinCount] = {
    {"SetGlobalSpeed", 1, false, false},     {"SetAniSpeed", 2, false, false},
    {"GetAniSpeed", 1, false, false},        {"SetAniTime", 2, false, false},
    {"GetAniTime", 1, false, false},         {"SetTimeSpan", 3, false, false},
    {"SetDoLoop", 2, false, false},          {"GetDoLoop", 1, false, false},
    {"SetGlobalDoLoop", 1, false, false},    {"GetSceneObject", 1, false, true},
    {"SetScenePos", 4, false, false},        {"SetSceneScale", 4, false, false},
    {"SetSceneRot", 5, false, false},        {"SetIsVisible", 2, false, false},
    {"GetIsVisible", 1, false, false},       {"SetIsActive", 2, false, false},
    {"SetGlobalIsActive", 1, false, false},  {"SetGlobalIsVisible", 1, false, false},
    {"GetIsActive", 1, false, false},        {"GetSceneTime", 0, true, false},
    {"GetComputerTime", 0, true, false},     {"LoadCursor", 3, false, true},
    {"EnableCursor", 0, true, false},        {"DisableCursor", 0, true, false},
    {"SetReportUnknowns", 1, true, false},   {"SetCursorDragObject", 1, false, false},
    {"GetCursorDragObject", 0, true, false}, {"LogMessage", 0, false, false},
    {"CallFunction", 2, false, true},        {"Exit", 0, true, false},
};

int32_t FindSceneBuiltin(const char* name)
{
    for (int32_t i = 0; i < kSceneBuiltinCount; i++)
        if (String::Compare(kSceneBuiltins[i].name, name) == 0)
            return i;
    return -1;
}

float SceneNumber(const ScriptValue& value) { return float(value.GetNumberView()); }
bool SceneFlag(const ScriptValue& value) { return value.GetNumberView() != 0.0; }

bool SceneEndsWithNoCase(const String& text, const char* tail)
{
    const int32_t length = text.TextLength();
    const int32_t tailLength = String::ArrayLength(tail);
    return length >= tailLength && String::CompareNoCase(text.c_str() + length - tailLength, tail) == 0;
}

}  // namespace

void DXC_InteractiveScene::LoadScript()
{
    if (m_ScriptText.IsEmpty())
        m_ScriptText = " ";
    const bool isFile = m_ScriptText.TextLength() < kSceneMaxScriptFileName &&
                        (SceneEndsWithNoCase(m_ScriptText, ".txt") || SceneEndsWithNoCase(m_ScriptText, ".c") ||
                         SceneEndsWithNoCase(m_ScriptText, ".cpp"));
    if (isFile) {
        String directory;
        GetPathDirectory(m_FileName.c_str(), directory);
        String path;
        {
            CFileValidator validator;
            validator.AddPath(directory.c_str());
            path = validator.FindFileInSearchPaths(m_ScriptText);
        }
        if (path.IsEmpty())
            Error("Interactive scene script file not found: %s", m_ScriptText.c_str());
        m_Script.LoadFile(path.c_str());
    } else {
        String label;
        label.Format("*inline:intRTX'%s'*", m_FileName.c_str());
        m_Script.LoadInline(m_ScriptText.c_str(), label.c_str());
        m_ScriptText = label;
    }
    ScriptGameCallbacks callbacks;
    callbacks.getVariable = ReadVariableCallback;
    callbacks.callFunction = ScriptFunctionCallback;
    callbacks.setVariable = WriteVariableCallback;
    m_Script.SetGameCallbacks(callbacks);
}

void DXC_InteractiveScene::RunScript(const char* functionName)
{
    MakeCurrent();
    if (functionName) {
        m_Script.CallFunction(functionName, nullptr, 0, nullptr);
        return;
    }
    m_Script.Reset();
    m_Script.Execute();
}

bool DXC_InteractiveScene::CallScriptFunction(const char* name, ScriptValue* arguments, int32_t count,
                                              ScriptValue* result)
{
    if (!m_Initialized || !m_Script.HasGameCallbacks())
        return false;  // no script was ever loaded here
    MakeCurrent();
    return m_Script.CallFunction(name, arguments, count, result);
}

ScriptValue* DXC_InteractiveScene::ScriptFunctionCallback(ScriptValue* result, const char* name,
                                                          ScriptValue* arguments, int32_t count)
{
    DXC_InteractiveScene* scene = s_Current;
    result->SetVoid();
    if (!scene)
        return result;
    if (scene->CallBuiltin(*result, name, arguments, count))
        return result;
    if (scene->m_FunctionHook)
        return scene->m_FunctionHook(result, name, arguments, count);
    if (scene->m_ReportUnknowns)
        scene->m_Script.Error("Unknown function '%s' called", name);
    result->SetUnevaluated();
    return result;
}

ScriptValue* DXC_InteractiveScene::ReadVariableCallback(ScriptValue* result, const char* name, int32_t index)
{
    (void)index;  // the scene's variables have no elements
    DXC_InteractiveScene* scene = s_Current;
    result->SetVoid();
    if (!scene)
        return result;
    if (scene->m_ReadHook)
        return scene->m_ReadHook(result, name);
    if (scene->m_ReportUnknowns)
        scene->m_Script.Error("Unknown readable variable '%s'", name);
    result->SetUnevaluated();
    return result;
}

void DXC_InteractiveScene::WriteVariableCallback(const char* name, int32_t index, ScriptValue* value)
{
    (void)index;
    DXC_InteractiveScene* scene = s_Current;
    if (!scene)
        return;
    if (scene->m_WriteHook) {
        scene->m_WriteHook(name, value);
        return;
    }
    if (scene->m_ReportUnknowns)
        scene->m_Script.Error("Unknown writeable variable '%s'", name);
}

DXC_IntSceHelper& DXC_InteractiveScene::ObjectArgument(const ScriptValue& argument)
{
    const int32_t id = argument.GetIntView();
    DXC_IntSceHelper* object = id >= 0 && id < m_Objects.GetCapacity() ? m_Objects.GetBySlot(id) : nullptr;
    if (!object)
        Error("Scene object with ID %i is invalid", id);
    return *object;
}

bool DXC_InteractiveScene::CallBuiltin(ScriptValue& result, const char* name, ScriptValue* args, int32_t count)
{
    const int32_t builtin = FindSceneBuiltin(name);
    if (builtin < 0 || (builtin == kLogMessage && m_LogDisabled))
        return false;
    const SceneBuiltinRule& rule = kSceneBuiltins[builtin];
    if ((rule.exact ? count != rule.count : count < rule.count) ||
        (rule.firstString && args[0].m_Type != kScriptString))
        m_Script.Error("Invalid parameters in function '%s'", name);

    auto forEachObject = [&](auto&& action) {
        for (int32_t i = 0; i < m_Objects.GetSize(); i++)
            action(*m_Objects.GetAt(i));
    };
    auto meshOf = [](DXC_IntSceHelper& object) {
        return object.ControlsMesh() ? static_cast<DXC_Mesh*>(object.object) : nullptr;
    };
    switch (builtin) {
    case kSetGlobalSpeed: {
        const float speed = SceneNumber(args[0]);
        forEachObject([&](DXC_IntSceHelper& object) { object.objectTiming.speed = speed; });
        break;
    }
    case kSetAniSpeed: ObjectArgument(args[0]).objectTiming.speed = SceneNumber(args[1]); break;
    case kGetAniSpeed: result.SetFloat(ObjectArgument(args[0]).objectTiming.speed); break;
    case kSetAniTime: ObjectArgument(args[0]).objectTiming.time = SceneNumber(args[1]); break;
    case kGetAniTime: result.SetFloat(ObjectArgument(args[0]).objectTiming.time); break;
    case kSetTimeSpan: {
        DXC_IntSceTiming& timing = ObjectArgument(args[0]).objectTiming;
        timing.start = SceneNumber(args[1]);
        timing.end = SceneNumber(args[2]);
        break;
    }
    case kSetDoLoop: ObjectArgument(args[0]).objectTiming.loop = SceneFlag(args[1]) ? 1 : 0; break;
    case kGetDoLoop: result.SetInt(ObjectArgument(args[0]).objectTiming.loop ? 1 : 0); break;
    case kSetGlobalDoLoop: {
        const uint8_t loop = SceneFlag(args[0]) ? 1 : 0;
        forEachObject([&](DXC_IntSceHelper& object) { object.objectTiming.loop = loop; });
        break;
    }
    case kGetSceneObject: {
        DXC_IntSceHelper* object = FindObject(args[0].m_Text.c_str());
        if (!object)
            Error("Scene object with name '%s' not found", args[0].m_Text.c_str());
        result.SetInt(object->id);
        break;
    }
    case kSetScenePos:
        ObjectArgument(args[0]).SetPosition(SceneNumber(args[1]), SceneNumber(args[2]), SceneNumber(args[3]), 1);
        break;
    case kSetSceneScale:
        ObjectArgument(args[0]).SetScale(SceneNumber(args[1]), SceneNumber(args[2]), SceneNumber(args[3]), 1);
        break;
    case kSetSceneRot:
        ObjectArgument(args[0]).SetRotation(SceneNumber(args[1]), SceneNumber(args[2]), SceneNumber(args[3]), SceneNumber(args[4]), 1);
        break;
    case kSetIsVisible:
        if (DXC_Mesh* mesh = meshOf(ObjectArgument(args[0])))
            mesh->SetActive(uint32_t(args[1].GetIntView()));
        break;
    case kGetIsVisible: {
        DXC_Mesh* mesh = meshOf(ObjectArgument(args[0]));
        result.SetInt(mesh ? int32_t(mesh->meshActive) : 0);
        break;
    }
    case kSetIsActive: ObjectArgument(args[0]).active = SceneFlag(args[1]) ? 1 : 0; break;
    case kSetGlobalIsActive: {
        const uint8_t active = SceneFlag(args[0]) ? 1 : 0;
        forEachObject([&](DXC_IntSceHelper& object) { object.active = active; });
        break;
    }
    case kSetGlobalIsVisible: {
        const uint32_t visible = SceneFlag(args[0]) ? 1 : 0;
        forEachObject([&](DXC_IntSceHelper& object) {
            if (DXC_Mesh* mesh = meshOf(object))
                mesh->SetActive(visible);
        });
        break;
    }
    case kGetIsActive: result.SetInt(ObjectArgument(args[0]).active ? 1 : 0); break;
    case kGetSceneTime: result.SetFloat(m_SceneTime); break;
    case kGetComputerTime: result.SetFloat(Timer::GetTime()); break;
    case kLoadCursor:
        m_Gfx->LoadTexture(&m_CursorTexture, args[0].m_Text.c_str(), 0, -1, 0, 1);
        m_CursorTexture.SetCenter(SceneNumber(args[1]), SceneNumber(args[2]));
        m_CursorEnabled = 1;
        break;
    case kEnableCursor: m_CursorEnabled = 1; break;
    case kDisableCursor: m_CursorEnabled = 0; break;
    case kSetReportUnknowns: m_ReportUnknowns = SceneFlag(args[0]) ? 1 : 0; break;
    case kSetCursorDragObject: {
        if (args[0].GetIntView() < 0) {
            m_DragObject = nullptr;
            break;
        }
        DXC_IntSceHelper& object = ObjectArgument(args[0]);
        m_DragObject = &object;
        m_DragScale = count >= 2 ? SceneNumber(args[1]) : 1.0f;
        SetupCamera();
        D3DXVECTOR3 camera;
        m_Gfx->GetCameraPos(camera);
        const D3DXVECTOR3 offset = camera - (object.object ? object.object->GetMatrixPosition() : D3DXVECTOR3());
        m_DragDistance = D3DXVec3Length(&offset);
        break;
    }
    case kGetCursorDragObject: result.SetInt(m_DragObject ? m_DragObject->id : -1); break;
    case kLogMessage: {
        String text;
        for (int32_t i = 0; i < count; i++) {
            String part;
            if (args[i].m_Type == kScriptInt)
                part.Format("%i", args[i].m_Integer);
            else if (args[i].m_Type == kScriptFloat)
                part.Format("%.2f", args[i].m_Number);
            else if (args[i].m_Type == kScriptString)
                part = args[i].m_Text;
            text += part;
        }
        AddLogMessage("%s", text.c_str());
        break;
    }
    case kCallFunction: {
        const int32_t slot = m_DelayedCalls.Add();
        CallScriptFunctionArgumentList& call = *m_DelayedCalls.GetBySlot(slot);
        call.name = args[0].m_Text;
        call.dueTime = m_SceneTime + SceneNumber(args[1]);
        for (int32_t i = 2; i < count; i++)
            *call.arguments.GetBySlot(call.arguments.Add()) = args[i];
        break;
    }
    case kExit: m_Exit = 1; break;
    default: break;
    }
    return true;
}

// Only the calls waiting when the pass begins: one added meanwhile, even with no delay, waits
// for the next frame.
void DXC_InteractiveScene::RunDueCalls()
{
    std::vector<int32_t> due;
    for (int32_t slot = m_DelayedCalls.NextUsedSlot(-1); slot >= 0; slot = m_DelayedCalls.NextUsedSlot(slot))
        if (m_DelayedCalls.GetBySlot(slot)->dueTime <= m_SceneTime)
            due.push_back(slot);
    for (int32_t slot : due) {
        CallScriptFunctionArgumentList* call = m_DelayedCalls.GetBySlot(slot);
        if (!call)
            continue;  // a restart in an earlier call dropped it
        const String name = call->name;
        std::vector<ScriptValue> arguments;
        for (int32_t i = 0; i < call->arguments.GetSize(); i++)
            arguments.push_back(*call->arguments.GetAt(i));
        m_DelayedCalls.Delete(slot);
        MakeCurrent();
        m_Script.CallFunction(name.c_str(), arguments.data(), int32_t(arguments.size()), nullptr);
    }
}

void DXC_InteractiveScene::AddLogMessage(const char* format, ...)
{
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    m_LogCounter++;
    if (m_LogMessages.GetSize() < kMaxLogMessages) {
        LogMessage& message = *m_LogMessages.GetBySlot(m_LogMessages.Add());
        message.text = text;
        message.timeLeft = kLogMessageSeconds;
        message.sequence = m_LogCounter;
        m_LogMessages.Sort();
    }
    Log::Write("%s", text);
}

void DXC_InteractiveScene::AgeLogMessages(float dt)
{
    bool deleted = false;
    for (int32_t slot = m_LogMessages.NextUsedSlot(-1); slot >= 0; slot = m_LogMessages.NextUsedSlot(slot)) {
        LogMessage& message = *m_LogMessages.GetBySlot(slot);
        message.timeLeft -= dt;
        if (message.timeLeft <= 0.0f) {
            m_LogMessages.Delete(slot);
            deleted = true;
        }
    }
    if (deleted)
        m_LogMessages.Sort();  // a deletion forgets the order
}

void DXC_InteractiveScene::DrawLogMessages()
{
    DXC_Font* font = m_Gfx ? m_Gfx->GetFont() : nullptr;
    if (!font)
        return;
    const float step = font->GetGlyphHeight(0) + 1.0f;  // a cell with its spacing, scaled
    float y = float(kSceneLogFirstY);
    for (int32_t i = 0; i < m_LogMessages.GetSize(); i++) {
        m_Gfx->Printf(kSceneLogX, int32_t(y), "%s", m_LogMessages.GetAt(i)->text.c_str());
        y += step;
    }
}
