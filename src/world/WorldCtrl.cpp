// WorldCtrl: construction and release, the resets between games and levels, the level load and
// emptying the world.
#include "world/WorldCtrl.h"

#include "base/ConfigFileReader.h"
#include "base/Log.h"
#include "base/MusicChannels.h"
#include "world/GameCtrlInterface.h"
#include "world/InputCtrlBase.h"
#include "world/WorldElem.h"

WorldCtrl::WorldCtrl()
    : m_ObjectList(std::make_unique<ObjectListEntry[]>(kObjectListSize)),
      m_ResultList(std::make_unique<int32_t[]>(kResultListSize)),
      m_ScriptQueryList(std::make_unique<WorldElem*[]>(kScriptQuerySize))
{
    CopyName32(this, "WorldCtrl");
    String dir;
    if (GetGameConfig().GetString("langdir", dir) != ConfigFileReader::kFound)
        Error("No language directory!");
    if (dir.IsEmpty() || dir.c_str()[dir.TextLength() - 1] != '\\')
        dir += "\\";
    m_LanguageDir = dir;
    m_SpeechName = "__speechwav__";
    m_SpeechHandle = -1;
    m_ScriptThreads.ReserveThreads(kScriptThreads);
    BuildFlickerCurve();
}

WorldCtrl::~WorldCtrl()
{
    FreeWorld();
    m_Walls.DeleteAll();  // walls leave their blocks as they go: before the blocks do
    m_Lights.DeleteAll();  // so do lights and effects
    m_Effects.DeleteAll();
}

void WorldCtrl::FreeWorld()
{
    ClearSounds();
    m_Elements.DeleteAll();
    m_ScriptModules.DeleteAll();
    m_ScriptStack.clear();
    m_ObjectListCount = 0;
    m_StrategyTree.Clear();
    m_ActionTree.Clear();
    for (DynaMem<WorldEvent, 4096, 1>& queue : m_EventQueues)
        queue.DeleteAll();
    StopAllSounds();
    Log::Write("WorldCtrl freed");
}

void WorldCtrl::StopAllSounds()
{
    ClearSounds();
    m_SpeechHandle = -1;  // the program plays no sound: nothing else is playing
    g_MusicChannels.Forget();
}

void WorldCtrl::ResetGameState()
{
    m_TextMessages.DeleteAll();
    m_LogMessages.DeleteAll();
    for (DynaMem<WorldEvent, 4096, 1>& queue : m_EventQueues)
        queue.DeleteAll();
    m_WaitingScript = -1;
    m_InitSuspension = 0;
    m_LastFightFlag = 3;
    m_MusicState = kStateChoose;
    ClearSounds();
}

void WorldCtrl::ResetLevelEffects()
{
    m_FadeLevel = 1.0f;
    m_FadeRate = 0.0f;
    m_MusicCountdown = -1.0f;
    m_MusicState = kStateChoose;
    m_MusicStartTime = 0.0;
    m_MusicPlayedTime = 0.0;
    m_CountDownLeft = -1.0f;
    m_CountDownStart = -1.0f;
    m_CountDownLabel = String();
    m_PlayingSounds.DeleteAll();
    ResetSoundPlayTimes();
}

int32_t WorldCtrl::LoadLevelData(const char* fileName, int32_t insertWalls, int32_t skipTextures)
{
    DeleteAllObjects();
    for (DynaMem<WorldEvent, 4096, 1>& queue : m_EventQueues)
        queue.DeleteAll();
    m_GameRandom.Seed(m_GameRandom.GetSeed());  // every level starts the same sequence on every side
    return LoadLevel(fileName, insertWalls, skipTextures);
}

void WorldCtrl::DeleteAllObjects()
{
    for (int32_t slot = m_Elements.NextUsedSlot(-1); slot >= 0 && m_Elements.GetSize() > 0; slot = m_Elements.NextUsedSlot(slot)) {
        WorldElem* elem = m_Elements.GetBySlot(slot);
        if (!elem)
            continue;
        if (elem->m_InputCtrl)
            elem->m_InputCtrl->RemoveControlledCreature(elem->m_InputIndex);
        if (elem->m_CellListEntry >= 0)
            LeaveBlock(*elem);
        m_Elements.Delete(slot);
        delete elem;
    }
    m_Elements.RemoveAll();  // count and first-free hint back to 0
    for (int32_t i = 0; i < m_NumBlocks; i++)
        m_Blocks[i].objects.RemoveAll();
    m_ObjectListCount = 0;
    GetCtrl().DeleteLoadedScenes();
}

void WorldCtrl::SetCountDown(float seconds, const String& label)
{
    m_CountDownLeft = seconds;
    m_CountDownStart = seconds;
    m_CountDownLabel = label;
}

void WorldCtrl::SetLevelCallScript(float interval, const String& script)
{
    m_CallInterval = interval;
    m_CallScript = script;
}
