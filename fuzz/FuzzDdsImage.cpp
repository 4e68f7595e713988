// FuzzDdsImage: image files in memory as the image reader takes them, DDS headers above all. A
// header is accepted only when the pixels of every level it states are present, so an accepted DDS
// image of a modest size decodes; any image decodes or fails without reading past the bytes (a cut
// PNG or BMP keeps a readable description but has no pixels to decode).
#include "FuzzTarget.h"

#include "platform/D3D9MemoryTexture.h"
#include "platform/D3DXImage.h"
#include "platform/DdsFile.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size > Fuzz::kMaxInput)
        return 0;
    DdsHeader header;
    std::string error;
    if (ReadDdsHeader(data, size, header, error)) {
        uint64_t needed = 0;
        for (uint32_t i = 0, w = header.width, h = header.height; i < header.levels; i++) {
            needed += DdsLevelBytes(header.format, w, h);
            w = w > 1 ? w / 2 : 1;
            h = h > 1 ? h / 2 : 1;
        }
        if (needed > size - kDdsHeaderSize)
            Fuzz::Finding("accepted header states more pixels than the file holds");
    } else if (error.empty()) {
        Fuzz::Finding("refused header without a reason");
    }
    D3DXIMAGE_INFO info;
    if (D3DXGetImageInfoFromFileInMemory(data, size, &info) != D3D_OK || info.Width > 256 || info.Height > 256)
        return 0;
    IDirect3DSurface9* surface = nullptr;
    if (CreateMemorySurface(info.Width, info.Height, D3DFMT_A8R8G8B8, D3DPOOL_SCRATCH, &surface) != D3D_OK)
        return 0;
    const HRESULT loaded = D3DXLoadSurfaceFromFileInMemory(surface, nullptr, nullptr, data, size, nullptr,
                                                           D3DX_FILTER_NONE, 0, nullptr);
    if (loaded != D3D_OK && info.ImageFileFormat == D3DXIFF_DDS)
        Fuzz::Finding("an image whose description was read did not decode");
    surface->Release();
    return 0;
}
