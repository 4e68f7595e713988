// ChildProcess: fork and exec, waitpid polled against the limit, signals by process id; the
// figures of a process from /proc/<pid>.
#include "platform/ChildProcess.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <utility>

namespace Platform {

ChildProcess::~ChildProcess()
{
    Kill();
    CloseInput();
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : m_Pid(std::exchange(other.m_Pid, -1)), m_InputFd(std::exchange(other.m_InputFd, -1)),
      m_ExitCode(other.m_ExitCode), m_Ended(other.m_Ended)
{
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept
{
    if (this != &other) {
        Kill();
        CloseInput();
        m_Pid = std::exchange(other.m_Pid, -1);
        m_InputFd = std::exchange(other.m_InputFd, -1);
        m_ExitCode = other.m_ExitCode;
        m_Ended = other.m_Ended;
    }
    return *this;
}

bool ChildProcess::Start(const std::vector<std::string>& arguments, const std::string& directory,
                         const std::string& outputFile)
{
    return Start(arguments, directory, outputFile, ChildInput());
}

bool ChildProcess::Start(const std::vector<std::string>& arguments, const std::string& directory,
                         const std::string& outputFile, const ChildInput& input)
{
    if (arguments.empty() || m_Pid > 0)
        return false;
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    int pipeEnds[2] = {-1, -1};
    if (input.kind == ChildInput::kPipe && pipe2(pipeEnds, O_CLOEXEC) != 0)
        return false;
    const pid_t pid = fork();
    if (pid < 0) {
        for (const int end : pipeEnds)
            if (end >= 0)
                close(end);
        return false;
    }
    if (pid == 0) {  // the child: only calls that are safe after fork
        if (!directory.empty() && chdir(directory.c_str()) != 0)
            _exit(127);
        if (!outputFile.empty()) {
            const int fd = open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0)
                _exit(127);
            dup2(fd, 1);
            dup2(fd, 2);
            close(fd);
        }
        if (input.kind == ChildInput::kPipe) {
            dup2(pipeEnds[0], 0);  // dup2 clears close-on-exec for the copy
        } else if (input.kind == ChildInput::kTerminal) {
            if (setsid() < 0)
                _exit(127);
            const int terminal = open(input.terminalPath.c_str(), O_RDWR);
            if (terminal < 0 || ioctl(terminal, TIOCSCTTY, 0) != 0)
                _exit(127);
            dup2(terminal, 0);
            close(terminal);
        } else {
            const int devNull = open("/dev/null", O_RDONLY);
            if (devNull >= 0) {
                dup2(devNull, 0);  // a child never reads this program's input
                close(devNull);
            }
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (input.kind == ChildInput::kPipe) {
        close(pipeEnds[0]);
        m_InputFd = pipeEnds[1];
    }
    m_Pid = pid;
    m_Ended = false;
    m_ExitCode = -1;
    return true;
}

void ChildProcess::Reap(int status)
{
    m_Ended = true;
    m_ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool ChildProcess::IsRunning() { return m_Pid > 0 && !Wait(0); }

bool ChildProcess::Wait(int32_t timeoutMs)
{
    if (m_Pid <= 0 || m_Ended)
        return true;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(m_Pid, &status, WNOHANG);
        if (done == m_Pid || (done < 0 && errno != EINTR)) {
            Reap(done == m_Pid ? status : 0);
            return true;
        }
        if (timeoutMs >= 0 && std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

bool ChildProcess::WriteInput(const std::string& bytes)
{
    if (m_InputFd < 0)
        return false;
    // A child that closed its input would send this process SIGPIPE: it is held back for the
    // write and taken if it came, so that the write fails instead.
    sigset_t pipeSignal;
    sigset_t old;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &old);
    size_t done = 0;
    bool ok = true;
    while (ok && done < bytes.size()) {
        const ssize_t n = write(m_InputFd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            done += size_t(n);
    }
    if (!ok) {
        const timespec none{0, 0};
        sigtimedwait(&pipeSignal, nullptr, &none);
    }
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    return ok;
}

void ChildProcess::CloseInput()
{
    if (m_InputFd >= 0)
        close(m_InputFd);
    m_InputFd = -1;
}

void ChildProcess::SendSignal(int32_t signal)
{
    if (m_Pid > 0 && !m_Ended)
        kill(m_Pid, signal);
}

void ChildProcess::Terminate()
{
    if (m_Pid > 0 && !m_Ended)
        kill(m_Pid, SIGTERM);
}

void ChildProcess::Kill()
{
    if (m_Pid <= 0 || m_Ended)
        return;
    kill(m_Pid, SIGKILL);
    int status = 0;
    if (waitpid(m_Pid, &status, 0) == m_Pid)
        Reap(status);
    m_Ended = true;
}

std::string GetOwnProgramPath()
{
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, size_t(n)) : std::string();
}

int32_t GetOwnProcessId() { return int32_t(getpid()); }

namespace {

int32_t CountEntries(const std::string& directory)
{
    DIR* dir = opendir(directory.c_str());
    if (!dir)
        return -1;
    int32_t count = 0;
    while (const dirent* entry = readdir(dir))
        count += entry->d_name[0] != '.';
    closedir(dir);
    return count;
}

}  // namespace

int32_t CountOpenDescriptors(int32_t pid) { return CountEntries("/proc/" + std::to_string(pid) + "/fd"); }

int32_t CountThreads(int32_t pid) { return CountEntries("/proc/" + std::to_string(pid) + "/task"); }

uint64_t GetResidentBytes(int32_t pid)
{
    FILE* f = std::fopen(("/proc/" + std::to_string(pid) + "/statm").c_str(), "r");
    if (!f)
        return 0;
    unsigned long long size = 0, resident = 0;
    const bool read = std::fscanf(f, "%llu %llu", &size, &resident) == 2;
    std::fclose(f);
    return read ? resident * uint64_t(sysconf(_SC_PAGESIZE)) : 0;
}

}  // namespace Platform
