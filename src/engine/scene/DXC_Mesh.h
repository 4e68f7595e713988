// DXC_Mesh: meshes: the material node, the mesh with device buffers and the skinned mesh with bones.
#pragma once
#include "base/DynaMem.h"
#include "engine/scene/DXC_3dClipObject.h"
#include "engine/scene/VertexLayout.h"
#include "platform/D3D9Types.h"
#include "platform/D3DXMesh.h"

class DXC_Texture;
class DXC_Material;

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
    void ReleaseTextures();
    void SetMaterialTime(double time);

    DXC_Texture* textures = nullptr;  // owned, materialCount records
    DXC_Material* materials = nullptr;  // owned, materialCount records
    int32_t materialCount = 0;

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

    DynaMem<DXC_BoneInfo, 8> bones;
    DXC_3dObject** boneObjects = nullptr;  // one node per bone, none until bound; array owned
    uint32_t skinWord = 1;
    D3DXATTRIBUTERANGE* attributeTable = nullptr;  // owned
    int32_t attributeCount = 0;
    int32_t extraTextureIndex = -1;
    uint8_t skinByte = 0;
};
