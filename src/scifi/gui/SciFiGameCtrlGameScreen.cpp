// SciFiGameCtrl game screen on the client: the name plates over objects, the hover information
// of the element under the pointer, the three skill roll-ups of the HUD, the skill tooltip of the
// skill tree and the per-frame GUI pass. The server makes the windows and never shows them.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/File.h"
#include "engine/gfx/DXC_Gfx.h"
#include "engine/gui/DXC_GuiManager.h"
#include "game/objects/CreatureObj.h"
#include "scifi/text/FormatConversions.h"
#include "world/WorldCtrl.h"

#include <algorithm>
#include <cmath>

namespace {

const char* const kNamePlateFrameFiles[ObjectNameGui::kFrameParts] = {
    "graphics\\gui\\ui_frame_top_left.png",    "graphics\\gui\\ui_frame_top_middle.png",
    "graphics\\gui\\ui_frame_top_right.png",   "graphics\\gui\\ui_frame_middle_left.png",
    "graphics\\gui\\ui_frame_middle_middle.png", "graphics\\gui\\ui_frame_middle_right.png",
    "graphics\\gui\\ui_frame_bottom_left.png", "graphics\\gui\\ui_frame_bottom_middle.png",
    "graphics\\gui\\ui_frame_bottom_right.png",
};

constexpr double kHoverIdle = -1.0;
constexpr double kHoverDelay = 0.1;   // seconds the pointer rests before a plate shows
constexpr int32_t kHoverDistance = 5;  // pixels the pointer may wander meanwhile

}  // namespace

void SciFiGameCtrl::EnsureNamePlates(int32_t index)
{
    while (m_ObjectNames.GetSize() < index + 1 && m_ObjectNames.GetSize() < m_ObjectNames.GetCapacity()) {
        ObjectNameGui* plate = m_ObjectNames.GetBySlot(m_ObjectNames.Add());
        if (g_GuiManager)
            g_GuiManager->AddWindow(plate);
        for (int32_t part = 0; part < ObjectNameGui::kFrameParts; ++part)  // nothing without a device
            if (g_Gfx && File::Exists(kNamePlateFrameFiles[part]))
                g_Gfx->LoadTexture(&plate->GetFramePart(part), kNamePlateFrameFiles[part], 0, -1, 0, 1);
        plate->SetSize(kNamePlateWidth, kNamePlateHeight);
        plate->SetOpenState(false);
    }
}

void SciFiGameCtrl::ShowNamePlate(WorldElem* element)
{
    if (!element)
        return;
    const wString name = element->GetDisplayName();
    if (name.IsEmpty() || (element->IsCreature() && element->IsExcludedFromTargeting()))
        return;
    int32_t free = -1;
    for (int32_t i = 0; i < m_ObjectNames.GetSize(); ++i) {
        ObjectNameGui* plate = m_ObjectNames.GetAt(i);
        if (plate->IsOpen() && plate->GetCharacter() == element)
            return;  // shown already
        if (free < 0 && !plate->IsOpen())
            free = i;
    }
    if (free < 0) {
        free = m_ObjectNames.GetSize();
        EnsureNamePlates(free);
        if (free >= m_ObjectNames.GetSize())
            return;  // the pool is full
    }
    ObjectNameGui* plate = m_ObjectNames.GetAt(free);
    plate->SetCharacter(element);
    plate->SetOpenState(true);
    plate->SetText(name);
    // Centred over the element's screen rectangle, at its top.
    const D3DXVECTOR3 base = element->GetAbsPos3D();
    const D3DXVECTOR3 top = base + D3DXVECTOR3(0.0f, 0.0f, 2.0f * element->GetRadius());
    float x = 0.0f, y = 0.0f, topX = 0.0f, topY = 0.0f;
    if (g_Gfx && g_Gfx->ProjectToScreen(base, x, y) && g_Gfx->ProjectToScreen(top, topX, topY)) {
        int32_t width = 0, height = 0;
        plate->GetSize(width, height);
        plate->SetPos(int32_t(std::lround((x + topX) * 0.5f)) - width / 2, int32_t(std::lround(std::min(y, topY))));
    }
}

void SciFiGameCtrl::FillSkillRollup(int32_t slot, bool flag)
{
    (void)flag;
    if (slot < 1 || slot > 3)
        return;
    std::vector<SkillTreeEntry*>& entries = m_RollupSkills[slot - 1];
    entries.clear();
    GetMainCharSkill(slot, true, true);  // the slot's own skill resolves its chain first
    m_Skills.ResetWalk();
    while (SkillTreeEntry* skill = m_Skills.GetNext()) {
        if (!skill->learned || skill->kind != slot || skill->noSkill)
            continue;
        SkillTreeEntry* resolved = skill->ResolveNextLevel(*this, false, true);
        if (!resolved || std::find(entries.begin(), entries.end(), resolved) != entries.end())
            continue;
        if (int32_t(entries.size()) >= kMaxRollupEntries) {
            Warning("Maximum number of data elements reached: %i", kMaxRollupEntries);
            break;
        }
        entries.push_back(resolved);
    }
    m_HudSkillRollups[slot - 1].SetOpenState(!entries.empty());
}

void SciFiGameCtrl::ToggleSkillRollup(int32_t slot)
{
    if (slot < 1 || slot > 3)
        return;
    if (m_HudSkillRollups[slot - 1].IsOpen()) {
        m_HudSkillRollups[slot - 1].SetOpenState(false);
        return;
    }
    CloseSkillRollups();
    FillSkillRollup(slot, true);
}

void SciFiGameCtrl::RefreshSkillRollups()
{
    for (int32_t slot = 1; slot <= 3; ++slot)
        if (m_HudSkillRollups[slot - 1].IsOpen())
            FillSkillRollup(slot, false);
}

wString SciFiGameCtrl::FormatRequiredLevel(const wString& format, int32_t level)
{
    wString text;
    if (FormatConversionKinds(format) == "d") {
        text.Format(format.c_str(), level);
        return text;
    }
    text.FormatNarrow(" %d", int(level));  // a text without its one place for the level
    return format + text;
}

void SciFiGameCtrl::BuildSkillTooltip(wString& out, SkillTreeEntry& skill)
{
    out = skill.displayName;
    SkillTreeEntry& shown = *skill.ResolveNextLevel(*this, true, true);
    if (shown.learned) {
        wString level;
        level.Format(u" (%s:%i)", GetGuiDBText("skillInfo", "level", nullptr).c_str(), shown.skillLevel);
        out += level;
    }
    BuildSkillInfoText(shown);
    if (!shown.info.IsEmpty())
        out += wString(u"\n|cAAA") + shown.info;
    if (!shown.furtherText.IsEmpty())
        out += wString(u"\n|cAAA") + shown.furtherText;
    if (shown.learned) {
        if (SkillTreeEntry* next = FindSkill(shown.nextLevelSkill)) {
            SkillTreeEntry& nextShown = *next->ResolveNextLevel(*this, false, false);
            BuildSkillInfoText(nextShown);
            if (!nextShown.furtherText.IsEmpty())
                out += wString(u"\n\n|cAAA") + GetGuiDBText("skillInfo", "nextLevelProps", nullptr) + wString(u"\n") +
                       nextShown.furtherText;
        }
    }
    CreatureObj* hero = GetMainChar();
    if (hero && hero->GetLevel() < shown.requiredLevel)
        out += wString(u"\n\n") + FormatRequiredLevel(GetGuiDBText("skilltree", "requireLevel", nullptr), shown.requiredLevel);
}

void SciFiGameCtrl::UpdatePointedInfo(bool creaturesOnly, double frameTime)
{
    CreatureObj* hero = GetMainChar();
    WorldElem* pointed = m_PointedElement.Get();
    if (!hero || !pointed || (creaturesOnly && !pointed->IsCreature())) {
        if (!creaturesOnly || !pointed) {
            m_PointedHoverTimer = kHoverIdle;
            m_PointedHoverElement = nullptr;
        } else {
            m_PointedHoverTimer = 1.0;
            m_PointedHoverElement = pointed;
        }
        return;
    }
    const auto show = [&](WorldElem* element) {
        if (element->IsCreature() && hero->IsEnemyOf(element, true) != 0) {
            m_MonsterHealthBar.SetCharacter(element);
            m_MonsterHealthBar.SetOpenState(true);
        } else {
            ShowNamePlate(element);
        }
    };
    if (pointed->IsCreature()) {
        show(pointed);
        return;
    }
    int32_t x = 0, y = 0;
    if (g_GuiManager)
        g_GuiManager->GetMousePos(x, y);
    if (m_PointedHoverTimer == kHoverIdle || m_PointedHoverElement.Get() != pointed) {
        m_PointedHoverStart[0] = x;
        m_PointedHoverStart[1] = y;
        m_PointedHoverTimer = 0.0;
        m_PointedHoverElement = pointed;
    }
    if (m_PointedHoverTimer <= kHoverDelay) {
        if (std::abs(x - m_PointedHoverStart[0]) > kHoverDistance || std::abs(y - m_PointedHoverStart[1]) > kHoverDistance) {
            m_PointedHoverStart[0] = x;  // wandered off: the wait starts again here
            m_PointedHoverStart[1] = y;
            m_PointedHoverTimer = 0.0;
            return;
        }
        m_PointedHoverTimer += frameTime;
    }
    if (m_PointedHoverTimer > kHoverDelay)
        show(pointed);
}

void SciFiGameCtrl::DrawGui()
{
    if (!g_GuiManager) {  // the server's frames: no pointer, no plates, nothing shown
        GameServer::DrawGui();
        return;
    }
    // The plates show what is on screen this frame only.
    for (int32_t i = 0; i < m_ObjectNames.GetSize(); ++i)
        m_ObjectNames.GetAt(i)->SetOpenState(false);
    m_MonsterHealthBar.SetOpenState(false);
    UpdatePointedElement();
    UpdatePointedInfo(false, g_LastFrameTime);
    AssignDefaultSkillButtons();
    std::vector<WorldElem*> onScreen;
    // The items lying on screen carry their names, so that loot can be seen.
    const ElemValidator items = [](WorldElem* element) { return element->m_TypeCode == ElemType::kItem; };
    GetWorld().GetAllObjectsOnScreen(onScreen, &items);
    for (WorldElem* element : onScreen)
        ShowNamePlate(element);
    GameServer::DrawGui();  // the windows, the manager's tree and the cursor, once a frame
}
