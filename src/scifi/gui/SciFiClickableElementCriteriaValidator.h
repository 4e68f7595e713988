// SciFiClickableElementCriteriaValidator: which world elements the pointer may pick, by a set of
// criteria flags: creatures and items only; in view mode 3 only active elements seen at least
// half; a player's character when it can be revived; then the attack and use rules below.
#pragma once
#include "world/ElementCriteriaValidator.h"

#include <cstdint>

class SciFiGameCtrl;

class SciFiClickableElementCriteriaValidator : public ElementCriteriaValidator {
public:
    static constexpr uint8_t kLiving = 1;          // living creatures may be picked
    static constexpr uint8_t kDead = 2;            // dead creatures may be picked
    static constexpr uint8_t kAttackable = 4;      // one the main character may attack: at once
    static constexpr uint8_t kNotAttackable = 8;   // one it may not attack: at once
    static constexpr uint8_t kOtherElements = 16;  // neither a creature nor usable
    static constexpr uint8_t kPointerFlags = kLiving | kDead | kAttackable;  // 7
    static constexpr float kMinVisibility = 0.5f;

    SciFiClickableElementCriteriaValidator(SciFiGameCtrl& ctrl, uint8_t flags) : m_Ctrl(ctrl), m_Flags(flags) {}

    bool Accepts(WorldElem& element) override;
    // A dead creature is never attacked (and its attack test not asked); otherwise the main
    // character's enemy test with 1 must answer 1.
    bool MayMainCharacterAttack(WorldElem& element);
    uint8_t GetFlags() const { return m_Flags; }

private:
    bool AcceptsCreature(WorldElem& creature);

    SciFiGameCtrl& m_Ctrl;
    uint8_t m_Flags;
};
