// DXC_Gfx loading: surfaces and textures from image files (placeholders in dedicated mode) with
// the format, size and downsize rules of loaded textures, image file lists, video source
// textures.
#include "engine/gfx/DXC_Gfx.h"

#include "base/File.h"
#include "base/FileName.h"
#include "platform/D3D9Device.h"
#include "platform/D3DXImage.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

// Fills every pixel of a locked 32-bit image with one colour.
void Fill(const D3DLOCKED_RECT& locked, uint32_t width, uint32_t height, uint32_t color)
{
    auto* row = static_cast<uint8_t*>(locked.pBits);
    for (uint32_t y = 0; y < height; y++, row += locked.Pitch)
        for (uint32_t x = 0; x < width; x++) {
            uint8_t* p = row + 4 * x;
            p[0] = uint8_t(color);
            p[1] = uint8_t(color >> 8);
            p[2] = uint8_t(color >> 16);
            p[3] = uint8_t(color >> 24);
        }
}

bool EndsWithNoCase(const char* text, const char* tail)
{
    const size_t n = std::strlen(text), m = std::strlen(tail);
    return n >= m && String::CompareNoCase(text + n - m, tail) == 0;
}

uint32_t RoundUpPow2(uint32_t v)
{
    uint32_t p = 1;
    while (p < v && p < (1u << 31))
        p <<= 1;
    return p;
}

}  // namespace

int DXC_Gfx::LoadSurface(DXC_Surface* surface, const char* fileName, uint32_t colorKey, int32_t format)
{
    if (!surface)
        Error("DXC_Surface pointer in LoadSurface is NULL pointer!");
    surface->Release();
    if (!fileName || !File::Exists(fileName))
        Error("Can not open file %s", fileName ? fileName : "");
    const D3DFORMAT wanted = format == -1 ? backBufferFormat : D3DFORMAT(format);
    if (dedicatedMode) {
        IDirect3DSurface9* made = nullptr;
        HRESULT result = CreateMemorySurface(kPlaceholderSize, kPlaceholderSize, wanted, D3DPOOL_SCRATCH, &made);
        if (FAILED(result))
            Error("CreateImageSurface failed: %s ", GetDirectXErrorName(result));
        surface->Attach(made, nullptr, -1);
        surface->Clear(kPlaceholderColor, nullptr);  // in software, in whatever format it has
        return 1;
    }
    String bytes;
    D3DXIMAGE_INFO info;
    HRESULT result = ReadFileToString(bytes, fileName) ? D3DXGetImageInfoFromFileInMemory(bytes.c_str(),
                                                                                       size_t(bytes.GetLength()), &info)
                                                    : D3DERR_NOTFOUND;
    if (FAILED(result))
        Error(" D3DXGetImageInfoFromFile failed: %s (file:%s)", GetDirectXErrorName(result), fileName);
    const String key = MakeResourceKey(fileName);
    int32_t id = shareByName ? surfaceManager.Acquire(key.c_str()) : -1;
    IDirect3DSurface9* made = nullptr;
    if (id >= 0) {
        made = static_cast<IDirect3DSurface9*>(surfaceManager.GetResource(id));
    } else {
        lastResult = Device().CreateOffscreenPlainSurface(info.Width, info.Height, wanted, D3DPOOL_SCRATCH, &made,
                                                         nullptr);
        if (FAILED(lastResult))
            Error("CreateImageSurface failed: %s ", GetDirectXErrorName(lastResult));
        lastResult = D3DXLoadSurfaceFromFileInMemory(made, nullptr, nullptr, bytes.c_str(), size_t(bytes.GetLength()),
                                                     nullptr, D3DX_FILTER_NONE, colorKey, nullptr);
        if (FAILED(lastResult)) {
            made->Release();
            Error(" D3DXLoadSurfaceFromFile failed: %s (file:%s)", GetDirectXErrorName(lastResult), fileName);
        }
        id = surfaceManager.Add(made, key.c_str(), fileName);
    }
    surface->Attach(made, &surfaceManager, id);
    surface->device = device;
    return 1;
}

DXC_Texture& DXC_Gfx::GetPlaceholderTexture()
{
    if (HasPlaceholderTexture())
        return placeholder;
    IDirect3DTexture9* made = nullptr;
    HRESULT result = CreateMemoryTexture(kPlaceholderSize, kPlaceholderSize, 1, 0, D3DFMT_A8R8G8B8,
                                         D3DPOOL_MANAGED, &made);
    if (FAILED(result))
        Error("CreateTexture for placeholder failed: %s ", GetDirectXErrorName(result));
    D3DLOCKED_RECT locked;
    if (made->LockRect(0, &locked, nullptr, 0) == D3D_OK) {
        Fill(locked, kPlaceholderSize, kPlaceholderSize, kPlaceholderColor);
        made->UnlockRect(0);
    }
    // Entered under a key no file name can take; its one reference is the placeholder's own.
    const int32_t id = textureManager.Add(made, "*placeholder*", "");
    placeholder.SelectStage(0, 0);
    placeholder.SetStageTexture(made, &textureManager, id);
    placeholder.SetMapType(MAP_DIFFUSE);
    textureCount++;
    return placeholder;
}

void DXC_Gfx::CreateSolidTexture(DXC_Texture& texture, uint32_t size, uint32_t color)
{
    if (device) {
        CreateTexture(&texture, int32_t(size), int32_t(size), -1, -1, 1);
        texture.Clear(color, nullptr);
        return;
    }
    texture.FreeCurrent();
    IDirect3DTexture9* made = nullptr;
    HRESULT result = CreateMemoryTexture(size, size, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &made);
    if (FAILED(result))
        Error(" D3DXCreateTexture failed: %s ", GetDirectXErrorName(result));
    D3DLOCKED_RECT locked;
    if (made->LockRect(0, &locked, nullptr, 0) == D3D_OK) {
        Fill(locked, size, size, color);
        made->UnlockRect(0);
    }
    textureCount++;
    texture.SetStageTexture(made, &textureManager, textureManager.Add(made, "", ""));
    texture.SetMapType(MAP_DIFFUSE);
}

void DXC_Gfx::LoadVideoTexture(DXC_Texture& texture, const char* fileName)
{
    errno = 0;
    const long number = std::strtol(fileName + 7, nullptr, 10);
    const long index = (number > INT_MIN && number < INT_MAX) ? number - 1 : -1;
    if (index < 0 || index >= kVideoSources)
        Error("Invalid video source for texture: %i", int32_t(number >= INT_MAX ? INT_MAX : number - 1));
    DXC_VideoSource& source = videoSources[index];
    if (uint64_t(source.width) * source.height < 1)
        Error("Invalid video source settings for source %i", int32_t(number));
    int32_t id = textureManager.Acquire(fileName);
    if (id < 0) {
        uint32_t width = source.width, height = source.height;
        if (caps.TextureCaps & D3DPTEXTURECAPS_POW2) {
            width = RoundUpPow2(width);
            height = RoundUpPow2(height);
        }
        const bool dynamic = (caps.Caps2 & D3DCAPS2_DYNAMICTEXTURES) != 0;
        IDirect3DTexture9* made = nullptr;
        HRESULT result = CreateMemoryTexture(width, height, 1, dynamic ? D3DUSAGE_DYNAMIC : 0, source.format,
                                             dynamic ? D3DPOOL_DEFAULT : D3DPOOL_MANAGED, &made);
        if (FAILED(result))
            Error("CreateTexture for video source failed: %s ", GetDirectXErrorName(result));
        source.texture = made;
        textureCount++;
        id = textureManager.Add(made, fileName, fileName);
    }
    texture.SetStageTexture(static_cast<IDirect3DTexture9*>(textureManager.GetResource(id)), &textureManager, id);
    texture.pixelWidth = int32_t(source.width);
    texture.pixelHeight = int32_t(source.height);
    texture.videoSource = int32_t(index);
}

void DXC_Gfx::LoadTextureList(DXC_Texture& texture, const char* fileName, uint32_t colorKey, int32_t options,
                              int32_t format, int32_t mipmaps)
{
    // One frame file per line, found beside the list when not as it is named.
    String text;
    ReadFileToString(text, fileName);
    DynaMem<String, 16> frames;
    const char* p = text.c_str();
    while (*p) {
        const char* end = p;
        while (*end && *end != '\n' && *end != '\r')
            end++;
        const char* first = p;
        const char* last = end;
        while (first < last && (*first == ' ' || *first == '\t'))
            first++;
        while (last > first && (last[-1] == ' ' || last[-1] == '\t'))
            last--;
        if (last > first)
            *frames.GetBySlot(frames.Add()) = String(first, int32_t(last - first));
        p = *end ? end + 1 : end;
    }
    if (frames.GetSize() == 0)
        Error("Empty texture file list");
    texture.AllocSequence(frames.GetSize());
    for (int32_t i = 0; i < frames.GetSize(); i++) {
        String frame = *frames.GetAt(i);
        if (EndsWithNoCase(frame.c_str(), ".ifl"))  // a list naming a list would never end
            Error("Texture file list inside texture file list: %s", fileName);
        if (!File::Exists(frame.c_str())) {
            String beside;
            ResolveRelativePath(frame, beside, String(fileName));
            frame = beside;
        }
        texture.SelectFrame(i);
        LoadTexture(&texture, frame.c_str(), colorKey, options | 0x2000, format, mipmaps);
    }
}

int DXC_Gfx::LoadTexture(DXC_Texture* texture, const char* fileName, uint32_t colorKey, int32_t options,
                         int32_t format, int32_t mipmaps)
{
    if (!texture)
        Error("DXC_Texture pointer in LoadTexture is NULL pointer!");
    if (checkLevel > 1)
        CheckFilePath(fileName);
    if (!fileName || !fileName[0])
        Error("Invalid file name in LoadTexture");
    if (std::strlen(fileName) > 6 && std::strncmp(fileName, ">>Video", 7) == 0) {
        LoadVideoTexture(*texture, fileName);
        return 1;
    }

    const int32_t given = options;
    if (options == -1)
        options = 0;
    if (!(options & 0x2000))
        texture->FreeCurrent();
    options &= ~(0x2000 | 0x1000 | 0x4000 | 0x8000);
    if (given != -1 && options != 0 && options != 1 && options != 2 && options != 3)
        Error("Wrong texture parameter in LoadTexture!");
    if (!(caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP))
        mipmaps = 0;

    if (!File::Exists(fileName))
        Error("Can not open file %s", fileName);
    if (EndsWithNoCase(fileName, ".ifl")) {
        LoadTextureList(*texture, fileName, colorKey, given, format, mipmaps);
        return 1;
    }

    if (dedicatedMode) {
        if (texture->frameCount > 0)
            return 1;  // a sequence keeps its frames empty on the server
        GetPlaceholderTexture().Clone(*texture, 1, texture->currentStage);
        texture->stageNames[texture->currentStage] = fileName;
        texture->UpdateDesc();
        return 1;
    }

    const String key = MakeResourceKey(fileName);
    const int32_t id = shareByName ? textureManager.Acquire(key.c_str()) : -1;
    if (texture->frameCount <= 0) {
        texture->stageNames[texture->currentStage] = fileName;
        texture->stageTimes[texture->currentStage] = int32_t(File::GetModTime(fileName));
    }
    const int32_t made = id >= 0 ? id : CreateTextureFromFile(fileName, key, colorKey, given, format, mipmaps);
    texture->device = device;
    texture->SetStageTexture(static_cast<IDirect3DTexture9*>(textureManager.GetResource(made)), &textureManager, made);
    return 1;
}
