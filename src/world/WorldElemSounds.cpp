// WorldElem: the sounds an element plays at its position, which follow it while they play.
#include "world/WorldElem.h"

#include "world/WorldCtrl.h"

void WorldElem::PlaySound(const char* name, int32_t argument)
{
    if (!name || !*name || !m_World)
        return;
    const D3DXVECTOR2 pos = GetPos();
    m_World->PlaySoundAt(name, pos.x, pos.y, this, argument);
}

void WorldElem::PlaySoundByIndex(int32_t index, int32_t argument)
{
    if (index < 0 || index >= kSounds)
        Error("Invalid sound index: %i!", index);
    if (m_Sounds[index].TextLength() > 0)
        PlaySound(m_Sounds[index].c_str(), argument);
}
