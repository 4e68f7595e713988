// GameNetworkNode: the players' characters of a network game: their making from a configuration,
// the list of them that purges the ones gone, and the state a character carries from level to
// level and to the other players.
#include "net/GameNetworkNode.h"

#include "base/File.h"
#include "game/objects/CreatureObj.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

CreatureObj* GameNetworkNode::AddMultiplayerCharacter(const char* configID, int32_t inputIndex)
{
    // The flag lets the creation know it makes a player's character, and never outlives it.
    struct AddingScope {
        uint8_t& flag;
        explicit AddingScope(uint8_t& f) : flag(f) { flag = 1; }
        ~AddingScope() { flag = 0; }
    } adding(m_AddingMultiplayerCharacter);
    WorldElem* elem =
        CreateWorldObject(configID, nullptr, true, true, true, false, 0.0f, nullptr, 0.0f, nullptr, -1);
    CreatureObj* creature = elem && elem->IsCreature() ? dynamic_cast<CreatureObj*>(elem) : nullptr;
    if (!creature) {
        if (elem && m_World.HoldsObj(elem->m_ObjID, elem))
            m_World.DelObj(elem->m_ObjID, 1);
        Error("None-creature in AddMultiplayerCharacter: %s", configID);
    }
    if (inputIndex >= 0)
        AttachCreatureToInput(creature, inputIndex);
    for (int32_t i = 0; i < m_MultiplayerCharacters.GetSize(); ++i)
        if (m_MultiplayerCharacters.GetAt(i)->Get() == creature)
            return creature;
    *m_MultiplayerCharacters.GetBySlot(m_MultiplayerCharacters.Add()) = creature;
    return creature;
}

CreatureObj* GameNetworkNode::GetMultiplayerCharacter(int32_t index)
{
    if (index < 0 || index >= m_MultiplayerCharacters.GetSize())
        return nullptr;
    return m_MultiplayerCharacters.GetAt(index)->Get();
}

int32_t GameNetworkNode::GetNumMultiplayerCharacters()
{
    for (int32_t i = m_MultiplayerCharacters.GetSize() - 1; i >= 0; --i)
        if (!m_MultiplayerCharacters.GetAt(i)->Get())
            m_MultiplayerCharacters.Delete(m_MultiplayerCharacters.GetUsedSlot(i));
    return m_MultiplayerCharacters.GetSize();
}

void GameNetworkNode::WriteCharacterState(File& file, WorldElem& elem)
{
    file.WriteInt16Value(uint16_t(kSyncBlockFormat));
    elem.Save(file, true);
}

bool GameNetworkNode::ReadCharacterState(File& file, WorldElem& elem)
{
    uint16_t format = 0;
    if (!file.ReadInt16(&format) || format < WorldCtrl::kOldestSaveVersion || format > WorldCtrl::kSaveVersion)
        return false;
    file.SetVersion(format);  // the records decide their layout by it
    elem.Load(file, true);
    return true;
}
