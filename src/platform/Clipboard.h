// Clipboard: the program's own clipboard, held in the process. Text put in as UTF-16 or as narrow
// text comes back in both forms, as a desktop clipboard converts between its text formats; the
// narrow form carries each unit below 256 as its byte and others as '?'.
#pragma once
#include <string>

namespace Platform {

void SetClipboardText(const std::u16string& text);
void SetClipboardTextNarrow(const std::string& text);
bool HasClipboardText();
std::u16string GetClipboardText();
std::string GetClipboardTextNarrow();
void EmptyClipboard();

}  // namespace Platform
