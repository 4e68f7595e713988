// FuzzAIActionRecords: arbitrary bytes as the AI's saved action records: an intention of a
// creature's AI with its parameter block, or the parameter block alone. The first byte selects
// the file version (160 plus the byte modulo 116, so that the layout before the second text is
// read too), the second which record. A short record ends in the file's error; one that loads is
// written, read again to its end and written to the same bytes.
#include "FuzzTarget.h"

#include "game/objects/KI_ActionData.h"

namespace {

template <class Record> void LoadAndRoundTrip(File& file)
{
    Record loaded;
    bool read = false;
    Fuzz::Guarded([&] {
        loaded.Load(file);
        read = true;
    });
    if (read)
        Fuzz::CheckRoundTrip(loaded, [](Record& record, File& in) { record.Load(in); },
                             [](Record& record, File& out) { record.Save(out); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size < 2 || size > (1 << 16))
        return 0;
    File file;
    Fuzz::LoadMemoryFile(file, data + 2, size - 2);
    file.SetVersion(uint16_t(160 + data[0] % 116));
    if (data[1] % 2 == 0)
        LoadAndRoundTrip<KI_ActionData>(file);
    else
        LoadAndRoundTrip<KI_ActionParams>(file);
    return 0;
}
