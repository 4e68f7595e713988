// EventObj_SF: the game's event object: the engine's trigger element that can in addition carry a
// skill of the skill table, applied every third of a second to the creatures within its skill
// radius through the controller's skill effect.
#pragma once
#include "game/objects/EventObj.h"

class SkillTreeEntry;

class EventObj_SF : public EventObj {
public:
    static constexpr float kSkillInterval = 0.33f;  // seconds of game time between applications

    EventObj_SF();

    // The engine's step, then the skill's application when it is due.
    void Update(float dt) override;
    // The own damage set with its physical amounts read through their game functions for this
    // event and no function names left.
    void GetDamageValues(DamageValuesHolder& out) override;
    // The engine's copy, then the skill and its radius.
    void CloneInto(EventObj& other) override;

    SkillTreeEntry* m_Skill = nullptr;  // the controller's, never owned
    float m_SkillRadius = 0.0f;
    double m_LastSkillTime = -1.0;  // game time of the last application

private:
    void ApplySkill();
};
