// NetworkSettings: reading the network keys of the options.
#include "net/NetworkSettings.h"

#include "base/ConfigFileReader.h"
#include "net/NetworkNode.h"
#include "net/RingQueue.h"
#include "net/TransportPacket.h"

#include <algorithm>
#include <cmath>

void NetworkSettings::Read(ConfigFileReader& config)
{
    config.GetInt("serverPort", serverPort);
    config.GetInt("LogNetworkTraffic", logNetworkTraffic);
    config.GetInt("NetworkPacketSize", packetSize);
    config.GetBoolRounded("NetworkCompression", compression);
    packetSizeUDP = packetSize;
    config.GetInt("NetworkPacketSizeUDP", packetSizeUDP);
    config.GetInt("NetworkSendBuffer", sendBuffer);
    config.GetInt("NetworkReceiveBuffer", receiveBuffer);
    config.GetFloat("NetworkMaxUpload", maxUpload);
    float ratio = 0.0f;
    if (config.GetFloat("NetworkMaxStackRatio", ratio) == 0)
        maxBatchBytes = int32_t(std::clamp(std::round(double(sendBuffer) * ratio), 0.0, double(INT32_MAX)));
    config.GetFloat("NetworkUpdateDelay", updateDelay);
    config.GetBoolRounded("NetworkUseUDP", useUDP);
    config.GetInt("NetworkDataPort", dataPort);
    config.GetInt("NetworkBroadcastPortLocal", broadcastPortLocal);
    config.GetInt("NetworkBroadcastPortRemote", broadcastPortRemote);
    config.GetString("NetworkBroadcastIP", broadcastIP);
    config.GetBoolRounded("NetworkSocketReuse", socketReuse);
    config.GetDouble("NetworkDummyDataInterval", dummyDataInterval);

    sendBuffer = std::clamp(sendBuffer, RingQueue::kMinCapacity, RingQueue::kMaxCapacity);
    receiveBuffer = std::clamp(receiveBuffer, RingQueue::kMinCapacity, RingQueue::kMaxCapacity);
    const int32_t packetLimit = std::min(sendBuffer, receiveBuffer) - kQueueReserve;
    packetSize = std::max(TransportPacket::kMinPacketSize, std::min(packetSize, packetLimit));
    packetSizeUDP = std::max(TransportPacket::kMinPacketSize, std::min(packetSizeUDP, packetLimit));
    maxBatchBytes = std::max(0, std::min(maxBatchBytes, sendBuffer - kQueueReserve));
}

void NetworkSettings::ApplyTo(NetworkNode& node) const
{
    node.SetPacketSize(packetSize);
    node.SetPacketSizeUDP(packetSizeUDP);
    node.SetFifoSizes(sendBuffer, receiveBuffer);
    node.SetMaxUpload(maxUpload);
    if (logNetworkTraffic >= kTrafficFilesLevel)
        node.EnableTrafficLog(NetworkNode::kLogIncoming | NetworkNode::kLogOutgoing, kTrafficLogPrefix);
    node.SetReuseFlag(socketReuse);
}
