// EventObj: the per-frame step: the common element step, the area damage that an active event
// deals around itself, and the countdown of a spent event.
#include "game/objects/EventObj.h"

#include "world/GameCtrlInterface.h"
#include "world/WorldCtrl.h"

#include <algorithm>
#include <memory>

void EventObj::Update(float dt)
{
    SmartPtr<WorldElem> alive(this);
    UpdateCommon(dt);
    if (!alive.Get())
        return;
    if (m_EventKind == kKindActive) {
        // The server is the authority of damage: a network client leaves it to the server.
        if (!m_World || m_DamageRate <= 0.0f || (g_GameCtrl && g_GameCtrl->IsNetworkClient()))
            return;
        const DamageValues* own = m_DamageValues.Get();
        const double now = GameCtrlInterface::GameTime();
        if (!own || now - double(m_LastDamageTime) < double(kAreaDamageInterval))
            return;
        std::unique_ptr<DamageValues> damage(own->Clone());
        if (!damage)
            return;
        damage->Scale(std::clamp(GetOpacity(), 0.0f, 1.0f) * m_DamageRate * kAreaDamageInterval);
        const D3DXVECTOR2 pos = GetPos();
        const int32_t causer = GetParty() + WorldCtrl::kPartyCauserBase;
        m_LastDamageTime = float(now);
        m_World->DamageAll(pos.x, pos.y, damage.get(), m_InnerShare * m_Radius, causer,
                           (1.0f - m_InnerShare) * m_Radius, 0, nullptr, nullptr, 0);
    } else if (m_EventKind == kKindSpent && m_LastActivation > 0.0f) {
        m_LastActivation -= dt;
        if (m_LastActivation <= 0.0f) {
            // The world's flag of a spent countdown is raised here once the world has it; its
            // effect at the event's position is not made on the server.
            m_LastActivation = 0.0f;
            m_ActivationsLeft = 0;
        }
    }
}
