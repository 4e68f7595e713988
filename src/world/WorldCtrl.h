// WorldCtrl: the world of the running game, a level viewer grown up: the element table with
// object identities and check values, the world grid of 512-unit blocks with their element lists,
// and the game random generator that server and clients share.
//
//   WorldCtrl.cpp          construction and destruction
//   WorldCtrlElements.cpp  the element table: adding, finding, moving and deleting elements and
//                          walls, the identity dump
//   WorldCtrlBlocks.cpp    the block lists, the active block mask, the floor under floor objects
#pragma once
#include "base/String.h"
#include "level/VSD_Viewer.h"
#include "world/GameRandom.h"
#include "world/ObjRef.h"
#include "world/WorldBlock.h"
#include "world/WorldOptions.h"

#include <cstdint>
#include <memory>

class WorldElem;
class WorldElemBase;
class WorldElemGridBase;

class WorldCtrl : public VSD_Viewer {
public:
    static constexpr int32_t kMaxObjID = 1 << 24;  // element codes carry 24 bits of object ID

    WorldCtrl();
    ~WorldCtrl() override;

    WorldCtrl* GetWorldCtrl() override { return this; }

    // Element table. AddObj enters an element at the lowest free ID and draws its check value;
    // animation mode 1 also draws its start value. Lookups come in three strengths: GetObj
    // throws, GetObjSafe warns (when asked) and answers null, GetObjNoCheck raises a script
    // error when asked, else answers null.
    int32_t AddObj(WorldElem* elem, int32_t animMode, bool runInit);
    WorldElem* GetObj(int32_t id);
    WorldElem* GetObjNoCheck(int32_t id, bool report);
    WorldElem* GetObjSafe(int32_t id, const char* context, bool report);
    bool IsValidObjID(int32_t id) const;
    int32_t GetObjCapacity() const { return m_Elements.GetCapacity(); }
    // Whether the slot holds that very element.
    bool HoldsObj(int32_t id, const WorldElemGridBase* elem) const;
    WorldElem* GetObjByIdentifier(const ObjRef& ref);
    // An element, wall or light by its kind; live elements only with the right check value.
    WorldElemBase* GetObjByIdentifierChecked(const ObjRef3& ref);
    using VSD_Viewer::GetWall;
    // A wall by its ID: with report an invalid ID is a script error, else null.
    VSD_WallIntern* GetWall(int32_t id, bool report);
    void DelObj(int32_t id, int32_t deleteChildren);
    // Takes the element out of the table and its block; it stays alive with its stored ID.
    void RemoveObj(int32_t id, bool keepController);
    void DelWall(int32_t id);
    bool MoveObjToID(int32_t from, int32_t to, bool report);
    int32_t MoveObjToFreeID(int32_t id);
    void MoveWallToID(int32_t from, int32_t to);
    int32_t MoveWallToFreeID(int32_t id);
    // Writes "objIDs_server.txt" (server) or "objIDs.txt": one line per element.
    void DumpObjIDs();
    // A script's error: raised as an error of the world.
    [[noreturn]] void ReportScriptError(const char* format, ...) __attribute__((format(printf, 2, 3)));

    GameRandom& GetGameRandom() { return m_GameRandom; }
    WorldOptions& GetOptions() { return m_Options; }

    // The world grid. Elements enter the list of their block by their type code; an element
    // outside the grid is in no block.
    WorldBlock* GetBlock(int32_t column, int32_t row);
    WorldBlock* GetBlockByIndex(int32_t index);
    int32_t GetNumBlocks() const { return m_NumBlocks; }
    void MoveToBlock(WorldElemGridBase& elem, int32_t column, int32_t row);
    void LeaveBlock(WorldElemGridBase& elem);
    // The level's block grid was (re)made: every block starts empty.
    void OnBlockGridChanged() override;

    // The active block mask: the blocks around the players whose elements are processed.
    bool IsBlockActive(int32_t column, int32_t row) const;
    int32_t GetNumActiveAreas() const { return m_NumActiveAreas; }
    bool IsEverythingInView() const { return m_EverythingInView != 0; }
    void SetEverythingInView(bool flag) { m_EverythingInView = flag ? 1 : 0; }

    // The floor height at (x, y) including the floor objects there (creatures and items that
    // are walkable scene objects, other than the ignored ID); the highest object met goes out.
    float GetFloorHeightWithObjects(float x, float y, int32_t ignoreID, WorldElem** floorObject);

protected:
    // The lowest and highest block column and row within reach blocks of (column, row), clamped.
    bool ClampBlockRange(int32_t column, int32_t row, int32_t reach, int32_t range[4]) const;

    GameRandom m_GameRandom;
    WorldOptions m_Options;
    std::unique_ptr<WorldBlock[]> m_Blocks;  // block columns x block rows, row by row
    int32_t m_NumBlocks = 0;
    int32_t m_NumActiveAreas = 0;    // areas revealed since the mask was last cleared
    uint8_t m_EverythingInView = 0;  // elements count as in view wherever they are
};
