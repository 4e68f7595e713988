// D3D9Adapter: the stand-in for the Direct3D 9 interface of one display adapter, made from a
// profile of what the adapter can do: its capabilities, the formats it takes for each use and
// resource type, the depth formats that go with each render-target format, the multisample levels,
// the display mode and the device memory. The checks answer from the profile without a device.
//
// Direct3DCreate9 makes the adapter of the profile installed for the process. Until one is
// installed the machine has no display hardware (what the dedicated server runs on): the adapter
// reports zero capabilities, takes no format and makes no device.
#pragma once
#include "platform/D3D9Journal.h"
#include "platform/D3D9Object.h"
#include "platform/D3D9Types.h"

#include <cstdint>
#include <vector>

struct D3D9FormatSupport {
    D3DFORMAT format = D3DFMT_UNKNOWN;
    uint32_t usages = 0;         // the usage bits it is taken with (render target, depth, dynamic)
    uint32_t resourceTypes = 0;  // bit 1 << D3DRTYPE_... for each resource type
};

struct D3D9DepthMatch {
    D3DFORMAT renderTarget = D3DFMT_UNKNOWN;
    D3DFORMAT depth = D3DFMT_UNKNOWN;
};

struct D3D9MultiSampleLevels {
    D3DFORMAT format = D3DFMT_UNKNOWN;
    uint32_t qualityLevels = 0;  // of the non-maskable type; 0 none
};

struct D3D9AdapterProfile {
    bool createFails = false;  // Direct3DCreate9 answers null
    D3DCAPS9 caps;
    D3DDISPLAYMODE displayMode;  // a width of 0: no display, so no device
    std::vector<D3D9FormatSupport> formats;
    std::vector<D3D9DepthMatch> depthMatches;
    std::vector<D3D9MultiSampleLevels> multiSample;
    uint64_t textureMemory = 0;  // bytes for default-pool resources

    // A capable adapter: 1024 x 768 in X8R8G8B8, every format of the engine as texture, the 32-bit
    // and 16-bit ones as render targets, D16, D24S8 and D32 depth, four multisample levels, 256 MiB.
    static D3D9AdapterProfile Typical();
    void AddFormat(D3DFORMAT format, uint32_t usages, uint32_t resourceTypes);
    const D3D9FormatSupport* FindFormat(D3DFORMAT format) const;
};

// The profile that Direct3DCreate9 makes its adapter from.
void InstallAdapterProfile(const D3D9AdapterProfile& profile);
const D3D9AdapterProfile& GetInstalledAdapterProfile();

class IDirect3D9 : public D3D9Object {
public:
    uint32_t GetAdapterCount();
    HRESULT GetAdapterDisplayMode(uint32_t adapter, D3DDISPLAYMODE* mode);
    HRESULT GetDeviceCaps(uint32_t adapter, uint32_t deviceType, D3DCAPS9* caps);
    HRESULT CheckDeviceFormat(uint32_t adapter, uint32_t deviceType, D3DFORMAT adapterFormat, DWORD usage,
                              uint32_t resourceType, D3DFORMAT format);
    HRESULT CheckDepthStencilMatch(uint32_t adapter, uint32_t deviceType, D3DFORMAT adapterFormat,
                                   D3DFORMAT renderTargetFormat, D3DFORMAT depthFormat);
    HRESULT CheckDeviceMultiSampleType(uint32_t adapter, uint32_t deviceType, D3DFORMAT format, int32_t windowed,
                                       uint32_t type, DWORD* qualityLevels);
    HRESULT CreateDevice(uint32_t adapter, uint32_t deviceType, Window* focusWindow, DWORD behaviorFlags,
                         D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device);

    // The stand-in's own: the journal of this adapter and of every device it made, and the profile.
    D3D9Journal& GetJournal() { return m_Journal; }
    const D3D9AdapterProfile& GetProfile() const { return m_Profile; }

private:
    friend IDirect3D9* Direct3DCreate9(uint32_t sdkVersion);
    friend IDirect3D9* CreateAdapter(const D3D9AdapterProfile& profile);
    explicit IDirect3D9(const D3D9AdapterProfile& profile);
    ~IDirect3D9() override = default;
    // The checks without journaling, for the device's own use.
    friend class IDirect3DDevice9;
    bool TakesFormat(D3DFORMAT format, DWORD usage, uint32_t resourceType) const;
    bool DepthMatches(D3DFORMAT renderTarget, D3DFORMAT depth) const;
    uint32_t QualityLevels(D3DFORMAT format) const;

    D3D9AdapterProfile m_Profile;
    D3D9Journal m_Journal;
};

// The adapter of the installed profile; null when the profile says creation fails or the SDK
// version is not the one this stand-in serves.
IDirect3D9* Direct3DCreate9(uint32_t sdkVersion);
// The adapter of a given profile, for tests of the stand-in itself.
IDirect3D9* CreateAdapter(const D3D9AdapterProfile& profile);
