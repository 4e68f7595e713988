// FuzzItemLists: arbitrary text loaded as a level's item list file, walked character by character
// beside the configuration reader that counts the lists. A load either fails with an error and
// leaves no lists, or gives one list per entry holding only items the item reader knows.
#include "FuzzTarget.h"

#include "game/ctrl/GameCtrl.h"

#include <string>

namespace {

// The controller with a few items and a constant the lists may name.
class FuzzCtrl : public GameCtrl {
public:
    FuzzCtrl()
    {
        static const char kItems[] = "#1\ndesc = \"Rifle\"\n#2\ndesc = \"Medkit\"\n#3\ndesc = \"a\"\n";
        m_ItemReader.SetDescKey("desc");
        m_ItemReader.OpenMemory(kItems, int32_t(sizeof(kItems) - 1));
        m_Constants.SetValue("Rare", 0.125);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size > (1 << 16))
        return 0;
    static FuzzCtrl* ctrl = (Fuzz::LoadGameConfig(), new FuzzCtrl);
    const std::string file = Fuzz::WriteScratchFile(data, size);
    bool failed = false;
    try {
        ctrl->LoadItemLists(file.c_str());
    } catch (const ErrorMsg&) {
        failed = true;
    }
    if (failed && ctrl->GetNumItemLists() != 0)
        Fuzz::Finding("a failed load left item lists");
    for (int32_t i = 0; i < ctrl->GetNumItemLists(); ++i) {
        ItemList* list = ctrl->GetItemList(i);
        for (int32_t e = 0; e < list->entries.GetSize(); ++e)
            if (ctrl->FindItemTypeIndex(list->entries.GetAt(e)->name.c_str()) < 0)
                Fuzz::Finding("an item list names an unknown item");
    }
    return 0;
}
