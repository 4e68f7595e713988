// FuzzWorldEvents: arbitrary bytes as a world event, as scripts and peers post them. The first
// byte selects the event type (modulo 20); the rest is the payload. The event step reads every
// payload through its record, drops what is short or stale and never lets an error escape; a
// script event's record, read, writes back what it read (texts cut to 254 characters). The game's
// controller takes the types the world passes on: its damage events with their images.
#include "FuzzTarget.h"

#include "scifi/ctrl/SciFiGameCtrl.h"
#include "world/WorldEventPayloads.h"

namespace {

GameCtrl& Ctrl()
{
    static GameCtrl* ctrl = [] {
        Fuzz::LoadGameConfig();  // the world of a controller needs its language directory
        return new SciFiGameCtrl;
    }();
    return *ctrl;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size < 1 || size > 4096)
        return 0;
    const auto type = uint16_t(data[0] % 20);
    WorldEvent event;
    SetEventPayload(event, type, data + 1, int32_t(size - 1), 0.0);

    if (type == WorldEventType::kScript) {  // a script text is not run: its loops would not end
        ScriptEventRecord record;
        if (!record.Read(event))
            return 0;
        WorldEvent written;
        record.Write(written);
        ScriptEventRecord again;
        if (!again.Read(written))
            Fuzz::Finding("a written script event could not be read");
        if (std::memcmp(record.objVariables, again.objVariables, sizeof record.objVariables) != 0 ||
            std::strncmp(record.text, again.text, ScriptEventRecord::kMaxText) != 0 ||
            std::strncmp(record.label, again.label, ScriptEventRecord::kMaxText) != 0 ||
            record.runFlags != again.runFlags || record.currentObj != again.currentObj)
            Fuzz::Finding("a script event read back other values");
        return 0;
    }

    WorldCtrl& world = Ctrl().GetWorld();
    world.QueueEvent(event);
    try {
        world.ProcessWorldEvents();
    } catch (...) {
        Fuzz::Finding("an error escaped the event step");
    }
    world.GetEventQueue(0).DeleteAll();  // a level change that waits, a kill that waits
    world.GetEventQueue(1).DeleteAll();
    return 0;
}
