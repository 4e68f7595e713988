// SceneMeshSet: the body-part meshes of an object type: for each of the eight part lists the
// alternative meshes of that part by part index, and for each body-part slot its texture
// entries, which name a diffuse texture and up to five further maps exchanged on the part.
#pragma once
#include "base/String.h"
#include "engine/gfx/DXC_Texture.h"
#include "platform/D3DXMath.h"

#include <cstdint>
#include <memory>
#include <vector>

class DXC_MeshBase;

struct SceneTextureEntry {
    static constexpr int32_t kMaps = 5;

    String diffuse;
    String maps[kMaps];
    DXC_Texture texture;  // made from the names on first use
};

struct SceneMeshSet {
    static constexpr int32_t kPartLists = 8;
    static constexpr int32_t kSlots = 9;
    // The body-part slot of each part list (slot 5, the boots, has textures only).
    static constexpr int32_t kSlotOfList[kPartLists] = {1, 2, 4, 3, 7, 8, 6, 9};

    // The part of a list at a part index; none outside the list.
    DXC_MeshBase* GetPart(int32_t list, int32_t index) const
    {
        if (list < 0 || list >= kPartLists || index < 0 || index >= int32_t(parts[list].size()))
            return nullptr;
        return parts[list][size_t(index)];
    }
    // The texture entry of a body-part slot (1 to 9) by its number; none when out of range.
    SceneTextureEntry* GetTexture(int32_t slot, int32_t number) const
    {
        if (slot < 1 || slot > kSlots || number < 0 || number >= int32_t(textures[slot - 1].size()))
            return nullptr;
        return textures[slot - 1][size_t(number)].get();
    }

    std::vector<DXC_MeshBase*> parts[kPartLists];  // meshes of the type's scene, not owned
    std::vector<std::unique_ptr<SceneTextureEntry>> textures[kSlots];
    int32_t lastIndex = -1;  // the highest part index of every list
    D3DXVECTOR3 centre;      // the model centre the type gives its objects
};
