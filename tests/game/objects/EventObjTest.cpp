// EventObj: the activation test (touch and use, kind and count, interval, the activator of a
// projectile, the filter bits and parties), the copy of its damage values, and its record: golden
// bytes, a round trip, entry counts outside the table, a spent event read back.
#include "game/objects/EventObj.h"

#include "support/ByteBuilder.h"
#include "support/ErrorOf.h"
#include "world/WorldTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// A creature, a projectile or any other element, with a party and names.
std::unique_ptr<TestElem> Elem(uint16_t type, int32_t party = 1)
{
    auto elem = std::make_unique<TestElem>(type);
    elem->m_Party = party;
    return elem;
}

std::vector<uint8_t> Saved(EventObj& event, bool transferOnly)
{
    File file;
    file.CreateMemoryFile(0);
    event.SaveEventObj(file, transferOnly);
    return BytesOf(file);
}

}  // namespace

TEST(EventObjTest, Defaults)
{
    LevelTestCtrl ctrl;
    EventObj event;
    EXPECT_STREQ(event.GetClassName(), "EventObj");
    EXPECT_EQ(event.m_TypeCode, ElemType::kEvent);
    EXPECT_EQ(event.m_CollisionMask, 1);
    EXPECT_EQ(event.m_Radius, 32.0f);
    EXPECT_EQ(event.m_Solid, 0);
    EXPECT_EQ(event.m_LastActivation, -99999.0f);
    EXPECT_EQ(event.m_InnerShare, 0.5f);
    EXPECT_EQ(event.m_ActivatorParties[3], -999);
    ASSERT_NE(event.GetOwnDamageValues(), nullptr);
    event.m_EventKind = 4;
    event.Reset();
    EXPECT_EQ(event.m_EventKind, 1);
    EXPECT_EQ(event.m_TypeCode, ElemType::kEvent);
}

TEST(EventObjTest, ActivationTest)
{
    LevelTestCtrl ctrl;
    auto hero = Elem(ElemType::kCreature);
    auto guard = Elem(ElemType::kCreature, 2);
    guard->m_Name = "Guard";
    guard->m_SecondName = "Captain";
    auto looseShot = Elem(ElemType::kProjectile);
    auto heroShot = Elem(ElemType::kProjectile);
    heroShot->SetCreator(hero.get());
    auto crate = Elem(ElemType::kItem);
    ctrl.mainChar = hero.get();

    const struct {
        int32_t filter;
        WorldElem* other;
        bool explicitUse;
        bool fires;
    } kCases[] = {
        {0, hero.get(), false, false},      // filter 0: nothing but the party test passes
        {0, hero.get(), true, false},
        {-1, crate.get(), false, true},     // every element
        {1, hero.get(), false, true},       // the main character
        {1, guard.get(), false, false},
        {2, guard.get(), false, true},      // other creatures
        {2, hero.get(), false, false},
        {4, looseShot.get(), false, true},  // a projectile without creator: bit 2 only
        {3, looseShot.get(), false, false},
        {4, heroShot.get(), false, false},  // one with a creator counts as that creature
        {1, heroShot.get(), false, true},
        {8, guard.get(), false, true},      // the name, without regard to case
        {8, crate.get(), false, false},
        {16, guard.get(), false, false},
    };
    for (const auto& c : kCases) {
        EventObj event;
        event.m_TouchActivates = 1;
        event.m_CollisionMask = c.filter;
        event.m_ActivatorName = "guard";
        EXPECT_EQ(event.CanActivate(c.other, c.explicitUse), c.fires) << c.filter << " " << c.other->m_TypeCode;
        EXPECT_EQ(event.CanCollideWith(c.other, c.explicitUse), c.fires);
    }
    EventObj named;
    named.m_CollisionMask = 16;
    named.m_ActivatorName = "CAPTAIN";
    EXPECT_TRUE(named.CanActivate(guard.get(), true));  // the second name
    EXPECT_FALSE(named.CanActivate(guard.get(), false));  // a touch counts only with touch activates
    EXPECT_FALSE(named.CanActivate(nullptr, true));

    // Parties, kind and count.
    EventObj event;
    event.m_CollisionMask = -1;
    EXPECT_TRUE(event.IsPartyAllowed(7));
    event.m_ActivatorParties[0] = 2;
    EXPECT_TRUE(event.IsPartyAllowed(2));
    EXPECT_FALSE(event.IsPartyAllowed(1));
    EXPECT_TRUE(event.CanActivate(guard.get(), true));
    EXPECT_FALSE(event.CanActivate(hero.get(), true));
    EXPECT_FALSE(event.CanActivate(heroShot.get(), true));  // the creator's party counts
    event.m_ActivatorParties[0] = -999;
    event.m_ActivationsLeft = 0;
    EXPECT_FALSE(event.CanActivate(hero.get(), true));
    event.m_ActivationsLeft = 2;
    event.m_EventKind = 4;
    EXPECT_FALSE(event.CanActivate(hero.get(), true));
    event.m_EventKind = 1;

    // A second activation within the interval is refused.
    event.m_MinInterval = 2.0f;
    event.m_LastActivation = 10.0f;
    for (const auto& [time, fires] : {std::pair{11.0, false}, {12.0, false}, {12.5, true}}) {
        ctrl.gameTime = time;
        EXPECT_EQ(event.CanActivate(hero.get(), true), fires) << time;
    }
}

TEST(EventObjTest, DamageValuesAreCopiedByClass)
{
    LevelTestCtrl ctrl;
    EventObj event;
    event.GetOwnDamageValues()->SetValue(6.0f);
    event.GetOwnDamageValues()->valueB = 2.0f;
    DamageValuesHolder copy;
    event.GetDamageValues(copy);
    ASSERT_NE(dynamic_cast<TestDamageValues*>(copy.Get()), nullptr);
    EXPECT_NE(copy.Get(), event.GetOwnDamageValues());
    EXPECT_EQ(copy->GetValue(), 6.0f);
    EXPECT_EQ(copy->valueB, 2.0f);

    ctrl.makesDamageValues = false;
    EventObj without;
    EXPECT_EQ(without.GetOwnDamageValues(), nullptr);
    without.GetDamageValues(copy);
    EXPECT_FALSE(copy);
}

TEST(EventObjTest, RecordRoundTrip)
{
    LevelTestCtrl ctrl;
    EventObj event;
    event.m_EventKind = 1;
    event.m_ActivationsLeft = 3;
    event.m_CollisionMask = 10;
    event.m_ActivatorName = "Guard";
    event.m_TouchActivates = 1;
    event.m_ActivationScript = "Alarm()";
    event.m_ActivationDamage = 5.0f;
    event.m_DamageRate = 1.5f;
    event.GetOwnDamageValues()->damage[1] = 4.0f;
    event.m_LastActivation = 7.0f;
    event.m_LastDamageTime = 8.0f;
    event.m_MinInterval = 0.5f;
    event.m_InnerShare = 0.25f;
    event.m_EntryCount = 2;
    event.m_Entries[0] = {1, 2};
    event.m_Entries[1] = {3, 4};
    event.m_ActivatorParties[0] = 2;
    event.m_ActivatorParties[1] = 5;

    ByteBuilder head;
    head.I32(1).I32(3).I32(10).Str("Guard").U8(1).Str("Alarm()");
    ByteBuilder full{head.bytes};
    full.F32(5.0f).F32(1.5f).F32s({0, 4, 0, 0, 0, 0}).U8(1).F32s({7, 8, 0.5f, 0.25f});
    full.I32(2).I32(1).I32(2).I32(3).I32(4).I32(2).I32(5).I32(-999).I32(-999);
    ByteBuilder transfer{head.bytes};
    transfer.I32(2).I32(5).I32(-999).I32(-999);
    EXPECT_EQ(Saved(event, false), full.bytes);
    EXPECT_EQ(Saved(event, true), transfer.bytes);

    for (bool transferOnly : {false, true}) {
        EventObj loaded;
        File file;
        ByteBuilder{transferOnly ? transfer.bytes : full.bytes}.Into(file);
        loaded.LoadEventObj(file, transferOnly);
        EXPECT_EQ(file.GetRemaining(), 0);
        EXPECT_EQ(Saved(loaded, transferOnly), transferOnly ? transfer.bytes : full.bytes);
        EXPECT_EQ(loaded.m_ActivatorParties[1], 5);
    }
}

TEST(EventObjTest, DamagedAndSpentRecords)
{
    LevelTestCtrl ctrl;
    EventObj event;
    event.m_EntryCount = 1;
    std::vector<uint8_t> bytes = Saved(event, false);
    const size_t count = bytes.size() - 16 - 8 - 4;  // parties, one entry, the count
    for (int32_t lying : {5, -1, 0x7FFFFFFF}) {
        std::vector<uint8_t> damaged = bytes;
        for (size_t i = 0; i < 4; i++)
            damaged[count + i] = uint8_t(uint32_t(lying) >> (8 * i));
        EventObj loaded;
        File file;
        ByteBuilder{damaged}.Into(file);
        const std::string error = ErrorOf([&] { loaded.LoadEventObj(file, false); });
        EXPECT_NE(error.find("Event object entry count " + std::to_string(lying) + " outside 0 to 4"),
                  std::string::npos)
            << error;
    }
    File file;
    ByteBuilder{std::vector<uint8_t>(bytes.begin(), bytes.end() - 1)}.Into(file);
    EXPECT_NE(ErrorOf([&] { EventObj().LoadEventObj(file, false); }).find("Event object record cut short"),
              std::string::npos);

    // A spent event read back cannot fire again.
    event.m_EventKind = 4;
    event.m_CollisionMask = -1;
    event.m_LastActivation = 3.0f;
    ByteBuilder{Saved(event, false)}.Into(file);
    EventObj spent;
    spent.LoadEventObj(file, false);
    EXPECT_EQ(spent.m_ActivationsLeft, 0);
    EXPECT_EQ(spent.m_LastActivation, 0.0f);
    auto hero = Elem(ElemType::kCreature);
    EXPECT_FALSE(spent.CanActivate(hero.get(), true));
}
