// ByteSearchTest: the scanner gives the first match of either byte from every start, the visit of
// three values every match in order, and the break count agrees with a bytewise count, across
// the 16- and 64-byte steps and at the span's ragged end.
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

TEST(ByteSearchTest, AgreesWithBytewiseSearchesAndCount)
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
        std::vector<const unsigned char*> expected;
        for (const unsigned char* p = begin; p < end; ++p)
            if (*p == '\r' || *p == '\n' || *p == 0x8D)
                expected.push_back(p);
        std::vector<const unsigned char*> visited;
        ByteSearch::ForEachOf(begin, end, '\r', '\n', 0x8D, [&](const unsigned char* p) { visited.push_back(p); });
        ASSERT_EQ(visited, expected) << "size " << size;

        size_t breaks = 0;
        for (size_t i = 0; i < size; ++i)
            if (bytes[i] == '\n' || (bytes[i] == '\r' && !(i + 1 < size && bytes[i + 1] == '\n')))
                ++breaks;  // "\r\n" counts at its "\n"
        ASSERT_EQ(ByteSearch::CountLineBreaks(begin, end), breaks) << "size " << size;

        ByteSearch::EitherScanner scanner(begin, end, '\r', '\n');
        for (const unsigned char* p = begin; p <= end; p += 1 + rng() % 5) {  // rising starts, as the splitter asks
            const unsigned char* first = Naive(p, end, '\r', '\n');
            ASSERT_EQ(scanner.Next(p), first) << "size " << size << " from " << (p - begin);
            if (first == end)
                break;
        }
    }
}
