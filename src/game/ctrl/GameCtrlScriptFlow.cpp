// GameCtrl: the game-flow answers and values of the script built-ins: the network answers of a
// game of its own, the frame pacing scripts ask for, the switched input types, the language name.
#include "game/ctrl/GameCtrl.h"

#include "game/ctrl/StateManager.h"

void GameCtrl::RunScriptAtClient(int32_t client, const char* text)
{
    (void)client;
    (void)text;
}

void GameCtrl::RestartGame(int32_t flag) { (void)flag; }

void GameCtrl::SetScriptFrameRates(float minimum, float maximum)
{
    m_ScriptFPS[0] = minimum;
    m_ScriptFPS[1] = maximum;
    if (StateManager* stateManager = m_StateManager.Get())
        stateManager->SetFPSLimits(double(minimum), double(maximum));
}

void GameCtrl::SetInputTypeEnabled(int32_t type, bool enabled)
{
    if (type >= 0 && type < kScriptInputTypes)
        m_InputTypeDisabled[type] = enabled ? 0 : 1;
}

bool GameCtrl::IsInputTypeEnabled(int32_t type) const
{
    return type >= 0 && type < kScriptInputTypes && m_InputTypeDisabled[type] == 0;
}

String GameCtrl::GetLanguageName()
{
    String name = m_World.GetLanguageDir();
    const int32_t length = name.TextLength();
    if (length > 0 && name.c_str()[length - 1] == '\\')
        name = name.SubString(0, length - 1);
    return name;
}

bool GameCtrl::IsNetworkGame() { return false; }

void GameCtrl::SetMonsterLevelPair(int32_t minimum, int32_t maximum)
{
    m_MonsterLevelMin = minimum;
    m_MonsterLevelMax = maximum;
}

void GameCtrl::BeginScriptCreation() { m_ScriptCreationDepth++; }

void GameCtrl::EndScriptCreation()
{
    if (m_ScriptCreationDepth > 0)
        m_ScriptCreationDepth--;
}

void GameCtrl::WaitForSync() {}

void GameCtrl::UncoverMap() {}
