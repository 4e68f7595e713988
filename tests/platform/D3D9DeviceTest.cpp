// D3D9DeviceTest: the stand-in adapter and device: the checks of a profile, images of every format
// with their locks and rules, clears and copies of real pixels, draws, loss and reset, the
// journal with its faults, and the live counts that show a leak.
#include "platform/D3D9Device.h"

#include "platform/D3D9FormatInfo.h"
#include "platform/D3D9Ref.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// An adapter of the typical profile (with changes) and its device: a 64 x 32 window, D24S8.
class DeviceTest : public ::testing::Test {
protected:
    void Make(const D3D9AdapterProfile& profile = D3D9AdapterProfile::Typical())
    {
        adapter.reset(CreateAdapter(profile));
        ASSERT_NE(adapter, nullptr);
        parameters = D3DPRESENT_PARAMETERS();
        parameters.BackBufferWidth = 64;
        parameters.BackBufferHeight = 32;
        parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
        parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
        parameters.Windowed = 1;
        parameters.EnableAutoDepthStencil = 1;
        parameters.AutoDepthStencilFormat = D3DFMT_D24S8;
        IDirect3DDevice9* made = nullptr;
        ASSERT_EQ(adapter->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_MIXED_VERTEXPROCESSING, &parameters, &made),
                  D3D_OK);
        device.reset(made);
    }
    void SetUp() override { Make(); }

    D3D9Ref<IDirect3DTexture9> Texture(uint32_t w, uint32_t h, D3DFORMAT format, uint32_t pool, DWORD usage = 0,
                                   uint32_t levels = 1)
    {
        IDirect3DTexture9* made = nullptr;
        EXPECT_EQ(device->CreateTexture(w, h, levels, usage, format, pool, &made, nullptr), D3D_OK) << format;
        return D3D9Ref<IDirect3DTexture9>(made);
    }
    D3D9Ref<IDirect3DSurface9> Target(uint32_t w, uint32_t h, D3DFORMAT format)
    {
        IDirect3DSurface9* made = nullptr;
        EXPECT_EQ(device->CreateRenderTarget(w, h, format, D3DMULTISAMPLE_NONE, 0, 0, &made, nullptr), D3D_OK);
        return D3D9Ref<IDirect3DSurface9>(made);
    }
    static uint32_t Pixel(IDirect3DSurface9* surface, uint32_t x, uint32_t y)
    {
        MemoryImageLevel& image = surface->GetImage();
        const uint32_t bytes = FindD3D9Format(image.desc.Format)->bytes;
        return ReadPixelValue(image.Row(y) + x * bytes, bytes);
    }

    D3D9Ref<IDirect3D9> adapter;
    D3D9Ref<IDirect3DDevice9> device;  // released before the adapter
    D3DPRESENT_PARAMETERS parameters;
};

}  // namespace

TEST(D3D9Adapter, AnswersFromItsProfile)
{
    D3D9Ref<IDirect3D9> headless(Direct3DCreate9(D3D_SDK_VERSION));  // no profile installed: no display
    ASSERT_NE(headless, nullptr);
    D3DCAPS9 caps;
    ASSERT_EQ(headless->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
    EXPECT_EQ(caps.TextureCaps, 0u);
    EXPECT_EQ(headless->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_DXT1),
              D3DERR_NOTAVAILABLE);
    IDirect3DDevice9* none = nullptr;
    EXPECT_EQ(MakeWindowedDevice(*headless, &none), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(headless->GetJournal().Count(D3D9Op::CreateDevice), 1);
    EXPECT_EQ(Direct3DCreate9(31), nullptr);  // another SDK

    D3D9AdapterProfile profile = D3D9AdapterProfile::Typical();
    profile.depthMatches = {{D3DFMT_X8R8G8B8, D3DFMT_D16}};
    profile.multiSample = {{D3DFMT_X8R8G8B8, 4}};
    D3D9Ref<IDirect3D9> adapter(CreateAdapter(profile));
    struct Case {
        DWORD usage;
        uint32_t type;
        D3DFORMAT format;
        HRESULT expected;
    } formats[] = {
        {0, D3DRTYPE_TEXTURE, D3DFMT_DXT5, D3D_OK},
        {D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8, D3D_OK},
        {D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_DXT1, D3DERR_NOTAVAILABLE},
        {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D24S8, D3D_OK},
        {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_TEXTURE, D3DFMT_D24S8, D3DERR_NOTAVAILABLE},
        {0, D3DRTYPE_TEXTURE, 12345, D3DERR_NOTAVAILABLE},
    };
    for (const Case& c : formats)
        EXPECT_EQ(adapter->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, c.usage, c.type, c.format), c.expected)
            << c.format << " usage " << c.usage;
    EXPECT_EQ(adapter->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_D16), D3D_OK);
    EXPECT_EQ(adapter->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_D32),
              D3DERR_NOTAVAILABLE);
    DWORD levels = 0;
    EXPECT_EQ(adapter->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 1, D3DMULTISAMPLE_NONMASKABLE,
                                                  &levels),
              D3D_OK);
    EXPECT_EQ(levels, 4u);
    EXPECT_EQ(adapter->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_R5G6B5, 1, D3DMULTISAMPLE_NONMASKABLE,
                                                  &levels),
              D3DERR_NOTAVAILABLE);

    profile.createFails = true;
    EXPECT_EQ(CreateAdapter(profile), nullptr);
}

// Every format the engine stores: the pitch (in blocks for DXT), what is written is read back, and
// a rectangle lock starts at its corner.
TEST_F(DeviceTest, EveryFormatLocksWritesAndReadsBack)
{
    struct Case {
        D3DFORMAT format;
        int32_t pitch;  // of a 16 pixels wide level
    } cases[] = {
        {D3DFMT_R8G8B8, 48},   {D3DFMT_A8R8G8B8, 64}, {D3DFMT_X8R8G8B8, 64}, {D3DFMT_R5G6B5, 32},
        {D3DFMT_X1R5G5B5, 32}, {D3DFMT_A1R5G5B5, 32}, {D3DFMT_A4R4G4B4, 32}, {D3DFMT_A8, 16},
        {D3DFMT_L8, 16},       {D3DFMT_A8L8, 32},     {D3DFMT_DXT1, 32},     {D3DFMT_DXT3, 64},
        {D3DFMT_DXT5, 64},
    };
    for (const Case& c : cases) {
        D3D9Ref<IDirect3DTexture9> texture = Texture(16, 8, c.format, D3DPOOL_MANAGED);
        ASSERT_NE(texture, nullptr) << c.format;
        D3DLOCKED_RECT locked;
        ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK) << c.format;
        EXPECT_EQ(locked.Pitch, c.pitch) << c.format;
        const size_t bytes = size_t(c.pitch) * FindD3D9Format(c.format)->RowCount(8);
        for (size_t i = 0; i < bytes; i++)
            static_cast<uint8_t*>(locked.pBits)[i] = uint8_t(i * 7 + c.format);
        ASSERT_EQ(texture->UnlockRect(0), D3D_OK);

        const D3DRECT corner{4, 4, 8, 8};
        ASSERT_EQ(texture->LockRect(0, &locked, &corner, D3DLOCK_READONLY), D3D_OK) << c.format;
        const D3D9FormatInfo& info = *FindD3D9Format(c.format);  // (4, 4) is block (1, 1) of a DXT image
        const size_t offset = info.compressed ? size_t(c.pitch) + info.bytes : 4 * size_t(c.pitch) + 4 * info.bytes;
        EXPECT_EQ(*static_cast<uint8_t*>(locked.pBits), uint8_t(offset * 7 + c.format)) << c.format;
        EXPECT_EQ(texture->UnlockRect(0), D3D_OK);
    }
    D3D9Ref<IDirect3DTexture9> dxt = Texture(16, 8, D3DFMT_DXT1, D3DPOOL_MANAGED);
    const D3DRECT split{2, 0, 6, 4};  // not on block edges
    D3DLOCKED_RECT locked;
    EXPECT_EQ(dxt->LockRect(0, &locked, &split, 0), D3DERR_INVALIDCALL);
}

TEST_F(DeviceTest, LockRulesAndCreationRules)
{
    D3D9Ref<IDirect3DTexture9> managed = Texture(8, 8, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(managed->LockRect(0, &locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(managed->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);  // one lock at a time
    IDirect3DSurface9* level = nullptr;
    ASSERT_EQ(managed->GetSurfaceLevel(0, &level), D3D_OK);
    EXPECT_EQ(level->LockRect(&locked, nullptr, 0), D3DERR_INVALIDCALL);  // the level surface is the same image
    EXPECT_EQ(managed->GetReferenceCount(), 2u);  // the level counts on its texture
    level->Release();
    EXPECT_EQ(managed->UnlockRect(0), D3D_OK);
    EXPECT_EQ(managed->UnlockRect(0), D3DERR_INVALIDCALL);

    D3D9Ref<IDirect3DTexture9> fixed = Texture(8, 8, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
    EXPECT_EQ(fixed->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);  // default pool, not dynamic
    D3D9Ref<IDirect3DTexture9> dynamic = Texture(8, 8, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, D3DUSAGE_DYNAMIC);
    EXPECT_EQ(dynamic->LockRect(0, &locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(dynamic->UnlockRect(0), D3D_OK);
    D3D9Ref<IDirect3DSurface9> target = Target(8, 8, D3DFMT_X8R8G8B8);
    EXPECT_EQ(target->LockRect(&locked, nullptr, 0), D3DERR_INVALIDCALL);  // made not lockable

    struct Case {
        uint32_t w, h;
        DWORD usage;
        D3DFORMAT format;
        uint32_t pool;
    } refused[] = {
        {0, 8, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED},
        {8192, 8, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED},  // above the adapter's 4096
        {8, 8, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED},
        {8, 8, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED},
        {8, 8, D3DUSAGE_RENDERTARGET, D3DFMT_DXT1, D3DPOOL_DEFAULT},
        {8, 8, 0, D3DFMT_D24S8, D3DPOOL_MANAGED},
    };
    for (const Case& c : refused) {
        IDirect3DTexture9* none = nullptr;
        EXPECT_EQ(device->CreateTexture(c.w, c.h, 1, c.usage, c.format, c.pool, &none, nullptr), D3DERR_INVALIDCALL)
            << c.w << " " << c.usage << " " << c.format;
        EXPECT_EQ(none, nullptr);
    }
    D3D9AdapterProfile pow2 = D3D9AdapterProfile::Typical();
    pow2.caps.TextureCaps |= D3DPTEXTURECAPS_POW2;
    device.reset();
    Make(pow2);
    IDirect3DTexture9* none = nullptr;
    EXPECT_EQ(device->CreateTexture(100, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &none, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_NE(Texture(128, 64, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED), nullptr);
}

// Default-pool resources take device memory; what does not fit is refused, and what is released
// is given back.
TEST_F(DeviceTest, DeviceMemory)
{
    D3D9AdapterProfile small = D3D9AdapterProfile::Typical();
    small.textureMemory = 64 * 32 * 4 * 2 + 16 * 16 * 4;  // the swap chain and one 16 x 16 texture
    device.reset();
    Make(small);
    EXPECT_EQ(device->GetAvailableTextureMem(), 16u * 16 * 4);
    {
        D3D9Ref<IDirect3DTexture9> fits = Texture(16, 16, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
        EXPECT_EQ(device->GetAvailableTextureMem(), 0u);
        IDirect3DTexture9* none = nullptr;
        EXPECT_EQ(device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &none, nullptr),
                  D3DERR_OUTOFVIDEOMEMORY);
        EXPECT_NE(Texture(64, 64, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED), nullptr);  // managed memory is not counted
    }
    EXPECT_EQ(device->GetAvailableTextureMem(), 16u * 16 * 4);
}

TEST_F(DeviceTest, ClearsAndFillsWriteMemory)
{
    IDirect3DSurface9* back = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    D3D9Ref<IDirect3DSurface9> backBuffer(back);
    IDirect3DSurface9* depth = nullptr;
    ASSERT_EQ(device->GetDepthStencilSurface(&depth), D3D_OK);
    D3D9Ref<IDirect3DSurface9> depthSurface(depth);

    const D3DVIEWPORT9 viewport{8, 4, 16, 8, 0.0f, 1.0f};
    ASSERT_EQ(device->SetViewport(&viewport), D3D_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF102030u, 0.5f, 7),
              D3D_OK);
    EXPECT_EQ(Pixel(back, 8, 4), 0xFF102030u);
    EXPECT_EQ(Pixel(back, 23, 11), 0xFF102030u);
    EXPECT_EQ(Pixel(back, 24, 11), 0u);  // outside the viewport
    EXPECT_EQ(Pixel(depth, 10, 5), (0x800000u << 8) | 7);
    const D3DRECT part{0, 0, 10, 5};
    ASSERT_EQ(device->Clear(1, &part, D3DCLEAR_STENCIL, 0, 0.0f, 3), D3D_OK);  // within the viewport too
    EXPECT_EQ(Pixel(depth, 9, 4), (0x800000u << 8) | 3);
    EXPECT_EQ(Pixel(depth, 10, 4), (0x800000u << 8) | 7);

    ASSERT_EQ(device->SetDepthStencilSurface(nullptr), D3D_OK);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 2.0f, 0), D3D_OK);  // z is only read for the z-buffer

    D3D9Ref<IDirect3DSurface9> target = Target(4, 4, D3DFMT_R5G6B5);
    const D3DRECT corner{2, 2, 4, 4};
    ASSERT_EQ(device->ColorFill(target.get(), &corner, 0xFFFFFFFFu), D3D_OK);
    EXPECT_EQ(Pixel(target.get(), 3, 3), 0xFFFFu);
    EXPECT_EQ(Pixel(target.get(), 1, 1), 0u);
    D3D9Ref<IDirect3DTexture9> managed = Texture(4, 4, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    IDirect3DSurface9* level = nullptr;
    managed->GetSurfaceLevel(0, &level);
    EXPECT_EQ(device->ColorFill(level, nullptr, 0), D3DERR_INVALIDCALL);  // not in the default pool
    level->Release();
}

TEST_F(DeviceTest, CopiesBetweenSurfaces)
{
    D3D9Ref<IDirect3DSurface9> source = Target(4, 4, D3DFMT_A8R8G8B8);
    ASSERT_EQ(device->ColorFill(source.get(), nullptr, 0xFF00FF00u), D3D_OK);
    const D3DRECT red{0, 0, 2, 4};
    ASSERT_EQ(device->ColorFill(source.get(), &red, 0xFFFF0000u), D3D_OK);
    D3D9Ref<IDirect3DTexture9> copy = Texture(8, 8, D3DFMT_R5G6B5, D3DPOOL_DEFAULT, D3DUSAGE_RENDERTARGET);
    IDirect3DSurface9* level = nullptr;
    ASSERT_EQ(copy->GetSurfaceLevel(0, &level), D3D_OK);
    D3D9Ref<IDirect3DSurface9> destination(level);
    ASSERT_EQ(device->StretchRect(source.get(), nullptr, level, nullptr, D3DTEXF_LINEAR), D3D_OK);  // scaled 2x
    EXPECT_EQ(Pixel(level, 3, 7), 0xF800u);  // red in R5G6B5
    EXPECT_EQ(Pixel(level, 4, 0), 0x07E0u);

    IDirect3DSurface9* made = nullptr;
    ASSERT_EQ(device->CreateOffscreenPlainSurface(8, 8, D3DFMT_DXT1, D3DPOOL_DEFAULT, &made, nullptr), D3D_OK);
    D3D9Ref<IDirect3DSurface9> compressed(made);
    EXPECT_EQ(device->StretchRect(compressed.get(), nullptr, level, nullptr, D3DTEXF_NONE), D3DERR_INVALIDCALL);
    D3D9Ref<IDirect3DTexture9> plain = Texture(8, 8, D3DFMT_R5G6B5, D3DPOOL_DEFAULT);
    IDirect3DSurface9* plainLevel = nullptr;
    plain->GetSurfaceLevel(0, &plainLevel);
    EXPECT_EQ(device->StretchRect(source.get(), nullptr, plainLevel, nullptr, D3DTEXF_NONE), D3DERR_INVALIDCALL);
    const D3DRECT left{0, 0, 4, 8}, overlapping{2, 0, 6, 8};
    EXPECT_EQ(device->StretchRect(level, &left, level, &overlapping, D3DTEXF_NONE), D3DERR_INVALIDCALL);

    // System memory into the default pool, DXT in whole blocks.
    ASSERT_EQ(device->CreateOffscreenPlainSurface(8, 8, D3DFMT_DXT1, D3DPOOL_SYSTEMMEM, &made, nullptr), D3D_OK);
    D3D9Ref<IDirect3DSurface9> staged(made);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(staged->LockRect(&locked, nullptr, 0), D3D_OK);
    static_cast<uint8_t*>(locked.pBits)[locked.Pitch + 8] = 0xAB;  // the block at (4, 4)
    staged->UnlockRect();
    const D3DRECT block{4, 4, 8, 8};
    const POINT origin{0, 0};
    ASSERT_EQ(device->UpdateSurface(staged.get(), &block, compressed.get(), &origin), D3D_OK);
    EXPECT_EQ(compressed->GetImage().pixels[0], 0xAB);
    const POINT split{2, 0};
    EXPECT_EQ(device->UpdateSurface(staged.get(), &block, compressed.get(), &split), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->UpdateSurface(compressed.get(), nullptr, staged.get(), nullptr), D3DERR_INVALIDCALL);
    plainLevel->Release();
}

TEST_F(DeviceTest, DrawsNeedASceneAndTheirBuffers)
{
    IDirect3DVertexBuffer9* made = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(6 * 16, D3DUSAGE_WRITEONLY, D3DFVF_XYZRHW, D3DPOOL_MANAGED, &made, nullptr),
              D3D_OK);
    D3D9Ref<IDirect3DVertexBuffer9> vertices(made);
    ASSERT_EQ(device->SetStreamSource(0, vertices.get(), 0, 16), D3D_OK);
    ASSERT_EQ(device->SetFVF(D3DFVF_XYZRHW), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3DERR_INVALIDCALL);  // outside a scene
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 4), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 1, 2), D3DERR_INVALIDCALL);  // past the buffer
    const float quad[4][4] = {};
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, 16), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3DERR_INVALIDCALL);  // the UP draw unbound stream 0
    ASSERT_EQ(device->EndScene(), D3D_OK);
    EXPECT_EQ(device->GetPrimitivesDrawn(), 8u);
    EXPECT_EQ(device->GetJournal().Count(D3D9Op::DrawPrimitive), 5);
    EXPECT_EQ(vertices->GetReferenceCount(), 1u);  // the draw without buffer gave the device's reference back
}

TEST_F(DeviceTest, LossAndReset)
{
    D3D9Ref<IDirect3DTexture9> fixed = Texture(8, 8, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
    D3D9Ref<IDirect3DTexture9> managed = Texture(8, 8, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    device->Lose(2);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(device->Reset(&parameters), D3DERR_DEVICELOST);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(device->Reset(&parameters), D3DERR_INVALIDCALL);  // a default-pool texture lives
    IDirect3DSurface9* back = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    fixed.reset();
    EXPECT_EQ(device->Reset(&parameters), D3DERR_INVALIDCALL);  // the old back buffer is held
    back->Release();
    parameters.BackBufferWidth = 32;
    ASSERT_EQ(device->Reset(&parameters), D3D_OK);
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    EXPECT_EQ(back->GetImage().desc.Width, 32u);
    back->Release();
    DWORD cull = 0;
    device->GetRenderState(D3DRS_CULLMODE, &cull);
    EXPECT_EQ(cull, D3DCULL_CCW);  // states are back at their defaults

    // The front buffer shows what was presented.
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF112233u, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    IDirect3DSurface9* grab = nullptr;
    ASSERT_EQ(device->CreateOffscreenPlainSurface(1024, 768, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &grab, nullptr),
              D3D_OK);
    ASSERT_EQ(device->GetFrontBufferData(0, grab), D3D_OK);
    EXPECT_EQ(Pixel(grab, 31, 31), 0xFF112233u);
    EXPECT_EQ(Pixel(grab, 32, 0), 0u);  // beyond the window
    grab->Release();
}

TEST_F(DeviceTest, JournalAndFaults)
{
    D3D9Journal& journal = device->GetJournal();
    journal.Clear();
    journal.FailNext(D3D9Op::SetRenderState, 2, D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(device->SetRenderState(D3DRS_LIGHTING, 0), D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(device->SetRenderState(D3DRS_LIGHTING, 0), D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(device->SetRenderState(D3DRS_ZENABLE, 0), D3D_OK);
    DWORD lighting = 0;
    device->GetRenderState(D3DRS_LIGHTING, &lighting);
    EXPECT_EQ(lighting, 1u);  // the failed calls changed nothing
    EXPECT_EQ(journal.Count(D3D9Op::SetRenderState), 3);
    const D3D9Call* last = journal.Last(D3D9Op::SetRenderState);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->Arg(0), uint32_t(D3DRS_ZENABLE));
    EXPECT_EQ(journal.CallsOf(D3D9Op::SetRenderState)[0].result, D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_STREQ(GetD3D9OpName(D3D9Op::SetRenderState), "SetRenderState");

    D3D9Ref<IDirect3DTexture9> texture = Texture(4, 4, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    journal.FailNext(D3D9Op::LockRect, 1, D3DERR_WASSTILLDRAWING);  // resources journal on their device
    D3DLOCKED_RECT locked;
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3DERR_WASSTILLDRAWING);
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    texture->UnlockRect(0);
}

TEST(D3D9Object, LiveCountsShowLeaksAndOwners)
{
    const int32_t textures = D3D9Object::GetLiveCount(D3D9Kind::Texture);
    const int32_t devices = D3D9Object::GetLiveCount(D3D9Kind::Device);
    const int32_t surfaces = D3D9Object::GetLiveCount(D3D9Kind::Surface);
    D3D9Ref<IDirect3D9> adapter(CreateAdapter(D3D9AdapterProfile::Typical()));
    IDirect3DDevice9* device = nullptr;
    ASSERT_EQ(MakeWindowedDevice(*adapter, &device), D3D_OK);
    EXPECT_EQ(D3D9Object::GetLiveCount(D3D9Kind::Surface), surfaces + 1);  // the back buffer
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    EXPECT_EQ(D3D9Object::GetLiveCount(D3D9Kind::Surface), surfaces + 1);  // levels are parts, not surfaces
    ASSERT_EQ(device->SetTexture(0, texture), D3D_OK);
    EXPECT_EQ(texture->GetReferenceCount(), 2u);  // bound
    EXPECT_EQ(texture->GetOwnerDevice(), device);
    device->Release();  // the binding goes with the device; the program's reference stays
    EXPECT_EQ(D3D9Object::GetLiveCount(D3D9Kind::Device), devices);
    EXPECT_EQ(texture->GetReferenceCount(), 1u);
    EXPECT_EQ(texture->GetOwnerDevice(), nullptr);
    EXPECT_EQ(D3D9Object::GetLiveCount(D3D9Kind::Texture), textures + 1);
    texture->Release();
    EXPECT_EQ(D3D9Object::GetLiveCount(D3D9Kind::Texture), textures);
    EXPECT_EQ(D3D9Object::GetLiveCount(D3D9Kind::Surface), surfaces);
}

TEST(D3D9FormatInfo, PixelConversions)
{
    struct Case {
        D3DFORMAT format;
        uint32_t argb;
        uint32_t stored;
        uint32_t readBack;
    } cases[] = {
        {D3DFMT_R5G6B5, 0xFFFFFFFFu, 0xFFFF, 0xFFF8FCF8u},
        {D3DFMT_A1R5G5B5, 0xFFFFFFFFu, 0xFFFF, 0xFFF8F8F8u},
        {D3DFMT_A1R5G5B5, 0xC8FFFFFFu, 0xFFFF, 0xFFF8F8F8u},  // alpha 200 sets the bit, 100 does not
        {D3DFMT_A1R5G5B5, 0x64FFFFFFu, 0x7FFF, 0x00F8F8F8u},
        {D3DFMT_A1R5G5B5, 0x80000000u, 0x8000, 0xFF000000u},
        {D3DFMT_A1R5G5B5, 0x7F000000u, 0x0000, 0x00000000u},
        {D3DFMT_X1R5G5B5, 0xC8FFFFFFu, 0xFFFF, 0xFFF8F8F8u},  // no alpha: read as opaque either way
        {D3DFMT_X1R5G5B5, 0x64FFFFFFu, 0x7FFF, 0xFFF8F8F8u},
        {D3DFMT_X1R5G5B5, 0x00FF0000u, 0x7C00, 0xFFF80000u},
        {D3DFMT_A4R4G4B4, 0x80FF4020u, 0x8F42, 0x80F04020u},
        {D3DFMT_L8, 0xFF1E3C5Au, 60, 0xFF3C3C3Cu},
        {D3DFMT_A8L8, 0x801E3C5Au, 0x803C, 0x803C3C3Cu},
        {D3DFMT_A8, 0x7F123456u, 0x7F, 0x7F000000u},
        {D3DFMT_R8G8B8, 0x12345678u, 0x345678, 0xFF345678u},
        {D3DFMT_A8R8G8B8, 0x12345678u, 0x12345678u, 0x12345678u},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(D3D9EncodeColor(c.format, c.argb), c.stored) << c.format;
        EXPECT_EQ(D3D9DecodeColor(c.format, c.stored), c.readBack) << c.format;
    }
    // Reading images widens the narrow channels by repeating their high bits.
    EXPECT_EQ(D3D9WidenColor(D3DFMT_R5G6B5, 0xFFFF), 0xFFFFFFFFu);
    EXPECT_EQ(D3D9WidenColor(D3DFMT_R5G6B5, 0x8410), 0xFF848284u);  // 10000 100000 10000
    EXPECT_EQ(D3D9WidenColor(D3DFMT_A4R4G4B4, 0x8F42), 0x88FF4422u);
    EXPECT_EQ(D3D9WidenColor(D3DFMT_A1R5G5B5, 0x7C00), 0x00FF0000u);
    EXPECT_EQ(D3D9WidenColor(D3DFMT_L8, 0x3C), 0xFF3C3C3Cu);
    struct PowerCase {
        uint32_t n, power;
    } powers[] = {{0, 0}, {1, 1}, {2, 2}, {3, 4}, {60, 64}, {100, 128}, {256, 256}, {257, 512}};
    for (const PowerCase& c : powers)
        EXPECT_EQ(NextPowerOfTwo(c.n), c.power) << c.n;
    EXPECT_EQ(FindD3D9Format(D3DFMT_DXT1)->RowPitch(13), 32u);  // four blocks of 8 bytes
    EXPECT_EQ(FindD3D9Format(D3DFMT_DXT5)->RowCount(13), 4u);
    EXPECT_EQ(FindD3D9Format(12345), nullptr);
}
