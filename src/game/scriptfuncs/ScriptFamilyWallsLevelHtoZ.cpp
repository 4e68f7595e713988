// ScriptFamilyWallsLevelHtoZ: the built-ins from 'H' on that change walls, the level's lights and
// the level-wide settings. A wall may carry an item element (a door, a lever): the wall's item is
// the element it is attached to.
#include "game/scriptfuncs/ScriptBuiltinFamilies.h"

#include "game/ctrl/GameCtrl.h"
#include "game/objects/ItemObj.h"
#include "game/scriptfuncs/ScriptCall.h"
#include "level/VSD_LightSource.h"
#include "level/VSD_WallIntern.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>

namespace {

// The element the wall is attached to, when it is an item element.
ItemObj* ItemOfWall(VSD_WallIntern& wall)
{
    WorldElemBase* parent = wall.m_Parent.Get();
    return parent && parent->m_TypeCode == ElemType::kItem ? static_cast<ItemObj*>(parent) : nullptr;
}

// ---- walls

void IsValidWall(ScriptCall& call)
{
    call.SetTypeInt();
    if (call.NeedCount(1, 1))
        call.SetInt(call.GetWorld().IsValidWall(call.Int(0)));
}

void SetWallPos(ScriptCall& call)
{
    if (VSD_WallIntern* wall = call.CountedWall(5, 5))
        wall->SetEndPoints(call.FloatArg(1), call.FloatArg(2), call.FloatArg(3), call.FloatArg(4));
}

// The one-byte flags of a wall; some go on to the clients.
template <uint8_t VSD_WallIntern::*Flag, bool Sent> void SetWallFlag(ScriptCall& call)
{
    if (VSD_WallIntern* wall = call.CountedWall(2, 2)) {
        wall->*Flag = call.Int(1) != 0 ? 1 : 0;
        if (Sent)
            call.Forward(2, nullptr, 1, 1);
    }
}

// The wall's opacity operation does nothing here; the clients fade the wall.
void SetWallOpacity(ScriptCall& call)
{
    if (call.CountedWall(2, 2))
        call.Forward(2, nullptr, 1, 1);
}

void SetWallNeedKey(ScriptCall& call)
{
    VSD_WallIntern* wall = call.CountedWall(2, 2);
    if (!wall)
        return;
    wall->m_NeedKey = uint16_t(call.Int(1));
    if (ItemObj* item = ItemOfWall(*wall))
        item->m_KeyNumber = int16_t(call.Int(1));
    call.Forward(2, nullptr, 1, 1);
}

void SetWallDoor(ScriptCall& call)
{
    VSD_WallIntern* wall = call.CountedWall(2, -1);
    if (!wall)
        return;
    WorldElemBase* parent = wall->m_Parent.Get();
    if (parent && parent->m_TypeCode != ElemType::kItem) {
        call.Error("SetWallDoor(): not a door wall!");
        return;
    }
    if (!parent) {
        call.Error("SetWallDoor(): not a door wall");
        return;
    }
    static_cast<ItemObj*>(parent)->SetOpenState(call.Int(1), false);
}

void SetWallWorldID(ScriptCall& call)
{
    if (VSD_WallIntern* wall = call.CountedWall(2, 2))
        wall->m_WorldID = call.Text(1) ? call.Text(1) : "";
}

// The world refuses an attachment that would make the wall its own ancestor. A wall attached
// here keeps its place: its end points are taken into the item's frame.
void SetWallParent(ScriptCall& call)
{
    VSD_WallIntern* wall = call.CountedWall(2, 2);
    if (!wall)
        return;
    if (call.Int(1) < 0) {
        if (ItemObj* item = ItemOfWall(*wall)) {
            item->RemoveWall(*wall);
            wall->DetachFromParent();
        }
        return;
    }
    WorldElem* elem = call.Object(1);
    if (!elem)
        return;
    if (elem->m_TypeCode != ElemType::kItem) {
        call.Error("walls can only be parented to mesh objects");
        return;
    }
    if (ItemObj* old = ItemOfWall(*wall))
        old->RemoveWall(*wall);
    static_cast<ItemObj*>(elem)->AddWall(*wall);
}

void SetWallEffBy(ScriptCall& call)
{
    if (VSD_WallIntern* wall = call.CountedWall(2, 2)) {
        wall->m_CollisionMask = call.Int(1);
        call.Forward(2, nullptr, 1, 1);
    }
}

void SetWallFloat(ScriptCall& call)
{
    if (VSD_WallIntern* wall = call.CountedWall(2, -1))
        wall->SetScriptTemp(call.IntOr(2, 1) - 1, call.FloatArg(1));  // the wall checks the index
}

void SetWallString(ScriptCall& call)
{
    if (!call.NeedCount(2, -1) || !call.NeedString(1))
        return;
    if (VSD_WallIntern* wall = call.Wall(0))
        wall->m_ScriptString = call.Text(1);
}

template <String VSD_WallIntern::*Handler> void SetWallHandler(ScriptCall& call)
{
    if (VSD_WallIntern* wall = call.CountedWall(2, 2))
        wall->*Handler = call.ScriptText(1);
}

void SetWallOnCollision(ScriptCall& call)
{
    if (VSD_WallIntern* wall = call.CountedWall(2, 2))
        wall->m_OnCollision = call.ScriptText(1);
}

void SetWallOnUse(ScriptCall& call)
{
    VSD_WallIntern* wall = call.CountedWall(2, 2);
    if (!wall)
        return;
    wall->m_OnUse = call.ScriptText(1);
    auto* item = dynamic_cast<WorldElem*>(wall->m_Parent.Get());
    if (item && item->IsActiveType())
        item->m_OnUse = wall->m_OnUse;
    call.Forward(2, nullptr, 1, 1);
}

void SetWallOnFailedUse(ScriptCall& call)
{
    if (VSD_WallIntern* wall = call.CountedWall(2, 2)) {
        wall->m_OnFailedUse = call.ScriptText(1);
        call.Forward(2, nullptr, 1, 1);
    }
}

void RemoveWall(ScriptCall& call)
{
    if (!call.NeedCount(1, 1))
        return;
    WorldCtrl& world = call.GetWorld();
    if (world.IsValidWall(call.Int(0)))
        world.DelWall(call.Int(0));
}

// ---- lights and level

void SetLightCol(ScriptCall& call)
{
    if (!call.NeedCount(4, 4))
        return;
    auto* light = dynamic_cast<VSD_LightSource*>(call.Light(0));
    if (!light)
        return;
    const auto byte = [&](int32_t i) { return uint32_t(call.Int(i)) & 0xFFu; };
    light->SetLightCol(0xFF000000u | byte(1) << 16 | byte(2) << 8 | byte(3));
}

void SetLightLifeSpan(ScriptCall& call)
{
    if (!call.NeedCount(2, 2))
        return;
    if (WorldElem* light = call.Light(0))
        light->SetLifeSpan(call.FloatArg(1));
}

void RemoveLight(ScriptCall& call)
{
    if (!call.NeedCount(1, 1))
        return;
    WorldCtrl& world = call.GetWorld();
    const int32_t id = call.Int(0);
    if (id >= 0 && world.GetLight(id))
        world.DelLight(id);
}

void SetLevelAmbientCol(ScriptCall& call)
{
    if (!call.NeedCount(3, 3))
        return;
    GameCtrl& ctrl = call.GetCtrl();
    const LevelSettings& level = ctrl.GetLevelSettings();
    const float ambient[3] = {call.FloatArg(0), call.FloatArg(1), call.FloatArg(2)};
    ctrl.SetLevelLight(level.diffuseCol, level.diffuseDir, ambient);
}

// A zero direction has no unit vector: the light keeps the direction it had.
void SetLevelDiffuseCol(ScriptCall& call)
{
    if (!call.NeedCount(6, 6))
        return;
    GameCtrl& ctrl = call.GetCtrl();
    const LevelSettings& level = ctrl.GetLevelSettings();
    const float diffuse[3] = {call.FloatArg(0), call.FloatArg(1), call.FloatArg(2)};
    float direction[3] = {call.FloatArg(3), call.FloatArg(4), call.FloatArg(5)};
    const float length =
        std::sqrt(direction[0] * direction[0] + direction[1] * direction[1] + direction[2] * direction[2]);
    for (int32_t i = 0; i < 3; i++)
        direction[i] = length > 0.0f && std::isfinite(length) ? direction[i] / length : level.diffuseDir[i];
    const float ambient[3] = {level.ambientCol[0], level.ambientCol[1], level.ambientCol[2]};
    ctrl.SetLevelLight(diffuse, direction, ambient);
}

void SetFloorSize(ScriptCall& call)
{
    if (call.NeedCount(1, -1))
        call.GetWorld().SetFloorSize(call.Int(0));
}

// Only a name inside the game directory: no absolute name, no step up with "..".
bool IsGameDirectoryName(const char* name)
{
    if (!*name || name[0] == '\\' || name[0] == '/' || std::strchr(name, ':'))
        return false;
    for (const char* part = name; *part;) {
        const size_t length = std::strcspn(part, "\\/");
        if (length == 2 && part[0] == '.' && part[1] == '.')
            return false;
        part += length;
        if (*part)
            part++;
    }
    return true;
}

void SaveMiniMap(ScriptCall& call)
{
    if (!call.NeedCount(1, -1) || !call.NeedString(0))
        return;
    const char* name = call.Text(0);
    if (!IsGameDirectoryName(name)) {
        call.Error("Invalid file name in function %s: '%s'", call.GetName(), name);
        return;
    }
    call.GetWorld().SaveMiniMap(name);
}

void UncoverMap(ScriptCall& call)
{
    call.GetCtrl().UncoverMap();
    call.Forward();
}

}  // namespace

ScriptBuiltinFamily ScriptFamilyWallsLevelHtoZ()
{
    static const ScriptBuiltinEntry entries[] = {
        {"IsValidWall", IsValidWall},
        {"SetWallCanSeeThrough", SetWallFlag<&VSD_WallIntern::m_CanSeeThrough, false>},
        {"SetWallSolid", SetWallFlag<&VSD_WallIntern::m_Solid, true>},
        {"SetWallOpacity", SetWallOpacity},
        {"SetWallNeedKey", SetWallNeedKey},
        {"SetWallPos", SetWallPos},
        {"SetLightLifeSpan", SetLightLifeSpan},
        {"SetWallDoor", SetWallDoor},
        {"SetWallWorldID", SetWallWorldID},
        {"SetWallParent", SetWallParent},
        {"SetWallVisibilityObstruct", SetWallFlag<&VSD_WallIntern::m_VisibilityObstruct, true>},
        {"SetWallOnCollision", SetWallOnCollision},
        {"SetWallOnLeave", SetWallHandler<&VSD_WallIntern::m_OnLeave>},
        {"SetWallOnUse", SetWallOnUse},
        {"SetWallOnFailedUse", SetWallOnFailedUse},
        {"SetWallFloat", SetWallFloat},
        {"SetWallString", SetWallString},
        {"SetWallEffBy", SetWallEffBy},
        {"SetLightCol", SetLightCol},
        {"SetLevelAmbientCol", SetLevelAmbientCol},
        {"SetLevelDiffuseCol", SetLevelDiffuseCol},
        {"RemoveLight", RemoveLight},
        {"RemoveWall", RemoveWall},
        {"UncoverMap", UncoverMap},
        {"SaveMiniMap", SaveMiniMap},
        {"SetFloorSize", SetFloorSize},
    };
    return {entries, std::size(entries)};
}
