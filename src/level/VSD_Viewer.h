// VSD_Viewer: one loaded level: the floor grid with its parcels and heights, the floor textures,
// the wall descriptions and walls, the placed level objects and the description files behind them.
// The world controller is a level viewer.
//
//   VSD_Viewer.cpp                construction, the load sequence, the id translation, freeing
//   VSD_ViewerLoadFile.cpp        the binary level file reader
//   VSD_ViewerView.cpp            the view: origin, view circle and its fade, camera, follow point
//   VSD_ViewerFloor.cpp           floor heights, normals and slopes, cell tests
//   VSD_ViewerFloorCells.cpp      wall sectors of floor vertices, surface frames, cover map
//   VSD_ViewerWalls.cpp           the wall table: geometry, floor marks, insertion and splitting
//   VSD_ViewerWallProperties.cpp  walls made from wall entries: properties, child walls and objects
//   VSD_ViewerCamera.cpp          the camera with earthquakes, pan and recoil, and the floor window
//   VSD_ViewerRayTest.cpp         rays into the height field of the floor window
//   VSD_ViewerWallMeshes.cpp      segments and cell codes of added walls, wall meshes and textures
//   VSD_ViewerLights.cpp          the light table: adding, preparing and removing level lights
//   VSD_ViewerRenderData.cpp      render data, the floor size, covering the map again, surface frames
#pragma once
#include "base/BezierSpline.h"
#include "base/ConfigFileReader.h"
#include "base/DynaMem.h"
#include "base/ErrorClass.h"
#include "base/FileList.h"
#include "base/StartupConstants.h"
#include "base/String.h"
#include "level/EarthQuakeEntry.h"
#include "level/VSD_LightSource.h"
#include "level/VSD_FileRecords.h"
#include "level/VSD_FloorVertex.h"
#include "level/VSD_TextureDesc.h"
#include "level/VSD_WallIntern.h"
#include "level/WallDesc.h"
#include "platform/D3DXMath.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class DXC_Gfx;
class DXC_LightEx;
class DXC_Mesh;
struct VSD_WallMeshes;
class GameCtrlInterface;
class WorldCtrl;
class WorldElem;
class WorldElemGridBase;

class VSD_Viewer : public ErrorClass {
public:
    static constexpr int32_t kBlockSize = 512;      // world units per side of a floor block
    static constexpr int32_t kMaxMapSide = 32766;   // cells; one more grid vertex must fit 16 bits
    static constexpr int64_t kMaxBlocks = 1 << 20;  // floor blocks: 1024 x 1024 blocks, 524288 units a side
    static constexpr int32_t kFrameFloats = 9;      // floats of one surface frame record
    static constexpr uint32_t kEndMarker = 0x12345678;
    static constexpr uint16_t kNewestVersion = 0x0109;
    static constexpr float kWallSplitLength = 512.0f;  // longer walls are split at grid points
    static constexpr float kMaxSplitLength = 1048576.0f;  // beyond the diagonal of the largest level
    static constexpr int32_t kMaxWallChildDepth = 8;   // child walls of child walls ...
    static constexpr uint32_t kUnfilledMiniMapColour = 0xFF808080;  // a floor texture without colour table

    // gfx may be null: no graphics object, as on the dedicated server.
    explicit VSD_Viewer(DXC_Gfx* gfx = nullptr);
    ~VSD_Viewer() override;
    VSD_Viewer(const VSD_Viewer&) = delete;
    VSD_Viewer& operator=(const VSD_Viewer&) = delete;

    // The world controller answers itself; a plain level viewer has no world.
    virtual WorldCtrl* GetWorldCtrl() { return nullptr; }
    // The block grid was made for a new map size; the world sets up its block lists.
    virtual void OnBlockGridChanged() {}
    // A hook of the level's drawing with seventeen words for a viewer that draws more; a plain
    // viewer, and the world, add nothing.
    virtual void RenderHook(const std::array<int32_t, 17>& words) { (void)words; }

    // The load sequence. Returns 1 when the level was the one already loaded and only its
    // parcels, objects and walls were read again, else 0. Errors throw; the viewer is then only
    // partly loaded and must be loaded again before use.
    int32_t LoadLevel(const char* name, int32_t insertWalls, int32_t skipTextures);
    // Reads the level file named by the viewer's file name; 1 when read to its end marker.
    int32_t LoadFile(int32_t reload, int32_t insertWalls);
    // Turns the file's texture and object ids into indices of the loaded descriptions.
    void MapFileIDs();
    void FreeLevelStuff(int32_t partial);
    void FreeLoadData();
    int32_t FreeAll();
    void CalcCentreHeights();

    // Walls. ReadWallProperties makes a wall of an entry (its description id and values may be
    // corrected in place) and inserts it; both return the wall ID (of the first piece of a split
    // wall).
    int32_t ReadWallProperties(VSD_WallEntry& entry, int32_t gridInsert, int32_t splitLong, int32_t withChildren);
    int32_t InsertWall(VSD_WallIntern& wall, int32_t gridInsert, int32_t splitLong);
    int32_t NewWallSlot();
    // Centre, half length, direction, normal, grid points, top height and mesh flag from the end
    // points; the wall stands on this level's floor from then on.
    void UpdateWallGeometry(VSD_WallIntern& wall);
    // Enters a wall along grid lines into the wall masks of the floor vertices.
    void MarkWallOnFloor(VSD_WallIntern& wall, int32_t refresh);
    // The wall of an ID that the caller knows to be valid; anything else is an internal error.
    VSD_WallIntern* GetWall(int32_t id);
    VSD_WallIntern* GetWallSafe(int32_t id) const { return m_Walls.GetBySlot(id); }  // null for a free slot
    bool IsValidWall(int32_t id) const { return m_Walls.GetBySlot(id) != nullptr; }
    int32_t GetNumWalls() const { return m_Walls.GetSize(); }
    int32_t GetWallSlotAt(int32_t position) { return m_Walls.GetUsedSlot(position); }  // -1 past the end
    // Half the length of the longest wall the table held since its walls were last deleted:
    // walls inserted without splitting can reach far beyond the block of their centre.
    float GetLongestWallHalf() const { return m_LongestWallHalf; }
    int32_t GetWallChildDepth() const { return m_WallChildDepth; }

    // The view.
    int32_t SetActiveRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    const int32_t* GetScreenRect() const { return m_ScreenRect; }  // the rectangle SetActiveRect stored
    bool IsValidCell(int32_t x, int32_t y) const;     // a block of 512 units
    bool IsValidMapCell(int32_t x, int32_t y) const;  // a floor cell
    uint16_t GetFloorMaterial(float x, float y) const;
    // Stores both level colour triples and derives the rest (SetLevelDiffuseCol).
    void SetLevelColours(const float diffuse[3], const float second[3]);
    void SetLevelDiffuseCol();
    const float* GetLevelDiffuse() const { return m_LevelDiffuse; }
    const float* GetLevelSecondColour() const { return m_LevelSecond; }
    const uint8_t* GetLevelSecondBytes() const { return m_LevelSecondBytes; }
    bool HasLevelColour() const { return m_HasLevelColour != 0; }
    void SetViewOrigin(float x, float y);
    void SetFadeCentre(float x, float y);
    void SetCameraVectors(const D3DXVECTOR3& eye, const D3DXVECTOR3& target, const D3DXVECTOR3& up);
    D3DXVECTOR2 GetViewOrigin() const { return {m_ViewOriginX, m_ViewOriginY}; }
    D3DXVECTOR3 GetCameraPos() const { return m_CameraEye; }
    D3DXVECTOR3 GetCameraUp() const { return m_CameraUp; }
    float GetViewRadius() const { return m_ViewRadius; }
    float GetViewRadiusSq() const { return m_ViewRadiusSq; }
    float GetInnerViewRadius() const { return m_InnerViewRadius; }
    int32_t GetViewFloorCentreX() const { return m_ViewFloorCentre[0]; }
    int32_t GetViewFloorCentreY() const { return m_ViewFloorCentre[1]; }
    uint8_t GetViewRingClass(int32_t i, int32_t j) const;  // of a patch cell by its distance; 3 outside
    // Sets the floor patch drawn around the view, in cells, and derives the view circle from it.
    void SetViewFloorSize(int16_t width, int16_t height);
    void AllocViewFloor();
    float GetViewFadeFactor(float x, float y, float r) const;
    // How far the floor at (x, y) is revealed, 0 to 1, between its four grid vertices; 1 without a floor.
    float GetFloorVisibility(float x, float y) const;
    float DistanceOutsideView(float x, float y) const;
    float GetCameraAngle() const;
    float GetBackFacingFade(const D3DXVECTOR3& point, const D3DXVECTOR3& normal);
    int32_t GetNumElements() const { return m_Elements.GetSize(); }
    void UpdateFollowPoint(float dt);
    D3DXVECTOR2 GetFollowPoint() const { return {m_FollowX, m_FollowY}; }
    void SetFloorTexRes(int32_t value) { m_FloorTexRes = value; }
    void SetDepotTexSize(int32_t value) { m_DepotTexSize = value; }
    void SetFadeWallsFromBack(int32_t value) { m_FadeWallsFromBack = value; }

    // The active block mask. RevealMapArea marks the disc of blocks around a point (after
    // clearing the mask when asked) and counts the area; IsCellActive asks for an element's block.
    void RevealMapArea(float x, float y, bool clearFirst);
    bool IsCellActive(const WorldElemGridBase& elem) const;
    // The blocks around a player that the server keeps processing: the view radius in whole
    // blocks and one more, so that everything a client can see is simulated.
    int32_t GetActiveBlockReach() const;
    int32_t GetNumActiveAreas() const { return m_NumActiveAreas; }

    // The floor. Queries outside the map answer 0.0, the up vector, false.
    float GetFloorHeight(float x, float y) const;
    D3DXVECTOR3 GetFloorNormal(float x, float y) const;
    float GetFloorSlope(float x, float y) const;
    // Writes the slope at the target; 0 when it is within the limit. Otherwise writes the unit
    // contour direction and the move's slide along it: -1 downhill or along, 1 uphill.
    int32_t CheckFloorSlope(float x0, float y0, float x1, float y1, float limit, float& slope, D3DXVECTOR2& contour,
                            D3DXVECTOR2& slide) const;
    bool IsOutsideLevel(float x, float y) const;
    bool IsInActiveArea(float x, float y) const;  // the active rectangle widened by a cell, two at the far side
    const VSD_Parcel* GetParcel(int32_t x, int32_t y) const;  // null outside the map
    void RevealCoverCell(int32_t x, int32_t y);
    bool IsCellExplored(float x, float y) const;
    bool IsCoverCellRevealed(int32_t x, int32_t y) const;
    uint32_t GetCoverPixel(int32_t x, int32_t y) const;  // ARGB; 0 outside or not revealed
    uint32_t GetMiniMapColour(int32_t x, int32_t y) const;
    // Writes the minimap, one pixel per cell, as a 32-bit image file (BMP, bottom-up rows of
    // blue, green, red, alpha); false, with the file layer's warning, when it cannot be written.
    bool SaveMiniMap(const char* fileName) const;
    void AnalyseVertexWalls(int32_t x, int32_t y);
    void CalcSurfaceFrames();
    D3DXVECTOR3 GetSmoothFloorNormal(float x, float y) const;

    // Debug-mode checks of a description file list against the sizes stored for its names: a
    // stored size below 0, or a different size of a file that opens, is a change.
    static bool AnyLevelFileChanged(const FileList& files, const std::vector<int32_t>& sizes);
    static void StoreLevelFileSizes(const FileList& files, std::vector<int32_t>& sizes);  // -1: not opened

    void SetCellSize(int16_t width, int16_t height);
    void SetTerrainCenterVertex(int32_t mode) { m_TerrainCenterMode = mode; }

    // The camera. SetCamera takes the requested eye, target and up, shakes and turns them by the
    // level's camera effects, and places the floor window; it returns 1. UpdateCameraEffects ages
    // the earthquakes and recoil effects and moves the follow point.
    int32_t SetCamera(float eyeX, float eyeY, float eyeZ, float targetX, float targetY, float targetZ, float upX,
                      float upY, float upZ);
    void UpdateCameraEffects(float dt);
    // What the controller sets before the camera: its current camera distance, and the vertical
    // and horizontal field of view in radians.
    void SetCameraDistance(float distance) { m_CameraDistance = distance; }
    void SetFieldOfView(float vertical, float horizontal)
    {
        m_FieldOfView[0] = vertical;
        m_FieldOfView[1] = horizontal;
    }
    // Screen-space pan in fractions of the field of view.
    void SetCameraPan(float horizontal, float vertical)
    {
        m_Pan[0] = horizontal;
        m_Pan[1] = vertical;
    }
    void SetCameraPanOff(bool off) { m_PanOff = off ? 1 : 0; }
    void SetWindowFollowsTarget(bool follow) { m_WindowFollowsTarget = follow ? 1 : 0; }
    D3DXVECTOR3 GetCameraTarget() const { return m_CameraTarget; }
    D3DXVECTOR3 GetViewDirection() const { return m_ViewDir; }
    D3DXVECTOR3 GetRequestedEye() const { return m_RequestedEye; }
    // Where the rays through the viewport's corners met the floor, last time all four did:
    // lower left, lower right, upper right, upper left.
    const D3DXVECTOR3* GetGroundCorners() const { return m_GroundCorners; }
    // The floor window: the square of floor-size cells around the view.
    int32_t GetFloorWindowX() const { return m_FloorWindowX; }
    int32_t GetFloorWindowY() const { return m_FloorWindowY; }
    D3DXVECTOR2 GetFloorWindowCentre() const { return {m_FloorWindowCentreX, m_FloorWindowCentreY}; }
    int32_t GetFloorWindowCentreCellX() const { return m_FloorWindowCentreCell[0]; }
    int32_t GetFloorWindowCentreCellY() const { return m_FloorWindowCentreCell[1]; }
    // One byte per window cell, row by row; bit 0 hides the cell from the ray test. Whoever marks
    // cells sizes it; a cell beyond its end has no flag.
    std::vector<uint8_t>& GetFloorWindowFlags() { return m_FloorWindowFlags; }
    float GetFarDistance() const { return m_FarDistance; }
    float GetViewDistance() const { return m_ViewDistance; }
    float GetViewDistanceScaled() const { return m_ViewDistanceScaled; }
    DynaMem<EarthQuakeEntry, 8>& GetEarthQuakes() { return m_EarthQuakes; }
    DynaMem<RecoilEffectEntry, 8>& GetRecoilEffects() { return m_RecoilEffects; }
    BezierSpline<float>& GetRecoilCurve() { return m_RecoilCurve; }  // over the recoil time 0 to 1

    // The ray test. RayTest casts a ray (any length but 0) into the floor window with the floor
    // raised by lift; RayTestRect is its worker over a rectangle of cells (x2, y2 exclusive) and
    // takes a unit direction. Both answer whether the floor was hit, and where.
    bool RayTest(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction, D3DXVECTOR3& hit, float lift) const;
    bool RayTestRect(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction, int32_t x1, int32_t y1, int32_t x2,
                     int32_t y2, D3DXVECTOR3& hit) const;

    // Added walls. AddWall cuts the wall of that ID into segments and makes its description's mesh
    // present; CalcWallCells fills its segment points and cell codes.
    static constexpr int32_t kMaxWallSegments = 32;  // points of a wall: at most 30 segments
    void AddWall(int32_t id);
    void CalcWallCells(int32_t id);
    // Scales a mesh read from a description's "file" (side 0) or "fileBack" (side 1) to the
    // description's size and notes whether it mirrors.
    void ScaleWallMesh(WallDesc& desc, DXC_Mesh* mesh, int32_t side);
    void LoadWallTexture(int32_t descIndex);
    // The meshes and texture of a wall description; null for an index without a description.
    VSD_WallMeshes* GetWallMeshes(int32_t descIndex);
    DXC_Mesh& GetStandardWallMesh();  // the unit quad that normal walls copy
    // The engine settings "WallShader", "WallFade" and "WallMipMap".
    void SetWallSettings(int32_t wallShader, float wallFade, int32_t wallMipMap)
    {
        m_WallShader = wallShader;
        m_WallFade = wallFade;
        m_WallMipMap = wallMipMap;
    }

    // The level as loaded.
    const String& GetFileName() const { return m_FileName; }
    int32_t GetLastFileSize() const { return m_LastFileSize; }
    int16_t GetMapWidth() const { return m_MapWidth; }
    int16_t GetMapHeight() const { return m_MapHeight; }
    int16_t GetCellWidth() const { return m_CellWidth; }
    int16_t GetCellHeight() const { return m_CellHeight; }
    float GetCellWidthF() const { return m_CellWidthF; }
    float GetCellHeightF() const { return m_CellHeightF; }
    int32_t GetBlockColumns() const { return m_BlockColumns; }
    int32_t GetBlockRows() const { return m_BlockRows; }
    void GetActiveRect(int32_t rect[4]) const;  // first column, first row, last column, last row
    const std::vector<VSD_Parcel>& GetParcels() const { return m_Parcels; }
    const std::vector<float>& GetHeights() const { return m_Heights; }              // empty: none in the file
    const std::vector<float>& GetCentreHeights() const { return m_CentreHeights; }
    const std::vector<VSD_FloorVertex>& GetFloorVertices() const { return m_FloorVertices; }
    const std::vector<VSD_ObjectEntry>& GetObjects() const { return m_Objects; }
    const std::vector<WallDesc>& GetWallDescs() const { return m_WallDescs; }
    const std::vector<VSD_TextureDesc>& GetFloorTextures() const { return m_FloorTextures; }
    int32_t GetNumFloorTextures() const { return m_NumFloorTextures; }
    const FileList& GetFloorTexFiles() const { return m_FloorTexFiles; }
    const FileList& GetWallFiles() const { return m_WallFiles; }
    const FileList& GetObjectFiles() const { return m_ObjectFiles; }
    ConfigFileReader& GetWallDescReader() { return m_WallDescReader; }
    ConfigFileReader* GetObjectReader() const { return m_ObjectReader; }
    const int16_t* GetFloorSize() const { return m_FloorSize; }

    // The controller this viewer answers to; without one set, the program's controller.
    void SetGameCtrl(GameCtrlInterface* ctrl) { m_GameCtrl = ctrl; }

    // Level lights. AddLight places a light made from a light type and answers its light ID;
    // SetupLight prepares the light of that ID after it was made or changed; DelLight removes
    // one (a warning for an ID that holds none). A viewer without a device stores an update mode of
    // 0xFFFF as 0.
    static constexpr int32_t kLightCapacity = 8192;
    int32_t AddLight(const VSD_LightSource& source);
    int32_t NewLightSlot();
    void SetupLight(int32_t id);
    void DelLight(int32_t id);
    VSD_LightIntern* GetLight(int32_t id) const { return m_Lights.GetBySlot(id); }  // null for a free slot
    DynaMem<VSD_LightIntern, kLightCapacity, 1>& GetLights() { return m_Lights; }
    // The controller asked, or null when there is none.
    GameCtrlInterface* FindCtrl() const;

    // Render data. None of it is drawn without a graphics device, but it is kept all the same.
    static constexpr int32_t kSegmentBufferEntries = kMaxWallSegments + 1;
    int32_t InitRenderData();
    bool IsRenderDataReady() const { return m_RenderDataReady != 0; }
    int32_t GetNumRenderLights() const { return int32_t(m_RenderLights.size()); }
    const uint32_t* GetVertexFormats() const { return m_VertexFormats; }
    // Below 1 takes the level's own floor size, and below 1 again the "FloorSize" setting.
    void SetFloorSize(int32_t size);
    void SetLevelFloorSize(int32_t size) { m_LevelFloorSize = size; }
    // Covers the whole map again, or the cells x1 <= x < x2, y1 <= y < y2 of it.
    void CoverMap();
    void CoverMap(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    bool IsActiveRectPartial() const { return !IsWholeMap(); }
    // The unit tangent, bitangent and normal of the smooth floor at (x, y).
    void GetSurfaceFrame(float x, float y, D3DXVECTOR3& tangent, D3DXVECTOR3& bitangent, D3DXVECTOR3& normal) const;
    void ResetLightConstants();
    // The floor texture data stays empty here: nothing to mark, free or read again.
    void MarkUsedTextures(const uint8_t* marks) { (void)marks; }
    void FreeUnusedTextures() {}
    void ReloadChangedTextures() {}

protected:
    GameCtrlInterface& GetCtrl();
    void ShowProgress(float percent);
    bool IsWholeMap() const;
    // An end point within the active floor rectangle widened by one cell.
    bool IsWallNearActiveArea(const VSD_WallEntry& wall) const
    {
        return IsInActiveArea(wall.x1, wall.y1) || IsInActiveArea(wall.x2, wall.y2);
    }
    // Reads the scene file of a description's side (0 "file", 1 "fileBack") into that mesh unless it
    // is there already; in debug mode again when the file's size changed.
    void ReadWallMesh(WallDesc& desc, VSD_WallMeshes& meshes, int32_t side);
    // Whether the wall's "worldID", with its property text before the description's entry, is set.
    bool HasWorldID(const String& propertyText, int32_t entry);

    DXC_Gfx* m_Gfx;
    ConfigFileReader* m_ObjectReader = nullptr;  // the controller's; not owned
    ConfigFileReader m_WallDescReader;
    // Name tables of the level file, from the reader to the end of the load sequence.
    std::vector<String> m_FloorTexNames;
    std::vector<String> m_WallDescNames;
    std::vector<String> m_ObjectNames;
    std::vector<VSD_TextureDesc> m_FloorTextures;
    std::vector<VSD_Parcel> m_Parcels;           // map width x map height, row by row
    std::vector<float> m_Heights;                // per grid vertex, rows of map width + 1
    std::vector<float> m_CentreHeights;          // per cell, rows of map width + 1
    std::vector<VSD_FloorVertex> m_FloorVertices;
    std::vector<float> m_CornerFrames;           // kFrameFloats per grid vertex
    std::vector<float> m_CellFrames;
    DynaMem<VSD_WallIntern, 16384, 1> m_Walls;
    float m_LongestWallHalf = 0.0f;
    DynaPtrList<WorldElem*, 16384, 1> m_Elements;  // filled by the world
    int32_t m_WallChildDepth = 0;                  // child walls being made, innermost count
    std::vector<WallDesc> m_WallDescs;
    int32_t m_NumWallDescs = 0;
    std::vector<VSD_ObjectEntry> m_Objects;
    int32_t m_ActiveX1 = 0;
    int32_t m_ActiveY1 = 0;
    int32_t m_ActiveX2 = 0;
    int32_t m_ActiveY2 = 0;
    String m_FileName;
    int32_t m_LastFileSize = -1;
    std::vector<uint8_t> m_ActiveBlocks;         // one per block: non-zero marks a block whose elements are processed
    int32_t m_NumActiveAreas = 0;                // areas revealed since the mask was last cleared
    FileList m_FloorTexFiles;
    FileList m_WallFiles;
    FileList m_ObjectFiles;
    std::vector<int32_t> m_FloorTexFileSizes;    // debug mode: sizes at the last load
    std::vector<int32_t> m_WallFileSizes;
    std::vector<int32_t> m_ObjectFileSizes;
    int16_t m_MapWidth = 0;
    int16_t m_MapHeight = 0;
    int16_t m_CellWidth = 0;
    int16_t m_CellHeight = 0;
    float m_CellWidthF = 0.0f;
    float m_CellHeightF = 0.0f;
    int32_t m_BlockColumns = 0;
    int32_t m_BlockRows = 0;
    int16_t m_FloorSize[2] = {};
    int32_t m_NumFloorTextures = 0;
    int32_t m_TerrainCenterMode = 0;  // 1: a corner far off the others is left out of the centre height

    // The view.
    float m_ViewOriginX = 0.0f;
    float m_ViewOriginY = 0.0f;
    float m_FadeCentreX = 0.0f;
    float m_FadeCentreY = 0.0f;
    float m_ViewRadius = 0.0f;
    float m_ViewRadiusSq = 0.0f;
    float m_InnerViewRadius = 0.0f;
    int32_t m_ViewFloorCentre[2] = {};
    D3DXVECTOR3 m_CameraEye;
    D3DXVECTOR3 m_CameraTarget;
    D3DXVECTOR3 m_CameraUp;
    float m_FollowX = 0.0f;
    float m_FollowY = 0.0f;
    int32_t m_ScreenRect[4] = {};
    float m_LevelDiffuse[3] = {};
    float m_LevelSecond[3] = {};
    int32_t m_HasLevelColour = 0;
    uint8_t m_LevelSecondBytes[3] = {};
    int32_t m_FloorTexRes = 0;
    int32_t m_DepotTexSize = 0;
    int32_t m_FadeWallsFromBack = 1;  // the default of a wall's "FadeOutIfViewedFromBack"

    // The cover map: one ARGB pixel and one revealed byte per cell.
    std::vector<uint32_t> m_CoverPixels;
    std::vector<uint8_t> m_RevealedCells;

    // The camera: as requested, and the view direction in use (m_CameraEye and its two fellows
    // hold the camera in use).
    D3DXVECTOR3 m_RequestedEye;
    D3DXVECTOR3 m_RequestedTarget;
    D3DXVECTOR3 m_RequestedUp;
    D3DXVECTOR3 m_ViewDir;
    float m_Pan[2] = {};
    uint8_t m_PanOff = 0;
    D3DXVECTOR3 m_GroundCorners[4];
    int32_t m_FloorWindowX = 0;
    int32_t m_FloorWindowY = 0;
    float m_FloorWindowCentreX = 0.0f;
    float m_FloorWindowCentreY = 0.0f;
    int32_t m_FloorWindowCentreCell[2] = {};
    uint8_t m_WindowFollowsTarget = 0;
    std::vector<uint8_t> m_FloorWindowFlags;
    float m_FarDistance = 0.0f;  // also set by the floor size setter
    float m_ViewDistance = 0.0f;  // from the eye to the far edge of the view circle, less 64
    float m_ViewDistanceScaled = 0.0f;
    float m_RenderFactors[4] = {0.75f, 0.25f, 0.9f, 0.1f};
    float m_CameraDistance = 0.0f;
    float m_FieldOfView[2] = {StartupConstants::kFieldOfView, StartupConstants::kFieldOfView};
    BezierSpline<float> m_RecoilCurve;
    DynaMem<EarthQuakeEntry, 8> m_EarthQuakes;
    DynaMem<RecoilEffectEntry, 8> m_RecoilEffects;

    // Wall meshes: one record per wall description, made when a wall first needs it.
    std::vector<std::unique_ptr<VSD_WallMeshes>> m_WallMeshes;
    std::unique_ptr<DXC_Mesh> m_StandardWallMesh;
    int32_t m_WallShader = 1;
    float m_WallFade = 0.05f;
    int32_t m_WallMipMap = 0;
    GameCtrlInterface* m_GameCtrl = nullptr;  // the owner, asked even while another controller is the newest

    // Level lights and render data.
    DynaMem<VSD_LightIntern, kLightCapacity, 1> m_Lights;
    std::vector<std::unique_ptr<DXC_LightEx>> m_RenderLights;  // "MaxObjLights" of them
    std::vector<uint8_t> m_SegmentBuffers[2];                // 16 bytes an entry
    uint32_t m_VertexFormats[3] = {};
    float m_ViewScale = 1.0f;
    int32_t m_RenderDataReady = 0;
    int32_t m_LightUpdates = 0;  // 1 where a device lights the level: an update mode 0xFFFF stands
    int32_t m_RenderCounter = 0;
    float m_RenderTime = 0.0f;
    int32_t m_LevelFloorSize = 0;  // what the level asks for; 0 or less none
};
