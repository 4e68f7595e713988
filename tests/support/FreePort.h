// FindFreePort: a local port that was free a moment ago (bound to port 0, read, closed), for
// network tests that must name a port before they bind it; never a fixed port.
#pragma once
#include "platform/Socket.h"

#include <cstdint>

inline uint16_t FindFreePort(Socket::Kind kind = Socket::kDatagram)
{
    Socket probe = Socket::Create(kind);
    SocketAddress bound;
    const bool ok = probe.IsValid() && probe.Bind(0) && probe.GetLocalAddress(&bound);
    if (probe.IsValid())
        probe.Close();
    return ok ? bound.port : 0;
}
