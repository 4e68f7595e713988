// GameNetworkNode: the script functions of the network: connecting and leaving, the hosting
// character, the chat line and the transport's byte counts. Every other name goes on to the next
// handler. The player count is the controller's own built-in ("GetNumPlayers"), which the server
// answers through its override of the count.
#include "net/GameNetworkNode.h"

#include "script/ScriptValue.h"

#include <algorithm>
#include <cstring>

namespace {

int32_t ClampedCount(uint64_t bytes) { return int32_t(std::min<uint64_t>(bytes, INT32_MAX)); }

}  // namespace

void GameNetworkNode::ExecuteScriptFunction(ScriptValue& result, const char* name, ScriptValue* arguments,
                                            int32_t count, int32_t fromNetwork)
{
    result = ScriptValue();
    const bool client = !IsServer();
    auto invalid = [&] {
        ScriptError("Invalid arguments in function %s", name);
        result = ScriptValue();
    };
    if (client && std::strcmp(name, "ConnectToServer") == 0) {
        // host, then optional port and time-out in seconds
        if (count < 1 || arguments[0].m_Type != kScriptString) {
            invalid();
            return;
        }
        const int32_t port = count >= 2 ? arguments[1].GetIntView() : int32_t(GetServerPort());
        const double timeout = count >= 3 ? arguments[2].GetNumberView() : 5.0;
        result.SetInt(0);
        if (port > 0 && port <= 65535 &&
            ConnectToServer(arguments[0].m_Text.c_str(), uint16_t(port), false, timeout, nullptr))
            result.SetInt(1);
    } else if (client && std::strcmp(name, "SetGameHost") == 0)
        SendSetHostingChar();
    else if (client && std::strcmp(name, "DisconnectFromServer") == 0)
        CloseConnections();
    else if (std::strcmp(name, "ChatMessage") == 0) {
        if (count < 1 || arguments[0].m_Type != kScriptString)
            invalid();
        else
            SendChatLine(wString(arguments[0].m_Text.c_str()));
    } else if (std::strcmp(name, "GetNetworkBytesSent") == 0)
        result.SetInt(ClampedCount(m_NetNode.GetBytesSent()));
    else if (std::strcmp(name, "GetNetworkBytesReceived") == 0)
        result.SetInt(ClampedCount(m_NetNode.GetBytesReceived()));
    else
        GameCtrl::ExecuteScriptFunction(result, name, arguments, count, fromNetwork);
}
