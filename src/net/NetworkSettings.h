// NetworkSettings: the network keys of the program-wide options ("cfg\game.cfg") as the network
// game node keeps them, and the transport settings it hands to its NetworkNode.
#pragma once
#include "base/String.h"

#include <cstdint>

class ConfigFileReader;
class NetworkNode;

// A missing key (or one of a bad value) keeps the default. Kinds: int truncated toward zero; bool
// rounded half away from zero; float 32-bit; number double.
struct NetworkSettings {
    static constexpr int32_t kQueueReserve = 24;  // a game header and the queue's own bytes
    static constexpr int32_t kDefaultMaxBatchBytes = 32768;
    static constexpr int32_t kTrafficFilesLevel = 2;  // "LogNetworkTraffic" from which files are written
    static constexpr const char* kTrafficLogPrefix = "client";

    int32_t serverPort = 1999;              // "serverPort": the server a client joins by default
    int32_t logNetworkTraffic = 0;          // "LogNetworkTraffic": 1 messages, 2 also traffic files
    int32_t packetSize = 4096;              // "NetworkPacketSize": TCP writes of the transport
    bool compression = true;                // "NetworkCompression": of saved states in sync data
    int32_t packetSizeUDP = 4096;           // "NetworkPacketSizeUDP": "NetworkPacketSize" when missing
    int32_t sendBuffer = 65536;             // "NetworkSendBuffer": each sending queue
    int32_t receiveBuffer = 65536;          // "NetworkReceiveBuffer": each receiving queue
    float maxUpload = 100000.0f;            // "NetworkMaxUpload": bytes per second; 0 or less none
    int32_t maxBatchBytes = kDefaultMaxBatchBytes;  // "NetworkMaxStackRatio" x the send buffer
    float updateDelay = 0.05f;              // "NetworkUpdateDelay": seconds before a position applies
    bool useUDP = true;                     // "NetworkUseUDP"
    int32_t dataPort = 6706;                // "NetworkDataPort": local port of a client's links
    int32_t broadcastPortLocal = 6705;      // "NetworkBroadcastPortLocal": 0 or less no broadcast
    int32_t broadcastPortRemote = 6704;     // "NetworkBroadcastPortRemote"
    String broadcastIP = "255.255.255.255";  // "NetworkBroadcastIP"
    bool socketReuse = true;                // "NetworkSocketReuse": SO_REUSEADDR on every socket
    double dummyDataInterval = 0.02;        // "NetworkDummyDataInterval": seconds; 0 or less none

    // Reads the keys in the order the node reads them. The queues keep within what a ring queue
    // takes, a packet is kept within the transport's minimum and the smaller queue less the
    // reserve, the batch within the send queue less the reserve, so that neither can outgrow the
    // queue that must hold it.
    void Read(ConfigFileReader& config);
    // Hands the transport settings to the node before it starts, in this order: packet sizes,
    // queue sizes, upload limit, traffic files (level 2 and more: both directions, prefix
    // "client", the old files deleted first), socket reuse.
    void ApplyTo(NetworkNode& node) const;
};
