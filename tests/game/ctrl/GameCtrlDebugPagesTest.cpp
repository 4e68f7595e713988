// GameCtrl debug pages: the creature page of a test creature, the free debug text with its cut,
// the script variables and the memory figures of the system page against /proc/meminfo.
#include "game/ctrl/GameCtrl.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string Narrow(const wString& text)
{
    std::string out;
    for (const char16_t* p = text.c_str(); p && *p; ++p)
        out += char(*p);
    return out;
}

// The page's lines as narrow text.
std::vector<std::string> Lines(DXC_GuiTextViewerScl& page)
{
    std::vector<std::string> lines;
    for (int32_t i = 0; i < page.GetNumLines(); ++i)
        lines.push_back(Narrow(page.GetLine(i)));
    return lines;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& line)
{
    for (const std::string& l : lines)
        if (l == line)
            return true;
    return false;
}

}  // namespace

TEST(GameCtrlDebugPagesTest, CreaturePageShowsItsValues)
{
    GameCtrl ctrl;
    DXC_GuiTextViewerScl& page = ctrl.GetTextViewer(GameCtrl::kCreatureViewer);
    ctrl.DumpCreatureInfo(nullptr);  // neither a creature nor a main character: nothing
    EXPECT_EQ(page.GetNumLines(), 0);

    CreatureObj creature;
    creature.SetName(wString(u"Grunt"));
    creature.m_ObjID = 7;
    creature.m_Party = 2;
    creature.m_Level = 5;
    creature.m_Health = 39.6f;
    creature.m_Mana = 10.2f;
    KI_ActionData* intention = creature.m_AIActions.GetBySlot(creature.m_AIActions.Add());
    intention->task = 17;
    intention->thirdCode = 2;
    intention->values[1] = 0.5f;
    intention->entry.type = 2;
    creature.m_AIRun.decisionCounter = 3;
    creature.m_AIRun.currentPriority = 4;
    creature.m_AIRun.strategyID = 6;
    creature.m_AIRun.lastStrategyID = 1;
    ctrl.DumpCreatureInfo(&creature);
    const std::vector<std::string> lines = Lines(page);
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[0], "|c0FFGrunt: (id:7), Party:2, Level:5");
    EXPECT_TRUE(HasLine(lines, "Health: 40/100 Mana: 10/100"));
    EXPECT_TRUE(HasLine(lines, "AI intention: Flee  (cycle pos: 3, prior: 4, ID:6, LastID:1)"));
    EXPECT_TRUE(HasLine(lines, "AI action: Flee (prior: 2, aimDev: 28.65)"));
    EXPECT_TRUE(HasLine(lines, "|c0A2influences:"));
}

TEST(GameCtrlDebugPagesTest, NamesOfTasksIntentionsAndEntryTypes)
{
    EXPECT_STREQ(GameCtrl::GetAITaskName(-1), "none");
    EXPECT_STREQ(GameCtrl::GetAITaskName(17), "drawWeapon");
    EXPECT_STREQ(GameCtrl::GetAITaskName(27), "gotoPosNoRot");
    EXPECT_STREQ(GameCtrl::GetAITaskName(7), "unknown");
    EXPECT_STREQ(GameCtrl::GetAITaskName(28), "unknown");
    EXPECT_STREQ(GameCtrl::GetIntentionName(1).c_str(), "Dead");
    EXPECT_STREQ(GameCtrl::GetIntentionName(36).c_str(), "GoDirectionEnemy");
    EXPECT_STREQ(GameCtrl::GetIntentionName(4).c_str(), "Unknown: 4");
    EXPECT_STREQ(GameCtrl::GetIntentionName(99).c_str(), "Unknown: 99");
    EXPECT_STREQ(GameCtrl::GetStratEntryTypeName(0), "Action");
    EXPECT_STREQ(GameCtrl::GetStratEntryTypeName(23), "Undefined");
    EXPECT_STREQ(GameCtrl::GetStratEntryTypeName(-3), "Undefined");
}

TEST(GameCtrlDebugPagesTest, DebugTextIsCutAt8191Characters)
{
    GameCtrl ctrl;
    DXC_GuiTextViewerScl& box = ctrl.GetTextViewer(GameCtrl::kDebugTextViewer);
    const std::string longText(10000, 'x');
    ctrl.AddDebugText("printed 1.5");
    ctrl.AddDebugText(longText.c_str());
    ctrl.AddDebugText(nullptr);
    ASSERT_EQ(box.GetNumLines(), 3);
    EXPECT_EQ(Narrow(box.GetLine(0)), "printed 1.5");
    EXPECT_EQ(box.GetLine(1).TextLength(), 8191);
    EXPECT_EQ(box.GetLine(2).TextLength(), 0);
    EXPECT_TRUE(box.IsChanged());
}

TEST(GameCtrlDebugPagesTest, ScriptVariablesPageListsEveryScope)
{
    GameCtrl ctrl;
    ctrl.AddGameVariable("gold", kScriptInt, 0)->m_Integer = 12;
    ctrl.AddGameVariable("speeds", kScriptFloat, 3);
    ctrl.AddLevelVariable("door", kScriptString, 0)->m_Text = "open";
    ctrl.DumpScriptVariables();
    const std::vector<std::string> lines = Lines(ctrl.GetTextViewer(GameCtrl::kScriptVariablesViewer));
    const std::vector<std::string> expected = {"|c0FFStory variables:", "|c0FFGame variables:",
                                               "gold = (int)12",        "speeds: Float array with dim 3",
                                               "|c0FFLevel variables:", "door = (string)|cD44\"open\"|r"};
    EXPECT_EQ(lines, expected);
}

// The total against /proc/meminfo read here: MemTotal in bytes, rounded to MB.
TEST(GameCtrlDebugPagesTest, SystemPageShowsTheMachinesMemory)
{
    long long kb = -1;
    if (FILE* f = std::fopen("/proc/meminfo", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::sscanf(line, "MemTotal: %lld kB", &kb) == 1)
                break;
        std::fclose(f);
    }
    ASSERT_GT(kb, 0);
    GameCtrl ctrl;
    ctrl.DumpSystemInfo();
    const std::vector<std::string> lines = Lines(ctrl.GetTextViewer(GameCtrl::kProfilingViewer));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string("|c0FFVersion: ") + GameCtrl::GetVersionText());
    EXPECT_EQ(lines[1], "CPU mem total: " + std::to_string((kb * 1024 + 524288) >> 20) + " MB");
    EXPECT_TRUE(HasLine(lines, "|c0FF-- Camera --"));
    EXPECT_TRUE(HasLine(lines, "Nr. of objs: 0"));
}
