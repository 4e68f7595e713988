// DXC_AniCycle: cycle time, pose copies, whole-motion turns and scaling, and blending of two cycles.
#include "engine/scene/DXC_AniCycle.h"

#include "base/Math.h"

#include <cmath>

DXC_AniCycle::DXC_AniCycle()
{
    SetName("DXC_AniCycle");
    cycleName[0] = 0;
    Init();
}

DXC_AniCycle::~DXC_AniCycle()
{
    FreeData();
}

void DXC_AniCycle::FreeData()
{
    delete[] objectTracks;
    delete[] meshTracks;
    delete[] objectMap;
    delete[] meshMap;
    objectTracks = nullptr;
    meshTracks = nullptr;
    objectMap = nullptr;
    meshMap = nullptr;
    objectTrackCount = meshTrackCount = objectMapCount = meshMapCount = 0;
}

void DXC_AniCycle::Init()
{
    FreeData();
    loop = 1;
    startTime = endTime = 0.0f;
    SetCycleName("*NoName*");
    speed = 1.0f;
}

namespace {

// A fresh array of wanted elements (none below one) in place of the old one.
template <class T>
void Reallocate(T*& array, int32_t& count, int32_t wanted)
{
    delete[] array;
    array = nullptr;
    count = wanted > 0 ? wanted : 0;
    if (count)
        array = new T[count];
}

}  // namespace

void DXC_AniCycle::AllocTracks(int32_t objects, int32_t meshes)
{
    Reallocate(objectTracks, objectTrackCount, objects);
    Reallocate(meshTracks, meshTrackCount, meshes);
}

void DXC_AniCycle::AllocMaps(int32_t objectEntries, int32_t meshEntries)
{
    Reallocate(objectMap, objectMapCount, objectEntries);
    Reallocate(meshMap, meshMapCount, meshEntries);
}

void DXC_AniCycle::SetCycleName(const char* name)
{
    String::CopySized(cycleName, sizeof cycleName, name ? name : "");
}

DXC_3dObject* DXC_AniCycle::ObjectTrack(int32_t index) const
{
    return (index >= 0 && index < objectTrackCount) ? &objectTracks[index] : nullptr;
}

DXC_MeshMaterialBase* DXC_AniCycle::MeshTrack(int32_t index) const
{
    return (index >= 0 && index < meshTrackCount) ? &meshTracks[index] : nullptr;
}

DXC_3dObject* DXC_AniCycle::Track(bool objects, int32_t index) const
{
    return objects ? ObjectTrack(index) : static_cast<DXC_3dObject*>(MeshTrack(index));
}

DXC_3dObject* DXC_AniCycle::FindTrack(const char* name, bool exact) const
{
    const char* wanted = name ? name : "";
    for (bool objects : {true, false}) {
        const int32_t count = objects ? objectTrackCount : meshTrackCount;
        for (int32_t i = 0; i < count; i++) {
            DXC_3dObject* track = Track(objects, i);
            const String& own = track->objectName;
            if (exact ? own == wanted : own.EqualsNoCase(wanted))
                return track;
        }
    }
    return nullptr;
}

void DXC_AniCycle::LinkParents()
{
    ForEachTrack([&](DXC_3dObject& track) {
        track.parent = nullptr;
        if (track.parentName.IsEmpty())
            return;
        DXC_3dObject* parent = FindTrack(track.parentName.c_str(), true);
        if (!parent)
            Warning("Parent object '%s' not found in animation cycle. Child: '%s'", track.parentName.c_str(),
                    track.objectName.c_str());
        track.parent = parent;
    });
    ForEachTrack([&](DXC_3dObject& track) {
        if (track.HasParentCycle()) {  // it would evaluate for ever
            track.parent = nullptr;
            Error("Object '%s' is its own ancestor in animation cycle '%s'", track.objectName.c_str(), cycleName);
        }
    });
}

int DXC_AniCycle::Clone(DXC_AniCycle& target, int withKeys) const
{
    if (&target == this)
        return 1;
    target.FreeData();
    target.startTime = startTime;
    target.endTime = endTime;
    target.loop = loop;
    target.speed = speed;
    target.SetCycleName(cycleName);
    target.AllocTracks(objectTrackCount, meshTrackCount);
    for (int32_t i = 0; i < objectTrackCount; i++)
        objectTracks[i].CopyTo(target.objectTracks[i], withKeys);
    for (int32_t i = 0; i < meshTrackCount; i++) {
        target.meshTracks[i].CopyMaterials(meshTracks[i], 1);
        meshTracks[i].CopyTo(target.meshTracks[i], withKeys);
    }
    target.AllocMaps(objectMapCount, meshMapCount);
    for (int32_t i = 0; i < objectMapCount; i++)
        target.objectMap[i] = objectMap[i];
    for (int32_t i = 0; i < meshMapCount; i++)
        target.meshMap[i] = meshMap[i];
    target.LinkParents();
    return 1;
}

int DXC_AniCycle::SetLoop(uint32_t flag)
{
    loop = flag;
    ForEachTrack([&](DXC_3dObject& track) { track.aniLoop = flag; });
    return 1;
}

double DXC_AniCycle::GetAniDuration() const
{
    return (endTime - startTime) / speed;
}

int DXC_AniCycle::SetAniTime(double time)
{
    double t = speed * time;
    const double range = std::fabs(double(endTime) - double(startTime));
    if (loop && range > 0.0) {  // a cycle without length has nothing to wrap into: it clamps
        t = Math::WrapDouble(t, range) + startTime;
    } else {
        if (t < startTime)
            t = startTime;
        if (t > endTime)
            t = endTime;
    }
    ForEachTrack([&](DXC_3dObject& track) { track.SetAniTime(t, 1, 0); });
    return 1;
}

namespace {

void CopyPose(const DXC_3dObject& from, DXC_3dObject& to)
{
    to.worldMatrix = from.worldMatrix;
    to.aniPosition = from.aniPosition;
    to.aniScale = from.aniScale;
    to.aniRotation = from.aniRotation;
    to.lastAniTime = from.lastAniTime;
}

}  // namespace

DXC_AniCycle& DXC_AniCycle::operator<<(const DXC_AniCycle& other)
{
    if (objectMapCount != other.objectMapCount || meshMapCount != other.meshMapCount)
        Error("Number of objects does not match in DXC_AniCycle '%s' operator '<<'", cycleName);
    startTime = other.startTime;
    endTime = other.endTime;
    speed = other.speed;
    loop = other.loop;
    SetCycleName(other.cycleName);
    auto copyPoses = [&](int32_t mapCount, const AniCycleMapEntry* map, const AniCycleMapEntry* otherMap,
                         bool objects) {
        for (int32_t i = 0; i < mapCount; i++) {
            if (map[i].sceneSlot != otherMap[i].sceneSlot)
                Error("Scenes do not match in DXC_AniCycle '%s' operator '<<'", cycleName);
            const DXC_3dObject* from = other.Track(objects, otherMap[i].track);
            DXC_3dObject* to = Track(objects, map[i].track);
            if (from && to)
                CopyPose(*from, *to);
        }
    };
    copyPoses(objectMapCount, objectMap, other.objectMap, true);
    copyPoses(meshMapCount, meshMap, other.meshMap, false);
    return *this;
}

int DXC_AniCycle::SetTransformAll(float axisX, float axisY, float axisZ, float angle)
{
    if (angle == 0.0f)
        return 1;
    D3DXVECTOR3 axis(axisX, axisY, axisZ);
    ForEachTrack([&](DXC_3dObject& track) {
        if (track.parentName.IsEmpty())
            track.RotateAxisAngle(axis, angle, 0);
        track.transformChanged = 1;
    });
    return 1;
}

int DXC_AniCycle::ScaleAll(float x, float y, float z, int keepPositions)
{
    if (x == 1.0f && y == 1.0f && z == 1.0f)
        return 1;
    ForEachTrack([&](DXC_3dObject& track) {
        if (track.parentName.IsEmpty())
            track.ScaleWithKeys(x, y, z, keepPositions);
        track.transformChanged = 1;
    });
    return 1;
}

namespace {

struct BlendSource {
    const DXC_3dObject* track;
    D3DXVECTOR3 position;  // root-relative for A's tracks
};

void TakeWhole(const DXC_3dObject& from, const D3DXVECTOR3& pos, DXC_3dObject& to)
{
    to.aniPosition = pos;
    to.aniScale = from.aniScale;
    to.aniRotation = from.aniRotation;
    to.lastAniTime = from.lastAniTime;
}

void Mix(const BlendSource& a, const DXC_3dObject& b, float wA, float wB, float w, DXC_3dObject& to)
{
    to.aniPosition = a.position * wA + b.aniPosition * wB;
    to.aniScale = a.track->aniScale * wA + b.aniScale * wB;
    D3DXQuaternionSlerp(&to.aniRotation, &a.track->aniRotation, &b.aniRotation, wB);
    to.lastAniTime = w < 0.5f ? a.track->lastAniTime : b.lastAniTime;
}

}  // namespace

int DXC_AniCycle::Blend(const DXC_AniCycle& a, const DXC_AniCycle* b, float w, const float* weights,
                        int32_t root, float bias, float contrast)
{
    if (a.objectMapCount != objectMapCount)
        Error("Number of scene helper objects does not match in DXC_AniCycle '%s'", cycleName);
    w = ClampFloat(w, 0.0f, 1.0f);
    const DXC_3dObject* rootTrack = root >= 0 ? a.ObjectTrack(root) : nullptr;
    const D3DXVECTOR3 rootPos = rootTrack ? rootTrack->GetMatrixPosition() : D3DXVECTOR3();

    // A's track with its position made relative to the root (isRootCase: the track is the root).
    auto source = [&](const DXC_3dObject* track, bool isRootTrack) {
        BlendSource s{track, track->aniPosition};
        bool keep = !rootTrack || isRootTrack || (track->parent && track->inheritPosition);
        if (!keep)
            s.position = track->aniPosition - rootPos;
        return s;
    };

    auto blendList = [&](int32_t mapCount, const AniCycleMapEntry* mapThis, const AniCycleMapEntry* mapA,
                         const AniCycleMapEntry* mapB, bool objects) {
        auto trackOf = [&](const DXC_AniCycle& cycle, int32_t index) { return cycle.Track(objects, index); };
        for (int32_t i = 0; i < mapCount; i++) {
            if (mapA[i].sceneSlot != mapThis[i].sceneSlot ||
                (mapB && mapB[i].sceneSlot != mapThis[i].sceneSlot))
                Error("Scenes are not compatible in DXC_AniCycle '%s' and DXC_AniCycle '%s'", cycleName,
                      mapB && mapA[i].sceneSlot == mapThis[i].sceneSlot ? b->cycleName : a.cycleName);
            DXC_3dObject* to = trackOf(*this, mapThis[i].track);
            if (!to)
                continue;
            const DXC_3dObject* fromA = trackOf(a, mapA[i].track);
            const DXC_3dObject* fromB = mapB ? trackOf(*b, mapB[i].track) : nullptr;
            const bool isRoot = objects && mapA[i].track == root;
            if (!mapB) {
                if (fromA)
                    TakeWhole(*fromA, source(fromA, isRoot).position, *to);
            } else {
                float wA = 1.0f - w, wB = w;
                if (objects && weights) {
                    float e = weights[mapThis[i].track];
                    float f = bias <= 0.0f ? e * (bias + 1.0f) : (1.0f - bias) * e + bias;
                    float g = (f - 0.5f) * contrast + 0.5f;
                    wB = w >= 0.5f ? (1.0f - g) * (2.0f * w - 1.0f) + g : 2.0f * w * g;
                    wA = 1.0f - wB;
                }
                if (!fromA) {
                    if (fromB)
                        TakeWhole(*fromB, fromB->aniPosition, *to);
                } else if (!fromB) {
                    TakeWhole(*fromA, source(fromA, isRoot).position, *to);
                } else {
                    Mix(source(fromA, isRoot), *fromB, wA, wB, w, *to);
                }
            }
            const DXC_3dObject* from = fromA ? fromA : fromB;
            if (!objects && from)
                static_cast<const DXC_MeshMaterialBase*>(from)->AssignTextures(*static_cast<DXC_MeshMaterialBase*>(to));
        }
    };

    const bool withB = b && w > 0.0f;
    if (withB) {
        if (b->objectMapCount != objectMapCount)
            Error("Number of compatible helper objects does not match in DXC_AniCycle '%s'", cycleName);
        if (b->meshMapCount != meshMapCount || a.meshMapCount != meshMapCount)
            Error("Number of compatible helper objects does not match in DXC_AniCycle '%s'", cycleName);
    } else if (a.meshMapCount != meshMapCount) {
        Error("Number of scene helper objects does not match in DXC_AniCycle '%s'", cycleName);
    }
    blendList(objectMapCount, objectMap, a.objectMap, withB ? b->objectMap : nullptr, true);
    blendList(meshMapCount, meshMap, a.meshMap, withB ? b->meshMap : nullptr, false);

    ForEachTrack([](DXC_3dObject& track) { track.worldValid = 0; });
    for (int32_t i = 0; i < meshTrackCount; i++)
        meshTracks[i].RebuildWorld(0);
    for (int32_t i = 0; i < objectTrackCount; i++)
        objectTracks[i].RebuildWorld(0);
    return 1;
}
