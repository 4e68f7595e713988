// GameCtrl: the objects placed in a level file. A fresh level makes an element of every placed
// object that has a type; after a level's stored state was read back only the objects that the
// state leaves out ("DoNotSave" ones, found again by their world ID) are made anew.
#include "game/ctrl/GameCtrl.h"

#include "base/Log.h"
#include "base/Timer.h"
#include "game/objects/ItemObj.h"
#include "level/WorldElemKind.h"
#include "world/WorldElem.h"

namespace {

constexpr float kAngleUnit = 0.0001f;      // placed angles are in units of 0.0001 radian
constexpr double kProgressInterval = 0.2;  // seconds between two loading screen updates

// The object reader with a placed object's own text asked first; the link goes however the
// reading ends.
class PlacedObjectKeys {
public:
    PlacedObjectKeys(ConfigFileReader& reader, const String& text) : m_Reader(reader)
    {
        if (!text.IsEmpty()) {
            m_Text.OpenMemory(text.c_str(), text.TextLength());
            m_Reader.SetLinkedReader(&m_Text);
        }
    }
    ~PlacedObjectKeys() { m_Reader.SetLinkedReader(nullptr); }
    PlacedObjectKeys(const PlacedObjectKeys&) = delete;
    PlacedObjectKeys& operator=(const PlacedObjectKeys&) = delete;

private:
    ConfigFileReader& m_Reader;
    ConfigFileReader m_Text;
};

}  // namespace

void GameCtrl::LoadLevelObjects(bool synchronise)
{
    m_LevelObjectsReady = 0;
    m_World.ClearPlacedObjects();
    ConfigFileReader& reader = m_WorldObjectReader;
    const std::vector<VSD_ObjectEntry>& objects = m_World.GetObjects();
    const int32_t total = int32_t(objects.size());
    int32_t count = 0;
    double lastProgress = -1.0;
    for (int32_t index = 0; index < total; ++index) {
        const VSD_ObjectEntry& placed = objects[size_t(index)];
        if (placed.kind < 0 || placed.kind >= reader.GetNumEntries())
            continue;
        PlacedObjectKeys keys(reader, placed.text);
        const int32_t kind = ReadItemType(placed.kind);
        String worldID;
        reader.GetString("worldID", worldID, placed.kind);
        if (worldID.IsEmpty() && kind != WorldElemKind::kStartPos)
            continue;  // an object nobody can name is left to the level file alone
        const float x = float(placed.x);
        const float y = float(placed.y);
        const float angle = float(placed.angle) * kAngleUnit;
        if (synchronise) {
            bool doNotSave = false;
            reader.GetBool("DoNotSave", doNotSave, placed.kind);
            if (!doNotSave || worldID.IsEmpty() || m_World.FindObjectByWorldID(worldID.c_str(), nullptr))
                continue;
            CreateWorldObjectByIndex(placed.kind, x, y, angle, 0.0f);
            ++count;
            continue;
        }
        WorldElemGridBase* made = CreateWorldObjectByIndex(placed.kind, x, y, angle, 0.0f);
        ++count;
        if (ItemObj* item = dynamic_cast<ItemObj*>(made); item && item->m_TypeCode == ElemType::kItem)
            item->m_GroupNumber = placed.value;
        if (WorldElem* elem = dynamic_cast<WorldElem*>(made)) {
            if (elem->IsCreature())
                elem->RememberStartPosition();
            if (!worldID.IsEmpty())
                m_World.AddPlacedObject(worldID, elem);
        }
        if (index % 10 == 5) {
            const double now = Timer::GetTime();
            if (lastProgress < 0.0 || now - lastProgress >= kProgressInterval) {
                lastProgress = now;
                ShowLoadingProgress(20.0f + 60.0f * float(index) / float(total), 0, 1.0f, 1);
            }
        }
    }
    if (synchronise) {
        Log::Write("VSD objects synchronized (%i)", int(count));
    } else {
        Log::Write("VSD objects loaded (%i)", int(count));
        AddLevelWallObjects();
        Log::Write("Wall object added loaded");
    }
    StartLevelCreatures();
    if (!synchronise)
        CreateGroupObjects();
    m_LevelObjectsReady = 1;
}

void GameCtrl::StartLevelCreatures()
{
    for (int32_t id = m_World.NextObjID(-1); id >= 0; id = m_World.NextObjID(id)) {
        WorldElem* elem = m_World.GetObjNoCheck(id, false);
        if (elem && elem->IsCreature() && !elem->m_InputCtrl)
            AddToInputCtrl(elem);
    }
}
