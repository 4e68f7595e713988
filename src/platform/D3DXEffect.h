// D3DXEffect: a shader effect held in memory, made without a device: its parameters with names,
// semantics and values, and its technique count. Nothing is compiled or drawn; the graphics layer
// finds parameters, sets them and commits as it would on a compiled effect. Counts references like
// the device's objects: Release at zero frees it.
#pragma once
#include "platform/D3D9Object.h"
#include "platform/D3D9Types.h"
#include "platform/D3DXMath.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A parameter handle: as in D3DX, a pointer the effect gives out; null is no parameter.
using D3DXHANDLE = const char*;

class ID3DXEffect : public D3D9Object {
public:

    // Null when no parameter has that name (or semantic); parent handles are not kept.
    D3DXHANDLE GetParameterByName(D3DXHANDLE parent, const char* name) const;
    D3DXHANDLE GetParameterBySemantic(D3DXHANDLE parent, const char* semantic) const;
    // D3DERR_INVALIDCALL for a handle this effect did not give out, or a null value.
    HRESULT SetFloat(D3DXHANDLE parameter, float value);
    HRESULT GetFloat(D3DXHANDLE parameter, float* value) const;
    HRESULT SetVector(D3DXHANDLE parameter, const D3DXVECTOR4* value);
    HRESULT GetVector(D3DXHANDLE parameter, D3DXVECTOR4* value) const;
    HRESULT CommitChanges()
    {
        m_Commits++;
        return D3D_OK;
    }
    // A device reset: the effect gives up what it keeps in the default pool, and makes it again.
    HRESULT OnLostDevice()
    {
        m_LostNotices++;
        return D3D_OK;
    }
    HRESULT OnResetDevice()
    {
        m_ResetNotices++;
        return D3D_OK;
    }

    // What the effect file would declare: a parameter (its value starts at 0) and the techniques.
    D3DXHANDLE AddParameter(const char* name, const char* semantic);
    void SetTechniqueCount(uint32_t count) { m_Techniques = count; }
    uint32_t GetParameterCount() const { return uint32_t(m_Parameters.size()); }
    uint32_t GetTechniqueCount() const { return m_Techniques; }
    uint32_t GetCommitCount() const { return m_Commits; }
    uint32_t GetLostNotices() const { return m_LostNotices; }
    uint32_t GetResetNotices() const { return m_ResetNotices; }

private:
    friend HRESULT CreateMemoryEffect(ID3DXEffect** effect);
    struct Parameter {
        std::string name;
        std::string semantic;
        D3DXVECTOR4 value;  // a float parameter keeps its value in x
    };
    ID3DXEffect() : D3D9Object(D3D9Kind::Effect) {}
    ~ID3DXEffect() override = default;
    Parameter* Find(D3DXHANDLE parameter) const;

    uint32_t m_Techniques = 1;
    uint32_t m_Commits = 0;
    uint32_t m_LostNotices = 0;
    uint32_t m_ResetNotices = 0;
    std::vector<std::unique_ptr<Parameter>> m_Parameters;  // a handle is its name's characters
};

// An effect without parameters and with one technique.
HRESULT CreateMemoryEffect(ID3DXEffect** effect);
