// GameCtrlTestSupport: what the controller's tests share: a reader opened on a text, and a game
// directory of its own that is current while it lives.
#pragma once
#include "base/ConfigFileReader.h"
#include "base/Log.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

// The text opened as a configuration file.
inline void OpenText(ConfigFileReader& reader, const std::string& text)
{
    ASSERT_EQ(reader.OpenMemory(text.data(), int32_t(text.size())), 0);
}

// A fresh game directory, current while it lives. The log is written once before, so that its
// file stays where the test program started.
class GameDir : public TempDir {
public:
    GameDir()
    {
        Log::Write("game directory %s", Path().c_str());
        m_Current = std::make_unique<ScopedCurrentDir>(Path());
    }

private:
    std::unique_ptr<ScopedCurrentDir> m_Current;
};
