// ByteSearch: the first of two byte values in a span, found sixteen bytes at a time (eight
// without SSE2), and a scanner that hands out such bytes one after another from a 64-byte
// window; the line splitter and the block parser run them over whole data files.
#pragma once
#include <bit>
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
        if (m_Window >= m_End)
            return 0;
        uint64_t marks = 0;
        if (m_End - m_Window < 64) {
            for (int i = 0; i < m_End - m_Window; ++i)
                if (m_Window[i] == m_A || m_Window[i] == m_B)
                    marks |= uint64_t(1) << i;
            return marks;
        }
#if defined(__SSE2__)
        const __m128i va = _mm_set1_epi8(char(m_A));
        const __m128i vb = _mm_set1_epi8(char(m_B));
        for (int i = 0; i < 4; ++i) {
            __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m_Window + 16 * i));
            unsigned bits = unsigned(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(bytes, va), _mm_cmpeq_epi8(bytes, vb))));
            marks |= uint64_t(bits) << (16 * i);
        }
#else
        for (int i = 0; i < 64; ++i)
            if (m_Window[i] == m_A || m_Window[i] == m_B)
                marks |= uint64_t(1) << i;
#endif
        return marks;
    }

    const unsigned char* m_Window;  // 64 bytes from here are marked in m_Marks
    const unsigned char* m_End;
    unsigned char m_A;
    unsigned char m_B;
    uint64_t m_Marks = 0;
};

}  // namespace ByteSearch
