// SciFiGameCtrl's client screens: the start of a dedicated server process, the loading screen
// that keeps the network served without pictures, the connect text taken once and the key names
// of the skill slots.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Counts the network services and the localised texts asked for.
class CountingCtrl : public SciFiGameCtrl {
public:
    void ServiceNetwork() override { ++services; }
    wString GetGuiDBText(const char* group, const char* name, uint8_t* found) override
    {
        ++texts;
        return SciFiGameCtrl::GetGuiDBText(group, name, found);
    }
    int32_t services = 0;
    int32_t texts = 0;
};

}  // namespace

TEST(SciFiGameCtrlScreensTest, DedicatedServerArguments)
{
    const struct {
        const char* level;
        int32_t difficulty;
        const char* name;
        std::vector<std::string> arguments;
    } cases[] = {
        {"levels\\hub.lvl", 2, "My Game", {"Korva_server.exe", "levels\\hub.lvl", "/Diff=2", "/Name=My Game"}},
        {"", 1, "", {"Korva_server.exe", "", "/Diff=1", "/Name="}},
        // A quote neither ends the name nor starts another argument.
        {"a.lvl", 3, "x\" /Diff=1 \"y", {"Korva_server.exe", "a.lvl", "/Diff=3", "/Name=x\" /Diff=1 \"y"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string program;
        std::vector<std::string> got;
        auto spawn = [&](const std::string& p, const std::vector<std::string>& arguments) {
            program = p;
            got = arguments;
            return true;
        };
        EXPECT_TRUE(SciFiGameCtrl::StartDedicatedServer(c.level, c.difficulty, c.name, spawn));
        EXPECT_EQ(program, "Korva_server.exe");
        EXPECT_EQ(got, c.arguments);
    }
    auto refuse = [](const std::string&, const std::vector<std::string>&) { return false; };
    EXPECT_FALSE(SciFiGameCtrl::StartDedicatedServer("a.lvl", 1, "n", refuse));
}

TEST(SciFiGameCtrlScreensTest, LoadingScreenServesTheNetworkWithoutPictures)
{
    CountingCtrl ctrl;
    ASSERT_FALSE(ctrl.GetLoadingScreenPicture(1).IsValid());
    ctrl.ShowLoadingProgress(40.0f, 0, 1.0f, 1);
    ctrl.ShowLoadingProgress(80.0f, 0, 1.0f, 1);
    EXPECT_EQ(ctrl.services, 2);
    EXPECT_FALSE(ctrl.GetLoadingScreenPicture(0).IsValid());  // no upper picture without the background
}

TEST(SciFiGameCtrlScreensTest, ConnectTextIsTakenOncePerProcess)
{
    CountingCtrl first;
    const wString text = first.GetConnectText();
    CountingCtrl second;
    EXPECT_EQ(second.GetConnectText(), text);
    EXPECT_EQ(second.GetConnectText(), text);
    EXPECT_LE(first.texts + second.texts, 1);
    EXPECT_EQ(second.texts, 0);
}

TEST(SciFiGameCtrlScreensTest, SkillKeyNamesFollowTheirBinding)
{
    SciFiGameCtrl ctrl;
    KeyBinding& binding = ctrl.GetControls().GetBinding(Controls::kSkill1 + 2);
    int32_t kind = 0, code = 0;
    ASSERT_TRUE(Controls::ParseKeyName("F5", kind, code));
    binding.primaryKind = kind;
    binding.primaryCode = code;
    EXPECT_EQ(ctrl.GetSkillKeyName(2), wString("F5"));
    ASSERT_TRUE(Controls::ParseKeyName("Q", kind, code));
    binding.primaryCode = code;
    EXPECT_EQ(ctrl.GetSkillKeyName(2), wString("Q"));
    binding.primaryKind = 0;
    EXPECT_EQ(ctrl.GetSkillKeyName(2), wString(""));
    EXPECT_EQ(ctrl.GetSkillKeyName(10), wString(""));
    EXPECT_EQ(ctrl.GetSkillKeyName(-1), wString(""));
}
