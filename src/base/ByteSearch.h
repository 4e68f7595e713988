// ByteSearch: bytes of given values in a span, compared sixteen at a time where SSE2 is there:
// every byte of three values, a scanner that hands out the bytes of two values one after another
// from a 64-byte window, and the count of line breaks. The line splitter and the block parser run
// them over whole data files.
#pragma once
#include <bit>
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace ByteSearch {

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

// Bit i set when p[i] equals a, b or c, over the first 64 bytes of [p, end) (fewer at its end).
inline uint64_t MarkBytes(const unsigned char* p, const unsigned char* end, unsigned char a, unsigned char b,
                          unsigned char c)
{
    uint64_t marks = 0;
    if (end - p < 64) {
        for (int i = 0; i < end - p; ++i)
            if (p[i] == a || p[i] == b || p[i] == c)
                marks |= uint64_t(1) << i;
        return marks;
    }
#if defined(__SSE2__)
    const __m128i va = _mm_set1_epi8(char(a));
    const __m128i vb = _mm_set1_epi8(char(b));
    const __m128i vc = _mm_set1_epi8(char(c));
    for (int i = 0; i < 4; ++i) {
        __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
        __m128i equal = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, va), _mm_cmpeq_epi8(bytes, vb)),
                                     _mm_cmpeq_epi8(bytes, vc));
        marks |= uint64_t(unsigned(_mm_movemask_epi8(equal))) << (16 * i);
    }
    return marks;
#else
    return MarkBytes(p, end, a) | MarkBytes(p, end, b) | MarkBytes(p, end, c);
#endif
}

// The set bits of a word, without the library call that std::popcount becomes on a plain x86-64.
inline int CountBits(uint64_t x)
{
    x -= (x >> 1) & 0x5555555555555555u;
    x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
    return int((x * 0x0101010101010101u) >> 56);
}

// The line breaks of a span: a "\r\n" pair, a lone "\r" and a lone "\n" count one each.
inline size_t CountLineBreaks(const unsigned char* p, const unsigned char* end)
{
    size_t count = 0;
    uint64_t carry = 0;  // a "\r" as the last byte of the previous window
    for (; p < end; p += 64) {
        uint64_t returns = MarkBytes(p, end, '\r');
        uint64_t feeds = MarkBytes(p, end, '\n');
        uint64_t pairedFeeds = ((returns << 1) | carry) & feeds;  // counted with their "\r"
        carry = returns >> 63;
        count += size_t(CountBits((returns | feeds) & ~pairedFeeds));
        if (end - p <= 64)
            break;
    }
    return count;
}

// Calls found(p) for every byte p of [begin, end) equal to a, b or c, in order: one pass over a
// text for several rare bytes.
template <class Found>
inline void ForEachOf(const unsigned char* begin, const unsigned char* end, unsigned char a, unsigned char b,
                      unsigned char c, Found found)
{
    for (const unsigned char* window = begin; window < end; window += 64) {
        uint64_t marks = MarkBytes(window, end, a, b, c);
        for (; marks; marks &= marks - 1)
            found(window + std::countr_zero(marks));
        if (end - window <= 64)
            break;
    }
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
            if (m_End - m_Window <= 64)
                return m_End;
            m_Window += 64;
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
