// LzmaMessageEncoder: the LZMA model, the range coder and a greedy parse for short inputs.
//
// liblzma spends most of a short message on re-initialising its match finder (half a megabyte of
// hash table) and on coding each bit through its queue of pending symbols. Here the hash table is
// kept between messages and tells old entries by the position base they were made with, bits are
// coded at once, and the parse takes at each place the longer of the repeated last distance and
// the best of a few earlier places with the same three bytes, else a literal.
#include "base/LzmaMessageEncoder.h"

#include "base/ByteReader.h"
#include "base/LzmaCoder.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace {

constexpr int32_t kLiteralContextBits = 3;
constexpr int32_t kPositionBits = 2;
constexpr uint8_t kProperties = (kPositionBits * 5 + 0) * 9 + kLiteralContextBits;  // 0x5D
constexpr uint32_t kPositionStates = 1 << kPositionBits;
constexpr uint32_t kMinDictionary = 4096;  // the least a decoder accepts

constexpr uint32_t kStates = 12;
constexpr uint32_t kMinMatch = 2;
constexpr uint32_t kMaxMatch = 273;
constexpr uint32_t kEndPositionModel = 14;   // distance slots below it code their low bits by model
constexpr uint32_t kFullDistances = 128;
constexpr uint32_t kAlignBits = 4;
constexpr uint32_t kProbabilityBits = 11;
constexpr uint16_t kProbabilityHalf = 1 << (kProbabilityBits - 1);
constexpr uint32_t kMoveBits = 5;
constexpr uint32_t kTop = 1u << 24;

// Search: candidates per place and the length that ends the search at once.
constexpr int32_t kSearchDepth = 8;
constexpr uint32_t kGoodEnough = 32;
constexpr int32_t kHashBits = 14;

struct LengthModel {
    uint16_t choice;
    uint16_t choice2;
    uint16_t low[kPositionStates][8];
    uint16_t mid[kPositionStates][8];
    uint16_t high[256];
};

// Every probability of the coder, all starting at one half.
struct Model {
    uint16_t isMatch[kStates][kPositionStates];
    uint16_t isRep[kStates];
    uint16_t isRepG0[kStates];
    uint16_t isRep0Long[kStates][kPositionStates];
    uint16_t distanceSlot[4][64];
    uint16_t distanceSpecial[kFullDistances - kEndPositionModel];
    uint16_t align[1 << kAlignBits];
    LengthModel length;
    uint16_t literal[1 << kLiteralContextBits][0x300];
    LengthModel repLength;
};

class RangeCoder {
public:
    explicit RangeCoder(std::vector<uint8_t>& out) : m_Out(out) {}

    void Bit(uint16_t& probability, uint32_t bit)
    {
        const uint32_t bound = (m_Range >> kProbabilityBits) * probability;
        if (bit) {
            m_Low += bound;
            m_Range -= bound;
            probability = uint16_t(probability - (probability >> kMoveBits));
        } else {
            m_Range = bound;
            probability = uint16_t(probability + (((1u << kProbabilityBits) - probability) >> kMoveBits));
        }
        if (m_Range < kTop) {
            m_Range <<= 8;
            ShiftLow();
        }
    }

    // count bits of value, highest first, through a tree of probabilities from probabilities[1]
    void Tree(uint16_t* probabilities, int32_t count, uint32_t value)
    {
        uint32_t m = 1;
        while (count-- > 0) {
            const uint32_t bit = (value >> count) & 1;
            Bit(probabilities[m], bit);
            m = (m << 1) | bit;
        }
    }

    // The same, lowest bit first.
    void ReverseTree(uint16_t* probabilities, int32_t count, uint32_t value)
    {
        uint32_t m = 1;
        while (count-- > 0) {
            const uint32_t bit = value & 1;
            value >>= 1;
            Bit(probabilities[m], bit);
            m = (m << 1) | bit;
        }
    }

    void Direct(uint32_t value, int32_t count)
    {
        while (count-- > 0) {
            m_Range >>= 1;
            m_Low += m_Range & (0u - ((value >> count) & 1));
            if (m_Range < kTop) {
                m_Range <<= 8;
                ShiftLow();
            }
        }
    }

    void Flush()
    {
        for (int i = 0; i < 5; i++)
            ShiftLow();
    }

private:
    // The top byte of low goes out once no carry can reach it; a run of 0xFF bytes waits with it.
    void ShiftLow()
    {
        if (uint32_t(m_Low) < 0xFF000000u || (m_Low >> 32) != 0) {
            const uint8_t carry = uint8_t(m_Low >> 32);
            uint8_t byte = m_Cache;
            do {
                m_Out.push_back(uint8_t(byte + carry));
                byte = 0xFF;
            } while (--m_CacheSize != 0);
            m_Cache = uint8_t(uint32_t(m_Low) >> 24);
        }
        m_CacheSize++;
        m_Low = (m_Low & 0x00FFFFFFu) << 8;
    }

    std::vector<uint8_t>& m_Out;
    uint64_t m_Low = 0;
    uint32_t m_Range = 0xFFFFFFFFu;
    uint8_t m_Cache = 0;
    uint64_t m_CacheSize = 1;
};

uint32_t DistanceSlot(uint32_t distance)
{
    if (distance < 4)
        return distance;
    const uint32_t top = 31 - uint32_t(__builtin_clz(distance));
    return (top << 1) | ((distance >> (top - 1)) & 1);
}

uint32_t NextState(uint32_t state, bool literal, bool rep)
{
    if (literal)
        return state < 4 ? 0 : state < 10 ? state - 3 : state - 6;
    if (rep)
        return state < 7 ? 8 : 11;
    return state < 7 ? 7 : 10;
}

uint32_t MatchLength(const uint8_t* a, const uint8_t* b, uint32_t limit)
{
    uint32_t n = 0;
    while (n < limit && a[n] == b[n])
        n++;
    return n;
}

// The model, the output room and the match finder of one thread, kept between messages. The
// hash table holds positions plus the base of the message they were made in: one of an earlier
// message is below the current base and so no candidate.
class MessageEncoder {
public:
    void Encode(const uint8_t* data, uint32_t length, std::vector<uint8_t>& out);

private:
    void EncodeLength(RangeCoder& coder, LengthModel& model, uint32_t length, uint32_t posState)
    {
        const uint32_t symbol = length - kMinMatch;
        if (symbol < 8) {
            coder.Bit(model.choice, 0);
            coder.Tree(model.low[posState], 3, symbol);
        } else if (symbol < 16) {
            coder.Bit(model.choice, 1);
            coder.Bit(model.choice2, 0);
            coder.Tree(model.mid[posState], 3, symbol - 8);
        } else {
            coder.Bit(model.choice, 1);
            coder.Bit(model.choice2, 1);
            coder.Tree(model.high, 8, symbol - 16);
        }
    }

    void EncodeDistance(RangeCoder& coder, uint32_t distance, uint32_t length)
    {
        const uint32_t slot = DistanceSlot(distance);
        coder.Tree(m_Model.distanceSlot[std::min(length - kMinMatch, 3u)], 6, slot);
        if (slot < 4)
            return;
        const int32_t footerBits = int32_t(slot >> 1) - 1;
        const uint32_t base = (2 | (slot & 1)) << footerBits;
        const uint32_t reduced = distance - base;
        if (slot < kEndPositionModel) {
            coder.ReverseTree(m_Model.distanceSpecial + base - slot - 1, footerBits, reduced);
        } else {
            coder.Direct(reduced >> kAlignBits, footerBits - int32_t(kAlignBits));
            coder.ReverseTree(m_Model.align, kAlignBits, reduced & ((1u << kAlignBits) - 1));
        }
    }

    Model m_Model;
    uint32_t m_Head[1 << kHashBits] = {};
    std::unique_ptr<uint32_t[]> m_Chain{new uint32_t[LzmaMessageEncoder::kMaxMessage]};
    uint32_t m_Base = 1;  // 0 marks an empty hash entry
};

uint32_t Hash3(const uint8_t* p)
{
    const uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
    return (v * 2654435761u) >> (32 - kHashBits);
}

void MessageEncoder::Encode(const uint8_t* data, uint32_t length, std::vector<uint8_t>& out)
{
    std::fill_n(reinterpret_cast<uint16_t*>(&m_Model), sizeof m_Model / sizeof(uint16_t), kProbabilityHalf);
    if (m_Base > 0xFFFFFFFFu - 2 * LzmaMessageEncoder::kMaxMessage) {
        std::fill(std::begin(m_Head), std::end(m_Head), 0u);
        m_Base = 1;
    }
    const uint32_t base = m_Base;
    m_Base += length + 1;

    RangeCoder coder(out);
    uint32_t state = 0;
    uint32_t rep0 = 0;  // the last distance, less one; the decoder's older ones are never used
    auto insert = [&](uint32_t at) {
        if (at + 3 > length)
            return;
        uint32_t& head = m_Head[Hash3(data + at)];
        m_Chain[at] = head;
        head = base + at;
    };

    for (uint32_t pos = 0; pos < length;) {
        const uint32_t posState = pos & (kPositionStates - 1);
        const uint32_t limit = std::min(length - pos, kMaxMatch);

        uint32_t repLength = pos > rep0 ? MatchLength(data + pos, data + pos - rep0 - 1, limit) : 0;
        uint32_t bestLength = 0;
        uint32_t bestDistance = 0;
        if (repLength < kGoodEnough && pos + 3 <= length) {
            uint32_t candidate = m_Head[Hash3(data + pos)];
            for (int32_t depth = 0; depth < kSearchDepth && candidate >= base; depth++) {
                const uint32_t at = candidate - base;
                const uint32_t n = MatchLength(data + pos, data + at, limit);
                if (n > bestLength) {
                    bestLength = n;
                    bestDistance = pos - at - 1;
                    if (n >= kGoodEnough)
                        break;
                }
                candidate = m_Chain[at];
            }
        }
        insert(pos);

        uint32_t taken = 1;
        if (repLength >= kMinMatch && repLength + 1 >= bestLength) {
            coder.Bit(m_Model.isMatch[state][posState], 1);
            coder.Bit(m_Model.isRep[state], 1);
            coder.Bit(m_Model.isRepG0[state], 0);
            coder.Bit(m_Model.isRep0Long[state][posState], 1);
            EncodeLength(coder, m_Model.repLength, repLength, posState);
            state = NextState(state, false, true);
            taken = repLength;
        } else if (bestLength >= 3) {
            coder.Bit(m_Model.isMatch[state][posState], 1);
            coder.Bit(m_Model.isRep[state], 0);
            EncodeLength(coder, m_Model.length, bestLength, posState);
            EncodeDistance(coder, bestDistance, bestLength);
            rep0 = bestDistance;
            state = NextState(state, false, false);
            taken = bestLength;
        } else {
            coder.Bit(m_Model.isMatch[state][posState], 0);
            uint16_t* probabilities = m_Model.literal[pos > 0 ? data[pos - 1] >> (8 - kLiteralContextBits) : 0];
            uint32_t symbol = data[pos] | 0x100u;
            if (state < 7) {
                do {
                    coder.Bit(probabilities[symbol >> 8], (symbol >> 7) & 1);
                    symbol <<= 1;
                } while (symbol < 0x10000);
            } else {  // after a match the byte at the last distance guides the literal's bits
                uint32_t matchByte = data[pos - rep0 - 1];
                uint32_t offset = 0x100;
                do {
                    matchByte <<= 1;
                    coder.Bit(probabilities[offset + (matchByte & offset) + (symbol >> 8)], (symbol >> 7) & 1);
                    symbol <<= 1;
                    offset &= ~(matchByte ^ symbol);
                } while (symbol < 0x10000);
            }
            state = NextState(state, true, false);
        }
        for (uint32_t i = 1; i < taken; i++)
            insert(pos + i);
        pos += taken;
    }

    // The end marker: a match of the least length at the greatest distance.
    const uint32_t posState = length & (kPositionStates - 1);
    coder.Bit(m_Model.isMatch[state][posState], 1);
    coder.Bit(m_Model.isRep[state], 0);
    EncodeLength(coder, m_Model.length, kMinMatch, posState);
    EncodeDistance(coder, 0xFFFFFFFFu, kMinMatch);
    coder.Flush();
}

thread_local std::unique_ptr<MessageEncoder> t_Encoder;
thread_local std::vector<uint8_t> t_Output;

}  // namespace

uint32_t LzmaMessageEncoder::DictionarySize(uint32_t inputLength)
{
    uint32_t size = kMinDictionary;
    while (size < inputLength)
        size <<= 1;
    return size;
}

int32_t LzmaMessageEncoder::Encode(const uint8_t* input, uint32_t inputLength, std::unique_ptr<uint8_t[]>& out,
                                   uint32_t& outLength)
{
    out.reset();
    outLength = 0;
    if ((!input && inputLength > 0) || inputLength > kMaxMessage)
        return kLzmaFail;
    if (!t_Encoder)
        t_Encoder = std::make_unique<MessageEncoder>();
    std::vector<uint8_t>& buffer = t_Output;
    buffer.clear();
    buffer.reserve(kLzmaHeaderSize + inputLength + inputLength / 8 + 64);
    buffer.resize(kLzmaHeaderSize);
    buffer[0] = kProperties;
    ByteWriter::EncodeU32(buffer.data() + 1, DictionarySize(inputLength));
    ByteWriter::EncodeU32(buffer.data() + 5, inputLength);
    t_Encoder->Encode(input, inputLength, buffer);

    out.reset(new (std::nothrow) uint8_t[buffer.size()]);
    if (!out)
        return kLzmaOutOfMemory;
    std::memcpy(out.get(), buffer.data(), buffer.size());
    outLength = uint32_t(buffer.size());
    return kLzmaOk;
}
