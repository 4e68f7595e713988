// DXC_Mesh: meshes: the material node, the mesh with device buffers and the skinned mesh with bones.
#pragma once
#include "base/DynaMem.h"
#include "engine/scene/DXC_3dClipObject.h"
#include "engine/scene/VertexLayout.h"
#include "platform/D3D9Types.h"

class DXC_Texture;
class DXC_Material;

// A node with materials and textures; entry n of both arrays belongs to material n.
class DXC_MeshMaterialBase : public DXC_3dObject {
public:
    // Takes over the texture and material animation state of source (the pose blending of cycles).
    void AssignTextures(const DXC_MeshMaterialBase& source);

    DXC_Texture* textures = nullptr;  // the records come with the graphics layer; empty on the server
    DXC_Material* materials = nullptr;
    int32_t materialCount = 0;
};

class DXC_MeshBase : public DXC_MeshMaterialBase, public DXC_ClipObject, public DXC_VertexListBase {
public:
    DXC_MeshBase();

    void Reset();
    void SetActive(uint32_t active) { meshActive = active; }
    float GetBoxMaxY() const { return boxMax.y; }

    uint32_t spareWord = 0;
    uint32_t indexBufferLocked = 0;
    uint32_t vertexBufferLocked = 0;
    uint32_t attributeBufferLocked = 0;
    ID3DXMesh* deviceMesh = nullptr;  // none on the server
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
