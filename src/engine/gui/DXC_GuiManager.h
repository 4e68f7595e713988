// DXC_GuiManager: the owner of the root field that connects the widget tree to the screen, the
// mouse and the keyboard, and the drag state (the object attached to the mouse cursor with its
// name and source field, and the drag icon). So far the least that the main loop's key forwarding,
// its debug overlay, the controller's cursor choice and the world's drag queries ask of it; the
// dedicated server never makes one, so the global pointer stays null there.
#pragma once
#include "base/DXC_Base.h"
#include "engine/gui/DXC_GuiField.h"

#include <cstdint>

class DXC_Gfx;
class DXC_Texture;

class DXC_GuiManager : public DXC_Base {
public:
    static constexpr int32_t kDragNameSize = 128;  // 127 characters are kept

    // The newest manager becomes the global one; destroying it clears the pointer.
    explicit DXC_GuiManager(DXC_Gfx* graphics = nullptr);
    ~DXC_GuiManager() override;
    DXC_GuiManager(const DXC_GuiManager&) = delete;
    DXC_GuiManager& operator=(const DXC_GuiManager&) = delete;

    DXC_Gfx* GetGfx() const { return m_Gfx; }
    DXC_GuiField& GetRoot() { return m_Root; }

    // A character or key code with the message's repeat count and flags; ignored while the
    // keyboard is blocked, otherwise it travels down the focus path from the root.
    virtual DXC_GuiField* OnChar(uint32_t code, int32_t repeat, uint32_t flags);
    void BlockKeyboard(bool block) { m_KeyboardBlocked += block ? 1 : -1; }

    // The mouse position: the stored one (no mouse device yet) plus the root's corner.
    void GetMousePos(int32_t& x, int32_t& y) const;
    void SetMousePos(int32_t x, int32_t y);
    // The factor on the mouse's moves over the GUI.
    void SetMouseSpeed(float speed) { m_MouseSpeed = speed; }
    float GetMouseSpeed() const { return m_MouseSpeed; }
    // The deepest open field under the mouse; the root itself while it has no children.
    DXC_GuiField* FindFieldUnderMouse();
    // Whether the mouse lies over an open window.
    bool IsMouseOverGui() const { return false; }

    // 0 to 3 pick a cursor picture, negative none.
    void SetCursorType(int32_t type) { m_CursorType = type; }
    int32_t GetCursorType() const { return m_CursorType; }
    void SetCursorEnabled(bool enabled) { m_MouseEnabled = enabled ? 1 : 0; }
    bool IsCursorEnabled() const { return m_MouseEnabled != 0; }

    // When a tooltip shows: after the delay (seconds) with the mouse within the distance
    // (pixels), placed by the offset from the mouse. Kept here for the windows that draw it.
    struct ToolTipParams {
        float delay = 0.0f;
        int32_t distance = 0;
        int32_t offset[2] = {0, 0};
    };
    void SetToolTipParams(float delay, int32_t distance, int32_t offsetX, int32_t offsetY)
    {
        m_ToolTip = ToolTipParams{delay, distance, {offsetX, offsetY}};
    }
    const ToolTipParams& GetToolTipParams() const { return m_ToolTip; }

    // With an object and a name: attaches the object to the cursor; otherwise clears the drag.
    void SetDragObject(void* object, const char* name, void* sourceField);
    void* GetDragObject() const { return m_DragObject; }
    const char* GetDragObjectName() const { return m_DragName; }
    void* GetDragSource() const { return m_DragSource; }
    // The picture drawn at the cursor (null and scale 1.0 clear it).
    void SetDragIcon(DXC_Texture* texture, bool useSubRect, const int32_t* subRect, float scale);
    DXC_Texture* GetDragIcon() const { return m_DragIcon; }

private:
    DXC_Gfx* m_Gfx;
    DXC_GuiField m_Root;
    int32_t m_MouseX = 0;
    int32_t m_MouseY = 0;
    float m_MouseSpeed = 0.3f;
    int32_t m_CursorType = 0;
    uint8_t m_MouseEnabled = 1;
    int32_t m_KeyboardBlocked = 0;

    void* m_DragObject = nullptr;
    void* m_DragSource = nullptr;
    char m_DragName[kDragNameSize] = {};
    DXC_Texture* m_DragIcon = nullptr;
    int32_t m_DragIconRect[4] = {};
    float m_DragIconScale = 1.0f;
    ToolTipParams m_ToolTip;
};

// The program's GUI manager; null while none exists, as on the dedicated server.
extern DXC_GuiManager* g_GuiManager;
