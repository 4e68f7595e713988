// FuzzControls: arbitrary text read as a controls file into the key bindings. A file that cannot
// be loaded changes nothing; every binding read must be an input the key name table knows (or
// none). Anything escaping the load is a finding.
#include "FuzzTarget.h"

#include "base/KeyNameTable.h"
#include "scifi/gui/Controls.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size > (1 << 16))
        return 0;
    const String file(Fuzz::WriteScratchFile(data, size).c_str());
    Controls controls;
    controls.GetBinding(Controls::kUnreadSlot) = KeyBinding{1, 30, 2, 1};
    const bool failed = controls.Load(file);
    for (int32_t slot = 0; slot < Controls::kSlotCount; slot++) {
        const KeyBinding& binding = controls.GetBinding(slot);
        for (const auto& [kind, code] : {std::pair{binding.primaryKind, binding.primaryCode},
                                         std::pair{binding.secondaryKind, binding.secondaryCode}}) {
            String name;
            if (kind != 0 && !KeyNameTable::FindByCode(kind, code, name))
                Fuzz::Finding("a binding that names no input");
            if (failed && kind != 0 && slot != Controls::kUnreadSlot)
                Fuzz::Finding("a file that failed to load changed a binding");
        }
    }
    const KeyBinding& unread = controls.GetBinding(Controls::kUnreadSlot);
    if (unread.primaryCode != 30 || unread.secondaryCode != 1)
        Fuzz::Finding("the unread slot was changed");
    return 0;
}
