// GuiDBText: the texts of the game's interface in the localisation database, by group and name,
// and one field of a table's row by its id.
#pragma once
#include "base/String.h"

#include <cstdint>

// The "content" of the "Gui" row with that id (group) and name. A missing row (or database) gives
// "DBErr:<group>,<name>", so that the gap shows on screen; found says which it was.
wString GetGuiDBText(const char* group, const char* name, uint8_t* found = nullptr);

// Replaces the text by the field of the table's row whose id is the text when it begins with "DB:",
// else "DB:" and the text. A "DB:" text without a row becomes "DBErr:<table>,<field>='<id>'"; a
// plain one stays. A found text goes through the world's translation while a controller exists.
// True when the row was found and its text is not empty; a text of fewer than 4 characters is not
// looked up. Table and field are names of the code's own (letters, digits, '_').
bool DBGetField(wString& text, const char* table, const char* field);

// Letters, digits and '_', at least one: a table or column name that can stand in SQL as it is.
bool IsPlainSqlName(const char* name);
