// ScriptFamilyPositions: the built-ins before 'H' that read where elements are and how they move,
// measure distances and angles, test lines and floors, and search the world. A search fills the
// world's result list ("objList") from entry 0 and gives its count; entries past it keep theirs.
#include "game/scriptfuncs/ScriptBuiltinFamilies.h"

#include "game/ctrl/GameCtrl.h"
#include "game/objects/CreatureObj.h"
#include "game/scriptfuncs/ScriptCall.h"
#include "level/Angle.h"
#include "level/VSD_WallIntern.h"
#include "world/Inventory.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

#include <cmath>
#include <iterator>
#include <vector>

namespace {

// A Float value of one element: the result type first, then one or more arguments.
template <class Read> void ElementFloat(ScriptCall& call, Read read)
{
    call.SetTypeFloat();
    if (WorldElem* elem = call.CountedObject(1, -1))
        call.SetFloat(read(*elem));
}

D3DXVECTOR3 CentreOf(WorldElem& elem)
{
    const D3DXVECTOR3 pos = elem.GetPos3D();
    const D3DXVECTOR3 offset = elem.GetCenterOffset();
    return D3DXVECTOR3(pos.x + offset.x, pos.y + offset.y, pos.z + offset.z);
}

void GetPosX(ScriptCall& call)
{
    ElementFloat(call, [](WorldElem& elem) { return elem.GetPos().x; });
}
void GetPosY(ScriptCall& call)
{
    ElementFloat(call, [](WorldElem& elem) { return elem.GetPos().y; });
}
void GetPosLocalX(ScriptCall& call)
{
    ElementFloat(call, [](WorldElem& elem) { return elem.m_PosX; });
}
void GetPosLocalY(ScriptCall& call)
{
    ElementFloat(call, [](WorldElem& elem) { return elem.m_PosY; });
}
void GetHeight(ScriptCall& call)
{
    ElementFloat(call, [](WorldElem& elem) { return elem.GetHeight(); });
}
void GetAngle(ScriptCall& call)
{
    ElementFloat(call, [](WorldElem& elem) { return elem.GetOwnAngle(); });
}
void GetAngleWorld(ScriptCall& call)
{
    ElementFloat(call, [](WorldElem& elem) { return elem.GetAngle(); });
}
void GetCenterObjectX(ScriptCall& call)
{
    ElementFloat(call, [](WorldElem& elem) { return CentreOf(elem).x; });
}
void GetCenterObjectY(ScriptCall& call)
{
    ElementFloat(call, [](WorldElem& elem) { return CentreOf(elem).y; });
}
void GetCenterObjectZ(ScriptCall& call)
{
    ElementFloat(call, [](WorldElem& elem) { return CentreOf(elem).z; });
}
void GetRotSpd(ScriptCall& call)
{
    ElementFloat(call, [](WorldElem& elem) { return elem.GetTurnRate(); });
}
void GetConstantRotation(ScriptCall& call)
{
    ElementFloat(call, [](WorldElem& elem) { return elem.m_RotationSpeed; });
}
void GetPathMoveSpd(ScriptCall& call)
{
    ElementFloat(call, [](WorldElem& elem) { return elem.m_PathMotion.speed; });
}
void GetAcStart(ScriptCall& call)
{
    ElementFloat(call, [](WorldElem& elem) { return elem.m_ObjValues.acStart; });
}
void GetMoveSpd(ScriptCall& call)
{
    call.SetTypeFloat();
    if (CreatureObj* creature = call.CountedCreature(1, -1))
        call.SetFloat(creature->GetForwardSpeed());
}

void GetAngleFront(ScriptCall& call)
{
    WorldElem* elem = call.CountedObject(1, -1);
    if (!elem)
        return;
    if (!elem->IsCreature()) {
        call.GetCtrl().Warning("Can not get front angle of none creature");
        return;
    }
    call.SetFloat(static_cast<CreatureObj*>(elem)->m_AngleFront);
}

void GetIsFlying(ScriptCall& call)
{
    call.SetTypeInt();
    if (CreatureObj* creature = call.CountedCreature(1, -1))
        call.SetInt(creature->m_IsFlying != 0);
}

void GetWallPos(ScriptCall& call)
{
    if (VSD_WallIntern* wall = call.CountedWall(1, -1)) {
        const float values[4] = {wall->m_X1, wall->m_Y1, wall->m_X2, wall->m_Y2};
        call.WriteFloatTemps(0, values, 4);
    }
}

void Distance(ScriptCall& call)
{
    call.SetTypeFloat();
    WorldElem* first = call.CountedObject(2, 3);
    if (!first)
        return;
    D3DXVECTOR2 other(call.FloatArg(1), call.FloatArg(2));
    if (call.GetCount() == 2) {
        WorldElem* second = call.Object(1);
        if (!second)
            return;
        other = second->GetPos();
    }
    const D3DXVECTOR2 pos = first->GetPos();
    call.SetFloat(std::hypot(other.x - pos.x, other.y - pos.y));
}

void DistanceFromLine(ScriptCall& call)
{
    call.SetTypeFloat();
    if (!call.NeedCount(6, 6))
        return;
    const double px = call.Float(0), py = call.Float(1);
    const double ax = call.Float(2), ay = call.Float(3), bx = call.Float(4), by = call.Float(5);
    const double dx = bx - ax, dy = by - ay;
    const double length = std::hypot(dx, dy);
    if (length == 0.0) {  // a line without direction: the distance to its point
        call.SetFloat(std::hypot(px - ax, py - ay));
        return;
    }
    call.SetFloat(std::fabs((px - ax) * dy - (py - ay) * dx) / length);
}

void AngleDistance(ScriptCall& call)
{
    call.SetTypeFloat();
    if (!call.NeedCount(2, 2))
        return;
    call.SetFloat(Angle::Distance(call.FloatArg(0), call.FloatArg(1)));
}

void GetIntersection(ScriptCall& call)
{
    call.SetTypeFloat();
    if (!call.NeedCount(4, 7))
        return;
    const float x0 = call.FloatArg(0), y0 = call.FloatArg(1);
    const float x1 = call.FloatArg(2), y1 = call.FloatArg(3);
    WorldCtrl& world = call.GetWorld();
    WorldElemBase* ignore[2] = {nullptr, nullptr};
    for (int32_t i = 0; i < 2; i++) {
        if (call.GetCount() > 5 + i && call.Int(5 + i) >= 0)
            ignore[i] = call.Object(5 + i);
    }
    D3DXVECTOR2 stop(x1, y1);
    const int32_t clear = world.GetIntersection(x0, y0, x1, y1, &stop, call.IntOr(4, -1), false, ignore[0], ignore[1],
                                                0, WorldCtrl::kNoMinHeight);
    const WorldElemBase* hit = clear ? nullptr : world.GetLastHit();
    int32_t* hitID = call.GetCtrl().GetScriptTempInt(0);
    int32_t* hitWall = call.GetCtrl().GetScriptTempInt(1);
    *hitID = hit ? hit->m_ObjID : -1;
    *hitWall = hit ? int32_t(hit->m_TypeCode == ElemType::kWall) : -1;
    const float length = std::hypot(x1 - x0, y1 - y0);
    if (clear || length <= 0.0f)
        call.SetFloat(1.0);
    else
        call.SetFloat(std::hypot(stop.x - x0, stop.y - y0) / length);
}

void GetFloorHeight(ScriptCall& call)
{
    call.SetTypeFloat();
    if (!call.NeedCount(2, 3))
        return;
    const float x = call.FloatArg(0), y = call.FloatArg(1);
    WorldCtrl& world = call.GetWorld();
    if (call.IntOr(2, 0) != 0)
        call.SetFloat(world.GetFloorHeightWithObjects(x, y, -1, nullptr));
    else
        call.SetFloat(world.GetFloorHeight(x, y));
}

void GetPointPosition(ScriptCall& call) { call.SetInt(call.GetCtrl().RayTestAtMouse()); }

// The radius searches: point, radius, an optional name (must be a String), an optional whole-name
// switch.
template <class Search> void RadiusSearch(ScriptCall& call, Search search)
{
    call.SetTypeInt();
    if (!call.NeedCount(3, 5) || (call.GetCount() > 3 && !call.NeedString(3)))
        return;
    call.SetInt(search(call.GetWorld(), call.FloatArg(0), call.FloatArg(1), call.FloatArg(2), call.Text(3),
                       call.IntOr(4, 1) != 0));
}

// The searches by a name: the name (must be a String) and an optional whole-name switch.
template <class Search> void NameSearch(ScriptCall& call, Search search)
{
    call.SetTypeInt();
    if (!call.NeedCount(1, 2) || !call.NeedString(0))
        return;
    call.SetInt(search(call.GetWorld(), call.Text(0), call.IntOr(1, 1) != 0));
}

void GetAllObjectsWithCfgID(ScriptCall& call)
{
    NameSearch(call, [](WorldCtrl& world, const char* name, bool whole) {
        return world.GetAllObjectsWithCfgID(name, whole);
    });
}
void GetAllObjectsWithWorldID(ScriptCall& call)
{
    NameSearch(call, [](WorldCtrl& world, const char* name, bool whole) {
        return world.GetAllObjectsWithWorldID(name, whole);
    });
}
void GetAllWallsWithWorldID(ScriptCall& call)
{
    NameSearch(call, [](WorldCtrl& world, const char* name, bool whole) {
        return world.GetAllWallsWithWorldID(name, whole);
    });
}
void GetAllLightsWithWorldID(ScriptCall& call)
{
    NameSearch(call, [](WorldCtrl& world, const char* name, bool whole) {
        return world.GetAllLightsWithWorldID(name, whole);
    });
}
void GetAllObjectsWithinRadius(ScriptCall& call)
{
    RadiusSearch(call, [](WorldCtrl& world, float x, float y, float radius, const char* name, bool whole) {
        return world.GetAllObjectsWithinRadius(x, y, radius, name, whole);
    });
}
void GetAllWallsWithinRadius(ScriptCall& call)
{
    RadiusSearch(call, [](WorldCtrl& world, float x, float y, float radius, const char* name, bool whole) {
        return world.GetAllWallsWithinRadius(x, y, radius, name, whole);
    });
}

void GetAllObjectsInLine(ScriptCall& call)
{
    call.SetTypeInt();
    if (!call.NeedCount(4, -1))
        return;
    call.SetInt(call.GetWorld().GetAllObjectsInLine(call.FloatArg(0), call.FloatArg(1), call.FloatArg(2),
                                                    call.FloatArg(3)));
}

void GetAllCreaturesAttacking(ScriptCall& call)
{
    call.SetTypeInt();
    if (WorldElem* elem = call.CountedObject(1, -1))
        call.SetInt(call.GetWorld().GetAllCreaturesAttacking(elem, false, false));
}

void GetAllObjectsWithParty(ScriptCall& call)
{
    call.SetTypeInt();
    if (!call.NeedCount(1, -1))
        return;
    call.SetInt(call.GetWorld().GetAllObjectsWithParty(call.Int(0)));
}

// The live members of a list of element references into the result list.
int32_t WriteMembers(ScriptCall& call, DynaMem<SmartPtr<WorldElem>, 32>& members)
{
    std::vector<int32_t> ids;
    for (int32_t i = 0; i < members.GetSize(); i++) {
        SmartPtr<WorldElem>* member = members.GetAt(i);
        if (member && member->Get())
            ids.push_back(member->Get()->m_ObjID);
    }
    return call.WriteObjList(ids.data(), int32_t(ids.size()));
}

// A mob number that the mob table does not hold is refused.
void GetAllCreaturesInMob(ScriptCall& call)
{
    call.SetTypeInt();
    if (!call.NeedCount(1, -1))
        return;
    MobData* mob = call.GetCtrl().GetMob(call.Int(0));
    if (!mob) {
        call.Refuse();
        return;
    }
    call.SetInt(WriteMembers(call, mob->members));
}

void GetSummonedCreatures(ScriptCall& call)
{
    call.SetTypeInt();
    CreatureObj* creature = call.CountedCreature(1, 2);
    if (!creature)
        return;
    creature->CleanSummonedList();
    std::vector<int32_t> ids;
    auto& summoned = creature->GetSummoned();
    for (int32_t i = 0; i < summoned.GetSize(); i++) {
        SmartPtr<WorldElem>* entry = summoned.GetAt(i);
        if (entry && entry->Get())
            ids.push_back(entry->Get()->m_ObjID);
    }
    call.SetInt(call.WriteObjList(ids.data(), int32_t(ids.size())));
}

// The inventory entries by their place in the element's item list.
void GetAllItemsInInventory(ScriptCall& call)
{
    call.SetTypeInt();
    WorldElem* elem = call.CountedObject(1, 1);
    if (!elem)
        return;
    std::vector<int32_t> ids;
    if (Inventory* inventory = elem->m_Inventory) {
        for (int32_t i = 0; i < inventory->GetCount(); i++)
            ids.push_back(inventory->GetItemListID(i));
    }
    call.SetInt(call.WriteObjList(ids.data(), int32_t(ids.size())));
}

void CountCreatures(ScriptCall& call, bool livingOnly)
{
    call.SetTypeInt();
    if (call.GetCount() > 0 && !call.NeedInt(0))
        return;
    call.SetInt(call.GetWorld().GetNumberOfCreatures(call.IntOr(0, -1), livingOnly));
}
void GetNumberOfCreatures(ScriptCall& call) { CountCreatures(call, false); }
void GetNumberOfAliveCreatures(ScriptCall& call) { CountCreatures(call, true); }

void GetNearestObjectWithCfgID(ScriptCall& call)
{
    call.SetTypeInt();
    if (!call.NeedCount(4, 5) || !call.NeedString(0))
        return;
    call.SetInt(call.GetWorld().GetNearestObjectWithCfgID(call.Text(0), call.FloatArg(1), call.FloatArg(2),
                                                          call.FloatArg(3), call.IntOr(4, 0) != 0));
}

void GetNearestCreature(ScriptCall& call)
{
    call.SetTypeInt();
    if (!call.NeedCount(3, 4))
        return;
    call.SetInt(call.GetWorld().GetNearestCreature(call.FloatArg(0), call.FloatArg(1), call.FloatArg(2),
                                                   call.IntOr(3, WorldElem::kPartyHostileToAll)));
}

void GetNearestEnemy(ScriptCall& call)
{
    call.SetTypeInt();
    if (WorldElem* elem = call.CountedObject(3, 4))
        call.SetInt(elem->FindNearestEnemyInView(call.FloatArg(1), call.FloatArg(2)));
}

void GetNearestObjectWithMass(ScriptCall& call)
{
    call.SetTypeInt();
    if (!call.NeedCount(3, 3))
        return;
    call.SetInt(
        call.GetWorld().GetNearestObjectWithMass(call.FloatArg(0), call.FloatArg(1), call.FloatArg(2)));
}

}  // namespace

ScriptBuiltinFamily ScriptFamilyPositions()
{
    static const ScriptBuiltinEntry entries[] = {
        {"GetPosX", GetPosX},
        {"GetPosY", GetPosY},
        {"GetPosLocalX", GetPosLocalX},
        {"GetPosLocalY", GetPosLocalY},
        {"GetHeight", GetHeight},
        {"GetAngle", GetAngle},
        {"GetAngleWorld", GetAngleWorld},
        {"GetCenterObjectX", GetCenterObjectX},
        {"GetCenterObjectY", GetCenterObjectY},
        {"GetCenterObjectZ", GetCenterObjectZ},
        {"GetAngleFront", GetAngleFront},
        {"GetRotSpd", GetRotSpd},
        {"GetConstantRotation", GetConstantRotation},
        {"GetMoveSpd", GetMoveSpd},
        {"GetPathMoveSpd", GetPathMoveSpd},
        {"GetAcStart", GetAcStart},
        {"GetIsFlying", GetIsFlying},
        {"GetWallPos", GetWallPos},
        {"Distance", Distance},
        {"DistanceFromLine", DistanceFromLine},
        {"AngleDistance", AngleDistance},
        {"GetIntersection", GetIntersection},
        {"GetFloorHeight", GetFloorHeight},
        {"GetPointPosition", GetPointPosition},
        {"GetAllObjectsWithCfgID", GetAllObjectsWithCfgID},
        {"GetAllObjectsWithinRadius", GetAllObjectsWithinRadius},
        {"GetAllWallsWithinRadius", GetAllWallsWithinRadius},
        {"GetAllObjectsInLine", GetAllObjectsInLine},
        {"GetAllCreaturesAttacking", GetAllCreaturesAttacking},
        {"GetAllCreaturesInMob", GetAllCreaturesInMob},
        {"GetAllObjectsWithWorldID", GetAllObjectsWithWorldID},
        {"GetAllWallsWithWorldID", GetAllWallsWithWorldID},
        {"GetAllLightsWithWorldID", GetAllLightsWithWorldID},
        {"GetAllObjectsWithParty", GetAllObjectsWithParty},
        {"GetSummonedCreatures", GetSummonedCreatures},
        {"GetAllItemsInInventory", GetAllItemsInInventory},
        {"GetNumberOfCreatures", GetNumberOfCreatures},
        {"GetNumberOfAliveCreatures", GetNumberOfAliveCreatures},
        {"GetNearestObjectWithCfgID", GetNearestObjectWithCfgID},
        {"GetNearestCreature", GetNearestCreature},
        {"GetNearestEnemy", GetNearestEnemy},
        {"GetNearestObjectWithMass", GetNearestObjectWithMass},
    };
    return {entries, std::size(entries)};
}
