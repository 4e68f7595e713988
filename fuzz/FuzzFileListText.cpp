// FuzzFileListText: arbitrary text (up to the first NUL) read as a file-list option value. It
// either ends in the list's error or adds names; either way every name in the list is whole,
// within the length limit and made of the characters a name may hold.
#include "FuzzTarget.h"

#include "base/FileList.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size > (1 << 16))
        return 0;
    const auto* chars = reinterpret_cast<const char*>(data);
    const std::string text(chars, std::find(chars, chars + size, 0));
    FileList list;
    try {
        list.AddFromText(text.c_str());
    } catch (const ErrorMsg&) {  // a malformed text; the names before the fault stay
    }
    for (int32_t i = 0; i < list.GetCount(); ++i) {
        const String& name = list.GetName(i);
        if (name.IsEmpty() || name.TextLength() > FileList::kMaxNameLength)
            Fuzz::Finding("a name is empty or too long");
        for (const char* p = name.c_str() + 1; *p; ++p)  // the first character is taken unchecked
            if (static_cast<unsigned char>(*p) < '.' || static_cast<unsigned char>(*p) > '~')
                Fuzz::Finding("a name holds a character outside '.' to '~'");
        if (list.FindFile(name) < 0)
            Fuzz::Finding("an added name is not found");
    }
    return 0;
}
