// DXC_ResourceManagerTemplate: the reference-counted registry through which the graphics object
// shares textures, surfaces, meshes and effects by key or by id. It only stores the objects and
// counts: creating them, and releasing one when Unacquire reports its last reference, is the
// caller's work.
#pragma once
#include "base/DynaMem.h"
#include "engine/gfx/DXC_ResourceBase.h"
#include "platform/D3D9Types.h"

// A shared image with the description its loader read from the file.
struct DXC_ImageResource : DXC_Resource {
    D3DXIMAGE_INFO imageInfo;
};

template <class T> class DXC_ResourceManagerTemplate : public DXC_ResourceManagerBase {
public:
    static constexpr int32_t kInitialCapacity = 4096;

    int32_t Acquire(int32_t id) override
    {
        if (id == -1)
            return -1;
        T* record = Record(id);
        if (!record)
            Error("Invalid ID number in Acquire:%i", id);
        record->referenceCount++;
        return id;
    }

    int32_t AcquireByResource(const void* resource) override
    {
        return AcquireFirst([&](const T& r) { return r.resource == resource; });
    }

    int32_t Acquire(const char* key) override
    {
        if (!key || !key[0])
            Error("Invalid file name in Acquire!");
        return AcquireFirst([&](const T& r) { return r.key.EqualsNoCase(key); });
    }

    // Never looks for an equal key: callers ask Acquire first.
    int32_t Add(void* resource, const char* key, const char* name) override
    {
        int32_t id = m_Records.Add();
        T* record = m_Records.GetBySlot(id);
        record->resource = resource;
        record->key = key ? key : "";
        record->name = name ? name : "";
        record->referenceCount = 1;
        return id;
    }

    int32_t Unacquire(int32_t id) override
    {
        if (id == -1)
            return 1;
        T* record = Record(id);
        if (!record)
            Error("Invalid ID number in Unacquire");
        if (--record->referenceCount >= 1)
            return 0;
        m_Records.Delete(id);
        return 1;
    }

    void* GetResource(int32_t id) override
    {
        T* record = Record(id);
        return record ? record->resource : nullptr;
    }

    bool IsValidID(int32_t id) override { return Record(id) != nullptr; }

    int32_t GetReferenceCount(int32_t id) override
    {
        T* record = Record(id);
        return record ? record->referenceCount : 0;
    }

    DXC_Resource* GetEntry(int32_t n) override { return m_Records.GetAt(n); }
    int32_t GetCount() override { return m_Records.GetSize(); }

    DXC_Resource* GetRecordOf(int32_t id) override { return Record(id); }
    // The same with the fields of T.
    T* GetRecord(int32_t id) { return Record(id); }

private:
    T* Record(int32_t id) const { return m_Records.GetBySlot(id); }

    // Walks the records in slot order and takes a reference on the first that matches.
    template <class Match> int32_t AcquireFirst(Match match)
    {
        for (int32_t n = 0; n < m_Records.GetSize(); n++) {
            T* record = m_Records.GetAt(n);
            if (record && match(*record)) {
                record->referenceCount++;
                return m_Records.GetUsedSlot(n);
            }
        }
        return -1;
    }

    DynaMem<T, kInitialCapacity> m_Records;
};

using DXC_ImageManager = DXC_ResourceManagerTemplate<DXC_ImageResource>;
using DXC_ResourceManager = DXC_ResourceManagerTemplate<DXC_Resource>;
