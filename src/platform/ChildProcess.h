// ChildProcess: a program run beside this one (the bot's helpers, the server under test), its
// output into a file, waited for with a limit and killed by its id when the limit passes; the
// figures of a running process that a long test watches.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace Platform {

// What a child reads on its standard input.
struct ChildInput {
    enum Kind { kNothing, kPipe, kTerminal };
    Kind kind = kNothing;  // kNothing: /dev/null; kPipe: bytes this process writes (WriteInput)
    // kTerminal: the terminal's path; the child leads a session of its own with it as its
    // controlling terminal, as a shell's foreground job, so that Ctrl-C typed there is SIGINT.
    std::string terminalPath;
};

class ChildProcess {
public:
    ChildProcess() = default;
    // A child still running when its object goes is killed and reaped.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;

    // Runs arguments[0] (a path) with the arguments in the directory, standard output and errors
    // into the file (empty: this process's own); false when it could not be started.
    bool Start(const std::vector<std::string>& arguments, const std::string& directory, const std::string& outputFile);
    bool Start(const std::vector<std::string>& arguments, const std::string& directory, const std::string& outputFile,
               const ChildInput& input);
    // The bytes into the child's input pipe; false without a pipe or when the child closed it.
    bool WriteInput(const std::string& bytes);
    void CloseInput();  // the child reads the end of its input
    void SendSignal(int32_t signal);
    int32_t GetId() const { return m_Pid; }
    bool IsRunning();
    // Waits up to timeoutMs (negative: without limit); true when it has ended. The exit code is
    // -1 for a child that a signal ended.
    bool Wait(int32_t timeoutMs);
    int32_t GetExitCode() const { return m_ExitCode; }
    void Terminate();  // asks it to stop (SIGTERM)
    void Kill();       // ends it at once and reaps it

private:
    void Reap(int status);
    int32_t m_Pid = -1;
    int32_t m_InputFd = -1;  // the writing end of the child's input pipe
    int32_t m_ExitCode = -1;
    bool m_Ended = false;
};

// The path of this program.
std::string GetOwnProgramPath();
int32_t GetOwnProcessId();

// Figures of a running process from /proc; -1 or 0 when they cannot be read.
int32_t CountOpenDescriptors(int32_t pid);
int32_t CountThreads(int32_t pid);
uint64_t GetResidentBytes(int32_t pid);

}  // namespace Platform
