// VSD_WallIntern: a wall of the level: a world element between two end points with the geometry
// derived from them, the properties of its wall kind and property text, and its links to other
// walls and to the element it belongs to. Its slot in the level's wall table is its wall ID.
#pragma once
#include "base/SmartPtr.h"
#include "base/String.h"
#include "level/IlluminatedObject.h"
#include "world/WorldElemBase.h"

#include <cstdint>
#include <vector>

class VSD_Viewer;

// A light of one of a wall's two light lists, with the values the render side keeps for it. The
// lists are copied entry by entry, so that each copy registers with its light, and a destroyed
// copy unregisters.
struct VSD_WallLightEntry {
    SmartPtr<WorldElemBase> light;  // a VSD_LightIntern of the level
    int32_t values[2] = {0, 0};
    float factors[2] = {0.0f, 0.0f};
};

// One point of a wall's segments: a floor cell.
struct VSD_CellPoint {
    int32_t x = 0;
    int32_t y = 0;
};

class VSD_WallIntern : public WorldElemBase, public IlluminatedObject {
public:
    static constexpr int32_t kParties = 4;
    static constexpr int32_t kAnyParty = -999;  // a first party entry of -999 lets every party through
    static constexpr float kTopHeightAdd = 150.0f;

    VSD_WallIntern();
    VSD_WallIntern(const VSD_WallIntern& other) = default;
    VSD_WallIntern& operator=(const VSD_WallIntern& other) = default;
    ~VSD_WallIntern() override;

    // The wall's save record (VSD_WallInternRecord.cpp), after the WorldElemBase record.
    void Save(File& file, bool compact) override;
    void Load(File& file, bool compact) override;

    // Stores the end points; a wall in a level gets its geometry updated.
    void SetEndPoints(float x1, float y1, float x2, float y2);
    // Half length, direction and normal from the end points. Coinciding end points give the
    // direction (1, 0) and the normal (0, -1).
    void CalcDirection();
    // The orientation matrix from the direction and normal: first axis along the wall, second the
    // vertical, third the normal; placed at the centre.
    void UpdateTransform();

    // 1 when (x, y) lies on the side the normal points to, else -1.
    int32_t GetSide(float x, float y) const;
    // Whether the wall blocks from that side: one-sided walls let the other side through.
    bool SideAllows(int32_t side) const;
    bool IsLinkedToParent() const { return m_Parent.Get() && m_LinkToParent; }
    void SetGroupOwner(WorldElemBase* owner) { m_GroupOwner = owner; }

    // The floor heights under the position and the two end points, read again when marked stale.
    void UpdateEndHeights();
    void MarkEndHeightsStale() { m_EndHeightsStale = 1; }
    float GetStartFloorHeight();
    float GetEndFloorHeight();
    float GetGroundHeight();
    // What the floor marks test: the higher of the two wall heights.
    float GetWallHeight() const { return m_Height1 > m_Height2 ? m_Height1 : m_Height2; }
    // The "opacity" property times the fade value; line tests compare it with 1.0.
    float GetObstruction() const { return m_WallOpacity * m_Opacity; }

    D3DXVECTOR2 GetPos() const override { return {m_CentreX, m_CentreY}; }
    D3DXVECTOR3 GetCenterOffset() override;
    float GetRadius() override { return m_HalfLength; }
    float GetBoundingRadius() override;
    bool CanCollideWith(WorldElemBase* other, int32_t arg) override;
    bool IsUsable() override;
    // A use with the flag by a user (an object ID) on a wall with an item slot goes to the game
    // (false); otherwise the use sound and the OnUse script, then the linked parent's use; true.
    bool OnUse(int32_t flag, int32_t userID, int32_t arg) override;

    // Geometry (derived from the end points by the level).
    float m_HalfLength = 0.0f;
    float m_HalfLengthSq = 0.0f;
    float m_Height1 = 0.0f;  // "Height1", "Height2"
    float m_Height2 = 0.0f;
    float m_FloorHeight1 = 0.0f;  // cached floor heights under the end points
    float m_FloorHeight2 = 0.0f;
    float m_HeightOffset1 = 0.0f;  // "HeightOffset", "HeightOffsetEnd"
    float m_HeightOffset2 = 0.0f;
    float m_NormalX = 0.0f;  // (direction y, -direction x)
    float m_NormalY = 0.0f;
    float m_DirX = 0.0f;  // unit, from end point 1 to end point 2
    float m_DirY = 0.0f;
    float m_X1 = 0.0f;
    float m_Y1 = 0.0f;
    float m_X2 = 0.0f;
    float m_Y2 = 0.0f;
    float m_CentreX = 0.0f;
    float m_CentreY = 0.0f;
    float m_TopHeight = 0.0f;
    int16_t m_GridX1 = 0;  // nearest grid lines of the end points
    int16_t m_GridY1 = 0;
    int16_t m_GridX2 = 0;
    int16_t m_GridY2 = 0;
    int16_t m_GridDirection = 0;  // 0 to 8, for walls along grid lines
    int16_t m_WallType = 0;       // WallDesc type code
    uint8_t m_OnGrid = 0;   // also whether the segment points follow the grid end points
    uint8_t m_HasMesh = 0;  // also whether the wall is cut into segments
    float m_FloorHeightCentre = 0.0f;
    uint8_t m_EndHeightsStale = 1;

    // Segments (made when the wall is added): n + 1 points with a cell code each.
    int16_t m_SegmentCount = 0;
    std::vector<VSD_CellPoint> m_SegmentPoints;
    std::vector<uint8_t> m_CellCodes;
    uint8_t m_HasBackMesh = 0;
    int32_t m_DescIndex = 0;  // the wall description whose meshes and texture the wall uses
    D3DXMATRIX m_Transform{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    // From the wall description and the wall entry.
    int16_t m_DescID = 0;
    uint8_t m_LightSemiPerm = 0;
    String m_DescObjID;  // the description's "objID"
    uint16_t m_UseSide = 0;
    float m_WallValue1 = 0.0f;
    float m_WallValue2 = 1.0f;

    // Properties (the wall's description entry, its property text first).
    float m_ScaleU = 1.0f;
    String m_OnUse;
    String m_SndUse;
    String m_OnFailedUse;
    String m_OnLeave;
    uint8_t m_MirrorX = 0;
    uint8_t m_CanReachThrough = 0;
    int16_t m_Bridge = 0;    // layer: odd and positive for elements on floor objects, even for the floor
    int16_t m_SemiPerm = 0;  // one-sided direction: 0 both sides
    uint8_t m_Solid = 1;
    uint8_t m_BlocksActForce = 1;
    float m_WallOpacity = 1.0f;
    uint8_t m_TwoSided = 0;
    uint8_t m_ObstructFadeOut = 1;
    uint16_t m_Door = 0;
    float m_UseSize = 0.0f;
    int16_t m_UseState = 0;
    uint8_t m_AlphaThreshold = 1;
    int16_t m_LightingType = 1;
    float m_LightingVSize3DFactor = 1.0f;
    uint8_t m_LightFalloffApprox = 1;
    uint8_t m_NetSync = 0;  // 2: kept in step with the clients by its worldID
    String m_ScriptString;
    uint8_t m_CanSeeThrough = 0;
    uint8_t m_FadeOutIfViewedFromBack = 1;
    float m_BoundBoxAdd[3] = {};
    uint8_t m_VisibilityObstruct = 1;
    uint16_t m_NeedKey = 0;
    String m_EffByID;  // the collision filter's name
    int32_t m_EffByParty[kParties] = {kAnyParty, kAnyParty, kAnyParty, kAnyParty};

    // Links.
    SmartPtr<VSD_WallIntern> m_WallLink;  // the first piece of a split wall
    SmartPtr<WorldElemBase> m_GroupOwner;
    uint32_t m_SavedGroupRef = 0;
    uint8_t m_LinkToParent = 0;      // uses go on to the parent element
    uint8_t m_UseThroughParent = 0;  // usable when the parent is
    VSD_Viewer* m_Level = nullptr;   // the level whose floor the wall stands on
    uint8_t m_Seen[2] = {};          // seen from either side; covering the map clears them

    // The level lights that light the wall (filled by the render side; emptied when the end
    // points change).
    std::vector<VSD_WallLightEntry> m_WallLights[2];
};
