// ServerCommandLine: the switch parsers and the command line of a run.
#include "server/ServerCommandLine.h"

#include "base/String.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr int32_t kMaxDigits = 10;  // 2^31 has ten

// The argument that starts with the key, past the key; null when there is none.
const char* FindSwitchValue(int argc, const char* const* argv, const char* key)
{
    for (int i = 1; i < argc; ++i)
        if (argv[i] && String(argv[i]).StartsWithNoCase(key))
            return argv[i] + std::strlen(key);
    return nullptr;
}

}  // namespace

bool HasSwitch(int argc, const char* const* argv, const char* key)
{
    for (int i = 1; i < argc; ++i)
        if (argv[i] && String(argv[i]).EqualsNoCase(key))
            return true;
    return false;
}

int32_t FindPositionalArg(int argc, const char* const* argv, int32_t n)
{
    for (int i = 1; i < argc; ++i) {
        if (!argv[i])
            continue;
        const unsigned char first = static_cast<unsigned char>(argv[i][0]);
        if (first >= 33 && first <= 127 && first != '-' && first != '/' && --n == 0)
            return i;
    }
    return -1;
}

bool ParseDecimal(const char* text, int32_t* value)
{
    const bool negative = *text == '-';
    if (negative)
        ++text;
    const size_t digits = std::strlen(text);
    if (digits == 0 || digits > size_t(kMaxDigits))
        return false;
    int64_t number = 0;
    for (const char* c = text; *c; ++c) {
        if (*c < '0' || *c > '9')
            return false;
        number = number * 10 + (*c - '0');
    }
    if (negative)
        number = -number;
    if (number < INT32_MIN || number > INT32_MAX)
        return false;
    *value = int32_t(number);
    return true;
}

int32_t GetIntSwitch(int argc, const char* const* argv, const char* key, int32_t* value)
{
    const char* rest = FindSwitchValue(argc, argv, key);
    if (!rest)
        return kSwitchAbsent;
    if (*rest != ':' && *rest != '=')
        return kSwitchBadSeparator;
    ++rest;
    if (*rest == '\0' || (rest[0] == '-' && rest[1] == '\0')) {
        *value = 0;
        return kSwitchStored;
    }
    int32_t number = 0;
    if (!ParseDecimal(rest, &number))
        return kSwitchBadNumber;
    *value = number;
    return kSwitchStored;
}

int32_t GetStringSwitch(int argc, const char* const* argv, const char* key, std::string* value)
{
    const char* rest = FindSwitchValue(argc, argv, key);
    if (!rest)
        return kSwitchAbsent;
    if (*rest != ':' && *rest != '=')
        return kSwitchBadSeparator;
    *value = rest + 1;
    return kSwitchStored;
}

ServerCommandLine ParseServerCommandLine(int argc, const char* const* argv)
{
    ServerCommandLine result;
    // The test switches leave the list first, so that the count after "--frames" is never
    // taken for the level.
    std::vector<const char*> args{argc > 0 ? argv[0] : ""};
    for (int i = 1; i < argc; ++i) {
        if (!argv[i])
            continue;
        if (String(argv[i]).EqualsNoCase("--frames")) {
            if (i + 1 >= argc || !argv[i + 1] || !ParseDecimal(argv[i + 1], &result.frames) || result.frames < 0) {
                result.error = "--frames needs a count of 0 or more";
                return result;
            }
            ++i;
        } else if (String(argv[i]).EqualsNoCase("--hero")) {
            result.hero = true;
        } else {
            args.push_back(argv[i]);
        }
    }
    const int count = int(args.size());
    const char* const* list = args.data();

    result.usage = HasSwitch(count, list, "/?");
    const int32_t level = FindPositionalArg(count, list, 1);
    if (level >= 0)
        result.levelFile = list[level];
    for (const auto& [key, target] : {std::pair{"/MAXPL", &result.maxPlayers}, std::pair{"/DIFF", &result.difficulty}}) {
        if (GetIntSwitch(count, list, key, target) == kSwitchBadNumber && result.error.empty())
            result.error = std::string(key) + " needs a whole number of at most 10 digits";
    }
    // A name switch with a wrong separator leaves the name empty; only a missing one gives the
    // default.
    std::string name;
    if (GetStringSwitch(count, list, "/NAME", &name) == kSwitchAbsent)
        name = "Dedicated";
    result.serverName = name.substr(0, ServerCommandLine::kMaxNameLength);
    result.difficulty = std::clamp(result.difficulty, 1, 3);
    return result;
}
