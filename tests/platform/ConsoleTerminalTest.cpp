// The console's key mode on a pseudo-terminal: keys arrive one by one without echo while Ctrl-C
// stays a signal, and the terminal gets back exactly what it had.
#include "platform/ConsoleTerminal.h"
#include "platform/PseudoTerminal.h"

#include <gtest/gtest.h>

TEST(ConsoleTerminal, KeyModeKeepsSignalsAndRestoresTheSettings)
{
    Platform::PseudoTerminal terminal;
    ASSERT_TRUE(terminal.Open());
    const Platform::PseudoTerminal::Settings before = terminal.GetSettings();
    ASSERT_TRUE(before.Echoes() && before.BuffersLines() && before.SendsSignals());

    ASSERT_TRUE(Platform::EnterConsoleKeyMode(terminal.GetTerminalDescriptor()));
    EXPECT_TRUE(Platform::IsConsoleKeyModeOn());
    const Platform::PseudoTerminal::Settings keyMode = terminal.GetSettings();
    EXPECT_FALSE(keyMode.Echoes());
    EXPECT_FALSE(keyMode.BuffersLines());
    EXPECT_TRUE(keyMode.SendsSignals());
    EXPECT_FALSE(Platform::EnterConsoleKeyMode(terminal.GetTerminalDescriptor())) << "the saved settings would be lost";

    Platform::RestoreConsoleTerminal();
    EXPECT_FALSE(Platform::IsConsoleKeyModeOn());
    EXPECT_TRUE(terminal.GetSettings() == before);
    Platform::RestoreConsoleTerminal();  // a second restore (at exit) changes nothing
    EXPECT_TRUE(terminal.GetSettings() == before);
}
