// GameCtrl: the debug pages (the system page with memory, level, profiling, camera and script
// figures; the story, game and level variables; the creature page with its vital values, AI,
// action and influences) and the free debug text that scripts print to. The pages are text
// windows; the server fills them but never shows them.
#include "game/ctrl/GameCtrl.h"

#include "base/SoundManager.h"
#include "base/Timer.h"
#include "engine/gfx/DXC_Gfx.h"
#include "game/ctrl/ProfilingTimes.h"
#include "platform/MemoryStatus.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr double kSystemPageInterval = 0.2;  // seconds between two refills of the system page
constexpr float kRadToDeg = 57.29579f;

// A profiling line: the timer in ms and its share of the frame (none for a frame of no length).
void AddTimerLine(DXC_GuiTextViewerScl& page, const char* name, double seconds, double frameTime)
{
    const double share = frameTime > 0.0 ? seconds / frameTime * 100.0 : 0.0;
    page.AddLineF("%s: %.2fms %.2f %%", name, seconds * 1000.0, share);
}

// The profiling lines after the AI's, in order, with their timers.
struct TimerLine {
    const char* name;
    int32_t timer;
};
constexpr TimerLine kTimerLines[] = {
    {"Game move", kProfileGameMove},      {"Lighting 1", kProfileLighting1},
    {"Lighting 2", kProfileLighting2},    {"Lighting 3", kProfileLighting3},
    {"Lighting 4", kProfileLighting4},    {"Volume fog", kProfileVolumeFog},
    {"Draw volume fog", kProfileDrawVolumeFog},
};
constexpr TimerLine kTimerLinesAfterFloor[] = {
    {"Call Wall obtruct", kProfileWallObstruct}, {"Draw objs", kProfileDrawObjs},
    {"Draw shadows", kProfileDrawShadows},       {"Draw small map", kProfileDrawSmallMap},
    {"Gui", kProfileGui},                        {"Pre-draw", kProfilePreDraw},
    {"sorting", kProfileSorting},                {"Update visibility", kProfileVisibility},
    {"Scripts", kProfileScripts},                {"Gfx-Present", kProfilePresent},
};

// Every script variable of a scope in the page's forms.
void AddVariables(DXC_GuiTextViewerScl& page, VariableStack& variables)
{
    variables.ResetWalk();
    char name[256];
    while (ScriptStackVariable* v = variables.GetNext(name)) {
        const bool array = v->m_ElementCount > 0;
        const ScriptValue& first = v->GetFirst();
        switch (v->m_Type) {
        case kScriptInt:
            if (array)
                page.AddLineF("%s[%i] = (int)%i", name, v->m_ElementCount, first.m_Integer);
            else
                page.AddLineF("%s = (int)%i", name, v->m_Integer);
            break;
        case kScriptFloat:
            if (array)
                page.AddLineF("%s: Float array with dim %i", name, v->m_ElementCount);
            else
                page.AddLineF("%s = (float)%.2f", name, v->m_Number);
            break;
        case kScriptString:
            if (array)
                page.AddLineF("%s[%i] = (string)|cD44\"%s\"|r", name, v->m_ElementCount, first.m_Text.c_str());
            else
                page.AddLineF("%s = (string)|cD44\"%s\"|r", name, v->m_Text.c_str());
            break;
        default:
            break;
        }
    }
}

}  // namespace

const char* GameCtrl::GetVersionText() { return "1.0 dedicated"; }

const char* GameCtrl::GetAITaskName(int32_t task)
{
    static const char* const kNames[] = {"bored",   "hit",         "dead",         "moverotate",  "gotoObj",
                                         "gotoPos", "doAction",    nullptr,        "block",       "jumpFW",
                                         "jumpBW",  "jumpL",       "jumpR",        "dodgeL",      "dodgeR",
                                         "dodgeFW", "dodgeBW",     "drawWeapon",   "stunned",     "KnockDown",
                                         "rotateToObj", "GoLeftEnemy", "GoRightEnemy", "GoBackObj", "hitBlock",
                                         "SpecialAniCycle", nullptr, "gotoPosNoRot"};
    if (task == -1)
        return "none";
    if (task < 0 || task >= int32_t(sizeof kNames / sizeof kNames[0]) || !kNames[task])
        return "unknown";
    return kNames[task];
}

String GameCtrl::GetIntentionName(int32_t code) { return CreatureObj::GetIntentionName(code); }

const char* GameCtrl::GetStratEntryTypeName(int32_t type)
{
    static const char* const kNames[] = {
        "Action",      "Unknown",      "Flee",         "Wait",        "GoAside",    "WalkAround",
        "Block",       "Goto",         "AimAt",        "GoLeftEnemy", "GoRightEnemy", "GoBackEnemy",
        "GoDirEnemy",  "DodgeFront",   "DodgeBack",    "DodgeLeft",   "DodgeRight", "JumpFront",
        "JumpBack",    "JumpLeft",     "JumpRight",    "DrawWeapon",  "SheathWeapon", "Undefined"};
    if (type < 0 || type >= int32_t(sizeof kNames / sizeof kNames[0]))
        return "Undefined";
    return kNames[type];
}

int32_t GameCtrl::CountLoadedSounds()
{
    SearchTree<SoundData>& sounds = m_World.GetSoundRegistry();
    sounds.ResetWalk();
    int32_t count = 0;
    while (SoundData* data = sounds.GetNext())
        if (data->loaded)
            ++count;
    return count;
}

void GameCtrl::AddDebugText(const char* text)
{
    char line[kMaxDebugText + 1];
    std::snprintf(line, sizeof line, "%s", text ? text : "");
    m_TextViewers[kDebugTextViewer].AddLine(line);
}

void GameCtrl::DumpSystemInfo()
{
    static double lastRefill = -1.0;
    const double now = Timer::GetTime();
    if (lastRefill >= 0.0 && now - lastRefill < kSystemPageInterval && now >= lastRefill)
        return;
    lastRefill = now;
    DXC_GuiTextViewerScl& page = m_TextViewers[kProfilingViewer];
    page.Reset();

    page.AddLineF("|c0FFVersion: %s", GetVersionText());
    const Platform::MemoryFigures memory = Platform::GetMemoryFigures();
    page.AddLineF("CPU mem total: %i MB", int32_t((memory.totalPhysical + 524288u) >> 20));
    page.AddLineF("CPU mem used: %i kb", int32_t(memory.processResident >> 10));
    page.AddLineF("CPU mem avail: %i kb (%i %%)", int32_t((memory.availablePhysical + 512u) >> 10),
            100 - memory.memoryLoad);
    // The graphics figures; the server keeps only what the simulation needs of scenes.
    DXC_Gfx* gfx = g_Gfx;
    page.AddLineF("texture mem avail: %i MB", gfx ? int32_t(gfx->GetAvailableTextureMem() >> 20) : 0);
    page.AddLineF("textures in mem: %i / %i MB, loaded: %i", gfx ? gfx->GetTextureManagerCount() : 0,
            gfx ? gfx->GetTextureMemory() >> 20 : 0, gfx ? gfx->GetTextureCount() : 0);
    page.AddLineF("meshes in mem: %i / %i KB", gfx ? gfx->GetMeshManagerCount() : 0,
            gfx ? gfx->GetMeshMemory() >> 10 : 0);
    SoundManager* sound = SoundManager::GetSingletonPtr();
    page.AddLineF("sound in mem: %i / %i MB", CountLoadedSounds(),
            sound && sound->GetDevice() ? sound->GetMemoryUsage() >> 20 : 0);

    int32_t objectFiles = 0;
    for (const std::shared_ptr<ItemObj>& prototype : m_3dObjPrototypes)
        objectFiles += prototype ? 1 : 0;
    int32_t creatureFiles = 0;
    for (const std::shared_ptr<WorldElem>& prototype : m_CreatureEntryObjects)
        creatureFiles += prototype ? 1 : 0;
    page.AddLineF("3dfiles loaded: %i objs, %i creatures", objectFiles, creatureFiles);
    page.AddLineF("level: %s", m_VsdFile.c_str());
    page.AddLineF("level size: %ix%i", m_World.GetMapWidth(), m_World.GetMapHeight());
    page.AddLineF("Nr. of walls: %i", m_World.GetNumWalls());
    page.AddLineF("Nr. of objs: %i", m_World.GetNumElements());
    page.AddLineF("Nr. of lights: %i", m_World.GetNumRenderLights());
    page.AddLineF("Nr. of creatures 0: %i", m_World.GetNumberOfCreatures(0, false));
    page.AddLineF("Nr. of creatures 1: %i", m_World.GetNumberOfCreatures(1, false));
    page.AddLineF("Nr. of effects: %i", 0);
    page.AddLineF("Nr. of loaded floor tex: %i", m_World.GetNumFloorTextures());
    page.AddLineF("Floor size: %ix%i", int32_t(m_FloorSize), int32_t(m_FloorSize));
    page.AddLineF("Nr. of drawn objs/walls/eff: %i/%i/%i(%i)", 0, 0, 0, 0);
    page.AddLineF("Play Time: %.1f", m_GameTime);

    page.AddLineF("|c0FF-- Performance Consumption --");
    const double frameTime = g_LastFrameTime;
    const double* t = g_ProfilingTimes;
    const double share = frameTime > 0.0 ? t[kProfileAIMove] / frameTime * 100.0 : 0.0;
    page.AddLineF("KI move: %.2fms %.2f %% (nrReAss:%i, nrEnSr:%i)", t[kProfileAIMove] * 1000.0, share,
            CreatureObj::s_ReassessCount, CreatureObj::s_EnemySearchCount);
    double sum = t[kProfileAIMove] + t[kProfileDrawFloor];
    for (const TimerLine& line : kTimerLines) {
        AddTimerLine(page, line.name, t[line.timer], frameTime);
        sum += t[line.timer];
    }
    page.AddLineF("Draw floor: %.2fms/%.2fms %.2f %%", t[kProfileDrawFloor] * 1000.0,
            t[kProfileDrawFloorSecond] * 1000.0, frameTime > 0.0 ? t[kProfileDrawFloor] / frameTime * 100.0 : 0.0);
    for (const TimerLine& line : kTimerLinesAfterFloor) {
        AddTimerLine(page, line.name, t[line.timer], frameTime);
        sum += t[line.timer];
    }
    AddTimerLine(page, "GetFloorHeight", t[kProfileFloorHeight], frameTime);
    AddTimerLine(page, "Rest", frameTime - sum, frameTime);
    page.AddLineF("Nr. of light updates: %i", 0);

    page.AddLineF("|c0FF-- Visible Object List --");
    page.AddLineF("poly count HW: %i", 0);
    page.AddLineF("poly count SW: %i", 0);
    page.AddLineF("Draw primitive count: %i", 0);
    page.AddLineF("nr of floor draws: %i", 0);

    page.AddLineF("|c0FF-- Camera --");
    page.AddLineF("Camera pos: (%i/%i/%i)", RoundFloatToInt(m_CameraEye.x), RoundFloatToInt(m_CameraEye.y),
            RoundFloatToInt(m_CameraEye.z));
    page.AddLineF("Target pos: (%i/%i)", RoundFloatToInt(m_CameraTargetPoint.x),
            RoundFloatToInt(m_CameraTargetPoint.y));
    page.AddLineF("Yaw:%i Pitch:%i Distance:%i Height:%i", RoundFloatToInt(m_CameraYaw[0]),
            RoundFloatToInt(m_CameraPitch[0]), RoundFloatToInt(m_CameraDistance[0]), RoundFloatToInt(m_CameraHeight));

    page.AddLineF("|c0FF-- Running Scripts --");
    page.AddLineF("Nr. of script threads: %i", m_World.GetScriptThreads().GetNumThreads());
}

void GameCtrl::DumpScriptVariables()
{
    DXC_GuiTextViewerScl& page = m_TextViewers[kScriptVariablesViewer];
    page.Reset();
    page.AddLineF("|c0FFStory variables:");
    m_Stories.ResetWalk();
    while (StoryVariable* story = m_Stories.GetNext()) {
        const int32_t value = story->GetValue();
        const StoryVariableEntry* named = nullptr;
        for (int32_t i = 0; i < story->values.GetSize(); ++i) {
            const StoryVariableEntry* entry = story->values.GetAt(i);
            if (entry && entry->value == value && !entry->text.IsEmpty()) {
                named = entry;
                break;
            }
        }
        if (named)
            page.AddLineF("|cD44\"%s\"|r = %i; |cD44\"%s\"|r", story->name.c_str(), value, named->text.c_str());
        else
            page.AddLineF("|cD44\"%s\"|r: %i; |cD44\"\"|r", story->name.c_str(), value);
    }
    page.AddLineF("|c0FFGame variables:");
    AddVariables(page, m_GameVariables);
    page.AddLineF("|c0FFLevel variables:");
    AddVariables(page, m_LevelVariables);
}

void GameCtrl::DumpCreatureInfo(CreatureObj* creature)
{
    if (!creature)
        creature = GetMainChar();
    if (!creature)
        return;
    DXC_GuiTextViewerScl& page = m_TextViewers[kCreatureViewer];
    page.Reset();
    CreatureObj& c = *creature;
    wString title;
    title.FormatNarrow(": (id:%i), Party:%i, Level:%i", c.m_ObjID, c.GetParty(), c.GetLevel());
    page.AddLine(wString(u"|c0FF") + *c.GetNameField() + title);
    if (!c.m_WorldID.IsEmpty())
        page.AddLineF("WorldID: '%s'", c.m_WorldID.c_str());
    page.AddLineF("Health: %i/%i Mana: %i/%i", RoundFloatToInt(c.m_Health), RoundFloatToInt(c.GetMaxHealth()),
            RoundFloatToInt(c.m_Mana), RoundFloatToInt(c.GetMaxMana()));
    page.AddLineF("Strategy: %s", c.GetStrategyData().name.c_str());

    KI_ActionData intention;
    c.GetCurrentActionData(intention);
    const CreatureObj::AIRunState& ai = c.m_AIRun;
    page.AddLineF("AI intention: %s  (cycle pos: %i, prior: %i, ID:%i, LastID:%i)",
            GetIntentionName(intention.task).c_str(), ai.decisionCounter, ai.currentPriority, ai.strategyID,
            ai.lastStrategyID);
    page.AddLineF("AI action: %s (prior: %i, aimDev: %.2f)", GetStratEntryTypeName(intention.entry.type),
            intention.thirdCode, double(intention.values[1] * kRadToDeg));
    if (!intention.secondName.IsEmpty())
        page.AddLineF("AI finish script: '%s'", intention.secondName.c_str());
    const CreatureActionState& state = c.m_ActionState;
    page.AddLineF("Action Time: %.2f", double(state.actionTime));
    page.AddLineF("Creature action: %s %s(prior: %i)", GetAITaskName(state.actionCode),
            state.pActionEntry ? state.actionName.c_str() : "", state.actionPriority);
    page.AddLineF("Creature movement: %s (prior: %i)", GetAITaskName(state.moveCode), state.movePriority);
    page.AddLineF("|c0A2influences:");
    for (int32_t i = 0; i < c.m_Influences.GetSize(); ++i) {
        const CreatureInfluence* influence = c.m_Influences.GetAt(i);
        if (influence)
            page.AddLineF("%s: %.1fsec, str:%.2f, iParam:%i", CreatureObj::GetEffectTypeName(influence->type).c_str(),
                    0.0, double(influence->params.x), influence->params.value);
    }
}
