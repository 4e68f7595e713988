// ScriptBuiltinChain: a name that two families hold is served by the earlier family's entry, and
// within a family by the first entry; names are exact; the real chains hold the built families.
#include "game/scriptfuncs/ScriptBuiltinChain.h"

#include "game/scriptfuncs/ScriptCall.h"

#include <gtest/gtest.h>

#include <iterator>

namespace {

void First(ScriptCall& call) { (void)call; }
void Second(ScriptCall& call) { (void)call; }
void Third(ScriptCall& call) { (void)call; }

ScriptBuiltinFamily FamilyA()
{
    static const ScriptBuiltinEntry entries[] = {{"Twice", First}, {"Own", First}, {"Own", Third}};
    return {entries, std::size(entries)};
}

ScriptBuiltinFamily FamilyB()
{
    static const ScriptBuiltinEntry entries[] = {{"Twice", Second}, {"Later", Second}};
    return {entries, std::size(entries)};
}

ScriptBuiltinFamily Empty() { return {}; }

}  // namespace

TEST(ScriptBuiltinChainTest, FirstEntryWins)
{
    const ScriptBuiltinChain chain{FamilyA, Empty, FamilyB};
    EXPECT_EQ(chain.Find("Twice"), &First);
    EXPECT_EQ(chain.Find("Own"), &First);
    EXPECT_EQ(chain.Find("Later"), &Second);
    EXPECT_EQ(chain.Find("twice"), nullptr);  // exact names
    EXPECT_EQ(chain.Find("Twice "), nullptr);
    EXPECT_EQ(chain.Find(nullptr), nullptr);

    EXPECT_NE(ScriptBuiltinChain::AtoG().Find("GetWorldID"), nullptr);
    EXPECT_NE(ScriptBuiltinChain::AtoG().Find("GetNearestObjectWithMass"), nullptr);
    EXPECT_EQ(ScriptBuiltinChain::HtoZ().Find("GetWorldID"), nullptr);
}
