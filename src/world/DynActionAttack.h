// DynActionAttack: an attack of an action entry kept in the entry's attack list. It owns a copy
// made by type, so that an attack of the game's own class stays one in the list.
#pragma once
#include "world/ActionAttack.h"

#include <memory>

class DynActionAttack {
public:
    // Replaces the held attack by a copy of attack; the holder is empty when none could be made.
    void Take(const ActionAttack& attack)
    {
        m_Attack.reset(dynamic_cast<ActionAttack*>(attack.CreateNew()));
        if (m_Attack)
            attack.CopyTo(m_Attack.get());
    }
    ActionAttack* Get() const { return m_Attack.get(); }
    ActionAttack* operator->() const { return m_Attack.get(); }

private:
    std::unique_ptr<ActionAttack> m_Attack;
};
