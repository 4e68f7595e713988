// DXC_ResourceBase: a graphic resource, known to its resource manager by a resource id; and
// DXC_ResourceManagerBase, what every resource manager answers.
#pragma once
#include "base/DXC_Base.h"
#include "base/String.h"

#include <cstdint>

// One shared object of a manager: the object (a texture, surface, mesh or effect of the
// platform), the lookup key, a second name (the file name of a texture) and the references.
struct DXC_Resource {
    void* resource = nullptr;
    String key;
    String name;
    int32_t referenceCount = 0;
};

class DXC_ResourceManagerBase : public DXC_Base {
public:
    DXC_ResourceManagerBase() { SetName("ResourceManager"); }

    // Ids are slot numbers; -1 is none. The operations that take a reference answer the id, or
    // -1 when nothing was found.
    virtual int32_t Acquire(int32_t id) = 0;
    virtual int32_t AcquireByResource(const void* resource) = 0;
    virtual int32_t Acquire(const char* key) = 0;
    virtual int32_t Add(void* resource, const char* key, const char* name) = 0;
    // 1 when the last reference went: the caller then releases the object itself.
    virtual int32_t Unacquire(int32_t id) = 0;
    virtual void* GetResource(int32_t id) = 0;
    virtual bool IsValidID(int32_t id) = 0;
    virtual int32_t GetReferenceCount(int32_t id) = 0;
    virtual DXC_Resource* GetEntry(int32_t n) = 0;  // the n-th record in slot order
    virtual int32_t GetCount() = 0;
    virtual DXC_Resource* GetRecordOf(int32_t id) = 0;  // the record of an id; null when none
};

class DXC_ResourceBase : public DXC_Base {
public:
    // True when a manager holds an object under the id.
    virtual bool IsAcquired() const
    {
        return resourceManager && resourceManager->IsValidID(resourceId) &&
               resourceManager->GetResource(resourceId) != nullptr;
    }
    // After the reference was given back.
    void ResetResource()
    {
        resourceId = -1;
        resourceManager = nullptr;
    }

    // The error flag, the name, the id and the manager of another resource (clones and copies
    // of the screen).
    void CopyBase(const DXC_ResourceBase& other)
    {
        DXC_Base::operator=(other);
        resourceId = other.resourceId;
        resourceManager = other.resourceManager;
    }

    int32_t resourceId = -1;
    DXC_ResourceManagerBase* resourceManager = nullptr;  // not owned
};
