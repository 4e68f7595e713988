// WorldCtrl: reading the level part of a save game (its layout is written down in
// WorldCtrlSaveGame.cpp). Every count is bounded by the bytes left and every slot list is checked
// (no duplicates, below 2^24) before its first object is made; references between objects are
// resolved once every object is back.
#include "world/WorldCtrl.h"

#include "base/File.h"
#include "base/FileRecordReader.h"
#include "base/Log.h"
#include "base/Timer.h"
#include "level/VSD_LightSource.h"
#include "level/VSD_WallIntern.h"
#include "world/GameCtrlInterface.h"
#include "world/WorldElem.h"
#include "world/WorldEventPayloads.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr const char* kCutShort = "Error reading from savegame";
constexpr uint16_t kOldEventType = 14;  // saves up to version 182 clear a flag in its data
// Least bytes of one record after its slot number: the marker, the type and an empty name.
constexpr int64_t kLeastRecordBytes = 2 + 2 + 4;
constexpr int64_t kLeastWallBytes = 2 + 16 + 4;

// Holds the world's init scripts back while an object is made; the counter comes back however
// the creation ends.
class InitSuspension {
public:
    explicit InitSuspension(WorldCtrl& world) : m_World(world) { m_World.SuspendInitScripts(); }
    ~InitSuspension() { m_World.ResumeInitScripts(); }
    InitSuspension(const InitSuspension&) = delete;
    InitSuspension& operator=(const InitSuspension&) = delete;

private:
    WorldCtrl& m_World;
};

}  // namespace

// What one load brought back, for the references resolved at its end.
struct WorldCtrl::SaveLoadState {
    std::vector<SmartPtr<WorldElem>> elems;
    std::vector<int32_t> walls;
    std::vector<int32_t> lights;
};

void WorldCtrl::ReadDataRecord(File& file, WorldEvent& event)
{
    FileRecordReader in(file, kCutShort);
    event.Clear();
    const uint16_t type = in.U16();
    double time = 0.0;
    if (!file.ReadDouble(&time))
        in.CutShort();
    const int32_t length = in.Count("Event data", 1);
    std::vector<uint8_t> data(static_cast<size_t>(length));
    if (length > 0 && !file.Read(data.data(), size_t(length)))
        in.CutShort();
    SetEventPayload(event, type, data.data(), length, time);
}

// The slot list of a section: a count that the bytes left can hold with records of at least
// recordBytes, then the slots, each below 2^24 and none twice.
static std::vector<int32_t> ReadSlotList(WorldCtrl& world, File& file, int64_t recordBytes)
{
    FileRecordReader in(file, kCutShort);
    int32_t n = 0;
    if (!file.ReadInt32(&n) || n < 0 || int64_t(n) * (4 + recordBytes) > int64_t(file.GetRemaining()))
        world.Error("Invalid savegame");
    std::vector<int32_t> slots(static_cast<size_t>(n));
    for (int32_t& slot : slots)
        if (!file.ReadInt32(&slot) || slot < 0 || slot >= WorldCtrl::kMaxObjID)
            world.Error("Invalid savegame");
    std::vector<int32_t> sorted = slots;
    std::sort(sorted.begin(), sorted.end());
    if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end())
        world.Error("Invalid savegame");
    return slots;
}

WorldElemGridBase* WorldCtrl::NewObjectFromSavegameFile(int32_t typeCode)
{
    switch (typeCode) {
    case ElemType::kLight:
        return m_Lights.GetBySlot(NewLightSlot());
    case ElemType::kWall: {
        VSD_WallIntern model;
        return m_Walls.GetBySlot(InsertWall(model, 0, 0));
    }
    case ElemType::kCreature:
    case ElemType::kProjectile:
    case ElemType::kItem:
    case ElemType::kEvent: {
        WorldElem* elem = GetCtrl().CreateEmptyElement(uint16_t(typeCode));
        if (!elem)
            Error("Invalid object type in NewObjectFromSavegameFile: %i", typeCode);
        AddObj(elem, 0, false);
        return elem;
    }
    case ElemType::kEffect:
        return nullptr;
    default:
        break;
    }
    Error("Invalid object type in NewObjectFromSavegameFile: %i", typeCode);
    return nullptr;
}

void WorldCtrl::LoadLevelFromSaveGame(File& file, int32_t unusedA, int32_t unusedB)
{
    (void)unusedA;
    (void)unusedB;
    const uint16_t version = file.GetVersion();
    FileRecordReader in(file, kCutShort);
    GameCtrlInterface& ctrl = GetCtrl();
    Log::Write("LoadLevelFromSaveGame: %s", file.GetFileName().c_str());
    if (m_Elements.GetSize() > 0 || m_Lights.GetSize() > 0)
        Error("Level not cleaned!");
    ResetScriptModules();

    const int16_t width = in.I16();
    const int16_t height = in.I16();
    if (width != m_MapWidth || height != m_MapHeight)
        Error("Level data does not match vsd (%s)", file.GetFileName().c_str());

    in.Floats(m_LevelDiffuse, 3);
    in.Floats(m_LevelSecond, 3);
    in.Floats(m_LevelAmbient, 3);
    in.Text(m_LevelText);
    if (version >= 166)
        in.Text(m_MusicPlaying);
    if (version >= 236) {
        const int32_t effects = in.Count("Post-render effect", 8);
        for (int32_t i = 0; i < effects; i++) {
            String name;
            in.Text(name);
            const int32_t count = in.I32();
            // an effect that is not found is not found again: no loop over a hostile count
            for (int32_t n = 0; n < count && EnablePostRenderEffect(name.c_str()); n++) {
            }
        }
    } else {
        String name;
        in.Text(name);
        EnablePostRenderEffect(name.c_str());
    }
    if (version >= 171) {
        m_CountDownLeft = in.F32();
        m_CountDownStart = in.F32();
        in.Text(m_CountDownLabel);
    }

    const size_t vertices = size_t(width + 1) * size_t(height + 1);
    const size_t cells = size_t(width) * size_t(height);
    if (int64_t(vertices + cells * (version >= 222 ? 2 : 1)) > int64_t(file.GetRemaining()))
        in.CutShort();
    for (size_t i = 0; i < vertices; i++) {
        const float value = float(in.U8()) / 255.0f;
        if (i < m_FloorVertices.size())
            m_FloorVertices[i].exploration = value;
    }
    for (size_t i = 0; i < cells; i++) {
        const uint8_t revealed = in.U8();
        if (i < m_RevealedCells.size())
            m_RevealedCells[i] = revealed;
    }
    if (version >= 222)
        for (size_t i = 0; i < cells; i++) {
            const uint32_t alpha = in.U8();
            if (i < m_CoverPixels.size())
                m_CoverPixels[i] = (m_CoverPixels[i] & 0x00FFFFFFu) | (alpha << 24);
        }

    m_EventQueues[0].DeleteAll();
    m_EventQueues[1].DeleteAll();
    const int32_t events = in.Count("Event", 2 + 8 + 4);
    for (int32_t i = 0; i < events; i++) {
        WorldEvent& event = *m_EventQueues[0].GetBySlot(m_EventQueues[0].Add());
        ReadDataRecord(file, event);
        if (version <= 182 && event.type == kOldEventType && event.payload && event.size > 0)
            event.payload[0] = 0;  // the flag lies inside the event's own data
    }
    DropReenterEvents();

    SaveLoadState state;
    LoadSavedWalls(file, state);

    const int32_t mainCharID = in.I32();
    if (version < kOldestSaveVersion)
        Error("Internal error: can not load obsolete save game");

    LoadSavedElements(file, mainCharID, state);
    LoadSavedLights(file, state);

    const int32_t effects = in.Count("Effect", 4);
    for (int32_t i = 0; i < effects; i++) {
        if (in.U16() != kSaveMarker)
            Error("Invalid savegame (wrong id)");
        const uint16_t type = in.U16();
        if (type != ElemType::kEffect)
            Error("Invalid object type for effect: %i", type);
        Error("Load Effect: todo");  // an effect's record has no reader
    }

    ResolveSavedReferences(state);
    ctrl.ShowLoadingProgress(77.0f, 0, 1.0f, 1);
}

void WorldCtrl::LoadSavedWalls(File& file, SaveLoadState& state)
{
    FileRecordReader in(file, kCutShort);
    const std::vector<int32_t> slots = ReadSlotList(*this, file, kLeastWallBytes);
    String lastCfgID;
    for (int32_t slot : slots) {
        uint16_t marker = 0;
        if (!file.ReadInt16(&marker))
            Error("Error reading from savegame");
        if (marker != kSaveMarker)
            Error("Invalid savegame (wrong id), last wall cfgID:%s", lastCfgID.c_str());
        float ends[4];
        in.Floats(ends, 4);
        VSD_WallEntry entry;
        if (!entry.SetEnds(ends))
            Error("Invalid savegame");
        String cfgID;
        in.Text(cfgID);
        lastCfgID = cfgID;
        int32_t id = -1;
        const int32_t type = cfgID.IsEmpty() ? -1 : GetCtrl().FindWallTypeIndex(cfgID.c_str());
        if (type >= 0 && type < m_NumWallDescs) {
            entry.descId = int16_t(type);
            id = ReadWallProperties(entry, 1, 0, 0);
            VSD_WallIntern& wall = *m_Walls.GetBySlot(id);
            wall.Load(file, false);
            wall.m_CfgID = cfgID;
        } else {
            VSD_WallIntern scratch;
            scratch.Load(file, false);
            scratch.m_CfgID = cfgID;
            scratch.m_X1 = entry.x1;
            scratch.m_Y1 = entry.y1;
            scratch.m_X2 = entry.x2;
            scratch.m_Y2 = entry.y2;
            id = InsertWall(scratch, 1, 0);
        }
        MoveWallToID(id, slot);
        state.walls.push_back(slot);
    }
}

void WorldCtrl::LoadSavedElements(File& file, int32_t mainCharID, SaveLoadState& state)
{
    const uint16_t version = file.GetVersion();
    FileRecordReader in(file, kCutShort);
    GameCtrlInterface& ctrl = GetCtrl();
    const std::vector<int32_t> ids = ReadSlotList(*this, file, kLeastRecordBytes);
    const int32_t n = int32_t(ids.size());
    int32_t lastType = -1;
    String lastCfgID;
    double lastProgress = Timer::GetTime();
    for (int32_t i = 0; i < n; i++) {
        const int32_t savedID = ids[size_t(i)];
        uint16_t marker = 0;
        if (!file.ReadInt16(&marker))
            Error("Error reading from savegame");
        if (marker != kSaveMarker)
            Error("Invalid savegame (wrong id), last obj type:%i, cfgID:%s", lastType, lastCfgID.c_str());
        const int32_t type = version < 240 ? in.I32() : int32_t(in.U16());
        lastType = type;
        WorldElem* elem = nullptr;
        bool fromRecord = true;
        if (type == kKeptObjectCode) {
            String worldID;
            in.Text(worldID);
            lastCfgID.Format("OBJ_DONOTSAVE%s", worldID.c_str());
            elem = ctrl.FindKeptObject(worldID.c_str());
            if (!elem)
                continue;
            if (!HoldsObj(elem->m_ObjID, elem))
                AddObj(elem, 0, false);
            fromRecord = false;
        } else {
            String cfgID;
            in.Text(cfgID);
            lastCfgID = cfgID;
            elem = LoadSavedElement(file, type, cfgID, savedID == mainCharID);
            fromRecord = savedID != mainCharID;
        }
        if (fromRecord) {
            if (elem->m_InputIndex != -1)
                ctrl.AddToInputCtrl(elem);
            else {
                elem->m_InputCtrl = nullptr;
                elem->m_InputIndex = -1;
            }
        }
        if (type != kKeptObjectCode)
            state.elems.emplace_back(elem);
        MoveObjToID(elem->m_ObjID, savedID, true);
        if (elem->m_TypeCode == ElemType::kItem) {
            RestoreWallChildren(elem);
            if (elem->IsHeld())
                AddHeldObject(elem);
        }
        if (i % 10 == 5 && Timer::GetTime() - lastProgress >= 0.2) {
            lastProgress = Timer::GetTime();
            ctrl.ShowLoadingProgress(25.0f + 35.0f * float(i) / float(n), 0, 1.0f, 1);
        }
    }
}

WorldElem* WorldCtrl::LoadSavedElement(File& file, int32_t type, const String& cfgID, bool isMainChar)
{
    GameCtrlInterface& ctrl = GetCtrl();
    if (isMainChar) {
        WorldElemGridBase* grid = nullptr;
        {
            InitSuspension hold(*this);
            grid = ctrl.CreateWorldObject(cfgID.c_str(), 0.0f, 0.0f, 0.0f, 0.0f);
        }
        auto* elem = dynamic_cast<WorldElem*>(grid);
        if (!elem || !elem->IsCreature())
            Error("Main character must be a creature");
        ctrl.SetMainChar(elem);
        elem->Load(file, false);
        return elem;
    }
    if (cfgID.IsEmpty()) {
        auto* elem = dynamic_cast<WorldElem*>(NewObjectFromSavegameFile(type));
        if (!elem)
            Error("Invalid object type in savegame: %i", type);
        elem->Load(file, false);
        return elem;
    }
    const int32_t index = ctrl.FindWorldObjectTypeIndex(cfgID.c_str());
    if (index >= 0) {
        WorldElemGridBase* grid = nullptr;
        {
            InitSuspension hold(*this);
            grid = ctrl.CreateWorldObjectByIndex(index, 0.0f, 0.0f, 0.0f, 0.0f);
        }
        auto* elem = dynamic_cast<WorldElem*>(grid);
        if (!elem || !elem->IsActiveType())
            Error("Load Effect: todo");
        if (elem->m_TypeCode != type)
            Error("Invalid obj type from cfgID");
        elem->Load(file, false);
        return elem;
    }

    // The type is gone from the game data: an event object stands in with the saved base state.
    String message;
    message.Format("Object '%s' not found during save game load", cfgID.c_str());
    LogScriptError("WorldCtrl Error", message.c_str());
    if (type != ElemType::kCreature && type != ElemType::kProjectile && type != ElemType::kItem &&
        type != ElemType::kEvent)
        Error("Invalid object type in savegame: %i", type);
    std::unique_ptr<WorldElem> substitute;
    {
        InitSuspension hold(*this);
        substitute.reset(ctrl.CreateEmptyElement(ElemType::kEvent));
    }
    if (!substitute)
        Error("Invalid object type in savegame: %i", type);
    WorldElem* record = substitute.get();  // what read the record: its identity and references stay
    std::unique_ptr<WorldElem> scratch;
    if (type == ElemType::kEvent)
        substitute->Load(file, false);
    else {
        scratch.reset(ctrl.CreateEmptyElement(uint16_t(type)));
        if (!scratch)
            Error("Invalid object type in savegame: %i", type);
        scratch->Load(file, false);
        record = scratch.get();
        const uint16_t ownType = substitute->m_TypeCode;
        substitute->WorldElem::operator=(*scratch);
        substitute->m_TypeCode = ownType;
        scratch->CopyItemsTo(*substitute);
    }
    substitute->m_CfgID = cfgID;
    const int32_t myRnd = record->m_MyRnd;
    const uint32_t refs[3] = {record->m_SavedParentRef, record->m_SavedCreatorRef, record->m_SavedMasterRef};
    AddObj(substitute.get(), 0, false);
    substitute->m_MyRnd = myRnd;  // the saved identity stays
    substitute->m_SavedParentRef = refs[0];
    substitute->m_SavedCreatorRef = refs[1];
    substitute->m_SavedMasterRef = refs[2];
    return substitute.release();
}

void WorldCtrl::LoadSavedLights(File& file, SaveLoadState& state)
{
    FileRecordReader in(file, kCutShort);
    const std::vector<int32_t> slots = ReadSlotList(*this, file, kLeastRecordBytes);
    for (int32_t slot : slots) {
        if (in.U16() != kSaveMarker)
            Error("Invalid savegame (wrong id)");
        const uint16_t type = in.U16();
        if (type != ElemType::kLight)
            Error("Invalid light type in savegame: %i", type);
        String cfgID;
        in.Text(cfgID);
        VSD_LightIntern scratch;
        scratch.Load(file, false);
        scratch.m_CfgID = cfgID;
        const int32_t id = AddLightToGrid(scratch);
        if (id < 0)
            Error("Invalid savegame");
        VSD_LightIntern& light = *m_Lights.GetBySlot(id);
        light.m_MyRnd = scratch.m_MyRnd;
        light.m_TimeAdded = scratch.m_TimeAdded;
        light.m_SavedParentRef = scratch.m_SavedParentRef;
        light.m_SavedCreatorRef = scratch.m_SavedCreatorRef;
        light.m_SavedMasterRef = scratch.m_SavedMasterRef;
        if (id != slot) {
            m_Lights.MoveSlot(id, slot, true);
            light.m_ObjID = slot;
        }
        state.lights.push_back(slot);
    }
}

void WorldCtrl::ResolveSavedReferences(SaveLoadState& state)
{
    auto resolveElem = [&](uint32_t code) { return dynamic_cast<WorldElem*>(GetElemByCode(int32_t(code))); };
    for (SmartPtr<WorldElem>& entry : state.elems) {
        WorldElem* elem = entry.Get();
        if (!elem)
            continue;
        elem->m_Creator = resolveElem(elem->m_SavedCreatorRef);
        elem->SetMaster(resolveElem(elem->m_SavedMasterRef));
        elem->ResolveSavedRefs(*this);
    }
    for (SmartPtr<WorldElem>& entry : state.elems)  // the children lists after every element is back
        if (WorldElem* elem = entry.Get())
            if (WorldElemBase* parent = GetElemByCode(int32_t(elem->m_SavedParentRef)))
                parent->AttachChild(elem);
    for (int32_t slot : state.walls)
        if (VSD_WallIntern* wall = m_Walls.GetBySlot(slot))
            wall->m_GroupOwner = GetElemByCode(int32_t(wall->m_SavedGroupRef));
    for (int32_t slot : state.lights)
        if (VSD_LightIntern* light = m_Lights.GetBySlot(slot))
            if (WorldElemBase* owner = GetElemByCode(int32_t(light->m_SavedParentRef)))
                owner->AttachChild(light);
}
