// GameCtrl screenshots: the drawn frame with its delayed screenshot, and the screenshots that
// scripts and key bindings ask for, written by the graphics object from the front buffer.
#include "game/ctrl/GameCtrl.h"

#include "engine/gfx/DXC_Gfx.h"
#include "engine/gui/InputState.h"
#include "engine/gui/MouseState.h"
#include "platform/DirectoryOps.h"

#include <algorithm>

namespace {

constexpr int32_t kDefaultShotFormat = 3;  // a name without an image extension is written as PNG

}  // namespace

void GameCtrl::RequestScreenshot(const char* fileName, int32_t frames)
{
    m_ScreenshotFile = fileName ? fileName : "";
    m_ScreenshotCountdown = frames;
}

// Without a device (always on the server) the countdown runs and nothing is written.
void GameCtrl::TakePendingScreenshot()
{
    if (m_ScreenshotCountdown == 0 && g_Gfx && g_Gfx->HasDevice()) {
        if (m_ScreenshotFile.IsEmpty()) {
            Platform::MakeDirectory("screenshots");
            WriteScreenshot(String("screenshots/") + m_ScreenshotPrefix, true);
        } else {
            WriteScreenshot(m_ScreenshotFile, false);
        }
    }
    if (m_ScreenshotCountdown >= 0)
        m_ScreenshotCountdown--;
}

void GameCtrl::DrawFrame()
{
    // The keyboard and mouse take the new frame before the drawn frame reads them; without
    // devices (always on the server) both return at once.
    g_InputState.Update();
    g_MouseState.Update();
    if (g_Gfx && g_Gfx->HasDevice()) {  // the server has none: nothing is drawn or shown
        RenderFrame();
        PresentFrame();
    }
    TakePendingScreenshot();
}

String GameCtrl::SaveScreenshot(const char* name)
{
    const bool numbered = !name || !*name;
    String file(numbered ? "" : name);
    if (numbered) {
        Platform::MakeDirectory("screenshots");
        file = String("screenshots/") + m_ScreenshotPrefix;
    }
    if (g_Gfx && g_Gfx->HasDevice())
        WriteScreenshot(file, numbered);
    return file;
}

// The game window's client area, in screen coordinates, clamped to the screen; the graphics
// object adds the extension of the format (and the number) to the base name.
void GameCtrl::WriteScreenshot(const String& fileName, bool numbered)
{
    int32_t format = DXC_Gfx::ScreenShotFormatOf(fileName.c_str());
    String base = fileName;
    if (format >= 0)
        base = String(fileName.c_str(), fileName.GetLength() - 4);  // every extension has four characters
    else
        format = kDefaultShotFormat;
    g_Gfx->UpdateWindowRect();
    int32_t width = 0, height = 0;
    g_Gfx->GetResolution(width, height);
    const RECT& client = g_Gfx->clientRect;
    RECT area;
    area.left = std::clamp(int32_t(client.left), 0, width);
    area.top = std::clamp(int32_t(client.top), 0, height);
    area.right = std::clamp(int32_t(client.right), 0, width);
    area.bottom = std::clamp(int32_t(client.bottom), 0, height);
    g_Gfx->ScreenShot(base.c_str(), format, &area, numbered);
}
