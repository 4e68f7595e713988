// VSD_Viewer: what the floor keeps per grid vertex and per cell besides its heights: the sectors
// that walls divide a vertex into, the surface frames of the smooth floor normal, and the cover
// map that the players' exploration reveals with its minimap colours, and how far a point of the
// floor is revealed.
#include "level/VSD_Viewer.h"

#include "base/File.h"

#include <algorithm>
#include <cmath>
#include <vector>

void VSD_Viewer::AnalyseVertexWalls(int32_t x, int32_t y)
{
    if (x < 0 || y < 0 || x > m_MapWidth || y > m_MapHeight)
        return;
    const size_t index = size_t(y) * (size_t(m_MapWidth) + 1) + size_t(x);
    if (index >= m_FloorVertices.size())
        return;
    VSD_FloorVertex& vertex = m_FloorVertices[index];
    int32_t bits[8];
    int32_t k = 0;
    for (int32_t b = 0; b < 8; b++)
        if (vertex.wallMask & (1 << b))
            bits[k++] = b;
    if (k < 2) {
        vertex.sectorCount = 1;
        vertex.sectorMids[0] = uint8_t(k == 0 ? 16 : 2 * ((bits[0] + 4) % 8));
        for (uint8_t& sector : vertex.sectorOf)
            sector = 0;
        return;
    }
    vertex.sectorCount = uint8_t(k);
    for (int32_t j = 0; j + 1 < k; j++) {
        vertex.sectorMids[j] = uint8_t(bits[j] + bits[j + 1]);
        for (int32_t d = bits[j]; d < bits[j + 1]; d++)
            vertex.sectorOf[d] = uint8_t(j);
    }
    vertex.sectorMids[k - 1] = uint8_t((bits[0] + bits[k - 1] + 8) % 16);
    for (int32_t d = bits[k - 1]; d != bits[0]; d = (d + 1) % 8)
        vertex.sectorOf[d] = uint8_t(k - 1);
}

namespace {

// Writes a frame (N, A, B) with B = N x (1, 0, 0) and A = B x N, both unnormalised.
void WriteFrame(float* record, const D3DXVECTOR3& n)
{
    const D3DXVECTOR3 b(0.0f, n.z, -n.y);
    D3DXVECTOR3 a;
    D3DXVec3Cross(&a, &b, &n);
    const float values[VSD_Viewer::kFrameFloats] = {n.x, n.y, n.z, a.x, a.y, a.z, b.x, b.y, b.z};
    for (int32_t i = 0; i < VSD_Viewer::kFrameFloats; i++)
        record[i] = values[i];
}

}  // namespace

void VSD_Viewer::CalcSurfaceFrames()
{
    const size_t row = size_t(m_MapWidth) + 1;
    const size_t vertices = row * (size_t(m_MapHeight) + 1);
    if (m_Heights.size() < vertices || m_CornerFrames.size() < vertices * kFrameFloats ||
        m_CellFrames.size() < vertices * kFrameFloats)
        return;
    auto height = [&](int32_t x, int32_t y) { return m_Heights[size_t(y) * row + size_t(x)]; };
    // Corner normals from the slopes at each vertex: central differences inside, one-sided at
    // the map's edges. The vertices of the last column and row keep zero records.
    for (int32_t y = 0; y < m_MapHeight; y++) {
        for (int32_t x = 0; x < m_MapWidth; x++) {
            const int32_t x0 = x > 0 ? x - 1 : x;
            const int32_t y0 = y > 0 ? y - 1 : y;
            const float gx = (height(x + 1, y) - height(x0, y)) / (float(x + 1 - x0) * m_CellWidthF);
            const float gy = (height(x, y + 1) - height(x, y0)) / (float(y + 1 - y0) * m_CellHeightF);
            const float length = std::sqrt(gx * gx + gy * gy + 1.0f);
            WriteFrame(&m_CornerFrames[(size_t(y) * row + size_t(x)) * kFrameFloats],
                       D3DXVECTOR3(-gx / length, -gy / length, 1.0f / length));
        }
    }
    for (int32_t y = 0; y < m_MapHeight; y++) {
        for (int32_t x = 0; x < m_MapWidth; x++) {
            D3DXVECTOR3 sum;
            for (int32_t corner = 0; corner < 4; corner++) {
                const float* n = &m_CornerFrames[(size_t(y + corner / 2) * row + size_t(x + corner % 2)) * kFrameFloats];
                sum += D3DXVECTOR3(n[0], n[1], n[2]);
            }
            D3DXVec3Normalize(&sum, &sum);
            WriteFrame(&m_CellFrames[(size_t(y) * row + size_t(x)) * kFrameFloats], sum);
        }
    }
}

D3DXVECTOR3 VSD_Viewer::GetSmoothFloorNormal(float x, float y) const
{
    const float fx = std::floor(x / m_CellWidthF);
    const float fy = std::floor(y / m_CellHeightF);
    const size_t row = size_t(m_MapWidth) + 1;
    if (!(fx >= 0.0f && fx < float(m_MapWidth - 1) && fy >= 0.0f && fy < float(m_MapHeight - 1)) ||
        m_CornerFrames.size() < row * (size_t(m_MapHeight) + 1) * kFrameFloats)
        return {0.0f, 0.0f, 1.0f};
    // The corner normals of the cell, blended by the point's place in it.
    const size_t cx = size_t(fx);
    const size_t cy = size_t(fy);
    const float s = x / m_CellWidthF - fx;
    const float t = y / m_CellHeightF - fy;
    const float weights[4] = {(1 - s) * (1 - t), s * (1 - t), (1 - s) * t, s * t};
    D3DXVECTOR3 sum;
    for (size_t corner = 0; corner < 4; corner++) {
        const float* n = &m_CornerFrames[((cy + corner / 2) * row + cx + corner % 2) * kFrameFloats];
        sum += D3DXVECTOR3(n[0], n[1], n[2]) * weights[corner];
    }
    D3DXVec3Normalize(&sum, &sum);
    if (sum.z == 0.0f && sum.x == 0.0f && sum.y == 0.0f)
        return {0.0f, 0.0f, 1.0f};
    return sum;
}

uint32_t VSD_Viewer::GetMiniMapColour(int32_t x, int32_t y) const
{
    const VSD_Parcel* parcel = GetParcel(x, y);
    if (!parcel || parcel->textureId < 0)
        return 0x00000000;  // no floor: transparent
    if (parcel->textureId == 0)
        return 0xFF000000;
    if (size_t(parcel->textureId) >= m_FloorTextures.size())
        return 0xFF000000;
    const VSD_TextureDesc& texture = m_FloorTextures[size_t(parcel->textureId)];
    if (!texture.colours || texture.colourWidth <= 0 || texture.colourHeight <= 0)
        return kUnfilledMiniMapColour;  // no step of the load fills the table
    const int32_t column = parcel->subX % texture.colourWidth;
    const int32_t row = parcel->subY % texture.colourHeight;
    return texture.colours[size_t(row) * size_t(texture.colourWidth) + size_t(column)];
}

// The image: a 14-byte file header ("BM", file size, 0, pixel offset 54), a 40-byte information
// header (width, height, 1 plane, 32 bits, no compression, the pixel bytes, 2835 pixels a metre
// both ways, no palette), then the rows from the bottom up.
bool VSD_Viewer::SaveMiniMap(const char* fileName) const
{
    const int32_t width = m_MapWidth > 0 ? m_MapWidth : 0;
    const int32_t height = m_MapHeight > 0 ? m_MapHeight : 0;
    const int32_t pixelBytes = width * height * 4;  // at most 32767 x 32767 cells
    std::vector<uint8_t> pixels(static_cast<size_t>(pixelBytes));
    size_t at = 0;
    for (int32_t y = height - 1; y >= 0; y--)
        for (int32_t x = 0; x < width; x++) {
            const uint32_t colour = GetMiniMapColour(x, y);
            for (int32_t shift = 0; shift < 32; shift += 8)
                pixels[at++] = uint8_t(colour >> shift);
        }
    File file;
    if (!file.Create(String(fileName), true))
        return false;
    bool written = file.Write("BM", 2) && file.WriteInt32(54 + pixelBytes) && file.WriteInt32(0) &&
                   file.WriteInt32(54);
    written = written && file.WriteInt32(40) && file.WriteInt32(width) && file.WriteInt32(height) &&
              file.WriteInt16(1) && file.WriteInt16(32) && file.WriteInt32(0) && file.WriteInt32(pixelBytes) &&
              file.WriteInt32(2835) && file.WriteInt32(2835) && file.WriteInt32(0) && file.WriteInt32(0);
    return written && (pixels.empty() || file.Write(pixels.data(), pixels.size()));
}

void VSD_Viewer::RevealCoverCell(int32_t x, int32_t y)
{
    if (!IsValidMapCell(x, y))
        return;
    const size_t cell = size_t(y) * size_t(m_MapWidth) + size_t(x);
    const size_t vertex = size_t(y) * (size_t(m_MapWidth) + 1) + size_t(x);
    if (cell >= m_RevealedCells.size() || cell >= m_CoverPixels.size() || vertex >= m_FloorVertices.size() ||
        m_RevealedCells[cell])
        return;
    if (m_FloorVertices[vertex].exploration > 0.8f) {
        m_CoverPixels[cell] = GetMiniMapColour(x, y);
        m_RevealedCells[cell] = 1;
    }
}

bool VSD_Viewer::IsCoverCellRevealed(int32_t x, int32_t y) const
{
    if (!IsValidMapCell(x, y))
        return false;
    const size_t cell = size_t(y) * size_t(m_MapWidth) + size_t(x);
    return cell < m_RevealedCells.size() && m_RevealedCells[cell] != 0;
}

uint32_t VSD_Viewer::GetCoverPixel(int32_t x, int32_t y) const
{
    if (!IsValidMapCell(x, y))
        return 0;
    const size_t cell = size_t(y) * size_t(m_MapWidth) + size_t(x);
    return cell < m_CoverPixels.size() ? m_CoverPixels[cell] : 0;
}

bool VSD_Viewer::IsCellExplored(float x, float y) const
{
    if (m_CellWidth <= 0 || m_CellHeight <= 0 || !(std::fabs(x) < 1e9f && std::fabs(y) < 1e9f))
        return false;  // far outside, or not a number
    const int64_t cx = int64_t(x) / m_CellWidth;  // truncating, as the cells are counted
    const int64_t cy = int64_t(y) / m_CellHeight;
    if (cx < 0 || cy < 0 || cx >= m_MapWidth || cy >= m_MapHeight)
        return false;
    const size_t row = size_t(m_MapWidth) + 1;
    const size_t first = size_t(cy) * row + size_t(cx);
    if (first + row + 1 >= m_FloorVertices.size())
        return false;
    const float sum = m_FloorVertices[first].exploration + m_FloorVertices[first + 1].exploration +
                      m_FloorVertices[first + row].exploration + m_FloorVertices[first + row + 1].exploration;
    return sum > 0.0f;
}

float VSD_Viewer::GetFloorVisibility(float x, float y) const
{
    const size_t row = size_t(m_MapWidth) + 1;
    if (m_MapWidth <= 0 || m_MapHeight <= 0 || !(m_CellWidthF > 0.0f) || !(m_CellHeightF > 0.0f) ||
        m_FloorVertices.size() < row * (size_t(m_MapHeight) + 1) || !std::isfinite(x) || !std::isfinite(y))
        return 1.0f;
    const float u = std::clamp(x / m_CellWidthF, 0.0f, float(m_MapWidth));
    const float v = std::clamp(y / m_CellHeightF, 0.0f, float(m_MapHeight));
    const size_t cx = std::min(size_t(u), size_t(m_MapWidth) - 1);
    const size_t cy = std::min(size_t(v), size_t(m_MapHeight) - 1);
    const float fx = u - float(cx);
    const float fy = v - float(cy);
    auto at = [&](size_t column, size_t line) { return m_FloorVertices[line * row + column].exploration; };
    const float top = at(cx, cy) + (at(cx + 1, cy) - at(cx, cy)) * fx;
    const float bottom = at(cx, cy + 1) + (at(cx + 1, cy + 1) - at(cx, cy + 1)) * fx;
    return top + (bottom - top) * fy;
}
