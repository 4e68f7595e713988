// RingQueue: a byte ring of length-prefixed messages between one writing and one reading thread.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>

// Each message is a 4-byte little-endian length at a multiple of 4, then its data, which may wrap
// around the end; the next message starts at the next multiple of 4. A message being written lies
// at the write position, its length written only when it is committed. Read position equal to
// write position means empty; 8 bytes are always held back so that a full ring never looks empty.
//
// The writer owns the write position and the pending message, the reader the read position and
// the bytes already read of the first message; each publishes its position with a release store
// and reads the other's with an acquire load, so the two need no lock. Create, Free, Resize and
// CopyAsEmpty are for when neither side is busy.
class RingQueue {
public:
    static constexpr int32_t kPrefixSize = 4;
    static constexpr int32_t kHeldBack = 8;
    static constexpr int32_t kMinCapacity = 16;
    static constexpr int32_t kMaxCapacity = 1 << 30;

    RingQueue() = default;
    explicit RingQueue(int32_t capacity) { Create(capacity); }
    ~RingQueue() = default;
    RingQueue(const RingQueue&) = delete;
    RingQueue& operator=(const RingQueue&) = delete;

    // A new, empty buffer; the capacity is rounded up to a multiple of 4 and kept within
    // kMinCapacity .. kMaxCapacity.
    void Create(int32_t capacity);
    void Free();
    void CopyAsEmpty(const RingQueue& other) { Create(other.m_Capacity); }
    // Moves the committed messages, then the pending one, to the start of a new buffer; false
    // (and nothing changed) when they need more than the new capacity less 4.
    bool Resize(int32_t capacity);

    // Writer side.
    // Adds n bytes to the pending message; false, and nothing written, when n exceeds GetFree.
    // With commit the message is committed when it holds at least one byte.
    bool Append(const void* data, int32_t n, bool commit);
    bool Push(const void* data, int32_t n) { return Append(data, n, true); }
    // Writes the pending length into the prefix and moves past the message. An empty message is
    // never committed: it would read as an empty queue and block the messages behind it.
    void Commit();
    int32_t GetFree() const;
    int32_t GetPendingLength() const { return m_Pending; }
    void SetPendingLength(int32_t n);  // clamped to 0 .. pending; 0 discards the message
    bool PeekPending(int32_t offset, void* dest, int32_t n) const;
    bool PatchPending(int32_t offset, const void* src, int32_t n);
    void CopyPending(void* dest) const { PeekPending(0, dest, m_Pending); }

    // Reader side.
    int32_t GetMessageLength() const;  // of the first message; 0 when empty
    bool HasMessage() const { return m_Read.load(std::memory_order_acquire) != m_Write.load(std::memory_order_acquire); }
    int32_t GetReadAlready() const { return m_ReadAlready; }
    void SetReadAlready(int32_t n);  // clamped to 0 .. the first message's length
    // Copies n bytes that follow the bytes already read of the first message (dest may be null);
    // without moveOn they count as read, with it the queue moves past the message. n, or -1 when
    // the message holds fewer bytes.
    int32_t Read(void* dest, int32_t n, bool moveOn);
    // Copies up to max bytes (all when negative) from the start of the first message; with moveOn
    // the queue moves past it. The message's length, 0 when empty.
    int32_t Pop(void* dest, bool moveOn, int32_t max = -1);

    int32_t GetCapacity() const { return m_Capacity; }
    // The largest message an empty queue takes.
    int32_t GetMaxMessage() const { return m_Capacity - kHeldBack; }

private:
    int32_t Next(int32_t position, int32_t length) const;  // start of the message after one
    void CopyOut(int32_t position, void* dest, int32_t n) const;
    void CopyIn(int32_t position, const void* src, int32_t n);
    void MoveOn(int32_t read, int32_t length);

    std::unique_ptr<uint8_t[]> m_Buffer;
    int32_t m_Capacity = 0;
    std::atomic<int32_t> m_Read{0};
    std::atomic<int32_t> m_Write{0};
    int32_t m_ReadAlready = 0;
    int32_t m_Pending = 0;
};
