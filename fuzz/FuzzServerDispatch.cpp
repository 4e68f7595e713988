// FuzzServerDispatch: bytes as the messages a client sent to the server, read by the server's
// receive loop for one client in a join state taken from the input, through the guarded
// dispatcher. Nothing may crash or escape; a message that raises an error costs at most its client.
//
// Input: a control byte (the client's state, modulo 11), then messages, each a u16 (bit 15:
// arrived over UDP; bits 0..14 its length) and its bytes. The loop runs for up to four frames.
#include "FuzzFakeLink.h"

#include "net/GameServer.h"

#include <cstdlib>
#include <vector>

namespace {

constexpr int32_t kTCP = Fuzz::kLinkTCP;
constexpr int32_t kUDP = Fuzz::kLinkUDP;
constexpr int32_t kFrames = 4;

// A server that listens (on a free port) but reads its client from queues without sockets.
class FuzzServer : public GameServer {
public:
    explicit FuzzServer(FakeGameTransport& transport) : GameServer(transport)
    {
        GetNetworkSettings().useUDP = true;
        SetMaxPlayers(kMaxPlayersLimit);
    }
    void Reset(int32_t state)
    {
        while (GetNumClients() > 0)
            RemoveClient(GetClientSlot(0), false);
        const int32_t slot = AddClientRecord(kTCP, NetworkNode::ConnectionInfo());
        GetClient(slot)->udpConnection = kUDP;
        GetClient(slot)->state = state;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size < 1 || size > Fuzz::kMaxInput)
        return 0;
    // Made once, as a controller is slow to make; kept to the end of the process.
    static FakeGameTransport& transport = *new FakeGameTransport;
    static FuzzServer* server = [] {
        Fuzz::LoadGameConfig();
        auto* made = new FuzzServer(transport);
        made->GetNetNode().StartServer(0);  // listening makes it the server
        // Its network threads end before the program's clock goes with the statics.
        std::atexit([] { server->GetNetNode().Stop(); });
        return made;
    }();
    Fuzz::OpenFakeLink(transport);
    server->Reset(data[0] % 11);

    Fuzz::DeliverFramedMessages(transport, data + 1, size - 1);
    for (int32_t frame = 0; frame < kFrames && server->GetNumClients() > 0; ++frame)
        server->ReceiveClientMessages();
    return 0;
}
