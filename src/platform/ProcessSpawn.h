// ProcessSpawn: starts another program with an argument vector, never through a shell, so that
// no argument can be split, quoted away or read as a command.
#pragma once
#include <string>
#include <vector>

namespace Platform {

// The program is looked up as a game file name first (the path resolver), else on the PATH.
// arguments[0] is the program's own name as it sees it. True when the process started; what it
// does afterwards is not observed.
bool SpawnProcess(const std::string& program, const std::vector<std::string>& arguments);

}  // namespace Platform
