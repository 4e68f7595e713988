// DXC_Mesh: meshes: the material node, the mesh with device buffers and the skinned mesh with bones.
//
// The classes are split by role:
//   DXC_Mesh.cpp          construction, materials and textures, the shared device mesh
//   DXC_MeshGeometry.cpp  buffers, bounds, transparency, skinning, triangle and segment tests, bones
//   DXC_MeshFile.cpp      the mesh record of binary scene files with its packed vertices
#pragma once
#include "base/DynaMem.h"
#include "engine/scene/DXC_3dClipObject.h"
#include "engine/scene/VertexLayout.h"
#include "platform/D3D9Types.h"
#include "platform/D3DXMesh.h"

class DXC_Gfx;
class DXC_Material;
class DXC_Texture;

// A node with materials and textures; entry n of both arrays belongs to material n.
class DXC_MeshMaterialBase : public DXC_3dObject {
public:
    ~DXC_MeshMaterialBase() override;

    // count fresh materials and textures in place of the old ones (none below one).
    void AllocMaterials(int32_t count);
    void FreeMaterials();
    DXC_Texture* GetTexture(int32_t n);
    int SetTexture(const DXC_Texture& texture, int32_t n);  // a shared copy
    int SetMaterial(const DXC_Material& material, int32_t n);
    DXC_Material& GetMaterial(int32_t n);
    // Copies of other's materials and textures; share is the textures' clone flag.
    int CopyMaterials(const DXC_MeshMaterialBase& other, int share);
    // This mesh's texture and material animation state into target (the pose blending of cycles).
    void AssignTextures(DXC_MeshMaterialBase& target) const;
    bool SameMaterials(const DXC_MeshMaterialBase& other) const;
    // Asks every texture whether its files are unchanged; true when all are.
    bool AreTextureFilesUnchanged() const;
    void ReleaseTextures();
    void SetMaterialTime(double time);
    // The materials' and textures' time, then the node's.
    int SetAniTime(double time, int withParent, int force) override;

    DXC_Texture* textures = nullptr;  // owned, materialCount records
    DXC_Material* materials = nullptr;  // owned, materialCount records
    int32_t materialCount = 0;
    uint8_t hasEffect = 0;  // a material holds a shader effect (given where a device loads them)

protected:
    virtual void ForgetTransparency() {}  // a material changed: meshes test their transparency again
};

class DXC_MeshBase : public DXC_MeshMaterialBase, public DXC_ClipObject, public DXC_VertexListBase {
public:
    DXC_MeshBase();
    ~DXC_MeshBase() override;

    void Reset();
    // Gives the device mesh's reference back; the mesh itself goes with the last one.
    void ReleaseDeviceMesh();
    bool HasDeviceMesh() const { return deviceMesh != nullptr; }
    // The materials' time only for an active, moving mesh (or when forced), then the node's.
    int SetAniTime(double time, int withParent, int force) override;

    // Buffers of the device mesh (device failures are errors naming the call).
    int LockAll(uint32_t flags);
    int UnlockAll();
    // Vertex parts, face indices and attributes in the locked buffers.
    D3DXVECTOR3 GetVertexPosition(int32_t n) const;
    void SetVertexPosition(int32_t n, const D3DXVECTOR3& p);
    D3DXVECTOR3 GetVertexNormal(int32_t n) const;
    void SetVertexNormal(int32_t n, const D3DXVECTOR3& v);
    float GetVertexFloat(int32_t n, uint32_t offset) const;
    void SetVertexFloat(int32_t n, uint32_t offset, float v);
    uint8_t* VertexBytes(int32_t n) const;
    uint16_t GetFaceIndex(int32_t face, int corner) const;

    void ComputeBounds();
    void TransformVertices(const D3DXMATRIX& m);
    // The same for count vertices from first, without the bounds (a range outside does nothing).
    void TransformVertexRange(const D3DXMATRIX& m, int32_t first, int32_t count);
    int IsTransparent();
    // Whether the segment widened by r meets the mesh's bounds (points in the scene's space).
    bool IntersectSegment(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, float r);
    void SetActive(uint32_t active) { meshActive = active; }
    float GetBoxMaxY() const { return boxMax.y; }

    uint32_t spareWord = 0;
    uint32_t indexBufferLocked = 0;
    uint32_t vertexBufferLocked = 0;
    uint32_t attributeBufferLocked = 0;
    ID3DXMesh* deviceMesh = nullptr;  // shared through the mesh manager of the graphics object
    String cloneSourceName;           // the mesh whose geometry this one shares
    int32_t transparency = -1;        // -1 not yet tested, 0 opaque, 1 transparent
    uint32_t meshWord = 0;
    int32_t vertexCount = 0;
    int32_t faceCount = 0;
    int32_t texChannelCount = 1;
    void* lockedIndexData = nullptr;
    void* lockedVertexData = nullptr;
    void* lockedAttributeData = nullptr;
    uint32_t meshActive = 1;
    uint8_t isMirror = 0;  // drawn with the scene reflected in its plane

protected:
    void ForgetTransparency() override { transparency = -1; }
};

// A bone of a skinned mesh: its name, the two matrices of the file and their product, the bone's
// offset matrix for skinning.
struct DXC_BoneInfo {
    String boneName;
    D3DXMATRIX fileMatrixA;
    D3DXMATRIX fileMatrixB;
    D3DXMATRIX offsetMatrix;
};

class DXC_Mesh : public DXC_MeshBase {
public:
    DXC_Mesh();
    ~DXC_Mesh() override;

    int IsMesh() const override { return 1; }
    // Frees materials, textures, geometry and bones; kind 1, no extra texture.
    void Clear();

    int32_t GetBoneCount() const { return bones.GetSize(); }
    void RefreshAttributeTable();
    int Optimize();
    // The blend of the bones that vertex n follows; a bone index beyond the bones (or without a
    // bound node) takes the mesh's own matrix.
    void GetBlendedMatrix(D3DXMATRIX& out, int32_t n);
    // Bone b's offset matrix times its node's world matrix; the mesh's own matrix for a bone
    // beyond the bones or without a bound node.
    void GetBoneMatrix(D3DXMATRIX& out, int32_t b);
    // The nearest hit of the segment p0-p1 (in the mesh's space) with its triangles, or -1.0.
    float IntersectTriangles(const D3DXVECTOR3& p0, const D3DXVECTOR3& p1, bool firstHitOnly);
    void ResetBoneObjects();  // one empty entry per bone
    void SetExtraTextureIndex(int32_t index) { extraTextureIndex = index; }
    // 1 + the first reflection stage of texture n, 0 when none or without an extra texture.
    int32_t GetTextureStageOfKind2(int32_t n) const;
    int RotateBones(const D3DXVECTOR3& axis, float angle, int keepPositions);
    int ScaleBones(float x, float y, float z);
    // The bone of that name (letter case counts), or a copy of bone added; its number.
    int32_t FindOrAddBone(const DXC_BoneInfo& bone);
    // The vertex blend mode of the device for a number of weights ("Invalid weight number").
    uint32_t VertexBlendMode(uint32_t weights);
    // This mesh's data into target, sharing the device mesh (1); 0 without one, when target gets
    // everything but the device mesh. keepObject keeps target's node part, keepMaterials its
    // materials and textures.
    int CloneInto(DXC_Mesh& target, bool keepObject, bool keepMaterials) const;

    // The mesh record of binary scene files (DXC_MeshFile.cpp).
    int Write(File& file) override;
    int Read(File& file, DXC_Gfx& gfx);

    DynaMem<DXC_BoneInfo, 8> bones;
    DXC_3dObject** boneObjects = nullptr;  // one node per bone, none until bound; array owned
    uint32_t skinWord = 1;  // 1: the device blends the bones (hardware vertex blending)
    D3DXATTRIBUTERANGE* attributeTable = nullptr;  // owned
    int32_t attributeCount = 0;
    int32_t extraTextureIndex = -1;
    uint8_t skinByte = 0;
    uint32_t vertexBlendMode = 0;  // the device's blend mode for the vertices' weights
};
