// ElementCriteriaValidator: the test that an element search asks of every candidate element; the
// game's pointer picks derive their rules from it.
#pragma once

class WorldElem;

class ElementCriteriaValidatorBase {
public:
    virtual ~ElementCriteriaValidatorBase() = default;
    // True when the element may be taken.
    virtual bool Accepts(WorldElem& element) = 0;
};

// Accepts every element; the derived rules narrow it.
class ElementCriteriaValidator : public ElementCriteriaValidatorBase {
public:
    bool Accepts(WorldElem& element) override
    {
        (void)element;
        return true;
    }
};
