// GameCtrl: the effects of the spells that creature actions cast: summoning, the fire wall, the
// group heal, stealing life, invisibility and influences on the caster.
#include "game/ctrl/GameCtrl.h"

#include "base/GameOptions.h"
#include "game/objects/CreatureObj.h"
#include "world/ActionSpell.h"
#include "world/Inventory.h"
#include "world/WorldCtrl.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr float kSummonDistance = 35.0f;
constexpr float kSummonFadeIn = 0.7f;
constexpr float kReplacedSummonLife = 0.7f;  // the oldest summoned creature beyond the limit
constexpr float kFireWallStart = 33.0f;
constexpr float kFireWallHalfStep = 32.0f;
constexpr int32_t kFireWallDefaultSteps = 8;
constexpr float kGroupHealTime = 1.0f;

// The amount after the caster's damage-factor script, when the caster is a creature.
float ScaledByCaster(WorldElem* caster, const ActionSpell& spell, float amount)
{
    if (auto* creature = dynamic_cast<CreatureObj*>(caster))
        creature->ApplyDamageFactorScript(spell.damFactorScript, amount);
    return amount;
}

// The living creatures within the radius whose line to the caster is clear, friends and foes.
std::vector<SmartPtr<WorldElem>> CreaturesAround(WorldCtrl& world, WorldElem* caster, float radius)
{
    std::vector<SmartPtr<WorldElem>> found;
    for (int32_t wanted : {0, 1}) {
        const int32_t count = world.GetCreaturesInRange(caster, radius, wanted);
        const WorldCtrl::ObjectListEntry* list = world.GetObjectList();
        for (int32_t i = 0; i < count; i++)
            found.emplace_back(list[i].elem);
    }
    return found;
}

}  // namespace

bool GameCtrl::ExecuteSpell(WorldElem* caster, ActionSpell* spell, const D3DXVECTOR2* target)
{
    if (!caster || !spell)
        return false;
    const String& type = spell->type;
    auto* creature = dynamic_cast<CreatureObj*>(caster);
    SmartPtr<WorldElem> casterRef(caster);

    if (type.EqualsNoCase("summon")) {
        if (creature) {
            creature->CleanSummonedList();
            auto& summoned = creature->GetSummoned();
            if (creature->IsMainCharacter() && summoned.GetSize() + 1 > g_Options.maxSummonedMonsters &&
                summoned.GetSize() > 0) {
                if (WorldElem* last = summoned.GetAt(summoned.GetSize() - 1)->Get())
                    last->SetLifeSpan(kReplacedSummonLife);
            }
        }
        const D3DXVECTOR2 pos = caster->GetPos();
        auto* made = dynamic_cast<WorldElem*>(CreateWorldObject(spell->id.c_str(), pos.x, pos.y, caster->GetAngle(), 0.0f));
        if (!made || !made->IsActiveType() || !casterRef.Get())
            return false;
        if (!m_World.FindDropPosition(made, caster, kSummonDistance, 0.0f)) {
            m_World.DelObj(made->m_ObjID, 1);
            return false;
        }
        made->SetCreator(caster->m_Creator.Get() ? caster->m_Creator.Get() : caster);
        float lifeSpan = spell->param[0];
        if (creature) {
            auto* summonedCreature = dynamic_cast<CreatureObj*>(made);
            if (summonedCreature) {
                if (Inventory* inventory = summonedCreature->m_Inventory)
                    while (inventory->GetCount() > 0)
                        inventory->RemoveAt(inventory->GetItemListID(0), true);
                creature->AddSummoned(summonedCreature);
                if (creature->m_CopyTargets)
                    for (int32_t i = 0; i < CreatureObj::kElemRefs; i++)
                        summonedCreature->m_ElemRefs[i] = creature->m_ElemRefs[i];
            }
            creature->ApplyDamageFactorScript(spell->damFactorScript, lifeSpan);
            if (summonedCreature) {
                summonedCreature->SetCharacterLevel(creature->GetLevel());
                summonedCreature->ApplySummonBonuses(*spell, *creature);
            }
        }
        if (lifeSpan > 0.0f)  // a summoned element without a life span stays
            made->SetLifeSpan(lifeSpan);
        m_World.FadeInObject(made, kSummonFadeIn, true);
        return true;
    }

    if (type.EqualsNoCase("firewall")) {
        D3DXVECTOR2 direction = caster->GetDirection();
        const D3DXVECTOR2 from = caster->GetPos();
        if (target) {
            const float length = std::hypot(target->x - from.x, target->y - from.y);
            if (length > 0.0f)
                direction = D3DXVECTOR2((target->x - from.x) / length, (target->y - from.y) / length);
        }
        // One object of the spell's type every half step, for param1 steps (8 without), until
        // a wall stands in the way.
        const int32_t steps = spell->param[0] >= 1.0f ? int32_t(std::min(spell->param[0], 64.0f)) : kFireWallDefaultSteps;
        D3DXVECTOR2 place = from + direction * (caster->GetRadius() + kFireWallStart);
        for (int32_t step = 0; step < steps && casterRef.Get(); step++) {
            if (spell->id.IsEmpty())
                break;
            CreateWorldObject(spell->id.c_str(), place.x, place.y, caster->GetAngle(), 0.0f);
            const D3DXVECTOR2 next = place + direction * kFireWallHalfStep;
            if (!m_World.GetIntersection(place.x, place.y, next.x, next.y, nullptr, WorldCtrl::kLineWalls, false,
                                         caster, nullptr, -1, WorldCtrl::kNoMinHeight))
                break;
            place = next;
        }
        return true;
    }

    if (type.EqualsNoCase("GroupHeal")) {
        const float amount = ScaledByCaster(caster, *spell, spell->param[0]);
        for (SmartPtr<WorldElem>& ref : CreaturesAround(m_World, caster, spell->param[1])) {
            auto* healed = dynamic_cast<CreatureObj*>(ref.Get());
            if (healed && !healed->IsDead() && healed->GetHealth() < healed->GetMaxHealth())
                healed->RefillHealth(amount, kGroupHealTime, false);
        }
        return true;
    }

    if (type.EqualsNoCase("StealLife")) {
        const float amount = ScaledByCaster(caster, *spell, spell->param[0]);
        int32_t stolen = 0;
        for (SmartPtr<WorldElem>& ref : CreaturesAround(m_World, caster, spell->param[1])) {
            auto* drained = dynamic_cast<CreatureObj*>(ref.Get());
            if (drained && drained->IsInfluenced(CreatureObj::kEffectKnockDown, 0.0f, nullptr, false))
                stolen = int32_t(float(stolen) + std::min(drained->GetHealth(), amount));
        }
        creature = dynamic_cast<CreatureObj*>(casterRef.Get());
        if (creature && stolen != 0)
            creature->AddHealth(float(stolen));
        return true;
    }

    if (!creature)
        return false;  // the remaining effects act on a creature that casts them
    if (type.EqualsNoCase("invisible")) {
        InfluenceParams params;
        params.x = 1.0f;
        params.y = spell->param[0];
        creature->AddInfluence(CreatureObj::kEffectInvisible, params);
        return true;
    }
    if (type.EqualsNoCase("visible")) {
        creature->RemoveInfluence(CreatureObj::kEffectInvisible);
        return true;
    }
    if (type.EqualsNoCase("influence")) {
        InfluenceParams params;
        params.x = ScaledByCaster(creature, *spell, spell->param[1]);
        params.y = spell->param[0];
        params.value = int32_t(spell->param[2]);
        creature->AddInfluence(CreatureObj::GetEffectTypeByName(spell->id.c_str()), params);
        return true;
    }
    return false;
}

void GameCtrl::ExecuteSpell(WorldElem* caster, ActionSpell* spell) { ExecuteSpell(caster, spell, nullptr); }
