// ItemObj: construction, reset and copy, the element answers (opacity, use, interaction, the
// collision flag and box), the scale with its walls and the placement with the fade scene.
#include "game/objects/ItemObj.h"

#include "base/Random.h"
#include "level/VSD_WallIntern.h"
#include "world/GameCtrlInterface.h"
#include "world/Inventory.h"

#include <algorithm>
#include <cmath>

ItemObj::ItemObj()
{
    CopyName32(this, "ItemObj");
    ResetItemObj();
}

ItemObj::ItemObj(const ItemObj& other) : SceneObject(other)
{
    CopyName32(this, "ItemObj");
    ResetItemObj();
    CopyItemObj(other);
}

ItemObj& ItemObj::operator=(const ItemObj& other)
{
    if (this != &other) {
        SceneObject::operator=(other);
        CopyItemObj(other);
    }
    return *this;
}

ItemObj::~ItemObj() { ReleaseWalls(); }

void ItemObj::Reset()
{
    ReleaseWalls();
    SceneObject::Reset();
    ResetItemObj();
}

void ItemObj::ResetItemObj()
{
    m_TypeCode = ElemType::kItem;
    m_FailedUseScript = String();
    m_WallsAsCollisionBox = 0;
    m_CurrentAniTime = 0.0f;
    m_LoopAni = 0;
    m_ClosedTime = 0.0f;
    m_OpenTime = 0.0f;
    m_Count = 0;
    m_ItemViewMargin = 32.0f;
    m_ItemSettingInt = 1;
    m_ItemSettingInt2 = 0;
    m_IndexSetting = -1;
    m_RotationKind = kNoTurn;
    m_KeyNumber = 0;
    m_OpenState = 0;
    m_FadeScene = nullptr;
    m_GroupNumber = 0;
    m_Sticky = 0;
    m_ToggleOnUse = 0;
    m_OpacityFromLinkedWall = 1;
    m_CustomUse = 0;
    m_AniOffset = 0.0;
    m_RandomStart = 0;
    m_StartBounds[0] = m_StartBounds[1] = 0.0f;
    m_AIData = nullptr;
    m_3dObjIndex = -1;
    m_SceneEntry = -1;
    m_SceneFile = wString();
    m_OwnedScene.reset();
    m_BackScene.reset();
    m_RenderData.reset();
    m_Graphics = ObjGraphics();
    m_AniStart = 0.0;
    m_BackDraw = 0.0f;
    m_Walls.clear();
    m_SavedWalls.clear();
    m_SurvivingWalls.clear();
    m_LinkedWall = nullptr;
    m_LinkedWallID = -1;
}

void ItemObj::CopyItemObj(const ItemObj& other)
{
    m_TypeCode = other.m_TypeCode;
    m_FailedUseScript = other.m_FailedUseScript;
    m_WallsAsCollisionBox = other.m_WallsAsCollisionBox;
    m_CurrentAniTime = other.m_CurrentAniTime;
    m_LoopAni = other.m_LoopAni;
    m_ClosedTime = other.m_ClosedTime;
    m_OpenTime = other.m_OpenTime;
    m_Count = other.m_Count;
    m_ItemViewMargin = other.m_ItemViewMargin;
    m_ItemSettingInt = other.m_ItemSettingInt;
    m_ItemSettingInt2 = other.m_ItemSettingInt2;
    m_IndexSetting = other.m_IndexSetting;
    m_RotationKind = other.m_RotationKind;
    m_KeyNumber = other.m_KeyNumber;
    m_OpenState = other.m_OpenState;
    m_GroupNumber = other.m_GroupNumber;
    m_Sticky = other.m_Sticky;
    m_ToggleOnUse = other.m_ToggleOnUse;
    m_OpacityFromLinkedWall = other.m_OpacityFromLinkedWall;
    m_CustomUse = other.m_CustomUse;
    m_AniOffset = other.m_AniOffset;
    m_RandomStart = other.m_RandomStart;
    m_StartBounds[0] = other.m_StartBounds[0];
    m_StartBounds[1] = other.m_StartBounds[1];
    m_3dObjIndex = other.m_3dObjIndex;
    m_SceneEntry = other.m_SceneEntry;
    m_SceneFile = other.m_SceneFile;
    m_OwnedScene = other.m_OwnedScene;
    m_BackScene = other.m_BackScene;
    m_RenderData = other.m_RenderData;
    m_Graphics = other.m_Graphics;
    m_AniStart = other.m_AniStart;
    m_BackDraw = other.m_BackDraw;
}

void ItemObj::CloneInto(ItemObj& other)
{
    if (&other == this)
        return;
    other.Reset();
    other.CopyFrom(*this);
    if (m_RandomStart) {
        const double low = m_StartBounds[0];
        const double high = m_StartBounds[1];
        other.m_AutoActionTimeOffset = low + (high - low) * Random::Float01();
    }
    CopyItemsTo(other);
}

float ItemObj::GetOpacity() const
{
    const float opacity = SceneObject::GetOpacity();
    const VSD_WallIntern* wall = m_LinkedWall.Get();
    if (!m_OpacityFromLinkedWall || !wall)
        return opacity;
    return opacity * wall->m_Opacity * wall->m_WallOpacity;  // the wall's fade and its own opacity
}

void ItemObj::DeleteChildren(bool keep)
{
    SceneObject::DeleteChildren(keep);
    RemoveWalls(keep);
}

bool ItemObj::AllowsInteraction(int32_t a, int32_t b)
{
    (void)a;
    (void)b;
    return m_Sticky == 0;
}

bool ItemObj::IsUsable()
{
    if (m_RotationKind != kNoTurn)
        return true;
    if (m_CustomUse)
        return m_Inventory && m_Inventory->GetCount() > 0;
    // The element's uses (-1 unlimited, 0 used up) stand for its use mode.
    if (m_OpenTime != m_ClosedTime && m_UsesLeft >= 1)
        return true;
    return m_UsesLeft != 0 && SceneObject::IsUsable();
}

bool ItemObj::OnUse(int32_t flag, int32_t userID, int32_t arg)
{
    if (flag)
        return SceneObject::OnUse(flag, userID, arg);
    return Use(userID, arg != 0) != 0;
}

int32_t ItemObj::Use(int32_t userID, bool keyFlag)
{
    if (keyFlag && m_KeyNumber > 0 && userID >= 0) {
        if (g_GameCtrl)
            g_GameCtrl->UseKey(this, userID, m_KeyNumber);
        return 0;
    }
    if (m_UsesLeft != 0)
        SceneObject::OnUse(0, userID, 0);  // the OnUse script
    if (!m_CustomUse && userID == 0 && m_ToggleOnUse)
        SwitchOpenState(m_OpenState + 1, false);
    return 1;
}

uint8_t ItemObj::SetSolid(uint8_t solid)
{
    if (!m_WallsAsCollisionBox)
        return SceneObject::SetSolid(solid);
    for (WallChildData& record : m_Walls)
        if (VSD_WallIntern* wall = record.wall.Get())
            wall->m_Solid = solid;
    return solid;
}

bool ItemObj::IsInBox(float x, float y, float radius)
{
    if (!m_WallsAsCollisionBox || GetWallCount() < 4)
        return SceneObject::IsInRange(x, y, radius);
    const D3DXVECTOR2 pos = GetPos();
    const float a = GetAngle();
    const float c = std::cos(a);
    const float s = std::sin(a);
    const float dx = x - pos.x;
    const float dy = y - pos.y;
    const float u = dx * c + dy * s;  // turned back into the item's frame
    const float v = -dx * s + dy * c;
    const WallChildData& first = m_Walls[0];
    const WallChildData& second = m_Walls[1];
    const float x0 = std::min(first.x1, first.x2) - radius;
    const float x1 = std::max(first.x1, first.x2) + radius;
    const float y0 = std::min(second.y1, second.y2) - radius;
    const float y1 = std::max(second.y1, second.y2) + radius;
    return u > x0 && u < x1 && v > y0 && v < y1;
}

void ItemObj::Update(float dt)
{
    SceneObject::Update(dt);
    UpdateDoor();
}

void ItemObj::Draw(int32_t a, int32_t b, int32_t c)
{
    (void)a;
    (void)b;
    (void)c;
}

bool ItemObj::IsSceneReplaced() const
{
    return m_FadeScene && m_FadeStrength >= 1.0f && m_FadeValue >= 1.0f;
}

bool ItemObj::IsFadeSceneShown() const { return m_FadeScene && m_FadeValue > 0.0f; }

void ItemObj::SetTransformation(float extraHeight, bool useStoredPos)
{
    if (!IsSceneReplaced())
        SceneObject::SetTransformation(extraHeight, useStoredPos);
    if (IsFadeSceneShown())
        PlaceScene(*m_FadeScene, extraHeight, useStoredPos);
}

void ItemObj::SetTransformationCleanUp()
{
    if (!IsSceneReplaced())
        SceneObject::SetTransformationCleanUp();
    if (IsFadeSceneShown())
        UnmirrorScene(*m_FadeScene);
}

void ItemObj::SetScale(float x, float y, float z, bool scaleWalls, bool adjustRadius)
{
    const float oldX = m_Scale[0];
    const float oldY = m_Scale[1];
    SceneObject::SetScale(x, y, z, scaleWalls, adjustRadius);
    if (!scaleWalls)
        return;
    // An axis whose old scale vanished gives no ratio: its wall coordinates stay as they are.
    const float fx = oldX != 0.0f ? m_Scale[0] / oldX : 1.0f;
    const float fy = oldY != 0.0f ? m_Scale[1] / oldY : 1.0f;
    for (WallChildData& record : m_Walls) {
        record.x1 *= fx;
        record.x2 *= fx;
        record.y1 *= fy;
        record.y2 *= fy;
    }
    UpdateWallPositions();
}
