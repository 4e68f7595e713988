// D3DXEffect: the parameter table of the memory effect.
#include "platform/D3DXEffect.h"

#include <strings.h>

ID3DXEffect::Parameter* ID3DXEffect::Find(D3DXHANDLE parameter) const
{
    if (!parameter)
        return nullptr;
    for (const auto& p : m_Parameters)
        if (p->name.c_str() == parameter)
            return p.get();
    return nullptr;
}

D3DXHANDLE ID3DXEffect::GetParameterByName(D3DXHANDLE, const char* name) const
{
    if (!name)
        return nullptr;
    for (const auto& p : m_Parameters)
        if (p->name == name)
            return p->name.c_str();
    return nullptr;
}

D3DXHANDLE ID3DXEffect::GetParameterBySemantic(D3DXHANDLE, const char* semantic) const
{
    if (!semantic)
        return nullptr;
    for (const auto& p : m_Parameters)
        if (!p->semantic.empty() && strcasecmp(p->semantic.c_str(), semantic) == 0)  // D3DX ignores case here
            return p->name.c_str();
    return nullptr;
}

HRESULT ID3DXEffect::SetFloat(D3DXHANDLE parameter, float value)
{
    Parameter* p = Find(parameter);
    if (!p)
        return D3DERR_INVALIDCALL;
    p->value = D3DXVECTOR4(value, 0.0f, 0.0f, 0.0f);
    return D3D_OK;
}

HRESULT ID3DXEffect::GetFloat(D3DXHANDLE parameter, float* value) const
{
    const Parameter* p = Find(parameter);
    if (!p || !value)
        return D3DERR_INVALIDCALL;
    *value = p->value.x;
    return D3D_OK;
}

HRESULT ID3DXEffect::SetVector(D3DXHANDLE parameter, const D3DXVECTOR4* value)
{
    Parameter* p = Find(parameter);
    if (!p || !value)
        return D3DERR_INVALIDCALL;
    p->value = *value;
    return D3D_OK;
}

HRESULT ID3DXEffect::GetVector(D3DXHANDLE parameter, D3DXVECTOR4* value) const
{
    const Parameter* p = Find(parameter);
    if (!p || !value)
        return D3DERR_INVALIDCALL;
    *value = p->value;
    return D3D_OK;
}

D3DXHANDLE ID3DXEffect::AddParameter(const char* name, const char* semantic)
{
    auto p = std::make_unique<Parameter>();
    p->name = name ? name : "";
    p->semantic = semantic ? semantic : "";
    m_Parameters.push_back(std::move(p));
    return m_Parameters.back()->name.c_str();
}

HRESULT CreateMemoryEffect(ID3DXEffect** effect)
{
    if (!effect)
        return D3DERR_INVALIDCALL;
    *effect = new ID3DXEffect();
    return D3D_OK;
}
