// GameCtrlInterface: registering the controller as the global one, and reporting through it.
#include "world/GameCtrlInterface.h"

#include <cstdarg>
#include <cstdio>

GameCtrlInterface* g_GameCtrl = nullptr;

GameCtrlInterface::GameCtrlInterface() { g_GameCtrl = this; }

GameCtrlInterface::~GameCtrlInterface()
{
    if (g_GameCtrl == this)
        g_GameCtrl = nullptr;
}

void GameCtrlInterface::ReportError(const char* format, ...)
{
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (g_GameCtrl)
        g_GameCtrl->Error("%s", text);
    ErrorClassSimple::StaticError("%s", text);
}

void GameCtrlInterface::ReportWarning(const char* format, ...)
{
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (g_GameCtrl)
        g_GameCtrl->Warning("%s", text);
    else
        ErrorClassSimple().Warning("%s", text);
}
