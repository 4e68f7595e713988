// TextFileReaderBase: what both readers of the text configuration format share: the constants
// link, the reload test, and the grammar of lines, number runs and constant names.
#pragma once
#include "base/ErrorClass.h"
#include "base/String.h"

#include <cstdint>
#include <vector>

class ConstantTable;
class File;

// The line table of a text. A line ends at CR, LF or CR LF (one break); after a break,
// control characters other than TAB do not belong to the next line.
struct TextLines {
    static constexpr int32_t kMaxLines = 8388480;
    static constexpr int32_t kMaxLineLength = 65535;  // for a line that a break follows

    std::vector<int32_t> starts;
    std::vector<int32_t> lengths;

    int32_t Count() const { return int32_t(starts.size()); }
    // 0; 3 more than kMaxLines lines; 4 a line too long (the table is then empty).
    int32_t Split(const char* text, int32_t size);
    // The line holding a text offset: the last line that starts at or before it.
    int32_t LineOfOffset(int32_t offset) const;
    void Clear();
};

class TextFileReaderBase : public ErrorClass {
public:
    static constexpr int32_t kMaxTokenLength = 127;  // number runs, constant names, stream tokens

    TextFileReaderBase();
    TextFileReaderBase(const TextFileReaderBase&) = delete;
    TextFileReaderBase& operator=(const TextFileReaderBase&) = delete;
    ~TextFileReaderBase() override;

    void SetConstantTable(ConstantTable* table);
    ConstantTable* GetConstantTable() const { return m_ConstantTable; }

    // True when never loaded, when the constants changed since the file was read, or when the
    // file's time differs from the one recorded. A file that cannot be opened gives false.
    bool NeedsReload();

    bool IsLoaded() const { return m_Loaded != 0; }
    const char* GetFileName() const { return m_FileName.c_str(); }

    // Decimal text only (sign, digits, one ".", exponent "e" or "E"), in the C locale, correctly
    // rounded. Hexadecimal, "inf" and "nan" are no numbers here: the conversion stops before
    // them. No digits read as 0.
    static double ConvertDecimal(const char* text, const char* end, const char** stop = nullptr);
    static double ConvertDecimal(const char* text);

    // Conversions of a value without undefined behaviour: NaN gives 0, integers are clamped,
    // a double beyond the float range becomes an infinity.
    static int64_t TruncToInt64(double v);
    static int32_t TruncToInt32(double v);
    static float ToFloat(double v);

    // Characters of a number run in a configuration value: "0"-"9", ".", "e", "+", "-".
    static bool IsNumberChar(char c);

protected:
    // A value at text position p (before end): the number run or the constant name there.
    double ReadNumberAt(const char* p, const char* end);
    // A constant name's value: 0 with a warning when the table lacks it, 0 without a table.
    double ResolveConstant(const char* name);

    // Low 32 bits of the open file's modification time, -1 when it is no plain disk file.
    static int32_t FileTimeOf(const File& file);
    void TakeConstantStamp();

    ConstantTable* m_ConstantTable = nullptr;
    int32_t m_ConstantStamp = -1;
    String m_FileName;
    int32_t m_Loaded = 0;
    int32_t m_FileTime = 0;
};
