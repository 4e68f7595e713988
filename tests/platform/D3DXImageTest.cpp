// D3DXImageTest: image files through the stand-in: DDS headers checked against their bytes, PNG,
// BMP, TGA and DDS written and read back, DXT through libsquish, textures made from files with
// their sizes, levels and colour key, and the files opened by ImageMagick.
#include "platform/D3DXImage.h"

#include "platform/D3D9Adapter.h"
#include "platform/D3D9Device.h"
#include "platform/D3D9FormatInfo.h"
#include "platform/D3D9Ref.h"
#include "platform/DdsFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class ImageFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        adapter.reset(CreateAdapter(D3D9AdapterProfile::Typical()));
        ASSERT_NE(adapter, nullptr);
        IDirect3DDevice9* made = nullptr;
        ASSERT_EQ(MakeWindowedDevice(*adapter, &made), D3D_OK);
        device.reset(made);
        dir = fs::temp_directory_path() /
              ("d3dximage_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string Path(const char* name) const { return (dir / name).string(); }

    // A surface of the typical device's textures (level 0 of a managed texture): DXT included.
    D3D9Ref<IDirect3DSurface9> Surface(uint32_t w, uint32_t h, D3DFORMAT format)
    {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(device->CreateTexture(w, h, 1, 0, format, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK) << format;
        IDirect3DSurface9* level = nullptr;
        texture->GetSurfaceLevel(0, &level);
        texture->Release();  // the level keeps it
        return D3D9Ref<IDirect3DSurface9>(level);
    }
    // A picture of smooth colour ramps with an alpha ramp, as A8R8G8B8 pixels.
    static std::vector<uint32_t> Picture(uint32_t w, uint32_t h)
    {
        std::vector<uint32_t> argb(size_t(w) * h);
        for (uint32_t y = 0; y < h; y++)
            for (uint32_t x = 0; x < w; x++)
                argb[y * w + x] = (x * 255 / (w - 1)) << 24 | (x * 255 / (w - 1)) << 16 | (y * 255 / (h - 1)) << 8 |
                                  ((x + y) * 127 / (w + h));
        return argb;
    }
    static void Put(IDirect3DSurface9* surface, const std::vector<uint32_t>& argb)
    {
        const D3DRECT all{0, 0, int32_t(surface->GetImage().desc.Width), int32_t(surface->GetImage().desc.Height)};
        ASSERT_EQ(D3DXLoadSurfaceFromMemory(surface, nullptr, nullptr, argb.data(), D3DFMT_A8R8G8B8,
                                            uint32_t(all.x2) * 4, nullptr, &all, D3DX_FILTER_NONE, 0),
                  D3D_OK);
    }
    static uint32_t Pixel(IDirect3DSurface9* surface, uint32_t x, uint32_t y)
    {
        MemoryImageLevel& image = surface->GetImage();
        const uint32_t bytes = FindD3D9Format(image.desc.Format)->bytes;
        return ReadPixelValue(image.Row(y) + x * bytes, bytes);
    }
    static bool HaveTool(const char* name)
    {
        return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
    }
    // The tool's standard output.
    std::string Run(const std::string& command)
    {
        const std::string out = Path("tool.txt");
        std::system((command + " > '" + out + "' 2>&1").c_str());
        std::ifstream in(out);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    D3D9Ref<IDirect3D9> adapter;
    D3D9Ref<IDirect3DDevice9> device;
    fs::path dir;
};

std::vector<uint8_t> DdsBytes(const DdsHeader& header, size_t pixelBytes)
{
    std::vector<uint8_t> bytes = WriteDdsHeader(header);
    bytes.resize(bytes.size() + pixelBytes, 0x5A);
    return bytes;
}

TEST(DdsFile, HeadersOfEveryFormatReadBack)
{
    for (D3DFORMAT format : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R8G8B8, D3DFMT_R5G6B5, D3DFMT_A1R5G5B5,
                             D3DFMT_X1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_A8, D3DFMT_L8, D3DFMT_A8L8, D3DFMT_DXT1,
                             D3DFMT_DXT2, D3DFMT_DXT3, D3DFMT_DXT4, D3DFMT_DXT5}) {
        const DdsHeader written{13, 6, 3, format};
        uint64_t bytes = 0;
        for (uint32_t i = 0, w = 13, h = 6; i < 3; i++, w = std::max(w / 2, 1u), h = std::max(h / 2, 1u))
            bytes += DdsLevelBytes(format, w, h);
        const std::vector<uint8_t> file = DdsBytes(written, bytes);
        DdsHeader read;
        std::string error;
        ASSERT_TRUE(ReadDdsHeader(file.data(), file.size(), read, error)) << format << ": " << error;
        EXPECT_EQ(read.width, 13u);
        EXPECT_EQ(read.height, 6u);
        EXPECT_EQ(read.levels, 3u);
        EXPECT_EQ(read.format, format);
        // one byte short of the last level
        EXPECT_FALSE(ReadDdsHeader(file.data(), file.size() - 1, read, error)) << format;
    }
}

TEST(DdsFile, LyingHeadersAreRefusedWithTheReason)
{
    const DdsHeader good{16, 16, 1, D3DFMT_A8R8G8B8};
    auto patched = [&](size_t offset, uint32_t value) {
        std::vector<uint8_t> file = DdsBytes(good, 16 * 16 * 4);
        for (int i = 0; i < 4; i++)
            file[offset + i] = uint8_t(value >> (8 * i));
        return file;
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
        const char* reason;
    } cases[] = {
        {"height beyond the pixels", patched(12, 4096), "DDS pixels need 262144 bytes, the file holds 1024"},
        {"width 0", patched(16, 0), "DDS image size 0 x 16 out of range"},
        {"huge width", patched(16, 0x7FFFFFFF), "out of range"},
        {"level count beyond the chain", [&] {
             std::vector<uint8_t> f = patched(28, 6);
             f[10] |= 0x02;  // the flag that the count is given
             return f;
         }(),
         "DDS level count 6 beyond the chain of 5"},
        {"header size", patched(4, 100), "DDS header size 100"},
        {"cube map", patched(112, 0x200), "cube maps"},
        {"unknown four-character code", [&] {
             std::vector<uint8_t> f = patched(80, 0x4);
             f[84] = 'A', f[85] = 'T', f[86] = 'I', f[87] = '2';
             return f;
         }(),
         "pixel format not supported"},
        {"truncated header", std::vector<uint8_t>{'D', 'D', 'S', ' ', 124, 0}, "Not a DDS file"},
    };
    for (const Case& c : cases) {
        DdsHeader read;
        std::string error;
        EXPECT_FALSE(ReadDdsHeader(c.file.data(), c.file.size(), read, error)) << c.what;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
        D3DXIMAGE_INFO info;
        EXPECT_EQ(D3DXGetImageInfoFromFileInMemory(c.file.data(), c.file.size(), &info), D3DXERR_INVALIDDATA)
            << c.what;
        EXPECT_EQ(error, D3DXGetLastImageError()) << c.what;
    }
}

TEST_F(ImageFileTest, FilesWrittenReadBackEqual)
{
    std::mt19937 random(99);
    std::vector<uint32_t> argb(24 * 10);
    for (uint32_t& p : argb)
        p = random();
    D3D9Ref<IDirect3DSurface9> source = Surface(24, 10, D3DFMT_A8R8G8B8);
    Put(source.get(), argb);
    struct Case {
        const char* name;
        uint32_t fileFormat;
        bool keepsAlpha;
        D3DFORMAT reported;
    } cases[] = {
        {"a.png", D3DXIFF_PNG, true, D3DFMT_A8R8G8B8},
        {"a.bmp", D3DXIFF_BMP, false, D3DFMT_X8R8G8B8},
        {"a.tga", D3DXIFF_TGA, true, D3DFMT_A8R8G8B8},
        {"a.dds", D3DXIFF_DDS, true, D3DFMT_A8R8G8B8},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(D3DXSaveSurfaceToFileA(Path(c.name).c_str(), c.fileFormat, source.get(), nullptr, nullptr), D3D_OK)
            << c.name;
        D3DXIMAGE_INFO info;
        ASSERT_EQ(D3DXGetImageInfoFromFileA(Path(c.name).c_str(), &info), D3D_OK) << c.name;
        EXPECT_EQ(info.Width, 24u);
        EXPECT_EQ(info.Height, 10u);
        EXPECT_EQ(info.ImageFileFormat, c.fileFormat) << c.name;
        EXPECT_EQ(info.Format, c.reported) << c.name;
        D3D9Ref<IDirect3DSurface9> back = Surface(24, 10, D3DFMT_A8R8G8B8);
        ASSERT_EQ(D3DXLoadSurfaceFromFileA(back.get(), nullptr, nullptr, Path(c.name).c_str(), nullptr,
                                           D3DX_FILTER_NONE, 0, nullptr),
                  D3D_OK)
            << c.name;
        for (uint32_t i = 0; i < argb.size(); i++) {
            const uint32_t expected = c.keepsAlpha ? argb[i] : argb[i] | 0xFF000000u;
            ASSERT_EQ(Pixel(back.get(), i % 24, i / 24), expected) << c.name << " pixel " << i;
        }
    }
    // A rectangle of the surface alone, and the missing file.
    const D3DRECT part{4, 2, 12, 7};
    ASSERT_EQ(D3DXSaveSurfaceToFileA(Path("part.png").c_str(), D3DXIFF_PNG, source.get(), nullptr, &part), D3D_OK);
    D3DXIMAGE_INFO info;
    ASSERT_EQ(D3DXGetImageInfoFromFileA(Path("part.png").c_str(), &info), D3D_OK);
    EXPECT_EQ(info.Width, 8u);
    EXPECT_EQ(info.Height, 5u);
    EXPECT_EQ(D3DXGetImageInfoFromFileA(Path("none.png").c_str(), &info), D3DERR_NOTFOUND);
    EXPECT_EQ(D3DXSaveSurfaceToFileA(Path("a.xyz").c_str(), 5, source.get(), nullptr, nullptr), D3DERR_INVALIDCALL);
}

TEST_F(ImageFileTest, ConversionsWidenChannelsAndApplyTheColourKey)
{
    // R5G6B5 pixels read into A8R8G8B8 repeat their high bits; the key turns its colour clear.
    const uint16_t wide[4] = {0xFFFF, 0x8410, 0xF800, 0x001F};
    D3D9Ref<IDirect3DSurface9> target = Surface(4, 1, D3DFMT_A8R8G8B8);
    const D3DRECT row{0, 0, 4, 1};
    ASSERT_EQ(D3DXLoadSurfaceFromMemory(target.get(), nullptr, nullptr, wide, D3DFMT_R5G6B5, 8, nullptr, &row,
                                        D3DX_FILTER_NONE, 0xFFFF0000u),
              D3D_OK);
    EXPECT_EQ(Pixel(target.get(), 0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(target.get(), 1, 0), 0xFF848284u);
    EXPECT_EQ(Pixel(target.get(), 2, 0), 0x00000000u);  // pure red was the key
    EXPECT_EQ(Pixel(target.get(), 3, 0), 0xFF0000FFu);
    // DXT2 is stored premultiplied: half-transparent white reads back as half-bright.
    D3D9Ref<IDirect3DSurface9> dxt2 = Surface(4, 4, D3DFMT_DXT2);
    std::vector<uint32_t> halfWhite(16, 0x80FFFFFFu);
    Put(dxt2.get(), halfWhite);
    D3D9Ref<IDirect3DSurface9> read = Surface(4, 4, D3DFMT_A8R8G8B8);
    const D3DRECT block{0, 0, 4, 4};
    ASSERT_EQ(D3DXLoadSurfaceFromMemory(read.get(), nullptr, nullptr, dxt2->GetImage().pixels.data(), D3DFMT_DXT2,
                                        uint32_t(dxt2->GetImage().pitch), nullptr, &block, D3DX_FILTER_NONE, 0),
              D3D_OK);
    const uint32_t p = Pixel(read.get(), 1, 1);
    EXPECT_NEAR(double(p >> 24), 0x88, 8);  // four alpha bits
    EXPECT_NEAR(double(p >> 16 & 0xFF), 0x80, 8);
    // DXT destinations take whole blocks only.
    D3D9Ref<IDirect3DSurface9> dxt1 = Surface(8, 8, D3DFMT_DXT1);
    const D3DRECT offEdge{2, 0, 6, 4};
    EXPECT_EQ(D3DXLoadSurfaceFromMemory(dxt1.get(), nullptr, &offEdge, halfWhite.data(), D3DFMT_A8R8G8B8, 16, nullptr,
                                        &block, D3DX_FILTER_NONE, 0),
              D3DERR_INVALIDCALL);
}

TEST_F(ImageFileTest, Dxt5DdsOfAPictureDecodesWithinTheAgreedError)
{
    const std::vector<uint32_t> picture = Picture(64, 32);
    D3D9Ref<IDirect3DSurface9> compressed = Surface(64, 32, D3DFMT_DXT5);
    Put(compressed.get(), picture);
    ASSERT_EQ(D3DXSaveSurfaceToFileA(Path("p.dds").c_str(), D3DXIFF_DDS, compressed.get(), nullptr, nullptr), D3D_OK);
    EXPECT_EQ(fs::file_size(Path("p.dds")), kDdsHeaderSize + 64 / 4 * 32 / 4 * 16);
    D3DXIMAGE_INFO info;
    ASSERT_EQ(D3DXGetImageInfoFromFileA(Path("p.dds").c_str(), &info), D3D_OK);
    EXPECT_EQ(info.Format, D3DFMT_DXT5);
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_DDS);
    D3D9Ref<IDirect3DSurface9> back = Surface(64, 32, D3DFMT_A8R8G8B8);
    ASSERT_EQ(D3DXLoadSurfaceFromFileA(back.get(), nullptr, nullptr, Path("p.dds").c_str(), nullptr, D3DX_FILTER_NONE,
                                       0, nullptr),
              D3D_OK);
    // Smooth ramps: every channel within 12 of the picture, and within 3 on average.
    double total = 0;
    int worst = 0;
    for (uint32_t y = 0; y < 32; y++) {
        for (uint32_t x = 0; x < 64; x++) {
            const uint32_t a = picture[y * 64 + x], b = Pixel(back.get(), x, y);
            for (int shift = 0; shift < 32; shift += 8) {
                const int d = std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF));
                worst = std::max(worst, d);
                total += d;
            }
        }
    }
    EXPECT_LE(worst, 12);
    EXPECT_LE(total / (64 * 32 * 4), 3.0);
}

TEST_F(ImageFileTest, TextureFromFileRoundsUpWithFullChainAndColourKey)
{
    // 100 x 60: a key-coloured square in the middle of grey.
    std::vector<uint32_t> argb(100 * 60, 0xFF808080u);
    for (uint32_t y = 20; y < 40; y++)
        for (uint32_t x = 40; x < 60; x++)
            argb[y * 100 + x] = 0xFFFF00FFu;
    D3D9Ref<IDirect3DSurface9> source = Surface(100, 60, D3DFMT_A8R8G8B8);
    Put(source.get(), argb);
    ASSERT_EQ(D3DXSaveSurfaceToFileA(Path("t.png").c_str(), D3DXIFF_PNG, source.get(), nullptr, nullptr), D3D_OK);
    IDirect3DTexture9* made = nullptr;
    D3DXIMAGE_INFO info;
    ASSERT_EQ(D3DXCreateTextureFromFileExA(device.get(), Path("t.png").c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 0, 0,
                                           D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_FILTER_LINEAR, D3DX_FILTER_BOX,
                                           0xFFFF00FFu, &info, nullptr, &made),
              D3D_OK);
    D3D9Ref<IDirect3DTexture9> texture(made);
    EXPECT_EQ(info.Width, 100u);
    EXPECT_EQ(info.Height, 60u);
    D3DSURFACE_DESC desc;
    ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 128u);
    EXPECT_EQ(desc.Height, 64u);
    ASSERT_EQ(texture->GetLevelCount(), 8u);  // 128 x 64 down to 1 x 1
    ASSERT_EQ(texture->GetLevelDesc(7, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 1u);
    IDirect3DSurface9* level = nullptr;
    ASSERT_EQ(texture->GetSurfaceLevel(0, &level), D3D_OK);
    D3D9Ref<IDirect3DSurface9> first(level);
    EXPECT_EQ(Pixel(first.get(), 64, 32), 0x00000000u);  // inside the keyed square, scaled
    EXPECT_EQ(Pixel(first.get(), 5, 5), 0xFF808080u);
    // Kept sizes on request, and a file that is no image.
    ASSERT_EQ(D3DXCreateTextureFromFileExA(device.get(), Path("t.png").c_str(), D3DX_DEFAULT_NONPOW2,
                                           D3DX_DEFAULT_NONPOW2, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                           D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, nullptr, nullptr, &made),
              D3D_OK);
    D3D9Ref<IDirect3DTexture9> kept(made);
    ASSERT_EQ(kept->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 100u);
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);  // the file's
    std::ofstream(Path("junk.png")) << "not an image";
    EXPECT_EQ(D3DXCreateTextureFromFileExA(device.get(), Path("junk.png").c_str(), 0, 0, 0, 0, D3DFMT_UNKNOWN,
                                           D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, nullptr, nullptr,
                                           &made),
              D3DXERR_INVALIDDATA);
    EXPECT_EQ(made, nullptr);
}

TEST_F(ImageFileTest, WrittenFilesOpenInImageMagick)
{
    if (!HaveTool("identify") || !HaveTool("compare") || !HaveTool("convert"))
        GTEST_SKIP() << "ImageMagick's identify, compare and convert are not installed";
    std::vector<uint32_t> argb = Picture(32, 16);
    for (uint32_t& p : argb)
        p |= 0xFF000000u;  // opaque, so that every format holds the same picture
    D3D9Ref<IDirect3DSurface9> source = Surface(32, 16, D3DFMT_A8R8G8B8);
    Put(source.get(), argb);
    struct Case {
        const char* name;
        uint32_t fileFormat;
        const char* magick;
    } cases[] = {{"m.png", D3DXIFF_PNG, "PNG"}, {"m.bmp", D3DXIFF_BMP, "BMP3"}, {"m.tga", D3DXIFF_TGA, "TGA"},
                 {"m.jpg", D3DXIFF_JPG, "JPEG"}, {"m.dds", D3DXIFF_DDS, "DDS"}};
    for (const Case& c : cases) {
        ASSERT_EQ(D3DXSaveSurfaceToFileA(Path(c.name).c_str(), c.fileFormat, source.get(), nullptr, nullptr), D3D_OK);
        EXPECT_EQ(Run("identify -format '%w %h %m' '" + Path(c.name) + "'"), std::string("32 16 ") + c.magick)
            << c.name;
    }
    // The lossless files hold the same pixels as the PNG: no pixel differs. A TGA's rows run from
    // the bottom, which ImageMagick keeps as an orientation until asked to apply it.
    Run("convert '" + Path("m.tga") + "' -auto-orient '" + Path("tga.png") + "'");
    for (const char* name : {"m.bmp", "tga.png", "m.dds"})
        EXPECT_EQ(Run("compare -metric AE '" + Path("m.png") + "' '" + Path(name) + "' null:"), "0") << name;
}

}  // namespace
