// FuzzTarget: the entry point every fuzz target defines, and the set-up the targets share.
// A target feeds the bytes to one parser and catches only the system's own error records
// (ErrorMsg, DXC_Error) where damage is reported that way; anything else escaping it, a crash or
// a sanitizer report is a finding.
#pragma once
#include "base/ByteReader.h"
#include "base/ConfigFileReader.h"
#include "base/DXC_Base.h"
#include "base/ErrorClass.h"
#include "base/File.h"
#include "base/Log.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace Fuzz {

constexpr size_t kMaxInput = 1 << 24;  // larger inputs are skipped: a File holds 2 GiB at most

// Every error and warning writes a log line; a run of millions of inputs sends them nowhere.
inline void QuietLog()
{
    static const bool quiet = (Log::SetFileName("/dev/null"), true);
    (void)quiet;
}

// The game configuration that a game controller needs before it is made: its world's language
// directory.
inline void LoadGameConfig()
{
    static const char kConfig[] = "langdir = \"lang\\english\"\n";
    GetGameConfig().OpenMemory(kConfig, int32_t(sizeof(kConfig) - 1));
}

// A memory-only file holding the bytes, positioned at 0.
inline void LoadMemoryFile(File& file, const uint8_t* data, size_t size)
{
    file.CreateMemoryFile(int32_t(size));
    if (size > 0)
        file.Write(data, size);
    file.Seek(0);
}

// A file of this process, rewritten with each input, for readers that open only by name; it is
// removed when the process ends. The name is unique, so parallel runs do not share it.
inline std::string WriteScratchFile(const uint8_t* data, size_t size)
{
    struct Scratch {
        std::filesystem::path path;
        Scratch()
        {
            std::random_device random;
            path = std::filesystem::temp_directory_path() /
                   ("fuzz-scratch-" + std::to_string(random()) + "-" + std::to_string(random()) + ".txt");
        }
        ~Scratch()
        {
            std::error_code ignored;
            std::filesystem::remove(path, ignored);
        }
    };
    static Scratch scratch;
    std::ofstream(scratch.path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), std::streamsize(size));
    return scratch.path.string();
}

// The bytes up to the first NUL, as a script text holds them, with every one of the words spelled
// otherwise (its last letter made '_'), so that an "include" or a "LoadString" reads no file.
inline std::string ScriptText(const uint8_t* data, size_t size, std::initializer_list<const char*> words)
{
    const auto* chars = reinterpret_cast<const char*>(data);
    std::string text(chars, std::find(chars, chars + size, 0));
    for (const char* word : words) {
        const size_t length = std::strlen(word);
        for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at))
            text[at + length - 1] = '_';
    }
    return text;
}

// Runs one reader; the system's error records (ErrorMsg) are how it reports malformed input.
template <class Read> void Guarded(Read read)
{
    try {
        read();
    } catch (const ErrorMsg&) {
    }
}

// The same for a path that loads scene files: the graphics object reports a missing or damaged
// one as DXC_Error.
template <class Read> void GuardedWithScenes(Read read)
{
    try {
        read();
    } catch (const ErrorMsg&) {
    } catch (const DXC_Error&) {
    }
}

// Stops a run that found a fault no sanitizer sees (a wrong result); the message names it.
[[noreturn]] inline void Finding(const char* what)
{
    std::fprintf(stderr, "fuzz finding: %s\n", what);
    std::fflush(stderr);
    __builtin_trap();
}

// The bytes that save writes of an object.
template <class Object, class Save> std::vector<uint8_t> Written(Object& object, Save save)
{
    File out;
    out.CreateMemoryFile(0);
    save(object, out);
    const uint8_t* data = out.GetMemoryBuffer();
    return std::vector<uint8_t>(data, data + out.GetSize());
}

// A record that loaded is written; a new object loads those bytes, to their end, and writes the
// same bytes again.
template <class Object, class Load, class Save> void CheckRoundTrip(Object& loaded, Load load, Save save)
{
    const std::vector<uint8_t> first = Written(loaded, save);
    File again;
    LoadMemoryFile(again, first.data(), first.size());
    Object reread;
    try {
        load(reread, again);
    } catch (const ErrorMsg& e) {
        Finding(e.message);
    }
    if (again.GetRemaining() != 0)
        Finding("a written record was not read to its end");
    if (Written(reread, save) != first)
        Finding("a loaded record written again gave other bytes");
}

// The messages of an input that frames them as a u16 (bit 15: arrived over UDP; bits 0..14 the
// length, cut to what is left) and the bytes; an empty message ends the input.
template <class Take> void ForEachFramedMessage(const uint8_t* data, size_t size, Take take)
{
    ByteReader reader(data, size);
    while (reader.GetRemaining() >= 2) {
        const uint16_t word = reader.ReadU16();
        const int32_t n = int32_t(std::min<size_t>(word & 0x7FFF, reader.GetRemaining()));
        const uint8_t* bytes = reader.ReadSpan(size_t(n));
        if (!bytes || n == 0)
            break;
        take(std::vector<uint8_t>(bytes, bytes + n), (word & 0x8000) != 0);
    }
}

// The game controller of a target that reads the input as the text of its configuration files:
// made once, then given each input. Null when the input is too large or its braces do not parse.
template <class Ctrl> Ctrl* OpenConfigText(const uint8_t* data, size_t size)
{
    QuietLog();
    if (size > (1 << 16))
        return nullptr;
    static Ctrl* ctrl = (LoadGameConfig(), new Ctrl);
    try {
        if (!ctrl->Open(reinterpret_cast<const char*>(data), int32_t(size)))
            return nullptr;
    } catch (const ErrorMsg&) {  // brace errors of the text
        return nullptr;
    }
    return ctrl;
}

}  // namespace Fuzz
