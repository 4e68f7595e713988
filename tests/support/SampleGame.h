// SampleGame: the one fixture that copies the sample game of gamedata/ into a test's directory,
// so that a test runs the real game data without touching the checkout's copy.
#pragma once
#include "support/FixtureRoot.h"
#include "support/TempDir.h"

#include <filesystem>

inline void CopySampleGame(const TempDir& dir)
{
    const std::filesystem::path gamedata = std::filesystem::path(SERVER_FIXTURES) / ".." / ".." / "gamedata";
    std::filesystem::copy(gamedata, dir.Path(), std::filesystem::copy_options::recursive);
}
