// DXC_GuiManager: the one owner of the root field, which connects the widget tree to the screen,
// the mouse and the keyboard: it turns button states into press, release, click, double-click,
// drag and drop, keeps the focus and modal services the fields ask for, draws the tree once per
// frame with the tooltip, the drag icon and its own cursor on top, and carries the object the
// player drags. The dedicated server never makes one, so the global pointer stays null there.
// DXC_GuiManager.cpp holds the state, focus and order services; DXC_GuiManagerFrame.cpp the frame:
// button events, the tooltip pass and the cursor.
#pragma once
#include "base/DXC_Base.h"
#include "base/DynaMem.h"
#include "base/SmartPtr.h"
#include "base/String.h"
#include "engine/gfx/DXC_Font.h"
#include "engine/gfx/DXC_Texture.h"
#include "engine/gui/DXC_GuiField.h"
#include "engine/gui/DXC_GuiTexField.h"
#include "engine/gui/ToolTipSkin.h"

#include <cstdint>
#include <memory>
#include <vector>

class DXC_Gfx;
class DXC_GuiScaleableText;
class InputState;
class MouseState;

class DXC_GuiManager : public DXC_Base {
public:
    static constexpr int32_t kDragNameSize = 128;  // 127 characters are kept
    static constexpr int32_t kMaxButtons = 8;
    static constexpr int32_t kCursorTypes = 4;
    static constexpr int32_t kDragDistanceSq = 10;       // squared pixels a held button travels to drag
    static constexpr double kDoubleClickTime = 0.3;      // seconds between two clicks
    static constexpr float kDoubleClickDistance = 10.0f;  // pixels between two clicks
    static constexpr uint32_t kDebugFontColors[2] = {0xFF96DCFFu, 0xFF006473u};
    // The default skins of the buttons, each with a normal, a pressed and a hover picture.
    enum SkinKind : int32_t { kPushSkin, kToggleSkin, kCloseSkin, kSkinKinds };
    static constexpr int32_t kSkinPictures = 3;
    // The default scroll-bar skin; the arrow pictures point up, as on the vertical bar.
    enum ScrollSkinPicture : int32_t {
        kScrollTrackHorizontal,
        kScrollTrackVertical,
        kScrollThumb,
        kScrollArrowNormal,
        kScrollArrowPressed,
        kScrollArrowHover,
        kScrollSkinPictures
    };
    static constexpr uint32_t kDefaultTextColour = 0xFFFFFFFFu;
    static constexpr uint32_t kDefaultButtonColours[3] = {0xFFC8C8C8u, 0xFFFFFFFFu, 0xFFFFE080u};  // normal, pressed, hover

    // A held state of a button that the mouse device does not report (1: held).
    using ButtonStateSource = int32_t (*)(int32_t button);
    // A field that notifies its events reports them here.
    using FieldEventCallback = void (*)(int32_t event, DXC_GuiField* field);
    // A drop of button 0 that no field took.
    using DropOutsideCallback = void (*)();
    // Every mouse event the manager produces: button, event code, root-relative position.
    using MouseEventCallback = void (*)(int32_t button, int32_t event, int32_t x, int32_t y);

    // The newest manager becomes the global one; destroying it clears the pointer. The program's
    // keyboard and mouse states are its input until SetInputStates says otherwise.
    explicit DXC_GuiManager(DXC_Gfx* graphics = nullptr);
    ~DXC_GuiManager() override;
    DXC_GuiManager(const DXC_GuiManager&) = delete;
    DXC_GuiManager& operator=(const DXC_GuiManager&) = delete;

    DXC_Gfx* GetGfx() const { return m_Gfx; }
    DXC_GuiField& GetRoot() { return m_Root; }
    void GetScreenSize(int32_t& width, int32_t& height) const;
    DXC_GuiField* GetFocus(bool direct) { return m_Root.GetFocus(direct); }
    void SetInputStates(InputState* keyboard, MouseState* mouse);
    InputState* GetInputState() const { return m_Keyboard; }
    MouseState* GetMouseState() const { return m_Mouse; }
    bool HasMouseDevice() const;

    // A top-level window: draggable unless it chose otherwise; an open modal one counts. Its slot.
    int32_t AddWindow(DXC_GuiField* window);
    bool IsAnyWindowOpen() { return m_Root.HasOpenWindow(); }
    // Whether the mouse is over an open window that is not mouse-transparent.
    bool IsMouseOverGui() { return m_Root.IsMouseOverChildren(); }
    DXC_GuiField* FindFieldUnderMouse() { return m_Root.FindFieldUnderMouse(); }
    void CloseAllWindows(bool alsoPermanent) { m_Root.CloseChildren(alsoPermanent); }

    // A character or key code with the message's repeat count and flags; ignored while the
    // keyboard is blocked, otherwise it travels down the focus path from the root.
    virtual DXC_GuiField* OnChar(uint32_t code, int32_t repeat, uint32_t flags);
    void BlockKeyboard(bool block) { m_KeyboardBlocked += block ? 1 : -1; }
    void SuspendMouse(bool suspend) { m_MouseSuspended += suspend ? 1 : -1; }
    bool IsMouseSuspended() const { return m_MouseSuspended > 0; }

    // The mouse position in screen pixels: the device's (scaled) kept inside the viewport, plus
    // the root's corner; without a mouse device the stored position.
    void GetMousePos(int32_t& x, int32_t& y);
    void SetMousePos(int32_t x, int32_t y);
    // The factor on the device's mouse coordinates (the "MouseGuiSpd" option); the pointer stays
    // where it is when it changes.
    void SetGuiScale(float scale);
    float GetGuiScale() const { return m_GuiScale; }
    // Device wheel counter minus its value at the last frame.
    int32_t GetWheelDelta() const;
    // Button events replayed at the next frame: state 0 press, 1 release (others are skipped).
    void QueueButtonEvent(int32_t button, int32_t state);

    // Cursor: 0 to 3 pick a cursor picture, negative none; enabled means the GUI takes the mouse
    // and draws its own cursor.
    void SetCursorType(int32_t type) { m_CursorType = type; }
    int32_t GetCursorType() const { return m_CursorType; }
    void SetCursorEnabled(bool enabled) { m_MouseEnabled = enabled ? 1 : 0; }
    bool IsCursorEnabled() const { return m_MouseEnabled != 0; }
    DXC_Texture& GetCursorTexture(int32_t type) { return m_CursorTextures[type]; }
    bool IsCursorVisible() const { return m_CursorVisible != 0; }
    bool IsMouseActive() const { return m_MouseActive != 0; }
    // A field drawn at the cursor with its hot spot at the mouse (it is attached to the manager);
    // owned icons are deleted when replaced or dropped. A null field drops the icon.
    void SetCursorIcon(int32_t hotX, int32_t hotY, DXC_GuiField* field, bool owned);
    DXC_GuiField* GetCursorIcon() const { return m_CursorIcon.Get(); }

    // Tooltips: shown after the delay (seconds) with the mouse within the tolerance (pixels),
    // placed at the mouse plus the offset.
    void SetToolTipParams(double delay, int32_t tolerance, int32_t offsetX, int32_t offsetY);
    double GetToolTipDelay() const { return m_ToolTipDelay; }
    int32_t GetToolTipTolerance() const { return m_ToolTipTolerance; }
    void GetToolTipOffset(int32_t& x, int32_t& y) const;
    // The default frame: kept, and applied to the tooltip window, which every frame without a
    // middle picture copies.
    void SetToolTipSkin(const ToolTipSkin& skin);
    const ToolTipSkin& GetToolTipSkin() const { return m_ToolTipSkin; }
    DXC_GuiScaleableText& GetToolTipWindow() { return *m_ToolTipWindow; }
    // The field whose tooltip is due this frame (set by the fields while they draw).
    void SetToolTipField(DXC_GuiField* field) { m_ToolTipField = field; }
    DXC_GuiField* GetToolTipField() const { return m_ToolTipField.Get(); }
    bool IsToolTipShown() const { return m_ToolTip.shown != 0; }

    // Drag: with an object and a name, attaches the object to the cursor with its source field;
    // otherwise clears it.
    void SetDragObject(void* object, const char* name, DXC_GuiField* source);
    void* GetDragObject() const { return m_DragObject; }
    const char* GetDragObjectName() const { return m_DragName; }
    DXC_GuiField* GetDragSource() const { return m_DragSource.Get(); }
    // The picture drawn at the cursor, centred on it, while an object is dragged: the texture
    // (or its sub-rectangle left, top, right, bottom in pixels) at the scale. Null clears it.
    void SetDragIcon(DXC_Texture* texture, bool useSubRect, const int32_t* subRect, float scale);
    // The icon field while it is the one at the cursor, else null.
    DXC_GuiTexField* GetDragIcon() const;
    void SetClearDragOnDrop(bool flag) { m_ClearDragOnDrop = flag ? 1 : 0; }

    // Callbacks (null: none).
    void SetButtonStateSource(ButtonStateSource source) { m_ButtonStateSource = source; }
    void SetFieldEventCallback(FieldEventCallback callback) { m_FieldEventCallback = callback; }
    FieldEventCallback GetFieldEventCallback() const { return m_FieldEventCallback; }
    void SetDropOutsideCallback(DropOutsideCallback callback) { m_OnDropOutside = callback; }
    void SetMouseEventCallback(MouseEventCallback callback) { m_MouseEventCallback = callback; }

    // The GUI's clock: the fixed time while it is positive, else the program's clock.
    void SetFixedTime(double t) { m_FixedTime = t; }
    double GetTime() const;

    // The clipboard's text, or an empty text.
    wString GetClipboardText() const;

    // Focus and order services of the fields.
    int32_t GetModalWindowCount() const { return m_ModalWindowCount; }
    // The count moves by delta; below 0 it is reported and set to 0.
    void ChangeModalWindowCount(int32_t delta);
    // null: the front window (or the root). Refused while a modal window elsewhere holds the focus.
    bool RequestFocus(DXC_GuiField* field, bool clearBelow, bool force, bool bringToFront);
    bool SetFocusPath(DXC_GuiField* field, bool clearBelow);
    // Deferred to the next frame while the tree is drawn.
    void MoveToFront(DXC_GuiField* field);
    bool IsTopmostUnderMouse(DXC_GuiField* field, bool checkCursor);
    bool IsDrawing() const { return m_Drawing != 0; }

    // The viewport of the graphics object becomes the root's rectangle.
    void UpdateViewport();
    // The frame: input (useMouse), the tree (draw), the tooltip, the drag icon and the cursor.
    void Render(bool useMouse, bool draw);

    DXC_Font* GetDebugFont();
    int32_t GetDebugFontHeight() const { return m_DebugFontHeight; }

    // The font and colour of every text widget that was given none. The game's set-up names the
    // font (it stays the caller's); until then the built-in font is made on first use.
    void SetDefaultFont(DXC_Font* font, uint32_t colour);
    DXC_Font* GetDefaultFont();
    uint32_t GetDefaultTextColour() const { return m_DefaultTextColour; }
    // The label colours of buttons that were given none.
    void SetDefaultButtonColours(uint32_t normal, uint32_t pressed, uint32_t hover);
    void GetDefaultButtonColours(uint32_t& normal, uint32_t& pressed, uint32_t& hover) const;
    // A picture of a default skin (state 0 normal, 1 pressed, 2 hover); the game's set-up loads
    // them. A skin counts as loaded when its normal picture is.
    DXC_Texture& GetSkinPicture(int32_t kind, int32_t state) { return m_Skins[kind][state]; }
    bool IsSkinLoaded(int32_t kind) const { return m_Skins[kind][0].IsValid(); }
    // A picture of the default scroll-bar skin, which the game's set-up loads.
    DXC_Texture& GetScrollBarSkin(int32_t which) { return m_ScrollBarSkin[which]; }
    // Where button b last went down, on the screen as GetMousePos counts.
    void GetPressPos(int32_t button, int32_t& x, int32_t& y);

private:
    struct ButtonState {
        int32_t held = 0;
        int32_t pressX = 0;
        int32_t pressY = 0;
        double pressTime = 0.0;
        uint8_t hasClick = 0;  // a click that a second one may pair with
        double clickTime = 0.0;
        int32_t clickX = 0;
        int32_t clickY = 0;
        uint8_t dragInProgress = 0;
    };
    struct QueuedButtonEvent {
        int32_t state;
        int32_t button;
    };
    struct ToolTipPass {
        SmartPtr<DXC_GuiField> lastField;
        int32_t mouseX = 0;
        int32_t mouseY = 0;
        double startTime = 0.0;
        uint8_t shown = 0;
    };

    void ReadButtonStates();
    void ReplayQueuedButtonEvents();
    void PressButton(int32_t button);
    void ReleaseButton(int32_t button);
    // The root's OnMouse, then the mouse event callback.
    DXC_GuiField* SendMouse(int32_t button, int32_t event, int32_t x, int32_t y);
    void GetMouseInRoot(int32_t& x, int32_t& y);
    void ApplyDeferredFrontMoves();
    void RunToolTipPass(bool draw);
    void DrawCursor();
    void ReadCursorVisibility();

    DXC_Gfx* m_Gfx;
    DXC_GuiField m_Root;
    InputState* m_Keyboard = nullptr;
    MouseState* m_Mouse = nullptr;
    std::unique_ptr<DXC_Font> m_DebugFont;
    int32_t m_DebugFontHeight = 0;
    DXC_Font* m_DefaultFont = nullptr;  // the game's; else the graphics object's built-in font
    uint32_t m_DefaultTextColour = kDefaultTextColour;
    uint32_t m_DefaultButtonColours[3] = {kDefaultButtonColours[0], kDefaultButtonColours[1], kDefaultButtonColours[2]};
    DXC_Texture m_Skins[kSkinKinds][kSkinPictures];
    DXC_Texture m_ScrollBarSkin[kScrollSkinPictures];
    int32_t m_MouseX = 0;  // stored position; with a device, the offset of its scaled position
    int32_t m_MouseY = 0;
    int32_t m_ScreenWidth = 0;
    int32_t m_ScreenHeight = 0;
    int32_t m_ButtonCount = kMaxButtons;
    ButtonState m_Buttons[kMaxButtons];
    std::vector<QueuedButtonEvent> m_QueuedEvents;
    float m_GuiScale = 1.0f;
    int32_t m_CursorType = 0;
    DXC_Texture m_CursorTextures[kCursorTypes];
    int32_t m_PreviousWheel = 0;
    double m_FixedTime = 0.0;
    int32_t m_ModalWindowCount = 0;

    void* m_DragObject = nullptr;
    SmartPtr<DXC_GuiField> m_DragSource;
    char m_DragName[kDragNameSize] = {};
    DXC_GuiTexField m_DragIcon;
    SmartPtr<DXC_GuiField> m_CursorIcon;
    int32_t m_CursorIconHot[2] = {0, 0};
    uint8_t m_IconOwned = 0;

    DynaMem<SmartPtr<DXC_GuiField>, 16> m_DeferredFrontMoves;
    uint8_t m_Drawing = 0;
    uint8_t m_MouseActive = 0;
    uint8_t m_CursorVisible = 0;
    uint8_t m_MouseEnabled = 1;
    int32_t m_MouseSuspended = 0;
    int32_t m_KeyboardBlocked = 0;

    double m_ToolTipDelay = 0.1;
    int32_t m_ToolTipTolerance = 5;
    int32_t m_ToolTipOffset[2] = {10, 10};
    // Held apart: the text window is built on the toolkit that includes this header.
    std::unique_ptr<DXC_GuiScaleableText> m_ToolTipWindow;
    ToolTipSkin m_ToolTipSkin;
    SmartPtr<DXC_GuiField> m_ToolTipField;
    ToolTipPass m_ToolTip;

    uint8_t m_ClearDragOnDrop = 0;
    ButtonStateSource m_ButtonStateSource = nullptr;
    FieldEventCallback m_FieldEventCallback = nullptr;
    DropOutsideCallback m_OnDropOutside = nullptr;
    MouseEventCallback m_MouseEventCallback = nullptr;
};

// The program's GUI manager; null while none exists, as on the dedicated server.
extern DXC_GuiManager* g_GuiManager;
