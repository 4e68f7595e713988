// WorldElem: construction, copy and reset, the party relation and errors named by the cfgID.
#include "world/WorldElem.h"

#include "base/Log.h"
#include "world/GameCtrlInterface.h"
#include "world/Inventory.h"
#include "world/InventoryItem.h"
#include "world/ScriptReaderGameEngine.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

WorldElem::WorldElem()
{
    CopyName32(this, "WorldElem");
    ResetElem();
}

WorldElem::WorldElem(const WorldElem& other) : WorldElemBase(other) { CopyElemState(other); }

WorldElem& WorldElem::operator=(const WorldElem& other)
{
    if (this != &other) {
        WorldElemBase::operator=(other);
        CopyElemState(other);
    }
    return *this;
}

WorldElem::~WorldElem()
{
    delete m_Inventory;
    delete m_LinkedItem;
}

void WorldElem::CopyElemState(const WorldElem& other)
{
    m_Name = other.m_Name;
    m_VisMarks = other.m_VisMarks;
    m_Creator = other.m_Creator;
    m_SavedCreatorRef = other.m_SavedCreatorRef;
    m_Master = other.m_Master.Get() == this ? nullptr : other.m_Master.Get();
    m_SavedMasterRef = other.m_SavedMasterRef;
    m_NetTargetX = other.m_NetTargetX;
    m_NetTargetY = other.m_NetTargetY;
    m_NetTargetAngle = other.m_NetTargetAngle;
    m_NetVelocityX = other.m_NetVelocityX;
    m_NetVelocityY = other.m_NetVelocityY;
    m_NetSmoothTime = other.m_NetSmoothTime;
    m_OnUse = other.m_OnUse;
    m_OnDamage = other.m_OnDamage;
    m_OnInit = other.m_OnInit;
    for (int32_t i = 0; i < 3; i++) {
        m_SavedTexts[i] = other.m_SavedTexts[i];
        m_MoreTexts[i] = other.m_MoreTexts[i];
    }
    m_SecondName = other.m_SecondName;
    m_UsesLeft = other.m_UsesLeft;
    for (int32_t i = 0; i < 3; i++)
        m_Pivot[i] = other.m_Pivot[i];
    m_SecondAngle = other.m_SecondAngle;
    for (int32_t i = 0; i < kSounds; i++)
        m_Sounds[i] = other.m_Sounds[i];
    m_InActiveCell = other.m_InActiveCell;
    m_AuraEffect = other.m_AuraEffect;
    m_IsAuraEffect = other.m_IsAuraEffect;
    m_VelocityX = other.m_VelocityX;
    m_VelocityY = other.m_VelocityY;
    m_Mass = other.m_Mass;
    m_ActForce = other.m_ActForce;
    m_TimeAdded = other.m_TimeAdded;
    m_StartValue = other.m_StartValue;
    m_StartValueCurrent = other.m_StartValueCurrent;
    m_AutoActionTimeOffset = other.m_AutoActionTimeOffset;
    m_StartPos = other.m_StartPos;
    m_StartAngle = other.m_StartAngle;
    m_StartInGrid = other.m_StartInGrid;
    CopyCommonStepState(other);
    m_LinkFlag = other.m_LinkFlag;
    m_EntryList = other.m_EntryList;
    m_Aux = other.m_Aux;
    m_RotationSpeed = other.m_RotationSpeed;
    m_TargetOffset[0] = other.m_TargetOffset[0];
    m_TargetOffset[1] = other.m_TargetOffset[1];
    m_ReachRadius = other.m_ReachRadius;
    m_ObstructionValue = other.m_ObstructionValue;
    m_NetSync = other.m_NetSync;
    m_Deceleration = other.m_Deceleration;
    m_Drag = other.m_Drag;
    m_PathMotion = other.m_PathMotion;
    m_CanMoveThrough = other.m_CanMoveThrough;
    m_IgnoreTerrain = other.m_IgnoreTerrain;
    m_NoSlide = other.m_NoSlide;
    m_CollidesWhenCarried = other.m_CollidesWhenCarried;
    m_Party = other.m_Party;
    m_BodyRadius = other.m_BodyRadius;
    for (int32_t i = 0; i < kPerceptionValues; i++)
        m_Perception[i] = other.m_Perception[i];
    m_ForwardDamageToParent = other.m_ForwardDamageToParent;
    m_GroundMode = other.m_GroundMode;
    m_Solid = other.m_Solid;
    m_BlocksShots = other.m_BlocksShots;
    m_NoCollisions = other.m_NoCollisions;
    m_IgnoreInQueries = other.m_IgnoreInQueries;
    m_Visibility = other.m_Visibility;
    m_FadeOutIfInView = other.m_FadeOutIfInView;
    m_FadeOutValue = other.m_FadeOutValue;
    m_FadeOutDirection = other.m_FadeOutDirection;
    m_StateByte1 = other.m_StateByte1;
    m_StateByte2 = other.m_StateByte2;
    m_StateValue1 = other.m_StateValue1;
    for (int32_t i = 0; i < 3; i++) {
        m_StateValues3[i] = other.m_StateValues3[i];
        m_StateBytes3[i] = other.m_StateBytes3[i];
    }
    m_StateShort = other.m_StateShort;
    m_StateValue2 = other.m_StateValue2;
    m_StateShort2 = other.m_StateShort2;
    m_StateInt = other.m_StateInt;
    m_StateByte3 = other.m_StateByte3;
    m_StateIndex = other.m_StateIndex;
    m_StateByte4 = other.m_StateByte4;
    for (int32_t i = 0; i < 2; i++) {
        m_StatePair1[i] = other.m_StatePair1[i];
        m_StatePair2[i] = other.m_StatePair2[i];
        m_StatePair3[i] = other.m_StatePair3[i];
    }
    m_StateValue3 = other.m_StateValue3;
    m_StateIndex2 = other.m_StateIndex2;
    m_StateLimit = other.m_StateLimit;
    m_ObjValues = other.m_ObjValues;
}

void WorldElem::ResetElem()
{
    m_TypeCode = ElemType::kElem;
    m_Name = "*nonmame*";
    m_VisMarks = VisibilityMarks();
    m_Creator = nullptr;
    m_SavedCreatorRef = 0;
    m_Master = nullptr;
    m_SavedMasterRef = 0;
    m_DamageList.DeleteAll();
    m_NetTargetX = kUnsetNetTarget;
    m_NetTargetY = kUnsetNetTarget;
    m_NetTargetAngle = kUnsetNetTarget;
    m_NetVelocityX = 0.0f;
    m_NetVelocityY = 0.0f;
    m_NetSmoothTime = 0.0f;
    m_OnUse = String();
    m_OnDamage = String();
    m_OnInit = String();
    for (int32_t i = 0; i < 3; i++) {
        m_SavedTexts[i] = String();
        m_MoreTexts[i] = String();
    }
    m_SecondName = wString();
    m_UsesLeft = -1;
    for (float& value : m_Pivot)
        value = 0.0f;
    m_SecondAngle = 0.0f;
    for (String& sound : m_Sounds)
        sound = String();
    m_InActiveCell = 0;
    m_AuraEffect = 0;
    m_IsAuraEffect = 0;
    m_VelocityX = 0.0f;
    m_VelocityY = 0.0f;
    m_Mass = 0.0f;
    m_ActForce = ActForce();
    m_StartValue = 0.0;
    m_StartValueCurrent = 0.0;
    m_AutoActionTimeOffset = 0.0;
    m_StartPos = D3DXVECTOR2(0.0f, 0.0f);
    m_StartAngle = 0.0f;
    m_StartInGrid = 0;
    m_AutoAction = String();
    m_AutoActionCount = 0;
    m_AmbientSound = String();
    m_AmbientCount = 0;
    m_AmbientInterval[0] = 5.0f;
    m_AmbientInterval[1] = 10.0f;
    m_AmbientTimer = -1.0f;
    m_OnUpdateCount = 0;
    m_KillCounter = 0;
    m_LastKillTime = -1.0;
    m_LinkFlag = 0;
    m_EntryList = EntryListRecord();
    m_Aux = AuxRecord();
    m_RotationSpeed = 0.0f;
    m_TargetOffset[0] = 0.0f;
    m_TargetOffset[1] = 0.0f;
    m_ReachRadius = 0.0f;
    m_ObstructionValue = 0.0f;
    m_NetSync = 0;
    for (int32_t slot = 0; slot < kNetSlots; slot++) {
        m_LastSentPos[slot][0] = m_LastSentPos[slot][1] = kNeverSent;
        m_LastSentAngle[slot] = kNeverSent;
    }
    m_Deceleration = 1000.0f;
    m_Drag = 1.0f;
    m_PathMotion = PathMotion();
    m_CanMoveThrough = 0;
    m_IgnoreTerrain = 0;
    m_NoSlide = 0;
    m_CollidesWhenCarried = 0;
    m_Party = kPartyFriendlyToAll;
    m_BodyRadius = 0.0f;
    m_Perception[0] = 150.0f;
    m_Perception[1] = 5.0f;
    m_Perception[2] = 75.0f;
    m_Perception[3] = 105.0f;
    m_ForwardDamageToParent = 0;
    m_GroundMode = 0;
    m_Solid = 1;
    m_BlocksShots = 1;
    m_NoCollisions = 0;
    m_IgnoreInQueries = 0;
    m_Visibility = 1.0f;
    m_FadeOutIfInView = 1;
    m_FadeOutValue = 1.0f;
    m_FadeOutDirection = 0;
    m_StateByte1 = 0;
    m_StateByte2 = 0;
    m_StateValue1 = 0.0f;
    for (int32_t i = 0; i < 3; i++)
        m_StateValues3[i] = 0.0f;
    m_StateShort = 0;
    m_StateValue2 = 0.0f;
    m_StateShort2 = 0;
    m_StateInt = 0;
    m_StateByte3 = 0;
    m_StateIndex = -1;
    m_StateByte4 = 0;
    m_StatePair1[0] = 0.0f;
    m_StatePair1[1] = 1.0f;
    m_StatePair2[0] = 0.0f;
    m_StatePair2[1] = 0.0f;
    m_StateBytes3[0] = 1;
    m_StateBytes3[1] = 1;
    m_StateBytes3[2] = 0;
    m_StateValue3 = 0.0f;
    m_StateIndex2 = -1;
    m_StatePair3[0] = 1.0f;
    m_StatePair3[1] = 2.0f;
    m_StateLimit = 9999.0f;
    m_ObjValues = WorldObjectValues();
}

void WorldElem::Reset()
{
    delete m_Inventory;
    m_Inventory = nullptr;
    delete m_LinkedItem;
    m_LinkedItem = nullptr;
    ResetElemBase(true);
    ResetElem();
    UpdateGridCell();  // back at the origin, in the table slot it had
}

void WorldElem::Error(const char* format, ...)
{
    char message[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof(message), format, args);
    va_end(args);
    char cfgID[1024];
    std::snprintf(cfgID, sizeof(cfgID), "%s", m_CfgID.c_str());
    ErrorClass::Error("%s: %s", cfgID, message);
}

int32_t WorldElem::IsHostileParty(int32_t p, int32_t q)
{
    if (p == kPartyHostileToAll || q == kPartyHostileToAll)
        return 1;
    if (p == kPartyFriendlyToAll || q == kPartyFriendlyToAll || p == q)
        return 0;
    if (p == kPartyFriendlyToPositive)
        return q < 1 ? 1 : 0;
    return p < 1 || q != kPartyFriendlyToPositive ? 1 : 0;
}

int32_t WorldElem::IsEnemyOf(WorldElemBase* other, bool checkOther)
{
    if (!other)
        return 1;
    WorldElem* elem = dynamic_cast<WorldElem*>(other);
    const int32_t p = elem ? elem->GetParty() : kPartyFriendlyToAll;  // walls belong to no party
    const int32_t q = GetParty();
    if (p == kPartyNeverEnemy)
        return 0;
    if (q == kPartyNeverEnemy)
        return 1;
    if (checkOther && other->IsEnemyOf(this, false) == 1)
        return 1;
    return IsHostileParty(p, q);
}

WorldElem* WorldElem::GetCreatureOwner()
{
    WorldElem* elem = this;
    for (int32_t depth = 0; depth < kMaxParentChain; depth++) {  // creators could form a ring
        if (elem->IsCreature())
            return elem;
        WorldElem* creator = elem->m_Creator.Get();
        if (!creator)
            return elem;
        elem = creator;
    }
    return elem;
}

void WorldElem::CopyStateWithLinked(bool fromLinked)
{
    if (!m_LinkedItem)
        return;
    InventoryItem& item = *m_LinkedItem;
    static_assert(InventoryItem::kScriptTemps == kScriptTemps, "the item carries every script variable");
    if (fromLinked) {
        m_WorldID = item.m_WorldID;
        std::copy(item.m_ScriptTemp, item.m_ScriptTemp + kScriptTemps, m_ScriptTemp);
    } else {
        item.m_WorldID = m_WorldID;
        std::copy(m_ScriptTemp, m_ScriptTemp + kScriptTemps, item.m_ScriptTemp);
    }
}

void WorldElem::SetScriptTemp(int32_t index, float value)
{
    WorldElemBase::SetScriptTemp(index, value);  // checks the index
    if (m_LinkedItem) {
        m_LinkedItem->m_ScriptTemp[index] = value;
        m_LinkedItem->m_StateUnchanged = 0;
    }
}

void WorldElem::SetInfoText(const String& text)
{
    WorldElemBase::SetInfoText(text);
    if (m_LinkedItem) {
        m_LinkedItem->m_InfoText = text;
        m_LinkedItem->m_StateUnchanged = 0;
    }
}

void WorldElem::RememberStartPosition()
{
    m_StartPos = GetPos();
    m_StartAngle = GetAngle();
    m_StartInGrid = m_CellIndex >= 0 ? 1 : 0;
}

void WorldElem::CopyItemsTo(WorldElem& other) const
{
    if (&other == this)
        return;
    delete other.m_LinkedItem;
    other.m_LinkedItem = nullptr;
    delete other.m_Inventory;
    other.m_Inventory = nullptr;
    if (m_LinkedItem && g_GameCtrl) {
        other.m_LinkedItem = g_GameCtrl->CreateItem();
        if (other.m_LinkedItem)
            m_LinkedItem->CopyTo(other.m_LinkedItem);
    }
    if (m_Inventory) {
        auto* inventory = new Inventory;
        int32_t width = 0;
        int32_t height = 0;
        m_Inventory->GetGridSize(width, height);
        if (width != 0 || height != 0)
            inventory->SetGridSize(width, height);
        else
            inventory->SetMaxItems(m_Inventory->GetMaxItems());
        inventory->SetType(m_Inventory->GetType());
        inventory->SetOwner(&other);
        other.m_Inventory = inventory;
    }
}
