// MusicChannels: the program's one music state.
#include "base/MusicChannels.h"

MusicChannels g_MusicChannels;
