// PlayerSaveID's "player.sv": what the writer writes reads back, and every damaged variant (cut at
// each byte, lying lengths, another version or flag, no end marker, a zero unit) is refused with a
// warning and leaves the record as it was.
#include "scifi/save/PlayerSaveID.h"

#include "support/LogCapture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// "player.sv" of Ann (ID 0xABCD, class "ch_x"), single player.
const std::string kAnn("\x13\x01\x00"
                       "\x03\x00\x00\x00" "A\x00n\x00n\x00"
                       "\xcd\xab\x00\x00"
                       "\x04\x00\x00\x00" "ch_x"
                       "\x34\x12",
                       27);

PlayerSaveID Untouched()
{
    PlayerSaveID player;
    player.name = wString(u"before");
    player.playerID = 7;
    player.characterConfigID = "ch_before";
    return player;
}

}  // namespace

TEST(PlayerSaveIDTest, WrittenFileReadsBack)
{
    TempDir dir;
    for (bool multiplayer : {false, true}) {
        PlayerSaveID written;
        written.name = wString(u"Zo\u00e9 K");
        written.playerID = 0xFEDCBA98;
        written.characterConfigID = "ch_soldier";
        const String file(dir("player.sv").c_str());
        ASSERT_TRUE(written.WritePlayerFile(file, multiplayer));
        PlayerSaveID read;
        bool readMultiplayer = !multiplayer;
        ASSERT_TRUE(read.ReadPlayerFile(file, readMultiplayer));
        EXPECT_EQ(read.name, written.name);
        EXPECT_EQ(read.playerID, written.playerID);
        EXPECT_EQ(read.characterConfigID, written.characterConfigID);
        EXPECT_EQ(readMultiplayer, multiplayer);
    }
    // The golden bytes of the writer's own test.
    PlayerSaveID ann;
    bool multiplayer = true;
    ASSERT_TRUE(ann.ReadPlayerBytes(reinterpret_cast<const uint8_t*>(kAnn.data()), kAnn.size(), multiplayer, "x"));
    EXPECT_EQ(ann.name, wString(u"Ann"));
    EXPECT_EQ(ann.playerID, 0xABCDu);
    EXPECT_EQ(ann.characterConfigID, String("ch_x"));
    EXPECT_FALSE(multiplayer);
}

TEST(PlayerSaveIDTest, DamagedFilesAreRefusedAndChangeNothing)
{
    const auto with = [](size_t at, const std::string& bytes) {
        std::string damaged = kAnn;
        damaged.replace(at, bytes.size(), bytes);
        return damaged;
    };
    struct Case {
        const char* what;
        std::string bytes;
        const char* warning;
    };
    std::vector<Case> cases = {
        {"version 274", with(0, std::string("\x12\x01", 2)), "unknown version"},
        {"flag 2", with(2, "\x02"), "bad multiplayer flag"},
        {"name length 2^31", with(3, std::string("\x00\x00\x00\x80", 4)), "text length exceeds"},
        {"name length -1", with(3, "\xff\xff\xff\xff"), "text length exceeds"},
        {"name one past", with(3, std::string("\x04\x00\x00\x00", 4)), "text length exceeds"},
        {"class length 2^31", with(17, std::string("\x00\x00\x00\x80", 4)), "text length exceeds"},
        {"class one past the end", with(17, std::string("\x07\x00\x00\x00", 4)), "text length exceeds"},
        {"no end marker", with(25, std::string("\x35\x12", 2)), "no end marker"},
        {"zero unit in the name", with(9, std::string("\x00\x00", 2)), "name holds a zero unit"},
        {"zero byte in the class", with(23, std::string("\x00", 1)), "class entry holds a zero byte"},
    };
    for (size_t cut = 0; cut < kAnn.size(); ++cut)
        cases.push_back({"cut short", kAnn.substr(0, cut), ""});
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.what) + " " + std::to_string(c.bytes.size()));
        LogCapture log;
        PlayerSaveID player = Untouched();
        bool multiplayer = true;
        EXPECT_FALSE(player.ReadPlayerBytes(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size(),
                                            multiplayer, "save\\Ann_ABCD\\player.sv"));
        EXPECT_EQ(log.Count("save\\Ann_ABCD\\player.sv: "), 1);
        EXPECT_EQ(log.Count(c.warning), 1);
        EXPECT_EQ(player.name, wString(u"before"));
        EXPECT_EQ(player.playerID, 7u);
        EXPECT_EQ(player.characterConfigID, String("ch_before"));
        EXPECT_TRUE(multiplayer);
    }
}

TEST(PlayerSaveIDTest, MissingOrOversizedFile)
{
    TempDir dir;
    LogCapture log;
    PlayerSaveID player = Untouched();
    bool multiplayer = false;
    EXPECT_FALSE(player.ReadPlayerFile(String(dir("none.sv").c_str()), multiplayer));
    EXPECT_EQ(log.Count("none.sv"), 0);  // a folder without a player is no fault
    dir.Write("big.sv", kAnn + std::string(PlayerSaveID::kMaxPlayerFileSize, 'x'));
    EXPECT_FALSE(player.ReadPlayerFile(String(dir("big.sv").c_str()), multiplayer));
    EXPECT_EQ(log.Count("big.sv: file size"), 1);
    EXPECT_EQ(player.playerID, 7u);
}
