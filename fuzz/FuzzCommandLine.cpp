// FuzzCommandLine: the server's command line: the bytes split at each zero byte into the
// arguments after the program name. Whatever they hold, the difficulty stays within 1..3, the
// name within its 255 characters, and a bad command line says why.
#include "FuzzTarget.h"

#include "server/ServerCommandLine.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> words(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            words.emplace_back();
        else
            words.back() += char(data[i]);
    }
    std::vector<const char*> argv{"scifiserver"};
    for (const std::string& word : words)
        argv.push_back(word.c_str());
    const ServerCommandLine line = ParseServerCommandLine(int(argv.size()), argv.data());
    if (line.error.empty() &&
        (line.difficulty < 1 || line.difficulty > 3 || line.serverName.size() > size_t(ServerCommandLine::kMaxNameLength)))
        std::abort();
    return 0;
}
