// ScriptFamilyElementStateHtoZ: the built-ins from 'H' on that test world elements and set their
// position, size and look. The animation, path, name, link and handler setters are the family
// of ScriptFamilyElementLinksHtoZ.cpp.
#include "game/scriptfuncs/ScriptBuiltinFamilies.h"

#include "base/Color.h"
#include "game/ctrl/GameCtrl.h"
#include "game/objects/ItemObj.h"
#include "game/objects/SceneObject.h"
#include "game/scriptfuncs/ScriptCall.h"
#include "world/ProjectileBase.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

#include <cmath>
#include <cstdint>
#include <iterator>

namespace {

// The element of the first argument after the count test; null after either report.
WorldElem* Counted(ScriptCall& call, int32_t minimum, int32_t maximum) { return call.CountedObject(minimum, maximum); }

// Creatures and items are the scene objects; other elements are passed over in silence.
SceneObject* SceneOf(WorldElem* elem) { return elem && elem->IsCreatureOrItem() ? static_cast<SceneObject*>(elem) : nullptr; }

ItemObj* ItemOf(WorldElem* elem) { return elem && elem->m_TypeCode == ElemType::kItem ? static_cast<ItemObj*>(elem) : nullptr; }

// ---- tests

void IsAniLooped(ScriptCall& call)
{
    WorldElem* elem = Counted(call, 1, -1);
    if (!elem)
        return;
    ItemObj* item = ItemOf(elem);
    if (!item) {
        call.Error("Can not IsAniLooped() on none-object");
        return;
    }
    call.SetInt(item->m_LoopAni != 0);
}

void IsValidObject(ScriptCall& call)
{
    call.SetTypeInt();
    if (call.NeedCount(1, 1))
        call.SetInt(call.GetWorld().IsValidObjID(call.Int(0)));
}

void IsProjectile(ScriptCall& call)
{
    call.SetTypeInt();
    if (WorldElem* elem = Counted(call, 1, 1))
        call.SetInt(elem->m_TypeCode == ElemType::kProjectile);
}

void IsValidWorldID(ScriptCall& call)
{
    call.SetTypeInt();
    if (!call.NeedCount(1, 1) || !call.NeedString(0))
        return;
    int32_t start = 0;
    call.SetInt(call.GetWorld().FindObjectByWorldID(call.Text(0), &start) != nullptr);
}

void IsInObject(ScriptCall& call)
{
    call.SetTypeInt();
    if (!call.NeedCount(2, -1))
        return;
    const int32_t found =
        call.GetWorld().FindElementAtPoint(call.FloatArg(0), call.FloatArg(1), call.FloatArg(2), false, false, nullptr);
    call.WriteObjList(&found, 1);
    call.SetInt(found >= 0);
}

void IsPositionWithinActiveArea(ScriptCall& call)
{
    call.SetTypeInt();
    if (call.NeedCount(2, 3))
        call.SetInt(call.GetWorld().IsInActiveArea(call.FloatArg(0), call.FloatArg(1)));
}

void IsLineClearBetweenObjs(ScriptCall& call)
{
    call.SetTypeInt();
    if (!call.NeedCount(2, 3))
        return;
    WorldElem* a = call.Object(0);
    WorldElem* b = a ? call.Object(1) : nullptr;
    if (b)
        call.SetInt(call.GetWorld().IsLineClearBetween(a, b) != 0);
}

// No viewport on the server: nothing is on screen.
void IsObjectOnScreen(ScriptCall& call)
{
    call.SetTypeInt();
    if (WorldElem* elem = Counted(call, 1, -1))
        call.SetInt(elem->IsOnScreen());
}

void Vect2Angle(ScriptCall& call)
{
    call.SetTypeFloat();
    if (call.NeedCount(2, 2))
        call.SetFloat(std::atan2(call.FloatArg(1), call.FloatArg(0)));
}

// ---- position, size and look

void SetPos(ScriptCall& call)
{
    WorldElem* elem = Counted(call, 3, -1);
    if (!elem)
        return;
    if (call.IntOr(3, 1) != 0)
        elem->InvalidateGroundHeight();
    elem->SetPos(call.FloatArg(1), call.FloatArg(2));
}

void SetHeight(ScriptCall& call)
{
    if (WorldElem* elem = Counted(call, 2, 2)) {
        elem->SetHeight(call.FloatArg(1));
        call.Forward(2, elem, 1, 1);
    }
}

void SetAngle(ScriptCall& call)
{
    if (WorldElem* elem = Counted(call, 2, 2))
        elem->SetAngle(call.FloatArg(1));
}

void SetOpacity(ScriptCall& call)
{
    if (WorldElem* elem = Counted(call, 2, 2))
        elem->m_Opacity = call.FloatArg(1);
}

// The object and the parts attached to it.
void SetOpacityOfTree(WorldElemGridBase& elem, float opacity)
{
    elem.m_Opacity = opacity;
    if (auto* base = dynamic_cast<WorldElemBase*>(&elem))
        base->ForEachChild([opacity](WorldElemGridBase& child) { SetOpacityOfTree(child, opacity); });
}

void SetObjectOpacity(ScriptCall& call)
{
    if (WorldElem* elem = Counted(call, 2, 2)) {
        SetOpacityOfTree(*elem, call.FloatArg(1));
        call.Forward(2, elem, 1, 1);
    }
}

void SetSize(ScriptCall& call)
{
    if (WorldElem* elem = Counted(call, 2, 2)) {
        elem->m_Radius = call.FloatArg(1);
        elem->m_ObjValues.size = elem->m_Radius;
    }
}

void SetVSize(ScriptCall& call)
{
    WorldElem* elem = Counted(call, 2, 2);
    if (!elem)
        return;
    elem->m_ObjValues.visSize = call.FloatArg(1);
    if (SceneObject* scene = dynamic_cast<SceneObject*>(elem))
        scene->m_ViewMargin = elem->m_ObjValues.visSize;
}

void SetMass(ScriptCall& call)
{
    if (WorldElem* elem = Counted(call, 2, 2))
        elem->m_Mass = call.FloatArg(1);
}

void SetScale3D(ScriptCall& call)
{
    WorldElem* elem = Counted(call, 4, -1);
    if (!elem)
        return;
    if (SceneObject* scene = SceneOf(elem))
        scene->SetScale(call.FloatArg(1), call.FloatArg(2), call.FloatArg(3), call.IntOr(4, 0) != 0, call.IntOr(5, 0) != 0);
    else
        call.Warning("SetScale3D() used on none scene object");
    call.Forward(call.GetCount(), elem, 1, 1);
}

void SetRotAxisAngle(ScriptCall& call)
{
    WorldElem* elem = Counted(call, 5, -1);
    if (!elem)
        return;
    if (SceneObject* scene = SceneOf(elem)) {
        scene->m_TiltAxis = D3DXVECTOR3(call.FloatArg(1), call.FloatArg(2), call.FloatArg(3));
        scene->m_TiltAngle = call.FloatArg(4);
    } else {
        call.Warning("SetRotAxisAngle() used on none scene object");
    }
    call.Forward(call.GetCount(), elem, 1, 1);
}

void SetGlowType(ScriptCall& call)
{
    WorldElem* elem = Counted(call, 2, -1);
    if (!elem)
        return;
    if (ItemObj* item = ItemOf(elem))
        item->m_Graphics.glowType = int16_t(call.Int(1));
    else
        call.Warning("SetGlowType() used on none object");
    call.Forward();
}

void SetHighlight(ScriptCall& call)
{
    WorldElem* elem = Counted(call, 2, 2);
    if (SceneObject* scene = SceneOf(elem)) {
        scene->m_HighlightMode = int16_t(call.Int(1));
        call.Forward(2, elem, 1, 1);
    }
}

void SetColor(ScriptCall& call)
{
    WorldElem* elem = Counted(call, 7, 7);
    SceneObject* scene = SceneOf(elem);
    if (!scene)
        return;
    for (int32_t i = 0; i < 3; i++) {
        scene->m_ColourFactor1[i] = call.FloatArg(1 + i);
        scene->m_ColourFactor3[i] = call.FloatArg(1 + i);
        scene->m_ColourFactor2[i] = call.FloatArg(4 + i);
    }
    call.Forward(7, elem, 1, 1);
}

void SetColorAdd(ScriptCall& call)
{
    WorldElem* elem = Counted(call, 4, 4);
    SceneObject* scene = SceneOf(elem);
    if (!scene)
        return;
    scene->m_Colour = Color::FromFloats(call.FloatArg(1), call.FloatArg(2), call.FloatArg(3)) & 0x00FFFFFFu;
    call.Forward(4, elem, 1, 1);
}

// Creatures keep no render record of their own: the blend type is an item's.
void SetBlendType(ScriptCall& call)
{
    if (ItemObj* item = ItemOf(SceneOf(Counted(call, 2, 2))))
        item->m_Graphics.blendType = call.Int(1);
}

void SetFloorObject(ScriptCall& call)
{
    if (SceneObject* scene = SceneOf(Counted(call, 2, 2)))
        scene->m_FloorObject = int16_t(call.Int(1));
}

void SetFadeOutIfInView(ScriptCall& call)
{
    WorldElem* elem = Counted(call, 2, 2);
    SceneObject* scene = SceneOf(elem);
    if (!scene)
        return;
    const float value = call.FloatArg(1);
    scene->m_FadeOutIfInView = value != 0.0f ? 1 : 0;
    if (ItemObj* item = ItemOf(elem))
        item->m_Graphics.fadeOutIfInView = value;
    call.Forward(2, elem, 1, 1);
}

void SetObjectShader(ScriptCall& call)
{
    if (!call.NeedCount(2, -1))
        return;
    WorldElem* elem = call.Object(0);
    SceneObject* scene = SceneOf(elem);
    if (!scene)
        return;
    const char* name = call.Text(1);
    scene->SetShader(String(name ? name : ""), call.IntOr(2, 0) != 0);
    call.Forward(call.GetCount(), elem, 1, 1);
}

void SetSpecialMark(ScriptCall& call)
{
    if (WorldElem* elem = Counted(call, 2, 3))
        elem->m_ObjValues.specialMark = int16_t(call.Int(1));
}

void SetSolid(ScriptCall& call)
{
    WorldElem* elem = Counted(call, 2, -1);
    if (!elem)
        return;
    const int32_t solid = call.Int(1);
    elem->SetSolid(solid != 0 ? 1 : 0);
    elem->m_BlocksShots = call.IntOr(2, solid) != 0 ? 1 : 0;
    call.Forward(call.GetCount(), elem, 1, 1);
}

// An element that is not active is skipped by the line tests and queries.
void SetActive(ScriptCall& call)
{
    if (WorldElem* elem = Counted(call, 2, 2))
        elem->m_IgnoreInQueries = call.Int(1) == 0 ? 1 : 0;
}

void SetLifeSpan(ScriptCall& call)
{
    if (WorldElem* elem = Counted(call, 2, 2)) {
        elem->SetLifeSpan(call.FloatArg(1));
        call.Forward(2, elem, 1, 1);
    }
}

void SetProjectileMaxDist(ScriptCall& call)
{
    WorldElem* elem = Counted(call, 2, 2);
    if (elem && elem->m_TypeCode == ElemType::kProjectile)
        static_cast<ProjectileBase*>(elem)->m_Range = call.FloatArg(1);
}

void SetConstantRotation(ScriptCall& call)
{
    if (WorldElem* elem = Counted(call, 2, -1)) {
        elem->SetRotationSpeed(call.FloatArg(1));
        call.Forward(call.GetCount(), elem, 1, 1);
    }
}

}  // namespace

ScriptBuiltinFamily ScriptFamilyElementStateHtoZ()
{
    static const ScriptBuiltinEntry entries[] = {
        {"IsAniLooped", IsAniLooped},
        {"SetPos", SetPos},
        {"SetHeight", SetHeight},
        {"SetAngle", SetAngle},
        {"IsInObject", IsInObject},
        {"IsValidObject", IsValidObject},
        {"IsProjectile", IsProjectile},
        {"IsValidWorldID", IsValidWorldID},
        {"SetOpacity", SetOpacity},
        {"SetSize", SetSize},
        {"SetVSize", SetVSize},
        {"SetObjectOpacity", SetObjectOpacity},
        {"SetObjectShader", SetObjectShader},
        {"SetSolid", SetSolid},
        {"SetMass", SetMass},
        {"SetFloorObject", SetFloorObject},
        {"SetBlendType", SetBlendType},
        {"SetFadeOutIfInView", SetFadeOutIfInView},
        {"SetLifeSpan", SetLifeSpan},
        {"SetActive", SetActive},
        {"SetColor", SetColor},
        {"SetColorAdd", SetColorAdd},
        {"SetScale3D", SetScale3D},
        {"SetRotAxisAngle", SetRotAxisAngle},
        {"SetGlowType", SetGlowType},
        {"Vect2Angle", Vect2Angle},
        {"SetHighlight", SetHighlight},
        {"IsObjectOnScreen", IsObjectOnScreen},
        {"IsPositionWithinActiveArea", IsPositionWithinActiveArea},
        {"SetProjectileMaxDist", SetProjectileMaxDist},
        {"IsLineClearBetweenObjs", IsLineClearBetweenObjs},
        {"SetConstantRotation", SetConstantRotation},
        {"SetSpecialMark", SetSpecialMark},
    };
    return {entries, std::size(entries)};
}
