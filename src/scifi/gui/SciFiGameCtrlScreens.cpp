// SciFiGameCtrl: the client's screens and operations: the start of a dedicated server for a
// hosted game, the intro, the loading screen, the game view with its pause picture and the
// connecting screen, the end-of-game screen and the key names of the skill slots. The server
// reaches only the loading screen, where it keeps its clients served.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/File.h"
#include "base/GameOptions.h"
#include "engine/gfx/DXC_Gfx.h"
#include "engine/gui/InputState.h"
#include "game/ctrl/FontTable.h"
#include "platform/ProcessSpawn.h"
#include "scifi/ctrl/GameStateDebug.h"
#include "world/WorldCtrl.h"

#include <string>

namespace {

constexpr const char* kServerProgram = "Korva_server.exe";
constexpr const char16_t* kVersion = u"v1.1";
constexpr const char* kLoadingUpper = "graphics\\gui_2\\loadingscreens\\loading_upper.jpg";
constexpr const char* kLoadingLower = "graphics\\gui_2\\loadingscreens\\loading_lower.jpg";
constexpr const char* kLoadingLogo = "graphics\\gui_2\\loadingscreens\\logo.png";
constexpr const char* kIntroVideo = "sequences/KORVA_Intro.wmv";
constexpr uint32_t kOpaqueBlack = 0xFF000000u;
constexpr int32_t kVersionBottomOffset = 24;  // pixels above the lower edge

// The key names shown beside the skill buttons, each with the input it was made from.
struct SkillKeyName {
    int32_t kind = -1;
    int32_t code = -1;
    wString name;
};
SkillKeyName s_SkillKeyNames[SciFiGameCtrl::kQuickSlots];

bool HasDevice() { return g_Gfx && g_Gfx->HasDevice(); }

// A missing picture is left out rather than ending the load it decorates.
void LoadPicture(DXC_Texture& texture, const char* fileName)
{
    if (g_Gfx && File::Exists(fileName))
        g_Gfx->LoadTexture(&texture, fileName, 0, -1, 0, 1);
}

}  // namespace

bool SciFiGameCtrl::StartDedicatedServer(const String& levelFile, int32_t difficulty, const String& serverName,
                                         const ProcessSpawner& spawn)
{
    const std::vector<std::string> arguments = {
        kServerProgram,
        levelFile.c_str(),
        "/Diff=" + std::to_string(difficulty),
        std::string("/Name=") + serverName.c_str(),
    };
    return spawn ? spawn(kServerProgram, arguments) : Platform::SpawnProcess(kServerProgram, arguments);
}

void SciFiGameCtrl::PlayIntro()
{
    LoadGameSaveData(1);  // the intro counts as seen
    PlayVideo(kIntroVideo, 0, 1);
}

// The pictures load only where the loading screen has its background; the engine's part runs in
// any case, since it keeps the clients served during long loads.
void SciFiGameCtrl::ShowLoadingProgress(float percent, int32_t stage, float alpha, int32_t flag)
{
    if (m_LoadingScreen.IsValid()) {
        if (m_LoadingScreenThreePart && !m_LoadingScreenTop.IsValid()) {
            LoadPicture(m_LoadingScreenTop, kLoadingUpper);
            LoadPicture(m_LoadingScreenBottom, kLoadingLower);
        }
        if (!m_LoadingLogo.IsValid())
            LoadPicture(m_LoadingLogo, kLoadingLogo);
    }
    GameServer::ShowLoadingProgress(percent, stage, alpha, flag);
    if (HasDevice()) {
        DrawLoadingScreen();
        PresentFrame();
    }
}

const wString& SciFiGameCtrl::GetConnectText()
{
    static const wString text = GetGuiDBText("loadingscreen", "ConnectToServer", nullptr);
    return text;
}

void SciFiGameCtrl::ShowProgress(float percent, const wString& text, float alpha, int32_t flag)
{
    (void)percent;
    (void)text;
    (void)alpha;
    (void)flag;
    ServiceNetwork();
}

wString SciFiGameCtrl::GetSkillKeyName(int32_t slot)
{
    if (slot < 0 || slot >= kQuickSlots)
        return wString();
    if (s_ResetSkillKeyNames) {
        for (SkillKeyName& entry : s_SkillKeyNames)
            entry = SkillKeyName();
        s_ResetSkillKeyNames = false;
    }
    const KeyBinding& binding = m_Controls.GetBinding(Controls::kSkill1 + slot);
    SkillKeyName& entry = s_SkillKeyNames[slot];
    if (entry.kind != binding.primaryKind || entry.code != binding.primaryCode) {
        entry.kind = binding.primaryKind;
        entry.code = binding.primaryCode;
        entry.name = wString(Controls::GetKeyName(binding.primaryKind, binding.primaryCode).c_str());
    }
    return entry.name;
}

void SciFiGameCtrl::DrawGameView()
{
    float progress = 0.0f;
    const bool connecting = IsJoiningNetworkGame(&progress);
    if (HasDevice()) {
        bool cleared = false;
        if (GuiSawPause() && !m_NoPausePicture && !connecting && GetViewMode() < 4) {
            // The paused game shows darkened behind the menus; its own picture comes with the
            // pause shader.
            g_Gfx->SetViewPort(0, 0, g_ScreenWidth, g_ScreenHeight, 0.0f, 1.0f);
            g_Gfx->ClearTarget(kOpaqueBlack, nullptr);
            g_Gfx->SetBlendMode(1, 0, 0);
            g_Gfx->FillScreen(0xFF505050u, 0.0f);
            g_Gfx->SetBlendMode(9, 0, 0);
            g_Gfx->ClearZBuffer(1.0f, nullptr);
            cleared = true;
        }
        if (!cleared) {
            g_Gfx->SetViewPort(0, 0, g_ScreenWidth, g_ScreenHeight, 0.0f, 1.0f);
            g_Gfx->ClearTarget(kOpaqueBlack, nullptr);
        }
    }
    if (g_GameStateDebug.skipMode)
        return;
    if (connecting) {
        ShowProgress(progress * 100.0f, GetConnectText(), 1.0f, 0);
        return;
    }
    if (HasDevice())
        RenderFrame();
}

void SciFiGameCtrl::DrawEndOfGame()
{
    float progress = 0.0f;
    const bool connecting = IsJoiningNetworkGame(&progress);
    HandleGuiInput();
    g_InputState.Update();
    if (HasDevice())
        g_Gfx->BeginScene();
    if (!connecting)
        DrawGameView();
    DrawGui();
    if (HasDevice()) {
        g_Gfx->SetBlendMode(9, 0, 0);
        g_Gfx->SetFont(FindFont(nullptr), 1.0f, 0);
        POINT position;
        position.x = g_ScreenWidth;
        position.y = g_ScreenHeight - kVersionBottomOffset;
        g_Gfx->PrintfRightW(position, kVersion);
        g_Gfx->EndScene();
        PresentFrame();
    }
}
