// LoadedDataKind: the pass that releases the least recently used entries of one kind.
#include "game/ctrl/LoadedDataKind.h"

#include "base/ErrorClass.h"

#include <algorithm>
#include <utility>

int32_t ReleaseLeastRecentlyUsed(LoadedDataKind& kind, int32_t limit, ErrorClass& reporter)
{
    const int32_t count = std::max(kind.GetNumEntries(), 0);
    std::vector<uint8_t> marks(size_t(count), 0);
    kind.MarkUsed(marks);
    marks.resize(size_t(count), 0);  // a marker may not grow the array past the entries

    std::vector<std::pair<uint32_t, int32_t>> unused;  // use stamp, entry
    unused.reserve(size_t(std::min(count, LoadedDataKind::kMaxSorted)));
    int32_t loaded = 0;
    for (int32_t entry = 0; entry < count; ++entry) {
        if (!kind.IsLoaded(entry))
            continue;
        ++loaded;
        if (marks[size_t(entry)])
            continue;
        if (int32_t(unused.size()) >= LoadedDataKind::kMaxSorted) {
            reporter.Warning("Maximum number of data elements reached: %i", LoadedDataKind::kMaxSorted);
            continue;
        }
        unused.emplace_back(kind.GetUseStamp(entry), entry);
    }
    const int32_t excess = std::min(loaded - limit, int32_t(unused.size()));
    if (excess <= 0)
        return 0;
    std::sort(unused.begin(), unused.end());  // oldest first
    for (int32_t i = 0; i < excess; ++i)
        kind.Release(unused[size_t(i)].second);
    return excess;
}
