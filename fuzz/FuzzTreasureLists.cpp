// FuzzTreasureLists: arbitrary text loaded as a treasure file, read with the keyed getters and
// walked line by line. A load either fails with an error and leaves no lists, or gives lists
// whose entries name a treasure class or a known item.
#include "FuzzTarget.h"

#include "FuzzListCtrl.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size > (1 << 16))
        return 0;
    static FuzzListCtrl* ctrl = (Fuzz::LoadGameConfig(), new FuzzListCtrl);
    const bool loaded = ctrl->LoadBytes(data, size, [](const char* file) { ctrl->LoadTreasureLists(file); });
    SearchTree<TreasureList>& lists = ctrl->GetTreasureLists();
    if (!loaded && !lists.IsEmpty())
        Fuzz::Finding("a failed load left treasure lists");
    lists.ResetWalk();
    while (TreasureList* list = lists.GetNext()) {
        for (int32_t e = 0; e < list->entries.GetSize(); ++e) {
            const TreasureListEntry* entry = list->entries.GetAt(e);
            if (entry->type < 0 && ctrl->FindItemTypeIndex(entry->name.c_str()) < 0)
                Fuzz::Finding("a treasure list names an unknown item");
        }
    }
    return 0;
}
