// DXC_TextureCatalogue: short texture names mapped to texture files, each texture loaded the first
// time its name is asked for. The graphics object owns one; the names are entered by those who
// know them (an effect's resource textures as "<name>_FX_"), and a file the texture search does
// not find is named once, when its name is entered.
#pragma once
#include "base/DXC_Base.h"
#include "base/SearchTree.h"
#include "base/String.h"

#include <cstdint>
#include <memory>

class DXC_Gfx;
class DXC_Texture;

class DXC_TextureCatalogue : public DXC_Base {
public:
    static constexpr uint32_t kMissingColor = 0xFF969696u;  // opaque middle grey
    static constexpr uint32_t kMissingSize = 4;

    struct TextureData {
        std::unique_ptr<DXC_Texture> texture;  // made on first use
        String fileName;
        int32_t mipmaps = 0;  // 0 a full chain
        uint8_t filtered = 1;  // 0 loads with the no-filtering option 0x1000
    };

    explicit DXC_TextureCatalogue(DXC_Gfx& gfx);
    ~DXC_TextureCatalogue() override;
    DXC_TextureCatalogue(const DXC_TextureCatalogue&) = delete;
    DXC_TextureCatalogue& operator=(const DXC_TextureCatalogue&) = delete;

    // Enters the name with its file (no texture yet); false when the name is there already, which
    // keeps its first entry. A name the tree refuses is an error.
    bool AddTexture(const char* name, const char* fileName, int32_t mipmaps, bool filtered);
    bool Contains(const char* name) { return m_Names.Find(name) != nullptr; }
    // The entry's texture, made and loaded on first use; null for a name never entered.
    DXC_Texture* LoadTexture(const char* name);
    // Every entry with its texture.
    void Clear();

private:
    DXC_Gfx& m_Gfx;
    SearchTree<TextureData> m_Names;
};
