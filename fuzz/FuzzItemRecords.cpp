// FuzzItemRecords: arbitrary bytes read as an item record or an inventory record, as they arrive
// in save games and from peers. The first byte selects: bit 0 inventory, bits 1-2 the item
// version (-1, 10, 16, -1), bit 3 replace-all; then the 16-bit stream version and the record.
// A record either fails with the system's error or loads; what loaded, saved at the current
// version, loads again and saves to the same bytes.
#include "FuzzTarget.h"

#include "game/ctrl/GameCtrl.h"
#include "game/objects/ItemBase.h"
#include "world/Inventory.h"

#include <vector>

namespace {

constexpr int32_t kItemVersions[4] = {-1, 10, 16, -1};

// The controller, whose item table knows the items of the seeds.
GameCtrl& Ctrl()
{
    static GameCtrl* ctrl = [] {
        Fuzz::LoadGameConfig();  // the world of a controller needs its language directory
        auto* made = new GameCtrl;
        const char text[] = "#1\ndesc = \"rifle\"\n#2\ndesc = \"bolts\"\n#3\ndesc = \"letter\"\n#4\ndesc = \"gold\"\n";
        made->GetItemReader().SetDescKey("desc");
        made->GetItemReader().OpenMemory(text, int32_t(sizeof text - 1));
        return made;
    }();
    return *ctrl;
}

template <class Record> std::vector<uint8_t> Saved(Record& record)
{
    File file;
    file.CreateMemoryFile(0);
    file.WriteInt16Value(ItemBase::kRecordVersion);
    record.Save(file, 0);
    return std::vector<uint8_t>(file.GetMemoryBuffer(), file.GetMemoryBuffer() + file.GetSize());
}

// Loads what the writer wrote; it must load and save to the same bytes.
template <class Record, class Load> void CheckRoundTrip(Record& loaded, Load load)
{
    const std::vector<uint8_t> first = Saved(loaded);
    File file;
    Fuzz::LoadMemoryFile(file, first.data(), first.size());
    file.ReadInt16Member();
    Record again;
    try {
        load(again, file);
    } catch (const ErrorMsg& e) {
        Fuzz::Finding(e.message);
    }
    if (file.GetRemaining() != 0)
        Fuzz::Finding("a saved record was not read to its end");
    if (Saved(again) != first)
        Fuzz::Finding("a loaded record saved again gave other bytes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size < 1 || size > (1 << 20))
        return 0;
    Ctrl();
    const uint8_t selector = data[0];
    const int32_t itemVersion = kItemVersions[(selector >> 1) & 3];
    const bool replaceAll = (selector & 8) != 0;
    File file;
    Fuzz::LoadMemoryFile(file, data + 1, size - 1);
    file.ReadInt16Member();

    if ((selector & 1) == 0) {
        ItemBase item;
        try {
            item.Load(file, itemVersion, 0);
        } catch (const ErrorMsg&) {
            return 0;  // obsolete, cut short, a lying count
        }
        CheckRoundTrip(item, [](ItemBase& again, File& f) { again.Load(f, -1, 0); });
        return 0;
    }

    Inventory inventory;
    auto* held = new ItemBase;  // a quest item that a load without replace-all keeps
    held->m_Desc = "letter";
    held->m_QuestItem = 1;
    inventory.AddItem(held);
    try {
        inventory.Load(file, itemVersion, replaceAll, 0);
    } catch (const ErrorMsg&) {
        return 0;
    }
    if (!replaceAll && inventory.FindItem(held) < 0)
        Fuzz::Finding("a load without replace-all dropped a quest item held");
    CheckRoundTrip(inventory, [](Inventory& again, File& f) { again.Load(f, -1, true, 0); });
    return 0;
}
