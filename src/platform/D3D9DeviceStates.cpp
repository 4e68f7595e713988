// D3D9Device states: the scene brackets, render, stage and sampler states, transforms, viewport,
// material, lights and clip planes, the bound streams, indices, textures and shaders, and draws.
#include "platform/D3D9Device.h"

namespace {

// Vertices that primitiveCount primitives of the type read; 0 for an unknown type.
uint32_t VerticesOf(D3DPRIMITIVETYPE type, uint32_t primitiveCount)
{
    switch (type) {
    case D3DPT_POINTLIST:
        return primitiveCount;
    case D3DPT_LINELIST:
        return primitiveCount * 2;
    case D3DPT_LINESTRIP:
        return primitiveCount + 1;
    case D3DPT_TRIANGLELIST:
        return primitiveCount * 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN:
        return primitiveCount + 2;
    default:
        return 0;
    }
}

}  // namespace

void IDirect3DDevice9::SetFullViewport()
{
    m_Viewport = D3DVIEWPORT9();
    if (m_RenderTargets[0]) {
        m_Viewport.Width = m_RenderTargets[0]->GetImage().desc.Width;
        m_Viewport.Height = m_RenderTargets[0]->GetImage().desc.Height;
    }
}

HRESULT IDirect3DDevice9::BeginScene()
{
    return Call(D3D9Op::BeginScene, {}, [&] {
        if (m_InScene)
            return D3DERR_INVALIDCALL;
        m_InScene = true;
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::EndScene()
{
    return Call(D3D9Op::EndScene, {}, [&] {
        if (!m_InScene)
            return D3DERR_INVALIDCALL;
        m_InScene = false;
        return D3D_OK;
    });
}

D3DXMATRIX* IDirect3DDevice9::TransformSlot(D3DTRANSFORMSTATETYPE type)
{
    if (type == D3DTS_VIEW)
        return &m_View;
    if (type == D3DTS_PROJECTION)
        return &m_Projection;
    if (type >= D3DTS_TEXTURE0 && type < D3DTS_TEXTURE0 + kStages)
        return &m_TextureMatrices[type - D3DTS_TEXTURE0];
    if (type >= D3DTS_WORLDMATRIX(0) && type < D3DTS_WORLDMATRIX(kWorldMatrices))
        return &m_WorldMatrices[type - D3DTS_WORLDMATRIX(0)];
    return nullptr;
}

HRESULT IDirect3DDevice9::SetTransform(D3DTRANSFORMSTATETYPE type, const D3DXMATRIX* matrix)
{
    return Call(D3D9Op::SetTransform, {type, D3D9Arg(matrix)}, [&] {
        D3DXMATRIX* slot = TransformSlot(type);
        if (!slot || !matrix)
            return D3DERR_INVALIDCALL;
        *slot = *matrix;
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::GetTransform(D3DTRANSFORMSTATETYPE type, D3DXMATRIX* matrix)
{
    return Call(D3D9Op::GetTransform, {type}, [&] {
        const D3DXMATRIX* slot = TransformSlot(type);
        if (!slot || !matrix)
            return D3DERR_INVALIDCALL;
        *matrix = *slot;
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::SetViewport(const D3DVIEWPORT9* viewport)
{
    return Call(D3D9Op::SetViewport, {D3D9Arg(viewport)}, [&] {
        if (!viewport || !m_RenderTargets[0])
            return D3DERR_INVALIDCALL;
        const D3DSURFACE_DESC& target = m_RenderTargets[0]->GetImage().desc;
        const D3DVIEWPORT9& v = *viewport;
        if (uint64_t(v.X) + v.Width > target.Width || uint64_t(v.Y) + v.Height > target.Height || !(v.MinZ >= 0.0f) ||
            !(v.MaxZ <= 1.0f) || v.MinZ > v.MaxZ)
            return D3DERR_INVALIDCALL;  // outside the render target
        m_Viewport = v;
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::GetViewport(D3DVIEWPORT9* viewport)
{
    return Call(D3D9Op::GetViewport, {}, [&] {
        if (!viewport)
            return D3DERR_INVALIDCALL;
        *viewport = m_Viewport;
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::SetMaterial(const D3DMATERIAL9* material)
{
    return Call(D3D9Op::SetMaterial, {D3D9Arg(material)}, [&] {
        if (!material)
            return D3DERR_INVALIDCALL;
        m_Material = *material;
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::GetMaterial(D3DMATERIAL9* material)
{
    return Call(D3D9Op::GetMaterial, {}, [&] {
        if (!material)
            return D3DERR_INVALIDCALL;
        *material = m_Material;
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::SetLight(DWORD index, const D3DLIGHT9* light)
{
    return Call(D3D9Op::SetLight, {index, D3D9Arg(light)}, [&] {
        if (!light || light->Type < 1 || light->Type > 3)
            return D3DERR_INVALIDCALL;
        m_Lights[index] = *light;
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::GetLight(DWORD index, D3DLIGHT9* light)
{
    return Call(D3D9Op::GetLight, {index}, [&] {
        const auto found = m_Lights.find(index);
        if (!light || found == m_Lights.end())
            return D3DERR_INVALIDCALL;
        *light = found->second;
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::LightEnable(DWORD index, int32_t enable)
{
    return Call(D3D9Op::LightEnable, {index, uint64_t(enable)}, [&] {
        if (enable) {
            int32_t enabled = 0;
            for (const auto& entry : m_LightEnabled)
                enabled += entry.first != index && entry.second ? 1 : 0;
            if (uint32_t(enabled) >= Profile().caps.MaxActiveLights)
                return D3DERR_INVALIDCALL;  // more lights than the device mixes
            if (!m_Lights.count(index)) {  // a light never set shines white along +z
                D3DLIGHT9 light;
                light.Type = 3;
                light.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
                light.Direction[2] = 1.0f;
                m_Lights[index] = light;
            }
        }
        m_LightEnabled[index] = enable ? 1 : 0;
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::GetLightEnable(DWORD index, int32_t* enable)
{
    return Call(D3D9Op::GetLightEnable, {index}, [&] {
        const auto found = m_LightEnabled.find(index);
        if (!enable || !m_Lights.count(index))
            return D3DERR_INVALIDCALL;
        *enable = found == m_LightEnabled.end() ? 0 : found->second;
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::SetClipPlane(DWORD index, const float* plane)
{
    return Call(D3D9Op::SetClipPlane, {index, D3D9Arg(plane)}, [&] {
        if (!plane || index >= Profile().caps.MaxUserClipPlanes || index >= 32)
            return D3DERR_INVALIDCALL;
        for (int i = 0; i < 4; i++)
            m_ClipPlanes[index][i] = plane[i];
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::GetClipPlane(DWORD index, float* plane)
{
    return Call(D3D9Op::GetClipPlane, {index}, [&] {
        if (!plane || index >= 32)
            return D3DERR_INVALIDCALL;
        for (int i = 0; i < 4; i++)
            plane[i] = m_ClipPlanes[index][i];
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::SetRenderState(D3DRENDERSTATETYPE state, DWORD value)
{
    return Call(D3D9Op::SetRenderState, {state, value}, [&] {
        if (state == 0 || state >= D3DRS_COUNT)
            return D3DERR_INVALIDCALL;
        m_RenderStates[state] = value;
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value)
{
    return Call(D3D9Op::GetRenderState, {state}, [&] {
        if (state == 0 || state >= D3DRS_COUNT || !value)
            return D3DERR_INVALIDCALL;
        *value = m_RenderStates[state];
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::SetTexture(DWORD stage, IDirect3DTexture9* texture)
{
    return Call(D3D9Op::SetTexture, {stage, D3D9Arg(texture)}, [&] {
        if (stage >= kSamplers)
            return D3DERR_INVALIDCALL;
        Bind(m_Textures[stage], texture);
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::GetTexture(DWORD stage, IDirect3DTexture9** texture)
{
    return Call(D3D9Op::GetTexture, {stage}, [&] {
        if (stage >= kSamplers || !texture)
            return D3DERR_INVALIDCALL;
        *texture = m_Textures[stage];
        if (*texture)
            (*texture)->AddRef();
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value)
{
    return Call(D3D9Op::SetTextureStageState, {stage, type, value}, [&] {
        if (stage >= kStages || type == 0 || type >= D3DTSS_COUNT)
            return D3DERR_INVALIDCALL;
        m_StageStates[stage][type] = value;
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value)
{
    return Call(D3D9Op::GetTextureStageState, {stage, type}, [&] {
        if (stage >= kStages || type == 0 || type >= D3DTSS_COUNT || !value)
            return D3DERR_INVALIDCALL;
        *value = m_StageStates[stage][type];
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value)
{
    return Call(D3D9Op::SetSamplerState, {sampler, type, value}, [&] {
        if (sampler >= kSamplers || type == 0 || type >= D3DSAMP_COUNT)
            return D3DERR_INVALIDCALL;
        m_SamplerStates[sampler][type] = value;
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value)
{
    return Call(D3D9Op::GetSamplerState, {sampler, type}, [&] {
        if (sampler >= kSamplers || type == 0 || type >= D3DSAMP_COUNT || !value)
            return D3DERR_INVALIDCALL;
        *value = m_SamplerStates[sampler][type];
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::SetSoftwareVertexProcessing(int32_t software)
{
    return Call(D3D9Op::SetSoftwareVertexProcessing, {uint64_t(software)}, [&] {
        if (!(m_Creation.BehaviorFlags & D3DCREATE_MIXED_VERTEXPROCESSING))
            return D3DERR_INVALIDCALL;
        m_SoftwareVertexProcessing = software != 0;
        return D3D_OK;
    });
}

int32_t IDirect3DDevice9::GetSoftwareVertexProcessing()
{
    GetJournal().Record(D3D9Op::GetSoftwareVertexProcessing, {}, D3D_OK);
    return m_SoftwareVertexProcessing ? 1 : 0;
}

HRESULT IDirect3DDevice9::SetFVF(DWORD fvf)
{
    return Call(D3D9Op::SetFVF, {fvf}, [&] {
        m_FVF = fvf;
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::GetFVF(DWORD* fvf)
{
    return Call(D3D9Op::GetFVF, {}, [&] {
        if (!fvf)
            return D3DERR_INVALIDCALL;
        *fvf = m_FVF;
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::SetVertexShader(IDirect3DVertexShader9* shader)
{
    return Call(D3D9Op::SetVertexShader, {D3D9Arg(shader)}, [&] {
        m_VertexShader = shader;
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::SetPixelShader(IDirect3DPixelShader9* shader)
{
    return Call(D3D9Op::SetPixelShader, {D3D9Arg(shader)}, [&] {
        m_PixelShader = shader;
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::SetStreamSource(uint32_t stream, IDirect3DVertexBuffer9* buffer, uint32_t offset,
                                          uint32_t stride)
{
    return Call(D3D9Op::SetStreamSource, {stream, D3D9Arg(buffer), offset, stride}, [&] {
        if (stream >= kStreams || (buffer && offset >= buffer->GetSize() && offset > 0))
            return D3DERR_INVALIDCALL;
        Bind(m_Streams[stream], buffer);
        m_StreamOffsets[stream] = offset;
        m_StreamStrides[stream] = stride;
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::GetStreamSource(uint32_t stream, IDirect3DVertexBuffer9** buffer, uint32_t* offset,
                                          uint32_t* stride)
{
    return Call(D3D9Op::GetStreamSource, {stream}, [&] {
        if (stream >= kStreams || !buffer || !offset || !stride)
            return D3DERR_INVALIDCALL;
        *buffer = m_Streams[stream];
        if (*buffer)
            (*buffer)->AddRef();
        *offset = m_StreamOffsets[stream];
        *stride = m_StreamStrides[stream];
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::SetIndices(IDirect3DIndexBuffer9* buffer)
{
    return Call(D3D9Op::SetIndices, {D3D9Arg(buffer)}, [&] {
        Bind(m_Indices, buffer);
        return D3D_OK;
    });
}

HRESULT IDirect3DDevice9::CheckDraw(D3DPRIMITIVETYPE type, uint32_t primitiveCount, uint32_t& vertices) const
{
    vertices = VerticesOf(type, primitiveCount);
    if (!m_InScene || primitiveCount == 0 || vertices == 0)
        return D3DERR_INVALIDCALL;  // draws happen inside a scene only
    if (m_FVF == 0 && !m_VertexShader)
        return D3DERR_INVALIDCALL;  // nothing tells how to read a vertex
    return D3D_OK;
}

HRESULT IDirect3DDevice9::DrawPrimitive(D3DPRIMITIVETYPE type, uint32_t startVertex, uint32_t primitiveCount)
{
    return Call(D3D9Op::DrawPrimitive, {type, startVertex, primitiveCount}, [&] {
        uint32_t vertices = 0;
        HRESULT result = CheckDraw(type, primitiveCount, vertices);
        const IDirect3DVertexBuffer9* stream = m_Streams[0];
        const uint32_t stride = m_StreamStrides[0];
        if (!FAILED(result) && (!stream || stride == 0 ||
                                m_StreamOffsets[0] + (uint64_t(startVertex) + vertices) * stride > stream->GetSize()))
            result = D3DERR_INVALIDCALL;  // reads past the bound vertices
        if (!FAILED(result))
            m_PrimitivesDrawn += primitiveCount;
        return result;
    });
}

HRESULT IDirect3DDevice9::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, int32_t baseVertex, uint32_t minIndex,
                                               uint32_t vertexCount, uint32_t startIndex, uint32_t primitiveCount)
{
    return Call(D3D9Op::DrawIndexedPrimitive,
                {type, uint64_t(baseVertex), minIndex, vertexCount, startIndex, primitiveCount}, [&] {
                    uint32_t indices = 0;
                    HRESULT result = CheckDraw(type, primitiveCount, indices);
                    const uint32_t indexSize = m_Indices && m_Indices->GetFormat() == D3DFMT_INDEX32 ? 4 : 2;
                    const IDirect3DVertexBuffer9* stream = m_Streams[0];
                    const uint32_t stride = m_StreamStrides[0];
                    if (!FAILED(result) &&
                        (!m_Indices || (uint64_t(startIndex) + indices) * indexSize > m_Indices->GetSize() || !stream ||
                         stride == 0 || baseVertex < 0 ||
                         m_StreamOffsets[0] + (uint64_t(baseVertex) + minIndex + vertexCount) * stride >
                             stream->GetSize()))
                        result = D3DERR_INVALIDCALL;
                    if (!FAILED(result))
                        m_PrimitivesDrawn += primitiveCount;
                    return result;
                });
}

HRESULT IDirect3DDevice9::DrawPrimitiveUP(D3DPRIMITIVETYPE type, uint32_t primitiveCount, const void* vertices,
                                          uint32_t stride)
{
    return Call(D3D9Op::DrawPrimitiveUP, {type, primitiveCount, D3D9Arg(vertices), stride}, [&] {
        uint32_t count = 0;
        HRESULT result = CheckDraw(type, primitiveCount, count);
        if (!FAILED(result) && (!vertices || stride == 0))
            result = D3DERR_INVALIDCALL;
        Bind(m_Streams[0], static_cast<IDirect3DVertexBuffer9*>(nullptr));  // as the platform does
        if (!FAILED(result))
            m_PrimitivesDrawn += primitiveCount;
        return result;
    });
}

HRESULT IDirect3DDevice9::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, uint32_t minIndex, uint32_t vertexCount,
                                                 uint32_t primitiveCount, const void* indices, D3DFORMAT indexFormat,
                                                 const void* vertices, uint32_t stride)
{
    return Call(D3D9Op::DrawIndexedPrimitiveUP,
                {type, minIndex, vertexCount, primitiveCount, D3D9Arg(indices), indexFormat, D3D9Arg(vertices), stride},
                [&] {
                    uint32_t count = 0;
                    HRESULT result = CheckDraw(type, primitiveCount, count);
                    if (!FAILED(result) &&
                        (!indices || !vertices || stride == 0 ||
                         (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32)))
                        result = D3DERR_INVALIDCALL;
                    Bind(m_Streams[0], static_cast<IDirect3DVertexBuffer9*>(nullptr));
                    Bind(m_Indices, static_cast<IDirect3DIndexBuffer9*>(nullptr));
                    if (!FAILED(result))
                        m_PrimitivesDrawn += primitiveCount;
                    return result;
                });
}
