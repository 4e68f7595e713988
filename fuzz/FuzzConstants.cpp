// FuzzConstants: arbitrary text read as a constants file, into a table of its own and into the
// table its names resolve through; every stored constant must be found again with its value.
#include "FuzzTarget.h"

#include "base/ConstantTable.h"
#include "base/TextDataFileReader.h"

#include <cstring>
#include <string>

namespace {

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void CheckTable(ConstantTable& table)
{
    char name[256];
    table.ResetWalk();
    int32_t count = 0;
    while (double* value = table.GetNext(name)) {
        double found = 0;
        if (!table.Lookup(name, found) || !SameBits(found, *value))
            Fuzz::Finding("a stored constant is not found with its value");
        if (++count > (1 << 20))
            Fuzz::Finding("the walk of the table does not end");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size > (1 << 16))
        return 0;
    const std::string path = Fuzz::WriteScratchFile(data, size);

    // Names resolve through a table of fixed constants; the definitions go to a fresh one.
    ConstantTable fixed;
    fixed.SetValue("ONE", 1.0);
    fixed.SetValue("BIG", 1e308);
    ConstantTable defined;
    TextDataFileReader reader;
    reader.SetConstantTable(&fixed);
    try {
        reader.Open(path.c_str(), true);
        reader.ParseConstants(defined);
    } catch (const ErrorMsg&) {
        // a line, name or value too long
    }
    CheckTable(defined);

    // The constants file proper: later definitions see the earlier ones.
    ConstantTable own;
    TextDataFileReader second;
    second.SetConstantTable(&own);
    try {
        second.Open(path.c_str(), true);
        second.ParseConstants(own);
        if (second.NeedsReload())
            Fuzz::Finding("reading our own definitions asks for a reload");
    } catch (const ErrorMsg&) {
    }
    CheckTable(own);
    return 0;
}
