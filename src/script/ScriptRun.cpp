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

constinit thread_local ScriptReader::RunFrame* ScriptReader::RunFrame::t_Innermost = nullptr;

ScriptReader::RunFrame::RunFrame(const ScriptReader& reader)
    : m_Reader(&reader), m_StackBase(static_cast<const char*>(__builtin_frame_address(0))),
      m_Previous(t_Innermost), m_Outermost(true)
{
    for (const RunFrame* frame = m_Previous; frame; frame = frame->m_Previous)
        if (frame->m_Reader == m_Reader)
            m_Outermost = false;
    if (m_Previous)
        m_StackBase = m_Previous->m_StackBase;
    t_Innermost = this;
}

ScriptReader::RunFrame::~RunFrame() { t_Innermost = m_Previous; }

void ScriptReader::StackTooDeep()
{
    Error("Script nesting too deep");
    __builtin_unreachable();
}

void ScriptReader::SignalDone() { m_Completion.Set(); }

int32_t ScriptReader::Run()
{
    if (!HasGameCallbacks())
        Error("Callback functions not set");
    ScriptValue last;
    int32_t outcome = kStatusEndOfText;
    {
        RunFrame frame(*this);
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

// Waits in steps of 10 ms until the run has ended or paused; false when timeoutMs (negative: no
// limit) ran out first. The script thread stores done or suspended before it signals, and for a
// run's end that signal is its last touch of the reader: so once a flag is seen its signal is
// taken as well, and only then may the game go on (and free a reader whose thread is pooled).
// Each signal is taken exactly once, so none is left over to wake a later wait early.
bool ScriptReader::WaitForScriptThread(int32_t timeoutMs)
{
    int64_t frequency = Platform::PerformanceFrequency();
    int64_t deadline = Platform::PerformanceCounter() + frequency * timeoutMs / 1000;
    bool signalled = false;
    while (!m_Done && !m_Suspended) {
        if (timeoutMs >= 0 && Platform::PerformanceCounter() >= deadline)
            return false;
        signalled = m_Completion.WaitFor(kWaitStepMs);
    }
    if (!signalled)
        m_Completion.Wait();
    return true;
}

ScriptValue ScriptReader::Execute()
{
    if (!m_Threaded) {
        m_ReturnSuspends = 0;
        m_Suspended = 0;
        m_Done = 0;
        Run();
        return m_FinalValue;
    }

    m_Completion.Reset();  // a run on the calling thread signals with no one to take it
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
        m_ResumeRequested = 1;
        m_Resume.Set();
    }

    WaitForScriptThread(-1);
    if (!m_Done)
        return m_FinalValue;  // paused at a return: the thread waits for the next Execute

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
        m_Suspended = 0;
        m_Resume.Set();  // also when Reset cleared suspended: the thread may still be parked
        if (!WaitForScriptThread(kStopTimeoutMs)) {
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
