// The game configuration of the controller tests: the controller's world needs a language directory.
#include "support/GameConfigText.h"

namespace {

const auto* const g_Environment = ::testing::AddGlobalTestEnvironment(new GameConfigEnvironment);

}  // namespace
