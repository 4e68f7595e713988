// PseudoTerminal: a terminal that a program of ours types into and watches, as a person at a
// console would: the tests of the server's console keys run the server on one.
#pragma once
#include <cstdint>
#include <string>

namespace Platform {

class PseudoTerminal {
public:
    // The settings a console program may change, as the terminal holds them.
    struct Settings {
        uint32_t input = 0;
        uint32_t output = 0;
        uint32_t control = 0;
        uint32_t local = 0;
        std::string controlChars;
        bool operator==(const Settings& other) const = default;
        bool Echoes() const;
        bool BuffersLines() const;
        bool SendsSignals() const;  // Ctrl-C is SIGINT
    };

    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Opens both sides; the terminal side stays open here too, so that its settings outlive a
    // program that ran on it. False when the system has no terminal to give.
    bool Open();
    const std::string& GetTerminalPath() const { return m_Path; }
    int GetTerminalDescriptor() const { return m_Terminal; }
    // Bytes as if typed.
    bool Type(const std::string& bytes);
    // What the terminal showed (a program's output, echoed keys) within the time.
    std::string ReadShown(int32_t timeoutMs);
    Settings GetSettings() const;

private:
    int m_Controller = -1;  // the side that types and watches
    int m_Terminal = -1;
    std::string m_Path;
};

}  // namespace Platform
