// FuzzWorldObjects: arbitrary text opened as the world object file and each of its first entries
// made into an element of the controller's world with children, items and boxes; what a creation
// leaves must be whole or nothing. Everything made goes again before the next input.
#include "FuzzTarget.h"

#include "base/ConfigFileReader.h"
#include "game/ctrl/GameCtrl.h"
#include "world/WorldCtrl.h"

#include <algorithm>

namespace {

constexpr int32_t kMaxEntries = 8;

class FuzzCtrl : public GameCtrl {
public:
    bool Open(const char* text, int32_t size)
    {
        m_WorldObjectReader.SetDescKey("desc");
        return m_WorldObjectReader.OpenMemory(text, size) == 0;
    }
    int32_t CountElements() { return GetWorld().GetNumElements(); }
    void Clear()
    {
        WorldCtrl& world = GetWorld();
        for (int32_t id = 0; id < world.GetObjCapacity(); ++id)
            if (world.GetObjNoCheck(id, false))
                world.DelObj(id, 1);
        for (int32_t id = 0; id < world.GetLights().GetCapacity(); ++id)
            if (world.GetLight(id))
                world.DelLight(id);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzCtrl* ctrl = Fuzz::OpenConfigText<FuzzCtrl>(data, size);
    if (!ctrl)
        return 0;
    const int32_t entries = std::min(ctrl->GetWorldObjectReader().GetNumEntries(), kMaxEntries);
    for (int32_t entry = 0; entry < entries; ++entry) {
        const int32_t before = ctrl->CountElements();
        bool failed = true;
        Fuzz::Guarded([&] {
            const D3DXVECTOR2 at(100.0f, 100.0f);
            ctrl->CreateWorldObjectByIndex(entry, nullptr, true, true, true, false, 0.5f, &at, 0.0f, nullptr, -1);
            failed = false;
        });
        if (failed && ctrl->CountElements() != before)
            Fuzz::Finding("a failed creation left elements in the world");
    }
    Fuzz::Guarded([&] { ctrl->Clear(); });
    return 0;
}
