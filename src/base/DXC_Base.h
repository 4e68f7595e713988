// DXC_Base: error and warning reporting for the engine classes (scene graph, graphics, widgets),
// with its own warning state; errors are thrown as DXC_Error.
#pragma once
#include <cstdarg>
#include <cstdint>

struct DXC_Error {
    char className[32];
    char message[1024];
};

class DXC_Base {
public:
    DXC_Base();
    DXC_Base(const DXC_Base& other);
    DXC_Base& operator=(const DXC_Base& other);
    virtual ~DXC_Base();

    [[noreturn]] virtual void Error(const char* format, ...) __attribute__((format(printf, 2, 3)));
    virtual void Warning(const char* format, ...) __attribute__((format(printf, 2, 3)));

    void SetName(const char* name);  // at most 31 characters, always terminated
    const char* GetName() const { return m_Name; }
    bool HasErrorOccurred() const { return m_ErrorOccurred != 0; }

    static void ResetWarningsForTest();

protected:
    [[noreturn]] void ErrorV(const char* format, va_list args);
    void WarningV(const char* format, va_list args);

private:
    [[noreturn]] void Raise(const char* message);
    int32_t m_ErrorOccurred = 0;
    char m_Name[32];
};
