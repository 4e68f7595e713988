// The sample's healing area carries the skill "guard": made through the game's event factory with
// the skill and its own radius, it applies the skill every 20th frame at 60 frames a second to
// the creatures within reach, whose defence the skill's item raises while it lasts; radius 0
// applies nothing, a copy carries skill and radius, and a saved effect finds the skill's item.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/ConfigFileReader.h"
#include "base/File.h"
#include "game/objects/CreatureInfluence.h"
#include "game/objects/AreaEffect.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "scifi/objects/EventObj_SF.h"
#include "scifi/skills/SkillTreeEntry.h"
#include "world/WorldCtrl.h"

#include "support/LogCapture.h"
#include "support/SampleServerGame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>

namespace {

// The game's controller that notes the game time of every skill effect.
class CountingCtrl : public SciFiGameCtrl {
public:
    void ApplySkillEffect(CreatureObj_SF& creature, SkillTreeEntry& skill, WorldElem* source) override
    {
        times.insert(GetGameTime());
        SciFiGameCtrl::ApplySkillEffect(creature, skill, source);
    }
    std::set<double> times;
};

class SciFiEventSkillGameTest : public SampleServerGame<CountingCtrl> {};

}  // namespace

TEST_F(SciFiEventSkillGameTest, TheHealingAreaAppliesItsSkill)
{
    LogCapture log;
    Start();
    EXPECT_EQ(log.Count("Warning"), 0);
    WorldCtrl& world = ctrl->GetWorld();
    auto* area = dynamic_cast<EventObj_SF*>(world.FindObjectByWorldID("heal1", nullptr));
    ASSERT_NE(area, nullptr);
    ASSERT_EQ(area->m_Skill, ctrl->FindSkill(String("guard")));
    EXPECT_GT(area->m_SkillRadius, 0.0f);
    EXPECT_FLOAT_EQ(area->m_SkillRadius, area->GetRadius());  // no "SkillRadius": its own

    auto* drone = dynamic_cast<CreatureObj_SF*>(world.FindObjectByWorldID("drone1", nullptr));
    ASSERT_NE(drone, nullptr);
    const float defence = drone->m_Values.defPhys[0];
    drone->SetPos(area->GetPos().x, area->GetPos().y);
    ctrl->times.clear();
    ASSERT_EQ(ErrorOf([&] { DedicatedServer::RunFrames(*ctrl, 61, 1.0f / 60.0f); }), "no error");
    ASSERT_GE(ctrl->times.size(), 3u);
    double last = -1.0;
    for (double time : ctrl->times) {
        if (last >= 0.0)
            EXPECT_NEAR((time - last) * 60.0, 20.0, 1e-3);
        last = time;
    }
    EXPECT_FLOAT_EQ(drone->m_Values.defPhys[0], defence + 4.0f);  // the skill's item, as if equipped

    // The saved effect names the skill's item, which a load finds again.
    int32_t saved = 0;
    for (int32_t i = 0; i < drone->m_Influences.GetSize(); ++i) {
        const CreatureInfluence* influence = drone->m_Influences.GetAt(i);
        if (!influence || influence->type != CreatureObj_SF::kInfluenceItem)
            continue;
        File file;
        file.CreateMemoryFile(0);
        influence->Save(file);
        file.Seek(0);
        CreatureInfluence loaded;
        loaded.Load(file, CreatureObj_SF::kRecordVersion);
        EXPECT_EQ(loaded.params.GetItem(), &area->m_Skill->item);
        saved++;
    }
    EXPECT_EQ(saved, 1);

    EventObj_SF copy;
    area->CloneInto(copy);
    EXPECT_EQ(copy.m_Skill, area->m_Skill);
    EXPECT_EQ(copy.m_SkillRadius, area->m_SkillRadius);

    area->m_SkillRadius = 0.0f;
    ctrl->times.clear();
    ASSERT_EQ(ErrorOf([&] { DedicatedServer::RunFrames(*ctrl, 60, 1.0f / 60.0f); }), "no error");
    EXPECT_TRUE(ctrl->times.empty());
    EXPECT_FLOAT_EQ(drone->m_Values.defPhys[0], defence);  // the effect ran out

    // An unknown skill is warned of and leaves the event without one.
    ConfigFileReader reader;
    const char text[] = "#1\nskill = \"nope\"\n";
    ASSERT_EQ(reader.OpenMemory(text, int32_t(std::strlen(text))), 0);
    AreaEffect effect;
    effect.event = &copy;
    ctrl->ReadAreaEffect(reader, 0, effect);
    EXPECT_EQ(log.Count("Invalid skill specified (nope) in event obj"), 1);
    EXPECT_EQ(copy.m_Skill, nullptr);
    EXPECT_EQ(log.Count("Warning"), 1);
}
