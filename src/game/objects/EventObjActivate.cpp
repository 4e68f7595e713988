// EventObj: the activation of an event by an element, a script or a mover that reached it: its
// count and interval, its "OnActivate" script and the damage it deals its activator.
#include "game/objects/EventObj.h"

#include "world/GameCtrlInterface.h"
#include "world/WorldCtrl.h"

#include <memory>

int32_t EventObj::Activate(WorldElem* activator, int32_t mode, float time)
{
    if (m_ActivationsLeft == 0 || (g_GameCtrl && g_GameCtrl->IsNetworkClient()))
        return 1;
    if (m_MinInterval > 0.0f && time - m_LastActivation < m_MinInterval)
        return 1;
    m_LastActivation = time;
    if (m_ActivationsLeft > 0)
        m_ActivationsLeft--;
    const int32_t activatorID = activator ? activator->m_ObjID : -1;
    SmartPtr<WorldElem> alive(this);
    SmartPtr<WorldElem> activatorRef(activator);
    if (m_EventKind == kKindActive && !m_ActivationScript.IsEmpty() && m_World) {
        if (g_GameCtrl)
            g_GameCtrl->SetActivator(activatorID, mode == 1 ? 1 : (mode == 0 ? -1 : 0));
        String label;
        label.Format("OnActivate:%s", String(m_Name).c_str());
        m_World->RunScript(m_ActivationScript, this, 1, 1, label.c_str(), 1, 255);
        if (!alive.Get())
            return 1;  // the script removed the event
    }
    activator = activatorRef.Get();
    if (mode <= 0 || !(m_ActivationDamage > 0.0f) || !activator || !g_GameCtrl)
        return 1;
    DamageValuesHolder damage(nullptr);
    GetDamageValues(damage);
    if (damage)
        damage->Scale(m_ActivationDamage);
    const D3DXVECTOR2 pos = GetPos();
    const D3DXVECTOR2 to = activator->GetPos();
    g_GameCtrl->AddDamageEvent(activatorID, m_ObjID, damage.Get(), int32_t(pos.x), int32_t(pos.y),
                               D3DXVECTOR2(to.x - pos.x, to.y - pos.y));
    return 1;
}
