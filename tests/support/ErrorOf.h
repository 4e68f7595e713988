// ErrorOf: the message of the ErrorMsg an action throws, for tables of failing cases.
#pragma once
#include "base/DXC_Base.h"
#include "base/ErrorClass.h"

#include <functional>
#include <string>

// "no error" when the action throws none.
inline std::string ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const ErrorMsg& error) {
        return error.message;
    }
    return "no error";
}

// The same for the engine classes' DXC_Error; an ErrorMsg (a file's report) gives its message too.
inline std::string DxcErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const DXC_Error& error) {
        return error.message;
    } catch (const ErrorMsg& error) {
        return error.message;
    }
    return "no error";
}
