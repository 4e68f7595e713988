// SoundManager: the one object through which game code plays sounds, music and speech; it
// forwards every request to its device (on the server the silent NoSoundDevice).
// What the game passes in the words of the device interface:
//   LoadSound(name, file name, load flags)        4 for a plain ".wav" or ".ogg" file
//   PlaySound(name, loop flag, base volume, volume, pitch, 0, 0) -> handle, -1 for none
//   StopSound, IsSoundPlaying, UpdateSound (halt), UpdateSoundState (continue): (handle, 0)
//   SetSoundParamA(handle, 0, volume), SetSoundParamB(handle, 0, pan)
//   GetSoundTime(name) -> seconds the loaded sound plays
#pragma once
#include "base/ErrorClass.h"
#include "base/Singleton.h"
#include "base/SoundDevice.h"

#include <cstdint>
#include <memory>

class SoundManager : public Singleton<SoundManager>, public ErrorClass {
public:
    SoundManager();
    ~SoundManager() override;

    SoundDevice* GetDevice() const { return m_Device.get(); }
    // Replaces the device (a client's audio output, a test's recorder); null puts the silent one back.
    void SetDevice(std::unique_ptr<SoundDevice> device);

    bool LoadSound(SoundWord a, SoundWord b, SoundWord c) { return m_Device->LoadSound(a, b, c); }
    bool PrepareSound(SoundWord a, SoundWord b) { return m_Device->PrepareSound(a, b); }
    void UpdateStream(SoundWord a) { m_Device->UpdateStream(a); }
    int64_t OnConfigLoad() { return m_Device->OnConfigLoad(); }
    int32_t PlaySound(SoundWord a, SoundWord b, float x, float y, float z, SoundWord c, SoundWord d)
    {
        return m_Device->PlaySound(a, b, x, y, z, c, d);
    }
    void StopSound(SoundWord a, SoundWord b) { m_Device->StopSound(a, b); }
    void UpdateSound(SoundWord a, SoundWord b) { m_Device->UpdateSound(a, b); }
    void UpdateSoundState(SoundWord a, SoundWord b) { m_Device->UpdateSoundState(a, b); }
    void SetSoundParamA(SoundWord a, SoundWord b, float v) { m_Device->SetSoundParamA(a, b, v); }
    void SetSoundParamB(SoundWord a, SoundWord b, float v) { m_Device->SetSoundParamB(a, b, v); }
    bool IsSoundPlaying(SoundWord a, SoundWord b) { return m_Device->IsSoundPlaying(a, b); }
    bool QuerySound(SoundWord a, SoundWord b) { return m_Device->QuerySound(a, b); }
    bool IsSoundBusy(SoundWord a) { return m_Device->IsSoundBusy(a); }
    double GetSoundTime(SoundWord a) { return m_Device->GetSoundTime(a); }
    int32_t GetMemoryUsage() { return m_Device->GetMemoryUsage(); }
    void SetVolume(float volume) { m_Device->SetVolume(volume); }

private:
    int32_t m_Reserved = 0;
    std::unique_ptr<SoundDevice> m_Device;
};
