// GameCtrl: the release of data that earlier levels loaded and the new one does not use, by the
// machine's memory, and the script-called releases of floor textures, sounds and 3D object
// records.
#include "game/ctrl/GameCtrl.h"

#include "base/SoundManager.h"
#include "game/ctrl/LoadedDataKind.h"
#include "game/objects/ItemObj.h"
#include "platform/MemoryStatus.h"
#include "world/SoundData.h"

#include <algorithm>
#include <cstdint>

namespace {

// Unused loaded entries kept, by total memory: below 600 MB, below 900, below 1200, more.
constexpr int32_t kMemoryRows[] = {600, 900, 1200};
constexpr int32_t kKept[3][4] = {
    {100, 150, 200, 300},  // 3D object files
    {5, 7, 10, 17},        // 3D object records
    {15, 20, 25, 40},      // world scenes
};

// The prototypes of "cfg\3dobjs.cfg", stamped at every request; the controller marks those shown.
class ObjectFileKind : public LoadedDataKind {
public:
    explicit ObjectFileKind(GameCtrl& ctrl) : m_Ctrl(ctrl) {}

    int32_t GetNumEntries() override { return int32_t(m_Ctrl.Get3dObjPrototypes().size()); }
    bool IsLoaded(int32_t entry) override { return m_Ctrl.Get3dObjPrototypes()[size_t(entry)] != nullptr; }
    uint32_t GetUseStamp(int32_t entry) override
    {
        const std::vector<uint32_t>& stamps = m_Ctrl.Get3dObjUseStamps();
        return size_t(entry) < stamps.size() ? stamps[size_t(entry)] : 0;
    }
    void MarkUsed(std::vector<uint8_t>& marks) override { m_Ctrl.MarkUsed3dFiles(marks); }
    // Copies in the world keep the scenes they share with the prototype.
    void Release(int32_t entry) override { m_Ctrl.Get3dObjPrototypes()[size_t(entry)].reset(); }

private:
    GameCtrl& m_Ctrl;
};

SoundWord Word(const char* text) { return reinterpret_cast<SoundWord>(text); }

}  // namespace

int32_t GameCtrl::GetUnusedDataLimit(int32_t kind, int32_t memoryMB)
{
    int32_t row = 0;
    while (row < 3 && memoryMB >= kMemoryRows[row])
        ++row;
    return kind >= 1 && kind <= kLoadedDataKinds ? kKept[kind - 1][row] : 0;
}

void GameCtrl::FreeUnusedData() { FreeUnusedData(Platform::TotalPhysicalMemoryMB()); }

void GameCtrl::FreeUnusedData(int32_t memoryMB)
{
    ObjectFileKind objectFiles(*this);
    ReleaseLeastRecentlyUsed(objectFiles, GetUnusedDataLimit(1, memoryMB), *this);
    for (int32_t kind = 2; kind <= kLoadedDataKinds; ++kind)
        if (LoadedDataKind* source = m_LoadedDataSources[kind - 1])
            ReleaseLeastRecentlyUsed(*source, GetUnusedDataLimit(kind, memoryMB), *this);
}

void GameCtrl::MarkUsed3dFiles(std::vector<uint8_t>& marks)
{
    std::fill(marks.begin(), marks.end(), 0);
    for (int32_t id = m_World.NextObjID(-1); id >= 0; id = m_World.NextObjID(id)) {
        const ItemObj* object = dynamic_cast<const ItemObj*>(m_World.GetObjNoCheck(id, false));
        if (!object || object->m_3dObjIndex == -1)
            continue;
        if (object->m_3dObjIndex < 0 || size_t(object->m_3dObjIndex) >= marks.size()) {
            Warning("Internal error: invalid m_3dFileID: %i", object->m_3dObjIndex);
            continue;
        }
        marks[size_t(object->m_3dObjIndex)] = 1;
    }
}

void GameCtrl::SetLoadedDataSource(int32_t kind, LoadedDataKind* source)
{
    if (kind >= 2 && kind <= kLoadedDataKinds)
        m_LoadedDataSources[kind - 1] = source;
}

void GameCtrl::FreeUnusedFloorTextures() { m_World.FreeUnusedTextures(); }

// The sound layer has no unloading of its own: a sound it lets go (its query with -1) is forgotten
// by the table, which loads it again when it is next played.
void GameCtrl::FreeLoadedSounds()
{
    SoundManager* sound = SoundManager::GetSingletonPtr();
    if (!sound)
        return;
    SearchTree<SoundData>& sounds = m_World.GetSoundRegistry();
    sounds.ResetWalk();
    while (SoundData* data = sounds.GetNext()) {
        if (data->loaded && sound->QuerySound(Word(data->name.c_str()), SoundWord(-1)))
            data->loaded = 0;
    }
}

void GameCtrl::FreeUnused3dObjectRecords()
{
    if (LoadedDataKind* records = m_LoadedDataSources[1])
        ReleaseLeastRecentlyUsed(*records, 0, *this);
}
