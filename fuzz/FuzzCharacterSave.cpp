// FuzzCharacterSave: arbitrary bytes read as "character.sv" (a packed container, or plain bytes)
// into the main character's creature, as the load reads it: a refused file leaves the creature
// and the skill slots as they were; an accepted one written again reads back.
#include "FuzzSciFiCtrl.h"

#include "scifi/objects/CreatureObj_SF.h"

#include <memory>
#include <vector>

namespace {

std::vector<uint8_t> Record(CreatureObj_SF& creature)
{
    File file;
    file.CreateMemoryFile(0);
    creature.Save(file, true);
    return std::vector<uint8_t>(file.GetMemoryBuffer(), file.GetMemoryBuffer() + file.GetSize());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size > Fuzz::kMaxInput)
        return 0;
    SciFiGameCtrl& ctrl = Fuzz::SciFiCtrl();
    File file;
    Fuzz::LoadMemoryFile(file, data, size);
    try {
        file.UnpackOnOpen();
    } catch (const ErrorMsg&) {
        return 0;  // a damaged container: the load warns of the file and reads nothing
    }
    std::unique_ptr<CreatureObj_SF> creature(new CreatureObj_SF);
    const std::vector<uint8_t> fresh = Record(*creature);
    ctrl.SetQuickSlot(0, nullptr);
    if (!ctrl.ReadCharacter(file, *creature)) {
        if (Record(*creature) != fresh)
            Fuzz::Finding("a refused character save changed the creature");
        return 0;
    }
    File written;
    written.CreateMemoryFile(0);
    ctrl.WriteCharacterSave(written, *creature);
    written.Seek(0);
    std::unique_ptr<CreatureObj_SF> again(new CreatureObj_SF);
    if (!ctrl.ReadCharacter(written, *again))
        Fuzz::Finding("a written character save did not read");
    return 0;
}
