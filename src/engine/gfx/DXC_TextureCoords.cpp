// DXC_Texture coordinates: the frame of texture coordinates through which the GUI and the HUD
// draw a texture as a screen quad (source rectangles, flips, quarter turns), the drawn size, and
// the quad's vertex buffer that carries the coordinates.
#include "engine/gfx/DXC_Texture.h"

#include "platform/D3D9Device.h"

#include <cmath>
#include <cstring>

namespace {

constexpr uint32_t kQuadVertexBytes = DXC_Texture::kQuadVertexBytes;
constexpr uint32_t kQuadFormat = DXC_Texture::kQuadFormat;
constexpr uint32_t kTexCoordOffset = 24;

int32_t RoundHalfAway(float value)
{
    return int32_t(std::lround(value));
}

}  // namespace

// The origin sits a quarter texel inside the first corner and the axes stop short of the far
// edge, so that bilinear sampling of the quad's border never reaches a neighbouring texel.
void DXC_Texture::SetSourceRect(float x1, float y1, float x2, float y2, bool setDrawSize, bool swapAxes)
{
    const float w = float(pixelWidth), h = float(pixelHeight);
    if (w <= 0.0f || h <= 0.0f)  // no image yet: nothing to measure the rectangle against
        return;
    const float sx = x2 > x1 ? 1.0f : -1.0f, sy = y2 > y1 ? 1.0f : -1.0f;
    float xAxis[2] = {(x2 - x1 - 0.02f * sx) / w, 0.0f};
    float yAxis[2] = {0.0f, (y2 - y1 - 0.02f * sy) / h};
    if (swapAxes)
        std::swap(xAxis, yAxis);
    SetTexCoords((x1 + 0.25f * sx) / w, (y1 + 0.25f * sy) / h, xAxis[0], xAxis[1], yAxis[0], yAxis[1]);
    if (setDrawSize) {
        drawWidth = std::fabs(x2 - x1);
        drawHeight = std::fabs(y2 - y1);
    }
}

void DXC_Texture::SetFullSourceRect()
{
    SetSourceRect(0.0f, 0.0f, std::round(drawWidth), std::round(drawHeight), false, false);
}

void DXC_Texture::SetSize(int32_t width, int32_t height)
{
    drawWidth = float(width);
    drawHeight = float(height);
    SetSourceRect(0.0f, 0.0f, float(width), float(height), false, false);
}

void DXC_Texture::SetTexCoords(float originU, float originV, float xAxisU, float xAxisV, float yAxisU, float yAxisV)
{
    const float values[6] = {originU, originV, xAxisU, xAxisV, yAxisU, yAxisV};
    std::memcpy(texCoords, values, sizeof(values));
    quadStale = 1;
}

void DXC_Texture::GetTexCoords(float origin[2], float xAxis[2], float yAxis[2]) const
{
    for (int i = 0; i < 2; i++) {
        origin[i] = texCoords[i];
        xAxis[i] = texCoords[2 + i];
        yAxis[i] = texCoords[4 + i];
    }
}

// The half-texel step keeps the quarter-texel inset of the source rectangle on the new first edge.
void DXC_Texture::FlipAxis(int32_t axis, int32_t size)
{
    float* origin = texCoords;
    float* vector = texCoords + 2 + 2 * axis;  // the x axis or the y axis
    if (size > 0)
        origin[axis] += (vector[axis] > 0.0f ? -0.5f : 0.5f) / float(size);
    for (int i = 0; i < 2; i++) {
        origin[i] += vector[i];
        vector[i] = -vector[i];
    }
    quadStale = 1;
}

void DXC_Texture::FlipHorizontal()
{
    FlipAxis(0, pixelWidth);
}

void DXC_Texture::FlipVertical()
{
    FlipAxis(1, pixelHeight);
}

// Turned in texels, so that a quarter turn of a frame on a texture that is not square stays one.
void DXC_Texture::Rotate90(bool clockwise)
{
    if (pixelWidth <= 0 || pixelHeight <= 0)
        return;
    const double w = pixelWidth, h = pixelHeight;
    double origin[2] = {texCoords[0] * w, texCoords[1] * h};
    const double xAxis[2] = {texCoords[2] * w, texCoords[3] * h};
    const double yAxis[2] = {texCoords[4] * w, texCoords[5] * h};
    double newX[2], newY[2];
    if (clockwise) {
        origin[0] += xAxis[0];
        origin[1] += xAxis[1];
        newX[0] = yAxis[0];
        newX[1] = yAxis[1];
        newY[0] = -xAxis[0];
        newY[1] = -xAxis[1];
    } else {
        origin[0] += yAxis[0];
        origin[1] += yAxis[1];
        newX[0] = -yAxis[0];
        newX[1] = -yAxis[1];
        newY[0] = xAxis[0];
        newY[1] = xAxis[1];
    }
    SetTexCoords(float(origin[0] / w), float(origin[1] / h), float(newX[0] / w), float(newX[1] / h),
                 float(newY[0] / w), float(newY[1] / h));
}

void DXC_Texture::SetCenter(float x, float y)
{
    hotSpotX = x;
    hotSpotY = y;
}

void DXC_Texture::GetDrawSize(float& width, float& height) const
{
    width = drawWidth;
    height = drawHeight;
}

void DXC_Texture::GetDrawSizeInt(int32_t& width, int32_t& height) const
{
    width = int32_t(drawWidth);
    height = int32_t(drawHeight);
}

void DXC_Texture::GetRect(int32_t rect[4]) const
{
    const float w = float(pixelWidth), h = float(pixelHeight);
    rect[0] = RoundHalfAway(texCoords[0] * w);
    rect[1] = RoundHalfAway(texCoords[1] * h);
    rect[2] = RoundHalfAway((texCoords[0] + texCoords[2] + texCoords[4]) * w);
    rect[3] = RoundHalfAway((texCoords[1] + texCoords[3] + texCoords[5]) * h);
}

void DXC_Texture::CreateQuadBuffer()
{
    if (quadBuffer)
        quadBuffer->Release();
    quadBuffer = nullptr;
    IDirect3DDevice9* made = GetDevice();
    const HRESULT result = made ? made->CreateVertexBuffer(4 * kQuadVertexBytes, D3DUSAGE_WRITEONLY, kQuadFormat,
                                                           D3DPOOL_SYSTEMMEM, &quadBuffer, nullptr)
                                : D3DERR_INVALIDCALL;
    if (FAILED(result))
        Error("CreateVertexBuffer failed: %s", GetDirectXErrorName(result));
    quadStale = 1;
}

void DXC_Texture::UpdateQuad()
{
    if (!quadBuffer)
        CreateQuadBuffer();
    void* data = nullptr;
    const HRESULT result = quadBuffer->Lock(0, 0, &data, 0);
    if (FAILED(result))
        Error(" VB Lock failed: %s", GetDirectXErrorName(result));
    const float* o = texCoords;
    const float corners[4][2] = {
        {o[0] + o[4], o[1] + o[5]},
        {o[0], o[1]},
        {o[0] + o[2] + o[4], o[1] + o[3] + o[5]},
        {o[0] + o[2], o[1] + o[3]},
    };
    auto* bytes = static_cast<uint8_t*>(data);
    for (int v = 0; v < 4; v++)
        std::memcpy(bytes + v * kQuadVertexBytes + kTexCoordOffset, corners[v], sizeof(corners[v]));
    quadBuffer->Unlock();
    quadStale = 0;
}
