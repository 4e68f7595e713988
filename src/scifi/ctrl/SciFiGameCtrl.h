// SciFiGameCtrl: the game's own controller: the rules of the sci-fi game on top of the game server,
// the network game node and the engine's controller. It holds the game's rule values, its control options and
// every window of the game (made, never opened on the server), loads the game's item definitions
// with their item functions, own keys and treasure item lists, and names its equipment slots; its
// skills come with the rest of the rules.
// The implementation is split by role: SciFiGameCtrl.cpp (construction, the pointer and
// multiplayer answers), SciFiGameCtrlItems.cpp (the items file, the game's item keys, the
// equipment slots and the treasure item lists), SciFiGameCtrlItemFunctions.cpp (the item
// functions and value parameters, the might transform), SciFiGameCtrlRules.cpp (the balance
// values of the rules file, the item chances of a level), SciFiGameCtrlOptions.cpp (the camera
// and control options of "cfg\game.cfg", the camera shift by the display's aspect),
// SciFiGameCtrlCombat.cpp (the factories of damage values, protection values, attack parts, items
// and creatures, the creature's maxima from its stat block, the damage of the attack in
// progress), SciFiGameCtrlWorldEvents.cpp (the damage world events), SciFiGameCtrlControls.cpp
// (the key bindings and key names read at start-up), SciFiGameCtrlKeys.cpp (the game's keys of creatures and attack
// parts), SciFiGameCtrlSkills.cpp (the skill table,
// learning, the skill buttons and the skills' info texts), SciFiGameCtrlGameState.cpp (the game
// state's pass, the player camera, leaving the game state), SciFiGameCtrlDraw.cpp (the game
// state's draw, the client's keys and the level statistics), scifi/gui/SciFiGameCtrlWindows.cpp
// (which game windows exclude each other and pause the game, mouse-over and highlight) and
// scifi/gui/SciFiGameCtrlScreens.cpp (the client's screens and the start of a hosted server).
#pragma once
#include "game/gui/BookGui.h"
#include "game/gui/CharacterGui.h"
#include "game/gui/CharacterInfoGui.h"
#include "game/gui/ChatGui.h"
#include "game/gui/DialogGui.h"
#include "game/gui/HUDSkills.h"
#include "game/gui/HUDSkillsRollup.h"
#include "game/gui/HUD_MainBar.h"
#include "game/gui/HelpGui.h"
#include "game/gui/HostGui.h"
#include "game/gui/ItemHolderGui.h"
#include "game/gui/ItemInfoGui.h"
#include "game/gui/JoinGui.h"
#include "game/gui/MiniMapGui.h"
#include "game/gui/MissionLogGui.h"
#include "game/gui/MonsterHealthBarGui.h"
#include "game/gui/ObjectNameGui.h"
#include "game/gui/OptionsGui.h"
#include "game/gui/PauseMenuGui.h"
#include "game/gui/SkillTreeGui.h"
#include "game/gui/StartMenuGui.h"
#include "game/gui/TradeGui.h"
#include "net/GameServer.h"
#include "scifi/ctrl/ItemMightTransformFunction.h"
#include "scifi/gui/Controls.h"
#include "scifi/save/PlayerSaveID.h"
#include "scifi/skills/SkillTreeEntry.h"
#include "scifi/treasure/ItemValueParameters.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace PlayerCommandCodec {
struct DamageReport;
struct PlayerCommand;
}  // namespace PlayerCommandCodec

class ActionEntry;
struct CharacterSaveRecord;
class CreatureObj_SF;
class ElementCriteriaValidatorBase;
class File;
struct GameSaveRecord;
class InputState;
class KI_Strategy;
class MouseState;
struct WorldEvent;

class SciFiGameCtrl : public GameServer {
public:
    static constexpr int32_t kQuickSlots = 10;
    static constexpr int32_t kItemWeights = ItemValueParameters::kCount;
    static constexpr int32_t kTreasureItemLists = 9;
    static constexpr int32_t kTreasureKeys = 8;  // "Treasure1" .. "Treasure8" of a world object
    static constexpr int32_t kWorldEntryTable = 512;
    static constexpr int32_t kMaxMoveSubSteps = 2;  // the engine allows 4
    static constexpr int32_t kToolTipFramePictures = 9;
    static constexpr int32_t kWideScreenWidth = 1650;   // from this width on the HUD needs no margin
    static constexpr float kNarrowSideOffset = 100.0f;

    // A record of the special bonuses; nothing fills them yet.
    struct SpecialBonusData {
        String name;
        float value = 0.0f;
    };

    // The start menus of the client: their frame and the multiplayer screens.
    struct MenuScreens {
        DXC_GuiField frame;
        HostGui hostWindow;
        JoinGui joinWindow;
    };

    // Sets the rules record to its defaults, changes the engine's defaults the game differs in
    // and makes this object the global controller.
    SciFiGameCtrl();
    ~SciFiGameCtrl() override;

    // Items (SciFiGameCtrlItems.cpp).
    // The item functions, then "cfg\items.cfg" into the item reader, one item per entry and the
    // treasure item lists; a file of the size last read is not read again.
    void LoadGeneralItems() override;
    // The game's keys of an item entry: abilities, tier, money value, strategies, sockets.
    void ReadItemKeys(ConfigFileReader& reader, int32_t entry, ItemBase& item, ItemBase* base, bool complete) override;
    // "all" 100, "none" -1, "weapon" 0, "head" 1, "body" 2, "potion1" 102, "potion2" 103,
    // "weapon_socket" 200, "head_socket" 201, "body_socket" 202, "gold" 101, any letter case. An
    // unknown name is -1, and an error when report is set.
    int16_t GetEquipmentType(const String& name, bool report) override;
    // The treasure lists name their entry kinds by equipment type; -1 for any other name.
    int32_t GetTreasureClass(const String& name) override;
    // The money value formula for an item without a value of its own, before rounding.
    float CalcItemValue(const ItemBase& item);
    // List 0 holds every treasure item, lists 1 to 8 those of the equipment types 0, 1, 2, 102,
    // 103, 200, 201 and 202; null outside 0 .. 8.
    ItemList* GetTreasureItemList(int32_t index);

    // Treasure (scifi/treasure/SciFiGameCtrlTreasure.cpp).
    // An item of a treasure type (100, 0, 1, 2, 102, 103, 200, 201, 202; any other is an error)
    // drawn by weight among the list's items near the target level: with the level curve, weighted
    // by the treasure file's might curve at the level difference, else any item within 0.5 of
    // it. Null when no item qualifies.
    ItemBase* CreateTreasureItem(int32_t type, float level, bool useLevelCurve, int32_t prepareArg,
                                 float prepareFactor);
    // Items of the level's item list into the element's inventory: |amount| give or take spread
    // of them, drawn with replacement, or without it when amount is negative; the gold item gives
    // goldAmount give or take goldSpread coins.
    void FillFromItemList(WorldElem& elem, int32_t listIndex, float amount, float spread, float goldAmount,
                          float goldSpread);
    // Every new item: the random skill upgrades of its definition's "SkillUpgrade%i" lines, then
    // the engine's enchantment and boost.
    void InitNewItem(ItemBase* item, int32_t mode, float value) override;
    // One piece of the named treasure list into the element's inventory with the given chance:
    // gold (from the list when goldCentre is -1 and goldSpread 0), a named item or an item of a
    // treasure type at the might. The item placed, or null (nothing, gold, or no room).
    ItemBase* DropTreasure(WorldElem& elem, float chance, const char* listName, float might, float goldCentre,
                           float goldSpread, bool useLevelCurve, int32_t slotArg, int32_t prepareArg,
                           float prepareFactor);
    // How much the players of the game want the item: 1 for an item without class restriction,
    // which every item of the game is.
    float GetItemWeightForPlayers(const ItemBase& item);

    // Item functions (SciFiGameCtrlItemFunctions.cpp).
    // "cfg\itemFunctions.cfg" when it changed: the might functions and the value parameters.
    void LoadItemFunctions();
    // The item function of that name, or null.
    ItemMightTransformFunction* FindItemFunction(const char* name);
    const ItemMightTransformFunction* GetDefaultValueFunction() const { return m_DefaultValueFunction; }
    const ItemValueParameters& GetItemValueParameters() const { return m_ItemValueParameters; }
    // The value scaled by the named item function at the might of first less that of second (a
    // missing item has might 0); an unknown name is warned of and leaves the value.
    float ApplyItemMightFunction(float value, const String& name, const ItemBase* first, const ItemBase* second);
    // A function key of an item entry names an item function, taken at the might of the item
    // being made less that of the item it derives from.
    float ApplyGameFunctionToItem(float value, const char* name, const ItemBase* item,
                                  const ItemBase* derived) override;

    // The game state (SciFiGameCtrlGameState.cpp). One pass of the main loop in the game state:
    // pending loads, the frame step (the network server's on a server), the level events and
    // what their code asks (autosave, save and cleanup at the end of the game, level reset), the
    // camera, the pointer copy, a requested state change (1 quit, 101 end of game) and the skill
    // roll-ups closed behind an open game window. A paused game does nothing.
    static constexpr int32_t kSingleStepKey = 49;
    static constexpr int32_t kStateEndOfGame = 101;
    static constexpr float kMaxCameraPitch = 0.7853982f;  // pi/4
    static constexpr float kCameraYawReach = 3.14f;       // from the engine camera's yaw
    virtual void UpdateGameState(double elapsed);
    void CloseSkillRollups();
    // Turns the player camera by a step (at most 3 either way), never more than 3.14 from the
    // yaw the engine camera has now, so that its smoothing never turns the long way round.
    void RotateCamera(float step);
    // Leaving the game state: a joined network game is left, the input controllers go and the
    // mouse's move callback with its value is cleared.
    void LeaveGameState();
    // Time the main loop did not simulate (a long frame's excess, a paused game): the server's
    // rules spend none of it.
    virtual void OnSkippedTime(double seconds);
    // One pass of the end-of-game state; the server quits on entering it and shows no end screen.
    void UpdateEndOfGame(double elapsed);
    // The client's save of its character, then the node leaves the game.
    virtual void OnLeaveNetworkGame();
    // The key and mouse state the game state and the camera read: the program's own unless a test
    // gives others (on the server they never hold a key or a button).
    void SetInputDevices(InputState* keys, MouseState* mouse)
    {
        m_Keys = keys;
        m_Mouse = mouse;
    }
    // The GUI set-up of the controller's initialisation (SciFiGameCtrlDraw.cpp): the dedicated
    // flag to the graphics object, then, where a GUI root exists, the logo, the tooltip frame,
    // the cursor and the tooltip parameters ("MouseOverDelay", the distance, "MouseOverOffset").
    void InitGuiFields() override;
    void LayoutGui() override;
    // The screen width of the last layout and the side margin it chose for the HUD.
    float GetLayoutScreenWidth() const { return m_LayoutScreenWidth; }
    float GetLayoutSideOffset() const { return m_LayoutSideOffset; }
    // The game state's draw (SciFiGameCtrlDraw.cpp), once per drawn frame: the camera pitch
    // kept within 0 to 2, the free camera switch reduced to 0 or 1, the client's keys, the frame
    // drawn (nothing without a device) and the time since the last draw kept as the draw time.
    static constexpr float kMaxDrawPitch = 2.0f;
    void DrawGameState();
    double GetDrawTime() const { return m_DrawTime; }
    // The client's keys of a frame: the quick potions and the screenshot of the key bindings, Esc
    // by the view mode, and the developers' keys (F9 always, the rest with the "debug" option).
    // Nothing without a keyboard, as on the server.
    void HandleClientKeys(double frameTime);
    // The text viewer lists the level's creatures (the main character's aside) and items by name,
    // with their experience, gold and value.
    void ShowLevelStatistics();
    DXC_GuiTextViewerScl& GetStatisticsViewer() { return m_TextViewer; }
    // 1: load the quick save; 2: the same with the second load argument.
    void RequestQuickLoad(int32_t request) { m_PendingLoadRequest = request; }
    void RequestCameraReset() { m_CameraResetPending = 1; }
    void SetCameraFollow(WorldElem* element) { m_CameraTarget = element; }
    void SetPlayerCamera(float distance, float pitch, float yaw)
    {
        m_CameraDistance = distance;
        m_CameraPitch = pitch;
        m_CameraYaw = yaw;
    }
    // The pointer as the last pass saw it: x, y (truncated) and the third value.
    const int32_t (&GetLastPointer() const)[3] { return m_LastPointer; }
    HUDSkillsRollup& GetSkillRollup(int32_t index) { return m_HudSkillRollups[index]; }
    // Game windows (scifi/gui/SciFiGameCtrlWindows.cpp). The character sheet, skill tree and
    // mission log exclude each other and do nothing while the pause menu or a trade is open.
    static constexpr int32_t kStateGame = 100;
    void ToggleCharacterWindow();
    void ToggleSkillTreeWindow();
    void ToggleMissionLogWindow();
    // Closes the sheets; over the options window only the options close, else the pause menu
    // and the game's pause switch together.
    void TogglePauseMenu();
    // The game is paused exactly while the help is open.
    void ToggleHelp();
    // The sheets and the trade, unless the pause menu is open.
    void CloseGameWindows();
    void CloseItemInfoWindows();
    // The main bar, the map, the chat and the overlay field open; the map follows it from then on.
    void ShowHud();
    bool IsHudShown() const { return m_HudShown != 0; }
    // An open pause menu of a paused game closes first (the game resumes), then the engine's reset.
    void ResetGuiState(int32_t flag) override;
    // The engine's GUI pass, then in the game state the map is open while the HUD is shown
    // outside view mode 3.
    void HandleGuiInput();
    void PlayGuiClick(int32_t kind);
    // The information box of an item under the pointer: after "MouseOverDelay" with the pointer
    // within the mouse-over distance of where it started, at once with left Shift held.
    void HoverItem(ItemBase* item, int32_t x, int32_t y);
    ItemBase* GetHoveredItem() const { return m_HoveredItem.Get(); }
    bool IsItemHoveredThisFrame() const { return m_ItemHoveredThisFrame != 0; }
    ItemInfoGui& GetItemInfoBox(int32_t index) { return m_ItemInfoBoxes[index]; }
    // 0 none, 1 plain, 2 a fallen body the active skill works on, 3 an attack target; only for
    // the element under the pointer.
    int32_t GetHighlightKind(WorldElem* element);
    int32_t GetHighlightKind() override { return GetHighlightKind(m_PointedElement.Get()); }
    void SetPointedElement(WorldElem* element) { m_PointedElement = element; }
    // Esc leaves the pause menu alone while something is dragged, or while a dead or missing hero
    // would leave nothing to return to.
    bool IsEscapeBlocked();
    void RequestPauseMenu();
    bool IsPauseRequested() const { return m_PauseRequested; }
    bool IsInputBlocked();  // a dialogue is open
    void OpenDialogWindow();
    void UpdateMiniMap() override {}  // the map's contents come with its window
    // The statistics viewer is shown.
    bool IsSubWindowShown();
    // Neither the statistics viewer nor the chat input takes the keys.
    bool CanActOnKeys();
    // The drag ends and the dragged items are deleted.
    void DropDraggedObject();
    // The first dragged item, taken out of the drag holder (not deleted) when remove is set.
    ItemBase* TakeDraggedItem(bool remove);
    Inventory& GetDragHolder() { return m_PointerInventory; }
    // Process-wide switches of the client's developers: item information without delay, and Esc
    // never blocked.
    static inline bool s_ItemInfoAlways = false;
    static inline bool s_EscapeOverride = false;
    SkillTreeGui& GetSkillTreeWindow() { return m_SkillTreeWindow; }
    TradeGui& GetTradeWindow() { return m_TradeWindow; }
    PauseMenuGui& GetPauseMenu() { return m_PauseMenu; }
    OptionsGui& GetOptionsWindow() { return m_OptionsWindow; }
    HelpGui& GetHelpWindow() { return m_HelpWindow; }
    ChatGui& GetChatWindow() { return m_ChatWindow; }
    MiniMapGui& GetMiniMapWindow() { return m_MiniMapWindow; }

    // Client screens (scifi/gui/SciFiGameCtrlScreens.cpp).
    // Starts the dedicated server of a hosted game as its own process with the level, "/Diff=%d"
    // and "/Name=" and the name as separate arguments (no shell sees them); true when the process
    // started. A test gives its own spawner.
    using ProcessSpawner = std::function<bool(const std::string& program, const std::vector<std::string>& arguments)>;
    static bool StartDedicatedServer(const String& levelFile, int32_t difficulty, const String& serverName,
                                     const ProcessSpawner& spawn = nullptr);
    // The videos count as unlocked, then the intro plays.
    void PlayIntro();
    // The loading screen: its upper, lower and logo pictures where the background exists, then
    // the engine's part, which serves the network whatever is drawn.
    void ShowLoadingProgress(float percent, int32_t stage, float alpha, int32_t flag) override;
    // "ConnectToServer" of "loadingscreen", fetched once for the process.
    const wString& GetConnectText();
    // The progress display of the connecting and skipping screens: the text is drawn with the
    // client's interface; the network is served meanwhile.
    void ShowProgress(float percent, const wString& text, float alpha, int32_t flag);
    // The name of the primary input of skill slot 0 .. 9, made again only when that input
    // changed; the reset switch empties every name.
    wString GetSkillKeyName(int32_t slot);
    static inline bool s_ResetSkillKeyNames = false;
    // The game view: the pause picture behind a paused GUI, the connecting screen, else the frame.
    void DrawGameView();
    // The end-of-game screen: the game view, the windows and the version string.
    void DrawEndOfGame();
    void SetPausePictureSuppressed(bool suppressed) { m_NoPausePicture = suppressed; }
    DXC_Texture& GetLogoTexture() { return m_LogoTexture; }

    DialogGui& GetDialogWindow() { return m_DialogWindow; }
    CharacterGui& GetCharacterWindow() { return m_CharacterWindow; }

    // Dialogue lines and messages (scifi/text/SciFiGameCtrlDialogue.cpp). A dialogue key
    // ("DB:" + id) gives the speaker, the text and the speech file, by the main character's class
    // first; the dialogue window shows the line, or with speechOnly the speech alone plays.
    // Nothing without a main character.
    void PlayDialogueLine(const String& key, WorldElem* first, WorldElem* second, int32_t scriptID, bool speechOnly);
    // The on-screen message; a "DB:" message also plays the main character's voice of it.
    void ShowMessage(float duration, const char* format, ...) override __attribute__((format(printf, 3, 4)));
    // A dialogue is running while its window is open.
    bool IsDialogActive(WorldElem* creature) override;
    void CloseDialog() { m_DialogWindow.Close(); }
    // Subtitles (scifi/text/SciFiGameCtrlSubtitles.cpp): the line of a key "DB:" + id + "," +
    // value (without the value part, the line's number) shown in the subtitle window; the
    // seconds until the next line may start. The show flag is not asked: the window always
    // takes the line.
    float GetSubtitle(const char* id, int32_t line, int32_t show) override;

    // The trade window opens with the creature, unless a trade runs; the sheets close first.
    void StartTrade(WorldElem* partner);
    // The script run while the mouse manipulates the world ("SetMouseManipulateScript").
    void SetMouseManipulateScript(const String& script) { m_MouseManipulateScript = script; }
    const String& GetMouseManipulateScript() const { return m_MouseManipulateScript; }

    // Controller operations and hooks (SciFiGameCtrlHooks.cpp).
    // Only in normal play: while the controller hosts, else while its main character lives. The
    // game's answer to whether it may save now (a due autosave asks it), in place of the engine's.
    bool IsGameActive();
    bool CanSaveNow() override { return IsGameActive(); }
    bool IsNormalGameMode() const { return GetViewMode() == 0; }
    // The engine's difficulty, then the main character's highest difficulty keeps the larger.
    void SetDifficulty(int32_t difficulty, uint8_t onlyIfChanged, uint8_t setName) override;
    // The "NoMana" sound alone.
    void NotifyNoMana() override;
    // The engine's hand-over of the main character; a character taken over keeps its inventory
    // grid's lower right corner (from column and row 5) free and is handed to the character,
    // trade and map windows.
    void SetMainCharacter(CreatureObj* creature) override;
    // The server's pick-up; a refused item that is no potion says "DB:inventory_full" for 3 s.
    bool PickUpItem(WorldElem* element, CreatureObj* creature) override;
    // The item power factor of an item ability type (16 "PowerHitp", 17 "PowerManaMax", ...);
    // 0 for a type without one.
    float GetAbilityWeight(int32_t abilityType) override;
    // A lost connection also runs "onDisconnect" of "scripts/onDisconnect.c".
    void OnConnectionLost() override;
    virtual void OnDisconnect();
    // In a network game: a dead creature other than the main character.
    virtual bool CanRevive(WorldElem* element);
    // The names of the element's items into the object texts ("sTmp"), in list order, then for a
    // creature the first item of each equipment slot that holds one; the count, at most 256.
    int32_t CollectItemNames(WorldElem* element);
    // The use query of every world element: one with uses left or an item it stands for, else
    // a creature that can be revived.
    bool IsElementBusy(WorldElem* element);
    bool IsElementUsable(WorldElem* element) override { return IsElementBusy(element); }
    // Physical damage 1 plus 2 of each shot and each attack part of the action, as the creature
    // would deal it; within each list summed when the action's damage display type is 2, else
    // the largest; the shots' and attacks' totals added.
    float EstimateActionDamage(CreatureObj* creature, ActionEntry* action, WorldElem* target);
    // The first entry of the strategy's Default block: what an attack with it starts; null
    // without a strategy or entries.
    static const KI_StratEntry* FirstStrategyEntry(KI_Strategy* strategy);
    // Whether the creature can pay the mana of the action that the strategy's first entry names;
    // a strategy without entries costs nothing.
    bool CanAffordStrategy(CreatureObj* creature, KI_Strategy* strategy);
    // An item without a weapon strategy, else the mana of its first one.
    bool ItemStrategyAffordable(CreatureObj* creature, ItemBase* item);
    // The estimated damage of the action of the first entry of the creature's strategy; 0 when
    // that entry does no action.
    float GetCreatureAttackValue(CreatureObj* creature, int32_t mode, WorldElem* target);
    // Faction 100 matches every faction.
    static bool MatchFactions(int32_t a, int32_t b) { return a == b || a == 100 || b == 100; }
    // A creature passes when its kind (the bit of its party) meets a non-zero mask and its level
    // reaches the minimum (below 1: any level); any other element passes, no element does not.
    static bool ElementPassesFilter(WorldElem* element, uint32_t kindMask, int32_t minimumLevel);
    // The skill in the main character's skill slot, through its input controller.
    SkillTreeEntry* GetMainCharSkill(int32_t slot, bool resolveNextLevel, bool allowPlaceholder);
    // The visual effects of a skill slot kind (1, 2, 3: effect kinds 100, 101, 102) that the
    // main character carries; the server attaches none, so there is nothing to end there.
    static int32_t SkillSlotEffectKind(int32_t kind) { return kind >= 1 && kind <= 3 ? kind + 99 : kind; }
    void EndSkillSlotEffect(int32_t kind) { (void)SkillSlotEffectKind(kind); }
    void EndSkillSlotEffects()
    {
        for (int32_t kind = 1; kind <= 3; ++kind)
            EndSkillSlotEffect(kind);
    }
    // "%.1f" below 5 in magnitude, else rounded half away from zero as "%i".
    static String FormatValue(float value);
    // The key bindings and the engine's initialisation between loading progress 5 and 100.
    void Init() override;
    // Clears the local player's orders, empties the mission log unless keepRunningState, saves
    // the character for the multiplayer game, loads the level through the server, runs the
    // level's enter script for the creature that came from a running level and ends the skill
    // slots' effects.
    CreatureObj* ChangeLevel(const char* levelFile, const String& saveDir, const LevelChangeOptions& options) override;
    // In a network game, an item entering one of the main character's equipment slots is sent
    // to the peers.
    void OnItemAddedToInventory(Inventory* inventory, InventoryItem* item) override;
    MissionLogGui& GetMissionLog() { return m_MissionLogWindow; }
    // The inventory grid rule of a character taken over.
    static bool IsReservedGridCell(int32_t x, int32_t y) { return x >= 5 && y >= 5; }

    // Key bindings (SciFiGameCtrlControls.cpp).
    // With "cfg\controls.cfg" present: the user's controls file into the bindings, then the key
    // names of the language.
    void LoadControls();
    Controls& GetControls() { return m_Controls; }

    // There is never a pointer point to smooth toward: false, the position left as it is.
    bool GetMousePosition(D3DXVECTOR2& position) override;
    // The multiplayer flag; unless flagOnly, also true while a connection exists.
    bool IsMultiplayerGame(bool flagOnly) const;
    bool IsMultiplayerGame() const override { return IsMultiplayerGame(false); }
    void SetMultiplayerGame(bool multiplayer) { m_MultiplayerGame = multiplayer; }

    // Balance values (SciFiGameCtrlRules.cpp): the engine's rules, then the game's keys of the
    // same reader and the item tier colours, which every load appends.
    void LoadGameRules(ConfigFileReader& reader) override;
    // The engine's level keys, then the level's item chances ("ItemEnchantProb", "ItemBoostProb"),
    // each the game-wide value when the level gives none; they become the engine's new-item
    // chances.
    void LoadLevelSettings(ConfigFileReader& reader, int32_t entry) override;
    float GetLevelItemEnchantProb() const { return m_LevelItemEnchantProb; }
    float GetLevelItemBoostProb() const { return m_LevelItemBoostProb; }

    // Control options (SciFiGameCtrlOptions.cpp): the engine's options, then the camera and
    // control keys of "cfg\game.cfg".
    void LoadGameOptions() override;
    // The engine's field of view, then the camera's shift between its 4:3 and 16:9 values by the
    // display's aspect (a display without height counts as 4:3).
    void UpdateFieldOfView() override;

    // Combat (SciFiGameCtrlCombat.cpp): every damage value set, protection set and attack part
    // of the game is the game's own class.
    DamageValues* CreateDamageValues() override;
    ProtectionValues* CreateProtectionValues() override;
    ActionAttack* CreateActionAttack() override;
    // Every item of the game is an Item_SF, every creature a CreatureObj_SF.
    ItemBase* CreateItem() override;
    CreatureObj* CreateCreature() override;
    // Every event object of the game is an EventObj_SF, which can carry a skill.
    EventObj* CreateEventObj() override;
    // The engine's stat block, then a game creature's base maximum health and mana from it.
    void LoadCreatureStats(CreatureObj& creature, ConfigFileReader& reader, int32_t entry, bool monsterLevel,
                           bool complete, bool skipAppearance) override;
    // The game's keys of the engine's records (SciFiGameCtrlKeys.cpp): a creature's damage and
    // defence values, an attack part's sci-fi damage ranges and the damage values of a hit
    // ("damPhys1", "damPhys2", "damPoison1", "damPoisonTime1", "weaken", the leeches, "inflame").
    void ReadCreatureKeys(ConfigFileReader& reader, int32_t entry, CreatureObj& creature) override;
    void ReadHitEffects(ConfigFileReader& reader, int32_t entry, HitEffects* effects) override;
    void ReadDamageEntry(ConfigFileReader& reader, int32_t entry, DamageEntry* damage) override;
    // The engine's keys of a world object, then its treasure: "TreasureGold" (the gold pair, -1
    // and 0 when missing: the treasure list's own gold), "TreasureList" with "TreasureSize" (an
    // item list of the level and the number of its items), and "Treasure", "Treasure1" to
    // "Treasure8" (chance, treasure list, might).
    void LoadWorldObjects(WorldElem& elem, int32_t entry, const WorldObjectCreateParams& params) override;
    // The engine's keys of an area effect, then the skill its event object applies ("skill", an
    // unknown name is warned of) within "SkillRadius" (the event's own radius when missing).
    void ReadAreaEffect(ConfigFileReader& reader, int32_t entry, AreaEffect& effect) override;
    // A skill's effect on a creature: the skill's item acts on it as an equipped item does, for
    // kSkillEffectTime seconds from the last application (see CreatureObj_SF::TakeSkillEffect).
    static constexpr float kSkillEffectTime = 0.5f;
    virtual void ApplySkillEffect(CreatureObj_SF& creature, SkillTreeEntry& skill, WorldElem* source);
    // The skills' part of a creature's value update, and what a changed skill set asks of the
    // skill buttons and slots; the skill rules fill them.
    void ApplySkillEffects(CreatureObj_SF& creature) { (void)creature; }
    void EndSkillSlotEffects(CreatureObj_SF& creature);

    // Skills (SciFiGameCtrlSkills.cpp).
    // "cfg\skills.cfg" with the classes' skill files into the skill table: the quick slots and
    // the mouse-button skills are emptied first, references and "NextLevelSkill" chains are
    // checked (an unknown required skill, a chain longer than ten links or a loop stop the load
    // with an error), then the main character's buttons are filled again.
    void LoadSkills();
    // The skill of that name; null for an empty or unknown name.
    SkillTreeEntry* FindSkill(const String& name);
    // An item of the table, else the item part of the skill of that name.
    ItemBase* FindInfluenceItem(const char* name) override;
    // Slot 0 .. 9 takes the skill (null empties it); the skill leaves the slot it held.
    void SetQuickSlot(int32_t slot, SkillTreeEntry* skill);
    SkillTreeEntry* GetQuickSlot(int32_t slot) const { return slot >= 0 && slot < kQuickSlots ? m_QuickSlots[slot] : nullptr; }
    SearchTree<SkillTreeEntry>& GetSkills() { return m_Skills; }
    // Learns a skill by name ("all": every skill, no button); the first learned skill of a kind
    // goes on the kind's mouse button. An unknown name is an error.
    void LearnSkill(const String& name, bool payCost, int32_t unused, bool refresh);
    // The mouse-button skills 1 (active), 2 (offensive), 3 (defensive): none puts the kind's
    // placeholder there; the main character's input controller takes it into its skill slot.
    void SetSkillButton1(SkillTreeEntry* skill) { SetSkillButton(1, skill); }
    void SetSkillButton2(SkillTreeEntry* skill) { SetSkillButton(2, skill); }
    void SetSkillButton3(SkillTreeEntry* skill) { SetSkillButton(3, skill); }
    void SetSkillButton(int32_t button, SkillTreeEntry* skill);
    // The skill shown on HUD button 1 .. 3.
    SkillTreeEntry* GetShownSkill(int32_t button) const
    {
        return button >= 1 && button <= 3 ? m_ShownSkills[button - 1] : nullptr;
    }
    // Empty buttons take the first learned skill of their kind; every button then moves to the
    // end of its skill's chain.
    void AssignDefaultSkillButtons();
    SkillTreeEntry* FindNoSkillEntry(int32_t kind);
    SkillTreeEntry* FindSkillByID(int32_t id);  // none for -1
    // The skill's info script's text result with its "DB_PRE(" and "DB_POST(" phrases filled in
    // becomes its further text; any other result empties it.
    void BuildSkillInfoText(SkillTreeEntry& skill);
    // 1, or 2 when the skill of the main character's first slot, at its level in use, has an
    // attack strategy the main character cannot pay for: how the skill's button shows.
    virtual int32_t GetSkillUseState();

    // The game reset (SciFiGameCtrlReset.cpp): the engine's reset, the game-wide script values
    // with the game's script scope, every skill back to its configured learned state (the
    // start of a game relies on all of them, not only on the first ten), then the skill slots.
    void ResetGameState() override;
    // The kinds' placeholders into the main character's slots 1 to 3 and the HUD's buttons, then
    // the first learned skill of each kind, as a new game begins.
    void ResetSkillSlots();

    // Item use (SciFiGameCtrlItemUse.cpp).
    // The socket item goes into a free socket of the target: the target needs sockets left, a
    // type 200 below the socket item's, and neither item may need a higher level than the main
    // character's. The target takes the socket item's name, value and abilities and the larger
    // required level; the socket item is destroyed. False, changing nothing, when refused.
    bool ApplyItemToSocket(ItemBase* socketItem, ItemBase* target);
    // The entry of the list ID leaves the inventory (its item is not destroyed) for the item
    // holder window, with the inventory's owner when that is a creature. False for a list ID
    // that names no item.
    bool UseInventoryItem(Inventory* inventory, int32_t listID, int32_t value);
    ItemHolderGui& GetItemHolder() { return m_ItemHolder; }

    // Combat links (SciFiGameCtrlCombatLinks.cpp): a link between two elements with a value of
    // its user's, alive for g_SciFiRules.combatLinkDuration seconds unless made again; the
    // linked element is told when its link is made and when it runs out.
    struct CombatLink {
        SmartPtr<WorldElem> linked;
        SmartPtr<WorldElem> other;
        int32_t value = 0;
        float time = 0.0f;
    };
    CombatLink* AddCombatLink(WorldElem* other, int32_t value, WorldElem* linked);
    void AgeCombatLinks(float frameTime);
    int32_t GetNumCombatLinks() const { return m_CombatLinks.GetSize(); }
    CombatLink* GetCombatLink(int32_t position) { return m_CombatLinks.GetAt(position); }
    // The network server's frame, then the combat links age.
    int32_t UpdateFrame(float frameTime) override;

    // The client's join screen lists the servers the network node heard on the local network
    // (SciFiGameCtrlNetwork.cpp): the list is emptied and refilled in the node's order.
    void CopyServerList(JoinGui::ServerList& list);
    JoinGui& GetJoinWindow() { return m_MenuScreens.joinWindow; }
    // Around an element's damage script: the physical amounts and the poison of the damage taken
    // become the attack damage in progress (the engine keeps its copy too); none clears them.
    void SetCurrentDamage(DamageValues* damage) override;
    void SetCurrentDamageNone() override;
    const float (&GetCurrentAttackDamage() const)[2] { return m_CurrentAttackDamage; }
    float GetCurrentAttackValue() const { return m_CurrentAttackValue; }
    // The physical amounts 1 and 2 of the target's set become the second value of the attack's
    // physical ranges, read through their game functions for the creature.
    void TransformAttackDamage(DamageValuesHolder& target, const ActionAttack& attack, WorldElem* creature);

    // Script built-ins and variables (scifi/script/SciFiGameCtrlScript.cpp, the families in
    // scifi/script/SciFiScript*.cpp). A name is looked up among the game's names of its half (its
    // first letter, lower case counted as upper, below 'H' or not); one the game does not serve
    // goes to the network node's layer, and from there to the engine's tables.
    void ExecuteScriptFunction(ScriptValue& result, const char* name, ScriptValue* arguments, int32_t count,
                               int32_t fromNetwork) override;
    // Type 255 for a name the half does not hold.
    void ExecuteScriptFunctionAtoG(ScriptValue& result, const char* name, ScriptValue* arguments, int32_t count,
                                   int32_t fromNetwork);
    void ExecuteScriptFunctionHtoZ(ScriptValue& result, const char* name, ScriptValue* arguments, int32_t count,
                                   int32_t fromNetwork);
    // "damPhys" (index 0 or 1; none is 0) and "damPoison" (index 0) of the damage being processed;
    // other names go to the network server's variables.
    void GetScriptVariable(ScriptValue& result, const char* name, int32_t index) override;

    // World events (SciFiGameCtrlWorldEvents.cpp): area damage (type 1) and damage to one target
    // (type 11) are applied; any other type the world passes on is warned of. Always true.
    bool HandleWorldEvent(const WorldEvent& event) override;
    // The damage of a target that names an element, posted as a type-11 event with the set's
    // whole image.
    void AddDamageEvent(int32_t targetID, int32_t sourceID, const DamageValues* damage, int32_t a, int32_t b,
                        const D3DXVECTOR2& direction) override;

    // Every hit that reaches a game creature, before the creature applies it; the dedicated
    // server reports a hit on a hero to that player's client.
    virtual void OnCreatureHit(CreatureObj_SF& creature, const DamageValues& damage, WorldElem* attacker,
                               const D3DXVECTOR2& source, int32_t tag)
    {
        (void)creature;
        (void)damage;
        (void)attacker;
        (void)source;
        (void)tag;
    }

    // A hero's advancement: the points a level gives, and what advance points buy of a resource
    // (0 health, 1 mana, 2 shield) at what cost.
    int32_t GetAdvancePointsPerLevel() const { return m_AdvancePointsAttribPerLevel; }
    int32_t GetSkillPointsPerLevel() const { return m_AdvancePointsSkillPerLevel; }
    int32_t GetRaiseCost(int32_t resource) const
    {
        return resource == 0 ? m_HitpointRaiseCost : resource == 1 ? m_ManaRaiseCost : m_ShieldRaiseCost;
    }
    float GetAdvanceGain(int32_t resource) const
    {
        return resource == 0 ? m_AdvanceGainHitpoint : resource == 1 ? m_AdvanceGainMana : m_AdvanceGainShield;
    }
    // The character kept for the multiplayer game (scifi/save/SciFiGameCtrlLoadCharacter.cpp):
    // a listening server first runs its own multiplayer save (and nothing more when converting);
    // in a multiplayer game the main character goes to "character.sv" of the player's multiplayer
    // folder (none without a current player, as on the dedicated server); outside one, convert
    // makes a multiplayer player of the current player's or the main character.
    virtual void SaveCharacterForMultiplayer(bool convert = false);

    // Saves (scifi/save/SciFiGameCtrlSaveGame.cpp, scifi/save/SciFiGameCtrlPlayerSave.cpp).
    using PlayerSaveID_Creature = ::PlayerSaveID_Creature;
    // A game without a network into the slot's folder (-1 "current", 0 "quick", 1 .. 99):
    // "character.sv", "game.sv" and, unless slot 1 or "FIRST_GAME_LEVEL", the level's state. 1
    // when saved, and in a network game, which the players' machines save; 0 when refused
    // (no active game outside slot 1, "TestChar" 1, no main character) or not written whole.
    int32_t SaveGame(int32_t slot, const char* levelName, int32_t a, int32_t b, const wString& name) override;
    bool WriteGameSave(File& file, bool firstGameLevel);
    // Also the multiplayer conversion's writer of "character.sv".
    bool WriteCharacterSave(File& file, CreatureObj_SF& character);
    void WriteLearnedSkills(File& file);
    // A new player in a folder of its own under "save" or "saveMP" with its "player.sv"; the
    // requested ID (0: drawn) gives way to a drawn one when its folder exists. False, with a
    // warning and nothing changed, when no folder or file could be made.
    bool CreatePlayerSave(const wString& name, const String& characterConfigID, bool multiplayer,
                          uint32_t requestedID, PlayerSaveID& created);
    // The player's name, save folder (the root of the save slots) and class entry; no creature.
    void SetCurrentPlayer(PlayerSaveID player);
    const PlayerSaveID_Creature& GetCurrentPlayer() const { return m_CurrentPlayer; }
    // The slot's "character.sv" opens and is of a version the character reader reads; its game
    // time into gameTime when asked.
    bool IsCharacterSaveValid(int32_t slot, double* gameTime = nullptr);
    // The savegame type a game continues from (SciFiGameCtrlSaveSlot.cpp): in a multiplayer
    // game -3 with a character in the save root, else -2; otherwise the later of slots 2 and 1
    // (1 on equal stamps), the valid one when only one is, -2 with neither.
    int32_t ChooseCharacterSaveSlot(bool multiplayer);
    // A path relative to the game folder as this process names it.
    String InGameFolder(const String& relative);

    // Loading (scifi/save/SciFiGameCtrlLoadGame.cpp, scifi/save/SciFiGameCtrlLoadCharacter.cpp).
    // Slot -2 starts a new game at difficulty 1; -1 is a slot whose absence starts a new game at
    // the current level; 0 .. 99 a save slot (false when its "character.sv" is missing and
    // "TestChar" is 0). "character.sv" and "game.sv" are read and checked whole before anything
    // changes: a damaged one is warned of as "Corrupt file: %s" and gives false, with the game,
    // the level, the character and the files as they were.
    int32_t LoadGame(int32_t slot, int32_t keepPosition = 0, int32_t useCurrentLevel = 0) override;
    // "game.sv" into save (layout in SciFiGameCtrlLoadGame.cpp); a fault is the file's error.
    bool ReadGameSaveHead(File& file, GameSaveRecord& save);
    // The record into the game: difficulty, script variables, game time, mission log.
    void ApplyGameSave(const GameSaveRecord& save, File& file);
    // One "character.sv" into the creature; false, the creature and the skills unchanged and the
    // fault logged, for a file that is damaged or of a version outside 258 .. 275.
    bool ReadCharacter(File& file, CreatureObj_SF& creature);
    // The whole file into record (layout in SciFiGameCtrlLoadCharacter.cpp); a fault is the
    // file's error.
    static void ReadCharacterRecord(File& file, CharacterSaveRecord& record);
    static void ReadLearnedSkills(File& file, std::vector<String>& names);
    // A record read whole from the file, still open, into the creature and the skills; the
    // creature keeps its place.
    void ApplyCharacterRecord(const CharacterSaveRecord& record, File& file, CreatureObj_SF& creature);
    // The creature's part alone: points, progress, the creature record, a multiplayer game's
    // fill-up and the clean state; the skills, buttons and quick slots stay.
    void ApplyCharacterCreature(const CharacterSaveRecord& record, File& file, CreatureObj_SF& creature);
    // The player becomes the current player and its creature is made, filled from its newest
    // character save; none when the creature could not be made or its save is damaged.
    CreatureObj_SF* LoadCharacter(PlayerSaveID player, bool multiplayer);
    // The engine's character save is the character kept for the multiplayer game.
    void SaveMainCharacter() override;
    // A converted character joins the character selection's multiplayer list (nothing when the
    // list is full: the next refresh finds it in its folder).
    virtual void AddConvertedCharacter(const PlayerSaveID_Creature& character);

    float GetClickTolerance() const { return m_ClickTolerance; }
    bool GetHighlightAttackTarget() const { return m_HighlightAttackTarget; }
    const String& GetOnPlayerRevive() const { return m_OnPlayerRevive; }
    int32_t GetControlType() const { return m_ControlType; }
    void SetControlType(int32_t type) { m_ControlType = type; }  // the options window's
    bool GetAllowMoveAndAttack() const { return m_AllowMoveAndAttack; }
    int32_t GetMoveButton() const { return m_MoveButton; }
    int32_t GetAttackButton() const { return m_AttackButton; }
    int32_t GetSkillButton() const { return m_SkillButton; }
    // Horizontal pair, then vertical pair.
    const float (&GetCamOffCenterCurrent() const)[4] { return m_CamOffCenterCurrent; }
    float GetCameraYaw() const { return m_CameraYaw; }
    float GetPlayerCameraPitch() const { return m_CameraPitch; }
    float GetPlayerCameraDistance() const { return m_CameraDistance; }
    const float (&GetCameraStartAngles() const)[2] { return m_CameraStartAngles; }
    const float (&GetItemValueWeights() const)[kItemWeights] { return m_ItemValueParameters.values; }
    const float (&GetItemPowerWeights() const)[kItemWeights] { return m_ItemValueParameters.powers; }

    // The network node's hooks of the game (SciFiGameCtrlNetwork.cpp).
    // The node's state change; reaching the running game, the main character's input controller
    // sends its skill slots over TCP, in the order 1, 3, 2.
    void SetConnectionState(int32_t state) override;
    // A client takes the damage report (0x2200) here; everything else, and 0x2200 on a listening
    // server, goes to the server's dispatcher.
    void DispatchMessage(const GamePacketHeader& header) override;
    // One unit: the damaged creature (skipped when it is no creature here) takes the hit with the
    // attacker, the hit point and tag -2; a creature marked as hit reports it first.
    void ApplyDamageReport(const PlayerCommandCodec::DamageReport& report);
    // The attacker of the last reported hit (-1: none), and the screen's answers to a hit by an
    // enemy or by a friend, which the client's interface gives.
    int32_t GetLastHitAttackerID() const { return m_LastHitAttackerID; }
    virtual void OnEnemyHit(const DamageValues& damage) { (void)damage; }
    virtual void OnFriendlyHit(const DamageValues& damage) { (void)damage; }
    // The players' commands (0xA001 to 0xA302) of the current client: each unit decoded, a faulty
    // one dropped with a warning naming the message and the client, the others handed on.
    bool DispatchGameMessage(const GamePacketHeader& header, GameClientInfo& client) override;
    // A decoded command of a client's player; the game's server drives that player's creature
    // with it. Here nothing: a server without its players' input controllers.
    virtual void ApplyPlayerCommand(GameClientInfo& client, const PlayerCommandCodec::PlayerCommand& command);
    // The client's character in a multiplayer game (scifi/save/SciFiGameCtrlNetworkCharacter.cpp):
    // the join request carries the saved character of the player's multiplayer folder when it
    // reads (checkOnly: only whether it does); without the multiplayer flag, none.
    bool WriteExtraPlayerInfo(bool query) override;
    bool WriteCharacterToPacket(bool checkOnly);
    // The server names the main character: one made of the player's class is filled from the
    // save (a missing or damaged save leaves it new), then the base reads the message.
    void HandleSetMainChar() override;
    void ReceiveNetworkData_SetMainChar();
    // Another player's character came into the game or left it: a coloured line of "net_msg"
    // ("player_joined", "player_left") with the character's name in the chat list, stamped with
    // the frame's real time.
    void OnCharacterAdded(WorldElem* elem) override;
    void OnCharacterRemoved(CreatureObj* creature) override;
    using GameServer::OnPlayerJoined;
    virtual void OnPlayerJoined(CreatureObj& creature);
    virtual void OnPlayerLeft(CreatureObj& creature);
    // "|c5F9" and the text, used as a format for the name when it holds exactly one "%s";
    // otherwise text and name are joined with a space.
    static wString FormatPresenceLine(const wString& text, const wString& name);

    // Mouse orders (scifi/gui/SciFiGameCtrlMouse.cpp). A press becomes an order of the main
    // character's input controller by the control scheme ("ControlType" 0, or 1 and 2); a
    // release does nothing; an item hanging on the pointer is dropped instead. force: also over
    // the GUI.
    void OnMouseButton(int32_t button, bool released, bool force);
    // The element under the pointer (flags 7 and "ClickTolerance"), none while the GUI is under it.
    void UpdatePointedElement();
    WorldElem* GetPointedElement() const { return m_PointedElement.Get(); }
    // An item dragged on the pointer (not a key or quest item) is laid into the world at the main
    // character; the drag ends.
    void DropDraggedItem();
    // The ray pick (scifi/gui/SciFiGameCtrlPicking.cpp). The grid blocks along the ray's track on
    // the ground, each with its eight neighbours, are searched within range; an element counts
    // when the validator accepts it and the ray meets its envelope, an upright cylinder of the
    // element's radius widened by tolerance, from its position up by twice its radius. The
    // nearest entry point wins; distance takes it. The main character is never picked.
    WorldElem* PickElementByRay(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction, float range,
                                ElementCriteriaValidatorBase& validator, float tolerance, float& distance);
    // The same along the ray through the pointer, unless the floor stands nearer; none when
    // picking may not run now.
    WorldElem* PickElementByRayWithDistance(uint8_t criteriaFlags, float tolerance, float range, float* distance);
    WorldElem* PickElementAtPointer(uint8_t criteriaFlags, float tolerance)
    {
        return PickElementByRayWithDistance(criteriaFlags, tolerance, kPickRange, nullptr);
    }
    static constexpr float kPickRange = 1e9f;
    // The element under the pointer by the pointer's rules (flags 7, "ClickTolerance").
    bool PickAtMouse(WorldElem*& target, float range) override;
    // The ground point under the pointer, true when it lies within range of the main character
    // (on the ground plane): an attack's reach is the character's, not the camera's.
    bool RayTestAtMouse(D3DXVECTOR3& point, float range) override;
    using GameServer::RayTestAtMouse;

    // Character and class selection (scifi/gui/SciFiGameCtrlSelection.cpp). The saved characters
    // of "save" (multiplayer: "saveMP"), one per folder with a "player.sv" that reads, in name
    // order; their creatures come with the character loader.
    void RefreshCharacterLists();
    PlayerSaveIDList& GetCharacterList(bool multiplayer) { return multiplayer ? m_MultiCharacters : m_SingleCharacters; }
    int32_t GetSelectedCharacter(bool multiplayer) const { return multiplayer ? m_SelectedMulti : m_SelectedSingle; }
    // index may lie one step outside the list; the entry selected, none for an empty list.
    PlayerSaveID_Creature* SelectSavedCharacter(int32_t index, bool multiplayer, bool runScript, int32_t scriptValue);
    void SelectClass(int32_t index, bool runScript, int32_t scriptValue);
    StartMenuGui& GetStartMenu() { return m_StartMenu; }
    CharacterInfoGui& GetNewCharacterScreen() { return m_NewCharacterScreen; }
    // The character selection's info line: "playerInfo" as a format when its conversions are
    // exactly %s %d %d %s (wide or narrow), else the values appended with spaces.
    static wString FormatPlayerInfo(const wString& format, const wString& className, int32_t chapter, int32_t level,
                                    const wString& difficulty);

    // Start menus and the game start on the client (scifi/gui/SciFiGameCtrlStartMenus.cpp).
    static constexpr int32_t kHostLevels = 11;
    static const char* const kHostLevelFiles[kHostLevels];
    // One pass of the start menus (state 101), the buttons in their order.
    void UpdateStartMenus(double frameTime);
    // Entering the game state on the client: the two player input controllers, the save to
    // continue from, the skills, the game loaded, the HUD and the GUI callback. The dedicated
    // server enters its game state its own way and never calls it.
    virtual void StartGameState();
    bool IsMultiplayerMenu() const { return m_MultiplayerMenu; }
    // Tests replace the process start of a hosted server and the wait before connecting.
    void SetHostSpawner(ProcessSpawner spawner) { m_HostSpawner = std::move(spawner); }
    static inline int32_t s_HostConnectDelayMs = 200;

    // The game screen's GUI on the client (scifi/gui/SciFiGameCtrlGameScreen.cpp).
    static constexpr int32_t kNamePlateWidth = 220;
    static constexpr int32_t kNamePlateHeight = 100;
    static constexpr int32_t kMaxRollupEntries = 4096;
    void EnsureNamePlates(int32_t index);
    void ShowNamePlate(WorldElem* element);
    int32_t GetNamePlateCount() const { return m_ObjectNames.GetSize(); }
    ObjectNameGui* GetNamePlate(int32_t index) { return m_ObjectNames.GetAt(index); }
    // The learned skills of the slot's kind in the slot's roll-up; open when there is one.
    void FillSkillRollup(int32_t slot, bool flag);
    void ToggleSkillRollup(int32_t slot);
    void RefreshSkillRollups();
    const std::vector<SkillTreeEntry*>& GetRollupSkills(int32_t slot) const { return m_RollupSkills[slot - 1]; }
    void UpdatePointedInfo(bool creaturesOnly, double frameTime);
    double GetHoverTimer() const { return m_PointedHoverTimer; }
    void DrawGui() override;
    void BuildSkillTooltip(wString& out, SkillTreeEntry& skill);
    // "requireLevel" as a format when its one conversion takes an integer, else appended.
    static wString FormatRequiredLevel(const wString& format, int32_t level);

private:
    void ReceiveDamageReport(const GamePacketHeader& header);
    void AddPresenceLine(CreatureObj& creature, const char* key);
    void ToggleGameWindow(DXC_GuiField& window, DXC_GuiField& other1, DXC_GuiField& other2);
    void CloseSheetWindows();
    bool IsInGameState() const;
    bool CanRaiseFallen(WorldElem* element);
    void HandleEscape(InputState& keys);
    void ToggleFreeCamera();
    void ShowSkipProgress(double time);
    void FinishCompletedGame();
    // The developers' keys of HandleClientKeys; the Ctrl keys act only while Ctrl is held.
    void HandleDebugKeys(InputState& keys, bool control, bool shift);
    void UpdatePlayerCamera();
    void ClearAttackDamageValues();
    // Shields, leeches, dodge, recovery, blocking and armour of a stat block; monsterLevel applies
    // the level's armour pair.
    void ReadCreatureStatKeys(CreatureObj_SF& creature, ConfigFileReader& reader, int32_t entry, bool monsterLevel);
    void ReadSkillEntry(ConfigFileReader& reader, int32_t entry, SkillTreeEntry& skill);
    bool IsDamagePayloadSized(const WorldEvent& event, int32_t size);
    void ApplyAreaDamageEvent(const WorldEvent& event);
    void ApplyDamageEvent(const WorldEvent& event);

    int64_t m_ItemsFileSize = -1;  // of the last complete load

    // Members in the order the game's data lays them out.
    int32_t m_AdvancePointsSkillPerLevel = 1;
    int32_t m_AdvancePointsAttribPerLevel = 2;
    int32_t m_HitpointRaiseCost = 1;
    int32_t m_ManaRaiseCost = 1;
    int32_t m_ShieldRaiseCost = 1;
    float m_AdvanceGainHitpoint = 1.0f;
    float m_AdvanceGainMana = 1.0f;
    float m_AdvanceGainShield = 1.0f;
    int32_t m_MoveButton = 0;  // mouse buttons: 0 left, 1 right, 2 middle
    int32_t m_AttackButton = 1;
    int32_t m_SkillButton = 2;
    bool m_AllowMoveAndAttack = false;
    int32_t m_ControlType = 1;
    float m_ClickTolerance = 20.0f;
    bool m_HighlightAttackTarget = false;
    SkillTreeEntry* m_QuickSlots[kQuickSlots] = {};
    SearchTree<SkillTreeEntry> m_Skills;  // by name, the owner of every skill
    SkillTreeEntry* m_ShownSkills[3] = {};  // what the HUD's skill buttons show
    DynaMem<SpecialBonusData, 16> m_SpecialBonuses;
    ItemValueParameters m_ItemValueParameters;  // the item value and item power weights
    float m_CurrentAttackDamage[2] = {0.0f, 0.0f};
    float m_CurrentAttackValue = 0.0f;
    SmartPtr<WorldElem> m_PointedElement;
    MonsterHealthBarGui m_MonsterHealthBar;
    DXC_GuiField m_OverlayField;
    DynaMem<ObjectNameGui, 16> m_ObjectNames;
    ItemInfoGui m_ItemInfoBoxes[3];
    DXC_Texture m_FrameTextures[7];  // groups of 2, 3 and 2
    ItemHolderGui m_ItemHolder;
    CharacterGui m_CharacterWindow;
    DialogGui m_DialogWindow;
    BookGui m_BookWindow;
    SkillTreeGui m_SkillTreeWindow;
    MissionLogGui m_MissionLogWindow;
    MiniMapGui m_MiniMapWindow;
    TradeGui m_TradeWindow;
    PauseMenuGui m_PauseMenu;
    ChatGui m_ChatWindow;
    OptionsGui m_OptionsWindow;
    HelpGui m_HelpWindow;
    DXC_GuiTextViewerScl m_TextViewer;
    DXC_Texture m_HudTexture;
    DXC_Texture m_HudTextures[6];
    Inventory m_PointerInventory;  // the item dragged with the pointer
    HUD_MainBar m_HudMainBar;
    HUDSkills m_HudSkills;
    HUDSkillsRollup m_HudSkillRollups[3];
    float m_LayoutScreenWidth = 0.0f;
    float m_LayoutSideOffset = 0.0f;
    float m_CamOffCenter[2] = {0.0f, 0.0f};
    float m_CamOffCenterCurrent[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float m_CamOffCenterDynamicHor[2] = {0.0f, 0.0f};
    float m_CamOffCenterDynamicVer[2] = {0.0f, 0.0f};
    float m_CamOffCenterDynamicHor_16_9[2] = {0.0f, 0.0f};
    float m_CamOffCenterDynamicVer_16_9[2] = {0.0f, 0.0f};
    float m_CameraStartAngles[2] = {0.0f, 0.0f};  // yaw, pitch
    ItemList m_TreasureItemLists[kTreasureItemLists];
    SearchTree<ItemMightTransformFunction> m_ItemFunctionIndex;
    ItemMightTransformFunction* m_DefaultValueFunction = nullptr;  // "value_default" of the index
    int32_t m_DebugCounters[2] = {0, 0};
    bool m_PauseRequested = false;
    bool m_PointerItemShown = false;
    SmartPtr<ItemBase> m_PointerItem;
    float m_PointerItemPos[2] = {0.0f, 0.0f};
    bool m_MultiplayerGame = false;
    ConfigFileReader m_ItemFunctionConfig;
    MenuScreens m_MenuScreens;
    float m_CameraDistance = 0.0f;
    float m_CameraPitch = 0.7853982f;  // at most pi/4
    float m_CameraYaw = 0.0f;
    String m_PendingScript;
    int32_t m_PendingLoadRequest = 0;
    uint8_t m_CameraResetPending = 0;
    SmartPtr<WorldElem> m_CameraTarget;  // the element the player camera follows
    int32_t m_LastPointer[3] = {0, 0, 0};
    InputState* m_Keys;  // reading a key's repeats uses them up
    MouseState* m_Mouse;
    double m_LastDrawStart = -1.0;  // below 0: no draw yet
    double m_DrawTime = 0.0;
    int32_t m_HudShown = 0;
    SmartPtr<ItemBase> m_HoveredItem;  // the item under the pointer and where the pointer met it
    int32_t m_HoverStart[2] = {0, 0};
    double m_HoverWait = 0.0;
    uint8_t m_ItemHoveredThisFrame = 0;
    DXC_Texture m_LoadingLogo;
    DXC_Texture m_LogoTexture;  // the maker's small logo
    DXC_Texture m_ToolTipFrame[kToolTipFramePictures];
    bool m_NoPausePicture = false;

    Controls m_Controls;
    PlayerSaveID_Creature m_CurrentPlayer;
    String m_MouseManipulateScript;

    // Balance values kept by the controller.
    String m_OnPlayerRevive;  // run as "OnPlayerRevive" when a player character is revived
    float m_LevelItemEnchantProb = 0.0f;
    float m_LevelItemBoostProb = 0.0f;
    int32_t m_LastHitAttackerID = -1;
    DynaMem<CombatLink, 16> m_CombatLinks;

    // Start menus and selection (client).
    StartMenuGui m_StartMenu;
    CharacterInfoGui m_NewCharacterScreen;
    PlayerSaveIDList m_SingleCharacters;
    PlayerSaveIDList m_MultiCharacters;
    int32_t m_SelectedSingle = 0;
    int32_t m_SelectedMulti = 0;
    String m_SingleSelectScript;
    String m_MultiSelectScript;
    bool m_MultiplayerMenu = false;
    ProcessSpawner m_HostSpawner;
    // The game screen (client).
    std::vector<SkillTreeEntry*> m_RollupSkills[3];
    double m_PointedHoverTimer = -1.0;  // -1: idle
    int32_t m_PointedHoverStart[2] = {0, 0};
    SmartPtr<WorldElem> m_PointedHoverElement;
};

// The GUI manager's mouse callback of the game (SciFiGameCtrlMouse.cpp): a press or release of a
// button goes to the current controller's OnMouseButton.
void OnGuiMouseEvent(int32_t button, int32_t event, int32_t x, int32_t y);
