// ScriptCreatureOps: the creature, mob and controller operations the creature built-ins hand
// their calls to, reached through one place while those operations are being built: each call
// goes to the operation once it exists and otherwise does the safe nothing (getters read the
// plain member). The branches fall away as the operations arrive.
#pragma once
#include "base/String.h"
#include "game/objects/CreatureInfluence.h"

#include <cstdint>

namespace ScriptCreatureOps {

template <class C> float Health(C& c)
{
    if constexpr (requires { c.GetHealth(); })
        return c.GetHealth();
    else
        return c.m_Health;
}
template <class C> float Mana(C& c)
{
    if constexpr (requires { c.GetMana(); })
        return c.GetMana();
    else
        return c.m_Mana;
}
template <class C> int32_t Experience(C& c)
{
    if constexpr (requires { c.GetExperience(); })
        return c.GetExperience();
    else
        return int32_t(c.m_Experience);
}
template <class C> bool ReAssessAI(C& c, int32_t level)
{
    if constexpr (requires { c.ReAssessAI(level); }) {
        c.ReAssessAI(level);
        return true;
    }
    return false;
}
template <class C, class E> bool DamageDirect(C& c, float damage, E* attacker, int32_t showFlag)
{
    if constexpr (requires { c.DamageDirect(damage, attacker, 0, showFlag, 0, -2); }) {
        c.DamageDirect(damage, attacker, 0, showFlag, 0, -2);
        return true;
    }
    return false;
}
template <class C> bool AddInfluence(C& c, int32_t type, const InfluenceParams& params, int32_t priority, bool extend)
{
    if constexpr (requires { c.AddInfluence(type, params, priority, extend); }) {
        c.AddInfluence(type, params, priority, extend);
        return true;
    }
    return false;
}
template <class C> bool RemoveInfluence(C& c, int32_t type)
{
    if constexpr (requires { c.RemoveInfluence(type); }) {
        c.RemoveInfluence(type);
        return true;
    }
    return false;
}
template <class C> bool IsInfluenced(C& c, int32_t type)
{
    if constexpr (requires { c.IsInfluenced(type, 0.0f, nullptr, false); })
        return c.IsInfluenced(type, 0.0f, nullptr, false);
    else
        return false;
}
template <class C> bool AddExperience(C& c, float amount, bool direct)
{
    if constexpr (requires { c.AddExperience(amount, direct); }) {
        c.AddExperience(amount, direct);
        return true;
    }
    return false;
}
template <class C> bool SetExperience(C& c, float experience)
{
    if constexpr (requires { c.SetExperience(experience); }) {
        c.SetExperience(experience);
        return true;
    }
    return false;
}
template <class C> bool SetCharacterLevel(C& c, int32_t level)
{
    if constexpr (requires { c.SetCharacterLevel(level); }) {
        c.SetCharacterLevel(level);
        return true;
    }
    return false;
}
template <class C> bool SetHealth(C& c, float health)
{
    if constexpr (requires { c.SetHealth(health); }) {
        c.SetHealth(health);
        return true;
    }
    return false;
}
template <class C> bool RefillHealthToMax(C& c)
{
    if constexpr (requires { c.RefillHealthToMax(); }) {
        c.RefillHealthToMax();
        return true;
    }
    return false;
}
template <class C> bool RefillHealth(C& c, float amount, float seconds, bool add)
{
    if constexpr (requires { c.RefillHealth(amount, seconds, add); }) {
        c.RefillHealth(amount, seconds, add);
        return true;
    }
    return false;
}
template <class C> bool RefillManaToMax(C& c)
{
    if constexpr (requires { c.RefillManaToMax(); }) {
        c.RefillManaToMax();
        return true;
    }
    return false;
}
template <class C> bool RefillMana(C& c, float amount, float seconds)
{
    if constexpr (requires { c.RefillMana(amount, seconds); }) {
        c.RefillMana(amount, seconds);
        return true;
    }
    return false;
}
template <class C, class E> bool Kill(C& c, E* killer)
{
    if constexpr (requires { c.Kill(killer, -2); }) {
        c.Kill(killer, -2);
        return true;
    }
    return false;
}
template <class C> bool KnockDown(C& c, float seconds)
{
    if constexpr (requires { c.KnockDown(seconds); }) {
        c.KnockDown(seconds);
        return true;
    }
    return false;
}
template <class C, class E> bool SetLastEnemy(C& c, E* enemy)
{
    if constexpr (requires { c.SetLastEnemy(enemy); }) {
        c.SetLastEnemy(enemy);
        return true;
    }
    return false;
}
template <class M> bool RunMobScript(M& mob)
{
    if constexpr (requires { mob.RunMobScript(); }) {
        mob.RunMobScript();
        return true;
    }
    return false;
}
// The controller's player slot of a creature (-1 until the input controllers answer).
template <class G, class C> int32_t PlayerSlot(G& ctrl, C& c)
{
    if constexpr (requires { ctrl.GetInputIndexFor(&c); })
        return ctrl.GetInputIndexFor(&c);
    else
        return -1;
}
template <class G, class C> bool Revive(G& ctrl, C& c, int32_t slot)
{
    if constexpr (requires { ctrl.AttachCreatureToInput(&c, slot); }) {
        ctrl.AttachCreatureToInput(&c, slot);
        return true;
    }
    return false;
}

}  // namespace ScriptCreatureOps
