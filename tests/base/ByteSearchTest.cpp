// ByteSearchTest: both searches give the first match of either byte at every start, and the
// break count agrees with a bytewise count, across the 8-, 16- and 64-byte steps and at the
// span's ragged end.
#include "base/ByteSearch.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

const unsigned char* Naive(const unsigned char* p, const unsigned char* end, unsigned char a, unsigned char b)
{
    while (p < end && *p != a && *p != b)
        ++p;
    return p;
}

}  // namespace

TEST(ByteSearchTest, AgreesWithABytewiseSearchAndCount)
{
    std::mt19937 rng(99);
    for (int round = 0; round < 400; ++round) {
        size_t size = rng() % 300;
        int density = 1 + int(rng() % 100);  // from a match in every byte to one in a hundred
        std::vector<unsigned char> bytes(size + 1);  // one more, so the span's end is never read
        for (size_t i = 0; i < size; ++i) {
            int pick = int(rng() % unsigned(density));
            bytes[i] = pick == 0 ? '\r' : pick == 1 ? '\n' : (rng() & 1) ? 0x8D : 'x';  // 0x8D: '\r' | 0x80
        }
        bytes[size] = '\n';
        const unsigned char* begin = bytes.data();
        const unsigned char* end = begin + size;
        for (size_t from = 0; from <= size; ++from)
            ASSERT_EQ(ByteSearch::FindEither(begin + from, end, '\r', '\n'), Naive(begin + from, end, '\r', '\n'))
                << "size " << size << " from " << from;

        size_t breaks = 0;
        for (size_t i = 0; i < size; ++i)
            if (bytes[i] == '\n' || (bytes[i] == '\r' && !(i + 1 < size && bytes[i + 1] == '\n')))
                ++breaks;  // "\r\n" counts at its "\n"
        ASSERT_EQ(ByteSearch::CountLineBreaks(begin, end), breaks) << "size " << size;

        ByteSearch::EitherScanner scanner(begin, end, '\r', '\n');
        for (const unsigned char* p = begin; p <= end; p += 1 + rng() % 5) {  // rising starts, as the splitter asks
            const unsigned char* expected = Naive(p, end, '\r', '\n');
            ASSERT_EQ(scanner.Next(p), expected) << "size " << size << " from " << (p - begin);
            if (expected == end)
                break;
        }
    }
}
