// TextDataFileReader: opening in memory or as a stream, positions, tokens and the constants file.
#include "base/TextDataFileReader.h"

#include "base/ConstantTable.h"
#include "base/File.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstring>

namespace {

bool IsLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// A token ends before these; met first, one of them is a token by itself.
bool EndsToken(unsigned char c) { return c < 33 || c == '{' || c == '}' || c == '"' || c == ',' || c == '='; }

}  // namespace

TextDataFileReader::TextDataFileReader() { CopyName32(this, "TextDataFileReader"); }

TextDataFileReader::~TextDataFileReader() { Close(); }

void TextDataFileReader::Error(const char* format, ...)
{
    char message[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format ? format : "", args);
    va_end(args);
    char text[1024];
    std::snprintf(text, sizeof text, "%s: %s", m_FileName.c_str(), message);
    ErrorClass::Error("%s", text);
}

void TextDataFileReader::Warning(const char* format, ...)
{
    char message[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format ? format : "", args);
    va_end(args);
    char text[1024];
    std::snprintf(text, sizeof text, "%s: %s", m_FileName.c_str(), message);
    ErrorClass::Warning("%s", text);
}

// ---- opening ----

void TextDataFileReader::Open(const char* fileName, bool inMemory)
{
    Close();
    m_FileName = fileName;
    File file;
    if (!inMemory) {
        m_FileTime = file.Open(m_FileName, true, File::kDiskFile, false) ? FileTimeOf(file) : -1;
        file.Close();
        m_Stream = Platform::OpenFile(fileName, "rb");
        if (!m_Stream)
            Error("Can not open file %s", fileName);
        long size = -1;
        if (std::fseek(m_Stream, 0, SEEK_END) == 0)
            size = std::ftell(m_Stream);
        std::fseek(m_Stream, 0, SEEK_SET);
        if (size < 0 || size > INT32_MAX) {
            Close();
            Error("File too big");
        }
        m_Size = int32_t(size);
        m_InMemory = 0;
    } else {
        if (!file.Open(m_FileName, true, File::kVirtualFile, true))
            Error("Can not open file %s, Code:%i", fileName, errno);
        m_Size = file.GetSize();
        const uint8_t* bytes = file.GetMemoryBuffer();
        m_Memory.assign(bytes, bytes + (bytes ? m_Size : 0));
        m_Memory.push_back(0);
        m_FileTime = FileTimeOf(file);
        m_InMemory = 1;
    }
    TakeConstantStamp();
    m_Position = 0;
    m_EndReached = 0;
    m_Loaded = 1;
    if (m_InMemory) {
        LoadLines(m_Memory.data());
    } else {
        std::vector<char> text(size_t(m_Size) + 1, 0);
        ReadBytes(text.data(), m_Size);
        LoadLines(text.data());
    }
    SetFilePos(0);
}

void TextDataFileReader::OpenBytes(const char* fileName, std::vector<char>&& bytes)
{
    Close();
    m_FileName = fileName;
    if (bytes.size() >= size_t(INT32_MAX))
        Error("File too big");
    m_Memory = std::move(bytes);
    m_Size = int32_t(m_Memory.size());
    m_Memory.push_back(0);
    m_InMemory = 1;
    m_Loaded = 1;
    TakeConstantStamp();
}

void TextDataFileReader::LoadLines(const char* text)
{
    int32_t result = m_Lines.Split(text, m_Size);
    if (result == 0)
        return;
    Close();
    Error(result == 3 ? "File too big" : "Line too long");
}

void TextDataFileReader::Close()
{
    m_Lines.Clear();
    m_Memory.clear();
    m_Memory.shrink_to_fit();
    if (m_Stream)
        std::fclose(m_Stream);
    m_Stream = nullptr;
    m_InMemory = 0;
    m_EndReached = 0;
    m_Size = 0;
    m_Position = 0;
    m_Loaded = 0;
}

// ---- position and raw bytes ----

int32_t TextDataFileReader::ReadBytes(void* buffer, int32_t n)
{
    if (n <= 0)
        return 0;
    int32_t count = std::min(n, m_Size - m_Position);
    if (count <= 0) {
        m_EndReached = 1;
        return 0;
    }
    m_EndReached = 0;
    if (m_InMemory)
        std::memcpy(buffer, m_Memory.data() + m_Position, size_t(count));
    else if (m_Stream)
        count = int32_t(std::fread(buffer, 1, size_t(count), m_Stream));
    else
        count = 0;
    m_Position += count;
    return count;
}

bool TextDataFileReader::IsEndOfFile() const { return m_Position >= m_Size || m_EndReached != 0; }

int32_t TextDataFileReader::SetFilePos(int32_t position)
{
    if (position < 0 || position > m_Size) {
        Warning("Invalid file position:%i", position);
        return 1;
    }
    m_Position = position;
    m_EndReached = 0;  // a saved position restored is no longer at the end
    if (m_Stream)
        std::fseek(m_Stream, position, SEEK_SET);
    return 0;
}

bool TextDataFileReader::MovePos(int32_t offset)
{
    int64_t target = int64_t(m_Position) + offset;
    bool inside = target >= 0 && target <= m_Size;
    m_Position = int32_t(std::clamp<int64_t>(target, 0, m_Size));
    m_EndReached = 0;
    if (m_Stream)
        std::fseek(m_Stream, m_Position, SEEK_SET);
    return inside;
}

char TextDataFileReader::ReadChar()
{
    char c = 0;
    return ReadBytes(&c, 1) == 1 ? c : 0;
}

char TextDataFileReader::PeekChar()
{
    if (m_Position >= m_Size)
        return 0;
    if (m_InMemory)
        return m_Memory[size_t(m_Position)];
    if (!m_Stream)
        return 0;
    int c = std::getc(m_Stream);
    if (c == EOF)
        return 0;
    std::ungetc(c, m_Stream);
    return char(c);
}

int32_t TextDataFileReader::GetCurrentLine() const { return m_Lines.LineOfOffset(m_Position); }

int32_t TextDataFileReader::NextLine()
{
    int32_t line = GetCurrentLine() + 1;
    if (line >= m_Lines.Count()) {
        Warning("Invalid line in file:%i", line);
        return 1;
    }
    return SetFilePos(m_Lines.starts[size_t(line)]);
}

// ---- tokens ----

void TextDataFileReader::Append(char* buffer, int32_t& length, char c)
{
    if (length >= kMaxTokenLength) {
        buffer[length] = 0;
        Error("String too long (>127)");
    }
    buffer[length++] = c;
    buffer[length] = 0;
}

int32_t TextDataFileReader::SkipBlanks()
{
    while (m_Position < m_Size && static_cast<unsigned char>(PeekChar()) < 33)
        ReadChar();
    if (m_Position >= m_Size) {
        m_EndReached = 1;
        return 1;
    }
    return 0;
}

int32_t TextDataFileReader::FindChar(char c, bool report)
{
    while (m_Position < m_Size)
        if (ReadChar() == c)
            return 0;
    m_EndReached = 1;
    if (report)
        Error("'%c' not found", c);
    return 1;
}

int32_t TextDataFileReader::ReadToken(char* buffer)
{
    int32_t length = 0;
    buffer[0] = 0;
    if (m_Position >= m_Size) {
        m_EndReached = 1;
        return 1;
    }
    while (m_Position < m_Size) {
        char c = PeekChar();
        if (EndsToken(static_cast<unsigned char>(c))) {
            if (length == 0) {
                ReadChar();
                Append(buffer, length, c);
            }
            break;
        }
        ReadChar();
        Append(buffer, length, c);
    }
    return 0;
}

int32_t TextDataFileReader::ReadNextToken(char* buffer)
{
    SkipBlanks();
    return ReadToken(buffer);
}

int32_t TextDataFileReader::ReadNextToken(String& token)
{
    char buffer[kTokenSize];
    int32_t result = ReadNextToken(buffer);
    token = result == 0 ? buffer : "";
    return result;
}

int32_t TextDataFileReader::ReadIdentifier(char* buffer)
{
    int32_t length = 0;
    buffer[0] = 0;
    if (SkipBlanks())
        return 1;
    while (m_Position < m_Size) {
        auto c = static_cast<unsigned char>(PeekChar());
        if (!IsLetter(c) && !IsDigit(c) && c != '_')
            break;
        Append(buffer, length, char(ReadChar()));
    }
    return 0;
}

int32_t TextDataFileReader::ReadNumberText(char* buffer)
{
    int32_t length = 0;
    buffer[0] = 0;
    while (m_Position < m_Size) {
        auto c = static_cast<unsigned char>(PeekChar());
        if (!IsDigit(c) && c != '+' && c != '-' && c != '.')
            break;
        Append(buffer, length, char(ReadChar()));
    }
    if (length == 0 && m_Position >= m_Size)
        m_EndReached = 1;
    return length == 0 ? 1 : 0;
}

int32_t TextDataFileReader::ReadQuotedText(char* buffer)
{
    int32_t length = 0;
    buffer[0] = 0;
    if (SkipBlanks())
        return 1;
    if (PeekChar() != '"') {
        Warning("No text string found");
        return 1;
    }
    ReadChar();
    while (m_Position < m_Size) {
        char c = ReadChar();
        if (c == '"')
            return 0;
        Append(buffer, length, c);
    }
    m_EndReached = 1;
    return 1;
}

int32_t TextDataFileReader::ReadQuotedString(String& text)
{
    if (SkipBlanks())
        return 1;
    if (ReadChar() != '"') {
        Warning("No text string found");
        return 1;
    }
    std::vector<char> collected;
    collected.reserve(128);
    while (m_Position < m_Size) {
        char c = ReadChar();
        if (c == '"') {
            text = String(collected.data(), int32_t(collected.size()));
            return 0;
        }
        collected.push_back(c);
    }
    m_EndReached = 1;
    return 1;
}

// ---- typed tokens ----

double TextDataFileReader::ReadConstValue(const char* text)
{
    if (IsLetter(static_cast<unsigned char>(text[0])))
        return ResolveConstant(text);
    return ConvertDecimal(text);
}

int32_t TextDataFileReader::ReadIntToken(int32_t& value)
{
    char buffer[kTokenSize];
    SkipBlanks();
    int32_t result = ReadNumberText(buffer);
    if (result == 0)
        value = TruncToInt32(ConvertDecimal(buffer));
    return result;
}

int32_t TextDataFileReader::ReadDoubleToken(double& value)
{
    char buffer[kTokenSize];
    SkipBlanks();
    int32_t result = ReadToken(buffer);
    if (result == 0)
        value = ReadConstValue(buffer);
    return result;
}

int32_t TextDataFileReader::ReadFloatToken(float& value)
{
    double v = 0.0;
    int32_t result = ReadDoubleToken(v);
    if (result == 0)
        value = ToFloat(v);
    return result;
}

int32_t TextDataFileReader::ReadVector3Token(float* xyz)
{
    for (int32_t i = 0; i < 3; ++i) {
        if (i > 0) {
            SkipBlanks();
            if (PeekChar() == ',')
                ReadChar();
        }
        if (ReadFloatToken(xyz[i]) != 0)
            return 1;
    }
    return 0;
}

int32_t TextDataFileReader::ReadBoolToken(bool& value)
{
    int32_t v = 0;
    int32_t result = ReadIntToken(v);
    if (result == 0)
        value = v != 0;
    return result;
}

// ---- the constants file ----

// Each line "name = value"; anything else on a line, and any line that does not begin with a
// name, is passed over. A value that is a name resolves through our own constants link.
void TextDataFileReader::ParseConstants(ConstantTable& table)
{
    char name[kTokenSize];
    char token[kTokenSize];
    for (;;) {
        if (ReadIdentifier(name))
            break;
        if (name[0]) {
            SkipBlanks();
            double value = 0.0;
            if (ReadToken(token) == 0 && std::strcmp(token, "=") == 0 && ReadDoubleToken(value) == 0)
                table.SetValue(name, value);
        }
        if (NextLine())
            break;  // no line follows: staying here would read the same line forever
        if (IsEndOfFile())
            break;
    }
    if (&table == m_ConstantTable)
        TakeConstantStamp();  // our own definitions are no reason to read the file again
}
