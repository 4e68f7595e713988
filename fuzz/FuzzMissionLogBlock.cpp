// FuzzMissionLogBlock: the mission log's block of a saved game from arbitrary bytes, the save
// version taken from the first two: a refused block leaves the log as it was, and a read log
// saves and reads again to the same entries.
#include "FuzzTarget.h"

#include "game/gui/MissionLogGui.h"

namespace {

bool SameLog(const MissionLogGui& a, const MissionLogGui& b)
{
    if (a.GetEntryCount() != b.GetEntryCount() || a.GetSelected() != b.GetSelected())
        return false;
    for (int32_t i = 0; i < a.GetEntryCount(); i++)
        if (a.GetEntry(i).kind != b.GetEntry(i).kind || !(a.GetEntry(i).key == b.GetEntry(i).key))
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size < 2 || size > Fuzz::kMaxInput)
        return 0;
    File file;
    Fuzz::LoadMemoryFile(file, data + 2, size - 2);
    file.SetVersion(uint16_t(data[0] | (data[1] << 8)));
    MissionLogGui log;
    log.AddEntry(MissionLogGui::kNews, String("before"));
    try {
        log.Load(file, false);
    } catch (const ErrorMsg&) {
        if (log.GetEntryCount() != 1 || !(log.GetEntry(0).key == String("before")))
            Fuzz::Finding("a refused block changed the log");
        return 0;
    }

    File saved;
    saved.CreateMemoryFile(0);
    log.Save(saved);
    saved.Seek(0);
    MissionLogGui again;
    try {
        again.Load(saved, false);
    } catch (const ErrorMsg& e) {
        Fuzz::Finding(e.message);  // a saved log must read
    }
    if (!SameLog(log, again))
        Fuzz::Finding("saving and reading changed the log");
    return 0;
}
