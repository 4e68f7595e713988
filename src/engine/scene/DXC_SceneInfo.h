// DXC_SceneInfo: the text importer's name for the scene information record that both scene file
// forms carry (sound and script file, frame speed, first and last frame); it is the record of the
// binary scene file header, so the loaders copy it in and out without conversion.
#pragma once
#include "engine/scene/SceneFileHeader.h"

using DXC_SceneInfo = SceneInfoRecord;
