// FuzzTreasureLists: arbitrary text loaded as a treasure file, read with the keyed getters and
// walked line by line. A load either fails with an error and leaves no lists, or gives lists
// whose entries name a treasure class or a known item.
#include "FuzzTarget.h"

#include "game/ctrl/GameCtrl.h"

#include <string>

namespace {

// The controller with a few items, a constant, and the two treasure classes of a game's rules.
class FuzzCtrl : public GameCtrl {
public:
    FuzzCtrl()
    {
        static const char kItems[] = "#1\ndesc = \"Rifle\"\n#2\ndesc = \"Medkit\"\n#3\ndesc = \"weapon\"\n";
        m_ItemReader.SetDescKey("desc");
        m_ItemReader.OpenMemory(kItems, int32_t(sizeof(kItems) - 1));
        m_Constants.SetValue("Rare", 0.125);
    }
    int32_t GetTreasureClass(const String& name) override
    {
        if (name.EqualsNoCase("weapon"))
            return 0;
        return name.EqualsNoCase("gold") ? 101 : -1;
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
        ctrl->LoadTreasureLists(file.c_str());
    } catch (const ErrorMsg&) {
        failed = true;
    }
    SearchTree<TreasureList>& lists = ctrl->GetTreasureLists();
    if (failed && !lists.IsEmpty())
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
