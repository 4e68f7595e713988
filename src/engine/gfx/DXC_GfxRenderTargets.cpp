// DXC_Gfx render targets: the two render and depth buffers and the switches between them and
// textures (mirrors, effects), the screen-buffer and screen-copy textures of post effects, the
// screenshot files and the copy of the front buffer. All of it needs the device; the server
// never gets here.
#include "engine/gfx/DXC_Gfx.h"

#include "base/File.h"
#include "platform/D3D9Device.h"
#include "platform/D3DXImage.h"

#include <algorithm>
#include <cstring>

namespace {

const char* const kShotExtensions[5] = {".bmp", ".jpg", ".tga", ".png", ".dds"};
int32_t& ShotCounter()
{
    static int32_t s_Counter = 0;  // shared by every numbered screenshot of a run
    return s_Counter;
}

}  // namespace

int DXC_Gfx::SetRenderTarget(IDirect3DSurface9* surface, int32_t index)
{
    lastResult = Device().SetRenderTarget(DWORD(index), surface);
    if (FAILED(lastResult))
        Error("Can not set render target: %s", GetDirectXErrorName(lastResult));
    ForgetViewPort();  // the device resets its viewport to the new target's size
    return 1;
}

IDirect3DSurface9* DXC_Gfx::GetRenderTarget(int32_t index)
{
    IDirect3DSurface9* surface = nullptr;
    lastResult = Device().GetRenderTarget(DWORD(index), &surface);
    if (FAILED(lastResult))
        Error("Can not get render target: %s", GetDirectXErrorName(lastResult));
    return surface;
}

int DXC_Gfx::SelectRenderBuffer(int32_t index)
{
    if (index < 0 || index > 1)
        Error("Invalid render target buffer count");
    IDirect3DDevice9& d = Device();
    if (!renderTargetSlots[index]) {
        lastResult = d.CreateRenderTarget(presentParameters.BackBufferWidth, presentParameters.BackBufferHeight,
                                          defaultTextureFormat, presentParameters.MultiSampleType,
                                          presentParameters.MultiSampleQuality, 0, &renderTargetSlots[index], nullptr);
        if (FAILED(lastResult))
            Error("CreateRenderTarget failed: %s ", GetDirectXErrorName(lastResult));
    }
    SetRenderTarget(renderTargetSlots[index], 0);
    renderBuffer = index;
    return 1;
}

int DXC_Gfx::SelectDepthBuffer(int32_t index)
{
    if (index < 0 || index > 1)
        Error("Invalid depth/stencil buffer count");
    IDirect3DDevice9& d = Device();
    if (!depthStencilSlots[index]) {
        if (index == 0 || depthBuffer1State < 0)
            return 0;  // the device's own is missing, or the extra one failed before
        lastResult = d.CreateDepthStencilSurface(
            presentParameters.BackBufferWidth, presentParameters.BackBufferHeight, presentParameters.AutoDepthStencilFormat,
            presentParameters.MultiSampleType, presentParameters.MultiSampleQuality, 0, &depthStencilSlots[1], nullptr);
        if (FAILED(lastResult)) {
            Warning("CreateDepthStencilBuffer failed: %s ", GetDirectXErrorName(lastResult));
            depthBuffer1State = -1;
            return 0;
        }
        depthBuffer1State = 1;
    }
    lastResult = d.SetDepthStencilSurface(depthStencilSlots[index]);
    if (FAILED(lastResult))
        Error("SetDepthStencilSurface failed: %s", GetDirectXErrorName(lastResult));
    depthBuffer = index;
    return 1;
}

int DXC_Gfx::CopyDepthBuffer(int32_t from, int32_t to)
{
    if (from < 0 || from > 1 || to < 0 || to > 1)
        Error("Invalid depth/stencil buffer count");
    lastResult = Device().StretchRect(depthStencilSlots[from], nullptr, depthStencilSlots[to], nullptr, D3DTEXF_NONE);
    if (FAILED(lastResult))
        Error("StretchRect in CopyDepthStencilSurface failed: %s ", GetDirectXErrorName(lastResult));
    return 1;
}

int DXC_Gfx::SetDepthSurface(DXC_Surface* surface)
{
    const bool valid = surface && surface->IsValid();
    lastResult = Device().SetDepthStencilSurface(valid ? surface->surface : nullptr);
    if (FAILED(lastResult))
        Error("SetDepthStencilSurface failed: %s", GetDirectXErrorName(lastResult));
    states.targetHasZBuffer = valid ? 1 : 0;
    states.depthSurface = surface;
    return 1;
}

int DXC_Gfx::SetRenderTargetTexture(IDirect3DTexture9* texture, int32_t index)
{
    IDirect3DSurface9* level = nullptr;
    lastResult = texture ? texture->GetSurfaceLevel(0, &level) : D3DERR_INVALIDCALL;
    if (FAILED(lastResult))
        Error("Can not set render target: %s", GetDirectXErrorName(lastResult));
    ReleaseOnExit<IDirect3DSurface9> release(level);
    return SetRenderTarget(level, index);
}

int DXC_Gfx::SetRenderTargetTo(DXC_Texture* texture, DXC_Surface* depth)
{
    if (texture && texture->currentTexture)
        SetRenderTargetTexture(texture->currentTexture, 0);
    else
        SetRenderTarget(nullptr, 0);
    states.renderTargetTexture = texture;
    return SetDepthSurface(depth);
}

int DXC_Gfx::RestoreRenderTarget()
{
    IDirect3DDevice9& d = Device();
    lastResult = d.SetRenderTarget(0, renderTargetSlots[renderBuffer]);
    if (FAILED(lastResult))
        Error("Can not restore render target: %s", GetDirectXErrorName(lastResult));
    lastResult = d.SetDepthStencilSurface(depthStencilSlots[depthBuffer]);
    if (FAILED(lastResult))
        Error("SetDepthStencilSurface failed: %s", GetDirectXErrorName(lastResult));
    states.targetHasZBuffer = 1;
    states.renderTargetTexture = nullptr;
    states.depthSurface = nullptr;
    ForgetViewPort();
    return 1;
}

IDirect3DTexture9* DXC_Gfx::GetScreenBufferTexture(int32_t kind, int32_t index)
{
    int32_t slot = -1;
    if (kind == 2 && index >= 0 && index < 2)
        slot = index;
    else if (kind == 1 && index >= 0 && index < 3)
        slot = 2 + index;
    if (slot < 0)
        return nullptr;
    if (!screenTextures[slot]) {
        int32_t width = 0, height = 0;
        GetBackBufferSize(width, height);
        if (kind == 1) {
            width = std::max(width / 4, 1);
            height = std::max(height / 4, 1);
        }
        lastResult = Device().CreateTexture(uint32_t(width), uint32_t(height), 1, D3DUSAGE_RENDERTARGET,
                                            D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &screenTextures[slot], nullptr);
        if (FAILED(lastResult))
            Error("GetScreenBufferTexture failed - can not create texture buffer: %s",
                  GetDirectXErrorName(lastResult));
    }
    return screenTextures[slot];
}

int DXC_Gfx::CopyBackBufferToTexture(IDirect3DTexture9* texture)
{
    IDirect3DSurface9* level = nullptr;
    lastResult = texture ? texture->GetSurfaceLevel(0, &level) : D3DERR_INVALIDCALL;
    if (SUCCEEDED(lastResult)) {
        lastResult = Device().StretchRect(backBuffer.surface, nullptr, level, nullptr, D3DTEXF_NONE);
        level->Release();
    }
    if (FAILED(lastResult))
        Error("StretchRect failed: %s", GetDirectXErrorName(lastResult));
    return 1;
}

IDirect3DTexture9* DXC_Gfx::GetScreenCopyTexture(bool viewportOnly)
{
    if (screenCopy && screenCopyReuse && screenCopyFrame == frameCounter &&
        (!replacementEffect.set || screenCopyPass == effectPass))
        return screenCopy;
    IDirect3DDevice9& d = Device();
    IDirect3DSurface9* target = GetRenderTarget(0);
    D3DSURFACE_DESC desc;
    target->GetDesc(&desc);
    D3DRECT rect{0, 0, int32_t(desc.Width), int32_t(desc.Height)};
    if (viewportOnly && viewport.Width > 0 && viewport.Height > 0)
        rect = {int32_t(viewport.X), int32_t(viewport.Y), int32_t(viewport.X + viewport.Width),
                int32_t(viewport.Y + viewport.Height)};
    const uint32_t width = uint32_t(rect.x2 - rect.x1), height = uint32_t(rect.y2 - rect.y1);
    if (screenCopy) {
        D3DSURFACE_DESC copyDesc;
        screenCopy->GetLevelDesc(0, &copyDesc);
        if (copyDesc.Width != width || copyDesc.Height != height) {
            screenCopy->Release();
            screenCopy = nullptr;
        }
    }
    if (!screenCopy) {
        lastResult =
            d.CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET, desc.Format, D3DPOOL_DEFAULT, &screenCopy, nullptr);
        if (FAILED(lastResult)) {
            target->Release();
            Error("Could not create screen copy texture: %s", GetDirectXErrorName(lastResult));
        }
        textureCount++;
    }
    IDirect3DSurface9* level = nullptr;
    screenCopy->GetSurfaceLevel(0, &level);
    lastResult = d.StretchRect(target, &rect, level, nullptr, D3DTEXF_NONE);
    level->Release();
    target->Release();
    if (FAILED(lastResult))
        Error("StretchRect failed: %s", GetDirectXErrorName(lastResult));
    screenCopyFrame = frameCounter;
    screenCopyPass = effectPass;
    return screenCopy;
}

int32_t DXC_Gfx::ScreenShotFormatOf(const char* fileName)
{
    const char* dot = fileName ? std::strrchr(fileName, '.') : nullptr;
    for (int32_t format = 0; dot && format < 5; format++)
        if (String::CompareNoCase(dot, kShotExtensions[format]) == 0)
            return format;
    return -1;
}

void DXC_Gfx::ResetScreenShotCounter(int32_t start)
{
    ShotCounter() = start;
}

// The name is built in a String, so a long base name cannot overrun it, and the search for a free
// number ends with an error after a bounded number of taken names.
int DXC_Gfx::ScreenShot(const char* baseName, int32_t format, const RECT* rect, bool numbered)
{
    if (format < 0 || format > 4)
        Error("Invalid file format for ScreenShot()");
    const char* base = baseName ? baseName : "";
    String name;
    if (!numbered) {
        name.Format("%s%s", base, kShotExtensions[format]);
    } else {
        int32_t tries = 0;
        do {
            if (++tries > kMaxScreenShotTries)
                Error("No free screenshot name for %s after %i tries", base, kMaxScreenShotTries);
            name.Format("%s%i%s", base, ShotCounter(), kShotExtensions[format]);
            ShotCounter()++;
        } while (File::Exists(name.c_str()));
    }
    D3DRECT area{0, 0, displayWidth, displayHeight};
    if (rect) {
        area = {std::max(int32_t(rect->left), 0), std::max(int32_t(rect->top), 0),
                std::min(int32_t(rect->right), displayWidth), std::min(int32_t(rect->bottom), displayHeight)};
        if (area.x2 <= area.x1 || area.y2 <= area.y1)
            return 0;
    }
    IDirect3DDevice9& d = Device();
    IDirect3DSurface9* shot = nullptr;
    lastResult = d.CreateOffscreenPlainSurface(uint32_t(displayWidth), uint32_t(displayHeight), D3DFMT_A8R8G8B8,
                                               D3DPOOL_SCRATCH, &shot, nullptr);
    if (FAILED(lastResult))
        Error("CreateImageSurface in ScreenShot failed: %s (file:%s)", GetDirectXErrorName(lastResult), name.c_str());
    ReleaseOnExit<IDirect3DSurface9> release(shot);
    lastResult = d.GetFrontBufferData(0, shot);
    if (FAILED(lastResult))
        Error("GetFrontBuffer in ScreenShot failed: %s (file:%s)", GetDirectXErrorName(lastResult), name.c_str());
    lastResult = D3DXSaveSurfaceToFileA(name.c_str(), uint32_t(format), shot, nullptr, rect ? &area : nullptr);
    if (FAILED(lastResult))
        Error("D3DXSaveSurfaceToFile in ScreenShot failed: %s (file:%s)", GetDirectXErrorName(lastResult),
              name.c_str());
    return 1;
}

int DXC_Gfx::GrabFrontBuffer(DXC_Surface* surface)
{
    if (!surface)
        Error("DXC_Surface pointer in CreateSurface is NULL pointer!");
    CreateSurface(surface, displayWidth, displayHeight, int32_t(D3DFMT_A8R8G8B8), true);
    lastResult = Device().GetFrontBufferData(0, surface->surface);
    if (FAILED(lastResult)) {
        Warning("GetFrontBuffer in ScreenShot failed: %s", GetDirectXErrorName(lastResult));
        return 0;
    }
    return 1;
}
