// WorldElem: the common element step that scene objects, projectiles and event objects run first
// in their update (age, fade, push decay, the automatic action, the ambient sound), and the
// automatic action itself.
#include "world/WorldElem.h"

#include "base/ErrorClass.h"
#include "base/Random.h"
#include "world/ActionEntry.h"
#include "world/GameCtrlInterface.h"
#include "world/WorldCtrl.h"

#include <cmath>

void WorldElem::CopyCommonStepState(const WorldElem& other)
{
    m_AutoAction = other.m_AutoAction;
    m_AutoActionCount = other.m_AutoActionCount;
    m_AmbientSound = other.m_AmbientSound;
    m_AmbientCount = other.m_AmbientCount;
    m_AmbientInterval[0] = other.m_AmbientInterval[0];
    m_AmbientInterval[1] = other.m_AmbientInterval[1];
    m_AmbientTimer = other.m_AmbientTimer;
    m_OnUpdateCount = other.m_OnUpdateCount;
    m_KillCounter = other.m_KillCounter;
    m_LastKillTime = other.m_LastKillTime;
}

void WorldElem::UpdateCommon(float dt)
{
    m_Age += dt;
    UpdateFade(dt);
    if (g_GameCtrl && g_GameCtrl->IsNetworkClient())
        SmoothToNetworkPos(dt);

    // The fade value runs from -1 to 1; the opacity reads it clamped to 0..1, so at -1 the
    // element is invisible, and a fade-in first makes up the way below 0.
    const float step = dt / kCommonFadeTime;
    if (m_FadeOutDirection > 0) {
        m_FadeOutValue += step;
        if (m_FadeOutValue >= 1.0f) {
            m_FadeOutValue = 1.0f;
            m_FadeOutDirection = 0;
        }
    } else if (m_FadeOutDirection < 0) {
        m_FadeOutValue -= step;
        if (m_FadeOutValue <= -1.0f) {
            m_FadeOutValue = -1.0f;
            m_FadeOutDirection = 0;
        }
    }

    // The push dies down: dv/dt = -c without damping, dv/dt = -k v - c with it.
    const float r = std::sqrt(m_VelocityX * m_VelocityX + m_VelocityY * m_VelocityY);
    if (r > 0.0f) {
        const float c = m_Deceleration;
        const float k = m_Drag;
        const float next = k > 0.0f ? (k * r + c) * std::exp(-k * dt) / k - c / k : r - c * dt;
        if (next > 0.0f) {
            m_VelocityX *= next / r;
            m_VelocityY *= next / r;
        } else {
            m_VelocityX = 0.0f;
            m_VelocityY = 0.0f;
        }
    }

    SmartPtr<WorldElem> alive(this);
    RunElementAction(dt);
    if (!alive.Get())
        return;

    if (m_AmbientCount > 0 && !m_AmbientSound.IsEmpty()) {
        if (m_AmbientTimer > 0.0f) {
            m_AmbientTimer -= dt;
            if (m_AmbientTimer <= 0.0f) {
                PlaySound(m_AmbientSound.c_str(), 0);
                m_AmbientTimer = -1.0f;  // a timer landing on 0 exactly would play every frame
            }
        }
        if (m_AmbientTimer <= 0.0f)
            m_AmbientTimer = float(Random::Range(m_AmbientInterval[0], m_AmbientInterval[1]));
    }
    if (m_OnUpdateCount > 0 && m_World)
        m_World->RunScript(m_MoreTexts[1], this, 1, 1, "OnUpdate", 1, 255);
}

void WorldElem::SetUpdateHandler(const String& text)
{
    m_MoreTexts[1] = text;
    m_OnUpdateCount = text.IsEmpty() ? 0 : 1;
}

void WorldElem::RunElementAction(float dt)
{
    if (m_AutoActionCount == 0 || m_AutoAction.IsEmpty() || !m_World)
        return;
    ActionEntry* entry = nullptr;
    try {
        entry = m_World->FindActionEntry(m_AutoAction.c_str(), true);
    } catch (const ErrorMsg&) {
        // Reported as the error it is; the element's action stops, the frame goes on.
        m_AutoActionCount = 0;
        return;
    }
    const double D = entry->duration;
    if (!(D > 0.0))
        return;  // a timeline without length fires nothing
    double t = std::fmod(GameCtrlInterface::GameTime() - m_StartValue + m_AutoActionTimeOffset, D);
    if (t < 0.0)
        t += D;
    if (!FireActionParts(*entry, float(t), dt, float(D)))
        return;
    if (m_AutoActionCount > 0 && t + double(dt) >= D) {
        m_AutoActionCount--;
        m_DamageList.DeleteAll();
    }
}
