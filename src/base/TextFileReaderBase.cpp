// TextFileReaderBase: the constants link, the reload test, line splitting and number runs.
#include "base/TextFileReaderBase.h"

#include "base/ByteSearch.h"
#include "base/ConstantTable.h"
#include "base/File.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

bool IsBreak(unsigned char c) { return c == '\r' || c == '\n'; }

// What the line splitter skips after a break: control characters other than the tab and breaks.
bool IsSkippedControl(unsigned char c) { return c < 32 && c != '\t' && !IsBreak(c); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsConstantChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c) || c == '_' || c == '.' || c == '+' ||
           c == '-';
}

}  // namespace

// ---- TextLines ----

int32_t TextLines::Split(const char* text, int32_t size)
{
    Clear();
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    const unsigned char* end = bytes + size;
    // Every break starts a line. Only a text of more bytes than kMaxLines can hold too many; the
    // others reserve a line per sixteen bytes, which most lines pass, and grow past that.
    size_t count = size_t(size) / 16 + 16;
    if (int64_t(size) + 1 > kMaxLines) {
        count = ByteSearch::CountLineBreaks(bytes, end) + 1;
        if (count > size_t(kMaxLines))
            return 3;
    }
    starts.reserve(count);
    lengths.reserve(count);

    // The breaks come from bit masks of 64 bytes at a time. A line ends at every "\r" and at every
    // "\n" that does not complete a "\r\n"; the next line starts after that break, past any
    // control characters other than the tab. A break that meets a break makes an empty line, which
    // starts and ends at the second one. Only the masks lead from one line to the next.
    int32_t start = 0;
    uint64_t returnCarry = 0;  // a "\r" as the last byte of the previous window
    for (int32_t window = 0; window < size; window += 64) {
        const uint64_t returns = ByteSearch::MarkBytes(bytes + window, end, '\r');
        const uint64_t feeds = ByteSearch::MarkBytes(bytes + window, end, '\n');
        const uint64_t feedAfter = size - window > 64 && bytes[window + 64] == '\n';  // first of the next window
        const uint64_t pairs = returns & ((feeds >> 1) | (feedAfter << 63));  // the "\r" of each "\r\n"
        uint64_t ends = (returns | feeds) & ~(feeds & ((returns << 1) | returnCarry));
        returnCarry = returns >> 63;
        for (; ends; ends &= ends - 1) {
            const int bit = std::countr_zero(ends);
            const int32_t at = window + bit;
            if (at - start > kMaxLineLength) {
                Clear();
                return 4;
            }
            starts.push_back(start);
            lengths.push_back(at - start);
            start = at + 1 + int32_t((pairs >> bit) & 1);
            while (start < size && IsSkippedControl(bytes[start]))
                ++start;
        }
        if (size - window <= 64)
            break;
    }
    starts.push_back(start);  // the last line; empty at the text's end when a break ends the text
    lengths.push_back(size - start);
    return 0;
}

int32_t TextLines::LineOfOffset(int32_t offset) const
{
    auto it = std::upper_bound(starts.begin(), starts.end(), offset);
    return it == starts.begin() ? 0 : int32_t(it - starts.begin()) - 1;
}

void TextLines::Clear()
{
    starts.clear();
    lengths.clear();
}

// ---- TextFileReaderBase ----

TextFileReaderBase::TextFileReaderBase() { CopyName32(this, "Undefined"); }

TextFileReaderBase::~TextFileReaderBase() = default;

void TextFileReaderBase::SetConstantTable(ConstantTable* table)
{
    if (table == m_ConstantTable)
        return;
    m_ConstantTable = table;
    m_ConstantStamp = table ? table->GetChangeCount() : -1;
}

void TextFileReaderBase::TakeConstantStamp() { m_ConstantStamp = m_ConstantTable ? m_ConstantTable->GetChangeCount() : -1; }

bool TextFileReaderBase::NeedsReload()
{
    if (!m_Loaded)
        return true;
    if (m_ConstantTable && m_ConstantTable->GetChangeCount() != m_ConstantStamp)
        return true;
    File file;
    if (!file.Open(m_FileName, true, 0, false))
        return false;
    return FileTimeOf(file) != m_FileTime;
}

int32_t TextFileReaderBase::FileTimeOf(const File& file)
{
    if (file.GetCompression() != 0)
        return -1;  // unpacked from the container: no plain file on disk
    return int32_t(File::GetModTime(file.GetFileName()));
}

int64_t TextFileReaderBase::TruncToInt64(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= 9223372036854775807.0)
        return std::numeric_limits<int64_t>::max();
    if (v <= -9223372036854775808.0)
        return std::numeric_limits<int64_t>::min();
    return int64_t(v);
}

int32_t TextFileReaderBase::TruncToInt32(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    if (v <= -2147483648.0)
        return std::numeric_limits<int32_t>::min();
    return int32_t(v);
}

float TextFileReaderBase::ToFloat(double v)
{
    // From half a step past the largest float on, the hardware rounds to infinity.
    constexpr double kOverflow = double(FLT_MAX) + 10141204801825835211973625643008.0;  // + 2^103
    if (std::isfinite(v) && std::fabs(v) >= kOverflow)
        return v > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
    return float(v);
}

bool TextFileReaderBase::IsNumberChar(char c) { return IsDigit(c) || c == '.' || c == 'e' || c == '+' || c == '-'; }

double TextFileReaderBase::ConvertDecimal(const char* text, const char* end, const char** stop)
{
    // Scan the decimal syntax first, so that the conversion below never sees anything else.
    const char* p = text;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-'))
        negative = *p++ == '-';
    const char* mantissa = p;
    int32_t intDigits = 0, fracDigits = 0;
    while (p < end && IsDigit(*p))
        ++p, ++intDigits;
    if (p < end && *p == '.') {
        ++p;
        while (p < end && IsDigit(*p))
            ++p, ++fracDigits;
    }
    if (intDigits + fracDigits == 0) {
        if (stop)
            *stop = text;
        return 0.0;
    }
    int64_t exponent = 0;
    if (p < end && (*p == 'e' || *p == 'E')) {
        const char* q = p + 1;
        bool expNegative = false;
        if (q < end && (*q == '+' || *q == '-'))
            expNegative = *q++ == '-';
        if (q < end && IsDigit(*q)) {
            while (q < end && IsDigit(*q)) {
                exponent = std::min<int64_t>(exponent * 10 + (*q - '0'), 1000000000);
                ++q;
            }
            if (expNegative)
                exponent = -exponent;
            p = q;
        }
    }
    if (stop)
        *stop = p;

    double value = 0.0;
    auto [ptr, ec] = std::from_chars(mantissa, p, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // Overflow or underflow: tell them apart by the decimal magnitude.
        const char* d = mantissa;
        int64_t magnitude = 0;
        int32_t leadingIntZeros = 0;
        while (d < p && *d == '0')
            ++d, ++leadingIntZeros;
        if (intDigits - leadingIntZeros > 0) {
            magnitude = intDigits - leadingIntZeros;
        } else {
            d = mantissa + intDigits + 1;
            while (d < p && *d == '0')
                ++d, --magnitude;
        }
        value = magnitude + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (ec != std::errc() || ptr != p) {
        value = 0.0;
    }
    return negative ? -value : value;
}

double TextFileReaderBase::ConvertDecimal(const char* text)
{
    const char* end = text;
    while (*end)
        ++end;
    return ConvertDecimal(text, end);
}

double TextFileReaderBase::ReadNumberAt(const char* p, const char* end)
{
    if (p >= end)
        return 0.0;
    if (IsNumberChar(*p)) {
        const char* runEnd = p;
        while (runEnd < end && runEnd - p < kMaxTokenLength && IsNumberChar(*runEnd))
            ++runEnd;
        return ConvertDecimal(p, runEnd);
    }
    char name[kMaxTokenLength + 1];
    int32_t n = 0;
    name[n++] = *p++;
    while (p < end && n < kMaxTokenLength && IsConstantChar(*p))
        name[n++] = *p++;
    name[n] = 0;
    return ResolveConstant(name);
}

double TextFileReaderBase::ResolveConstant(const char* name)
{
    if (!m_ConstantTable)
        return 0.0;
    double value = 0.0;
    if (m_ConstantTable->Lookup(name, value))
        return value;
    Warning("Unrecognized constant: %s (file '%s')", name, m_FileName.c_str());
    return 0.0;
}
