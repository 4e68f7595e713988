// WorldCtrl: script functions called across modules, object preloading, the names of target
// slots and AI actions, strategy scores, the play-sound event and the small services that
// scripts reach (countdown, visual effects, sound loudness and pan).
#include "world/WorldCtrl.h"

#include "world/GameCtrlInterface.h"
#include "world/KI_Strategy.h"
#include "world/WorldElem.h"
#include "world/WorldEventPayloads.h"

#include <cmath>

float g_SoundFalloffExponent = 1.0f;

bool WorldCtrl::CallScriptFunction(const char* name, ScriptValue* arguments, int32_t count, ScriptValue* result)
{
    // Depth, running module, the module's run flags and the global-function count are back on
    // every way out, an error of the called function included.
    struct CallScope {
        int32_t& depth;
        int32_t savedDepth;
        ~CallScope() { depth = savedDepth; }
    } depth{m_ScriptCallDepth, m_ScriptCallDepth};
    m_ScriptCallDepth++;
    if (m_ScriptModules.GetSize() == 0)
        return false;
    for (int32_t id = m_ScriptModules.NextUsedSlot(-1); id >= 0; id = m_ScriptModules.NextUsedSlot(id)) {
        ScriptReaderGameEngine* module = m_ScriptModules.GetBySlot(id);
        if (!module)
            continue;
        struct ModuleScope {
            ScriptReaderGameEngine& module;
            int32_t& globalCount;
            uint8_t flags;
            uint8_t global;
            int32_t savedCount;
            ~ModuleScope()
            {
                module.m_RunFlags = flags;
                module.m_GlobalFunction = global;
                globalCount = savedCount;
            }
        } scope{*module, m_GlobalFunctionCount, module->m_RunFlags, module->m_GlobalFunction, m_GlobalFunctionCount};
        ScriptReaderGameEngine* caller = GetCurrentScriptModule();
        if (caller && caller->m_RunFlags < ScriptReaderGameEngine::kNoRunFlags)
            module->m_RunFlags |= caller->m_RunFlags;  // nested calls inherit the caller's flags
        module->m_GlobalFunction = 1;
        m_GlobalFunctionCount++;
        RunningModuleScope running(module);
        if (module->CallFunction(name, arguments, count, result))
            return true;
    }
    return false;
}

void WorldCtrl::PreloadObject(const char* typeName)
{
    struct Suspension {
        WorldCtrl& world;
        ~Suspension() { world.ResumeInitScripts(); }
    } suspension{*this};
    SuspendInitScripts();
    WorldElemGridBase* grid = GetCtrl().CreateWorldObject(typeName, 0.0f, 0.0f, 0.0f, 0.0f);
    WorldElem* elem = dynamic_cast<WorldElem*>(grid);
    if (!elem || !elem->IsActiveType())
        return;
    // The element entered the table: it leaves it the usual way, so no slot keeps it dead.
    if (HoldsObj(elem->m_ObjID, elem))
        DelObj(elem->m_ObjID, 1);
    else
        delete elem;
}

void WorldCtrl::ReleaseElementScripts(DynaPtrList<WorldElem*, 16384, 1>& list)
{
    for (int32_t slot = list.NextUsedSlot(-1); slot >= 0; slot = list.NextUsedSlot(slot))
        if (WorldElem* elem = list.GetBySlot(slot))
            elem->m_InlineScript.reset();
}

int32_t WorldCtrl::GetTargetSlotByName(const char* name)
{
    if (!name)
        return -1;
    static const struct {
        const char* name;
        int32_t slot;
    } kSlots[] = {{"LastEnemy", 1}, {"LastTarget", 2}, {"Creator", 3}, {"Friends", 4}, {"hero", 5}};
    for (const auto& entry : kSlots)
        if (String::CompareNoCase(name, entry.name) == 0)
            return entry.slot;
    for (int32_t n = 1; n <= 16; n++) {
        String target;
        target.Format("Target%i", n);
        if (target.EqualsNoCase(name))
            return 100 + n;
    }
    return -1;
}

float WorldCtrl::EvaluateStrategyScore(const KI_StratEntry& entry, WorldElem* creature, WorldElem* target)
{
    if (entry.scoreScript.IsEmpty())
        return 0.0f;
    const String strategyName = entry.owner ? entry.owner->name : String();
    GameCtrlInterface& ctrl = GetCtrl();
    const double start = ctrl.GetProfilingTime();
    if (entry.scoreModule && ctrl.GetDebugMode() == 0) {
        entry.scoreModule->Reset();
    } else {
        entry.scoreModule.reset();
        auto module = std::make_shared<ScriptReaderGameEngine>();
        SetUpScriptModule(*module);
        module->m_KeepLoaded = 1;
        if (IsScriptFileName(entry.scoreScript.c_str())) {
            module->m_SourceName = entry.scoreScript;
            module->LoadFile(entry.scoreScript.c_str());
        } else {
            String label;
            label.Format("*inline:strategy:'%s'*", strategyName.c_str());
            module->LoadInline(entry.scoreScript.c_str(), label.c_str());
        }
        entry.scoreModule = std::move(module);
    }
    ctrl.SetObjScriptVariable(0, creature ? creature->m_ObjID : -1);
    ctrl.SetObjScriptVariable(1, target ? target->m_ObjID : -1);

    ScriptReaderGameEngine& module = *entry.scoreModule;
    ScriptValue result;
    {
        RunningModuleScope running(&module);
        module.m_Active = 1;
        result = module.Execute();
        module.m_Active = 0;
    }
    if (module.m_Reenter) {
        module.m_Reenter = 0;  // the next evaluation starts clean
        module.Error("No reenter function allowed in score script function");
    }
    if (start > 0.0) {
        const double elapsed = ctrl.GetProfilingTime() - start;
        if (elapsed > m_StrategyProfile.longest) {
            m_StrategyProfile.longest = elapsed;
            m_StrategyProfile.total += elapsed;
            m_StrategyProfile.text.Format("strategy:'%s': %s", strategyName.c_str(),
                                          entry.owner ? entry.owner->description.c_str() : "");
        }
    }
    float score = result.m_Type == kScriptInt ? float(result.m_Integer)
                  : result.m_Type == kScriptFloat ? float(result.m_Number)
                                                  : 0.0f;
    if (entry.scoreScriptTransf.GetNumKeys() > 0)
        score = float(entry.scoreScriptTransf.Evaluate(score));
    return score;
}

int32_t WorldCtrl::AddEffect(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) { return 1; }

int32_t WorldCtrl::AddEffectEx(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t)
{
    return 1;
}

float WorldCtrl::GetSoundPan(const D3DXVECTOR3& point) const
{
    D3DXVECTOR3 camera = GetCameraPos();
    D3DXVECTOR3 u(point.x - camera.x, point.y - camera.y, point.z - camera.z);
    if (D3DXVec3Length(&u) != 0.0f)
        D3DXVec3Normalize(&u, &u);
    D3DXVECTOR3 direction = GetViewDirection();
    D3DXVECTOR3 up = GetCameraUp();
    D3DXVECTOR3 side;
    D3DXVec3Cross(&side, &up, &direction);  // to the camera's right
    D3DXVec3Normalize(&side, &side);
    const float a = D3DXVec3Dot(&u, &direction);
    D3DXVECTOR3 across(u.x - a * u.x, u.y - a * u.y, u.z - a * u.z);
    return -D3DXVec3Dot(&across, &side);
}

int32_t ParseAIActionType(const char* name)
{
    static const char* const kNames[] = {
        "ACTION",         "CHANGE_STRATEGY",    "FLEE",          "WAIT",           "GO_ASIDE",
        "WALK_AROUND",    "BLOCK",              "GOTO",          "AIM_AT",         "GO_LEFT_ENEMY",
        "GO_RIGHT_ENEMY", "GO_BACK_ENEMY",      "GO_DIRECTION_ENEMY", "DODGE_FRONT", "DODGE_BACK",
        "DODGE_LEFT",     "DODGE_RIGHT",        "JUMP_FRONT",    "JUMP_BACK",      "JUMP_LEFT",
        "JUMP_RIGHT",     "DRAW_WEAPON",        "SHEATH_WEAPON",
    };
    if (name)
        for (int32_t code = 0; code < int32_t(sizeof kNames / sizeof kNames[0]); code++)
            if (String::CompareNoCase(name, kNames[code]) == 0)
                return code;
    return 23;
}

void PlaySound(const char* name, const D3DXVECTOR2* position, const WorldElemBase* source, int32_t parameter)
{
    if (!name || !*name || !g_GameCtrl)
        return;
    SoundEventRecord record;
    String::CopySized(record.name, sizeof record.name, name);
    record.parameter = parameter;
    if (position) {
        record.x = position->x;
        record.y = position->y;
        record.positional = 1;
    }
    record.sourceID = source ? source->m_ObjID : -1;
    WorldEvent event;
    record.Write(event);
    g_GameCtrl->AddGameEvent(&event);
}

float SoundFalloff(float d, float r)
{
    const float q = r <= 1.0f ? d : d / r;
    if (q > 1.0f)
        return 0.0f;
    if (g_SoundFalloffExponent <= 0.0f)
        return 1.0f;
    return 1.0f - std::pow(q, 1.0f / g_SoundFalloffExponent);
}

float MoveToward(float a, float b, float s)
{
    if (std::fabs(b - a) <= s)
        return b;
    return a < b ? a + s : a - s;
}
