// LoopbackClientNode: a network game node that connects from an ephemeral local port, as tests and
// bots run, so that several can run beside a listening server at once.
#pragma once
#include "net/GameNetworkNode.h"

class LoopbackClientNode : public GameNetworkNode {
public:
    LoopbackClientNode()
    {
        GetNetworkSettings().dataPort = 0;
        StartNetwork();
    }
};
