// PathResolver: turns the game's Windows-style file names into Linux paths.
// Game data writes "cfg\game.cfg" and ignores letter case; here "\" becomes "/" and each
// component is matched against the directory whatever its case (an exact match wins).
#pragma once
#include <string>
#include <string_view>

namespace Platform {

// The path to use for a file name of the game. Components that exist are given their real
// spelling; the first one that does not exist and everything after it stay as written (with
// "/"), so a file about to be created lands where a Windows program would create it.
std::string ResolvePath(std::string_view name);

// Whether a game file name stays inside the game directory: not empty, not from the root or a
// drive ("\\x", "/x", "C:x") and without a ".." component. Names that scripts give are checked
// with it before anything is opened or made.
bool IsInsideGameDir(std::string_view name);

// Forgets remembered spellings (after directories were renamed or removed).
void ClearPathCache();

}  // namespace Platform
