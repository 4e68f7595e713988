// D3D9Device: the stand-in for the Direct3D 9 device. There is no GPU: it keeps every state it is
// given, binds and counts, clears and copies real pixels in memory, and checks the rules the
// graphics layer relies on. Every call goes into the adapter's journal, where a test can also ask
// for faults; Lose puts the device into the lost state of a full-screen switch.
//
// The class is split by role:
//   D3D9Device.cpp          creation, the swap chain, presentation, loss and reset, memory
//   D3D9DeviceStates.cpp    render, stage and sampler states, transforms, lights, bindings, draws
//   D3D9DeviceResources.cpp resource creation, render targets, clears, fills and copies
//
// Rules it keeps: draws only between BeginScene and EndScene, with what they read bound; Reset is
// refused while a resource of the default pool lives or the back buffer is held (bindings are
// dropped first, as the reset clears them anyway); StretchRect, ColorFill and UpdateSurface take
// only the pools and formats the platform takes (no compressed format in StretchRect and
// ColorFill); a default-pool resource takes device memory and fails with D3DERR_OUTOFVIDEOMEMORY
// beyond it. The device holds a reference to what is bound to it.
#pragma once
#include "platform/D3D9Adapter.h"
#include "platform/D3D9MemoryBuffer.h"
#include "platform/D3D9MemoryTexture.h"
#include "platform/D3DXMath.h"

#include <cstdint>
#include <map>

// Shaders are only ever bound or unbound here; nothing makes them.
class IDirect3DVertexShader9;
class IDirect3DPixelShader9;

class IDirect3DDevice9 : public D3D9Object {
public:
    static constexpr uint32_t kStages = 8;
    static constexpr uint32_t kSamplers = 16;
    static constexpr uint32_t kStreams = 16;
    static constexpr uint32_t kRenderTargets = 4;
    static constexpr uint32_t kWorldMatrices = 256;

    // Device state and presentation.
    HRESULT TestCooperativeLevel();
    uint32_t GetAvailableTextureMem();
    HRESULT GetDeviceCaps(D3DCAPS9* caps);
    HRESULT GetDisplayMode(uint32_t swapChain, D3DDISPLAYMODE* mode);
    HRESULT GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters);
    HRESULT Reset(D3DPRESENT_PARAMETERS* parameters);
    HRESULT Present(const D3DRECT* source, const D3DRECT* destination, Window* window, const void* dirtyRegion);
    HRESULT GetBackBuffer(uint32_t swapChain, uint32_t index, uint32_t type, IDirect3DSurface9** surface);
    // The front buffer (the last presented frame) as A8R8G8B8 into a system-memory or scratch
    // surface of the display's size.
    HRESULT GetFrontBufferData(uint32_t swapChain, IDirect3DSurface9* surface);
    void SetGammaRamp(uint32_t swapChain, DWORD flags, const D3DGAMMARAMP* ramp);
    void GetGammaRamp(uint32_t swapChain, D3DGAMMARAMP* ramp);

    // Resources (D3D9DeviceResources.cpp). The shared handle must be null.
    HRESULT CreateTexture(uint32_t width, uint32_t height, uint32_t levels, DWORD usage, D3DFORMAT format,
                          uint32_t pool, IDirect3DTexture9** texture, void* sharedHandle);
    HRESULT CreateVertexBuffer(uint32_t length, DWORD usage, DWORD fvf, uint32_t pool,
                               IDirect3DVertexBuffer9** buffer, void* sharedHandle);
    HRESULT CreateIndexBuffer(uint32_t length, DWORD usage, D3DFORMAT format, uint32_t pool,
                              IDirect3DIndexBuffer9** buffer, void* sharedHandle);
    HRESULT CreateRenderTarget(uint32_t width, uint32_t height, D3DFORMAT format, uint32_t multiSample,
                               DWORD multiSampleQuality, int32_t lockable, IDirect3DSurface9** surface,
                               void* sharedHandle);
    HRESULT CreateDepthStencilSurface(uint32_t width, uint32_t height, D3DFORMAT format, uint32_t multiSample,
                                      DWORD multiSampleQuality, int32_t discard, IDirect3DSurface9** surface,
                                      void* sharedHandle);
    HRESULT CreateOffscreenPlainSurface(uint32_t width, uint32_t height, D3DFORMAT format, uint32_t pool,
                                        IDirect3DSurface9** surface, void* sharedHandle);
    // From a system-memory surface into a default-pool one of the same format.
    HRESULT UpdateSurface(IDirect3DSurface9* source, const D3DRECT* sourceRect, IDirect3DSurface9* destination,
                          const POINT* destinationPoint);
    // Between default-pool surfaces, scaled by taking the nearest pixel whatever the filter.
    HRESULT StretchRect(IDirect3DSurface9* source, const D3DRECT* sourceRect, IDirect3DSurface9* destination,
                        const D3DRECT* destinationRect, uint32_t filter);
    HRESULT ColorFill(IDirect3DSurface9* surface, const D3DRECT* rect, uint32_t color);
    HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* surface);
    HRESULT GetRenderTarget(DWORD index, IDirect3DSurface9** surface);
    HRESULT SetDepthStencilSurface(IDirect3DSurface9* surface);
    HRESULT GetDepthStencilSurface(IDirect3DSurface9** surface);
    // Fills the render target and the depth and stencil of the depth surface, within the
    // viewport and the given rectangles.
    HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, uint32_t color, float z, DWORD stencil);

    // Drawing state (D3D9DeviceStates.cpp).
    HRESULT BeginScene();
    HRESULT EndScene();
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE type, const D3DXMATRIX* matrix);
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE type, D3DXMATRIX* matrix);
    HRESULT SetViewport(const D3DVIEWPORT9* viewport);
    HRESULT GetViewport(D3DVIEWPORT9* viewport);
    HRESULT SetMaterial(const D3DMATERIAL9* material);
    HRESULT GetMaterial(D3DMATERIAL9* material);
    HRESULT SetLight(DWORD index, const D3DLIGHT9* light);
    HRESULT GetLight(DWORD index, D3DLIGHT9* light);
    HRESULT LightEnable(DWORD index, int32_t enable);
    HRESULT GetLightEnable(DWORD index, int32_t* enable);
    HRESULT SetClipPlane(DWORD index, const float* plane);
    HRESULT GetClipPlane(DWORD index, float* plane);
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value);
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value);
    HRESULT SetTexture(DWORD stage, IDirect3DTexture9* texture);
    HRESULT GetTexture(DWORD stage, IDirect3DTexture9** texture);
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value);
    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value);
    HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value);
    HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value);
    // Only on a device made for mixed vertex processing.
    HRESULT SetSoftwareVertexProcessing(int32_t software);
    int32_t GetSoftwareVertexProcessing();
    HRESULT SetFVF(DWORD fvf);
    HRESULT GetFVF(DWORD* fvf);
    HRESULT SetVertexShader(IDirect3DVertexShader9* shader);
    HRESULT SetPixelShader(IDirect3DPixelShader9* shader);
    HRESULT SetStreamSource(uint32_t stream, IDirect3DVertexBuffer9* buffer, uint32_t offset, uint32_t stride);
    HRESULT GetStreamSource(uint32_t stream, IDirect3DVertexBuffer9** buffer, uint32_t* offset, uint32_t* stride);
    HRESULT SetIndices(IDirect3DIndexBuffer9* buffer);
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, uint32_t startVertex, uint32_t primitiveCount);
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, int32_t baseVertex, uint32_t minIndex, uint32_t vertexCount,
                                 uint32_t startIndex, uint32_t primitiveCount);
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, uint32_t primitiveCount, const void* vertices, uint32_t stride);
    HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, uint32_t minIndex, uint32_t vertexCount,
                                   uint32_t primitiveCount, const void* indices, D3DFORMAT indexFormat,
                                   const void* vertices, uint32_t stride);

    // The stand-in's own, for tests and fault injection.
    D3D9Journal& GetJournal() { return m_Adapter->GetJournal(); }
    // The capabilities without a journaled call, for the effects this device's D3DX makes.
    const D3DCAPS9& GetProfileCaps() const { return Profile().caps; }
    // Lost from now on: TestCooperativeLevel answers D3DERR_DEVICELOST that many times, then
    // D3DERR_DEVICENOTRESET until a Reset succeeds; Present answers D3DERR_DEVICELOST meanwhile.
    void Lose(int32_t lostTests = 1);
    // Primitives of all successful draws so far.
    uint64_t GetPrimitivesDrawn() const { return m_PrimitivesDrawn; }
    // What a mesh of this device drew of its own buffers.
    void CountPrimitives(uint64_t count) { m_PrimitivesDrawn += count; }
    bool IsInScene() const { return m_InScene; }
    // The front buffer as the last Present left it (A8R8G8B8).
    const MemoryImageLevel& GetFrontBuffer() const { return m_FrontBuffer; }

private:
    friend class IDirect3D9;
    friend class D3D9Resource;
    enum class Loss : uint8_t { None, Lost, NotReset };

    IDirect3DDevice9(IDirect3D9* adapter, uint32_t deviceType, Window* focusWindow, DWORD behaviorFlags);
    ~IDirect3DDevice9() override;

    template <class Body> HRESULT Call(D3D9Op op, std::initializer_list<uint64_t> args, Body body)
    {
        return JournalCall(&GetJournal(), op, args, body);
    }
    const D3D9AdapterProfile& Profile() const { return m_Adapter->GetProfile(); }

    // D3D9Device.cpp: the swap chain from the presentation parameters (filled where they leave a
    // value to the device), the states after creation and reset, the list of live resources.
    HRESULT MakeSwapChain(D3DPRESENT_PARAMETERS* parameters);
    void DropSwapChain();
    void ResetStates();
    void DropBindings();
    // Lists what this device made and charges its memory; false (and nothing listed) when the
    // memory is not there.
    bool Adopt(D3D9Resource* resource, uint64_t bytes, bool implicit = false);
    void Forget(D3D9Resource* resource);
    uint64_t FreeMemory() const;

    // D3D9DeviceResources.cpp
    HRESULT CheckImage(uint32_t width, uint32_t height, D3DFORMAT format, DWORD usage, uint32_t resourceType,
                       uint32_t pool) const;
    HRESULT CheckMultiSample(D3DFORMAT format, uint32_t type, DWORD quality) const;
    HRESULT MakeSurface(uint32_t width, uint32_t height, D3DFORMAT format, DWORD usage, uint32_t pool,
                        uint32_t multiSample, DWORD quality, bool lockable, bool implicit,
                        IDirect3DSurface9** surface);
    void ClearDepth(DWORD flags, float z, DWORD stencil, const D3DRECT& area);
    D3DRECT ViewportRect() const;

    // D3D9DeviceStates.cpp
    void SetFullViewport();
    D3DXMATRIX* TransformSlot(D3DTRANSFORMSTATETYPE type);  // null for no such transform
    // Takes a reference on what is bound and gives back the one on what was.
    template <class T> static void Bind(T*& slot, T* object)
    {
        if (object)
            object->AddRef();
        if (slot)
            slot->Release();
        slot = object;
    }
    HRESULT CheckDraw(D3DPRIMITIVETYPE type, uint32_t primitiveCount, uint32_t& vertices) const;

    IDirect3D9* m_Adapter;  // one reference
    D3DDEVICE_CREATION_PARAMETERS m_Creation;
    D3DPRESENT_PARAMETERS m_Present;
    Loss m_Loss = Loss::None;
    int32_t m_LostTests = 0;
    D3D9Resource* m_Resources = nullptr;  // every live resource made here, newest first
    uint64_t m_UsedMemory = 0;

    IDirect3DSurface9* m_BackBuffer = nullptr;  // one reference each, the device's own
    IDirect3DSurface9* m_AutoDepth = nullptr;
    MemoryImageLevel m_FrontBuffer;
    D3DGAMMARAMP m_GammaRamp;

    // Bindings; each holds a reference.
    IDirect3DSurface9* m_RenderTargets[kRenderTargets] = {};
    IDirect3DSurface9* m_DepthSurface = nullptr;
    IDirect3DTexture9* m_Textures[kSamplers] = {};
    IDirect3DVertexBuffer9* m_Streams[kStreams] = {};
    uint32_t m_StreamOffsets[kStreams] = {};
    uint32_t m_StreamStrides[kStreams] = {};
    IDirect3DIndexBuffer9* m_Indices = nullptr;
    IDirect3DVertexShader9* m_VertexShader = nullptr;  // not counted: nothing makes shaders
    IDirect3DPixelShader9* m_PixelShader = nullptr;

    DWORD m_RenderStates[D3DRS_COUNT] = {};
    DWORD m_StageStates[kStages][D3DTSS_COUNT] = {};
    DWORD m_SamplerStates[kSamplers][D3DSAMP_COUNT] = {};
    DWORD m_FVF = 0;
    bool m_SoftwareVertexProcessing = false;
    bool m_InScene = false;
    D3DVIEWPORT9 m_Viewport;
    D3DMATERIAL9 m_Material;
    D3DXMATRIX m_View, m_Projection;
    D3DXMATRIX m_TextureMatrices[kStages];
    D3DXMATRIX m_WorldMatrices[kWorldMatrices];
    std::map<DWORD, D3DLIGHT9> m_Lights;
    std::map<DWORD, int32_t> m_LightEnabled;
    float m_ClipPlanes[32][4] = {};
    uint64_t m_PrimitivesDrawn = 0;
};
