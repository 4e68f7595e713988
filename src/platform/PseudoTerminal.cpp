// PseudoTerminal: posix_openpt and termios; the terminal side opened without becoming this
// process's controlling terminal.
#include "platform/PseudoTerminal.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace Platform {

bool PseudoTerminal::Settings::Echoes() const { return (local & ECHO) != 0; }

bool PseudoTerminal::Settings::BuffersLines() const { return (local & ICANON) != 0; }

bool PseudoTerminal::Settings::SendsSignals() const { return (local & ISIG) != 0; }

PseudoTerminal::~PseudoTerminal()
{
    if (m_Terminal >= 0)
        close(m_Terminal);
    if (m_Controller >= 0)
        close(m_Controller);
}

bool PseudoTerminal::Open()
{
    if (m_Controller >= 0)
        return true;
    const int controller = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (controller < 0)
        return false;
    const char* path = grantpt(controller) == 0 && unlockpt(controller) == 0 ? ptsname(controller) : nullptr;
    const int terminal = path ? open(path, O_RDWR | O_NOCTTY | O_CLOEXEC) : -1;
    if (terminal < 0) {
        close(controller);
        return false;
    }
    m_Controller = controller;
    m_Terminal = terminal;
    m_Path = path;
    return true;
}

bool PseudoTerminal::Type(const std::string& bytes)
{
    size_t done = 0;
    while (m_Controller >= 0 && done < bytes.size()) {
        const ssize_t n = write(m_Controller, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return m_Controller >= 0;
}

std::string PseudoTerminal::ReadShown(int32_t timeoutMs)
{
    std::string shown;
    pollfd watch{m_Controller, POLLIN, 0};
    while (m_Controller >= 0 && poll(&watch, 1, shown.empty() ? timeoutMs : 0) > 0 && (watch.revents & POLLIN)) {
        char bytes[256];
        const ssize_t n = read(m_Controller, bytes, sizeof bytes);
        if (n <= 0)
            break;
        shown.append(bytes, size_t(n));
    }
    return shown;
}

PseudoTerminal::Settings PseudoTerminal::GetSettings() const
{
    Settings settings;
    termios current{};
    if (m_Terminal < 0 || tcgetattr(m_Terminal, &current) != 0)
        return settings;
    settings.input = uint32_t(current.c_iflag);
    settings.output = uint32_t(current.c_oflag);
    settings.control = uint32_t(current.c_cflag);
    settings.local = uint32_t(current.c_lflag);
    settings.controlChars.assign(reinterpret_cast<const char*>(current.c_cc), sizeof current.c_cc);
    return settings;
}

}  // namespace Platform
