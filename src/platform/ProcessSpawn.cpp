// ProcessSpawn: posix_spawn with the argument vector as given and the parent's environment.
#include "platform/ProcessSpawn.h"

#include "platform/FileSystem.h"
#include "platform/PathResolver.h"

#include <spawn.h>
#include <sys/types.h>
#include <unistd.h>  // environ

namespace Platform {

bool SpawnProcess(const std::string& program, const std::vector<std::string>& arguments)
{
    if (program.empty())
        return false;
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));  // posix_spawn does not write them
    argv.push_back(nullptr);

    pid_t pid = 0;
    int result = 0;
    if (program.find_first_of("/\\") == std::string::npos && !FileExists(program)) {
        result = posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ);
    } else {
        const std::string path = ResolvePath(program);
        result = posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv.data(), environ);
    }
    return result == 0;
}

}  // namespace Platform
