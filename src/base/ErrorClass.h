// ErrorClass: the bases through which nearly every class reports errors (logged, then thrown as
// ErrorMsg) and warnings (logged, folded, never thrown).
#pragma once
#include <cstdarg>
#include <cstdint>

// Thrown by every error of the ErrorClass family; plain data, copied when thrown.
struct ErrorMsg {
    char className[32];
    char message[1024];
};

class ErrorClassSimple {
public:
    ErrorClassSimple();
    ErrorClassSimple(const ErrorClassSimple&);
    ErrorClassSimple& operator=(const ErrorClassSimple&) = default;
    virtual ~ErrorClassSimple();

    [[noreturn]] virtual void Error(const char* format, ...) __attribute__((format(printf, 2, 3)));
    virtual void Warning(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // The same report without an object (worker-thread bodies, the database opener).
    [[noreturn]] static void StaticError(const char* format, ...) __attribute__((format(printf, 1, 2)));

    // Starts a fresh warning run (tests).
    static void ResetWarningsForTest();
};

class ErrorClass : public ErrorClassSimple {
public:
    ErrorClass();
    ErrorClass(const ErrorClass& other);
    ErrorClass& operator=(const ErrorClass& other);

    [[noreturn]] void Error(const char* format, ...) override __attribute__((format(printf, 2, 3)));
    void Warning(const char* format, ...) override __attribute__((format(printf, 2, 3)));

    const char* GetClassName() const { return m_ClassName; }
    bool HasErrorOccurred() const { return m_ErrorOccurred != 0; }

protected:
    [[noreturn]] void ErrorV(const char* format, va_list args);
    void WarningV(const char* format, va_list args);

private:
    friend void CopyName32(ErrorClass* object, const char* name);
    char m_ClassName[32];
    uint8_t m_ErrorOccurred = 0;
};

// Sets an object's class name: at most 31 characters, always terminated.
void CopyName32(ErrorClass* object, const char* name);
