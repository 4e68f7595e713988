// BookGui: the book and text window; so far a closed field with its children flag.
#pragma once
#include "game/gui/GameGuiField.h"

class BookGui : public GameGuiField {
public:
    explicit BookGui(bool createChildren = true) : GameGuiField("BookGui", createChildren) {}
};
