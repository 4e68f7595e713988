// InputCtrl: construction, the controlled list with the elements' back-references, nested
// disabling, the per-frame step and the AI pass over the controlled creatures.
#include "game/objects/ai/InputCtrl.h"

#include "base/Log.h"
#include "game/objects/CreatureObj.h"
#include "world/GameCtrlInterface.h"
#include "world/WorldCtrl.h"

#include <cmath>

namespace {

bool IsNetworkClient() { return g_GameCtrl && g_GameCtrl->IsNetworkClient(); }

bool IsDialogActive() { return g_GameCtrl && g_GameCtrl->IsDialogActive(nullptr); }

CreatureObj* AsCreature(WorldElem* elem)
{
    return elem && elem->IsCreature() ? dynamic_cast<CreatureObj*>(elem) : nullptr;
}

}  // namespace

InputCtrl::InputCtrl()
{
    CopyName32(this, "InputCtrl");
    Clear();
}

InputCtrl::~InputCtrl() { Clear(); }

void InputCtrl::Reset()
{
    m_RunningTime = 0.0;
    m_TimeOffset = 0.0;
    m_FrameCounter = 0;
    m_DisableCount = 0;
    Clear();
}

void InputCtrl::Clear()
{
    m_Mobs.DeleteAll();
    for (int32_t slot = m_Elements.NextUsedSlot(-1); slot >= 0; slot = m_Elements.NextUsedSlot(slot)) {
        SmartPtr<WorldElem>* entry = m_Elements.GetBySlot(slot);
        WorldElem* elem = entry ? entry->Get() : nullptr;
        if (elem && elem->m_InputCtrl == this) {
            elem->m_InputCtrl = nullptr;
            elem->m_InputIndex = -1;
        }
    }
    m_Elements.DeleteAll();
    m_CurrentIndex = -1;
}

int32_t InputCtrl::AddObject(WorldElem* elem, bool keepIndex)
{
    if (!elem)
        Error("Null pointer added !");
    const int32_t found = FindObject(elem);
    if (!keepIndex && found >= 0)
        Error("Internal error: object added twice to InputCtrl");
    if (keepIndex && found >= 0) {
        elem->m_InputCtrl = this;
        elem->m_InputIndex = found;
        return found;
    }
    if (elem->m_InputCtrl)  // driven elsewhere (or a stale index here): it leaves that list first
        elem->m_InputCtrl->RemoveControlledCreature(elem->m_InputIndex);
    elem->m_InputCtrl = nullptr;
    elem->m_InputIndex = -1;
    if (m_Elements.GetSize() >= kMaxElements)
        Error("Maximum number of data elements reached: %i", kMaxElements);
    const int32_t index = m_Elements.Add();
    *m_Elements.GetBySlot(index) = elem;
    elem->m_InputCtrl = this;
    elem->m_InputIndex = index;
    return index;
}

void InputCtrl::RemoveControlledCreature(int32_t index)
{
    SmartPtr<WorldElem>* entry = m_Elements.GetBySlot(index);
    if (!entry)
        return;
    if (WorldElem* elem = entry->Get()) {
        if (CreatureObj* creature = AsCreature(elem))
            if (MobData* mob = creature->m_MobData.Get())
                mob->RemoveCreature(creature);
        elem->m_InputCtrl = nullptr;
        elem->m_InputIndex = -1;
    }
    m_Elements.Delete(index);
    if (m_CurrentIndex == index)
        m_CurrentIndex = -1;
}

int32_t InputCtrl::FindObject(const WorldElem* elem)
{
    if (!elem)
        return -1;
    for (int32_t slot = m_Elements.NextUsedSlot(-1); slot >= 0; slot = m_Elements.NextUsedSlot(slot)) {
        SmartPtr<WorldElem>* entry = m_Elements.GetBySlot(slot);
        if (entry && entry->Get() == elem)
            return slot;
    }
    return -1;
}

void InputCtrl::SetControlledObject(int32_t index)
{
    if (m_Elements.GetBySlot(index))
        m_CurrentIndex = index;
}

CreatureObj* InputCtrl::GetControlledObject()
{
    if (m_CurrentIndex == -1)
        return nullptr;
    CreatureObj* creature = AsCreature(GetObjectAt(m_CurrentIndex));
    if (!creature)
        m_CurrentIndex = -1;
    return creature;
}

WorldElem* InputCtrl::GetObjectAt(int32_t index) const
{
    SmartPtr<WorldElem>* entry = m_Elements.GetBySlot(index);
    return entry ? entry->Get() : nullptr;
}

bool InputCtrl::IsApproaching(CreatureObj* creature)
{
    const KI_ActionData* top = creature->GetTopAction();
    return top && top->approachMarker == 0;
}

void InputCtrl::Disable(bool stopCreatures)
{
    if (m_DisableCount == 0 && stopCreatures && m_Elements.GetSize() > 0) {
        for (int32_t slot = m_Elements.NextUsedSlot(-1); slot >= 0; slot = m_Elements.NextUsedSlot(slot)) {
            CreatureObj* creature = AsCreature(GetObjectAt(slot));
            if (!creature || (m_Mode == kModeAI && !IsApproaching(creature)))
                continue;
            if (m_Mode != kModeAI)
                creature->RemoveForcedActions(15);  // a player's dodges and jumps end too
            creature->StartAction(CreatureObj::kActionNone, String(), nullptr, 0, 0.0f);
            creature->StopMovement(0);
        }
    }
    m_DisableCount++;
}

void InputCtrl::Enable()
{
    if (m_DisableCount < 1) {
        Log::Write("InputCtrl::Enable() without prior Disable()");
        return;
    }
    m_DisableCount--;
}

bool InputCtrl::IsDisabled(bool ignoreDialog)
{
    if (m_DisableCount > 0)
        return true;
    return !ignoreDialog && m_Mode == kModeAI && IsDialogActive();
}

void InputCtrl::Update(float dt)
{
    m_RunningTime += dt;
    if (m_Mode == kModeInput) {
        if (g_GameCtrl && g_GameCtrl->IsNetworkGameServer())
            ExecuteAllControlled(dt);
        else
            ExecuteControlled(dt);
    } else if (m_Mode == kModeAI) {
        if (!IsNetworkClient())
            ThinkAll(dt);
    }
    if (!IsNetworkClient())
        UpdateMobs(dt);
}

void InputCtrl::ExecuteControlled(float dt)
{
    if (CreatureObj* creature = GetControlledObject())
        creature->ExecuteIntention(dt);
}

void InputCtrl::ExecuteAllControlled(float dt)
{
    for (int32_t slot = m_Elements.NextUsedSlot(-1); slot >= 0; slot = m_Elements.NextUsedSlot(slot)) {
        if (!GetObjectAt(slot))
            continue;
        SetControlledObject(slot);
        ExecuteControlled(dt);
    }
}

void InputCtrl::ThinkAll(float dt)
{
    if (m_Elements.GetSize() == 0) {
        m_FrameCounter++;
        return;
    }
    // A creature may leave the list while it thinks (death, a script): the walk reads slots.
    for (int32_t slot = m_Elements.NextUsedSlot(-1); slot >= 0; slot = m_Elements.NextUsedSlot(slot)) {
        CreatureObj* creature = AsCreature(GetObjectAt(slot));
        if (!creature || !creature->IsInActiveCell())
            continue;
        ThinkCreature(creature, dt);
    }
    m_FrameCounter++;
}

void InputCtrl::ThinkCreature(CreatureObj* creature, float dt)
{
    const double t = creature->m_IntentionTime;
    const double u = t + dt + m_TimeOffset;
    m_HalfSecondTick = std::lround(2.0 * t) != std::lround(2.0 * u) ? 1 : 0;

    // Placed in this very step (its position not yet settled by a world update): it only checks.
    const bool newlyPlaced =
        creature->m_Moved > 0 && g_GameCtrl && g_GameCtrl->GetGameTime() == creature->m_TimeAdded;
    if (!IsNetworkClient()) {
        const bool enabled = m_DisableCount == 0;
        const bool decide = enabled && !(m_Mode == kModeAI && IsDialogActive());
        if (dt > 0.0f) {
            if (decide && !newlyPlaced)
                Think(creature, dt, 0);
            else
                CheckIntention(creature, dt, 0);
        }
    }
    creature->ExecuteIntention(dt);
    if (m_HalfSecondTick) {
        const D3DXVECTOR2 pos = creature->GetPos();
        creature->m_HalfSecondSample[0] = pos.x;
        creature->m_HalfSecondSample[1] = pos.y;
        creature->m_HalfSecondSample[2] = creature->GetAngle();
    }
}
