// DXC_Mesh: construction and reset of the mesh classes; their device side stays empty on the server.
#include "engine/scene/DXC_Mesh.h"

void DXC_MeshMaterialBase::AssignTextures(const DXC_MeshMaterialBase&)
{
    // Without texture and material records (the server loads no geometry) there is no state to take.
}

DXC_MeshBase::DXC_MeshBase()
{
    DXC_Base::SetName("DXC_MeshBase");
    Reset();
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
