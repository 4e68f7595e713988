// SafeFileReplace: a file written in place of another replaces it only once it is complete; a
// writer killed or failing half-way leaves the old file byte for byte and no temporary file.
#include "platform/SafeFileReplace.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>

namespace {

struct Job {
    std::string name;
    std::string contents;
    const char* killStage = nullptr;
};

const char* g_KillStage = nullptr;

void KillAt(const char* stage)
{
    if (g_KillStage && std::string(stage) == g_KillStage)
        std::raise(SIGKILL);
}

void Write(void* context)
{
    Job& job = *static_cast<Job*>(context);
    g_KillStage = job.killStage;
    Platform::SafeFileReplace::SetTestHook(KillAt);
    std::string temp;
    std::FILE* file = Platform::SafeFileReplace::CreateTemp(job.name, temp);
    if (!file)
        return;
    std::fwrite(job.contents.data(), 1, job.contents.size(), file);
    Platform::SafeFileReplace::Commit(file, temp, job.name);
}

size_t FileCount(const TempDir& dir)
{
    size_t n = 0;
    for (auto& entry : std::filesystem::directory_iterator(dir.Path()))
        n += entry.is_regular_file();
    return n;
}

}  // namespace

TEST(SafeFileReplaceTest, AWriterKilledBeforeTheRenameLeavesTheOldFile)
{
    for (const char* stage : {Platform::SafeFileReplace::kStageWritten, Platform::SafeFileReplace::kStageSynced}) {
        TempDir dir;
        dir.Write("save.sav", "old contents");
        Job job{dir("save.sav"), std::string(100000, 'n'), stage};
        EXPECT_EQ(Platform::RunInChildProcess(Write, &job), SIGKILL) << stage;
        EXPECT_EQ(dir.Read("save.sav"), "old contents") << stage;
    }
}

TEST(SafeFileReplaceTest, ACompleteWriteReplacesTheFileAndLeavesNoTemporaryFile)
{
    TempDir dir;
    dir.Write("save.sav", "old contents");
    Job job{dir("save.sav"), "new contents"};
    EXPECT_EQ(Platform::RunInChildProcess(Write, &job), 0);
    EXPECT_EQ(dir.Read("save.sav"), "new contents");
    EXPECT_EQ(FileCount(dir), 1u);
}

TEST(SafeFileReplaceTest, DiscardRemovesTheTemporaryFile)
{
    TempDir dir;
    dir.Write("save.sav", "old");
    std::string temp;
    std::FILE* file = Platform::SafeFileReplace::CreateTemp(dir("save.sav"), temp);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(std::filesystem::path(temp).parent_path(), dir.Path());
    std::fputs("half", file);
    Platform::SafeFileReplace::Discard(file, temp);
    EXPECT_EQ(FileCount(dir), 1u);
    EXPECT_EQ(dir.Read("save.sav"), "old");
}

TEST(SafeFileReplaceTest, StaleTemporaryFilesOfAKilledWriterAreRemovedAndNothingElse)
{
    TempDir dir;
    dir.Write("save.sav", "old contents");
    Job job{dir("save.sav"), "new contents", Platform::SafeFileReplace::kStageSynced};
    ASSERT_EQ(Platform::RunInChildProcess(Write, &job), SIGKILL);
    ASSERT_EQ(FileCount(dir), 2u);  // the killed writer's temporary file
    for (const char* keep : {"save.sav.tmp", "save.sav.tmpABCDEFG", "other.sav.tmpABCDEF", "save.sav.bak"})
        dir.Write(keep, "keep");
    EXPECT_EQ(Platform::SafeFileReplace::RemoveStaleTemps(dir("save.sav")), 1);
    EXPECT_EQ(FileCount(dir), 5u);
    EXPECT_EQ(dir.Read("save.sav"), "old contents");
    EXPECT_EQ(dir.Read("other.sav.tmpABCDEF"), "keep");
}
