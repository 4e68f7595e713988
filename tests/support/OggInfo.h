// The sound tools the speech tests compare against: whether one is installed, and the playback
// length vorbis-tools' ogginfo reports for a file.
#pragma once

#include "support/TempDir.h"

#include <cstdio>
#include <cstdlib>
#include <string>

inline bool HasTool(const char* name)
{
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

// "Playback length: 1m:02.345s" of ogginfo's report, in seconds; -1 without one. The report goes
// through a file of the test's folder.
inline double OggInfoLength(const TempDir& dir, const std::string& file)
{
    const std::string command = "ogginfo '" + file + "' > '" + dir("ogginfo.txt") + "' 2>&1";
    if (std::system(command.c_str()) != 0)
        return -1.0;
    const std::string report = dir.Read("ogginfo.txt");
    const size_t at = report.find("Playback length: ");
    int minutes = 0;
    double seconds = 0.0;
    if (at == std::string::npos || std::sscanf(report.c_str() + at, "Playback length: %dm:%lfs", &minutes, &seconds) != 2)
        return -1.0;
    return minutes * 60.0 + seconds;
}
