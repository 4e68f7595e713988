// WorldElemGridBase: the positional interface of every world element: position, height and angle
// (relative to a parent when attached), the cached ground height, opacity and fading, the life
// span, the object ID, the element type code and the element's place in the world's grid of
// 512-unit blocks. Every element is one object whose WorldElemBase part comes first and whose grid
// part is this second base; the world's block lists and the children lists hold grid pointers.
#pragma once
#include "base/SmartPtr.h"
#include "base/cfLeaAllocator.h"
#include "platform/D3DXMath.h"

#include <cstdint>

class File;
class WorldCtrl;
class WorldElem;
class WorldElemBase;

// Element type codes (16 bits).
namespace ElemType {
constexpr uint16_t kBase = 0;  // plain WorldElemBase
constexpr uint16_t kLight = 2;
constexpr uint16_t kCreature = 4;
constexpr uint16_t kProjectile = 5;
constexpr uint16_t kItem = 6;
constexpr uint16_t kWall = 7;
constexpr uint16_t kEvent = 8;
constexpr uint16_t kEffect = 9;
constexpr uint16_t kElem = 10;  // plain WorldElem and scene objects
constexpr uint16_t kNone = 65535;
}  // namespace ElemType

class WorldElemGridBase : public SmartClass, public cfLeaAllocator {
public:
    static constexpr float kUnknownGround = 9e9f;  // 8999999488.0: ground height not known
    static constexpr float kStepHeight = 16.0f;    // what an element steps up onto a floor object
    static constexpr int32_t kMaxParentChain = 1024;  // a longer chain of parents is a cycle
    static constexpr int32_t kBlockSize = 512;

    WorldElemGridBase();
    // A copy starts outside every world, table and block: only the element it was taken from is
    // listed there.
    WorldElemGridBase(const WorldElemGridBase& other);
    // Takes the other's values and keeps its own world, object ID and block placement.
    WorldElemGridBase& operator=(const WorldElemGridBase& other);
    // An element still listed in a block leaves it.
    virtual ~WorldElemGridBase();

    // The element angle wrap: into [-3.14159, 3.14159) with the decimal constants as floats.
    static float WrapAngle(float a);
    // The block of a coordinate: truncated toward zero, then divided toward zero.
    static int32_t BlockOf(float coordinate);

    // Position changed: re-grid (elements: mark moved, tell the children and OnMoved first).
    virtual void OnPosChanged();
    // Places the element in the block of its position; without a world nothing. Always true.
    virtual bool UpdateGridCell();
    // Absolute position: relative positions are turned by the parent's absolute angle.
    virtual D3DXVECTOR2 GetPos() const;
    virtual float GetHeight() const;  // own height plus the parent's
    virtual void SetHeight(float height);
    virtual void SetAngle(float angle);
    virtual float GetAngle() const;  // own angle plus the parent's, wrapped
    // The cached height of the ground under the element, computed again when marked dirty.
    virtual float GetGroundHeight();
    // Whether the element would stand on a floor object at (x, y).
    virtual bool IsOnFloorObjectAt(float x, float y);
    virtual void SetPos(float x, float y);
    virtual void SetPosNoGround(float x, float y);
    // Whether the element is drawn on screen now: there is no graphics device in this program.
    virtual bool IsOnScreen() { return false; }
    virtual void SetVisibility(float visibility, bool recursive)
    {
        (void)visibility;
        (void)recursive;
    }
    virtual void FadeIn(float seconds);
    virtual void FadeOut(float seconds);
    virtual void UpdateFade(float dt);
    virtual float GetOpacity() const { return m_Opacity; }
    // The view's edge fade at the position times the opacity.
    virtual float GetVisibleFactor(float heightOffset);

    // Save records (WorldElemRecord.cpp). Save and Load are the record of the whole element
    // (full or compact); the bare grid interface writes its position and the grid record. The
    // parent is written as an element code and read into m_SavedParentRef, the parent cleared.
    virtual void Save(File& file, bool compact);
    virtual void Load(File& file, bool compact);
    void SavePos(File& file, bool compact);
    void LoadPos(File& file, bool compact);
    void SaveGridPart(File& file, bool compact);
    void LoadGridPart(File& file, bool compact);

    // The parent's grid part; with topmost the top of the chain (this element when free).
    WorldElemGridBase* GetParent(bool topmost);
    bool SameTopParent(WorldElemGridBase& other) { return GetParent(true) == other.GetParent(true); }
    float GetOwnAngle() const { return m_Angle; }
    float GetOwnHeight() const { return m_Height; }
    D3DXVECTOR3 GetPos3D() const;  // position and height
    D3DXVECTOR3 GetAbsPos3D();     // position and height above the ground plus the ground height
    void InvalidateGroundHeight();
    bool IsOnFloorObject() const { return (m_FloorObjectFlags & 0xF) != 0; }
    // Works out the ground under (x, y): the floor, or a floor object the element stands or steps on.
    float UpdateGroundHeight(float x, float y);

    // Life span: ends the element at game time + seconds (SetLifeSpan also its children other
    // than walls and effects); the seconds left, -1 without an end.
    void SetLifeSpan(float seconds);
    void SetLifeSpanEnd(float seconds);
    double GetLifeSpanLeft() const;

    // The checked position store: a position that is not finite is not stored, and one log line
    // names the element.
    void StorePosChecked(float x, float y);

    SmartPtr<WorldElemBase> m_Parent;  // the element this one is attached to; null when free
    uint32_t m_SavedParentRef = 0;     // the parent's code as read from a save, until resolved
    int32_t m_CellX = -1;              // block column and row of the position, -1 before the first placement
    int32_t m_CellY = -1;
    int32_t m_CellListEntry = -1;      // the entry in that block's list
    WorldCtrl* m_World = nullptr;      // the world that holds the element
    float m_PosX = 0.0f;               // relative to the parent, in its turned frame, when attached
    float m_PosY = 0.0f;
    float m_GroundHeight = kUnknownGround;
    float m_Height = 0.0f;
    float m_Angle = 0.0f;
    float m_Radius = 32.0f;
    uint8_t m_GroundDirty = 1;
    uint8_t m_FloorObjectFlags = 0;    // 0 on the floor; else the floor object's flag byte & 0xFC, plus 1
    float m_VisibilityMix = 1.0f;
    double m_LifeSpanEnd = -1.0;       // game time at which the element ends; -1 none
    float m_Opacity = 1.0f;
    float m_FadeRate = 0.0f;           // opacity change per second
    int32_t m_ObjID = -1;              // slot in the element table (walls: in the wall table)
    int32_t m_CellIndex = -1;          // row x block columns + column; -1 outside the grid
    uint16_t m_TypeCode = ElemType::kNone;

protected:
    // The grid part's own defaults (construction and the element resets). An element reset in
    // the world keeps its placement: its table slot, world and block entry.
    void ResetGridPart(bool keepPlacement);
    // Counts one step up the parent chain while it lives; a chain longer than any real one is a
    // cycle, reported as an element attached to itself.
    class ParentStep {
    public:
        ParentStep();
        ~ParentStep();
        ParentStep(const ParentStep&) = delete;
        ParentStep& operator=(const ParentStep&) = delete;
    };

private:
    void CopyValues(const WorldElemGridBase& other);
};
