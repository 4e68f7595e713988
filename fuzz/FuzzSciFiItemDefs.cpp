// FuzzSciFiItemDefs: arbitrary text opened as the game's item file: each of its first entries read
// with the game's own keys into an item completely and as an override, priced by the value
// formula where it names no value. A reader either fails with the controller's error or leaves
// sockets, dimensions and the money value in their ranges.
#include "FuzzTarget.h"

#include "scifi/ctrl/SciFiGameCtrl.h"
#include "scifi/objects/Item_SF.h"
#include "world/KI_Strategy.h"

#include <cmath>

namespace {

constexpr int32_t kMaxEntries = 6;

// The game's controller with its item reader open on the fuzz text; its world knows one strategy.
class FuzzCtrl : public SciFiGameCtrl {
public:
    FuzzCtrl() { GetWorld().GetStrategyTree().Insert(String("Slash"))->name = "Slash"; }
    bool Open(const char* text, int32_t size)
    {
        m_ItemReader.SetDescKey("desc");
        if (m_ItemReader.OpenMemory(text, size) != 0)
            return false;
        m_ItemTable.clear();
        for (int32_t i = 0; i < m_ItemReader.GetNumEntries(); ++i)
            m_ItemTable.emplace_back(CreateItem());
        return true;
    }
};

// True when the entry was read without an error.
template <class Load> bool Read(Load load)
{
    try {
        load();
    } catch (const ErrorMsg&) {
        return false;
    }
    return true;
}

void Check(const Item_SF& item)
{
    if (item.GetSocketCount() < 0 || item.GetSocketCount() > 3)
        Fuzz::Finding("an item has more than three sockets");
    if (item.m_DimX == 0 || item.m_DimY == 0)
        Fuzz::Finding("an item takes no cell");
    const float value = item.m_Value.GetRawValue();
    if (!item.m_Value.HasFunction() && std::isfinite(value) && value != std::round(value) &&
        std::fabs(value) < 1.0e7f)
        Fuzz::Finding("a priced item holds a fraction");  // only read values keep theirs
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzCtrl* ctrl = Fuzz::OpenConfigText<FuzzCtrl>(data, size);
    if (!ctrl)
        return 0;
    ConfigFileReader& items = ctrl->GetItemReader();
    const int32_t entries = std::min(items.GetNumEntries(), kMaxEntries);
    for (int32_t entry = 0; entry < entries; ++entry) {
        auto& item = static_cast<Item_SF&>(*ctrl->GetItemTable()[size_t(entry)]);
        const bool ownValue = items.FindKeyLine("value", entry) >= 0 || items.FindKeyLine("value_func", entry) >= 0;
        if (Read([&] { ctrl->LoadItems(items, entry, item, true); }) && !ownValue)
            Check(item);
        Item_SF override;
        if (Read([&] { ctrl->LoadItems(items, entry, override, false); }) && !ownValue)
            Check(override);
    }
    return 0;
}
