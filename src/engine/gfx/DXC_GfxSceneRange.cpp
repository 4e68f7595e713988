// DXC_Gfx scene ranges: a scene copied over a time range, and an animation cycle cut from a scene
// (the rule is written at the top of DXC_Gfx.h).
#include "engine/gfx/DXC_Gfx.h"

#include "engine/scene/DXC_3dScene.h"
#include "engine/scene/DXC_AniCycle.h"
#include "engine/scene/SceneMath.h"

#include <algorithm>

namespace {

// The keys of one chain moved into [0, end - start]: the last key at or before start stays (it
// holds the value at the start), the keys before it go, and the chain ends with the first key
// past the range and its tolerance.
template <class T> void ConvertChain(DXC_KeyBase<T>*& first, int32_t& count, float start, float end)
{
    using Key = DXC_KeyBase<T>;
    const float range = end - start;
    const float limit = range + 1e-5f * range;
    while (first && first->next && first->next->time <= start)
        Key::Unlink(first, first);
    for (Key* k = first; k; k = k->next) {
        k->time -= start;
        if (k->time < 0.0f)
            k->time = 0.0f;
        if (k->time > limit) {
            Key::FreeChain(k->next);
            k->next = nullptr;
            break;
        }
    }
    count = Key::Count(first);
}

// The node's three tracks over the range; the first rotation key, which turned from a key that
// is gone, now turns from no rotation at all.
void ConvertKeys(DXC_3dObject& node, float start, float end)
{
    // The node's time tables now point at moved or freed keys; BuildKeyTimeTables below replaces
    // them without reading them.
    ConvertChain(node.posKeys, node.numPosKey, start, end);
    ConvertChain(node.rotKeys, node.numRotKey, start, end);
    ConvertChain(node.scaleKeys, node.numScaleKey, start, end);
    node.posCursor = nullptr;
    node.rotCursor = nullptr;
    node.scaleCursor = nullptr;
    if (node.rotKeys)
        QuaternionToAxisAngleNorm(node.rotKeys->data.quaternion, &node.rotKeys->data.axis,
                                  &node.rotKeys->data.angle);
    node.SetAniRange(end - start);
    node.BuildKeyTimeTables();
}

// A fresh list of copies of another list's nodes, in the same order.
template <class List, class Copy> void CopyList(List& from, List& to, Copy copy)
{
    to.DeleteAll();
    for (int32_t i = 0; i < from.GetSize(); i++) {
        auto* source = from.GetAt(i);
        copy(*source, *to.GetBySlot(to.Add()));
    }
}

}  // namespace

int DXC_Gfx::ConvertSceneRange(DXC_3dScene& source, DXC_3dScene& destination, float start, float end)
{
    if (&source == &destination)
        Error("ConvertSceneRange: source and destination are one scene");
    if (end < start)
        end = start;  // a reversed range holds nothing
    String name(source.objectName.c_str(), std::min<int32_t>(source.objectName.TextLength(), 63));
    destination.objectName = name;
    auto node = [&](const DXC_3dObject& from, DXC_3dObject& to) {
        // Tables are rebuilt by the conversion: a copy of a node with stale tables is no problem.
        from.CopyTo(to, 1);
        ConvertKeys(to, start, end);
    };
    auto target = [&](const DXC_Target3dObject& from, DXC_Target3dObject& to) {
        to.CopyFrom(from);
        ConvertKeys(to, start, end);
    };
    CopyList(source.meshes, destination.meshes, node);
    CopyList(source.objects, destination.objects, node);
    CopyList(source.cameras, destination.cameras, target);
    CopyList(source.lights, destination.lights, [&](const DXC_Light& from, DXC_Light& to) {
        target(from, to);
        to.lightWordA = from.lightWordA;
        to.lightWordB = from.lightWordB;
        to.lightParams = from.lightParams;
    });
    // Parents and targets within the new scene, never in the source.
    auto link = [&](DXC_3dObject& n) {
        n.parent = n.parentName.IsEmpty() ? nullptr : destination.FindObjectByName(n.parentName.c_str(), 1);
        if (n.parent == &n)
            n.parent = nullptr;
    };
    for (int32_t i = 0; i < destination.meshes.GetSize(); i++)
        link(*destination.meshes.GetAt(i));
    for (int32_t i = 0; i < destination.objects.GetSize(); i++)
        link(*destination.objects.GetAt(i));
    for (int32_t i = 0; i < destination.cameras.GetSize(); i++) {
        DXC_Camera& camera = *destination.cameras.GetAt(i);
        link(camera);
        camera.target =
            camera.targetName.IsEmpty() ? nullptr : destination.FindObjectByName(camera.targetName.c_str(), 1);
    }
    for (int32_t i = 0; i < destination.lights.GetSize(); i++) {
        DXC_Light& light = *destination.lights.GetAt(i);
        link(light);
        light.target = nullptr;
    }
    return 1;
}

int DXC_Gfx::BuildAniCycle(DXC_3dScene& scene, DXC_AniCycle& cycle, float start, float end)
{
    if (end < start)
        end = start;  // a reversed range holds nothing
    cycle.AllocTracks(scene.objects.GetSize(), scene.meshes.GetSize());
    auto take = [&](DXC_3dObject& from, DXC_3dObject& track) {
        from.CopyTo(track, 0);
        track.TakeKeys(from);
        ConvertKeys(track, start, end);
    };
    for (int32_t i = 0; i < cycle.objectTrackCount; i++)
        take(*scene.objects.GetAt(i), cycle.objectTracks[i]);
    for (int32_t i = 0; i < cycle.meshTrackCount; i++) {
        DXC_Mesh& mesh = *scene.meshes.GetAt(i);
        take(mesh, cycle.meshTracks[i]);
        cycle.meshTracks[i].CopyMaterials(mesh, 1);
    }
    cycle.startTime = 0.0f;
    cycle.endTime = end - start;
    cycle.LinkParents();
    return 1;
}
