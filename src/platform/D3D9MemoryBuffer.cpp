// D3D9MemoryBuffer: the bytes of vertex and index buffers, their locks and descriptions.
#include "platform/D3D9MemoryBuffer.h"

#include "platform/D3D9Journal.h"

D3D9MemoryBuffer::D3D9MemoryBuffer(D3D9Kind kind, uint32_t length, uint32_t usage, uint32_t pool)
    : D3D9Resource(kind, pool), m_Bytes(length, 0), m_Usage(usage)
{
}

HRESULT D3D9MemoryBuffer::Lock(uint32_t offset, uint32_t size, void** data, DWORD flags)
{
    return JournalCall(Journal(), D3D9Op::Lock, {D3D9Arg(this), offset, size, flags}, [&] {
        if (!data || m_Locked)
            return D3DERR_INVALIDCALL;
        if (size == 0 && offset == 0)
            size = uint32_t(m_Bytes.size());
        if (uint64_t(offset) + size > m_Bytes.size())
            return D3DERR_INVALIDCALL;
        m_Locked = true;
        *data = m_Bytes.data() + offset;
        return D3D_OK;
    });
}

HRESULT D3D9MemoryBuffer::Unlock()
{
    return JournalCall(Journal(), D3D9Op::Unlock, {D3D9Arg(this)}, [&] {
        if (!m_Locked)
            return D3DERR_INVALIDCALL;
        m_Locked = false;
        return D3D_OK;
    });
}

IDirect3DVertexBuffer9::IDirect3DVertexBuffer9(uint32_t length, uint32_t usage, DWORD fvf, uint32_t pool)
    : D3D9MemoryBuffer(D3D9Kind::VertexBuffer, length, usage, pool), m_FVF(fvf)
{
}

HRESULT IDirect3DVertexBuffer9::GetDesc(D3DVERTEXBUFFER_DESC* desc) const
{
    return JournalCall(Journal(), D3D9Op::GetDesc, {D3D9Arg(this)}, [&] {
        if (!desc)
            return D3DERR_INVALIDCALL;
        desc->Usage = GetUsage();
        desc->Pool = GetPool();
        desc->Size = GetSize();
        desc->FVF = m_FVF;
        return D3D_OK;
    });
}

IDirect3DIndexBuffer9::IDirect3DIndexBuffer9(uint32_t length, uint32_t usage, D3DFORMAT format, uint32_t pool)
    : D3D9MemoryBuffer(D3D9Kind::IndexBuffer, length, usage, pool), m_Format(format)
{
}

HRESULT IDirect3DIndexBuffer9::GetDesc(D3DINDEXBUFFER_DESC* desc) const
{
    return JournalCall(Journal(), D3D9Op::GetDesc, {D3D9Arg(this)}, [&] {
        if (!desc)
            return D3DERR_INVALIDCALL;
        desc->Format = m_Format;
        desc->Usage = GetUsage();
        desc->Pool = GetPool();
        desc->Size = GetSize();
        return D3D_OK;
    });
}
