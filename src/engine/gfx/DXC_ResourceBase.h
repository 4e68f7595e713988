// DXC_ResourceBase: a graphic resource, known to its resource manager by a resource id.
#pragma once
#include "base/DXC_Base.h"

#include <cstdint>

// What a resource asks of its manager; the graphics layer's managers implement it.
class DXC_ResourceManagerBase {
public:
    virtual ~DXC_ResourceManagerBase() = default;
    virtual bool HoldsResource(int32_t resourceId) const = 0;
};

class DXC_ResourceBase : public DXC_Base {
public:
    // True when a manager holds a resource under the id; false without a manager.
    virtual bool HasResource() const { return resourceManager && resourceManager->HoldsResource(resourceId); }

    int32_t resourceId = -1;
    DXC_ResourceManagerBase* resourceManager = nullptr;  // not owned
};
