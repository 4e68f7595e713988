// ProcessPriority: the nice value of the process through setpriority.
#include "platform/ProcessPriority.h"

#include <cerrno>
#include <cstring>
#include <sys/resource.h>

namespace Platform {

bool SetProcessNice(int niceValue, std::string* reason)
{
    if (setpriority(PRIO_PROCESS, 0, niceValue) == 0)
        return true;
    if (reason)
        *reason = std::strerror(errno);
    return false;
}

}  // namespace Platform
