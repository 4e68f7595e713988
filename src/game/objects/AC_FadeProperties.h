// AC_FadeProperties: one animation cycle player of a creature (the base cycle or the second,
// weighted cycle): the cycle playing, its time, speed and length, the fade from the pose at the
// last change, the root motion of the cycle's base dummy, the packed state sent to clients and
// the player's part of the save record.
#pragma once
#include "base/ErrorClass.h"
#include "engine/scene/DXC_AniCycle.h"

#include <cstdint>

class AniCycle;
class AniCycleSet;
class File;

// What a player takes over from the cycle set when it binds a cycle.
struct AC_BoundCycle {
    const AniCycle* cycle = nullptr;
    int32_t baseDummyIndex = -1;
    int16_t rootModes[2] = {0, 0};  // position, rotation: 0 cyclic, 1 accumulating, negative none
    float fadeInTime = 1.0f;
    float passDisplacement[2] = {0.0f, 0.0f};
    float passRotation = 0.0f;
};

class AC_FadeProperties : public ErrorClass {
public:
    static constexpr int32_t kNoCycle = -1;
    static constexpr int32_t kNotChosen = -2;
    static constexpr int32_t kLastCycle = 450;
    static constexpr uint16_t kBackwardsBit = 0x4000;
    static constexpr uint16_t kInvalidCycleWord = 65535;

    AC_FadeProperties();
    AC_FadeProperties(const AC_FadeProperties& other);
    AC_FadeProperties& operator=(const AC_FadeProperties& other);

    // Every field, both pose cycles by their copy and the bound-cycle block.
    void CopyFrom(const AC_FadeProperties& other);
    // Starts the player: the bound-cycle block, number -2, the live pose as the fade source.
    void Init(const AC_BoundCycle& block);
    // A cycle without track data is "Invalid anicycle in SetCycle()" unless this node is a
    // network client. The same number without restart changes nothing while a cycle plays.
    void SetCycle(AniCycle* cycle, int32_t number, bool restart, bool resetTime);
    // Number -1: no cycle; the player fades out (reverse off; nothing else when already none).
    void Clear();
    void BindCycleData();
    // After loading: the cycle is posed at the player's time and becomes the fade source.
    void RebindCycle(AniCycle* cycle);
    // The speed curves of the cycle for a move direction against the facing (radians).
    float GetSpeedFactor(float angle) const;
    void SetLength(float len);
    void SetSpeed(float s);
    float GetLength() const;  // the cycle's own duration; 0 without one
    int32_t GetCycleNumber() const { return cycleNumber; }
    float GetTime() const { return time; }
    void SetTime(float t) { time = t; }
    float GetFadeTime() const { return bound.fadeInTime; }
    // The playing cycle's loop setting; 0 without a cycle.
    uint32_t GetCycleLoop() const;
    bool IsFinished() const;
    void Advance(float dt, bool pose);
    // The change of the numbered height curve of the cycle over the next dt.
    float GetRootDistance(float dt, int32_t track) const;
    // Cycle word: the number's low 16 bits, 0x4000 when backwards; speed word: a 16-bit float.
    void PackState(uint16_t& cycleWord, uint16_t& speedWord) const;
    static uint16_t PackSpeed(float speed);
    // Whether the packed state differs from the one last sent (which it then becomes); an
    // invalid number warns and gives 65535 with the packed speed 1.0.
    bool GetStateChange(uint16_t& cycleWord, uint16_t& speedWord);
    // The fade curve: 0 below 0, 1 above 1, ((1.1 - 0.2x)x + 0.1)x between.
    static float FadeCurve(float fade);

    // Save record: cycle number i32, time, fade, weight, weight at the change f32, reverse i32,
    // length, speed f32, root position at the change 2 f32, root rotation at the change f32
    // (from 243), interpolation time factor f32. Before 224 numbers from 64 on were 64 lower.
    void Save(File& file) const;
    void Load(File& file, uint16_t version);

    uint16_t sentCycleWord = 0xFFFF;  // the packed state last sent
    uint16_t sentSpeedWord = 0;
    int32_t cycleNumber = kNoCycle;
    DXC_AniCycle fadeSource;  // the pose at the last change
    DXC_AniCycle liveCycle;   // posed each frame
    AniCycle* pNextCycle = nullptr;  // game data
    float time = 0.0f;
    float fade = 0.0f;
    float weight = 0.0f;
    float weightAtChange = 0.0f;
    int32_t reverse = 0;
    float interpolationTimeFactor = 1.0f;
    float length = 0.0f;
    float speed = 1.0f;
    float rootDelta[2] = {0.0f, 0.0f};
    float rootPos[2] = {0.0f, 0.0f};
    float rootPosAtChange[2] = {0.0f, 0.0f};
    float rotationDelta = 0.0f;
    float rotation = 0.0f;
    float rotationAtChange = 0.0f;
    AniCycleSet* cycleSet = nullptr;  // game data
    AC_BoundCycle bound;
    uint8_t eventFlag = 0;

private:
    bool HasValidNumber() const { return cycleNumber >= 0 && cycleNumber <= kLastCycle; }
    double Duration() const;
    // Both pose cycles shaped like the cycle when their node lists differ from its.
    void MatchPoseCycles(const DXC_AniCycle& cycle);
    // The pose at the last change and the values at the change.
    void Snapshot();
    // The base dummy's position and angle with the cycle posed at t, less the covered part of
    // the pass in cyclic mode.
    void ReadBaseDummy(float t, bool poseFirst, float pos[2], float& angle) const;
};
