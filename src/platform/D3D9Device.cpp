// D3D9Device: creation of the stand-in device, its swap chain of back buffer, depth surface and
// front buffer, presentation, loss and reset, and the list and memory of its resources.
#include "platform/D3D9Device.h"

#include "platform/D3D9FormatInfo.h"
#include "platform/Window.h"

#include <algorithm>
#include <bit>

IDirect3DDevice9::IDirect3DDevice9(IDirect3D9* adapter, uint32_t deviceType, Window* focusWindow, DWORD behaviorFlags)
    : D3D9Object(D3D9Kind::Device), m_Adapter(adapter)
{
    m_Adapter->AddRef();
    m_Creation.AdapterOrdinal = D3DADAPTER_DEFAULT;
    m_Creation.DeviceType = deviceType;
    m_Creation.hFocusWindow = focusWindow;
    m_Creation.BehaviorFlags = behaviorFlags;
    m_SoftwareVertexProcessing = (behaviorFlags & D3DCREATE_SOFTWARE_VERTEXPROCESSING) != 0;
    for (int i = 0; i < 256; i++)  // the identity ramp
        m_GammaRamp.red[i] = m_GammaRamp.green[i] = m_GammaRamp.blue[i] = uint16_t(i * 257);
}

IDirect3DDevice9::~IDirect3DDevice9()
{
    DropBindings();
    DropSwapChain();
    // What the program still holds outlives the device, without it.
    for (D3D9Resource* r = m_Resources; r; r = r->m_Next)
        r->m_Device = nullptr;
    m_Adapter->Release();
}

bool IDirect3DDevice9::Adopt(D3D9Resource* resource, uint64_t bytes, bool implicit)
{
    if (resource->GetPool() != D3DPOOL_DEFAULT)
        bytes = 0;
    if (bytes > FreeMemory())
        return false;
    resource->m_Device = this;
    resource->m_Bytes = bytes;
    resource->m_Implicit = implicit;
    resource->m_Next = m_Resources;
    if (m_Resources)
        m_Resources->m_Previous = resource;
    m_Resources = resource;
    m_UsedMemory += bytes;
    return true;
}

void IDirect3DDevice9::Forget(D3D9Resource* resource)
{
    if (resource->m_Previous)
        resource->m_Previous->m_Next = resource->m_Next;
    else if (m_Resources == resource)
        m_Resources = resource->m_Next;
    if (resource->m_Next)
        resource->m_Next->m_Previous = resource->m_Previous;
    m_UsedMemory -= resource->m_Bytes;
    resource->m_Device = nullptr;
}

uint64_t IDirect3DDevice9::FreeMemory() const
{
    const uint64_t total = Profile().textureMemory;
    return total > m_UsedMemory ? total - m_UsedMemory : 0;
}

HRESULT IDirect3DDevice9::MakeSwapChain(D3DPRESENT_PARAMETERS* p)
{
    const D3DDISPLAYMODE& display = Profile().displayMode;
    if (p->Windowed) {  // a window leaves size to its client area (or the display's), format to the display
        RECT client;
        client.right = int32_t(display.Width);
        client.bottom = int32_t(display.Height);
        if (Window* window = p->hDeviceWindow ? p->hDeviceWindow : m_Creation.hFocusWindow)
            window->GetClientRect(&client);
        if (p->BackBufferWidth == 0)
            p->BackBufferWidth = uint32_t(std::max(client.right - client.left, 1));
        if (p->BackBufferHeight == 0)
            p->BackBufferHeight = uint32_t(std::max(client.bottom - client.top, 1));
        if (p->BackBufferFormat == D3DFMT_UNKNOWN)
            p->BackBufferFormat = display.Format;
    }
    if (p->BackBufferCount == 0)
        p->BackBufferCount = 1;
    if (p->BackBufferCount > 1 || p->SwapEffect != D3DSWAPEFFECT_DISCARD || !m_Adapter->TakesFormat(
            p->BackBufferFormat, D3DUSAGE_RENDERTARGET, D3DRTYPE_SURFACE))
        return D3DERR_INVALIDCALL;
    if (p->EnableAutoDepthStencil &&
        (!m_Adapter->TakesFormat(p->AutoDepthStencilFormat, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE) ||
         !m_Adapter->DepthMatches(p->BackBufferFormat, p->AutoDepthStencilFormat)))
        return D3DERR_INVALIDCALL;
    if (FAILED(CheckMultiSample(p->BackBufferFormat, p->MultiSampleType, p->MultiSampleQuality)))
        return D3DERR_INVALIDCALL;

    HRESULT result = MakeSurface(p->BackBufferWidth, p->BackBufferHeight, p->BackBufferFormat, D3DUSAGE_RENDERTARGET,
                                 D3DPOOL_DEFAULT, p->MultiSampleType, p->MultiSampleQuality,
                                 (p->Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER) != 0, true, &m_BackBuffer);
    if (!FAILED(result) && p->EnableAutoDepthStencil)
        result = MakeSurface(p->BackBufferWidth, p->BackBufferHeight, p->AutoDepthStencilFormat,
                             D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT, p->MultiSampleType, p->MultiSampleQuality, false,
                             true, &m_AutoDepth);
    if (FAILED(result)) {
        DropSwapChain();
        return result;
    }
    const uint32_t frontWidth = p->Windowed ? display.Width : p->BackBufferWidth;
    const uint32_t frontHeight = p->Windowed ? display.Height : p->BackBufferHeight;
    m_FrontBuffer = MemoryImageLevel(frontWidth, frontHeight, D3DFMT_A8R8G8B8, 0, D3DPOOL_DEFAULT);
    m_Present = *p;
    Bind(m_RenderTargets[0], m_BackBuffer);
    Bind(m_DepthSurface, m_AutoDepth);
    ResetStates();
    return D3D_OK;
}

void IDirect3DDevice9::DropSwapChain()
{
    if (m_BackBuffer)
        m_BackBuffer->Release();
    if (m_AutoDepth)
        m_AutoDepth->Release();
    m_BackBuffer = m_AutoDepth = nullptr;
}

void IDirect3DDevice9::ResetStates()
{
    auto bits = [](float v) { return std::bit_cast<DWORD>(v); };
    for (DWORD& state : m_RenderStates)
        state = 0;
    DWORD* rs = m_RenderStates;
    rs[D3DRS_ZENABLE] = m_AutoDepth ? D3DZB_TRUE : D3DZB_FALSE;
    rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
    rs[D3DRS_ZWRITEENABLE] = 1;
    rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    rs[D3DRS_CULLMODE] = D3DCULL_CCW;
    rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_FOGEND] = bits(1.0f);
    rs[D3DRS_FOGDENSITY] = bits(1.0f);
    rs[D3DRS_STENCILFAIL] = rs[D3DRS_STENCILZFAIL] = rs[D3DRS_STENCILPASS] = D3DSTENCILOP_KEEP;
    rs[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFFu;
    rs[D3DRS_CLIPPING] = 1;
    rs[D3DRS_LIGHTING] = 1;
    rs[D3DRS_POINTSIZE] = rs[D3DRS_POINTSIZE_MIN] = rs[D3DRS_POINTSCALE_A] = bits(1.0f);
    rs[D3DRS_POINTSIZE_MAX] = bits(Profile().caps.MaxPointSize);
    rs[D3DRS_COLORWRITEENABLE] = 0xF;
    for (DWORD s = 0; s < kStages; s++) {
        DWORD* ts = m_StageStates[s];
        for (DWORD n = 0; n < D3DTSS_COUNT; n++)
            ts[n] = 0;
        ts[D3DTSS_COLOROP] = s == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        ts[D3DTSS_ALPHAOP] = s == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        ts[D3DTSS_COLORARG1] = ts[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        ts[D3DTSS_COLORARG2] = ts[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        ts[D3DTSS_TEXCOORDINDEX] = s;
    }
    for (DWORD* ss : m_SamplerStates) {
        for (DWORD n = 0; n < D3DSAMP_COUNT; n++)
            ss[n] = 0;
        ss[D3DSAMP_ADDRESSU] = ss[D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
        ss[D3DSAMP_MAGFILTER] = ss[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        ss[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
        ss[D3DSAMP_MAXANISOTROPY] = 1;
    }
    m_FVF = 0;
    m_InScene = false;
    m_Material = D3DMATERIAL9();
    D3DXMatrixIdentity(&m_View);
    D3DXMatrixIdentity(&m_Projection);
    for (D3DXMATRIX& m : m_TextureMatrices)
        D3DXMatrixIdentity(&m);
    for (D3DXMATRIX& m : m_WorldMatrices)
        D3DXMatrixIdentity(&m);
    m_Lights.clear();
    m_LightEnabled.clear();
    for (auto& plane : m_ClipPlanes)
        plane[0] = plane[1] = plane[2] = plane[3] = 0.0f;
    SetFullViewport();
}

void IDirect3DDevice9::DropBindings()
{
    for (IDirect3DSurface9*& target : m_RenderTargets)
        Bind(target, static_cast<IDirect3DSurface9*>(nullptr));
    Bind(m_DepthSurface, static_cast<IDirect3DSurface9*>(nullptr));
    for (IDirect3DTexture9*& texture : m_Textures)
        Bind(texture, static_cast<IDirect3DTexture9*>(nullptr));
    for (IDirect3DVertexBuffer9*& stream : m_Streams)
        Bind(stream, static_cast<IDirect3DVertexBuffer9*>(nullptr));
    Bind(m_Indices, static_cast<IDirect3DIndexBuffer9*>(nullptr));
    m_VertexShader = nullptr;
    m_PixelShader = nullptr;
}

void IDirect3DDevice9::Lose(int32_t lostTests)
{
    m_Loss = Loss::Lost;
    m_LostTests = std::max(lostTests, 0);
    if (m_LostTests == 0)
        m_Loss = Loss::NotReset;
}

HRESULT IDirect3DDevice9::TestCooperativeLevel()
{
    return Call(D3D9Op::TestCooperativeLevel, {}, [&] {
        if (m_Loss == Loss::Lost) {
            if (--m_LostTests <= 0)
                m_Loss = Loss::NotReset;
            return D3DERR_DEVICELOST;
        }
        return m_Loss == Loss::NotReset ? D3DERR_DEVICENOTRESET : D3D_OK;
    });
}

uint32_t IDirect3DDevice9::GetAvailableTextureMem()
{
    GetJournal().Record(D3D9Op::GetAvailableTextureMem, {}, D3D_OK);
    return uint32_t(std::min<uint64_t>(FreeMemory(), 0xFFFFFFFFu));
}

HRESULT IDirect3DDevice9::GetDeviceCaps(D3DCAPS9* caps)
{
    return Call(D3D9Op::GetDeviceCaps, {}, [&] {
        if (!caps)
            return D3DERR_INVALIDCALL;
        *caps = Profile().caps;
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::GetDisplayMode(uint32_t swapChain, D3DDISPLAYMODE* mode)
{
    return Call(D3D9Op::GetDisplayMode, {swapChain}, [&] {
        if (swapChain != 0 || !mode)
            return D3DERR_INVALIDCALL;
        *mode = Profile().displayMode;
        if (!m_Present.Windowed) {
            mode->Width = m_Present.BackBufferWidth;
            mode->Height = m_Present.BackBufferHeight;
            mode->Format = m_Present.BackBufferFormat;
        }
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters)
{
    return Call(D3D9Op::GetCreationParameters, {}, [&] {
        if (!parameters)
            return D3DERR_INVALIDCALL;
        *parameters = m_Creation;
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::Reset(D3DPRESENT_PARAMETERS* parameters)
{
    return Call(D3D9Op::Reset, {D3D9Arg(parameters)}, [&] {
        if (!parameters)
            return D3DERR_INVALIDCALL;
        if (m_Loss == Loss::Lost)
            return D3DERR_DEVICELOST;
        DropBindings();
        m_Loss = Loss::NotReset;  // until the reset below succeeds
        for (D3D9Resource* r = m_Resources; r; r = r->m_Next)
            if (r->GetPool() == D3DPOOL_DEFAULT && !r->m_Implicit)
                return D3DERR_INVALIDCALL;
        if ((m_BackBuffer && m_BackBuffer->GetReferenceCount() > 1) ||
            (m_AutoDepth && m_AutoDepth->GetReferenceCount() > 1))
            return D3DERR_INVALIDCALL;  // the program still holds the old swap chain
        DropSwapChain();
        const HRESULT result = MakeSwapChain(parameters);
        if (FAILED(result))
            return result;
        m_Loss = Loss::None;
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::Present(const D3DRECT* source, const D3DRECT* destination, Window* window,
                                  const void* dirtyRegion)
{
    return Call(D3D9Op::Present, {D3D9Arg(source), D3D9Arg(destination), D3D9Arg(window), D3D9Arg(dirtyRegion)}, [&] {
        if (m_Loss != Loss::None)
            return D3DERR_DEVICELOST;
        if (!m_BackBuffer)
            return D3DERR_INVALIDCALL;
        MemoryImageLevel& back = m_BackBuffer->GetImage();
        const D3D9FormatInfo* info = FindD3D9Format(back.desc.Format);
        const uint32_t width = std::min(back.desc.Width, m_FrontBuffer.desc.Width);
        const uint32_t height = std::min(back.desc.Height, m_FrontBuffer.desc.Height);
        for (uint32_t y = 0; y < height; y++)
            for (uint32_t x = 0; x < width; x++) {
                const uint32_t value = ReadPixelValue(back.Row(y) + x * info->bytes, info->bytes);
                WritePixelValue(m_FrontBuffer.Row(y) + x * 4, 4, D3D9DecodeColor(back.desc.Format, value));
            }
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::GetBackBuffer(uint32_t swapChain, uint32_t index, uint32_t type, IDirect3DSurface9** surface)
{
    return Call(D3D9Op::GetBackBuffer, {swapChain, index, type}, [&] {
        if (!surface || swapChain != 0 || index != 0 || type != D3DBACKBUFFER_TYPE_MONO || !m_BackBuffer)
            return D3DERR_INVALIDCALL;
        *surface = m_BackBuffer;
        m_BackBuffer->AddRef();
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::GetFrontBufferData(uint32_t swapChain, IDirect3DSurface9* surface)
{
    return Call(D3D9Op::GetFrontBufferData, {swapChain, D3D9Arg(surface)}, [&] {
        if (!surface || swapChain != 0)
            return D3DERR_INVALIDCALL;
        if (m_Loss != Loss::None)
            return D3DERR_DEVICELOST;
        MemoryImageLevel& image = surface->GetImage();
        if (surface->GetContainerTexture() || image.desc.Format != D3DFMT_A8R8G8B8 ||
            (image.desc.Pool != D3DPOOL_SYSTEMMEM && image.desc.Pool != D3DPOOL_SCRATCH) ||
            image.desc.Width != m_FrontBuffer.desc.Width || image.desc.Height != m_FrontBuffer.desc.Height)
            return D3DERR_INVALIDCALL;
        image.pixels = m_FrontBuffer.pixels;
        return D3D_OK;
    });
}

void IDirect3DDevice9::SetGammaRamp(uint32_t swapChain, DWORD flags, const D3DGAMMARAMP* ramp)
{
    Call(D3D9Op::SetGammaRamp, {swapChain, flags, D3D9Arg(ramp)}, [&] {
        if (swapChain != 0 || !ramp)
            return D3DERR_INVALIDCALL;
        m_GammaRamp = *ramp;
        return D3D_OK;
    });
}

void IDirect3DDevice9::GetGammaRamp(uint32_t swapChain, D3DGAMMARAMP* ramp)
{
    Call(D3D9Op::GetGammaRamp, {swapChain}, [&] {
        if (swapChain != 0 || !ramp)
            return D3DERR_INVALIDCALL;
        *ramp = m_GammaRamp;
        return D3D_OK;
    });
}
