// Projectile: the element of a shot in flight (type code 5, class "Projectile"), the game's form
// of the world's projectile record: it wobbles, can be pushed aside and returns to its speed,
// hits each element once and never its creator, leaves a trail, and has its save record.
//
//   Projectile.cpp        construction, push, the per-frame update, hits, collision, trail
//   ProjectileRecord.cpp  the save record
#pragma once
#include "base/SmartPtr.h"
#include "world/ProjectileBase.h"

#include <cstdint>

class File;

class Projectile : public ProjectileBase {
public:
    static constexpr uint16_t kAttackerVersion = 195;  // the attacker is saved from this version on
    static constexpr float kReturnRate = 500.0f;     // speed regained per second after a push

    // The damage values come from the controller's factory; speed 300, range 2000.
    Projectile();
    ~Projectile() override;

    // Height offset plus the extra height, plus the parent's when attached.
    float GetHeight() const override;
    // The two-argument interaction query answers its first argument.
    bool AllowsInteraction(int32_t a, int32_t b) override
    {
        (void)b;
        return a != 0;
    }
    // Runs the "OnInit" text as "Proj:OnInit" unless the world is loading a save game.
    bool OnInitEvent() override;
    // The world's pushes reach the projectile as impulses.
    void AddImpulse(float x, float y) override { Push(x, y); }
    // Turns and speeds the flight by the push; nothing without mass.
    void Push(float px, float py);
    // The common element step, the wobble, and the return to the target speed after a push.
    void Update(float dt) override;
    // After the world's flight step: the trail of the way flown this frame.
    void UpdateFlightState() override;
    // The world's flight meets an element: hit (no obstacle) or not.
    bool TakeFlightHit(WorldElem& target, bool atStart) override;
    // Lists the element as hit (once); a creature remembers the attacker among its last three.
    void AddHit(WorldElem* elem);
    // The collision event with an element (none: a wall or nothing) from a side.
    void OnCollision(WorldElemBase* elem, int32_t side);
    // The number of trail effects the frame's way makes (the world creates none on the server).
    int32_t SpawnTrail(float dt, float prevX, float prevY, float prevZ);
    // Whether the world's hit test holds: a live element that shots damage.
    static bool CanBeHit(WorldElem& elem);
    // The record after the element's: settings, flight, the shot by its entry's name and index,
    // the attacker. An unknown entry, or an index outside its shots, is an error.
    void SaveProjectile(File& file);
    void LoadShot(File& file, uint16_t version);
    // The element's record, then the projectile's.
    void Save(File& file, bool compact) override;
    void Load(File& file, bool compact) override;

    // Members, in declaration order (the shot, hit list, damage, speed, range and distance
    // flown are the world's record's).
    uint8_t m_Stopped = 0;
    SmartPtr<WorldElemBase> m_HitElement;
    SmartPtr<WorldElemBase> m_SecondElement;
    int32_t m_Attacker = 0;  // the reference given to the creatures it hits
    uint8_t m_SettingByte = 1;
    float m_TargetSpeed = 300.0f;
    float m_BaseAngle = 0.0f;  // the centre of the wobble
    float m_WobbleFrequency = 0.0f;
    float m_WobbleAmplitude = 0.0f;  // radians; 0: no wobble
    float m_ExtraHeight = 0.0f;
    float m_HeightMarker = 9.0e9f;
    float m_SettingFloat = 1.0f;
    float m_HitRadius = 1.0f;  // 0 or less: the world's own hit test
    float m_PushStrength = 0.0f;  // length of the last push

private:
    D3DXVECTOR3 m_FramePos;  // where the frame's flight started, for the trail
};
