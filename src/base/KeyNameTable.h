// KeyNameTable: the names of keyboard keys and mouse buttons that the key bindings use, with the
// key's DirectInput scan code or the mouse button's number. Constant data: it exists before any
// code runs, whatever the order in which globals are built.
#pragma once
#include "base/String.h"

#include <cstdint>

struct KeyName {
    const char* name;  // null for the rows without text
    int32_t kind;
    int32_t code;
};

namespace KeyNameTable {

constexpr int32_t kEmpty = 0;
constexpr int32_t kKeyboard = 1;
constexpr int32_t kMouse = 2;
constexpr int32_t kRowCount = 116;

const KeyName& GetRow(int32_t row);  // 0 .. kRowCount - 1

// Walks the rows in order comparing exactly (no case folding); a row without text matches only
// the empty name.
bool FindByName(const char* name, int32_t& kind, int32_t& code);
// The first row with this kind and code; an empty name and false when none has them.
bool FindByCode(int32_t kind, int32_t code, String& name);

}  // namespace KeyNameTable
