// Utf8: a strict decoder and encoder (the shortest form only, as RFC 3629 demands).
#include "base/Utf8.h"

#include <cstdint>
#include <string>

namespace Utf8 {
namespace {

constexpr size_t kMaxUnits = 0x7FFFFFFE;  // a string's length is a signed 32-bit value

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

bool ToUtf16(const char* text, size_t length, wString& out)
{
    std::u16string units;
    units.reserve(length);
    const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
    size_t i = 0;
    while (i < length) {
        unsigned char c = s[i];
        uint32_t cp;
        size_t extra;
        uint32_t least;  // smallest value of this sequence length: smaller ones are overlong
        if (c < 0x80) {
            cp = c;
            extra = 0;
            least = 0;
        } else if (c >= 0xC2 && c <= 0xDF) {
            cp = c & 0x1F;
            extra = 1;
            least = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            cp = c & 0x0F;
            extra = 2;
            least = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            cp = c & 0x07;
            extra = 3;
            least = 0x10000;
        } else {
            return false;  // a continuation byte out of place, C0/C1, or F5 and above
        }
        if (length - i - 1 < extra)
            return false;
        for (size_t k = 1; k <= extra; ++k) {
            if (!IsContinuation(s[i + k]))
                return false;
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            units.push_back(char16_t(0xD800 + (cp >> 10)));
            units.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            units.push_back(char16_t(cp));
        }
        i += extra + 1;
    }
    if (units.size() > kMaxUnits)
        return false;
    out.Alloc(int32_t(units.size()));
    units.copy(out.GetBuffer(), units.size());
    out.GetBuffer()[units.size()] = 0;
    return true;
}

bool ToUtf16(const char* text, wString& out)
{
    return ToUtf16(text ? text : "", text ? std::char_traits<char>::length(text) : 0, out);
}

bool FromUtf16(const char16_t* text, size_t length, String& out)
{
    std::string bytes;
    bytes.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        uint32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            if (i + 1 >= length || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF)
                return false;
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
            return false;
        }
        if (cp < 0x80) {
            bytes.push_back(char(cp));
        } else if (cp < 0x800) {
            bytes.push_back(char(0xC0 | (cp >> 6)));
            bytes.push_back(char(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            bytes.push_back(char(0xE0 | (cp >> 12)));
            bytes.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            bytes.push_back(char(0x80 | (cp & 0x3F)));
        } else {
            bytes.push_back(char(0xF0 | (cp >> 18)));
            bytes.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
            bytes.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            bytes.push_back(char(0x80 | (cp & 0x3F)));
        }
    }
    if (bytes.size() > kMaxUnits)
        return false;
    out.Alloc(int32_t(bytes.size()));
    bytes.copy(out.GetBuffer(), bytes.size());
    out.GetBuffer()[bytes.size()] = 0;
    return true;
}

bool FromUtf16(const char16_t* text, String& out)
{
    return FromUtf16(text ? text : u"", text ? std::char_traits<char16_t>::length(text) : 0, out);
}

}  // namespace Utf8
