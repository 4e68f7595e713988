// ProgramChildren: the server program and bots as child processes of a test, each in its own copy
// of the sample game. The server is ready once its log says "Running main loop" and a connect to
// its port succeeds; every wait is bounded and a child still running at the end is killed by its id.
#pragma once
#include "platform/ChildProcess.h"
#include "platform/Clock.h"
#include "platform/Socket.h"
#include "support/SampleGame.h"
#include "support/TempDir.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

// Counts the lines of a text that hold the part.
inline int32_t CountLines(const std::string& text, const std::string& part)
{
    int32_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

// How a server child is started beyond its switches.
struct ServerChildOptions {
    std::vector<std::string> extra;         // the server's command line switches ("/MAXPL=4")
    Platform::ChildInput input;             // its standard input: nothing, a pipe or a terminal
    std::vector<std::string> wrapper;       // a program that runs it ("/usr/bin/nohup")
    std::vector<std::pair<std::string, std::string>> environment;  // variables it gets besides
};

class ServerChild {
public:
    // extra: the server's command line switches ("/MAXPL=4").
    explicit ServerChild(const std::vector<std::string>& extra = {}) : ServerChild(ServerChildOptions{extra, {}, {}, {}}) {}
    explicit ServerChild(const ServerChildOptions& options) : m_Port(CopySampleGame(m_Dir))
    {
        std::vector<std::string> args = options.wrapper;
        args.push_back(SCIFISERVER_PROGRAM);
        args.insert(args.end(), options.extra.begin(), options.extra.end());
        for (const auto& [name, value] : options.environment)
            setenv(name.c_str(), value.c_str(), 1);  // the child inherits them at its start
        m_Started = m_Process.Start(args, m_Dir.Path().string(), m_Dir("console.txt"), options.input);
        for (const auto& variable : options.environment)
            unsetenv(variable.first.c_str());
    }
    // The console shows the text within the time (the server may end meanwhile).
    bool AwaitConsole(const std::string& text, double seconds = 120.0)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (m_Started && std::chrono::steady_clock::now() < end) {
            if (Console().find(text) != std::string::npos)
                return true;
            Platform::SleepMs(20);
        }
        return Console().find(text) != std::string::npos;
    }
    void Signal(int32_t signal) { m_Process.SendSignal(signal); }
    bool Type(const std::string& bytes) { return m_Process.WriteInput(bytes); }
    bool IsRunning() { return m_Process.IsRunning(); }
    // Waits for the end without asking for it; the exit code, -1 when it had to be killed.
    int32_t WaitExit(double seconds)
    {
        if (!m_Process.Wait(int32_t(seconds * 1000.0))) {
            m_Process.Kill();
            return -1;
        }
        return m_Process.GetExitCode();
    }
    const TempDir& Dir() const { return m_Dir; }
    bool AwaitReady(double seconds = 120.0)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (m_Started && std::chrono::steady_clock::now() < end && m_Process.IsRunning()) {
            if (Log().find("Running main loop") != std::string::npos && Answers())
                return true;
            Platform::SleepMs(50);
        }
        return false;
    }
    // A TCP connect to the listening port succeeds.
    bool Answers() const
    {
        Socket probe = Socket::Create(Socket::kStream);
        const bool ok = probe.IsValid() && probe.Connect(SocketAddress{0x7F000001u, m_Port});
        if (probe.IsValid())
            probe.Close();
        return ok;
    }
    // Asks the server to stop (as SIGTERM does) and waits; its exit code, -1 when it had to be killed.
    int32_t Stop(double seconds = 60.0)
    {
        m_Process.Terminate();
        return WaitExit(seconds);
    }
    uint16_t Port() const { return m_Port; }
    int32_t Pid() const { return m_Process.GetId(); }
    std::string Log() const { return m_Dir.Read("serverlog.txt"); }
    std::string Console() const { return m_Dir.Read("console.txt"); }

private:
    TempDir m_Dir;
    uint16_t m_Port;
    Platform::ChildProcess m_Process;
    bool m_Started = false;
};

class BotChild {
public:
    BotChild(uint16_t port, int32_t index, int32_t seconds, int32_t others)
    {
        CopySampleGame(m_Dir);
        const std::vector<std::string> args = {SCIFIBOT_PROGRAM, "127.0.0.1", "--port", std::to_string(port), "--dir",
                                               m_Dir.Path().string(), "--seconds", std::to_string(seconds), "--name",
                                               "Bot", "--index", std::to_string(index), "--others",
                                               std::to_string(others)};
        m_Started = m_Process.Start(args, std::string(), m_Dir("console.txt"));
    }
    // The exit code, -1 when it outlived the limit and was killed.
    int32_t Wait(double seconds)
    {
        if (!m_Started)
            return -2;
        if (!m_Process.Wait(int32_t(seconds * 1000.0))) {
            m_Process.Kill();
            return -1;
        }
        return m_Process.GetExitCode();
    }
    bool IsRunning() { return m_Process.IsRunning(); }
    std::string Console() const { return m_Dir.Read("console.txt"); }
    std::string Log() const { return m_Dir.Read("botlog.txt"); }
    // The bot's summary line, empty when it wrote none.
    std::string Summary() const
    {
        const std::string text = Console();
        const size_t at = text.find("Bot Bot");
        return at == std::string::npos ? std::string() : text.substr(at, text.find('\n', at) - at);
    }

private:
    TempDir m_Dir;
    Platform::ChildProcess m_Process;
    bool m_Started = false;
};
