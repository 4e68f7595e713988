// FormatConversions: what the conversions of a localised format text take, so that a text from
// the database is used as a format only when it matches the values passed.
#pragma once
#include "base/String.h"

#include <string>

// One letter per conversion, in order: 's' a wide text (%s), 'd' an int (%d, %i), '?' anything
// else (another conversion, a length modifier, a '*' width, a text that ends inside one). Flags,
// width and precision digits are allowed; "%%" is none.
std::string FormatConversionKinds(const wString& format);
