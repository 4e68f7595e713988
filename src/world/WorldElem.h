// WorldElem: the scripted world element that every light and game object derives from: name,
// creator, party and the element type tests. The game objects override its virtuals; what the
// level's walls ask of the objects they belong to goes through them too.
#pragma once
#include "base/String.h"
#include "world/WorldElemBase.h"

#include <cstdint>

class VSD_WallIntern;

class WorldElem : public WorldElemBase {
public:
    // Party numbers besides the positive ones, which are hostile to each other unless equal.
    static constexpr int32_t kPartyHostileToAll = -1;
    static constexpr int32_t kPartyFriendlyToAll = -2;
    static constexpr int32_t kPartyFriendlyToPositive = -3;
    static constexpr int32_t kPartyNeverEnemy = -4;

    WorldElem();
    ~WorldElem() override;

    // Type tests of a type code: valid (not none, not an effect), active ("live": nor a wall).
    static bool IsValidType(uint16_t code) { return code < ElemType::kNone && code != ElemType::kEffect; }
    static bool IsActiveType(uint16_t code) { return IsValidType(code) && code != ElemType::kWall; }
    bool IsValidType() const { return IsValidType(m_TypeCode); }
    bool IsActiveType() const { return IsActiveType(m_TypeCode); }
    bool IsCreature() const { return m_TypeCode == ElemType::kCreature; }
    bool IsCreatureOrItem() const { return m_TypeCode == ElemType::kCreature || m_TypeCode == ElemType::kItem; }

    // 1 when the parties are hostile: p the other's, q this element's.
    static int32_t IsHostileParty(int32_t p, int32_t q);
    int32_t IsEnemyOf(WorldElemBase* other, bool checkOther) override;

    // Back to the construction defaults; the element keeps its table slot.
    virtual void Reset();
    virtual int32_t GetParty() { return m_Party; }
    void SetParty(int32_t party)
    {
        if (party != m_Party)
            m_Party = party;
    }

    // Told after every change of an inventory this element owns (the game's creature re-equips).
    virtual void OnInventoryChanged() {}

    // The wall an object belongs to, for objects that a wall's properties placed (items keep it).
    virtual void SetWallLink(VSD_WallIntern* wall) { (void)wall; }

    void SetCreator(WorldElem* creator) { m_Creator = creator; }
    WorldElem* GetCreatorOrSelf() { return m_Creator.Get() ? m_Creator.Get() : this; }
    void SetName(const wString& name)
    {
        if (!(m_Name == name))
            m_Name = name;
    }

    wString m_Name;
    SmartPtr<WorldElem> m_Creator;
    uint32_t m_SavedCreatorRef = 0;
    int32_t m_Party = kPartyFriendlyToAll;

private:
    void ResetElem();
};
