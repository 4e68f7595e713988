// D3D9Adapter: the adapter profiles, the checks that answer from them and the making of devices.
#include "platform/D3D9Adapter.h"

#include "platform/D3D9Device.h"

namespace {

D3D9AdapterProfile& Installed()
{
    static D3D9AdapterProfile s_Profile;  // no display hardware until a profile is installed
    return s_Profile;
}

constexpr uint32_t TypeBit(uint32_t resourceType) { return 1u << resourceType; }

}  // namespace

D3D9AdapterProfile D3D9AdapterProfile::Typical()
{
    D3D9AdapterProfile p;
    D3DCAPS9& c = p.caps;
    c.DeviceType = D3DDEVTYPE_HAL;
    c.Caps2 = D3DCAPS2_FULLSCREENGAMMA | D3DCAPS2_CANCALIBRATEGAMMA | D3DCAPS2_DYNAMICTEXTURES;
    c.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
    c.RasterCaps = D3DPRASTERCAPS_MIPMAPLODBIAS;
    c.TextureCaps = D3DPTEXTURECAPS_MIPMAP;
    c.TextureFilterCaps = D3DPTFILTERCAPS_MINFANISOTROPIC | D3DPTFILTERCAPS_MAGFANISOTROPIC;
    c.MaxTextureWidth = c.MaxTextureHeight = 4096;
    c.MaxTextureBlendStages = c.MaxSimultaneousTextures = 8;
    c.MaxActiveLights = 8;
    c.MaxUserClipPlanes = 6;
    c.MaxVertexBlendMatrices = 4;
    c.MaxVertexBlendMatrixIndex = 255;
    c.MaxPointSize = 256.0f;
    c.MaxStreams = 16;
    c.NumSimultaneousRTs = 4;
    c.VertexShaderVersion = 0xFFFE0300u;
    c.PixelShaderVersion = 0xFFFF0300u;
    p.displayMode = {1024, 768, 60, D3DFMT_X8R8G8B8};
    const uint32_t texture = TypeBit(D3DRTYPE_TEXTURE), surface = TypeBit(D3DRTYPE_SURFACE);
    for (D3DFORMAT f : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5})
        p.AddFormat(f, D3DUSAGE_RENDERTARGET | D3DUSAGE_DYNAMIC, texture | surface);
    for (D3DFORMAT f : {D3DFMT_R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A8, D3DFMT_L8, D3DFMT_A8L8, D3DFMT_DXT1, D3DFMT_DXT2,
                        D3DFMT_DXT3, D3DFMT_DXT4, D3DFMT_DXT5})
        p.AddFormat(f, D3DUSAGE_DYNAMIC, texture | surface);
    for (D3DFORMAT f : {D3DFMT_D16, D3DFMT_D24S8, D3DFMT_D32}) {
        p.AddFormat(f, D3DUSAGE_DEPTHSTENCIL, surface);
        for (D3DFORMAT target : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5})
            p.depthMatches.push_back({target, f});
    }
    for (D3DFORMAT f : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_D16, D3DFMT_D24S8, D3DFMT_D32})
        p.multiSample.push_back({f, 4});
    p.textureMemory = uint64_t(256) << 20;
    return p;
}

void D3D9AdapterProfile::AddFormat(D3DFORMAT format, uint32_t usages, uint32_t resourceTypes)
{
    formats.push_back({format, usages, resourceTypes});
}

const D3D9FormatSupport* D3D9AdapterProfile::FindFormat(D3DFORMAT format) const
{
    for (const D3D9FormatSupport& support : formats)
        if (support.format == format)
            return &support;
    return nullptr;
}

void InstallAdapterProfile(const D3D9AdapterProfile& profile)
{
    Installed() = profile;
}

const D3D9AdapterProfile& GetInstalledAdapterProfile()
{
    return Installed();
}

IDirect3D9* Direct3DCreate9(uint32_t sdkVersion)
{
    if (sdkVersion != D3D_SDK_VERSION)
        return nullptr;
    return CreateAdapter(Installed());
}

IDirect3D9* CreateAdapter(const D3D9AdapterProfile& profile)
{
    return profile.createFails ? nullptr : new IDirect3D9(profile);
}

IDirect3D9::IDirect3D9(const D3D9AdapterProfile& profile) : D3D9Object(D3D9Kind::Adapter), m_Profile(profile) {}

bool IDirect3D9::TakesFormat(D3DFORMAT format, DWORD usage, uint32_t resourceType) const
{
    const D3D9FormatSupport* support = m_Profile.FindFormat(format);
    return support && (support->usages & usage) == usage && resourceType < 32 &&
           (support->resourceTypes & TypeBit(resourceType));
}

bool IDirect3D9::DepthMatches(D3DFORMAT renderTarget, D3DFORMAT depth) const
{
    for (const D3D9DepthMatch& match : m_Profile.depthMatches)
        if (match.renderTarget == renderTarget && match.depth == depth)
            return true;
    return false;
}

uint32_t IDirect3D9::QualityLevels(D3DFORMAT format) const
{
    for (const D3D9MultiSampleLevels& levels : m_Profile.multiSample)
        if (levels.format == format)
            return levels.qualityLevels;
    return 0;
}

uint32_t IDirect3D9::GetAdapterCount()
{
    m_Journal.Record(D3D9Op::GetAdapterCount, {}, D3D_OK);
    return 1;
}

HRESULT IDirect3D9::GetAdapterDisplayMode(uint32_t adapter, D3DDISPLAYMODE* mode)
{
    return JournalCall(&m_Journal, D3D9Op::GetAdapterDisplayMode, {adapter}, [&] {
        if (adapter != D3DADAPTER_DEFAULT || !mode)
            return D3DERR_INVALIDCALL;
        if (m_Profile.displayMode.Width == 0)
            return D3DERR_NOTAVAILABLE;
        *mode = m_Profile.displayMode;
        return D3D_OK;
    });
}

HRESULT IDirect3D9::GetDeviceCaps(uint32_t adapter, uint32_t deviceType, D3DCAPS9* caps)
{
    return JournalCall(&m_Journal, D3D9Op::GetAdapterCaps, {adapter, deviceType}, [&] {
        if (adapter != D3DADAPTER_DEFAULT || !caps)
            return D3DERR_INVALIDCALL;
        *caps = m_Profile.caps;
        return D3D_OK;
    });
}

HRESULT IDirect3D9::CheckDeviceFormat(uint32_t adapter, uint32_t deviceType, D3DFORMAT adapterFormat, DWORD usage,
                                      uint32_t resourceType, D3DFORMAT format)
{
    return JournalCall(&m_Journal, D3D9Op::CheckDeviceFormat,
                       {adapter, deviceType, adapterFormat, usage, resourceType, format}, [&] {
                           if (adapter != D3DADAPTER_DEFAULT)
                               return D3DERR_INVALIDCALL;
                           return TakesFormat(format, usage, resourceType) ? D3D_OK : D3DERR_NOTAVAILABLE;
                       });
}

HRESULT IDirect3D9::CheckDepthStencilMatch(uint32_t adapter, uint32_t deviceType, D3DFORMAT adapterFormat,
                                           D3DFORMAT renderTargetFormat, D3DFORMAT depthFormat)
{
    return JournalCall(&m_Journal, D3D9Op::CheckDepthStencilMatch,
                       {adapter, deviceType, adapterFormat, renderTargetFormat, depthFormat}, [&] {
                           if (adapter != D3DADAPTER_DEFAULT)
                               return D3DERR_INVALIDCALL;
                           return DepthMatches(renderTargetFormat, depthFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
                       });
}

HRESULT IDirect3D9::CheckDeviceMultiSampleType(uint32_t adapter, uint32_t deviceType, D3DFORMAT format,
                                               int32_t windowed, uint32_t type, DWORD* qualityLevels)
{
    return JournalCall(&m_Journal, D3D9Op::CheckDeviceMultiSampleType,
                       {adapter, deviceType, format, uint64_t(windowed), type}, [&] {
                           if (adapter != D3DADAPTER_DEFAULT)
                               return D3DERR_INVALIDCALL;
                           uint32_t levels = type == D3DMULTISAMPLE_NONE ? 1 : 0;
                           if (type == D3DMULTISAMPLE_NONMASKABLE)
                               levels = QualityLevels(format);
                           if (levels == 0)
                               return D3DERR_NOTAVAILABLE;
                           if (qualityLevels)
                               *qualityLevels = levels;
                           return D3D_OK;
                       });
}

HRESULT IDirect3D9::CreateDevice(uint32_t adapter, uint32_t deviceType, Window* focusWindow, DWORD behaviorFlags,
                                 D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device)
{
    return JournalCall(&m_Journal, D3D9Op::CreateDevice,
                       {adapter, deviceType, D3D9Arg(focusWindow), behaviorFlags, D3D9Arg(parameters)}, [&] {
                           if (!device)
                               return D3DERR_INVALIDCALL;
                           *device = nullptr;
                           if (m_Profile.displayMode.Width == 0)
                               return D3DERR_NOTAVAILABLE;  // nothing to show a device's pictures on
                           const DWORD processing = behaviorFlags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING |
                                                                     D3DCREATE_HARDWARE_VERTEXPROCESSING |
                                                                     D3DCREATE_MIXED_VERTEXPROCESSING);
                           const bool single = processing != 0 && (processing & (processing - 1)) == 0;
                           const bool hardware = processing != D3DCREATE_SOFTWARE_VERTEXPROCESSING;
                           if (adapter != D3DADAPTER_DEFAULT || deviceType != D3DDEVTYPE_HAL || !parameters ||
                               !single || (hardware && !(m_Profile.caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT)))
                               return D3DERR_INVALIDCALL;
                           IDirect3DDevice9* made = new IDirect3DDevice9(this, deviceType, focusWindow, behaviorFlags);
                           const HRESULT result = made->MakeSwapChain(parameters);
                           if (FAILED(result)) {
                               made->Release();
                               return result;
                           }
                           *device = made;
                           return D3D_OK;
                       });
}
