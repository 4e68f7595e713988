// D3D9MemoryBuffer: the vertex and index buffers of the stand-in device, held in plain memory and
// locked once at a time, whole or in part.
#pragma once
#include "platform/D3D9Object.h"
#include "platform/D3D9Types.h"

#include <cstdint>
#include <vector>

class D3D9MemoryBuffer : public D3D9Resource {
public:
    // size 0 from offset 0 is the whole buffer; a range past the end is D3DERR_INVALIDCALL.
    HRESULT Lock(uint32_t offset, uint32_t size, void** data, DWORD flags);
    HRESULT Unlock();
    uint32_t GetSize() const { return uint32_t(m_Bytes.size()); }
    uint32_t GetUsage() const { return m_Usage; }
    // The stand-in's own access to the bytes, for draws and tests.
    const std::vector<uint8_t>& GetBytes() const { return m_Bytes; }
    uint8_t* GetData() { return m_Bytes.data(); }  // a mesh's own sort of its faces

protected:
    D3D9MemoryBuffer(D3D9Kind kind, uint32_t length, uint32_t usage, uint32_t pool);

private:
    std::vector<uint8_t> m_Bytes;
    uint32_t m_Usage;
    bool m_Locked = false;
};

class IDirect3DVertexBuffer9 : public D3D9MemoryBuffer {
public:
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) const;
    DWORD GetFVF() const { return m_FVF; }

private:
    friend class IDirect3DDevice9;
    IDirect3DVertexBuffer9(uint32_t length, uint32_t usage, DWORD fvf, uint32_t pool);
    ~IDirect3DVertexBuffer9() override = default;
    DWORD m_FVF;
};

class IDirect3DIndexBuffer9 : public D3D9MemoryBuffer {
public:
    HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) const;
    D3DFORMAT GetFormat() const { return m_Format; }

private:
    friend class IDirect3DDevice9;
    IDirect3DIndexBuffer9(uint32_t length, uint32_t usage, D3DFORMAT format, uint32_t pool);
    ~IDirect3DIndexBuffer9() override = default;
    D3DFORMAT m_Format;
};
