// ScriptReader: loading a script from a file or from memory, #include expansion, the line and
// file tables, and the error and warning texts that point into them.
#include "script/ScriptReader.h"

#include "base/FileName.h"
#include "base/Log.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int32_t kMaxReportedLine = 512;  // characters of a neighbouring line in an error text

// Offsets at which lines start after the first: CR, LF and CR LF each end a line, as in the
// configuration files, so that scripts saved with Linux line ends count their lines too.
template <class Visit> void ForEachLineStart(const char* text, int32_t length, Visit visit)
{
    for (int32_t i = 0; i < length; i++) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        if (text[i] == '\r' && i + 1 < length && text[i + 1] == '\n')
            i++;
        visit(i + 1);
    }
}

// File names of the game compare with either slash and any letter case.
bool IsSameFileName(const char* a, const char* b)
{
    auto next = [](const char*& p) {
        while (p[0] == '.' && (p[1] == '\\' || p[1] == '/'))
            p += 2;  // a leading ".\" names the same file
    };
    next(a);
    next(b);
    for (;; a++, b++) {
        char ca = *a == '/' ? '\\' : *a;
        char cb = *b == '/' ? '\\' : *b;
        if (ca >= 'a' && ca <= 'z')
            ca -= 32;
        if (cb >= 'a' && cb <= 'z')
            cb -= 32;
        if (ca != cb)
            return false;
        if (!ca)
            return true;
    }
}

}  // namespace

ScriptReader::ScriptReader()
{
    CopyName32(this, "ScriptReader");
    m_Global.SetOwner(this);
    String::CopySized(m_LastError.className, sizeof m_LastError.className, "*undefined*");
    String::CopySized(m_LastError.message, sizeof m_LastError.message, "*noerror*");
}

ScriptReader::~ScriptReader() { Clear(); }

void ScriptReader::Error(const char* format, ...)
{
    char message[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format ? format : "", args);
    va_end(args);

    // The base error never returns, so with throw-on-error clear there is no message box to
    // continue from either: every script error ends the load or run.
    ErrorClass::Error("%s", FormatErrorContext(message).c_str());
}

String ScriptReader::FormatErrorContext(const char* message)
{
    int32_t index = FindLineIndex(m_ReadPos - 1);
    const char* fileName = index >= 0 ? GetFileName(m_Lines[index].m_FileId) : "";
    int32_t line = index >= 0 ? m_Lines[index].m_Line + 1 : 0;
    String previous, current, next;
    if (index >= 0) {
        previous = GetLineText(index - 1);
        current = GetLineText(index);
        next = GetLineText(index + 1);
    }
    String text;
    text.Format("file:'%s', line: %i: %s\n\n%s\n%s\n%s", fileName, line, message, previous.c_str(), current.c_str(),
                next.c_str());
    return text;
}

void ScriptReader::Warning(const char* format, ...)
{
    char message[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format ? format : "", args);
    va_end(args);

    int32_t position = m_ReadPos - 1;
    int32_t index = FindLineIndex(position);
    if (index < 0)
        ErrorClass::Error("Invalid line: %i", position);
    int32_t fileId = m_Lines[index].m_FileId;
    const String* fileName = m_Files.GetBySlot(fileId);
    if (!fileName)
        ErrorClass::Error("Invalid file ID %i in line: %i", fileId, index);
    ErrorClass::Warning("file:'%s', pos: %i: %s", fileName->c_str(), m_Lines[index].m_Line + 1, message);
}

void ScriptReader::ShowError(const String& text)
{
    m_ReturnSuspends = 0;
    Log::Write("Script Error: %s", text.c_str());
}

bool ScriptReader::LoadFile(const char* name)
{
    if (!name)
        name = "";
    RegisterLoadedFile(m_LoadedFiles, String(name));
    String data;
    if (!ReadFileToString(data, name)) {
        String text;
        text.Format("Failed to open file '%s'", name);
        ShowError(text);
        return false;
    }
    Clear();
    SetText(data.c_str(), data.GetLength());
    AddFileName(String(name), -1);
    BuildLineTable();
    Preprocess(0);
    return true;
}

bool ScriptReader::LoadInline(const char* text, const char* name)
{
    try {
        Clear();
        if (!text)
            text = "";
        SetText(text, static_cast<int32_t>(std::strlen(text)));
        AddFileName(String(name ? name : "*inline*"), -1);
        BuildLineTable();
        Preprocess(0);
        return true;
    } catch (const ErrorMsg& error) {
        ShowError(String(error.message));
        return false;
    } catch (...) {
        ErrorClass::Error("Unknown error type caught");
    }
}

void ScriptReader::Clear()
{
    StopThread();
    m_Text.reset();
    m_Lines.clear();
    while (m_ScopeDepth > 0)
        PopScope();
    m_Global.Clear();
    m_Functions.Clear();
    ResetFields();
}

void ScriptReader::Reset()
{
    while (m_ScopeDepth > 0)
        PopScope();
    m_Global.Clear();
    m_Functions.Clear();
    m_ReadPos = 0;
    m_Nesting = 0;
    m_Done = 0;
    m_Suspended = 0;
    m_ReturnSuspends = 0;
    m_ErrorFlag = 0;
}

void ScriptReader::ResetFields()
{
    m_Text.reset();
    ForgetTokens();
    m_TextLength = 0;
    m_ReadPos = 0;
    m_Nesting = 0;
    m_Lines.clear();
    m_SkipMode = 0;
    m_Suspended = 0;
    m_Done = 0;
    m_Abort = 0;
    m_ReturnSuspends = 0;
    m_ErrorFlag = 0;
    m_Files.DeleteAll();
    m_FileParents.clear();
    m_Global.SetOwner(this);
}

void ScriptReader::SetGameCallbacks(const ScriptGameCallbacks& callbacks) { m_Callbacks = callbacks; }

bool ScriptReader::HasGameCallbacks() const
{
    return m_Callbacks.getVariable && m_Callbacks.callFunction && m_Callbacks.setVariable;
}

void ScriptReader::AddPathReplace(const char* from, const char* to)
{
    PathReplace* entry = m_PathReplaces.GetBySlot(m_PathReplaces.Add());
    entry->m_From = from;
    entry->m_To = to;
}

bool ScriptReader::ResolvePath(String& path, const char* baseFileName)
{
    const char* text = path.c_str();
    if (!text[0] || std::strchr(text, ':') || text[0] == '\\' || text[0] == '/')
        return false;  // empty or absolute: used as it stands
    for (int32_t i = 0; i < m_PathReplaces.GetSize(); i++) {
        PathReplace* entry = m_PathReplaces.GetAt(i);
        if (entry->m_From.IsEmpty())
            continue;
        int32_t at = path.Find(entry->m_From.c_str());
        if (at >= 0)
            path.Replace(at, entry->m_From.TextLength(), entry->m_To.c_str());
    }
    String base;
    if (baseFileName) {
        base = baseFileName;
    } else {
        int32_t index = FindLineIndex(m_ReadPos - 1);
        if (index >= 0)
            base = GetFileName(m_Lines[index].m_FileId);
    }
    if (base.c_str()[0] == '*')
        return false;  // "*inline*" and the like have no directory
    const char* baseText = base.c_str();
    const char* slash = nullptr;
    for (const char* p = baseText; *p; p++)
        if (*p == '\\' || *p == '/')
            slash = p;
    if (!slash || slash == baseText)
        return false;
    String combined(baseText, static_cast<int32_t>(slash - baseText));
    combined += "\\";
    combined += path;
    if (!Platform::FileExists(combined.c_str()))
        return false;
    path = combined;
    RegisterLoadedFile(m_LoadedFiles, path);
    return true;
}

void ScriptReader::ReadTextFile(String& result, const char* path)
{
    String resolved(path ? path : "");
    ResolvePathFromCurrent(resolved);
    if (!ReadFileToString(result, resolved.c_str()))
        Error("Can not open file '%s'", resolved.c_str());
}

String ScriptReader::GetMainFileName() { return String(GetFileName(0)); }

const char* ScriptReader::GetFileName(int32_t fileId)
{
    const String* name = m_Files.GetBySlot(fileId);
    return name ? name->c_str() : "";
}

int32_t ScriptReader::GetCurrentLineNumber()
{
    int32_t index = FindLineIndex(m_ReadPos - 1);
    if (index < 0)
        ErrorClass::Error("Invalid line: %i", m_ReadPos - 1);
    return m_Lines[index].m_Line + 1;
}

String ScriptReader::GetCurrentFileName()
{
    if (m_Files.GetSize() == 0)
        return String();
    int32_t index = FindLineIndex(m_ReadPos - 1);
    if (index < 0)
        ErrorClass::Error("Invalid line: %i", m_ReadPos - 1);
    const String* name = m_Files.GetBySlot(m_Lines[index].m_FileId);
    if (!name)
        ErrorClass::Error("Invalid file ID %i in line: %i", m_Lines[index].m_FileId, index);
    return *name;
}

const ScriptReader::LineEntry* ScriptReader::GetLineEntry(int32_t index) const
{
    if (index < 0 || index >= static_cast<int32_t>(m_Lines.size()))
        return nullptr;
    return &m_Lines[index];
}

void ScriptReader::SetText(const char* text, int32_t length)
{
    m_Text = std::make_unique<char[]>(static_cast<size_t>(length) + 1);
    if (length > 0)
        std::memcpy(m_Text.get(), text, static_cast<size_t>(length));
    m_Text[length] = 0;
    m_TextLength = length;
    m_ReadPos = 0;
    ForgetTokens();
}

int32_t ScriptReader::AddFileName(const String& name, int32_t parentId)
{
    int32_t slot = m_Files.Add();
    *m_Files.GetBySlot(slot) = name;
    if (static_cast<int32_t>(m_FileParents.size()) <= slot)
        m_FileParents.resize(static_cast<size_t>(slot) + 1, -1);
    m_FileParents[slot] = parentId;
    return slot;
}

// True when the file is the one with this ID or one of the files that included it.
bool ScriptReader::IsIncludedBy(const String& name, int32_t fileId)
{
    for (int32_t steps = 0; fileId >= 0 && steps <= m_Files.GetSize(); steps++) {
        if (IsSameFileName(GetFileName(fileId), name.c_str()))
            return true;
        fileId = fileId < static_cast<int32_t>(m_FileParents.size()) ? m_FileParents[fileId] : -1;
    }
    return false;
}

void ScriptReader::BuildLineTable()
{
    m_Lines.clear();
    m_Lines.push_back(LineEntry{0, 0, 0});
    ForEachLineStart(m_Text.get(), m_TextLength, [this](int32_t start) {
        m_Lines.push_back(LineEntry{start, static_cast<int32_t>(m_Lines.size()), 0});
    });
}

int32_t ScriptReader::FindLineIndex(int32_t position) const
{
    if (position < 0 || m_Lines.empty() || position < m_Lines[0].m_Start)
        return -1;
    // the last entry that starts at or before the position; past the last start: the last line
    auto after = std::upper_bound(m_Lines.begin(), m_Lines.end(), position,
                                  [](int32_t pos, const LineEntry& entry) { return pos < entry.m_Start; });
    return static_cast<int32_t>(after - m_Lines.begin()) - 1;
}

String ScriptReader::GetLineText(int32_t index) const
{
    int32_t count = static_cast<int32_t>(m_Lines.size());
    if (index < 0 || index >= count || !m_Text)
        return String();
    int32_t start = std::min(m_Lines[index].m_Start, m_TextLength);
    int32_t end = index + 1 < count ? std::min(m_Lines[index + 1].m_Start, m_TextLength) : m_TextLength;
    while (end > start && (m_Text[end - 1] == '\r' || m_Text[end - 1] == '\n'))
        end--;
    if (end - start > kMaxReportedLine)
        end = start + kMaxReportedLine;
    return String(m_Text.get() + start, end - start);
}

// Each pass expands every directive of the merged text; directives that came in with the
// included texts are expanded by the next pass, so the level is the include depth.
void ScriptReader::Preprocess(int32_t level)
{
    struct Insertion {
        int32_t start;       // the '#'
        int32_t end;         // just after the file-name literal
        String text;
        int32_t fileId;
        LineEntry rest;      // line and file of what follows the directive on its line
    };

    for (;; level++) {
        if (level > kMaxIncludeLevel)
            Error("Too many #include levels. (Recursion?)");

        std::vector<Insertion> insertions;
        int64_t newLength = m_TextLength;
        String token;
        m_ReadPos = 0;
        for (;;) {
            SkipBlanks();
            int32_t start = m_ReadPos;
            int32_t code = LexToken(token);
            if (code == kTokenEnd)
                break;
            if (code != kTokenDirective)
                continue;
            if (token != "include")
                Error("Invalid precompiler command: '%s'", token.c_str());
            if (LexToken(token) != kTokenString)
                Error("Invalid 'include' command");
            int32_t end = m_ReadPos;
            const LineEntry& directiveLine = m_Lines[FindLineIndex(start)];
            int32_t parentId = directiveLine.m_FileId;
            String path = token;
            ResolvePath(path, GetFileName(parentId));
            // A file among its own includers would expand forever: refuse it at once.
            if (IsIncludedBy(path, parentId))
                Error("Too many #include levels. (Recursion?)");
            if (m_Files.GetSize() > kMaxIncludes)
                Error("Too many #include directives: more than %i", kMaxIncludes);
            Insertion insertion{start, end, String(), 0, m_Lines[FindLineIndex(end - 1)]};
            if (!ReadFileToString(insertion.text, path.c_str()))
                Error("Can not open include file '%s'", path.c_str());
            for (int32_t i = 0; i < m_Files.GetSize(); i++)
                if (m_Files.GetAt(i)->EqualsNoCase(path)) {
                    Warning("File '%s' included multiple times", path.c_str());
                    break;
                }
            newLength += static_cast<int64_t>(insertion.text.GetLength()) - (end - start);
            if (newLength > kMaxMergedText)
                Error("Script text exceeds %i bytes with its includes", kMaxMergedText);
            insertion.fileId = AddFileName(path, parentId);
            insertions.push_back(std::move(insertion));
        }
        m_ReadPos = 0;
        if (insertions.empty())
            return;

        // The new text: each directive, from its '#' to the end of its literal, becomes the file.
        std::string text;
        text.reserve(static_cast<size_t>(newLength));
        int32_t copied = 0;
        for (const Insertion& insertion : insertions) {
            text.append(m_Text.get() + copied, static_cast<size_t>(insertion.start - copied));
            text.append(insertion.text.c_str(), static_cast<size_t>(insertion.text.GetLength()));
            copied = insertion.end;
        }
        text.append(m_Text.get() + copied, static_cast<size_t>(m_TextLength - copied));

        // The new line table: old lines keep their numbers and move by the growth before them;
        // lines that started inside a directive are gone; each included text brings its own lines
        // and the rest of the directive's line gets an entry of its own.
        std::vector<LineEntry> lines;
        size_t next = 0;
        int64_t delta = 0;
        auto insert = [&](const Insertion& insertion) {
            int32_t base = static_cast<int32_t>(insertion.start + delta);
            int32_t length = insertion.text.GetLength();
            int32_t lineNumber = 0;
            lines.push_back(LineEntry{base, lineNumber++, insertion.fileId});
            ForEachLineStart(insertion.text.c_str(), length, [&](int32_t lineStart) {
                lines.push_back(LineEntry{base + lineStart, lineNumber++, insertion.fileId});
            });
            lines.push_back(LineEntry{base + length, insertion.rest.m_Line, insertion.rest.m_FileId});
            delta += length - (insertion.end - insertion.start);
        };
        for (const LineEntry& entry : m_Lines) {
            while (next < insertions.size() && insertions[next].start < entry.m_Start)
                insert(insertions[next++]);
            if (next > 0 && entry.m_Start < insertions[next - 1].end)
                continue;
            lines.push_back(LineEntry{static_cast<int32_t>(entry.m_Start + delta), entry.m_Line, entry.m_FileId});
        }
        while (next < insertions.size())
            insert(insertions[next++]);
        // Of entries that start at the same offset only the last one covers anything.
        std::vector<LineEntry> merged;
        for (const LineEntry& entry : lines) {
            if (!merged.empty() && merged.back().m_Start == entry.m_Start)
                merged.back() = entry;
            else
                merged.push_back(entry);
        }

        SetText(text.data(), static_cast<int32_t>(text.size()));
        m_Lines = std::move(merged);
        m_ReadPos = insertions.front().start + 1;  // a report of the next level points at the first include
    }
}

void ScriptReader::NestingGuard::TooDeep(ScriptReader& reader)
{
    reader.Error("Nesting too deep: more than %i levels of (), [] and {}", kMaxNesting);
    __builtin_unreachable();
}
