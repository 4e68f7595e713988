// FuzzTextDataTokens: arbitrary text read as a token stream, in memory and as a stream: every token
// read twice from a saved position, the typed reads chosen by the text itself, and both ways of
// opening giving the same tokens.
#include "FuzzTarget.h"

#include "base/CCompress.h"
#include "base/ConstantTable.h"
#include "base/TextDataFileReader.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

ConstantTable& Constants()
{
    static ConstantTable* table = [] {
        auto* t = new ConstantTable;
        t->SetValue("ONE", 1.0);
        t->SetValue("NEG", -7.0);
        t->SetValue("BIG", 1e300);
        return t;
    }();
    return *table;
}

void CheckPosition(TextDataFileReader& reader)
{
    if (reader.GetFilePos() < 0 || reader.GetFilePos() > reader.GetSize())
        Fuzz::Finding("the read position left the text");
    if (reader.GetLineCount() > 0 &&
        (reader.GetCurrentLine() < 0 || reader.GetCurrentLine() >= reader.GetLineCount()))
        Fuzz::Finding("the current line is outside the line table");
}

// Every token up to the end; a token too long ends the stream there. Each token is read again
// from its saved position and must be the same.
std::vector<std::string> Tokens(TextDataFileReader& reader)
{
    std::vector<std::string> tokens;
    char token[TextDataFileReader::kTokenSize];
    char again[TextDataFileReader::kTokenSize];
    for (int32_t n = 0; n <= reader.GetSize(); n++) {
        const int32_t before = reader.GetFilePos();
        try {
            if (reader.ReadNextToken(token) != 0)
                return tokens;
        } catch (const ErrorMsg&) {
            tokens.push_back("*too long*");
            return tokens;
        }
        const int32_t after = reader.GetFilePos();
        if (after <= before || std::strlen(token) > size_t(TextDataFileReader::kMaxTokenLength))
            Fuzz::Finding("a token read nothing or too much");
        if (reader.SetFilePos(before) != 0 || reader.ReadNextToken(again) != 0 || std::strcmp(token, again) != 0 ||
            reader.GetFilePos() != after)
            Fuzz::Finding("a token read again from its position differs");
        tokens.emplace_back(token);
        CheckPosition(reader);
    }
    Fuzz::Finding("more tokens than characters");
}

// The text's own characters choose the next read, so the fuzzer steers the walk.
void TypedReads(TextDataFileReader& reader)
{
    char buffer[TextDataFileReader::kTokenSize];
    String text;
    const int32_t budget = 4 * reader.GetSize() + 64;
    for (int32_t n = 0; n < budget && !reader.IsEndOfFile(); n++) {
        const int32_t before = reader.GetFilePos();
        const auto choice = static_cast<unsigned char>(reader.PeekChar());
        int32_t i = 0;
        float f = 0;
        double d = 0;
        float xyz[3];
        bool flag = false;
        try {
            switch ((choice + n) % 16) {
            case 0: reader.ReadIdentifier(buffer); break;
            case 1: reader.ReadNumberText(buffer); break;
            case 2: reader.ReadQuotedText(buffer); break;
            case 3: reader.ReadQuotedString(text); break;
            case 4: reader.ReadIntToken(i); break;
            case 5: reader.ReadFloatToken(f); break;
            case 6: reader.ReadDoubleToken(d); break;
            case 7: reader.ReadVector3Token(xyz); break;
            case 8: reader.ReadBoolToken(flag); break;
            case 9: reader.FindChar('=', false); break;
            case 10: reader.NextLine(); break;
            case 11: reader.ReadBytes(buffer, 5); break;
            case 12: reader.MovePos(-3); break;
            case 13: reader.SkipBlanks(); break;
            case 14: reader.SetFilePos(reader.GetSize() - n % 7); break;  // near the end, or before 0
            default: reader.ReadToken(buffer); break;
            }
        } catch (const ErrorMsg&) {
            // a token, number or quoted text beyond 127 characters
        }
        if (std::strlen(buffer) > size_t(TextDataFileReader::kMaxTokenLength))
            Fuzz::Finding("a token buffer holds more than 127 characters");
        CheckPosition(reader);
        if (reader.GetFilePos() == before)
            reader.ReadChar();  // a read that took nothing: step on
        buffer[0] = 0;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size > (1 << 16))
        return 0;
    const std::string path = Fuzz::WriteScratchFile(data, size);
    TextDataFileReader memory;
    memory.SetConstantTable(&Constants());
    try {
        memory.Open(path.c_str(), true);
    } catch (const ErrorMsg&) {
        if (memory.IsLoaded() || memory.GetLineCount() != 0)
            Fuzz::Finding("a refused text left the reader open");
        return 0;  // a line too long
    }
    // Opened in memory, a packed file is unpacked; a stream reads its bytes as they are.
    std::vector<uint8_t> held(size_t(memory.GetSize()) + 1);
    held.resize(size_t(memory.ReadBytes(held.data(), memory.GetSize())));
    memory.SetFilePos(0);
    const bool unpacked = held != std::vector<uint8_t>(data, data + size);
    if (unpacked && (size < 4 || std::memcmp(data, CCompress::kMagic, 4) != 0))
        Fuzz::Finding("the reader holds other bytes than the text");
    const std::vector<std::string> tokens = Tokens(memory);

    TextDataFileReader stream;
    stream.SetConstantTable(&Constants());
    stream.Open(path.c_str(), false);
    if (Tokens(stream) != tokens && !unpacked)
        Fuzz::Finding("memory and stream reading give other tokens");

    memory.SetFilePos(0);
    TypedReads(memory);
    stream.SetFilePos(0);
    TypedReads(stream);
    return 0;
}
