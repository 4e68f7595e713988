// ChatGui: the chat window: a closed field with its children flag and whether its text input is
// active (typing a line); the server never activates it.
#pragma once
#include "game/gui/GameGuiField.h"

class ChatGui : public GameGuiField {
public:
    explicit ChatGui(bool createChildren = true) : GameGuiField("ChatGui", createChildren) {}

    void SetActive(bool active) { m_Active = active; }
    bool IsActive() const { return m_Active; }

private:
    bool m_Active = false;
};
