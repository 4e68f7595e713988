// SceneObject: the body-part variation slots, showing the parts of the active variations with
// their exchangeable textures, and the shader choice.
#include "game/objects/SceneObject.h"

#include "engine/gfx/DXC_Gfx.h"
#include "engine/scene/DXC_3dScene.h"
#include "game/objects/SceneMeshSet.h"

namespace {

// Storage positions of the body-part slots 1 to 9; mesh slot 5 does not exist and mesh
// position 3 is never used.
constexpr int32_t kMeshPositions[SceneObject::kSlots] = {0, 1, 4, 2, SceneObject::kNoSlot, 7, 5, 6, 8};
constexpr int32_t kTexturePositions[SceneObject::kSlots] = {0, 1, 3, 2, 4, 7, 5, 6, 8};
constexpr int32_t kLowestNumber = -1;
constexpr int32_t kHighestNumber = 98;

}  // namespace

int32_t SceneObject::MeshPosition(int32_t slot)
{
    if (slot < 1 || slot > kSlots)
        return kNoSlot;
    return kMeshPositions[slot - 1];
}

int32_t SceneObject::TexturePosition(int32_t slot)
{
    if (slot < 1 || slot > kSlots)
        return kNoSlot;
    return kSlots + kTexturePositions[slot - 1];
}

void SceneObject::StoreVariation(int16_t* set, int32_t position, int32_t number, const char* kind)
{
    if (position == kNoSlot)
        return;
    if (number < kLowestNumber || number > kHighestNumber)
        Warning("Invalid %s variation number: %i for '%s'", kind, number, m_CfgID.c_str());
    set[position] = int16_t(number);
}

void SceneObject::SetMeshVariation(int32_t slot, int32_t number)
{
    StoreVariation(m_RequestedVariations, MeshPosition(slot), number, "mesh");
}

void SceneObject::SetTextureVariation(int32_t slot, int32_t number)
{
    StoreVariation(m_RequestedVariations, TexturePosition(slot), number, "texture");
}

void SceneObject::SetActiveMeshVariation(int32_t slot, int32_t number)
{
    StoreVariation(m_ActiveVariations, MeshPosition(slot), number, "mesh");
}

void SceneObject::SetActiveTextureVariation(int32_t slot, int32_t number)
{
    StoreVariation(m_ActiveVariations, TexturePosition(slot), number, "texture");
}

int32_t SceneObject::GetMeshVariation(int32_t slot) const
{
    const int32_t position = MeshPosition(slot);
    return position == kNoSlot ? -1 : m_RequestedVariations[position];
}

int32_t SceneObject::GetTextureVariation(int32_t slot) const
{
    const int32_t position = TexturePosition(slot);
    return position == kNoSlot ? -1 : m_RequestedVariations[position];
}

int32_t SceneObject::GetActiveMeshVariation(int32_t slot) const
{
    const int32_t position = MeshPosition(slot);
    return position == kNoSlot ? -1 : m_ActiveVariations[position];
}

int32_t SceneObject::GetActiveTextureVariation(int32_t slot) const
{
    const int32_t position = TexturePosition(slot);
    return position == kNoSlot ? -1 : m_ActiveVariations[position];
}

void SceneObject::CommitMeshVariations()
{
    for (int32_t i = 0; i < kVariations; i++)
        m_ActiveVariations[i] = m_RequestedVariations[i];
}

void SceneObject::ApplyMeshVariations()
{
    if (!m_MeshSet)
        return;
    constexpr int32_t kSecondStageSlot = 2;  // the lower body takes the boots on its second stage
    constexpr int32_t kBootsSlot = 5;
    for (int32_t list = 0; list < SceneMeshSet::kPartLists; list++) {
        const int32_t slot = SceneMeshSet::kSlotOfList[list];
        const int32_t shown = GetActiveMeshVariation(slot);
        for (int32_t index = 0; index <= m_MeshSet->lastIndex; index++) {
            DXC_MeshBase* part = m_MeshSet->GetPart(list, index);
            if (!part)
                continue;
            if (index != shown) {
                part->SetActive(0);
                continue;
            }
            part->SetActive(1);
            // a number outside the slot's entries keeps the part's own texture
            if (SceneTextureEntry* entry = m_MeshSet->GetTexture(slot, GetActiveTextureVariation(slot))) {
                ApplyTextureEntry(*entry);
                if (part->materialCount > 0)
                    part->SetTexture(entry->texture, 0);
            }
            if (slot == kSecondStageSlot && part->materialCount > 1) {
                if (SceneTextureEntry* boots = m_MeshSet->GetTexture(kBootsSlot, GetActiveTextureVariation(kBootsSlot))) {
                    ApplyTextureEntry(*boots);
                    part->SetTexture(boots->texture, 1);
                }
            }
        }
    }
}

void SceneObject::ApplyTextureEntry(SceneTextureEntry& entry)
{
    if (entry.texture.IsValid() || !g_Gfx)
        return;
    bool named = !entry.diffuse.IsEmpty();
    for (const String& map : entry.maps)
        named = named || !map.IsEmpty();
    if (!named)
        return;
    const char* sceneName = m_Scene ? m_Scene->objectName.c_str() : "";
    String found;
    if (!entry.diffuse.IsEmpty() && g_Gfx->FindTextureFile(entry.diffuse.c_str(), found)) {
        g_Gfx->LoadTexture(&entry.texture, found.c_str(), 0, -1, 0, 0);
    } else {
        Warning("Exchangeable diffuse texture '%s' not found (scene:%s)", entry.diffuse.c_str(), sceneName);
        g_Gfx->GetPlaceholderTexture().Clone(entry.texture, 1, -1);
    }
    // The further maps go on stages only a device draws; the server checks that they exist.
    for (const String& map : entry.maps) {
        String mapFile;
        if (!map.IsEmpty() && !g_Gfx->FindTextureFile(map.c_str(), mapFile))
            Warning("Exchangeable texture '%s' not found (scene:%s)", map.c_str(), sceneName);
    }
}

void SceneObject::SetShader(const String& name, bool override)
{
    if (override)
        m_OverrideShaderName = name;
    else
        m_ShaderName = name;
    // The shader table answers none for every name: shaders exist only with a device.
    m_Shader = nullptr;
}

DXC_ShaderEffect* SceneObject::GetShader()
{
    // Neither a named shader nor the controller's default object shader (game mode 2) is ever
    // made without a device.
    return m_Shader;
}
