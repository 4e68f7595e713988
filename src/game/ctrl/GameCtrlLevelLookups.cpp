// GameCtrl: small questions about the running level: its starting positions, a random spread of
// the game's random numbers, and the chance treatment of new items.
#include "game/ctrl/GameCtrl.h"

#include "base/Random.h"
#include "game/objects/EventObj.h"

namespace {

constexpr int32_t kStartPositionKind = 3;  // the event kind of a starting position

}  // namespace

EventObj* GameCtrl::GetStartingPos(int32_t number, const char* worldID, bool byID)
{
    EventObj* first = nullptr;
    int32_t count = 0;
    for (int32_t id = m_World.NextObjID(-1); id >= 0; id = m_World.NextObjID(id)) {
        EventObj* event = dynamic_cast<EventObj*>(m_World.GetObjNoCheck(id, false));
        if (!event || event->m_EventKind != kStartPositionKind)
            continue;
        if (!first)
            first = event;
        if (count++ == number)
            return event;
        if (byID && worldID && event->m_WorldID == worldID)
            return event;
    }
    const char* level = !GetLevelDescFile().IsEmpty() ? GetLevelDescFile().c_str() : m_World.GetFileName().c_str();
    if (!first)
        Error("Starting pos nr. %i does not exist in level %s", number, level);
    if (byID)
        Warning("Starting pos with worldID '%s' does not exist in level %s", worldID ? worldID : "", level);
    return first;
}

float GameCtrl::RandomSpread(float base, float range)
{
    const float u = m_World.GetGameRandom().NextFloat();
    return base + (u - 0.5f) * 2.0f * range;
}

void GameCtrl::InitNewItem(ItemBase* item, int32_t mode, float value)
{
    if (!item)
        return;
    if (mode == 2) {
        EnchantItem(item, value);
    } else if (mode == 1) {
        BoostItem(item);
    } else if (mode == -1 && !item->m_NoBoost) {
        if (Random::Float01() < m_NewItemChances[0])
            EnchantItem(item, value);
        else if (Random::Float01() < m_NewItemChances[1])
            BoostItem(item);
    }
}

void GameCtrl::EnchantItem(ItemBase* item, float value)
{
    (void)item;  // enchantments are the game's rules
    (void)value;
}

void GameCtrl::SetNewItemChances(float enchant, float boost)
{
    m_NewItemChances[0] = enchant;
    m_NewItemChances[1] = boost;
}
