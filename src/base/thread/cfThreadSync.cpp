// cfThreadSync: construction of the lock.
#include "base/thread/cfThreadSync.h"

cfThreadMutex::cfThreadMutex(uint32_t /*spinCount*/) {}
