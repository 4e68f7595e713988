// ScriptFamilyElementLinksHtoZ: the built-ins from 'H' on that set a world element's animation,
// its movement path, its names, parent and creator, its sounds, variables and event handlers,
// and that remove elements and children.
#include "game/scriptfuncs/ScriptBuiltinFamilies.h"

#include "base/Math.h"
#include "game/ctrl/GameCtrl.h"
#include "game/objects/CreatureObj.h"
#include "game/objects/EventObj.h"
#include "game/objects/ItemBase.h"
#include "game/objects/ItemObj.h"
#include "game/objects/MobData.h"
#include "game/scriptfuncs/ScriptCall.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <vector>

namespace {

ItemObj* ItemOf(WorldElem* elem) { return elem && elem->m_TypeCode == ElemType::kItem ? static_cast<ItemObj*>(elem) : nullptr; }

// ---- animation and motion

// The animation setters of items: anything else is the script's error, named by the function.
ItemObj* AnimatedItem(ScriptCall& call, const char* function)
{
    WorldElem* elem = call.CountedObject(2, -1);
    if (!elem)
        return nullptr;
    ItemObj* item = ItemOf(elem);
    if (!item)
        call.Error("Can not %s on none-object", function);
    return item;
}

void SetObjectAni(ScriptCall& call)
{
    ItemObj* item = AnimatedItem(call, "SetObjectAnimation()");
    if (!item)
        return;
    if (call.GetCount() >= 4)
        item->SetAnimationRange(call.FloatArg(1), call.FloatArg(2), call.FloatArg(3));
    call.Forward(call.GetCount(), item, 0, 1);
}

void SetLoopAni(ScriptCall& call)
{
    if (ItemObj* item = AnimatedItem(call, "SetLoopAnimation()")) {
        item->SetAniLoop(call.Int(1) != 0);
        call.Forward(call.GetCount(), item, 1, 1);
    }
}

void SetAniTime(ScriptCall& call)
{
    if (ItemObj* item = AnimatedItem(call, "SetAniTime()")) {
        item->SetAniTime(call.FloatArg(1));
        call.Forward(call.GetCount(), item, 0, 1);
    }
}

void SetAniSpeed(ScriptCall& call)
{
    if (ItemObj* item = AnimatedItem(call, "SetAniSpeed()")) {
        item->SetAniSpeed(call.FloatArg(1));
        call.Forward(call.GetCount(), item, 1, 1);
    }
}

void SetEventCount(ScriptCall& call)
{
    WorldElem* elem = call.CountedObject(2, -1);
    if (!elem)
        return;
    if (elem->m_TypeCode != ElemType::kEvent) {
        call.Error("Can not SetEventCount() on none-event-object");
        return;
    }
    static_cast<EventObj*>(elem)->m_ActivationsLeft = call.Int(1);
}

// The network server waits until the clients have the action's element state.
void SetAutoAction(ScriptCall& call)
{
    if (!call.NeedCount(2, -1) || !call.NeedString(1))
        return;
    WorldElem* elem = call.Object(0);
    if (!elem)
        return;
    elem->m_AutoAction = call.Text(1);
    if (call.GetCount() > 2)
        elem->m_AutoActionCount = call.Int(2);
    call.GetCtrl().WaitForSync();
}

void SetAcStart(ScriptCall& call)
{
    if (WorldElem* elem = call.CountedObject(2, 2))
        elem->m_ObjValues.acStart = call.Float(1);
}

// Time, x and y for each point; a count that leaves part of a point is refused.
void SetMovePath(ScriptCall& call)
{
    if (call.GetCount() < 1 || (call.GetCount() - 1) % 3 != 0) {
        call.Refuse();
        return;
    }
    WorldElem* elem = call.Object(0);
    if (!elem)
        return;
    std::vector<PathKey>& keys = elem->m_PathMotion.curve.keys;
    keys.assign(size_t((call.GetCount() - 1) / 3), PathKey());
    for (size_t i = 0; i < keys.size(); i++) {
        const int32_t first = 1 + 3 * int32_t(i);
        keys[i].time = call.FloatArg(first);
        keys[i].x = call.FloatArg(first + 1);
        keys[i].y = call.FloatArg(first + 2);
    }
}

void SetPathMoveSpd(ScriptCall& call)
{
    if (WorldElem* elem = call.CountedObject(2, 2))
        elem->m_PathMotion.speed = call.FloatArg(1);
}

void SetPathLoop(ScriptCall& call)
{
    WorldElem* elem = call.CountedObject(3, 3);
    if (!elem)
        return;
    PathCurve& curve = elem->m_PathMotion.curve;
    curve.loop = call.Int(1) != 0 ? 1 : 0;
    curve.loopTime = call.FloatArg(2);
    elem->m_ObjValues.loopPath = curve.loop;
    elem->m_ObjValues.loopPathEndTime = curve.loopTime;
}

void SetPathOrigin(ScriptCall& call)
{
    if (WorldElem* elem = call.CountedObject(3, 3)) {
        elem->m_PathMotion.offset[0] = call.FloatArg(1);
        elem->m_PathMotion.offset[1] = call.FloatArg(2);
    }
}

void SetPathInterpolation(ScriptCall& call)
{
    if (WorldElem* elem = call.CountedObject(2, 2)) {
        elem->m_PathMotion.curve.mode = call.Int(1);
        elem->m_ObjValues.pathInterpolation = call.Int(1);
    }
}

void SetRotateWithPath(ScriptCall& call)
{
    if (WorldElem* elem = call.CountedObject(2, 2)) {
        elem->m_PathMotion.faceDirection = uint8_t(call.Int(1));
        elem->m_ObjValues.rotateWithPath = elem->m_PathMotion.faceDirection;
    }
}

void SetPathTime(ScriptCall& call)
{
    if (WorldElem* elem = call.CountedObject(2, 2))
        elem->m_PathMotion.time = call.FloatArg(1);
}

void SetPathGotoTime(ScriptCall& call)
{
    WorldElem* elem = call.CountedObject(2, 2);
    if (!elem)
        return;
    PathMotion& path = elem->m_PathMotion;
    path.stopAtTarget = 1;
    path.gotoTime = Math::WrapFloat(call.FloatArg(1), path.curve.loopTime);
}

void RotateObjOnPlatform(ScriptCall& call)
{
    call.SetTypeInt();
    if (!call.NeedCount(4, -1))
        return;
    WorldElem* elem = call.Object(0);
    WorldElem* platform = elem ? call.Object(1) : nullptr;
    if (!platform)
        return;
    const D3DXVECTOR2 centre = platform->GetPos();
    const D3DXVECTOR2 pos = elem->GetPos();
    const float dx = pos.x - centre.x;
    const float dy = pos.y - centre.y;
    if (!(std::sqrt(dx * dx + dy * dy) < call.FloatArg(3)))
        return;
    const float angle = call.FloatArg(2);
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    elem->SetAngle(elem->GetOwnAngle() + angle);
    elem->SetPos(centre.x + dx * c - dy * s, centre.y + dx * s + dy * c);
    call.SetInt(1);
}

// ---- names, links and variables

void SetName(ScriptCall& call)
{
    WorldElem* elem = call.CountedObject(2, 2);
    if (!elem)
        return;
    const char* name = call.Text(1);
    const String text(name ? name : "");
    elem->SetName(wString(text.c_str()));
    if (ItemObj* item = ItemOf(elem))
        if (auto* base = dynamic_cast<ItemBase*>(item->m_LinkedItem))
            base->m_ItemName = text;
}

void SetWorldID(ScriptCall& call)
{
    if (WorldElem* elem = call.CountedObject(2, 2))
        elem->m_WorldID = call.Text(1) ? call.Text(1) : "";
}

void SetInfoText(ScriptCall& call)
{
    if (WorldElem* elem = call.CountedObject(2, 2))
        elem->SetInfoText(String(call.Text(1) ? call.Text(1) : ""));
}

void SetParty(ScriptCall& call)
{
    if (WorldElem* elem = call.CountedObject(2, 2)) {
        elem->SetParty(call.Int(1));
        call.Forward(2, elem, 1, 1);
    }
}

// The world refuses a parent that would make the element its own ancestor.
void SetParent(ScriptCall& call)
{
    WorldElem* elem = call.CountedObject(2, 2);
    if (!elem)
        return;
    if (call.Int(1) < 0) {
        elem->DetachFromParent();
        return;
    }
    if (WorldElem* parent = call.Object(1))
        parent->AttachChild(elem);
}

void SetCreator(ScriptCall& call)
{
    WorldElem* elem = call.CountedObject(2, -1);
    if (!elem)
        return;
    WorldElem* creator = call.Int(1) >= 0 ? call.Object(1) : nullptr;
    if (call.Int(1) < 0 || creator)
        elem->SetCreator(creator);
}

void SetObjectSound(ScriptCall& call)
{
    if (!call.NeedCount(3, 3) || !call.NeedString(2))
        return;
    WorldElem* elem = call.Object(0);
    if (!elem)
        return;
    const int32_t which = call.Int(1);
    if (which < 0 || which >= WorldElem::kSounds) {  // the slot number comes from a script
        call.Refuse();
        return;
    }
    elem->m_Sounds[which] = call.Text(2);
    call.Forward(3, nullptr, 1, 1);
}

// "SetObjectFloat" and "SetObjectFloat_nt" (never sent) share the branch.
void SetObjectFloat(ScriptCall& call)
{
    WorldElem* elem = call.CountedObject(2, -1);
    if (!elem)
        return;
    elem->SetScriptTemp(call.IntOr(2, 1) - 1, call.FloatArg(1));  // the element checks the index
    if (std::strlen(call.GetName()) != 17)
        call.Forward(call.GetCount(), elem, 1, 1);
}

void SetObjectString(ScriptCall& call)
{
    if (!call.NeedCount(2, -1) || !call.NeedString(1))
        return;
    if (WorldElem* elem = call.Object(0)) {
        elem->m_ObjValues.scriptString = call.Text(1);
        call.Forward(call.GetCount(), elem, 1, 1);
    }
}

void SetMobFloatVariable(ScriptCall& call)
{
    if (!call.NeedCount(3, 3) || !call.NeedInt(0))
        return;
    if (MobData* mob = call.GetCtrl().GetMob(call.Int(0)))
        mob->variables[std::clamp(call.Int(1), 0, MobData::kVariables - 1)] = call.FloatArg(2);
}

void SetEffBy(ScriptCall& call)
{
    WorldElem* elem = call.CountedObject(2, -1);
    if (!elem)
        return;
    elem->m_ObjValues.effBy = call.Int(1);
    if (elem->m_TypeCode == ElemType::kEvent) {
        const char* name = call.GetCount() > 2 ? call.Text(2) : nullptr;
        static_cast<EventObj*>(elem)->m_ActivatorName = name ? name : "";
    }
    call.Forward(call.GetCount(), elem, 1, 1);
}

// ---- handlers

template <String WorldElem::*Field> void SetElemHandler(ScriptCall& call)
{
    if (WorldElem* elem = call.CountedObject(2, 2))
        elem->*Field = call.ScriptText(1);
}

void SetOnUse(ScriptCall& call)
{
    if (WorldElem* elem = call.CountedObject(2, 2)) {
        elem->m_OnUse = call.ScriptText(1);
        call.Forward(2, elem, 1, 1);
    }
}

void SetOnCollision(ScriptCall& call)
{
    if (WorldElem* elem = call.CountedObject(2, 2))
        elem->m_OnCollision = call.ScriptText(1);
}

void SetOnKill(ScriptCall& call)
{
    WorldElem* elem = call.CountedObject(2, 2);
    if (!elem)
        return;
    if (!elem->IsCreature()) {
        call.GetCtrl().Warning("Object '%s' is no creature", elem->m_CfgID.c_str());
        return;
    }
    elem->m_ObjValues.onKill = call.ScriptText(1);
}

void SetOnAction(ScriptCall& call)
{
    WorldElem* elem = call.CountedObject(2, 2);
    if (elem && elem->IsCreature())
        static_cast<CreatureObj*>(elem)->SetActionHandler(call.ScriptText(1));
}

void SetOnActivate(ScriptCall& call)
{
    WorldElem* elem = call.CountedObject(2, 2);
    if (!elem)
        return;
    if (elem->m_TypeCode != ElemType::kEvent) {
        call.GetCtrl().Warning("No event object");
        return;
    }
    static_cast<EventObj*>(elem)->m_ActivationScript = call.ScriptText(1);
}

// The update handler is taken as written.
void SetOnUpdate(ScriptCall& call)
{
    if (!call.NeedCount(2, 2) || !call.NeedString(1))
        return;
    if (WorldElem* elem = call.Object(0))
        elem->SetUpdateHandler(call.Text(1));
}

void SetOnHeroDie(ScriptCall& call)
{
    if (call.NeedCount(1, 1) && call.NeedString(0))
        call.GetCtrl().SetHeroDeathScript(call.ScriptText(0));
}

// ---- removal

void RemoveObject(ScriptCall& call)
{
    if (!call.NeedCount(1, 1))
        return;
    WorldCtrl& world = call.GetWorld();
    if (world.GetObjNoCheck(call.Int(0), false))
        world.DelObj(call.Int(0), 1);
}

// By name: every scan starts again from the first child, since a deletion may take other
// children with it; a deleted child has left the list, so the scans end.
int32_t RemoveChildrenNamed(WorldCtrl& world, WorldElem& elem, const char* name)
{
    int32_t deleted = 0;
    for (;;) {
        WorldElem* found = nullptr;
        elem.ForEachChild([&](WorldElemGridBase& child) {
            auto* live = dynamic_cast<WorldElem*>(&child);
            if (!found && live && WorldElem::IsActiveType(live->m_TypeCode) &&
                String(live->m_Name).EqualsNoCase(name))
                found = live;
        });
        if (!found)
            return deleted;
        const int32_t id = found->m_ObjID;
        elem.DetachChild(found);  // gone from the list even if the world keeps it
        if (world.HoldsObj(id, found))
            world.DelObj(id, 1);
        deleted++;
    }
}

void RemoveChildren(ScriptCall& call)
{
    call.SetTypeInt();
    WorldElem* elem = call.CountedObject(1, -1);
    if (!elem)
        return;
    if (call.GetCount() == 1) {
        elem->DeleteChildren(false);
        call.SetInt(elem->m_Children.GetSize());
        return;
    }
    call.SetInt(call.IsString(1) ? RemoveChildrenNamed(call.GetWorld(), *elem, call.Text(1)) : 0);
}

}  // namespace

ScriptBuiltinFamily ScriptFamilyElementLinksHtoZ()
{
    static const ScriptBuiltinEntry entries[] = {
        {"SetMobFloatVariable", SetMobFloatVariable},
        {"SetObjectSound", SetObjectSound},
        {"SetRotateWithPath", SetRotateWithPath},
        {"SetPathInterpolation", SetPathInterpolation},
        {"SetAutoAction", SetAutoAction},
        {"SetAcStart", SetAcStart},
        {"SetObjectAni", SetObjectAni},
        {"SetLoopAni", SetLoopAni},
        {"SetAniTime", SetAniTime},
        {"SetAniSpeed", SetAniSpeed},
        {"SetEventCount", SetEventCount},
        {"SetPathMoveSpd", SetPathMoveSpd},
        {"SetPathLoop", SetPathLoop},
        {"SetPathOrigin", SetPathOrigin},
        {"SetMovePath", SetMovePath},
        {"SetPathGotoTime", SetPathGotoTime},
        {"SetPathTime", SetPathTime},
        {"SetName", SetName},
        {"SetWorldID", SetWorldID},
        {"SetParty", SetParty},
        {"SetParent", SetParent},
        {"SetOnHeroDie", SetOnHeroDie},
        {"SetOnKill", SetOnKill},
        {"SetOnAction", SetOnAction},
        {"SetOnUse", SetOnUse},
        {"SetInfoText", SetInfoText},
        {"SetOnDamage", SetElemHandler<&WorldElem::m_OnDamage>},
        {"SetOnInit", SetElemHandler<&WorldElem::m_OnInit>},
        {"SetOnActivate", SetOnActivate},
        {"SetOnCollision", SetOnCollision},
        {"SetObjectFloat", SetObjectFloat},
        {"SetObjectFloat_nt", SetObjectFloat},
        {"SetObjectString", SetObjectString},
        {"SetEffBy", SetEffBy},
        {"RemoveObject", RemoveObject},
        {"RemoveChildren", RemoveChildren},
        {"SetCreator", SetCreator},
        {"RotateObjOnPlatform", RotateObjOnPlatform},
        {"SetOnUpdate", SetOnUpdate},
    };
    return {entries, std::size(entries)};
}
