// SceneObjectBoneLimit: the most bones a mesh of a scene object may have before its loader warns
// that the mesh has too many.
#pragma once
#include <cstdint>

// 26 until the shader table sets it from the size of its bone matrix array. The shader table is
// read only with a graphics device, so the dedicated server keeps 26.
inline int32_t g_SceneObjectBoneLimit = 26;
