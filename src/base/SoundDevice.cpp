// SoundDevice: the part every device shares, its empty sound and its owner.
#include "base/SoundDevice.h"

#include "base/SoundResource.h"

SoundDevice::SoundDevice() : m_EmptySound(std::make_unique<NilSoundResource>())
{
    CopyName32(this, "SoundDevice");
}

SoundDevice::~SoundDevice() = default;
