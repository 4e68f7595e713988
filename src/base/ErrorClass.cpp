// ErrorClass: error records, warning folding and the repeat flush at the family's last object.
#include "base/ErrorClass.h"

#include "base/Log.h"
#include "base/String.h"
#include "base/WarningFolder.h"

#include <cstdio>
#include <cstring>

namespace {

WarningFolder& Folder()
{
    static WarningFolder* s_Folder =
        new WarningFolder(254, "ErrorClass: Maximum number of warnings reached!", true);
    return *s_Folder;
}

// Builds "Error:<name>: <message>", logs it and throws the record.
[[noreturn]] void RaiseError(const char* className, const char* message)
{
    ErrorMsg record;
    String::CopySized(record.className, sizeof record.className, className);
    String::CopySized(record.message, sizeof record.message, message);
    {
        char text[8192];
        std::snprintf(text, sizeof text, "Error:%s: %s", record.className, record.message);
        Log::Write("%s", text);
    }
    throw record;
}

void RaiseWarning(const char* className, const char* format, va_list args, size_t messageLimit)
{
    if (Folder().IsCapped())
        return;
    char message[1024];
    std::vsnprintf(message, messageLimit + 1, format ? format : "", args);
    char text[1400];
    std::snprintf(text, sizeof text, "Warning:%s: %s", className, message);
    Folder().Report(text);
}

}  // namespace

// The count needs no lock; only the flush at the last object takes the report lock.
ErrorClassSimple::ErrorClassSimple() { Folder().AddLiveObject(); }

ErrorClassSimple::ErrorClassSimple(const ErrorClassSimple&) : ErrorClassSimple() {}

ErrorClassSimple::~ErrorClassSimple()
{
    if (Folder().RemoveLiveObject() <= 0)
        Folder().FlushRepeat();
}

void ErrorClassSimple::Error(const char* format, ...)
{
    char message[1023];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format ? format : "", args);
    va_end(args);
    RaiseError("ErrorClassSimple", message);
}

void ErrorClassSimple::StaticError(const char* format, ...)
{
    char message[1023];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format ? format : "", args);
    va_end(args);
    RaiseError("ErrorClassSimple", message);
}

void ErrorClassSimple::Warning(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    RaiseWarning("ErrorClassSimple", format, args, 1022);
    va_end(args);
}

void ErrorClassSimple::ResetWarningsForTest() { Folder().ResetForTest(); }

ErrorClass::ErrorClass() { CopyName32(this, "Undefined"); }

ErrorClass::ErrorClass(const ErrorClass& other) : ErrorClassSimple(other), m_ErrorOccurred(other.m_ErrorOccurred)
{
    std::memcpy(m_ClassName, other.m_ClassName, sizeof m_ClassName);
}

ErrorClass& ErrorClass::operator=(const ErrorClass& other)
{
    std::memcpy(m_ClassName, other.m_ClassName, sizeof m_ClassName);
    m_ErrorOccurred = other.m_ErrorOccurred;
    return *this;
}

void ErrorClass::Error(const char* format, ...)
{
    char message[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format ? format : "", args);
    va_end(args);
    m_ErrorOccurred = 1;
    RaiseError(m_ClassName, message);
}

void ErrorClass::ErrorV(const char* format, va_list args)
{
    char message[1024];
    std::vsnprintf(message, sizeof message, format ? format : "", args);
    m_ErrorOccurred = 1;
    RaiseError(m_ClassName, message);
}

void ErrorClass::Warning(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    WarningV(format, args);
    va_end(args);
}

void ErrorClass::WarningV(const char* format, va_list args) { RaiseWarning(m_ClassName, format, args, 1023); }

void CopyName32(ErrorClass* object, const char* name)
{
    String::CopySized(object->m_ClassName, sizeof object->m_ClassName, name ? name : "");
}
