// DXC_Texture: a texture of up to four material stages, each with its shared platform texture and
// its map record, an optional frame sequence in place of one stage, and the animated stage
// transforms. DXC_MapInfo is the map record of one stage.
//
// The class is split by role:
//   DXC_Texture.cpp      stages, selection, frame sequences, update, clone and release
//   DXC_TextureFile.cpp  the texture record of scene files and the map record's file form
//   DXC_TexturePixels.cpp  locking the current stage's image, its mipmaps, the file check, clears,
//                          copies of images into it and the compression of a stage
//   DXC_TextureCoords.cpp  the coordinate frame of the screen quad and its vertex buffer
#pragma once
#include "base/BezierSpline.h"
#include "engine/gfx/DXC_SurfaceBase.h"
#include "platform/D3DXMath.h"

#include <cstdint>

class DXC_Gfx;
class File;
class IDirect3DDevice9;
class IDirect3DSurface9;
class IDirect3DVertexBuffer9;

// Map types of a stage.
enum : int32_t {
    MAP_NONE = 0,
    MAP_DIFFUSE = 1,
    MAP_REFLECTION = 2,
    MAP_SPECULAR = 3,
    MAP_LIGHT = 4,
    MAP_SELFILLUM = 5,
    MAP_NORMAL = 6,
    MAP_OPACITY = 7,
};

// The animated transform of a stage: curves for U offset, V offset, U scale, V scale and rotation
// (radians), and the constant used for a curve without keys.
struct DXC_MapInfoAnim {
    BezierSpline<float> curves[5];
    float constants[5] = {0.0f, 0.0f, 1.0f, 1.0f, 0.0f};
};

// Stage record on file (little-endian): i16 map type, i16 texture coordinate index, the five
// curves (BezierSpline form), the five constants (f32), f32 blend amount, then the bytes mirror U,
// mirror V, wrap U, wrap V. The matrix and the transform-active byte are not stored.
struct DXC_MapInfo {
    DXC_MapInfo();

    void Reset();  // as after construction
    void FreeCurves();
    void Load(File& file);
    void Write(File& file) const;
    void LoadAnimation(File& file);  // the curves and the constants
    void WriteAnimation(File& file) const;
    bool SameUVValues(const DXC_MapInfo& other) const;
    bool DiffersInUVValues(const DXC_MapInfo& other) const { return !SameUVValues(other); }
    bool IsType2() const { return mapType == MAP_REFLECTION; }
    int32_t GetOrderKey() const;  // the importer's order of map types

    int32_t mapType = MAP_NONE;
    int16_t texCoordIndex = 0;  // -1 is used as 0
    DXC_MapInfoAnim animation;
    D3DXMATRIX textureMatrix;
    uint8_t transformActive = 0;  // 0: the stage's transform is the identity
    float blendAmount = 1.0f;     // a reflection map with at least 0.995 counts as opaque
    uint8_t mirrorU = 0, mirrorV = 0, wrapU = 0, wrapV = 0;
};

class DXC_Texture : public DXC_SurfaceBase {
public:
    static constexpr int32_t kStages = 4;
    // The screen quad's vertices: position, rhw, diffuse, highlight, u, v.
    static constexpr uint32_t kQuadVertexBytes = 32;
    static constexpr uint32_t kQuadFormat = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1;

    DXC_Texture();
    ~DXC_Texture() override;
    // Copies move references: use Clone.
    DXC_Texture(const DXC_Texture&) = delete;
    DXC_Texture& operator=(const DXC_Texture&) = delete;

    String GetName() const override;
    SurfaceExtent GetExtent() const override;  // of the current mip level
    bool IsValid() const override { return currentTexture != nullptr; }
    bool IsAcquired() const override;

    // Stage selection; apply refreshes size, format, levels and the alpha flag from the texture.
    int SelectStage(int32_t stage, int apply = 0);
    int32_t GetCurrentStage() const { return currentStage; }
    DXC_MapInfo& GetMapInfo(int32_t stage);
    DXC_MapInfo& GetCurrentMapInfo() { return stages[currentStage]; }
    int32_t GetMapType() const { return stages[currentStage].mapType; }
    void SetMapType(int32_t type) { stages[currentStage].mapType = type; }
    void SetStage(const DXC_MapInfo& record);  // into the current stage
    bool HasMapType(int32_t type, bool loadedOnly) const;
    int32_t FindType2Stage() const;  // 1 + the first reflection stage, 0 when none
    bool HasLoadedType3Map() const { return HasMapType(MAP_SPECULAR, true); }
    void SetStageMatrix(const D3DXMATRIX* matrix);  // null switches the transform off
    void SetUVTransform(float offsetU, float offsetV, float scaleU, float scaleV, float rotation);
    String GetStageFileName(int32_t stage) const;
    int32_t GetId() const { return textureId; }
    void SetId(int32_t id) { textureId = id; }

    // The loader's last step: the platform texture of the current stage (or current frame) and
    // the manager entry that shares it.
    void SetStageTexture(IDirect3DTexture9* texture, DXC_ResourceManagerBase* manager, int32_t id);
    void UpdateDesc();

    // Frame sequences: playback mode 1 back and forth, 2 once, any other a loop.
    void AllocSequence(int32_t count);
    void FreeSequence();
    int SelectFrame(int32_t index);
    int32_t GetSequenceLength() const { return frameCount; }
    void SetSequenceParams(float frameDuration, float time, int32_t mode);

    // The first level of the current texture (a rectangle or all): "LockRect failed: %s" and
    // "UnlockRect failed: %s" are errors; without a texture both answer 0. The second form hands
    // the locked pixels out.
    int Lock(const D3DRECT* rect, DWORD flags) override;
    int Lock(D3DLOCKED_RECT& locked, DWORD flags);
    int Unlock() override;
    // The area the coordinate frame covers, in pixels of the first level.
    void GetRect(int32_t rect[4]) const override;
    // The first level's size shifted by the current mip level, at least 1.
    int GetSize(int32_t& width, int32_t& height) const override;
    // The current mip level as a surface ("GetSurfaceLevel failed: %s"); the caller releases it.
    IDirect3DSurface9* GetSurface();
    // The device fills a default-pool texture (a rectangle or all); any other is filled in
    // software, whole only.
    int Clear(uint32_t color, const D3DRECT* rect);
    // The surface's source area, or a rectangle of a texture (all four 0: the whole), copied to
    // (x, y) of the current mip level, clipped to both images. Compressed images move in whole
    // blocks of one format.
    int DrawSurface(DXC_Surface& surface, int32_t x, int32_t y);
    int DrawTexture(DXC_Texture& texture, int32_t x, int32_t y, int32_t sx1, int32_t sy1, int32_t sx2, int32_t sy2);
    // The current stage (or frame) again as DXT1 to DXT5 (mode 1 to 5), every level converted.
    int Compress(int32_t mode);
    // The device the texture's images were made by; null for memory images.
    IDirect3DDevice9* GetDevice() const;

    // The coordinate frame of the screen quad in texture units: origin, x axis and y axis.
    void SetSourceRect(float x1, float y1, float x2, float y2, bool setDrawSize, bool swapAxes);
    void SetFullSourceRect();
    void SetTexCoords(float originU, float originV, float xAxisU, float xAxisV, float yAxisU, float yAxisV);
    void GetTexCoords(float origin[2], float xAxis[2], float yAxis[2]) const;
    void FlipHorizontal();
    void FlipVertical();
    void Rotate90(bool clockwise);
    void SetCenter(float x, float y);
    void GetDrawSize(float& width, float& height) const;
    void GetDrawSizeInt(int32_t& width, int32_t& height) const;
    void SetWrap(uint8_t flag) { wrap = flag; }
    // The draw size and the whole first level as the source rectangle.
    void SetSize(int32_t width, int32_t height);
    // The quad's vertex buffer: four vertices of 32 bytes (position, rhw, diffuse, specular, one
    // coordinate pair) in system memory; UpdateQuad writes the coordinates: vertex 0 origin +
    // y axis, 1 origin, 2 origin + x axis + y axis, 3 origin + x axis.
    void CreateQuadBuffer();
    void UpdateQuad();
    IDirect3DVertexBuffer9* GetQuadBuffer() const { return quadBuffer; }
    // The lower levels from the first; 0 without a texture ("D3DXFilterTexture failed: %s").
    int CreateMipMaps();
    // True when every stage with a name was read from a file whose modification time is the one
    // stored at the load.
    bool IsFileUnchanged() const;

    int Update(float time);  // stage transforms and the current frame
    int SetTexture(const DXC_Texture* other);
    int Clone(DXC_Texture& destination, int share, int32_t stage) const;
    void FreeStage(int32_t stage);
    // What the current texture lives in: the current frame in the sequence stage, else the stage.
    void FreeCurrent();
    int Release();

    // The texture record of a material in a scene file (see DXC_TextureFile.cpp).
    void ReadFromScene(File& file, DXC_Gfx& gfx);
    void Save(File& file) const;

    // Resource ids of the stages and their platform textures.
    int32_t stageIds[kStages];
    IDirect3DTexture9* stageTextures[kStages];
    // Frame sequence.
    int32_t frameCount = 0;
    float startTime = 0.0f;
    float frameTime = 0.2f;
    int32_t* frameIds = nullptr;                   // owned, frameCount ids
    IDirect3DTexture9** frameTextures = nullptr;  // owned, frameCount textures
    int32_t currentFrame = -1;
    int32_t sequenceStage = 0;
    int32_t playbackMode = 0;

    uint8_t stageFlags[kStages] = {};  // set: the stage is not counted in the texture counter
    int32_t pixelWidth = 0;
    int32_t pixelHeight = 0;
    int32_t mipLevels = 0;
    int32_t mipLevel = 0;  // the level locks, sizes and copies work on
    float lastUpdateTime = 0.0f;
    float recordFloat = 1.0f;  // kept from the scene file's texture record
    int32_t videoSource = -1;
    float drawWidth = 0.0f;
    float drawHeight = 0.0f;
    float hotSpotX = 0.0f;
    float hotSpotY = 0.0f;
    float texCoords[6] = {};  // origin (u, v), x axis (u, v), y axis (u, v)
    D3DSURFACE_DESC stageBlocks[kStages];  // each stage's first level; its pool among them
    IDirect3DTexture9* currentTexture = nullptr;
    int32_t currentStage = 0;
    DXC_MapInfo stages[kStages];
    uint8_t transformChanged[kStages] = {};
    int32_t alphaFlag = 0;
    String stageNames[kStages];
    int32_t stageTimes[kStages];
    uint8_t wrap = 0;
    uint8_t quadStale = 0;
    int32_t textureId = 0;  // below 1: no identity
    IDirect3DDevice9* device = nullptr;             // not owned
    IDirect3DVertexBuffer9* quadBuffer = nullptr;  // owned

    // Textures of the default pool made through the graphics object that are alive, program-wide.
    static int32_t s_DefaultPoolTextures;

private:
    void ResetFields();
    void DropSequence();  // the frame arrays, without giving their references back
    // Stage from of other into stage to: id and texture (no reference taken), record, flags,
    // name, time and block.
    void CopyStage(const DXC_Texture& other, int32_t from, int32_t to);
    void CopyFields(const DXC_Texture& other);
    void RefreshCurrent();  // the current texture from stage and frame
    void ClearStage(int32_t stage);  // its reference, record, name and time
    void FlipAxis(int32_t axis, int32_t size);  // axis 0 the x axis, 1 the y axis
    // The id and texture slots the current texture lives in: the current frame's in the sequence
    // stage, else the current stage's.
    void CurrentSlot(int32_t*& id, IDirect3DTexture9**& texture);
    uint32_t CurrentPool() const;
    int CopyInto(DXC_SurfaceBase& source, IDirect3DSurface9* sourceSurface, int32_t from[4], int32_t x, int32_t y,
                 const char* mismatch);
    // Gives an id back to the manager; the platform texture goes with the last reference.
    void GiveBack(int32_t& id, IDirect3DTexture9*& texture);
};
