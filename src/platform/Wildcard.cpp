// Wildcard: a table-driven matcher, so that runs of "*" cannot make it slow.
#include "platform/Wildcard.h"

#include <vector>

namespace Platform {
namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool OnlyWildcards(std::string_view s)
{
    for (char c : s)
        if (c != '*' && c != '?')
            return false;
    return true;
}

}  // namespace

bool MatchWildcard(std::string_view pattern, std::string_view name)
{
    const size_t P = pattern.size();
    const size_t N = name.size();
    const size_t lastDot = name.rfind('.');
    // match[i][j]: pattern from i matches name from j; filled from the ends backwards.
    std::vector<char> match((P + 1) * (N + 1), 0);
    auto at = [&](size_t i, size_t j) -> char& { return match[i * (N + 1) + j]; };
    at(P, N) = 1;
    for (size_t i = P; i-- > 0;) {
        char c = pattern[i];
        for (size_t j = N + 1; j-- > 0;) {
            bool more = j < N;
            bool ok = false;
            if (c == '*') {
                // before a "." the star stops at the name's last dot: "*." means no extension
                bool eat = more && !(i + 1 < P && pattern[i + 1] == '.' && j == lastDot);
                ok = at(i + 1, j) || (eat && at(i, j + 1));
            } else if (c == '?') {
                ok = more && at(i + 1, j + 1);
                if (!ok && (!more || name[j] == '.')) {
                    size_t k = i;
                    while (k < P && pattern[k] == '?')
                        ++k;
                    ok = (k == P || pattern[k] == '.') && at(i + 1, j);
                }
            } else if (c == '.') {
                ok = (more && name[j] == '.' && at(i + 1, j + 1)) ||
                     (!more && OnlyWildcards(pattern.substr(i + 1)));
            } else {
                ok = more && Lower(c) == Lower(name[j]) && at(i + 1, j + 1);
            }
            at(i, j) = ok;
        }
    }
    return at(0, 0);
}

}  // namespace Platform
