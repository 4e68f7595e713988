// String and wString: the owning text values of the whole system, 8-bit and UTF-16.
#pragma once
#include <cstdarg>
#include <cstdint>

// The text of a null buffer: what c_str() and the concatenations use for an empty string.
template <typename T> struct EmptyText { static constexpr T value[1] = {0}; };

// Heap buffer of length + 1 units with unit [length] = 0; no buffer means empty.
// The text is the units before the first 0; after Alloc or Reserve the buffer may be room.
template <typename T> class StringBase {
public:
    using Unit = T;

    StringBase() = default;
    StringBase(const StringBase& other)
    {
        if (other.m_Buffer)
            CopyFrom(other);
    }
    StringBase(StringBase&& other) noexcept { TakeFrom(other); }
    ~StringBase() { Release(); }

    // Raw 0-terminated arrays; comparisons by unsigned unit value, case folding is ASCII only.
    static int32_t ArrayLength(const T* text);
    static int Compare(const T* a, const T* b);
    static int CompareNoCase(const T* a, const T* b);
    static int CompareN(const T* a, const T* b, int32_t n);
    static int CompareNNoCase(const T* a, const T* b, int32_t n);
    static void CopySized(T* dest, int32_t destSize, const T* src);  // always terminates when destSize > 0
    static const T* FindIn(const T* haystack, const T* needle);

    // Buffer management, sizes in units.
    void Alloc(int32_t n);
    void Resize(int32_t n);
    T* Reserve(int32_t n);
    void Release()
    {
        delete[] m_Buffer;
        m_Buffer = nullptr;
        m_Length = 0;
    }

    T* GetBuffer() const { return m_Buffer; }
    int32_t GetLength() const { return m_Length; }
    const T* c_str() const { return m_Buffer ? m_Buffer : EmptyText<T>::value; }
    bool IsEmpty() const { return !m_Buffer || m_Buffer[0] == 0; }
    int32_t TextLength() const { return m_Buffer ? ArrayLength(m_Buffer) : 0; }

    void ToUpper();
    void ToLower();

    void Insert(const T* text, int32_t position);
    bool Replace(int32_t position, int32_t count, const T* text);

    // Comparisons: a null buffer and an empty text are equal in all of them.
    bool IsEqual(const StringBase& other) const { return Compare(c_str(), other.c_str()) == 0; }
    bool EqualsNoCase(const T* text) const { return CompareNoCase(c_str(), text ? text : EmptyText<T>::value) == 0; }
    bool EqualsNoCase(const StringBase& other) const { return EqualsNoCase(other.c_str()); }
    bool StartsWith(const T* text) const;
    bool StartsWithNoCase(const T* text) const;
    bool EndsWith(const T* text) const;
    int32_t Find(const T* text, int32_t start = 0) const;  // ignoring case; -1 when absent

    bool operator==(const T* text) const { return Compare(c_str(), text ? text : EmptyText<T>::value) == 0; }
    bool operator!=(const T* text) const { return !(*this == text); }
    bool operator==(const StringBase& other) const { return IsEqual(other); }
    bool operator!=(const StringBase& other) const { return !IsEqual(other); }
    bool operator<(const StringBase& other) const { return Compare(c_str(), other.c_str()) < 0; }

    // Takes over a heap array made with new T[count + 1]: copies it and frees it.
    void SetBuffer(T* units, int32_t count);

protected:
    void Assign(const T* text);                  // null or "" frees the buffer
    void AssignConstruct(const T* text);         // "" keeps a one-unit buffer
    void CopyFrom(const StringBase& other);
    void TakeFrom(StringBase& other) noexcept  // moves the buffer over
    {
        if (this == &other)
            return;
        Release();
        m_Buffer = other.m_Buffer;
        m_Length = other.m_Length;
        other.m_Buffer = nullptr;
        other.m_Length = 0;
    }
    void Append(const T* text);
    void AppendUnits(const T* text, int32_t count);

    T* m_Buffer = nullptr;
    int32_t m_Length = 0;
};

class wString;

// 8-bit text.
class String : public StringBase<char> {
public:
    static constexpr int32_t kFormatLimit = 4094;  // characters kept by Format

    String() = default;
    String(const char* text) { AssignConstruct(text); }
    String(const char* text, int32_t count);
    String(const char16_t* text);  // units of 256 and above become spaces
    String(const wString& text);
    String(const String& other) = default;
    String(String&& other) noexcept = default;

    String& operator=(const String& other)
    {
        if (m_Buffer || other.m_Buffer)  // two empty values: nothing to do
            CopyFrom(other);
        return *this;
    }
    String& operator=(String&& other) noexcept
    {
        TakeFrom(other);
        return *this;
    }
    String& operator=(const char* text);

    String operator+(const String& other) const;
    String operator+(const char* text) const { return Concat(text); }
    String Concat(const char* text) const;
    String& operator+=(const char* text) { Append(text); return *this; }
    String& operator+=(const String& other) { Append(other.c_str()); return *this; }
    String& operator+=(char c);

    const char* Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    const char* FormatV(const char* format, va_list args);

    String SubString(int32_t position, int32_t count = -1) const;
    // count comma-separated numbers into values: 1 when all were there, 0 when the text ran out
    // or a field was empty (the values read before stay). A field that is no number gives 0;
    // what follows the last field asked for is ignored.
    int ParseFloatList(float* values, int32_t count) const;
    operator const char*() const { return c_str(); }
};

// UTF-16 text (16-bit units, not the platform's wchar_t).
class wString : public StringBase<char16_t> {
public:
    static constexpr int32_t kFormatLimit = 4094;

    wString() = default;
    wString(const char16_t* text) { AssignConstruct(text); }
    wString(const char* text);  // one unit per byte, no code-page translation
    wString(const wString& other) = default;
    wString(wString&& other) noexcept = default;

    wString& operator=(const wString& other);
    wString& operator=(wString&& other) noexcept;
    wString& operator=(const char16_t* text);
    wString& operator=(const char* text);
    void Assign(const String& text);

    wString operator+(const wString& other) const;
    wString operator+(const char* text) const;
    wString& operator+=(const wString& other) { Append(other.c_str()); return *this; }
    wString& operator+=(const char* text);
    wString& operator+=(char16_t c);

    // Wide format: %s takes a char16_t text, %S an 8-bit text, %c a unit; numbers as in printf.
    const char16_t* Format(const char16_t* format, ...);
    const char16_t* FormatV(const char16_t* format, va_list args);
    // The same into a caller's buffer of size units, cut to size - 1 and terminated; the length
    // the whole text would have.
    static int32_t FormatInto(char16_t* buffer, int32_t size, const char16_t* format, va_list args);
    const char16_t* FormatNarrow(const char* format, ...) __attribute__((format(printf, 2, 3)));

    String ToNarrow() const { return String(c_str()); }
};
