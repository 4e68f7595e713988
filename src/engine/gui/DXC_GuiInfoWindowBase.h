// DXC_GuiInfoWindowBase: a window that owns a separate info window (a text viewer added to the
// manager as a top-level window of its own), fills and places it at the mouse, and closes it
// when it closes itself.
#pragma once
#include "base/String.h"
#include "engine/gui/DXC_GuiField.h"

#include <cstdint>

class DXC_GuiTexFieldEx;
template <class Base> class DXC_GuiTextViewerTmp;

class DXC_GuiInfoWindowBase : public virtual DXC_GuiField {
public:
    using InfoWindow = DXC_GuiTextViewerTmp<DXC_GuiTexFieldEx>;
    static constexpr int32_t kInfoWidth = 384;
    static constexpr int32_t kInfoHeight = 256;
    static constexpr int32_t kInfoInset = 16;  // on every side
    static constexpr int32_t kInfoGap = 16;    // between the mouse and the info window

    DXC_GuiInfoWindowBase() = default;
    ~DXC_GuiInfoWindowBase() override;

    // Closing the window closes its info window too.
    void OnOpenChanged(bool open) override;

    // A fresh info window (384 x 256, insets 16, closed) replaces the old one and joins the
    // manager's windows.
    virtual void CreateInfoWindow();
    // The info window, made when missing, holds the text as its only entry.
    void SetInfoText(const wString& text);
    // Fitted to its text by the layout values, then placed at the mouse: below it in the upper
    // half of the screen, above it in the lower; at the window's left plus the offset.
    virtual void ShowInfoAtMouse();
    // The caller makes sure the info window exists.
    void SetInfoWindowOpen(bool open);
    void SetInfoOffsetX(int32_t x) { infoOffsetX = x; }
    InfoWindow* GetInfoWindow() const { return infoWindow; }

protected:
    // The info window's height: its text plus the insets plus infoExtra, within infoMinHeight to
    // infoMaxHeight.
    void FitInfoWindow();
    // The mouse position on the screen (the manager's), 0 0 without one.
    void GetScreenMouse(int32_t& x, int32_t& y) const;
    void GetScreen(int32_t& width, int32_t& height) const;

    InfoWindow* infoWindow = nullptr;
    int32_t infoExtra = 4;
    int32_t infoMinHeight = 100;
    int32_t infoMaxHeight = 512;
    int32_t infoOffsetX = 0;
};
