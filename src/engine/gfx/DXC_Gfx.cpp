// DXC_Gfx: construction and release of the graphics object, its settings, the path check, the
// file name lookup and the resource keys.
#include "engine/gfx/DXC_Gfx.h"

#include "base/File.h"
#include "engine/scene/RTXLoader.h"
#include "platform/FileSystem.h"

#include <cstring>
#include <string>

DXC_Gfx* g_Gfx = nullptr;

DXC_Gfx::DXC_Gfx() : rtxLoader(std::make_unique<RTXLoader>(this))
{
    SetName("DXC_Gfx");
    const float grey[12] = {0.9f, 0.9f, 0.9f, 0.9f, 0.9f, 0.9f, 0, 0, 0, 0, 0, 0};
    currentMaterial.InitFromColors(grey);
    if (!CheckD3D9())
        Error("At least DirectX 9.0 required!");
    if (!CheckD3DX9())
        Error("Your DirectX 9.0 runtime is too old (d3dx9_30.dll not found).\nPlease download and install latest "
              "DirectX");
}

DXC_Gfx::~DXC_Gfx()
{
    // Everything that holds a reference in the managers gives it back before they go.
    placeholder.Release();
    backBuffer.Release();
    for (DXC_VideoSource& source : videoSources)
        source.texture = nullptr;  // the texture manager's entry held it; it dies with the textures
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
    if (!fileName)
        return true;
    if (fileName[0] == '\\' && fileName[1] == '\\') {
        Warning("Network file accessed: '%s'", fileName);
        return false;
    }
    if ((fileName[0] != 0 && fileName[1] == ':') || fileName[0] == '\'' || fileName[0] == '/') {
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
