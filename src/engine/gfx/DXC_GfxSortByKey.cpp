// DXC_Gfx::SortByKey: the quicksort of (index, key) pairs that orders the draw lists of scenes,
// in place and without allocating, as the lists live in the per-frame scratch buffers.
#include "engine/gfx/DXC_Gfx.h"

#include <utility>

// The first pair is the pivot. The smaller part is sorted by recursion and the larger one by the
// loop, so the depth stays below log2 of the count even for sorted or reversed lists, which a
// fixed pivot splits one pair at a time.
void DXC_Gfx::SortByKey(DXC_KeyPair* pairs, int32_t first, int32_t last)
{
    if (!pairs)
        return;
    while (first < last) {
        const float pivot = pairs[first].key;
        int32_t i = first;
        int32_t j = last + 1;
        for (;;) {
            do
                i++;
            while (i <= last && pairs[i].key < pivot);
            do
                j--;
            while (pairs[j].key > pivot);  // stops at the pivot at the latest
            if (i >= j)
                break;
            std::swap(pairs[i], pairs[j]);
        }
        std::swap(pairs[first], pairs[j]);  // keys before j are at most the pivot, after it at least
        if (j - first < last - j) {
            SortByKey(pairs, first, j - 1);
            first = j + 1;
        } else {
            SortByKey(pairs, j + 1, last);
            last = j - 1;
        }
    }
}
