// LogCapture: the log lines written while it lives, with the warning memory reset at the start
// so that no warning is folded away as a repeat of an earlier test's. Lines may come from any
// thread while a test counts them.
#pragma once
#include "base/DXC_Base.h"
#include "base/ErrorClass.h"
#include "base/Log.h"

#include <mutex>
#include <string>
#include <vector>

class LogCapture {
public:
    LogCapture()
    {
        ErrorClassSimple::ResetWarningsForTest();
        DXC_Base::ResetWarningsForTest();
        {
            std::lock_guard<std::mutex> guard(Lock());
            Lines().clear();
        }
        Log::SetEchoHook([](const char* line) {
            std::lock_guard<std::mutex> guard(Lock());
            Lines().push_back(line);
        });
    }
    ~LogCapture() { Log::SetEchoHook(nullptr); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // The lines that hold text.
    int Count(const char* text) const
    {
        std::lock_guard<std::mutex> guard(Lock());
        int n = 0;
        for (const std::string& line : Lines())
            n += line.find(text) != std::string::npos;
        return n;
    }
    // Every line, for a failure's message.
    std::string Text() const
    {
        std::lock_guard<std::mutex> guard(Lock());
        std::string text;
        for (const std::string& line : Lines())
            text += line + "\n";
        return text;
    }
    size_t Total() const
    {
        std::lock_guard<std::mutex> guard(Lock());
        return Lines().size();
    }

private:
    static std::mutex& Lock()
    {
        static std::mutex s_Lock;
        return s_Lock;
    }
    static std::vector<std::string>& Lines()
    {
        static std::vector<std::string> s_Lines;
        return s_Lines;
    }
};
