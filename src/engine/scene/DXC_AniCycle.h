// DXC_AniCycle: an animation cycle: copies of a scene's nodes with the cycle's own key tracks,
// its time range, speed and loop, pose copies and the blending of two cycles.
#pragma once
#include "base/DXC_Base.h"
#include "engine/scene/DXC_Mesh.h"

#include <cstdint>

// One node of the bound scene: its slot in the scene's list and this cycle's track for it (-1 none).
struct AniCycleMapEntry {
    int32_t sceneSlot = -1;
    int32_t track = -1;
};

class DXC_AniCycle : public DXC_Base {
public:
    DXC_AniCycle();
    ~DXC_AniCycle() override;
    DXC_AniCycle(const DXC_AniCycle&) = delete;
    DXC_AniCycle& operator=(const DXC_AniCycle&) = delete;

    void Init();
    void FreeData();
    // Fresh track arrays and maps (the cycle builders and binders fill them).
    void AllocTracks(int32_t objectTracks, int32_t meshTracks);
    void AllocMaps(int32_t objectEntries, int32_t meshEntries);

    void SetCycleName(const char* name);
    const char* GetCycleName() const { return cycleName; }
    bool HasData() const { return objectTracks || meshTracks; }
    int SetLoop(uint32_t flag);
    double GetAniDuration() const;
    int SetAniTime(double time);
    DXC_AniCycle& operator<<(const DXC_AniCycle& other);
    int SetTransformAll(float axisX, float axisY, float axisZ, float angle);
    int ScaleAll(float x, float y, float z, int keepPositions);
    int Blend(const DXC_AniCycle& a, const DXC_AniCycle* b, float w, const float* weights, int32_t root,
              float bias, float contrast);
    // A track by name: object tracks first, then mesh tracks; exact counts letter case. A missing
    // or empty name finds a track without a name.
    DXC_3dObject* FindTrack(const char* name, bool exact) const;
    // Each track's parent: the track named by its parent name (exact), none for a root.
    void LinkParents();
    // A copy of this cycle in target: header, tracks (with their keys when withKeys), materials
    // and maps, with the copy's parents linked within the copy.
    int Clone(DXC_AniCycle& target, int withKeys) const;

    float startTime = 0.0f;
    float endTime = 0.0f;
    uint32_t loop = 1;
    char cycleName[64];
    int32_t objectTrackCount = 0;
    int32_t meshTrackCount = 0;
    int32_t objectMapCount = 0;
    int32_t meshMapCount = 0;
    DXC_3dObject* objectTracks = nullptr;        // owned
    DXC_MeshMaterialBase* meshTracks = nullptr;  // owned
    AniCycleMapEntry* objectMap = nullptr;       // owned
    AniCycleMapEntry* meshMap = nullptr;         // owned
    float speed = 1.0f;

private:
    DXC_3dObject* ObjectTrack(int32_t index) const;
    DXC_MeshMaterialBase* MeshTrack(int32_t index) const;
    DXC_3dObject* Track(bool objects, int32_t index) const;  // an object or a mesh track
    template <class F>
    void ForEachTrack(F f)  // the object tracks, then the mesh tracks
    {
        for (int32_t i = 0; i < objectTrackCount; i++)
            f(objectTracks[i]);
        for (int32_t i = 0; i < meshTrackCount; i++)
            f(static_cast<DXC_3dObject&>(meshTracks[i]));
    }
};
