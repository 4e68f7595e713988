// DXC_Gfx textures: textures the device makes for a texture's current stage (plain, dynamic or
// render targets), the same texture made again after a device reset, and the render texture of
// the back buffer's size. The server has no device and never gets here.
#include "engine/gfx/DXC_Gfx.h"

#include "platform/D3D9Device.h"

namespace {

// The pool and usage of a creation mode; false for a mode that names none.
bool PoolOfMode(int32_t mode, uint32_t& pool, DWORD& usage)
{
    switch (mode) {
    case 1:
        pool = D3DPOOL_DEFAULT;
        return true;
    case 2:
        pool = D3DPOOL_SYSTEMMEM;
        return true;
    case 3:
        pool = D3DPOOL_DEFAULT;
        usage |= D3DUSAGE_RENDERTARGET;
        return true;
    case 4:
    case -1:
        pool = D3DPOOL_MANAGED;
        return true;
    default:
        return false;
    }
}

}  // namespace

int DXC_Gfx::CreateTexture(DXC_Texture* texture, int32_t width, int32_t height, int32_t mode, int32_t format,
                           int32_t levels)
{
    if (!texture)
        Error("DXC_Texture pointer in CreateTexture is NULL pointer!");
    IDirect3DDevice9& d = Device();
    texture->FreeCurrent();
    texture->device = &d;
    texture->SetMapType(MAP_DIFFUSE);

    DWORD usage = 0;
    if (mode != -1 && (mode & 0x200)) {
        usage |= D3DUSAGE_DYNAMIC;
        mode &= ~0x200;
    }
    uint32_t pool = D3DPOOL_MANAGED;
    if (!PoolOfMode(mode, pool, usage))
        Error("Wrong texture parameter in CreateTexture!");
    if (width < 0 || height < 0 || levels < 0)  // sizes and counts reach the device unsigned
        Error("Wrong texture parameter in CreateTexture!");
    const D3DFORMAT chosen = format == -1 ? defaultTextureFormat : D3DFORMAT(format);
    uint32_t madeWidth = uint32_t(width), madeHeight = uint32_t(height);
    if (caps.TextureCaps & D3DPTEXTURECAPS_POW2) {
        madeWidth = NextPowerOfTwo(madeWidth);
        madeHeight = NextPowerOfTwo(madeHeight);
    }

    IDirect3DTexture9* made = nullptr;
    lastResult = d.CreateTexture(madeWidth, madeHeight, uint32_t(levels), usage, chosen, pool, &made, nullptr);
    if (FAILED(lastResult))
        Error(" D3DXCreateTexture failed: %s ", GetDirectXErrorName(lastResult));
    if (pool == D3DPOOL_DEFAULT)
        DXC_Texture::s_DefaultPoolTextures++;
    textureCount++;
    texture->SetStageTexture(made, &textureManager, textureManager.Add(made, "", ""));
    texture->UpdateDesc();
    texture->SetSize(width, height);
    return 1;
}

int DXC_Gfx::RecreateTexture(DXC_Texture* texture)
{
    if (!texture)
        Error("DXC_Texture pointer in CreateTexture is NULL pointer!");
    const int32_t stage = texture->currentStage;
    const int32_t id = texture->stageIds[stage];
    DXC_Resource* record = id >= 0 ? textureManager.GetRecordOf(id) : nullptr;
    if (!record)
        return 0;  // nothing of this stage to make again
    const D3DSURFACE_DESC& desc = texture->stageBlocks[stage];
    const uint32_t levels = texture->mipLevels > 0 ? uint32_t(texture->mipLevels) : 1;
    IDirect3DTexture9* made = nullptr;
    lastResult = Device().CreateTexture(desc.Width, desc.Height, levels, desc.Usage, desc.Format, desc.Pool, &made,
                                        nullptr);
    if (FAILED(lastResult))
        Error(" D3DXCreateTexture failed: %s ", GetDirectXErrorName(lastResult));
    if (record->resource)  // still there: the new one takes its place
        static_cast<IDirect3DTexture9*>(record->resource)->Release();
    else
        textureCount++;
    record->resource = made;
    if (desc.Pool == D3DPOOL_DEFAULT)
        DXC_Texture::s_DefaultPoolTextures++;
    texture->stageTextures[stage] = made;
    texture->SelectStage(stage, 1);
    return 1;
}

int DXC_Gfx::CreateRenderTexture(DXC_Texture* texture)
{
    int32_t width = 0, height = 0;
    GetBackBufferSize(width, height);
    const D3DFORMAT format = backBufferFormat == D3DFMT_A8R8G8B8 ? D3DFMT_X8R8G8B8 : backBufferFormat;
    return CreateTexture(texture, width, height, 3, int32_t(format), 1);
}
