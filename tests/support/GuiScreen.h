// GuiScreen: a client's GUI on a 640 x 480 screen: a graphics object with a stand-in device, a
// GUI manager reading its own keyboard and mouse states (the mouse with a fake device when asked),
// the viewport taken, and a field that records what reaches it.
#pragma once
#include "engine/gfx/DXC_VertexList.h"
#include "engine/gui/DXC_GuiManager.h"
#include "engine/gui/InputState.h"
#include "engine/gui/MouseState.h"

#include "support/DeviceGfx.h"
#include "support/FakeInputDevices.h"

#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

inline DXC_DisplayMode GuiScreenMode()
{
    DXC_DisplayMode mode;
    mode.width = 640;
    mode.height = 480;
    return mode;
}

class GuiScreen {
public:
    explicit GuiScreen(bool mouseDevice = false)
    {
        if (mouseDevice)
            mouse.device = &fakeMouse;
        device.Gfx().BeginScene();  // the frame loop draws inside a scene
        device.Gfx().SetViewPort(0, 0, 640, 480, 0.0f, 1.0f);
        manager.SetInputStates(&keys, &mouse);
        manager.UpdateViewport();
    }

    // A frame at the GUI time t with the mouse (device units, scale 1) at x, y.
    void Frame(double t, float x, float y)
    {
        mouse.x = x;
        mouse.y = y;
        manager.SetFixedTime(t);
        manager.Render(true, true);
    }

    DeviceGfx device{D3D9AdapterProfile::Typical(), GuiScreenMode()};
    InputState keys;
    FakeMouse fakeMouse;
    MouseState mouse;
    DXC_GuiManager manager{&device.Gfx()};
};

// What the device drew since the journal was cleared: glyphs (text batches are triangle lists of
// two triangles a glyph) and textured quads (strips of two triangles).
inline int32_t GlyphsDrawn(const D3D9Journal& journal)
{
    int32_t glyphs = 0;
    for (const D3D9Call& call : journal.CallsOf(D3D9Op::DrawPrimitive))
        glyphs += call.Arg(0) == uint32_t(D3DPT_TRIANGLELIST) ? int32_t(call.Arg(2)) / 2 : 0;
    return glyphs;
}

inline int32_t QuadsDrawn(const D3D9Journal& journal)
{
    int32_t quads = 0;
    for (const D3D9Call& call : journal.CallsOf(D3D9Op::DrawPrimitive))
        quads += call.Arg(0) == uint32_t(D3DPT_TRIANGLESTRIP) ? 1 : 0;
    return quads;
}

// The screen rectangle (left, top, right, bottom) of the last quad a texture drew, read back from
// its quad buffer; all 0 when it never drew.
inline std::array<int32_t, 4> LastQuadRect(const DXC_Texture& texture)
{
    std::array<int32_t, 4> rect{};
    IDirect3DVertexBuffer9* buffer = texture.GetQuadBuffer();
    if (!buffer)
        return rect;
    DXC_TLVertex quad[4];
    void* data = nullptr;
    buffer->Lock(0, 0, &data, 0);
    std::memcpy(quad, data, sizeof(quad));
    buffer->Unlock();
    // vertex 1 is (left, top), vertex 2 (right, bottom); the quad is shifted by a quarter pixel
    rect = {int32_t(std::lround(quad[1].x + 0.25f)), int32_t(std::lround(quad[1].y + 0.25f)),
            int32_t(std::lround(quad[2].x + 0.25f)), int32_t(std::lround(quad[2].y + 0.25f))};
    return rect;
}

// A field that logs its drawing and the mouse events it is given, by its tag.
struct RecordingField : DXC_GuiField {
    RecordingField(std::vector<std::string>* drawLog, const char* name) : log(drawLog), tag(name) {}
    void Render() override
    {
        if (log)
            log->push_back(tag);
        DXC_GuiField::Render();
    }
    DXC_GuiField* OnMouse(int32_t button, int32_t event, int32_t x, int32_t y) override
    {
        events.push_back(event);
        return DXC_GuiField::OnMouse(button, event, x, y);
    }
    std::vector<std::string>* log;
    std::string tag;
    std::vector<int32_t> events;
};
