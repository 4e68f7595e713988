// WarningFolder: the warning state of one error family. Identical consecutive warnings are
// counted and written as one "Warning Repeat" line; after 65536 warnings the rest are dropped.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>

class WarningFolder {
public:
    static constexpr int32_t kMaxWarnings = 65536;
    static constexpr uint32_t kRepeatSaturation = 0xFFFFFFF;

    // lastTextLimit: characters of a warning kept for the comparison (longer ones never fold).
    // saturatedForm: write "Warning Repeat: >%i" once the count saturated.
    WarningFolder(size_t lastTextLimit, const char* capMessage, bool saturatedForm);

    // Logs a finished warning text ("Warning:Name: message") unless it repeats the last one.
    void Report(const char* text);
    // Writes a pending repeat count (at the end of the family's last object).
    void FlushRepeat();

    bool IsCapped() const { return m_Total >= kMaxWarnings; }
    void ResetForTest();

    // Counted without the report lock: objects of the family are made and freed all the time.
    int32_t AddLiveObject() { return m_LiveObjects.fetch_add(1, std::memory_order_relaxed) + 1; }
    int32_t RemoveLiveObject() { return m_LiveObjects.fetch_sub(1, std::memory_order_acq_rel) - 1; }

private:
    std::string m_LastText;
    size_t m_LastTextLimit;
    const char* m_CapMessage;
    bool m_SaturatedForm;
    uint32_t m_PendingRepeats = 0;
    int32_t m_Total = 0;
    std::atomic<int32_t> m_LiveObjects{0};
};

// The lock around every family's report state; the log uses its own.
class cfThreadMutex;
cfThreadMutex& ReportLock();
