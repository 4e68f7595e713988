// FuzzItemLists: arbitrary text loaded as a level's item list file, walked character by character
// beside the configuration reader that counts the lists. A load either fails with an error and
// leaves no lists, or gives one list per entry holding only items the item reader knows.
#include "FuzzTarget.h"

#include "FuzzListCtrl.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size > (1 << 16))
        return 0;
    static FuzzListCtrl* ctrl = (Fuzz::LoadGameConfig(), new FuzzListCtrl);
    const bool loaded = ctrl->LoadBytes(data, size, [](const char* file) { ctrl->LoadItemLists(file); });
    if (!loaded && ctrl->GetNumItemLists() != 0)
        Fuzz::Finding("a failed load left item lists");
    for (int32_t i = 0; i < ctrl->GetNumItemLists(); ++i) {
        ItemList* list = ctrl->GetItemList(i);
        for (int32_t e = 0; e < list->entries.GetSize(); ++e)
            if (ctrl->FindItemTypeIndex(list->entries.GetAt(e)->name.c_str()) < 0)
                Fuzz::Finding("an item list names an unknown item");
    }
    return 0;
}
