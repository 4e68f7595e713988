// File: typed encodings, the three modes, bounds of damaged lengths, growth and the checksum.
#include "base/File.h"

#include "support/TempDir.h"
#include "base/Log.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace {

String Name(const std::string& path) { return String(path.c_str()); }

std::vector<uint8_t> Contents(File& f)
{
    return std::vector<uint8_t>(f.GetMemoryBuffer(), f.GetMemoryBuffer() + f.GetSize());
}

std::vector<std::string> g_Lines;
void CaptureLine(const char* line) { g_Lines.push_back(line); }

bool LoggedContaining(const char* text)
{
    for (const std::string& line : g_Lines)
        if (line.find(text) != std::string::npos)
            return true;
    return false;
}

// Every typed write, and the bytes it must give.
void WriteSample(File& f)
{
    f.WriteInt8(0x1FF);
    f.WriteInt16(0x1234);
    f.WriteInt16Value(0xBEEF);
    f.WriteInt32(-2);
    f.WriteFloat(1.0f);
    f.WriteDouble(1.0);
    f.WriteInt64(0x0102030405060708LL);
    f.WriteString(String("abc"));
    f.WriteString(String(""));
    f.WriteWString(wString(u"h\u00e9"));
}

const std::vector<uint8_t> kSampleBytes = {
    0xFF,                                            // int8
    0x34, 0x12,                                      // int16
    0xEF, 0xBE,                                      // int16 value
    0xFE, 0xFF, 0xFF, 0xFF,                          // int32
    0x00, 0x00, 0x80, 0x3F,                          // float 1.0
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF0, 0x3F,  // double 1.0
    0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01,  // int64
    0x03, 0x00, 0x00, 0x00, 'a',  'b',  'c',         // string
    0x00, 0x00, 0x00, 0x00,                          // empty string
    0x02, 0x00, 0x00, 0x00, 'h',  0x00, 0xE9, 0x00,  // wide string of 2 units
};

void CheckSample(File& f)
{
    uint8_t u8;
    uint16_t u16;
    int32_t i32;
    float fl;
    double d;
    int64_t i64;
    String s;
    wString w;
    ASSERT_TRUE(f.ReadInt8(&u8));
    EXPECT_EQ(u8, 0xFF);
    ASSERT_TRUE(f.ReadInt16(&u16));
    EXPECT_EQ(u16, 0x1234);
    EXPECT_EQ(f.ReadInt16Member(), 0xBEEF);
    ASSERT_TRUE(f.ReadInt32(&i32));
    EXPECT_EQ(i32, -2);
    ASSERT_TRUE(f.ReadFloat(&fl));
    EXPECT_EQ(fl, 1.0f);
    ASSERT_TRUE(f.ReadDouble(&d));
    EXPECT_EQ(d, 1.0);
    ASSERT_TRUE(f.ReadInt64(&i64));
    EXPECT_EQ(i64, 0x0102030405060708LL);
    ASSERT_TRUE(f.ReadString(s));
    EXPECT_STREQ(s.c_str(), "abc");
    ASSERT_TRUE(f.ReadString(s));
    EXPECT_TRUE(s.IsEmpty());
    ASSERT_TRUE(f.ReadWString(w));
    EXPECT_TRUE(w == u"h\u00e9");
    EXPECT_EQ(f.GetPos(), int32_t(kSampleBytes.size()));
}

}  // namespace

TEST(FileTest, TypedValuesHaveTheirBytesInEveryMode)
{
    TempDir dir;
    {  // memory-only
        File f;
        f.CreateMemoryFile(4);
        WriteSample(f);
        EXPECT_EQ(Contents(f), kSampleBytes);
        f.Seek(0);
        CheckSample(f);
    }
    {  // disk file, read back through a fresh open
        File f;
        ASSERT_TRUE(f.Create(Name(dir("disk.bin"))));
        WriteSample(f);
        f.Close();
        EXPECT_EQ(TempDir::ReadAll(dir("disk.bin")), kSampleBytes);
        ASSERT_TRUE(f.Open(Name(dir("disk.bin"))));
        EXPECT_EQ(f.GetSize(), int32_t(kSampleBytes.size()));
        CheckSample(f);
    }
    {  // virtual file over a disk file: written at close
        File f;
        ASSERT_TRUE(f.CreateInMemory(Name(dir("virtual.bin"))));
        WriteSample(f);
        EXPECT_TRUE(TempDir::ReadAll(dir("virtual.bin")).empty());
        f.Close();
        EXPECT_EQ(TempDir::ReadAll(dir("virtual.bin")), kSampleBytes);
        ASSERT_TRUE(f.Open(Name(dir("virtual.bin")), true, File::kVirtualFile));
        CheckSample(f);
    }
}

TEST(FileTest, DamagedStringLengthsFailWithoutAllocating)
{
    TempDir dir;
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        bool wide;
        bool result;
    };
    const Case cases[] = {
        {"one byte short", {3, 0, 0, 0, 'a', 'b'}, false, false},
        {"length 2^31 - 1", {0xFF, 0xFF, 0xFF, 0x7F, 'a'}, false, false},
        {"length 2^31 as signed", {0x00, 0x00, 0x00, 0x80, 'a'}, false, true},  // negative: empty
        {"length field cut", {3, 0}, false, false},
        {"wide, 2n overflows 32 bits", {0x00, 0x00, 0x00, 0x40, 'a', 0}, true, false},
        {"wide, odd byte left", {2, 0, 0, 0, 'a', 0, 'b'}, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (int32_t mode : {File::kMemoryFile, File::kDiskFile}) {
            File f;
            if (mode == File::kMemoryFile) {
                f.CreateMemoryFile(0);
                f.Write(c.bytes.data(), c.bytes.size());
                f.Seek(0);
            } else {
                TempDir::WriteAll(dir("s.bin"), c.bytes);
                ASSERT_TRUE(f.Open(Name(dir("s.bin"))));
            }
            String s("old");
            wString w(u"old");
            if (c.bytes.size() < 4 && mode == File::kDiskFile) {
                EXPECT_THROW(f.ReadString(s), ErrorMsg);  // a disk read past the end is an error
                continue;
            }
            bool ok = c.wide ? f.ReadWString(w) : f.ReadString(s);
            EXPECT_EQ(ok, c.result);
            EXPECT_TRUE(s.IsEmpty() || c.wide);
            EXPECT_TRUE(w.IsEmpty() || !c.wide);
            if (!ok && c.bytes.size() >= 4) {
                EXPECT_EQ(f.GetPos(), 0);  // the failed string is not half consumed
            }
        }
    }
}

TEST(FileTest, VirtualReadsStopAtTheEndAndBuffersGrowByTheStep)
{
    File f;
    ASSERT_EQ(f.GetFileSize(), -1);
    f.CreateMemoryFile(File::kGrowStep);
    std::vector<uint8_t> block(File::kGrowStep, 0x5A);
    ASSERT_TRUE(f.Write(block.data(), block.size()));
    EXPECT_EQ(f.GetCapacity(), File::kGrowStep);
    ASSERT_TRUE(f.WriteInt8(1));
    EXPECT_EQ(f.GetCapacity(), 65537);

    f.Seek(f.GetSize() - 2);
    uint32_t v = 7;
    EXPECT_FALSE(f.ReadInt32(&v));
    EXPECT_EQ(v, 0u);
    EXPECT_EQ(f.GetPos(), f.GetSize() - 2);

    // A write after a seek past the end leaves zeros in the gap, not stale memory.
    f.CreateMemoryFile(8);
    f.Seek(100);
    f.WriteInt8(9);
    EXPECT_EQ(f.GetSize(), 101);
    for (int i = 0; i < 100; i++)
        ASSERT_EQ(f.GetMemoryBuffer()[i], 0);
}

TEST(FileTest, SeekAndWriteRangesAreChecked)
{
    File f;
    f.CreateMemoryFile(16);
    try {
        f.Seek(-1);
        FAIL() << "negative seek accepted";
    } catch (const ErrorMsg& e) {
        EXPECT_STREQ(e.className, "File");
        EXPECT_STREQ(e.message, ": Invalid seek position: -1");  // an unnamed file: just ": "
    }
    f.Seek(INT32_MAX - 2);
    EXPECT_THROW(f.WriteInt32(1), ErrorMsg);  // would pass 2 GiB: refused before any allocation
    EXPECT_EQ(f.GetCapacity(), 16);
    uint8_t b;
    EXPECT_FALSE(f.ReadInt8(&b));
}

TEST(FileTest, DeleteDataKeepsTheCapacityTrue)
{
    File f;
    f.CreateMemoryFile(0);
    std::vector<uint8_t> data(100000, 1);
    f.Write(data.data(), data.size());
    f.DeleteData(10);
    EXPECT_EQ(f.GetSize(), 10);
    EXPECT_EQ(f.GetPos(), 10);
    EXPECT_EQ(f.GetCapacity(), 10 + File::kGrowStep);
    // Writing up to the stated capacity must stay inside the buffer (the sanitizer watches).
    std::vector<uint8_t> more(size_t(File::kGrowStep), 2);
    ASSERT_TRUE(f.Write(more.data(), more.size()));
    EXPECT_EQ(f.GetMemoryBuffer()[9], 1);
    EXPECT_EQ(f.GetMemoryBuffer()[10 + File::kGrowStep - 1], 2);

    File readOnly;
    TempDir dir;
    TempDir::WriteAll(dir("r.bin"), {1, 2, 3});
    ASSERT_TRUE(readOnly.Open(Name(dir("r.bin")), true, File::kVirtualFile));
    EXPECT_THROW(readOnly.DeleteData(1), ErrorMsg);
}

TEST(FileTest, DeleteDataTruncatesTheDiskFile)
{
    TempDir dir;
    TempDir::WriteAll(dir("t.bin"), {1, 2, 3, 4, 5, 6});
    File f;
    ASSERT_TRUE(f.Open(Name(dir("t.bin")), false));
    f.DeleteData(2);
    EXPECT_EQ(f.GetFileSize(), 2);
    EXPECT_EQ(f.GetPos(), 2);
    f.WriteInt8(9);
    f.Close();
    EXPECT_EQ(TempDir::ReadAll(dir("t.bin")), (std::vector<uint8_t>{1, 2, 9}));
}

TEST(FileTest, OpenCloseStateAndMessages)
{
    TempDir dir;
    ErrorClassSimple::ResetWarningsForTest();
    g_Lines.clear();
    Log::SetEchoHook(CaptureLine);
    uint32_t handles = File::GetOpenHandlesCount();
    {
        File never;
        never.Close();  // nothing open: nothing happens
        EXPECT_FALSE(never.Open(Name(dir("missing.bin")), true, 0, false));
        EXPECT_STREQ(never.GetFileName().c_str(), dir("missing.bin").c_str());
        EXPECT_TRUE(g_Lines.empty());
        EXPECT_FALSE(never.Open(Name(dir("missing.bin"))));
        EXPECT_TRUE(LoggedContaining("Open() failed:"));
        EXPECT_FALSE(never.Open(Name(dir("")), true, 0, false));  // a directory is no file
        EXPECT_EQ(File::GetOpenHandlesCount(), handles);

        File f;
        f.SetCompression(3);
        ASSERT_TRUE(f.Create(Name(dir("c.bin"))));
        EXPECT_EQ(f.GetCompression(), 0);  // create resets it
        EXPECT_EQ(File::GetOpenHandlesCount(), handles + 1);
        f.WriteInt32(5);
        f.Close();
        EXPECT_EQ(File::GetOpenHandlesCount(), handles);

        ASSERT_TRUE(f.Open(Name(dir("c.bin"))));
        try {
            f.WriteInt8(1);
            FAIL();
        } catch (const ErrorMsg& e) {
            EXPECT_EQ(std::string(e.message), dir("c.bin") + ": File is not writeable");
        }
        EXPECT_THROW(f.SetCompression(3), ErrorMsg);  // read-only
        EXPECT_THROW(f.SetCompression(9), ErrorMsg);  // no such method
    }
    EXPECT_EQ(File::GetOpenHandlesCount(), handles);
    Log::SetEchoHook(nullptr);
}

TEST(FileTest, UnchangedVirtualFileIsNotWrittenBack)
{
    TempDir dir;
    TempDir::WriteAll(dir("v.bin"), {1, 2, 3, 4});
    File f;
    ASSERT_TRUE(f.Open(Name(dir("v.bin")), false, File::kVirtualFile));
    uint32_t v;
    f.ReadInt32(&v);
    EXPECT_EQ(v, 0x04030201u);
    // Shrink the disk file behind File's back: an unmodified virtual file must not restore it.
    TempDir::WriteAll(dir("v.bin"), {7});
    f.Close();
    EXPECT_EQ(TempDir::ReadAll(dir("v.bin")), (std::vector<uint8_t>{7}));

    ASSERT_TRUE(f.Open(Name(dir("v.bin")), false, File::kVirtualFile));
    f.Seek(1);
    f.WriteInt16(0x0A0B);
    f.Close();
    EXPECT_EQ(TempDir::ReadAll(dir("v.bin")), (std::vector<uint8_t>{7, 0x0B, 0x0A}));
}

TEST(FileTest, ChecksumIsAdler32)
{
    struct Case {
        std::vector<uint8_t> bytes;
        uint32_t adler;  // zlib.adler32
    };
    std::vector<uint8_t> pattern(100000);
    for (size_t i = 0; i < pattern.size(); i++)
        pattern[i] = uint8_t((i * 7) % 251);
    const Case cases[] = {
        {{}, 0x1},
        {{'a'}, 0x620062},
        {{'W', 'i', 'k', 'i', 'p', 'e', 'd', 'i', 'a'}, 0x11e60398},
        {pattern, 0x437bc42e},
        {std::vector<uint8_t>(70000, 0xFF), 0x2a286e81},  // sums wrap the modulus many times
    };
    TempDir dir;
    for (const Case& c : cases) {
        File memory;
        memory.CreateMemoryFile(0);
        memory.Write(c.bytes.data(), c.bytes.size());
        EXPECT_EQ(memory.GetChecksum(), c.adler);

        TempDir::WriteAll(dir("a.bin"), c.bytes);
        File disk;
        ASSERT_TRUE(disk.Open(Name(dir("a.bin"))));
        EXPECT_EQ(disk.GetChecksum(), c.adler);
        EXPECT_EQ(disk.GetVirtualMode(), File::kVirtualFile);
    }
    File closed;
    EXPECT_EQ(closed.GetChecksum(), 1u);
}
