// ItemObj: the scene object that stands in a level as a usable thing (a placed object, a door, a
// switch, a container, an item on the ground): an open state driven by an animation range that
// may also turn the whole object by a quarter turn, walls that move with it so that a door blocks
// and frees a passage, an optional collision box spanned by those walls, a key number and a
// failed-use script. Its element type code is 6.
//
//   ItemObj.cpp           construction, reset, copy, the element answers (opacity, use,
//                         interaction, collision flag and box), the scale, the fade scene
//   ItemObjAnimation.cpp  the animation clock, the open state and the per-frame door update
//   ItemObjWalls.cpp      attached walls: adding, removing, moving, snapping, the wall link, and
//                         finding them again after a save game
//   ItemObjRecord.cpp     the save record
#pragma once
#include "base/SmartPtr.h"
#include "base/String.h"
#include "game/objects/ObjRenderData.h"
#include "game/objects/SceneObject.h"
#include "level/VSD_WallIntern.h"

#include <cstdint>
#include <memory>
#include <vector>

class KI_ActionData;

// A wall attached to an item, with its end points in the item's own frame (unturned, relative to
// its position). The ID is what the save record names the wall by.
struct WallChildData {
    SmartPtr<VSD_WallIntern> wall;
    float x1 = 0.0f;
    float y1 = 0.0f;
    float x2 = 0.0f;
    float y2 = 0.0f;
    int32_t wallID = -1;
};

class ItemObj : public SceneObject {
public:
    static constexpr uint16_t kRecordVersion = 275;  // the stream version the record is written at
    static constexpr float kQuarterTurn = 1.5707964f;

    // Rotation kinds: how opening turns the whole item.
    static constexpr int16_t kNoTurn = 0;
    static constexpr int16_t kTurnClockwise = 1;  // opening turns it by -pi/2
    static constexpr int16_t kTurnCounterClockwise = 2;  // by +pi/2

    ItemObj();
    // A copy of the item's settings (clones of templates): no walls, no wall link, no fade scene.
    ItemObj(const ItemObj& other);
    ItemObj& operator=(const ItemObj& other);
    // The walls stay in the level; they lose their owner.
    ~ItemObj() override;

    // Walls, inventory and links go; the defaults come back.
    void Reset() override;
    // The copy (ItemObj::CopyFrom) into other after its reset; with the random start each clone
    // gets its own automatic-action phase between the start bounds; then the item and inventory
    // settings.
    void CopyFrom(const ItemObj& src) { *this = src; }
    void CloneInto(ItemObj& other);

    // Element answers.
    bool IsLootable() override { return m_Count > 0; }
    void OnMoved() override;
    void SetAngle(float angle) override;  // the walls turn with it
    float GetOpacity() const override;    // times the linked wall's, when it follows one
    void DeleteChildren(bool keep) override;
    bool AllowsInteraction(int32_t a, int32_t b) override;
    bool IsUsable() override;
    // A use that is only counted goes to the element; any other use is the item's Use, with arg
    // as the key flag.
    bool OnUse(int32_t flag, int32_t userID, int32_t arg) override;
    // With walls as collision box the walls take the flag instead of the item.
    uint8_t SetSolid(uint8_t solid) override;
    bool HasBoxWalls() override { return m_WallsAsCollisionBox != 0 && GetWallCount() >= 4; }
    // The collision box test where the item has one, else the element's range test.
    bool IsInRange(float x, float y, float extra) override { return IsInBox(x, y, extra); }
    void Update(float dt) override;
    // Drawn by clients only, with the fade, the fade scene and the highlight.
    void Draw(int32_t a, int32_t b, int32_t c) override;
    // The placement goes into the item's scene unless the fade scene has fully replaced it, and
    // into the fade scene while that one shows; the clean-up follows the same choice.
    void SetTransformation(float extraHeight, bool useStoredPos) override;
    void SetTransformationCleanUp() override;
    // With scaleWalls the wall end points follow the change of the x and y scale.
    void SetScale(float x, float y, float z, bool scaleWalls, bool adjustRadius) override;

    // Use by a user (object ID). With the key flag an item that needs a key goes to the
    // controller's key use and answers 0; otherwise the OnUse script runs (when uses are left),
    // toggle on use switches the state, and the answer is 1.
    int32_t Use(int32_t userID, bool keyFlag);
    // The point lies strictly within the box of the walls grown by radius on every side.
    bool IsInBox(float x, float y, float radius);

    // Open state and animation (ItemObjAnimation.cpp).
    // The state modulo 2; a change turns the animation round. With jump the item takes the pose
    // of the state at once. True when the state changed.
    bool SetOpenState(int32_t state, bool jump);
    // The same, with the use sound when the state changed.
    bool SwitchOpenState(int32_t state, bool jump);
    int16_t GetOpenState() const { return m_OpenState; }
    // Closed time = the smaller, open time = the larger; the animation runs forward from start.
    void SetAnimationRange(float a, float b, float start);
    void SetRotationKind(int16_t kind);
    // The animation clock: (game time - start stamp) x speed + closed time + offset, wrapped
    // with the loop flag, else held within the range.
    float GetAniTime() const;
    void SetAniTime(float t);
    void SetAniSpeed(float speed);
    void SetAniLoop(bool loop);
    // The per-frame door step: the quarter turn follows the animation, bones are posed.
    void UpdateDoor();

    // Walls (ItemObjWalls.cpp).
    void AddWall(VSD_WallIntern& wall, float x1, float y1, float x2, float y2);
    // A wall made in its place (box walls): its end points are taken into the item's frame.
    void AddWall(VSD_WallIntern& wall) override;
    void RemoveWall(VSD_WallIntern& wall) override;
    // Each wall to the position and angle: p + R(a) (x, y), R turning counter-clockwise.
    void UpdateWallPositions();
    // Walls with a height snap their end points to the level's cells (a dropped item).
    void SnapWallsToGrid();
    // Deletes the walls from the world; with keepMarked the walls marked to survive their owner
    // stay in the level and are listed as surviving.
    void RemoveWalls(bool keepMarked);
    int32_t GetWallCount() const { return int32_t(m_Walls.size()); }
    const WallChildData& GetWallRecord(int32_t n) const { return m_Walls[size_t(n)]; }
    const std::vector<WallChildData>& GetSurvivingWalls() const { return m_SurvivingWalls; }
    const std::vector<WallChildData>& GetSavedWalls() const { return m_SavedWalls; }
    void SetWallLink(VSD_WallIntern* wall) override { m_LinkedWall = wall; }
    VSD_WallIntern* GetLinkedWall() const { return m_LinkedWall.Get(); }
    void RenumberWall(int32_t oldID, int32_t newID) override;
    void RestoreWallChildren() override;

    void SetFadeScene(DXC_3dScene* scene) { m_FadeScene = scene; }
    DXC_3dScene* GetFadeScene() const { return m_FadeScene; }

    // The record after the scene object's: always written at kRecordVersion; read by the stream's
    // version. transferOnly leaves out the animation time, the group and the walls.
    void SaveItemObj(File& file, bool transferOnly);
    void LoadItemObj(File& file, uint16_t version, bool transferOnly);
    // The scene object's record, then the item object's.
    void Save(File& file, bool compact) override;
    void Load(File& file, bool compact) override;

    // Members, in the order of their meaning.
    String m_FailedUseScript;            // run by the controller when a use fails for want of the key
    uint8_t m_WallsAsCollisionBox = 0;   // with four walls or more they span the collision box
    float m_CurrentAniTime = 0.0f;       // the clock's time when last read
    uint8_t m_LoopAni = 0;
    float m_ClosedTime = 0.0f;           // the animation's start: the closed pose
    float m_OpenTime = 0.0f;             // its end: the open pose
    int16_t m_Count = 0;
    float m_ItemViewMargin = 32.0f;
    int32_t m_ItemSettingInt = 1;
    int32_t m_ItemSettingInt2 = 0;
    int32_t m_IndexSetting = -1;
    int16_t m_RotationKind = kNoTurn;
    int16_t m_KeyNumber = 0;             // above 0: a use needs this key
    int16_t m_OpenState = 0;             // 0 closed, 1 open
    DXC_3dScene* m_FadeScene = nullptr;  // placed while the item fades out; replaces it at full fade
    uint32_t m_GroupNumber = 0;          // items of one group lying close are merged at level start
    uint8_t m_Sticky = 0;
    uint8_t m_ToggleOnUse = 0;
    uint8_t m_OpacityFromLinkedWall = 1;
    uint8_t m_CustomUse = 0;             // use and state are left to the item's scripts
    double m_AniOffset = 0.0;            // the clock's offset
    uint8_t m_RandomStart = 0;           // "acRndStart": clones start at a random phase
    float m_StartBounds[2] = {0.0f, 0.0f};  // low and high bound of that phase
    KI_ActionData* m_AIData = nullptr;   // the AI's intention while it uses the item; not owned

    // What an object made from a 3D object entry keeps of it; a copy shares the entry's scenes
    // and render data with its prototype, so they live as long as any object shows them.
    int32_t m_3dObjIndex = -1;
    int32_t m_SceneEntry = -1;  // set once the entry's scene file is loaded
    wString m_SceneFile;
    std::shared_ptr<DXC_3dScene> m_OwnedScene;  // what m_Scene shows
    std::shared_ptr<DXC_3dScene> m_BackScene;   // "sFileBack"
    std::shared_ptr<ObjRenderData> m_RenderData;
    ObjGraphics m_Graphics;
    double m_AniStart = 0.0;    // "acStart"
    float m_BackDraw = 0.0f;

protected:
    void ResetItemObj();

private:
    void CopyItemObj(const ItemObj& other);
    // Drops the wall records; the walls stay in the level without owner.
    void ReleaseWalls();
    // Whether the fade scene has fully replaced the item's scene, and whether it shows at all.
    bool IsSceneReplaced() const;
    bool IsFadeSceneShown() const;
    // The clock's offset such that it reads t now; the stored time is left alone.
    void SetClockOffset(float t);
    // The turn of the whole item at an animation time: -t/range quarter turns for kind 1, +t/range
    // for kind 2, 0 otherwise or without a range.
    float TurnAt(float t) const;

    std::vector<WallChildData> m_Walls;
    std::vector<WallChildData> m_SavedWalls;      // read from a save: found again by their IDs
    std::vector<WallChildData> m_SurvivingWalls;  // walls that outlived their removal
    SmartPtr<VSD_WallIntern> m_LinkedWall;        // the wall whose opacity the item follows
    int32_t m_LinkedWallID = -1;                  // its reference as read from a save
};
