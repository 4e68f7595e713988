// DXC_Gfx texture files: a texture made by the device from an image file, with the storage
// format (compressed where the settings ask, unless the name holds "_ntc."), the size rules for
// images whose sides are no powers of two, and the automatic halving of large textures.
#include "engine/gfx/DXC_Gfx.h"

#include "base/FileName.h"
#include "platform/D3D9Device.h"
#include "platform/D3D9FormatInfo.h"
#include "platform/D3DXImage.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsPow2(uint32_t v)
{
    return v != 0 && (v & (v - 1)) == 0;
}

bool ContainsNoCase(const char* text, const char* part)
{
    const size_t n = std::strlen(text), m = std::strlen(part);
    for (size_t i = 0; i + m <= n; i++)
        if (String::CompareNoCase(String(text + i, int32_t(m)).c_str(), part) == 0)
            return true;
    return false;
}

// Unlocks a texture level on every way out.
class LevelLock {
public:
    LevelLock(IDirect3DTexture9* texture, uint32_t level, DWORD flags) : m_Texture(texture), m_Level(level)
    {
        m_Result = texture->LockRect(level, &m_Locked, nullptr, flags);
    }
    ~LevelLock()
    {
        if (m_Result == D3D_OK)
            m_Texture->UnlockRect(m_Level);
    }
    LevelLock(const LevelLock&) = delete;
    LevelLock& operator=(const LevelLock&) = delete;
    HRESULT Result() const { return m_Result; }
    const D3DLOCKED_RECT& Locked() const { return m_Locked; }

private:
    IDirect3DTexture9* m_Texture;
    uint32_t m_Level;
    D3DLOCKED_RECT m_Locked{};
    HRESULT m_Result;
};

}  // namespace

int32_t DXC_Gfx::CreateTextureFromFile(const char* fileName, const String& key, uint32_t colorKey, int32_t options,
                                       int32_t format, int32_t mipmaps)
{
    // -1 is the defaults: no bit of it counts.
    const int32_t bits = options == -1 ? 0 : options;
    const bool noFilter = (bits & 0x1000) != 0;
    const DWORD mirror = ((bits & 0x4000) ? D3DX_FILTER_MIRROR_U : 0) | ((bits & 0x8000) ? D3DX_FILTER_MIRROR_V : 0);
    const int32_t where = options == -1 ? -1 : (bits & ~(0x2000 | 0x1000 | 0x4000 | 0x8000));
    uint32_t pool = D3DPOOL_MANAGED;
    DWORD usage = 0;
    if (where == 1 || where == 3)
        pool = D3DPOOL_DEFAULT;
    if (where == 3)
        usage = D3DUSAGE_RENDERTARGET;

    String bytes;
    D3DXIMAGE_INFO info;
    lastResult = ReadFileToString(bytes, fileName)
                     ? D3DXGetImageInfoFromFileInMemory(bytes.c_str(), size_t(bytes.GetLength()), &info)
                     : D3DERR_NOTFOUND;
    if (FAILED(lastResult))
        Error(" D3DXGetImageInfoFromFile failed: %s (file:%s)", GetDirectXErrorName(lastResult), fileName);

    D3DFORMAT chosen = D3DFORMAT(format);
    if (format == -1)
        chosen = ContainsNoCase(fileName, "_ntc.") ? D3DFMT_UNKNOWN : ChooseTextureFormat(info);
    const D3DFORMAT stored = chosen == D3DFMT_UNKNOWN ? info.Format : chosen;

    // A device that needs powers of two gets the defaults, which D3DX rounds up.
    uint32_t width = D3DX_DEFAULT, height = D3DX_DEFAULT;
    if (!(caps.TextureCaps & D3DPTEXTURECAPS_POW2)) {
        width = height = D3DX_DEFAULT_NONPOW2;
        if (!(IsPow2(info.Width) && IsPow2(info.Height)) && mipmaps != 1 && IsDXTFormat(stored)) {
            // Mip levels of compressed textures need whole blocks at every level.
            if (noFilter)
                Warning("Loading none-power of 2 texture '%s' with options: mipmaps+noStretch+compressed", fileName);
            width = NextPowerOfTwo(info.Width);
            height = NextPowerOfTwo(info.Height);
        }
    }

    IDirect3DTexture9* made = nullptr;
    lastResult = D3DXCreateTextureFromFileInMemoryEx(
        &Device(), bytes.c_str(), size_t(bytes.GetLength()), width, height, uint32_t(mipmaps), usage, chosen, pool,
        (noFilter ? D3DX_FILTER_NONE : D3DX_FILTER_LINEAR) | mirror, D3DX_FILTER_BOX | mirror, colorKey, &info,
        nullptr, &made);
    if (FAILED(lastResult))
        Error("D3DXCreateTextureFromFileA failed: %s (file:%s)", GetDirectXErrorName(lastResult), fileName);
    if (ExceedsMaxTextureSize(int32_t(info.Width), int32_t(info.Height)))
        made = HalveTexture(made, fileName);
    if (pool == D3DPOOL_DEFAULT)
        DXC_Texture::s_DefaultPoolTextures++;
    textureCount++;
    const int32_t id = textureManager.Add(made, key.c_str(), fileName);
    textureManager.GetRecord(id)->imageInfo = info;
    return id;
}

IDirect3DTexture9* DXC_Gfx::HalveTexture(IDirect3DTexture9* loaded, const char* fileName)
{
    ReleaseOnExit<IDirect3DTexture9> giveBack(loaded);
    D3DSURFACE_DESC desc;
    loaded->GetLevelDesc(0, &desc);
    const uint32_t levels = loaded->GetLevelCount();
    // Level i of the half-size texture is level i + 1 of the loaded one; a texture of one level
    // has no level 1, and gets its level 0 box-filtered to half instead.
    const uint32_t halfLevels = levels > 1 ? levels - 1 : 1;
    IDirect3DTexture9* half = nullptr;
    lastResult = Device().CreateTexture(std::max<uint32_t>(desc.Width / 2, 1), std::max<uint32_t>(desc.Height / 2, 1),
                                        halfLevels, desc.Usage, desc.Format, desc.Pool, &half, nullptr);
    if (FAILED(lastResult))
        Error("CreateTexture for auto texture downsize failed: %s (file:%s)", GetDirectXErrorName(lastResult),
              fileName);
    bool sourceFailed = false;
    HRESULT result = D3D_OK;
    for (uint32_t i = 0; i < halfLevels && SUCCEEDED(result); i++) {
        const uint32_t from = i + 1 < levels ? i + 1 : i;
        D3DSURFACE_DESC source;
        loaded->GetLevelDesc(from, &source);
        LevelLock in(loaded, from, D3DLOCK_READONLY);
        if (FAILED(result = in.Result())) {
            sourceFailed = true;
            break;
        }
        if (from == i + 1) {
            LevelLock out(half, i, 0);
            if (FAILED(result = out.Result()))
                break;
            const uint32_t rows = IsD3D9Compressed(source.Format) ? (source.Height + 3) / 4 : source.Height;
            const size_t rowBytes = size_t(std::min(in.Locked().Pitch, out.Locked().Pitch));
            for (uint32_t r = 0; r < rows; r++)
                std::memcpy(static_cast<uint8_t*>(out.Locked().pBits) + size_t(r) * size_t(out.Locked().Pitch),
                            static_cast<const uint8_t*>(in.Locked().pBits) + size_t(r) * size_t(in.Locked().Pitch),
                            rowBytes);
        } else {
            IDirect3DSurface9* target = nullptr;
            result = half->GetSurfaceLevel(i, &target);
            ReleaseOnExit<IDirect3DSurface9> giveBackTarget(target);
            const D3DRECT all = {0, 0, int32_t(source.Width), int32_t(source.Height)};
            if (SUCCEEDED(result))
                result = D3DXLoadSurfaceFromMemory(target, nullptr, nullptr, in.Locked().pBits, source.Format,
                                                   uint32_t(in.Locked().Pitch), nullptr, &all, D3DX_FILTER_BOX, 0);
        }
    }
    if (FAILED(result)) {
        half->Release();
        if (sourceFailed)
            Error("Source LockRect for auto texture downsize failed: %s (file:%s)", GetDirectXErrorName(result),
                  fileName);
        Error("Destination LockRect for auto texture downsize failed: %s (file:%s)", GetDirectXErrorName(result),
              fileName);
    }
    return half;
}
