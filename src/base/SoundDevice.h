// SoundDevice: the interface of an audio output. A device that plays sound implements these
// operations in this order; the server uses NoSoundDevice. Operations the game never calls are
// named after their shape only.
#pragma once
#include "base/SoundErrorClass.h"

#include <cstdint>
#include <memory>

class SoundResource;

class SoundDevice : public SoundErrorClass {
public:
    SoundDevice();
    ~SoundDevice() override;  // destroys the empty sound

    virtual void SetOwner(void* owner) { m_Owner = owner; }
    virtual bool Init() = 0;
    virtual bool LoadSound(SoundWord a, SoundWord b, SoundWord c) = 0;
    virtual bool PrepareSound(SoundWord a, SoundWord b) = 0;
    virtual void UpdateStream(SoundWord a) = 0;
    virtual int64_t OnConfigLoad() = 0;
    // The result is the sound's handle, -1 for none.
    virtual int32_t PlaySound(SoundWord a, SoundWord b, float x, float y, float z, SoundWord c,
                              SoundWord d) = 0;
    virtual void StopSound(SoundWord a, SoundWord b) = 0;
    virtual void UpdateSound(SoundWord a, SoundWord b) = 0;
    virtual void UpdateSoundState(SoundWord a, SoundWord b) = 0;
    virtual void SetSoundParamA(SoundWord a, SoundWord b, float value) = 0;
    virtual void SetSoundValueA(SoundWord a, SoundWord b, SoundWord c) = 0;
    virtual void SetSoundParamB(SoundWord a, SoundWord b, float value) = 0;
    virtual void SetSoundValueB(SoundWord a, SoundWord b, SoundWord c) = 0;
    virtual float GetSoundParam(SoundWord a, SoundWord b) = 0;
    virtual bool IsSoundPlaying(SoundWord a, SoundWord b) = 0;
    virtual bool QuerySound(SoundWord a, SoundWord b) = 0;
    virtual bool IsSoundBusy(SoundWord a) = 0;
    virtual double GetSoundTime(SoundWord a) = 0;
    virtual int32_t GetSoundValue(SoundWord a) = 0;
    virtual int32_t GetMemoryUsage() = 0;
    virtual void SetVolume(float volume) = 0;
    virtual float GetVolume() = 0;
    virtual int32_t CreateSound(SoundWord a, SoundWord b, SoundWord c) = 0;

    void* GetOwner() const { return m_Owner; }
    SoundResource* GetEmptySound() const { return m_EmptySound.get(); }

private:
    std::unique_ptr<SoundResource> m_EmptySound;
    void* m_Owner = nullptr;
};
