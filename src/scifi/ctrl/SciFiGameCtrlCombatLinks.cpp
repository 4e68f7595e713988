// SciFiGameCtrl: the combat links between two elements, which live a few seconds unless made
// again, and the controller's frame, which ages them.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "scifi/ctrl/SciFiRules.h"

#include <vector>

SciFiGameCtrl::CombatLink* SciFiGameCtrl::AddCombatLink(WorldElem* other, int32_t value, WorldElem* linked)
{
    for (int32_t slot = m_CombatLinks.NextUsedSlot(-1); slot >= 0; slot = m_CombatLinks.NextUsedSlot(slot)) {
        CombatLink* link = m_CombatLinks.GetBySlot(slot);
        if (link->linked.Get() == linked && link->other.Get() == other && link->value == value) {
            link->time = g_SciFiRules.combatLinkDuration;  // made again: one record, its time anew
            return link;
        }
    }
    CombatLink* link = m_CombatLinks.GetBySlot(m_CombatLinks.Add());
    link->time = g_SciFiRules.combatLinkDuration;
    link->linked = linked;
    link->other = other;
    link->value = value;
    if (linked)
        linked->OnLinkChanged(0);
    return link;
}

void SciFiGameCtrl::AgeCombatLinks(float frameTime)
{
    // The elements are told after the list is settled, since what they do may add links.
    // The list of them grows with the records removed, so none is ever dropped.
    std::vector<SmartPtr<WorldElem>> expired;
    for (int32_t slot = m_CombatLinks.NextUsedSlot(-1); slot >= 0; slot = m_CombatLinks.NextUsedSlot(slot)) {
        CombatLink* link = m_CombatLinks.GetBySlot(slot);
        link->time -= frameTime;
        if (link->time > 0.0f)
            continue;
        if (link->linked.Get())
            expired.emplace_back(link->linked.Get());
        m_CombatLinks.Delete(slot);
    }
    for (SmartPtr<WorldElem>& element : expired)
        if (WorldElem* linked = element.Get())  // one told before may have removed another
            linked->OnLinkChanged(0);
}

int32_t SciFiGameCtrl::UpdateFrame(float frameTime)
{
    const int32_t result = GameServer::UpdateFrame(frameTime);
    AgeCombatLinks(frameTime);
    return result;
}
