// CreatureCombatTestSupport: a test controller that counts what creatures report of their vital
// values, damage and death (health, deaths, blood, experience, hero level-ups, shown messages),
// answers an experience table of 100 points per level and a settable monster damage scaling;
// and a world whose scripts give a chosen result.
#pragma once
#include "ActionTestSupport.h"
#include "game/objects/CreatureObj.h"

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

class CombatTestCtrl : public ActionTestCtrl {
public:
    CombatTestCtrl() { makesDamageValues = true; }

    void ReportHealth(WorldElem*, float health) override { healthReports.push_back(health); }
    void ReportDeath(WorldElem* creature, WorldElem* killer, int32_t) override { deaths.push_back({creature, killer}); }
    void ReportBloodEffect(WorldElem*, float strength) override { blood.push_back(strength); }
    void ReportExperienceGain(WorldElem*, float amount) override { experienceGains.push_back(amount); }
    void OnHeroLevelUp(int32_t level) override { heroLevelUps.push_back(level); }
    // Level L needs (L - 1) x 100 points; 20 levels.
    int32_t GetLevelForExperience(float experience) override
    {
        int32_t level = 1;
        while (level < 20 && experience >= float(level) * 100.0f)
            level++;
        return level;
    }
    float GetExperienceForLevel(int32_t level) override { return level < 1 ? 0.0f : float(level - 1) * 100.0f; }
    float GetFriendlyFireBetween(WorldElem*, WorldElem*) const override { return friendlyFireBetween; }
    void ShowMessage(float, const char* format, ...) override __attribute__((format(printf, 3, 4)))
    {
        char text[512];
        va_list args;
        va_start(args, format);
        std::vsnprintf(text, sizeof text, format, args);
        va_end(args);
        messages.push_back(text);
    }
    void SetActivator(int32_t objID, int32_t allow) override
    {
        activator = objID;
        allowFlag = allow;
    }
    int32_t GetAllowFlag() const override { return allowFlag; }
    void SetHitCount(int32_t count) override { hitCount = count; }
    void GetMonsterDamageScaling(float& factor, float& offset) override
    {
        factor = monsterDamage[0];
        offset = monsterDamage[1];
    }
    void AddDamageEvent(int32_t targetID, int32_t sourceID, const DamageValues* damage, int32_t, int32_t,
                        const D3DXVECTOR2&) override
    {
        damageEvents.push_back({targetID, sourceID, damage ? damage->GetValue() : -1.0f});
    }

    struct Death {
        WorldElem* creature;
        WorldElem* killer;
    };
    struct DamageEvent {
        int32_t targetID;
        int32_t sourceID;
        float value;
    };
    std::vector<float> healthReports;
    std::vector<Death> deaths;
    std::vector<float> blood;
    std::vector<float> experienceGains;
    std::vector<int32_t> heroLevelUps;
    std::vector<std::string> messages;
    std::vector<DamageEvent> damageEvents;
    float friendlyFireBetween = 0.0f;
    int32_t activator = -1;
    int32_t allowFlag = 1;
    int32_t hitCount = 0;
    float monsterDamage[2] = {1.0f, 0.0f};
};

// A world whose scripts leave the result the test chose (Void by default).
class ResultWorld : public ScriptWorld {
public:
    int32_t RunScript(const String& text, WorldElemBase* elem, int32_t context, int32_t currentObj, const char* label,
                      int32_t callMode, int32_t flags) override
    {
        ScriptWorld::RunScript(text, elem, context, currentObj, label, callMode, flags);
        m_ScriptResult = result;
        return 0;
    }
    ScriptValue result;
};
