// DXC_Mesh: construction and reset of the mesh classes, the material and texture records that a
// mesh owns, and the device mesh it shares through the graphics object's mesh manager.
#include "engine/scene/DXC_Mesh.h"

#include "base/Math.h"
#include "engine/gfx/DXC_Material.h"
#include "engine/gfx/DXC_Texture.h"

#include <algorithm>

DXC_MeshMaterialBase::~DXC_MeshMaterialBase()
{
    FreeMaterials();
}

void DXC_MeshMaterialBase::FreeMaterials()
{
    delete[] textures;
    delete[] materials;
    textures = nullptr;
    materials = nullptr;
    materialCount = 0;
}

void DXC_MeshMaterialBase::AllocMaterials(int32_t count)
{
    FreeMaterials();
    if (count <= 0)
        return;
    textures = new DXC_Texture[size_t(count)];
    materials = new DXC_Material[size_t(count)];
    materialCount = count;
}

DXC_Texture* DXC_MeshMaterialBase::GetTexture(int32_t n)
{
    if (n < 0 || n >= materialCount) {
        Warning("Invalid texture number in GetTexture!");
        return nullptr;
    }
    return &textures[n];
}

int DXC_MeshMaterialBase::SetTexture(const DXC_Texture& texture, int32_t n)
{
    if (n < 0 || n >= materialCount) {
        Warning("Invalid texture number in SetTexture!");
        return 0;
    }
    texture.Clone(textures[n], 1, -1);
    return 1;
}

int DXC_MeshMaterialBase::SetMaterial(const DXC_Material& material, int32_t n)
{
    if (n < 0 || n >= materialCount) {
        Warning("Invalid material number in SetMaterial!");
        return 0;
    }
    materials[n] = material;
    ForgetTransparency();
    return 1;
}

DXC_Material& DXC_MeshMaterialBase::GetMaterial(int32_t n)
{
    if (n < 0 || n >= materialCount)
        Error("Wrong material number !");
    return materials[n];
}

int DXC_MeshMaterialBase::CopyMaterials(const DXC_MeshMaterialBase& other, int share)
{
    if (&other == this)
        return 1;
    AllocMaterials(other.materialCount);
    for (int32_t i = 0; i < materialCount; i++) {
        materials[i] = other.materials[i];
        other.textures[i].Clone(textures[i], share, -1);
    }
    ForgetTransparency();
    return 1;
}

void DXC_MeshMaterialBase::AssignTextures(DXC_MeshMaterialBase& target) const
{
    if (&target == this)
        return;
    const int32_t n = std::min(materialCount, target.materialCount);
    for (int32_t i = 0; i < n; i++) {
        const DXC_Texture& from = textures[i];
        DXC_Texture& to = target.textures[i];
        if (from.GetId() < 1 && to.GetId() < 1) {
            for (int32_t s = 0; s < DXC_Texture::kStages; s++) {
                to.stages[s].transformActive = from.stages[s].transformActive;
                if (to.stages[s].transformActive)
                    to.stages[s].textureMatrix = from.stages[s].textureMatrix;
            }
            target.materials[i].AssignAnimationState(materials[i]);
        } else if (from.GetId() == to.GetId()) {
            to.currentFrame = from.currentFrame;
            to.currentTexture = from.currentTexture;
        }
    }
}

bool DXC_MeshMaterialBase::AreTextureFilesUnchanged() const
{
    bool unchanged = true;
    for (int32_t i = 0; i < materialCount; i++)  // every texture is asked, changed or not
        unchanged = textures[i].IsFileUnchanged() && unchanged;
    return unchanged;
}

bool DXC_MeshMaterialBase::SameMaterials(const DXC_MeshMaterialBase& other) const
{
    if (materialCount != other.materialCount)
        return false;
    for (int32_t i = 0; i < materialCount; i++) {
        const DXC_Texture& a = textures[i];
        const DXC_Texture& b = other.textures[i];
        if (materials[i] != other.materials[i] || a.GetId() != b.GetId() || a.recordFloat != b.recordFloat)
            return false;
        for (int32_t s = 0; s < DXC_Texture::kStages; s++) {
            // Different images never merge, whatever else agrees.
            if (a.stages[s].mapType != b.stages[s].mapType || a.stageNames[s] != b.stageNames[s] ||
                a.stages[s].transformActive != b.stages[s].transformActive ||
                (a.stages[s].transformActive && a.stages[s].textureMatrix != b.stages[s].textureMatrix))
                return false;
        }
    }
    return true;
}

void DXC_MeshMaterialBase::ReleaseTextures()
{
    for (int32_t i = 0; i < materialCount; i++)
        textures[i].Release();
}

void DXC_MeshMaterialBase::SetMaterialTime(double time)
{
    if (aniLoop)
        time = Math::WrapDouble(time, aniRange);
    for (int32_t i = 0; i < materialCount; i++) {
        textures[i].Update(float(time));
        materials[i].Animate(time);
    }
}

DXC_MeshBase::DXC_MeshBase()
{
    DXC_Base::SetName("DXC_MeshBase");
    Reset();
}

DXC_MeshBase::~DXC_MeshBase()
{
    ReleaseDeviceMesh();
}

void DXC_MeshBase::Reset()
{
    DXC_3dObject::Reset();
    ResetBounds();
    spareWord = 0;
    indexBufferLocked = vertexBufferLocked = attributeBufferLocked = 0;
    cloneSourceName = "";
    transparency = -1;
    meshWord = 0;
    vertexCount = faceCount = 0;
    texChannelCount = 1;
    lockedIndexData = lockedVertexData = lockedAttributeData = nullptr;
    meshActive = 1;
}

void DXC_MeshBase::ReleaseDeviceMesh()
{
    if (deviceMesh) {
        if (indexBufferLocked)
            deviceMesh->UnlockIndexBuffer();
        if (vertexBufferLocked)
            deviceMesh->UnlockVertexBuffer();
        if (attributeBufferLocked)
            deviceMesh->UnlockAttributeBuffer();
        const bool last = !resourceManager || resourceManager->Unacquire(resourceId) == 1;
        if (last)
            deviceMesh->Release();
    }
    deviceMesh = nullptr;
    indexBufferLocked = vertexBufferLocked = attributeBufferLocked = 0;
    lockedIndexData = lockedVertexData = lockedAttributeData = nullptr;
    ResetResource();
}

DXC_Mesh::DXC_Mesh()
{
    DXC_Base::SetName("DXC_Mesh");
    kind = OBJ_KIND_MESH;
}

DXC_Mesh::~DXC_Mesh()
{
    delete[] boneObjects;
    delete[] attributeTable;
}

void DXC_Mesh::Clear()
{
    FreeMaterials();
    ReleaseDeviceMesh();
    bones.DeleteAll();
    delete[] boneObjects;
    boneObjects = nullptr;
    delete[] attributeTable;
    attributeTable = nullptr;
    attributeCount = 0;
    DXC_MeshBase::Reset();
    layout = VertexLayout();
    kind = OBJ_KIND_MESH;
    extraTextureIndex = -1;
}

int DXC_Mesh::CloneInto(DXC_Mesh& target, bool keepObject, bool keepMaterials) const
{
    if (&target == this)
        return 1;
    DXC_3dObject keptNode;
    DXC_ClipObject keptBounds = target;
    if (keepObject)
        target.CopyTo(keptNode, 1);
    DXC_MeshMaterialBase keptMaterials;
    if (keepMaterials)
        keptMaterials.CopyMaterials(target, 1);
    target.Clear();

    DXC_3dObject::CopyTo(target, 1);
    if (keepObject)
        keptNode.CopyTo(target, 1);
    static_cast<DXC_ClipObject&>(target) = *this;
    if (keepObject && !deviceMesh)
        static_cast<DXC_ClipObject&>(target) = keptBounds;  // no geometry to share: its own bounds stay true
    target.kind = OBJ_KIND_MESH;
    target.layout = layout;
    target.vertexCount = vertexCount;
    target.faceCount = faceCount;
    target.texChannelCount = texChannelCount;
    target.meshActive = meshActive;
    target.transparency = transparency;
    target.extraTextureIndex = extraTextureIndex;
    target.skinWord = skinWord;
    for (int32_t i = 0; i < bones.GetSize(); i++)
        *target.bones.GetBySlot(target.bones.Add()) = *const_cast<DXC_Mesh*>(this)->bones.GetAt(i);
    if (boneObjects) {
        target.ResetBoneObjects();
        for (int32_t i = 0; i < target.bones.GetSize(); i++)
            target.boneObjects[i] = boneObjects[i];
    }
    target.CopyMaterials(keepMaterials ? keptMaterials : static_cast<const DXC_MeshMaterialBase&>(*this), 1);
    if (keepObject)
        target.cloneSourceName = objectName;
    if (!deviceMesh || !resourceManager)
        return 0;
    target.deviceMesh = deviceMesh;
    target.resourceManager = resourceManager;
    target.resourceId = resourceManager->Acquire(resourceId);
    target.RefreshAttributeTable();
    return 1;
}
