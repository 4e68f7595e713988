// Wildcard: file name patterns with the meaning the game's original platform gave them.
// "*" any run of characters (before a "." it stops at the name's last dot); "?" one character, or none at the end of the name or before its
// dot; a final ".", ".*" or ".?" also matches a name without a dot ("*.*" matches every name,
// "*." names without an extension). Letters match whatever their case.
#pragma once
#include <string_view>

namespace Platform {

bool MatchWildcard(std::string_view pattern, std::string_view name);

}  // namespace Platform
