// D3D9Object: reference counting, the counts of live and made objects per kind, and the tie of a
// resource to the device that made it.
#include "platform/D3D9Object.h"

#include "platform/D3D9Device.h"

#include <atomic>

namespace {

std::atomic<int32_t> s_Live[int(D3D9Kind::Count)];
std::atomic<int32_t> s_Made[int(D3D9Kind::Count)];

}  // namespace

D3D9Object::D3D9Object(D3D9Kind kind, D3D9Object* container) : m_Kind(kind), m_Container(container)
{
    if (!m_Container) {
        s_Live[int(kind)]++;
        s_Made[int(kind)]++;
    }
}

D3D9Object::~D3D9Object()
{
    if (!m_Container)
        s_Live[int(m_Kind)]--;
}

uint32_t D3D9Object::AddRef()
{
    if (m_Container)
        return m_Container->AddRef();
    return ++m_References;
}

uint32_t D3D9Object::Release()
{
    if (m_Container)
        return m_Container->Release();
    const uint32_t left = --m_References;
    if (left == 0)
        delete this;
    return left;
}

int32_t D3D9Object::GetLiveCount(D3D9Kind kind)
{
    return s_Live[int(kind)];
}

int32_t D3D9Object::GetMadeCount(D3D9Kind kind)
{
    return s_Made[int(kind)];
}

uint32_t D3D9Object::GetReferenceCount() const
{
    return m_Container ? m_Container->GetReferenceCount() : m_References;
}

D3D9Resource::D3D9Resource(D3D9Kind kind, uint32_t pool, D3D9Resource* container)
    : D3D9Object(kind, container), m_Container(container), m_Pool(pool)
{
}

D3D9Resource::~D3D9Resource()
{
    if (m_Device)
        m_Device->Forget(this);
}

IDirect3DDevice9* D3D9Resource::GetOwnerDevice() const
{
    return m_Container ? m_Container->GetOwnerDevice() : m_Device;
}

D3D9Journal* D3D9Resource::Journal() const
{
    IDirect3DDevice9* device = GetOwnerDevice();
    return device ? &device->GetJournal() : nullptr;
}
