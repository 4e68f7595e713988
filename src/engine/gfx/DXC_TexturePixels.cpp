// DXC_Texture pixels: locking the first level of the current texture, building its mipmaps, and
// the check that the files of its stages are unchanged.
#include "engine/gfx/DXC_Texture.h"

#include "base/File.h"

int DXC_Texture::Lock(const D3DRECT* rect, DWORD flags)
{
    if (!currentTexture)
        return 0;
    const HRESULT result = currentTexture->LockRect(0, &lockedBits, rect, flags);
    if (FAILED(result))
        Error("LockRect failed: %s", GetDirectXErrorName(result));
    NoteLock(rect, pixelWidth, pixelHeight);
    return 1;
}

int DXC_Texture::Lock(D3DLOCKED_RECT& rect, DWORD flags)
{
    if (!Lock(nullptr, flags))
        return 0;
    rect = lockedBits;
    return 1;
}

int DXC_Texture::Unlock()
{
    if (!currentTexture)
        return 0;
    const HRESULT result = currentTexture->UnlockRect(0);
    if (FAILED(result))
        Error("UnlockRect failed: %s", GetDirectXErrorName(result));
    locked = 0;
    return 1;
}

void DXC_Texture::GetRect(int32_t rect[4]) const
{
    rect[0] = rect[1] = 0;
    rect[2] = pixelWidth;
    rect[3] = pixelHeight;
}

int DXC_Texture::GetSize(int32_t& width, int32_t& height) const
{
    width = pixelWidth;
    height = pixelHeight;
    return 1;
}

int DXC_Texture::CreateMipMaps()
{
    if (!currentTexture)
        return 0;
    const HRESULT result = D3DXFilterTexture(currentTexture, nullptr, 0, 0);
    if (FAILED(result))
        Error("D3DXFilterTexture failed: %s", GetDirectXErrorName(result));
    mipLevels = int32_t(currentTexture->GetLevelCount());
    return 1;
}

bool DXC_Texture::IsFileUnchanged() const
{
    for (int32_t s = 0; s < kStages; s++)
        if (!stageNames[s].IsEmpty() && File::GetModTime(stageNames[s].c_str()) != uint32_t(stageTimes[s]))
            return false;
    return true;
}
