// TextFileReader: a configuration text held whole in memory with its line table, the in-place
// edits that the setters make, and saving. Only its derived ConfigFileReader is ever created.
#pragma once
#include "base/TextFileReaderBase.h"

#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

// The text's allocator: a resize without a value leaves the new chars unset, as a whole file is
// read straight over them (data files run to megabytes; they are not written twice).
template <class T> struct TextAllocator : std::allocator<T> {
    TextAllocator() = default;
    template <class U> TextAllocator(const TextAllocator<U>&) noexcept {}
    template <class U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <class U, class... Args> void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

class TextFileReader : public TextFileReaderBase {
public:
    static constexpr int32_t kLineBufferSize = 65536;
    static constexpr int32_t kErrorTextSize = 256;

    ~TextFileReader() override;

    // Appends a further file behind one CR; 1 when it does not open. Resplit rebuilds the lines;
    // when that fails (3 or 4) the appended bytes are taken back.
    virtual int32_t AppendFile(const char* fileName, bool resplit);

    // The line with a NUL, in the line buffer (valid until the next fetch); null with the error
    // text set when the line does not exist or is too long to fetch.
    const char* GetLine(int32_t line);
    int32_t GetLineCount() const { return m_Lines.Count(); }

    // 0; 1 the line does not exist; 2 offset plus old length pass the line's end.
    int32_t ReplaceInLine(int32_t line, int32_t offset, int32_t oldLength, const char* text);
    // Inserts text and CR LF at the start of line index, or appends CR LF and text at the end
    // when index is negative or not below the line count. 0.
    int32_t InsertLine(int32_t index, const char* text);

    // 0; 1 when the file cannot be written (the error text says why).
    int32_t Save();
    int32_t SaveAs(const char* fileName);

    const char* GetText() const { return m_Text.data(); }
    int32_t GetTextLength() const { return int32_t(m_Text.size()); }
    const char* GetErrorText() const { return m_ErrorText; }

protected:
    TextFileReader();

    // Reads the whole file into the text; 1 when it does not open.
    int32_t ReadFile(const char* fileName);
    // 0, 3 too many lines, 4 a line too long; the error text tells which.
    int32_t SplitLines();
    void ClearText();

    // A line's characters inside the text, without a NUL: null when the line does not exist or
    // is too long to fetch as a whole (what GetLine refuses is refused everywhere). Inline: the
    // block parser asks it for every line of a file.
    const char* LineText(int32_t line, int32_t& length) const
    {
        if (line < 0 || line >= m_Lines.Count())
            return nullptr;
        length = m_Lines.lengths[size_t(line)];
        if (length >= TextLines::kMaxLineLength)
            return nullptr;
        return m_Text.data() + m_Lines.starts[size_t(line)];
    }

    // Called after InsertLine changed the line table.
    virtual void OnLineInserted(int32_t index);

    void SetErrorText(const char* format, ...) __attribute__((format(printf, 2, 3)));

    std::vector<char, TextAllocator<char>> m_Text;
    TextLines m_Lines;
    std::unique_ptr<char[]> m_LineBuffer;
    char m_ErrorText[kErrorTextSize];
};
