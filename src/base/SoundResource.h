// SoundResource: one loaded sound of a device, with its play state and four float parameters;
// NilSoundResource: the empty sound every device keeps.
#pragma once
#include "base/SmartPtr.h"
#include "base/SoundErrorClass.h"
#include "base/String.h"

#include <cstdint>

class SoundResource : public SoundErrorClass, public SmartClass {
public:
    enum State : int32_t { kNew = 0, kPlaying = 1, kPaused = 2, kStopped = 3 };

    explicit SoundResource(const char* fileName = "");
    ~SoundResource() override = default;

    // Reported as "<file name>: <message>".
    [[noreturn]] void Error(const char* format, ...) override __attribute__((format(printf, 2, 3)));
    void Warning(const char* format, ...) override __attribute__((format(printf, 2, 3)));

    virtual void Play(float param2, float param3);
    virtual void Stop() { m_State = kStopped; }
    virtual void Pause() { m_State = kPaused; }
    virtual void Resume() { m_State = kPlaying; }
    virtual bool IsActive() const { return m_State != kStopped; }
    virtual bool IsPaused() const { return m_State == kPaused; }
    virtual void SetLoop(uint8_t loop) { m_Loop = loop; }
    virtual uint8_t GetLoop() const { return m_Loop; }
    virtual void SetParam1(float v) { m_Param1 = v; }
    virtual float GetParam1() const { return m_Param1; }
    virtual void SetParam2(float v) { m_Param2 = v; }
    virtual float GetParam2() const { return m_Param2; }
    virtual void SetParam3(float v) { m_Param3 = v; }
    virtual float GetParam3() const { return m_Param3; }
    virtual void SetParam4(float v) { m_Param4 = v; }
    virtual float GetParam4() const { return m_Param4; }
    virtual void Update(SoundWord) {}
    virtual double GetLength() const { return -1.0; }

    const String& GetFileName() const { return m_FileName; }
    int32_t GetState() const { return m_State; }

protected:
    String m_FileName;
    int32_t m_State = kNew;
    uint8_t m_Loop = 0;
    float m_Param1 = 0.0f;
    float m_Param2 = 1.0f;
    float m_Param3 = 1.0f;
    float m_Param4 = 0.0f;
};

class NilSoundResource : public SoundResource {
public:
    NilSoundResource() : SoundResource("NilSoundResource") {}
};
