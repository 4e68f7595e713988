// ServerSendTransport: the server's game packet transport: the network node's queues, with a
// detour per connection so that the frame never waits for a slow client. A message that does not
// fit a TCP connection's sending queue is built aside and kept, in order, in the connection's
// overflow, which each frame moves on into the queue as it drains; a datagram that does not fit is
// dropped. A connection ID below 0 (a client that is gone) names no connection here, never all of
// them. Everything here runs on the game thread.
#pragma once
#include "net/NetworkNodeTransport.h"

#include <cstdint>
#include <deque>
#include <unordered_map>
#include <vector>

class ServerSendTransport : public NetworkNodeTransport {
public:
    // A client whose overflow grows past this, or whose oldest kept message waits longer, is lost.
    static constexpr int64_t kMaxOverflowBytes = 1024 * 1024;
    static constexpr double kMaxOverflowSeconds = 10.0;

    explicit ServerSendTransport(NetworkNode& node) : NetworkNodeTransport(node) {}

    bool SendData(int32_t id, const void* data, int32_t n, bool commit) override;
    bool HasRoom(int32_t id, int32_t n) override;
    bool IsSendPending(int32_t id) override;
    bool CommitPending(int32_t id) override;
    bool PeekPending(int32_t id, int32_t offset, void* dest, int32_t n) override;
    bool PatchPending(int32_t id, int32_t offset, const void* src, int32_t n) override;
    int32_t GetPendingLength(int32_t id) override;
    void SetPendingLength(int32_t id, int32_t n) override;

    // Moves kept messages into the connection's queue while they fit.
    void Drain(int32_t id);
    // Whether the connection's overflow outgrew its bounds at that time of the program clock.
    bool IsOverflowExceeded(int32_t id, double now) const;
    int64_t GetOverflowBytes(int32_t id) const;
    int32_t GetDroppedDatagrams() const { return m_DroppedDatagrams; }
    void Forget(int32_t id) { m_Detours.erase(id); }

private:
    struct Kept {
        std::vector<uint8_t> bytes;
        double queuedAt = 0.0;
    };
    struct Detour {
        bool datagram = false;
        bool building = false;  // the message being written lies in staging
        std::vector<uint8_t> staging;
        std::deque<Kept> overflow;
        int64_t overflowBytes = 0;
    };

    Detour* Building(int32_t id);  // the detour that holds the message being written, or null
    bool StartDetour(int32_t id, const void* data, int32_t n);
    void CommitStaging(Detour& detour);

    std::unordered_map<int32_t, Detour> m_Detours;
    int32_t m_DroppedDatagrams = 0;
};
