// DeviceGfx: a client's graphics object with a stand-in device, made from an adapter profile for
// a window of the mode's size, and the global one while it lives. At its end every stand-in
// object it made must be gone again: a live count above the one at its start is a leak, one below
// it a double release.
#pragma once
#include "engine/gfx/DXC_Gfx.h"
#include "platform/D3D9Adapter.h"
#include "platform/D3D9Device.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>

class DeviceGfx {
public:
    explicit DeviceGfx(const D3D9AdapterProfile& profile = D3D9AdapterProfile::Typical(),
                       const DXC_DisplayMode& mode = DXC_DisplayMode())
        : m_Saved(GetInstalledAdapterProfile())
    {
        for (int k = 0; k < int(D3D9Kind::Count); k++)
            m_Live[k] = D3D9Object::GetLiveCount(D3D9Kind(k));
        InstallAdapterProfile(profile);
        m_Window.SetClientSize(mode.width, mode.height);
        m_Gfx = std::make_unique<DXC_Gfx>();
        m_Gfx->InitDisplay(&m_Window, mode);
        g_Gfx = m_Gfx.get();
    }
    ~DeviceGfx()
    {
        g_Gfx = nullptr;
        m_Gfx.reset();
        InstallAdapterProfile(m_Saved);
        for (int k = 0; k < int(D3D9Kind::Count); k++)
            EXPECT_EQ(D3D9Object::GetLiveCount(D3D9Kind(k)), m_Live[k]) << "live objects of kind " << k;
    }
    DeviceGfx(const DeviceGfx&) = delete;
    DeviceGfx& operator=(const DeviceGfx&) = delete;

    DXC_Gfx& Gfx() { return *m_Gfx; }
    IDirect3DDevice9& Device() { return *m_Gfx->GetDevice(); }
    D3D9Journal& Journal() { return m_Gfx->GetDevice()->GetJournal(); }
    Window& GetWindow() { return m_Window; }

private:
    D3D9AdapterProfile m_Saved;
    int32_t m_Live[int(D3D9Kind::Count)] = {};
    Window m_Window;  // outlives the graphics object
    std::unique_ptr<DXC_Gfx> m_Gfx;
};

// What a device holds now, for tests that read states back (the reads are journalled too).
inline DWORD RenderStateOf(IDirect3DDevice9& device, D3DRENDERSTATETYPE state)
{
    DWORD value = 0;
    device.GetRenderState(state, &value);
    return value;
}

inline DWORD StageStateOf(IDirect3DDevice9& device, DWORD stage, D3DTEXTURESTAGESTATETYPE type)
{
    DWORD value = 0;
    device.GetTextureStageState(stage, type, &value);
    return value;
}

inline DWORD SamplerStateOf(IDirect3DDevice9& device, DWORD stage, D3DSAMPLERSTATETYPE type)
{
    DWORD value = 0;
    device.GetSamplerState(stage, type, &value);
    return value;
}

inline IDirect3DTexture9* BoundTextureOf(IDirect3DDevice9& device, DWORD stage)
{
    IDirect3DTexture9* texture = nullptr;
    device.GetTexture(stage, &texture);
    if (texture)
        texture->Release();  // the answer came with a reference; the device keeps its own
    return texture;
}

// A texture whose stages hold 8 x 8 images of these map types, each stage reading the coordinate
// set of its number; stage 0 selected.
inline void MakeTextureStages(DXC_Gfx& gfx, DXC_Texture& texture, std::initializer_list<int32_t> types)
{
    int32_t i = 0;
    for (int32_t type : types) {
        texture.SelectStage(i);
        gfx.CreateTexture(&texture, 8, 8, 4, -1, 1);
        texture.stages[i].mapType = type;
        texture.stages[i].texCoordIndex = int16_t(i);
        i++;
    }
    texture.SelectStage(0, 1);
}
