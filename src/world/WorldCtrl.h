// WorldCtrl: the world of the running game, a level viewer grown up and a member of the game
// controller for the whole run: the element table with object identities and check values, the
// world grid of 512-unit blocks with its element lists and queries, the active blocks around the
// players, the game random generator that server and clients share, and the per-frame update.
//
//   WorldCtrl.cpp           construction, release, the resets between games and levels, the
//                           level load and emptying the world
//   WorldCtrlElements.cpp   the element table: adding, finding, moving and deleting elements and
//                           walls, the identity dump
//   WorldCtrlBlocks.cpp     the block lists, the active block mask, the floor under floor objects
//   WorldCtrlProcess.cpp    the per-frame update, the presentation step and the fades of the
//                           world and of elements
//   WorldCtrlLineTests.cpp  line tests, line of sight, drop positions, box walls, shot paths
//   WorldCtrlQueries.cpp    radius, nearest, collecting and name queries, the object list
//   WorldCtrlScripts.cpp    running scripts: the script modules, the running-script stack,
//                           execution, re-entry and its refusals, inline scripts, script errors,
//                           the interactive scene's start and end
//   WorldCtrlModules.cpp    script functions called across modules, object preloading, target
//                           slot and AI action names, strategy scores, the play-sound event and
//                           the small services scripts reach
//   WorldCtrlEvents.cpp     the entry of every script text, the world event queues and the
//                           event step
//   WorldCtrlCollision.cpp  a straight step against walls and elements: contacts, collision
//                           events, event objects entered, sliding
//   WorldCtrlMovement.cpp   moves with sub-steps and carried children, the terrain and leave
//                           scripts of a segment, the per-frame motion, walking, the proximity test
//   WorldCtrlTurning.cpp    turns with the collision of carried children
//   WorldCtrlForces.cpp     the action forces that push the elements around their element
//   WorldCtrlMessages.cpp   log and text messages, the translation of texts
//   WorldCtrlMusic.cpp      the music chosen by the fighting around the main character
//   WorldCtrlSounds.cpp     the sound registry, sounds that follow elements, speech
//   WorldCtrlEntries.cpp    the action and strategy entries by name
//   WorldCtrlLights.cpp     the light grid, the effect table and the flicker curve
//   WorldCtrlVisibility.cpp the visibility grid of the visibility objects, its fade, the marking of
//                           what the players see and the floor vertices they reveal
//   WorldCtrlHousekeeping.cpp  language paths, attached fades, proximity, edge-line and cone
//                           tests, entering on an active block, held objects
//   WorldCtrlDamage.cpp     damage to one element or an area, in the name of an element or a party
//   WorldCtrlShots.cpp      shots fired as projectiles, the element at a point
//   WorldCtrlProjectiles.cpp  the flight and hits of projectiles, their released children
//   WorldCtrlDrawing.cpp    what the client's draw step asks of the world: the screen icon, the
//                           cover-map texture, an element's mesh with its lights, item, script
//                           camera and widget set-ups, the message overlay
#pragma once
#include "base/BezierSpline.h"
#include "base/DynaMem.h"
#include "base/SearchTree.h"
#include "base/SmartPtr.h"
#include "base/String.h"
#include "base/ThreadContainer.h"
#include "engine/gui/DXC_InteractiveScene.h"
#include "level/VSD_Viewer.h"
#include "world/ActionEntry.h"
#include "world/GameRandom.h"
#include "world/KI_Strategy.h"
#include "world/NamedElemRef.h"
#include "world/ObjRef.h"
#include "world/ScriptReaderGameEngine.h"
#include "world/SoundData.h"
#include "world/WorldBlock.h"
#include "world/WorldEvent.h"
#include "world/WorldOptions.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class ActionShot;
class DamageValues;
class DXC_3dScene;
class DXC_Texture;
struct DXC_LightSet;
class File;
class ProjectileBase;
class SoundManager;
class WorldElem;
class WorldElemBase;
class WorldElemGridBase;
class KI_Strategy;
class KI_StratEntry;

// Whether an element is wanted by a collecting query.
using ElemValidator = std::function<bool(WorldElem* elem)>;

class WorldCtrl : public VSD_Viewer {
public:
    static constexpr int32_t kMaxObjID = 1 << 24;  // element codes carry 24 bits of object ID
    static constexpr int32_t kObjectListSize = 256;
    static constexpr int32_t kResultListSize = 8192;
    static constexpr int32_t kScriptQuerySize = 8192;
    static constexpr int32_t kScreenListSize = 4096;
    static constexpr int32_t kScriptThreads = 2;
    static constexpr float kMaxFloorSlope = 1.7320508f;  // tan 60 degrees: items are not dropped on steeper ground

    // One entry of the world's object list: an element with its distance and a word carried along.
    struct ObjectListEntry {
        WorldElem* elem = nullptr;
        float distance = 0.0f;
        int32_t extra = 0;
    };
    // An entry of the radius and screen queries' sorting lists.
    struct SortData {
        int32_t id = -1;
        WorldElem* elem = nullptr;
        float distance = 0.0f;
        bool operator<(const SortData& other) const { return distance < other.distance; }
    };
    // What the last collision resolution hit: the blocker, the whole and the free step and the
    // contact normal.
    struct WallCollisionRecord {
        SmartPtr<WorldElemBase> blocker;
        float step[2] = {};
        float freeStep[2] = {};
        float normal[2] = {};
    };
    // A wall without blocking that the current segment crossed, with the mover's radius then.
    struct WallCollisionData {
        SmartPtr<VSD_WallIntern> wall;
        float radius = 0.0f;
    };
    // An event object activated during the current segment.
    struct EventCollisionData {
        SmartPtr<WorldElem> object;
        uint8_t enteredFromOutside = 0;
    };
    struct Subtitle {
        String text;
        double startTime = 0.0;
        int32_t values[2] = {};
    };

    // The language directory comes from the game configuration's "langdir": without it the
    // world is not made ("No language directory!").
    WorldCtrl();
    ~WorldCtrl() override;

    WorldCtrl* GetWorldCtrl() override { return this; }

    // Lifetime. FreeWorld releases everything held (at the end of the run); the resets empty
    // what one game or one level leaves behind; LoadLevelData empties the world and loads a level.
    void FreeWorld();
    void ResetGameState();
    void ResetLevelEffects();
    void StopAllSounds();
    int32_t LoadLevelData(const char* fileName, int32_t insertWalls, int32_t skipTextures);
    // Deletes every element without telling the controller, and empties the table and the blocks.
    void DeleteAllObjects();

    // The per-frame update in its fixed order; the controller calls it only with dt above 0.
    void Process(float dt);
    void UpdatePresentation();

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
    // The lowest element ID above after (-1 starts); -1 past the last. Walks cost the elements,
    // not the ID range.
    int32_t NextObjID(int32_t after) const { return m_Elements.NextUsedSlot(after); }
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
    // The game option "DebugMessages", which the game's controller hands on.
    void SetDebugMessages(bool enabled) { m_DebugMessages = enabled ? 1 : 0; }
    bool GetDebugMessages() const { return m_DebugMessages != 0; }
    // A table of the world's own entries whose size the game's controller sets when it is made
    // (512 for this game); its entries start empty.
    void SetEntryTableSize(int32_t entries) { m_EntryTable.assign(size_t(entries > 0 ? entries : 0), 0); }
    int32_t GetEntryTableSize() const { return int32_t(m_EntryTable.size()); }

    // The world grid. Elements enter the list of their block by their type code; an element
    // outside the grid is in no block.
    WorldBlock* GetBlock(int32_t column, int32_t row);
    WorldBlock* GetBlockByIndex(int32_t index);
    int32_t GetNumBlocks() const { return m_NumBlocks; }
    void MoveToBlock(WorldElemGridBase& elem, int32_t column, int32_t row);
    void LeaveBlock(WorldElemGridBase& elem);
    // The level's block grid was (re)made: every block starts empty.
    void OnBlockGridChanged() override;
    // Whether the block lies in the grid within (view reach + 3) blocks of the view's block,
    // or (+ 2) for IsBlockInView.
    bool IsBlockNearView(int32_t column, int32_t row) const;
    bool IsBlockInView(int32_t column, int32_t row) const;

    // The active block mask: the blocks around the players whose elements are processed.
    bool IsBlockActive(int32_t column, int32_t row) const;
    void ClearActiveBlocks();
    // The active area of a controller that is not the server's: the mask holds the blocks around
    // the given points alone, and every element that came into it or went out of it hears so
    // (OnEnterActiveArea, OnLeaveActiveArea), which decides whether it counts as active.
    void MarkActiveArea(const D3DXVECTOR2* centres, int32_t count);
    // Clears the moved and turned marks of everything listed in the active blocks.
    void ResetActiveBlockCounters();
    bool IsEverythingInView() const { return m_EverythingInView != 0; }
    void SetEverythingInView(bool flag) { m_EverythingInView = flag ? 1 : 0; }

    // The floor height at (x, y) including the floor objects there (creatures and items that
    // are walkable scene objects, other than the ignored ID); the highest object met goes out.
    float GetFloorHeightWithObjects(float x, float y, int32_t ignoreID, WorldElem** floorObject);

    // Line tests. GetIntersection answers 1 when the line is clear, else 0 with the point reached
    // and the element or wall met as the last hit.
    static constexpr int32_t kLineWalls = 1;
    static constexpr int32_t kLineObjects = 2;
    static constexpr int32_t kLineOpaqueOnly = 4;
    static constexpr int32_t kLineCreatures = 8;
    static constexpr int32_t kLineNonCreatures = 16;
    static constexpr int32_t kLineSeeThrough = 32;
    static constexpr int32_t kLineSkipReachThrough = 64;
    static constexpr int32_t kLineActForceWalls = 128;
    static constexpr float kNoMinHeight = -9e9f;
    int32_t GetIntersection(float x0, float y0, float x1, float y1, D3DXVECTOR2* out, int32_t flags, bool solidMode,
                            WorldElemBase* ignore1, WorldElemBase* ignore2, int16_t layer, float minHeight);
    WorldElemBase* GetLastHit() const { return m_LastHit.Get(); }
    int32_t IsLineClearBetween(WorldElem* a, WorldElem* b);
    bool FindDropPosition(WorldElem* elem, WorldElem* anchor, float extraDistance, float angleOffset);
    // Four walls of wall kind 2 around the element's box, attached to it.
    void AddBoxWalls(WorldElem* elem, float width, float depth, float offsetX, float offsetY, float heightValue,
                     uint8_t solid, uint8_t seeThrough, int32_t collisionMask, int16_t semiPerm, uint8_t reachThrough,
                     int32_t solidFlag, uint8_t wallByte, float wallHeight);
    bool CircleTouchesWall(float x, float y, float radius, const VSD_WallIntern& wall, int32_t& side) const;
    bool IsShotPathClear(float x, float y, float radius, WorldElem* shooter, const D3DXVECTOR2& direction,
                         float tolerance, WorldElemBase* ignore);
    float GetAngleToElement(WorldElem* a, WorldElem* b) const;
    bool ShotCollides(WorldElem* shooter, WorldElem* elem);

    // Radius and screen queries.
    int32_t GetAllObjectsWithinRadius(float x, float y, float radius, const char* name, bool wholeName);
    int32_t GetAllObjectsOnScreen(std::vector<WorldElem*>& out, const ElemValidator* validator);
    int32_t CollectObjectsWithinRadius(std::vector<WorldElem*>& out, float x, float y, float radius,
                                       const ElemValidator* validator);
    int32_t GetCreaturesInRange(WorldElem* creature, float radius, int32_t wanted);
    void AlertEnemy(WorldElem* creature, int32_t alert, WorldElem* enemy);

    // Nearest-element queries: an object ID or -1 (the light query the light); radius 0 or less
    // searches the whole map.
    int32_t GetNearestObjectWithCfgID(const char* cfgID, float x, float y, float radius, bool subtractRadius);
    int32_t GetNearestCreature(float x, float y, float radius, int32_t party);
    int32_t GetNearestObjectWithMass(float x, float y, float radius);
    WorldElem* GetNearestLight(float x, float y, float radius);

    // Collecting queries: IDs into the result list, their number returned.
    int32_t GetAllObjectsWithCfgID(const char* cfgID, bool wholeName);
    int32_t GetAllObjectsWithWorldID(const char* worldID, bool wholeName);
    int32_t GetAllLightsWithWorldID(const char* worldID, bool wholeName);
    int32_t GetAllWallsWithWorldID(const char* worldID, bool wholeName);
    int32_t GetAllObjectsWithParty(int32_t party);
    int32_t GetAllCreaturesAttacking(WorldElem* target, bool firstOnly, bool extraCondition);
    int32_t GetAllWallsWithinRadius(float x, float y, float radius, const char* name, bool wholeName);
    int32_t GetAllObjectsInLine(float x0, float y0, float x1, float y1);

    // Single lookups.
    WorldElem* FindObjectByWorldID(const char* worldID, int32_t* start);
    int32_t GetCfgObject(const char* cfgID, int32_t n);
    int32_t GetNameObject(const char* name, int32_t n, bool wholeName);
    VSD_WallIntern* GetWallByWorldID(const char* worldID);
    WorldElem* GetLightByWorldID(const char* worldID);
    int32_t GetNumberOfCreatures(int32_t party, bool skipDead);

    // The name rule of the queries: the whole text or its beginning, ignoring case; a null text
    // matches only elements without text.
    static bool MatchesName(const String& text, const char* given, bool wholeName);

    // The shared lists: the object list (with its count) and the result list of the queries.
    const ObjectListEntry* GetObjectList() const { return m_ObjectList.get(); }
    int32_t GetObjectListCount() const { return m_ObjectListCount; }
    void AddToObjectList(const ObjectListEntry& entry);
    // Ascending by distance: the object list's quicksort with its seven-sample pivot.
    static void SortDataSort(ObjectListEntry* records, int32_t first, int32_t last);
    const int32_t* GetResultList() const { return m_ResultList.get(); }
    // Script built-ins: the result list as scripts read and write it ("objList").
    int32_t* GetScriptResultList() { return m_ResultList.get(); }

    // Fades: of the whole world, and of an element with its attached elements.
    void FadeOutWorld(int32_t direction, float duration);
    float GetFadeLevel() const { return m_FadeLevel; }
    void FadeInObject(WorldElemGridBase* elem, float duration, bool restart);
    void FadeOutObject(WorldElemGridBase* elem, float duration, bool remove);

    // Movement. Moves never fail with an error: a blocked move leaves the element at the point
    // reached and answers 0. The three collision options (slide mode, flight, depth) go on to
    // ResolveWallCollision unchanged; a flight is the projectile that moves itself.
    static constexpr float kMaxSubStepLength = 16.0f;
    // The most sub-steps of one stepped move, for the whole program: the engine's 4, which the
    // game's rules lower when their controller is made.
    static int32_t GetMaxMoveSubSteps() { return s_MaxMoveSubSteps; }
    static void SetMaxMoveSubSteps(int32_t count) { s_MaxMoveSubSteps = count > 0 ? count : 1; }
    // By (dx, dy) with the carried children; a blocked move that went off the goal by more than
    // the element's limit leaves it where it was. Silent: a blocked move changes nothing.
    int32_t MoveBy(WorldElem& elem, float dx, float dy, float time, int32_t option, const D3DXVECTOR2* goal,
                   WorldElem* target, bool silent);
    // From one point to another in sub-steps where elements are near; out takes the point reached.
    int32_t MoveStepped(WorldElem& elem, const D3DXVECTOR2& from, const D3DXVECTOR2& to, D3DXVECTOR2* out,
                        double now, float time, int32_t slideMode, WorldElem* flight, int32_t depth, WorldElem* target);
    // One sub-step: terrain slope, walls and elements, then the leave scripts of crossed walls.
    int32_t MoveSegment(WorldElem& elem, const D3DXVECTOR2& from, const D3DXVECTOR2& to, D3DXVECTOR2& out,
                        double now, float time, int32_t slideMode, WorldElem* flight, int32_t depth);
    // The element's motion of one frame: along its path, or by its velocity slowed by its
    // deceleration and drag. The element is placed at out.
    int32_t StepMotion(WorldElem& elem, D3DXVECTOR2& out, float dt, int32_t depth, WorldElem* flight);
    // The creatures' walking step towards (x, y); value goes to the speed query first.
    int32_t WalkTowards(WorldElem& creature, float x, float y, float dt, float value, const D3DXVECTOR2* goal);
    // Whether a creature or item that blocks movement lies within its radius plus margin of (x, y).
    bool IsBlockedByElement(float x, float y, float margin);

    // Turning, with carried children that collide: to an angle of the world, by an angle.
    void RotateTo(WorldElem& elem, float angle);
    int32_t RotateBy(WorldElem& elem, float angle);
    int32_t RotateStep(WorldElem& elem, float angle);
    // 1 when a turn was started, 0 when the element already faces that way.
    int32_t TurnTo(WorldElem& elem, float angle, float value);
    int32_t TurnToPoint(WorldElem& elem, float x, float y, float value);

    // Moves the mover from (x, y) by (dx, dy) against walls and elements: fires the collision
    // events of what it touched, activates event objects it enters and slides on along what
    // blocked it. 1 when the step was free, 0 when blocked; outPos takes where the mover ends.
    // startTime is the game time at the start, duration what the step takes. Slide mode 0 keeps
    // the step's length when sliding, any other its part along the wall; depth 0 starts a move,
    // 999 makes one pass without sliding.
    int32_t ResolveWallCollision(WorldElem& mover, float x, float y, float dx, float dy, D3DXVECTOR2& outPos,
                                 double startTime, float duration, int32_t slideMode, WorldElem* flight, int32_t depth);
    const WallCollisionRecord& GetLastCollision() const { return m_LastCollision; }

    // Pushes the elements around the element by its action force for one frame of t seconds.
    void ApplyActForce(WorldElem& elem, float t);

    // Level values the per-frame update reads.
    void SetCountDown(float seconds, const String& label);
    float GetCountDown() const { return m_CountDownLeft; }
    const String& GetCountDownLabel() const { return m_CountDownLabel; }
    void SetLevelCallScript(float interval, const String& script);
    const String& GetLanguageDir() const { return m_LanguageDir; }
    float GetLastFrameTime() const { return m_LastFrameTime; }
    // A value the client's info bar shows against its maximum, captioned by its name; nothing in
    // the game tracks one yet, so the maximum stays 0 and the bar hidden.
    void SetTrackedValue(float value, float maximum, const String& name)
    {
        m_TrackedValue = value;
        m_TrackedMax = maximum;
        m_TrackedName = name;
    }
    float GetTrackedValue() const { return m_TrackedValue; }
    float GetTrackedMax() const { return m_TrackedMax; }
    const String& GetTrackedName() const { return m_TrackedName; }
    float GetMaxTerrainSteepness() const { return m_Options.maxTerrainSteepness; }
    void SetMaxTerrainSteepness(float value) { m_Options.maxTerrainSteepness = value; }
    void RequestVisibilityUpdate() { m_VisibilityRequest = 1; }
    void SuspendInitScripts() { m_InitSuspension++; }
    void ResumeInitScripts()
    {
        if (m_InitSuspension > 0)
            m_InitSuspension--;
    }
    bool AreInitScriptsSuspended() const { return m_InitSuspension > 0; }
    DynaMem<SmartPtr<WorldElem>, 64, 1>& GetHeldObjects() { return m_HeldObjects; }
    // The elements that the level's placed objects made, each under its world ID; a deleted
    // element leaves its entry with a null reference. Emptied when a level's objects are made.
    void ClearPlacedObjects() { m_PlacedObjects.DeleteAll(); }
    void AddPlacedObject(const String& worldID, WorldElem* elem);
    int32_t GetNumPlacedObjects() const { return m_PlacedObjects.GetSize(); }
    // The live element placed under that world ID; null when none is or it was deleted.
    WorldElem* FindPlacedObject(const char* worldID);
    DXC_InteractiveSceneHalvetor& GetInteractiveScene() { return m_InteractiveScene; }
    ThreadContainer& GetScriptThreads() { return m_ScriptThreads; }
    DynaMem<WorldEvent, 4096, 1>& GetEventQueue(int32_t index) { return m_EventQueues[index & 1]; }
    int32_t GetWaitingScript() const { return m_WaitingScript; }

    // Scripts (WorldCtrlEvents.cpp). The entry of every script text that the world runs: level,
    // element, wall, kill and shot scripts. An empty text or a single blank runs nothing. Flags
    // 255 choose by the text: a leading '@' is dropped and gives flags 1, else 0; flag value 2
    // forwards the text to the network's peers first. context, currentObj and callMode are
    // handed to the run (RunScriptText). Answers 0.
    virtual int32_t RunScript(const String& text, WorldElemBase* elem, int32_t context, int32_t currentObj,
                              const char* label, int32_t callMode, int32_t flags);

    // Script modules and runs (WorldCtrlScripts.cpp). A script ID is a module's slot.
    int32_t GetCurrentScriptID() const { return m_ScriptStack.empty() ? -1 : m_ScriptStack.back(); }
    ScriptReaderGameEngine* GetScriptModule(int32_t scriptID) { return m_ScriptModules.GetBySlot(scriptID); }
    int32_t GetNumScriptModules() const { return m_ScriptModules.GetSize(); }
    int32_t GetScriptStackDepth() const { return int32_t(m_ScriptStack.size()); }
    int32_t GetScriptCallDepth() const { return m_ScriptCallDepth; }
    // The result of the last script run (Void when it returned nothing).
    const ScriptValue& GetScriptResult() const { return m_ScriptResult; }
    // Finds the loaded, finished module of a script file (".txt", ".c", ".cpp") or loads one, or
    // makes a module of inline text (apostrophes become double quotes), and executes it. With
    // currentObj set, object variable 0 holds the element's ID (-1 without) during the run.
    void RunScriptText(const String& text, WorldElemBase* elem, int32_t context, int32_t currentObj,
                       const char* label, uint8_t callMode, uint8_t runFlags);
    // Runs or resumes a loaded module on a script thread while this thread waits; a finished run
    // of a module that is not kept loaded deletes it. "Tried to execute invalid script: %i".
    void ExecuteScript(int32_t scriptID, int32_t context, uint8_t callMode);
    // Deletes the loaded modules of that script file, so that its next run reads it afresh.
    void ReleaseScriptModules(const String& fileName);
    // Posts a script event of the text (at most 254 characters) with the element and the current
    // object variables, due after delay seconds (at once for 0).
    void RunInlineScript(const char* text, WorldElemBase* elem, float delay, uint8_t currentObj, const char* label,
                         uint8_t runFlags);
    // Posts the event that resumes a suspended script; nothing while the controller shuts down.
    void ReenterScript(int32_t scriptID);
    // Asked by every re-entry function before it suspends its script: refuses in an interactive
    // scene, in a global script function, without a running module and in a sub-script; mode 1
    // then suspends the running script at its next return.
    void CheckReenterAllowed(int32_t mode);
    bool IsAnyScriptActive();
    void ResetScriptModules();
    // Deletes every pending re-entry event (a save game is being loaded), or the newest one.
    void DropReenterEvents();
    void DropLastReenterEvent();
    // The log line of a script fault: "%s: %s, level:%s" with the hero's position when there is
    // one; the controller shows the message.
    void LogScriptError(const char* title, const char* message);
    // The interactive scene: started by name (restarted when it is loaded already); asReenter
    // suspends the running script until the scene is left.
    // False when the scene did not start: on the dedicated server it ends at once, as if left.
    bool LoadInteractiveScene(const char* name, bool asReenter);
    void ExitInteractiveScene();
    bool IsInInteractiveScene() const { return m_InteractiveRunning != 0; }

    // Modules and small script services (WorldCtrlModules.cpp). Runs the script function of that
    // name in the first module that has it, which runs as the running module with the caller's
    // run flags added; true when one ran it.
    bool CallScriptFunction(const char* name, ScriptValue* arguments, int32_t count, ScriptValue* result);
    // Creates one object of the type with its "OnInit" held back, and deletes it again.
    void PreloadObject(const char* typeName);
    // Deletes the inline script readers of the elements of the list (the element table, say).
    static void ReleaseElementScripts(DynaPtrList<WorldElem*, 16384, 1>& list);
    DynaPtrList<WorldElem*, 16384, 1>& GetElementTable() { return m_Elements; }
    // "LastEnemy" 1, "LastTarget" 2, "Creator" 3, "Friends" 4, "hero" 5, "Target1".."Target16"
    // 101..116, in any letter case; -1 for others.
    static int32_t GetTargetSlotByName(const char* name);
    // The score of an AI strategy's deed from its score script (0.0 without), shaped by its
    // curve; object script variables 0 and 1 are left holding the creature and the target.
    float EvaluateStrategyScore(const KI_StratEntry& entry, WorldElem* creature, WorldElem* target);
    float GetCountDownTotal() const { return m_CountDownStart; }
    // Visual effects: none on the server.
    int32_t AddEffect(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e, int32_t f, int32_t g, int32_t h);
    int32_t AddEffectEx(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e, int32_t f, int32_t g, int32_t h,
                        int32_t i);
    // The stereo pan of a point as heard from the level view's camera.
    float GetSoundPan(const D3DXVECTOR3& point) const;

    // World events (WorldCtrlEvents.cpp). QueueEvent appends a copy to the queue that takes new
    // events (the controller's AddGameEvent ends here). The event step handles the due events of
    // the first queue, then moves the events raised meanwhile into it; it answers the last game
    // result code (1 a level change, 2 to 6 the end of the game), else 0.
    void QueueEvent(const WorldEvent& event);
    int32_t ProcessWorldEvents();
    bool HandleWorldEvent(const WorldEvent& event, int32_t& code);
    // Every action entry that a creature of the level names must exist: a missing one is the
    // error "Action entry '%s' not found".
    void CheckLevelActionEntries();
    // What the last level change event asked for (the level name, the start position's number and name).
    const char* GetLevelChangeName() const { return m_LevelChangeName; }
    int32_t GetLevelChangeValue() const { return m_LevelChangeValue; }
    const String& GetLevelChangeText() const { return m_LevelChangeText; }
    // Script profiling while the controller's profiling display is on: the total time, the
    // longest run and its text.
    struct ScriptProfile {
        double total = 0.0;
        double longest = 0.0;
        String text;
    };
    const ScriptProfile& GetScriptProfile() const { return m_ScriptProfile; }
    const ScriptProfile& GetStrategyProfile() const { return m_StrategyProfile; }

    // Whether a script text names a script file: it ends in ".txt", ".c" or ".cpp".
    static bool IsScriptFileName(const char* text);
    // Runs a wall's script text (its "onLeave") with the wall as its element, with the values of
    // the element scripts (context 1, current object 1, further 1, flags 255).
    int32_t RunWallScript(const String& text, VSD_WallIntern& wall, const char* label);

    // Damage and shots. A causer is an object ID (0 to 999,899), none (negative) or a party
    // (999,900 and above: the party number + 1,000,000). The hit position and direction and the
    // two further values go to the element's damage operation unchanged.
    static constexpr int32_t kMaxCauserID = 999899;
    static constexpr int32_t kPartyCauserBase = 1000000;
    void DamageObj(int32_t targetID, DamageValues* damage, int32_t causerID, const D3DXVECTOR2* hitPos,
                   const D3DXVECTOR2* hitDir, int32_t arg, int32_t arg2);
    // Damages every element around (x, y) by its gap to the centre, the directly hit element in
    // full; an attacker's attack hits a creature once. The number hit, listed in the hit list.
    int32_t DamageAll(float x, float y, DamageValues* damage, float radius, int32_t causerID, float coreRadius,
                      int32_t arg, WorldElem* directHit, WorldElem* attacker, int32_t arg2);
    const std::vector<int32_t>& GetHitList() const { return m_HitList; }
    // A melee attack names the elements it hit here for its damage script.
    void SetHitList(const std::vector<int32_t>& ids) { m_HitList = ids; }
    // Fires the shot from the shooter along direction (its facing when none): its projectiles fan
    // out from the muzzle. An invalid shooter is an error; from an inactive block nothing flies.
    void Shoot(WorldElem* shooter, ActionShot* shot, const D3DXVECTOR2* direction);
    // The first element whose hit test holds the circle: creatures not out of action, or any with
    // creaturesOnly clear; needsFlag asks for the second flag; the excluded one and its owner not.
    int32_t FindElementAtPoint(float x, float y, float radius, bool creaturesOnly, bool needsFlag,
                               WorldElem* excluded);
    // The elements attached to a projectile go back to the world where they are, fading out over
    // time when it is above 0; effects that vanish with it go when keepEffects is set.
    void ReleaseProjectileChildren(WorldElem& projectile, float time, bool keepEffects);
    // What the shot scripts read: the elements damaged; the list keeps at most its capacity.
    void FillScriptQuery(const std::vector<WorldElem*>& elems);
    int32_t GetScriptQueryCount() const { return m_ScriptQueryCount; }
    WorldElem* GetScriptQueryEntry(int32_t index) const
    {
        return index >= 0 && index < m_ScriptQueryCount ? m_ScriptQueryList[index] : nullptr;
    }
    // The lights of shots: one that flies with the projectile, one where it hit. Lights of shots
    // belong to the light grid; the world itself places none.
    virtual void AttachShotLight(ProjectileBase& projectile, const ActionShot& shot);
    virtual void PlaceImpactLight(float x, float y, const ActionShot& shot);

    // Drawing the level; nothing without a graphics device.
    void Render(int32_t flag);
    // The level viewer's render hook; the world has nothing to add there.
    void RenderHook(const std::array<int32_t, 17>& words) override { (void)words; }

    // Drawing only (WorldCtrlDrawing.cpp): each draws through the program's graphics object and
    // nothing without a device (the server); none changes the game. The screen icons are the
    // pictures of received items, shown one after the other; their pictures are not owned.
    struct ScreenIcon {
        DXC_Texture* picture = nullptr;
        double startTime = 0.0;  // game time
        float duration = 0.0f;
    };
    static constexpr int32_t kScreenIcons = 8;  // a full list drops its oldest icon
    void AddScreenIcon(DXC_Texture* picture, float duration);
    const std::vector<ScreenIcon>& GetScreenIcons() const { return m_ScreenIcons; }
    // The current icon near the lower right corner, its alpha rising over the first half of its
    // time; icons whose time ran out leave the list. 1 when one was drawn.
    int DrawScreenIcon();
    static float ScreenIconAlpha(float elapsed, float duration);
    // The cover map around the main character (one texel a cell, the texture's size centred on
    // the character's cell, 0 outside the map) into the texture's first level; 1 when written.
    int UpdateCoverMapTexture(DXC_Texture& texture);
    // An element's scene under the light set (lights and fog), each mesh through the object
    // pass of the pass mask; effects receive the screen buffers through their parameters.
    // The meshes drawn.
    int32_t RenderObjectEffects(DXC_3dScene& scene, const DXC_LightSet& lights, int32_t passMask);
    // Depth writing only for an opaque item (blend mode 1 or -1), the blend mode and the
    // item's picture in the stages.
    void SetItemRenderState(DXC_Texture* picture, int32_t blendMode, int32_t alpha);
    // The viewport from the level's screen rectangle (the whole screen while it is empty) and
    // the level's camera, for a script's camera view.
    void SetScriptCamera();
    // The viewport to a widget's rectangle (left, top, right, bottom); the mouse test reads it.
    void SetGuiViewport(const int32_t rect[4]);
    bool IsInGuiViewport(int32_t x, int32_t y) const;
    // The overlay of the first text message, the log lines and the running-script line.
    void DrawMessages();
    // The log lines, oldest first, stacked up to bottom: a line of fade above 0.4 takes 14
    // pixels and is drawn, a fainter one fade x 35 and is not. The block's height.
    struct LogLinePlace {
        int32_t y = 0;
        bool drawn = false;
    };
    static constexpr int32_t kLogLines = 6;
    static int32_t LayoutLogLines(const float* fades, int32_t count, int32_t bottom, LogLinePlace* out);
    void SetLogDisplay(bool on) { m_LogDisplay = on ? 1 : 0; }
    void SetLogBackground(DXC_Texture* picture) { m_LogBackground = picture; }
    void SetOverlayOffset(int32_t pixels) { m_OverlayOffset = pixels; }
    static void SetShowRunningScripts(bool on) { s_ShowRunningScripts = on ? 1 : 0; }

    // Messages. A log message stays twice its duration; text messages are shown one after the
    // other, only the first counting down. Keys and "DB:" texts are looked up through the
    // controller's localised texts.
    struct LogMessageData {
        wString text;
        float time = 0.0f;  // seconds left
    };
    struct TextMessage {
        wString key;
        wString text;
        float time = 0.0f;  // seconds left
        int32_t sequence = 0;  // the order of showing
        bool operator<(const TextMessage& other) const { return sequence < other.sequence; }
    };
    static constexpr int32_t kTextMessageChars = 1024;
    void AddLogMessage(const wString& text, float duration, bool noDuplicate);
    void ShowTextMessageByKey(float duration, const wString& key);
    // Formats a wide printf text (at most 1023 units kept) and shows it as a key.
    void ShowTextMessage(float duration, const char16_t* format, ...);
    void UpdateTextMessages(float dt);
    void UpdateLogMessages(float dt);
    // A text beginning with "SELECT" or "DB:" is replaced by the localisation database's answer
    // when it has one; the controller's text hook is applied to every result.
    wString TranslateText(const wString& text);
    void TranslateWString(wString& text) { text = TranslateText(text); }
    void ClearMessages();
    Subtitle GetSubtitleState() const { return m_Subtitle; }
    DynaMem<LogMessageData, 8, 1>& GetLogMessages() { return m_LogMessages; }
    DynaMemSort<TextMessage, 128, 1>& GetTextMessages() { return m_TextMessages; }

    // Music: the level's default, fight and boss tracks (and its loading and ambient tracks), the
    // track playing and the state the fighting around the main character chose.
    enum MusicTrack { kMusicDefault = 0, kMusicFight = 1, kMusicBoss = 2, kMusicLoading = 3, kMusicAmbient = 4 };
    enum MusicState { kStateNormal = 0, kStateFight = 1, kStateBoss = 2, kStateChoose = 4 };
    void SetLevelMusic(int32_t track, const String& name);
    const String& GetLevelMusic(int32_t track) const { return m_LevelMusic[track]; }
    // Seconds of silence after the default track; with it the default track does not loop.
    void SetMusicPauseTime(float seconds) { m_MusicPauseTime = seconds; }
    // A track name, "musicFight", "musicBoss", "musicDefault", or empty for the automatic choice.
    void SetMusic(const char* name);
    void UpdateMusic(float dt);
    void SwitchMusic(int32_t state, bool force);
    // While locked the music is not changed automatically.
    void LockMusic() { m_MusicLock++; }
    void UnlockMusic()
    {
        if (m_MusicLock > 0)
            m_MusicLock--;
    }
    int32_t GetMusicState() const { return m_MusicState; }
    const String& GetMusicPlaying() const { return m_MusicPlaying; }
    float GetMusicCountdown() const { return m_MusicCountdown; }

    // Sounds. This program runs without sound (the sound-off member is always set): registering,
    // playing, following and clearing world sounds do nothing, while speech and the length of
    // sound files are still served.
    bool IsSoundOff() const { return m_SoundOff != 0; }
    void SetSoundOff(bool off) { m_SoundOff = off ? 1 : 0; }  // for a client's audio and tests of the registry
    int32_t RegisterSound(const char* name, const SoundData& data);
    void LoadSound(const char* name, bool withVariations);
    SoundIDData PlaySound(const char* name, float distance, bool ambient, bool alternatives);
    void PlaySoundAt(const char* name, float x, float y, WorldElem* source, int32_t id);
    void UpdateSounds();
    void ClearSounds();
    void PreloadLevelSounds();
    void UpdateAmbientSounds(float dt);
    void StopAmbientChannels(int32_t pause);
    void ResetSoundPlayTimes();
    void FadeOutObjectSounds(int32_t objectID, int32_t soundID, float seconds);
    void PauseSounds();
    void ResumeSounds();
    void UpdateSoundVolume(SoundIDData& record);
    // Seconds the sound layer gives for the speech file, 0 when muted.
    double PlaySpeech(const char* file, int32_t flags);
    void StopSpeech();
    int32_t GetSpeechHandle() const { return m_SpeechHandle; }
    // Play time of an Ogg Vorbis file; 0 when it is missing or unreadable.
    static double GetSoundFileLength(const char* file);
    SearchTree<SoundData>& GetSoundRegistry() { return m_SoundRegistry; }
    DynaMem<SoundIDData, 64, 1>& GetPlayingSounds() { return m_PlayingSounds; }

    // Action and strategy entries by name, filled by the game data loaders. A null name finds
    // nothing; with report a missing entry is an error.
    SearchTree<ActionEntry>& GetActionTree() { return m_ActionTree; }
    SearchTree<KI_Strategy>& GetStrategyTree() { return m_StrategyTree; }
    ActionEntry* FindActionEntry(const char* name, bool report);
    KI_Strategy* FindStrategyEntry(const char* name, bool report);
    // The value of the named entry's first step; an unknown name is an error.
    float GetActionEntryValue(const char* name);

    // Lights, effects and visibility.
    // AddLightToGrid places a copy of the light in the level's light table and its block; its
    // light ID, or -1 when the table is full. Effects are owned by the effect table.
    static constexpr int32_t kEffectCapacity = 32768;
    static constexpr int32_t kFlickerKeys = 8192;
    static constexpr int32_t kMaxVisibilityObjects = 3;  // per floor vertex
    int32_t AddLightToGrid(const VSD_LightSource& light);
    int32_t AddEffect(WorldElem* effect);
    void DelEffect(int32_t id);
    WorldElem* GetEffect(int32_t id) const { return m_Effects.GetBySlot(id); }
    const BezierSpline<float>& GetFlickerCurve() const { return m_FlickerCurve; }
    // One record per floor vertex: the target visibility and the visibility objects reaching it.
    struct VisibilityVertex {
        float target = 0.0f;
        int32_t count = 0;
        SmartPtr<WorldElem> objects[kMaxVisibilityObjects];
        float contributions[kMaxVisibilityObjects] = {};
    };
    void BuildVisibilityGrid();
    const VisibilityVertex* GetVisibilityVertex(int32_t column, int32_t row) const;
    // From a toward b, three rays across a half width: 1 clear, down to 0 blocked.
    float GetWallVisibilityFactor(const D3DXVECTOR2& a, const D3DXVECTOR2& b, float halfWidth);
    void UpdateVisibilityArea(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    // The visibility mode: 0 none, 2 the floor cleared before each marking, 3 visibility objects.
    void SetVisibilityMode(int32_t mode) { m_VisibilityMode = mode; }
    int32_t GetVisibilityMode() const { return m_VisibilityMode; }
    void SetVisibilitySuspended(bool suspended) { m_VisibilitySuspended = suspended ? 1 : 0; }
    static void SetVisibilityFadeTime(float seconds) { s_VisibilityFadeTime = seconds; }
    void MarkVisibleElements(int32_t rays);
    void MarkVertexVisibility(int32_t column, int32_t row, float value, int32_t columnRange, int32_t rowRange);
    // In mode 3, the visibility objects' grid over the whole map when none fits the map yet (the
    // first pass of a level): true when it was computed now.
    bool CalcVisibilityMap();
    // Recomputes the visible cells at once (the script function "AdjustVisibility").
    void AdjustVisibility();

    // Housekeeping, proximity and targeting.
    void ResolveLanguagePath(String& path) const;
    void FadeOutAttached(WorldElem* elem, float seconds);
    WorldElem* GetNearestCreatureOrItem(float x, float y, float radius);
    bool IsEdgeLineClear(WorldElem* a, WorldElem* b, int32_t mode);
    bool CanHitAcrossFloors(WorldElem* shooter, WorldElem* target, D3DXVECTOR2* out, float fraction, int32_t value);
    // Targets in a cone: the candidates stand in the object list, by ascending score (the entry's
    // distance); a wall that belongs to no element stands there with no element and its wall ID.
    struct ConeQuery {
        float startX = 0.0f;
        float startY = 0.0f;
        float dirX = 0.0f;  // its length is the reach
        float dirY = 0.0f;
        float width = 0.0f;
        int32_t wallMode = 0;  // 0 no walls; 1 walls of an element; 2 every usable or solid wall
        float rangeFactor = 1.0f;
        int32_t lineTest = 1;  // 0 no line test
        WorldElem* source = nullptr;
        int32_t lineFlags = kLineWalls;
        int32_t radiusMode = 0;  // 1: body radius, walls less their thickness
        float minDistance = -9e9f;
    };
    int32_t FindTargetsInCone(const ConeQuery& query);
    // Enters the element only when its block is active; its object ID, or -1.
    int32_t AddObjIfOnFloor(WorldElem* elem);
    void AddHeldObject(WorldElem* object);
    // The i-th used entry of the element table.
    WorldElem* GetObjectAt(int32_t i);
    // No effect is ever found on this system: the list stays as it is.
    void DisablePostRenderEffect(const char* name) { (void)name; }

    // Save games (WorldCtrlSaveGame.cpp, WorldCtrlLoadGame.cpp): the level part of a save game.
    // SaveLevel writes the running level's state into the open file (both flags go to each
    // object's to-be-saved test); LoadLevelFromSaveGame rebuilds it on a world whose level was
    // loaded fresh and which holds no elements; a damaged file ends in an error, with what was
    // read until then left in the world. The stream's version (File::GetVersion) decides the
    // layout read; the writer always writes kSaveVersion's.
    static constexpr uint16_t kSaveVersion = 275;
    static constexpr uint16_t kOldestSaveVersion = 235;
    static constexpr uint16_t kSaveMarker = 0x1234;
    static constexpr uint16_t kKeptObjectCode = 0x1000;
    void SaveLevel(File& file, int32_t flagA, int32_t flagB);
    void LoadLevelFromSaveGame(File& file, int32_t unusedA, int32_t unusedB);
    // A new, empty object of a save record's type code, entered in its table; null for effects,
    // an error for unknown codes.
    WorldElemGridBase* NewObjectFromSavegameFile(int32_t typeCode);
    // The light, wall or element an element code names; null for -1, an unknown kind or an empty slot.
    WorldElemBase* GetElemByCode(int32_t code);
    // The walls an item carried come back to it.
    void RestoreWallChildren(WorldElem* item);
    // One event of a saved event list: u16 type, f64 time, i32 length bounded by the bytes left,
    // the data. A failed read is an error of the file.
    static void ReadDataRecord(File& file, WorldEvent& event);
    // Post-render effects by name; on this program no render object is found and nothing is
    // listed (false). Earthquakes: a new entry of the level's list, its slot.
    struct PostRenderEffect {
        int32_t count = 0;
        void* renderObject = nullptr;
        String name;
    };
    bool EnablePostRenderEffect(const char* name);
    DynaMem<PostRenderEffect, 8>& GetPostRenderEffects() { return m_PostRenderEffects; }
    int32_t AddEarthQuake(float x, float y, float duration, float strength, float frequency);
    String m_LevelText;                         // kept across saves
    float m_LevelAmbient[3] = {0.0f, 0.0f, 0.0f};  // the third light colour of the level
    DynaMem<PostRenderEffect, 8> m_PostRenderEffects;

private:
    // The steps of a save game's load.
    struct SaveLoadState;
    void LoadSavedWalls(File& file, SaveLoadState& state);
    void LoadSavedElements(File& file, int32_t mainCharID, SaveLoadState& state);
    WorldElem* LoadSavedElement(File& file, int32_t type, const String& cfgID, bool isMainChar);
    void LoadSavedLights(File& file, SaveLoadState& state);
    void ResolveSavedReferences(SaveLoadState& state);

public:

protected:
    // Script modules: a new one in the table, bound to the game (thread pool, callbacks, the
    // "LANG\" path); its ID.
    int32_t AddScriptModule(uint8_t runFlags, uint8_t keepLoaded);
    void SetUpScriptModule(ScriptReaderGameEngine& module);
    // Parts of the event step.
    bool HandleKillEvent(const WorldEvent& event);
    void RunKillScript(WorldElem& victim, const String& script, const char* labelFormat, int32_t killerID);
    bool DropShortEvent(const WorldEvent& event);  // warns; the event is done

    // The lowest and highest block column and row within reach blocks of (column, row), clamped.
    bool ClampBlockRange(int32_t column, int32_t row, int32_t reach, int32_t range[4]) const;
    // Blocks of a radius query around (x, y): centre trunc((x + 256) / 512), reach from the
    // radius, widened by half the view first when asked; the whole grid for a radius of 0 or less.
    bool RadiusBlockRange(float x, float y, float radius, bool widenByView, int32_t range[4]) const;
    int32_t ViewReachInBlocks() const;  // (half the view's extent + 511) / 512
    // Writes one ID into the result list; false (with one warning per query) when it is full.
    bool PutResult(int32_t& count, int32_t id);
    // The object ID of the element strictly nearest by measure (negative: not wanted) within the
    // radius, the whole map for 0 or less; -1 for none.
    int32_t FindNearest(float x, float y, float radius, const std::function<float(WorldElem*)>& measure);
    // The IDs of the wanted elements of the element table, in table order.
    int32_t CollectFromTable(const ElemValidator& wanted);

    // Steps of the per-frame update that the projectile, visibility and light code carry out.
    void FadeVisibility(float dt);
    void StepProjectile(WorldElem& elem, float dt);
    void UpdateLightIntensity(WorldElem& light);

    GameRandom m_GameRandom;
    int32_t m_SoundOff = 1;  // the program runs without sound
    String m_SpeechName;
    int32_t m_SpeechHandle = -1;
    float m_LastFrameTime = 0.0f;
    float m_TrackedValue = 0.0f;
    float m_TrackedMax = 0.0f;
    String m_TrackedName;
    ThreadContainer m_ScriptThreads;
    Subtitle m_Subtitle;
    int32_t m_QueryCapacity = kObjectListSize;
    DynaMem<WorldEvent, 4096, 1> m_EventQueues[2];
    DynaMem<SmartPtr<WorldElem>, 64, 1> m_HeldObjects;  // not in the grid, still updated
    DynaMem<NamedElemRef, 64> m_PlacedObjects;
    std::unique_ptr<ObjectListEntry[]> m_ObjectList;
    int32_t m_ObjectListCount = 0;
    std::unique_ptr<int32_t[]> m_ResultList;
    std::unique_ptr<WorldElem*[]> m_ScriptQueryList;
    String m_LanguageDir;  // ends with a backslash
    uint8_t m_VisibilityRequest = 0;
    float m_CountDownLeft = -1.0f;
    float m_CountDownStart = -1.0f;
    String m_CountDownLabel;
    float m_CallInterval = 0.0f;
    String m_CallScript;
    int32_t m_WaitingScript = -1;
    WallCollisionRecord m_LastCollision;
    DXC_InteractiveSceneHalvetor m_InteractiveScene;
    uint8_t m_InteractiveRunning = 0;
    int32_t m_ScriptCallDepth = 0;
    int32_t m_InitSuspension = 0;
    String m_LevelMusic[5];
    char m_LevelChangeName[128] = {};
    SmartPtr<WorldElem> m_MoveTarget;
    DynaMem<WallCollisionData, 16> m_CrossedWalls;
    DynaMem<EventCollisionData, 16> m_EventContacts;
    EventCollisionData m_EventScratch;
    int32_t m_LevelChangeValue = 0;
    String m_LevelChangeText;
    DynaMem<ScriptReaderGameEngine, 128> m_ScriptModules;  // the slot is the script ID
    std::vector<int32_t> m_ScriptStack;  // IDs of the scripts executing, innermost last
    int32_t m_GlobalFunctionCount = 0;   // above 0 while a module's function runs for another
    ScriptValue m_ScriptResult;
    int32_t m_CurrentQueue = 0;  // the event queue that takes new events: 1 during the event step
    ScriptProfile m_ScriptProfile;
    ScriptProfile m_StrategyProfile;
    float m_FadeLevel = 1.0f;  // the whole world: 0 dark, 1 shown
    float m_FadeRate = 0.0f;

    SmartPtr<WorldElemBase> m_LastHit;
    std::vector<int32_t> m_HitList;  // of the last DamageAll; grows as needed
    int32_t m_ScriptQueryCount = 0;
    WorldOptions m_Options;
    std::unique_ptr<WorldBlock[]> m_Blocks;  // block columns x block rows, row by row
    int32_t m_NumBlocks = 0;
    uint8_t m_EverythingInView = 0;  // elements count as in view wherever they are
    bool m_ResultsFull = false;      // the current query met the result list's end

    // Lights, effects and visibility.
    BezierSpline<float> m_FlickerCurve;
    DynaPtrList<WorldElem*, kEffectCapacity, 1> m_Effects;
    std::vector<VisibilityVertex> m_VisibilityGrid;  // (map width + 1) x (map height + 1); empty: none
    int32_t m_VisibilityMode = 0;
    uint8_t m_VisibilitySuspended = 0;
    static inline float s_VisibilityFadeTime = 0.5f;
    // 8192 keys, one a second, drawn from [-1, 1] by the program's generator.
    void BuildFlickerCurve();
    // The two routines of the visibility marking: rays from a point that raise the floor
    // vertices they reach, and the opacity of the elements around a point.
    void CastVisibilityRays(const D3DXVECTOR2& eye, float radius, int32_t part, int32_t quality);
    void EvaluateOpacity(const D3DXVECTOR2& eye, float range, float radius);
    // The vertex rectangle (end exclusive) that a circle covers, clamped to the vertex counts.
    bool VertexRectOf(const D3DXVECTOR2& pos, float radius, int32_t rect[4]) const;
    bool VisibilityGridFits() const;
    void BuildVisibilityMap();  // the grid and its targets over the whole map

private:
    static inline int32_t s_MaxMoveSubSteps = 4;
    uint8_t m_DebugMessages = 1;
    std::vector<int32_t> m_EntryTable;

    // One level of the collision resolution. passed: the event object that the level above
    // continued through, which this one does not meet again; passes: how many it went through.
    int32_t ResolveCollisionStep(WorldElem& mover, const D3DXVECTOR2& start, const D3DXVECTOR2& step,
                                 D3DXVECTOR2& outPos, double startTime, float duration, int32_t slideMode,
                                 WorldElem* flight, int32_t depth, const WorldElem* passed, int32_t passes);
    // The block range of the collision scan around the step's start.
    bool CollisionBlockRange(const D3DXVECTOR2& start, float length, int32_t range[4]) const;
    bool IsEventContact(const WorldElem* object);
    // Places the element at an absolute point: in its topmost parent's frame when attached.
    static void PlaceAt(WorldElem& elem, const D3DXVECTOR2& point);
    void ForEachPlayingSound(void (SoundManager::*operation)(intptr_t, intptr_t));

    DynaMem<LogMessageData, 8, 1> m_LogMessages;
    DynaMemSort<TextMessage, 128, 1> m_TextMessages;
    String m_MusicPlaying;
    int32_t m_MusicState = kStateChoose;
    int32_t m_MusicLock = 0;
    double m_MusicStartTime = 0.0;   // game time the current track started
    double m_MusicPlayedTime = 0.0;  // of the default track so far
    float m_MusicCountdown = -1.0f;  // to the next check after a default track that does not loop
    int32_t m_LastFightFlag = 3;     // neither 0 nor 1: the first check chooses
    float m_MusicCheckTime = 0.0f;   // seconds since the last check
    float m_MusicPauseTime = 0.0f;
    SearchTree<SoundData> m_SoundRegistry;
    DynaMem<SoundIDData, 64, 1> m_PlayingSounds;
    SearchTree<ActionEntry> m_ActionTree;
    SearchTree<KI_Strategy> m_StrategyTree;

    // Presentation data.
    std::vector<ScreenIcon> m_ScreenIcons;
    uint8_t m_LogDisplay = 1;
    DXC_Texture* m_LogBackground = nullptr;  // not owned
    int32_t m_OverlayOffset = 320;           // the log block's width, from the right screen edge
    int32_t m_GuiViewport[4] = {};
    static inline uint8_t s_ShowRunningScripts = 1;
};

// The code of an AI action name ("ACTION" 0 .. "SHEATH_WEAPON" 22, in any letter case); 23 for
// any other name.
int32_t ParseAIActionType(const char* name);
// Hands a play-sound event to the running controller: the sound at the position (null: none) of
// the source (null: none) with the parameter; nothing for an empty name.
void PlaySound(const char* name, const D3DXVECTOR2* position, const WorldElemBase* source, int32_t parameter);
// The loudness (0 to 1) at distance d of a sound of range r, by the falloff exponent.
float SoundFalloff(float d, float r);
extern float g_SoundFalloffExponent;  // 1.0 unless changed
// a moved toward b by s; b itself when it lies within s.
float MoveToward(float a, float b, float s);

// The heading from (x0, y0) at speed s that meets a target at (x1, y1) drifting with (vx, vy)
// (AI strategies aim with it); false when there is none, when start and target coincide or when
// a time cannot be worked out.
bool SolveInterceptAngle(float x0, float y0, float x1, float y1, float vx, float vy, float s, float& angle);
