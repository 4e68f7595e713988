// RingQueue: wrapping copies, the room computation and the two sides' positions.
#include "net/RingQueue.h"

#include "base/ByteReader.h"

#include <algorithm>
#include <cstring>

namespace {

int32_t RoundUp4(int32_t n) { return (n + 3) & ~3; }

}  // namespace

void RingQueue::Create(int32_t capacity)
{
    capacity = RoundUp4(std::clamp(capacity, kMinCapacity, kMaxCapacity));
    m_Buffer = std::make_unique<uint8_t[]>(size_t(capacity));
    m_Capacity = capacity;
    m_Read.store(0, std::memory_order_relaxed);
    m_Write.store(0, std::memory_order_release);
    m_ReadAlready = 0;
    m_Pending = 0;
}

void RingQueue::Free()
{
    m_Buffer.reset();
    m_Capacity = 0;
    m_Read.store(0, std::memory_order_relaxed);
    m_Write.store(0, std::memory_order_release);
    m_ReadAlready = 0;
    m_Pending = 0;
}

bool RingQueue::Resize(int32_t capacity)
{
    capacity = RoundUp4(std::clamp(capacity, kMinCapacity, kMaxCapacity));
    const int32_t read = m_Read.load(std::memory_order_acquire);
    const int32_t write = m_Write.load(std::memory_order_acquire);
    const int32_t committed = m_Capacity == 0 ? 0 : (write - read + m_Capacity) % m_Capacity;
    const int32_t need = committed + (m_Pending > 0 ? kPrefixSize + m_Pending : 0);
    if (need > capacity - kPrefixSize)
        return false;
    auto buffer = std::make_unique<uint8_t[]>(size_t(capacity));
    if (committed > 0)
        CopyOut(read, buffer.get(), committed);
    if (m_Pending > 0)
        CopyOut((write + kPrefixSize) % m_Capacity, buffer.get() + committed + kPrefixSize, m_Pending);
    m_Buffer = std::move(buffer);
    m_Capacity = capacity;
    m_Read.store(0, std::memory_order_relaxed);
    m_Write.store(committed, std::memory_order_release);
    return true;
}

int32_t RingQueue::Next(int32_t position, int32_t length) const
{
    return int32_t((int64_t(position) + kPrefixSize + RoundUp4(length)) % m_Capacity);
}

void RingQueue::CopyOut(int32_t position, void* dest, int32_t n) const
{
    const int32_t first = std::min(n, m_Capacity - position);
    std::memcpy(dest, m_Buffer.get() + position, size_t(first));
    if (n > first)
        std::memcpy(static_cast<uint8_t*>(dest) + first, m_Buffer.get(), size_t(n - first));
}

void RingQueue::CopyIn(int32_t position, const void* src, int32_t n)
{
    const int32_t first = std::min(n, m_Capacity - position);
    std::memcpy(m_Buffer.get() + position, src, size_t(first));
    if (n > first)
        std::memcpy(m_Buffer.get(), static_cast<const uint8_t*>(src) + first, size_t(n - first));
}

int32_t RingQueue::GetFree() const
{
    if (m_Capacity == 0)
        return 0;
    const int32_t read = m_Read.load(std::memory_order_acquire);
    const int32_t write = m_Write.load(std::memory_order_relaxed);
    const int32_t gap = write < read ? read - write : m_Capacity - write + read;
    return std::max(0, gap - m_Pending - kHeldBack);
}

bool RingQueue::Append(const void* data, int32_t n, bool commit)
{
    if (n < 0 || n > GetFree())
        return false;
    if (n > 0) {
        const int32_t write = m_Write.load(std::memory_order_relaxed);
        CopyIn(int32_t((int64_t(write) + kPrefixSize + m_Pending) % m_Capacity), data, n);
        m_Pending += n;
    }
    if (commit)
        Commit();
    return true;
}

void RingQueue::Commit()
{
    if (m_Pending <= 0)
        return;
    const int32_t write = m_Write.load(std::memory_order_relaxed);
    ByteWriter::EncodeU32(m_Buffer.get() + write, uint32_t(m_Pending));
    const int32_t next = Next(write, m_Pending);
    m_Pending = 0;
    m_Write.store(next, std::memory_order_release);
}

void RingQueue::SetPendingLength(int32_t n) { m_Pending = std::clamp(n, 0, m_Pending); }

bool RingQueue::PeekPending(int32_t offset, void* dest, int32_t n) const
{
    if (offset < 0 || n < 0 || int64_t(offset) + n > m_Pending)
        return false;
    if (n > 0) {
        const int32_t write = m_Write.load(std::memory_order_relaxed);
        CopyOut(int32_t((int64_t(write) + kPrefixSize + offset) % m_Capacity), dest, n);
    }
    return true;
}

bool RingQueue::PatchPending(int32_t offset, const void* src, int32_t n)
{
    if (offset < 0 || n < 0 || int64_t(offset) + n > m_Pending)
        return false;
    if (n > 0) {
        const int32_t write = m_Write.load(std::memory_order_relaxed);
        CopyIn(int32_t((int64_t(write) + kPrefixSize + offset) % m_Capacity), src, n);
    }
    return true;
}

int32_t RingQueue::GetMessageLength() const
{
    const int32_t read = m_Read.load(std::memory_order_relaxed);
    if (read == m_Write.load(std::memory_order_acquire))
        return 0;
    return int32_t(ByteReader::DecodeU32(m_Buffer.get() + read));
}

void RingQueue::SetReadAlready(int32_t n) { m_ReadAlready = std::clamp(n, 0, GetMessageLength()); }

void RingQueue::MoveOn(int32_t read, int32_t length)
{
    m_ReadAlready = 0;
    m_Read.store(Next(read, length), std::memory_order_release);
}

int32_t RingQueue::Read(void* dest, int32_t n, bool moveOn)
{
    if (n < 0 || !HasMessage())
        return -1;
    const int32_t read = m_Read.load(std::memory_order_relaxed);
    const int32_t length = GetMessageLength();
    if (int64_t(m_ReadAlready) + n > length)
        return -1;
    if (dest && n > 0)
        CopyOut(int32_t((int64_t(read) + kPrefixSize + m_ReadAlready) % m_Capacity), dest, n);
    if (moveOn)
        MoveOn(read, length);
    else
        m_ReadAlready += n;
    return n;
}

int32_t RingQueue::Pop(void* dest, bool moveOn, int32_t max)
{
    if (!HasMessage())
        return 0;
    const int32_t read = m_Read.load(std::memory_order_relaxed);
    const int32_t length = GetMessageLength();
    const int32_t n = max < 0 ? length : std::min(max, length);
    if (dest && n > 0)
        CopyOut((read + kPrefixSize) % m_Capacity, dest, n);
    if (moveOn)
        MoveOn(read, length);
    return length;
}
