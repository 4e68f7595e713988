// WorldCtrl drawing: the operations that only draw (the screen icon, the cover-map texture, an
// element's scene with its lights and fog, the item, script-camera and widget set-ups) and the
// message overlay. They draw through the program's graphics object; the server has no device,
// so there each of them draws nothing.
#include "world/WorldCtrl.h"

#include "engine/gfx/DXC_Gfx.h"
#include "engine/gfx/DXC_Texture.h"
#include "engine/scene/DXC_3dScene.h"
#include "engine/scene/DXC_LightSet.h"
#include "engine/scene/DXC_Mesh.h"
#include "world/GameCtrlInterface.h"
#include "world/WorldElem.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t kIconMargin = 16;        // from the lower right corner
constexpr int32_t kLogLineHeight = 14;
constexpr float kLogFadeShown = 0.4f;      // fainter lines are not drawn, only their room kept
constexpr float kLogFadePixels = 35.0f;    // the room of a fainter line per unit of fade
constexpr int32_t kLogBottomMargin = 30;   // the running-script line lies below the log block
constexpr int32_t kLogTextIndent = 11;
constexpr int32_t kScriptLineX = 500;
constexpr int32_t kScriptLineRise = 15;

DXC_Gfx* DrawingGfx() { return g_Gfx && g_Gfx->HasDevice() ? g_Gfx : nullptr; }

uint32_t WhiteWithAlpha(float alpha)
{
    const float a = std::clamp(alpha, 0.0f, 1.0f);
    return (uint32_t(std::lround(a * 255.0f)) << 24) | 0x00FFFFFFu;
}

}  // namespace

void WorldCtrl::AddScreenIcon(DXC_Texture* picture, float duration)
{
    if (!picture || !(duration > 0.0f))
        return;
    if (int32_t(m_ScreenIcons.size()) >= kScreenIcons)
        m_ScreenIcons.erase(m_ScreenIcons.begin());
    m_ScreenIcons.push_back({picture, GameCtrlInterface::GameTime(), duration});
}

float WorldCtrl::ScreenIconAlpha(float elapsed, float duration)
{
    const float rise = duration * 0.5f;
    if (!(rise > 0.0f))
        return 1.0f;
    return std::clamp(elapsed / rise, 0.0f, 1.0f);
}

int WorldCtrl::DrawScreenIcon()
{
    const double now = GameCtrlInterface::GameTime();
    while (!m_ScreenIcons.empty() && now - m_ScreenIcons.front().startTime >= m_ScreenIcons.front().duration)
        m_ScreenIcons.erase(m_ScreenIcons.begin());
    DXC_Gfx* gfx = DrawingGfx();
    if (!gfx || m_ScreenIcons.empty() || !m_ScreenIcons.front().picture->IsValid())
        return 0;
    const ScreenIcon& icon = m_ScreenIcons.front();
    int32_t width = 0, height = 0;
    gfx->GetScreenSize(width, height);
    int32_t w = 0, h = 0;
    icon.picture->GetDrawSizeInt(w, h);
    const int32_t rect[4] = {width - kIconMargin - w, height - kIconMargin - h, width - kIconMargin,
                             height - kIconMargin};
    gfx->SetMaterialStages(icon.picture, -1);
    return gfx->DrawTextureUniform(rect, WhiteWithAlpha(ScreenIconAlpha(float(now - icon.startTime), icon.duration)),
                                   0.0f);
}

int WorldCtrl::UpdateCoverMapTexture(DXC_Texture& texture)
{
    WorldElem* hero = FindCtrl() ? FindCtrl()->GetMainChar() : nullptr;
    if (!DrawingGfx() || !hero || !texture.IsValid() || m_CellWidth <= 0 || m_CellHeight <= 0)
        return 0;
    if (texture.format != D3DFMT_A8R8G8B8 && texture.format != D3DFMT_X8R8G8B8)
        return 0;  // one 32-bit texel a cell, or the rows would overrun the pitch
    int32_t width = 0, height = 0;
    texture.GetSize(width, height);
    D3DLOCKED_RECT locked{};
    if (width <= 0 || height <= 0 || !texture.Lock(locked, 0))
        return 0;
    if (!locked.pBits || locked.Pitch < width * 4) {
        texture.Unlock();
        return 0;
    }
    const D3DXVECTOR2 pos = hero->GetPos();
    const int32_t left = int32_t(std::floor(pos.x / m_CellWidthF)) - width / 2;
    const int32_t top = int32_t(std::floor(pos.y / m_CellHeightF)) - height / 2;
    for (int32_t row = 0; row < height; row++) {
        auto* line = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + size_t(row) * size_t(locked.Pitch));
        for (int32_t column = 0; column < width; column++)
            line[column] = GetCoverPixel(left + column, top + row);
    }
    texture.Unlock();
    return 1;
}

int32_t WorldCtrl::RenderObjectEffects(DXC_3dScene& scene, const DXC_LightSet& lights, int32_t passMask)
{
    DXC_Gfx* gfx = DrawingGfx();
    if (!gfx)
        return 0;
    gfx->ApplyLightSet(lights, GameCtrlInterface::GameTime());
    int32_t drawn = 0;
    for (int32_t i = 0; i < scene.GetMeshCount(); i++)
        if (DXC_Mesh* mesh = scene.GetMesh(i))
            drawn += gfx->RenderObject(scene, *mesh, 0, passMask) > 0 ? 1 : 0;
    gfx->RemoveLightSet(lights);
    return drawn;
}

void WorldCtrl::SetItemRenderState(DXC_Texture* picture, int32_t blendMode, int32_t alpha)
{
    DXC_Gfx* gfx = DrawingGfx();
    if (!gfx)
        return;
    gfx->SetZWriteEnable(blendMode == 1 || blendMode == -1 ? 1 : 0);  // blended items write no depth
    gfx->SetBlendMode(blendMode, alpha, 0);
    gfx->SetMaterialStages(picture, -1);
}

void WorldCtrl::SetScriptCamera()
{
    DXC_Gfx* gfx = DrawingGfx();
    if (!gfx)
        return;
    int32_t rect[4] = {m_ScreenRect[0], m_ScreenRect[1], m_ScreenRect[2], m_ScreenRect[3]};
    if (rect[2] <= rect[0] || rect[3] <= rect[1]) {
        rect[0] = rect[1] = 0;
        gfx->GetScreenSize(rect[2], rect[3]);
    }
    gfx->SetViewPort(rect[0], rect[1], rect[2], rect[3], 0.0f, 1.0f);
    gfx->SetCameraLookAt(m_CameraEye, m_CameraTarget, m_CameraUp);
}

void WorldCtrl::SetGuiViewport(const int32_t rect[4])
{
    std::copy(rect, rect + 4, m_GuiViewport);
    if (DXC_Gfx* gfx = DrawingGfx(); gfx && rect[2] > rect[0] && rect[3] > rect[1])
        gfx->SetViewPort(rect[0], rect[1], rect[2], rect[3], 0.0f, 1.0f);
}

bool WorldCtrl::IsInGuiViewport(int32_t x, int32_t y) const
{
    return x >= m_GuiViewport[0] && x < m_GuiViewport[2] && y >= m_GuiViewport[1] && y < m_GuiViewport[3];
}

int32_t WorldCtrl::LayoutLogLines(const float* fades, int32_t count, int32_t bottom, LogLinePlace* out)
{
    float room[kLogLines] = {};
    float total = 0.0f;
    count = std::clamp(count, 0, kLogLines);
    for (int32_t i = 0; i < count; i++) {
        room[i] = fades[i] > kLogFadeShown ? float(kLogLineHeight) : std::max(fades[i], 0.0f) * kLogFadePixels;
        total += room[i];
    }
    float y = float(bottom) - total;
    for (int32_t i = 0; i < count; i++) {
        out[i].y = int32_t(std::floor(y));
        out[i].drawn = fades[i] > kLogFadeShown;
        y += room[i];
    }
    return int32_t(std::ceil(total));
}

void WorldCtrl::DrawMessages()
{
    DXC_Gfx* gfx = DrawingGfx();
    GameCtrlInterface* ctrl = FindCtrl();
    if (!gfx || !ctrl)
        return;
    int32_t width = 0, height = 0;
    gfx->GetScreenSize(width, height);

    if (ctrl->GetViewMode() != 3)
        if (const TextMessage* first = m_TextMessages.GetAt(0))
            ctrl->DrawTextMessage(first->text, std::min(first->time, 1.0f));

    const int32_t lines = std::min(m_LogMessages.GetSize(), kLogLines);
    if (m_LogDisplay && lines > 0 && ctrl->AllowsLogOverlay()) {
        const int32_t firstLine = m_LogMessages.GetSize() - lines;  // the newest lines, oldest on top
        float fades[kLogLines] = {};
        for (int32_t i = 0; i < lines; i++)
            fades[i] = std::min(m_LogMessages.GetAt(firstLine + i)->time, 1.0f);
        LogLinePlace places[kLogLines];
        const int32_t bottom = height - kLogBottomMargin;
        const int32_t blockHeight = LayoutLogLines(fades, lines, bottom, places);
        const int32_t block[4] = {std::max(width - m_OverlayOffset, 0), std::max(bottom - blockHeight, 0), width,
                                  std::max(bottom, 0)};
        if (block[2] > block[0] && block[3] > block[1]) {
            if (m_LogBackground && m_LogBackground->IsValid()) {
                gfx->SetMaterialStages(m_LogBackground, -1);
                gfx->DrawTextureUniform(block, 0xFFFFFFFFu, 0.0f);
            }
            int32_t saved[4];
            float depth[2];
            gfx->GetViewportRect(saved);
            gfx->GetViewportDepthRange(depth);
            gfx->SetViewPort(block[0], block[1], block[2], block[3], depth[0], depth[1]);
            for (int32_t i = 0; i < lines; i++)
                if (places[i].drawn)
                    gfx->PrintfW(block[0] + kLogTextIndent, places[i].y, u"%s",
                                 m_LogMessages.GetAt(firstLine + i)->text.c_str());
            gfx->SetViewPort(saved[0], saved[1], saved[2], saved[3], depth[0], depth[1]);
        }
    }

    if (s_ShowRunningScripts && IsAnyScriptActive()) {
        const wString text = ctrl->GetGuiDBText("logmsg", "actionrunning", nullptr);
        gfx->PrintfW(kScriptLineX, height - kScriptLineRise, u"|cC55%s", text.c_str());
    }
}
