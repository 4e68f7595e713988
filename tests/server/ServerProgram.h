// ServerProgram: runs the built server program in a test's game directory, its console in
// "console.txt" there.
#pragma once
#include "support/TempDir.h"

#include <cstdlib>
#include <string>
#include <sys/wait.h>

// The exit code, -1 when it did not exit normally. Its input is empty, so that it never waits for
// a key on a terminal, unless the arguments redirect it ("< keys": the later redirection wins).
inline int RunProgram(const TempDir& dir, const std::string& arguments)
{
    const std::string command = "cd '" + dir.Path().string() + "' && '" SCIFISERVER_PROGRAM "' < /dev/null " +
                                arguments + " > console.txt 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
