// GameOptions: the one record of the program-wide option variables.
#include "base/GameOptions.h"

GameOptions g_Options;
