// DXC_GuiInputText: a picture field with a caption and an editable UTF-16 text: it takes
// characters and editing codes along the focus path, keeps a caret, and ends with a result the
// owner polls (0 editing, 1 Enter, -1 Escape). While one has the focus, the program-wide
// textInputActive flag keeps the game's key bindings quiet. The text never grows beyond
// maxLength and the caret never leaves 0 .. length, whatever keys arrive.
// DXC_GuiInputText.cpp holds the state, the focus, the caret placement by mouse and the drawing;
// DXC_GuiInputTextEdit.cpp the editing codes.
#pragma once
#include "base/String.h"
#include "engine/gui/DXC_GuiTexField.h"

#include <cstdint>
#include <string>

class DXC_Font;

// Set while an input field has the focus; the key bindings read nothing then.
extern int32_t textInputActive;

class DXC_GuiInputText : public DXC_GuiTexField, public virtual DXC_GuiField {
public:
    // Editing codes as the window messages deliver them.
    static constexpr uint32_t kLineEnd = 1;
    static constexpr uint32_t kLineStart = 2;
    static constexpr uint32_t kBackspace = 8;
    static constexpr uint32_t kLineBreak = 10;
    static constexpr uint32_t kEnter = 13;
    static constexpr uint32_t kLeft = 17;
    static constexpr uint32_t kUp = 18;
    static constexpr uint32_t kRight = 19;
    static constexpr uint32_t kDown = 20;
    static constexpr uint32_t kPaste = 22;
    static constexpr uint32_t kDelete = 24;
    static constexpr uint32_t kEscape = 27;
    // The longest text any field may be given room for: below the text output's buffer.
    static constexpr int32_t kMaxLengthLimit = 65535;

    DXC_GuiInputText();
    ~DXC_GuiInputText() override;

    DXC_GuiField* OnMouse(int32_t button, int32_t event, int32_t x, int32_t y) override;
    DXC_GuiField* OnChar(uint32_t code, int32_t repeat, uint32_t flags) override;
    void Render() override;
    void OnGotFocus() override;
    void OnLostFocus() override;

    int32_t GetResult() const { return result; }
    wString GetText() const { return wString(text.c_str()); }
    // The text cut to maxLength, the caret behind it.
    void SetText(const wString& value);
    void SetCaption(const wString& value) { caption = value; }
    DXC_Font* GetFont() const { return font; }
    double GetScale() const { return scale; }
    // A null font means the manager's default font and its colour.
    void SetFont(DXC_Font* value, float fontScale, uint32_t fontColour)
    {
        font = value;
        scale = fontScale;
        colour = fontColour;
    }
    void SetLayout(int32_t capX, int32_t capY, int32_t txtX, int32_t txtY, int32_t txtWidth, int32_t txtHeight);
    // Result back to 0; unless keepText the text is emptied and the caret goes to 0.
    void Reset(bool keepText);
    bool IsCharAllowed(char16_t c) const;
    void SetMaxLength(int32_t length);
    int32_t GetMaxLength() const { return maxLength; }
    // 1 and 2: digits, A to Z, a to z, space, "_" and "-" only.
    void SetInputMode(int32_t mode) { inputMode = mode; }
    void SetForbidden(const wString& characters) { forbidden = characters; }
    void SetKeepEditing(bool flag) { keepEditing = flag ? 1 : 0; }
    void SetClearOnInput(bool flag) { clearOnInput = flag ? 1 : 0; }
    void SetTextAlign(int32_t align) { textAlign = align; }
    void SetCaptionAlign(int32_t align) { captionAlign = align; }
    int32_t GetCaret() const { return caret; }
    void SetCaret(int32_t index);
    // Whether the caret shows now: focused, and an even number of whole seconds since the last
    // edit.
    bool IsCaretVisible() const;

protected:
    static constexpr int32_t kAlignLeft = 1;
    static constexpr int32_t kAlignCentre = 2;
    static constexpr int32_t kAlignRight = 3;

    DXC_Font* ResolveFont() const;
    // Width of text[from, to) in the field's font and scale; 0 without a font.
    float MeasureRange(int32_t from, int32_t to) const;
    // The first index of the line from lineStart whose prefix, that character included, is wider
    // than width; the line's end when none is.
    int32_t FindInLine(int32_t lineStart, float width) const;
    int32_t LineStartBefore(int32_t index) const;
    int32_t LineEndFrom(int32_t index) const;
    // The code a character or the free space refuses is dropped.
    bool CanInsert(char16_t c) const;
    void Insert(const std::u16string& characters);
    void MoveVertically(bool up);
    void Paste();
    void ClearIfAsked();
    void TouchCaret();
    static double Now();

    wString caption;
    std::u16string text;  // line breaks are the character 10
    int32_t textX = 10;
    int32_t textY = 35;
    int32_t captionX = 10;
    int32_t captionY = 10;
    int32_t textWidth = 0;  // 0 and 0: no clipping
    int32_t textHeight = 0;
    int32_t result = 0;
    uint8_t keepEditing = 0;
    DXC_Font* font = nullptr;
    uint32_t colour = 0xFF000000u;
    float scale = 1.0f;
    double caretTime = 0.0;
    int32_t maxLength = 32;
    int32_t inputMode = 0;
    int32_t caret = 0;
    wString forbidden;
    int32_t textAlign = kAlignLeft;
    int32_t captionAlign = kAlignLeft;
    int32_t clearOnInput = 0;
};
