// GameCtrl: the engine's GUI set-up (the maker's logo, the loading screen, the progress bar, the
// text field with its corner pictures, the tooltip frame cut from the same corner picture, the
// cursor and the tooltip timing) and the console toggle. The server has no GUI manager: the
// rules' set-up returns before it asks for this one, and nothing opens the console there.
#include "game/ctrl/GameCtrl.h"

#include "base/File.h"
#include "base/GameOptions.h"
#include "engine/gfx/DXC_Gfx.h"
#include "engine/gui/DXC_GuiManager.h"
#include "engine/gui/ToolTipSkin.h"
#include "game/ctrl/StateManager.h"

namespace {

constexpr const char* kEngineLogo = "graphics\\gui_2\\windows\\logo_quillmarsh_small_i.dds";
constexpr const char* kFrameCornerPicture = "graphics\\gui_2\\windows\\deco_icon_31_15.png";
constexpr int32_t kBarInsets[4] = {58, 32, 917, 49};
constexpr int32_t kTextFieldSize[2] = {700, 30};
// Source rectangles (x1, y1, x2, y2) of the corner picture: the other three corners are it
// mirrored in x, in y and in both; the edges are one-pixel strips of it.
constexpr float kCornerRects[3][4] = {{28, 0, 0, 28}, {0, 28, 28, 0}, {28, 28, 0, 0}};
constexpr float kEdgeRects[4][4] = {{27, 0, 28, 28}, {28, 27, 0, 28}, {27, 28, 28, 0}, {0, 27, 28, 28}};
constexpr int32_t kCornerOffsets[4][2] = {{1, 1}, {27, 1}, {1, 27}, {27, 27}};
constexpr int32_t kEdgeOffsets[4] = {1, 27, 27, 1};

// A missing picture leaves the texture empty: the GUI starts without that decoration.
void LoadGuiPicture(DXC_Texture& texture, const char* fileName)
{
    if (g_Gfx && File::Exists(fileName))
        g_Gfx->LoadTexture(&texture, fileName, 0, -1, 0, 1);
}

}  // namespace

void GameCtrl::InitGui()
{
    DXC_GuiManager* gui = g_GuiManager;
    if (!gui)
        return;
    LoadGuiPicture(m_LogoTexture, kEngineLogo);
    int32_t width = 0, height = 0;
    m_LogoTexture.GetSize(width, height);
    m_LogoTexture.SetCenter(float(width / 2), float(height));  // hangs from its lower middle

    if (g_Gfx)
        g_Gfx->SetDedicatedMode(IsDedicated() ? 1 : 0);
    LoadLoadingScreen("");

    DXC_Texture empty;
    m_ProgressBar.SetTexture(&empty, true);
    m_ProgressBar.SetBarTexture(&empty);
    m_ProgressBar.SetBarInsets(kBarInsets[0], kBarInsets[1], kBarInsets[2], kBarInsets[3]);
    gui->AddWindow(&m_ProgressBar);

    DXC_Texture& corner = m_FrameCorners[0];
    LoadGuiPicture(corner, kFrameCornerPicture);
    m_TextField.SetAlignment(DXC_GuiText::kAlignCentre, DXC_GuiText::kAlignTop);
    m_TextField.SetSidePictures(&corner);
    m_TextField.SetSize(kTextFieldSize[0], kTextFieldSize[1]);
    m_TextField.SetOpenState(false);
    gui->AddWindow(&m_TextField);

    ToolTipSkin skin;
    skin.corners[0] = &corner;
    for (int32_t i = 0; i < 3; ++i) {
        DXC_Texture& copy = m_FrameCorners[i + 1];
        corner.Clone(copy, 1, -1);
        const float* r = kCornerRects[i];
        copy.SetSourceRect(r[0], r[1], r[2], r[3], false, false);
        skin.corners[i + 1] = &copy;
    }
    for (int32_t i = 0; i < 4; ++i) {
        DXC_Texture& strip = m_FrameEdges[i];
        corner.Clone(strip, 1, -1);
        const float* r = kEdgeRects[i];
        strip.SetSourceRect(r[0], r[1], r[2], r[3], false, false);
        skin.edges[i] = &strip;
        skin.edgeOffsets[i] = kEdgeOffsets[i];
        skin.cornerOffsets[i][0] = kCornerOffsets[i][0];
        skin.cornerOffsets[i][1] = kCornerOffsets[i][1];
    }
    skin.middle = &m_FrameCentre;
    gui->SetToolTipSkin(skin);

    gui->SetCursorType(0);
    gui->SetCursorEnabled(true);
    gui->SetToolTipParams(g_Options.mouseOverDelay, g_Options.mouseOverDelayInt, g_Options.mouseOverOffset[0],
                          g_Options.mouseOverOffset[1]);
}

// Messages that wait are handled before the console opens, so that a key already on its way
// (the one that opened it) does not end up in its input.
int32_t GameCtrl::ToggleConsole()
{
    if (!m_ConsoleWindow.IsOpen() && m_StateManager)
        m_StateManager.Get()->PumpMessages(true);
    m_StatisticsPage = 0;
    if (g_GuiManager)
        AttachOwnWindows(g_GuiManager);
    m_ConsoleWindow.ToggleOpen();
    if (!m_ConsoleWindow.IsOpen())
        return 0;
    m_ConsoleWindow.BringToFront(false);
    m_ConsoleWindow.SetInputText(wString());
    m_ConsoleWindow.GetInput().SetFocus(true);
    return 1;
}
