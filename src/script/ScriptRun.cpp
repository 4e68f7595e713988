// ScriptRun: running a script, script threads, pausing at a return and resuming, stopping.
//
// Only one of the game thread and a script thread runs at a time. The game thread starts or
// resumes the script thread and then waits on the completion event; the script thread runs until
// the script ends or pauses, signals the event and (when pausing) waits on its resume event.
// Every write before a signal is seen by the thread that takes it, so the reader needs no lock.
#include "script/ScriptReader.h"

#include "base/DXC_Base.h"
#include "base/ThreadContainer.h"
#include "platform/Clock.h"

#include <cerrno>
#include <cstdio>
#include <exception>

namespace {

thread_local const ScriptReader* t_ScriptThreadReader = nullptr;  // the reader this thread runs

// Marks the running thread as the reader's script thread for the length of a run.
class ScriptThreadMark {
public:
    explicit ScriptThreadMark(const ScriptReader* reader) : m_Previous(t_ScriptThreadReader)
    {
        t_ScriptThreadReader = reader;
    }
    ~ScriptThreadMark() { t_ScriptThreadReader = m_Previous; }
    ScriptThreadMark(const ScriptThreadMark&) = delete;
    ScriptThreadMark& operator=(const ScriptThreadMark&) = delete;

private:
    const ScriptReader* m_Previous;
};

constexpr uint32_t kWaitStepMs = 10;       // the game thread looks at done and suspended this often
constexpr uint32_t kStopTimeoutMs = 2000;  // a stopped script thread must end within this time

}  // namespace

bool ScriptReader::IsOnScriptThread() const { return t_ScriptThreadReader == this; }

void ScriptReader::CheckStackUse()
{
    const char* frame = static_cast<const char*>(__builtin_frame_address(0));
    if (m_StackBase && m_StackBase - frame > kMaxStackUse)
        Error("Script nesting too deep");
}

void ScriptReader::SignalDone() { m_Completion.Set(); }

int32_t ScriptReader::Run()
{
    if (!HasGameCallbacks())
        Error("Callback functions not set");
    ScriptValue last;
    int32_t outcome = kStatusEndOfText;
    {
        const char* frame = static_cast<const char*>(__builtin_frame_address(0));
        struct DepthGuard {
            ScriptReader& reader;
            const char* savedBase;
            ~DepthGuard()
            {
                reader.m_CallDepth--;
                reader.m_StackBase = savedBase;
            }
        } depthGuard{*this, m_StackBase};
        m_CallDepth++;
        if (!m_StackBase)
            m_StackBase = frame;
        try {
            for (;;) {
                outcome = kStatusEndOfText;
                ExecuteStatement(last, kModeStatement, &outcome, kScriptRead);
                if (outcome == kModeStatement || outcome == kStatusFunctionDeclared)
                    continue;
                if (outcome == kStatusReturn || outcome == kStatusExit || outcome == kStatusAbort)
                    break;
                if (outcome == kStatusEndOfText) {
                    last.SetVoid();
                    break;
                }
                if (outcome == kStatusBreak)
                    Error("Invalid break statement");
                if (outcome == kStatusContinue)
                    Error("Invalid continue statement");
                Error("Unexpected end of file");
            }
        } catch (const ScriptAbort&) {
            outcome = kStatusAbort;
            last.SetVoid();
        }
    }
    // The signal is the last touch of the reader: once it is set the game may go on and free it.
    m_FinalValue = last;
    m_Done = 1;
    SignalDone();
    return outcome;
}

// Nothing may leave a script thread: every failure becomes the run's error, which the game
// thread shows when it collects the run.
uint32_t ScriptReader::RunGuarded()
{
    ScriptThreadMark mark(this);
    ErrorMsg error{};
    try {
        Run();
        return 0;
    } catch (const ErrorMsg& caught) {
        error = caught;
    } catch (const DXC_Error& caught) {
        std::snprintf(error.className, sizeof error.className, "%s", caught.className);
        std::snprintf(error.message, sizeof error.message, "%s", caught.message);
    } catch (const std::exception& caught) {
        std::snprintf(error.className, sizeof error.className, "%s", "ScriptReader");
        std::snprintf(error.message, sizeof error.message, "%s", caught.what());
    } catch (...) {
        std::snprintf(error.className, sizeof error.className, "%s", "ScriptReader");
        std::snprintf(error.message, sizeof error.message, "%s", "Unknown error type caught");
    }
    m_LastError = error;
    m_ErrorFlag = 1;
    m_Done = 1;
    SignalDone();
    return static_cast<uint32_t>(-10);
}

uint32_t ScriptReader::ThreadMain(void* reader) { return static_cast<ScriptReader*>(reader)->RunGuarded(); }

void ScriptReader::PoolThreadMain(void* reader) { static_cast<ScriptReader*>(reader)->RunGuarded(); }

ScriptValue ScriptReader::Execute()
{
    if (!m_Threaded) {
        m_ReturnSuspends = 0;
        m_Suspended = 0;
        m_Done = 0;
        Run();
        return m_FinalValue;
    }

    m_Completion.Reset();
    m_ReturnSuspends = 0;
    if (!m_Suspended) {
        if (m_HasThread) {
            // A paused run that Reset left behind ends first; its unwinding must not move the
            // position the new run starts from.
            int32_t position = m_ReadPos;
            StopThread();
            m_Abort = 0;
            m_ReadPos = position;
            m_Nesting = 0;
        }
        m_Done = 0;
        m_ErrorFlag = 0;  // an error of an earlier run was shown when that run was collected
        m_Resume.Reset();
        if (m_ThreadPool) {
            m_ThreadPool->StartThread(PoolThreadMain, this);
        } else {
            m_OwnThread = Thread::Start(ThreadMain, this);
            if (!m_OwnThread)
                Error("Can not create thread: %i", errno);
        }
        m_HasThread = true;
    } else {
        if (!m_HasThread)
            Error("Script thread not suspended - resume failed!");
        m_Suspended = 0;
        m_Resume.Set();
    }

    while (!m_Done) {
        m_Completion.WaitFor(kWaitStepMs);
        if (m_Suspended)
            return m_FinalValue;  // paused at a return: the thread waits for the next Execute
    }

    if (m_OwnThread) {
        m_OwnThread->Join();  // it has finished its run and is returning
        m_OwnThread.reset();
    }
    m_HasThread = false;  // a pooled thread goes back to its pool by itself
    if (m_ErrorFlag)
        ShowError(String(m_LastError.message));
    return m_FinalValue;
}

void ScriptReader::StopThread()
{
    m_Abort = 1;
    if (m_Threaded && m_HasThread && !m_Done) {
        m_Completion.Reset();
        m_Suspended = 0;
        m_Resume.Set();  // also when Reset cleared suspended: the thread may still be parked
        int64_t frequency = Platform::PerformanceFrequency();
        int64_t deadline = Platform::PerformanceCounter() + frequency * kStopTimeoutMs / 1000;
        while (!m_Done && Platform::PerformanceCounter() < deadline)
            m_Completion.WaitFor(kWaitStepMs);
        if (!m_Done) {
            // No thread is ever killed: it is left to end on its own when it can.
            ErrorClass::Warning("Safe termination failed - TerminateThread() called");  // no script position: the thread still owns it
            if (m_OwnThread)
                m_OwnThread->Detach();
        }
    }
    if (m_OwnThread) {
        if (m_Done)
            m_OwnThread->Join();
        m_OwnThread.reset();
    }
    m_HasThread = false;
}
