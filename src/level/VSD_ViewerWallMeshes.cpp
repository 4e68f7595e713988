// VSD_Viewer: walls added to the level: their segments with the grid cell and cell code of every
// segment point, and the meshes of their descriptions: the standard quad with the wall texture for
// normal walls (the texture's top rows faded in), the scene files of filemesh walls scaled to the
// description's size.
#include "level/VSD_Viewer.h"

#include "base/File.h"
#include "base/TextFileReaderBase.h"
#include "engine/gfx/DXC_Gfx.h"
#include "engine/scene/DXC_3dScene.h"
#include "engine/scene/DXC_Mesh.h"
#include "level/VSD_WallMeshes.h"
#include "world/GameCtrlInterface.h"

#include <cassert>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

// Per direction code: the offset and code of the points before the last, then of the last point.
struct CellCodeRow {
    int32_t x, y;
    uint8_t code;
    int32_t lastX, lastY;
    uint8_t lastCode;
};
constexpr CellCodeRow kCellCodes[9] = {
    {-1, 0, 2, 0, -1, 7},  {-1, 0, 3, -1, -1, 5}, {0, 0, 1, -1, -1, 4},
    {-1, -1, 4, 0, -1, 6}, {0, 0, 0, 0, 0, 0},    {0, 0, 0, -1, 0, 2},
    {-1, -1, 5, 0, 0, 0},  {0, -1, 7, 0, 0, 1},   {0, -1, 6, -1, 0, 3},
};
constexpr int16_t kNotCellAligned = 4;

constexpr float kWallMeshSpan = 100.0f;     // a mesh of "dimensionXZ" size spans this many units
constexpr uint32_t kWallVertexFormat = 0x112;  // position, normal, one texture coordinate set
constexpr int32_t kWallTextureOptions = 0x8000;

// A point's cell: the quotient rounded half away from zero.
int32_t RoundedCell(float v, float cell)
{
    if (!(cell > 0.0f))
        return 0;
    const float q = v / cell;
    const float r = q >= 0.0f ? q + 0.5f : q - 0.5f;
    if (!(r > -2e9f))
        return r != r ? 0 : -2000000000;
    return r < 2e9f ? int32_t(r) : 2000000000;
}

// The first rows of a 32-bit texture grow from nearly transparent to their own alpha over the
// fraction fade of its height.
void FadeTopRows(DXC_Texture& texture, float fade)
{
    D3DSURFACE_DESC desc;
    if (!texture.currentTexture || FAILED(texture.currentTexture->GetLevelDesc(0, &desc)) ||
        desc.Format != D3DFMT_A8R8G8B8)
        return;  // only a 32-bit ARGB image has an alpha byte to fade
    const float f = float(texture.pixelHeight) * fade;
    const int32_t width = std::min(texture.pixelWidth, int32_t(desc.Width));  // beyond the surface: skipped
    const int32_t height = int32_t(desc.Height);
    D3DLOCKED_RECT locked;
    if (!texture.Lock(locked, 0))
        return;
    auto* bits = static_cast<uint8_t*>(locked.pBits);
    for (int32_t x = 0; x < width; x++) {
        for (int32_t y = 0; y < height && float(y) < f; y++) {
            uint8_t& alpha = bits[size_t(y) * size_t(locked.Pitch) + size_t(x) * 4 + 3];
            alpha = uint8_t(std::lround(float(alpha) * float(y + 1) / (f + 1.0f)));
        }
    }
    texture.Unlock();
    texture.CreateMipMaps();
}

}  // namespace

VSD_WallMeshes* VSD_Viewer::GetWallMeshes(int32_t descIndex)
{
    if (descIndex < 0 || size_t(descIndex) >= m_WallDescs.size())
        return nullptr;
    if (m_WallMeshes.size() < m_WallDescs.size())
        m_WallMeshes.resize(m_WallDescs.size());
    std::unique_ptr<VSD_WallMeshes>& meshes = m_WallMeshes[size_t(descIndex)];
    if (!meshes)
        meshes = std::make_unique<VSD_WallMeshes>();
    return meshes.get();
}

DXC_Mesh& VSD_Viewer::GetStandardWallMesh()
{
    if (m_StandardWallMesh)
        return *m_StandardWallMesh;
    assert(m_Gfx);  // callers load wall meshes only with a graphics object
    auto mesh = std::make_unique<DXC_Mesh>();
    mesh->SetObjectName("StandardWall");
    mesh->AllocMaterials(1);
    m_Gfx->CreateMesh(mesh.get(), 2, 4, 1, kWallVertexFormat, 0, 0, 0, 0, 0);
    // The unit square standing on the wall's first axis, facing along its normal (the third axis).
    const float corners[4][2] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}};
    mesh->LockAll(0);
    for (int32_t n = 0; n < 4; n++) {
        mesh->SetVertexPosition(n, D3DXVECTOR3(corners[n][0], corners[n][1], 0.0f));
        mesh->SetVertexNormal(n, D3DXVECTOR3(0.0f, 0.0f, 1.0f));
        mesh->SetVertexFloat(n, mesh->layout.texCoordOffset, corners[n][0]);
        mesh->SetVertexFloat(n, mesh->layout.texCoordOffset + 4, 1.0f - corners[n][1]);
    }
    const uint16_t faces[6] = {0, 2, 1, 0, 3, 2};
    auto* indices = static_cast<uint16_t*>(mesh->lockedIndexData);
    for (int32_t i = 0; i < 6; i++)
        indices[i] = faces[i];
    mesh->UnlockAll();
    mesh->ComputeBounds();
    m_StandardWallMesh = std::move(mesh);
    return *m_StandardWallMesh;
}

void VSD_Viewer::AddWall(int32_t id)
{
    VSD_WallIntern& wall = *GetWall(id);
    if (!wall.m_HasMesh)
        return;  // walls without a mesh are not cut
    wall.m_DescIndex = wall.m_DescID;
    const int32_t dx = std::abs(int32_t(wall.m_GridX1) - int32_t(wall.m_GridX2));
    const int32_t dy = std::abs(int32_t(wall.m_GridY1) - int32_t(wall.m_GridY2));
    int32_t n = dy < dx ? dx : dy;
    if (n == 0) {
        Warning("Invalid wall in VSD file at pos %i,%i (too small)", TextFileReaderBase::TruncToInt32(wall.m_X1),
                TextFileReaderBase::TruncToInt32(wall.m_Y1));
        n = 1;
    }
    if (n + 1 >= kMaxWallSegments)
        Error("Can not create wall with %i segments", n);
    wall.m_SegmentPoints.assign(size_t(n) + 1, VSD_CellPoint());
    wall.m_CellCodes.assign(size_t(n) + 1, 0);
    wall.m_SegmentCount = int16_t(n);

    const bool meshType = wall.m_WallType == WallDesc::kTypeNormal || wall.m_WallType == WallDesc::kTypeFileMesh;
    // Without a graphics object nothing can be loaded.
    VSD_WallMeshes* meshes = m_Gfx && meshType ? GetWallMeshes(wall.m_DescIndex) : nullptr;
    if (meshes && wall.m_WallType == WallDesc::kTypeNormal) {
        LoadWallTexture(wall.m_DescIndex);
        GetStandardWallMesh().CloneInto(meshes->front, false, false);
        meshes->front.SetTexture(meshes->wallTexture, 0);
    } else if (meshes && wall.m_WallType == WallDesc::kTypeFileMesh) {
        WallDesc& desc = m_WallDescs[size_t(wall.m_DescIndex)];
        if (desc.file[0])
            ReadWallMesh(desc, *meshes, 0);
        if (desc.fileBack[0]) {
            ReadWallMesh(desc, *meshes, 1);
            wall.m_HasBackMesh = 1;
        }
    }
    CalcWallCells(id);
}

void VSD_Viewer::ReadWallMesh(WallDesc& desc, VSD_WallMeshes& meshes, int32_t side)
{
    const char* name = side ? desc.fileBack : desc.file;
    DXC_Mesh& target = side ? meshes.back : meshes.front;
    int32_t& size = side ? meshes.backFileSize : meshes.frontFileSize;
    if (target.HasDeviceMesh()) {
        if (!GetCtrl().GetDebugMode())
            return;
        File file;
        if (!file.Open(name, true, File::kVirtualFile, false))  // measured as the scene loader measures
            Error("Can not re-open wallmesh file '%s'", name);
        if (file.GetSize() == size) {
            target.AreTextureFilesUnchanged();
            return;
        }
    }
    DXC_3dScene scene;
    m_Gfx->LoadScene(&scene, name, m_WallShader < 1 ? 8 : -1);
    DXC_Mesh* mesh = scene.GetMeshAt(0);
    ScaleWallMesh(desc, mesh, side);
    mesh->CloneInto(target, false, false);
    size = scene.fileSize;
}

void VSD_Viewer::ScaleWallMesh(WallDesc& desc, DXC_Mesh* mesh, int32_t side)
{
    if (!mesh)
        Error("Wall file '%s' without mesh", desc.file);
    D3DXMATRIX m = mesh->worldMatrix;
    if (desc.localCoords != 0) {
        float lengths[3];
        for (int32_t row = 0; row < 3; row++)
            lengths[row] = std::sqrt(m.m[row][0] * m.m[row][0] + m.m[row][1] * m.m[row][1] + m.m[row][2] * m.m[row][2]);
        D3DXMatrixScaling(&m, lengths[0], lengths[1], lengths[2]);
    }
    // Scaled after the mesh's own placement, so that a mesh of that size spans 100 units; a size
    // of 0 or below (the reader refuses it) scales nothing.
    const float scaleX = desc.dimensionXZ[0] > 0.0f ? kWallMeshSpan / desc.dimensionXZ[0] : 1.0f;
    const float scaleZ = desc.dimensionXZ[1] > 0.0f ? kWallMeshSpan / desc.dimensionXZ[1] : 1.0f;
    for (int32_t row = 0; row < 4; row++) {
        m.m[row][0] *= scaleX;
        m.m[row][2] *= scaleZ;
    }
    const int32_t mirrored = D3DXMatrixDeterminant(&m) < 0.0f ? 1 : 0;
    (side ? desc.backMirrored : desc.frontMirrored) = mirrored;
    mesh->TransformVertices(m);
}

void VSD_Viewer::LoadWallTexture(int32_t descIndex)
{
    VSD_WallMeshes* meshes = m_Gfx ? GetWallMeshes(descIndex) : nullptr;
    if (!meshes)
        return;
    const WallDesc& desc = m_WallDescs[size_t(descIndex)];
    DXC_Texture& texture = meshes->wallTexture;
    if (texture.IsValid() || desc.type != WallDesc::kTypeNormal || !desc.file[0])
        return;
    const bool fade = m_Gfx->GetBackBufferFormat() != D3DFMT_R5G6B5 && m_WallFade != 0.0f;
    m_Gfx->LoadTexture(&texture, desc.file, 0, kWallTextureOptions, fade ? int32_t(D3DFMT_A8R8G8B8) : -1, m_WallMipMap);
    if (!fade)
        return;
    // The server's placeholder stands for every texture it loads: fading it would fade them all,
    // and nothing there is drawn.
    if (m_Gfx->HasPlaceholderTexture() && texture.currentTexture == m_Gfx->GetPlaceholderTexture().currentTexture)
        return;
    FadeTopRows(texture, m_WallFade);
}

void VSD_Viewer::CalcWallCells(int32_t id)
{
    VSD_WallIntern& wall = *GetWall(id);
    UpdateWallGeometry(wall);
    const int32_t n = wall.m_SegmentCount;
    const int32_t direction = wall.m_GridDirection;
    if (direction == kNotCellAligned || direction < 0 || direction > 8)
        wall.m_OnGrid = 0;
    if (wall.m_HasMesh && n > 0 && wall.m_SegmentPoints.size() == size_t(n) + 1 &&
        wall.m_CellCodes.size() == size_t(n) + 1) {
        if (wall.m_OnGrid) {
            const int32_t x1 = wall.m_GridX1;
            const int32_t y1 = wall.m_GridY1;
            const int32_t sx = (int32_t(wall.m_GridX2) - x1) / n;
            const int32_t sy = (int32_t(wall.m_GridY2) - y1) / n;
            const CellCodeRow& row = kCellCodes[direction];
            for (int32_t i = 0; i <= n; i++) {
                const bool last = i == n;
                VSD_CellPoint& point = wall.m_SegmentPoints[size_t(i)];
                point.x = x1 + i * sx + (last ? row.lastX : row.x);
                point.y = y1 + i * sy + (last ? row.lastY : row.y);
                wall.m_CellCodes[size_t(i)] = last ? row.lastCode : row.code;
            }
        } else {
            const float stepX = (wall.m_X2 - wall.m_X1) / float(n);
            const float stepY = (wall.m_Y2 - wall.m_Y1) / float(n);
            float x = wall.m_X1;
            float y = wall.m_Y1;
            for (int32_t i = 0; i <= n; i++, x += stepX, y += stepY) {
                wall.m_SegmentPoints[size_t(i)] = {RoundedCell(x, m_CellWidthF), RoundedCell(y, m_CellHeightF)};
                wall.m_CellCodes[size_t(i)] = 0;
            }
        }
    }
    wall.UpdateTransform();
}
