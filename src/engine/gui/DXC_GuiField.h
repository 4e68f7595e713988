// DXC_GuiField: the base of every widget, window and HUD element: a rectangle in the tree of
// fields under the GUI manager's root, with its children in front-to-back order, the open state,
// the focus path, modal windows, the help text of its tooltip, and the routing of mouse and
// character input and of drawing down the tree. Unattached (no manager), as every window is on
// the dedicated server, a field only keeps its state. DXC_GuiField.cpp holds the tree, state and
// queries; DXC_GuiFieldInput.cpp the focus, the input routing and the drawing.
#pragma once
#include "base/DXC_Base.h"
#include "base/DynaMem.h"
#include "base/SmartPtr.h"
#include "base/String.h"

#include <cstdint>

class DXC_Gfx;
class DXC_GuiManager;
class DXC_GuiScaleableText;

class DXC_GuiField : public virtual DXC_Base, public SmartClass {
public:
    // Mouse events as the manager produces them.
    static constexpr int32_t kMousePressed = 0;
    static constexpr int32_t kMouseReleased = 1;
    static constexpr int32_t kMouseDragStarted = 2;  // at the press position
    static constexpr int32_t kMouseDropped = 3;
    static constexpr int32_t kMouseClicked = 4;
    static constexpr int32_t kMouseDoubleClicked = 5;
    // mouseFlags bits
    static constexpr uint8_t kMouseSelf = 1;      // the field handles mouse events itself
    static constexpr uint8_t kMouseChildren = 2;  // it passes them to its children
    // dragMode values
    static constexpr int32_t kDragUnset = -1;  // AddChild makes it 0, the manager's AddWindow 1
    static constexpr int32_t kDragNever = 0;
    static constexpr int32_t kDragAlways = 1;
    static constexpr int32_t kDragWithShift = 2;  // only while the left Shift key is held

    DXC_GuiField();
    // A modal field leaves the modal count as it found it; the parent forgets it; every SmartPtr to
    // it (the manager's tooltip field, the drag source, deferred front moves) becomes null.
    ~DXC_GuiField() override;
    DXC_GuiField(const DXC_GuiField&) = delete;
    DXC_GuiField& operator=(const DXC_GuiField&) = delete;

    // The virtual operations, in the order the toolkit's classes replace them.
    virtual void Nop() {}
    // Told by SetOpenState after opening and after closing; the base tells every child.
    virtual void OnOpenChanged(bool open);
    // The end of OnLostFocus; the base passes it to every child.
    virtual void OnReset();
    // The help text into the tooltip window, which is marked changed.
    virtual void WriteHelpText(DXC_GuiScaleableText& target);
    // Stores the manager and its graphics object for this field and its subtree.
    virtual void SetManager(DXC_GuiManager* guiManager);
    // Opening a closed field or closing an open one; other calls change nothing.
    virtual void SetOpenState(bool open);
    virtual int32_t IsOpen() const { return closed == 0 ? 1 : 0; }
    // The child's slot in the list; it leaves a former parent first.
    virtual int32_t AddChild(DXC_GuiField* child);
    virtual void SetPos(int32_t x, int32_t y);
    virtual void SetSize(int32_t width, int32_t height);
    // x, y relative to this field's corner; the field that handled the event, or null.
    virtual DXC_GuiField* OnMouse(int32_t button, int32_t event, int32_t x, int32_t y);
    // The field that took the character, or null.
    virtual DXC_GuiField* OnChar(uint32_t code, int32_t repeat, uint32_t flags);
    // Subclasses draw their picture first and then call this, so children lie on top.
    virtual void Render();
    // Gives the focus away as the field closes.
    virtual void ReleaseFocus();
    virtual void OnGotFocus();
    virtual void OnLostFocus();

    // Rectangle. Relative to the parent's corner (absolute for the root); right and bottom are
    // exclusive.
    void GetPos(int32_t& x, int32_t& y) const;
    void GetSize(int32_t& width, int32_t& height) const;
    void GetRect(int32_t& l, int32_t& t, int32_t& r, int32_t& b) const;
    void SetRect(int32_t l, int32_t t, int32_t r, int32_t b);
    void GetAbsPos(int32_t& x, int32_t& y) const;
    void GetAbsRect(int32_t& l, int32_t& t, int32_t& r, int32_t& b) const;
    bool IsPointInside(int32_t x, int32_t y) const { return x >= left && x < right && y >= top && y < bottom; }
    // At the fractions of the space the parent (or, for a top field, the screen) leaves free.
    void SetRelativePos(float fx, float fy);
    void SetRelativePosX(float fx);
    void SetRelativePosY(float fy);
    // Moves the field onto the screen; one larger than the screen ends aligned right and bottom.
    void ClampToScreen();
    // The manager's mouse position minus the field's absolute corner.
    void GetMouseOffset(int32_t& x, int32_t& y) const;

    // Tooltip text.
    void SetHelpText(const wString& text);
    wString GetHelpText() const { return helpText; }
    void SetTooltipEnabled(bool enabled) { tooltipEnabled = enabled ? 1 : 0; }
    bool HasHelpTextChanged() const { return helpTextChanged != 0; }
    void ClearHelpTextChanged() { helpTextChanged = 0; }

    // Tree.
    DXC_GuiField* GetParent() const { return parent.Get(); }
    int32_t GetChildCount() const { return children.GetSize(); }
    DXC_GuiField* GetChild(int32_t position) { return children.GetAt(position); }
    // Forgets the child (which stays alive; its parent is left to the caller). A focused child
    // that is removed hands the focus to this field, whether it was in the list or not.
    void RemoveChild(DXC_GuiField* child);
    // Moves the field to the last position of its parent, unless its order is fixed.
    void SendToBack();
    // Moves the field to position 0 of its parent, unless its order is fixed (no deferral).
    void MoveToFrontOfParent();
    DXC_GuiField* GetTopLevelWindow();
    DXC_GuiField* FindModalWindow();
    bool IsDescendantOf(const DXC_GuiField* other) const;
    // On the root: an open child that is not permanent, and the first of them.
    bool HasOpenWindow();
    DXC_GuiField* GetFrontWindow();
    // Closes every child that is not permanent (or every child), skipping those destroyed meanwhile.
    void CloseChildren(bool alsoPermanent);

    // Mouse queries.
    bool IsMouseOverChildren();
    DXC_GuiField* FindFieldUnderMouse();
    bool IsMouseOver(bool useMouse, bool requireActive, bool checkCursor);
    bool IsInputActive();

    // Focus and order.
    bool HasFocus() const { return focused == 1; }
    // direct: the focus child; otherwise the deepest field of the focus path below this one.
    DXC_GuiField* GetFocus(bool direct);
    bool SetFocus(bool clearBelow);
    int32_t BringToFront(bool takeFocus);
    void ToggleOpen(bool takeFocus = false);

    // Flags.
    void SetModal(bool flag);
    bool IsModal() const { return modal != 0; }
    void SetAlwaysOnTop(bool flag) { alwaysOnTop = flag ? 1 : 0; }
    bool IsAlwaysOnTop() const { return alwaysOnTop != 0; }
    void SetMouseTransparent(bool flag) { mouseTransparent = flag ? 1 : 0; }
    void SetMouseFlags(uint8_t flags) { mouseFlags = flags; }
    void SetFocusable(bool flag) { focusable = flag ? 1 : 0; }
    bool IsFocusable() const { return focusable != 0; }
    void SetFixedOrder(bool flag) { fixedOrder = flag ? 1 : 0; }
    bool HasFixedOrder() const { return fixedOrder != 0; }
    void SetPermanent(bool flag) { permanent = flag ? 1 : 0; }
    bool IsPermanent() const { return permanent != 0; }
    void SetDragMode(int32_t mode) { dragMode = mode; }
    int32_t GetDragMode() const { return dragMode; }
    bool IsDragging() const { return dragging != 0; }
    void SetDebugLevel(int32_t level) { debugLevel = level; }
    void SetNotifyEvents(bool flag) { notifyEvents = flag ? 1 : 0; }
    void NotifyEvent(int32_t event);
    // Characters typed while the field is on the focus path collect in the typed text.
    void SetCollectText(bool flag) { collectText = flag ? 1 : 0; }
    const wString& GetTypedText() const { return typedText; }
    void ClearTypedText() { typedText = wString(); }

    DXC_GuiManager* GetManager() const { return manager; }

    // The program's outline level for every field; a field's own applies when higher.
    static int32_t s_GuiDebugLevel;

protected:
    friend class DXC_GuiManager;  // walks and sets the focus path and the child order

    // The manager's count of open modal fields for this field and its open modal children.
    void UpdateModalCount(bool opening);
    bool GetFreeSpace(int32_t& width, int32_t& height) const;
    void DrawDebugOutline(int32_t level);
    // While dragging: the grab position plus the mouse's travel since the left button went down.
    void FollowDrag();

    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t closed = 0;
    int32_t permanent = 0;  // a HUD part: never an open window, takes input without the focus
    SmartPtr<DXC_GuiField> parent;
    DXC_GuiManager* manager = nullptr;
    DXC_Gfx* gfx = nullptr;
    int32_t dragMode = kDragUnset;
    int32_t dragging = 0;
    int32_t fixedOrder = 0;
    int32_t mouseTransparent = 0;
    int32_t debugLevel = 0;
    int32_t dragGrabX = 0;  // position in the parent when the drag began
    int32_t dragGrabY = 0;
    int32_t childOriginX = 0;  // added to a child's rectangle when it is added
    int32_t childOriginY = 0;
    DynaPtrList<DXC_GuiField*, 4> children;  // position 0 is the front-most
    int32_t modal = 0;
    int32_t focusable = 1;
    int32_t focused = 0;
    uint8_t mouseFlags = 0xFF;
    int32_t alwaysOnTop = 0;
    uint8_t helpTextChanged = 0;
    wString helpText;
    uint8_t tooltipEnabled = 1;
    uint8_t notifyEvents = 0;
    uint8_t collectText = 0;
    wString typedText;
    DXC_GuiField* focusChild = nullptr;
};
