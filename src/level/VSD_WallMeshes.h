// VSD_WallMeshes: what a wall description draws with: its front and back mesh, the sizes of the
// scene files they were read from (to notice a changed file in debug mode), and the wall texture
// of a normal wall.
#pragma once
#include "engine/gfx/DXC_Texture.h"
#include "engine/scene/DXC_Mesh.h"

#include <cstdint>

struct VSD_WallMeshes {
    DXC_Mesh front;
    DXC_Mesh back;
    int32_t frontFileSize = 0;
    int32_t backFileSize = 0;
    DXC_Texture wallTexture;
};
