// DXC_SurfaceTest: surfaces made by the device and their software pixel access: pixel formats and
// their converters, DXT blocks read as libsquish decodes them, lines, stretched copies, the alpha
// examination, clipping, clearing, saving and copies; the graphics object's format choice, checks
// and compression levels.
#include "engine/gfx/DXC_Gfx.h"
#include "engine/gfx/DXC_SurfaceBase.h"

#include "platform/D3D9FormatInfo.h"
#include "platform/D3DXImage.h"
#include "support/DeviceGfx.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <squish.h>

#include <algorithm>
#include <cstdlib>
#include <random>

namespace {

// A surface on a level of a managed texture of the fixture's device: any format, DXT included.
void MakeLevelSurface(DeviceGfx& fixture, DXC_Surface& surface, uint32_t w, uint32_t h, D3DFORMAT format)
{
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(fixture.Device().CreateTexture(w, h, 1, 0, format, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    IDirect3DSurface9* level = nullptr;
    texture->GetSurfaceLevel(0, &level);
    texture->Release();  // the level holds it
    surface.Attach(level, nullptr, -1);
}

uint8_t* Bytes(DXC_Surface& surface)
{
    return surface.surface->GetImage().pixels.data();
}

int Channel(uint32_t argb, int shift)
{
    return int(argb >> shift & 0xFF);
}

TEST(DXC_Surface, FormatSetUpGivesSizesAndConverters)
{
    DeviceGfx fixture;
    struct Case {
        D3DFORMAT format;
        int32_t bytes;
        uint32_t argb;
        uint32_t readBack;
    } cases[] = {
        {D3DFMT_A8R8G8B8, 4, 0x12345678u, 0x12345678u},
        {D3DFMT_X8R8G8B8, 4, 0x12345678u, 0xFF345678u},
        {D3DFMT_R5G6B5, 2, 0xFFFFFFFFu, 0xFFF8FCF8u},
        {D3DFMT_A1R5G5B5, 2, 0xFFFFFFFFu, 0xFFF8F8F8u},
        {D3DFMT_A1R5G5B5, 2, 0x64FFFFFFu, 0x00F8F8F8u},
        {D3DFMT_A4R4G4B4, 2, 0x80FF4020u, 0x80F04020u},
        {D3DFMT_L8, 1, 0xFF1E3C5Au, 0xFF3C3C3Cu},
        {D3DFMT_A8L8, 2, 0x801E3C5Au, 0x803C3C3Cu},
        {D3DFMT_A8, 1, 0x7F123456u, 0x7F000000u},
    };
    for (const Case& c : cases) {
        DXC_Surface surface;
        MakeLevelSurface(fixture, surface, 8, 8, c.format);
        EXPECT_EQ(surface.bytesPerPixel, c.bytes) << c.format;
        ASSERT_EQ(surface.Lock(nullptr, 0), 1);
        surface.PutPixel(3, 2, c.argb);
        uint32_t color = 0;
        EXPECT_EQ(surface.GetPixel(3, 2, color), 1);
        EXPECT_EQ(color, c.readBack) << c.format;
        EXPECT_EQ(surface.GetPixel(8, 0, color), 0);  // outside the locked rectangle
        EXPECT_EQ(surface.GetPixel(0, -1, color), 0);
        surface.Unlock();
    }
    // A DXT format keeps the bytes per pixel it had; a depth format the engine does not store is refused.
    DXC_Surface dxt;
    dxt.bytesPerPixel = 7;
    dxt.format = D3DFMT_DXT3;
    dxt.SetupFormat();
    EXPECT_EQ(dxt.bytesPerPixel, 7);
    EXPECT_TRUE(dxt.IsCompressed());
    dxt.format = D3DFMT_D24S8;
    EXPECT_EQ(DxcErrorOf([&] { dxt.SetupFormat(); }), "Unsupported pixel format! (82), file *unknown*");
}

TEST(DXC_Surface, Dxt1PixelsFollowTheEngineArithmetic)
{
    DeviceGfx fixture;
    DXC_Surface surface;
    MakeLevelSurface(fixture, surface, 4, 4, D3DFMT_DXT1);
    // c0 pure red, c1 pure blue; pixels 0 to 3 take the indices 0 to 3.
    const uint8_t fourColour[8] = {0x00, 0xF8, 0x1F, 0x00, 0xE4, 0, 0, 0};
    std::copy(fourColour, fourColour + 8, Bytes(surface));
    surface.Lock(nullptr, 0);
    uint32_t color[4];
    for (int i = 0; i < 4; i++)
        surface.GetPixel(i, 0, color[i]);
    surface.Unlock();
    EXPECT_EQ(color[0], 0xFFF80000u);
    EXPECT_EQ(color[1], 0xFF0000F8u);
    EXPECT_EQ(color[2], 0xFFA50053u);  // red 165, blue 83
    EXPECT_EQ(color[3], 0xFF5300A5u);
    // c0 not above c1: three colours, the mean and transparent black.
    const uint8_t threeColour[8] = {0x1F, 0x00, 0x00, 0xF8, 0xE4, 0, 0, 0};
    std::copy(threeColour, threeColour + 8, Bytes(surface));
    surface.Lock(nullptr, 0);
    for (int i = 0; i < 4; i++)
        surface.GetPixel(i, 0, color[i]);
    surface.Unlock();
    EXPECT_EQ(color[2], 0xFF7C007Cu);
    EXPECT_EQ(color[3], 0x00000000u);
}

// Random blocks read as libsquish decodes them: colours within the 7 that repeating the high
// bits adds, alpha within 1, and exactly the same transparent pixels.
TEST(DXC_Surface, DxtBlocksReadAsLibsquishDecodes)
{
    DeviceGfx fixture;
    std::mt19937 random(2024);
    for (D3DFORMAT format : {D3DFMT_DXT1, D3DFMT_DXT5}) {
        DXC_Surface surface;
        MakeLevelSurface(fixture, surface, 4, 4, format);
        const int blockBytes = format == D3DFMT_DXT1 ? 8 : 16;
        int threeColourBlocks = 0;
        for (int n = 0; n < 200; n++) {
            uint8_t block[16];
            for (int i = 0; i < blockBytes; i++)
                block[i] = uint8_t(random());
            if (format == D3DFMT_DXT5 && n % 2)  // an alpha ramp
                block[0] = 255, block[1] = uint8_t(n);
            if (format == D3DFMT_DXT1 && (block[0] | block[1] << 8) <= (block[2] | block[3] << 8))
                threeColourBlocks++;
            std::copy(block, block + blockBytes, Bytes(surface));
            uint8_t rgba[64];
            squish::Decompress(rgba, block, format == D3DFMT_DXT1 ? squish::kDxt1 : squish::kDxt5);
            surface.Lock(nullptr, 0);
            for (int i = 0; i < 16; i++) {
                uint32_t ours = 0;
                ASSERT_EQ(surface.GetPixel(i % 4, i / 4, ours), 1);
                const uint8_t* theirs = rgba + 4 * i;
                EXPECT_EQ(Channel(ours, 24) == 0, theirs[3] == 0) << "block " << n << " pixel " << i;
                EXPECT_LE(std::abs(Channel(ours, 24) - theirs[3]), 1) << "block " << n << " pixel " << i;
                if (theirs[3] == 0 && format == D3DFMT_DXT1)
                    continue;  // transparent black either way
                EXPECT_LE(std::abs(Channel(ours, 16) - theirs[0]), 7) << "block " << n << " pixel " << i;
                EXPECT_LE(std::abs(Channel(ours, 8) - theirs[1]), 7) << "block " << n << " pixel " << i;
                EXPECT_LE(std::abs(Channel(ours, 0) - theirs[2]), 7) << "block " << n << " pixel " << i;
            }
            surface.Unlock();
        }
        if (format == D3DFMT_DXT1)
            EXPECT_GT(threeColourBlocks, 50);
    }
}

TEST(DXC_Surface, TranslucencyIsSampledAndRemembered)
{
    DeviceGfx fixture;
    DXC_Surface surface;
    MakeLevelSurface(fixture, surface, 64, 64, D3DFMT_A8R8G8B8);
    surface.Lock(nullptr, 0);
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 64; x++)
            surface.PutPixel(x, y, (x + y) % 2 ? 0xFF000000u : 0x00FFFFFFu);
    surface.Unlock();
    EXPECT_EQ(surface.HasTranslucency(), 0);
    // the sample grid: steps of 4 from 2; a half-transparent sample is found, but only after a release
    surface.Lock(nullptr, 0);
    surface.PutPixel(6, 10, 0x80FFFFFFu);
    surface.Unlock();
    EXPECT_EQ(surface.HasTranslucency(), 0);
    surface.alphaState = -1;
    EXPECT_EQ(surface.HasTranslucency(), 1);
    EXPECT_EQ(surface.locked, 0u);
    // DXT5 takes each pixel's alpha from its block's table: a ramp from 255 to 0 is translucent.
    DXC_Surface dxt5;
    MakeLevelSurface(fixture, dxt5, 8, 8, D3DFMT_DXT5);
    for (int b = 0; b < 4; b++) {
        uint8_t* block = Bytes(dxt5) + 16 * b;
        block[0] = 255, block[1] = 0;
        for (int i = 2; i < 8; i++)
            block[i] = 0x92;  // indices 2, 2, 2, ...: the first step between the two
    }
    EXPECT_EQ(dxt5.HasTranslucency(), 1);
    // Formats without an alpha worth examining.
    DXC_Surface opaque;
    MakeLevelSurface(fixture, opaque, 8, 8, D3DFMT_A1R5G5B5);
    EXPECT_EQ(opaque.HasTranslucency(), 0);
}

TEST(DXC_Surface, LinesStayInsideTheLockedImage)
{
    DeviceGfx fixture;
    DXC_Surface surface;
    MakeLevelSurface(fixture, surface, 4, 4, D3DFMT_A8R8G8B8);
    surface.Lock(nullptr, 0);
    surface.DrawLine(5, 5, -5, 5, 0xFFFFFFFFu);  // wholly below the image
    surface.DrawLine(-2, 1, 9, 1, 0xFF0000FFu);
    surface.DrawLine(3, 3, 0, 0, 0xFF00FF00u);  // drawn from the smaller end
    surface.DrawLine(2, -3, 2, 7, 0xFFFF0000u);
    std::string picture;
    for (int y = 0; y < 4; y++) {
        for (int x = 0; x < 4; x++) {
            uint32_t c = 0;
            surface.GetPixel(x, y, c);
            picture += c == 0 ? '.' : c == 0xFF0000FFu ? 'b' : c == 0xFF00FF00u ? 'g' : c == 0xFFFF0000u ? 'r' : '?';
        }
        picture += '\n';
    }
    surface.Unlock();
    EXPECT_EQ(picture, "g.r.\nbgrb\n..r.\n..rg\n");
}

TEST(DXC_Surface, ClippingAndClamping)
{
    struct Case {
        int32_t source[4];
        int32_t point[2];
        int result;
        int32_t clippedSource[4];
        int32_t clippedPoint[2];
    } cases[] = {
        {{0, 0, 10, 10}, {5, 5}, 1, {0, 0, 10, 10}, {5, 5}},     // inside a 16 x 16 destination
        {{0, 0, 10, 10}, {-3, 12}, 1, {3, 0, 10, 4}, {0, 12}},   // cut on the left and below
        {{2, 2, 6, 6}, {16, 0}, 0, {2, 2, 6, 6}, {16, 0}},       // beyond the right edge
        {{0, 0, 4, 4}, {-4, -4}, 0, {0, 0, 4, 4}, {-4, -4}},     // touching the corner only
    };
    for (const Case& c : cases) {
        int32_t source[4], point[2] = {c.point[0], c.point[1]};
        std::copy(c.source, c.source + 4, source);
        EXPECT_EQ(DXC_SurfaceBase::ClipBlit(source, point, 16, 16), c.result);
        if (c.result) {
            EXPECT_EQ(std::vector<int32_t>(source, source + 4), std::vector<int32_t>(c.clippedSource, c.clippedSource + 4));
            EXPECT_EQ(point[0], c.clippedPoint[0]);
            EXPECT_EQ(point[1], c.clippedPoint[1]);
        }
    }
    DeviceGfx fixture;
    DXC_Surface surface;
    MakeLevelSurface(fixture, surface, 16, 8, D3DFMT_A8R8G8B8);
    int32_t rect[4] = {20, 5, -3, 1};
    EXPECT_EQ(surface.ClampRect(rect), 1);
    EXPECT_EQ(std::vector<int32_t>(rect, rect + 4), (std::vector<int32_t>{0, 1, 16, 5}));
    int32_t outside[4] = {20, 0, 30, 4};
    EXPECT_EQ(surface.ClampRect(outside), 0);
    // The source area: corners sorted, kept within the surface.
    EXPECT_EQ(surface.SetSourceArea(10, 7, 0, 5), 1);
    EXPECT_EQ(std::vector<int32_t>(surface.sourceArea, surface.sourceArea + 4), (std::vector<int32_t>{0, 5, 10, 7}));
    EXPECT_EQ(DxcErrorOf([&] { surface.SetSourceArea(0, 0, 17, 8); }), "Source area in DXC_Surface out of surface!");
}

TEST(DXC_Surface, CreatedClearedCopiedAndSaved)
{
    DeviceGfx fixture;
    DXC_Gfx& gfx = fixture.Gfx();
    EXPECT_EQ(DxcErrorOf([&] { gfx.CreateSurface(nullptr, 4, 4, -1, true); }),
              "DXC_Surface pointer in CreateSurface is NULL pointer!");
    DXC_Surface target, source, memory, failed;
    // the device stretches into render targets: a lockable one, attached
    IDirect3DSurface9* renderTarget = nullptr;
    ASSERT_EQ(fixture.Device().CreateRenderTarget(16, 16, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, 1, &renderTarget,
                                                  nullptr),
              D3D_OK);
    target.Attach(renderTarget, nullptr, -1);
    target.device = &fixture.Device();
    ASSERT_EQ(gfx.CreateSurface(&source, 8, 8, D3DFMT_X8R8G8B8, false), 1);
    ASSERT_EQ(gfx.CreateSurface(&memory, 8, 8, -1, true), 1);
    EXPECT_EQ(source.desc.Pool, D3DPOOL_DEFAULT);
    EXPECT_EQ(memory.desc.Pool, D3DPOOL_SYSTEMMEM);
    EXPECT_EQ(memory.format, gfx.GetBackBufferFormat());
    EXPECT_NE(source.resourceManager, nullptr);
    EXPECT_EQ(gfx.GetSurfaceManager().GetReferenceCount(source.resourceId), 1);
    EXPECT_EQ(DxcErrorOf([&] { gfx.CreateSurface(&failed, 0, 8, -1, true); }),
              "CreateOffscreenPlainSurface failed: D3DERR_INVALIDCALL ");

    // Default pool: the device fills, a rectangle too; and stretches between default-pool surfaces.
    const D3DRECT corner{0, 0, 8, 8};
    ASSERT_EQ(source.Clear(0xFF112233u, nullptr), 1);
    ASSERT_EQ(target.Clear(0xFF000000u, nullptr), 1);
    ASSERT_EQ(target.Clear(0xFF445566u, &corner), 1);
    const int32_t stretches = fixture.Journal().Count(D3D9Op::StretchRect);
    ASSERT_EQ(target.CopyFrom(source, 12, 12, 8, 8), 1);  // clipped to 4 x 4 at (12, 12)
    EXPECT_EQ(fixture.Journal().Count(D3D9Op::StretchRect), stretches + 1);
    auto pixel = [](DXC_Surface& s, uint32_t x, uint32_t y) {
        return ReadPixelValue(s.surface->GetImage().Row(y) + 4 * x, 4) & 0xFFFFFF;
    };
    EXPECT_EQ(pixel(target, 13, 13), 0x112233u);
    EXPECT_EQ(pixel(target, 11, 11), 0x000000u);
    EXPECT_EQ(pixel(target, 7, 7), 0x445566u);

    // Other pools are filled in software, whole only; a system-memory copy is stretched in software.
    DXC_Surface managed;
    MakeLevelSurface(fixture, managed, 8, 8, D3DFMT_A8R8G8B8);
    EXPECT_EQ(DxcErrorOf([&] { managed.Clear(0xFFFFFFFFu, &corner); }),
              "Clear: rec only valid for D3DPOOL_DEFAULT surfaces");
    ASSERT_EQ(memory.Clear(0xFF808080u, nullptr), 1);
    memory.Lock(nullptr, 0);
    memory.PutPixel(0, 0, 0xFF000000u);
    memory.Unlock();
    ASSERT_EQ(managed.CopyFrom(memory, 0, 0, 4, 4), 1);  // half size: every other source pixel
    EXPECT_EQ(fixture.Journal().Count(D3D9Op::StretchRect), stretches + 1);
    managed.Lock(nullptr, 0);
    uint32_t c = 0;
    managed.GetPixel(0, 0, c);
    EXPECT_EQ(c, 0xFF000000u);
    managed.GetPixel(3, 3, c);
    EXPECT_EQ(c, 0xFF808080u);
    managed.GetPixel(4, 4, c);
    EXPECT_EQ(c, 0u);  // outside the copy
    managed.Unlock();
    // Shrinking by 0.75 blends the four source pixels around each position.
    memory.Lock(nullptr, 0);
    memory.PutPixel(1, 0, 0xFF000000u);
    memory.Unlock();
    ASSERT_EQ(managed.StretchFrom(memory, 0, 0, 6, 6), 1);
    managed.Lock(nullptr, 0);
    managed.GetPixel(1, 0, c);  // source x 1.33: between black (1) and grey (2)
    managed.Unlock();
    EXPECT_EQ(Channel(c, 16), int(0x80 / 3));

    // Saving, read back through the image reader, and the failure message.
    TempDir dir;
    const std::string file = dir / "s.bmp";
    ASSERT_EQ(memory.SaveToFile(file.c_str(), D3DXIFF_BMP, nullptr), 1);
    D3DXIMAGE_INFO info;
    ASSERT_EQ(D3DXGetImageInfoFromFileA(file.c_str(), &info), D3D_OK);
    EXPECT_EQ(info.Width, 8u);
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_BMP);
    EXPECT_EQ(DxcErrorOf([&] { memory.SaveToFile(file.c_str(), 9, nullptr); }),
              "D3DXSaveTextureToFile failed: D3DERR_INVALIDCALL (file:" + file + ")");
    // The release empties the surface and gives its reference back.
    source.Release();
    EXPECT_EQ(source.surface, nullptr);
    EXPECT_EQ(source.alphaState, -1);
    EXPECT_EQ(source.bytesPerPixel, 0);
}

TEST(DXC_GfxFormats, ChoiceChecksAndCompression)
{
    // Without a device nothing is supported: compression is refused as before.
    {
        DXC_Gfx headless;
        EXPECT_EQ(headless.CheckTextureFormat(D3DFMT_DXT1, 0), 0);
        EXPECT_EQ(DxcErrorOf([&] { headless.SetTextureCompression(1, 65536); }),
                  "Texture compression DXT1 not supported by hardware");
        EXPECT_EQ(headless.SetTextureCompression(0, 65536), 1);
    }
    D3D9AdapterProfile noDxt5 = D3D9AdapterProfile::Typical();
    std::erase_if(noDxt5.formats, [](const D3D9FormatSupport& f) { return f.format == D3DFMT_DXT5; });
    DeviceGfx fixture(noDxt5);
    DXC_Gfx& gfx = fixture.Gfx();
    LogCapture log;
    EXPECT_EQ(gfx.CheckTextureFormat(D3DFMT_DXT1, 0), 1);
    EXPECT_EQ(gfx.CheckTextureFormat(D3DFMT_DXT5, 0), 0);
    EXPECT_EQ(log.Count("Texture format 894720068 mode 0 not supported by device"), 1);
    EXPECT_EQ(gfx.SetTextureCompression(1, 65536), 1);
    EXPECT_EQ(DxcErrorOf([&] { gfx.SetTextureCompression(2, 65536); }),
              "Texture compression DXT5 not supported by hardware");

    struct Case {
        int32_t level;
        uint32_t width, height;
        D3DFORMAT file;
        D3DFORMAT backBuffer;
        D3DFORMAT chosen;
    } cases[] = {
        {1, 200, 200, D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_DXT5},  // 256 x 256
        {1, 200, 100, D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_UNKNOWN},  // 256 x 128: kept
        {1, 256, 256, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_DXT1},
        {1, 256, 256, D3DFMT_A4R4G4B4, D3DFMT_X8R8G8B8, D3DFMT_DXT5},
        {1, 256, 256, D3DFMT_DXT3, D3DFMT_X8R8G8B8, D3DFMT_DXT3},
        {0, 256, 256, D3DFMT_X1R5G5B5, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5},
        {0, 64, 64, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_R5G6B5},
        {0, 64, 64, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_UNKNOWN},
    };
    for (const Case& c : cases) {
        gfx.compressionLevel = c.level;
        gfx.compressionMinSize = 65536;
        gfx.backBufferFormat = c.backBuffer;
        D3DXIMAGE_INFO image;
        image.Width = c.width;
        image.Height = c.height;
        image.Format = c.file;
        EXPECT_EQ(gfx.ChooseTextureFormat(image), c.chosen) << c.width << " x " << c.height << " " << c.file;
    }

    EXPECT_EQ(DXC_Gfx::BytesPerPixel(D3DFMT_DXT1), 0.5f);
    EXPECT_EQ(DXC_Gfx::BytesPerPixel(D3DFMT_DXT4), 1.0f);
    EXPECT_EQ(DXC_Gfx::BytesPerPixel(D3DFMT_R8G8B8), 3.0f);
    EXPECT_EQ(DXC_Gfx::BytesPerPixel(D3DFMT_D16), 2.0f);
    EXPECT_EQ(DXC_Gfx::BytesPerPixel(D3DFMT_L8), 0.0f);
    EXPECT_TRUE(DXC_Gfx::IsDXTFormat(D3DFMT_DXT2));
    EXPECT_FALSE(DXC_Gfx::IsDXTFormat(D3DFMT_A8R8G8B8));
    EXPECT_EQ(DXC_Gfx::NextPowerOfTwo(257), 512u);
    gfx.SetMaxTextureSize(512);
    EXPECT_TRUE(gfx.ExceedsMaxTextureSize(512, 16));
    EXPECT_FALSE(gfx.ExceedsMaxTextureSize(511, 511));
    gfx.maxTextureSizeOverride = 1;
    EXPECT_FALSE(gfx.ExceedsMaxTextureSize(1024, 1024));
}

}  // namespace
