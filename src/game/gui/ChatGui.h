// ChatGui: the chat window; so far a closed field with its children flag.
#pragma once
#include "game/gui/GameGuiField.h"

class ChatGui : public GameGuiField {
public:
    explicit ChatGui(bool createChildren = true) : GameGuiField("ChatGui", createChildren) {}
};
