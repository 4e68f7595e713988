// DXC_ShaderEffect: a compiled shader effect shared through the effect manager. Effects are only
// compiled where a device exists; without one a material's effect stays empty.
#pragma once
#include "engine/gfx/DXC_ResourceBase.h"

#include <cstdint>

class DXC_ShaderEffect : public DXC_ResourceBase {
public:
    DXC_ShaderEffect() { SetName("DXC_ShaderEffect"); }
    ~DXC_ShaderEffect() override { Release(); }
    DXC_ShaderEffect(const DXC_ShaderEffect&) = delete;
    DXC_ShaderEffect& operator=(const DXC_ShaderEffect&) = delete;

    bool IsValid() const { return effect != nullptr; }
    // Shares other's effect: one more reference in its manager.
    void ShareFrom(const DXC_ShaderEffect& other)
    {
        if (&other == this)
            return;
        Release();
        if (!other.effect || !other.resourceManager)
            return;
        resourceId = other.resourceManager->Acquire(other.resourceId);
        resourceManager = other.resourceManager;
        effect = other.effect;
    }
    // Gives the reference back; the effect record itself belongs to whoever compiled it.
    void Release()
    {
        if (effect && resourceManager)
            resourceManager->Unacquire(resourceId);
        effect = nullptr;
        currentTechnique = -1;
        ResetResource();
    }

    void* effect = nullptr;  // the shared effect record; none without a device
    int32_t currentTechnique = -1;
};
