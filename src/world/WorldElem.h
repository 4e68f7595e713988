// WorldElem: the scripted world element that every light and game object derives from: name,
// creator and master, event scripts and sounds, party, the check value MyRnd, impulses, the
// action force, the ground mode, the solid and query flags, visibility, and the element state that
// the game objects read. The game objects override its virtuals; what the world needs of them
// (floor objects, usability, the per-frame update) goes through them too.
//
//   WorldElem.cpp          construction, copy, reset, the party relation, errors with the cfgID
//   WorldElemServices.cpp  ground and floor objects, fading and visibility, view and active
//                          area, the local frame, impulses, damage entries, the smaller slots
//   WorldElemEvents.cpp    the init, use, collision and damage events, the status effect, shots
//   WorldElemInventory.cpp inventory and gold, the display name
//   WorldElemMotion.cpp    the nearest enemy in view, network smoothing, the active area, the
//                          constant rotation, the stop time, reach distances
//   WorldElemUpdate.cpp    the common element step and the automatic action
//   WorldElemActions.cpp   the timed parts of an action entry: attacks, effects, shots, spells
#pragma once
#include "base/DynaMem.h"
#include "base/String.h"
#include "world/PathCurve.h"
#include "world/VisibilityMarks.h"
#include "world/WorldObjectValues.h"
#include "world/WorldElemBase.h"

#include <cstdint>
#include <memory>
#include <vector>

class DamageValues;
class File;
class DamageValuesHolder;
class InputCtrlBase;
class Inventory;
class ItemBase;
struct KillValues;
class ScriptReaderGameEngine;
class ProjectileBase;
class ActionShot;
class ActionAttack;
class ActionEffect;
class ActionEntry;
class ActionSpell;
class InventoryItem;
class VSD_WallIntern;

// One damage event already taken: the two keys that name it.
struct ActionDamageData {
    uint32_t key1 = 0;
    uint32_t key2 = 0;
};

// The element's entry list (save row 35): a header and entries of an i32 and six floats.
struct EntryListRecord {
    struct Entry {
        int32_t value = 0;
        float values[6] = {};
    };
    int32_t count = 0;
    int32_t value = 1;
    uint8_t flagA = 0;
    uint8_t flagB = 0;
    float factor = 0.0f;
    std::vector<Entry> entries;  // count entries

    // i32 count, i32 value, u8, u8, f32 factor, count x (i32, 6 f32); the count is bounded by
    // the bytes left before anything is made.
    void Save(File& file) const;
    void Load(File& file);
};

// The element's auxiliary record (save row 42).
struct AuxRecord {
    float valueA = 0.0f;
    float pair[2] = {0.0f, 0.0f};
    float range = 256.0f;
    uint8_t flagA = 0;
    uint8_t flagB = 0;
    int32_t index = -1;
    float rangeCopy = 256.0f;  // older saves lack it: it takes range's value

    // f32, 2 f32, f32 range, u8, u8, i32 index, f32 range copy (see the readers for older forms).
    void Save(File& file, bool compact) const;
    void Load(File& file, bool compact);
};

// The action force that pushes the elements around this one (keys "ActForce..."): strength,
// the attenuation S / (1 + a x + b x^2), the reaches and which elements it moves.
struct ActForce {
    static constexpr int32_t kCreatures = 1;
    static constexpr int32_t kOthers = 2;  // neither creatures nor projectiles
    static constexpr int32_t kProjectiles = 4;
    static constexpr int32_t kHostile = 8;  // elements hostile to the force's element
    static constexpr int32_t kNotHostile = 16;

    float strength = 0.0f;  // 0: no force
    float attenuation[2] = {0.0f, 0.0f};
    float maxDist = 0.0f;
    float maxSideDist = 0.0f;
    int32_t flags = 0;
    uint8_t directed = 0;     // a strip along the facing direction
    uint8_t pushOutside = 0;  // pushes overlapping elements out of the element's circle
};

class WorldElem : public WorldElemBase {
public:
    // Party numbers besides the positive ones, which are hostile to each other unless equal.
    static constexpr int32_t kPartyHostileToAll = -1;
    static constexpr int32_t kPartyFriendlyToAll = -2;
    static constexpr int32_t kPartyFriendlyToPositive = -3;
    static constexpr int32_t kPartyNeverEnemy = -4;
    static constexpr int32_t kSounds = 9;
    static constexpr int32_t kUseSound = 2;  // played on use
    static constexpr int32_t kPerceptionValues = 4;
    static constexpr float kUnsetNetTarget = -9e9f;

    WorldElem();
    // A copy of the element's state (clones from templates); the copy is in no world, has no
    // children and no inventory, linked item or input controller of its own.
    WorldElem(const WorldElem& other);
    WorldElem& operator=(const WorldElem& other);
    ~WorldElem() override;

    // The save record (WorldElemRecord.cpp), after WorldElemBase's; every light and game object
    // writes it first. SaveElemPtr writes an element code (-1 for none).
    void Save(File& file, bool compact) override;
    void Load(File& file, bool compact) override;
    static void SaveElemPtr(File& file, const WorldElemBase* elem);
    // After a save game is read: the references the record kept as element codes beyond the
    // parent, creator and master (targets, owners) are found again.
    virtual void ResolveSavedRefs(WorldCtrl& world) { (void)world; }
    // Saves before version 269 hold two creature values in the element's record.
    virtual void SetLegacyCreatureValues(double value, uint8_t flag)
    {
        (void)value;
        (void)flag;
    }

    // Type tests of a type code: valid (not none, not an effect), active ("live": nor a wall).
    static bool IsValidType(uint16_t code) { return code < ElemType::kNone && code != ElemType::kEffect; }
    static bool IsActiveType(uint16_t code) { return IsValidType(code) && code != ElemType::kWall; }
    bool IsValidType() const { return IsValidType(m_TypeCode); }
    bool IsActiveType() const { return IsActiveType(m_TypeCode); }
    bool IsCreature() const { return m_TypeCode == ElemType::kCreature; }
    bool IsCreatureOrItem() const { return m_TypeCode == ElemType::kCreature || m_TypeCode == ElemType::kItem; }

    // The error report names the element's cfgID first.
    [[noreturn]] void Error(const char* format, ...) override __attribute__((format(printf, 2, 3)));

    // Grid interface.
    float GetGroundHeight() override;  // by the ground mode
    bool IsOnFloorObjectAt(float x, float y) override;
    void SetVisibility(float visibility, bool recursive) override;
    void UpdateFade(float dt) override;
    float GetOpacity() const override;  // times the fade-out value, clamped to [0, 1]
    float GetVisibleFactor(float heightOffset) override;

    // Plays a named sound at the element, following it; an empty name plays nothing. By index:
    // one of the element's nine sounds, an index outside 0..8 being an error.
    void PlaySound(const char* name, int32_t argument);
    void PlaySoundByIndex(int32_t index, int32_t argument);

    // Primary interface.
    // 1 when the parties are hostile: p the other's, q this element's.
    static int32_t IsHostileParty(int32_t p, int32_t q);
    int32_t IsEnemyOf(WorldElemBase* other, bool checkOther) override;
    bool IsUsable() override;  // the game controller decides
    // True when the pair is already listed (the damage event was taken); else lists it.
    virtual bool FindDamageEntry(uint32_t key1, uint32_t key2);
    virtual void OnDamageDealt(WorldElem* target, DamageValues* damage)
    {
        (void)target;
        (void)damage;
    }
    virtual void Draw(int32_t a, int32_t b, int32_t c)
    {
        (void)a;
        (void)b;
        (void)c;
    }
    // The per-frame update; the game objects step themselves here.
    virtual void Update(float dt) { (void)dt; }
    // Calls the master's, when there is one.
    virtual void ForwardToMaster(float value, int32_t arg);
    // Back to the construction defaults; the element keeps its table slot and identity. Its
    // inventory and item are deleted.
    virtual void Reset();
    // Clones end here: other's item and inventory are replaced by copies of this element's
    // settings: a new item of the controller's class holding this item's data, a new empty
    // inventory of the same grid size (or item limit) and type.
    void CopyItemsTo(WorldElem& other) const;
    virtual int32_t IsAlwaysInView() { return 0; }
    virtual void OnReachedTarget() {}
    virtual int32_t OnDamaged(const char* sourceName)
    {
        (void)sourceName;
        return 0;
    }
    virtual int32_t GetLevel();  // the monster level at 0.5
    virtual bool CanStepOverLowObstacles() { return false; }
    // True keeps the element out of nearest-enemy searches and doubles its radius against creatures.
    virtual bool IsExcludedFromTargeting() { return false; }
    virtual bool IsVisible() { return GetOpacity() > 0.0f; }
    virtual int32_t GetParty() { return m_Party; }
    virtual uint8_t SetSolid(uint8_t solid) { return m_Solid = solid; }
    virtual float GetBodyRadius() { return m_BodyRadius; }
    virtual float GetViewRange() { return m_Perception[0]; }
    virtual void SetSecondAngle(float angle) { m_SecondAngle = WrapAngle(angle); }
    // Adds push / mass to the velocity; an immovable element (mass 0) stays.
    virtual void AddImpulse(float x, float y);
    // The local point (x, y, z) in the element's turned frame (local y mirrored, the pivot
    // added), relative to the element's position; and back.
    virtual D3DXVECTOR3 LocalToWorld(float x, float y, float z);
    virtual D3DXVECTOR3 WorldToLocal(float x, float y, float z);
    // Posts the OnInit script; true when one was posted (in a world that does not hold init
    // scripts back, with a script).
    virtual bool OnInitEvent();
    virtual void SetMoveDirection(const D3DXVECTOR2& direction) { (void)direction; }
    virtual D3DXVECTOR2 GetMoveDirection() { return {0.0f, 0.0f}; }
    virtual int32_t GetControlMode() { return 0; }
    // Whether (x, y) lies within the body radius plus extra of the position.
    virtual bool IsInRange(float x, float y, float extra);
    virtual bool IsInView();

    // What the ground and line tests ask of a floor object (a walkable scene object such as a
    // bridge): its flag byte, whether it is always walkable, and the height of its top at
    // (x, y) as a ray from above meets it (false: missed, or not a floor object).
    virtual uint8_t GetFloorObjectFlagByte() { return 0; }
    virtual bool IsAlwaysWalkable() { return false; }
    virtual bool GetFloorObjectTop(float x, float y, float& height)
    {
        (void)x;
        (void)y;
        (void)height;
        return false;
    }

    // What the world's update and queries ask of the game objects.
    virtual bool IsUpdateSkipped() { return false; }  // scene objects may sit a frame out
    virtual bool IsDead() { return false; }
    virtual bool HasBoxWalls() { return false; }  // items whose walls block in their place
    virtual WorldElem* GetCurrentTarget() { return nullptr; }
    virtual bool GetSecondCreatureFlag() { return false; }
    virtual bool CanBeAlerted() { return false; }
    virtual float GetAlertRadius() { return 0.0f; }
    // Told by a creature of its party about an enemy: remembers it and drops its AI decision.
    virtual void OnAlerted(WorldElem* enemy) { (void)enemy; }
    virtual bool GetSecondShotFlag() { return false; }
    // The chance (0 to 1) that this element's shots hit the target, from its damage values.
    virtual float GetShotChance(WorldElem* target)
    {
        (void)target;
        return 0.0f;
    }
    virtual bool GetCatchFlag() { return false; }     // items that catch shots
    virtual bool FadesWithParent() { return false; }  // creatures and items that fade with their parent
    virtual bool IsHidden() { return false; }
    // A wall made for this element (its box walls) is attached to it.
    virtual void AddWall(VSD_WallIntern& wall) { (void)wall; }
    // The obstruction value times the opacity; line tests with only opaque blockers compare it with 1.
    float GetObstruction() const { return m_ObstructionValue * m_Opacity; }

    // What movement, collision and the action forces ask of the game objects. Creatures answer
    // most of them; the defaults are those of every other element.
    virtual float GetCollisionRadius() { return GetRadius(); }  // creatures: twice theirs in one state
    // The height of the element's top: its base (ground and height) plus its radius, vsize being size.
    virtual float GetTopHeight();
    virtual int32_t GetMoveType() { return -1; }  // the creature's movement code
    virtual bool IsHeld() { return false; }       // items in a hand: no obstacle
    virtual bool IsImmuneToForces() { return false; }
    // Event objects: whether a shot that starts inside still stops at them, and their activation
    // by a mover that reached them (the game time of the contact); 0 stops the mover there.
    virtual bool HoldsProjectiles() { return false; }
    virtual int32_t Activate(WorldElem* activator, bool enteredFromOutside, double time)
    {
        (void)activator;
        (void)enteredFromOutside;
        (void)time;
        return 1;
    }
    // Projectiles in flight: the hit test and the hit of an element met on the way (at its start,
    // one already overlapped); true when it was hit and is no obstacle of the step. The factor
    // scales the mover's radius during the flight.
    virtual bool TakeFlightHit(WorldElem& target, bool atStart)
    {
        (void)target;
        (void)atStart;
        return false;
    }
    virtual float GetFlightRadiusFactor() { return 1.0f; }
    // Turning: mode 1 turns at a rate of its own, which a turn the other way stops.
    virtual int32_t GetTurningMode() { return 0; }
    virtual float GetTurnRate() { return 0.0f; }
    virtual void SetTurnRate(float rate) { (void)rate; }
    virtual void OnTurnStart(float value) { (void)value; }
    // Walking and its notices: the step reached beyond the goal, the move went off the goal by
    // more than the limit, the move was stopped.
    virtual float GetBlockedAngleLimit() { return 1.5707964f; }
    virtual void OnBlockedByDistance() {}
    virtual void OnBlockedByAngle() {}
    virtual void OnMoveFailed() {}
    virtual float GetStopDistance() { return 0.0f; }
    virtual bool CanTurnWhileWalking() { return true; }
    virtual bool WalksInFacingDirection() { return false; }  // the running action walks straight on
    // The distance covered in dt walking in the direction (dx, dy).
    virtual float GetSpeedFor(float dx, float dy, float dt)
    {
        (void)dx;
        (void)dy;
        (void)dt;
        return 0.0f;
    }
    virtual void StopMoving() {}
    // Keeps the part of the velocity along the direction; none (or a zero one) stops the element.
    void ProjectVelocity(const D3DXVECTOR2* direction);

    // Told after every change of an inventory this element owns (the game's creature re-equips).
    virtual void OnInventoryChanged() {}

    // What the world's kill event asks of a creature: its kill values (null: none), the force
    // priority of its running movement (a kill waits while it is 101 or more), and its death
    // (marks it dead and starts dying).
    virtual KillValues* GetKillValues() { return nullptr; }
    virtual int32_t GetMovementForcePriority() { return 0; }
    virtual void Die() {}
    // The element call of the world's event step.
    virtual void OnCallEvent(int32_t arg) { (void)arg; }
    // A combat link naming this element as the linked one was made or ran out (argument 0).
    virtual void OnLinkChanged(int32_t arg) { (void)arg; }
    // The action entry names of a creature's six action lists, built-in entries and empty names
    // left out; the world checks them against its action entries when a level is entered.
    virtual void CollectActionNames(std::vector<String>& names) { (void)names; }
    // A wall attached to this element is being destroyed (items drop its record).
    virtual void RemoveWall(VSD_WallIntern& wall) { (void)wall; }
    // After a save game is read: the walls and the wall link the element's record named by their
    // IDs are found again (items).
    virtual void RestoreWallChildren() {}
    // The two-argument interaction query; items that stick to their place refuse it.
    virtual bool AllowsInteraction(int32_t a, int32_t b)
    {
        (void)a;
        (void)b;
        return true;
    }

    // The wall an object belongs to, for objects that a wall's properties placed (items keep it).
    virtual void SetWallLink(VSD_WallIntern* wall) { (void)wall; }
    // A wall attached to this element changed its wall ID (items keep the IDs of their walls).
    virtual void RenumberWall(int32_t oldID, int32_t newID)
    {
        (void)oldID;
        (void)newID;
    }

    // Visibility marking: the world marks an element seen and takes the mark back (the game
    // objects show or hide themselves); the marks themselves.
    virtual void MarkSeen() {}
    virtual void UnmarkSeen() {}
    bool IsVisibilityObject() const
    {
        return m_TypeCode == ElemType::kEvent && m_VisMarks.kind == VisibilityMarks::kVisibilityObject;
    }
    VisibilityMarks m_VisMarks;
    // Element events (WorldElemEvents.cpp). A use counts down the uses left (none left: nothing
    // runs), then, unless only counted, runs the OnUse script and plays the use sound; always true.
    bool OnUse(int32_t flag, int32_t userID, int32_t arg) override;
    // The damage operation: the attacker hears of it, a forwarding element hands it to its parent,
    // a direction pushes the element, the OnDamage script runs; OnDamaged's answer (with the
    // source's name). position is where it hit, passed on for the game's elements.
    virtual int32_t OnDamage(DamageValues* damage, WorldElem* attacker, int32_t arg, const D3DXVECTOR2* direction,
                             const char* source, int32_t arg2, const D3DXVECTOR2* position = nullptr);
    void OnDamageEvent(DamageValues* damage, WorldElem* attacker);
    // The status effect: 1 to 8 one of the special effect objects, attached; 0 none.
    virtual void SetAuraEffect(int16_t index);
    // Fires the shot: towards target from the muzzle when given, else along direction (the
    // facing when none); tells the controller and posts the shot's script.
    void CallShotScript(ActionShot* shot, const D3DXVECTOR2* direction, const D3DXVECTOR2* target);
    // Where the shot leaves the element: its local start offset turned with the element. A shot
    // aimed at a point flies from here toward it.
    D3DXVECTOR2 GetShotStart(const ActionShot& shot);
    float GetShotAngle();

    // Motion services (WorldElemMotion.cpp).
    // The nearest hostile creature that a line reaches within the range by its direction:
    // front straight ahead, back straight behind, between them by the angle; -1 none.
    int32_t FindNearestEnemyInView(float front, float back);
    // Moves towards the network's target position and angle over the smoothing time left.
    void SmoothToNetworkPos(float dt);
    void OnEnterActiveArea();
    void OnLeaveActiveArea();
    int32_t GetInputMode();
    // Keeps the constant rotation continuous when its speed changes.
    void SetRotationSpeed(float rate);
    // The time the impulse v takes to die down under the deceleration and the drag.
    float GetStopTime(float v) const;
    D3DXVECTOR2 GetTargetPoint();
    float GetReachDistanceToPoint(float x, float y);
    float GetReachDistanceTo(WorldElem& other);

    // Inventory and gold (WorldElemInventory.cpp).
    // A new empty inventory of kind entries (the old one destroyed with its items), owned here.
    void CreateInventory(int32_t kind);
    void CreateGridInventory(int32_t width, int32_t height);
    int32_t GetInventoryType() const;
    int32_t GetGold();
    // Adds gold coin stacks of the item named by special name 0 (a negative amount pays it out):
    // 1, or 0 when the inventory refused a stack (what this call added is taken back).
    int32_t AddGold(int32_t amount);
    // Hands every item to the controller to drop around the element, spread over a circle.
    void DropInventory(float distance, float angleOffset);
    // What scripts ask of the items an element carries; the game's creatures widen these to the
    // further item containers they hold. Without an inventory they find nothing and remove nothing.
    // Up to count units (-1: all) of the items of that desc removed and destroyed; the units.
    virtual int32_t RemoveItemsByName(const char* name, int32_t count);
    // The first item of that desc, and the inventory that holds it (null when none is found).
    virtual InventoryItem* FindItemByName(const char* name, Inventory** container);
    // Empties the inventory, destroying its items; the flag is for the game's containers.
    virtual void ClearInventory(int32_t flag);
    virtual bool HasItem(const char* name);
    // Puts the item into the inventory: the inventory that took it (the item then belongs to it),
    // or none. count is for the game's creatures, which may equip the item instead.
    virtual Inventory* PutIntoInventory(InventoryItem* item, int32_t count);
    // The carried item with a key ability of that number, or null.
    virtual InventoryItem* HasKey(int32_t keyID);
    // The name looked up in the localised "Names" table; the stored name when it has none.
    wString GetDisplayName();

    // What damage and shots ask of the game objects; creatures answer.
    // The element's damage values, scaled by its factor, into out; nothing by default.
    virtual void GetDamageValues(DamageValuesHolder& out) { (void)out; }
    virtual uint32_t GetAttackSerial() { return 0; }  // of the attack under way
    virtual int32_t GetAttackCounter() { return 0; }
    // True when the attacker's current attack serial already hit this element; with remember an
    // unhit element records it (three remembered, newest first).
    virtual bool WasHitByAttack(WorldElem* attacker, bool remember);
    // The shooter's own modifiers of a shot's damage and flight values.
    virtual void ApplyShotModifiers(DamageValues* damage, ProjectileBase& projectile)
    {
        (void)damage;
        (void)projectile;
    }
    virtual bool IsProtected() { return false; }  // shots do not damage it
    virtual bool IsLyingItem() { return false; }  // items lying in the world

    // Non-virtual operations.
    int32_t GetMyRnd() const { return m_MyRnd; }
    float GetMyRndFraction() const { return float(m_MyRnd) * 4.656613e-10f; }  // [0, 1)
    WorldElem* GetCreatorOrSelf() { return m_Creator.Get() ? m_Creator.Get() : this; }
    // Follows the creators to a creature, or to an element without creator.
    WorldElem* GetCreatureOwner();
    void SetCreator(WorldElem* creator) { m_Creator = creator; }
    void SetMaster(WorldElem* master) { m_Master = master == this ? nullptr : master; }
    void SetName(const wString& name)
    {
        if (!(m_Name == name))
            m_Name = name;
    }
    wString* GetNameField() { return &m_Name; }
    D3DXVECTOR2 GetDirection() const;  // (cos, sin) of the absolute angle
    void SetParty(int32_t party)
    {
        if (party != m_Party)
            m_Party = party;
    }
    bool HasLinkedObject() const { return m_LinkFlag && m_LinkedItem; }
    // Copies the world ID and the script variables from the linked item (fromLinked) or to it;
    // nothing without one.
    void CopyStateWithLinked(bool fromLinked);
    // The element's own value, and the linked item's too, which then counts as changed.
    void SetScriptTemp(int32_t index, float value) override;
    void SetInfoText(const String& text) override;
    // The current position and angle become the start position and angle, and whether the
    // position lies in the level's grid is kept with them.
    void RememberStartPosition();
    // On the server: whether the element's block is marked active; elsewhere its own flag.
    bool IsInActiveCell() const;

    wString m_Name;
    SmartPtr<WorldElem> m_Creator;
    uint32_t m_SavedCreatorRef = 0;
    SmartPtr<WorldElem> m_Master;  // some calls go on to it
    uint32_t m_SavedMasterRef = 0;
    DynaMem<ActionDamageData, 8, 1> m_DamageList;

    // Network smoothing: the target received, the smoothing velocity and the time left.
    float m_NetTargetX = kUnsetNetTarget;
    float m_NetTargetY = kUnsetNetTarget;
    float m_NetTargetAngle = kUnsetNetTarget;
    float m_NetVelocityX = 0.0f;
    float m_NetVelocityY = 0.0f;
    float m_NetSmoothTime = 0.0f;

    String m_OnUse;
    String m_OnDamage;
    String m_OnInit;
    String m_SavedTexts[3];  // saved with the element: two full-only texts, then one more
    wString m_SecondName;
    String m_MoreTexts[3];   // saved from file versions 179 and 275, and after the ground mode
    int16_t m_UsesLeft = -1;  // -1 unlimited, 0 used up
    float m_Pivot[3] = {0.0f, 0.0f, 0.0f};
    float m_SecondAngle = 0.0f;
    String m_Sounds[kSounds];
    int32_t m_MyRnd = 0;  // the check value drawn by the element table
    uint8_t m_InActiveCell = 0;
    int16_t m_AuraEffect = 0;  // 1 .. 8, 0 none
    uint8_t m_IsAuraEffect = 0;
    float m_VelocityX = 0.0f;
    float m_VelocityY = 0.0f;
    float m_Mass = 0.0f;  // 0: immovable
    ActForce m_ActForce;
    double m_TimeAdded = 0.0;
    double m_StartValue = 0.0;
    double m_StartValueCurrent = 0.0;
    double m_AutoActionTimeOffset = 0.0;  // the phase of the automatic action
    D3DXVECTOR2 m_StartPos{0.0f, 0.0f};  // where a level or a script placed the element
    float m_StartAngle = 0.0f;
    uint8_t m_StartInGrid = 0;
    InventoryItem* m_LinkedItem = nullptr;  // owned: the item the element stands for; made by the item factory
    uint8_t m_LinkFlag = 0;
    InputCtrlBase* m_InputCtrl = nullptr;  // the controller that drives the element
    int32_t m_InputIndex = -1;             // the element's index in it
    EntryListRecord m_EntryList;
    AuxRecord m_Aux;
    float m_RotationSpeed = 0.0f;
    float m_TargetOffset[2] = {0.0f, 0.0f};
    float m_ReachRadius = 0.0f;
    float m_ObstructionValue = 0.0f;
    uint8_t m_NetSync = 0;  // network synchronisation: 0 none, 1 by the short state, 2 and more the saved state
    // The object synchronisation's marks: the checksum comparison's, and that both sides agree on
    // the element (a received object ID then may not push it away).
    int32_t m_CompareMark = 0;
    uint8_t m_NetworkSynced = 0;
    // The place and own angle last sent in a position update, per client slot 0 to 3 (a client
    // sends on slot 0); far away until the first update, which therefore always goes.
    static constexpr int32_t kNetSlots = 4;
    static constexpr float kNeverSent = -8999999488.0f;
    float m_LastSentPos[kNetSlots][2] = {
        {kNeverSent, kNeverSent}, {kNeverSent, kNeverSent}, {kNeverSent, kNeverSent}, {kNeverSent, kNeverSent}};
    float m_LastSentAngle[kNetSlots] = {kNeverSent, kNeverSent, kNeverSent, kNeverSent};
    float m_Deceleration = 1000.0f;  // "friction"
    float m_Drag = 1.0f;
    Inventory* m_Inventory = nullptr;  // owned; made by the inventory code
    // The element's own script reader, made for its script handlers; the world releases it.
    std::unique_ptr<ScriptReaderGameEngine> m_InlineScript;
    PathMotion m_PathMotion;
    uint8_t m_CanMoveThrough = 0;  // "CanMoveThroughFlags": 1 walls never block it, 2 elements never do
    uint8_t m_IgnoreTerrain = 0;   // low four bits: slopes do not hold the element up
    uint8_t m_NoSlide = 0;         // a blocked move stops instead of sliding on
    uint8_t m_CollidesWhenCarried = 0;  // moved with collision when its parent moves or turns
    int32_t m_Party = kPartyFriendlyToAll;
    float m_BodyRadius = 0.0f;
    float m_Perception[kPerceptionValues] = {150.0f, 5.0f, 75.0f, 105.0f};
    uint8_t m_ForwardDamageToParent = 0;
    uint8_t m_GroundMode = 0;  // 0 floor objects count, 1 only the level floor, 2 the ground is 0
    uint8_t m_Solid = 1;        // blocks the world's line tests
    uint8_t m_BlocksShots = 1;  // the same in solid mode, which shots use
    uint8_t m_NoCollisions = 0;
    uint8_t m_IgnoreInQueries = 0;  // inactive: skipped by line tests and queries
    float m_Visibility = 1.0f;
    uint8_t m_FadeOutIfInView = 1;
    float m_FadeOutValue = 1.0f;
    int32_t m_FadeOutDirection = 0;  // -1, 0 or 1

    // Values that the game objects give a meaning, with their defaults, in save order.
    uint8_t m_StateByte1 = 0;
    uint8_t m_StateByte2 = 0;
    float m_StateValue1 = 0.0f;
    float m_StateValues3[3] = {0.0f, 0.0f, 0.0f};
    int16_t m_StateShort = 0;
    float m_StateValue2 = 0.0f;
    int16_t m_StateShort2 = 0;
    int32_t m_StateInt = 0;
    uint8_t m_StateByte3 = 0;
    int32_t m_StateIndex = -1;
    uint8_t m_StateByte4 = 0;
    float m_StatePair1[2] = {0.0f, 1.0f};
    float m_StatePair2[2] = {0.0f, 0.0f};
    uint8_t m_StateBytes3[3] = {1, 1, 0};
    float m_StateValue3 = 0.0f;
    int32_t m_StateIndex2 = -1;
    float m_StatePair3[2] = {1.0f, 2.0f};
    float m_StateLimit = 9999.0f;

    uint32_t m_HitSerials[3] = {0, 0, 0};  // the last attack serials that hit the element, newest first

    // The values of the world-object entry the element was made from.
    WorldObjectValues m_ObjValues;
    // The common element step and the action parts (WorldElemUpdate.cpp, WorldElemActions.cpp).
    // Scene objects, projectiles and event objects start their update with the common step: age,
    // fade, push decay (friction m_Deceleration, damping m_Drag), the automatic action (an action entry repeated by itself: count 0 off,
    // below 0 endless, above 0 counting down), the ambient sound.
    static constexpr float kCommonFadeTime = 0.5f;
    void UpdateCommon(float dt);
    // The "OnUpdate" handler text (by key, script or save); it runs each frame while not empty.
    void SetUpdateHandler(const String& text);
    void RunElementAction(float dt);
    // True when the element was already hit by the attack of that serial; else it is listed.
    bool AddActionHit(WorldElem* elem, uint32_t serial)
    {
        return FindDamageEntry(elem ? uint32_t(elem->m_ObjID) : 0xFFFFFFFFu, serial);
    }
    // A timed part fires in the frame whose action time window [t, t + dt) holds its moment.
    static bool PartFires(float moment, float t, float dt) { return t <= moment && moment < t + dt; }
    // The attacks, effects, shots and spells of the entry whose moment (its point x scale) falls
    // in [t, t + dt), in that order. Answers false when the element went during a part.
    bool FireActionParts(ActionEntry& entry, float t, float dt, float scale);
    // One effect part: the report, "EFFECT:CallScript", the quake and the object it leaves; the
    // server creates no visual effect. index counts the entry's earlier effects with emitters.
    void ExecuteActionEffect(ActionEffect& effect, int32_t index);
    // One attack part: the element's damage (creatures), the report, "ATTACK:CallScript".
    virtual void PerformActionAttack(ActionAttack& attack);
    // Where the element's shots of the entry aim; false: along the facing.
    virtual bool GetActionShotTarget(ActionEntry& entry, D3DXVECTOR2& target)
    {
        (void)entry;
        (void)target;
        return false;
    }
    // Creatures and items multiply an effect object's scale factors into their own.
    virtual void MultiplyScale(float x, float y, float z)
    {
        (void)x;
        (void)y;
        (void)z;
    }
    // The automatic action and ambient sound settings of a copy (clones, resets); the age stays.
    void CopyCommonStepState(const WorldElem& other);
    double m_Age = 0.0;  // seconds of updates
    String m_AutoAction;  // "AutoAction"
    int32_t m_AutoActionCount = 0;  // "AutoActionCount"
    String m_AmbientSound;
    int32_t m_AmbientCount = 0;  // 0: never plays
    float m_AmbientInterval[2] = {5.0f, 10.0f};
    float m_AmbientTimer = -1.0f;  // below 0: a new interval is drawn
    int32_t m_OnUpdateCount = 0;   // "OnUpdate" handlers of the element's script
    // An enemy it killed: the counter starts again at 0 and the game time is stamped.
    uint16_t m_KillCounter = 0;
    double m_LastKillTime = -1.0;

private:
    void PostInlineScript(const String& text, const char* label);
    void ResetElem();
    void CopyElemState(const WorldElem& other);
};
