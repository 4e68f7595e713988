// GameCtrl: the engine's bodies of the hooks that the network node, the game server, the game's
// rules and the dedicated server replace, its answers to the world's questions, and the no-mana
// notice.
#include "game/ctrl/GameCtrl.h"

#include "game/ctrl/GuiDBText.h"

void GameCtrl::LoadGeneralItems() {}  // the game reads "cfg\items.cfg"

void GameCtrl::FreeItemImages() {}

int32_t GameCtrl::GetCursorPicture() { return 1; }

// "|Cdc8765" colours the text; the world shows it for 2.0 seconds and plays the "NoMana" event.
void GameCtrl::NotifyNoMana()
{
    wString text("|Cdc8765");
    text += ::GetGuiDBText("logmsg", "nomana");
    ShowWorldMessage(text, 2.0f);
    PlayWorldSound("NoMana");
}

void GameCtrl::ShowWorldMessage(const wString& text, float seconds)
{
    m_World.ShowTextMessage(seconds, u"%s", text.c_str());
}

void GameCtrl::InitGuiFields() {}

bool GameCtrl::GetMousePosition(D3DXVECTOR2& position)
{
    position = D3DXVECTOR2(0.0f, 0.0f);
    return false;
}

void GameCtrl::ReadCombatValues(ConfigFileReader& reader, int32_t entry)
{
    (void)reader;  // the game reads damage and armour keys of the entry
    (void)entry;
}

int32_t GameCtrl::LoadGame(int32_t slot, int32_t a, int32_t b)
{
    (void)slot;
    (void)a;
    (void)b;
    return 0;
}

void GameCtrl::AutoSave() {}

bool GameCtrl::IsHighlightEnabled() { return false; }

int32_t GameCtrl::GetHighlightKind() { return 0; }

bool GameCtrl::IsBossFight() { return false; }

void GameCtrl::SaveMainCharacter() {}  // the game writes "character.sv"

void GameCtrl::UpdateMiniMap() {}

void GameCtrl::SuspendObjectSync() {}

void GameCtrl::ResumeObjectSync() {}

bool GameCtrl::IsJoiningNetworkGame(float* progress)
{
    (void)progress;
    return false;
}

void GameCtrl::ServiceNetwork() {}

bool GameCtrl::IsNetworkClient() { return false; }

CreatureObj* GameCtrl::GetMainChar() { return m_MainChar.Get(); }

int32_t GameCtrl::GetNumPlayers() { return GetMainChar() ? 1 : 0; }

WorldElem* GameCtrl::GetPlayerCharacter(int32_t player) { return player == 0 ? GetMainChar() : nullptr; }

int32_t GameCtrl::GetNumPartyMembers() { return 0; }

WorldElem* GameCtrl::GetPartyMember(int32_t index)
{
    (void)index;
    return nullptr;
}

void GameCtrl::OnWallAdded(int32_t wallID) { (void)wallID; }

bool GameCtrl::IsMultiplayerGame() const { return false; }

bool GameCtrl::GetFollowTarget(D3DXVECTOR2& target)
{
    target = D3DXVECTOR2(0.0f, 0.0f);
    return false;
}

int32_t GameCtrl::IsFastFollow(int32_t arg)
{
    (void)arg;
    return 0;
}

void GameCtrl::GetBackDrawFadeThresholds(float& full, float& none) const
{
    full = m_BackDrawFade[0];
    none = m_BackDrawFade[1];
}

bool GameCtrl::IsServer() const { return false; }

bool GameCtrl::ProcessActiveBlocksOnly() const { return IsServer(); }

bool GameCtrl::AllowsInput() { return true; }

bool GameCtrl::IsElementUsable(WorldElem* elem)
{
    (void)elem;
    return false;  // the game's rules decide
}

void GameCtrl::OnObjectAdded(int32_t objID) { (void)objID; }

void GameCtrl::OnObjectDeleted(int32_t objID, int32_t flag)
{
    (void)objID;
    (void)flag;
}

void GameCtrl::OnWallDeleted(int32_t wallID) { (void)wallID; }

void GameCtrl::DeleteLoadedScenes() {}

float GameCtrl::GetFlicker(float t) { return m_FlickerCurve.Evaluate(t); }

bool GameCtrl::IsNetworkGameServer() const { return false; }
