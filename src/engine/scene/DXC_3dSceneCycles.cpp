// DXC_3dScene and animation cycles: a cycle bound to the scene by the names of its nodes, and the
// scene posed from one cycle or from two mixed by a weight.
//
// One cycle serves every scene of its model, so binding keeps, per node of the scene in used
// order, the node's slot and the cycle's track for it; posing walks these pairs and skips a pair
// whose slot is empty by now or whose track is -1.
#include "engine/scene/DXC_3dScene.h"

#include "engine/scene/DXC_AniCycle.h"

namespace {

// The first of the tracks named exactly as name (letter case counts); -1 when none.
template <class Track> int32_t FindTrackIndex(const Track* tracks, int32_t count, const String& name)
{
    for (int32_t i = 0; i < count; i++)
        if (tracks[i].objectName == name)
            return i;
    return -1;
}

// The pairs of one list of the scene, with the warnings that the report flag asks for.
template <class List, class Track>
void BindList(List& list, const Track* tracks, int32_t trackCount, AniCycleMapEntry* map, bool report,
              const char* what, DXC_AniCycle& cycle, const DXC_3dScene& scene)
{
    const char* sceneName = scene.objectName.c_str();
    for (int32_t i = 0; i < list.GetSize(); i++) {
        const DXC_3dObject& node = *list.GetAt(i);
        map[i].sceneSlot = list.GetUsedSlot(i);
        map[i].track = FindTrackIndex(tracks, trackCount, node.objectName);
        if (!report)
            continue;
        if (map[i].track < 0) {
            cycle.Warning("Scene %s object '%s' in scene '%s' not found in anicycle '%s'", what,
                          node.objectName.c_str(), sceneName, cycle.GetCycleName());
            continue;
        }
        // The names decide: the cycle's tracks are linked only at the end of binding.
        if (!(node.parentName == tracks[map[i].track].parentName))
            cycle.Warning("Mismatching object hierarchy (%s object '%s' in scene '%s') in anicycle '%s'", what,
                          node.objectName.c_str(), sceneName, cycle.GetCycleName());
    }
}

// One list of a cycle: its tracks and the pairs of its binding.
template <class Track> struct CycleList {
    const Track* tracks;
    int32_t trackCount;
    const AniCycleMapEntry* map;
    int32_t pairCount;

    // The track of pair i, or none when it is -1 or beyond the tracks.
    const Track* At(int32_t i) const
    {
        const int32_t t = map[i].track;
        return t >= 0 && t < trackCount ? &tracks[t] : nullptr;
    }
};

CycleList<DXC_3dObject> Objects(const DXC_AniCycle& c)
{
    return {c.objectTracks, c.objectTrackCount, c.objectMap, c.objectMapCount};
}

CycleList<DXC_MeshMaterialBase> Meshes(const DXC_AniCycle& c)
{
    return {c.meshTracks, c.meshTrackCount, c.meshMap, c.meshMapCount};
}

void CopyPose(const DXC_3dObject& from, DXC_3dObject& to)
{
    to.aniPosition = from.aniPosition;
    to.aniScale = from.aniScale;
    to.aniRotation = from.aniRotation;
}

}  // namespace

int DXC_3dScene::BindAniCycle(DXC_AniCycle& cycle, int32_t flags)
{
    cycle.AllocMaps(objects.GetSize(), meshes.GetSize());
    BindList(objects, cycle.objectTracks, cycle.objectTrackCount, cycle.objectMap, (flags & 1) != 0, "helper", cycle,
             *this);
    BindList(meshes, cycle.meshTracks, cycle.meshTrackCount, cycle.meshMap, (flags & 2) != 0, "mesh", cycle, *this);
    cycle.LinkParents();
    return 1;
}

int DXC_3dScene::BlendAniCycles(const DXC_AniCycle& a, const DXC_AniCycle* b, float w)
{
    const bool withB = b && w != 0.0f;  // A alone checks nothing of B
    // Poses the nodes of one list from A's list and B's; posed(node, track) is told which track
    // gave each node its pose (the nearer one by weight when both did).
    auto blendList = [&](auto& list, const auto& fromA, const auto& fromB, const char* what, auto posed) {
        for (int32_t i = 0; i < list.GetSize(); i++)
            list.GetAt(i)->worldValid = 0;
        if (withB && fromA.pairCount != fromB.pairCount)
            Error("Number of scene %s objects does not match in animation cycles '%s' and '%s'", what,
                  a.GetCycleName(), b->GetCycleName());
        for (int32_t i = 0; i < fromA.pairCount; i++) {
            if (withB && fromA.map[i].sceneSlot != fromB.map[i].sceneSlot)
                Error("Scenes do not match in animation cycles '%s' and '%s'", a.GetCycleName(), b->GetCycleName());
            auto* node = list.GetBySlot(fromA.map[i].sceneSlot);
            if (!node)
                continue;
            const auto* trackA = fromA.At(i);
            const auto* trackB = withB ? fromB.At(i) : nullptr;
            if (trackA && trackB) {
                node->aniPosition = trackA->aniPosition * (1.0f - w) + trackB->aniPosition * w;
                node->aniScale = trackA->aniScale * (1.0f - w) + trackB->aniScale * w;
                D3DXQuaternionSlerp(&node->aniRotation, &trackA->aniRotation, &trackB->aniRotation, w);
                posed(*node, w < 0.5f ? *trackA : *trackB);
            } else if (trackA || trackB) {
                const auto& from = trackA ? *trackA : *trackB;
                CopyPose(from, *node);
                posed(*node, from);
            }
        }
    };
    blendList(objects, Objects(a), withB ? Objects(*b) : Objects(a), "helper",
              [](DXC_3dObject&, const DXC_3dObject&) {});
    blendList(meshes, Meshes(a), withB ? Meshes(*b) : Meshes(a), "mesh",
              [](DXC_Mesh& mesh, const DXC_MeshMaterialBase& from) {
                  if (mesh.meshActive && !mesh.aniFrozen)
                      from.AssignTextures(mesh);
              });
    for (int32_t i = 0; i < objects.GetSize(); i++)
        objects.GetAt(i)->RebuildWorld(0);
    for (int32_t i = 0; i < meshes.GetSize(); i++)
        meshes.GetAt(i)->RebuildWorld(0);
    return 1;
}
