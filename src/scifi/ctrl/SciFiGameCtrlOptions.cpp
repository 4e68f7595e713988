// SciFiGameCtrl: the camera and control options of "cfg\game.cfg", the gamma, and the camera's
// off-centre shift by the display's aspect. The server reads and keeps them; nothing is drawn.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/GameOptions.h"
#include "engine/gfx/DXC_Gfx.h"
#include "level/Angle.h"
#include "scifi/ctrl/SciFiRules.h"

#include <algorithm>

namespace {

// Two numbers into the pair; a missing or short value leaves it.
void ReadPair(ConfigFileReader& reader, const char* key, float (&pair)[2])
{
    float read[2] = {0.0f, 0.0f};
    if (reader.GetFloatPair(key, read) == ConfigFileReader::kFound) {
        pair[0] = read[0];
        pair[1] = read[1];
    }
}

}  // namespace

void SciFiGameCtrl::LoadGameOptions()
{
    GameServer::LoadGameOptions();
    ConfigFileReader& config = GetGameConfig();
    SciFiRules& rules = g_SciFiRules;

    config.GetFloat("CamAboveGround", rules.camAboveGround);
    config.GetBoolRounded("AllowMoveAndAttack", m_AllowMoveAndAttack);
    config.GetInt("ControlType", m_ControlType);
    ReadPair(config, "CamOffCenter", m_CamOffCenter);
    ReadPair(config, "CamOffCenterDynamicHor", m_CamOffCenterDynamicHor);
    ReadPair(config, "CamOffCenterDynamicVer", m_CamOffCenterDynamicVer);
    ReadPair(config, "CamOffCenterDynamicHor_16_9", m_CamOffCenterDynamicHor_16_9);
    ReadPair(config, "CamOffCenterDynamicVer_16_9", m_CamOffCenterDynamicVer_16_9);
    UpdateFieldOfView();

    // The player camera starts at the option's angle, the engine's start pitch and its distance.
    float angle = 0.0f;
    if (config.GetFloat("CamStartAngle", angle) == ConfigFileReader::kFound) {
        m_CameraStartAngles[0] = angle * Angle::kDegToRad;  // given in degrees
        m_CameraYaw = m_CameraStartAngles[0];
    }
    m_CameraStartAngles[1] = g_Options.startPitch;
    m_CameraDistance = GetCameraStartDistance();

    float gamma = 0.0f;
    if (config.GetFloat("GammaCorrection", gamma) == ConfigFileReader::kFound)
        rules.gamma = std::clamp((gamma + 1.0f) * 0.5f, 0.0f, 1.0f);
    if (g_Gfx)
        g_Gfx->SetGamma(rules.gamma);

    // Scheme 0 attacks with the walking button and puts the skill on the right one.
    m_MoveButton = 0;
    m_AttackButton = m_ControlType != 0 ? 1 : 0;
    m_SkillButton = m_ControlType != 0 ? 2 : 1;

    m_World.SetDebugMessages(g_Options.debugMessages != 0);
}

void SciFiGameCtrl::UpdateFieldOfView()
{
    GameCtrl::UpdateFieldOfView();
    // t is 0 at 4:3 (and for a display without height), 1 at 16:9 and wider.
    float t = 0.0f;
    if (g_ScreenHeight > 0)
        t = std::clamp((float(g_ScreenWidth) / float(g_ScreenHeight) - 1.3333334f) * 2.2500002f, 0.0f, 1.0f);
    for (int32_t i = 0; i < 2; ++i) {
        const float hor = m_CamOffCenterDynamicHor[i];
        const float ver = m_CamOffCenterDynamicVer[i];
        m_CamOffCenterCurrent[i] = hor + (m_CamOffCenterDynamicHor_16_9[i] - hor) * t;
        m_CamOffCenterCurrent[2 + i] = ver + (m_CamOffCenterDynamicVer_16_9[i] - ver) * t;
    }
}
