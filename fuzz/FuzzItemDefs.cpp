// FuzzItemDefs: arbitrary text opened as the item file and as the world object file: each of its
// first entries read into an item completely and as an override, checked against the world
// object types, put into an object's inventory, and its graphics keys applied to an object. A
// reader either fails with the controller's error or leaves values in their ranges.
#include "FuzzTarget.h"

#include "base/ConfigFileReader.h"
#include "game/ctrl/GameCtrl.h"
#include "game/objects/ItemObj.h"
#include "world/Inventory.h"

#include <cmath>

namespace {

constexpr int32_t kMaxEntries = 6;

// The controller with its readers open on the fuzz text.
class FuzzCtrl : public GameCtrl {
public:
    bool Open(const char* text, int32_t size)
    {
        m_ItemReader.SetDescKey("desc");
        m_WorldObjectReader.SetDescKey("desc");
        if (m_ItemReader.OpenMemory(text, size) != 0 || m_WorldObjectReader.OpenMemory(text, size) != 0)
            return false;
        m_ItemTable.clear();
        for (int32_t i = 0; i < m_ItemReader.GetNumEntries(); ++i)
            m_ItemTable.emplace_back(CreateItem());
        return true;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzCtrl* ctrl = Fuzz::OpenConfigText<FuzzCtrl>(data, size);
    if (!ctrl)
        return 0;
    ConfigFileReader& items = ctrl->GetItemReader();
    const int32_t entries = std::min(items.GetNumEntries(), kMaxEntries);
    for (int32_t entry = 0; entry < entries; ++entry) {
        ItemBase& item = *ctrl->GetItemTable()[size_t(entry)];
        Fuzz::Guarded([&] { ctrl->LoadItems(items, entry, item, true); });
        ItemBase override;
        Fuzz::Guarded([&] { ctrl->LoadItems(items, entry, override, false); });
        if (item.m_QuestItem < 0 || item.m_QuestItem > 2)
            Fuzz::Finding("an item's quest mode is outside 0 to 2");

        ItemObj object;
        bool found = false;
        Fuzz::Guarded([&] { ctrl->AddItemToObject(ctrl->GetWorldObjectReader(), "item", entry, object, found); });
        Fuzz::Guarded([&] { ctrl->Read3dObjGraphics(object, entry); });
        if (object.m_Graphics.shadowTexSize > ctrl->GetMaxShadowTexSize())
            Fuzz::Finding("a shadow texture is larger than the maximum");
    }
    Fuzz::Guarded([&] { ctrl->CheckItemReferences(); });
    return 0;
}
