// SoundManager: creates the silent device and owns it.
#include "base/SoundManager.h"

#include "base/NoSoundDevice.h"

SoundManager::SoundManager()
{
    CopyName32(this, "SoundManager");
    m_Device = std::make_unique<NoSoundDevice>();
    m_Device->SetOwner(this);
}

SoundManager::~SoundManager() = default;
