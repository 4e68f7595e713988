// SciFiGameCtrl: the game state's draw, the client's keys of a frame and the level statistics
// behind one of the developers' keys. The server has no device and no keyboard: its draw keeps
// only the camera bookkeeping and the draw time.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/GameOptions.h"
#include "base/Timer.h"
#include "engine/gfx/DXC_Gfx.h"
#include "engine/gui/DXC_GuiManager.h"
#include "engine/gui/InputState.h"
#include "engine/gui/MouseState.h"
#include "game/objects/CreatureObj.h"
#include "game/objects/ItemBase.h"
#include "scifi/ctrl/GameStateDebug.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "world/WorldCtrl.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

namespace {

// Keyboard scan codes of the standard PC layout.
enum ScanCode : int32_t {
    kEscape = 1,
    kKeyI = 23,
    kKeyD = 32,
    kKeyJ = 36,
    kKeyA = 30,
    kKeyB = 48,
    kLeftControl = 29,
    kRightControl = 157,
    kLeftAlt = 56,
    kRightAlt = 184,
};

constexpr float kDebugMessageTime = 3.0f;

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
        char line[256];
        for (const auto& [name, count] : counts) {
            std::snprintf(line, sizeof(line), "%s: %i", name.c_str(), int(count));
            viewer.AddLine(line);
        }
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
    if (GetViewMode() != 1)
        g_GameStateDebug.skipMode = 0;
    HandleClientKeys(m_World.GetLastFrameTime());
    DrawFrame();  // nothing is drawn without a device
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

    MouseState noMouse;
    const BindingInputs in{keys, m_Mouse ? *m_Mouse : noMouse, true, false};
    if (m_Controls.GetBinding(Controls::kScreenShot).WasPressed(in, false))
        SaveScreenshot("");
    if (auto* hero = dynamic_cast<CreatureObj_SF*>(GetMainChar())) {
        if (m_Controls.GetBinding(Controls::kHealthQuickUse).WasPressed(in, false))
            hero->UseHealthPotion();
        if (m_Controls.GetBinding(Controls::kManaQuickUse).WasPressed(in, false))
            hero->UseManaPotion();
    }
    // Esc in a scene returns to the game; the game's own windows take it in the other modes.
    if (Pressed(keys, kEscape) && GetViewMode() == 2)
        ChangeViewMode(0, 0, 1, 1.0f, 1.25f);
    HandleDebugKeys(keys, control, shift);
}

void SciFiGameCtrl::HandleDebugKeys(InputState& keys, bool control, bool shift)
{
    (void)shift;
    if (GetDebugMode() == 0 || !control)
        return;
    auto show = [this](const char16_t* text) { m_World.ShowTextMessageByKey(kDebugMessageTime, wString(text)); };
    if (Pressed(keys, kKeyJ)) {
        g_GameStateDebug.fixedTerrainHeightMode ^= 1;
        show(g_GameStateDebug.fixedTerrainHeightMode ? u"Fixed terrain height mode ON"
                                                     : u"Fixed terrain height mode OFF");
    }
    if (Pressed(keys, kKeyB))
        ShowLevelStatistics();
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
    m_TextViewer.Clear();
    char line[128];
    std::snprintf(line, sizeof(line), "|c0FF%i Creatures (exp:%i)", int(creatures.total), int(experience));
    m_TextViewer.AddLine(line);
    creatures.AddLines(m_TextViewer);
    std::snprintf(line, sizeof(line), "|c0FF%i Items, %i Gold (value:%i)", int(items.total), int(gold), int(value));
    m_TextViewer.AddLine(line);
    items.AddLines(m_TextViewer);
}

// The windows, the loading bar and the tooltip skin come with the client's interface; the
// server keeps only the dedicated flag, which it needs to draw nothing.
void SciFiGameCtrl::InitGuiFields()
{
    if (g_Gfx)
        g_Gfx->SetDedicatedMode(IsDedicated() ? 1 : 0);
    if (!g_GuiManager)
        return;
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
