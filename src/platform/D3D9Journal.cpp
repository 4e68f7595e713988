// D3D9Journal: keeping the calls, counting them and handing out the faults asked for.
#include "platform/D3D9Journal.h"

#include <cstddef>

namespace {

const char* const kNames[] = {
    "GetAdapterCount", "GetAdapterDisplayMode", "GetAdapterCaps", "CheckDeviceFormat", "CheckDepthStencilMatch", "CheckDeviceMultiSampleType", "CreateDevice", "TestCooperativeLevel",
    "GetAvailableTextureMem", "GetDeviceCaps", "GetDisplayMode", "GetCreationParameters", "Reset", "Present",
    "GetBackBuffer", "GetFrontBufferData", "SetGammaRamp", "GetGammaRamp", "CreateTexture", "CreateVertexBuffer",
    "CreateIndexBuffer", "CreateRenderTarget", "CreateDepthStencilSurface", "CreateOffscreenPlainSurface",
    "UpdateSurface", "StretchRect", "ColorFill", "SetRenderTarget", "GetRenderTarget", "SetDepthStencilSurface",
    "GetDepthStencilSurface", "BeginScene", "EndScene", "Clear", "SetTransform", "GetTransform", "SetViewport",
    "GetViewport", "SetMaterial", "GetMaterial", "SetLight", "GetLight", "LightEnable", "GetLightEnable",
    "SetClipPlane", "GetClipPlane", "SetRenderState", "GetRenderState", "SetTexture", "GetTexture",
    "SetTextureStageState", "GetTextureStageState", "SetSamplerState", "GetSamplerState",
    "SetSoftwareVertexProcessing", "GetSoftwareVertexProcessing", "SetFVF", "GetFVF", "SetVertexShader",
    "SetPixelShader", "SetStreamSource", "GetStreamSource", "SetIndices", "DrawPrimitive", "DrawIndexedPrimitive",
    "DrawPrimitiveUP", "DrawIndexedPrimitiveUP", "GetDesc", "GetLevelDesc", "GetSurfaceLevel", "LockRect",
    "UnlockRect", "AddDirtyRect", "Lock", "Unlock",
    "EffectBegin", "EffectBeginPass", "EffectCommitChanges", "EffectEndPass", "EffectEnd",
    "DrawSubset",
};
static_assert(sizeof kNames / sizeof kNames[0] == size_t(D3D9Op::Count), "one name per operation");

}  // namespace

const char* GetD3D9OpName(D3D9Op op)
{
    return op < D3D9Op::Count ? kNames[size_t(op)] : "Unknown";
}

void D3D9Journal::Record(D3D9Op op, std::initializer_list<uint64_t> args, HRESULT result)
{
    m_Counts[size_t(op)]++;
    if (m_Calls.size() >= kMaxKeptCalls)
        return;
    D3D9Call call;
    call.op = op;
    call.result = result;
    for (uint64_t arg : args)
        if (call.argCount < D3D9Call::kMaxArgs)
            call.args[call.argCount++] = arg;
    m_Calls.push_back(call);
}

HRESULT D3D9Journal::TakeFault(D3D9Op op)
{
    for (size_t i = 0; i < m_Faults.size(); i++) {
        Fault& fault = m_Faults[i];
        if (fault.op != op)
            continue;
        const HRESULT code = fault.code;
        if (--fault.count <= 0)
            m_Faults.erase(m_Faults.begin() + std::ptrdiff_t(i));
        return code;
    }
    return D3D_OK;
}

void D3D9Journal::FailNext(D3D9Op op, int32_t count, HRESULT code)
{
    if (count > 0)
        m_Faults.push_back({op, count, code});
}

std::vector<D3D9Call> D3D9Journal::CallsOf(D3D9Op op) const
{
    std::vector<D3D9Call> calls;
    for (const D3D9Call& call : m_Calls)
        if (call.op == op)
            calls.push_back(call);
    return calls;
}

const D3D9Call* D3D9Journal::Last(D3D9Op op) const
{
    for (auto it = m_Calls.rbegin(); it != m_Calls.rend(); ++it)
        if (it->op == op)
            return &*it;
    return nullptr;
}

void D3D9Journal::Clear()
{
    m_Calls.clear();
    for (int32_t& count : m_Counts)
        count = 0;
}
