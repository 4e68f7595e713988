// WorldElem: the element events that run the scripts attached to an element (init, use, damage),
// the status effect, and firing shots.
#include "world/WorldElem.h"

#include "world/GameCtrlInterface.h"
#include "world/ActionShot.h"
#include "world/WorldCtrl.h"

#include <cmath>

namespace {

constexpr float kAuraFadeTime = 0.3f;

}  // namespace

// Element scripts posted to run as soon as the world's scripts run: with the element, the
// current object set, at once, with the run flags taken from the text.
void WorldElem::PostInlineScript(const String& text, const char* label)
{
    if (m_World)
        m_World->RunInlineScript(text.c_str(), this, 0.0f, 1, label, 255);
}

bool WorldElem::OnInitEvent()
{
    if (!m_World || m_World->AreInitScriptsSuspended() || m_OnInit.IsEmpty())
        return false;
    String label;
    label.Format("OnInit:%s", m_CfgID.c_str());
    PostInlineScript(m_OnInit, label.c_str());
    return true;
}

bool WorldElem::OnUse(int32_t flag, int32_t userID, int32_t arg)
{
    if (m_UsesLeft == 0)
        return true;  // used up: no script, no sound
    if (m_UsesLeft > 0)
        m_UsesLeft--;
    if (flag)
        return true;  // the use is only counted
    SmartPtr<WorldElem> alive(this);
    if (!m_OnUse.IsEmpty() && m_World) {
        if (g_GameCtrl)
            g_GameCtrl->SetScriptContext(userID, arg);
        String label;
        label.Format("OnUse:%s", m_CfgID.c_str());
        m_World->RunScript(m_OnUse, this, 1, 1, label.c_str(), 1, 255);
    }
    if (alive.Get() && !m_Sounds[kUseSound].IsEmpty())
        PlaySound(m_Sounds[kUseSound].c_str(), -1);
    return true;
}

int32_t WorldElem::OnDamage(DamageValues* damage, WorldElem* attacker, int32_t arg, const D3DXVECTOR2* direction,
                            const char* source, int32_t arg2, const D3DXVECTOR2* position)
{
    SmartPtr<WorldElem> alive(this);
    if (attacker)
        attacker->OnDamageDealt(this, damage);
    if (!alive.Get())
        return 0;
    if (m_ForwardDamageToParent) {
        if (auto* parent = dynamic_cast<WorldElem*>(m_Parent.Get()))
            return parent->OnDamage(damage, attacker, arg, direction, source, arg2, position);
    }
    if (direction) {
        D3DXVECTOR2 push = *direction;
        const float length = std::sqrt(push.x * push.x + push.y * push.y);
        if (length > 0.0f)
            push = D3DXVECTOR2(push.x / length, push.y / length);
        const bool held = GetCreatureFlag() && g_GameCtrl && !g_GameCtrl->AllowsInput();
        if (!held && damage)
            AddImpulse(push.x * damage->damage[0], push.y * damage->damage[0]);
    }
    OnDamageEvent(damage, attacker);
    if (!alive.Get())
        return 0;  // its script deleted it
    return OnDamaged(source);
}

void WorldElem::OnDamageEvent(DamageValues* damage, WorldElem* attacker)
{
    if (m_OnDamage.IsEmpty() || !m_World)
        return;
    if (g_GameCtrl) {
        g_GameCtrl->SetScriptContext(attacker ? attacker->m_ObjID : -1, 0);
        if (!attacker || IsEnemyOf(attacker, true))
            g_GameCtrl->SetCurrentDamage(damage);
        else
            g_GameCtrl->SetCurrentDamageNone();
    }
    String label;
    label.Format("OnDamage:%s", m_CfgID.c_str());
    m_World->RunScript(m_OnDamage, this, 1, 1, label.c_str(), 0, 255);
}

void WorldElem::SetAuraEffect(int16_t index)
{
    if (index == m_AuraEffect)
        return;
    m_AuraEffect = index;
    ForEachChild([this](WorldElemGridBase& child) {
        auto* effect = dynamic_cast<WorldElem*>(&child);
        if (!effect || !effect->IsActiveType() || !effect->m_IsAuraEffect)
            return;
        effect->m_IsAuraEffect = 0;
        if (m_World)
            m_World->FadeOutObject(effect, kAuraFadeTime, true);
    });
    if (index < 1 || index > 8 || !g_GameCtrl)
        return;
    const char* name = g_GameCtrl->GetSpecialName(index);
    if (!name || !*name)
        return;
    const D3DXVECTOR2 pos = GetPos();
    auto* effect = dynamic_cast<WorldElem*>(g_GameCtrl->CreateWorldObject(name, pos.x, pos.y, 0.0f, 0.0f));
    if (!effect || !effect->IsActiveType())
        return;
    AttachChild(effect);  // made for this element: it goes where the element goes
    effect->SetSecondAngle(0.0f);
    effect->m_InActiveCell = m_InActiveCell;
    effect->m_IsAuraEffect = 1;
}

void WorldElem::CallShotScript(ActionShot* shot, const D3DXVECTOR2* direction, const D3DXVECTOR2* target)
{
    if (!shot || !m_World)
        return;
    D3DXVECTOR2 aimed;
    if (target) {
        const D3DXVECTOR2 start = GetShotStart(*shot);
        aimed = D3DXVECTOR2(target->x - start.x, target->y - start.y);
        direction = &aimed;
    }
    SmartPtr<WorldElem> alive(this);
    m_World->Shoot(this, shot, direction);
    if (!alive.Get())
        return;
    if (g_GameCtrl)
        g_GameCtrl->OnShot(this, shot, direction);
    PostInlineScript(shot->callScript, "SHOT:CallScript");
}

D3DXVECTOR2 WorldElem::GetShotStart(const ActionShot& shot)
{
    const float a = GetAngle();
    const float c = std::cos(a);
    const float s = std::sin(a);
    const D3DXVECTOR2 pos = GetPos();
    return D3DXVECTOR2(pos.x + shot.startOffsetLocal[0] * c - shot.startOffsetLocal[1] * s,
                       pos.y + shot.startOffsetLocal[0] * s + shot.startOffsetLocal[1] * c);
}

float WorldElem::GetShotAngle()
{
    if (!g_GameCtrl || !g_GameCtrl->IsGameRunning())
        return GetAngle();
    float angle = m_NetSmoothTime > 0.0f ? m_NetTargetAngle : m_Angle;
    auto* parent = dynamic_cast<WorldElem*>(m_Parent.Get());
    if (parent && parent->IsActiveType())
        angle += parent->GetShotAngle();
    return WrapAngle(angle);
}

bool WorldElem::WasHitByAttack(WorldElem* attacker, bool remember)
{
    const uint32_t serial = attacker ? attacker->GetAttackSerial() : 0;
    if (serial == 0)
        return false;  // no attack under way: nothing to tell apart
    for (uint32_t hit : m_HitSerials) {
        if (hit == serial)
            return true;
    }
    if (remember) {
        m_HitSerials[2] = m_HitSerials[1];
        m_HitSerials[1] = m_HitSerials[0];
        m_HitSerials[0] = serial;
    }
    return false;
}
