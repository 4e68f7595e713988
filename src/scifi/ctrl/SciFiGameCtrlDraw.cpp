// SciFiGameCtrl: the game state's draw, the client's keys of a frame and the level statistics
// behind one of the developers' keys. The server has no device and no keyboard: its draw keeps
// only the camera bookkeeping and the draw time.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/File.h"
#include "base/GameOptions.h"
#include "base/Timer.h"
#include "engine/gfx/DXC_Gfx.h"
#include "engine/gui/DXC_GuiManager.h"
#include "engine/gui/ToolTipSkin.h"
#include "engine/gui/InputState.h"
#include "engine/gui/MouseState.h"
#include "game/objects/ai/InputCtrl.h"
#include "game/objects/CreatureObj.h"
#include "game/objects/ItemBase.h"
#include "scifi/ctrl/GameStateDebug.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "world/WorldCtrl.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <string>

namespace {

// Keyboard scan codes of the standard PC layout.
enum ScanCode : int32_t {
    kEscape = 1,
    kTab = 15,
    kKeyI = 23,
    kKeyD = 32,
    kKeyJ = 36,
    kKeyA = 30,
    kKeyB = 48,
    kKeyF = 33,
    kLeftControl = 29,
    kRightControl = 157,
    kLeftAlt = 56,
    kRightAlt = 184,
};

constexpr float kDebugMessageTime = 3.0f;
constexpr const char* kLogoPicture = "graphics\\gui_2\\windows\\logo_quillmarsh_small_i.dds";
// The tooltip frame: middle, the left, right, top and bottom edges, then the corners top left,
// top right, bottom left and bottom right.
constexpr const char* kToolTipFrameFiles[SciFiGameCtrl::kToolTipFramePictures] = {
    "graphics\\gui\\ui_frame_middle_middle.png", "graphics\\gui\\ui_frame_middle_left.png",
    "graphics\\gui\\ui_frame_middle_right.png",  "graphics\\gui\\ui_frame_top_middle.png",
    "graphics\\gui\\ui_frame_bottom_middle.png", "graphics\\gui\\ui_frame_top_left.png",
    "graphics\\gui\\ui_frame_top_right.png",     "graphics\\gui\\ui_frame_bottom_left.png",
    "graphics\\gui\\ui_frame_bottom_right.png",
};
constexpr int32_t kNumberPad[9] = {79, 80, 81, 75, 76, 77, 71, 72, 73};  // 1 .. 9: debug scripts 0 .. 8

bool Pressed(InputState& keys, int32_t code) { return keys.GetKeyRepeats(code) > 0; }

// A name counted with its sum (experience or money).
struct NameCounts {
    std::map<std::string, int32_t> counts;
    int32_t total = 0;

    void Add(const std::string& name, int32_t count)
    {
        counts[name] += count;
        total += count;
    }
    void AddLines(DXC_GuiTextViewerScl& viewer) const
    {
        for (const auto& [name, count] : counts)
            viewer.AddLineF("%s: %i", name.c_str(), int(count));
    }
};

std::string NarrowName(const wString& name)
{
    std::string text;
    for (const char16_t unit : std::u16string(name.c_str()))
        text += unit < 128 ? char(unit) : '?';
    return text;
}

}  // namespace

void SciFiGameCtrl::DrawGameState()
{
    const double start = Timer::GetTime();
    m_CameraPitch = std::clamp(m_CameraPitch, 0.0f, kMaxDrawPitch);
    g_GameStateDebug.freeCameraMode %= 2;
    // Without devices (always on the server) the keyboard and the mouse keep their state.
    g_InputState.Update();
    g_MouseState.Update();
    m_ItemHoveredThisFrame = 0;  // the windows drawn in this frame say it again
    HandleGuiInput();
    if (GetViewMode() != 1)
        g_GameStateDebug.skipMode = 0;
    DrawGameView();
    if (!IsSubWindowShown())  // the statistics viewer takes the keys while it is shown
        HandleClientKeys(m_World.GetLastFrameTime());
    // Sounds stop when the game was paused behind the GUI's back (a lost focus, a script).
    if (!GuiSawPause() && IsPaused())
        m_World.ClearSounds();
    if (g_GameStateDebug.skipMode)
        ShowSkipProgress(start);
    if (g_Gfx && g_Gfx->HasDevice())
        PresentFrame();
    TakePendingScreenshot();
    if (m_LastDrawStart >= 0.0)
        m_DrawTime = start - m_LastDrawStart;
    m_LastDrawStart = start;
}

void SciFiGameCtrl::HandleClientKeys(double frameTime)
{
    (void)frameTime;  // the free camera's keys move by it once the client's camera exists
    if (!m_Keys)
        return;
    InputState& keys = *m_Keys;
    const bool control = keys.IsKeyDown(kLeftControl) || keys.IsKeyDown(kRightControl);
    const bool shift = keys.IsKeyDown(InputState::kLeftShift) || keys.IsKeyDown(InputState::kRightShift);
    const bool alt = keys.IsKeyDown(kLeftAlt) || keys.IsKeyDown(kRightAlt);
    const bool plain = !control && !shift && !alt;

    if (m_ChatWindow.IsActive()) {  // typing a line: only Tab and Esc leave it
        if ((plain && Pressed(keys, kTab)) || Pressed(keys, kEscape))
            m_ChatWindow.SetActive(false);
        return;
    }

    MouseState noMouse;
    const BindingInputs in{keys, m_Mouse ? *m_Mouse : noMouse, true, false};
    auto pressed = [&](int32_t slot) { return m_Controls.GetBinding(slot).WasPressed(in, false); };
    if (pressed(Controls::kScreenShot))
        SaveScreenshot("");
    if (auto* hero = dynamic_cast<CreatureObj_SF*>(GetMainChar())) {
        if (pressed(Controls::kHealthQuickUse))
            hero->UseHealthPotion();
        if (pressed(Controls::kManaQuickUse))
            hero->UseManaPotion();
    }
    if (pressed(Controls::kCharSheet))
        ToggleCharacterWindow();
    if (pressed(Controls::kSkillTree))
        ToggleSkillTreeWindow();
    if (pressed(Controls::kQuestLog))
        ToggleMissionLogWindow();
    if (Pressed(keys, kEscape))
        HandleEscape(keys);
    if (pressed(Controls::kTogglePause) && !IsMultiplayerGame())
        m_PauseRequested = true;
    if (m_PauseRequested) {  // also a script's request
        m_PauseRequested = false;
        if (GetViewMode() == 1)
            TogglePause();
        else if (!m_PauseMenu.IsOpen())
            TogglePauseMenu();
    }
    HandleDebugKeys(keys, control, shift);
    if (plain && Pressed(keys, kTab) && (m_ChatWindow.IsOpen() || IsNetworkGame())) {
        m_ChatWindow.SetOpenState(true);
        m_ChatWindow.SetActive(true);
    }
}

// Esc by the view mode: in play it closes the pause menu or a busy GUI before it opens the menu;
// in a sequence it skips the sequence; in a scene it returns to the game.
void SciFiGameCtrl::HandleEscape(InputState& keys)
{
    switch (GetViewMode()) {
    case 0:
        if (IsEscapeBlocked())
            break;
        if (m_PauseMenu.IsOpen())
            TogglePauseMenu();
        else if (IsGuiUnderMouse(0))
            ResetGuiState(0);
        else
            TogglePauseMenu();
        break;
    case 1:
        if (IsNetworkGame())
            break;
        m_World.StopSpeech();
        g_GameStateDebug.skipMode = 1;
        keys.ClearKeyChange(kEscape);
        if (IsPaused())
            TogglePause();
        break;
    case 2:
        ChangeViewMode(0, 0, 1, 1.0f, 1.25f);
        break;
    case 3:
        ResetGuiState(0);
        break;
    default:
        break;
    }
}

// While a sequence is skipped: "skipsequence" with one to five dots, and the clients stay served.
void SciFiGameCtrl::ShowSkipProgress(double time)
{
    static const wString text = GetGuiDBText("loadingscreen", "skipsequence", nullptr);
    std::u16string line = std::u16string(text.c_str()) + u"\n";
    line.append(size_t(int64_t(2.0 * time) % 6), u'.');
    ShowProgress(-1.0f, wString(line.c_str()), 1.0f, 1);
}

void SciFiGameCtrl::HandleDebugKeys(InputState& keys, bool control, bool shift)
{
    (void)shift;
    if (GetDebugMode() == 0)
        return;
    auto show = [this](const char16_t* text) { m_World.ShowTextMessageByKey(kDebugMessageTime, wString(text)); };
    for (int32_t script = 0; script < int32_t(std::size(kNumberPad)); ++script)
        if (Pressed(keys, kNumberPad[script]))
            RunDebugScript(script);
    if (!control) {
        if (Pressed(keys, kKeyJ))
            ToggleFreeCamera();
        return;
    }
    if (Pressed(keys, kKeyJ)) {
        g_GameStateDebug.fixedTerrainHeightMode ^= 1;
        show(g_GameStateDebug.fixedTerrainHeightMode ? u"Fixed terrain height mode ON"
                                                     : u"Fixed terrain height mode OFF");
    }
    if (Pressed(keys, kKeyB))
        ShowLevelStatistics();
    if (Pressed(keys, kKeyD)) {
        m_World.SetDebugMessages(!m_World.GetDebugMessages());
        show(m_World.GetDebugMessages() ? u"debug messages ON" : u"debug messages OFF");
    }
    if (Pressed(keys, kKeyF)) {
        LoadShaders(true);
        show(u"shaders reloaded");
    }
    if (Pressed(keys, kKeyI)) {
        CreatureObj* hero = GetMainChar();
        if (hero && hero->IsDead())
            AttachCreatureToInput(hero, 0);
        if (hero) {
            hero->m_Stats.immortal ^= 1;
            show(hero->m_Stats.immortal ? u"immortal" : u"mortal");
        }
    }
}

// The free camera starts where the hero stands; the hero stands still while it flies.
void SciFiGameCtrl::ToggleFreeCamera()
{
    g_GameStateDebug.freeCameraMode = g_GameStateDebug.freeCameraMode ? 0 : 1;
    CreatureObj* hero = GetMainChar();
    const int32_t index = hero ? GetInputIndexFor(hero) : -1;
    InputCtrl* input = index >= 0 && HasInputCtrl(index) ? GetInputCtrl(index) : nullptr;
    if (g_GameStateDebug.freeCameraMode) {
        if (hero) {
            const D3DXVECTOR2 pos = hero->GetPos();
            g_GameStateDebug.freeCameraPoint[0] = pos.x;
            g_GameStateDebug.freeCameraPoint[1] = pos.y;
        }
        if (input)
            input->Disable(true);
    } else if (input) {
        input->Enable();
    }
}

void SciFiGameCtrl::ShowLevelStatistics()
{
    NameCounts creatures, items;
    int32_t experience = 0;
    int32_t gold = 0;
    int32_t value = 0;
    auto countItem = [&](const InventoryItem* held) {
        const auto* item = dynamic_cast<const ItemBase*>(held);
        if (!item)
            return;
        if (item->GetMoneyValue() > 0) {
            gold += item->GetMoneyValue();
            return;
        }
        items.Add(item->m_Desc.c_str(), item->m_Count);
        value += item->GetPrice() * item->m_Count;
    };
    CreatureObj* hero = GetMainChar();
    for (int32_t id = m_World.NextObjID(-1); id >= 0; id = m_World.NextObjID(id)) {
        WorldElem* elem = m_World.GetObjNoCheck(id, false);
        if (!elem || elem == hero)
            continue;
        if (elem->m_TypeCode == ElemType::kItem && elem->m_LinkedItem) {
            countItem(elem->m_LinkedItem);
            continue;
        }
        auto* creature = elem->IsCreature() ? dynamic_cast<CreatureObj*>(elem) : nullptr;
        if (!creature)
            continue;
        creatures.Add(NarrowName(elem->m_Name), 1);
        experience += int32_t(creature->GetKillExperience());
        for (int32_t i = 0; creature->m_Inventory && i < creature->m_Inventory->GetCount(); i++)
            countItem(creature->m_Inventory->GetItem(i));
    }
    m_TextViewer.Reset();
    m_TextViewer.AddLineF("|c0FF%i Creatures (exp:%i)", int(creatures.total), int(experience));
    creatures.AddLines(m_TextViewer);
    m_TextViewer.AddLineF("|c0FF%i Items, %i Gold (value:%i)", int(items.total), int(gold), int(value));
    items.AddLines(m_TextViewer);
}

// The GUI set-up of the client: the maker's logo, the engine's set-up (loading bar, text field,
// a first tooltip frame), the game's tooltip frame and the cursor; the server has no GUI root and
// keeps only the dedicated flag, which it needs to draw nothing.
void SciFiGameCtrl::InitGuiFields()
{
    // A missing picture leaves its texture empty: the game starts without that decoration.
    auto load = [](DXC_Texture& texture, const char* fileName) {
        if (g_Gfx && File::Exists(fileName))
            g_Gfx->LoadTexture(&texture, fileName, 0, -1, 0, 1);
    };
    if (g_GuiManager) {
        load(m_LogoTexture, kLogoPicture);
        int32_t width = 0, height = 0;
        m_LogoTexture.GetSize(width, height);
        m_LogoTexture.SetCenter(float(width) * 0.5f, float(height));
    }
    if (g_Gfx)
        g_Gfx->SetDedicatedMode(IsDedicated() ? 1 : 0);
    if (!g_GuiManager)
        return;
    InitGui();
    if (g_Gfx && !IsDedicated())  // the server's scene is never bound: it shows nothing
        m_World.GetInteractiveScene().Initialize(g_Gfx, &g_MouseState);
    // The skin points at the frame pictures, so they stay for the controller's life.
    for (int32_t i = 0; i < kToolTipFramePictures; ++i)
        load(m_ToolTipFrame[i], kToolTipFrameFiles[i]);
    ToolTipSkin skin;
    skin.middle = &m_ToolTipFrame[0];
    DXC_Texture* edges[4] = {&m_ToolTipFrame[3], &m_ToolTipFrame[2], &m_ToolTipFrame[4], &m_ToolTipFrame[1]};
    DXC_Texture* corners[4] = {&m_ToolTipFrame[5], &m_ToolTipFrame[6], &m_ToolTipFrame[7], &m_ToolTipFrame[8]};
    std::copy(std::begin(edges), std::end(edges), skin.edges);
    std::copy(std::begin(corners), std::end(corners), skin.corners);
    g_GuiManager->SetToolTipSkin(skin);
    g_GuiManager->SetCursorType(0);
    g_GuiManager->SetCursorEnabled(true);
    g_GuiManager->SetToolTipParams(g_Options.mouseOverDelay, g_Options.mouseOverDelayInt, g_Options.mouseOverOffset[0],
                                   g_Options.mouseOverOffset[1]);
}

// The game's windows at their places on a screen of a new size: the HUD's bar at the bottom, the
// map in the top right corner, the bars and talk near the top, the rest in the middle; then the
// engine's windows. Windows not yet attached to the GUI stay where they are.
void SciFiGameCtrl::LayoutGui()
{
    m_HudMainBar.SetRelativePos(0.5f, 1.0f);
    m_MiniMapWindow.SetRelativePos(1.0f, 0.0f);
    m_ChatWindow.SetRelativePos(0.5f, 0.08f);
    m_MonsterHealthBar.SetRelativePos(0.5f, 0.05f);
    m_DialogWindow.SetRelativePos(0.5f, 0.13f);
    DXC_GuiField* centred[] = {&m_CharacterWindow, &m_BookWindow,  &m_SkillTreeWindow, &m_MissionLogWindow,
                               &m_TradeWindow,     &m_PauseMenu,   &m_OptionsWindow,   &m_HelpWindow};
    for (DXC_GuiField* window : centred)
        window->SetRelativePos(0.5f, 0.5f);
    GameCtrl::LayoutGui();
    m_LayoutScreenWidth = float(g_ScreenWidth);
    m_LayoutSideOffset = g_ScreenWidth >= kWideScreenWidth ? 0.0f : kNarrowSideOffset;
}
