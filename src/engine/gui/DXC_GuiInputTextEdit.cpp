// DXC_GuiInputText: the editing codes: Enter and Escape, Backspace and Delete, the caret moves
// along a line and between lines, paste, and typed characters.
#include "engine/gui/DXC_GuiInputText.h"

#include "engine/gfx/DXC_Font.h"
#include "engine/gui/DXC_GuiManager.h"

#include <algorithm>

namespace {

constexpr char16_t kTab = 9;
constexpr uint32_t kLastUnit = 0xFFFF;  // codes beyond one UTF-16 unit are not characters here

}  // namespace

// A character needs the field's permission and, where a font draws the field, a glyph; control
// codes other than the line break are never text.
bool DXC_GuiInputText::CanInsert(char16_t c) const
{
    if (c < 32 && c != kLineBreak)
        return false;
    if (!IsCharAllowed(c))
        return false;
    const DXC_Font* shown = ResolveFont();
    return !shown || shown->CanDraw(c);
}

void DXC_GuiInputText::Insert(const std::u16string& characters)
{
    const size_t room = size_t(std::max(maxLength - int32_t(text.size()), 0));
    const size_t count = std::min(characters.size(), room);
    text.insert(size_t(caret), characters, 0, count);
    caret += int32_t(count);
}

void DXC_GuiInputText::ClearIfAsked()
{
    if (!clearOnInput)
        return;
    text.clear();
    caret = 0;
    clearOnInput = 0;
}

void DXC_GuiInputText::Paste()
{
    if (!manager)
        return;
    const wString clip = manager->GetClipboardText();
    const int32_t room = std::max(maxLength - int32_t(text.size()), 0);
    std::u16string kept;
    const char16_t* p = clip.c_str();
    for (int32_t i = 0; i < room && p[i]; ++i) {
        const char16_t c = p[i] == kTab ? u' ' : p[i];
        if (CanInsert(c))
            kept += c;
    }
    Insert(kept);
}

void DXC_GuiInputText::MoveVertically(bool up)
{
    const int32_t lineStart = LineStartBefore(caret);
    const float width = MeasureRange(lineStart, caret);
    if (up) {
        if (lineStart == 0)
            return;  // the first line: nowhere to go
        caret = FindInLine(LineStartBefore(lineStart - 1), width);
    } else {
        const int32_t lineEnd = LineEndFrom(caret);
        if (lineEnd >= int32_t(text.size()))
            return;  // the last line
        caret = FindInLine(lineEnd + 1, width);
    }
}

DXC_GuiField* DXC_GuiInputText::OnChar(uint32_t code, int32_t repeat, uint32_t flags)
{
    if (DXC_GuiField* taken = DXC_GuiTexField::OnChar(code, repeat, flags))
        return taken;
    if (flags != 0 || (!keepEditing && result != 0))
        return nullptr;
    caret = std::clamp(caret, 0, int32_t(text.size()));
    const bool asCharacter = (code == kUp || code == kDown) && text.empty();
    switch (asCharacter ? 0u : code) {
    case kEnter:
        result = 1;
        break;
    case kEscape:
        result = -1;
        break;
    case kBackspace:
        ClearIfAsked();
        if (caret > 0 && !text.empty()) {
            text.erase(size_t(caret - 1), 1);
            --caret;
        }
        break;
    case kDelete:
        ClearIfAsked();
        if (caret < int32_t(text.size()))
            text.erase(size_t(caret), 1);
        break;
    case kLeft:
        caret = std::max(caret - 1, 0);
        break;
    case kRight:
        caret = std::min(caret + 1, int32_t(text.size()));
        break;
    case kLineStart:
        caret = LineStartBefore(caret);
        break;
    case kLineEnd:
        caret = LineEndFrom(caret);
        break;
    case kUp:
    case kDown:
        MoveVertically(code == kUp);
        break;
    case kPaste:
        ClearIfAsked();
        Paste();
        break;
    default: {
        ClearIfAsked();
        if (code > kLastUnit)
            break;
        const char16_t c = char16_t(code);
        const int32_t room = std::max(maxLength - int32_t(text.size()), 0);
        const int32_t count = std::min(repeat, room);
        if (count > 0 && CanInsert(c))
            Insert(std::u16string(size_t(count), c));
        break;
    }
    }
    if (code != kEnter && code != kEscape)
        TouchCaret();
    caret = std::clamp(caret, 0, int32_t(text.size()));
    return nullptr;
}
