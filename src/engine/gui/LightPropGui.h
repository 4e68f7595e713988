// LightPropGui and SceneObjPropGui: the developer's editors of a placed light and a placed scene
// object. Client windows; so far only their existence, as the server never shows them.
#pragma once
#include "engine/gui/DXC_GuiField.h"

class LightPropGui : public virtual DXC_GuiField {
public:
    LightPropGui() { SetName("LightPropGui"); }
};

class SceneObjPropGui : public virtual DXC_GuiField {
public:
    SceneObjPropGui() { SetName("SceneObjPropGui"); }
};
