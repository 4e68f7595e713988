// ObjectNameGui: a name plate over a world object: its nine-part frame, the name shown and the
// element it is bound to (the field's character).
#pragma once
#include "base/String.h"
#include "engine/gfx/DXC_Texture.h"
#include "game/gui/GameGuiField.h"

class ObjectNameGui : public GameGuiField {
public:
    static constexpr int32_t kFrameParts = 9;

    explicit ObjectNameGui(bool createChildren = true) : GameGuiField("ObjectNameGui", createChildren) {}

    void SetText(const wString& value) { text = value; }
    const wString& GetText() const { return text; }
    DXC_Texture& GetFramePart(int32_t part) { return frame[part]; }

private:
    wString text;
    DXC_Texture frame[kFrameParts];  // corners, edges and middle, row by row
};
