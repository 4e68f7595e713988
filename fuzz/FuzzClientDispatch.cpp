// FuzzClientDispatch: bytes as the messages a server sent to a client's network node, read by the
// node's receive loop in a connection state taken from the input: the join-time filter, deferral,
// the replay after SetMainChar, the sync limit and the dispatcher. Nothing may crash or escape,
// and the deferred-receive buffer stays within its bound.
//
// Input: a control byte (the connection state, modulo 11), then messages, each a u16 (bit 15:
// arrived over UDP; bits 0..14 its length) and its bytes. The loop runs for up to four frames.
#include "FuzzFakeLink.h"

#include "net/GameNetworkNode.h"

#include <vector>

namespace {

constexpr int32_t kTCP = Fuzz::kLinkTCP;
constexpr int32_t kUDP = Fuzz::kLinkUDP;
constexpr int32_t kFrames = 4;

class FuzzNode : public GameNetworkNode {
public:
    explicit FuzzNode(FakeGameTransport& transport) : GameNetworkNode(transport) {}
    void Reset(int32_t state)
    {
        CloseConnections();
        SetConnections(kTCP, kUDP);
        SetConnectionState(state);
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
    static FuzzNode* node = (Fuzz::LoadGameConfig(), new FuzzNode(transport));
    Fuzz::OpenFakeLink(transport);
    node->Reset(data[0] % 11);

    Fuzz::DeliverFramedMessages(transport, data + 1, size - 1);
    // Whatever a server sends ends at most the connection: no error record may escape.
    for (int32_t frame = 0; frame < kFrames; ++frame) {
        node->ReceiveMessages();
        if (node->GetDeferredBytes() > GameNetworkNode::kMaxDeferredBytes)
            Fuzz::Finding("the deferred-receive buffer outgrew its bound");
        if (node->GetConnectionState() == GameNetworkNode::eDisconnected)
            break;
    }
    return 0;
}
