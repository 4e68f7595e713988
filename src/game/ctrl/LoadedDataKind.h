// LoadedDataKind: one kind of data that levels load on demand and keep after they end (3D object
// files, 3D object records, world scenes), seen by the release of unused data: its entries, which
// of them are loaded, their last-use stamps, the marking of those in use and the release of one.
#pragma once
#include <cstdint>
#include <vector>

class ErrorClass;

class LoadedDataKind {
public:
    static constexpr int32_t kMaxSorted = 4096;  // unused entries one pass can consider

    virtual ~LoadedDataKind() = default;
    virtual int32_t GetNumEntries() = 0;
    // A kind whose entries all count (the world's scenes) answers true for every one.
    virtual bool IsLoaded(int32_t entry) = 0;
    // Larger is more recent.
    virtual uint32_t GetUseStamp(int32_t entry) = 0;
    // Sets marks[entry] to 1 for every entry in use; marks come cleared, one per entry.
    virtual void MarkUsed(std::vector<uint8_t>& marks) = 0;
    virtual void Release(int32_t entry) = 0;
};

// Releases the least recently used loaded entries that are not in use, as many as the loaded ones
// exceed limit, but never one in use; the number released. Unused entries beyond kMaxSorted are
// not considered, with the warning through reporter.
int32_t ReleaseLeastRecentlyUsed(LoadedDataKind& kind, int32_t limit, ErrorClass& reporter);
