// VSD_Viewer: construction, the level load sequence with its reload rule, the translation of the
// file's ids into description indices, and freeing.
#include "level/VSD_Viewer.h"

#include "base/File.h"
#include "base/Log.h"
#include "base/SearchTree.h"
#include "engine/gfx/DXC_Gfx.h"
#include "engine/scene/DXC_Light.h"
#include "engine/scene/DXC_Mesh.h"
#include "level/LevelErrorText.h"
#include "level/VSD_WallMeshes.h"
#include "world/GameCtrlInterface.h"

namespace {

// What a desc index can hold as a key: not empty, the first character within 32..127.
bool IsIndexableName(const char* name)
{
    return name && static_cast<unsigned char>(*name) >= 32 && static_cast<unsigned char>(*name) <= 127;
}

}  // namespace

VSD_Viewer::VSD_Viewer(DXC_Gfx* gfx) : m_Gfx(gfx)
{
    CopyName32(this, "Undefined");
    CopyName32(this, "VSD_Viewer");
}

VSD_Viewer::~VSD_Viewer() { FreeAll(); }

GameCtrlInterface& VSD_Viewer::GetCtrl()
{
    GameCtrlInterface* ctrl = m_GameCtrl ? m_GameCtrl : g_GameCtrl;
    if (!ctrl)
        Error("No game controller");
    return *ctrl;
}

void VSD_Viewer::ShowProgress(float percent) { GetCtrl().ShowLoadingProgress(percent, 0, 1.0f, 1); }

bool VSD_Viewer::IsWholeMap() const
{
    return m_ActiveX1 == 0 && m_ActiveY1 == 0 && m_ActiveX2 == m_MapWidth - 1 && m_ActiveY2 == m_MapHeight - 1;
}

void VSD_Viewer::GetActiveRect(int32_t rect[4]) const
{
    rect[0] = m_ActiveX1;
    rect[1] = m_ActiveY1;
    rect[2] = m_ActiveX2;
    rect[3] = m_ActiveY2;
}

void VSD_Viewer::SetCellSize(int16_t width, int16_t height)
{
    m_CellWidth = width;
    m_CellHeight = height;
    m_CellWidthF = float(width);
    m_CellHeightF = float(height);
}

int32_t VSD_Viewer::LoadLevel(const char* name, int32_t insertWalls, int32_t skipTextures)
{
    const String fileName(name);
    Log::Write("Try to load vsd file %s", fileName.c_str());
    ShowProgress(4.0f);
    if (m_Gfx)
        RegisterLoadedFile(m_Gfx->loadedFiles, fileName);

    int32_t size = -1;
    {
        File file;
        if (file.Open(fileName, true, File::kDiskFile, false))
            size = file.GetFileSize();
    }
    int32_t reload = m_LastFileSize != -1 && m_LastFileSize == size && m_FileName.EqualsNoCase(fileName);
    const bool debug = GetCtrl().GetDebugMode() != 0;
    if (reload && debug &&
        (AnyLevelFileChanged(m_WallFiles, m_WallFileSizes) || AnyLevelFileChanged(m_ObjectFiles, m_ObjectFileSizes) ||
         AnyLevelFileChanged(m_FloorTexFiles, m_FloorTexFileSizes)))
        reload = 0;

    m_LastFileSize = -1;  // until this load ends well: a failed one must not pass for the level later
    FreeLevelStuff(reload);
    Log::Write("LevelStuff freed");
    ShowProgress(6.0f);

    m_FileName = fileName;
    LoadFile(reload, insertWalls);
    Log::Write("LoadFile() done");

    if (!reload && !skipTextures) {
        const int32_t count = ReadTextureDescFiles(m_FloorTextures, m_FloorTexFiles, nullptr, false);
        Log::Write("Vsd textures loaded");
        if (count < 1)
            Error("FILE %s", LevelErrorText::Get());
        m_NumFloorTextures = count;
    }
    ShowProgress(8.0f);

    if (!reload) {
        const int16_t floorSize = GetCtrl().GetFloorSizeSetting();
        SetViewFloorSize(floorSize, floorSize);
        Log::Write("Floor init");
    }

    if (!skipTextures)
        MapFileIDs();
    ShowProgress(10.0f);

    if (!reload && !skipTextures) {
        Log::Write("texture TexList created");  // the floor textures themselves are never built here
    } else {
        for (VSD_FloorVertex& vertex : m_FloorVertices)
            vertex.exploration = 0.0f;
    }

    const size_t cells = size_t(m_MapWidth) * size_t(m_MapHeight);
    m_CoverPixels.assign(cells, 0);
    m_RevealedCells.assign(cells, 0);

    ShowProgress(15.0f);
    Log::Write("AllocLevelStuff() done");
    FreeLoadData();
    if (!reload && !skipTextures)
        CalcSurfaceFrames();

    m_LastFileSize = size;
    if (debug) {
        StoreLevelFileSizes(m_WallFiles, m_WallFileSizes);
        StoreLevelFileSizes(m_ObjectFiles, m_ObjectFileSizes);
        StoreLevelFileSizes(m_FloorTexFiles, m_FloorTexFileSizes);
    }
    ShowProgress(17.0f);
    return reload;
}

void VSD_Viewer::MapFileIDs()
{
    const int32_t numTexNames = int32_t(m_FloorTexNames.size());
    if (numTexNames > 0) {
        SearchTree<int32_t> index;
        for (int32_t i = 0; i < int32_t(m_FloorTextures.size()); i++) {
            const String& desc = m_FloorTextures[size_t(i)].desc;
            if (IsIndexableName(desc.c_str()))
                if (int32_t* slot = index.Insert(desc))  // the first of equal names wins
                    *slot = i;
        }
        std::vector<int32_t> textures(size_t(numTexNames), 0);
        bool allFound = true;
        for (int32_t i = 0; i < numTexNames; i++) {
            const char* name = m_FloorTexNames[size_t(i)].c_str();
            const int32_t* found = IsIndexableName(name) ? index.Find(name) : nullptr;
            textures[size_t(i)] = found ? *found : 0;
            allFound = allFound && found;
        }
        if (!allFound)
            Warning("Not all floor textures in cfg found");
        // the server builds no floor textures: any texture stands for "this cell has one"
        const bool dedicated = !m_Gfx || m_Gfx->IsDedicated();
        for (VSD_Parcel& parcel : m_Parcels) {
            if (parcel.textureId < -1 || parcel.textureId >= numTexNames)
                Error("Invalid parcel texture ID in VSD file '%s'", m_FileName.c_str());
            if (parcel.textureId > 0)
                parcel.textureId = dedicated ? 1 : int16_t(textures[size_t(parcel.textureId)]);
        }
    } else {
        // Without a name table the ids are the records' own indices.
        for (const VSD_Parcel& parcel : m_Parcels)
            if (parcel.textureId < -1 || parcel.textureId >= m_NumFloorTextures)
                Error("Invalid parcel texture ID in VSD file '%s'", m_FileName.c_str());
    }

    const int32_t numObjectNames = int32_t(m_ObjectNames.size());
    if (numObjectNames > 0) {
        std::vector<int32_t> kinds(size_t(numObjectNames), -1);
        bool allFound = true;
        for (int32_t i = 0; i < numObjectNames; i++) {
            if (m_ObjectReader)
                kinds[size_t(i)] = m_ObjectReader->FindEntryByDesc(m_ObjectNames[size_t(i)].c_str());
            allFound = allFound && kinds[size_t(i)] >= 0;
        }
        if (!allFound)
            Warning("Not all objects found in cfg");
        for (VSD_ObjectEntry& object : m_Objects) {
            if (object.kind < 0 || object.kind >= numObjectNames)
                Error("Invalid object ID in VSD file '%s'", m_FileName.c_str());
            object.kind = int16_t(kinds[size_t(object.kind)]);
        }
    } else {
        // Without a name table the ids are entries of the object reader; others are skipped.
        const int32_t entries = m_ObjectReader ? m_ObjectReader->GetNumEntries() : 0;
        bool allFound = true;
        for (VSD_ObjectEntry& object : m_Objects) {
            if (object.kind >= entries || object.kind < -1) {
                object.kind = -1;
                allFound = false;
            }
        }
        if (!allFound)
            Warning("Not all objects found in cfg");
    }
}

void VSD_Viewer::FreeLevelStuff(int32_t partial)
{
    m_EarthQuakes.DeleteAll();
    m_RecoilEffects.DeleteAll();
    m_ActiveBlocks.clear();
    m_Objects.clear();
    if (!partial) {
        m_CoverPixels.clear();
        m_RevealedCells.clear();
        m_Heights.clear();
        m_CentreHeights.clear();
        m_FloorVertices.clear();
        m_CornerFrames.clear();
        m_CellFrames.clear();
        m_WallDescs.clear();
        m_NumWallDescs = 0;
        m_WallMeshes.clear();  // they belong to the descriptions
        m_Parcels.clear();
        m_FloorTextures.clear();
        m_NumFloorTextures = 0;
        m_FloorTexFiles = FileList();
        m_WallFiles = FileList();
        m_ObjectFiles = FileList();
        m_FloorTexFileSizes.clear();
        m_WallFileSizes.clear();
        m_ObjectFileSizes.clear();
    }
    m_Lights.DeleteAll();
    m_Walls.DeleteAll();
    m_LongestWallHalf = 0.0f;
}

void VSD_Viewer::FreeLoadData()
{
    m_FloorTexNames.clear();
    m_WallDescNames.clear();
    m_ObjectNames.clear();
}

int32_t VSD_Viewer::FreeAll()
{
    FreeLevelStuff(0);
    FreeLoadData();
    m_StandardWallMesh.reset();
    return 1;
}

bool VSD_Viewer::AnyLevelFileChanged(const FileList& files, const std::vector<int32_t>& sizes)
{
    for (int32_t i = 0; i < files.GetCount(); i++) {
        const int32_t stored = size_t(i) < sizes.size() ? sizes[size_t(i)] : -1;
        if (stored < 0)
            return true;
        File file;
        if (!file.Open(files.GetName(i), true, File::kDiskFile, false))
            continue;  // a file that is gone counts as unchanged
        if (file.GetFileSize() != stored)
            return true;
    }
    return false;
}

void VSD_Viewer::StoreLevelFileSizes(const FileList& files, std::vector<int32_t>& sizes)
{
    sizes.assign(size_t(files.GetCount()), -1);
    for (int32_t i = 0; i < files.GetCount(); i++) {
        File file;
        if (file.Open(files.GetName(i), true, File::kDiskFile, false))
            sizes[size_t(i)] = file.GetFileSize();
    }
}
