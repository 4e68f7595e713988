// DXC_Base: the engine family's error records and its separate warning state.
#include "base/DXC_Base.h"

#include "base/Log.h"
#include "base/String.h"
#include "base/WarningFolder.h"
#include "base/thread/cfThreadSync.h"

#include <cstdio>
#include <cstring>

namespace {

WarningFolder& Folder()
{
    static WarningFolder* s_Folder =
        new WarningFolder(1023, "DXC_Base: Maximum number of warnings reached!", false);
    return *s_Folder;
}

}  // namespace

DXC_Base::DXC_Base()
{
    SetName("Undefined");
    cfThreadLock guard(ReportLock());
    Folder().AddLiveObject();
}

DXC_Base::DXC_Base(const DXC_Base& other) : DXC_Base()
{
    std::memcpy(m_Name, other.m_Name, sizeof m_Name);
    m_ErrorOccurred = other.m_ErrorOccurred;
}

DXC_Base& DXC_Base::operator=(const DXC_Base& other)
{
    std::memcpy(m_Name, other.m_Name, sizeof m_Name);
    m_ErrorOccurred = other.m_ErrorOccurred;
    return *this;
}

DXC_Base::~DXC_Base()
{
    cfThreadLock guard(ReportLock());
    if (Folder().RemoveLiveObject() <= 0)
        Folder().FlushRepeat();
}

void DXC_Base::SetName(const char* name) { String::CopySized(m_Name, sizeof m_Name, name ? name : ""); }

void DXC_Base::Error(const char* format, ...)
{
    char message[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format ? format : "", args);
    va_end(args);
    Raise(message);
}

void DXC_Base::ErrorV(const char* format, va_list args)
{
    char message[1024];
    std::vsnprintf(message, sizeof message, format ? format : "", args);
    Raise(message);
}

void DXC_Base::Raise(const char* message)
{
    DXC_Error record;
    String::CopySized(record.className, sizeof record.className, m_Name);
    String::CopySized(record.message, sizeof record.message, message);
    m_ErrorOccurred = 1;
    char text[1024];
    std::snprintf(text, sizeof text, "Error:%s: %s", record.className, record.message);
    Log::Write("%s", text);
    throw record;
}

void DXC_Base::Warning(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    WarningV(format, args);
    va_end(args);
}

void DXC_Base::WarningV(const char* format, va_list args)
{
    if (Folder().IsCapped())
        return;
    char message[1024];
    std::vsnprintf(message, sizeof message, format ? format : "", args);
    char text[1024];
    std::snprintf(text, sizeof text, "Warning:%s: %s", m_Name, message);
    Folder().Report(text);
}

void DXC_Base::ResetWarningsForTest() { Folder().ResetForTest(); }
