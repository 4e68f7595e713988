// SoundErrorClass: the error base of the sound classes.
#pragma once
#include "base/ErrorClass.h"

#include <cstdint>

class SoundErrorClass : public ErrorClass {};

// An argument of the device interface: a number or, for a real device, a pointer, as wide as a
// machine word so that either fits.
using SoundWord = intptr_t;
