// CreatureObj_SF: the damage a creature takes (scaled by the difficulty, logged for the players,
// with its hit reaction), the poison state (combining poisons, its damage over time), burning,
// and the health state that the monster health display shows.
#include "scifi/objects/CreatureObj_SF.h"

#include "base/GameOptions.h"
#include "game/ctrl/GameCtrl.h"
#include "world/GameCtrlInterface.h"
#include "world/InputCtrlBase.h"
#include "world/WorldCtrl.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kLogTime = 4.0f;
constexpr float kBloodStrengthScale = 0.6666667f;
constexpr float kRevealedVisibility = 0.5f;  // a hit shows an invisible creature at half
constexpr int32_t kHitReassessLevel = 10;
constexpr float kInflameStepShare = 0.75f;

// A label of the players' log, looked up once.
const wString& LogLabel(wString& cache, bool& looked, const char* name)
{
    if (!looked && g_GameCtrl) {
        uint8_t found = 0;
        cache = g_GameCtrl->GetGuiDBText("logmsg", name, &found);
        looked = true;
    }
    return cache;
}

// An amount as the players see it: internal amounts times "AttributeDisplayFactor", in whole
// points.
wString DisplayAmount(float amount)
{
    String number;
    number.Format("%.0f", amount * g_Options.attributeDisplayFactor);
    return wString(number.c_str());
}

void AddPlayersLog(WorldCtrl* world, const wString& text)
{
    if (!world && g_GameCtrl)
        world = g_GameCtrl->GetGameWorld();
    if (world)
        world->AddLogMessage(text, kLogTime, false);
}

}  // namespace

void CreatureObj_SF::TakeDamage(float amount, WorldElem* attacker, int32_t heavy, int32_t show, int32_t silent,
                                int32_t tag)
{
    static wString label;
    static bool looked = false;
    LogLabel(label, looked, "damagereceived");
    auto* ctrl = dynamic_cast<GameCtrl*>(g_GameCtrl);

    float working = amount;
    if (m_Party > 0) {
        if (ctrl)
            amount *= ctrl->GetMonsterDamageFactor();  // heroes take the difficulty's damage
        working = amount;
    } else if (ctrl) {
        const float toughness = ctrl->GetMonsterHealthFactor();
        if (toughness != 0.0f)  // no divisor at all leaves the amount
            working = amount / toughness;
    }
    SmartPtr<WorldElem> alive(this);
    SmartPtr<WorldElem> attackerRef(attacker);
    auto* striker = attacker && attacker->IsCreature() ? dynamic_cast<CreatureObj*>(attacker) : nullptr;
    const bool hero = IsPlayerCharacter();

    if (m_InputCtrl)
        m_InputCtrl->AddDamageReceived(working);
    if (striker && striker->m_InputCtrl)
        striker->m_InputCtrl->AddDamageDealt(working);

    const float maximum = m_Values.maxHealth;
    if (working >= 1.0f && !heavy && !silent && maximum > 0.0f)
        SpawnBloodEffect((std::min(working, maximum) / maximum + 0.5f) * kBloodStrengthScale);
    m_LastHitSource = attacker && m_World && m_World->IsLineClearBetween(this, attacker) ? attacker->GetPos()
                                                                                          : D3DXVECTOR2(0.0f, 0.0f);
    if (!silent)
        m_RecentDamageSum += working;

    const bool client = g_GameCtrl && g_GameCtrl->IsNetworkClient();
    if (!m_Stats.immortal && !(client && hero)) {
        const float display = g_Options.attributeDisplayFactor;
        if (hero && !silent && display > 0.0f && amount >= 1.0f / display)
            AddPlayersLog(m_World, wString(u"|Cada68d") + label + wString(u" |Cdc8765") + DisplayAmount(amount));
        if (working < m_Health) {
            SetHealth(m_Health - working);
        } else {
            if (hero && g_GameCtrl && (!g_GameCtrl->AllowsInput() || g_GameCtrl->IsDialogActive(this))) {
                SetHealth(1.0f);  // a hero does not die in a sequence or a dialogue
                return;
            }
            const float before = m_Health;
            SetHealth(before - working);
            if (hero && ctrl && m_World && !ctrl->GetHeroDeathScript().IsEmpty())
                m_World->RunScript(ctrl->GetHeroDeathScript(), this, 1, 1, "OnHeroDie", 1, 255);
            if (!alive.Get())
                return;
            attacker = attackerRef.Get();
            if (IsHostileHit(attacker) && IsHeroCreature(attacker))
                LogDealtDamage(amount);
            if (m_Health <= 0.0f) {
                SetHealth(before);  // the kill takes its experience share from the health left
                Kill(attacker, tag);
                if (alive.Get())
                    SetHealth(before - working);
            }
            return;
        }
    }

    if (working > 0.0f && !silent) {
        if (m_Opacity <= kRevealedVisibility && IsInfluenced(kEffectInvisible, 0.0f, nullptr, false)) {
            m_Opacity = kRevealedVisibility;
            FadeOut(s_InvisibleFadeOut);  // and back into hiding
        }
        ReactToHit(working, attacker, heavy != 0, show != 0);
        if (!alive.Get())
            return;
        attacker = attackerRef.Get();
    }
    GiveKillExperience(m_Stats.expDamage * working, tag, attacker);  // the attacker's share of the damage
    if (!alive.Get())
        return;
    attacker = attackerRef.Get();
    if (IsHostileHit(attacker) && IsHeroCreature(attacker))
        LogDealtDamage(amount);
}

// A heavy hit (a share of the maximum health) plays the hit reaction; either kind turns an AI
// creature to its attacker.
void CreatureObj_SF::ReactToHit(float amount, WorldElem* attacker, bool heavy, bool show)
{
    const float maximum = m_Values.maxHealth;
    const bool hard = maximum > 0.0f && amount >= maximum * m_Stats.hardHit;
    if (hard && !heavy && show)
        AddInfluence(kEffectHit, InfluenceParams(amount, m_Stats.hardHitTime));
    else if (hard && heavy)
        AddInfluence(kEffectHitBlocking, InfluenceParams(amount, HitBlockLength()));
    const bool acceptsTarget = !IsPlayerCharacter() || (m_InputCtrl && m_InputCtrl->GetMode() == kInputModeAI);
    WorldElem* owner = attacker ? attacker->GetCreatorOrSelf() : nullptr;
    if (!acceptsTarget || !owner || !owner->IsCreature())
        return;
    SetLastEnemy(owner);
    m_AIEvents.attacker = owner;
    m_AIEvents.hit = 1;
    if (hard)
        m_AIEvents.hardHit = 1;
    ReAssessAI(kHitReassessLevel);
}

bool CreatureObj_SF::IsHostileHit(WorldElem* attacker)
{
    return attacker && GetCreatorOrSelf()->IsEnemyOf(attacker->GetCreatorOrSelf(), true);
}

bool CreatureObj_SF::IsHeroCreature(WorldElem* elem)
{
    auto* creature = elem && elem->IsCreature() ? dynamic_cast<CreatureObj*>(elem) : nullptr;
    return creature && creature->IsMainCharacter();
}

void CreatureObj_SF::LogDealtDamage(float amount)
{
    static wString label;
    static bool looked = false;
    LogLabel(label, looked, "dealtdamage");
    wString text = wString(u"|Cada68d") + label + wString(u" |C8cd995");
    text = text + (m_Stats.immortal ? wString(u"0.0") : DisplayAmount(amount));
    AddPlayersLog(m_World, text);
}

// The stronger poison takes the lead, but a weaker one still lengthens the running one: the rate
// is the mean weighted by each poison's total, and the time grows as the fourth-power sum of the
// totals, so two equal poisons do not simply add up.
bool CreatureObj_SF::CombinePoison(float& rate, float& time, float newRate, float newTime)
{
    if (!(newTime > 0.0f) || !(newRate > 0.0f))
        return false;  // nothing to add, and A + B below could become 0
    const float a = std::max(rate * time, 0.0f);
    const float b = newRate * newTime;
    const float w = a / (a + b);
    rate = rate * w + newRate * (1.0f - w);
    time = std::pow(a * a * a * a + b * b * b * b, 0.25f) / rate;
    return b > a;
}

int32_t CreatureObj_SF::GetHealthState() const
{
    const float maximum = m_Values.maxHealth;
    if (!(maximum > 0.0f))
        return 0;  // a creature without health to lose shows none
    const float h = m_Health / maximum;
    if (h >= 1.0f)
        return 4;
    if (h >= 0.66f)
        return 3;
    if (h >= 0.33f)
        return 2;
    return h > 0.0f ? 1 : 0;
}

void CreatureObj_SF::ClearPoison()
{
    m_PoisonTime = 0.0f;
    m_PoisonAccumulator = 0.0f;
    m_Poisoner = nullptr;
}

// Poison gathers every frame; monsters take it in steps of at least one second's worth, heroes
// (whose health display runs smoothly) every frame. What is left when the poison ends is dealt
// then, so that a poison's last part of a second (or a rounding short of a whole step) is not
// lost.
void CreatureObj_SF::ApplyDamageOverTime(float dt)
{
    if (m_PoisonTime > 0.0f) {
        const float t = std::min(dt, m_PoisonTime);
        if (m_Poisoner.Get() && (!m_World || m_World->GetObjNoCheck(m_PoisonerID, false) != m_Poisoner.Get()))
            m_Poisoner = nullptr;
        m_PoisonAccumulator += t * m_PoisonDamage * m_Values.protection.poison;
        m_PoisonTime -= t;
    }
    const bool stepDue = m_PoisonAccumulator >= m_PoisonDamage || !(m_PoisonTime > 0.0f) || IsPlayerCharacter();
    SmartPtr<WorldElem> alive(this);
    if (m_PoisonAccumulator > 0.0f && stepDue) {
        const float amount = m_PoisonAccumulator;
        m_PoisonAccumulator -= amount;
        DamageDirect(amount, m_Poisoner.Get(), 0, 0, 1, -2);
        if (!alive.Get())
            return;
    }

    // Burning is dealt in whole points, in steps that grow with its strength.
    InfluenceParams burning;
    WorldElem* burner = nullptr;
    int32_t step = 1;
    if (IsInfluenced(kEffectInflame, 0.0f, &burning, false)) {
        m_InflameAccumulator += burning.x * dt;
        burner = burning.target.Get() ? burning.target.Get()->GetCreatorOrSelf() : nullptr;
        step = std::max(int32_t(std::round(burning.x * kInflameStepShare)), 1);
    }
    const float whole = std::trunc(m_InflameAccumulator);
    if (whole >= float(step)) {
        m_InflameAccumulator -= whole;
        DamageDirect(whole, burner, 0, 0, 1, -2);
    }
}
