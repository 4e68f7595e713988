// DXC_TexturePixelsTest: textures the graphics object makes on the stand-in device, their locks,
// clears and the copies of surfaces and textures into them (clipped to both images, compressed
// ones in whole blocks), the compression of a stage, and a default-pool texture made again after
// a device reset.
#include "engine/gfx/DXC_Texture.h"

#include "engine/gfx/DXC_Gfx.h"
#include "platform/D3D9Device.h"
#include "platform/D3D9FormatInfo.h"
#include "support/DeviceGfx.h"
#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Fills the first level with a colour per pixel from its coordinates.
void Paint(DXC_Texture& texture, uint32_t (*color)(int32_t, int32_t))
{
    ASSERT_EQ(texture.Lock(nullptr, 0), 1);
    int32_t w = 0, h = 0;
    texture.GetSize(w, h);
    for (int32_t y = 0; y < h; y++)
        for (int32_t x = 0; x < w; x++)
            texture.PutPixel(x, y, color(x, y));
    texture.Unlock();
}

uint32_t ReadPixel(DXC_Texture& texture, int32_t x, int32_t y)
{
    uint32_t color = 0;
    texture.Lock(nullptr, D3DLOCK_READONLY);
    texture.GetPixel(x, y, color);
    texture.Unlock();
    return color;
}

uint32_t Marked(int32_t x, int32_t y)
{
    return 0xFF000000u | uint32_t(x + 1) << 8 | uint32_t(y + 1);
}

}  // namespace

TEST(DXC_TexturePixels, CreationModes)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    struct Case {
        int32_t mode;
        uint32_t pool;
        DWORD usage;
    } cases[] = {
        {1, D3DPOOL_DEFAULT, 0},
        {0x201, D3DPOOL_DEFAULT, D3DUSAGE_DYNAMIC},
        {2, D3DPOOL_SYSTEMMEM, 0},
        {3, D3DPOOL_DEFAULT, D3DUSAGE_RENDERTARGET},
        {4, D3DPOOL_MANAGED, 0},
        {-1, D3DPOOL_MANAGED, 0},
    };
    for (const Case& c : cases) {
        const int32_t defaultPool = DXC_Texture::s_DefaultPoolTextures;
        const int32_t made = gfx.GetTextureCount();
        DXC_Texture texture;
        ASSERT_EQ(gfx.CreateTexture(&texture, 100, 60, c.mode, -1, 1), 1);
        const D3D9Call* call = fixture.Journal().Last(D3D9Op::CreateTexture);
        EXPECT_EQ(call->Arg(3), c.usage) << c.mode;
        EXPECT_EQ(call->Arg(5), c.pool) << c.mode;
        EXPECT_EQ(texture.GetMapType(), MAP_DIFFUSE);
        EXPECT_EQ(texture.currentTexture->GetPool(), c.pool);
        EXPECT_EQ(texture.stageBlocks[0].Pool, c.pool);  // the stage keeps its description
        EXPECT_EQ(gfx.GetTextureCount(), made + 1);
        EXPECT_EQ(DXC_Texture::s_DefaultPoolTextures, defaultPool + (c.pool == D3DPOOL_DEFAULT ? 1 : 0));
        texture.Release();
        EXPECT_EQ(DXC_Texture::s_DefaultPoolTextures, defaultPool);
    }
    DXC_Texture texture;
    EXPECT_EQ(DxcErrorOf([&] { gfx.CreateTexture(&texture, 8, 8, 5, -1, 1); }),
              "Wrong texture parameter in CreateTexture!");
    EXPECT_EQ(DxcErrorOf([&] { gfx.CreateTexture(nullptr, 8, 8, 1, -1, 1); }),
              "DXC_Texture pointer in CreateTexture is NULL pointer!");
    fixture.Journal().FailNext(D3D9Op::CreateTexture, 1, D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(DxcErrorOf([&] { gfx.CreateTexture(&texture, 8, 8, 1, -1, 1); }),
              " D3DXCreateTexture failed: D3DERR_OUTOFVIDEOMEMORY ");

    ASSERT_EQ(gfx.CreateRenderTexture(&texture), 1);
    int32_t w = 0, h = 0;
    gfx.GetBackBufferSize(w, h);
    EXPECT_EQ(texture.pixelWidth, w);
    EXPECT_EQ(texture.pixelHeight, h);
    EXPECT_NE(texture.format, D3DFMT_A8R8G8B8);  // a render target without the back buffer's alpha
    EXPECT_EQ(texture.currentTexture->GetUsage(), D3DUSAGE_RENDERTARGET);
}

TEST(DXC_TexturePixels, PowerOfTwoDevicesKeepTheDrawSize)
{
    D3D9AdapterProfile profile = D3D9AdapterProfile::Typical();
    profile.caps.TextureCaps |= D3DPTEXTURECAPS_POW2;
    DeviceGfx fixture(profile);
    DXC_Texture texture;
    fixture.Gfx().CreateTexture(&texture, 100, 60, 4, D3DFMT_A8R8G8B8, 1);
    EXPECT_EQ(texture.pixelWidth, 128);
    EXPECT_EQ(texture.pixelHeight, 64);
    EXPECT_EQ(texture.drawWidth, 100.0f);
    EXPECT_EQ(texture.drawHeight, 60.0f);
    int32_t rect[4];
    texture.GetRect(rect);
    EXPECT_EQ(rect[2], 100);  // the quad shows what was asked for
    EXPECT_EQ(rect[3], 60);
}

TEST(DXC_TexturePixels, LevelsLocksAndClears)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    DXC_Texture managed;
    gfx.CreateTexture(&managed, 16, 8, 4, D3DFMT_A8R8G8B8, 0);
    managed.mipLevel = 1;
    int32_t w = 0, h = 0;
    managed.GetSize(w, h);
    EXPECT_EQ(w, 8);
    EXPECT_EQ(h, 4);
    ASSERT_EQ(managed.Clear(0xFF112233u, nullptr), 1);
    EXPECT_EQ(ReadPixel(managed, 7, 3), 0xFF112233u);
    managed.mipLevel = 0;
    EXPECT_EQ(ReadPixel(managed, 0, 0), 0u);  // level 0 untouched
    const D3DRECT part{0, 0, 2, 2};
    EXPECT_EQ(DxcErrorOf([&] { managed.Clear(0, &part); }), "Clear: rec only valid for D3DPOOL_DEFAULT surfaces");

    DXC_Texture target;
    gfx.CreateTexture(&target, 16, 16, 3, D3DFMT_A8R8G8B8, 1);
    ASSERT_EQ(target.Clear(0xFF00FF00u, &part), 1);
    EXPECT_EQ(fixture.Journal().Count(D3D9Op::ColorFill), 1);
    IDirect3DSurface9* level = target.GetSurface();
    EXPECT_EQ(ReadPixelValue(level->GetImage().Row(1) + 4, 4), 0xFF00FF00u);
    EXPECT_EQ(ReadPixelValue(level->GetImage().Row(2), 4), 0u);
    level->Release();

    ASSERT_EQ(managed.CreateMipMaps(), 1);
    EXPECT_EQ(fixture.Journal().Count(D3D9Op::AddDirtyRect), 1);
    EXPECT_EQ(managed.mipLevels, 5);
}

TEST(DXC_TexturePixels, CopiesAreClippedToBothImages)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    DXC_Texture source;
    gfx.CreateTexture(&source, 8, 8, 4, D3DFMT_A8R8G8B8, 1);
    Paint(source, Marked);

    struct Case {
        int32_t x, y, sx1, sy1, sx2, sy2;
        int32_t probeX, probeY;  // a pixel of the destination
        uint32_t expected;
    } cases[] = {
        {2, 2, 0, 0, 100, 100, 9, 9, Marked(7, 7)},  // a rectangle beyond the source copies what exists
        {2, 2, 0, 0, 100, 100, 10, 10, 0},
        {0, 0, -4, -4, 4, 4, 4, 4, Marked(0, 0)},  // cut on the source's left and top
        {0, 0, -4, -4, 4, 4, 3, 3, 0},
        {12, 12, 0, 0, 0, 0, 15, 15, Marked(3, 3)},  // the whole source, cut by the destination
        {-3, 0, 0, 0, 0, 0, 0, 0, Marked(3, 0)},
    };
    for (const Case& c : cases) {
        DXC_Texture target;
        gfx.CreateTexture(&target, 16, 16, 4, D3DFMT_A8R8G8B8, 1);
        ASSERT_EQ(target.DrawTexture(source, c.x, c.y, c.sx1, c.sy1, c.sx2, c.sy2), 1);
        EXPECT_EQ(ReadPixel(target, c.probeX, c.probeY), c.expected) << c.x << "," << c.sx1 << "," << c.sx2;
    }

    // Into the default pool the device copies from system memory.
    DXC_Texture staging, shown;
    gfx.CreateTexture(&staging, 8, 8, 2, D3DFMT_A8R8G8B8, 1);
    Paint(staging, Marked);
    gfx.CreateTexture(&shown, 16, 16, 1, D3DFMT_A8R8G8B8, 1);
    ASSERT_EQ(shown.DrawTexture(staging, 4, 4, 0, 0, 0, 0), 1);
    EXPECT_EQ(fixture.Journal().Count(D3D9Op::UpdateSurface), 1);
    IDirect3DSurface9* level = shown.GetSurface();
    EXPECT_EQ(ReadPixelValue(level->GetImage().Row(11) + 4 * 11, 4), Marked(7, 7));
    level->Release();

    EXPECT_EQ(DxcErrorOf([&] { staging.DrawTexture(source, 0, 0, 0, 0, 0, 0); }),
              "Invalid texture pool for DrawSurface()");
    DXC_Texture narrow;
    gfx.CreateTexture(&narrow, 8, 8, 4, D3DFMT_R5G6B5, 1);
    EXPECT_EQ(DxcErrorOf([&] { narrow.DrawTexture(source, 0, 0, 0, 0, 0, 0); }),
              "Mismatching pixel formats for DrawTexture()");
    DXC_Surface surface;
    gfx.CreateSurface(&surface, 4, 4, D3DFMT_A8R8G8B8, true);
    surface.Clear(0xFFABCDEFu, nullptr);
    DXC_Texture target;
    gfx.CreateTexture(&target, 16, 16, 4, D3DFMT_A8R8G8B8, 1);
    ASSERT_EQ(target.DrawSurface(surface, 14, 14), 1);
    EXPECT_EQ(ReadPixel(target, 15, 15), 0xFFABCDEFu);
    EXPECT_EQ(DxcErrorOf([&] { narrow.DrawSurface(surface, 0, 0); }), "Mismatching pixel formats for DrawSurface()");
}

TEST(DXC_TexturePixels, CompressedCopiesMoveWholeBlocks)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    DXC_Texture source, target;
    gfx.CreateTexture(&source, 16, 16, 4, D3DFMT_DXT1, 1);
    gfx.CreateTexture(&target, 16, 16, 4, D3DFMT_DXT1, 1);
    {
        D3DLOCKED_RECT bits;
        source.Lock(bits, 0);
        auto* bytes = static_cast<uint8_t*>(bits.pBits);
        for (int32_t i = 0; i < 16 * 8; i++)  // sixteen blocks of 8 bytes
            bytes[i] = uint8_t(i);
        source.Unlock();
    }
    ASSERT_EQ(target.DrawTexture(source, 4, 8, 0, 0, 8, 4), 1);
    D3DLOCKED_RECT bits;
    target.Lock(bits, D3DLOCK_READONLY);
    const uint8_t* row = static_cast<const uint8_t*>(bits.pBits) + 2 * bits.Pitch;  // block row 2
    EXPECT_EQ(row[8], 0);  // block (1, 2) holds source block (0, 0)
    EXPECT_EQ(row[16], 8);  // block (2, 2) holds source block (1, 0)
    EXPECT_EQ(row[0], 0);
    EXPECT_EQ(row[24], 0);
    target.Unlock();

    struct Case {
        int32_t x, y, sx1, sy1, sx2, sy2;
    } refused[] = {
        {2, 0, 0, 0, 8, 8},  // the point off a block edge
        {0, 0, 1, 0, 8, 8},  // the rectangle off a block edge
        {0, 0, 0, 0, 6, 8},  // ends inside a block
    };
    for (const Case& c : refused)
        EXPECT_EQ(DxcErrorOf([&] { target.DrawTexture(source, c.x, c.y, c.sx1, c.sy1, c.sx2, c.sy2); }),
                  "Mismatching pixel formats for DrawTexture()")
            << c.x << " " << c.sx1 << " " << c.sx2;
    DXC_Texture plain;
    gfx.CreateTexture(&plain, 16, 16, 4, D3DFMT_A8R8G8B8, 1);
    EXPECT_EQ(DxcErrorOf([&] { plain.DrawTexture(source, 0, 0, 0, 0, 0, 0); }),
              "Mismatching pixel formats for DrawTexture()");
}

TEST(DXC_TexturePixels, CompressionOfAStage)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    DXC_Texture texture;
    gfx.CreateTexture(&texture, 16, 16, 4, D3DFMT_A8R8G8B8, 0);
    Paint(texture, [](int32_t x, int32_t y) { return uint32_t(0x80 + 4 * y) << 24 | uint32_t(x * 16) << 16 | 0x4080u; });
    texture.CreateMipMaps();
    texture.stageNames[0] = "wall.png";
    texture.GetMapInfo(0).mapType = MAP_SPECULAR;
    IDirect3DTexture9* old = texture.currentTexture;
    old->AddRef();
    const int32_t live = D3D9Object::GetLiveCount(D3D9Kind::Texture);

    ASSERT_EQ(texture.Compress(5), 1);
    EXPECT_EQ(old->GetReferenceCount(), 1u);  // the texture gave its one reference back, once
    old->Release();
    EXPECT_EQ(D3D9Object::GetLiveCount(D3D9Kind::Texture), live);
    EXPECT_EQ(texture.format, D3DFMT_DXT5);
    EXPECT_EQ(texture.mipLevels, 5);
    EXPECT_EQ(texture.GetMapType(), MAP_SPECULAR);  // the stage keeps its record and name
    EXPECT_EQ(texture.GetStageFileName(0), String("wall.png"));
    EXPECT_EQ(gfx.GetTextureManager().GetResource(texture.stageIds[0]), texture.currentTexture);
    int worst = 0;
    texture.Lock(nullptr, D3DLOCK_READONLY);
    for (int32_t y = 0; y < 16; y++)
        for (int32_t x = 0; x < 16; x++) {
            uint32_t color = 0;
            texture.GetPixel(x, y, color);
            const uint32_t wanted = uint32_t(0x80 + 4 * y) << 24 | uint32_t(x * 16) << 16 | 0x4080u;
            for (int shift = 0; shift < 32; shift += 8)
                worst = std::max(worst, std::abs(int(color >> shift & 0xFF) - int(wanted >> shift & 0xFF)));
        }
    texture.Unlock();
    EXPECT_LE(worst, 16);  // five and six bits per colour, eight alpha steps between two ends

    EXPECT_EQ(DxcErrorOf([&] { texture.Compress(6); }), "Invalid compression mode selected");
    EXPECT_EQ(DxcErrorOf([&] { texture.Compress(0); }), "Invalid compression mode selected");
    fixture.Journal().FailNext(D3D9Op::CreateTexture, 1, D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(DxcErrorOf([&] { texture.Compress(1); }), "Failed to create compressed texture: D3DERR_OUTOFVIDEOMEMORY");
    EXPECT_EQ(texture.format, D3DFMT_DXT5);  // unchanged by the failure
}

TEST(DXC_TexturePixels, DefaultPoolTextureMadeAgainAfterAReset)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    DXC_Texture texture;
    gfx.CreateTexture(&texture, 32, 16, 1, D3DFMT_A8R8G8B8, 1);
    const int32_t defaultPool = DXC_Texture::s_DefaultPoolTextures;
    gfx.ResetDevice(nullptr, -1);
    EXPECT_EQ(gfx.GetTextureManager().GetResource(texture.stageIds[0]), nullptr);
    EXPECT_EQ(DXC_Texture::s_DefaultPoolTextures, defaultPool - 1);
    ASSERT_EQ(gfx.RecreateTexture(&texture), 1);
    EXPECT_EQ(DXC_Texture::s_DefaultPoolTextures, defaultPool);
    EXPECT_TRUE(texture.IsValid());
    EXPECT_EQ(gfx.GetTextureManager().GetResource(texture.stageIds[0]), texture.currentTexture);
    EXPECT_EQ(texture.pixelWidth, 32);
    EXPECT_EQ(texture.currentTexture->GetPool(), D3DPOOL_DEFAULT);
}
