// Clipboard: one UTF-16 text for the process, converted on the way out.
#include "platform/Clipboard.h"

#include <mutex>
#include <optional>

namespace {

std::mutex s_Lock;
std::optional<std::u16string> s_Text;  // empty optional: nothing on the clipboard

}  // namespace

namespace Platform {

void SetClipboardText(const std::u16string& text)
{
    std::lock_guard<std::mutex> hold(s_Lock);
    s_Text = text;
}

void SetClipboardTextNarrow(const std::string& text)
{
    std::u16string wide;
    wide.reserve(text.size());
    for (unsigned char c : text)
        wide += char16_t(c);
    SetClipboardText(wide);
}

bool HasClipboardText()
{
    std::lock_guard<std::mutex> hold(s_Lock);
    return s_Text.has_value();
}

std::u16string GetClipboardText()
{
    std::lock_guard<std::mutex> hold(s_Lock);
    return s_Text.value_or(std::u16string());
}

std::string GetClipboardTextNarrow()
{
    std::string narrow;
    for (char16_t c : GetClipboardText())
        narrow += c < 256 ? char(c) : '?';
    return narrow;
}

void EmptyClipboard()
{
    std::lock_guard<std::mutex> hold(s_Lock);
    s_Text.reset();
}

}  // namespace Platform
