// DXC_GfxStateCache: the device states that the graphics object last sent, so that an unchanged
// value is not sent again, and the values the program last asked for, which a device reset puts
// back; with the nine-word point-sprite record. A cache word of -1 is unknown: the next set of
// that state reaches the device.
#pragma once
#include "platform/D3D9Types.h"
#include "platform/D3DXMath.h"

#include <cstdint>

class DXC_Surface;
class DXC_Texture;
class IDirect3DTexture9;
class IDirect3DVertexBuffer9;

// Point sprites as the fill mode of points draws them; the fill mode applies the record.
struct DXC_PointSpriteParams {
    float scaleA = 1.0f;
    float scaleB = 0.0f;
    float scaleC = 0.0f;
    float maxSize = 64.0f;
    float minSize = 1.0f;
    float size = 2.0f;
    int32_t spriteEnable = 0;
    int32_t scaleEnable = 0;
    int32_t spare = 0;
};

// Fog as the lighting set-up last sent it: colour, mode (0 none, 1 exponential, 2 squared
// exponential, 3 linear), per-vertex or per-pixel, the linear range and the density.
struct DXC_Fog {
    uint32_t color = 0;
    int32_t mode = D3DFOG_NONE;
    int32_t vertexFog = 0;
    float start = 0.0f;
    float end = 1.0f;
    float density = 1.0f;
};

struct DXC_StageStateCache {
    int32_t colorOp = -1;
    int32_t colorArg0 = -1;
    int32_t colorArg1 = -1;
    int32_t colorArg2 = -1;
    int32_t alphaOp = -1;
    int32_t alphaArg1 = -1;
    int32_t alphaArg2 = -1;
    int32_t transformFlags = -1;
    int32_t texCoordIndex = -1;
};

struct DXC_SamplerStateCache {
    int32_t minFilter = -1;
    int32_t magFilter = -1;
    int32_t addressU = -1;
    int32_t addressV = -1;
    int32_t requestedU = -1;  // the address modes last asked for
    int32_t requestedV = -1;
};

struct DXC_StateCache {
    static constexpr int32_t kStages = 8;
    static constexpr int32_t kStreams = 8;

    DXC_StateCache()
    {
        for (D3DXMATRIX& m : stageMatrices)
            D3DXMatrixIdentity(&m);
    }

    // Render states last sent; the cull mode in the system's code (-1 counter-clockwise, 0 none,
    // 1 clockwise).
    int32_t lighting = -1;
    int32_t specularEnable = -1;
    int32_t cullMode = -1;
    int32_t alphaTestMode = -1;
    int32_t alphaRef = -1;
    int32_t alphaBlendEnable = -1;
    int32_t zWriteEnable = -1;
    int32_t stencilEnable = -1;
    int32_t stencilFunc = -1;
    int32_t stencilRef = -1;
    int32_t vertexBlend = -1;
    int32_t indexedVertexBlend = -1;
    int32_t normalizeNormals = -1;
    int32_t colorWriteMask = -1;
    int32_t pointSpriteEnable = -1;
    int32_t pointScaleEnable = -1;
    float pointSize = -1.0f;
    float pointSizeMin = -1.0f;
    float pointSizeMax = -1.0f;
    float pointScaleA = -1.0f;
    float pointScaleB = -1.0f;
    float pointScaleC = -1.0f;

    // What the program last asked for.
    int32_t requestedClipping = 1;
    int32_t requestedAlphaTestMode = 0;
    int32_t requestedAlphaRef = 0;
    int32_t requestedLighting = 0;
    uint32_t unlitColor = 0xFFFFFFFFu;  // -1: none
    int32_t requestedPatchEdgeStyle = 0;
    int32_t requestedZWriteEnable = 1;
    int32_t requestedStencilEnable = 0;
    int32_t requestedSpecularEnable = 0;
    int32_t requestedFillMode = D3DFILL_SOLID;
    int32_t requestedCullMode = -1;
    uint32_t ambient = 0;
    uint32_t tintColor = 0;  // RGB; 0 none

    DXC_StageStateCache stages[kStages];
    DXC_SamplerStateCache samplers[kStages];
    D3DXMATRIX stageMatrices[kStages];  // identity
    uint32_t textureFactor = 0;  // sent whole every time
    int32_t fogEnable = 0;
    uint32_t clipPlaneMask = 0;
    uint32_t clipPlaneMaskSent = 0xFFFFFFFFu;  // -1: unknown

    // Nesting counters and what the z-buffer and stencil of the presentation allow.
    int32_t zSuspend = 0;
    int32_t lightingSuspend = 0;
    int32_t zEnableRestore = 0;  // 0 when the device has no z-buffer
    int32_t zBufferBits = 0;     // 0, 16, 24 or 32
    int32_t targetHasZBuffer = 1;
    int32_t stencilAvailable = 0;
    int32_t inScene = 0;

    int32_t fillMode = D3DFILL_SOLID;
    int32_t mixedVertexProcessing = 0;  // the device was made for both kinds of vertex processing
    int32_t softwareVertexProcessing = 0;
    IDirect3DVertexBuffer9* streams[kStreams] = {};  // not owned
    uint32_t streamStrides[kStreams] = {};
    int32_t begunEffect = -1;  // the effect whose shaders are set; -1 none
    // What the material stage set-up bound to each device stage: the texture (not owned; a reset
    // unbinds them all), the stage's map type and its coordinate index.
    IDirect3DTexture9* boundTextures[kStages] = {};
    int32_t boundMapTypes[kStages] = {};
    int32_t boundCoordIndices[kStages] = {};
    DXC_Texture* renderTargetTexture = nullptr;  // where drawing goes; null the render buffer
    DXC_Surface* depthSurface = nullptr;
};
