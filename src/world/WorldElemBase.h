// WorldElemBase: error reporting plus the positional interface, the element's two identifiers
// (cfgID, worldID), its children, the collision mask, eight script variables and the
// OnCollision script. Walls derive from it; every other element through WorldElem.
#pragma once
#include "base/DynaMem.h"
#include "base/ErrorClass.h"
#include "base/String.h"
#include "world/WorldElemGridBase.h"

#include <cstdint>

class WorldElemBase : public ErrorClass, public WorldElemGridBase {
public:
    static constexpr int32_t kScriptTemps = 8;
    // Collision mask bits: which elements this one reacts to (-1: all).
    static constexpr int32_t kCollideFlaggedCreatures = 0x1;    // creatures whose creature flag holds
    static constexpr int32_t kCollideUnflaggedCreatures = 0x2;  // creatures whose flag does not
    static constexpr int32_t kCollideProjectiles = 0x4;
    static constexpr int32_t kCollideCfgIDFilter = 0x8;         // walls: only elements of the filter's cfgID
    static constexpr int32_t kCollideWorldIDFilter = 0x10;      // walls: only elements of the filter's worldID
    static constexpr int32_t kCollideItems = 0x100;

    WorldElemBase();
    // The element part copy: every field but the children, which keep their one parent.
    WorldElemBase(const WorldElemBase& other);
    WorldElemBase& operator=(const WorldElemBase& other);
    ~WorldElemBase() override;

    void OnPosChanged() override;
    bool UpdateGridCell() override;
    void SetAngle(float angle) override;
    void SetPos(float x, float y) override;  // the same position changes nothing

    // The record after which walls and WorldElem write theirs: cfgID (full only, read by the
    // level loader, not here), position, grid record, angle and the identifiers and scripts.
    void Save(File& file, bool compact) override;
    void Load(File& file, bool compact) override;

    virtual void OnMoved() {}
    virtual D3DXVECTOR3 GetCenterOffset() { return {0.0f, 0.0f, 0.0f}; }
    virtual float GetRadius() { return m_Radius; }
    virtual float GetBoundingRadius() { return m_Radius; }
    // From the point to the element's centre (its height above the ground), less the bounding
    // radius, not below 0.
    virtual float GetDistanceTo(const D3DXVECTOR3& point);
    virtual bool GetCreatureFlag() const { return false; }
    // Deletes the children; with keep, children whose keepWithParent is set stay alive.
    virtual void DeleteChildren(bool keep);
    virtual int32_t IsEnemyOf(WorldElemBase* other, bool checkOther);
    virtual bool CanCollideWith(WorldElemBase* other, int32_t arg);
    // A mover touched the element, or the element touched something: the other (null for the
    // terrain) and the wall side or terrain code: runs the OnCollision script, the other's ID
    // (a live one) and the code as the event's values.
    virtual void OnCollisionEvent(WorldElemBase* other, int32_t arg);
    virtual bool WantsSave(int32_t a, int32_t b);
    virtual bool IsUsable() { return false; }
    virtual void SetScriptTemp(int32_t index, float value);
    virtual void SetInfoText(const String& text) { m_InfoText = text; }
    virtual bool OnUse(int32_t flag, int32_t userID, int32_t arg);
    virtual int32_t* GetNoRef(int32_t* out);

    // Attaches the child's topmost ancestor (the child itself when free) to this element. An
    // element that would become its own ancestor is refused: "Object can not attach itself".
    void AttachChild(WorldElemGridBase* child);
    // Takes a child off this element; it keeps its place in the world.
    void DetachChild(WorldElemGridBase* child);
    // Leaves the parent, if any.
    void DetachFromParent();
    // Removes the entries whose element no longer exists.
    void PurgeChildren();
    // Calls visit with every child that still exists, in slot order.
    template <class Visit> void ForEachChild(Visit visit)
    {
        for (int32_t slot = m_Children.NextUsedSlot(-1); slot >= 0; slot = m_Children.NextUsedSlot(slot)) {
            SmartPtr<WorldElemGridBase>* entry = m_Children.GetBySlot(slot);
            if (WorldElemGridBase* child = entry ? entry->Get() : nullptr)
                visit(*child);
        }
    }
    // The child of the entry leaves: a light or an effect is deleted by its table, any other
    // element by the world unless keep is set and its keepWithParent too. The entry goes.
    void DeleteChild(int32_t slot, bool keep);

    String m_CfgID;    // the configuration ID the element was made from
    String m_WorldID;  // the identifier the level or scripts give it
    DynaMem<SmartPtr<WorldElemGridBase>, 4, 1> m_Children;
    int32_t m_Moved = 1;   // set on every position change; the world clears it each frame
    int32_t m_Turned = 1;  // the same for the angle
    float m_ScriptTemp[kScriptTemps] = {};
    String m_InfoText;
    uint8_t m_DoNotSave = 0;       // the level save writes the element by its worldID only
    uint8_t m_KeepWithParent = 2;  // not 0: stays alive when its parent deletes its children in keeping mode
    String m_OnCollision;
    int32_t m_CollisionMask = -1;

protected:
    // The construction defaults of the grid part and of this part (children emptied).
    void ResetElemBase(bool keepPlacement);

private:
    void CopyElemPart(const WorldElemBase& other);
};
