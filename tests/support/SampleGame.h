// SampleGame: the one fixture that copies the sample game of gamedata/ into a test's directory,
// so that a test runs the real game data without touching the checkout's copy.
#pragma once
#include "support/FixtureRoot.h"
#include "support/FreePort.h"
#include "support/TempDir.h"

#include <cstdint>
#include <filesystem>
#include <regex>
#include <string>

// Sets the value of a "key = value" line of the copy's file (the line must be there).
inline void SetSampleKey(const TempDir& dir, const std::string& file, const std::string& key, const std::string& value)
{
    const std::string text = dir.Read(file);
    const std::regex line("(^|\n)" + key + " = [^\n]*");
    dir.Write(file, std::regex_replace(text, line, "$1" + key + " = " + value, std::regex_constants::format_first_only));
}

// The copy listens on a port that was free a moment ago, takes any free port for its clients'
// sockets and announces nothing, so that copies run side by side; the game's "serverPort" names
// the copy's port. The listening port.
inline uint16_t UseFreeSamplePorts(const TempDir& dir)
{
    const uint16_t port = FindFreePort(Socket::kStream);
    SetSampleKey(dir, "cfg/server.cfg", "ListenPort", std::to_string(port));
    SetSampleKey(dir, "cfg/server.cfg", "DataPort", "0");
    SetSampleKey(dir, "cfg/server.cfg", "BroadcastPortLocal", "0");
    SetSampleKey(dir, "cfg/game.cfg", "serverPort", std::to_string(port));
    return port;
}

// The copy's listening port.
inline uint16_t CopySampleGame(const TempDir& dir)
{
    const std::filesystem::path gamedata = std::filesystem::path(SERVER_FIXTURES) / ".." / ".." / "gamedata";
    std::filesystem::copy(gamedata, dir.Path(), std::filesystem::copy_options::recursive);
    return UseFreeSamplePorts(dir);
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
