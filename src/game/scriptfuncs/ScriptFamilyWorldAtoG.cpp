// ScriptFamilyWorldAtoG: the built-ins before 'H' that create elements, walls and effects in the
// running level, fire event objects and timed script calls, and start the world-wide visual
// effects (fades, earthquakes, the map cover, post-render effects). The server draws nothing: the
// effects only change world state, and the calls that players must see go on to the clients.
#include "game/scriptfuncs/ScriptBuiltinFamilies.h"

#include "base/ConfigFileReader.h"
#include "game/ctrl/GameCtrl.h"
#include "game/objects/ItemObj.h"
#include "game/scriptfuncs/ScriptCall.h"
#include "level/VSD_FileRecords.h"
#include "level/VSD_WallIntern.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"
#include "world/WorldEventPayloads.h"

#include <cstdint>
#include <cstring>
#include <iterator>

namespace {

// One creation of "AddObject": the extra configuration text linked to the world-object reader and
// the controller's creation bracket, both undone on every way out, an error of the creation
// included, so that the reader never keeps a link to the memory reader of this call.
class ScriptCreationScope {
public:
    ScriptCreationScope(GameCtrl& ctrl, ConfigFileReader* extra)
        : m_Ctrl(ctrl), m_Reader(ctrl.GetWorldObjectReader()), m_Previous(m_Reader.GetLinkedReader()),
          m_Linked(extra != nullptr)
    {
        if (m_Linked)
            m_Reader.SetLinkedReader(extra);
        m_Ctrl.BeginScriptCreation();
    }
    ~ScriptCreationScope()
    {
        m_Ctrl.EndScriptCreation();
        if (m_Linked)
            m_Reader.SetLinkedReader(m_Previous);
    }
    ScriptCreationScope(const ScriptCreationScope&) = delete;
    ScriptCreationScope& operator=(const ScriptCreationScope&) = delete;

private:
    GameCtrl& m_Ctrl;
    ConfigFileReader& m_Reader;
    ConfigFileReader* m_Previous;
    bool m_Linked;
};

// "AddObject": type, x, y, angle in degrees, parent ID, height, extra configuration text.
void AddObject(ScriptCall& call)
{
    const int32_t n = call.GetCount();
    if (n < 3 || !call.IsString(0) || !call.IsNumber(1) || !call.IsNumber(2) || (n > 3 && !call.IsNumber(3))) {
        call.Error("Invalid arguments for function AddObject(Int id, Float posX, Float posY, Float angle=0)");
        return;
    }
    GameCtrl& ctrl = call.GetCtrl();
    const char* type = call.Text(0);
    WorldElem* parent = n > 4 && call.Int(4) >= 0 ? call.Object(4) : nullptr;
    const D3DXVECTOR2 at(call.FloatArg(1), call.FloatArg(2));
    const float angle = call.FloatArg(3) * ScriptCall::kDegToRad;
    const float height = call.FloatArg(5);
    call.SetInt(-1);
    // An unknown type is the script's fault: reported, and the script goes on with -1.
    if (ctrl.FindWorldObjectTypeIndex(type) < 0) {
        call.Error("World object '%s' not found", type);
        return;
    }
    ConfigFileReader extra;
    if (const char* text = call.Text(6)) {
        if (extra.OpenMemory(text, int32_t(std::strlen(text))) != 0) {
            call.Error("Invalid configuration text in function %s", call.GetName());
            return;
        }
    }
    WorldElem* elem;
    {
        ScriptCreationScope scope(ctrl, call.IsString(6) ? &extra : nullptr);
        elem = ctrl.CreateWorldObject(type, nullptr, true, true, true, true, angle, &at, height, parent, -1);
    }
    if (!elem)
        return;
    if (elem->IsActiveType()) {
        elem->SetPos(at.x, at.y);
        elem->SetAngle(angle);
        elem->UpdateGridCell();
        elem->RememberStartPosition();
    }
    call.SetInt(elem->m_ObjID);
}

// "AddEffect": the server makes no visual effect; the clients make theirs.
void AddEffect(ScriptCall& call)
{
    if (call.GetCount() < 4) {
        call.Error("Invalid arguments for function AddEffect(String id, Float posX, Float posY, Floar posZ, int "
                   "parentID=-1, float angle=0)");
        return;
    }
    WorldElem* parent = call.GetCount() > 4 && call.Int(4) >= 0 ? call.Object(4) : nullptr;
    call.Forward(call.GetCount(), parent, 0, 0);
}

// "AddWall": a wall of a type between two points, in the level or attached to a mesh object.
void AddWall(ScriptCall& call)
{
    call.SetTypeInt();
    if (!call.NeedCount(5, -1) || !call.NeedString(0))
        return;
    GameCtrl& ctrl = call.GetCtrl();
    WorldCtrl& world = call.GetWorld();
    WorldElem* parent = nullptr;
    if (call.GetCount() > 9 && call.Int(9) >= 0) {
        parent = call.Object(9);
        if (!parent)
            return;
        if (parent->m_TypeCode != ElemType::kItem) {  // checked first: no wall is left without its owner
            call.Error("Walls are only addable to meshobjects %s", call.GetName());
            return;
        }
    }
    const int32_t type = ctrl.FindWallTypeIndex(call.Text(0));
    if (type < 0 || type > INT16_MAX) {
        call.Error("AddWall(): Wall '%s' not found", call.Text(0));
        return;
    }
    VSD_WallEntry entry;
    entry.descId = int16_t(type);
    entry.x1 = int16_t(call.Int(1));
    entry.y1 = int16_t(call.Int(2));
    entry.x2 = int16_t(call.Int(3));
    entry.y2 = int16_t(call.Int(4));
    entry.value1 = call.GetCount() > 5 ? call.FloatArg(5) : 0.0f;
    entry.value2 = call.GetCount() > 6 ? call.FloatArg(6) : 1.0f;
    if (const char* text = call.Text(7))
        entry.text = text;
    const int32_t id = parent ? world.ReadWallProperties(entry, 0, 0, 0)
                              : world.ReadWallProperties(entry, call.IntOr(8, 0), 1, 1);
    world.AddWall(id);
    if (parent)
        static_cast<ItemObj*>(parent)->AddWall(*world.VSD_Viewer::GetWall(id), entry.x1, entry.y1, entry.x2,
                                               entry.y2);
    call.SetInt(id);
}

void ActivateEvent(ScriptCall& call)
{
    if (!call.NeedCount(1, -1))
        return;
    WorldElem* elem = call.Object(0);
    if (!elem)
        return;
    if (elem->m_TypeCode != ElemType::kEvent) {
        call.GetCtrl().Warning("No event object specified in function %s", call.GetName());
        return;
    }
    WorldElem* activator = call.GetCount() > 1 && call.Int(1) >= 0 ? call.Object(1) : nullptr;
    elem->Activate(activator, true, call.GetCtrl().GetGameTime());
}

// "Event": only the kind "CallScript" exists; any other kind ends as an unknown function.
void Event(ScriptCall& call)
{
    if (!call.NeedCount(2, -1) || !call.NeedString(0))
        return;
    if (std::strcmp(call.Text(0), "CallScript") != 0) {
        call.GetCtrl().LowerDebugUse();
        call.Error("Unknown function '%s' accepting %i arguments", call.GetName(), call.GetCount());
        return;
    }
    if (!call.NeedCount(3, -1) || !call.NeedString(2))
        return;
    ScriptEventRecord record;  // no element, no label: the named function runs on its own
    String::CopySized(record.text, sizeof record.text, call.Text(2));
    const double delay = call.Float(1);
    WorldEvent event;
    record.Write(event);
    event.time = delay > 0.0 ? call.GetCtrl().GetGameTime() + delay : delay;
    call.GetCtrl().AddGameEvent(&event);
}

// The fades of one element, wall or light: only where its block is active.
template <class Fetch> void Fade(ScriptCall& call, Fetch fetch, bool fadeIn, bool forward, bool withSubject)
{
    if (!call.NeedCount(2, 2) || !call.NeedInt(0))
        return;
    WorldElemGridBase* elem = fetch(call);
    if (!elem)
        return;
    WorldCtrl& world = call.GetWorld();
    const float time = call.FloatArg(1);
    if (world.IsCellActive(*elem)) {
        if (fadeIn)
            world.FadeInObject(elem, time, false);
        else
            world.FadeOutObject(elem, time, false);
    }
    if (forward)
        call.Forward(2, withSubject ? static_cast<WorldElem*>(elem) : nullptr, 1, 1);
}

WorldElemGridBase* FetchObject(ScriptCall& call) { return call.Object(0); }
WorldElemGridBase* FetchWall(ScriptCall& call) { return call.Wall(0); }
WorldElemGridBase* FetchLight(ScriptCall& call) { return call.Light(0); }

void FadeIn(ScriptCall& call) { Fade(call, FetchObject, true, true, true); }
void FadeOut(ScriptCall& call) { Fade(call, FetchObject, false, true, true); }
void FadeInWall(ScriptCall& call) { Fade(call, FetchWall, true, true, false); }
void FadeOutWall(ScriptCall& call) { Fade(call, FetchWall, false, true, false); }
void FadeInLight(ScriptCall& call) { Fade(call, FetchLight, true, false, false); }
void FadeOutLight(ScriptCall& call) { Fade(call, FetchLight, false, false, false); }

void FadeOutWorld(ScriptCall& call)
{
    if (!call.NeedCount(1, -1))
        return;
    call.GetWorld().FadeOutWorld(call.Int(0), call.GetCount() > 1 ? call.FloatArg(1) : 0.5f);
    call.Forward();
}

void EarthQuake(ScriptCall& call)
{
    if (!call.NeedCount(2, -1))
        return;
    const auto optional = [&](int32_t i) { return call.GetCount() > i ? call.FloatArg(i) : 1.0f; };
    call.GetWorld().AddEarthQuake(call.FloatArg(0), call.FloatArg(1), optional(2), optional(3), optional(4));
    call.Forward();
}

void CoverMap(ScriptCall& call)
{
    if (call.GetCount() == 0)
        call.GetWorld().CoverMap();
    else if (call.GetCount() == 4)
        call.GetWorld().CoverMap(call.Int(0), call.Int(1), call.Int(2), call.Int(3));
    else {
        call.Refuse();
        return;
    }
    call.Forward();
}

void AdjustVisibility(ScriptCall& call) { call.GetWorld().AdjustVisibility(); }

void EnablePostRenderEffect(ScriptCall& call)
{
    if (!call.NeedCount(1, 1) || !call.NeedString(0))
        return;
    call.GetWorld().EnablePostRenderEffect(call.Text(0));
    call.Forward(1, nullptr, 1, 1);
}

void DisablePostRenderEffect(ScriptCall& call)
{
    if (!call.NeedCount(1, 1) || !call.NeedString(0))
        return;
    call.GetWorld().DisablePostRenderEffect(call.Text(0));
    call.Forward(1, nullptr, 1, 1);
}

void AllowXMove(ScriptCall& call) { g_AllowXMove = call.IntOr(0, 1) != 0 ? 1 : 0; }

}  // namespace

ScriptBuiltinFamily ScriptFamilyWorldAtoG()
{
    static const ScriptBuiltinEntry entries[] = {
        {"AddObject", AddObject},
        {"AddEffect", AddEffect},
        {"AddWall", AddWall},
        {"ActivateEvent", ActivateEvent},
        {"Event", Event},
        {"FadeIn", FadeIn},
        {"FadeOut", FadeOut},
        {"FadeInWall", FadeInWall},
        {"FadeOutWall", FadeOutWall},
        {"FadeInLight", FadeInLight},
        {"FadeOutLight", FadeOutLight},
        {"FadeOutWorld", FadeOutWorld},
        {"EarthQuake", EarthQuake},
        {"CoverMap", CoverMap},
        {"AdjustVisibility", AdjustVisibility},
        {"EnablePostRenderEffect", EnablePostRenderEffect},
        {"DisablePostRenderEffect", DisablePostRenderEffect},
        {"AllowXMove", AllowXMove},
    };
    return {entries, std::size(entries)};
}
