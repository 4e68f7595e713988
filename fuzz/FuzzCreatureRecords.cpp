// FuzzCreatureRecords: the save records of a creature read from arbitrary bytes: the creature's
// record at every stream version whose layout differs, its action state with the lock list, its
// strategy record and one influence; a record that loads is written again, and that writing must
// load back to the same bytes.
//
// Input: u8 selector (bits 0-1: 0 the creature record, 1 the action state, 2 the strategy record,
// 3 an influence; bits 4-7: the creature record's version from the table below, n % its size,
// and for an influence bit 4 set the version before item IDs), then the record.
#include "FuzzTarget.h"

#include "game/ctrl/GameCtrl.h"
#include "game/objects/CreatureObj.h"
#include "world/KI_Strategy.h"

#include <functional>
#include <vector>

namespace {

constexpr uint16_t kVersions[] = {275, 269, 268, 267, 266, 207, 206, 183, 182};

// The controller whose world holds the strategy "Guard", and whose factory gives creatures their
// damage values.
GameCtrl& Ctrl()
{
    static GameCtrl* ctrl = [] {
        Fuzz::LoadGameConfig();  // the world of a controller needs its language directory
        auto* made = new GameCtrl;
        made->GetWorld().GetStrategyTree().Insert(String("Guard"))->name = "Guard";
        return made;
    }();
    return *ctrl;
}

using Load = std::function<void(CreatureObj&, File&)>;
using Save = std::function<void(CreatureObj&, File&)>;

CreatureInfluence& FirstInfluence(CreatureObj& creature)
{
    if (creature.m_Influences.GetSize() == 0)
        creature.m_Influences.Add();
    return *creature.m_Influences.GetAt(0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size == 0 || size > Fuzz::kMaxInput)
        return 0;
    Ctrl();
    const int kind = data[0] & 3;
    const uint16_t version = kVersions[(data[0] >> 4) % (sizeof kVersions / sizeof kVersions[0])];
    const uint16_t influenceVersion = (data[0] & 0x10) ? 233 : CreatureObj::kRecordVersion;
    File file;
    Fuzz::LoadMemoryFile(file, data + 1, size - 1);

    Load load;
    Load reload;
    Save save;
    switch (kind) {
    case 0:
        load = [&](CreatureObj& c, File& in) { c.LoadCreature(in, version, false); };
        reload = [](CreatureObj& c, File& in) { c.LoadCreature(in, CreatureObj::kRecordVersion, false); };
        save = [](CreatureObj& c, File& out) { c.SaveCreature(out, false); };
        break;
    case 1:
        load = reload = [](CreatureObj& c, File& in) { c.LoadActionState(in); };
        save = [](CreatureObj& c, File& out) { c.SaveActionState(out); };
        break;
    case 2:
        load = reload = [](CreatureObj& c, File& in) { c.GetStrategyData().Load(in, nullptr); };
        save = [](CreatureObj& c, File& out) { c.GetStrategyData().Save(out); };
        break;
    default:
        load = [&](CreatureObj& c, File& in) { FirstInfluence(c).Load(in, influenceVersion); };
        reload = [](CreatureObj& c, File& in) { FirstInfluence(c).Load(in, CreatureObj::kRecordVersion); };
        save = [](CreatureObj& c, File& out) { FirstInfluence(c).Save(out); };
        break;
    }
    CreatureObj creature;
    try {
        load(creature, file);
    } catch (const ErrorMsg&) {
        return 0;  // cut short, a count the record cannot hold, or an unknown strategy
    }
    Fuzz::CheckRoundTrip(creature, reload, save);
    return 0;
}
