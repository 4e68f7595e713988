// The client's keys and the game state's draw on the sample game: the quick potion keys drink the
// carried potion that best fits what is missing and stay quiet while a text field has the focus,
// the draw's camera bookkeeping, and the level statistics behind a developers' key.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "engine/gui/DXC_GuiInputText.h"
#include "engine/gui/DXC_GuiManager.h"
#include "engine/gui/InputState.h"
#include "engine/gui/MouseState.h"
#include "game/objects/ai/InputCtrl.h"
#include "scifi/ctrl/GameStateDebug.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "scifi/objects/Item_SF.h"
#include "world/Inventory.h"
#include "world/WorldCtrl.h"

#include "support/SampleServerGame.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int32_t kKeyQ = 16;  // the sample's health potion key
constexpr int32_t kKeyE = 18;  // its mana potion key
constexpr int32_t kLeftControl = 29;
constexpr int32_t kKeyB = 48;

class SciFiClientKeysGameTest : public SampleServerGame<SciFiGameCtrl> {
protected:
    void SetUp() override
    {
        Start();
        hero = dynamic_cast<CreatureObj_SF*>(ctrl->GetMainChar());
        ASSERT_NE(hero, nullptr);
        ctrl->SetInputDevices(&keys, &mouse);
        if (!hero->m_Inventory)
            hero->CreateInventory(-1);
        hero->m_BaseValues.maxHealth = 100.0f;
        hero->m_BaseValues.maxMana = 50.0f;
        hero->m_BaseValues.maxShield = 40.0f;
        hero->UpdateValues(false);
    }
    void TearDown() override { g_GameStateDebug = GameStateDebug(); }

    // A carried potion of one ability given over a second: amount in the integer field, or a
    // fraction for the relative kinds.
    void Carry(int32_t type, int32_t amount, float fraction = 0.0f)
    {
        auto* item = new Item_SF;
        item->m_Desc = "potion";
        item->m_EquipmentType = CreatureObj_SF::kFirstNonEquipmentType;
        item->m_Uses = 1;
        item->m_DestroyAfterUse = 1;
        ItemAbility ability;
        ability.type = type;
        ability.subtype = amount;
        ability.value = 1.0f;
        ability.value2 = fraction;
        item->AddAbility(ability, false);
        ASSERT_GE(hero->m_Inventory->AddItem(item), 0);
    }

    // One press of the key, drawn as the server's loop draws.
    void Press(int32_t key, bool control = false)
    {
        keys.SetKeyDown(kLeftControl, control);
        keys.SetKeyDown(key, true);
        ctrl->DrawGameState();
        keys.SetKeyDown(key, false);
        keys.SetKeyDown(kLeftControl, false);
    }

    InputState keys;
    MouseState mouse;
    CreatureObj_SF* hero = nullptr;
};

}  // namespace

TEST_F(SciFiClientKeysGameTest, HealthPotionKeyDrinksTheBestFit)
{
    const struct {
        float missing;
        float drunk;
    } cases[] = {{40.0f, 50.0f}, {90.0f, 80.0f}, {10.0f, 20.0f}, {50.0f, 50.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.missing);
        hero->m_Inventory->Clear(true);
        for (int32_t amount : {80, 20, 50})
            Carry(ItemAbility::kHealth, amount);
        hero->m_HealthRefillLeft = 0.0f;
        hero->m_Health = 100.0f - c.missing;
        Press(kKeyQ);
        EXPECT_FLOAT_EQ(hero->m_HealthRefillLeft, c.drunk);
        EXPECT_EQ(hero->m_Inventory->GetCount(), 2);
    }

    // The pending refill counts as had: nothing more is missing, nothing is drunk.
    Press(kKeyQ);
    EXPECT_EQ(hero->m_Inventory->GetCount(), 2);
    EXPECT_TRUE(MessageShown(u"DB:DoNotNeedPotion"));
}

// The server never focuses a text field, so its keys always count; a focused one silences them
// until it loses the focus.
TEST_F(SciFiClientKeysGameTest, KeysAreQuietWhileATextFieldHasTheFocus)
{
    EXPECT_EQ(textInputActive, 0);
    hero->m_Inventory->Clear(true);
    Carry(ItemAbility::kHealth, 50);
    hero->m_HealthRefillLeft = 0.0f;
    hero->m_Health = 40.0f;
    {
        DXC_GuiInputText chat;
        chat.OnGotFocus();
        Press(kKeyQ);
        EXPECT_EQ(hero->m_Inventory->GetCount(), 1);
        chat.OnLostFocus();
        Press(kKeyQ);
        EXPECT_EQ(hero->m_Inventory->GetCount(), 0);
    }
    EXPECT_EQ(textInputActive, 0);
}

TEST_F(SciFiClientKeysGameTest, RelativePotionsAndTheShieldNeed)
{
    // A relative potion covers the fraction missing; it is left while the absolute one covers all.
    hero->m_Inventory->Clear(true);
    Carry(ItemAbility::kHealthFillRel, 0, 0.5f);
    hero->m_Health = 60.0f;
    Press(kKeyQ);
    EXPECT_FLOAT_EQ(hero->m_HealthRefillLeft, 50.0f);
    Carry(ItemAbility::kHealthFillRel, 0, 0.5f);
    Carry(ItemAbility::kHealth, 50);
    hero->m_HealthRefillLeft = 0.0f;
    Press(kKeyQ);
    EXPECT_FLOAT_EQ(hero->m_HealthRefillLeft, 50.0f);
    EXPECT_EQ(hero->m_Inventory->GetCount(), 1);

    // Mana all into the shield: a full mana pool still drinks for the missing shield.
    hero->m_Mana = 50.0f;
    hero->m_ShieldEnergy = 10.0f;
    Carry(ItemAbility::kMana, 30);
    hero->m_Modifiers.fillShieldInsteadOfMana = 1.0f;  // after the value update of the carry
    Press(kKeyE);
    EXPECT_FLOAT_EQ(hero->m_ShieldRefill, 30.0f);
    hero->m_Modifiers.fillShieldInsteadOfMana = 0.0f;
    Carry(ItemAbility::kMana, 30);
    Press(kKeyE);  // nothing missing
    EXPECT_TRUE(MessageShown(u"DB:DoNotNeedPotion"));
    EXPECT_FLOAT_EQ(hero->m_ManaRefillLeft, 0.0f);
}

TEST_F(SciFiClientKeysGameTest, DrawKeepsTheCameraBookkeeping)
{
    ctrl->SetPlayerCamera(ctrl->GetPlayerCameraDistance(), 3.0f, 0.0f);
    g_GameStateDebug.freeCameraMode = 3;
    ctrl->DrawGameState();
    EXPECT_FLOAT_EQ(ctrl->GetPlayerCameraPitch(), 2.0f);
    EXPECT_EQ(g_GameStateDebug.freeCameraMode, 1);
    DedicatedServer::RunFrames(*ctrl, 2, 0.01f);
    EXPECT_GE(ctrl->GetDrawTime(), 0.0);
}

TEST_F(SciFiClientKeysGameTest, LevelStatisticsKeyNeedsDebugAndControl)
{
    DXC_GuiTextViewerScl& viewer = ctrl->GetStatisticsViewer();
    Press(kKeyB, true);
    EXPECT_EQ(viewer.GetNumLines(), 0);  // no "debug"
    ctrl->SetDebugMode(1);
    Press(kKeyB);
    EXPECT_EQ(viewer.GetNumLines(), 0);  // no Ctrl
    Press(kKeyB, true);
    ASSERT_GE(viewer.GetNumLines(), 2);
    const int32_t others = ctrl->GetWorld().GetNumberOfCreatures(-1, false) - 1;
    const std::u16string first(viewer.GetLine(0).c_str());
    const std::string expected = "|c0FF" + std::to_string(others) + " Creatures (exp:";
    EXPECT_EQ(std::string(first.begin(), first.end()).substr(0, expected.size()), expected);
    bool itemsLine = false;
    for (int32_t i = 0; i < viewer.GetNumLines(); i++) {
        const std::u16string line(viewer.GetLine(i).c_str());
        itemsLine |= std::string(line.begin(), line.end()).find(" Gold (value:") != std::string::npos;
    }
    EXPECT_TRUE(itemsLine);
}

TEST_F(SciFiClientKeysGameTest, EscapeByViewMode)
{
    constexpr int32_t kEscape = 1;
    // In play Esc opens the pause menu with the pause and closes it again.
    Press(kEscape);
    EXPECT_TRUE(ctrl->GetPauseMenu().IsOpen());
    EXPECT_EQ(ctrl->GetPauseFlag(), 1);
    Press(kEscape);
    EXPECT_FALSE(ctrl->GetPauseMenu().IsOpen());
    EXPECT_EQ(ctrl->GetPauseFlag(), 0);

    // In a sequence it skips: the skip stays on while the sequence's mode lasts, and a paused
    // game resumes.
    ctrl->SetViewMode(1, nullptr);
    ctrl->SetPause(1);
    Press(kEscape);
    EXPECT_EQ(g_GameStateDebug.skipMode, 1);
    EXPECT_EQ(ctrl->GetPauseFlag(), 0);
    EXPECT_FALSE(ctrl->GetPauseMenu().IsOpen());
    ctrl->DrawGameState();
    EXPECT_EQ(g_GameStateDebug.skipMode, 1);

    // In mode 3 it resets the windows: an open pause menu of a paused game closes.
    ctrl->SetViewMode(3, nullptr);
    ctrl->TogglePauseMenu();
    ctrl->SetPause(1);
    Press(kEscape);
    EXPECT_FALSE(ctrl->GetPauseMenu().IsOpen());
    EXPECT_EQ(g_GameStateDebug.skipMode, 0);
    ctrl->SetViewMode(0, nullptr);

    // A dragged object blocks Esc in play.
    DXC_GuiManager gui;
    int dragged = 0;
    gui.SetDragObject(&dragged, "dragged", nullptr);
    Press(kEscape);
    EXPECT_FALSE(ctrl->GetPauseMenu().IsOpen());
}

TEST_F(SciFiClientKeysGameTest, WindowAndPauseKeys)
{
    constexpr int32_t kKeyP = 25, kKeyK = 37, kPause = 197;
    Press(kKeyP);
    EXPECT_TRUE(ctrl->GetCharacterWindow().IsOpen());
    Press(kKeyK);  // the skill tree takes the sheet's place
    EXPECT_FALSE(ctrl->GetCharacterWindow().IsOpen());
    EXPECT_TRUE(ctrl->GetSkillTreeWindow().IsOpen());

    // The pause key and a script's request both open the pause menu.
    Press(kPause);
    EXPECT_TRUE(ctrl->GetPauseMenu().IsOpen());
    EXPECT_FALSE(ctrl->GetSkillTreeWindow().IsOpen());
    ctrl->TogglePauseMenu();
    ctrl->RequestPauseMenu();
    ctrl->DrawGameState();
    EXPECT_TRUE(ctrl->GetPauseMenu().IsOpen());
    EXPECT_FALSE(ctrl->IsPauseRequested());
}

TEST_F(SciFiClientKeysGameTest, DebugSwitchKeys)
{
    constexpr int32_t kKeyD = 32, kKeyJ = 36;
    const bool messages = ctrl->GetWorld().GetDebugMessages();
    Press(kKeyD, true);
    EXPECT_EQ(ctrl->GetWorld().GetDebugMessages(), messages);  // no "debug"
    Press(kKeyJ);
    EXPECT_EQ(g_GameStateDebug.freeCameraMode, 0);

    ctrl->SetDebugMode(1);
    Press(kKeyD, true);
    EXPECT_EQ(ctrl->GetWorld().GetDebugMessages(), !messages);
    EXPECT_TRUE(MessageShown(messages ? u"debug messages OFF" : u"debug messages ON"));

    // J alone flies the free camera from the hero's place and holds the hero meanwhile.
    InputCtrl* input = ctrl->GetInputCtrl(ctrl->GetInputIndexFor(hero));
    Press(kKeyJ);
    EXPECT_EQ(g_GameStateDebug.freeCameraMode, 1);
    EXPECT_FLOAT_EQ(g_GameStateDebug.freeCameraPoint[0], hero->GetPos().x);
    EXPECT_TRUE(input->IsDisabled(true));
    Press(kKeyJ);
    EXPECT_EQ(g_GameStateDebug.freeCameraMode, 0);
    EXPECT_FALSE(input->IsDisabled(true));
}
