// FuzzPackedOpen: File's unpack-on-open over arbitrary bytes, through every block coder of the
// packed container; plain data must stay as it is, a container must open from disk (streamed and
// virtual) as it does from memory, and what the cheap coders unpack must pack and unpack again
// to the same bytes.
#include "FuzzTarget.h"

#include "base/CCompress.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

struct Opened {
    bool failed = false;
    int32_t method = 0;
    std::vector<uint8_t> contents;
};

std::vector<uint8_t> Contents(File& file)
{
    const uint8_t* buffer = file.GetMemoryBuffer();
    return buffer ? std::vector<uint8_t>(buffer, buffer + file.GetSize()) : std::vector<uint8_t>();
}

// Opens the bytes from a disk file the way the game opens its files; the contents are read
// whole through File's reads.
Opened OpenFromDisk(const uint8_t* data, size_t size, int32_t virtualMode)
{
    const std::string path = Fuzz::WriteScratchFile(data, size);
    Opened result;
    File file;
    try {
        if (!file.Open(path.c_str(), true, virtualMode))
            Fuzz::Finding("scratch file did not open");
        result.method = file.GetCompression();
        result.contents.resize(size_t(file.GetRemaining()));
        if (!file.Read(result.contents.data(), result.contents.size()))
            Fuzz::Finding("opened contents not readable to their end");
    } catch (const ErrorMsg&) {
        result.failed = true;
    }
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size > Fuzz::kMaxInput)
        return 0;
    File file;
    Fuzz::LoadMemoryFile(file, data, size);
    bool failed = false;
    try {
        file.UnpackOnOpen();
    } catch (const ErrorMsg&) {
        failed = true;  // damage reported
    }
    const int32_t method = failed ? 0 : file.GetCompression();
    std::vector<uint8_t> plain = failed ? std::vector<uint8_t>() : Contents(file);
    if (size >= 4 && std::memcmp(data, CCompress::kMagic, 4) == 0) {  // plain files open alike anyway
        const int32_t mode = data[size - 1] & 1 ? File::kVirtualFile : File::kDiskFile;  // one open per input
        Opened disk = OpenFromDisk(data, size, mode);
        if (disk.failed != failed || (!failed && (disk.method != method || disk.contents != plain)))
            Fuzz::Finding("a container opens differently from disk than from memory");
    }
    if (failed)
        return 0;
    if (method == 0) {
        if (plain.size() != size || (size > 0 && std::memcmp(plain.data(), data, size) != 0))
            Fuzz::Finding("plain data changed on open");
        if (file.GetPos() != 0)
            Fuzz::Finding("plain data not read from its start");
        return 0;
    }
    if (file.GetPos() != 0)
        Fuzz::Finding("unpacked data not read from its start");
    if (file.GetChecksum() != File::Adler32(plain.data(), plain.size()))
        Fuzz::Finding("checksum disagrees with the unpacked data");

    // Run-length and key scrambling are cheap enough to pack again on every input; LZMA is not.
    if (method != 1 && method != 8)
        return 0;
    try {
        file.Flush();
        file.Seek(0);
        file.UnpackOnOpen();
    } catch (const ErrorMsg& e) {
        Fuzz::Finding(e.message);  // our own packing must unpack
    }
    if (file.GetCompression() != method || Contents(file) != plain)
        Fuzz::Finding("packing the unpacked data again does not give it back");
    return 0;
}
