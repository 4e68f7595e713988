// ProcessPriority: raising the priority of the whole process, as the server's main loop asks.
#pragma once
#include <string>

namespace Platform {

// Sets the process's nice value (negative: above normal). False when the system refuses it (an
// unprivileged user may not lower the value), with the system's reason.
bool SetProcessNice(int niceValue, std::string* reason);

}  // namespace Platform
