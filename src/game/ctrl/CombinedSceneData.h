// CombinedSceneData: one group scene of the level, holding the meshes of the items of one group
// that lie close together, drawn as one object by their group element; MyElementCriteria: the
// filter of the merge's radius query.
#pragma once
#include "engine/scene/DXC_3dScene.h"

#include <cstdint>

class WorldElem;

struct CombinedSceneData : public DXC_3dScene {
    CombinedSceneData() { SetRenderOptions(DefaultSceneParams()); }

    uint32_t groupNumber = 0;
    uint32_t reserved = 0;
};

// Items of the group sought that still carry a scene of their own.
struct MyElementCriteria {
    uint32_t groupNumber = 0;
    bool operator()(WorldElem* elem) const;
};
