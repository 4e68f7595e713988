// SceneObjectTestSupport: a concrete scene object, and small scenes built in memory.
#pragma once
#include "engine/scene/DXC_3dScene.h"
#include "game/objects/SceneObject.h"

class TestSceneObject : public SceneObject {
public:
    bool IsLootable() override { return false; }
};

// A mesh of the scene with a box and a world matrix.
inline DXC_Mesh& AddBoxMesh(DXC_3dScene& scene, const char* name, const D3DXVECTOR3& low, const D3DXVECTOR3& high,
                            const D3DXMATRIX& world)
{
    DXC_Mesh& mesh = *scene.meshes.GetBySlot(scene.meshes.Add());
    mesh.SetObjectName(name);
    mesh.SetBox(low, high);
    mesh.worldMatrix = world;
    return mesh;
}

// A helper object (a bone or dummy) of the scene at a world matrix.
inline DXC_3dObject& AddNode(DXC_3dScene& scene, const char* name, const D3DXMATRIX& world)
{
    DXC_3dObject& node = *scene.objects.GetBySlot(scene.objects.Add());
    node.SetObjectName(name);
    node.worldMatrix = world;
    return node;
}

inline D3DXMATRIX Translation(float x, float y, float z)
{
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, x, y, z);
    return m;
}
