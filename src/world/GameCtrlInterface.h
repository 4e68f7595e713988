// GameCtrlInterface: what level and world code ask of the game controller, and the one global
// pointer through which they reach it. The controller (game/ctrl/GameCtrl) implements it.
#pragma once
#include "base/ErrorClass.h"
#include "base/String.h"
#include "platform/D3DXMath.h"
#include "script/ScriptGameCallbacks.h"

#include <cstdint>

class ConfigFileReader;
class DamageValues;
class DXC_Texture;
class FileList;
class Inventory;
class InventoryItem;
class ProjectileBase;
class ActionShot;
class ActionEffect;
class ActionSpell;
class VSD_WallIntern;
class WorldElem;
class WorldElemGridBase;
struct IlluminationData;
struct PickupRecord;
struct WorldEvent;
class ItemBase;
class WorldCtrl;

class GameCtrlInterface : public ErrorClass {
public:
    // The newest controller becomes the global one; destroying it clears the pointer.
    GameCtrlInterface();
    ~GameCtrlInterface() override;
    GameCtrlInterface(const GameCtrlInterface&) = delete;
    GameCtrlInterface& operator=(const GameCtrlInterface&) = delete;

    // The running controller's game time; 0 while no controller exists.
    static double GameTime();

    // Options.
    virtual int32_t GetDebugMode() const = 0;         // "debug"; non-zero: changed level files are read again
    virtual int16_t GetFloorSizeSetting() const = 0;  // "FloorSize", in cells, for x and y

    // The game rules' lists of object and wall description files ("ObjectCfgFiles", "WallCfgFiles").
    virtual const FileList& GetObjectCfgFiles() const = 0;
    virtual const FileList& GetWallCfgFiles() const = 0;

    // The description readers, (re)loaded from those lists on every call, indexed by "desc".
    // A file that fails is an error of the controller.
    virtual ConfigFileReader* LoadWorldObjectFiles() = 0;
    virtual ConfigFileReader* OpenWallFiles() = 0;

    // Sets the console-used flag to 1 (a level or script was read from a plain, editable file).
    virtual void SetSplitValueToOne() = 0;

    // Progress hook of long loads (percent, 0, alpha, 1); on the server it keeps the clients served.
    virtual void ShowLoadingProgress(float percent, int32_t stage, float alpha, int32_t flag) = 0;

    // The entry of the wall description with that "desc" in the controller's wall reader, or -1.
    virtual int32_t FindWallTypeIndex(const char* name) = 0;
    // Creates a world object of the named type and enters it into the world; its grid part, or
    // null when none was made. An unknown name is an error of the controller.
    virtual WorldElemGridBase* CreateWorldObject(const char* typeName, float x, float y, float angle,
                                                 float height) = 0;
    // Reads the illumination keys of an object or wall type's entry; the game controller reads them.
    virtual void ReadIllumination(ConfigFileReader& reader, IlluminationData& illumination, int32_t entry)
    {
        (void)reader, (void)illumination, (void)entry;
    }
    // Every wall that enters the level's wall table.
    virtual void OnWallAdded(int32_t wallID) = 0;
    virtual bool IsMultiplayerGame() const = 0;

    // The point the view follows; false when there is none.
    virtual bool GetFollowTarget(D3DXVECTOR2& target) = 0;
    // Non-zero: the view follows fast (asked with 0).
    virtual int32_t IsFastFollow(int32_t arg) = 0;
    // The cosines of the two "BackDrawFadeOutAngle" angles: a surface seen from behind is drawn
    // fully at and above the first, not at all below the second; both 0 until the key is read.
    virtual void GetBackDrawFadeThresholds(float& full, float& none) const = 0;

    // The running game.
    virtual double GetGameTime() const = 0;  // seconds, the sum of the frame times
    virtual bool IsServer() const = 0;       // the running dedicated server answers true
    // Whether the world steps only the elements of the active blocks around the players.
    virtual bool ProcessActiveBlocksOnly() const = 0;
    virtual bool AllowsInput() = 0;          // whether the game accepts input now
    // Whether the element can be used now (the use query of every world element).
    virtual bool IsElementUsable(WorldElem* elem) = 0;
    // The level's monster level at a fraction (0 to 1) between its minimum and maximum.
    virtual int32_t GetMonsterLevel(float fraction) = 0;

    // The element table's notices: after an element entered it, before one is deleted (with
    // the delete-children flag), before a wall is deleted. The server tells its clients.
    virtual void OnObjectAdded(int32_t objID) = 0;
    virtual void OnObjectDeleted(int32_t objID, int32_t flag) = 0;
    virtual void OnWallDeleted(int32_t wallID) = 0;
    // An element's state changed in a way its clients must see (raised after it was used).
    virtual void OnObjectChanged(WorldElem* elem) { (void)elem; }

    // The view mode: 0 play, 1 a second play view (visibility fades complete at once), 2 the
    // interactive scene; the world changes it with (0, 0, 1, 1.0, 1.25) when its scene ends.
    virtual int32_t GetViewMode() const = 0;
    virtual void ChangeViewMode(int32_t mode, int32_t a, int32_t b, float c, float d) = 0;
    // The main character ("Hero" in worldID lookups), or null.
    virtual WorldElem* GetMainChar() = 0;
    // Deletes the 3D scenes that the controller loaded for the level's elements.
    virtual void DeleteLoadedScenes() = 0;

    // Items and inventories.
    // A new item of the game's item class, owned by the caller; null when the allocation fails.
    virtual InventoryItem* CreateItem() = 0;
    // The picture of the item table's entry with that "desc", made on first use; null when the
    // table has no such entry.
    virtual DXC_Texture* GetItemPicture(const char* desc) = 0;
    // The weight of an item ability type when an item's main ability is chosen.
    virtual float GetAbilityWeight(int32_t abilityType) = 0;
    // An inventory took an item into a new entry.
    virtual void OnItemAddedToInventory(Inventory* inventory, InventoryItem* item) = 0;
    // This node is the server of a network game: inventories then admit every unit.
    virtual bool IsNetworkGameServer() const = 0;
    // Plays a named sound through the world, without position or source.
    virtual void PlayWorldSound(const char* name) = 0;
    // The value with the named game function applied for an element (null: none), or in the
    // form that takes a float parameter.
    virtual float ApplyGameFunction(float value, const char* name, WorldElem* element) = 0;
    virtual float ApplyGameFunctionFor(float value, const char* name, const float* parameter) = 0;

    // Scripts. The three callbacks of the game's script functions, which the world gives every
    // script module it makes (none set: a script that runs reports "Callback functions not set").
    virtual ScriptGameCallbacks GetScriptCallbacks() = 0;
    // The 256 object script variables (written through SetObjScriptVariable below): entry 0 is
    // the object a script runs for, the next ones the event's further values; outside them 0.
    virtual int32_t GetObjScriptVariable(int32_t index) const = 0;
    // Whether a script module with this run-flags byte may run here; the server always may.
    virtual bool CanRunScriptLocally(uint8_t runFlags) = 0;
    // A script text run with the forwarding flag (value 2) goes to the network's peers too.
    virtual void ForwardScript(const char* text) = 0;
    // A script's fault: while a script runs it is logged with the script's place and shown, and
    // the game goes on; outside a script it is an error of the controller (throws).
    virtual void ScriptError(const char* format, ...) __attribute__((format(printf, 2, 3))) = 0;
    // Shows an error text to the user; the server prints it.
    virtual void ShowErrorMessage(const char* text) = 0;
    // True while the controller is being destroyed: the world posts no re-entry then.
    virtual bool IsShuttingDown() const = 0;
    // The program timer while script profiling is shown, else 0.
    virtual double GetProfilingTime() = 0;

    // World events. AddGameEvent queues a copy in the world's current event queue (a null event
    // is the error "Null pointer added !"); the network node forwards pick-ups instead.
    virtual void AddGameEvent(const WorldEvent* event) = 0;
    virtual bool IsReenterEndCode(const WorldEvent& event) = 0;  // a re-entry (type 9)
    // The event types the world leaves to the game; true when done (else tried again next step).
    virtual bool HandleWorldEvent(const WorldEvent& event) = 0;
    // Whether a level change may start now (a refused change event waits).
    virtual bool MayChangeLevel() = 0;
    // Lets the element be used (its use event with the flag 0 and the two values); false when it
    // was not used.
    virtual bool UseObject(WorldElem* elem, int32_t value, int32_t flag) = 0;
    // Carries out an item pick-up of a pick-up event.
    virtual void ProcessPickupEvent(const PickupRecord& record, int32_t flag) = 0;
    // The story reached video sequence n: it becomes available for replay.
    virtual void LoadGameSaveData(int32_t count) = 0;
    // Factories and uses of world objects.
    // A new set of damage values of the game's class, owned by the caller; null when none is made.
    virtual DamageValues* CreateDamageValues() = 0;
    // A use of an item that needs a key: the controller decides whether the user (by object ID)
    // holds the key and runs the item's failed-use script when not.
    virtual void UseKey(WorldElem* item, int32_t userID, int32_t key) = 0;
    // Scripts: object script variable index (0 to 255) := value, which scripts read as "obj";
    // an event writes its objects there before it runs its script. Returns the value.
    virtual int32_t SetObjScriptVariable(int32_t index, int32_t value) = 0;
    // Localised texts. The "content" of the "Gui" row of that group and name; a missing one gives
    // "DBErr:<group>,<name>" and found 0.
    virtual wString GetGuiDBText(const char* group, const char* name, uint8_t* found) = 0;
    // Replaces a "DB:" id, or a plain key looked up as "DB:" and the key, by that field of the
    // table; true when found and not empty.
    virtual bool DBGetField(wString& text, const char* table, const char* field) = 0;
    // Applied to every text the world translates or shows; nothing on the server.
    virtual void ProcessText(wString& text) = 0;
    // The world's message overlay: the controller draws the first text message (fade 0 to 1)
    // and notes that one is shown; whether it lets the log lines be drawn now.
    virtual void DrawTextMessage(const wString& text, float fade)
    {
        (void)text;
        (void)fade;
    }
    virtual bool AllowsLogOverlay() { return true; }

    // Music. A track on the music channels (volume below 0: the default; fade time below 0: the
    // level's), and the second music operation, a track on the ambient channel.
    virtual void PlayMusic(const char* track, float volume, float pitch, int32_t loop, float fadeTime) = 0;
    virtual void PlayAmbientMusic(const char* track, float fadeTime) = 0;
    virtual bool IsBossMusicWanted() = 0;
    // The main character's party, whose attackers start the fight music as its own do.
    virtual int32_t GetNumPartyMembers() = 0;
    virtual WorldElem* GetPartyMember(int32_t index) = 0;

    // What the creatures ask of the controller.
    // The world of the running game (strategies and actions are looked up there); null without one.
    virtual WorldCtrl* GetGameWorld() = 0;
    // The template item of the item table's entry with that "desc", or null; createImage also
    // makes its picture.
    virtual ItemBase* FindItem(const char* name, bool createImage) = 0;
    // The item a saved item influence names: an item of the table here; the game's rules also
    // know the items their skills carry.
    virtual ItemBase* FindInfluenceItem(const char* name) { return FindItem(name, false); }
    // Whether the creature takes part in a dialogue now.
    virtual bool IsDialogActive(WorldElem* creature) = 0;
    // A creature with unlimited mana used mana (the game server tells its client).
    virtual void ReportManaUse(WorldElem* creature, float cost) = 0;
    // An attack of a creature's action ran.
    virtual void ReportAttack(WorldElem* creature) = 0;

    // Vital values, damage and death of creatures. The reports are what the network layers send
    // to the clients; the engine sends nothing. The defaults serve a controller without game data.
    virtual void ReportHealth(WorldElem* creature, float health)
    {
        (void)creature;
        (void)health;
    }
    virtual void ReportDeath(WorldElem* creature, WorldElem* killer, int32_t killerID)
    {
        (void)creature;
        (void)killer;
        (void)killerID;
    }
    virtual void ReportBloodEffect(WorldElem* creature, float strength)
    {
        (void)creature;
        (void)strength;
    }
    virtual void ReportExperienceGain(WorldElem* creature, float amount)
    {
        (void)creature;
        (void)amount;
    }
    // The main character reached a new level (once for every level gained).
    virtual void OnHeroLevelUp(int32_t level) { (void)level; }
    // The experience table: the level an amount reaches, what a level needs, and the factor of
    // the kill experience for the level difference b - a.
    virtual int32_t GetLevelForExperience(float experience)
    {
        (void)experience;
        return 1;
    }
    virtual float GetExperienceForLevel(int32_t level)
    {
        (void)level;
        return 0.0f;
    }
    virtual float GetDeltaLevelXPFactor(int32_t a, int32_t b)
    {
        (void)a;
        (void)b;
        return 1.0f;
    }
    // The factor of damage between two elements that are no enemies (0: none passes).
    virtual float GetFriendlyFireBetween(WorldElem* c1, WorldElem* c2) const
    {
        (void)c1;
        (void)c2;
        return 0.0f;
    }
    // A localised message spoken or shown to the player.
    virtual void ShowMessage(float duration, const char* format, ...) __attribute__((format(printf, 3, 4)))
    {
        (void)duration;
        (void)format;
    }
    // The book display of an item's use message; none in the engine.
    virtual void ShowBook(const char* name) { (void)name; }
    // What an item's "onItemUse" or an event's "OnActivate" script reads and may change: the
    // activator's object ID and the allow flag (a script clears it to refuse the use).
    virtual void SetActivator(int32_t objID, int32_t allow)
    {
        (void)objID;
        (void)allow;
    }
    virtual int32_t GetAllowFlag() const { return 1; }
    // What an attack's "ATTACK:onDamage" script and a creature's "onAction" script read.
    virtual void SetHitCount(int32_t count) { (void)count; }
    virtual void SetCurrentActionName(const String& name) { (void)name; }
    // Seconds between two blood effects of one creature (a game constant).
    virtual float GetBloodInterval() const { return 0.0f; }
    // The level's scaling of the damage monsters deal: value x factor + offset.
    virtual void GetMonsterDamageScaling(float& factor, float& offset)
    {
        factor = 1.0f;
        offset = 0.0f;
    }
    // A damage from source to target as a game event, with a position and a direction.
    virtual void AddDamageEvent(int32_t targetID, int32_t sourceID, const DamageValues* damage, int32_t a, int32_t b,
                                const D3DXVECTOR2& direction)
    {
        (void)targetID;
        (void)sourceID;
        (void)damage;
        (void)a;
        (void)b;
        (void)direction;
    }

    // Lights and visibility. The flicker function of light intensity at a time in seconds; the
    // point the view is held at instead of the main character (false: none); the game's
    // visibility quality, the n of the n x n parts of the view that the ray casting works through.
    virtual float GetFlicker(float t) = 0;
    virtual bool GetViewOverride(D3DXVECTOR2& point)
    {
        (void)point;
        return false;
    }
    virtual int32_t GetVisibilityQuality() { return 1; }
    // Element events, damage and shots.
    // The nine special names: 0 the gold coin item, 1 to 8 the status effect objects; null others.
    virtual const char* GetSpecialName(int32_t index) = 0;
    // The item table's entry of that name (its count and largest stack), or null.
    virtual InventoryItem* FindItemType(const char* name) = 0;
    // Places an item taken out of an inventory in the world around the element and takes the item
    // over; the new item element's object ID, or -1 when it could not be placed.
    virtual int32_t DropItem(InventoryItem* item, Inventory* inventory, WorldElem* elem, float distance,
                             float angle, float spread) = 0;
    // A wall use with an item slot goes to the game.
    virtual void UseItemSlot(WorldElem* user, int32_t slot, VSD_WallIntern* wall, int32_t flag, int32_t userID) = 0;
    // What an element event's script reads: the other object's ID and the event's argument.
    virtual void SetScriptContext(int32_t otherID, int32_t argument) = 0;
    // The damage of the damage event about to run its script; none when the attacker is no enemy.
    virtual void SetCurrentDamage(DamageValues* damage) = 0;
    virtual void SetCurrentDamageNone() = 0;
    // After the world fired a shot.
    virtual void OnShot(WorldElem* shooter, ActionShot* shot, const D3DXVECTOR2* direction) = 0;
    // The shot values scripts read: the elements a shot damaged, the element it hit and its kind
    // (-1 none, 1 a live element, 2 anything else).
    virtual void SetShotDamagedCount(int32_t count) = 0;
    virtual void SetShotHit(int32_t objID, int32_t kind) = 0;
    virtual float GetFriendlyFire() const = 0;       // "FriendlyFire": between player parties
    virtual float GetMonsterShotSpeed() const = 0;   // "monsterShotSpeed" of the difficulty
    virtual bool IsGameRunning() = 0;                // a client's network game: never on the server
    virtual int32_t GetNoAreaFade() const = 0;       // 1 keeps elements from fading by active area
    // A new projectile of the game's class, owned by the caller.
    virtual ProjectileBase* CreateProjectile() = 0;

    // Creature animation.
    // Whether this node is the client of a network game: a client plays cycles it has no
    // track data for, as the server tells it to.
    virtual bool IsNetworkClient() { return false; }

    // Actions of creatures and world elements. A creature controlled on a network client reports
    // its action start or stop (code -1) instead of running it; an action's effect and spell
    // parts are told as they fire (the server tells its clients); the spell itself is cast by the
    // controller. Shots are told through OnShot.
    virtual void ReportAction(WorldElem* creature, int32_t code, const char* name, WorldElem* target,
                              int32_t priority, float param)
    {
        (void)creature;
        (void)code;
        (void)name;
        (void)target;
        (void)priority;
        (void)param;
    }
    virtual void ReportActionEffect(WorldElem* elem, ActionEffect* effect, int32_t index)
    {
        (void)elem;
        (void)effect;
        (void)index;
    }
    virtual void ReportActionSpell(WorldElem* elem, ActionSpell* spell)
    {
        (void)elem;
        (void)spell;
    }
    virtual void ExecuteSpell(WorldElem* caster, ActionSpell* spell)
    {
        (void)caster;
        (void)spell;
    }
    // Creature movement. A creature controlled on a network client tells its new movement
    // (code, target point, speed, target element) and its move speed; the local play goes on.
    virtual void ReportMovement(WorldElem* creature, int32_t code, float x, float y, float speed, WorldElem* target)
    {
        (void)creature;
        (void)code;
        (void)x;
        (void)y;
        (void)speed;
        (void)target;
    }
    virtual void ReportRotationValue(WorldElem* creature, float value)
    {
        (void)creature;
        (void)value;
    }
    // The running game's item of the global item mode (game mode 2); none by default.
    virtual int32_t GetGlobalGameMode() { return 0; }
    virtual InventoryItem* GetCurrentItem() { return nullptr; }

    // Save games: what the level part of a save game asks of the controller. The defaults serve
    // a controller without game objects: no object types, no factories, no kept objects.
    // The entry of the object description with that "desc", or -1; creating from it enters the
    // element into the world (null when none was made).
    virtual int32_t FindWorldObjectTypeIndex(const char* name)
    {
        (void)name;
        return -1;
    }
    virtual WorldElemGridBase* CreateWorldObjectByIndex(int32_t index, float x, float y, float angle, float height)
    {
        (void)index;
        (void)x;
        (void)y;
        (void)angle;
        (void)height;
        return nullptr;
    }
    // A new empty element of the game's class for a save record (4 creature, 5 projectile, 6 item,
    // 8 event object), owned by the caller and in no world; null when there is none.
    virtual WorldElem* CreateEmptyElement(uint16_t typeCode);
    // The kept "DoNotSave=1" object of that worldID; when there is none, a warning and null.
    virtual WorldElem* FindKeptObject(const char* worldID);
    // The loaded element becomes the main character.
    virtual void SetMainChar(WorldElem* elem) { (void)elem; }
    // A loaded element that its input controller drove is registered with it again.
    virtual void AddToInputCtrl(WorldElem* elem) { (void)elem; }

    // Reports through the controller's error operation (which throws), or without an object when
    // there is no controller.
    [[noreturn]] static void ReportError(const char* format, ...) __attribute__((format(printf, 1, 2)));
    static void ReportWarning(const char* format, ...) __attribute__((format(printf, 1, 2)));
};

// The running program's controller; null while none exists.
extern GameCtrlInterface* g_GameCtrl;
