// GameCtrl: the reports of scripts, the world events that reach the controller, and the engine's
// answers to the world's scripts. The network node and the game's rules replace several of them.
#include "game/ctrl/GameCtrl.h"

#include "base/Log.h"
#include "world/WorldElem.h"
#include "world/WorldEventPayloads.h"

#include <cstdarg>
#include <cstdio>

bool GameCtrl::CanRunScriptLocally(uint8_t runFlags)
{
    (void)runFlags;
    return true;
}

void GameCtrl::ForwardScript(const char* text) { (void)text; }  // the network node sends it to its peers

// Inside a script the report names the script's place and the game goes on; outside it is an
// error.
void GameCtrl::ScriptError(const char* format, ...)
{
    char message[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    ScriptReaderGameEngine* module = m_World.GetScriptModule(m_World.GetCurrentScriptID());
    if (!module)
        Error("%s", message);
    const String text = module->FormatErrorContext(message);
    Log::Write("%s", text.c_str());
    ShowError(text.c_str());
}

void GameCtrl::ShowErrorMessage(const char* text) { m_ErrorWindow.AddLine(text); }

void GameCtrl::AddGameEvent(const WorldEvent* event)
{
    if (!event)
        Error("Null pointer added !");
    m_World.QueueEvent(*event);
}

bool GameCtrl::IsReenterEndCode(const WorldEvent& event) { return event.type == WorldEventType::kReenter; }

bool GameCtrl::HandleWorldEvent(const WorldEvent& event)
{
    (void)event;  // the game's rules handle their own event types
    return true;
}

// The view mode is the input state: a level changes only in play, on the server whenever it plays.
bool GameCtrl::MayChangeLevel()
{
    if (m_ViewMode != 0)
        return false;
    return true;
}
