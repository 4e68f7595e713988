// TextDataFileReader: reads a text of the configuration format front to back as a stream of
// blanks and tokens (words, numbers, quoted texts, single punctuation), with a read position
// that callers save and restore; the constants file and the text model importer use it.
#pragma once
#include "base/String.h"
#include "base/TextFileReaderBase.h"

#include <cstdint>
#include <cstdio>
#include <vector>

class ConstantTable;

class TextDataFileReader : public TextFileReaderBase {
public:
    // Token buffers hold kTokenSize characters: at most 127 and the NUL.
    static constexpr int32_t kTokenSize = kMaxTokenLength + 1;

    TextDataFileReader();
    ~TextDataFileReader() override;

    // Every message names the file: "<file>: <message>".
    [[noreturn]] void Error(const char* format, ...) override __attribute__((format(printf, 2, 3)));
    void Warning(const char* format, ...) override __attribute__((format(printf, 2, 3)));

    // Opens a file, in memory (through File, packed files unpacked) or as a stream.
    void Open(const char* fileName, bool inMemory);
    // Takes over a text the caller has read whole (the model importer reads its files itself):
    // the reader works on these bytes as in memory, without a line table.
    void OpenBytes(const char* fileName, std::vector<char>&& bytes);
    void Close();

    // Position and raw bytes.
    int32_t ReadBytes(void* buffer, int32_t n);
    bool IsEndOfFile() const;
    int32_t GetFilePos() const { return m_Position; }
    int32_t SetFilePos(int32_t position);  // 0, or 1 with a warning when outside 0..size
    bool MovePos(int32_t offset);          // false when the position had to be clamped
    int32_t GetSize() const { return m_Size; }
    char ReadChar();  // 0 at the end of the text
    char PeekChar();  // 0 at the end of the text
    int32_t GetCurrentLine() const;
    int32_t GetLineCount() const { return m_Lines.Count(); }
    int32_t NextLine();

    // Tokens: 0 success, 1 failure or end of the text. A token of 128 characters is an error.
    int32_t SkipBlanks();
    int32_t FindChar(char c, bool report);
    int32_t ReadToken(char* buffer);
    int32_t ReadNextToken(char* buffer);
    int32_t ReadNextToken(String& token);
    int32_t ReadIdentifier(char* buffer);
    int32_t ReadNumberText(char* buffer);
    int32_t ReadQuotedText(char* buffer);
    int32_t ReadQuotedString(String& text);  // no length limit

    // Typed tokens; a token that begins with a letter is a constant name.
    double ReadConstValue(const char* text);
    int32_t ReadIntToken(int32_t& value);
    int32_t ReadFloatToken(float& value);
    int32_t ReadDoubleToken(double& value);
    int32_t ReadVector3Token(float* xyz);
    int32_t ReadBoolToken(bool& value);

    // Reads "name = value" lines into the table until the end of the text.
    void ParseConstants(ConstantTable& table);

private:
    void LoadLines(const char* text);
    void Append(char* buffer, int32_t& length, char c);

    int32_t m_InMemory = 0;
    int32_t m_EndReached = 0;
    std::vector<char> m_Memory;  // the file's bytes and a NUL
    std::FILE* m_Stream = nullptr;
    int32_t m_Size = 0;
    int32_t m_Position = 0;
    TextLines m_Lines;
};
