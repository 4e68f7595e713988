// WorldElemGridBase: the positional interface of every world element: position, height and angle
// (relative to a parent when attached), the cached ground height, opacity and fading, the object
// ID, the element type code and the element's place in the world's grid of 512-unit blocks.
// Every element is one object whose WorldElemBase part comes first and whose grid part is this
// second base; the world's spatial lists and the children lists hold grid pointers.
#pragma once
#include "base/SmartPtr.h"
#include "base/cfLeaAllocator.h"
#include "platform/D3DXMath.h"

#include <cstdint>

class WorldCtrl;
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
    static constexpr int32_t kMaxParentChain = 1024;

    WorldElemGridBase();
    WorldElemGridBase(const WorldElemGridBase& other);
    WorldElemGridBase& operator=(const WorldElemGridBase& other);
    virtual ~WorldElemGridBase();

    // The element angle wrap: into [-3.14159, 3.14159) with the decimal constants as floats.
    static float WrapAngle(float a);

    // Position changed: re-grid (elements: mark moved, tell the children and OnMoved first).
    virtual void OnPosChanged();
    // Places the element in the cell of its position; without a world nothing. Always true.
    virtual bool UpdateGridCell();
    // Absolute position: relative positions are turned by the parent's absolute angle.
    virtual D3DXVECTOR2 GetPos() const;
    virtual float GetHeight() const;  // own height plus the parent's
    virtual void SetHeight(float height);
    virtual void SetAngle(float angle);
    virtual float GetAngle() const;  // own angle plus the parent's, wrapped
    virtual void SetPos(float x, float y);
    virtual void SetPosNoGround(float x, float y);
    virtual void FadeIn(float seconds);
    virtual void FadeOut(float seconds);
    virtual void UpdateFade(float dt);
    virtual float GetOpacity() const { return m_Opacity; }

    // The parent's grid part; with topmost the top of the chain (this element when free).
    WorldElemGridBase* GetParent(bool topmost);
    bool SameTopParent(WorldElemGridBase& other) { return GetParent(true) == other.GetParent(true); }
    float GetOwnAngle() const { return m_Angle; }
    float GetOwnHeight() const { return m_Height; }
    D3DXVECTOR3 GetPos3D() const;
    void InvalidateGroundHeight();
    bool IsOnFloorObject() const { return (m_FloorObjectFlags & 0xF) != 0; }

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
    int32_t m_CellIndex = -1;          // row x grid width + column; -1 outside the grid
    uint16_t m_TypeCode = ElemType::kNone;

protected:
    // The grid part's own defaults (construction and the element resets).
    void ResetGridPart();
};
