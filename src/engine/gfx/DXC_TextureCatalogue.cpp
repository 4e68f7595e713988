// DXC_TextureCatalogue: entering names and loading their textures on first use.
#include "engine/gfx/DXC_TextureCatalogue.h"

#include "engine/gfx/DXC_Gfx.h"
#include "engine/gfx/DXC_Texture.h"

DXC_TextureCatalogue::DXC_TextureCatalogue(DXC_Gfx& gfx) : m_Gfx(gfx)
{
    SetName("DXC_TextureCatalogue");
}

DXC_TextureCatalogue::~DXC_TextureCatalogue()
{
    Clear();
}

bool DXC_TextureCatalogue::AddTexture(const char* name, const char* fileName, int32_t mipmaps, bool filtered)
{
    TextureData* entry = m_Names.Insert(String(name ? name : ""));
    if (!entry)
        return false;
    entry->fileName = fileName ? fileName : "";
    entry->mipmaps = mipmaps;
    entry->filtered = filtered ? 1 : 0;
    String found;
    if (!m_Gfx.ResolveFileName(entry->fileName.c_str(), -1, found, nullptr))
        Warning("Texture file not found: '%s'", entry->fileName.c_str());
    return true;
}

DXC_Texture* DXC_TextureCatalogue::LoadTexture(const char* name)
{
    TextureData* entry = name && name[0] ? m_Names.Find(name) : nullptr;
    if (!entry)
        return nullptr;
    if (entry->texture)
        return entry->texture.get();
    // Kept only once loaded: a load that fails leaves the entry as it was, to be tried again.
    auto texture = std::make_unique<DXC_Texture>();
    String found;
    if (!m_Gfx.ResolveFileName(entry->fileName.c_str(), -1, found, nullptr))
        m_Gfx.CreateSolidTexture(*texture, kMissingSize, kMissingColor);  // named when it was entered
    else
        m_Gfx.LoadTexture(texture.get(), found.c_str(), 0, entry->filtered ? -1 : 0x1000, -1, entry->mipmaps);
    entry->texture = std::move(texture);
    return entry->texture.get();
}

void DXC_TextureCatalogue::Clear()
{
    m_Names.Clear();
}
