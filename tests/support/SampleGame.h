// SampleGame: the one fixture that copies the sample game of gamedata/ into a test's directory,
// so that a test runs the real game data without touching the checkout's copy.
#pragma once
#include "support/FixtureRoot.h"
#include "support/TempDir.h"

#include <filesystem>
#include <string>

inline void CopySampleGame(const TempDir& dir)
{
    const std::filesystem::path gamedata = std::filesystem::path(SERVER_FIXTURES) / ".." / ".." / "gamedata";
    std::filesystem::copy(gamedata, dir.Path(), std::filesystem::copy_options::recursive);
}

// Adds the text on a line of its own after the first occurrence of the line in the copy's file;
// false when the file lacks the line.
inline bool AddAfterLine(const TempDir& dir, const std::string& file, const std::string& line, const std::string& text)
{
    std::string data = dir.Read(file);
    const size_t at = data.find(line);
    if (at == std::string::npos)
        return false;
    data.insert(at + line.size(), "\n" + text);
    dir.Write(file, data);
    return true;
}

// Gives the copy's game configuration a fixed random seed, so that a run plays the same each
// time; the configuration's new text, empty when it had no seed to replace.
inline std::string FixSampleSeed(const TempDir& dir)
{
    std::string config = dir.Read("cfg/game.cfg");
    const std::string seed = "randomSeed = -1";
    const size_t at = config.find(seed);
    if (at == std::string::npos)
        return std::string();
    config.replace(at, seed.size(), "randomSeed = 12345");
    dir.Write("cfg/game.cfg", config);
    return config;
}
