// SoundManager: creates the silent device (or takes another) and owns it.
#include "base/SoundManager.h"

#include "base/NoSoundDevice.h"

SoundManager::SoundManager()
{
    CopyName32(this, "SoundManager");
    SetDevice(nullptr);
}

void SoundManager::SetDevice(std::unique_ptr<SoundDevice> device)
{
    m_Device = device ? std::move(device) : std::make_unique<NoSoundDevice>();
    m_Device->SetOwner(this);
}

SoundManager::~SoundManager() = default;
