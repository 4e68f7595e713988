// D3DXEffect: the effect's table of parameters, annotations, techniques and passes, their values,
// validation against the device, and the drawing brackets.
#include "platform/D3DXEffect.h"

#include "platform/D3D9Device.h"

#include <algorithm>
#include <strings.h>

ID3DXEffect::ID3DXEffect(IDirect3DDevice9* device) : D3D9Object(D3D9Kind::Effect), m_Device(device)
{
    if (m_Device)
        m_Device->AddRef();
}

ID3DXEffect::~ID3DXEffect()
{
    if (m_Device)
        m_Device->Release();
}

ID3DXEffect::Node* ID3DXEffect::NewNode(NodeKind kind, std::string name)
{
    auto node = std::make_unique<Node>();
    node->kind = kind;
    node->name = std::move(name);
    Node* made = node.get();
    m_Nodes.push_back(std::move(node));
    m_Handles[made->name.c_str()] = made;
    return made;
}

ID3DXEffect::Node* ID3DXEffect::Find(D3DXHANDLE handle) const
{
    if (!handle)
        return nullptr;
    auto found = m_Handles.find(handle);
    return found == m_Handles.end() ? nullptr : found->second;
}

ID3DXEffect::Node* ID3DXEffect::FindOf(D3DXHANDLE handle, NodeKind kind) const
{
    Node* node = Find(handle);
    return node && node->kind == kind ? node : nullptr;
}

ID3DXEffect::Node* ID3DXEffect::FindValue(D3DXHANDLE handle) const
{
    Node* node = Find(handle);
    return node && (node->kind == NodeKind::Parameter || node->kind == NodeKind::Annotation) ? node : nullptr;
}

ID3DXEffect::Node* ID3DXEffect::FindNumbers(D3DXHANDLE handle) const
{
    Node* node = FindValue(handle);
    const bool numbers = node && node->type != D3DXPT_STRING && node->paramClass != D3DXPC_OBJECT &&
                         node->paramClass != D3DXPC_STRUCT;
    return numbers ? node : nullptr;
}

void ID3DXEffect::GetDesc(D3DXEFFECT_DESC* desc) const
{
    if (!desc)
        return;
    *desc = D3DXEFFECT_DESC();
    desc->Creator = "effect file reader";
    desc->Parameters = uint32_t(m_Parameters.size());
    desc->Techniques = uint32_t(m_Techniques.size());
}

D3DXHANDLE ID3DXEffect::GetParameter(D3DXHANDLE parent, uint32_t index) const
{
    if (parent || index >= m_Parameters.size())
        return nullptr;
    return m_Parameters[index]->name.c_str();
}

D3DXHANDLE ID3DXEffect::GetParameterByName(D3DXHANDLE parent, const char* name) const
{
    if (parent || !name)
        return nullptr;
    for (const Node* p : m_Parameters)
        if (p->name == name)
            return p->name.c_str();
    return nullptr;
}

D3DXHANDLE ID3DXEffect::GetParameterBySemantic(D3DXHANDLE parent, const char* semantic) const
{
    if (parent || !semantic)
        return nullptr;
    for (const Node* p : m_Parameters)
        if (!p->semantic.empty() && strcasecmp(p->semantic.c_str(), semantic) == 0)  // D3DX ignores case here
            return p->name.c_str();
    return nullptr;
}

D3DXHANDLE ID3DXEffect::GetParameterElement(D3DXHANDLE parameter, uint32_t index) const
{
    const Node* p = FindOf(parameter, NodeKind::Parameter);
    return p && index < p->elements ? parameter : nullptr;
}

HRESULT ID3DXEffect::GetParameterDesc(D3DXHANDLE parameter, D3DXPARAMETER_DESC* desc) const
{
    const Node* p = FindValue(parameter);
    if (!p || !desc)
        return D3DERR_INVALIDCALL;
    *desc = D3DXPARAMETER_DESC();
    desc->Name = p->name.c_str();
    desc->Semantic = p->semantic.empty() ? nullptr : p->semantic.c_str();
    desc->Class = p->paramClass;
    desc->Type = p->type;
    desc->Rows = p->rows;
    desc->Columns = p->columns;
    desc->Elements = p->elements;
    desc->Annotations = uint32_t(p->annotations.size());
    desc->Bytes = uint32_t(p->values.size() * sizeof(float));
    return D3D_OK;
}

D3DXHANDLE ID3DXEffect::GetAnnotation(D3DXHANDLE object, uint32_t index) const
{
    const Node* node = Find(object);
    if (!node || index >= node->annotations.size())
        return nullptr;
    return node->annotations[index]->name.c_str();
}

D3DXHANDLE ID3DXEffect::GetAnnotationByName(D3DXHANDLE object, const char* name) const
{
    const Node* node = Find(object);
    if (!node || !name)
        return nullptr;
    for (const Node* a : node->annotations)
        if (a->name == name)
            return a->name.c_str();
    return nullptr;
}

HRESULT ID3DXEffect::SetFloats(D3DXHANDLE parameter, const float* values, size_t count)
{
    Node* p = FindNumbers(parameter);
    if (!p || !values)
        return D3DERR_INVALIDCALL;
    std::copy_n(values, std::min(count, p->values.size()), p->values.begin());
    return D3D_OK;
}

HRESULT ID3DXEffect::SetFloat(D3DXHANDLE parameter, float value)
{
    return SetFloats(parameter, &value, 1);
}

HRESULT ID3DXEffect::GetFloat(D3DXHANDLE parameter, float* value) const
{
    return GetFloatArray(parameter, value, 1);
}

HRESULT ID3DXEffect::SetInt(D3DXHANDLE parameter, int32_t value)
{
    const float asFloat = float(value);
    return SetFloats(parameter, &asFloat, 1);
}

HRESULT ID3DXEffect::GetInt(D3DXHANDLE parameter, int32_t* value) const
{
    float asFloat = 0.0f;
    if (!value || FAILED(GetFloatArray(parameter, &asFloat, 1)))
        return D3DERR_INVALIDCALL;
    *value = asFloat >= 2147483520.0f ? INT32_MAX : asFloat <= -2147483648.0f ? INT32_MIN : int32_t(asFloat);
    return D3D_OK;
}

HRESULT ID3DXEffect::SetVector(D3DXHANDLE parameter, const D3DXVECTOR4* value)
{
    if (!value)
        return D3DERR_INVALIDCALL;
    const float v[4] = {value->x, value->y, value->z, value->w};
    return SetFloats(parameter, v, 4);
}

HRESULT ID3DXEffect::GetVector(D3DXHANDLE parameter, D3DXVECTOR4* value) const
{
    float v[4] = {};
    if (!value || FAILED(GetFloatArray(parameter, v, 4)))
        return D3DERR_INVALIDCALL;
    *value = D3DXVECTOR4(v[0], v[1], v[2], v[3]);
    return D3D_OK;
}

HRESULT ID3DXEffect::SetVectorArray(D3DXHANDLE parameter, const D3DXVECTOR4* values, uint32_t count)
{
    if (!values)
        return D3DERR_INVALIDCALL;
    std::vector<float> flat;
    flat.reserve(size_t(count) * 4);
    for (uint32_t i = 0; i < count; i++)
        flat.insert(flat.end(), {values[i].x, values[i].y, values[i].z, values[i].w});
    return SetFloats(parameter, flat.data(), flat.size());
}

HRESULT ID3DXEffect::SetFloatArray(D3DXHANDLE parameter, const float* values, uint32_t count)
{
    return SetFloats(parameter, values, count);
}

HRESULT ID3DXEffect::GetFloatArray(D3DXHANDLE parameter, float* values, uint32_t count) const
{
    const Node* p = FindNumbers(parameter);
    if (!p || !values)
        return D3DERR_INVALIDCALL;
    const size_t n = std::min(size_t(count), p->values.size());
    std::copy_n(p->values.begin(), n, values);
    std::fill(values + n, values + count, 0.0f);
    return D3D_OK;
}

HRESULT ID3DXEffect::SetMatrix(D3DXHANDLE parameter, const D3DXMATRIX* value)
{
    return SetMatrixArray(parameter, value, 1);
}

HRESULT ID3DXEffect::SetMatrixArray(D3DXHANDLE parameter, const D3DXMATRIX* values, uint32_t count)
{
    if (!values)
        return D3DERR_INVALIDCALL;
    std::vector<float> flat;
    flat.reserve(size_t(count) * 16);
    for (uint32_t i = 0; i < count; i++)
        for (int r = 0; r < 4; r++)
            for (int c = 0; c < 4; c++)
                flat.push_back(values[i].m[r][c]);
    return SetFloats(parameter, flat.data(), flat.size());
}

HRESULT ID3DXEffect::GetString(D3DXHANDLE parameter, const char** value) const
{
    const Node* p = FindValue(parameter);
    if (!p || !value || p->type != D3DXPT_STRING)
        return D3DERR_INVALIDCALL;
    *value = p->text.c_str();
    return D3D_OK;
}

HRESULT ID3DXEffect::SetTexture(D3DXHANDLE parameter, IDirect3DTexture9* texture)
{
    Node* p = FindOf(parameter, NodeKind::Parameter);
    if (!p || p->type < D3DXPT_TEXTURE || p->type > D3DXPT_TEXTURECUBE)
        return D3DERR_INVALIDCALL;
    p->texture = texture;
    return D3D_OK;
}

HRESULT ID3DXEffect::GetTexture(D3DXHANDLE parameter, IDirect3DTexture9** texture) const
{
    const Node* p = FindOf(parameter, NodeKind::Parameter);
    if (!p || !texture || p->type < D3DXPT_TEXTURE || p->type > D3DXPT_TEXTURECUBE)
        return D3DERR_INVALIDCALL;
    *texture = p->texture;
    return D3D_OK;
}

D3DXHANDLE ID3DXEffect::GetTechnique(uint32_t index) const
{
    return index < m_Techniques.size() ? m_Techniques[index]->name.c_str() : nullptr;
}

D3DXHANDLE ID3DXEffect::GetTechniqueByName(const char* name) const
{
    if (!name)
        return nullptr;
    for (const Node* t : m_Techniques)
        if (t->name == name)
            return t->name.c_str();
    return nullptr;
}

HRESULT ID3DXEffect::GetTechniqueDesc(D3DXHANDLE technique, D3DXTECHNIQUE_DESC* desc) const
{
    const Node* t = FindOf(technique, NodeKind::Technique);
    if (!t || !desc)
        return D3DERR_INVALIDCALL;
    desc->Name = t->name.c_str();
    desc->Passes = uint32_t(t->passes.size());
    desc->Annotations = uint32_t(t->annotations.size());
    return D3D_OK;
}

D3DXHANDLE ID3DXEffect::GetPass(D3DXHANDLE technique, uint32_t index) const
{
    const Node* t = FindOf(technique, NodeKind::Technique);
    return t && index < t->passes.size() ? t->passes[index]->name.c_str() : nullptr;
}

HRESULT ID3DXEffect::GetPassDesc(D3DXHANDLE pass, D3DXPASS_DESC* desc) const
{
    const Node* p = FindOf(pass, NodeKind::Pass);
    if (!p || !desc)
        return D3DERR_INVALIDCALL;
    desc->Name = p->name.c_str();
    desc->Annotations = uint32_t(p->annotations.size());
    desc->pVertexShaderFunction = p->vertexShader ? &p->vertexShader : nullptr;
    desc->pPixelShaderFunction = p->pixelShader ? &p->pixelShader : nullptr;
    return D3D_OK;
}

HRESULT ID3DXEffect::SetTechnique(D3DXHANDLE technique)
{
    Node* t = FindOf(technique, NodeKind::Technique);
    if (!t || m_InDrawing)
        return D3DERR_INVALIDCALL;
    m_Current = t;
    return D3D_OK;
}

HRESULT ID3DXEffect::ValidateTechnique(D3DXHANDLE technique) const
{
    const Node* t = FindOf(technique, NodeKind::Technique);
    if (!t)
        return D3DERR_INVALIDCALL;
    if (!m_Device)
        return D3D_OK;  // nothing to measure against
    const D3DCAPS9& caps = m_Device->GetProfileCaps();
    // Versions compare by their low words: major in the high byte, minor in the low one.
    for (const Node* pass : t->passes) {
        if (pass->vertexShader && (pass->vertexShader & 0xFFFF) > (caps.VertexShaderVersion & 0xFFFF))
            return E_FAIL;
        if (pass->pixelShader && (pass->pixelShader & 0xFFFF) > (caps.PixelShaderVersion & 0xFFFF))
            return E_FAIL;
    }
    return D3D_OK;
}

template <class Body> HRESULT ID3DXEffect::Journal(D3D9Op op, std::initializer_list<uint64_t> args, Body body)
{
    return JournalCall(m_Device ? &m_Device->GetJournal() : nullptr, op, args, body);
}

HRESULT ID3DXEffect::Begin(uint32_t* passes, DWORD flags)
{
    return Journal(D3D9Op::EffectBegin, {D3D9Arg(this), flags}, [&]() -> HRESULT {
        if (m_InDrawing || !m_Current)
            return D3DERR_INVALIDCALL;
        m_InDrawing = true;
        if (passes)
            *passes = uint32_t(m_Current->passes.size());
        return D3D_OK;
    });
}

HRESULT ID3DXEffect::BeginPass(uint32_t pass)
{
    return Journal(D3D9Op::EffectBeginPass, {D3D9Arg(this), pass}, [&]() -> HRESULT {
        if (!m_InDrawing || m_CurrentPass >= 0 || pass >= m_Current->passes.size())
            return D3DERR_INVALIDCALL;
        m_CurrentPass = int32_t(pass);
        return D3D_OK;
    });
}

HRESULT ID3DXEffect::CommitChanges()
{
    return Journal(D3D9Op::EffectCommitChanges, {D3D9Arg(this)}, [&]() -> HRESULT {
        m_Commits++;
        return D3D_OK;
    });
}

HRESULT ID3DXEffect::EndPass()
{
    return Journal(D3D9Op::EffectEndPass, {D3D9Arg(this)}, [&]() -> HRESULT {
        if (m_CurrentPass < 0)
            return D3DERR_INVALIDCALL;
        m_CurrentPass = -1;
        return D3D_OK;
    });
}

HRESULT ID3DXEffect::End()
{
    return Journal(D3D9Op::EffectEnd, {D3D9Arg(this)}, [&]() -> HRESULT {
        if (!m_InDrawing || m_CurrentPass >= 0)
            return D3DERR_INVALIDCALL;
        m_InDrawing = false;
        return D3D_OK;
    });
}

HRESULT ID3DXEffect::OnLostDevice()
{
    m_LostNotices++;
    return D3D_OK;
}

HRESULT ID3DXEffect::OnResetDevice()
{
    m_ResetNotices++;
    return D3D_OK;
}

D3DXHANDLE ID3DXEffect::AddParameter(const char* name, const char* semantic)
{
    Node* p = NewNode(NodeKind::Parameter, name ? name : "");
    p->semantic = semantic ? semantic : "";
    p->paramClass = D3DXPC_VECTOR;
    p->type = D3DXPT_FLOAT;
    p->rows = 1;
    p->columns = 4;
    p->values.assign(4, 0.0f);
    m_Parameters.push_back(p);
    return p->name.c_str();
}

void ID3DXEffect::SetTechniqueCount(uint32_t count)
{
    m_Techniques.clear();
    m_Current = nullptr;
    for (uint32_t i = 0; i < count; i++) {
        Node* t = NewNode(NodeKind::Technique, "technique" + std::to_string(i));
        t->passes.push_back(NewNode(NodeKind::Pass, "pass0"));
        m_Techniques.push_back(t);
    }
    if (!m_Techniques.empty())
        m_Current = m_Techniques[0];
}

HRESULT CreateMemoryEffect(ID3DXEffect** effect)
{
    if (!effect)
        return D3DERR_INVALIDCALL;
    *effect = new ID3DXEffect(nullptr);
    (*effect)->SetTechniqueCount(1);
    return D3D_OK;
}

HRESULT CreateEffectFor(IDirect3DDevice9* device, ID3DXEffect** effect)
{
    if (!effect)
        return D3DERR_INVALIDCALL;
    *effect = new ID3DXEffect(device);
    return D3D_OK;
}
