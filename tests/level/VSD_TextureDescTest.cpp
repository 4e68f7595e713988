// VSD_TextureDesc: reading floor texture description files: the placeholder record, defaults and
// conversions, the error count, and missing files.
#include "level/VSD_TextureDesc.h"

#include "base/FileList.h"
#include "level/LevelErrorText.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TextureDescTest : ::testing::Test {
    TempDir dir;
    FileList files;
    std::vector<VSD_TextureDesc> textures;

    int32_t Read(const std::string& text, bool withSourceFiles = false)
    {
        dir.Write("floor.cfg", text);
        files = FileList();
        files.AddFile(dir("floor.cfg").c_str());
        return ReadTextureDescFiles(textures, files, nullptr, withSourceFiles);
    }
};

TEST_F(TextureDescTest, PlaceholderFirstThenTheEntries)
{
    ASSERT_EQ(Read("#a\ndesc = \"a\"\nfile = \"a.dds\"\n#b\ndesc = \"b\"\nfile = \"b.dds\"\n"
                   "#c\ndesc = \"c\"\nfile = \"c.dds\"\nnmap = \"c_n.dds\"\nspecmap = \"c_s.dds\"\n",
                   true),
              4);
    const VSD_TextureDesc& dummy = textures[0];
    EXPECT_STREQ(dummy.desc.c_str(), "Dummy-floor");
    EXPECT_TRUE(dummy.file.IsEmpty());
    EXPECT_EQ(dummy.tileWidth, 32);
    EXPECT_EQ(dummy.tileHeight, 32);
    EXPECT_EQ(dummy.subX, 1);
    EXPECT_EQ(dummy.subY, 1);
    EXPECT_EQ(dummy.overlap, 0);
    EXPECT_EQ(dummy.sourceFile, -1);
    EXPECT_EQ(dummy.passiveOverlap, 1);
    EXPECT_EQ(dummy.heightScale, 0.02f);

    EXPECT_STREQ(textures[3].file.c_str(), "c.dds");
    EXPECT_STREQ(textures[3].nmap.c_str(), "c_n.dds");
    EXPECT_STREQ(textures[3].specmap.c_str(), "c_s.dds");
    EXPECT_EQ(textures[3].sourceFile, 0);
    EXPECT_EQ(textures[3].buildIndex, -1);
    EXPECT_EQ(textures[3].colours, nullptr);
}

TEST_F(TextureDescTest, DefaultsAndConversions)
{
    ASSERT_EQ(Read("def_subX = 4\n"
                   "#a\ndesc = \"a\"\nfile = \"a.dds\"\n"
                   "#b\ndesc = \"b\"\nfile = \"b.dds\"\nsubX = 2.9\nsubY = 3\ntileable = 0.5\noverlap = -4.5\n"
                   "PassiveOverlap = 7.8\nmaterial = 65538\nheightScale = 0.5\nspecularPower = 9\n"
                   "specularLevel = 0.1, 0.2, 0.3\n"
                   "#c\ndesc = \"c\"\nfile = \"c.dds\"\ntileable = 0\n"),
              4);
    const VSD_TextureDesc& a = textures[1];
    EXPECT_EQ(a.subX, 4);  // the file's default
    EXPECT_EQ(a.subY, 1);
    EXPECT_EQ(a.tileable, 0);
    EXPECT_EQ(a.overlap, 10);
    EXPECT_EQ(a.passiveOverlap, 1);
    EXPECT_EQ(a.material, 1);
    EXPECT_EQ(a.specularPower, 5.0f);
    EXPECT_EQ(a.specularLevel[2], 1.0f);

    const VSD_TextureDesc& b = textures[2];
    EXPECT_EQ(b.subX, 2);
    EXPECT_EQ(b.subY, 3);
    EXPECT_EQ(b.tileable, 1);
    EXPECT_EQ(b.overlap, -4);
    EXPECT_EQ(b.passiveOverlap, 7);
    EXPECT_EQ(b.material, 2);
    EXPECT_EQ(b.heightScale, 0.5f);
    EXPECT_EQ(b.specularPower, 9.0f);
    EXPECT_EQ(b.specularLevel[0], 0.1f);
    EXPECT_EQ(b.specularLevel[2], 0.3f);
    EXPECT_EQ(textures[3].tileable, 0);
}

TEST_F(TextureDescTest, FaultyEntriesAreCountedWithTheFirstMessage)
{
    std::string text;
    for (int i = 0; i < 5; i++) {
        text += "#" + std::to_string(i) + "\n";
        if (i != 1)
            text += "desc = \"t" + std::to_string(i) + "\"\n";
        if (i != 3)
            text += "file = \"t.dds\"\n";
    }
    EXPECT_EQ(Read(text), -6);
    EXPECT_STREQ(LevelErrorText::Get(), "2 errors: No 'desc' entry in vsd texture file (entry 2/6)");
    EXPECT_EQ(Read("#0\ndesc = \"x\"\n"), -2);
    EXPECT_STREQ(LevelErrorText::Get(), "1 errors: No 'file' entry in texture 'x'");
}

TEST_F(TextureDescTest, CountsBeyond16Bits)
{
    std::string text;
    for (int i = 0; i < 33000; i++)  // names spread over the desc index's first letters
        text += "#\ndesc = \"" + std::string(1, char('A' + i % 58)) + std::to_string(i) + "\"\nfile = \"t.dds\"\n";
    EXPECT_EQ(Read(text), 33001);
    EXPECT_STREQ(textures[33000].desc.c_str(), "x32999");
}

TEST_F(TextureDescTest, MissingFilesAndNoEntries)
{
    EXPECT_EQ(Read("; none\n"), 0);
    EXPECT_STREQ(LevelErrorText::Get(), "No entry found");
    EXPECT_TRUE(textures.empty());
    files.AddFile("levels\\gone\\floor.cfg");
    EXPECT_EQ(ReadTextureDescFiles(textures, files, nullptr, false), 0);
    EXPECT_STREQ(LevelErrorText::Get(), "Can not open file 'levels\\gone\\floor.cfg'");
}

}  // namespace
