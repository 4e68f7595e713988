// DXC_Gfx screen quads and lines: the current texture as a turned and scaled quad or over a
// rectangle, the quad's draw with its state save and restore, filled and outlined rectangles, 2D
// and 3D lines and circles, sprites at world positions, and the screen size. The GUI, the HUD
// and the loading screen draw through them; they all need the device.
#include "engine/gfx/DXC_Gfx.h"

#include "engine/gfx/DXC_ShaderEffect.h"
#include "engine/gfx/DXC_VertexList.h"
#include "platform/D3D9Device.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr uint32_t kQuadHighlight = 0xFF000000u;
// Texel centres fall on pixel centres when every corner moves by a quarter pixel up and left.
constexpr float kPixelShift = 0.25f;
// The far corner stops just short of the next pixel.
constexpr float kFarEdge = 0.02f;

// A corner depth of 0 would give 1/w an infinite value; such a corner is drawn at w = 1.
float ReciprocalW(float z) { return z != 0.0f ? 1.0f / z : 1.0f; }

void WriteQuad(IDirect3DVertexBuffer9& buffer, const float corners[4][2], const float z[4], uint32_t color,
               DXC_Base& owner)
{
    void* data = nullptr;
    const HRESULT result = buffer.Lock(0, 0, &data, 0);
    if (FAILED(result))
        owner.Error(" VB Lock failed: %s", GetDirectXErrorName(result));
    auto* bytes = static_cast<uint8_t*>(data);
    for (int32_t v = 0; v < 4; v++) {
        // The coordinates that follow these fields belong to the texture's own quad update.
        const float position[4] = {corners[v][0], corners[v][1], z[v], ReciprocalW(z[v])};
        const uint32_t colors[2] = {color, kQuadHighlight};
        uint8_t* vertex = bytes + v * DXC_Texture::kQuadVertexBytes;
        std::memcpy(vertex, position, sizeof(position));
        std::memcpy(vertex + sizeof(position), colors, sizeof(colors));
    }
    buffer.Unlock();
}

}  // namespace

int DXC_Gfx::DrawTextureQuad(float x, float y, uint32_t color, float angle, float scaleX, float scaleY,
                             const float z[4])
{
    DXC_Texture* texture = currentTexture;
    if (!texture)
        Error("No texture set");
    if (!texture->IsValid())
        return 1;
    const float left = -texture->hotSpotX * scaleX;
    const float top = -texture->hotSpotY * scaleY;
    const float right = (texture->drawWidth - texture->hotSpotX) * scaleX - kFarEdge;
    const float bottom = (texture->drawHeight - texture->hotSpotY) * scaleY - kFarEdge;
    float corners[4][2] = {{left, bottom}, {left, top}, {right, bottom}, {right, top}};
    const float c = std::cos(angle), s = std::sin(angle);
    for (auto& corner : corners) {
        const float ox = corner[0], oy = corner[1];
        if (angle != 0.0f) {  // y grows downwards, so a positive angle turns counter-clockwise on screen
            corner[0] = ox * c + oy * s;
            corner[1] = -ox * s + oy * c;
        }
        corner[0] += x - kPixelShift;
        corner[1] += y - kPixelShift;
    }
    if (!texture->quadBuffer)
        texture->CreateQuadBuffer();
    if (texture->quadStale)
        texture->UpdateQuad();
    WriteQuad(*texture->quadBuffer, corners, z, color, *this);
    return DrawLastTexture();
}

int DXC_Gfx::DrawTextureQuadUniform(const int32_t rect[4], uint32_t color, const float z[4])
{
    DXC_Texture* texture = currentTexture;
    if (!texture)
        Error("No texture set");
    if (!texture->IsValid())
        return 1;
    const float left = float(rect[0]) - kPixelShift, top = float(rect[1]) - kPixelShift;
    const float right = float(rect[2]) - kPixelShift, bottom = float(rect[3]) - kPixelShift;
    const float corners[4][2] = {{left, bottom}, {left, top}, {right, bottom}, {right, top}};
    if (!texture->quadBuffer)
        texture->CreateQuadBuffer();
    if (texture->quadStale)
        texture->UpdateQuad();
    WriteQuad(*texture->quadBuffer, corners, z, color, *this);
    return DrawLastTexture();
}

int DXC_Gfx::DrawTexture(float x, float y, uint32_t color, float angle, float scale, float depth)
{
    const float z[4] = {depth, 1.0f, 1.0f, 1.0f};
    return DrawTextureQuad(x, y, color, angle, scale, scale, z);
}

int DXC_Gfx::DrawTextureUniform(const int32_t rect[4], uint32_t color, float depth)
{
    const float z[4] = {depth, depth, depth, depth};
    return DrawTextureQuadUniform(rect, color, z);
}

int DXC_Gfx::FillScreen(uint32_t color, float depth)
{
    int32_t rect[4] = {0, 0, 0, 0};
    if (const DXC_Texture* target = states.renderTargetTexture)
        target->GetDrawSizeInt(rect[2], rect[3]);
    else
        GetScreenSize(rect[2], rect[3]);
    return DrawTextureUniform(rect, color, depth);
}

void DXC_Gfx::SuspendDepthTestForQuads(int32_t count)
{
    if (count <= 0)
        return;
    SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    quadDepthCountdown = count;
}

int DXC_Gfx::DrawLastTexture()
{
    DXC_Texture* texture = currentTexture;
    if (!texture)
        Error("No texture set");
    if (!texture->quadBuffer)
        return 1;  // no quad was ever written
    if (states.mixedVertexProcessing)
        SetHardwareVertexProcessing(1);
    const int32_t cull = GetCullMode();
    if (cull != 0)
        SetCullMode(0);
    lastResult = Device().SetStreamSource(0, texture->quadBuffer, 0, DXC_Texture::kQuadVertexBytes);
    if (FAILED(lastResult))
        Error(" SetStreamSource in DrawLastTexture failed: %s", GetDirectXErrorName(lastResult));
    states.streams[0] = texture->quadBuffer;
    states.streamStrides[0] = DXC_Texture::kQuadVertexBytes;

    const DXC_SamplerStateCache saved = states.samplers[0];
    const int32_t address = texture->wrap ? D3DTADDRESS_WRAP : D3DTADDRESS_CLAMP;
    SetTextureAddressU(address, 0);
    SetTextureAddressV(address, 0);
    SetVertexFormat(DXC_Texture::kQuadFormat);
    auto draw = [&] {
        lastResult = Device().DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
        if (FAILED(lastResult))
            Error(" DrawPrimitive in DrawLastTexture failed: %s", GetDirectXErrorName(lastResult));
        CountDraw(2);
    };
    if (activeEffect && activeEffect->IsValid()) {
        UpdateEffectParameters(activeEffect);
        RunEffectPasses(*activeEffect, nullptr, 0, draw, false);
    } else {
        ResetShaders();
        draw();
    }

    if (saved.addressU >= 0)
        SetTextureAddressU(saved.addressU, 0);
    if (saved.addressV >= 0)
        SetTextureAddressV(saved.addressV, 0);
    if (quadDepthCountdown > 0 && --quadDepthCountdown == 0 && states.zEnableRestore != 0)
        SetRenderState(D3DRS_ZENABLE, DWORD(states.zEnableRestore));
    if (cull != 0)
        SetCullMode(cull);
    return 1;
}

template <class Vertex>
Vertex* DXC_Gfx::LockImmediate(DXC_VertexListTemp<Vertex>& list, int32_t count, int32_t kind)
{
    if (!list.GetBuffer())
        list.Create(&Device(), kImmediateVertices, kind);
    list.primitiveKind = kind;
    list.Lock(0, count, 0);
    return list.Vertices();
}

void DXC_Gfx::DrawImmediate(DXC_VertexList& list, D3DPRIMITIVETYPE type, int32_t primitives)
{
    list.Unlock();
    lastResult = Device().SetStreamSource(0, list.GetBuffer(), 0, list.vertexSize);
    if (FAILED(lastResult))
        Error("SetStreamSource in DrawVertexList failed: %s", GetDirectXErrorName(lastResult));
    states.streams[0] = list.GetBuffer();
    states.streamStrides[0] = list.vertexSize;
    SetVertexFormat(list.layout.vertexFormat);
    ResetShaders();
    lastResult = Device().DrawPrimitive(type, 0, uint32_t(primitives));
    if (FAILED(lastResult))
        Error("DrawPrimitive in DrawVertexList failed: %s", GetDirectXErrorName(lastResult));
    CountDraw(type == D3DPT_TRIANGLELIST ? primitives : 0);
}

int DXC_Gfx::DrawRectangle(float x1, float y1, float x2, float y2, uint32_t color, bool filled, float depth)
{
    auto& list = vertexLists->screen[0];
    const float corners[4][2] = {{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}};
    // Filled: two triangles; outlined: the four sides as a line list.
    static constexpr int32_t kFilled[6] = {0, 1, 3, 1, 2, 3};
    static constexpr int32_t kOutline[8] = {0, 1, 1, 2, 2, 3, 3, 0};
    const int32_t* order = filled ? kFilled : kOutline;
    const int32_t count = filled ? 6 : 8;
    DXC_TLVertex* v = LockImmediate(list, count, filled ? DXC_VertexList::kTriangleList : DXC_VertexList::kLineList);
    for (int32_t i = 0; i < count; i++)
        v[i] = {corners[order[i]][0], corners[order[i]][1], depth, ReciprocalW(depth), color, kQuadHighlight, 0, 0};
    DrawImmediate(list, filled ? D3DPT_TRIANGLELIST : D3DPT_LINELIST, filled ? 2 : 4);
    return 1;
}

int DXC_Gfx::DrawLine2D(float x1, float y1, float x2, float y2, uint32_t color, float depth)
{
    auto& list = vertexLists->screen[0];
    DXC_TLVertex* v = LockImmediate(list, 2, DXC_VertexList::kLineList);
    v[0] = {x1, y1, depth, ReciprocalW(depth), color, kQuadHighlight, 0, 0};
    v[1] = {x2, y2, depth, ReciprocalW(depth), color, kQuadHighlight, 0, 0};
    DrawImmediate(list, D3DPT_LINELIST, 1);
    return 1;
}

int DXC_Gfx::DrawLine3D(float x1, float y1, float z1, float x2, float y2, float z2, uint32_t color)
{
    auto& list = vertexLists->world[0];
    DXC_LVertex* v = LockImmediate(list, 2, DXC_VertexList::kLineList);
    v[0] = {x1, y1, z1, color, kQuadHighlight, 0, 0};
    v[1] = {x2, y2, z2, color, kQuadHighlight, 0, 0};
    DrawImmediate(list, D3DPT_LINELIST, 1);
    return 1;
}

int DXC_Gfx::DrawSprite3D(DXC_Texture* texture, const D3DXVECTOR3& position, float size, uint32_t color,
                          int32_t options)
{
    if (!texture || !texture->IsValid())
        return 0;
    const D3DXMATRIX viewProjection = viewMatrix * projectionMatrix;
    D3DXVECTOR4 clip;
    D3DXVec3Transform(&clip, &position, &viewProjection);
    if (!(clip.w > 0.0f))
        return 0;  // behind the camera
    const float depth = clip.z / clip.w;
    if (!(depth >= 0.0f && depth <= 1.0f))
        return 0;
    SetMaterialStages(texture, -1);
    if (options & kSpriteInWorld) {
        // Across the view: the camera's right and up axes are the view matrix's first two columns.
        const float half = size * 0.5f;
        const D3DXVECTOR3 right = D3DXVECTOR3(viewMatrix.m[0][0], viewMatrix.m[1][0], viewMatrix.m[2][0]) * half;
        const D3DXVECTOR3 up = D3DXVECTOR3(viewMatrix.m[0][1], viewMatrix.m[1][1], viewMatrix.m[2][1]) * half;
        const D3DXVECTOR3 corners[4] = {position - right - up, position - right + up, position + right - up,
                                        position + right + up};
        const float uv[4][2] = {{0, 1}, {0, 0}, {1, 1}, {1, 0}};
        auto& list = vertexLists->world[1];
        DXC_LVertex* v = LockImmediate(list, 4, DXC_VertexList::kTriangleStrip);
        for (int32_t i = 0; i < 4; i++)
            v[i] = {corners[i].x, corners[i].y, corners[i].z, color, kQuadHighlight, uv[i][0], uv[i][1]};
        DrawImmediate(list, D3DPT_TRIANGLESTRIP, 2);
        return 1;
    }
    // Facing the screen: size world units at that depth, through the vertical projection scale.
    const float x = float(viewport.X) + (clip.x / clip.w + 1.0f) * 0.5f * float(viewport.Width);
    const float y = float(viewport.Y) + (1.0f - clip.y / clip.w) * 0.5f * float(viewport.Height);
    const float half = size * projectionMatrix.m[1][1] * 0.5f * float(viewport.Height) / clip.w * 0.5f;
    const int32_t rect[4] = {int32_t(std::lround(x - half)), int32_t(std::lround(y - half)),
                             int32_t(std::lround(x + half)), int32_t(std::lround(y + half))};
    return DrawTextureUniform(rect, color, depth);
}

int DXC_Gfx::DrawCircle3D(const D3DXVECTOR3& centre, const D3DXVECTOR3& axis, float radius, uint32_t color,
                          int32_t segments)
{
    segments = std::clamp(segments, 3, kImmediateVertices - 1);
    D3DXVECTOR3 normal = axis;
    if (D3DXVec3Length(&normal) <= 0.0f)
        normal = D3DXVECTOR3(0, 1, 0);
    D3DXVec3Normalize(&normal, &normal);
    // Two axes across the normal span the circle's plane.
    const D3DXVECTOR3 other = std::fabs(normal.x) < 0.9f ? D3DXVECTOR3(1, 0, 0) : D3DXVECTOR3(0, 1, 0);
    D3DXVECTOR3 u, w;
    D3DXVec3Cross(&u, &normal, &other);
    D3DXVec3Normalize(&u, &u);
    D3DXVec3Cross(&w, &normal, &u);
    auto& list = vertexLists->world[0];
    DXC_LVertex* v = LockImmediate(list, segments + 1, DXC_VertexList::kLineStrip);
    for (int32_t i = 0; i <= segments; i++) {
        const float a = 2.0f * float(M_PI) * float(i % segments) / float(segments);
        const D3DXVECTOR3 p = centre + (u * std::cos(a) + w * std::sin(a)) * radius;
        v[i] = {p.x, p.y, p.z, color, kQuadHighlight, 0, 0};
    }
    DrawImmediate(list, D3DPT_LINESTRIP, segments);
    return 1;
}

void DXC_Gfx::GetScreenSize(int32_t& width, int32_t& height) const
{
    if (windowed) {
        width = clientRect.right - clientRect.left;
        height = clientRect.bottom - clientRect.top;
    } else {
        width = displayWidth;
        height = displayHeight;
    }
}

template DXC_VertexPosTex* DXC_Gfx::LockImmediate(DXC_VertexListTemp<DXC_VertexPosTex>&, int32_t, int32_t);
template DXC_PointVertex* DXC_Gfx::LockImmediate(DXC_VertexListTemp<DXC_PointVertex>&, int32_t, int32_t);
