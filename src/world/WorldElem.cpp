// WorldElem: construction and reset, and the party relation.
#include "world/WorldElem.h"

WorldElem::WorldElem()
{
    CopyName32(this, "WorldElem");
    ResetElem();
}

WorldElem::~WorldElem() = default;

void WorldElem::ResetElem()
{
    m_TypeCode = ElemType::kElem;
    m_Name = "*nonmame*";
    m_Creator = nullptr;
    m_SavedCreatorRef = 0;
    m_Party = kPartyFriendlyToAll;
}

void WorldElem::Reset()
{
    ResetElemBase();
    ResetElem();
}

int32_t WorldElem::IsHostileParty(int32_t p, int32_t q)
{
    if (p == kPartyHostileToAll || q == kPartyHostileToAll)
        return 1;
    if (p == kPartyFriendlyToAll || q == kPartyFriendlyToAll || p == q)
        return 0;
    if (p == kPartyFriendlyToPositive)
        return q < 1 ? 1 : 0;
    return p < 1 || q != kPartyFriendlyToPositive ? 1 : 0;
}

int32_t WorldElem::IsEnemyOf(WorldElemBase* other, bool checkOther)
{
    if (!other)
        return 1;
    WorldElem* elem = dynamic_cast<WorldElem*>(other);
    const int32_t p = elem ? elem->GetParty() : kPartyFriendlyToAll;  // walls belong to no party
    const int32_t q = GetParty();
    if (p == kPartyNeverEnemy)
        return 0;
    if (q == kPartyNeverEnemy)
        return 1;
    if (checkOther && other->IsEnemyOf(this, false) == 1)
        return 1;
    return IsHostileParty(p, q);
}
