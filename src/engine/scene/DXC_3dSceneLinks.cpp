// DXC_3dScene over all its nodes: linking by name, clone meshes, segment tests, settings and time
// for every node, turning and scaling the roots, face counts and the insertion of another scene.
#include "engine/scene/DXC_3dScene.h"

#include "base/String.h"

#include <cstring>
#include <vector>

namespace {

// Calls f on every node of the four lists: meshes, helper objects, cameras, lights.
template <class F> void ForEachNode(DXC_3dScene& scene, F f)
{
    for (int32_t i = 0; i < scene.meshes.GetSize(); i++)
        f(static_cast<DXC_3dObject&>(*scene.meshes.GetAt(i)));
    for (int32_t i = 0; i < scene.objects.GetSize(); i++)
        f(*scene.objects.GetAt(i));
    for (int32_t i = 0; i < scene.cameras.GetSize(); i++)
        f(static_cast<DXC_3dObject&>(*scene.cameras.GetAt(i)));
    for (int32_t i = 0; i < scene.lights.GetSize(); i++)
        f(static_cast<DXC_3dObject&>(*scene.lights.GetAt(i)));
}

bool ToLocal(const D3DXMATRIX& world, const D3DXVECTOR3& p1, const D3DXVECTOR3& p2, D3DXVECTOR3& a, D3DXVECTOR3& b)
{
    D3DXMATRIX inverse;
    if (!D3DXMatrixInverse(&inverse, nullptr, &world))
        return false;
    D3DXVec3TransformCoord(&a, &p1, &inverse);
    D3DXVec3TransformCoord(&b, &p2, &inverse);
    return true;
}

}  // namespace

int DXC_3dScene::LinkObjects()
{
    const char* sceneName = objectName.c_str();
    auto linkParent = [&](DXC_3dObject& node) {
        node.parent = nullptr;
        if (node.parentName.IsEmpty())
            return;
        node.parent = FindObjectByName(node.parentName.c_str(), 1);
        if (!node.parent)
            Warning("Parent object '%s' not found in scene '%s'. Child: '%s'", node.parentName.c_str(), sceneName,
                    node.objectName.c_str());
    };
    for (int32_t i = 0; i < meshes.GetSize(); i++) {
        DXC_Mesh& mesh = *meshes.GetAt(i);
        linkParent(mesh);
        if (mesh.bones.GetSize() > 0 && !mesh.boneObjects)
            mesh.ResetBoneObjects();
        for (int32_t b = 0; b < mesh.bones.GetSize(); b++) {
            const int32_t number = mesh.bones.GetUsedSlot(b);
            const DXC_BoneInfo& bone = *mesh.bones.GetAt(b);
            if (number < 0 || number >= mesh.bones.GetSize()) {
                Warning("Invalid bone number");
                continue;
            }
            mesh.boneObjects[number] = FindObjectByName(bone.boneName.c_str(), 1);
            if (!mesh.boneObjects[number])
                Warning("Bone '%s' not found in scene '%s'. Child: '%s'", bone.boneName.c_str(), sceneName,
                        mesh.objectName.c_str());
        }
    }
    for (int32_t i = 0; i < cameras.GetSize(); i++) {
        DXC_Camera& camera = *cameras.GetAt(i);
        linkParent(camera);
        camera.target = nullptr;
        if (camera.targetName.IsEmpty())
            continue;
        camera.target = FindObjectByName(camera.targetName.c_str(), 1);
        if (!camera.target)
            Warning("Target object '%s' not found in scene '%s'. Child: '%s'", camera.targetName.c_str(), sceneName,
                    camera.objectName.c_str());
    }
    for (int32_t i = 0; i < objects.GetSize(); i++)
        linkParent(*objects.GetAt(i));
    for (int32_t i = 0; i < lights.GetSize(); i++)
        linkParent(*lights.GetAt(i));

    // Links that run in a circle would make every transform recurse for ever: refused.
    ForEachNode(*this, [&](DXC_3dObject& node) {
        if (node.HasParentCycle()) {
            node.parent = nullptr;
            Error("Object '%s' is its own ancestor in scene '%s'", node.objectName.c_str(), sceneName);
        }
    });
    for (int32_t i = 0; i < cameras.GetSize(); i++) {
        DXC_Camera& camera = *cameras.GetAt(i);
        for (const DXC_3dObject* up = camera.target; up; up = up->parent) {
            if (up == &camera) {
                camera.target = nullptr;
                Error("Object '%s' is its own target's parent in scene '%s'", camera.objectName.c_str(), sceneName);
            }
        }
    }
    return 1;
}

int DXC_3dScene::LinkCloneMeshes()
{
    for (int32_t i = 0; i < meshes.GetSize(); i++) {
        DXC_Mesh& clone = *meshes.GetAt(i);
        if (clone.cloneSourceName.IsEmpty())
            continue;
        const DXC_Mesh* source = FindMesh(clone.cloneSourceName.c_str(), false);
        if (!source)
            Error("Clone Mesh '%s' not found", clone.cloneSourceName.c_str());
        source->CloneInto(clone, true, true);  // without a device mesh (no geometry loaded) it shares none
    }
    return 1;
}

float DXC_3dScene::IntersectSegment(const D3DXVECTOR3& p1, const D3DXVECTOR3& p2, char* name, int32_t bufferSize,
                                    bool* prefixMatched, bool stopAtFirstHit)
{
    float result = -1.0f;
    const bool prefix = name && name[0];
    const bool nameOut = name && !name[0] && bufferSize > 0;
    const int32_t prefixLength = prefix ? int32_t(std::strlen(name)) : 0;
    if (prefixMatched)
        *prefixMatched = false;
    D3DXVECTOR3 a, b;
    if (!ToLocal(worldMatrix, p1, p2, a, b))
        return result;
    for (int32_t i = 0; i < meshes.GetSize(); i++) {
        DXC_Mesh& mesh = *meshes.GetAt(i);
        if (prefix) {
            if (String::CompareN(mesh.objectName.c_str(), name, prefixLength) != 0)
                continue;
            if (prefixMatched)
                *prefixMatched = true;
        } else if (!mesh.meshActive) {
            continue;
        }
        const float t = mesh.IntersectTriangles(a, b, stopAtFirstHit);
        if (t < 0.0f)
            continue;
        if (result < 0.0f || t < result) {
            result = t;
            if (nameOut)
                String::CopySized(name, bufferSize, mesh.objectName.c_str());
        }
        if (stopAtFirstHit)
            break;
    }
    return result;
}

bool DXC_3dScene::HitSegment(const D3DXVECTOR3& p1, const D3DXVECTOR3& p2, float radius)
{
    D3DXVECTOR3 a, b;
    if (!ToLocal(worldMatrix, p1, p2, a, b))
        return false;
    if (boundsFlags > 0)
        return DXC_ClipObject::IntersectSegment(a, b, radius, nullptr);
    for (int32_t i = 0; i < meshes.GetSize(); i++)
        if (meshes.GetAt(i)->IntersectSegment(a, b, radius))
            return true;
    return false;
}

int DXC_3dScene::SetFlagOnAll(int32_t value)
{
    ForEachNode(*this, [&](DXC_3dObject& node) { node.aniLoop = uint32_t(value); });
    aniLoop = uint32_t(value);
    return 1;
}

int DXC_3dScene::SetRangeOnAll(float value)
{
    ForEachNode(*this, [&](DXC_3dObject& node) { node.aniRange = value; });
    aniRange = value;
    return 1;
}

int DXC_3dScene::SetAniTime(double time, int withParent, int force)
{
    const double t = time * sceneFactor;
    for (int32_t i = 0; i < meshes.GetSize(); i++)
        meshes.GetAt(i)->SetAniTime(t, 1, force);
    for (int32_t i = 0; i < cameras.GetSize(); i++)
        cameras.GetAt(i)->SetAniTime(t, 1, force);
    if (withParent)
        for (int32_t i = 0; i < objects.GetSize(); i++)
            objects.GetAt(i)->SetAniTime(t, 1, force);
    for (int32_t i = 0; i < lights.GetSize(); i++)
        lights.GetAt(i)->SetAniTime(t, 1, force);
    return DXC_3dObject::SetAniTime(t, 1, force);
}

void DXC_3dScene::SetMeshTime(double time)
{
    for (int32_t i = 0; i < meshes.GetSize(); i++)
        meshes.GetAt(i)->SetMaterialTime(time * sceneFactor);
}

int DXC_3dScene::RotateRoots(float axisX, float axisY, float axisZ, float angle)
{
    if (angle == 0.0f)
        return 1;
    const D3DXVECTOR3 axis(axisX, axisY, axisZ);
    for (int32_t i = 0; i < meshes.GetSize(); i++) {
        DXC_Mesh& mesh = *meshes.GetAt(i);
        if (!mesh.parent)
            mesh.RotateBones(axis, angle, 0);
        mesh.transformChanged = 1;
    }
    for (int32_t i = 0; i < objects.GetSize(); i++) {
        DXC_3dObject& object = *objects.GetAt(i);
        if (!object.parent)
            object.RotateAxisAngle(axis, angle, 0);
        object.transformChanged = 1;
    }
    for (int32_t i = 0; i < cameras.GetSize(); i++) {
        DXC_Camera& camera = *cameras.GetAt(i);
        if (!camera.parent)
            camera.RotateAxisAngle(axis, angle, 0);
        camera.transformChanged = 1;
    }
    D3DXMATRIX r;
    D3DXMatrixRotationAxis(&r, &axis, angle);
    TransformBox(r);
    return 1;
}

int DXC_3dScene::ScaleRoots(float x, float y, float z)
{
    if (x == 1.0f && y == 1.0f && z == 1.0f)
        return 1;
    auto scaleRoot = [&](DXC_3dObject& node) {
        if (!node.parent)
            node.ScaleWithKeys(x, y, z, 1);  // the scale and its keys, not the positions
        node.transformChanged = 1;
    };
    for (int32_t i = 0; i < meshes.GetSize(); i++)
        scaleRoot(*meshes.GetAt(i));
    for (int32_t i = 0; i < objects.GetSize(); i++)
        scaleRoot(*objects.GetAt(i));
    D3DXMATRIX s;
    D3DXMatrixScaling(&s, x, y, z);
    TransformBox(s);
    return 1;
}

int DXC_3dScene::ScaleMeshes(float x, float y, float z)
{
    if (x == 1.0f && y == 1.0f && z == 1.0f)
        return 1;
    for (int32_t i = 0; i < meshes.GetSize(); i++) {
        meshes.GetAt(i)->ScaleBones(x, y, z);
        meshes.GetAt(i)->transformChanged = 1;
    }
    return 1;
}

int32_t DXC_3dScene::CountFaces(int32_t a, int32_t b)
{
    int32_t total = 0;
    for (int32_t i = 0; i < meshes.GetSize(); i++) {
        const DXC_Mesh& mesh = *meshes.GetAt(i);
        if (mesh.meshActive && (mesh.layout.selector ? a : b))
            total += mesh.faceCount;
    }
    return total;
}

int DXC_3dScene::Insert3dScene(DXC_3dScene& other, bool checkNames)
{
    if (&other == this)
        Error("Insert3dScene: a scene can not be inserted into itself");
    std::vector<DXC_3dObject*> inserted;
    std::vector<DXC_Mesh*> insertedMeshes;
    std::vector<DXC_Camera*> insertedCameras;
    auto place = [&](DXC_3dObject& copy) {
        D3DXMatrixMultiply(&copy.worldMatrix, &copy.worldMatrix, &other.worldMatrix);
        copy.transformChanged = 1;
        inserted.push_back(&copy);
    };
    auto checkName = [&](const DXC_3dObject& node) {
        if (checkNames && FindObjectByName(node.objectName.c_str(), 1))
            Warning("Insert3dScene: object with name '%s' already exists in scene '%s'", node.objectName.c_str(),
                    objectName.c_str());
    };
    // Every node of one of other's lists as a new node of the same list here.
    auto insertList = [&](auto& from, auto& to, const char* missing, auto copy) {
        for (int32_t i = 0; i < from.GetSize(); i++) {
            auto* node = from.GetAt(i);
            if (!node)
                Error(missing, i);
            checkName(*node);
            auto& made = *to.GetBySlot(to.Add());
            copy(*node, made);
            place(made);
        }
    };
    insertList(other.objects, objects, "Helper object number %i does not exist.",
               [](DXC_3dObject& from, DXC_3dObject& made) { from.CopyTo(made, 1); });
    insertList(other.meshes, meshes, "Mesh number %i does not exist.", [&](DXC_Mesh& from, DXC_Mesh& made) {
        from.CloneInto(made, false, false);
        insertedMeshes.push_back(&made);
    });
    insertList(other.cameras, cameras, "Camera number %i does not exist.", [&](DXC_Camera& from, DXC_Camera& made) {
        from.CopyTo(made);
        insertedCameras.push_back(&made);
    });
    insertList(other.lights, lights, "Light number %i does not exist.", [](DXC_Light& from, DXC_Light& made) {
        from.CopyTo(made);
        made.target = nullptr;
    });
    // The copies' links pointed into the other scene: they are made again within this one.
    for (DXC_3dObject* node : inserted) {
        node->parent = node->parentName.IsEmpty() ? nullptr : FindObjectByName(node->parentName.c_str(), 1);
        if (node->parent && node->HasParentCycle())
            node->parent = nullptr;
    }
    for (DXC_Mesh* mesh : insertedMeshes)
        for (int32_t b = 0; mesh->boneObjects && b < mesh->bones.GetSize(); b++)
            mesh->boneObjects[b] = FindObjectByName(mesh->bones.GetAt(b)->boneName.c_str(), 1);
    for (DXC_Camera* camera : insertedCameras) {
        camera->target = camera->targetName.IsEmpty() ? nullptr : FindObjectByName(camera->targetName.c_str(), 1);
        for (const DXC_3dObject* up = camera->target; up; up = up->parent)
            if (up == camera) {
                camera->target = nullptr;
                break;
            }
    }
    return 1;
}
