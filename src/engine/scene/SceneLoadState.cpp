// SceneLoadState: the process's one load state.
#include "engine/scene/SceneLoadState.h"

SceneLoadState& SceneLoadState::Current()
{
    static SceneLoadState state;
    return state;
}
