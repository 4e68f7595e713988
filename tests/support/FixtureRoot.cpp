// FixtureRoot: the one place that holds the fixture folder's path, set by the build.
#include "support/FixtureRoot.h"

const char* FixtureRoot() { return SERVER_FIXTURE_DIR; }
