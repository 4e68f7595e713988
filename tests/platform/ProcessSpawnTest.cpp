// ProcessSpawn: a program started with an argument vector gets each argument whole, whatever
// blanks or quotes it holds; a program that cannot be started reports failure.
#include "platform/ProcessSpawn.h"

#include "support/TempDir.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(ProcessSpawnTest, ArgumentsArriveWhole)
{
    TempDir dir;
    dir.Write("source", "payload");
    // A shell would split this name at its blanks and take its quotes away.
    const std::string target = dir / "a b \"c\" ; d";
    ASSERT_TRUE(Platform::SpawnProcess("cp", {"cp", dir / "source", target}));
    EXPECT_TRUE(WaitUntil([&] { return std::filesystem::exists(target) && std::filesystem::file_size(target) == 7; }));
    EXPECT_FALSE(std::filesystem::exists(dir / "a"));
}

TEST(ProcessSpawnTest, MissingProgramFails)
{
    EXPECT_FALSE(Platform::SpawnProcess("no-such-program-here", {"no-such-program-here"}));
    EXPECT_FALSE(Platform::SpawnProcess("/no/such/dir/program", {"program"}));
    EXPECT_FALSE(Platform::SpawnProcess("", {}));
}
