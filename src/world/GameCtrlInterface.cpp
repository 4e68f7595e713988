// GameCtrlInterface: registering the controller as the global one, and reporting through it.
#include "world/GameCtrlInterface.h"

#include "base/String.h"
#include "world/ProjectileBase.h"

#include <cstdarg>

GameCtrlInterface* g_GameCtrl = nullptr;

GameCtrlInterface::GameCtrlInterface() { g_GameCtrl = this; }

GameCtrlInterface::~GameCtrlInterface()
{
    if (g_GameCtrl == this)
        g_GameCtrl = nullptr;
}

double GameCtrlInterface::GameTime() { return g_GameCtrl ? g_GameCtrl->GetGameTime() : 0.0; }

void GameCtrlInterface::ReportError(const char* format, ...)
{
    String text;
    va_list args;
    va_start(args, format);
    text.FormatV(format, args);
    va_end(args);
    if (g_GameCtrl)
        g_GameCtrl->Error("%s", text.c_str());
    ErrorClassSimple::StaticError("%s", text.c_str());
}

void GameCtrlInterface::ReportWarning(const char* format, ...)
{
    String text;
    va_list args;
    va_start(args, format);
    text.FormatV(format, args);
    va_end(args);
    if (g_GameCtrl)
        g_GameCtrl->Warning("%s", text.c_str());
    else
        ErrorClassSimple().Warning("%s", text.c_str());
}

WorldElem* GameCtrlInterface::CreateEmptyElement(uint16_t typeCode)
{
    if (typeCode == ElemType::kProjectile)
        return CreateProjectile();
    return nullptr;
}

WorldElem* GameCtrlInterface::FindKeptObject(const char* worldID)
{
    Warning("'DoNotSave=1'-object with worldID %s not found", worldID ? worldID : "");
    return nullptr;
}
