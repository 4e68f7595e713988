// FuzzPackedOpen: File's unpack-on-open over arbitrary bytes, through every block coder of the
// packed container; plain data must stay as it is, and what the cheap coders unpack must pack and
// unpack again to the same bytes.
#include "FuzzTarget.h"

#include <cstring>
#include <vector>

namespace {

std::vector<uint8_t> Contents(File& file)
{
    const uint8_t* buffer = file.GetMemoryBuffer();
    return buffer ? std::vector<uint8_t>(buffer, buffer + file.GetSize()) : std::vector<uint8_t>();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size > Fuzz::kMaxInput)
        return 0;
    File file;
    Fuzz::LoadMemoryFile(file, data, size);
    try {
        file.UnpackOnOpen();
    } catch (const ErrorMsg&) {
        return 0;  // damage reported
    }
    const int32_t method = file.GetCompression();
    std::vector<uint8_t> plain = Contents(file);
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
