// WallDesc: reading wall description files: ids across files, type names, defaults and
// conversions of every key, the error count, and missing files.
#include "level/WallDesc.h"

#include "base/ConfigFileReader.h"
#include "base/FileList.h"
#include "level/LevelErrorText.h"

#include "support/LogCapture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct WallDescTest : ::testing::Test {
    TempDir dir;
    FileList files;
    ConfigFileReader reader;
    std::vector<WallDesc> descs;

    void Add(const std::string& name, const std::string& text)
    {
        dir.Write(name, text);
        files.AddFile(dir(name).c_str());
    }
    int32_t Read(bool withSourceFiles = false)
    {
        return ReadWallDescFiles(descs, files, nullptr, &reader, withSourceFiles);
    }
};

TEST_F(WallDescTest, EntriesOfSeveralFilesAreOneList)
{
    Add("a.cfg", "#1\ndesc = \"a0\"\ntyp = 2\n#2\ndesc = \"a1\"\ntyp = 2\n#3\ndesc = \"a2\"\ntyp = 2\n");
    Add("b.cfg", "#1\ndesc = \"b0\"\ntyp = 2\n#2\ndesc = \"b1\"\ntyp = 2\n");
    for (bool withSource : {false, true}) {
        ASSERT_EQ(Read(withSource), 5);
        for (int16_t i = 0; i < 5; i++)
            EXPECT_EQ(descs[size_t(i)].id, i);
        EXPECT_STREQ(descs[3].desc, "b0");
        EXPECT_EQ(reader.FindEntryByDesc("b1"), 4);  // the caller keeps the reader and its index
        EXPECT_EQ(descs[4].entryPosition, reader.GetEntryStart(4));
        EXPECT_EQ(descs[4].entryLength, reader.GetEntryLength(4));
        const int32_t sources[5] = {0, 0, 0, 1, 1};
        for (size_t i = 0; i < 5; i++)
            EXPECT_EQ(descs[i].sourceFile, withSource ? sources[i] : 0) << i;
    }
    EXPECT_EQ(ReadWallDescFiles(descs, files, nullptr, nullptr, false), 5);  // a reader of its own
}

TEST_F(WallDescTest, TypesByNumberOrName)
{
    Add("w.cfg",
        "#1\ndesc = \"a\"\ntype = \"NoMesh\"\n"
        "#2\ndesc = \"b\"\ntyp = 3\ntype = \"normal\"\n"
        "#3\ndesc = \"c\"\ntype = \"glass\"\n"
        "#4\ndesc = \"d\"\ntype = \"EFFECT\"\n"
        "#5\ndesc = \"e\"\ntyp = 65537\n");
    ASSERT_EQ(Read(), 5);
    const int16_t types[5] = {2, 3, -1, 4, 1};
    for (size_t i = 0; i < 5; i++)
        EXPECT_EQ(descs[i].type, types[i]) << i;
    EXPECT_EQ(ParseWallType("filemesh"), WallDesc::kTypeFileMesh);
    EXPECT_EQ(ParseWallType("normal "), WallDesc::kTypeNone);
    EXPECT_EQ(ParseWallType(nullptr), WallDesc::kTypeNone);
}

TEST_F(WallDescTest, DefaultsAndConversions)
{
    Add("w.cfg",
        "def_SizeU = 128\n"
        "#plain\ndesc = \"plain\"\ntype = \"normal\"\nHeight1 = 80\n"
        "#mesh\ndesc = \"mesh\"\ntype = \"filemesh\"\nsizeU = 64\nnmap = \"n.dds\"\nfile = \"f.3sc\"\n"
        "fileBack = \"b.3sc\"\nsolid = 0\nTwoSided = 0.5\nlightsemiperm = 0.5\nNeedKey = 3\ndimensionXZ = 50, 200\n"
        "LocalCoords = 65535\ndoor = 2.9\nUseSide = -1\nopacity = 0.25\nscale = 2\nobjID = \"o\"\nEditName = \"E\"\n"
        "#texture\ndesc = \"texture\"\ntype = \"normal\"\nsizeU = 300.7\nnmap = \"n.dds\"\n");
    ASSERT_EQ(Read(), 3);
    const WallDesc& plain = descs[0];
    EXPECT_EQ(plain.height1, 80.0f);
    EXPECT_EQ(plain.height2, 80.0f);  // Height2 follows Height1
    EXPECT_EQ(plain.sizeU, 128);
    EXPECT_EQ(plain.scale, 1.0f);
    EXPECT_EQ(plain.solid, 1);
    EXPECT_EQ(plain.twoSided, 0);
    EXPECT_EQ(plain.needKey, 0xFFFF);
    EXPECT_EQ(plain.opacity, 1.0f);
    EXPECT_EQ(plain.dimensionXZ[0], 100.0f);
    EXPECT_EQ(plain.dimensionXZ[1], 100.0f);

    const WallDesc& mesh = descs[1];
    EXPECT_EQ(mesh.sizeU, 0);  // only textured walls read sizeU and nmap
    EXPECT_STREQ(mesh.nmap, "");
    EXPECT_STREQ(mesh.file, "f.3sc");
    EXPECT_STREQ(mesh.fileBack, "b.3sc");
    EXPECT_EQ(mesh.height1, 150.0f);  // no "def_h1" either
    EXPECT_EQ(mesh.height2, 150.0f);
    EXPECT_EQ(mesh.solid, 0);
    EXPECT_EQ(mesh.twoSided, 0);  // truncated
    EXPECT_EQ(mesh.lightSemiPerm, 1);
    EXPECT_EQ(mesh.needKey, 3);
    EXPECT_EQ(mesh.dimensionXZ[0], 50.0f);
    EXPECT_EQ(mesh.dimensionXZ[1], 200.0f);
    EXPECT_EQ(mesh.localCoords, -1);  // the low 16 bits, sign extended
    EXPECT_EQ(mesh.door, 2);
    EXPECT_EQ(mesh.useSide, 0xFFFF);
    EXPECT_EQ(mesh.opacity, 0.25f);
    EXPECT_EQ(mesh.scale, 2.0f);
    EXPECT_STREQ(mesh.objID.c_str(), "o");
    EXPECT_STREQ(mesh.editName.c_str(), "E");

    EXPECT_EQ(descs[2].sizeU, 300);
    EXPECT_STREQ(descs[2].nmap, "n.dds");
}

TEST_F(WallDescTest, DimensionsOfZeroOrBelowKeepTheDefault)
{
    Add("w.cfg", "#a\ndesc = \"a\"\ntype = \"filemesh\"\ndimensionXZ = 0, 50\n"
                 "#b\ndesc = \"b\"\ntype = \"filemesh\"\ndimensionXZ = 50, -1\n"
                 "#c\ndesc = \"c\"\ntype = \"filemesh\"\ndimensionXZ = 25, 50\n");
    LogCapture log;
    ASSERT_EQ(Read(), 3);
    for (int i = 0; i < 2; ++i) {  // the mesh scale divides by these
        EXPECT_EQ(descs[i].dimensionXZ[0], 100.0f);
        EXPECT_EQ(descs[i].dimensionXZ[1], 100.0f);
    }
    EXPECT_EQ(descs[2].dimensionXZ[0], 25.0f);
    EXPECT_EQ(log.Count("Invalid 'dimensionXZ' of wall 'a'"), 1);
    EXPECT_EQ(log.Count("Invalid 'dimensionXZ' of wall 'b'"), 1);
}

TEST_F(WallDescTest, LongTextsAreCutToTheirFields)
{
    Add("w.cfg", "#1\ndesc = \"" + std::string(200, 'd') + "\"\ntyp = 2\nfile = \"" + std::string(300, 'f') + "\"\n");
    ASSERT_EQ(Read(), 1);
    EXPECT_EQ(std::string(descs[0].desc), std::string(127, 'd'));
    EXPECT_EQ(std::string(descs[0].file), std::string(127, 'f'));
}

TEST_F(WallDescTest, FaultyEntriesAreCountedWithTheFirstMessage)
{
    std::string text;
    for (int i = 0; i < 9; i++) {
        text += "#" + std::to_string(i) + "\n";
        if (i != 4 && i != 7)
            text += "desc = \"w" + std::to_string(i) + "\"\n";
        if (i != 6)
            text += "typ = 1\n";
    }
    Add("w.cfg", text);
    EXPECT_EQ(Read(), -9);
    EXPECT_STREQ(LevelErrorText::Get(), "3 errors: No 'desc' entry in vsd wall file (entry 4/9)");
    EXPECT_EQ(descs.size(), 9u);

    files = FileList();
    Add("t.cfg", "#0\ndesc = \"x\"\n");
    EXPECT_EQ(Read(), -1);
    EXPECT_STREQ(LevelErrorText::Get(), "1 errors: No 'type' entry in wall 'x'");
}

TEST_F(WallDescTest, MissingFilesAndEmptyLists)
{
    EXPECT_EQ(Read(), 0);
    EXPECT_STREQ(LevelErrorText::Get(), "No entry found");
    EXPECT_TRUE(descs.empty());

    Add("comments.cfg", "; no entry\n");
    EXPECT_EQ(Read(), 0);
    EXPECT_STREQ(LevelErrorText::Get(), "No entry found");

    files = FileList();
    files.AddFile("levels\\gone\\walls.cfg");
    EXPECT_EQ(Read(), 0);
    EXPECT_STREQ(LevelErrorText::Get(), "Can not open file 'levels\\gone\\walls.cfg'");
    dir.Write("walls.cfg", "#1\ndesc = \"a\"\ntyp = 2\n");  // found in the fallback directory by its own name
    EXPECT_EQ(ReadWallDescFiles(descs, files, dir.Path().c_str(), &reader, false), 1);
}

}  // namespace
