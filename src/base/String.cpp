// String and wString: buffer management, comparisons, concatenation and formatting.
#include "base/String.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

template <typename T> T FoldCase(T c) { return (c >= 'A' && c <= 'Z') ? T(c - 'A' + 'a') : c; }
template <typename T> T UpperCase(T c) { return (c >= 'a' && c <= 'z') ? T(c - 'a' + 'A') : c; }

template <typename T> using UnsignedUnit = std::make_unsigned_t<T>;

}  // namespace

template <typename T> int32_t StringBase<T>::ArrayLength(const T* text)
{
    return text ? static_cast<int32_t>(std::char_traits<T>::length(text)) : 0;  // strlen for 8-bit text
}

template <typename T> int StringBase<T>::Compare(const T* a, const T* b)
{
    return CompareN(a, b, INT32_MAX);
}

template <typename T> int StringBase<T>::CompareNoCase(const T* a, const T* b)
{
    return CompareNNoCase(a, b, INT32_MAX);
}

template <typename T> int StringBase<T>::CompareN(const T* a, const T* b, int32_t n)
{
    for (int32_t i = 0; i < n; ++i) {
        auto ca = UnsignedUnit<T>(a[i]), cb = UnsignedUnit<T>(b[i]);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            break;
    }
    return 0;
}

template <typename T> int StringBase<T>::CompareNNoCase(const T* a, const T* b, int32_t n)
{
    for (int32_t i = 0; i < n; ++i) {
        auto ca = UnsignedUnit<T>(FoldCase(a[i])), cb = UnsignedUnit<T>(FoldCase(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            break;
    }
    return 0;
}

template <typename T> void StringBase<T>::CopySized(T* dest, int32_t destSize, const T* src)
{
    if (!dest || destSize <= 0)
        return;
    int32_t i = 0;
    if (src)
        for (; i < destSize - 1 && src[i]; ++i)
            dest[i] = src[i];
    dest[i] = 0;
}

template <typename T> const T* StringBase<T>::FindIn(const T* haystack, const T* needle)
{
    if (!haystack || !needle)
        return nullptr;
    int32_t n = ArrayLength(needle);
    for (const T* p = haystack;; ++p) {
        if (CompareN(p, needle, n) == 0)
            return p;
        if (!*p)
            return nullptr;
    }
}

template <typename T> void StringBase<T>::Alloc(int32_t n)
{
    Release();
    if (n < 0)
        return;
    m_Buffer = new T[size_t(n) + 1]();  // room reads as empty text, never as stale units
    m_Length = n;
}

template <typename T> void StringBase<T>::Resize(int32_t n)
{
    if (n == m_Length && m_Buffer)
        return;
    if (n < 1) {
        Release();
        return;
    }
    T* buffer = new T[size_t(n) + 1]();
    int32_t keep = std::min(n, m_Length);
    if (m_Buffer)
        std::copy(m_Buffer, m_Buffer + keep, buffer);
    buffer[keep] = 0;  // growing: the text ends at the old end
    buffer[n] = 0;
    delete[] m_Buffer;
    m_Buffer = buffer;
    m_Length = n;
}

template <typename T> T* StringBase<T>::Reserve(int32_t n)
{
    if (!m_Buffer) {
        if (n >= 0) {
            Alloc(n);
        }
    } else if (n > m_Length) {
        Resize(n);
    }
    return m_Buffer;
}

template <typename T> void StringBase<T>::ToUpper()
{
    if (m_Buffer)
        for (int32_t i = 0; i < m_Length && m_Buffer[i]; ++i)
            m_Buffer[i] = UpperCase(m_Buffer[i]);
}

template <typename T> void StringBase<T>::ToLower()
{
    if (m_Buffer)
        for (int32_t i = 0; i < m_Length && m_Buffer[i]; ++i)
            m_Buffer[i] = FoldCase(m_Buffer[i]);
}

template <typename T> void StringBase<T>::Insert(const T* text, int32_t position)
{
    int32_t count = ArrayLength(text);
    if (count == 0)
        return;
    if (m_Buffer && text >= m_Buffer && text <= m_Buffer + m_Length) {  // our own text: the resize frees it
        StringBase copy;
        copy.AppendUnits(text, count);
        Insert(copy.m_Buffer, position);
        return;
    }
    position = std::max(position, 0);
    if (position > m_Length) {
        int32_t oldLength = m_Length;
        Resize(position);
        std::fill(m_Buffer + oldLength, m_Buffer + position, T(' '));  // the gap holds spaces
    }
    T* buffer = new T[size_t(m_Length) + count + 1];
    if (m_Buffer)
        std::copy(m_Buffer, m_Buffer + position, buffer);
    std::copy(text, text + count, buffer + position);
    if (m_Buffer)
        std::copy(m_Buffer + position, m_Buffer + m_Length, buffer + position + count);
    m_Length += count;
    buffer[m_Length] = 0;
    delete[] m_Buffer;
    m_Buffer = buffer;
}

template <typename T> bool StringBase<T>::Replace(int32_t position, int32_t count, const T* text)
{
    position = std::clamp(position, 0, m_Length);
    count = std::clamp(count, 0, m_Length - position);
    int32_t insert = ArrayLength(text);
    int32_t length = m_Length - count + insert;
    T* buffer = new T[size_t(length) + 1];
    if (m_Buffer)
        std::copy(m_Buffer, m_Buffer + position, buffer);
    if (insert)
        std::copy(text, text + insert, buffer + position);
    if (m_Buffer)
        std::copy(m_Buffer + position + count, m_Buffer + m_Length, buffer + position + insert);
    buffer[length] = 0;
    delete[] m_Buffer;
    m_Buffer = buffer;
    m_Length = length;
    return true;
}

template <typename T> bool StringBase<T>::StartsWith(const T* text) const
{
    int32_t n = ArrayLength(text);
    return n <= m_Length && CompareN(c_str(), text ? text : EmptyText<T>::value, n) == 0;
}

template <typename T> bool StringBase<T>::StartsWithNoCase(const T* text) const
{
    int32_t n = ArrayLength(text);
    return n <= m_Length && CompareNNoCase(c_str(), text ? text : EmptyText<T>::value, n) == 0;
}

template <typename T> bool StringBase<T>::EndsWith(const T* text) const
{
    int32_t n = ArrayLength(text);
    int32_t length = TextLength();
    return n <= length && Compare(c_str() + (length - n), text ? text : EmptyText<T>::value) == 0;
}

template <typename T> int32_t StringBase<T>::Find(const T* text, int32_t start) const
{
    if (!text || !m_Buffer || start < 0 || start >= m_Length)
        return -1;
    int32_t n = ArrayLength(text);
    int32_t length = TextLength();
    for (int32_t i = start; i + n <= length; ++i)
        if (CompareNNoCase(m_Buffer + i, text, n) == 0)
            return i;
    return -1;
}

template <typename T> void StringBase<T>::SetBuffer(T* units, int32_t count)
{
    if (units == m_Buffer)
        return;
    Alloc(std::max(count, 0));
    if (units && count > 0)
        std::copy(units, units + count, m_Buffer);
    m_Buffer[std::max(count, 0)] = 0;
    delete[] units;
}

template <typename T> void StringBase<T>::Assign(const T* text)
{
    if (text == m_Buffer && text)
        return;
    int32_t n = ArrayLength(text);
    if (n == 0) {
        Release();
        return;
    }
    T* buffer = new T[size_t(n) + 1];
    std::copy(text, text + n + 1, buffer);  // text may live inside the old buffer
    delete[] m_Buffer;
    m_Buffer = buffer;
    m_Length = n;
}

template <typename T> void StringBase<T>::AssignConstruct(const T* text)
{
    if (!text)
        return;
    int32_t n = ArrayLength(text);
    Alloc(n);
    std::copy(text, text + n + 1, m_Buffer);
}

template <typename T> void StringBase<T>::CopyFrom(const StringBase& other)
{
    if (&other == this || (m_Buffer && m_Buffer == other.m_Buffer))
        return;
    if (!other.m_Buffer) {
        Release();
        return;
    }
    T* buffer = new T[size_t(other.m_Length) + 1];
    std::copy(other.m_Buffer, other.m_Buffer + other.m_Length + 1, buffer);
    delete[] m_Buffer;
    m_Buffer = buffer;
    m_Length = other.m_Length;
}

template <typename T> void StringBase<T>::Append(const T* text)
{
    AppendUnits(text, ArrayLength(text));
}

template <typename T> void StringBase<T>::AppendUnits(const T* text, int32_t count)
{
    if (count <= 0)
        return;
    // The old text, the new units and the terminator go straight into the new buffer (text may
    // point into the old one, which is freed only afterwards).
    int32_t old = TextLength();
    T* buffer = new T[size_t(old) + count + 1];
    if (old > 0)
        std::copy(m_Buffer, m_Buffer + old, buffer);
    std::copy(text, text + count, buffer + old);
    buffer[old + count] = 0;
    delete[] m_Buffer;
    m_Buffer = buffer;
    m_Length = old + count;
}

template class StringBase<char>;
template class StringBase<char16_t>;

// ---- String ----

String::String(const char* text, int32_t count)
{
    if (!text || count < 0)
        return;
    Alloc(count);
    std::copy(text, text + count, m_Buffer);
    m_Buffer[count] = 0;
}

String::String(const char16_t* text)
{
    if (!text)
        return;
    int32_t n = wString::ArrayLength(text);
    Alloc(n);
    for (int32_t i = 0; i <= n; ++i)
        m_Buffer[i] = text[i] < 256 ? char(text[i]) : ' ';
}

String::String(const wString& text) : String(text.GetBuffer() ? text.c_str() : nullptr) {}

String& String::operator=(const char* text)
{
    Assign(text);
    return *this;
}

String String::operator+(const String& other) const { return Concat(other.c_str()); }

String String::Concat(const char* text) const
{
    String result(*this);
    result.Append(text);
    return result;
}

String& String::operator+=(char c)
{
    AppendUnits(&c, 1);
    return *this;
}

const char* String::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
    return c_str();
}

const char* String::FormatV(const char* format, va_list args)
{
    char buffer[kFormatLimit + 2];
    int written = std::vsnprintf(buffer, kFormatLimit + 1, format ? format : "", args);
    if (written < 0)
        written = 0;
    written = std::min(written, kFormatLimit);  // longer output is cut to fit
    buffer[written] = 0;
    Alloc(written);
    std::copy(buffer, buffer + written + 1, m_Buffer);
    if (written == 0)
        Release();
    return c_str();
}

String String::SubString(int32_t position, int32_t count) const
{
    int32_t length = TextLength();
    position = std::clamp(position, 0, length);
    if (count < 0 || count > length - position)
        count = length - position;
    return String(c_str() + position, count);
}

int String::ParseFloatList(float* values, int32_t count) const
{
    if (!m_Buffer)
        return 0;
    if (count <= 0)
        return 1;
    const int32_t length = TextLength();
    std::string field;
    field.reserve(size_t(length) + 1);
    int32_t position = 0;
    for (int32_t n = 0; n < count; n++) {
        if (position >= length)
            return 0;  // fewer values than asked for
        field.clear();
        while (position < length && m_Buffer[position] != ',')
            field += m_Buffer[position++];
        if (position < length)
            position++;  // the comma
        if (field.empty())
            return 0;  // two adjacent commas
        values[n] = float(std::strtod(field.c_str(), nullptr));  // 0 when nothing converts
    }
    return 1;
}

// ---- wString ----

wString::wString(const char* text)
{
    if (!text)
        return;
    int32_t n = String::ArrayLength(text);
    Alloc(n);
    for (int32_t i = 0; i <= n; ++i)
        m_Buffer[i] = char16_t(static_cast<unsigned char>(text[i]));
}

wString& wString::operator=(const wString& other)
{
    CopyFrom(other);
    return *this;
}

wString& wString::operator=(wString&& other) noexcept
{
    TakeFrom(other);
    return *this;
}

wString& wString::operator=(const char16_t* text)
{
    StringBase::Assign(text);
    return *this;
}

wString& wString::operator=(const char* text)
{
    wString wide(text);
    if (wide.IsEmpty())
        Release();
    else
        *this = std::move(wide);
    return *this;
}

void wString::Assign(const String& text) { *this = text.c_str(); }

wString wString::operator+(const wString& other) const
{
    wString result(*this);
    result.Append(other.c_str());
    return result;
}

wString wString::operator+(const char* text) const { return *this + wString(text); }

wString& wString::operator+=(const char* text)
{
    wString wide(text);
    Append(wide.c_str());
    return *this;
}

wString& wString::operator+=(char16_t c)
{
    AppendUnits(&c, 1);
    return *this;
}

namespace {

// Appends formatted output to a bounded unit buffer; what does not fit is cut.
struct WideSink {
    char16_t* out;
    int32_t limit;
    int32_t used = 0;
    int32_t wanted = 0;  // what the whole output would take
    void Put(char16_t c)
    {
        wanted++;
        if (used < limit)
            out[used++] = c;
    }
    void PutNarrow(const char* s, int32_t n)
    {
        for (int32_t i = 0; i < n; ++i)
            Put(char16_t(static_cast<unsigned char>(s[i])));
    }
};

template <typename U> void PutPadded(WideSink& sink, const U* text, int32_t width, int32_t precision, bool left)
{
    int32_t n = 0;
    while (text[n] && (precision < 0 || n < precision))
        ++n;
    int32_t pad = std::max(0, width - n);
    if (!left)
        for (int32_t i = 0; i < pad; ++i)
            sink.Put(u' ');
    for (int32_t i = 0; i < n; ++i)
        sink.Put(char16_t(std::make_unsigned_t<U>(text[i])));
    if (left)
        for (int32_t i = 0; i < pad; ++i)
            sink.Put(u' ');
}

}  // namespace

const char16_t* wString::Format(const char16_t* format, ...)
{
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
    return c_str();
}

// printf over 16-bit units: the conversion spec is copied to an 8-bit spec for numbers, and
// texts and characters are copied unit by unit (Windows' wide printf: %s wide, %S narrow).
const char16_t* wString::FormatV(const char16_t* format, va_list args)
{
    char16_t buffer[kFormatLimit + 1];
    const int32_t used = std::min(FormatInto(buffer, kFormatLimit + 1, format, args), kFormatLimit);
    if (used == 0) {
        Release();
    } else {
        Alloc(used);
        std::copy(buffer, buffer + used + 1, m_Buffer);
    }
    return c_str();
}

int32_t wString::FormatInto(char16_t* buffer, int32_t size, const char16_t* format, va_list args)
{
    if (!buffer || size < 1)
        return 0;
    WideSink sink{buffer, size - 1};
    const char16_t* p = format ? format : u"";
    while (*p) {
        if (*p != u'%') {
            sink.Put(*p++);
            continue;
        }
        const char16_t* start = p++;
        if (*p == u'%') {
            sink.Put(u'%');
            ++p;
            continue;
        }
        char spec[32];
        int32_t specLength = 0;
        spec[specLength++] = '%';
        bool left = false;
        int32_t width = -1, precision = -1;
        while (*p == u'-' || *p == u'+' || *p == u' ' || *p == u'#' || *p == u'0') {
            left |= *p == u'-';
            if (specLength < 8)
                spec[specLength++] = char(*p);
            ++p;
        }
        if (*p == u'*') {
            int given = va_arg(args, int);  // a negative width means left-aligned
            if (given < 0 && !left && specLength < 8)
                spec[specLength++] = '-';  // numbers are padded by printf, which needs the flag
            left |= given < 0;
            width = given < 0 ? (given < -kFormatLimit ? kFormatLimit : -given) : std::min(given, kFormatLimit);
            ++p;
        } else {
            while (*p >= u'0' && *p <= u'9') {
                width = std::max(width, 0) * 10 + (*p - u'0');
                width = std::min(width, kFormatLimit);
                ++p;
            }
        }
        if (*p == u'.') {
            ++p;
            precision = 0;
            if (*p == u'*') {
                precision = std::min(va_arg(args, int), kFormatLimit);  // negative: as if none
                if (precision < 0)
                    precision = -1;
                ++p;
            } else {
                while (*p >= u'0' && *p <= u'9') {
                    precision = precision * 10 + (*p - u'0');
                    precision = std::min(precision, kFormatLimit);
                    ++p;
                }
            }
        }
        int longs = 0, halves = 0;
        bool i64 = false;
        for (;; ++p) {
            if (*p == u'l') ++longs;
            else if (*p == u'h') ++halves;
            else if (*p == u'z' || *p == u'j' || *p == u't') longs = 2;
            else if (p[0] == u'I' && p[1] == u'6' && p[2] == u'4') { i64 = true; p += 2; }
            else break;
        }
        char16_t conversion = *p;
        if (!conversion)
            break;
        ++p;
        char out[kFormatLimit + 1];  // a width up to the limit fits whole
        int n = 0;
        if (width >= 0)
            specLength += std::snprintf(spec + specLength, sizeof spec - specLength, "%d", width);
        if (precision >= 0)
            specLength += std::snprintf(spec + specLength, sizeof spec - specLength, ".%d", precision);
        switch (conversion) {
        case u's':
            if (halves > 0) {
                const char* s = va_arg(args, const char*);
                PutPadded(sink, s ? s : "(null)", width, precision, left);
            } else {
                const char16_t* s = va_arg(args, const char16_t*);
                PutPadded(sink, s ? s : u"(null)", width, precision, left);
            }
            break;
        case u'S': {
            const char* s = va_arg(args, const char*);
            PutPadded(sink, s ? s : "(null)", width, precision, left);
            break;
        }
        case u'c':
        case u'C': {
            char16_t c[2] = {char16_t(va_arg(args, int)), 0};
            PutPadded(sink, c, width, -1, left);
            break;
        }
        case u'd': case u'i': case u'u': case u'x': case u'X': case u'o': {
            spec[specLength++] = 'l';
            spec[specLength++] = 'l';
            spec[specLength++] = char(conversion);
            spec[specLength] = 0;
            bool isSigned = conversion == u'd' || conversion == u'i';
            if (i64 || longs >= 2)
                n = isSigned ? std::snprintf(out, sizeof out, spec, va_arg(args, long long))
                             : std::snprintf(out, sizeof out, spec, va_arg(args, unsigned long long));
            else if (longs == 1)
                n = isSigned ? std::snprintf(out, sizeof out, spec, (long long)va_arg(args, long))
                             : std::snprintf(out, sizeof out, spec, (unsigned long long)va_arg(args, unsigned long));
            else if (halves == 1)  // narrowed as the C library does: %hd of 70000 is 4464
                n = isSigned ? std::snprintf(out, sizeof out, spec, (long long)(short)va_arg(args, int))
                             : std::snprintf(out, sizeof out, spec, (unsigned long long)(unsigned short)va_arg(args, unsigned));
            else if (halves >= 2)
                n = isSigned ? std::snprintf(out, sizeof out, spec, (long long)(signed char)va_arg(args, int))
                             : std::snprintf(out, sizeof out, spec, (unsigned long long)(unsigned char)va_arg(args, unsigned));
            else
                n = isSigned ? std::snprintf(out, sizeof out, spec, (long long)va_arg(args, int))
                             : std::snprintf(out, sizeof out, spec, (unsigned long long)va_arg(args, unsigned));
            break;
        }
        case u'f': case u'F': case u'e': case u'E': case u'g': case u'G': case u'a': case u'A':
            spec[specLength++] = char(conversion);
            spec[specLength] = 0;
            n = std::snprintf(out, sizeof out, spec, va_arg(args, double));
            break;
        case u'p':
            n = std::snprintf(out, sizeof out, "%p", va_arg(args, void*));
            break;
        default:  // unknown conversion: keep the text as written
            for (const char16_t* q = start; q < p; ++q)
                sink.Put(*q);
            break;
        }
        sink.PutNarrow(out, std::clamp(n, 0, int(sizeof out) - 1));
    }
    buffer[sink.used] = 0;
    return sink.wanted;
}

const char16_t* wString::FormatNarrow(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    String narrow;
    narrow.FormatV(format, args);
    va_end(args);
    *this = narrow.c_str();
    return c_str();
}
