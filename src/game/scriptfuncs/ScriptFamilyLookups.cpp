// ScriptFamilyLookups: the built-ins before 'H' that find world elements, walls and lights by world
// ID, type or name, follow parents, children and creators, and read one element's properties.
#include "game/scriptfuncs/ScriptBuiltinFamilies.h"

#include "game/ctrl/GameCtrl.h"
#include "game/objects/CreatureObj.h"
#include "game/objects/ItemObj.h"
#include "game/objects/SceneObject.h"
#include "game/scriptfuncs/ScriptCall.h"
#include "level/VSD_WallIntern.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

#include <iterator>
#include <vector>

namespace {

// The ID of an element (wall, light or object) or -1.
int32_t IdOf(const WorldElemGridBase* elem) { return elem ? elem->m_ObjID : -1; }

// "GetObject", "GetWall": a world ID and an optional report switch; a miss reported gives 0, a
// silent one -1.
void GetObject(ScriptCall& call)
{
    call.SetTypeInt();
    if (!call.NeedCount(1, 2) || !call.NeedString(0))
        return;
    int32_t start = 0;
    if (WorldElem* elem = call.GetWorld().FindObjectByWorldID(call.Text(0), &start))
        call.SetInt(elem->m_ObjID);
    else if (call.IntOr(1, 1) != 0)
        call.Error("Object with worldID '%s' not found", call.Text(0));
    else
        call.SetInt(-1);
}

void GetWall(ScriptCall& call)
{
    call.SetTypeInt();
    if (!call.NeedCount(1, 2) || !call.NeedString(0))
        return;
    if (VSD_WallIntern* wall = call.GetWorld().GetWallByWorldID(call.Text(0)))
        call.SetInt(wall->m_ObjID);
    else if (call.IntOr(1, 1) != 0)
        call.Error("Wall with worldID '%s' not found", call.Text(0));
    else
        call.SetInt(-1);
}

void GetLight(ScriptCall& call)
{
    call.SetTypeInt();
    if (!call.NeedCount(1, 1) || !call.NeedString(0))
        return;
    if (WorldElem* light = call.GetWorld().GetLightByWorldID(call.Text(0)))
        call.SetInt(light->m_ObjID);
    else
        call.Error("Light with worldID '%s' not found", call.Text(0));
}

void GetCfgObject(ScriptCall& call)
{
    call.SetTypeInt();
    if (!call.NeedCount(1, 2) || !call.NeedString(0))
        return;
    call.SetInt(call.GetWorld().GetCfgObject(call.Text(0), call.IntOr(1, 0)));
}

void GetNameObject(ScriptCall& call)
{
    call.SetTypeInt();
    if (!call.NeedCount(1, 2) || !call.NeedString(0))
        return;
    call.SetInt(call.GetWorld().GetNameObject(call.Text(0), call.IntOr(1, 0), true));
}

void GetMobID(ScriptCall& call)
{
    call.SetTypeInt();
    WorldElem* elem = call.CountedObject(1, 1);
    if (!elem)
        return;
    MobData* mob = elem->IsCreature() ? static_cast<CreatureObj*>(elem)->m_MobData.Get() : nullptr;
    call.SetInt(mob ? mob->mobNumber : -1);
}

void GetParent(ScriptCall& call)
{
    call.SetTypeInt();
    if (!call.NeedCount(1, -1) || !call.NeedInt(0))
        return;
    if (WorldElem* elem = call.Object(0))
        call.SetInt(IdOf(elem->m_Parent.Get()));
}

// "GetWallObject" and "GetWallParent": the element a wall is attached to.
void GetWallParent(ScriptCall& call)
{
    call.SetTypeInt();
    if (!call.NeedCount(1, 1) || !call.NeedInt(0))
        return;
    if (VSD_WallIntern* wall = call.Wall(0))
        call.SetInt(IdOf(wall->m_Parent.Get()));
}

void GetWallChildren(ScriptCall& call)
{
    call.SetTypeInt();
    if (!call.NeedCount(1, -1) || !call.NeedInt(0))
        return;
    WorldElem* elem = call.Object(0);
    if (!elem)
        return;
    if (elem->m_TypeCode != ElemType::kItem) {
        call.Refuse();
        return;
    }
    const auto* item = static_cast<ItemObj*>(elem);
    std::vector<int32_t> ids;
    for (int32_t i = 0; i < item->GetWallCount(); i++) {
        const WallChildData& record = item->GetWallRecord(i);
        ids.push_back(record.wall.Get() ? record.wall->m_ObjID : record.wallID);
    }
    call.SetInt(call.WriteObjList(ids.data(), int32_t(ids.size())));
}

void GetChild(ScriptCall& call)
{
    call.SetTypeInt();
    WorldElem* elem = call.CountedObject(2, -1);
    if (!elem)
        return;
    call.SetInt(-1);
    const int32_t index = call.Int(1);
    if (index < 0 || index >= elem->m_Children.GetSize())
        return;
    SmartPtr<WorldElemGridBase>* entry = elem->m_Children.GetAt(index);
    const WorldElemGridBase* child = entry ? entry->Get() : nullptr;
    if (child && WorldElem::IsActiveType(child->m_TypeCode) && child->m_TypeCode != ElemType::kLight)
        call.SetInt(child->m_ObjID);
}

void GetNumChilds(ScriptCall& call)
{
    call.SetTypeInt();
    if (WorldElem* elem = call.CountedObject(1, -1))
        call.SetInt(elem->m_Children.GetSize());
}

void GetCreator(ScriptCall& call)
{
    call.SetTypeInt();
    if (WorldElem* elem = call.CountedObject(1, -1))
        call.SetInt(IdOf(elem->m_Creator.Get()));
}

void GetObjectType(ScriptCall& call)
{
    call.SetTypeInt();
    if (WorldElem* elem = call.CountedObject(1, -1))
        call.SetInt(int16_t(elem->m_TypeCode));
}

// Entry n (from 1) of an element's or wall's eight script numbers; one outside them is refused.
void ReadScriptFloat(ScriptCall& call, WorldElemBase& elem)
{
    const int32_t n = call.IntOr(1, 1);
    if (n < 1 || n > WorldElemBase::kScriptTemps) {
        call.Refuse();
        return;
    }
    call.SetFloat(elem.m_ScriptTemp[n - 1]);
}

void GetObjectFloat(ScriptCall& call)
{
    call.SetTypeFloat();
    if (WorldElem* elem = call.CountedObject(1, 2))
        ReadScriptFloat(call, *elem);
}

void GetWallFloat(ScriptCall& call)
{
    call.SetTypeFloat();
    if (VSD_WallIntern* wall = call.CountedWall(1, 2))
        ReadScriptFloat(call, *wall);
}

void GetObjectString(ScriptCall& call)
{
    call.SetTypeString();
    if (WorldElem* elem = call.CountedObject(1, -1))
        call.SetString(elem->m_ObjValues.scriptString.c_str());
}

void GetObjectSound(ScriptCall& call)
{
    call.SetTypeString();
    if (!call.NeedCount(2, -1))
        return;
    WorldElem* elem = call.Object(0);
    const int32_t n = call.Int(1);
    if (elem && n >= 0 && n < WorldElem::kSounds)
        call.SetString(elem->m_Sounds[n].c_str());
}

int32_t UseStateOf(WorldElem& elem)
{
    return elem.m_TypeCode == ElemType::kItem ? static_cast<ItemObj&>(elem).m_OpenState : 0;
}

void GetUseState(ScriptCall& call)
{
    call.SetTypeInt();
    WorldElem* elem = call.CountedObject(1, 1);
    if (!elem)
        return;
    if (elem->m_TypeCode != ElemType::kItem)
        call.Error("Can not GetUseState() on none-object");
    call.SetInt(UseStateOf(*elem));
}

void GetWallUseState(ScriptCall& call)
{
    call.SetTypeInt();
    if (!call.NeedCount(1, 1) || !call.NeedInt(0))
        return;
    VSD_WallIntern* wall = call.Wall(0);
    if (!wall)
        return;
    auto* owner = dynamic_cast<WorldElem*>(wall->m_Parent.Get());
    if (!owner || owner->m_TypeCode != ElemType::kItem)
        call.Error("No item attached to wall in order to get UseState");
    if (owner)
        call.SetInt(int16_t(UseStateOf(*owner)));
}

// The scene object of a creature or item; others are warned about by the caller's name.
SceneObject* SceneObjectOf(ScriptCall& call, const char* warning)
{
    WorldElem* elem = call.CountedObject(1, -1);
    if (!elem)
        return nullptr;
    if (!elem->IsCreatureOrItem()) {
        call.Warning("%s", warning);
        return nullptr;
    }
    return static_cast<SceneObject*>(elem);
}

void GetScale3D(ScriptCall& call)
{
    SceneObject* object = SceneObjectOf(call, "GetScale3D() used on none scene object");
    if (!object)
        return;
    const float scale[3] = {object->m_Scale[0] * object->m_Mirror[0], object->m_Scale[1] * object->m_Mirror[1],
                            object->m_Scale[2] * object->m_Mirror[2]};
    call.WriteFloatTemps(0, scale, 3);
}

// Scene objects turn about the vertical axis only.
void GetRotAxisAngle(ScriptCall& call)
{
    SceneObject* object = SceneObjectOf(call, "GetRotAxisAngle() used on none scene object");
    if (!object)
        return;
    const float axisAngle[4] = {0.0f, 0.0f, 1.0f, object->GetAngle()};
    call.WriteFloatTemps(0, axisAngle, 4);
}

// The property getters: the result type first, then exactly one ID.
void GetCfgID(ScriptCall& call)
{
    call.SetTypeString();
    if (WorldElem* elem = call.CountedObject(1, 1))
        call.SetString(elem->m_CfgID.c_str());
}
void GetWorldID(ScriptCall& call)
{
    call.SetTypeString();
    if (WorldElem* elem = call.CountedObject(1, 1))
        call.SetString(elem->m_WorldID.c_str());
}
void GetName(ScriptCall& call)
{
    call.SetTypeString();
    if (WorldElem* elem = call.CountedObject(1, 1))
        call.SetString(String(elem->GetDisplayName()).c_str());
}
void GetWallCfgID(ScriptCall& call)
{
    call.SetTypeString();
    if (VSD_WallIntern* wall = call.CountedWall(1, 1))
        call.SetString(wall->m_CfgID.c_str());
}
void GetWallWorldID(ScriptCall& call)
{
    call.SetTypeString();
    if (VSD_WallIntern* wall = call.CountedWall(1, 1))
        call.SetString(wall->m_WorldID.c_str());
}
void GetWallSolid(ScriptCall& call)
{
    call.SetTypeInt();
    if (VSD_WallIntern* wall = call.CountedWall(1, 1))
        call.SetInt(wall->m_Solid != 0);
}
void GetWallString(ScriptCall& call)
{
    call.SetTypeString();
    if (VSD_WallIntern* wall = call.CountedWall(1, 1))
        call.SetString(wall->m_ScriptString.c_str());
}
void GetParty(ScriptCall& call)
{
    call.SetTypeInt();
    if (WorldElem* elem = call.CountedObject(1, 1))
        call.SetInt(elem->GetParty());
}
void GetSolid(ScriptCall& call)
{
    call.SetTypeInt();
    if (WorldElem* elem = call.CountedObject(1, 1))
        call.SetInt(elem->m_Solid != 0);
}
void GetCanMoveThroughFlags(ScriptCall& call)
{
    call.SetTypeInt();
    if (WorldElem* elem = call.CountedObject(1, 1))
        call.SetInt(elem->m_CanMoveThrough);
}
void GetSpecialMark(ScriptCall& call)
{
    call.SetTypeInt();
    if (WorldElem* elem = call.CountedObject(1, 1))
        call.SetInt(elem->m_ObjValues.specialMark);
}
void GetMass(ScriptCall& call)
{
    call.SetTypeFloat();
    if (WorldElem* elem = call.CountedObject(1, 1))
        call.SetFloat(elem->m_Mass);
}
void GetSize(ScriptCall& call)
{
    call.SetTypeFloat();
    if (WorldElem* elem = call.CountedObject(1, 1))
        call.SetFloat(elem->GetRadius());
}
void GetInitTime(ScriptCall& call)
{
    call.SetTypeFloat();
    if (WorldElem* elem = call.CountedObject(1, 1))
        call.SetFloat(elem->m_TimeAdded);
}
void GetLifeSpan(ScriptCall& call)
{
    call.SetTypeFloat();
    if (WorldElem* elem = call.CountedObject(1, 1))
        call.SetFloat(elem->GetLifeSpanLeft());
}
void GetFadeOutValue(ScriptCall& call)
{
    call.SetTypeFloat();
    if (WorldElem* elem = call.CountedObject(1, 1))
        call.SetFloat(elem->m_FadeOutValue);
}

}  // namespace

// "GetWorldID" stands twice in the chain's order; its first entry is this one.
ScriptBuiltinFamily ScriptFamilyLookups()
{
    static const ScriptBuiltinEntry entries[] = {
        {"GetObject", GetObject},
        {"GetWall", GetWall},
        {"GetLight", GetLight},
        {"GetCfgObject", GetCfgObject},
        {"GetNameObject", GetNameObject},
        {"GetMobID", GetMobID},
        {"GetParent", GetParent},
        {"GetWallObject", GetWallParent},
        {"GetWallParent", GetWallParent},
        {"GetWallChildren", GetWallChildren},
        {"GetChild", GetChild},
        {"GetNumChilds", GetNumChilds},
        {"GetCreator", GetCreator},
        {"GetCfgID", GetCfgID},
        {"GetWallCfgID", GetWallCfgID},
        {"GetWorldID", GetWorldID},
        {"GetWallWorldID", GetWallWorldID},
        {"GetName", GetName},
        {"GetObjectType", GetObjectType},
        {"GetParty", GetParty},
        {"GetSolid", GetSolid},
        {"GetMass", GetMass},
        {"GetSize", GetSize},
        {"GetWallSolid", GetWallSolid},
        {"GetCanMoveThroughFlags", GetCanMoveThroughFlags},
        {"GetSpecialMark", GetSpecialMark},
        {"GetInitTime", GetInitTime},
        {"GetLifeSpan", GetLifeSpan},
        {"GetFadeOutValue", GetFadeOutValue},
        {"GetObjectFloat", GetObjectFloat},
        {"GetObjectString", GetObjectString},
        {"GetWallFloat", GetWallFloat},
        {"GetWallString", GetWallString},
        {"GetObjectSound", GetObjectSound},
        {"GetUseState", GetUseState},
        {"GetWallUseState", GetWallUseState},
        {"GetScale3D", GetScale3D},
        {"GetRotAxisAngle", GetRotAxisAngle},
    };
    return {entries, std::size(entries)};
}
