// FuzzSciFiCreatureRecord: arbitrary bytes read as the character record a joining client sends:
// the game creature's save record with the character flag, read through the checked load, which
// must never throw and must leave a creature whose record failed as it was. A record that loads
// is written again at the current version, and those bytes load back to the same bytes.
//
// Input: u16 stream version, then the record.
#include "FuzzSciFiCtrl.h"

#include "scifi/objects/CreatureObj_SF.h"

#include <memory>
#include <vector>

namespace {

std::vector<uint8_t> Written(CreatureObj_SF& creature)
{
    File file;
    file.CreateMemoryFile(0);
    file.WriteInt16Value(CreatureObj_SF::kNewestRecord);
    creature.Save(file, true);
    return std::vector<uint8_t>(file.GetMemoryBuffer(), file.GetMemoryBuffer() + file.GetSize());
}

// The checked load of the bytes; left receives the bytes after the record.
bool LoadFrom(CreatureObj_SF& creature, const uint8_t* data, size_t size, int32_t& left)
{
    File file;
    Fuzz::LoadMemoryFile(file, data, size);
    file.SetVersion(file.ReadInt16Member());
    const bool loaded = creature.LoadChecked(file, true);
    left = file.GetRemaining();
    return loaded;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size < 2 || size > Fuzz::kMaxInput)
        return 0;
    Fuzz::SciFiCtrl();
    std::unique_ptr<CreatureObj_SF> creature(new CreatureObj_SF);
    const std::vector<uint8_t> fresh = Written(*creature);
    int32_t left = 0;
    if (!LoadFrom(*creature, data, size, left)) {
        if (Written(*creature) != fresh)
            Fuzz::Finding("a record that failed changed the creature");
        return 0;
    }
    const std::vector<uint8_t> first = Written(*creature);
    std::unique_ptr<CreatureObj_SF> again(new CreatureObj_SF);
    if (!LoadFrom(*again, first.data(), first.size(), left) || left != 0)
        Fuzz::Finding("a written record did not load to its end");
    if (Written(*again) != first)
        Fuzz::Finding("a loaded record written again gave other bytes");
    return 0;
}
