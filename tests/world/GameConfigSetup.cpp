// The game configuration of the world tests: every world needs a language directory.
#include "support/GameConfigText.h"

namespace {

const auto* const g_Environment = ::testing::AddGlobalTestEnvironment(new GameConfigEnvironment);

}  // namespace
