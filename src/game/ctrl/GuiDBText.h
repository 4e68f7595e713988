// GuiDBText: the texts of the game's interface in the localisation database, by group and name.
#pragma once
#include "base/String.h"

#include <cstdint>

// The "content" of the "Gui" row with that id (group) and name. A missing row (or database) gives
// "DBErr:<group>,<name>", so that the gap shows on screen; found says which it was.
wString GetGuiDBText(const char* group, const char* name, uint8_t* found = nullptr);
