// DXC_GuiText: a label. So far its text; the fonts and side pictures come with its drawing.
#pragma once
#include "base/String.h"
#include "engine/gui/DXC_GuiField.h"

class DXC_GuiText : public virtual DXC_GuiField {
public:
    DXC_GuiText() { SetName("DXC_GuiText"); }

    void SetText(const wString& value) { text = value; }
    const wString& GetText() const { return text; }

protected:
    wString text;
};
