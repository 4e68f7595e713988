// WorldEvent: one event waiting in the world's event queues: its type (65535 none), its payload
// (owned when its size is above 0) and the game time at which it is due.
#pragma once
#include <cstdint>
#include <memory>

struct WorldEvent {
    static constexpr uint16_t kNone = 0xFFFF;

    uint16_t type = kNone;
    int32_t size = 0;
    std::unique_ptr<uint8_t[]> payload;
    double time = 0.0;

    // Frees the payload and marks the event as none.
    void Clear()
    {
        payload.reset();
        size = 0;
        type = kNone;
    }
};
