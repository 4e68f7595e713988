// ErrorOf: the message of the ErrorMsg an action throws, for tables of failing cases.
#pragma once
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
