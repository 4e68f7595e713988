// DXC_GuiButton: the click logic of every button: push buttons (a click is a press and a release
// over the button), toggle buttons and radio groups, with a click counter that the game reads and
// resets once per frame. Presses and releases are reported to the manager's field-event callback.
#pragma once
#include "engine/gui/DXC_GuiField.h"

#include <cstdint>

class DXC_GuiButton : public virtual DXC_GuiField {
public:
    // Events to the field-event callback.
    static constexpr int32_t kEventReleased = 0;
    static constexpr int32_t kEventPressed = 1;

    DXC_GuiButton();
    // A button leaves its radio group, so the others never reach a button that is gone.
    ~DXC_GuiButton() override;

    DXC_GuiField* OnMouse(int32_t button, int32_t event, int32_t x, int32_t y) override;
    // Closing releases a push button (a toggle keeps its state).
    void SetOpenState(bool open) override;

    int32_t GetClicks(bool reset)
    {
        const int32_t counted = clicks;
        if (reset)
            clicks = 0;
        return counted;
    }
    int32_t GetState() const { return state; }
    bool IsDown() const { return state != 0; }
    void SetState(int32_t value) { state = value; }
    // Down (in radio mode the others of the group up); countClick counts it as a click.
    void Select(bool countClick);
    void SetToggleMode(bool flag) { toggleMode = flag ? 1 : 0; }
    bool IsToggleMode() const { return toggleMode != 0; }
    void SetRadioMode(bool flag) { radioMode = flag ? 1 : 0; }
    bool IsRadioMode() const { return radioMode != 0; }
    void SetEnabled(bool flag) { enabled = flag ? 1 : 0; }
    bool IsEnabled() const { return enabled != 0; }
    // other joins this button's group right behind it and becomes the selected one.
    void JoinGroup(DXC_GuiButton* other);

protected:
    // Every other member of the group up.
    void ClearGroup();

    int32_t toggleMode = 0;
    int32_t state = 0;
    int32_t enabled = 1;
    int32_t radioMode = 0;
    int32_t clicks = 0;
    DXC_GuiButton* groupPrev = nullptr;
    DXC_GuiButton* groupNext = nullptr;
};
