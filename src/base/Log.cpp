// Log: formatting with bounds so the suffix always fits the 1024-char line, and one lock
// around the whole write because worker threads reach the log through StaticError.
#include "base/Log.h"

#include "base/String.h"
#include "base/Timer.h"
#include "base/thread/cfThreadSync.h"
#include "platform/FileSystem.h"
#include "platform/MemoryStatus.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

struct LogState {
    cfThreadMutex lock;
    char fileName[128] = "logfile.txt";
    String directory;
    int32_t lineCount = 0;
    double startTime = 0.0;
    Log::EchoHook hook = nullptr;
};

LogState& State()
{
    static LogState* s_State = new LogState;  // never destroyed: objects log from their destructors at exit
    return *s_State;
}

constexpr const char* kCapLine = "Maximum number of log entries reached!\n";

}  // namespace

namespace Log {

void Write(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    WriteV(format, args);
    va_end(args);
}

void WriteV(const char* format, va_list args)
{
    LogState& s = State();
    cfThreadLock guard(s.lock);
    if (s.lineCount >= kMaxLines)
        return;
    if (s.lineCount == 0)
        s.startTime = Timer::GetTime();
    int freeMB = Platform::FreePhysicalMemoryMB();
    if (s.directory.IsEmpty())
        s.directory = Platform::GetCurrentDir().c_str();

    char suffix[128];
    int suffixLength = std::snprintf(suffix, sizeof suffix, "(Time:%.2f, free sysmem:%i)\n",
                                     Timer::GetTime() - s.startTime, freeMB);
    suffixLength = std::clamp(suffixLength, 0, int(sizeof suffix) - 1);
    bool capReached = s.lineCount + 1 == kMaxLines;
    int reserve = suffixLength + (capReached ? int(std::strlen(kCapLine)) : 0);

    // The message is cut so that suffix and cap line always fit the line buffer.
    char line[kLineSize];
    int room = kLineSize - 1 - reserve;
    int length = std::vsnprintf(line, size_t(room) + 1, format ? format : "", args);
    length = std::clamp(length, 0, room);
    std::memcpy(line + length, suffix, size_t(suffixLength));
    length += suffixLength;
    if (capReached) {
        std::memcpy(line + length, kCapLine, std::strlen(kCapLine));
        length += int(std::strlen(kCapLine));
    }
    line[length] = 0;

    String path = s.fileName[0] == '/' ? String(s.fileName) : s.directory + "/" + s.fileName;
    std::FILE* file = Platform::OpenFile(path.c_str(), s.lineCount == 0 ? "w" : "a");
    if (!file)
        return;  // the line is lost; the next one tries again
    ++s.lineCount;
    std::fputs(line, file);
    std::fclose(file);
    if (s.hook)
        s.hook(line);
}

void SetFileName(const char* name)
{
    LogState& s = State();
    cfThreadLock guard(s.lock);
    String::CopySized(s.fileName, sizeof s.fileName, name ? name : "");
}

const char* GetFileName() { return State().fileName; }

void SetEchoHook(EchoHook hook)
{
    LogState& s = State();
    cfThreadLock guard(s.lock);
    s.hook = hook;
}

EchoHook GetEchoHook() { return State().hook; }

int32_t GetLineCount() { return State().lineCount; }

const char* GetDirectory() { return State().directory.c_str(); }

void Restart()
{
    LogState& s = State();
    cfThreadLock guard(s.lock);
    s.lineCount = 0;
    s.directory.Release();
}

void SetLineCountForTest(int32_t count)
{
    LogState& s = State();
    cfThreadLock guard(s.lock);
    s.lineCount = count;
}

}  // namespace Log
