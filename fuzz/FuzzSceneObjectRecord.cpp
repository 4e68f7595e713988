// FuzzSceneObjectRecord: the save record of scene objects read from arbitrary bytes at every
// stream version whose layout differs, in full and transferable form; a record that loads is
// written again, and that writing must load back to the same bytes.
//
// Input: u8 selector (low nibble: the version from the table below, n % its size; bit 4: the
// transferable form), then the record.
#include "FuzzTarget.h"

#include "engine/scene/DXC_3dScene.h"
#include "game/objects/SceneObject.h"

#include <vector>

namespace {

class FuzzSceneObject : public SceneObject {
public:
    bool IsLootable() override { return false; }
};

constexpr uint16_t kVersions[] = {275, 262, 260, 259, 255, 234, 209, 196, 195};

std::vector<uint8_t> Written(FuzzSceneObject& obj, bool transferOnly)
{
    File out;
    out.CreateMemoryFile(0);
    obj.SaveSceneObject(out, transferOnly);
    const uint8_t* data = out.GetMemoryBuffer();
    return std::vector<uint8_t>(data, data + out.GetSize());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size == 0 || size > Fuzz::kMaxInput)
        return 0;
    static DXC_3dScene* scene = [] {
        auto* made = new DXC_3dScene();  // emitters look their dummies up in it
        made->objects.GetBySlot(made->objects.Add())->SetObjectName("Dummy01");
        return made;
    }();
    const uint16_t version = kVersions[(data[0] & 15) % (sizeof kVersions / sizeof kVersions[0])];
    const bool transferOnly = (data[0] & 16) != 0;
    File file;
    Fuzz::LoadMemoryFile(file, data + 1, size - 1);
    FuzzSceneObject obj;
    obj.SetScene(scene);
    try {
        obj.LoadSceneObject(file, version, transferOnly);
    } catch (const ErrorMsg&) {
        return 0;  // a record cut short or lying about a count
    }
    const std::vector<uint8_t> first = Written(obj, transferOnly);
    File again;
    Fuzz::LoadMemoryFile(again, first.data(), first.size());
    FuzzSceneObject reread;
    reread.SetScene(scene);
    reread.LoadSceneObject(again, SceneObject::kRecordVersion, transferOnly);  // its own writing: no error
    if (again.GetRemaining() != 0 || Written(reread, transferOnly) != first)
        __builtin_trap();
    return 0;
}
