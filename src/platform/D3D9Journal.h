// D3D9Journal: the record of every call made on a stand-in adapter, its devices and their
// resources (operation, arguments, result), with a count per operation, and the faults that a test
// asks for: the next n calls of an operation fail with a given code and do nothing.
#pragma once
#include "platform/D3D9Types.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

// The operations, grouped by the object that offers them.
enum class D3D9Op : uint8_t {
    // adapter
    GetAdapterCount,
    GetAdapterDisplayMode,
    GetAdapterCaps,  // the adapter's GetDeviceCaps, which needs no device
    CheckDeviceFormat,
    CheckDepthStencilMatch,
    CheckDeviceMultiSampleType,
    CreateDevice,
    // device: state of the device and presentation
    TestCooperativeLevel,
    GetAvailableTextureMem,
    GetDeviceCaps,
    GetDisplayMode,
    GetCreationParameters,
    Reset,
    Present,
    GetBackBuffer,
    GetFrontBufferData,
    SetGammaRamp,
    GetGammaRamp,
    // device: resources and copies
    CreateTexture,
    CreateVertexBuffer,
    CreateIndexBuffer,
    CreateRenderTarget,
    CreateDepthStencilSurface,
    CreateOffscreenPlainSurface,
    UpdateSurface,
    StretchRect,
    ColorFill,
    SetRenderTarget,
    GetRenderTarget,
    SetDepthStencilSurface,
    GetDepthStencilSurface,
    // device: drawing state
    BeginScene,
    EndScene,
    Clear,
    SetTransform,
    GetTransform,
    SetViewport,
    GetViewport,
    SetMaterial,
    GetMaterial,
    SetLight,
    GetLight,
    LightEnable,
    GetLightEnable,
    SetClipPlane,
    GetClipPlane,
    SetRenderState,
    GetRenderState,
    SetTexture,
    GetTexture,
    SetTextureStageState,
    GetTextureStageState,
    SetSamplerState,
    GetSamplerState,
    SetSoftwareVertexProcessing,
    GetSoftwareVertexProcessing,
    SetFVF,
    GetFVF,
    SetVertexShader,
    SetPixelShader,
    SetStreamSource,
    GetStreamSource,
    SetIndices,
    DrawPrimitive,
    DrawIndexedPrimitive,
    DrawPrimitiveUP,
    DrawIndexedPrimitiveUP,
    // resources made by a device
    GetDesc,
    GetLevelDesc,
    GetSurfaceLevel,
    LockRect,
    UnlockRect,
    AddDirtyRect,
    Lock,
    Unlock,
    // effects made for a device
    EffectBegin,
    EffectBeginPass,
    EffectCommitChanges,
    EffectEndPass,
    EffectEnd,
    // meshes made for a device
    DrawSubset,
    Count
};

const char* GetD3D9OpName(D3D9Op op);

// One call. Pointers are recorded as their addresses, floats as their bits.
struct D3D9Call {
    static constexpr int kMaxArgs = 8;
    D3D9Op op = D3D9Op::Count;
    HRESULT result = D3D_OK;
    int32_t argCount = 0;
    uint64_t args[kMaxArgs] = {};

    uint32_t Arg(int32_t n) const { return n < argCount ? uint32_t(args[n]) : 0; }
};

inline uint64_t D3D9Arg(const void* pointer) { return uint64_t(reinterpret_cast<uintptr_t>(pointer)); }
inline uint64_t D3D9Arg(float value) { return std::bit_cast<uint32_t>(value); }

class D3D9Journal {
public:
    // Calls beyond this many are counted but not kept, so a long run cannot exhaust memory.
    static constexpr size_t kMaxKeptCalls = 1u << 20;

    void Record(D3D9Op op, std::initializer_list<uint64_t> args, HRESULT result);
    // The fault due for this call of op (it is used up), or D3D_OK.
    HRESULT TakeFault(D3D9Op op);

    // The next count calls of op answer code and change nothing.
    void FailNext(D3D9Op op, int32_t count, HRESULT code);
    int32_t Count(D3D9Op op) const { return m_Counts[size_t(op)]; }
    const std::vector<D3D9Call>& GetCalls() const { return m_Calls; }
    std::vector<D3D9Call> CallsOf(D3D9Op op) const;
    const D3D9Call* Last(D3D9Op op) const;  // null when op was not called
    // Forgets the calls and counts; pending faults stay.
    void Clear();

private:
    struct Fault {
        D3D9Op op;
        int32_t count;
        HRESULT code;
    };
    std::vector<D3D9Call> m_Calls;
    int32_t m_Counts[size_t(D3D9Op::Count)] = {};
    std::vector<Fault> m_Faults;
};

// Runs body unless a fault is due for op, and records the call with its result; without a
// journal (an object made without a device) the body only runs.
template <class Body>
HRESULT JournalCall(D3D9Journal* journal, D3D9Op op, std::initializer_list<uint64_t> args, Body body)
{
    HRESULT result = journal ? journal->TakeFault(op) : D3D_OK;
    if (result == D3D_OK)
        result = body();
    if (journal)
        journal->Record(op, args, result);
    return result;
}
