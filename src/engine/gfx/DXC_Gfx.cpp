// DXC_Gfx: construction and release of the graphics object, the field reset, its settings, the
// path check, the file name lookup and the resource keys.
#include "engine/gfx/DXC_Gfx.h"

#include "base/File.h"
#include "engine/gfx/DXC_Font.h"
#include "engine/gfx/DXC_PrintfContainer.h"
#include "engine/gfx/DXC_TextureCatalogue.h"
#include "engine/gfx/DXC_VertexList.h"
#include "engine/scene/RTXLoader.h"
#include "platform/D3D9Adapter.h"
#include "platform/FileSystem.h"

#include <cstring>
#include <string>

DXC_Gfx* g_Gfx = nullptr;

DXC_Gfx::DXC_Gfx()
    : catalogue(std::make_unique<DXC_TextureCatalogue>(*this)), rtxLoader(std::make_unique<RTXLoader>(this)),
      vertexLists(std::make_unique<DXC_VertexLists>()),
      printfContainer(std::make_unique<DXC_PrintfContainer>())
{
    SetName("DXC_Gfx");
    printfContainer->SetGfx(this);
    wideText = std::make_unique<char16_t[]>(kWideTextUnits);
    narrowText = std::make_unique<char[]>(kNarrowTextBytes);
    ResetFields();
    if (!CheckD3D9())
        Error("At least DirectX 9.0 required!");
    if (!CheckD3DX9())
        Error("Your DirectX 9.0 runtime is too old (d3dx9_30.dll not found).\nPlease download and install latest "
              "DirectX");
    d3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (!d3d)
        Error("Direct3DCreate9 failed!");
    for (std::unique_ptr<uint8_t[]>& buffer : scratch)
        buffer = std::make_unique<uint8_t[]>(kScratchBytes);
}

DXC_Gfx::~DXC_Gfx()
{
    for (std::unique_ptr<uint8_t[]>& buffer : scratch)
        buffer.reset();
    wideText.reset();
    narrowText.reset();
    // Everything that holds a reference in the managers gives it back before they go.
    ReleaseDeviceObjects();
}

void DXC_Gfx::ResetFields()
{
    d3d = nullptr;
    device = nullptr;
    initialised = 0;
    dedicatedMode = 0;
    shareByName = true;
    const float grey[12] = {0.9f, 0.9f, 0.9f, 0.9f, 0.9f, 0.9f, 0, 0, 0, 0, 0, 0};
    currentMaterial.InitFromColors(grey);
    pointSprite = DXC_PointSpriteParams();
    states = DXC_StateCache();
    for (D3DXMATRIX* m : {&viewMatrix, &projectionMatrix, &thirdMatrix, &worldViewProjection})
        D3DXMatrixIdentity(m);
    for (D3DXMATRIX& m : worldMatrices)
        D3DXMatrixIdentity(&m);
    BuildIdentityGammaRamp(gammaRamp);
    compressionMode = 0x10000;
    clearColor = 0xFF000000u;
}

void DXC_Gfx::GetBackBufferSize(int32_t& width, int32_t& height) const
{
    if (backBuffer.IsValid()) {
        width = backBuffer.width;
        height = backBuffer.height;
        return;
    }
    width = kNoDeviceWidth;
    height = kNoDeviceHeight;
}

int DXC_Gfx::CheckD3D9()
{
    return 1;
}

int DXC_Gfx::CheckD3DX9()
{
    return 1;
}

bool DXC_Gfx::IsMapTypeSupported(int32_t type) const
{
    if (dedicatedMode)
        return type == MAP_DIFFUSE;
    switch (type) {
    case MAP_SPECULAR:
        return allowMapType3;
    case MAP_SELFILLUM:
        return allowMapType5;
    case MAP_REFLECTION:
    case MAP_NORMAL:
        return allowMapTypes2And6;
    default:
        return true;
    }
}

bool DXC_Gfx::CheckFilePath(const char* fileName)
{
    if (!fileName || !fileName[0] || !fileName[1])  // too short to leave the game directory
        return true;
    if (fileName[0] == '\\' && fileName[1] == '\\') {
        Warning("Network file accessed: '%s'", fileName);
        return false;
    }
    if (fileName[1] == ':' || fileName[0] == '\\' || fileName[0] == '/') {
        Warning("Absolute file path: '%s'", fileName);
        return false;
    }
    return true;
}

int DXC_Gfx::Resolve(CFileValidator& files, const char* name, int32_t length, String& output, const char* directory)
{
    const char* text = name ? name : "";
    const int32_t available = int32_t(std::strlen(text));
    const String wanted(text, length >= 0 && length < available ? length : available);
    files.SetBaseDirectory(directory ? directory : "");
    String found = files.FindFileInSearchPaths(wanted);
    if (!found.IsEmpty()) {
        output = found;
        return 1;
    }
    output = wanted;
    return 0;
}

int DXC_Gfx::ResolveFileName(const char* name, int32_t length, String& output, const char* directory)
{
    return Resolve(textureFiles, name, length, output, directory);
}

int DXC_Gfx::ResolveFileNameAlt(const char* name, int32_t length, String& output, const char* directory)
{
    return Resolve(effectFiles, name, length, output, directory);
}

int DXC_Gfx::FindTextureFile(const char* fileName, String& output)
{
    return ResolveFileName(fileName, -1, output, nullptr);
}

String DXC_Gfx::MakeResourceKey(const char* fileName)
{
    // One separator kind, no "." parts, no doubled separators; a path inside the current
    // directory loses the directory, so that both spellings of one file share one key.
    std::string path = fileName ? fileName : "";
    for (char& c : path)
        if (c == '/')
            c = '\\';
    std::string current = Platform::GetCurrentDir();
    for (char& c : current)
        if (c == '/')
            c = '\\';
    if (!current.empty() && current.back() != '\\')
        current += '\\';
    if (!current.empty() && path.size() > current.size() && path.compare(0, current.size(), current) == 0)
        path.erase(0, current.size());
    std::string normal;
    size_t at = 0;
    while (at <= path.size()) {
        size_t end = path.find('\\', at);
        if (end == std::string::npos)
            end = path.size();
        std::string part = path.substr(at, end - at);
        const bool leading = at == 0 && part.empty() && end < path.size();  // an absolute path keeps its root
        if (leading)
            normal += '\\';
        else if (!part.empty() && part != ".")
            normal += (normal.empty() || normal.back() == '\\' ? "" : "\\") + part;
        at = end + 1;
    }
    int32_t size = 0;
    File file;
    if (fileName && file.Open(fileName, true, File::kDiskFile, false))
        size = file.GetSize();
    String key;
    key.Format("%s_%i", normal.c_str(), size);
    return key;
}
