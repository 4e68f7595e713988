// ByteSearch: bytes of given values in a span, compared sixteen at a time where SSE2 is there:
// the first of two values, a scanner that hands out such bytes one after another from a 64-byte
// window, and the count of line breaks. The line splitter and the block parser run them over
// whole data files.
#pragma once
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace ByteSearch {

// Bytes of the word equal to value get their high bit set; bits above the first such byte may
// be set falsely, so only the lowest set bit counts.
inline uint64_t MarkEqualBytes(uint64_t word, unsigned char value)
{
    constexpr uint64_t kOnes = 0x0101010101010101u;
    constexpr uint64_t kHighs = 0x8080808080808080u;
    uint64_t x = word ^ (kOnes * value);
    return (x - kOnes) & ~x & kHighs;
}

// Bit i set when p[i] equals value, over the first 64 bytes of [p, end) (fewer at its end).
inline uint64_t MarkBytes(const unsigned char* p, const unsigned char* end, unsigned char value)
{
    uint64_t marks = 0;
    if (end - p < 64) {
        for (int i = 0; i < end - p; ++i)
            if (p[i] == value)
                marks |= uint64_t(1) << i;
        return marks;
    }
#if defined(__SSE2__)
    const __m128i v = _mm_set1_epi8(char(value));
    for (int i = 0; i < 4; ++i) {
        __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
        marks |= uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, v)))) << (16 * i);
    }
#else
    for (int i = 0; i < 64; ++i)
        if (p[i] == value)
            marks |= uint64_t(1) << i;
#endif
    return marks;
}

// The first byte in [p, end) equal to a or b, or end.
inline const unsigned char* FindEither(const unsigned char* p, const unsigned char* end, unsigned char a,
                                       unsigned char b)
{
#if defined(__SSE2__)
    const __m128i va = _mm_set1_epi8(char(a));
    const __m128i vb = _mm_set1_epi8(char(b));
    while (end - p >= 16) {
        __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        int marks = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, va), _mm_cmpeq_epi8(bytes, vb)));
        if (marks)
            return p + std::countr_zero(unsigned(marks));
        p += 16;
    }
#endif
    if constexpr (std::endian::native == std::endian::little) {
        while (end - p >= 8) {
            uint64_t word;
            std::memcpy(&word, p, 8);
            uint64_t marks = MarkEqualBytes(word, a) | MarkEqualBytes(word, b);
            if (marks)
                return p + std::countr_zero(marks) / 8;
            p += 8;
        }
    }
    while (p < end && *p != a && *p != b)
        ++p;
    return p;
}

// The line breaks of a span: a "\r\n" pair, a lone "\r" and a lone "\n" count one each.
inline size_t CountLineBreaks(const unsigned char* p, const unsigned char* end)
{
    size_t count = 0;
    uint64_t carry = 0;  // a "\r" as the last byte of the previous window
    for (; p < end; p += 64) {
        uint64_t returns = MarkBytes(p, end, '\r');
        uint64_t feeds = MarkBytes(p, end, '\n');
        uint64_t pairs = ((returns << 1) | carry) & feeds;
        carry = returns >> 63;
        count += size_t(std::popcount(returns) + std::popcount(feeds) - std::popcount(pairs));
        if (end - p < 64)
            break;
    }
    return count;
}

// The bytes equal to a or b of a span, in order. Each 64-byte window is compared once into a bit
// set, so the many short lines of a data file cost a bit scan each rather than a loop.
class EitherScanner {
public:
    EitherScanner(const unsigned char* begin, const unsigned char* end, unsigned char a, unsigned char b)
        : m_Window(begin), m_End(end), m_A(a), m_B(b)
    {
        m_Marks = MarkWindow();
    }

    // The first byte at or after from (within the span) equal to a or b; end when there is none.
    // A start inside the current window reuses its marks; any other marks a new window there.
    const unsigned char* Next(const unsigned char* from)
    {
        if (from < m_Window || from - m_Window >= 64) {
            m_Window = from;
            m_Marks = MarkWindow();
        }
        uint64_t marks = m_Marks & (~uint64_t(0) << (from - m_Window));
        while (!marks) {
            m_Window += 64;
            if (m_Window >= m_End)
                return m_End;
            marks = m_Marks = MarkWindow();
        }
        return m_Window + std::countr_zero(marks);
    }

private:
    uint64_t MarkWindow() const
    {
        return m_Window < m_End ? MarkBytes(m_Window, m_End, m_A) | MarkBytes(m_Window, m_End, m_B) : 0;
    }

    const unsigned char* m_Window;  // 64 bytes from here are marked in m_Marks
    const unsigned char* m_End;
    unsigned char m_A;
    unsigned char m_B;
    uint64_t m_Marks = 0;
};

}  // namespace ByteSearch
