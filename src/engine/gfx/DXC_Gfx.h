// DXC_Gfx: the graphics object. It makes the Direct3D interface (the adapter) when it is built;
// on a client the display set-up then makes the device. On the dedicated server no device is ever
// made: images load as shared placeholders, meshes live in memory, and the scene loaders, which are
// its operations, read its settings and share resources through its managers.
//
// The class is split by role:
//   DXC_Gfx.cpp            construction and release, the field reset, settings, path check, file
//                          name lookup, resource keys
//   DXC_GfxDisplay.cpp     the client's display set-up that makes the device, and the release of
//                          the device objects
//   DXC_GfxPresent.cpp     presentation parameters, capabilities, vertex processing of meshes and
//                          the statistics (frame rate, texture and mesh memory)
//   DXC_GfxReset.cpp       presenting a frame, the wait for a lost device, its reset and the
//                          restore of the render state
//   DXC_GfxStates.cpp      the render-state cache: raw state wrappers, cached setters, the stage
//                          and sampler caches, nesting counters, clears, scene brackets, fill mode
//                          and point sprites, streams, vertex processing and the invalidation
//   DXC_GfxLoad.cpp        surfaces, textures and placeholders
//   DXC_GfxMesh.cpp        building meshes; drawing meshes, subsets, face ranges and vertex lists
//   DXC_GfxTextureFile.cpp the device's textures from image files: format, size rules, downsize
//   DXC_GfxTextures.cpp    textures made by the device: plain, again after a reset, render targets
//   DXC_GfxRenderTargets.cpp  render and depth buffers, render-target switches, screen-buffer and
//                          screen-copy textures, screenshots and the front buffer
//   DXC_GfxRenderer.cpp    the renderer's quality settings
//   DXC_GfxImages.cpp      pixel formats: the format checks, compression and the format choice of
//                          loaded textures; off-screen surfaces made by the device
//   DXC_GfxSceneRange.cpp  scenes restricted to a time range, and animation cycles built from them
//   DXC_GfxSceneLoad.cpp   scene files (binary or text export) into scenes and animation cycles
//   DXC_GfxEffectLoad.cpp  shader effect files, the effects of a scene's materials, and the
//                          texture catalogue
//   DXC_GfxView.cpp        the view data: view, projection, world and texture matrices, the
//                          viewport, the cameras, pick rays and screen positions
//   DXC_GfxFrustum.cpp     visibility: user clipping planes, the lazy frustum, sphere and bounds
//                          tests
//   DXC_GfxBlend.cpp       numbered blending modes, material blending, colour sources, mipmap and
//                          texture modes of the stages
//   DXC_GfxLights.cpp      material, lights, fog, tint and the gamma ramp
//   DXC_GfxBuiltinFont.cpp the pixel font compiled into the program
//   DXC_GfxScreenQuads.cpp screen quads of the current texture, rectangles, lines, circles,
//                          sprites at world positions
//   DXC_GfxScreenEffect.cpp  full-screen effect passes, effect parameters, video sources
//   DXC_GfxScreenRect.cpp  screen rectangles of meshes and scenes, the view test of a scene,
//                          light sets, the scene renderer's viewport
//   DXC_GfxSceneRender.cpp whole scenes: camera, clearing, view test, light set, meshes in list
//                          or depth order, display aids and markers
//   DXC_GfxMirror.cpp      one object of a scene by the pass mask, mirrors through the stencil
//   DXC_GfxPrintf.cpp      text formatting, the current font, the print options and the printf
//                          entry points (the text container, DXC_PrintfContainer, lays out and draws)
//
// Animation cycles (BuildAniCycle): a cycle over [start, end] seconds of a scene is filled as
// ConvertSceneRange converts a scene. Every helper object of the scene gives an object track and
// every mesh a mesh track (with its materials), in the order of the scene's lists. Each track takes
// the node's key chains and time tables over (the scene's node forgets them, so every chain keeps
// exactly one owner); of each chain the keys before the start are dropped except the last one at
// or before it, the others are moved back by the start (a negative time becomes 0), and the chain
// ends with the first key past (end - start) plus 1e-5 of the range. The tracks' parents are
// linked by name within the cycle, their animation range is the cycle's length, the cycle runs
// from 0 to (end - start) and its time tables are built for evaluation.
#pragma once
#include "base/CFileValidator.h"
#include "base/DXC_Base.h"
#include "base/String.h"
#include "engine/gfx/DXC_GfxStateCache.h"
#include "engine/gfx/DXC_Material.h"
#include "engine/gfx/DXC_ResourceManagerTemplate.h"
#include "engine/gfx/DXC_SurfaceBase.h"
#include "engine/gfx/DXC_Texture.h"
#include "platform/D3D9Types.h"
#include "platform/D3DXMath.h"
#include "platform/Window.h"

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class DXC_3dScene;
class DXC_AniCycle;
class DXC_Camera;
class DXC_ClipObject;
class DXC_Font;
class DXC_PrintfContainer;
struct DXC_PrintfOptions;
struct PrintfTextBlock;
class DXC_3dClipObject;
class DXC_Light;
struct DXC_LightSet;
class DXC_Mesh;
class DXC_MeshBase;
class DXC_ShaderEffect;
class DXC_TextureCatalogue;
class File;
class FileList;
class IDirect3D9;
class IDirect3DDevice9;
class IDirect3DSurface9;
class IDirect3DVertexBuffer9;
class RTXLoader;
class DXC_VertexList;
class DXC_VertexListBase;
template <class Vertex> class DXC_VertexListTemp;
struct DXC_VertexLists;

// The display a client asks for (the server asks for none).
struct DXC_DisplayMode {
    int32_t width = 1024;
    int32_t height = 768;
    int32_t windowed = 1;
    int32_t refreshRate = 0;  // full screen only
    D3DFORMAT format = D3DFMT_X8R8G8B8;
    int32_t zBufferBits = 24;  // 0, 16, 24 or 32
    int32_t vsync = 1;         // -1 to 4
    int32_t antialiasing = 0;  // 0 off; above 0 the quality wanted; below 0 the best there is
};

// One sample of the frame ring: the frame counter at a present and its time in seconds.
struct DXC_FrameSample {
    uint32_t frame = 0;
    double time = 0.0;
};

// What the fixed-function replacement effect can do, as far as the vertex processing of a mesh
// asks: capability bit 0 skins, bit 1 draws shader-less meshes; the bones it skins (its
// bone-matrix array); its shader-model word (-1: it replaces every fixed-function draw).
struct DXC_ReplacementEffect {
    static constexpr uint32_t kCanSkin = 1u << 0;
    static constexpr uint32_t kCanDraw = 1u << 1;
    bool set = false;
    uint32_t capabilities = 0;
    int32_t boneLimit = 0;
    int32_t shaderModel = 0;
};

// A rectangle of screen pixels: left, top, right, bottom.
template <class T> struct tmpRECT {
    T left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const tmpRECT&) const = default;
};

// One entry of a draw list: what to draw and the key it is ordered by.
struct DXC_KeyPair {
    int32_t index = 0;
    float key = 0.0f;
};

// One video source that textures named ">>Video<n>" draw from.
struct DXC_VideoSource {
    uint32_t word = 0;
    D3DFORMAT format = D3DFMT_A8R8G8B8;
    IDirect3DTexture9* texture = nullptr;  // one reference, held by the texture manager entry
    uint32_t width = 0;
    uint32_t height = 0;
    // Writes the next frame into the texture's first level; the program registers it (there is
    // no decoder of our own).
    std::function<void(DXC_Surface&)> update;
};

class DXC_Gfx : public DXC_Base {
public:
    static constexpr int32_t kVideoSources = 16;
    static constexpr uint32_t kPlaceholderColor = 0xFFC8C8C8u;  // opaque light grey
    static constexpr uint32_t kPlaceholderSize = 8;
    static constexpr int32_t kNoDeviceWidth = 1024;
    static constexpr int32_t kNoDeviceHeight = 768;
    static constexpr int32_t kScratchBytes = 65536;
    static constexpr int32_t kWideTextUnits = 65536;
    static constexpr int32_t kNarrowTextBytes = 65536;

    DXC_Gfx();
    ~DXC_Gfx() override;
    DXC_Gfx(const DXC_Gfx&) = delete;
    DXC_Gfx& operator=(const DXC_Gfx&) = delete;

    // Library presence probes of the constructor; nothing is loaded here, so both report success.
    static int CheckD3D9();
    static int CheckD3DX9();

    // The client's display set-up (DXC_GfxDisplay.cpp): presentation parameters from the mode, the
    // device, its capabilities, the back-buffer surface and the depth set-up of the state cache.
    // Failures are errors. The server never calls it.
    int InitDisplay(Window* window, const DXC_DisplayMode& mode);
    // Every device object this object holds, then the device and the Direct3D interface.
    void ReleaseDeviceObjects();

    // Presentation and capabilities (DXC_GfxPresent.cpp). The parameters follow the display
    // settings; a depth buffer the adapter refuses falls back from 32 to 24 to 16 bits (16 refused
    // is an error), antialiasing is lowered to what the adapter offers.
    void BuildPresentParameters();
    // -1 and 1 every retrace, 0 at once, 2 to 4 every n-th retrace; anything else is an error.
    void SetVSync(int32_t setting);
    // The screen rectangle (0, 0, client width, client height) and the stored client rectangle,
    // from the window's information.
    void UpdateWindowRect();
    // The device's capabilities; without a device the adapter's for the hardware device type.
    void GetDeviceCaps(D3DCAPS9& out);
    uint32_t GetPixelShaderVersion();
    // How a mesh of the vertex format is drawn: 0 not at all, 1 by fixed-function hardware, 2 by
    // the replacement effect.
    int32_t CheckVertexProcessing(uint32_t vertexFormat, int32_t blendIndex, bool needsEffect);
    int32_t GetTextureManagerCount() { return textureManager.GetCount(); }
    int32_t GetMeshManagerCount() { return meshManager.GetCount(); }
    // Bytes of every mip level of every texture and of every mesh's vertices and indices.
    int32_t GetTextureMemory();
    int32_t GetMeshMemory();
    int32_t GetTextureCount() const { return textureCount; }
    void GetResolution(int32_t& width, int32_t& height) const
    {
        width = displayWidth;
        height = displayHeight;
    }
    Window* GetWindowHandle(Window** out = nullptr) const
    {
        if (out)
            *out = window;
        return window;
    }
    int32_t GetShaderCapsWord() const { return shaderCapsWord; }
    // The importer's environment map, the one text of a scene it keeps for the caller.
    void GetImporterName(String& out) const;
    const RECT& GetScreenRect() const { return screenRect; }

    // Presenting and device loss (DXC_GfxReset.cpp). Present: 1 when the frame was shown, 0 when
    // the device was reset instead (a lost device, a driver fault or a resized window).
    int Present();
    // Waits while the device is lost, releases what lives in the default pool, resets the device
    // with fresh presentation parameters (a window rectangle of four words replaces the stored
    // one; vsync -1 keeps their interval, 0 to 4 chooses one) and restores the render state.
    int ResetDevice(const int32_t* windowRectangle, int32_t vsyncNumber);
    // Sends the render state the program asked for again, through the cached setters: after a
    // reset, and when the controller hands its state over.
    void RestoreRenderState();
    // What runs the thread's pending window messages while a lost device is waited for: the
    // main loop that owns them registers it (owner), and takes it away again with a null pump;
    // a null pump of another owner changes nothing.
    static void SetMessagePump(std::function<void()> pump, const void* owner);
    // Frames per second over about the last second of presents; 0 with fewer than two samples.
    float GetFPS() const;

    IDirect3D9* GetDirect3D() const { return d3d; }
    IDirect3DDevice9* GetDevice() const { return device; }

    void SetDedicatedMode(int32_t flag) { dedicatedMode = flag; }
    bool IsDedicated() const { return dedicatedMode != 0; }
    // The process-wide gamma (0..1) that the game's options hand over; a device would apply it.
    void SetGamma(float value) { gamma = value; }
    float GetGamma() const { return gamma; }
    // The back buffer's size; without a device the fixed size above, so that views and screen
    // fractions computed from it stay finite on the server.
    void GetBackBufferSize(int32_t& width, int32_t& height) const;
    bool IsFullScreen() const { return windowed == 0; }
    bool HasDevice() const { return initialised != 0; }
    D3DFORMAT GetBackBufferFormat() const { return backBufferFormat; }
    // In dedicated mode only diffuse maps (1); otherwise types 3, 5 and 2 with 6 need their flags.
    bool IsMapTypeSupported(int32_t type) const;
    void AllowMapType3(bool flag) { allowMapType3 = flag; }
    void AllowMapType5(bool flag) { allowMapType5 = flag; }
    void AllowMapTypes2And6(bool flag) { allowMapTypes2And6 = flag; }
    void SetShareByName(bool flag) { shareByName = flag; }

    // False (with a warning) for a network path or an absolute path; the loaders call it when
    // checkLevel is 2 or more and go on either way.
    bool CheckFilePath(const char* fileName);

    // File name lookup through the texture (ResolveFileName) or effect (ResolveFileNameAlt) search
    // list, the directory first: 1 with the file found, 0 with the name unchanged.
    int ResolveFileName(const char* name, int32_t length, String& output, const char* directory);
    int ResolveFileNameAlt(const char* name, int32_t length, String& output, const char* directory);
    // The importer's lookup of a texture file: 1 with its usable path, 0 when it is nowhere.
    int FindTextureFile(const char* fileName, String& output);
    CFileValidator& GetTextureValidator() { return textureFiles; }
    CFileValidator& GetEffectValidator() { return effectFiles; }
    // "<path>_<size>": the game-relative path with one kind of separator, and the file's size
    // (of its data when packed; 0 when it does not open). Two files of one name in two folders
    // get two keys.
    String MakeResourceKey(const char* fileName);

    // Image loading (DXC_GfxLoad.cpp); both return 1 and report failures as errors. In dedicated
    // mode the file must exist and an 8 x 8 light-grey placeholder stands in for its image.
    int LoadSurface(DXC_Surface* surface, const char* fileName, uint32_t colorKey, int32_t format);
    // options: -1 defaults; 0x2000 keep the current stage, 0x1000 no filtering, 0x4000/0x8000
    // mirror U/V; what remains selects the pool: -1, 0 and 2 managed, 1 default, 3 render target.
    int LoadTexture(DXC_Texture* texture, const char* fileName, uint32_t colorKey, int32_t options,
                    int32_t format, int32_t mipmaps);
    // The dedicated server's placeholder, made on first use and shared by every texture loaded
    // there; it lives as long as this object.
    DXC_Texture& GetPlaceholderTexture();
    bool HasPlaceholderTexture() const { return placeholder.stageTextures[0] != nullptr; }
    DXC_VideoSource& GetVideoSource(int32_t index) { return videoSources[index]; }

    // Meshes (DXC_GfxMesh.cpp). CreateMesh: the mesh's D3DX mesh for faces x vertices in the
    // vertex format (at most 65535 vertices), made for the device where one exists and in memory
    // otherwise, registered in the mesh manager. Its vertex processing decides the options: system
    // memory, managed, or no pool for dynamic extra options; software processing in system memory
    // when the device cannot mix or the format cannot be drawn. With createMaterials the mesh gets
    // that many fresh grey materials and empty textures; without, a mesh that has materials must
    // have that many ("nrMat does not match!").
    int CreateMesh(DXC_MeshBase* mesh, int32_t faces, int32_t vertices, int32_t materials, uint32_t vertexFormat,
                   int32_t systemMemory, int32_t blendIndex, int32_t createMaterials, int32_t extraOptions,
                   int32_t needsEffect);
    // The whole mesh at the world matrix (null: identity) in material passes 0 and 1 (passMask
    // bits 1 and 2); a given material is combined into every subset's colours. 1 drawn (or
    // invisible), 0 for a null mesh or one the clip test culls. Blending, culling, z-write and the
    // address modes of stage 0 are as before the call.
    int DrawMesh(DXC_Mesh* mesh, const D3DXMATRIX* world, const DXC_Material* material, int32_t flags,
                 bool skipStages, int32_t passMask, bool clipTest);
    // One subset through the chosen effect or the fixed pipeline; 0 when the attribute table has
    // no matching entry for it (an error).
    int DrawMeshSubset(DXC_Mesh* mesh, int32_t subset, int32_t flags);
    // count faces from first of the mesh's buffers; 0 (nothing drawn) for no faces.
    int DrawIndexedPrimitive(DXC_Mesh* mesh, int32_t firstFace, int32_t faceCount, int32_t flags);
    // count vertices (-1 all) from first of the list as a triangle list.
    int DrawTriangleList(DXC_VertexList* list, int32_t first, int32_t count);
    DXC_VertexLists& GetVertexLists() { return *vertexLists; }

    // Scene files (DXC_GfxSceneLoad.cpp). The first three bytes tell a binary scene file ("3SC")
    // from a text export, which the importer reads. Load flags (-1 counts as 0): 0x01 and 0x02
    // texture options, 0x08 vertex colours added, 0x20 no geometry (names, transforms, keys and
    // bones only: what the server asks for); the importer gets the whole word. The result is the
    // importer's for a text export, 1 for a binary file; failures are errors.
    int LoadScene(DXC_3dScene* scene, const char* fileName, int32_t loadFlags);
    // The cycle over the frames [fromFrame, toFrame] of the file's animation (both negative: the
    // file's whole range), named after the file and set to time 0; never with geometry.
    int ReadSceneFileHeader(DXC_AniCycle* cycle, const char* fileName, float fromFrame, float toFrame);
    RTXLoader& GetRTXLoader() { return *rtxLoader; }

    // Shader effects and the texture catalogue (DXC_GfxEffectLoad.cpp).
    // An effect file into effect, shared with every earlier load of the same file; 1, or 0 (with
    // a warning) for a missing file when it need not exist. Compiling needs the device; an effect
    // no technique of which the device validates stays loaded but disabled, with a warning.
    int LoadEffect(DXC_ShaderEffect* effect, const char* fileName, uint32_t compileFlags, bool useEffectPool,
                   bool mustExist);
    // The effects the materials of the scene's meshes name, looked for through the effect search
    // list (the directory first); a mesh with one gets its effect flag. A name not found is
    // named in a warning; without a device (the server) nothing is compiled.
    void BindSceneEffects(DXC_3dScene& scene, const char* directory);
    // Enters every resource texture of the effect ("ResourceName" annotations) in the catalogue
    // as "<name>_FX_", to be loaded when first used.
    void BindEffectCatalogueTextures(DXC_ShaderEffect& effect);
    DXC_TextureCatalogue& GetTextureCatalogue();
    DXC_Texture* LoadCatalogueTexture(const char* name);  // null for a name never entered
    // A one-level square texture of one colour into the texture's current stage: made by the
    // device where one exists, in memory otherwise.
    void CreateSolidTexture(DXC_Texture& texture, uint32_t size, uint32_t color);
    std::unique_ptr<DXC_TextureCatalogue> catalogue;  // cleared with the device objects

private:
    // A texture made from an image file by the device and entered in the texture manager under
    // key; its id there (DXC_GfxTextureFile.cpp).
    int32_t CreateTextureFromFile(const char* fileName, const String& key, uint32_t colorKey, int32_t options,
                                  int32_t format, int32_t mipmaps);
    // The loaded texture at half its size, in its place (the loaded one is released).
    IDirect3DTexture9* HalveTexture(IDirect3DTexture9* loaded, const char* fileName);

public:

    // Scene time ranges (DXC_GfxSceneRange.cpp).
    int ConvertSceneRange(DXC_3dScene& source, DXC_3dScene& destination, float start, float end);
    int BuildAniCycle(DXC_3dScene& scene, DXC_AniCycle& cycle, float start, float end);

    // The view data (DXC_GfxView.cpp). The setters keep the copies the queries read and send them
    // to the device where there is one; on the server the identity matrices stay, as the callers
    // skip the setters. A failed send is the error "SetTransform failed: %s".
    static constexpr int32_t kWorldMatrices = 256;  // index 0 the world, above it vertex blending
    void SetViewMatrix(const D3DXMATRIX& matrix);
    void GetViewMatrix(D3DXMATRIX& out) const { out = viewMatrix; }
    // A matrix whose element (3,4) is neither 1 nor 0 is divided by it, the form depth fog expects.
    void SetProjectionMatrix(const D3DXMATRIX& matrix);
    void GetProjectionMatrix(D3DXMATRIX& out) const { out = projectionMatrix; }
    // A left-handed perspective of that vertical field of view; an aspect of -1 is the viewport's
    // (times the aspect factor).
    void SetPerspective(float nearPlane, float farPlane, float fieldOfView, float aspect);
    // The x axis mirrored, and the culling of the faces turned round with it.
    void MirrorProjection();
    void SetWorldMatrix(const D3DXMATRIX& matrix, int32_t index = 0);
    const D3DXMATRIX& GetWorldMatrix(int32_t index = 0) const { return worldMatrices[index]; }
    void UpdateWorldViewProjection();
    const D3DXMATRIX& GetWorldViewProjection() const { return worldViewProjection; }
    // A texture stage's transform (stage 0 to 7); none switches the stage's transform off.
    void SetTextureTransform(const D3DXMATRIX* matrix, int32_t stage);
    // A left-handed look-at view; mirrored negates its first column and the requested culling.
    void SetCameraLookAt(const D3DXVECTOR3& eye, const D3DXVECTOR3& target, const D3DXVECTOR3& up,
                         bool mirrored = false);
    // The perspective and the view of a scene's camera, placed by its node (and a parent).
    void SetCameraFromObject(DXC_Camera& camera, const D3DXMATRIX* parent);
    // Unchanged values return 1 at once. A failed send warns and answers 0 in a window, and is an
    // error full screen.
    int SetViewPort(int32_t x1, int32_t y1, int32_t x2, int32_t y2, float minZ, float maxZ);
    // The next SetViewPort reaches the device whatever it asks (a new render target).
    void ForgetViewPort() { viewportCache = D3DVIEWPORT9(); viewportCacheValid = 0; }
    void GetViewportRect(int32_t rect[4]) const;  // left, top, right, bottom
    void GetViewportDepthRange(float range[2]) const;
    void GetCameraPos(D3DXVECTOR3& out) const;    // the translation of the inverse view
    // The direction, not normalised, of the ray from the camera through the screen point (x, y):
    // the point on the near plane minus the camera position. (0, 0, 0) when the viewport has no
    // area or view times projection has no inverse: no ray passes through the screen.
    void GetPickRayDir(D3DXVECTOR3& out, float x, float y) const;
    // The screen position of a point: 1, or 0 with x and y unchanged for a point at or behind the
    // camera plane, which has no screen position.
    int ProjectToScreen(const D3DXVECTOR3& point, float& x, float& y) const;
    // Whether a point of that size lies in front of the camera and within the viewport; never
    // without a device.
    bool IsPointOnScreen(float x, float y, float z, float size) const;
    float GetViewDepth(const D3DXVECTOR3& point) const;  // z in view space
    // The largest length of the three axes of the matrix's upper-left 3 x 3 part.
    static float GetMaxAxisScale(const D3DXMATRIX& matrix);

    // Visibility (DXC_GfxFrustum.cpp). A user plane (0 to 7) is stored normalised; the device's
    // mask is EnableClipPlane's. The frustum is built again on the first test after a change.
    static constexpr int32_t kClipPlanes = 8;
    void SetClipPlane(int32_t index, float a, float b, float c, float d);
    void SetActiveClipPlanes(int32_t count) { activeClipPlanes = std::clamp(count, 0, kClipPlanes); }
    // 0 outside, 1 intersecting, 2 inside the user planes and the frustum.
    int32_t TestSphere(float x, float y, float z, float radius);
    // 1 visible, 0 not: the record's sphere and box through the matrix.
    int32_t TestBounds(const DXC_ClipObject& bounds, const D3DXMATRIX& matrix);
    bool TestObjectBounds(DXC_3dClipObject& object, const D3DXMATRIX& matrix);
    // Whether the scene's bounds lie at least partly in the view frustum. Without a device there
    // is no view, and nothing is in it.
    bool IsSceneInFrustum(DXC_3dScene& scene);

    // Screen rectangles, object visibility, light sets and the scene renderer's viewport
    // (DXC_GfxScreenRect.cpp). The rectangle of the mesh's box through its own matrix, matrix and
    // the view, clipped at the camera plane and clamped into the viewport; a box wholly behind the
    // camera gives the empty rectangle at the viewport's top-left corner.
    tmpRECT<int32_t> CalcMeshRectOnScreen(const DXC_MeshBase& mesh, const D3DXMATRIX& matrix) const;
    // The union over the scene's meshes at their current matrices; (0, 0, 0, 0) without meshes.
    tmpRECT<int32_t> CalcObjectRectOnScreen(DXC_3dScene& scene) const;
    // Its bounds where it has them, else any mesh, else its position.
    bool IsObjectVisible(DXC_3dScene& scene);
    // Ambient colour, fog and lights on slots 0 up (the others off); the removal turns the fog and
    // the set's slots off again.
    void ApplyLightSet(const DXC_LightSet& set, double time = 0.0);
    void RemoveLightSet(const DXC_LightSet& set);
    // The viewport of that size with the current depth range, and the combined matrices again.
    void SetViewportAndCamera(int32_t x, int32_t y, int32_t width, int32_t height);

    // Scene drawing (DXC_GfxSceneRender.cpp). RenderScene: 1 drawn, 0 for a null scene (a
    // warning) or one outside the view. Either option suppresses the clearing, the depth sort,
    // the light set and the display aids; a mirror pass clears to black and draws the objects.
    int RenderScene(DXC_3dScene* scene, int32_t optionA, int32_t optionB, bool mirrorPass);
    // One mesh of the scene when its transparency matches the pass mask (bit 0 opaque, bit 1
    // transparent): 1 drawn, 0 skipped (DXC_GfxMirror.cpp). A mirror mesh on screen, where the
    // depth buffer has a stencil, shows the scene reflected in its plane, one mirror deep.
    int RenderObject(DXC_3dScene& scene, DXC_Mesh& mesh, int32_t options, int32_t passMask);
    void EnableMirrors(bool on) { mirrorsEnabled = on ? 1 : 0; }
    static constexpr int32_t kMaxMirrorDepth = 1;  // a mirror seen in a mirror stays black
    // The texture at a world position (DXC_GfxScreenQuads.cpp): facing the screen at size x depth
    // scale pixels, or (kSpriteInWorld) as a quad of size world units across the view; nothing
    // behind the camera or beyond the depth range. 1 drawn.
    static constexpr int32_t kSpriteInWorld = 1;
    int DrawSprite3D(DXC_Texture* texture, const D3DXVECTOR3& position, float size, uint32_t color, int32_t options);
    // One point of the point list at a world position, unlit.
    int DrawMarker(float x, float y, float z, uint32_t color);
    int32_t GetScenesDrawn() const { return scenesDrawn; }
    const DXC_3dScene* GetSceneInDrawing() const { return sceneInDrawing; }

    // Blending and stage set-up (DXC_GfxBlend.cpp); all send states, so all need the device.
    // Modes 1 (-1) no blending to 17; 0, 8, the other negative ones and those above 17 are the
    // error "Invalid Blending mode selected!". Mode 10 fades the current blend alpha.
    int SetBlendMode(int32_t mode, int32_t alpha, int32_t stage);
    int32_t GetBlendMode() const { return blendMode; }
    int32_t GetBlendAlpha() const { return currentBlendAlpha; }
    // A material's own blend type and transparency with the caller's mode (useMode 0: the
    // material decides).
    void SetMaterialBlend(const DXC_Material& material, int32_t useMode, int32_t mode, int32_t alpha,
                          int32_t opaqueZWrite);
    // 1 texture times diffuse (and -1), 2 diffuse, 3 the texture factor of that colour.
    int SetRenderSource(int32_t source, int32_t stage, uint32_t color);
    void SetUnlitStageArg2(int32_t stage);
    void SetUnlitStageArg0(int32_t stage);
    // 0 no mipmaps, 1 point, 2 linear; 0 without a call when the device has no mipmaps.
    int SetMipmapMode(int32_t mode, float lodBias, int32_t stage);
    // Filters 1 to 6, address modes 7 to 9; -1 nothing.
    int SetTextureMode(int32_t mode, int32_t stage);

    // Material, lights, fog, tint and gamma (DXC_GfxLights.cpp). The copies serve a shader effect
    // that replaces the fixed-function pipeline and the restore after a reset.
    int SetMaterial(const DXC_Material& material);
    // With the diffuse override on and asked for, the diffuse colour is kept here and the
    // caller's record drawn white.
    int SetMaterialTinted(DXC_Material& material, bool useOverride);
    // 0 for a light that was never given its parameters; animate lets the light place itself at
    // the time.
    int SetLight(int32_t index, DXC_Light& light, double time, bool animate);
    int LightEnable(int32_t index, int32_t on);  // index 0 to 7
    void SetFog(const DXC_Fog& record);
    void SetTintColor(uint32_t color) { states.tintColor = color & 0x00FFFFFFu; }
    uint32_t GetTintColor() const { return states.tintColor; }
    // 0 when the adapter cannot set a full-screen ramp, and when calibration is asked for and not
    // offered (the ramp is still set).
    int SetGammaRamp(const D3DGAMMARAMP* ramp, bool calibrate);
    static void BuildIdentityGammaRamp(D3DGAMMARAMP& out);
    // Each channel clamped to 0..1, rounded to a byte, packed ARGB.
    static uint32_t ColorValueToARGB(const D3DCOLORVALUE& color);

    // Material stages and shader effects, in four files:
    //   DXC_GfxMaterialStages.cpp  the stages of a texture as device stages
    //   DXC_GfxEffectSelect.cpp    the effect slots, the choice of the effect of a drawn item, the
    //                              texture coordinates an effect expects, sphere-map coordinates
    //   DXC_GfxEffectBind.cpp      beginning an effect and filling its parameters
    //   DXC_GfxSortByKey.cpp       the sort of (index, key) pairs of the draw lists
    // Texture stage i goes to device stage i plus the extra stages earlier stages took. A
    // reflection map (stage 0 only) with a blend amount a below kOpaqueReflection is weighted by
    // its grey g = a x 255 (R the reflection, U the unlit argument, both of stage 0's program):
    //   with per-stage constants: stage 0 modulates R by U; one extra stage lerps by its constant
    //     g between that and U: a R U + (1 - a) U.
    //   without them the texture factor holds g: stage 0 modulates R by it, a first extra stage
    //     adds the factor's complement (1 - a), a second modulates by U: the same colour. An
    //     unlit colour, which also lives in the texture factor, gives way to g there.
    // At kOpaqueReflection and above stage 0 modulates R by U (a tint multiply-added in one extra
    // stage).
    static constexpr float kOpaqueReflection = 0.995f;
    // stage -1 all stages; 0 to 7 binds the texture's first stage to that device stage alone.
    // skipEffectCheck: the fixed-function programs are set even while an effect is active.
    int SetMaterialStages(DXC_Texture* texture, int32_t stage, bool skipEffectCheck = false);
    DXC_Texture* GetCurrentTexture() const { return currentTexture; }

    DXC_Texture* currentTexture = nullptr;  // of the last stage set-up; not owned
    int32_t extraStages = 0;                // device stages the last set-up took beyond the texture's

    // The effect slots (none owned). A null or invalid effect clears the active and the material
    // slot; the material effect gets the numbered parameters a material presets (those the effect
    // has).
    int SetActiveEffect(DXC_ShaderEffect* effect);
    int SetMaterialEffect(DXC_ShaderEffect* effect, const DXC_Material* presets = nullptr);
    void SetSpecularMapEffect(DXC_ShaderEffect* effect) { specularMapEffect = effect; }
    // What gives the time effects are passed; none: the effect update's own clock.
    void SetTimeCallback(float (*callback)()) { timeCallback = callback; }
    // An effect given but not valid is the error "Tried to set invalid fixed function shader"; the
    // bone limit is the effect's bone-matrix count (0 without an effect).
    void SetFixedFunctionShader(DXC_ShaderEffect* effect, uint32_t capabilities);
    // The effect that draws an item of that vertex description with the current texture; null
    // for fixed-function drawing. noPixelShader passes over a material effect that needs them.
    DXC_ShaderEffect* SelectEffect(const DXC_VertexListBase& item, bool noPixelShader);
    // Stages 0 to 5 read the coordinates of their own number when the effect asks; with a vertex
    // shader (or force) the texture transforms of stages 0 to 3 go off.
    void ResetTexCoordIndices(DXC_ShaderEffect* effect, bool force);

    // Drawing with an effect (DXC_GfxEffectBind.cpp): BeginEffect gives the pass count. The
    // binders fill what the effect found by semantic; with effectCaching set, world matrices and
    // lights bound in this frame and pass are not bound again.
    int BeginEffect(DXC_ShaderEffect* effect);
    void BindEffectParameters(DXC_ShaderEffect* effect, DXC_Mesh* mesh, int32_t subset);
    void BindWorldMatrices(DXC_ShaderEffect* effect, DXC_Mesh& mesh);
    void BindLights(DXC_ShaderEffect* effect);  // at most six point or spot and two directional lights
    // Reflection coordinates of the subset's vertices into the mesh's reflection coordinate set,
    // for meshes drawn without an effect.
    void ComputeSphereMapCoords(DXC_Mesh& mesh, int32_t subset);
    // Sorts pairs[first..last] by ascending key; the draw lists of scenes are ordered with it.
    static void SortByKey(DXC_KeyPair* pairs, int32_t first, int32_t last);

    DXC_ShaderEffect* overrideEffect = nullptr;  // nothing sets it yet: drawn by whoever sets it
    DXC_ShaderEffect* materialEffect = nullptr;
    DXC_ShaderEffect* fixedFunctionShader = nullptr;  // its abilities in replacementEffect
    DXC_ShaderEffect* specularMapEffect = nullptr;
    // Draws the passes an effect hands over (DXC_EffectPass::handsOver) in their place; none
    // after the field reset.
    DXC_ShaderEffect* secondaryEffect = nullptr;
    // Set: lights go to the device and the replacement effect is not chosen though one is set.
    int32_t fixedFunction = 0;
    float (*timeCallback)() = nullptr;
    int32_t texCoordTable[4] = {0, 1, 2, 3};  // what "TEXCOORDINDEX" gets
    D3DXMATRIX reflectionTransform{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};  // "TransformReflectionMap"
    DXC_ShaderEffect* begunEffect = nullptr;  // the last one begun, until ResetShaders
    int32_t begunTechnique = -1;
    int32_t begunPasses = 0;
    // Which parameter block was last bound in which frame and pass.
    struct EffectBinding {
        const void* block = nullptr;
        uint32_t frame = 0;
        int32_t pass = -1;
        bool Same(const void* b, uint32_t f, int32_t p) const { return block == b && frame == f && pass == p; }
    };
    int32_t effectCaching = 0;
    EffectBinding matricesBinding;
    EffectBinding lightsBinding;

private:
    // The Direct3D texture of stage i: none for an empty stage, only diffuse maps while reflection
    // maps are off, the current frame where the sequence replaces the stage.
    static IDirect3DTexture9* StageImage(const DXC_Texture& texture, int32_t i, bool reflectionMaps);
    void BindStageTexture(int32_t stage, IDirect3DTexture9* texture);  // sent only when it changes
    void BindMapParameters(DXC_ShaderEffect& effect, DXC_Mesh* mesh, int32_t subset);
    void SetTintFactor();  // the tint colour with the current blend alpha
    bool TakeExtraStage(int32_t d, int32_t count);
    void SetStageProgram(const DXC_Texture& texture, int32_t i, int32_t d, IDirect3DTexture9* image);
    void SetDiffuseStage0(bool modulates, bool tint);
    void SetLaterDiffuseStage(const DXC_Texture& texture, int32_t d, bool modulates, bool tint,
                              IDirect3DTexture9* image);
    void SetReflectionStage0(const DXC_Texture& texture, bool tint);

public:
    // Quality settings and device queries (DXC_GfxRenderer.cpp). Without a device every query
    // answers as for a device that can do nothing: no shader level, no texture format, no
    // anisotropic filtering, no device memory.
    // Textures whose width or height reaches the size are loaded at half size; 0 never.
    void SetTextureDownsize(int32_t size) { maxTextureSize = size; }
    void SetMaxTextureSize(int32_t size) { maxTextureSize = size; }
    // True when a maximum is set, not overridden, and the width or the height reaches it.
    bool ExceedsMaxTextureSize(int32_t width, int32_t height) const;
    // The vertical field of view that a diagonal one gives at an aspect (width / height).
    static float DiagonalToVerticalFov(float fieldOfView, float aspect);

    // Pixel formats and surfaces (DXC_GfxImages.cpp). 1 when the device takes the format for
    // textures (mode 3 as render target, 5 as depth stencil); 0 without a device, and with the
    // warning "Texture format %i mode %i not supported by device" when the device refuses it.
    int CheckTextureFormat(D3DFORMAT format, int32_t mode);
    // Level 0 none, 1 DXT1, 2 DXT1 and DXT5, for textures of at least minimumSize texels; a level
    // the device cannot store is an error.
    int SetTextureCompression(int32_t level, int32_t minimumSize);
    // Memory of one pixel, for the statistics (DXT1 half a byte); 0 for a format not counted.
    static float BytesPerPixel(D3DFORMAT format);
    static bool IsDXTFormat(D3DFORMAT format);
    static uint32_t NextPowerOfTwo(uint32_t n);  // 0 for 0
    // The format a loaded texture is stored in, or 0 to keep the file's: large images compressed
    // when compression is on, X1R5G5B5 (and X8R8G8B8 on an R5G6B5 back buffer) as R5G6B5.
    D3DFORMAT ChooseTextureFormat(const D3DXIMAGE_INFO& image) const;
    // An off-screen surface made by the device (format -1: the back buffer's), in system memory
    // or the default pool, registered unnamed with the surface manager. Returns 1.
    int CreateSurface(DXC_Surface* surface, int32_t width, int32_t height, int32_t format, bool systemMemory);
    // Bytes of texture memory the device offers; none without one.
    uint32_t GetAvailableTextureMem();
    // Pixel shaders of the advanced (2.0) and the basic (1.1) level.
    bool HasAdvancedShaders() const { return advancedShaders != 0; }
    bool HasBasicShaders() const { return basicShaders != 0; }

    // Textures made by the device (DXC_GfxTextures.cpp), into the texture's current stage. Mode 1
    // default pool, 2 system memory, 3 render target, 4 or -1 managed; 0x200 added: dynamic.
    // Format -1: the default texture format. The draw size is the one asked for, even where the
    // device rounds the texture up to powers of two.
    int CreateTexture(DXC_Texture* texture, int32_t width, int32_t height, int32_t mode, int32_t format,
                      int32_t levels);
    // The current stage's texture again from its stored description, after a device reset.
    int RecreateTexture(DXC_Texture* texture);
    // A render target of the back buffer's size and format (without its alpha), one level.
    int CreateRenderTexture(DXC_Texture* texture);

    // Render targets, screen copies and screenshots (DXC_GfxRenderTargets.cpp); none without a
    // device. Buffer 0 of each kind is the device's own, buffer 1 is made on first use.
    int SetRenderTarget(IDirect3DSurface9* surface, int32_t index);
    IDirect3DSurface9* GetRenderTarget(int32_t index);  // the caller releases it
    int SelectRenderBuffer(int32_t index);
    // 0 when the extra depth buffer could not be made (tried once only).
    int SelectDepthBuffer(int32_t index);
    int CopyDepthBuffer(int32_t from, int32_t to);
    int SetDepthSurface(DXC_Surface* surface);
    int SetRenderTargetTexture(IDirect3DTexture9* texture, int32_t index);
    int SetRenderTargetTo(DXC_Texture* texture, DXC_Surface* depthSurface);
    int RestoreRenderTarget();
    // Kind 2: full-size texture 0 or 1; kind 1: quarter-size texture 0 to 2; null otherwise.
    IDirect3DTexture9* GetScreenBufferTexture(int32_t kind, int32_t index);
    int CopyBackBufferToTexture(IDirect3DTexture9* texture);
    // A copy of render target 0 (or of its viewport); made once per frame and pass while reuse
    // is allowed.
    IDirect3DTexture9* GetScreenCopyTexture(bool viewportOnly);
    void AllowScreenCopyReuse(bool flag) { screenCopyReuse = flag ? 1 : 0; }
    void SetEffectPass(int32_t pass) { effectPass = pass; }
    // The front buffer into a file: format 0 ".bmp", 1 ".jpg", 2 ".tga", 3 ".png", 4 ".dds"; the
    // rectangle is clamped to the display (nothing left: no file). Numbered names take the next
    // number of the run's counter whose file does not exist yet. Returns 1, or 0 without a file.
    int ScreenShot(const char* baseName, int32_t format, const RECT* rect, bool numbered);
    // The format of a file name's extension (".bmp" to ".dds"), -1 for any other.
    static int32_t ScreenShotFormatOf(const char* fileName);
    static void ResetScreenShotCounter(int32_t start = 0);  // for tests: where numbering goes on
    // The search for a free number gives up after this many taken names in one call.
    static constexpr int32_t kMaxScreenShotTries = 10000;
    // The front buffer (the last presented frame) into a new system-memory surface; 0 with a
    // warning when it cannot be read.
    int GrabFrontBuffer(DXC_Surface* surface);
    DXC_Texture* GetRenderTargetTexture() const { return states.renderTargetTexture; }

    // Raw device state wrappers (DXC_GfxStates.cpp): no cache; a failure is an error naming the
    // call. GetRenderState answers the state's value.
    int SetRenderState(D3DRENDERSTATETYPE state, DWORD value);
    DWORD GetRenderState(D3DRENDERSTATETYPE state);
    int SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value);
    int SetSamplerState(DWORD stage, D3DSAMPLERSTATETYPE type, DWORD value);

    // Setters of single render states. Cached ones send a value only when it differs from the one
    // last sent; the others send every time. All need the device; the getters of cached values
    // do not.
    int SetClipping(int32_t value);
    int SetPatchEdgeStyle(int32_t value);
    int SetZWriteEnable(int32_t on);
    int SetStencilEnable(int32_t on);
    int SetStencilOps(DWORD pass, DWORD fail, DWORD zFail);
    int SetStencilFunc(DWORD function, DWORD reference);
    int SetAlphaBlendEnable(int32_t on);
    int SetSpecularEnable(int32_t on);
    int SetAmbient(uint32_t color);
    int SetNormalizeNormals(int32_t on);
    int SetVertexBlend(int32_t mode);
    // 0 (and nothing sent) when the device cannot blend indexed matrices in hardware and software
    // vertex processing is off.
    int SetIndexedVertexBlend(int32_t on);
    int SetColorWriteEnable(bool red, bool green, bool blue, bool alpha);
    HRESULT SetTextureFactor(uint32_t color);
    int SetTextureFactorAlpha(uint32_t alpha);  // the top byte of the kept factor
    int EnableFog(int32_t on);
    int EnableClipPlane(int32_t index, int32_t on);  // bit index (0 to 31) of the clip-plane mask
    // The system's code: -1 culls counter-clockwise faces, 0 none, 1 clockwise ones.
    int SetCullMode(int32_t mode);
    int32_t GetCullMode() const { return states.cullMode; }
    // Mode 0 off; 255 passes alpha equal to the reference, any other mode alpha above it.
    int SetAlphaTest(int32_t mode, int32_t reference);
    int SetAlphaTestMode(int32_t mode);
    // Off with an unlit colour (-1: none) that the stage set-up uses; alpha is forced to 255.
    int SetLighting(int32_t on, uint32_t unlitColor = 0xFFFFFFFFu);
    int32_t GetLighting() const { return states.lighting; }

    // Texture-stage setters, cached per stage (0 to 7); the constant is sent every time.
    void SetStageColorOp(int32_t stage, DWORD value);
    void SetStageColorArg0(int32_t stage, DWORD value);
    void SetStageColorArg1(int32_t stage, DWORD value);
    void SetStageColorArg2(int32_t stage, DWORD value);
    void SetStageAlphaOp(int32_t stage, DWORD value);
    void SetStageAlphaArg1(int32_t stage, DWORD value);
    void SetStageAlphaArg2(int32_t stage, DWORD value);
    void SetStageTransformFlags(int32_t stage, DWORD value);
    void SetStageTexCoordIndex(int32_t stage, DWORD value);
    void SetStageConstant(int32_t stage, DWORD value);
    // Address modes: a failed send is a warning, answers 0 and leaves the cache, so the next call
    // tries again.
    int SetTextureAddressU(int32_t mode, int32_t stage);
    int SetTextureAddressV(int32_t mode, int32_t stage);
    int SetTextureAddress(int32_t mode, int32_t stage);

    // Nesting counters: nested drawing code suspends the z-buffer or lighting and the outermost
    // restore puts back what was set.
    int DisableZBuffer();
    int EnableZBuffer();
    void DisableLighting();
    void RestoreLighting();

    // Clears of the current render target and depth surface; the whole target without a rectangle.
    int Clear(uint32_t color, float z, const D3DRECT* rect);
    int ClearTarget(uint32_t color, const D3DRECT* rect);
    int ClearZBuffer(float z, const D3DRECT* rect);  // 0 when the presentation has no z-buffer
    int ClearStencil(DWORD value, const D3DRECT* rect);

    void BeginScene();
    void EndScene();
    HRESULT SceneBegin();
    HRESULT SceneEnd();
    bool IsInScene() const { return states.inScene != 0; }

    // Modes 1 points (the point-sprite record is applied), 2 wireframe, 3 solid.
    int SetFillMode(int32_t mode, const DXC_PointSpriteParams* params = nullptr);
    // With clamping the maximum size is limited to the device's, without it to at most 64 as
    // well; a record above the limit is lowered, with a warning.
    int SetPointSpriteParams(DXC_PointSpriteParams& params, bool clampToDevice);
    int SetStreamSource(uint32_t stream, IDirect3DVertexBuffer9* buffer, uint32_t stride);
    // On a device made for both kinds: software processing for a count below 1.
    void SetHardwareVertexProcessing(int32_t count);
    void ResetShaders();
    // After a device reset every cached state is unknown, so the next set reaches the device.
    void InvalidateStateCache();

    DXC_ImageManager& GetTextureManager() { return textureManager; }
    DXC_ImageManager& GetSurfaceManager() { return surfaceManager; }
    DXC_ResourceManager& GetMeshManager() { return meshManager; }
    DXC_ResourceManager& GetEffectManager() { return effectManager; }

    // Members in the order they are built; the destructor gives back what the managers share
    // before the managers go.
    int32_t initialised = 0;  // 1 once a device exists; never on the server
    int32_t dedicatedMode = 0;
    IDirect3D9* d3d = nullptr;           // one reference
    IDirect3DDevice9* device = nullptr;  // one reference; none on the server
    HRESULT lastResult = D3D_OK;         // of the last device call, stored before it is tested

    // Window and presentation.
    Window* window = nullptr;
    int32_t windowed = 1;  // 0: full screen
    int32_t displayWidth = kNoDeviceWidth;
    int32_t displayHeight = kNoDeviceHeight;
    int32_t refreshRate = 0;
    int32_t vsync = 1;
    D3DPRESENT_PARAMETERS presentParameters;
    D3DCAPS9 caps;  // the device's answers; zero without one
    float gamma = 0.5f;
    D3DFORMAT backBufferFormat = D3DFMT_A8R8G8B8;
    D3DFORMAT defaultTextureFormat = D3DFMT_A8R8G8B8;  // for format -1 and the extra render buffer

    DXC_Material currentMaterial;
    int32_t materialWords[3] = {0, 1, 1};  // settled by the operations that use them
    float materialFloats[3] = {0.0f, 1.0f, 0.5f};
    int32_t checkLevel = 0;
    FileList* loadedFiles = nullptr;  // register of loaded files; none = no registering
    uint8_t shadersOn = 0;
    bool shareByName = true;
    bool allowMapType3 = true;
    bool allowMapType5 = true;
    bool allowMapTypes2And6 = true;
    int32_t textureCount = 0;  // textures made; a reset lowers it by the default-pool ones it releases

    // Presentation settings and what the adapter was found to take.
    int32_t zBufferBits = 24;  // after the fallbacks
    int32_t antialiasing = 0;
    D3DFORMAT adapterFormat = D3DFMT_X8R8G8B8;
    RECT clientRect;  // the window's client area at the last check
    RECT screenRect;
    int32_t windowRect[4] = {};
    IDirect3DSurface9* renderTargetSlots[2] = {};  // one reference each
    IDirect3DSurface9* depthStencilSlots[2] = {};
    int32_t renderBuffer = 0;  // the current one of each kind
    int32_t depthBuffer = 0;
    int32_t depthBuffer1State = 0;  // 0 not tried, 1 made, -1 failed: never tried again
    IDirect3DTexture9* screenTextures[5] = {};  // full size 0 and 1, quarter size 0 to 2
    IDirect3DTexture9* screenCopy = nullptr;
    uint32_t screenCopyFrame = 0xFFFFFFFFu;
    int32_t screenCopyPass = -1;
    int32_t screenCopyReuse = 1;
    int32_t effectPass = 0;  // the pass of the replacement effect that draws now

    // Frame statistics: a sample at most every sixtieth of a second, so the ring covers at least
    // the last second.
    static constexpr int32_t kFrameRing = 60;
    DXC_FrameSample frameRing[kFrameRing];
    int32_t frameRingPos = 0;
    int32_t frameSamples = 0;  // filled entries, up to kFrameRing
    uint32_t frameCounter = 0;
    double lastPresentTime = 0.0;
    int32_t trianglesDrawn = 0;  // per frame
    int32_t drawCalls = 0;
    uint32_t meshCounter = 0;  // meshes drawn; an effect's parameters are bound again for each

    // Vertex processing of meshes.
    DXC_ReplacementEffect replacementEffect;
    int32_t indexedBlending = 1;   // 0: meshes with indexed blending are not drawn
    int32_t blendIndexLimit = -1;  // the highest blend index allowed; -1 none
    int32_t shaderCapsWord = -1;

private:
    // Registers the file name when a register is kept, and opens the file whole for reading.
    void OpenSceneFile(File& file, const char* fileName);
    int Resolve(CFileValidator& files, const char* name, int32_t length, String& output, const char* directory);
    void LoadVideoTexture(DXC_Texture& texture, const char* fileName);
    void LoadTextureList(DXC_Texture& texture, const char* fileName, uint32_t colorKey, int32_t options,
                         int32_t format, int32_t mipmaps);
    void ResetFields();
    IDirect3DDevice9& Device();  // the device; an error without one
    void SendTransform(D3DTRANSFORMSTATETYPE type, const D3DXMATRIX& matrix);  // kept only without a device
    void BuildFrustum();
    void TurnCulling();  // the requested cull code negated, for mirrored views
    // The caller's blend stage set up as the table's row of that mode; the stored mode and alpha.
    void ApplyBlendRow(int32_t mode, int32_t alpha, int32_t stage);
    void SetUnlitStageArg(int32_t stage, void (DXC_Gfx::*setArg)(int32_t, DWORD));
    void CheckStage(int32_t stage);
    // Sends a stage state when it differs from the stage's cached word, which takes the value first.
    void SetCachedStageState(int32_t stage, int32_t DXC_StageStateCache::*cached, D3DTEXTURESTAGESTATETYPE type,
                             DWORD value);
    void SetCachedRenderState(int32_t& cached, D3DRENDERSTATETYPE state, int32_t value);
    void SetCachedRenderState(float& cached, D3DRENDERSTATETYPE state, float value);
    // Mesh drawing (DXC_GfxMesh.cpp): the subset's material, combined with given, faded by the
    // opacity, as blending, stages and device material; draw once per pass of the effect (a pass
    // handed over runs under the secondary effect); one subset's faces by the D3DX mesh; the
    // vertex format ("Failed to set flexible vertex format: %s").
    void ApplySubsetMaterial(DXC_Mesh& mesh, int32_t subset, const DXC_Material* given, float opacity,
                             int32_t opaqueZWrite);
    void RunEffectPasses(DXC_ShaderEffect& effect, DXC_Mesh* mesh, int32_t subset, const std::function<void()>& draw,
                         bool handOver);
    // draw once through the effect the item is drawn with, or by the fixed pipeline.
    void DrawWithEffect(const DXC_VertexListBase& item, DXC_Mesh* mesh, int32_t subset,
                        const std::function<void()>& draw);
    void CountDraw(int32_t triangles);  // the per-frame counters
    void DrawSubsetFaces(DXC_Mesh& mesh, int32_t subset, int32_t faces);
    void SetVertexFormat(uint32_t vertexFormat);
    int SetAddressMode(int32_t mode, int32_t stage, D3DSAMPLERSTATETYPE type, int32_t& cached,
                       int32_t& requested, const char* warning);
    int ClearDevice(DWORD flags, uint32_t color, float z, DWORD stencil, const D3DRECT* rect, const char* message);
    // The reset's halves: what lives in the default pool goes, and the device's own surfaces come
    // back once it is reset.
    void ReleaseDefaultPool();
    void FetchDeviceSurfaces();
    void ReleaseSurfaceSlots();

    String texts[2];  // settled by the operations that use them
    CFileValidator textureFiles;
    CFileValidator effectFiles;
    DXC_Texture placeholder;
    String text;
    DXC_Surface backBuffer;
    DXC_ImageManager textureManager;
    DXC_ImageManager surfaceManager;
    DXC_ResourceManager meshManager;
    DXC_ResourceManager effectManager;
    DXC_ResourceManager spareManager;  // nothing fills it
    std::unique_ptr<RTXLoader> rtxLoader;  // the one importer of text exports
    std::unique_ptr<DXC_VertexLists> vertexLists;  // buffers only where a device draws

public:
    DXC_PointSpriteParams pointSprite;  // the record the fill mode of points applies
    std::unique_ptr<uint8_t[]> scratch[2];  // kScratchBytes each, per-frame lists of the drawing code

    // The state caches.
    DXC_StateCache states;
    D3DXMATRIX viewMatrix{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    D3DXMATRIX projectionMatrix{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    D3DXMATRIX worldMatrices[kWorldMatrices];  // identity
    D3DXMATRIX thirdMatrix{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    D3DXMATRIX worldViewProjection{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    D3DVIEWPORT9 viewport;   // no area until set
    D3DVIEWPORT9 viewportCache;  // what SetViewPort last sent
    int32_t viewportCacheValid = 0;
    float perspectiveNear = 1.0f;  // of the last SetPerspective
    float perspectiveFar = 1000.0f;
    float aspectFactor = 1.0f;
    int32_t frustumDirty = 1;  // the frustum is built again before its next test
    D3DXVECTOR3 frustumCorners[8];
    D3DXVECTOR3 frustumNormals[6];
    float clipPlanes[kClipPlanes][4] = {};
    int32_t activeClipPlanes = 0;
    D3DLIGHT9 lights[8];
    int32_t lightEnabled[8] = {};
    DXC_Fog fog;
    int32_t diffuseOverride = 0;
    D3DCOLORVALUE savedDiffuse;  // the colour SetMaterialTinted drew white
    int32_t blendMode = 1;  // 1: no blending
    int32_t requestedBlendMode = 1;
    int32_t requestedBlendAlpha = 255;
    int32_t currentBlendAlpha = 255;  // what the last mode put into the texture factor
    int32_t blendStage = 0;  // the stage whose alpha the material blending sets
    int32_t renderSources[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
    int32_t mipmapMode = 0;
    float mipmapLodBias = 0.0f;
    int32_t magFilters[8] = {-1, -1, -1, -1, -1, -1, -1, -1};  // as last sent; -1 never
    int32_t minFilters[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
    DXC_ShaderEffect* activeEffect = nullptr;  // not owned
    int32_t maxTextureSize = 0;  // the auto downsize
    int32_t maxTextureSizeOverride = 0;  // set: the maximum is not applied
    int32_t compressionLevel = 0;
    int32_t compressionMode = 0x10000;
    int32_t compressionMinSize = 65536;  // texels, both sides rounded up to powers of two
    uint32_t clearColor = 0xFF000000u;
    D3DGAMMARAMP gammaRamp;  // the identity ramp
    int32_t gammaCalibrate = 0;
    int32_t advancedShaders = 0;  // set where a device reports them, never on the server
    int32_t basicShaders = 0;

    // Fonts and text output (DXC_GfxBuiltinFont.cpp, DXC_GfxPrintf.cpp). Text is laid out and
    // drawn by the text container with the current font: the one set, else the built-in font,
    // made on first use where a device exists. On the server there is none: layout runs without
    // glyphs and nothing is drawn.
    int CreateBuiltinFont(DXC_Font* font, uint32_t colorA, uint32_t colorB);
    DXC_Font* GetBuiltinFont();
    // "Tried to set invalid font" for a font without a valid texture; a size of 0 keeps the
    // font's scale, a colour with alpha 0 its colour.
    int SetFont(DXC_Font* font, float size, uint32_t color);
    DXC_Font* GetFont();
    // Read by the screen-quad drawing; the text container clears it while it draws glyphs.
    void SetQuadDrawFlag(uint8_t flag) { quadDrawFlag = flag; }
    uint8_t GetQuadDrawFlag() const { return quadDrawFlag; }
    DXC_PrintfContainer& GetPrintfContainer() { return *printfContainer; }
    void SetPrintfOptions(const DXC_PrintfOptions& options);
    void GetPrintfOptions(DXC_PrintfOptions& options) const;
    int32_t SavePrintfOptions();
    void RestorePrintfOptions();
    // Formats into the narrow buffer and widens it into the wide one, each byte its own code
    // (Latin-1); "String too long for Printf()" at kWideTextUnits characters or more, the text
    // cut to the buffer. The length of the text.
    int32_t FormatNarrow(const char* format, ...) __attribute__((format(printf, 2, 3)));
    int32_t FormatWideV(const char16_t* format, va_list args);
    const char16_t* GetWideText() const { return wideText.get(); }
    // The wide entry points format into the wide buffer as FormatNarrow does; each returns 1.
    int PrintfW(int32_t x, int32_t y, const char16_t* format, ...);
    // Within the rectangle: its size the maximum width and height, its corner the fixed corner;
    // the caller's options come back afterwards. Centred: alignment 1, right: alignment 3.
    int PrintfInRectW(const POINT& position, const RECT& rect, const char16_t* format, ...);
    int PrintfCenteredInRectW(const POINT& position, const RECT& rect, const char16_t* format, ...);
    int PrintfRightInRectW(const POINT& position, const RECT& rect, const char16_t* format, ...);
    int PrintfCenteredW(const POINT& position, const char16_t* format, ...);
    int PrintfRightW(const POINT& position, const char16_t* format, ...);  // ends at position.x
    // The laid-out size of the text within the maximum width; nothing drawn.
    int GetTextExtentW(POINT& size, int32_t maxWidth, const char16_t* format, ...);
    int RenderTextBlock(int32_t x, int32_t y, float fx, float fy, PrintfTextBlock& block);
    int LayoutTextW(RECT& rect, PrintfTextBlock& block, const char16_t* format, ...);
    int LayoutText(RECT& rect, PrintfTextBlock& block, const char16_t* text);
    float GetCharWidth(char16_t c);  // 0 without a font

    // The narrow printf entry points: formatted and widened as FormatNarrow does, then laid out
    // and drawn as their wide forms. Each returns 1.
    int Printf(int32_t x, int32_t y, const char* format, ...) __attribute__((format(printf, 4, 5)));
    int PrintfRight(const POINT& position, const char* format, ...) __attribute__((format(printf, 3, 4)));
    int PrintfCentered(const POINT& position, const char* format, ...) __attribute__((format(printf, 3, 4)));
    int GetPrintfSize(POINT& size, const char* format, ...) __attribute__((format(printf, 3, 4)));
    int32_t FormatNarrowV(const char* format, va_list args);

    // Screen quads, lines and screen effects (DXC_GfxScreenQuads.cpp, DXC_GfxScreenEffect.cpp).
    // The current texture as a quad around its hot spot at (x, y), turned by angle (radians,
    // counter-clockwise on the screen) and scaled; corners 0 to 3 are (left, bottom), (left, top),
    // (right, bottom), (right, top) with depths z[0] to z[3]. "No texture set" without a current
    // texture; an invalid one draws nothing.
    int DrawTextureQuad(float x, float y, uint32_t color, float angle, float scaleX, float scaleY, const float z[4]);
    int DrawTextureQuadUniform(const int32_t rect[4], uint32_t color, const float z[4]);
    int DrawTexture(float x, float y, uint32_t color = 0xFFFFFFFFu, float angle = 0.0f, float scale = 1.0f,
                    float depth = 0.0f);
    int DrawTextureUniform(const int32_t rect[4], uint32_t color, float depth);
    // The current texture over the whole render target (a render texture's size while one is set).
    int FillScreen(uint32_t color, float depth);
    // The current texture's quad as it stands; the depth test comes back after the counted draws.
    int DrawLastTexture();
    // Depth testing off for the next count screen quads.
    void SuspendDepthTestForQuads(int32_t count);
    int DrawRectangle(float x1, float y1, float x2, float y2, uint32_t color, bool filled, float depth);
    int DrawLine2D(float x1, float y1, float x2, float y2, uint32_t color, float depth);
    int DrawLine3D(float x1, float y1, float z1, float x2, float y2, float z2, uint32_t color);
    int DrawCircle3D(const D3DXVECTOR3& centre, const D3DXVECTOR3& axis, float radius, uint32_t color,
                     int32_t segments);
    int DrawVertexList(DXC_VertexList* list, int32_t count) { return DrawTriangleList(list, 0, count); }
    // The screen drawn through the effect (null: the default screen effect); the viewport, the
    // transforms, the blending and the active effect are as before.
    int RenderScreenEffect(DXC_ShaderEffect* effect);
    void SetDefaultScreenEffect(DXC_ShaderEffect* effect) { defaultScreenEffect = effect; }
    // The engine's values into the parameters the effect declares; with effectCaching on, nothing
    // is sent again for the same effect until a mesh is drawn.
    void UpdateEffectParameters(DXC_ShaderEffect* effect);
    int UpdateVideoSource(int32_t source);
    // The window's client size in a window, the display size full screen.
    void GetScreenSize(int32_t& width, int32_t& height) const;
    // Vertices the immediate screen and world lists hold.
    static constexpr int32_t kImmediateVertices = 512;

private:
    // The immediate list with its buffer made on first use, locked for count vertices.
    template <class Vertex> Vertex* LockImmediate(DXC_VertexListTemp<Vertex>& list, int32_t count, int32_t kind);
    void DrawImmediate(DXC_VertexList& list, D3DPRIMITIVETYPE type, int32_t primitives);
    // The formatted wide text laid out with the options and drawn at the position (none: only
    // laid out); endAtX draws it so that it ends there.
    RECT PlaceText(const DXC_PrintfOptions& options, const POINT* position, bool endAtX);

    void DrawSceneSorted(DXC_3dScene& scene, int32_t optionA);
    bool CanDrawMirrors() const;
    int DrawMirror(DXC_3dScene& scene, DXC_Mesh& mesh, int32_t options, const tmpRECT<int32_t>& rect);
    int32_t mirrorsEnabled = 1;
    int32_t mirrorDepth = 0;      // mirror passes under way
    D3DRECT mirrorClear{};        // what a mirror pass clears; empty: the whole target
    void DrawDisplayAids(DXC_3dScene& scene);

    DXC_ShaderEffect* defaultScreenEffect = nullptr;  // not owned
    std::vector<DXC_KeyPair> sortList;  // grows to the largest scene and is kept between frames
    int32_t scenesDrawn = 0;
    const DXC_3dScene* sceneInDrawing = nullptr;
    const DXC_ShaderEffect* parametersEffect = nullptr;  // the last one UpdateEffectParameters filled
    uint32_t parametersMeshCounter = 0;
    double effectClockStart = -1.0;  // the first update's time
    int32_t quadDepthCountdown = 0;

private:
    RECT PrintfWithOptions(const DXC_PrintfOptions& options, const POINT* position, bool endAtX,
                           const char16_t* format, va_list args);
    RECT PrintfInRect(const POINT& position, const RECT& rect, int32_t alignment, const char16_t* format,
                      va_list args);

    std::unique_ptr<DXC_Font> builtinFont;  // made on first use
    std::unique_ptr<DXC_PrintfContainer> printfContainer;
    DXC_Font* currentFont = nullptr;  // not owned
    uint8_t quadDrawFlag = 0;

    DXC_VideoSource videoSources[kVideoSources];
    std::unique_ptr<char16_t[]> wideText;  // kWideTextUnits; every printf-style drawing formats here
    std::unique_ptr<char[]> narrowText;    // kNarrowTextBytes
};

// The program's graphics object: the program's entry makes it before the controller and fills
// this holder; null while none exists.
extern DXC_Gfx* g_Gfx;

