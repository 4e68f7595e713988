// GameCtrl: the list of input controllers, the attachment of creatures to them, the main
// character with its light, the mobs that the AI's controller keeps, and the names of animation
// numbers.
#include "game/ctrl/GameCtrl.h"

#include "game/objects/CreatureObj.h"
#include "game/objects/ai/InputCtrl.h"

namespace {

const char* const kMainCharLightID = "__MainCharLight__";

}  // namespace

int32_t GameCtrl::AddInputCtrl(InputCtrl* input, int32_t kind)
{
    if (!input)
        Error("Null pointer added !");
    const int32_t number = m_InputCtrls.Add(input);
    input->SetWorld(&m_World);
    input->SetMode(kind);
    if (kind == kInputLocal)
        m_LocalInputIndex = number;
    else if (kind == kInputAI)
        m_SecondInputIndex = number;
    return number;
}

InputCtrl* GameCtrl::GetInputCtrl(int32_t number)
{
    InputCtrl* input = m_InputCtrls.GetBySlot(number);
    if (!input)
        Error("Invalid input selected: %i", number);
    return input;
}

bool GameCtrl::HasInputCtrl(int32_t number) { return m_InputCtrls.GetBySlot(number) != nullptr; }

void GameCtrl::DeleteInputCtrl(int32_t number)
{
    InputCtrl* input = m_InputCtrls.GetBySlot(number);
    if (!input)
        Error("Tried to delete invalid input: %i", number);
    m_InputCtrls.Delete(number);
    delete input;
    if (number == m_LocalInputIndex)
        m_LocalInputIndex = -1;
}

void GameCtrl::DeleteInputCtrls()
{
    m_InputCtrls.DeleteAll();
    m_LocalInputIndex = -1;
    m_SecondInputIndex = -1;
}

int32_t GameCtrl::FindInputCtrlIndex(int32_t mode)
{
    for (int32_t slot = m_InputCtrls.NextUsedSlot(-1); slot >= 0; slot = m_InputCtrls.NextUsedSlot(slot))
        if (InputCtrl* input = m_InputCtrls.GetBySlot(slot); input && input->GetMode() == mode)
            return slot;
    return -1;
}

void GameCtrl::DisableInputCtrls(int32_t mode)
{
    for (int32_t slot = m_InputCtrls.NextUsedSlot(-1); slot >= 0; slot = m_InputCtrls.NextUsedSlot(slot))
        if (InputCtrl* input = m_InputCtrls.GetBySlot(slot); input && input->GetMode() == mode)
            input->Disable(true);
}

void GameCtrl::EnableInputCtrls(int32_t mode)
{
    for (int32_t slot = m_InputCtrls.NextUsedSlot(-1); slot >= 0; slot = m_InputCtrls.NextUsedSlot(slot))
        if (InputCtrl* input = m_InputCtrls.GetBySlot(slot); input && input->GetMode() == mode)
            input->Enable();
}

void GameCtrl::ResetInputCtrls()
{
    for (int32_t slot = m_InputCtrls.NextUsedSlot(-1); slot >= 0; slot = m_InputCtrls.NextUsedSlot(slot))
        if (InputCtrl* input = m_InputCtrls.GetBySlot(slot))
            input->Reset();
}

void GameCtrl::UpdateInputCtrls(float dt)
{
    for (int32_t position = 0; position < m_InputCtrls.GetSize(); position++)
        if (InputCtrl* input = m_InputCtrls.GetAt(position)) {
            input->Tick(dt);
            input->Update(dt);
        }
}

int32_t GameCtrl::GetInputIndexFor(CreatureObj* creature)
{
    if (!creature)
        return -1;
    if (m_LocalInputIndex != -1 && creature == GetMainChar())
        return m_LocalInputIndex;
    if (!creature->IsMainCharacter() || !IsMultiplayerGame())
        return m_SecondInputIndex;
    return -1;
}

void GameCtrl::AttachCreatureToInput(CreatureObj* creature, int32_t number)
{
    if (!creature)
        return;
    creature->RunStrategyFinishScript();
    creature->m_Dead = 0;
    creature->m_DeathTime = 0.0f;
    creature->m_Dying = 0;  // revived: it can be damaged and killed again
    creature->m_BlockedFlagA = 0;
    creature->m_Health = creature->GetMaxHealth();
    if (creature->m_LastEnemy.Get()) {
        creature->m_LastEnemy = nullptr;
        if (creature->m_InputCtrl)
            creature->m_InputCtrl->UpdateCreatureMob(creature);
    }
    if (creature->m_InputCtrl || !HasInputCtrl(number))
        return;
    InputCtrl* input = m_InputCtrls.GetBySlot(number);
    if (number != m_LocalInputIndex) {
        input->AddObject(creature, false);
        return;
    }
    input->SetControlledObject(input->AddObject(creature, true));
    CreatureObj* old = m_MainChar.Get();
    if (old && old != creature)
        old->m_MainCharacter = 0;
    m_MainChar = creature;
    creature->m_MainCharacter = 1;
}

WorldElem* GameCtrl::GetLocalInputObject(int32_t number)
{
    InputCtrl* input = m_InputCtrls.GetBySlot(m_LocalInputIndex);
    return input ? input->GetObjectAt(number) : nullptr;
}

void GameCtrl::SetMainCharacter(CreatureObj* creature)
{
    InputCtrl* input = m_InputCtrls.GetBySlot(m_LocalInputIndex);
    if (input)
        input->Clear();
    if (!creature)
        return;
    if (input)
        input->AddObject(creature, true);
    CreatureObj* old = m_MainChar.Get();
    if (old && old != creature)
        old->m_MainCharacter = 0;
    m_MainChar = creature;
    creature->m_ControlFlag = 1;
    creature->m_MainCharacter = 1;
    if (input)
        input->SetControlledObject(0);
    RenewMainCharLight();
}

void GameCtrl::RenewMainCharLight()
{
    CreatureObj* hero = m_MainChar.Get();
    if (!hero || m_Settings.mcLight.IsEmpty())  // the rules' "mcLight"
        return;
    hero->PurgeChildren();
    for (int32_t slot = hero->m_Children.NextUsedSlot(-1); slot >= 0; slot = hero->m_Children.NextUsedSlot(slot)) {
        SmartPtr<WorldElemGridBase>* entry = hero->m_Children.GetBySlot(slot);
        const WorldElemBase* child = entry ? dynamic_cast<const WorldElemBase*>(entry->Get()) : nullptr;
        if (child && child->m_WorldID == kMainCharLightID)
            hero->DeleteChild(slot, false);  // the light of an earlier call
    }
    const D3DXVECTOR2 pos = hero->GetPos();
    WorldElem* light = CreateWorldObject(m_Settings.mcLight.c_str(), nullptr, true, false, true, false, 0.0f, &pos,
                                         0.0f, nullptr, -1);
    if (!light)
        return;
    light->m_WorldID = kMainCharLightID;
    hero->AttachChild(light);
}

// A saved element that its controller drove: the main character goes back to the local input,
// every other creature to the AI's.
void GameCtrl::AddToInputCtrl(WorldElem* elem)
{
    elem->m_InputCtrl = nullptr;
    elem->m_InputIndex = -1;
    CreatureObj* creature = elem->IsCreature() ? dynamic_cast<CreatureObj*>(elem) : nullptr;
    if (!creature)
        return;
    const int32_t number = GetInputIndexFor(creature);
    if (HasInputCtrl(number))
        m_InputCtrls.GetBySlot(number)->AddObject(creature, true);
}

void GameCtrl::SetMainChar(WorldElem* elem)
{
    CreatureObj* creature = elem && elem->IsCreature() ? dynamic_cast<CreatureObj*>(elem) : nullptr;
    if (creature)
        SetMainCharacter(creature);
}

MobData* GameCtrl::GetMob(int32_t mobNumber)
{
    InputCtrl* input = m_InputCtrls.GetBySlot(m_SecondInputIndex);
    return input ? input->GetMob(mobNumber) : nullptr;
}

String GameCtrl::GetAnimationName(int32_t number)
{
    static const char* const kNamed[] = {
        "walk",        "die",        "hit",           "backwalk",    "leftwalk",          "rightwalk",
        "turnLeft",    "stunWeapon", "hitWeapon",     "leftWeapon",  "rightWeapon",       "turnWeaponLeft",
        "backWeapon",  "drawWeapon", "stun",          "block",       "jumpFW",            "jumpBW",
        "jumpL",       "jumpR",      "run",           "dodgeL",      "dodgeR",            "dodgeFW",
        "dodgeBW",     "knockdown",  "hitBlock",      "walkWeapon",  "forwardLeft",       "forwardRight",
        "forwardLeftWeapon", "forwardRightWeapon",
    };
    String name;
    if (number == -1)
        name = "none";
    else if (number >= 0 && number <= 127)
        name.Format("bored %i", number);
    else if (number >= 128 && number < 128 + int32_t(sizeof(kNamed) / sizeof(kNamed[0])))
        name = kNamed[number - 128];
    else if (number == 165)
        name = "turnRight";
    else if (number == 166)
        name = "turnWeaponRight";
    else if (number >= 192 && number <= 447)
        name.Format("attack %i (alt:%i)", number % 64, number % 4);
    else
        name = "unknown";
    return name;
}
