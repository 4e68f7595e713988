// DXC_GfxTextureFile: image files loaded into textures and surfaces on a device: frame lists,
// the automatic halving of large textures, the size rule of compressed images whose sides are no
// powers of two, the format kept by "_ntc." names under compression, sharing; and the texture
// catalogue on a client and on the server.
#include "engine/gfx/DXC_Gfx.h"

#include "engine/gfx/DXC_TextureCatalogue.h"
#include "platform/D3D9Device.h"
#include "platform/D3D9MemoryTexture.h"
#include "platform/D3DXImage.h"
#include "platform/DdsFile.h"
#include "support/DeviceGfx.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

// A pattern that changes at every pixel, so that a filter shows in every channel.
uint32_t PatternPixel(uint32_t x, uint32_t y)
{
    return 0xFF000000u | ((x * 7 + y * 3) & 0xFF) << 16 | ((x * 5 + y * 11) & 0xFF) << 8 | ((x ^ y) * 13 & 0xFF);
}

// A PNG of the pattern.
void WritePattern(const std::string& path, uint32_t width, uint32_t height)
{
    IDirect3DSurface9* surface = nullptr;
    ASSERT_EQ(CreateMemorySurface(width, height, D3DFMT_A8R8G8B8, D3DPOOL_SCRATCH, &surface), D3D_OK);
    MemoryImageLevel& image = surface->GetImage();
    for (uint32_t y = 0; y < height; y++)
        for (uint32_t x = 0; x < width; x++) {
            const uint32_t c = PatternPixel(x, y);
            uint8_t* p = image.Row(y) + 4 * x;
            p[0] = uint8_t(c), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c >> 16), p[3] = uint8_t(c >> 24);
        }
    ASSERT_EQ(D3DXSaveSurfaceToFileA(path.c_str(), D3DXIFF_PNG, surface, nullptr, nullptr), D3D_OK);
    surface->Release();
}

// A one-level DXT1 file of arbitrary blocks.
void WriteDxt(const std::string& path, uint32_t width, uint32_t height)
{
    std::vector<uint8_t> bytes = WriteDdsHeader(DdsHeader{width, height, 1, D3DFMT_DXT1});
    for (uint64_t i = 0; i < DdsLevelBytes(D3DFMT_DXT1, width, height); i++)
        bytes.push_back(uint8_t(i * 29 + 3));
    TempDir::WriteAll(path, bytes);
}

uint32_t TexturePixel(IDirect3DTexture9* texture, uint32_t x, uint32_t y)
{
    D3DLOCKED_RECT locked;
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    const uint8_t* p = static_cast<const uint8_t*>(locked.pBits) + size_t(y) * size_t(locked.Pitch) + 4 * x;
    const uint32_t c = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    texture->UnlockRect(0);
    return c;
}

}  // namespace

TEST(DXC_GfxTextureFile, FrameListsHalvingAndSizeRules)
{
    DeviceGfx device;
    DXC_Gfx& gfx = device.Gfx();
    TempDir dir;
    LogCapture log;

    // Three frames named in a list, found beside it.
    for (int i = 0; i < 3; i++)
        WritePattern(dir / ("frame" + std::to_string(i) + ".png"), 8, 8);
    dir.Write("anim.ifl", "frame0.png\r\nframe1.png\n\n  frame2.png  \n");
    DXC_Texture sequence;
    gfx.LoadTexture(&sequence, (dir / "anim.ifl").c_str(), 0, -1, -1, 1);
    ASSERT_EQ(sequence.GetSequenceLength(), 3);
    for (int i = 0; i < 3; i++)
        EXPECT_NE(sequence.frameTextures[i], nullptr) << i;

    // A one-level texture at the maximum size is halved by a box filter of its image.
    WritePattern(dir / "big.png", 512, 512);
    gfx.maxTextureSize = 512;
    DXC_Texture big;
    gfx.LoadTexture(&big, (dir / "big.png").c_str(), 0, -1, -1, 1);
    gfx.maxTextureSize = 0;
    ASSERT_NE(big.currentTexture, nullptr);
    EXPECT_EQ(big.pixelWidth, 256);
    EXPECT_EQ(big.pixelHeight, 256);
    EXPECT_EQ(big.currentTexture->GetLevelCount(), 1u);
    for (uint32_t y = 0; y < 256; y += 37)
        for (uint32_t x = 0; x < 256; x += 41) {
            const uint32_t got = TexturePixel(big.currentTexture, x, y);
            for (int shift = 0; shift < 32; shift += 8) {
                uint32_t sum = 0;
                for (uint32_t dy = 0; dy < 2; dy++)
                    for (uint32_t dx = 0; dx < 2; dx++)
                        sum += PatternPixel(2 * x + dx, 2 * y + dy) >> shift & 0xFF;
                EXPECT_NEAR(int(got >> shift & 0xFF), int(sum + 2) / 4, 1) << x << "," << y << " shift " << shift;
            }
        }

    // A compressed image of 300 x 200 with mipmaps is rounded up to powers of two, with the
    // warning where no filtering was asked for.
    const std::string dxt = dir / "plate.dds";
    WriteDxt(dxt, 300, 200);
    DXC_Texture plate;
    gfx.LoadTexture(&plate, dxt.c_str(), 0, 0x1000, -1, 0);
    EXPECT_EQ(log.Count(("Loading none-power of 2 texture '" + dxt +
                         "' with options: mipmaps+noStretch+compressed").c_str()),
              1);
    EXPECT_EQ(plate.pixelWidth, 512);
    EXPECT_EQ(plate.pixelHeight, 256);
    const std::string dxtOne = dir / "plate1.dds";  // one level keeps the size
    WriteDxt(dxtOne, 300, 200);
    DXC_Texture single;
    gfx.LoadTexture(&single, dxtOne.c_str(), 0, 0x1000, -1, 1);
    EXPECT_EQ(single.pixelWidth, 300);
    EXPECT_EQ(log.Count("Loading none-power of 2 texture"), 1);

    // Under compression a "_ntc." name keeps the file's format.
    gfx.compressionLevel = 2;
    WritePattern(dir / "wall.png", 256, 256);
    WritePattern(dir / "wall_ntc.png", 256, 256);
    DXC_Texture wall, kept;
    gfx.LoadTexture(&wall, (dir / "wall.png").c_str(), 0, -1, -1, 0);
    gfx.LoadTexture(&kept, (dir / "wall_ntc.png").c_str(), 0, -1, -1, 0);
    EXPECT_EQ(wall.format, D3DFMT_DXT5);
    EXPECT_EQ(kept.format, D3DFMT_A8R8G8B8);
    gfx.compressionLevel = 0;

    // The same file twice: one texture, two references.
    DXC_Texture first, second;
    const int32_t made = device.Journal().Count(D3D9Op::CreateTexture);
    gfx.LoadTexture(&first, (dir / "frame0.png").c_str(), 0, -1, -1, 1);
    gfx.LoadTexture(&second, (dir / "frame0.png").c_str(), 0, -1, -1, 1);
    EXPECT_EQ(first.currentTexture, second.currentTexture);
    EXPECT_EQ(device.Journal().Count(D3D9Op::CreateTexture), made);  // the frame's, shared
    EXPECT_EQ(gfx.GetTextureManager().GetReferenceCount(first.stageIds[0]), 3);
    EXPECT_EQ(DxcErrorOf([&] { gfx.LoadTexture(&first, (dir / "frame0.png").c_str(), 0, 4, -1, 1); }),
              "Wrong texture parameter in LoadTexture!");
}

TEST(DXC_GfxTextureFile, SurfacesAreReadAndShared)
{
    DeviceGfx device;
    TempDir dir;
    WritePattern(dir / "panel.png", 16, 8);
    DXC_Surface one, two;
    device.Gfx().LoadSurface(&one, (dir / "panel.png").c_str(), 0, D3DFMT_A8R8G8B8);
    device.Gfx().LoadSurface(&two, (dir / "panel.png").c_str(), 0, D3DFMT_A8R8G8B8);
    EXPECT_EQ(one.width, 16);
    EXPECT_EQ(one.height, 8);
    EXPECT_EQ(one.surface, two.surface);
    const uint8_t* p = one.surface->GetImage().Row(3) + 4 * 5;
    EXPECT_EQ(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24, PatternPixel(5, 3));
    EXPECT_EQ(DxcErrorOf([&] { device.Gfx().LoadSurface(&one, (dir / "none.png").c_str(), 0, -1); }),
              "Can not open file " + (dir / "none.png"));
}

TEST(DXC_GfxTextureFile, CatalogueLoadsOnFirstUse)
{
    TempDir dir;
    WriteDxt(dir / "plate.dds", 300, 200);
    WritePattern(dir / "icon.png", 8, 8);
    {
        DeviceGfx device;
        DXC_TextureCatalogue& catalogue = device.Gfx().GetTextureCatalogue();
        LogCapture log;
        const std::string missing = dir / "gone.png";
        EXPECT_EQ(catalogue.LoadTexture("nothing"), nullptr);  // never entered: nothing made
        EXPECT_TRUE(catalogue.AddTexture("gone", missing.c_str(), 0, true));
        EXPECT_FALSE(catalogue.AddTexture("GONE", missing.c_str(), 0, true));  // the first entry stays
        EXPECT_EQ(log.Count(("Texture file not found: '" + missing + "'").c_str()), 1);
        DXC_Texture* grey = catalogue.LoadTexture("gone");
        ASSERT_NE(grey, nullptr);
        EXPECT_EQ(grey->pixelWidth, 4);
        EXPECT_EQ(TexturePixel(grey->currentTexture, 3, 3), DXC_TextureCatalogue::kMissingColor);
        EXPECT_EQ(device.Gfx().LoadCatalogueTexture("gone"), grey);

        // An entry without filtering loads with 0x1000, which the warning of this file shows.
        catalogue.AddTexture("filtered", (dir / "plate.dds").c_str(), 0, true);
        catalogue.AddTexture("sharp", (dir / "plate.dds").c_str(), 0, false);
        ASSERT_NE(catalogue.LoadTexture("filtered"), nullptr);
        EXPECT_EQ(log.Count("Loading none-power of 2 texture"), 0);
        DXC_Texture* sharp = catalogue.LoadTexture("sharp");
        ASSERT_NE(sharp, nullptr);
        EXPECT_EQ(log.Count("Loading none-power of 2 texture"), 0);  // shared with the filtered load
        EXPECT_EQ(DxcErrorOf([&] { catalogue.AddTexture("", "x.png", 0, true); }), "Empty name string");
    }
    {
        DeviceGfx device;
        LogCapture log;
        DXC_TextureCatalogue& catalogue = device.Gfx().GetTextureCatalogue();
        catalogue.AddTexture("sharp", (dir / "plate.dds").c_str(), 0, false);
        ASSERT_NE(catalogue.LoadTexture("sharp"), nullptr);
        EXPECT_EQ(log.Count("Loading none-power of 2 texture"), 1);
    }
    // The server's first use of an existing file gives the placeholder.
    DXC_Gfx server;
    server.SetDedicatedMode(1);
    server.GetTextureCatalogue().AddTexture("icon", (dir / "icon.png").c_str(), 1, true);
    DXC_Texture* icon = server.LoadCatalogueTexture("icon");
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->pixelWidth, int32_t(DXC_Gfx::kPlaceholderSize));
    EXPECT_EQ(TexturePixel(icon->currentTexture, 1, 1), DXC_Gfx::kPlaceholderColor);
}
