// DXC_GuiField: the base of every widget and window: a rectangle that is open or closed and
// knows the GUI manager it is attached to. So far the least a window needs to exist unattached,
// as every window does on the dedicated server; the widget tree, focus and input routing build
// on it.
#pragma once
#include "base/DXC_Base.h"
#include "base/SmartPtr.h"

#include <cstdint>

class DXC_Gfx;
class DXC_GuiManager;

class DXC_GuiField : public virtual DXC_Base, public SmartClass {
public:
    DXC_GuiField();
    ~DXC_GuiField() override;
    DXC_GuiField(const DXC_GuiField&) = delete;
    DXC_GuiField& operator=(const DXC_GuiField&) = delete;

    virtual void OnOpenChanged(bool open);
    // Stores the manager and its graphics object.
    virtual void SetManager(DXC_GuiManager* guiManager);
    // Opening a closed field or closing an open one; other calls change nothing.
    virtual void SetOpenState(bool open);
    virtual int32_t IsOpen() const { return closed == 0 ? 1 : 0; }
    void ToggleOpen() { SetOpenState(IsOpen() == 0); }
    virtual void SetPos(int32_t x, int32_t y);
    virtual void SetSize(int32_t width, int32_t height);
    // The field that took the character, or null.
    virtual DXC_GuiField* OnChar(uint32_t code, int32_t repeat, uint32_t flags);
    // Draws the field; nothing is drawn without a manager's graphics object.
    virtual void Render();

    void GetPos(int32_t& x, int32_t& y) const;
    void GetSize(int32_t& width, int32_t& height) const;
    // Right and bottom are exclusive.
    bool IsPointInside(int32_t x, int32_t y) const { return x >= left && x < right && y >= top && y < bottom; }
    DXC_GuiManager* GetManager() const { return manager; }

protected:
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t closed = 0;
    DXC_GuiManager* manager = nullptr;
    DXC_Gfx* gfx = nullptr;
};
