// FuzzSciFiItemRecord: arbitrary bytes read as the game's item record (the engine's item with the
// socketed names, the strategies and the tier), as save games and peers carry it. A record
// either fails with the system's error or loads; what loaded, written at the current version,
// loads again to the same bytes.
//
// Input: u16 stream version, then the record.
#include "FuzzTarget.h"

#include "scifi/ctrl/SciFiGameCtrl.h"
#include "scifi/objects/Item_SF.h"
#include "world/KI_Strategy.h"

namespace {

// The game's controller whose world knows the strategy of the seeds.
SciFiGameCtrl& Ctrl()
{
    static SciFiGameCtrl* ctrl = [] {
        Fuzz::LoadGameConfig();  // the world of a controller needs its language directory
        auto* made = new SciFiGameCtrl;
        made->GetWorld().GetStrategyTree().Insert(String("Slash"))->name = "Slash";
        return made;
    }();
    return *ctrl;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size < 2 || size > Fuzz::kMaxInput)
        return 0;
    Ctrl();
    File file;
    Fuzz::LoadMemoryFile(file, data, size);
    file.ReadInt16Member();
    Item_SF item;
    try {
        item.Load(file, -1, 0);
    } catch (const ErrorMsg&) {
        return 0;  // obsolete, cut short, a lying count
    }
    auto save = [](Item_SF& record, File& out) {
        out.WriteInt16Value(Item_SF::kRecordVersion);
        record.Save(out, 0);
    };
    auto load = [](Item_SF& record, File& in) {
        in.ReadInt16Member();
        record.Load(in, -1, 0);
    };
    Fuzz::CheckRoundTrip(item, load, save);
    return 0;
}
