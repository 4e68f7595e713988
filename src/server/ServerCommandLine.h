// ServerCommandLine: the server's command line: the test switches taken out first, then the
// switch parsers over what is left ("/?", the level, "/MAXPL", "/DIFF", "/NAME").
#pragma once
#include <cstdint>
#include <string>

struct ServerCommandLine {
    static constexpr int32_t kMaxNameLength = 255;

    std::string levelFile;     // the first argument that is no switch; empty: "Level" of the server configuration
    int32_t difficulty = 1;    // "/DIFF=n", clamped to 1..3
    int32_t maxPlayers = 3;    // "/MAXPL=n"
    std::string serverName = "Dedicated";  // "/NAME=name", at most kMaxNameLength characters
    int32_t frames = -1;       // "--frames N": N updates on a stepping clock, then the end; -1 until stopped
    bool usage = false;        // "/?"
    bool hero = false;         // "--hero": a local input, so that the level start makes a hero
    std::string error;         // why the command line is bad; the run does not start
};

// What the switch parsers answer.
enum SwitchResult : int32_t {
    kSwitchBadNumber = -2,     // a value that is no whole 32-bit number ("5a", "x", 11 digits)
    kSwitchBadSeparator = -1,  // the key is followed by neither ':' nor '='
    kSwitchAbsent = 0,
    kSwitchStored = 1,
};

// Index 0 of the argument vector (the program) is never examined; keys compare with ASCII
// letters folded.
bool HasSwitch(int argc, const char* const* argv, const char* key);
// The index of the n-th argument whose first byte is 33 to 127 and neither '-' nor '/'; -1 when
// there is none.
int32_t FindPositionalArg(int argc, const char* const* argv, int32_t n);
// The first argument that starts with the key: a separator, an optional '-' and decimal digits;
// nothing after the separator (or the sign) stores 0. The value is left unless kSwitchStored.
int32_t GetIntSwitch(int argc, const char* const* argv, const char* key, int32_t* value);
// The same search and separator; everything after the separator, which may be empty.
int32_t GetStringSwitch(int argc, const char* const* argv, const char* key, std::string* value);
// An optional '-' and 1 to 10 decimal digits within 32 bits, and nothing else.
bool ParseDecimal(const char* text, int32_t* value);

ServerCommandLine ParseServerCommandLine(int argc, const char* const* argv);
