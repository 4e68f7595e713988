// TextFileReader: reading the text whole, splitting it into lines, line edits and saving.
#include "base/TextFileReader.h"

#include "base/File.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

TextFileReader::TextFileReader() : m_LineBuffer(new char[kLineBufferSize])
{
    m_LineBuffer[0] = 0;
    std::snprintf(m_ErrorText, sizeof m_ErrorText, "No error");
}

TextFileReader::~TextFileReader() = default;

void TextFileReader::SetErrorText(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vsnprintf(m_ErrorText, sizeof m_ErrorText, format, args);
    va_end(args);
}

void TextFileReader::ClearText()
{
    m_Text.clear();
    m_Text.shrink_to_fit();
    m_Lines.Clear();
    m_Loaded = 0;
    m_FileTime = 0;
    std::snprintf(m_ErrorText, sizeof m_ErrorText, "No error");
}

int32_t TextFileReader::ReadFile(const char* fileName)
{
    File file;
    if (!file.Open(String(fileName), true, File::kDiskFile, true)) {
        SetErrorText("Can not open file %s, Code:%i", fileName, errno);
        return 1;
    }
    int32_t size = file.GetSize();
    m_Text.resize(size_t(size > 0 ? size : 0));  // unset: a short read throws, and the load drops the text
    if (size > 0)
        file.Read(m_Text.data(), size_t(size));
    m_FileTime = FileTimeOf(file);
    file.Close();
    TakeConstantStamp();
    return 0;
}

int32_t TextFileReader::SplitLines()
{
    int32_t result = m_Lines.Split(m_Text.data(), GetTextLength());
    if (result == 3)
        SetErrorText("File %s too big", m_FileName.c_str());
    else if (result == 4)
        SetErrorText("Line too long in file %s", m_FileName.c_str());
    return result;
}

int32_t TextFileReader::AppendFile(const char* fileName, bool resplit)
{
    if (!m_Loaded)
        Error("Can not append to empty file");
    File file;
    if (!file.Open(String(fileName), true, File::kDiskFile, true)) {
        SetErrorText("Can not open file %s, Code:%i", fileName, errno);
        return 1;
    }
    int32_t size = file.GetSize();
    if (size < 0 || int64_t(GetTextLength()) + 1 + size > INT32_MAX) {
        SetErrorText("File %s too big", fileName);
        return 3;
    }
    size_t oldSize = m_Text.size();
    m_Text.resize(oldSize + 1 + size_t(size), 0);
    m_Text[oldSize] = '\r';
    if (size > 0)
        file.Read(m_Text.data() + oldSize + 1, size_t(size));
    file.Close();
    if (!resplit)
        return 0;
    TextLines previous = m_Lines;
    int32_t result = SplitLines();
    if (result != 0) {  // take the appended bytes back: the tables must keep fitting the text
        m_Text.resize(oldSize);
        m_Lines = std::move(previous);
    }
    return result;
}

const char* TextFileReader::GetLine(int32_t line)
{
    if (line < 0 || line >= m_Lines.Count()) {
        SetErrorText("Line #%i does not exist", line);
        return nullptr;
    }
    int32_t length = m_Lines.lengths[size_t(line)];
    if (length >= TextLines::kMaxLineLength) {
        SetErrorText("Line #%i is too long:%i", line, length);
        return nullptr;
    }
    if (length > 0)
        std::memcpy(m_LineBuffer.get(), m_Text.data() + m_Lines.starts[size_t(line)], size_t(length));
    m_LineBuffer[length] = 0;
    return m_LineBuffer.get();
}

int32_t TextFileReader::ReplaceInLine(int32_t line, int32_t offset, int32_t oldLength, const char* text)
{
    if (line < 0 || line >= m_Lines.Count())
        return 1;
    int32_t length = m_Lines.lengths[size_t(line)];
    if (offset < 0 || oldLength < 0 || int64_t(offset) + oldLength > length)
        return 2;
    int32_t newLength = int32_t(std::strlen(text ? text : ""));
    int32_t start = m_Lines.starts[size_t(line)] + offset;
    m_Text.erase(m_Text.begin() + start, m_Text.begin() + start + oldLength);
    m_Text.insert(m_Text.begin() + start, text, text + newLength);
    int32_t diff = newLength - oldLength;
    m_Lines.lengths[size_t(line)] += diff;
    for (size_t i = size_t(line) + 1; i < m_Lines.starts.size(); ++i)
        m_Lines.starts[i] += diff;
    return 0;
}

int32_t TextFileReader::InsertLine(int32_t index, const char* text)
{
    if (!text)
        text = "";
    int32_t length = int32_t(std::strlen(text));
    int32_t count = m_Lines.Count();
    if (count == 0) {  // no line table yet: the text gets one
        m_Text.insert(m_Text.end(), {'\r', '\n'});
        m_Text.insert(m_Text.end(), text, text + length);
        SplitLines();
        OnLineInserted(m_Lines.Count() - 1);
        return 0;
    }
    if (index < 0 || index >= count) {
        m_Text.insert(m_Text.end(), {'\r', '\n'});
        int32_t start = GetTextLength();
        m_Text.insert(m_Text.end(), text, text + length);
        m_Lines.starts.push_back(start);
        m_Lines.lengths.push_back(length);
        OnLineInserted(count);
        return 0;
    }
    int32_t start = m_Lines.starts[size_t(index)];
    std::vector<char> inserted(text, text + length);
    inserted.push_back('\r');
    inserted.push_back('\n');
    m_Text.insert(m_Text.begin() + start, inserted.begin(), inserted.end());
    m_Lines.starts.insert(m_Lines.starts.begin() + index, start);
    m_Lines.lengths.insert(m_Lines.lengths.begin() + index, length);
    for (size_t i = size_t(index) + 1; i < m_Lines.starts.size(); ++i)
        m_Lines.starts[i] += length + 2;
    OnLineInserted(index);
    return 0;
}

void TextFileReader::OnLineInserted(int32_t) {}

int32_t TextFileReader::Save() { return SaveAs(m_FileName.c_str()); }

int32_t TextFileReader::SaveAs(const char* fileName)
{
    File file;
    if (!file.Create(String(fileName), true, true)) {
        SetErrorText("Can not create file %s, Code:%i", fileName, errno);
        return 1;
    }
    if (!m_Text.empty())
        file.Write(m_Text.data(), m_Text.size());
    file.Close();
    m_FileTime = int32_t(File::GetModTime(fileName));
    return 0;
}
