// The game configuration of every test program at and above the world: each world needs a
// language directory, read from the global game configuration when it is made.
#include "support/GameConfigText.h"

namespace {

const auto* const g_Environment = ::testing::AddGlobalTestEnvironment(new GameConfigEnvironment);

}  // namespace
