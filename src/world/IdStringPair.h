// IdStringPair: a number with a text, as element records keep them: read as i32 id, then the
// text (its 4-byte length and its characters).
#pragma once
#include "base/File.h"
#include "base/String.h"

#include <cstdint>

struct IdStringPair {
    void Load(File& file)
    {
        file.ReadInt32(&id);
        file.ReadString(text);
    }

    int32_t id = 0;
    String text;
};
