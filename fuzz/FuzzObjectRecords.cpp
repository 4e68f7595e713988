// FuzzObjectRecords: the save records of item objects and event objects read from arbitrary
// bytes, in full and transferable form, the item record at every stream version whose layout
// differs; a record that loads is written again, and that writing must load back to the same
// bytes.
//
// Input: u8 selector (bit 0: an event record, else an item record; bit 1: the transferable form;
// bits 4-7: the item record's version from the table below, n % its size), then the record.
#include "FuzzTarget.h"

#include "game/ctrl/GameCtrl.h"
#include "game/objects/EventObj.h"
#include "game/objects/ItemObj.h"

#include <vector>

namespace {

constexpr uint16_t kItemVersions[] = {275, 261, 260, 173, 172, 165, 164, 163, 162};

// The controller whose factory gives events their damage values.
void Ctrl()
{
    static GameCtrl* ctrl = [] {
        Fuzz::LoadGameConfig();  // the world of a controller needs its language directory
        return new GameCtrl;
    }();
    (void)ctrl;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size == 0 || size > Fuzz::kMaxInput)
        return 0;
    Ctrl();
    const bool event = (data[0] & 1) != 0;
    const bool transferOnly = (data[0] & 2) != 0;
    const uint16_t version = kItemVersions[(data[0] >> 4) % (sizeof kItemVersions / sizeof kItemVersions[0])];
    File file;
    Fuzz::LoadMemoryFile(file, data + 1, size - 1);

    if (event) {
        auto load = [&](EventObj& object, File& in) { object.LoadEventObj(in, transferOnly); };
        auto save = [&](EventObj& object, File& out) { object.SaveEventObj(out, transferOnly); };
        EventObj object;
        try {
            load(object, file);
        } catch (const ErrorMsg&) {
            return 0;  // cut short, or an entry count outside the table
        }
        Fuzz::CheckRoundTrip(object, load, save);
        return 0;
    }
    auto save = [&](ItemObj& object, File& out) { object.SaveItemObj(out, transferOnly); };
    ItemObj object;
    try {
        object.LoadItemObj(file, version, transferOnly);
    } catch (const ErrorMsg&) {
        return 0;  // cut short, or a wall count the record cannot hold
    }
    Fuzz::CheckRoundTrip(
        object, [&](ItemObj& again, File& in) { again.LoadItemObj(in, ItemObj::kRecordVersion, transferOnly); }, save);
    return 0;
}
