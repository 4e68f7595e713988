// D3D9Object: the reference count that every stand-in Direct3D object shares (adapter, device,
// surfaces, textures, buffers, meshes, effects), and the number of live and of ever-made objects
// of each kind, which tests read to find a leak, a double release or a device that was made.
// D3D9Resource: an object that a device made (or a memory image made without one): its pool, the
// device memory it takes, and its place in the device's list of live resources.
#pragma once
#include <cstdint>

class D3D9Journal;
class IDirect3DDevice9;

enum class D3D9Kind : uint8_t { Adapter, Device, Surface, Texture, VertexBuffer, IndexBuffer, Mesh, Effect, Count };

class D3D9Object {
public:
    D3D9Object(const D3D9Object&) = delete;
    D3D9Object& operator=(const D3D9Object&) = delete;

    // A part of a container (the level surface of a texture) counts on the container's count.
    uint32_t AddRef();
    uint32_t Release();  // the last reference deletes the object
    uint32_t GetReferenceCount() const;
    D3D9Kind GetKind() const { return m_Kind; }

    static int32_t GetLiveCount(D3D9Kind kind);
    static int32_t GetMadeCount(D3D9Kind kind);

protected:
    // A part is not counted as an object of its own.
    explicit D3D9Object(D3D9Kind kind, D3D9Object* container = nullptr);
    virtual ~D3D9Object();

private:
    D3D9Kind m_Kind;
    D3D9Object* m_Container;  // not owned: the part lives as long as the container
    uint32_t m_References = 1;
};

class D3D9Resource : public D3D9Object {
public:
    uint32_t GetPool() const { return m_Pool; }
    // The device that made it; null for a memory image made without one, and once that device is
    // gone.
    IDirect3DDevice9* GetOwnerDevice() const;

protected:
    // A device lists what it made when it made it; a part (a level of a texture) belongs to the
    // device of its container and is not listed.
    D3D9Resource(D3D9Kind kind, uint32_t pool, D3D9Resource* container = nullptr);
    ~D3D9Resource() override;
    // Where the calls on this resource are journaled: the journal of its device, or none.
    D3D9Journal* Journal() const;

private:
    friend class IDirect3DDevice9;
    IDirect3DDevice9* m_Device = nullptr;
    D3D9Resource* m_Container;
    uint32_t m_Pool;
    uint64_t m_Bytes = 0;     // device memory it takes (default pool)
    bool m_Implicit = false;  // the device's own back buffer or depth surface
    D3D9Resource* m_Previous = nullptr;  // the device's list of live resources
    D3D9Resource* m_Next = nullptr;
};

// Releases one reference when the scope is left, whether by return or by an error thrown on the
// way: for an object that a call handed out only to be used here.
template <class Object> class ReleaseOnExit {
public:
    explicit ReleaseOnExit(Object* object) : m_Object(object) {}
    ~ReleaseOnExit()
    {
        if (m_Object)
            m_Object->Release();
    }
    ReleaseOnExit(const ReleaseOnExit&) = delete;
    ReleaseOnExit& operator=(const ReleaseOnExit&) = delete;

private:
    Object* m_Object;
};
