// InputDevice: the program-wide input lock.
#include "platform/InputDevice.h"

namespace Platform {

std::mutex& GetInputLock()
{
    static std::mutex s_Lock;
    return s_Lock;
}

}  // namespace Platform
