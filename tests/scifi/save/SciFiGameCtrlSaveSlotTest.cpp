// SciFiGameCtrl::ChooseCharacterSaveSlot: the later of the two character saves, slot 1 on a tie,
// and the multiplayer root.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

namespace {

std::string CharacterHeader(uint16_t version, double time)
{
    std::string bytes(10, '\0');
    bytes[0] = char(version & 0xFF);
    bytes[1] = char(version >> 8);
    std::memcpy(&bytes[2], &time, 8);  // the test's machine is little-endian, as the file
    return bytes;
}

}  // namespace

TEST(SciFiGameCtrlSaveSlotTest, LaterSaveTieAndMultiplayerRoot)
{
    const std::string none;
    const struct {
        const char* what;
        std::string slot1;
        std::string slot2;
        std::string root;
        bool multiplayer;
        int32_t expected;
    } cases[] = {
        {"equal stamps", CharacterHeader(275, 5.0), CharacterHeader(275, 5.0), none, false, 1},
        {"slot 2 later", CharacterHeader(275, 5.0), CharacterHeader(275, 6.0), none, false, 2},
        {"slot 1 later", CharacterHeader(275, 7.0), CharacterHeader(275, 6.0), none, false, 1},
        {"only slot 2", none, CharacterHeader(275, 1.0), none, false, 2},
        {"only slot 2, a stamp below -1", none, CharacterHeader(275, -5.0), none, false, 2},
        {"none valid", CharacterHeader(200, 5.0), none, CharacterHeader(275, 1.0), false, -2},
        {"multiplayer root", none, none, CharacterHeader(275, 1.0), true, -3},
        {"multiplayer without root", CharacterHeader(275, 5.0), none, none, true, -2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        SciFiGameCtrl ctrl;
        ctrl.SetGameFolder(wString(dir.Path().string().c_str()));
        ctrl.SetSavegameBaseDir("save\\Ann_1\\");
        if (!c.slot1.empty())
            dir.Write("save/Ann_1/save 1/character.sv", c.slot1);
        if (!c.slot2.empty())
            dir.Write("save/Ann_1/save 2/character.sv", c.slot2);
        if (!c.root.empty())
            dir.Write("save/Ann_1/character.sv", c.root);
        EXPECT_EQ(ctrl.ChooseCharacterSaveSlot(c.multiplayer), c.expected);
    }
}
