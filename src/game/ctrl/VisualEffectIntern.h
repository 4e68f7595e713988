// VisualEffectIntern: one key of a visual effect list read from a game data entry: the part of
// the key's name after the list's prefix and its value, kept as text until the effects that use
// it are built.
#pragma once
#include "base/String.h"

struct VisualEffectIntern {
    String name;   // the key without the list's prefix ("Effect1_Texture" gives "Texture")
    String value;  // the raw value
};
