// PartyFilter: the four party entries by which walls, effects and triggers choose the elements
// they act on; -999 in the first entry accepts every party.
#pragma once
#include <cstdint>

struct PartyFilter {
    static constexpr int32_t kAnyParty = -999;

    static bool Accepts(const int32_t entries[4], int32_t party)
    {
        if (entries[0] == kAnyParty)
            return true;
        for (int32_t i = 0; i < 4; i++) {
            if (entries[i] == party)
                return true;
        }
        return false;
    }
};
