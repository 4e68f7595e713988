// WarningFolder: folding of repeated warnings and the warning cap.
#include "base/WarningFolder.h"

#include "base/Log.h"
#include "base/thread/cfThreadSync.h"

WarningFolder::WarningFolder(size_t lastTextLimit, const char* capMessage, bool saturatedForm)
    : m_LastTextLimit(lastTextLimit), m_CapMessage(capMessage), m_SaturatedForm(saturatedForm)
{
}

void WarningFolder::Report(const char* text)
{
    cfThreadLock guard(ReportLock());
    if (m_Total >= kMaxWarnings)
        return;
    if (m_LastText == text) {
        if (m_PendingRepeats < kRepeatSaturation)
            ++m_PendingRepeats;
        return;
    }
    m_LastText.assign(text, std::min(m_LastTextLimit, std::char_traits<char>::length(text)));
    if (m_Total == 0)
        m_LastText.clear();  // the first warning of a run is never remembered
    if (m_PendingRepeats > 0) {
        if (m_SaturatedForm && m_PendingRepeats >= kRepeatSaturation)
            Log::Write("Warning Repeat: >%i", int(m_PendingRepeats));
        else
            Log::Write("Warning Repeat: %i", int(m_PendingRepeats));
    }
    ++m_Total;
    m_PendingRepeats = 0;
    Log::Write("%s", text);
    if (m_Total == kMaxWarnings)
        Log::Write("%s", m_CapMessage);
}

void WarningFolder::FlushRepeat()
{
    cfThreadLock guard(ReportLock());
    if (m_PendingRepeats > 0) {
        Log::Write("Warning Repeat: %i", int(m_PendingRepeats));
        m_PendingRepeats = 0;
    }
}

void WarningFolder::ResetForTest()
{
    cfThreadLock guard(ReportLock());
    m_LastText.clear();
    m_PendingRepeats = 0;
    m_Total = 0;
}

cfThreadMutex& ReportLock()
{
    static cfThreadMutex* s_Lock = new cfThreadMutex(0);  // lives to the very end of the process
    return *s_Lock;
}
